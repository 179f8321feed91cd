#include "platform/forms/Control.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

namespace {

void CheckSize(double twips) {
    if (twips < 0 || !std::isfinite(twips)) ThrowInvalidValue();
}

}  // namespace

void ThrowInvalidValue() {
    throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

void CheckValueRange(int value, int low, int high) {
    if (value < low || value > high) ThrowInvalidValue();
}

void ThrowInvalidCall() {
    throw ControlError(kErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

int TwipsToPixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    const double px = std::round(twips / kTwipsPerPixel);
    return static_cast<int>(std::clamp(px, -1.0e7, 1.0e7));
}

bool IsValidMousePointer(int value) {
    return (value >= 0 && value <= 15) || value == 99;
}

// ---- Control -----------------------------------------------------------------------------

Control::Control(ControlKind kind, QString name) : kind_(kind), name_(std::move(name)) {}

Control::Control(const Control& other)
    : onMouseDown(other.onMouseDown),
      onMouseMove(other.onMouseMove),
      onMouseUp(other.onMouseUp),
      onClick(other.onClick),
      onDblClick(other.onDblClick),
      onDragDrop(other.onDragDrop),
      onDragOver(other.onDragOver),
      kind_(other.kind_),
      name_(other.name_),
      rect_(other.rect_),
      visible_(other.visible_),
      enabled_(other.enabled_),
      tag_(other.tag_),
      toolTip_(other.toolTip_),
      pointer_(other.pointer_),
      mouseIcon_(other.mouseIcon_),
      dragIcon_(other.dragIcon_),
      dragMode_(other.dragMode_) {}

Control::~Control() {
    // Children go first, so that each one still finds its window while it leaves.
    while (!children_.empty()) Remove(children_.back().get());
    if (array_) array_->Forget(index_);
}

Window* Control::OwnerWindow() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return c->kind_ == ControlKind::Window ? static_cast<Window*>(c) : nullptr;
}

const Window* Control::OwnerWindow() const {
    return const_cast<Control*>(this)->OwnerWindow();
}

void Control::AdoptChild(std::unique_ptr<Control> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    Changed();
}

namespace {
// Set while a control moves to another container (SetContainer): it stays in its array.
bool g_movingContainer = false;
}  // namespace

std::unique_ptr<Control> Control::Detach(Control* child) {
    const bool leavesArray = !g_movingContainer;
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it == children_.end()) return nullptr;
    Window* w = OwnerWindow();
    std::vector<Control*> stack{child};
    while (!stack.empty()) {
        Control* c = stack.back();
        stack.pop_back();
        if (w) w->Forget(c);
        // The array index is free at once: a handler may load the same element again. A control
        // only moving to another container stays in its array.
        if (c->array_ && leavesArray) {
            c->array_->Forget(c->index_);
            c->array_ = nullptr;
        }
        for (const auto& g : c->children_) stack.push_back(g.get());
    }
    std::unique_ptr<Control> owned = std::move(*it);
    children_.erase(it);
    owned->parent_ = nullptr;
    Changed();
    return owned;
}

void Control::Remove(Control* child) {
    Window* w = OwnerWindow();
    std::unique_ptr<Control> owned = Detach(child);
    if (owned && w && w->dispatchDepth_ > 0) w->graveyard_.push_back(std::move(owned));
}

void Control::SetContainer(Control* container) {
    if (!container || !container->IsContainer() || container == parent_ || !parent_) return;
    for (Control* c = container; c; c = c->parent_)
        if (c == this) ThrowInvalidValue();
    g_movingContainer = true;
    std::unique_ptr<Control> owned = parent_->Detach(this);
    g_movingContainer = false;
    container->AdoptChild(std::move(owned));
}

void Control::SetLeft(double twips) {
    SetPixelRect(rect_.translated(TwipsToPixels(twips) - rect_.x(), 0));
}
void Control::SetTop(double twips) {
    SetPixelRect(rect_.translated(0, TwipsToPixels(twips) - rect_.y()));
}
void Control::SetWidth(double twips) {
    CheckSize(twips);
    QRect r = rect_;
    r.setWidth(TwipsToPixels(twips));
    SetPixelRect(r);
}
void Control::SetHeight(double twips) {
    CheckSize(twips);
    QRect r = rect_;
    r.setHeight(TwipsToPixels(twips));
    SetPixelRect(r);
}

void Control::Move(double left, double top, double width, double height) {
    QRect r(TwipsToPixels(left), TwipsToPixels(top), rect_.width(), rect_.height());
    if (width >= 0) r.setWidth(TwipsToPixels(width));
    if (height >= 0) r.setHeight(TwipsToPixels(height));
    SetPixelRect(r);
}

void Control::SetPixelRect(const QRect& rect) {
    QRect r = rect;
    if (r.width() < 0) r.setWidth(0);
    if (r.height() < 0) r.setHeight(0);
    if (r == rect_) return;
    const bool resized = r.size() != rect_.size();
    rect_ = r;
    if (resized) Resized();
    Changed();
}

QRect Control::WindowPixelRect() const {
    QRect r = rect_;
    for (const Control* p = parent_; p && p->parent_; p = p->parent_) {
        r.translate(p->rect_.topLeft() + QPoint(p->BorderPixels(), p->BorderPixels()));
    }
    if (kind_ == ControlKind::Window && !parent_) return QRect(QPoint(0, 0), rect_.size());
    return r;
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible) {
        if (Window* w = OwnerWindow(); w && w != this) {
            if (w->CurrentDrag().source == this) w->EndDrag(false);
        }
    }
    Changed();
}

bool Control::IsShown() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Changed();
}

void Control::SetPointer(MousePointer pointer) {
    if (!IsValidMousePointer(static_cast<int>(pointer))) ThrowInvalidValue();
    pointer_ = pointer;
    Changed();
}

void Control::SetMouseIcon(const Picture& icon) {
    mouseIcon_ = icon;
    Changed();
}

void Control::Drag(int action) {
    Window* w = OwnerWindow();
    if (!w || w == this) return;
    if (action == 1) {
        w->BeginDrag(*this);
    } else if (w->CurrentDrag().source == this) {
        w->EndDrag(action == 2);
    }
}

void Control::ZOrder(int position) {
    if (!parent_) return;
    auto& siblings = parent_->children_;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [this](const auto& c) { return c.get() == this; });
    if (it == siblings.end()) return;
    std::unique_ptr<Control> self = std::move(*it);
    siblings.erase(it);
    if (position == 0) {
        siblings.push_back(std::move(self));
    } else {
        siblings.insert(siblings.begin(), std::move(self));
    }
    Changed();
}

int Control::ZIndex() const {
    if (!parent_) return 0;
    const auto& siblings = parent_->children_;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return 0;
}

int Control::EventScaleMode() const {
    return parent_ ? parent_->EventScaleMode() : 1;
}

void Control::Changed() {
    if (Window* w = OwnerWindow()) w->Invalidate();
}

}  // namespace storyloom::forms
