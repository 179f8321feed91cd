#pragma once
// The properties and methods windows and picture boxes share through their drawing surface.
#include "platform/forms/CommonProperties.h"
#include "platform/forms/DrawingSurface.h"

namespace storyloom::forms {

// The drawing properties and methods of a DrawingSurface kind `C` (a window, a picture box),
// whose SetPicture, SetBackColor, SetForeColor and SetFont are its own.
template <class C>
void AddSurfaceProperties(PropertyTable& t) {
    t.Add({"Picture", PropertyType::Picture,
           [](Control& c) { return PropertyValue(As<C>(c).SurfacePicture()); },
           [](Control& c, const PropertyValue& v) { As<C>(c).SetPicture(std::get<Picture>(v)); }});
    t.Add(Member<C>("Image", PropertyType::Picture, &C::ImagePicture));
    t.Add(Member<C>("BackColor", PropertyType::Color, &C::BackColor, &C::SetBackColor));
    t.Add(Member<C>("ForeColor", PropertyType::Color, &C::ForeColor, &C::SetForeColor));
    t.Add(Member<C>("AutoRedraw", PropertyType::Boolean, &C::AutoRedraw, &C::SetAutoRedraw));
    t.Add(Member<C>("FontTransparent", PropertyType::Boolean, &C::FontTransparent,
                    &C::SetFontTransparent));
    t.Add(Member<C>("ScaleMode", PropertyType::Integer, &C::ScaleMode, &C::SetScaleMode));
    t.Add({"ScaleWidth",
           PropertyType::Single,
           [](Control& c) { return Num(As<C>(c).ScaleWidth()); },
           {}});
    t.Add({"ScaleHeight",
           PropertyType::Single,
           [](Control& c) { return Num(As<C>(c).ScaleHeight()); },
           {}});
    t.Add({"ScaleLeft", PropertyType::Single, [](Control&) { return Num(0); }, {}});
    t.Add({"ScaleTop", PropertyType::Single, [](Control&) { return Num(0); }, {}});
    t.Add({"CurrentX", PropertyType::Single, [](Control& c) { return Num(As<C>(c).CurrentX()); },
           [](Control& c, const PropertyValue& v) { As<C>(c).SetCurrentX(std::get<double>(v)); }});
    t.Add({"CurrentY", PropertyType::Single, [](Control& c) { return Num(As<C>(c).CurrentY()); },
           [](Control& c, const PropertyValue& v) { As<C>(c).SetCurrentY(std::get<double>(v)); }});
    AddFontProperties<C>(t);
    t.Add(MethodInfo{"Cls", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         As<C>(c).Cls();
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"PaintPicture", 3, 9, [](Control& c, const std::vector<PropertyValue>& a) {
                         const auto* picture = std::get_if<Picture>(&a[0]);
                         if (!picture) ThrowTypeMismatch();
                         auto opt = [&](std::size_t i, double fallback) {
                             return Given(a, i) ? ToDouble(a[i]) : fallback;
                         };
                         As<C>(c).PaintPicture(*picture, ToDouble(a[1]), ToDouble(a[2]), opt(3, -1),
                                               opt(4, -1), opt(5, 0), opt(6, 0), opt(7, -1),
                                               opt(8, -1));
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"PSet", 2, 3, [](Control& c, const std::vector<PropertyValue>& a) {
                         const OleColor color = Given(a, 2) ? static_cast<OleColor>(ToLong(a[2]))
                                                            : As<C>(c).ForeColor();
                         As<C>(c).PSet(ToDouble(a[0]), ToDouble(a[1]), color);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"Point", 2, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         return PropertyValue(As<C>(c).Point(ToDouble(a[0]), ToDouble(a[1])));
                     }});
    t.Add(MethodInfo{"Print", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         As<C>(c).Print(a.empty() ? QString() : ToText(a[0]));
                         return PropertyValue();
                     }});
}

}  // namespace storyloom::forms
