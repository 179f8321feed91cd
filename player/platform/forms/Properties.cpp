#include "platform/forms/Properties.h"

#include <cmath>
#include <limits>
#include <memory>

namespace storyloom::forms {

namespace {

// The registered tables by kind, filled before main runs and only read afterwards.
std::vector<std::unique_ptr<const PropertyTable>>& Registry() {
    static std::vector<std::unique_ptr<const PropertyTable>> tables;
    return tables;
}

}  // namespace

void ThrowTypeMismatch() {
    throw ControlError(kErrTypeMismatch, QStringLiteral("Type mismatch"));
}

PropertyTableRegistration::PropertyTableRegistration(ControlKind kind, PropertyTable (*make)()) {
    auto& tables = Registry();
    const auto index = static_cast<std::size_t>(kind);
    if (tables.size() <= index) tables.resize(index + 1);
    if (tables[index]) qFatal("Two property tables registered for control kind %zu", index);
    tables[index] = std::make_unique<const PropertyTable>(make());
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

void PropertyTable::Override(MethodInfo info) {
    for (auto& m : methods_)
        if (m.name.compare(info.name, Qt::CaseInsensitive) == 0) {
            m = std::move(info);
            return;
        }
    methods_.push_back(std::move(info));
}

const PropertyTable& PropertiesOf(ControlKind kind) {
    static const PropertyTable unknown(QStringLiteral("Object"));
    const auto& tables = Registry();
    const auto index = static_cast<std::size_t>(kind);
    return index < tables.size() && tables[index] ? *tables[index] : unknown;
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
        if (!ok) ThrowTypeMismatch();
        return d != 0;
    }
    ThrowTypeMismatch();
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
        if (!ok) ThrowTypeMismatch();
        return d;
    }
    ThrowTypeMismatch();
}

qint32 ToLong(const PropertyValue& v) {
    if (const auto* i = std::get_if<qint32>(&v)) return *i;
    // Halves go to the even neighbour, as Basic's CLng rounds.
    const double d = std::nearbyint(ToDouble(v));
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
            ThrowTypeMismatch();
    }
    ThrowTypeMismatch();
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
