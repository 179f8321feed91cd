// The per-click cycle of the player: reset the engine, add a 5,000-line procedures text plus a
// one-line snippet, add 60 host objects, run the snippet. Prints median and 95th percentile.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "vbscript/Engine.h"

namespace {

std::u16string Num(int i) {
    std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

// About 5,000 lines of typical game procedures.
std::u16string MakeProcedures() {
    std::u16string t = u"Dim gScore, gNames(20)\r\n";
    for (int i = 0; i < 250; ++i) {
        std::u16string n = Num(i);
        t += u"Function Helper" + n + u"(a, b)\r\n";
        t += u"    Dim i, s\r\n";
        t += u"    s = \"\"\r\n";
        t += u"    For i = 1 To a\r\n";
        t += u"        If i Mod 2 = 0 Then\r\n";
        t += u"            s = s & Chr(65 + (i Mod 26))\r\n";
        t += u"        ElseIf i > b Then\r\n";
        t += u"            Exit For\r\n";
        t += u"        Else\r\n";
        t += u"            s = s & LCase(\"X\")\r\n";
        t += u"        End If\r\n";
        t += u"    Next\r\n";
        t += u"    Helper" + n + u" = s\r\n";
        t += u"End Function\r\n";
        t += u"Sub Action" + n + u"(who)\r\n";
        t += u"    Select Case who\r\n";
        t += u"        Case \"a\", \"b\": gScore = gScore + 1\r\n";
        t += u"        Case Else: gScore = gScore - 1\r\n";
        t += u"    End Select\r\n";
        t += u"End Sub\r\n";
    }
    return t;
}

class Value : public vbs::HostObject {
  public:
    Value() : HostObject(u"GameVariable") {
        AddProperty(
            u"Value", [this](std::span<vbs::Variant>) { return value_; },
            [this](std::span<vbs::Variant>, const vbs::Variant& v) { value_ = v; });
        SetDefault(u"Value");
    }

  private:
    vbs::Variant value_ = vbs::Variant::Long(0);
};

}  // namespace

int main() {
    std::u16string procs = MakeProcedures();
    std::vector<vbs::Ref<Value>> objects;
    for (int i = 0; i < 60; ++i) objects.push_back(vbs::MakeRef<Value>());
    vbs::Engine engine;
    std::vector<double> times;
    for (int round = 0; round < 300; ++round) {
        // Every click runs a different snippet after the same procedures.
        std::u16string program =
            procs + u"\r\n\r\nSub StartupProcedure\r\nVar1 = Var1 + " + Num(round) + u"\r\nEnd Sub";
        auto t0 = std::chrono::steady_clock::now();
        engine.Reset();
        if (!engine.AddCode(program)) {
            std::printf("compile error %d line %d\n", engine.LastError().number,
                        engine.LastError().line);
            return 1;
        }
        for (int i = 0; i < 60; ++i)
            engine.AddObject(u"Var" + Num(i), objects[size_t(i)].get(), true);
        if (!engine.Run(u"StartupProcedure")) {
            std::printf("run error %d\n", engine.LastError().number);
            return 1;
        }
        auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("snippet cycle (%zu lines of procedures): median %.3f ms, p95 %.3f ms\n",
                size_t(std::count(procs.begin(), procs.end(), u'\n')), times[times.size() / 2],
                times[times.size() * 95 / 100]);
    return 0;
}
