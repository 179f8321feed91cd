#include "scripting/ScriptValues.h"

#include <QDateTime>
#include <cmath>

#include "core/Variables.h"
#include "platform/forms/controls/PictureBox.h"

// The engine's conversion rules, defined in the engine library: scripts expect a value passed to
// the game to convert exactly as it would inside the script.
namespace vbs {
bool ToBool(const Variant& v);
double ToDouble(const Variant& v);
int32_t ToLong(const Variant& v);
int16_t ToInteger(const Variant& v);
std::u16string ToStr(const Variant& v);
}  // namespace vbs

namespace storyloom {

namespace {

const vbs::Variant kEmpty;

bool Same(std::u16string_view a, const char* b) {
    const size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = static_cast<char16_t>(b[i]);
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}

// Runs a control operation, turning its failures into script errors.
template <class F>
auto Guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const forms::ControlError& e) {
        RaiseScriptError(e.Number(), e.Description());
    }
}

}  // namespace

std::u16string_view U16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

std::u16string U16(const QString& text) {
    return std::u16string(U16View(text));
}

QString FromU16(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

void RaiseScriptError(int number, const QString& description) {
    throw vbs::ScriptException(number, U16(description));
}

QString ScriptText(const vbs::Variant& value) {
    return FromU16(vbs::ToStr(value.Deref()));
}
double ScriptDouble(const vbs::Variant& value) {
    return vbs::ToDouble(value.Deref());
}
bool ScriptBool(const vbs::Variant& value) {
    return vbs::ToBool(value.Deref());
}
qint16 ScriptInteger(const vbs::Variant& value) {
    return vbs::ToInteger(value.Deref());
}
qint32 ScriptLong(const vbs::Variant& value) {
    return vbs::ToLong(value.Deref());
}

const vbs::Variant& Arg(std::span<vbs::Variant> args, size_t index) {
    return index < args.size() ? args[index].Deref() : kEmpty;
}

void PictureRegistry::Remember(const forms::Picture& picture) {
    if (!picture.IsEmpty() && !Find(picture.Handle())) pictures_.push_back(picture);
}

const forms::Picture* PictureRegistry::Find(qint64 handle) const {
    for (const forms::Picture& p : pictures_)
        if (p.Handle() == handle) return &p;
    return nullptr;
}

vbs::Variant ToScript(const forms::PropertyValue& value, PictureRegistry* pictures) {
    if (const bool* b = std::get_if<bool>(&value)) return vbs::Variant::Bool(*b);
    if (const qint32* i = std::get_if<qint32>(&value)) {
        if (*i >= -32768 && *i <= 32767) return vbs::Variant::Integer(static_cast<int16_t>(*i));
        return vbs::Variant::Long(*i);
    }
    if (const double* d = std::get_if<double>(&value)) return vbs::Variant::Double(*d);
    if (const QString* s = std::get_if<QString>(&value)) return vbs::Variant::String(U16(*s));
    if (const forms::Picture* p = std::get_if<forms::Picture>(&value)) {
        if (pictures) pictures->Remember(*p);
        return vbs::Variant::Object(new PictureObject(*p));
    }
    return vbs::Variant();
}

forms::PropertyValue FromScript(const vbs::Variant& raw) {
    const vbs::Variant& v = raw.Deref();
    switch (v.Type()) {
        case vbs::vtEmpty:
            return std::monostate{};
        case vbs::vtNull:
            RaiseScriptError(94, QStringLiteral("Invalid use of Null"));
        case vbs::vtBoolean:
            return v.AsBoolRaw();
        case vbs::vtInteger:
            return qint32(v.AsInteger());
        case vbs::vtLong:
            return qint32(v.AsLong());
        case vbs::vtByte:
            return qint32(v.AsByte());
        case vbs::vtString:
            return FromU16(v.Str());
        case vbs::vtObject: {
            vbs::Dispatch* obj = v.AsObject();
            if (!obj) return forms::Picture();  // Nothing: the empty picture
            if (auto* picture = dynamic_cast<PictureObject*>(obj)) return picture->Picture();
            // Any other object gives its default value.
            std::vector<vbs::Variant> none;
            return FromScript(obj->Invoke(vbs::kDispValue, vbs::InvokeKind::Get, none));
        }
        default:
            return ScriptDouble(v);
    }
}

vbs::Variant ToScript(const QVariant& value) {
    if (!value.isValid()) return vbs::Variant();
    if (value.isNull() && value.typeId() == QMetaType::Nullptr) return vbs::Variant::Null();
    switch (value.typeId()) {
        case QMetaType::Bool:
            return vbs::Variant::Bool(value.toBool());
        case QMetaType::Short:
            return vbs::Variant::Integer(static_cast<int16_t>(value.toInt()));
        case QMetaType::Int:
            return vbs::Variant::Long(value.toInt());
        case QMetaType::Double:
            return vbs::Variant::Double(value.toDouble());
        case QMetaType::Float:
            return vbs::Variant::Single(value.toFloat());
        case QMetaType::LongLong:
            return vbs::Variant::Double(static_cast<double>(value.toLongLong()));
        case QMetaType::QString:
            return vbs::Variant::String(U16(value.toString()));
        default:
            return vbs::Variant::String(U16(value.toString()));
    }
}

QVariant ToQVariant(const vbs::Variant& raw) {
    const vbs::Variant& v = raw.Deref();
    switch (v.Type()) {
        case vbs::vtEmpty:
            return QVariant();
        case vbs::vtNull:
            return QVariant::fromValue(nullptr);
        case vbs::vtBoolean:
            return QVariant(v.AsBoolRaw());
        case vbs::vtInteger:
            return QVariant::fromValue<short>(v.AsInteger());
        case vbs::vtLong:
            return QVariant(static_cast<int>(v.AsLong()));
        case vbs::vtByte:
            return QVariant::fromValue<short>(v.AsByte());
        case vbs::vtSingle:
            return QVariant(v.AsSingle());
        case vbs::vtString:
            return QVariant(FromU16(v.Str()));
        case vbs::vtObject:
            if (v.AsObject()) {
                std::vector<vbs::Variant> none;
                return ToQVariant(
                    v.AsObject()->Invoke(vbs::kDispValue, vbs::InvokeKind::Get, none));
            }
            RaiseScriptError(91, QStringLiteral("Object variable not set"));
        default:
            if (v.IsArray()) RaiseScriptError(13, QStringLiteral("Type mismatch"));
            return QVariant(ScriptDouble(v));
    }
}

// ---- PictureObject -----------------------------------------------------------------------------

int PictureObject::FindMember(std::u16string_view name) {
    if (Same(name, "Handle")) return vbs::kDispValue;
    if (Same(name, "Width")) return 1;
    if (Same(name, "Height")) return 2;
    if (Same(name, "Type")) return 3;
    return vbs::kDispUnknown;
}

vbs::Variant PictureObject::Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant>) {
    if (kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set)
        RaiseScriptError(383, QStringLiteral("Property is read-only"));
    switch (id) {
        case vbs::kDispValue:
            return vbs::Variant::Long(static_cast<int32_t>(picture_.Handle()));
        case 1:
            return vbs::Variant::Long(picture_.HimetricWidth());
        case 2:
            return vbs::Variant::Long(picture_.HimetricHeight());
        case 3:
            return vbs::Variant::Integer(static_cast<int16_t>(picture_.Type()));
        default:
            vbs::ThrowError(438);
    }
}

// ---- ControlObject -----------------------------------------------------------------------------

forms::Control& ControlObject::Resolve() const {
    if (!array_) return *control_;
    forms::Control* c = array_->Find(index_);
    if (!c)
        RaiseScriptError(forms::kErrElementMissing,
                         QStringLiteral("Control array element '%1' doesn't exist").arg(index_));
    return *c;
}

std::u16string ControlObject::TypeName() {
    return U16(forms::PropertiesOf(Kind()).TypeName());
}

int ControlObject::FindMember(std::u16string_view name) {
    const forms::PropertyTable& table = forms::PropertiesOf(Kind());
    const QString n = FromU16(name);
    const auto& props = table.Properties();
    for (size_t i = 0; i < props.size(); ++i)
        if (props[i].name.compare(n, Qt::CaseInsensitive) == 0) return static_cast<int>(i) + 1;
    const auto& methods = table.Methods();
    for (size_t i = 0; i < methods.size(); ++i)
        if (methods[i].name.compare(n, Qt::CaseInsensitive) == 0)
            return kMethodBase + static_cast<int>(i);
    return vbs::kDispUnknown;
}

vbs::Variant ControlObject::Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) {
    const forms::PropertyTable& table = forms::PropertiesOf(Kind());
    forms::Control& c = Resolve();
    if (id >= kMethodBase) {
        const auto& m = table.Methods().at(static_cast<size_t>(id - kMethodBase));
        std::vector<forms::PropertyValue> values;
        for (const vbs::Variant& a : args) values.push_back(FromScript(a));
        return ToScript(Guarded([&] { return forms::CallMethod(c, m.name, values); }), pictures_);
    }
    QString name;
    if (id == vbs::kDispValue) {
        name = table.DefaultProperty();
        if (name.isEmpty()) vbs::ThrowError(438);
    } else {
        name = table.Properties().at(static_cast<size_t>(id - 1)).name;
    }
    if (kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set) {
        if (args.empty()) vbs::ThrowError(450);
        forms::PropertyValue value = FromScript(args.back());
        const forms::PropertyInfo* info = table.FindProperty(name);
        if (info && info->type == forms::PropertyType::Picture && pictures_) {
            // A picture assigned without Set arrives as its handle.
            if (const qint32* handle = std::get_if<qint32>(&value)) {
                if (*handle == 0)
                    value = forms::Picture();
                else if (const forms::Picture* picture = pictures_->Find(*handle))
                    value = *picture;
            }
        }
        Guarded([&] {
            forms::SetProperty(c, name, value);
            return 0;
        });
        return {};
    }
    return ToScript(Guarded([&] { return forms::GetProperty(c, name); }), pictures_);
}

void ControlObject::LoadElement() {
    if (!array_) throw forms::ControlError(343, QStringLiteral("Object not an array"));
    array_->Load(index_);
}

void ControlObject::UnloadElement() {
    if (!array_) throw forms::ControlError(343, QStringLiteral("Object not an array"));
    array_->Unload(index_);
}

forms::Picture ScriptPicture(const vbs::Variant& value, const PictureRegistry* pictures) {
    if (value.IsObject()) {
        vbs::Dispatch* object = value.AsObject();
        if (!object) vbs::ThrowError(91);
        if (auto* picture = dynamic_cast<PictureObject*>(object)) return picture->Picture();
        if (auto* control = dynamic_cast<ControlObject*>(object)) {
            forms::Control& c = control->Resolve();
            if (auto* box = dynamic_cast<forms::PictureBox*>(&c)) return box->ImagePicture();
            const forms::PropertyValue v =
                Guarded([&] { return forms::GetProperty(c, QStringLiteral("Picture")); });
            if (const auto* picture = std::get_if<forms::Picture>(&v)) return *picture;
        }
        vbs::ThrowError(13);
    }
    if (value.IsEmpty()) return {};
    const qint32 handle = ScriptLong(value);
    if (handle == 0) return {};
    if (const forms::Picture* picture = pictures ? pictures->Find(handle) : nullptr)
        return *picture;
    RaiseScriptError(481, QStringLiteral("Invalid picture"));
}

// ---- ControlArrayObject ------------------------------------------------------------------------

int ControlArrayObject::FindMember(std::u16string_view name) {
    if (Same(name, "Item")) return vbs::kDispValue;
    if (Same(name, "Count")) return 1;
    if (Same(name, "UBound")) return 2;
    if (Same(name, "LBound")) return 3;
    return vbs::kDispUnknown;
}

vbs::Variant ControlArrayObject::Invoke(int id, vbs::InvokeKind kind,
                                        std::span<vbs::Variant> args) {
    if (kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set) {
        // Hotspot(3) = value assigns the element's default property.
        if (id != vbs::kDispValue || args.size() < 2) vbs::ThrowError(450);
        vbs::Variant element =
            vbs::Variant::Object(new ControlObject(array_, ScriptLong(args[0]), pictures_));
        std::vector<vbs::Variant> value{args.back()};
        return element.AsObject()->Invoke(vbs::kDispValue, kind, value);
    }
    const std::vector<int> indices = array_->Indices();
    switch (id) {
        case vbs::kDispValue:
            if (args.empty()) return vbs::Variant::Object(this);
            return vbs::Variant::Object(new ControlObject(array_, ScriptLong(args[0]), pictures_));
        case 1:
            return vbs::Variant::Integer(static_cast<int16_t>(indices.size()));
        case 2:
            return vbs::Variant::Integer(
                static_cast<int16_t>(indices.empty() ? -1 : indices.back()));
        case 3:
            return vbs::Variant::Integer(
                static_cast<int16_t>(indices.empty() ? 0 : indices.front()));
        default:
            vbs::ThrowError(438);
    }
}

bool ControlArrayObject::Enumerate(std::vector<vbs::Variant>& out) {
    for (int index : array_->Indices())
        out.push_back(vbs::Variant::Object(new ControlObject(array_, index, pictures_)));
    return true;
}

// ---- UnavailableObject -------------------------------------------------------------------------

vbs::Variant UnavailableObject::Invoke(int, vbs::InvokeKind, std::span<vbs::Variant>) {
    RaiseScriptError(438,
                     QStringLiteral("The object %1 is not available in this player").arg(name_));
}

// ---- Game variables ----------------------------------------------------------------------------

int IntegerVariableObject::FindMember(std::u16string_view name) {
    if (Same(name, "Value")) return vbs::kDispValue;
    if (Same(name, "Name")) return 1;
    return vbs::kDispUnknown;
}

vbs::Variant IntegerVariableObject::Invoke(int id, vbs::InvokeKind kind,
                                           std::span<vbs::Variant> args) {
    const bool assign = kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set;
    if (assign && args.empty()) vbs::ThrowError(450);
    if (id == vbs::kDispValue) {
        if (assign) {
            variable_->Value = ScriptInteger(args.back());
            return {};
        }
        return vbs::Variant::Integer(variable_->Value);
    }
    if (id == 1) {
        if (assign) {
            variable_->Name = ScriptText(args.back());
            NoteVariableRenamed();
            return {};
        }
        return vbs::Variant::String(U16(variable_->Name));
    }
    vbs::ThrowError(438);
}

int VariantVariableObject::FindMember(std::u16string_view name) {
    if (Same(name, "Value")) return vbs::kDispValue;
    if (Same(name, "Name")) return 1;
    return vbs::kDispUnknown;
}

vbs::Variant VariantVariableObject::Invoke(int id, vbs::InvokeKind kind,
                                           std::span<vbs::Variant> args) {
    const bool assign = kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set;
    if (assign && args.empty()) vbs::ThrowError(450);
    if (id == vbs::kDispValue) {
        if (assign) {
            variable_->Value = ToQVariant(args.back());
            return {};
        }
        return ToScript(variable_->Value);
    }
    if (id == 1) {
        if (assign) {
            variable_->Name = ScriptText(args.back());
            NoteVariableRenamed();
            return {};
        }
        return vbs::Variant::String(U16(variable_->Name));
    }
    vbs::ThrowError(438);
}

}  // namespace storyloom
