// The conformance corpus's test host: the procedures of the original test program, natively.
#include "TestHost.h"

#include <iostream>

#include "engine/EngineImpl.h"
#include "lib/numbers/numbers.h"
#include "lib/strings/strings.h"

namespace vbs::tools {

namespace {

// unkObj: an object that offers no members at all (a bare COM object in the original).
class UnknownOnly : public Dispatch {
  public:
    int FindMember(std::u16string_view) override { return kDispUnknown; }
    Variant Invoke(int, InvokeKind, std::span<Variant>) override { ThrowError(kErrNoMember); }
};

std::u16string VtName(const Variant& v) {
    if (v.IsRef()) {
        const Variant& t = v.Deref();
        if (t.IsArray())
            return t.AsArray()->fixed ? u"VT_ARRAY|VT_BYREF|VT_VARIANT*" : u"VT_ARRAY|VT_VARIANT*";
        return VtName(t) + u"*";
    }
    if (v.IsArray()) return u"VT_ARRAY|VT_VARIANT";
    switch (v.Type()) {
        case vtEmpty:
            return u"VT_EMPTY";
        case vtNull:
            return u"VT_NULL";
        case vtInteger:
            return u"VT_I2";
        case vtLong:
            return u"VT_I4";
        case vtSingle:
            return u"VT_R4";
        case vtDouble:
            return u"VT_R8";
        case vtCurrency:
            return u"VT_CY";
        case vtDate:
            return u"VT_DATE";
        case vtString:
            return u"VT_BSTR";
        case vtObject:
            return dynamic_cast<UnknownOnly*>(v.AsObject()) ? u"VT_UNKNOWN" : u"VT_DISPATCH";
        case vtBoolean:
            return u"VT_BOOL";
        case vtByte:
            return u"VT_UI1";
        case vtError:
            return u"VT_ERROR";
        default:
            return u"VT_UNKNOWN";
    }
}

// The host's global object: its members are reachable without a name in front.
class Host : public HostObject {
  public:
    Host() : HostObject(u"TestHost") {}
    bool WantsReferences() const override { return true; }
};

// A collection whose enumeration yields nothing (the corpus only walks it).
class Collection : public HostObject {
  public:
    Collection() : HostObject(u"Object") {
        SetEnumerator([] {
            return std::vector<Variant>{Variant::Integer(1), Variant::Integer(2),
                                        Variant::Integer(3)};
        });
        AddMethod(u"reset", [](std::span<Variant>) { return Variant(); });
    }
};

// testObj: every member name (keywords included) reads as 10.
class AnyMember : public Dispatch {
  public:
    int FindMember(std::u16string_view) override { return 1; }
    Variant Invoke(int, InvokeKind, std::span<Variant>) override { return Variant::Integer(10); }
};

}  // namespace

void InstallTestHost(Engine& engine, TestCounts& counts, const std::string& fileName) {
    auto host = MakeRef<Host>();
    EngineImpl* impl = &engine.Impl();
    auto okFn = [&counts, fileName, impl](std::span<Variant> args) {
        if (args.size() != 2) ThrowError(kErrWrongArgs);
        const Variant& c = args[0].Deref();
        bool pass = c.Type() == vtBoolean && c.AsBoolRaw();
        if (pass) {
            ++counts.passed;
        } else {
            ++counts.failed;
            std::u16string msg;
            try {
                msg = ToStr(args[1].Deref());
            } catch (...) {
            }
            std::cout << fileName << "(" << impl->line << "): FAIL: " << rt::ToUtf8(msg) << "\n";
        }
        return Variant();
    };
    host->AddMethod(u"ok", okFn);
    host->AddMethod(u"todo_wine_ok", okFn);
    host->AddMethod(u"trace", [](std::span<Variant>) { return Variant(); });
    host->AddMethod(u"reportSuccess", [](std::span<Variant>) { return Variant(); });
    host->AddMethod(u"getVT", [](std::span<Variant> args) {
        if (args.size() != 1) ThrowError(kErrWrongArgs);
        return Variant::String(VtName(args[0]));
    });
    host->AddMethod(u"isEnglishLang", [](std::span<Variant>) { return Variant::Bool(true); });
    host->AddMethod(u"MaxCharSize", [](std::span<Variant>) { return Variant::Long(1); });
    host->AddMethod(u"firstDayOfWeek", [](std::span<Variant>) { return Variant::Long(1); });
    host->AddMethod(u"isNullDisp", [](std::span<Variant> args) {
        if (args.size() != 1) ThrowError(kErrWrongArgs);
        const Variant& v = args[0].Deref();
        if (v.Type() != vtObject) ThrowError(kErrTypeMismatch);
        return Variant::Bool(v.AsObject() == nullptr);
    });
    host->AddMethod(u"doubleAsString", [](std::span<Variant> args) {
        if (args.size() != 1) ThrowError(kErrWrongArgs);
        return Variant::String(rt::DoubleToText(ToDouble(args[0].Deref())));
    });
    auto counter = std::make_shared<int>(0);
    host->AddMethod(u"counter", [counter](std::span<Variant>) {
        return Variant::Integer(int16_t((*counter)++));
    });
    host->AddMethod(u"isArrayFixed", [](std::span<Variant> args) {
        if (args.size() != 1) ThrowError(kErrWrongArgs);
        const Variant& v = args[0].Deref();
        return Variant::Bool(v.IsArray() && v.AsArray()->fixed);
    });
    host->AddMethod(u"throwInt", [](std::span<Variant> args) -> Variant {
        if (args.size() != 1) ThrowError(kErrWrongArgs);
        int32_t hr = ToLong(args[0].Deref());
        if (hr >= 0) return Variant::Bool(false);  // a success code is no error
        // The failure code of a COM-style host becomes a VBScript error number.
        ThrowError(ErrorFromHResult(hr));
    });
    auto throwWithDesc = []() -> Variant {
        ScriptException ex(int32_t(0xdeadbeef), u"test");
        ex.helpFile = u"test.chm";
        ex.helpContext = 10;
        throw ex;
    };
    host->AddProperty(
        u"throwWithDesc",
        [throwWithDesc](std::span<Variant>) -> Variant { return throwWithDesc(); },
        [throwWithDesc](std::span<Variant>, const Variant&) { throwWithDesc(); });
    auto coll = MakeRef<Collection>();
    host->AddMethod(u"collectionObj",
                    [coll](std::span<Variant>) { return Variant::Object(coll.get()); });
    host->AddMethod(u"testArray", [](std::span<Variant>) { return Variant(); });
    // Inspects an object through the binary interface only; nothing to check from a script.
    host->AddMethod(u"testDisp", [](std::span<Variant>) { return Variant(); });
    Ref<Dispatch> unk(new UnknownOnly);
    host->AddMethod(u"unkObj", [unk](std::span<Variant>) { return Variant::Object(unk.get()); });
    Ref<Dispatch> any(new AnyMember);
    host->AddMethod(u"testObj", [any](std::span<Variant>) { return Variant::Object(any.get()); });
    engine.AddObject(u"TestHost", host.get(), true);
    auto test = MakeRef<HostObject>(u"Object");
    engine.AddObject(u"test", test.get(), false);
    engine.AddObject(u"Me", test.get(), false);
}

}  // namespace vbs::tools
