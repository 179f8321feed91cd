#include "core/Variables.h"

#include <exception>

#include "core/Program.h"

namespace storyloom {

namespace {
quint64 namesEpoch = 1;
}  // namespace

void NoteVariableRenamed() {
    ++namesEpoch;
}

quint64 VariableNamesEpoch() {
    return namesEpoch;
}

std::shared_ptr<ClassVariable> VariablesCollection::Add(const QString& Name, qint16 Value,
                                                        const QString& sKey) {
    auto variable = std::make_shared<ClassVariable>();
    variable->Name = Name;
    variable->Value = Value;
    KeyedCollection<ClassVariable>::Add(variable, sKey);
    return variable;
}

std::shared_ptr<ClassVariableVariant> VariantCollection::Add(const QString& Name,
                                                             const QVariant& Value,
                                                             const QString& sKey) {
    auto variable = std::make_shared<ClassVariableVariant>();
    variable->Name = Name;
    variable->Value = Value;
    KeyedCollection<ClassVariableVariant>::Add(variable, sKey);
    return variable;
}

void GameVariables::ChangeVariableValue(Program& program, const QString& VariableName,
                                        qint32 NewValue) {
    const std::vector<int>* found = integerIndex_.Find(Variables, VariableName);
    if (!found) return;
    for (int i : *found) {
        const auto& variable = Variables.Item(i + 1);
        if (variable->Name != VariableName) continue;
        if (NewValue == -1) {
            variable->Value = static_cast<qint16>(variable->Value ^ 1);
        } else if (NewValue < -32768 || NewValue > 32767) {
            program.ShowErrorBox(
                QStringLiteral(" Unable to change the value of the following variable: '") +
                VariableName +
                QStringLiteral(
                    "'. The variable may have been removed during the project creation."));
            return;
        } else {
            variable->Value = static_cast<qint16>(NewValue);
        }
    }
}

void GameVariables::ChangeVariableVariantValue(const QString& VariableName,
                                               const QVariant& NewValue) {
    if (const std::vector<int>* found = variantIndex_.Find(VariablesVariant, VariableName))
        for (int i : *found)
            if (const auto& variable = VariablesVariant.Item(i + 1); variable->Name == VariableName)
                variable->Value = NewValue;
}

qint16 GameVariables::GetVariableValue(const QString& VariableName) const {
    if (const std::vector<int>* found = integerIndex_.Find(Variables, VariableName))
        for (int i : *found)
            if (const auto& variable = Variables.Item(i + 1); variable->Name == VariableName)
                return variable->Value;
    return -32000;
}

bool GameVariables::DoesIntergerVariableExist(const QString& sVariableName) const {
    return integerIndex_.Find(Variables, sVariableName) != nullptr;
}

bool GameVariables::DoesVariantVariableExist(const QString& sVariableName) const {
    return variantIndex_.Find(VariablesVariant, sVariableName) != nullptr;
}

}  // namespace storyloom
