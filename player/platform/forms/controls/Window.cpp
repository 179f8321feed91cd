#include "platform/forms/controls/Window.h"

#include <QPainter>

#include "platform/forms/Painting.h"
#include "platform/forms/SurfaceProperties.h"

namespace storyloom::forms {

MenuItem* MenuItem::Add(const QString& itemName, const QString& itemCaption) {
    auto item = std::make_unique<MenuItem>();
    item->name = itemName;
    item->caption = itemCaption;
    items.push_back(std::move(item));
    return items.back().get();
}

MenuItem* MenuItem::Find(const QString& itemName) {
    for (auto& item : items) {
        if (item->name.compare(itemName, Qt::CaseInsensitive) == 0) return item.get();
        if (MenuItem* found = item->Find(itemName)) return found;
    }
    return nullptr;
}

Window::Window(QString name)
    : Control(ControlKind::Window, std::move(name)),
      DrawingSurface(kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 320, 240));
}

Window::~Window() {
    // Children leave while the window is still whole.
    while (!Children().empty()) Remove(Children().back().get());
}

std::unique_ptr<Control> Window::CloneForArray() const {
    throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Windows are not array elements"));
}

void Window::SetCaption(const QString& caption) {
    caption_ = caption;
    Invalidate();
}

void Window::SetWindowState(int state) {
    CheckValueRange(state, 0, 2);
    windowState_ = state;
    Invalidate();
}

void Window::MenusChanged() {
    if (onMenusChanged) onMenusChanged();
}

void Window::Invalidate() {
    ++generation_;
    if (onInvalidated) onInvalidated();
}

void Window::Resized() {
    ResizeCanvas(ClientPixelSize());
    if (onResize) onResize();
}

void Window::Paint(QPainter& painter) const {
    const QRect client(QPoint(0, 0), PixelRect().size());
    PaintSurface(painter, client);
    PaintChildren(painter, *this, client);
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Form"));
    AddCommonProperties(t, true);
    AddSurfaceProperties<Window>(t);
    t.Add(Member<Window>("Caption", PropertyType::String, &Window::Caption, &Window::SetCaption));
    t.Add(Member<Window>("WindowState", PropertyType::Integer, &Window::WindowState,
                         &Window::SetWindowState));
    t.Add(Member<Window>("KeyPreview", PropertyType::Boolean, &Window::KeyPreview,
                         &Window::SetKeyPreview));
    t.Add(MethodInfo{"Show", 0, 2, [](Control& c, const std::vector<PropertyValue>&) {
                         c.SetVisible(true);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"Hide", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         c.SetVisible(false);
                         return PropertyValue();
                     }});
    t.SetDefault("Caption");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Window, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
