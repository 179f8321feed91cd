// The WScript object of the command-line runner, as the desktop's script host provides it:
// Echo, StdOut/StdErr/StdIn, Arguments (with Named and Unnamed), ScriptName, ScriptFullName,
// Sleep, Quit, CreateObject, Name, Version, FullName, Path, Interactive.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "vbscript/Engine.h"

namespace vbs::tools {

struct WScriptSetup {
    std::string scriptPath;              // as given on the command line
    std::vector<std::string> arguments;  // after the script's name
    std::string runnerPath;              // argv[0]
    std::ostream* out = nullptr;         // StdOut and Echo
    std::ostream* err = nullptr;         // StdErr
    std::istream* in = nullptr;          // StdIn
};

class WScriptHost {
  public:
    explicit WScriptHost(WScriptSetup setup);
    ~WScriptHost();
    WScriptHost(const WScriptHost&) = delete;
    WScriptHost& operator=(const WScriptHost&) = delete;

    // Adds WScript (and WSH, its other name) to the engine.
    void Install(Engine& engine);
    // Whether WScript.Quit ended the run, and the exit code it gave.
    bool QuitCalled() const { return quit_; }
    int ExitCode() const { return exitCode_; }

    // The text Echo prints for a value: Booleans as -1 and 0, Null as "null", objects by
    // their default member.
    static std::u16string EchoText(const Variant& v);

  private:
    WScriptSetup setup_;
    Ref<HostObject> wscript_;
    bool quit_ = false;
    int exitCode_ = 0;
};

}  // namespace vbs::tools
