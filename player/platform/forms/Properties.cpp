#include "platform/forms/Properties.h"

#include "platform/forms/MoreControls.h"
#include "platform/forms/PropertyHelpers.h"

#include <cmath>
#include <limits>

namespace storyloom::forms {

namespace {

[[noreturn]] void TypeMismatch() {
    throw ControlError(kErrTypeMismatch, QStringLiteral("Type mismatch"));
}

template <class C>
C& As(Control& c) {
    return static_cast<C&>(c);
}

PropertyValue Num(double v) {
    return PropertyValue(v);
}
PropertyValue Long(qint32 v) {
    return PropertyValue(v);
}

FontSpec FontOf(Control& c) {
    switch (c.Kind()) {
        case ControlKind::Label:
            return As<Label>(c).Font();
        case ControlKind::Frame:
            return As<Frame>(c).Font();
        case ControlKind::PictureBox:
            return As<PictureBox>(c).Font();
        case ControlKind::Window:
            return As<Window>(c).DrawFont();
        default:
            if (auto* styled = dynamic_cast<StyledControl*>(&c)) return styled->Font();
            return FontSpec();
    }
}

void SetFontOf(Control& c, const FontSpec& f) {
    switch (c.Kind()) {
        case ControlKind::Label:
            As<Label>(c).SetFont(f);
            break;
        case ControlKind::Frame:
            As<Frame>(c).SetFont(f);
            break;
        case ControlKind::PictureBox:
            As<PictureBox>(c).SetFont(f);
            break;
        case ControlKind::Window:
            As<Window>(c).SetFont(f);
            break;
        default:
            if (auto* styled = dynamic_cast<StyledControl*>(&c)) styled->SetFont(f);
            break;
    }
}

void AddFontProperties(PropertyTable& t) {
    t.Add({"FontName", PropertyType::String,
           [](Control& c) { return PropertyValue(FontOf(c).name); },
           [](Control& c, const PropertyValue& v) {
               FontSpec f = FontOf(c);
               f.name = std::get<QString>(v);
               SetFontOf(c, f);
           }});
    t.Add({"FontSize", PropertyType::Single, [](Control& c) { return Num(FontOf(c).size); },
           [](Control& c, const PropertyValue& v) {
               const double size = std::get<double>(v);
               if (size <= 0 || size > 2048)
                   throw ControlError(kErrInvalidPropertyValue,
                                      QStringLiteral("Invalid property value"));
               FontSpec f = FontOf(c);
               f.size = size;
               SetFontOf(c, f);
           }});
    auto flag = [&t](const char* name, bool FontSpec::*member) {
        t.Add({name, PropertyType::Boolean,
               [member](Control& c) { return PropertyValue(FontOf(c).*member); },
               [member](Control& c, const PropertyValue& v) {
                   FontSpec f = FontOf(c);
                   f.*member = std::get<bool>(v);
                   SetFontOf(c, f);
               }});
    };
    flag("FontBold", &FontSpec::bold);
    flag("FontItalic", &FontSpec::italic);
    flag("FontUnderline", &FontSpec::underline);
    flag("FontStrikethru", &FontSpec::strikethrough);
}

void AddCommon(PropertyTable& t, bool visual) {
    t.Add({"Name", PropertyType::String, [](Control& c) { return PropertyValue(c.Name()); }, {}});
    t.Add({"Index",
           PropertyType::Integer,
           [](Control& c) -> PropertyValue {
               if (c.Index() < 0) throw ControlError(343, QStringLiteral("Object not an array"));
               return Long(c.Index());
           },
           {}});
    t.Add({"Left", PropertyType::Single, [](Control& c) { return Num(c.Left()); },
           [](Control& c, const PropertyValue& v) { c.SetLeft(std::get<double>(v)); }});
    t.Add({"Top", PropertyType::Single, [](Control& c) { return Num(c.Top()); },
           [](Control& c, const PropertyValue& v) { c.SetTop(std::get<double>(v)); }});
    t.Add({"Tag", PropertyType::String, [](Control& c) { return PropertyValue(c.Tag()); },
           [](Control& c, const PropertyValue& v) { c.SetTag(std::get<QString>(v)); }});
    t.Add(MethodInfo{"Refresh", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         // A file list shows the folder as it is now.
                         if (c.Kind() == ControlKind::FileListBox) As<FileListBox>(c).Reload();
                         c.Refresh();
                         return PropertyValue();
                     }});
    if (!visual) return;
    t.Add({"Width", PropertyType::Single, [](Control& c) { return Num(c.Width()); },
           [](Control& c, const PropertyValue& v) { c.SetWidth(std::get<double>(v)); }});
    t.Add({"Height", PropertyType::Single, [](Control& c) { return Num(c.Height()); },
           [](Control& c, const PropertyValue& v) { c.SetHeight(std::get<double>(v)); }});
    t.Add({"Visible", PropertyType::Boolean, [](Control& c) { return PropertyValue(c.Visible()); },
           [](Control& c, const PropertyValue& v) { c.SetVisible(std::get<bool>(v)); }});
    t.Add({"Enabled", PropertyType::Boolean, [](Control& c) { return PropertyValue(c.Enabled()); },
           [](Control& c, const PropertyValue& v) { c.SetEnabled(std::get<bool>(v)); }});
    t.Add({"ToolTipText", PropertyType::String,
           [](Control& c) { return PropertyValue(c.ToolTipText()); },
           [](Control& c, const PropertyValue& v) { c.SetToolTipText(std::get<QString>(v)); }});
    t.Add({"MousePointer", PropertyType::Integer,
           [](Control& c) { return Long(static_cast<qint32>(c.Pointer())); },
           [](Control& c, const PropertyValue& v) {
               const qint32 p = std::get<qint32>(v);
               if (!IsValidMousePointer(p))
                   throw ControlError(kErrInvalidPropertyValue,
                                      QStringLiteral("Invalid property value"));
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
                             return i < a.size() && !std::holds_alternative<std::monostate>(a[i])
                                        ? ToDouble(a[i])
                                        : fallback;
                         };
                         const double w = opt(2, c.Width()), h = opt(3, c.Height());
                         if (w < 0 || h < 0)
                             throw ControlError(kErrInvalidPropertyValue,
                                                QStringLiteral("Invalid property value"));
                         c.Move(opt(0, c.Left()), opt(1, c.Top()), w, h);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"ZOrder", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         const int pos = a.empty() || std::holds_alternative<std::monostate>(a[0])
                                             ? 0
                                             : ToLong(a[0]);
                         c.ZOrder(pos);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"Drag", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         const int action =
                             a.empty() || std::holds_alternative<std::monostate>(a[0])
                                 ? 1
                                 : ToLong(a[0]);
                         c.Drag(action);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"SetFocus", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         // Only controls that take typed keys keep the focus.
                         if (c.TakesFocus())
                             if (Window* w = c.OwnerWindow()) w->SetFocusedControl(&c);
                         return PropertyValue();
                     }});
}

// Picture boxes and windows share the drawing properties and methods.
template <class C>
void AddSurface(PropertyTable& t) {
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
    AddFontProperties(t);
    t.Add(MethodInfo{"Cls", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         As<C>(c).Cls();
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"PaintPicture", 3, 9, [](Control& c, const std::vector<PropertyValue>& a) {
                         const auto* picture = std::get_if<Picture>(&a[0]);
                         if (!picture) TypeMismatch();
                         auto opt = [&](std::size_t i, double fallback) {
                             return i < a.size() && !std::holds_alternative<std::monostate>(a[i])
                                        ? ToDouble(a[i])
                                        : fallback;
                         };
                         As<C>(c).PaintPicture(*picture, ToDouble(a[1]), ToDouble(a[2]), opt(3, -1),
                                               opt(4, -1), opt(5, 0), opt(6, 0), opt(7, -1),
                                               opt(8, -1));
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"PSet", 2, 3, [](Control& c, const std::vector<PropertyValue>& a) {
                         const OleColor color =
                             a.size() > 2 && !std::holds_alternative<std::monostate>(a[2])
                                 ? static_cast<OleColor>(ToLong(a[2]))
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

PropertyTable MakeWindowTable() {
    PropertyTable t;
    AddCommon(t, true);
    AddSurface<Window>(t);
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

PropertyTable MakePictureBoxTable() {
    PropertyTable t;
    AddCommon(t, true);
    AddSurface<PictureBox>(t);
    t.Add(Member<PictureBox>("AutoSize", PropertyType::Boolean, &PictureBox::AutoSize,
                             &PictureBox::SetAutoSize));
    t.Add(Member<PictureBox>("BorderStyle", PropertyType::Integer, &PictureBox::BorderStyle,
                             &PictureBox::SetBorderStyle));
    t.Add(Member<PictureBox>("Appearance", PropertyType::Integer, &PictureBox::Appearance,
                             &PictureBox::SetAppearance));
    t.SetDefault("Picture");
    return t;
}

PropertyTable MakeImageTable() {
    PropertyTable t;
    AddCommon(t, true);
    t.Add({"Picture", PropertyType::Picture,
           [](Control& c) { return PropertyValue(As<Image>(c).GetPicture()); },
           [](Control& c, const PropertyValue& v) {
               As<Image>(c).SetPicture(std::get<Picture>(v));
           }});
    t.Add(Member<Image>("Stretch", PropertyType::Boolean, &Image::Stretch, &Image::SetStretch));
    t.Add(Member<Image>("BorderStyle", PropertyType::Integer, &Image::BorderStyle,
                        &Image::SetBorderStyle));
    t.Add({"Appearance", PropertyType::Integer, [](Control&) { return Long(1); }, {}});
    t.SetDefault("Picture");
    return t;
}

PropertyTable MakeLabelTable() {
    PropertyTable t;
    AddCommon(t, true);
    AddFontProperties(t);
    t.Add(Member<Label>("Caption", PropertyType::String, &Label::Caption, &Label::SetCaption));
    t.Add(Member<Label>("ForeColor", PropertyType::Color, &Label::ForeColor, &Label::SetForeColor));
    t.Add(Member<Label>("BackColor", PropertyType::Color, &Label::BackColor, &Label::SetBackColor));
    t.Add(
        Member<Label>("BackStyle", PropertyType::Integer, &Label::BackStyle, &Label::SetBackStyle));
    t.Add(
        Member<Label>("Alignment", PropertyType::Integer, &Label::Alignment, &Label::SetAlignment));
    t.Add(Member<Label>("AutoSize", PropertyType::Boolean, &Label::AutoSize, &Label::SetAutoSize));
    t.Add(Member<Label>("WordWrap", PropertyType::Boolean, &Label::WordWrap, &Label::SetWordWrap));
    t.Add(Member<Label>("BorderStyle", PropertyType::Integer, &Label::BorderStyle,
                        &Label::SetBorderStyle));
    t.Add(Member<Label>("UseMnemonic", PropertyType::Boolean, &Label::UseMnemonic,
                        &Label::SetUseMnemonic));
    t.Add({"Appearance", PropertyType::Integer, [](Control&) { return Long(1); }, {}});
    t.SetDefault("Caption");
    return t;
}

PropertyTable MakeFrameTable() {
    PropertyTable t;
    AddCommon(t, true);
    AddFontProperties(t);
    t.Add(Member<Frame>("Caption", PropertyType::String, &Frame::Caption, &Frame::SetCaption));
    t.Add(Member<Frame>("ForeColor", PropertyType::Color, &Frame::ForeColor, &Frame::SetForeColor));
    t.Add(Member<Frame>("BackColor", PropertyType::Color, &Frame::BackColor, &Frame::SetBackColor));
    t.Add(Member<Frame>("BorderStyle", PropertyType::Integer, &Frame::BorderStyle,
                        &Frame::SetBorderStyle));
    t.Add({"Appearance", PropertyType::Integer, [](Control&) { return Long(1); }, {}});
    t.SetDefault("Caption");
    return t;
}

PropertyTable MakeTimerTable() {
    PropertyTable t;
    AddCommon(t, false);
    t.Add(Member<TimerControl>("Enabled", PropertyType::Boolean, &TimerControl::TimerEnabled,
                               &TimerControl::SetTimerEnabled));
    t.Add(Member<TimerControl>("Interval", PropertyType::Long, &TimerControl::Interval,
                               &TimerControl::SetInterval));
    t.SetDefault("Enabled");
    return t;
}

double RoundHalfEven(double v) {
    return std::nearbyint(v);
}

}  // namespace

void AddCommonProperties(PropertyTable& table, bool visual) {
    AddCommon(table, visual);
}
void AddFontPropertiesTo(PropertyTable& table) {
    AddFontProperties(table);
}

const PropertyInfo* PropertyTable::FindProperty(const QString& name) const {
    for (const auto& p : properties_)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

const MethodInfo* PropertyTable::FindMethod(const QString& name) const {
    for (const auto& m : methods_)
        if (m.name.compare(name, Qt::CaseInsensitive) == 0) return &m;
    return nullptr;
}

const PropertyTable& PropertiesOf(ControlKind kind) {
    // Built once, never changed afterwards.
    static const PropertyTable window = MakeWindowTable();
    static const PropertyTable pictureBox = MakePictureBoxTable();
    static const PropertyTable image = MakeImageTable();
    static const PropertyTable label = MakeLabelTable();
    static const PropertyTable frame = MakeFrameTable();
    static const PropertyTable timer = MakeTimerTable();
    switch (kind) {
        case ControlKind::Window:
            return window;
        case ControlKind::PictureBox:
            return pictureBox;
        case ControlKind::Image:
            return image;
        case ControlKind::Label:
            return label;
        case ControlKind::Frame:
            return frame;
        case ControlKind::Timer:
            return timer;
        default:
            if (const PropertyTable* more = MoreControlsProperties(kind)) return *more;
            break;
    }
    return window;
}

bool ToBool(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return false;
    if (const auto* b = std::get_if<bool>(&v)) return *b;
    if (const auto* i = std::get_if<qint32>(&v)) return *i != 0;
    if (const auto* d = std::get_if<double>(&v)) return *d != 0;
    if (const auto* s = std::get_if<QString>(&v)) {
        const QString t = s->trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (!ok) TypeMismatch();
        return d != 0;
    }
    TypeMismatch();
}

double ToDouble(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return 0;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
    if (const auto* i = std::get_if<qint32>(&v)) return *i;
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* s = std::get_if<QString>(&v)) {
        bool ok = false;
        const QString t = s->trimmed();
        double d = t.toDouble(&ok);
        if (!ok && t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
            QString digits = t.mid(2);
            if (digits.endsWith(QLatin1Char('&'))) digits.chop(1);  // Long type suffix
            const qint64 h = digits.toLongLong(&ok, 16);
            d = static_cast<double>(static_cast<qint32>(static_cast<quint32>(h)));
        }
        if (!ok) TypeMismatch();
        return d;
    }
    TypeMismatch();
}

qint32 ToLong(const PropertyValue& v) {
    if (const auto* i = std::get_if<qint32>(&v)) return *i;
    const double d = RoundHalfEven(ToDouble(v));
    if (!std::isfinite(d) || d < std::numeric_limits<qint32>::min() ||
        d > std::numeric_limits<qint32>::max())
        throw ControlError(6, QStringLiteral("Overflow"));
    return static_cast<qint32>(d);
}

QString ToText(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return QString();
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? QStringLiteral("True") : QStringLiteral("False");
    if (const auto* i = std::get_if<qint32>(&v)) return QString::number(*i);
    if (const auto* d = std::get_if<double>(&v)) return QString::number(*d, 'g', 15);
    if (const auto* s = std::get_if<QString>(&v)) return *s;
    // A picture's text is its handle.
    return QString::number(std::get<Picture>(v).Handle());
}

PropertyValue Convert(const PropertyValue& v, PropertyType type) {
    switch (type) {
        case PropertyType::Boolean:
            return ToBool(v);
        case PropertyType::Integer: {
            const qint32 n = ToLong(v);
            if (n < -32768 || n > 32767) throw ControlError(6, QStringLiteral("Overflow"));
            return n;
        }
        case PropertyType::Long:
        case PropertyType::Color:
            return ToLong(v);
        case PropertyType::Single:
            return ToDouble(v);
        case PropertyType::String:
            return ToText(v);
        case PropertyType::Picture:
            if (const auto* p = std::get_if<Picture>(&v)) return *p;
            // Nothing, or 0, clears a picture.
            if (std::holds_alternative<std::monostate>(v)) return Picture();
            if ((std::holds_alternative<qint32>(v) || std::holds_alternative<double>(v)) &&
                ToDouble(v) == 0)
                return Picture();
            TypeMismatch();
    }
    TypeMismatch();
}

PropertyValue GetProperty(Control& control, const QString& name) {
    const PropertyInfo* p = PropertiesOf(control.Kind()).FindProperty(name);
    if (!p)
        throw ControlError(kErrNoSuchMember,
                           QStringLiteral("Object doesn't support this property or method"));
    return p->get(control);
}

void SetProperty(Control& control, const QString& name, const PropertyValue& value) {
    const PropertyInfo* p = PropertiesOf(control.Kind()).FindProperty(name);
    if (!p)
        throw ControlError(kErrNoSuchMember,
                           QStringLiteral("Object doesn't support this property or method"));
    if (!p->set) throw ControlError(kErrReadOnly, QStringLiteral("Property is read-only"));
    p->set(control, Convert(value, p->type));
}

PropertyValue CallMethod(Control& control, const QString& name,
                         const std::vector<PropertyValue>& args) {
    const MethodInfo* m = PropertiesOf(control.Kind()).FindMethod(name);
    if (!m)
        throw ControlError(kErrNoSuchMember,
                           QStringLiteral("Object doesn't support this property or method"));
    if (static_cast<int>(args.size()) > m->maxArgs)
        throw ControlError(
            450, QStringLiteral("Wrong number of arguments or invalid property assignment"));
    for (int i = 0; i < m->minArgs; ++i)
        if (i >= static_cast<int>(args.size()) || std::holds_alternative<std::monostate>(args[i]))
            throw ControlError(kErrArgumentNotOptional, QStringLiteral("Argument not optional"));
    return m->call(control, args);
}

}  // namespace storyloom::forms
