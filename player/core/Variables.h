#pragma once
// The game's named variables: 16-bit integer variables (set, cleared and inverted by hotspot
// actions, tested by hotspot conditions) and variant variables (for scripts).
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/KeyedCollection.h"

namespace storyloom {

class Program;

class ClassVariable {
  public:
    QString Name;
    qint16 Value = 0;
    bool operator==(const ClassVariable&) const = default;
};

class ClassVariableVariant {
  public:
    QString Name;
    QVariant Value;
    bool operator==(const ClassVariableVariant&) const = default;
};

class VariablesCollection : public KeyedCollection<ClassVariable> {
  public:
    std::shared_ptr<ClassVariable> Add(const QString& Name, qint16 Value, const QString& sKey = {});
    bool operator==(const VariablesCollection&) const = default;
};

class VariantCollection : public KeyedCollection<ClassVariableVariant> {
  public:
    std::shared_ptr<ClassVariableVariant> Add(const QString& Name, const QVariant& Value,
                                              const QString& sKey = {});
    bool operator==(const VariantCollection&) const = default;
};

// A variable's Name set after it was added must be followed by NoteVariableRenamed(): what
// is looked up by name (the lists' name indexes, the names scripts see) is rebuilt then.
void NoteVariableRenamed();
quint64 VariableNamesEpoch();

// The positions (0-based, in list order) of a list's entries by name without regard to case,
// built when first needed and again after the list or a name changed.
class NameIndex {
  public:
    template <class Collection>
    const std::vector<int>* Find(const Collection& list, const QString& name) const {
        if (revision_ != list.Revision() || epoch_ != VariableNamesEpoch() || !built_) {
            positions_.clear();
            int i = 0;
            for (const auto& item : list) positions_[item->Name.toCaseFolded()].push_back(i++);
            revision_ = list.Revision();
            epoch_ = VariableNamesEpoch();
            built_ = true;
        }
        auto it = positions_.find(name.toCaseFolded());
        return it == positions_.end() ? nullptr : &it->second;
    }

  private:
    mutable std::unordered_map<QString, std::vector<int>> positions_;
    mutable quint64 revision_ = 0;
    mutable quint64 epoch_ = 0;
    mutable bool built_ = false;
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

    bool operator==(const GameVariables& other) const {
        return Variables == other.Variables && VariablesVariant == other.VariablesVariant &&
               Disappear == other.Disappear;
    }

  private:
    NameIndex integerIndex_;
    NameIndex variantIndex_;
};

}  // namespace storyloom
