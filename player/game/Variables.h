#pragma once
// The game's named variables: 16-bit integer variables (set, cleared and inverted by hotspot
// actions, tested by hotspot conditions) and variant variables (for scripts).
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "game/KeyedCollection.h"

namespace storyloom {

class Program;

class ClassVariable {
  public:
    QString Name;
    qint16 Value = 0;
};

class ClassVariableVariant {
  public:
    QString Name;
    QVariant Value;
};

class VariablesCollection : public KeyedCollection<ClassVariable> {
  public:
    std::shared_ptr<ClassVariable> Add(const QString& Name, qint16 Value, const QString& sKey = {});
};

class VariantCollection : public KeyedCollection<ClassVariableVariant> {
  public:
    std::shared_ptr<ClassVariableVariant> Add(const QString& Name, const QVariant& Value,
                                              const QString& sKey = {});
};

// The variable names a plug-in declares.
struct DeclaredVariables {
    QStringList integerNames;
    QStringList variantNames;
};

// The game's lists of variables: integer variables, variant variables and the hidden hotspots
// (each entry's Name a frame name, its Value a hotspot number).
struct GameVariables {
    VariablesCollection Variables;
    VariantCollection VariablesVariant;
    VariablesCollection Disappear;

    // Every integer variable whose name equals `VariableName` exactly gets `NewValue`; -1 flips
    // the lowest bit of each one's value instead. A value outside the 16-bit range is reported
    // in the error box (changes already made stay).
    void ChangeVariableValue(Program& program, const QString& VariableName, qint32 NewValue);
    // Every variant variable of that exact name gets `NewValue`.
    void ChangeVariableVariantValue(const QString& VariableName, const QVariant& NewValue);
    // The first integer variable of that exact name; -32000 when there is none.
    qint16 GetVariableValue(const QString& VariableName) const;
    // Names compared without regard to case.
    bool DoesIntergerVariableExist(const QString& sVariableName) const;
    bool DoesVariantVariableExist(const QString& sVariableName) const;

    // Rebuilds both variable lists from ConfigPath & "Variables", then adds the names the
    // plug-ins declare that are not there yet. A damaged or missing file shows " Unable to load
    // variables list."; what was added before the failure stays.
    void LoadVariables(Program& program, const std::vector<DeclaredVariables>& plugins = {});
};

}  // namespace storyloom
