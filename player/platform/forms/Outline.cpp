#include "platform/forms/Outline.h"

#include <algorithm>

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

QPen OutlinePen(const Outline& o) {
    QPen pen(ToQColor(o.color), o.width);
    static const Qt::PenStyle styles[] = {Qt::NoPen,    Qt::SolidLine,   Qt::DashLine,
                                          Qt::DotLine,  Qt::DashDotLine, Qt::DashDotDotLine,
                                          Qt::SolidLine};
    pen.setStyle(styles[std::clamp(o.style, 0, 6)]);
    if (o.style >= 2 && o.style <= 5) pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void OutlinedControl::SetBorderColor(OleColor color) {
    border_.color = color;
    Changed();
}

void OutlinedControl::SetBorderWidth(int width) {
    CheckValueRange(width, 1, 8192);
    border_.width = width;
    BorderWidthChanged();
}

void OutlinedControl::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 6);
    border_.style = style;
    Changed();
}

void AddOutlineProperties(PropertyTable& t) {
    t.Add({"BorderColor", PropertyType::Color,
           [](Control& c) {
               return Long(static_cast<qint32>(As<OutlinedControl>(c).Border().color));
           },
           [](Control& c, const PropertyValue& v) {
               As<OutlinedControl>(c).SetBorderColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add({"BorderWidth", PropertyType::Integer,
           [](Control& c) { return Long(As<OutlinedControl>(c).Border().width); },
           [](Control& c, const PropertyValue& v) {
               As<OutlinedControl>(c).SetBorderWidth(std::get<qint32>(v));
           }});
    t.Add({"BorderStyle", PropertyType::Integer,
           [](Control& c) { return Long(As<OutlinedControl>(c).Border().style); },
           [](Control& c, const PropertyValue& v) {
               As<OutlinedControl>(c).SetBorderStyle(std::get<qint32>(v));
           }});
}

}  // namespace storyloom::forms
