#include "platform/forms/CommonProperties.h"

#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

PropertyInfo NameProperty() {
    return {"Name", PropertyType::String, [](Control& c) { return PropertyValue(c.Name()); }, {}};
}

PropertyInfo IndexProperty() {
    return {"Index",
            PropertyType::Integer,
            [](Control& c) -> PropertyValue {
                if (c.Index() < 0) throw ControlError(343, QStringLiteral("Object not an array"));
                return Long(c.Index());
            },
            {}};
}

PropertyInfo TagProperty() {
    return {"Tag", PropertyType::String, [](Control& c) { return PropertyValue(c.Tag()); },
            [](Control& c, const PropertyValue& v) { c.SetTag(std::get<QString>(v)); }};
}

PropertyInfo VisibleProperty() {
    return {"Visible", PropertyType::Boolean, [](Control& c) { return PropertyValue(c.Visible()); },
            [](Control& c, const PropertyValue& v) { c.SetVisible(std::get<bool>(v)); }};
}

MethodInfo RefreshMethod() {
    return {"Refresh", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                c.Refresh();
                return PropertyValue();
            }};
}

MethodInfo ZOrderMethod() {
    return {"ZOrder", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                c.ZOrder(Given(a, 0) ? ToLong(a[0]) : 0);
                return PropertyValue();
            }};
}

PropertyInfo FixedAppearanceProperty() {
    return {"Appearance", PropertyType::Integer, [](Control&) { return Long(1); }, {}};
}

void AddCommonProperties(PropertyTable& t, bool visual) {
    t.Add(NameProperty());
    t.Add(IndexProperty());
    t.Add({"Left", PropertyType::Single, [](Control& c) { return Num(c.Left()); },
           [](Control& c, const PropertyValue& v) { c.SetLeft(std::get<double>(v)); }});
    t.Add({"Top", PropertyType::Single, [](Control& c) { return Num(c.Top()); },
           [](Control& c, const PropertyValue& v) { c.SetTop(std::get<double>(v)); }});
    t.Add(TagProperty());
    t.Add(RefreshMethod());
    if (!visual) return;
    t.Add({"Width", PropertyType::Single, [](Control& c) { return Num(c.Width()); },
           [](Control& c, const PropertyValue& v) { c.SetWidth(std::get<double>(v)); }});
    t.Add({"Height", PropertyType::Single, [](Control& c) { return Num(c.Height()); },
           [](Control& c, const PropertyValue& v) { c.SetHeight(std::get<double>(v)); }});
    t.Add(VisibleProperty());
    t.Add({"Enabled", PropertyType::Boolean, [](Control& c) { return PropertyValue(c.Enabled()); },
           [](Control& c, const PropertyValue& v) { c.SetEnabled(std::get<bool>(v)); }});
    t.Add({"ToolTipText", PropertyType::String,
           [](Control& c) { return PropertyValue(c.ToolTipText()); },
           [](Control& c, const PropertyValue& v) { c.SetToolTipText(std::get<QString>(v)); }});
    t.Add({"MousePointer", PropertyType::Integer,
           [](Control& c) { return Long(static_cast<qint32>(c.Pointer())); },
           [](Control& c, const PropertyValue& v) {
               const qint32 p = std::get<qint32>(v);
               if (!IsValidMousePointer(p)) ThrowInvalidValue();
               c.SetPointer(static_cast<MousePointer>(p));
           }});
    t.Add({"MouseIcon", PropertyType::Picture,
           [](Control& c) { return PropertyValue(c.MouseIcon()); },
           [](Control& c, const PropertyValue& v) { c.SetMouseIcon(std::get<Picture>(v)); }});
    t.Add({"DragIcon", PropertyType::Picture,
           [](Control& c) { return PropertyValue(c.DragIcon()); },
           [](Control& c, const PropertyValue& v) { c.SetDragIcon(std::get<Picture>(v)); }});
    t.Add({"DragMode", PropertyType::Integer, [](Control& c) { return Long(c.DragMode()); },
           [](Control& c, const PropertyValue& v) { c.SetDragMode(std::get<qint32>(v)); }});
    t.Add(MethodInfo{"Move", 1, 4, [](Control& c, const std::vector<PropertyValue>& a) {
                         auto opt = [&](std::size_t i, double fallback) {
                             return Given(a, i) ? ToDouble(a[i]) : fallback;
                         };
                         const double w = opt(2, c.Width()), h = opt(3, c.Height());
                         if (w < 0 || h < 0) ThrowInvalidValue();
                         c.Move(opt(0, c.Left()), opt(1, c.Top()), w, h);
                         return PropertyValue();
                     }});
    t.Add(ZOrderMethod());
    t.Add(MethodInfo{"Drag", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         c.Drag(Given(a, 0) ? ToLong(a[0]) : 1);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"SetFocus", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         // Only controls that take typed keys keep the focus.
                         if (c.TakesFocus())
                             if (Window* w = c.OwnerWindow()) w->SetFocusedControl(&c);
                         return PropertyValue();
                     }});
}

void AddFontProperties(PropertyTable& t, FontSpec (*get)(Control&),
                       void (*set)(Control&, const FontSpec&)) {
    t.Add({"FontName", PropertyType::String,
           [get](Control& c) { return PropertyValue(get(c).name); },
           [get, set](Control& c, const PropertyValue& v) {
               FontSpec f = get(c);
               f.name = std::get<QString>(v);
               set(c, f);
           }});
    t.Add({"FontSize", PropertyType::Single, [get](Control& c) { return Num(get(c).size); },
           [get, set](Control& c, const PropertyValue& v) {
               const double size = std::get<double>(v);
               if (size <= 0 || size > 2048) ThrowInvalidValue();
               FontSpec f = get(c);
               f.size = size;
               set(c, f);
           }});
    auto flag = [&t, get, set](const char* name, bool FontSpec::*member) {
        t.Add({name, PropertyType::Boolean,
               [get, member](Control& c) { return PropertyValue(get(c).*member); },
               [get, set, member](Control& c, const PropertyValue& v) {
                   FontSpec f = get(c);
                   f.*member = std::get<bool>(v);
                   set(c, f);
               }});
    };
    flag("FontBold", &FontSpec::bold);
    flag("FontItalic", &FontSpec::italic);
    flag("FontUnderline", &FontSpec::underline);
    flag("FontStrikethru", &FontSpec::strikethrough);
}

}  // namespace storyloom::forms
