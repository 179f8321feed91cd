#pragma once
// The project's variables file (ConfigPath & "Variables"): the names of the integer variables,
// a line "***", then the names of the variant variables.
#include <vector>

#include "core/Variables.h"

namespace storyloom {

class Program;

// Rebuilds both variable lists of `vars` from the file, then adds the names the plug-ins declare
// that are not there yet. A damaged or missing file shows " Unable to load variables list.";
// what was added before the failure stays.
void LoadVariables(Program& program, GameVariables& vars,
                   const std::vector<DeclaredVariables>& plugins = {});

}  // namespace storyloom
