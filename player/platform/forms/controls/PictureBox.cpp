#include "platform/forms/controls/PictureBox.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/Painting.h"
#include "platform/forms/SurfaceProperties.h"

namespace storyloom::forms {

PictureBox::PictureBox(QString name)
    : Control(ControlKind::PictureBox, std::move(name)),
      DrawingSurface(kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 100, 100));
}

std::unique_ptr<Control> PictureBox::CloneForArray() const {
    auto copy = std::unique_ptr<PictureBox>(new PictureBox(*this));
    return copy;
}

int PictureBox::BorderPixels() const {
    return borderStyle_ ? (appearance_ ? 2 : 1) : 0;
}

QSize PictureBox::ClientPixelSize() const {
    const int b = BorderPixels();
    const QSize s = PixelRect().size();
    return QSize(std::max(0, s.width() - 2 * b), std::max(0, s.height() - 2 * b));
}

void PictureBox::SetPicture(const Picture& picture) {
    SetSurfacePicture(picture);
    if (autoSize_) FitToPicture();
}

void PictureBox::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) FitToPicture();
}

void PictureBox::FitToPicture() {
    if (GetPicture().IsEmpty()) return;
    const int b = BorderPixels();
    SetPixelRect(QRect(PixelRect().topLeft(), GetPicture().Size() + QSize(2 * b, 2 * b)));
}

void PictureBox::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 1);
    borderStyle_ = style;
    ResizeCanvas(ClientPixelSize());
    Changed();
}

void PictureBox::SetAppearance(int appearance) {
    CheckValueRange(appearance, 0, 1);
    appearance_ = appearance;
    ResizeCanvas(ClientPixelSize());
    Changed();
}

void PictureBox::Resized() {
    ResizeCanvas(ClientPixelSize());
}

void PictureBox::Paint(QPainter& painter) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    const int b = BorderPixels();
    if (b == 2) DrawSunkenBorder(painter, outer);
    if (b == 1) DrawFlatBorder(painter, outer);
    const QRect client(QPoint(b, b), ClientPixelSize());
    PaintSurface(painter, client);
    PaintChildren(painter, *this, client);
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("PictureBox"));
    AddCommonProperties(t, true);
    AddSurfaceProperties<PictureBox>(t);
    t.Add(Member<PictureBox>("AutoSize", PropertyType::Boolean, &PictureBox::AutoSize,
                             &PictureBox::SetAutoSize));
    t.Add(Member<PictureBox>("BorderStyle", PropertyType::Integer, &PictureBox::BorderStyle,
                             &PictureBox::SetBorderStyle));
    t.Add(Member<PictureBox>("Appearance", PropertyType::Integer, &PictureBox::Appearance,
                             &PictureBox::SetAppearance));
    t.SetDefault("Picture");
    return t;
}

const PropertyTableRegistration registration(ControlKind::PictureBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
