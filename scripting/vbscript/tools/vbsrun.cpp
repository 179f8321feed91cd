// vbsrun FILE.vbs [args]: runs a script with a WScript object (Echo, Arguments, Quit).
// With --test-host it also provides the conformance corpus's test-host procedures.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Internal.h"
#include "Ops.h"
#include "TestHost.h"
#include "runtime/strings.h"
#include "vbscript/Engine.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    bool testHost = false;
    std::string file;
    std::vector<std::string> scriptArgs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (file.empty() && a == "--test-host") {
            testHost = true;
            continue;
        }
        if (file.empty())
            file = a;
        else
            scriptArgs.push_back(a);
    }
    if (file.empty()) {
        std::cerr << "usage: vbsrun [--test-host] FILE.vbs [args...]\n";
        return 2;
    }
    bool ok = false;
    std::u16string text = ReadScript(file, ok);
    if (!ok) {
        std::cerr << "vbsrun: cannot read " << file << "\n";
        return 2;
    }
    vbs::Engine engine;
    engine.SetTimeout(-1);
    int exitCode = 0;
    bool quit = false;
    auto wscript = vbs::MakeRef<vbs::HostObject>(u"IHost");
    wscript->AddMethod(u"Echo", [](std::span<vbs::Variant> args) {
        std::u16string line;
        for (size_t i = 0; i < args.size(); ++i) {
            if (i) line += u' ';
            const vbs::Variant& v = args[i].Deref();
            if (!v.IsNull()) line += vbs::ToStr(v);
        }
        std::cout << vbs::rt::ToUtf8(line) << "\n";
        return vbs::Variant();
    });
    auto arguments = vbs::MakeRef<vbs::HostObject>(u"IArguments2");
    std::vector<vbs::Variant> argValues;
    for (auto& a : scriptArgs) argValues.push_back(vbs::Variant::String(vbs::rt::FromUtf8(a)));
    arguments->AddMethod(u"Item", [argValues](std::span<vbs::Variant> args) {
        if (args.size() != 1) vbs::ThrowError(vbs::kErrWrongArgs);
        int32_t i = vbs::ToLong(args[0]);
        if (i < 0 || size_t(i) >= argValues.size()) vbs::ThrowError(vbs::kErrSubscript);
        return argValues[size_t(i)];
    });
    arguments->SetDefault(u"Item");
    arguments->AddMethod(u"Count", [n = argValues.size()](std::span<vbs::Variant>) {
        return vbs::Variant::Long(int32_t(n));
    });
    arguments->AddMethod(u"Length", [n = argValues.size()](std::span<vbs::Variant>) {
        return vbs::Variant::Long(int32_t(n));
    });
    arguments->SetEnumerator([argValues] { return argValues; });
    // WScript.Arguments(i) indexes the collection.
    wscript->AddMethod(u"Arguments", [arguments](std::span<vbs::Variant> args) {
        if (!args.empty()) return arguments->Invoke(vbs::kDispValue, vbs::InvokeKind::Get, args);
        return vbs::Variant::Object(arguments.get());
    });
    wscript->AddMethod(u"Quit", [&](std::span<vbs::Variant> args) -> vbs::Variant {
        exitCode = args.empty() ? 0 : vbs::ToLong(args[0]);
        quit = true;
        throw vbs::AbortRun{vbs::kErrQuit};
    });
    wscript->AddMethod(u"ScriptName", [name = BaseName(file)](std::span<vbs::Variant>) {
        return vbs::Variant::String(vbs::rt::FromUtf8(name));
    });
    wscript->AddMethod(u"ScriptFullName", [file](std::span<vbs::Variant>) {
        return vbs::Variant::String(vbs::rt::FromUtf8(file));
    });
    wscript->AddMethod(u"Sleep", [](std::span<vbs::Variant>) { return vbs::Variant(); });
    engine.AddObject(u"WScript", wscript.get(), false);
    engine.SetMsgBoxHook([](const vbs::MsgBoxRequest& r) {
        std::cout << vbs::rt::ToUtf8(r.prompt) << "\n";
        return 1;
    });
    vbs::tools::TestCounts counts;
    if (testHost) vbs::tools::InstallTestHost(engine, counts, BaseName(file));
    bool good = engine.AddCode(text);
    if (!good && quit) return exitCode;
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
    return exitCode;
}
