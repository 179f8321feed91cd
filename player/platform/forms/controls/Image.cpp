#include "platform/forms/controls/Image.h"

#include <QPainter>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"

namespace storyloom::forms {

Image::Image(QString name) : Control(ControlKind::Image, std::move(name)) {
    SetPixelRect(QRect(0, 0, 32, 32));
}

std::unique_ptr<Control> Image::CloneForArray() const {
    return std::unique_ptr<Image>(new Image(*this));
}

void Image::SetPicture(const Picture& picture) {
    picture_ = picture;
    if (!stretch_ && !picture_.IsEmpty())
        SetPixelRect(
            QRect(PixelRect().topLeft(), picture_.Size() + QSize(2, 2) * (borderStyle_ ? 1 : 0)));
    Changed();
}

void Image::SetStretch(bool on) {
    stretch_ = on;
    if (!on && !picture_.IsEmpty()) SetPicture(picture_);
    Changed();
}

void Image::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 1);
    borderStyle_ = style;
    Changed();
}

void Image::Paint(QPainter& painter) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    const int b = borderStyle_ ? 1 : 0;
    if (b) DrawFlatBorder(painter, outer);
    if (picture_.IsEmpty()) return;
    const QRect inner = outer.adjusted(b, b, -b, -b);
    if (stretch_) {
        painter.drawImage(inner, picture_.Image());
    } else {
        painter.save();
        painter.setClipRect(inner, Qt::IntersectClip);
        painter.drawImage(inner.topLeft(), picture_.Image());
        painter.restore();
    }
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Image"));
    AddCommonProperties(t, true);
    t.Add({"Picture", PropertyType::Picture,
           [](Control& c) { return PropertyValue(As<Image>(c).GetPicture()); },
           [](Control& c, const PropertyValue& v) {
               As<Image>(c).SetPicture(std::get<Picture>(v));
           }});
    t.Add(Member<Image>("Stretch", PropertyType::Boolean, &Image::Stretch, &Image::SetStretch));
    t.Add(Member<Image>("BorderStyle", PropertyType::Integer, &Image::BorderStyle,
                        &Image::SetBorderStyle));
    t.Add(FixedAppearanceProperty());
    t.SetDefault("Picture");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Image, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
