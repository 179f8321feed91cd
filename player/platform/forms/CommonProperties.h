#pragma once
// The building blocks of the kinds' property tables, and the properties many kinds share.
#include <type_traits>

#include "platform/forms/Properties.h"

namespace storyloom::forms {

namespace detail {

template <class R>
PropertyValue Wrap(const R& value) {
    static_assert(!std::is_floating_point_v<R>, "measures go through their own helpers");
    if constexpr ((std::is_integral_v<R> && !std::is_same_v<R, bool>) || std::is_enum_v<R>)
        return PropertyValue(static_cast<qint32>(value));
    else
        return PropertyValue(value);
}

template <class A>
A Unwrap(const PropertyValue& value) {
    if constexpr (std::is_same_v<A, bool> || std::is_same_v<A, QString>)
        return std::get<A>(value);
    else
        return static_cast<A>(std::get<qint32>(value));
}

}  // namespace detail

// The control a table's accessor receives, as the class of the table's kind.
template <class C>
C& As(Control& c) {
    return static_cast<C&>(c);
}
inline PropertyValue Num(double v) {
    return PropertyValue(v);
}
inline PropertyValue Long(qint32 v) {
    return PropertyValue(v);
}
// Whether a method's optional argument `i` was passed.
inline bool Given(const std::vector<PropertyValue>& a, std::size_t i) {
    return i < a.size() && !std::holds_alternative<std::monostate>(a[i]);
}

// A property of control class `C` read and written through its getter and setter (which may be
// members of a base class). The table has already converted a written value to `type`.
template <class C, class R, class B, class A, class BS>
PropertyInfo Member(const char* name, PropertyType type, R (B::*get)() const, void (BS::*set)(A)) {
    using Arg = std::remove_cvref_t<A>;
    return {QString::fromLatin1(name), type,
            [get](Control& c) {
                return detail::Wrap<std::remove_cvref_t<R>>((static_cast<C&>(c).*get)());
            },
            [set](Control& c, const PropertyValue& v) {
                (static_cast<C&>(c).*set)(detail::Unwrap<Arg>(v));
            }};
}

// A read-only property of control class `C`.
template <class C, class R, class B>
PropertyInfo Member(const char* name, PropertyType type, R (B::*get)() const) {
    return {QString::fromLatin1(name),
            type,
            [get](Control& c) {
                return detail::Wrap<std::remove_cvref_t<R>>((static_cast<C&>(c).*get)());
            },
            {}};
}

// Name, Index, Tag and Visible; Refresh and ZOrder.
PropertyInfo NameProperty();
PropertyInfo IndexProperty();  // error 343 on a control that is not an array element
PropertyInfo TagProperty();
PropertyInfo VisibleProperty();
MethodInfo RefreshMethod();
MethodInfo ZOrderMethod();
// Appearance, always 1 (3D): read-only on the kinds that draw no flat variant.
PropertyInfo FixedAppearanceProperty();

// Name, Index, Left, Top, Tag, Refresh; with `visual` also size, visibility, pointers, Move,
// ZOrder, Drag and SetFocus.
void AddCommonProperties(PropertyTable& table, bool visual);

// FontName, FontSize, FontBold, FontItalic, FontUnderline, FontStrikethru through a font's
// getter and setter.
void AddFontProperties(PropertyTable& table, FontSpec (*get)(Control&),
                       void (*set)(Control&, const FontSpec&));
// The same for a class with Font() and SetFont().
template <class C>
void AddFontProperties(PropertyTable& table) {
    AddFontProperties(
        table, [](Control& c) { return FontSpec(As<C>(c).Font()); },
        [](Control& c, const FontSpec& f) { As<C>(c).SetFont(f); });
}

}  // namespace storyloom::forms
