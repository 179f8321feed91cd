// A small harness: an engine with a "Out" host object collecting what scripts print.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "vbscript/Engine.h"

namespace vbs::test {

inline std::string U8(std::u16string_view s) {
    return ToUtf8(s);
}
inline std::u16string U16(std::string_view s) {
    return FromUtf8(s);
}

class ScriptTest : public ::testing::Test {
  protected:
    ScriptTest() {
        out_ = MakeRef<HostObject>(u"Out");
        out_->AddMethod(u"Print", [this](std::span<Variant> args) {
            std::u16string line;
            for (size_t i = 0; i < args.size(); ++i) {
                if (i) line += u' ';
                Variant v = args[i].Deref();
                Variant s;
                line += Text(v);
            }
            printed_ += U8(line) + "\n";
            return Variant();
        });
        engine_.AddObject(u"Out", out_.get(), false);
    }

    static std::u16string Text(const Variant& v) {
        // Uses the engine's own conversion through a scratch engine.
        Engine e;
        Ref<HostObject> h = MakeRef<HostObject>();
        Variant captured = v;
        h->AddMethod(u"V", [captured](std::span<Variant>) { return captured; });
        e.AddObject(u"H", h.get(), false);
        Variant r;
        if (!e.Eval(u"CStr(H.V)", r)) return u"<" + e.LastError().description + u">";
        return r.Str();
    }

    // Runs code; returns what it printed, or "error N: text (line L)".
    std::string Run(std::string_view code) {
        printed_.clear();
        if (!engine_.AddCode(U16(code))) {
            const ScriptError& e = engine_.LastError();
            return printed_ + "error " + std::to_string(e.number) + ": " + U8(e.description) +
                   " (line " + std::to_string(e.line) + ")";
        }
        return printed_;
    }

    // Evaluates an expression to text via CStr in the engine ("error N" on failure).
    std::string Eval(std::string_view expr) {
        Variant r;
        if (!engine_.Eval(U16("CStr(" + std::string(expr) + ")"), r))
            return "error " + std::to_string(engine_.LastError().number);
        return U8(r.Str());
    }

    std::string TypeOf(std::string_view expr) {
        Variant r;
        if (!engine_.Eval(U16("TypeName(" + std::string(expr) + ")"), r))
            return "error " + std::to_string(engine_.LastError().number);
        return U8(r.Str());
    }

    Engine engine_;
    Ref<HostObject> out_;
    std::string printed_;
};

}  // namespace vbs::test
