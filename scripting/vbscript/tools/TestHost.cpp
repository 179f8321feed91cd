// The conformance corpus's test host.
#include "TestHost.h"

#include <iostream>

#include "Internal.h"
#include "runtime/strings.h"

namespace vbs::tools {

void InstallTestHost(Engine& engine, TestCounts& counts, const std::string& fileName) {
    auto host = MakeRef<HostObject>(u"TestHost");
    auto okFn = [&counts, fileName](std::span<Variant> args) {
        if (args.size() != 2) ThrowError(kErrWrongArgs);
        const Variant& c = args[0].Deref();
        bool pass = c.Type() == vtBoolean && c.AsBoolRaw();
        if (pass) {
            ++counts.passed;
        } else {
            ++counts.failed;
            std::u16string msg;
            try {
                msg = ToStr(args[1]);
            } catch (...) {
            }
            std::cout << fileName << ": FAIL: " << rt::ToUtf8(msg) << "\n";
        }
        return Variant();
    };
    host->AddMethod(u"ok", okFn);
    host->AddMethod(u"todo_wine_ok", okFn);
    engine.AddObject(u"TestHost", host.get(), true);
}

}  // namespace vbs::tools
