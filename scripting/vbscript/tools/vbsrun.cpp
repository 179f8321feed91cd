// vbsrun: the engine's command-line host. Runs a script with a WScript object as the desktop's
// script host gives it, checks scripts for syntax errors, or runs the conformance corpus's
// test-host procedures. `vbsrun --help` tells how.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "TestHost.h"
#include "WScriptHost.h"
#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"
#include "values/Ops.h"
#include "vbscript/Engine.h"

namespace {

constexpr const char* kHelp =
    R"(usage: vbsrun [--test-host] FILE.vbs [ARGUMENTS...]
       vbsrun --check FILE.vbs [FILE.vbs...]
       vbsrun --help

Runs a VBScript file with the WScript object of the desktop's script host:
  WScript.Echo a, b         prints its arguments separated by spaces (True as -1, False
                            as 0, Null as "null", objects by their default member)
  WScript.StdOut, StdErr    Write text, WriteLine [text], WriteBlankLines n, Close
  WScript.StdIn             ReadLine, Read n, ReadAll, Skip n, SkipLine, AtEndOfStream,
                            AtEndOfLine, Line, Column
  WScript.Arguments         every argument after FILE: Count, Length, Item(i) or (i),
                            For Each; .Named holds the /name:value ones (Item(name),
                            Exists, Count), .Unnamed the others (Item(i), Count)
  WScript.ScriptName, ScriptFullName, Name, Version, FullName, Path, Interactive
  WScript.Sleep ms          waits
  WScript.Quit [code]       ends the script; code is vbsrun's exit status
  WScript.CreateObject id   the engine's objects: "Scripting.Dictionary", "VBScript.RegExp"
  (CreateObject, MsgBox and InputBox work as well; MsgBox prints its prompt.)
Script files are read as UTF-8 or UTF-16 with a byte-order mark, else as Windows-1252.

Options:
  --check FILE...   compiles each file without running it and prints every syntax error
                    as FILE(LINE,COLUMN) error NUMBER: DESCRIPTION
  --test-host       also provides the conformance corpus's test-host procedures (ok,
                    getVT ...) and prints "FILE: N passed, N failed" at the end
  --help            prints this text

Exit status: the code given to WScript.Quit, else 0; 1 after a script error (printed as
FILE(LINE) error NUMBER: DESCRIPTION on standard error) or when --check found errors; 2 when
a file cannot be read or the command line is wrong.
)";

std::u16string ReadScript(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ok = false;
        return {};
    }
    std::stringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    ok = true;
    if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB &&
        uint8_t(bytes[2]) == 0xBF)
        return vbs::rt::FromUtf8(std::string_view(bytes).substr(3));
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        std::u16string s;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            s += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
        return s;
    }
    return vbs::rt::FromWindows1252(bytes);
}

std::string BaseName(const std::string& p) {
    size_t s = p.find_last_of("/\\");
    return s == std::string::npos ? p : p.substr(s + 1);
}

// --check: every syntax error of every file; 1 when any file has one or cannot be read.
int Check(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& file : files) {
        bool ok = false;
        std::u16string text = ReadScript(file, ok);
        if (!ok) {
            std::cerr << "vbsrun: cannot read " << file << "\n";
            status = 2;
            continue;
        }
        vbs::Engine engine;
        std::vector<vbs::ScriptError> errors = engine.CheckSyntax(text);
        for (const vbs::ScriptError& e : errors)
            std::cout << file << "(" << e.line << "," << e.column << ") error " << e.number << ": "
                      << vbs::rt::ToUtf8(e.description) << "\n";
        if (errors.empty()) {
            std::cout << file << ": no syntax errors\n";
        } else {
            std::cout << file << ": " << errors.size()
                      << (errors.size() == 1 ? " syntax error\n" : " syntax errors\n");
            if (status == 0) status = 1;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    bool testHost = false;
    bool check = false;
    std::string file;
    std::vector<std::string> scriptArgs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (file.empty() && !check && (a == "--help" || a == "-h" || a == "-?" || a == "/?")) {
            std::cout << kHelp;
            return 0;
        }
        if (file.empty() && a == "--test-host") {
            testHost = true;
            continue;
        }
        if (file.empty() && a == "--check") {
            check = true;
            continue;
        }
        if (file.empty() && a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::cerr << "vbsrun: unknown option " << a << " (vbsrun --help tells the options)\n";
            return 2;
        }
        if (file.empty())
            file = a;
        else
            scriptArgs.push_back(a);
    }
    if (file.empty()) {
        std::cerr << "usage: vbsrun [--test-host] FILE.vbs [args...] | --check FILE.vbs... | "
                     "--help\n";
        return 2;
    }
    if (check) {
        scriptArgs.insert(scriptArgs.begin(), file);
        return Check(scriptArgs);
    }
    bool ok = false;
    std::u16string text = ReadScript(file, ok);
    if (!ok) {
        std::cerr << "vbsrun: cannot read " << file << "\n";
        return 2;
    }
    vbs::Engine engine;
    engine.SetTimeout(-1);
    vbs::tools::WScriptSetup setup;
    setup.scriptPath = file;
    setup.arguments = scriptArgs;
    setup.runnerPath = argv[0];
    vbs::tools::WScriptHost host(setup);
    host.Install(engine);
    engine.SetMsgBoxHook([](const vbs::MsgBoxRequest& r) {
        std::cout << vbs::rt::ToUtf8(r.prompt) << "\n";
        return 1;
    });
    vbs::tools::TestCounts counts;
    if (testHost) vbs::tools::InstallTestHost(engine, counts, BaseName(file));
    bool good = engine.AddCode(text);
    std::cout.flush();
    if (!good && host.QuitCalled()) return host.ExitCode();
    if (testHost) {
        std::cout << BaseName(file) << ": " << counts.passed << " passed, " << counts.failed
                  << " failed\n";
    }
    if (!good) {
        const vbs::ScriptError& e = engine.LastError();
        std::cerr << BaseName(file) << "(" << e.line << ") error " << e.number << ": "
                  << vbs::rt::ToUtf8(e.description) << "\n";
        return 1;
    }
    if (testHost && counts.failed > 0) return 1;
    return 0;
}
