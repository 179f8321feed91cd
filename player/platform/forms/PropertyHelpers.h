#pragma once
// Building blocks of the property tables, shared by the tables of every control kind.
#include "platform/forms/Properties.h"

#include <type_traits>

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

// Name, Index, Left, Top, Tag, Refresh; with `visual` also size, visibility, pointers, Move,
// ZOrder, Drag and SetFocus.
void AddCommonProperties(PropertyTable& table, bool visual);
// FontName, FontSize, FontBold, FontItalic, FontUnderline, FontStrikethru.
void AddFontPropertiesTo(PropertyTable& table);

}  // namespace storyloom::forms
