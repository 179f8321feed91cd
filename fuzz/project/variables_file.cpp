// The variables file "Config\Variables", then the variable operations over what it declared.
#include "FuzzProject.h"
#include "core/Variables.h"
#include "project/VariablesFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    project.Write(QStringLiteral("Config/Variables"), fuzz::Bytes(data, size));
    auto program = project.NewProgram();
    GameVariables vars;
    LoadVariables(*program, vars,
                  {DeclaredVariables{{QStringLiteral("plugin")}, {QStringLiteral("plugin")}}});
    for (const auto& v : vars.Variables) {
        vars.ChangeVariableValue(*program, v->Name, -1);
        vars.GetVariableValue(v->Name);
        vars.DoesVariantVariableExist(v->Name);
    }
    for (const auto& v : vars.VariablesVariant) vars.ChangeVariableVariantValue(v->Name, 1);
    return 0;
}
