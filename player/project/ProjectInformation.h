#pragma once
// The project information file ConfigPath & "General" and the "More" settings file.
#include <QString>

namespace storyloom {

class Program;

// Sets the defaults and reads ConfigPath & "General". Files written by older authoring tools
// end early at the points where newer fields were appended; those fields keep their defaults.
// A damaged file shows the error box " Error loading project information."; what was read
// before the failure stays.
void LoadProjectInformation(Program& program);

// Values of section "General" of ConfigPath & "More" (empty when absent).
QString ReadMoreValue(const Program& program, const QString& key);
// "ScriptTimeOut": seconds, 0 when empty or absent (the engine's default then applies).
double ScriptTimeOutSeconds(const Program& program);
// "AllowCreateObject" = "1".
bool AllowCreateObject(const Program& program);
// "ProcEncr" read as a number is exactly 1.
bool ProceduresScrambled(const Program& program);

}  // namespace storyloom
