#include "project/VariablesFile.h"

#include <exception>

#include "core/DataFile.h"
#include "core/Program.h"

namespace storyloom {

void LoadVariables(Program& program, GameVariables& vars,
                   const std::vector<DeclaredVariables>& plugins) {
    VariablesCollection& Variables = vars.Variables;
    VariantCollection& VariablesVariant = vars.VariablesVariant;
    Variables.Clear();
    VariablesVariant.Clear();
    try {
        SeqReader in = OpenSeqFile(program.platform.files,
                                   program.paths.ConfigPath + QStringLiteral("Variables"));
        in.ReadString();  // written by the authoring tool for itself
        bool variants = false;
        while (!in.AtEnd()) {
            const QString name = in.ReadString();
            if (name == u"***")
                variants = true;
            else if (variants)
                VariablesVariant.Add(name, QVariant(qint16(0)));
            else
                Variables.Add(name, 0);
        }
    } catch (const std::exception&) {
        program.ShowErrorBox(QStringLiteral(" Unable to load variables list."));
        return;
    }
    for (const DeclaredVariables& plugin : plugins) {
        for (const QString& name : plugin.integerNames)
            if (!vars.DoesIntergerVariableExist(name)) Variables.Add(name, 0);
        for (const QString& name : plugin.variantNames)
            if (!vars.DoesVariantVariableExist(name))
                VariablesVariant.Add(name, QVariant(qint16(0)));
    }
}

}  // namespace storyloom
