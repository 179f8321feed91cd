#pragma once
// Every control kind's properties and methods by name, so that the script host can offer all
// controls to scripts through one generic bridge. Names compare without regard to case. Each
// kind builds and registers its own table in its source file (controls/<Kind>.cpp); the bridge
// finds it by the control's kind (PropertiesOf).
#include <QString>
#include <functional>
#include <variant>
#include <vector>

#include "platform/forms/Control.h"

namespace storyloom::forms {

// A property's value as it crosses into scripts: empty, Boolean, whole number, floating
// number, text or picture.
using PropertyValue = std::variant<std::monostate, bool, qint32, double, QString, Picture>;

enum class PropertyType { Boolean, Integer, Long, Single, String, Color, Picture };

inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrNoSuchMember = 438;
inline constexpr int kErrReadOnly = 383;
inline constexpr int kErrArgumentNotOptional = 449;

// Error 13 "Type mismatch".
[[noreturn]] void ThrowTypeMismatch();

struct PropertyInfo {
    QString name;
    PropertyType type;
    std::function<PropertyValue(Control&)> get;
    // Empty for a read-only property. Receives a value already converted to `type`.
    std::function<void(Control&, const PropertyValue&)> set;
};

struct MethodInfo {
    QString name;
    int minArgs = 0;
    int maxArgs = 0;
    // Missing optional arguments come as std::monostate.
    std::function<PropertyValue(Control&, const std::vector<PropertyValue>&)> call;
};

class PropertyTable {
  public:
    // `typeName`: the control's type as scripts see it (Basic's TypeName).
    explicit PropertyTable(QString typeName) : typeName_(std::move(typeName)) {}
    const QString& TypeName() const { return typeName_; }
    const PropertyInfo* FindProperty(const QString& name) const;
    const MethodInfo* FindMethod(const QString& name) const;
    const std::vector<PropertyInfo>& Properties() const { return properties_; }
    const std::vector<MethodInfo>& Methods() const { return methods_; }
    // The member used when a script names the control alone (Basic's default property).
    const QString& DefaultProperty() const { return defaultProperty_; }

    void Add(PropertyInfo info) { properties_.push_back(std::move(info)); }
    void Add(MethodInfo info) { methods_.push_back(std::move(info)); }
    // A kind's own version of a shared method: replaces the method of that name where it
    // stands (or adds it).
    void Override(MethodInfo info);
    void SetDefault(QString name) { defaultProperty_ = std::move(name); }

  private:
    QString typeName_;
    std::vector<PropertyInfo> properties_;
    std::vector<MethodInfo> methods_;
    QString defaultProperty_;
};

// The table of a kind; a kind that registered none has an empty one named "Object".
const PropertyTable& PropertiesOf(ControlKind kind);

// A kind registers its table once, from a namespace-scope object in its own source file, so
// that it is there before any script runs:
//   const PropertyTableRegistration registration(ControlKind::Label, &MakeTable);
class PropertyTableRegistration {
  public:
    PropertyTableRegistration(ControlKind kind, PropertyTable (*make)());
};

// Generic access with Basic's conversions; failures are ControlError with Basic's numbers
// (438 unknown member, 383 read-only, 13 type mismatch, 380 invalid value).
PropertyValue GetProperty(Control& control, const QString& name);
void SetProperty(Control& control, const QString& name, const PropertyValue& value);
PropertyValue CallMethod(Control& control, const QString& name,
                         const std::vector<PropertyValue>& args);

// Basic's conversions between the value kinds.
bool ToBool(const PropertyValue& value);
qint32 ToLong(const PropertyValue& value);
double ToDouble(const PropertyValue& value);
QString ToText(const PropertyValue& value);
PropertyValue Convert(const PropertyValue& value, PropertyType type);

}  // namespace storyloom::forms
