// The host API: objects, procedures, reset, time limit and safety limits.
#include <chrono>

#include "Harness.h"

namespace vbs::test {
namespace {

class HostApi : public ScriptTest {};

// A game-variable-like object: a default Value property.
class ValueObject : public HostObject {
  public:
    ValueObject() : HostObject(u"GameVariable") {
        AddProperty(
            u"Value", [this](std::span<Variant>) { return value; },
            [this](std::span<Variant>, const Variant& v) { value = v; });
        SetDefault(u"Value");
        AddMethod(u"Describe", [](std::span<Variant>) { return Variant::String(u"described"); });
    }
    Variant value = Variant::Long(1);
};

TEST_F(HostApi, DefaultMemberReadAndAssignedByBareName) {
    auto v = MakeRef<ValueObject>();
    ASSERT_TRUE(engine_.AddObject(u"Score", v.get(), true));
    EXPECT_EQ(Run("Score = Score + 41\nOut.Print Score, Score.Value"), "42 42\n");
    EXPECT_EQ(v->value.AsLong(), 42);
}

TEST_F(HostApi, GlobalMembersOfAddedObjects) {
    auto v = MakeRef<ValueObject>();
    ASSERT_TRUE(engine_.AddObject(u"Thing", v.get(), true));
    EXPECT_EQ(Run("Out.Print Describe"), "described\n");
    auto w = MakeRef<ValueObject>();
    ASSERT_TRUE(engine_.AddObject(u"Other", w.get(), false));
    EXPECT_EQ(Run("Out.Print Other.Describe()"), "described\n");
}

TEST_F(HostApi, ObjectNamesMustBeFreeAndNotReserved) {
    auto v = MakeRef<ValueObject>();
    EXPECT_FALSE(engine_.AddObject(u"Dim", v.get(), false));
    EXPECT_FALSE(engine_.AddObject(u"RANDOMIZE", v.get(), false));
    EXPECT_FALSE(engine_.AddObject(u"", v.get(), false));
    // "Me" outside a class is the host's own; long names are never reserved.
    EXPECT_TRUE(engine_.AddObject(u"Me", v.get(), false));
    EXPECT_TRUE(engine_.AddObject(u"AVeryLongObjectNameIndeed", v.get(), false));
    EXPECT_TRUE(engine_.AddObject(u"Hotspot", v.get(), false));
    EXPECT_FALSE(engine_.AddObject(u"hotspot", v.get(), false));
    EXPECT_EQ(engine_.LastError().number, 1041);
}

TEST_F(HostApi, RunProceduresByNameWithArguments) {
    ASSERT_EQ(Run("Function Add(a, b)\n Add = a + b\nEnd Function\nSub Nothing1()\nEnd Sub"), "");
    Variant r;
    Variant args[] = {Variant::Long(2), Variant::Long(3)};
    ASSERT_TRUE(engine_.Run(u"add", args, &r));
    EXPECT_EQ(r.AsLong(), 5);
    EXPECT_FALSE(engine_.Run(u"Missing"));
    EXPECT_EQ(engine_.LastError().number, 35);
    auto procs = engine_.Procedures();
    ASSERT_EQ(procs.size(), 2u);
    EXPECT_EQ(U8(procs[0].name), "Add");
    EXPECT_EQ(procs[0].argumentCount, 2);
    EXPECT_TRUE(procs[0].isFunction);
}

TEST_F(HostApi, ResetGivesFreshVariablesEvenForCachedCode) {
    const char* code = "Dim n\nn = n + 1\nSub Show()\n Out.Print n\nEnd Sub";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(engine_.Reset());
        ASSERT_TRUE(engine_.AddObject(u"Out", out_.get(), false));
        ASSERT_EQ(Run(code), "");
        printed_.clear();
        ASSERT_TRUE(engine_.Run(u"Show"));
        EXPECT_EQ(printed_, "1\n");
    }
    EXPECT_TRUE(engine_.Procedures().size() == 1);
}

TEST_F(HostApi, ResetIsRefusedWhileRunning) {
    bool resetResult = true;
    auto h = MakeRef<HostObject>();
    h->AddMethod(u"TryReset", [&](std::span<Variant>) {
        resetResult = engine_.Reset();
        return Variant();
    });
    engine_.AddObject(u"Host", h.get(), false);
    EXPECT_EQ(Run("Host.TryReset"), "");
    EXPECT_FALSE(resetResult);
    EXPECT_FALSE(engine_.IsRunning());
    EXPECT_TRUE(engine_.Reset());
}

TEST_F(HostApi, TimeoutEndsRunawayScripts) {
    engine_.SetTimeout(50);
    std::string r = Run("On Error Resume Next\nDo\nLoop");
    EXPECT_NE(r.find("error " + std::to_string(0x7FFF0001)), std::string::npos) << r;
    engine_.SetTimeout(-1);
    EXPECT_EQ(engine_.Timeout(), -1);
}

TEST_F(HostApi, TimeInTheHostDoesNotCountAgainstTheLimit) {
    engine_.SetTimeout(100);
    auto h = MakeRef<HostObject>();
    h->AddMethod(u"Wait", [](std::span<Variant>) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        while (std::chrono::steady_clock::now() < until) {
        }
        return Variant();
    });
    engine_.AddObject(u"Host", h.get(), false);
    engine_.SetMsgBoxHook([&](const MsgBoxRequest&) {
        h->Invoke(h->FindMember(u"Wait"), InvokeKind::Method, {});
        return 1;
    });
    EXPECT_EQ(Run("Host.Wait\nMsgBox \"slow reader\"\nFor i = 1 To 5000: Next\nOut.Print \"done\""),
              "done\n");
}

TEST_F(HostApi, DeepRecursionAndHugeAllocationsAreErrors) {
    EXPECT_EQ(Run("Function R(n)\n R = R(n + 1)\nEnd Function\nx = R(0)"),
              "error 28: Out of stack space (line 2)");
    EXPECT_EQ(Run("ReDim a(100000, 100000)"), "error 7: Out of memory (line 1)");
    EXPECT_EQ(Run("x = Space(2000000000)"), "error 7: Out of memory (line 1)");
    std::string deep(5000, '(');
    EXPECT_NE(Run("x = " + deep), "");
}

TEST_F(HostApi, HostErrorsReachScripts) {
    auto h = MakeRef<HostObject>();
    h->AddMethod(u"Fail", [](std::span<Variant>) -> Variant {
        throw ScriptException(1001, u"custom failure");
    });
    engine_.AddObject(u"Host", h.get(), false);
    EXPECT_EQ(Run("On Error Resume Next\nHost.Fail\nOut.Print Err.Number, Err.Description"),
              "1001 custom failure\n");
    EXPECT_EQ(Run("Host.Missing"),
              "error 438: Object doesn't support this property or method: 'Missing' (line 1)");
}

TEST_F(HostApi, EnumerationAndIndexAccess) {
    auto list = MakeRef<HostObject>(u"List");
    list->AddMethod(
        u"Item", [](std::span<Variant> a) { return Variant::Long(a[0].Deref().AsInteger() * 10); });
    list->SetDefault(u"Item");
    list->SetEnumerator([] { return std::vector<Variant>{Variant::Long(1), Variant::Long(2)}; });
    engine_.AddObject(u"List", list.get(), false);
    EXPECT_EQ(Run("Out.Print List(3)\nFor Each x In List: Out.Print x: Next"), "30\n1\n2\n");
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

TEST_F(HostApi, CheckSyntaxFindsEveryErrorAndRunsNothing) {
    std::vector<ScriptError> errors = engine_.CheckSyntax(
        u"Out.Print \"ran\"\nSub Good()\nEnd Sub\nx = (1\nSelect Case x\n Case\nEnd Select\n"
        u"Function F(a,)\nEnd Function\ny = 1 2\n");
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0].line, 4);
    EXPECT_EQ(errors[0].number, 1006);  // Expected ')'
    EXPECT_EQ(errors[1].line, 6);
    EXPECT_EQ(errors[2].line, 8);
    EXPECT_EQ(errors[3].line, 10);
    EXPECT_EQ(U8(errors[3].description), "Expected end of statement");
    EXPECT_TRUE(errors[3].compileError);
    // Nothing ran and nothing was defined.
    EXPECT_EQ(printed_, "");
    EXPECT_EQ(Run("Good"), "error 13: Type mismatch: 'Good' (line 1)");
    EXPECT_TRUE(
        engine_.CheckSyntax(u"Sub Good()\nEnd Sub\nClass C\n Public v\nEnd Class\n").empty());
    // A class member that fails does not end the class.
    errors = engine_.CheckSyntax(u"Class C\n Public\n Sub M()\n  x = \n End Sub\nEnd Class\n");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[1].line, 4);
}

class LongPrograms : public ScriptTest {};

// Long texts are compiled piecewise; lines and declarations must still be those of the text.
TEST_F(LongPrograms, LinesAndNamesSurviveSplitting) {
    std::string code = "Option Explicit\nDim total\n";
    for (int i = 0; i < 40; ++i) {
        code += "Function F" + std::to_string(i) + "(x)\n";
        code += "    Dim y\n    y = x + " + std::to_string(i) + "\n";
        code += "    F" + std::to_string(i) + " = y\nEnd Function\n";
    }
    code += "Sub Broken()\n    total = undeclared + 1\nEnd Sub\n";
    code += "total = F39(1) + F0(1)\nOut.Print total\n";
    EXPECT_EQ(Run(code), "41\n");
    int brokenLine = 2 + 40 * 5 + 2;
    ASSERT_FALSE(engine_.Run(u"Broken"));
    EXPECT_EQ(engine_.LastError().number, 500);
    EXPECT_EQ(engine_.LastError().line, brokenLine);
    // A syntax error far down is reported at its own line and nothing of the text runs.
    std::string bad = code + "If\n";
    printed_.clear();
    EXPECT_FALSE(engine_.AddCode(U16(bad)));
    EXPECT_EQ(engine_.LastError().line, 2 + 40 * 5 + 3 + 2 + 1);
    EXPECT_EQ(printed_, "");
}

TEST_F(LongPrograms, ExplicitCodeAssignsHostMembers) {
    auto h = MakeRef<HostObject>();
    Variant stored;
    h->AddProperty(
        u"Level", [&](std::span<Variant>) { return stored; },
        [&](std::span<Variant>, const Variant& v) { stored = v; });
    engine_.AddObject(u"Game", h.get(), true);
    EXPECT_EQ(Run("Option Explicit\nLevel = 3\nOut.Print Level"), "3\n");
}

// Modules and object sets prepared once and added on every run, by one engine or by two
// sharing their compiled code.
class PreparedCode : public ScriptTest {
  protected:
    // Reset, then the run the host makes: Out, the module with `text`, Run("Main").
    std::string RunModule(Engine& e, const ModuleCode& module, std::string_view text) {
        printed_.clear();
        e.Reset();
        e.AddObject(u"Out", out_.get(), false);
        if (!e.AddModule(module, U16(text)) || !e.Run(u"Main"))
            return printed_ + "error " + std::to_string(e.LastError().number) + " (line " +
                   std::to_string(e.LastError().line) + ")";
        return printed_;
    }
};

TEST_F(PreparedCode, EveryRunStartsFreshAndSeesTheModule) {
    auto module = engine_.CompileModule(
        u"Dim n\r\nn = n + 1\r\nFunction Count()\r\n Count = n\r\nEnd Function\r\n");
    ASSERT_TRUE(module);
    // The second run must not see what the first left in script-level variables.
    EXPECT_EQ(RunModule(engine_, *module,
                        "extra = 5\r\nSub Main\r\nn = 10\r\nOut.Print Count()\r\nEnd Sub"),
              "10\n");
    EXPECT_EQ(
        RunModule(engine_, *module, "Sub Main\r\nOut.Print Count(), IsEmpty(extra)\r\nEnd Sub"),
        "1 True\n");
    EXPECT_EQ(engine_.Procedures().size(), 2u);
}

TEST_F(PreparedCode, ContinuationKeepsTheLinesAndOptionExplicitOfOneText) {
    const std::u16string head = u"Option Explicit\r\nDim a\r\nOut.Print \"head\"\r\n";
    auto module = engine_.CompileModule(head);
    ASSERT_TRUE(module);
    // Line 4 is the continuation's first, as in the text made of both.
    const std::string tail = "Sub Main\r\n a = 1\r\n a = a / 0\r\nEnd Sub";
    EXPECT_EQ(RunModule(engine_, *module, tail), "head\nerror 11 (line 6)");
    printed_.clear();
    ASSERT_TRUE(engine_.Reset());
    engine_.AddObject(u"Out", out_.get(), false);
    EXPECT_TRUE(engine_.AddCode(head + U16(tail)));
    EXPECT_TRUE(engine_.Run(u"Main") == false && engine_.LastError().line == 6);
    // The module's Option Explicit holds in the continuation.
    EXPECT_EQ(RunModule(engine_, *module, "Sub Main\r\n b = 1\r\nEnd Sub"),
              "head\nerror 500 (line 5)");
    // A compile error in the continuation: its own line, and nothing of the module ran.
    EXPECT_EQ(RunModule(engine_, *module, "Sub Main\r\nIf\r\nEnd Sub"), "error 1023 (line 5)");
    // Any line end counts once: a lone CR, a lone LF, CR LF, a CR at the very end.
    for (const std::u16string& text :
         {std::u16string(u"Dim p\rDim q\nDim r\r\n"), std::u16string(u"Dim p\n\nDim r\r")}) {
        auto mixed = engine_.CompileModule(text);
        ASSERT_TRUE(mixed);
        EXPECT_EQ(RunModule(engine_, *mixed, "Sub Main\r\n p = 1 / 0\r\nEnd Sub"),
                  "error 11 (line 5)");
    }
    // Line breaks the host would have appended are counted without being there: the text
    // without them continues as the text with them.
    for (const auto& [text, breaks] : {std::pair<std::u16string, int>{u"Dim p\r\nDim q", 2},
                                       {u"Dim p\r\nDim q\r\n", 1},
                                       {u"Dim p\r\nDim q\r\n\r\n", 0}}) {
        auto module = engine_.CompileModule(text, breaks);
        ASSERT_TRUE(module);
        EXPECT_EQ(RunModule(engine_, *module, "Sub Main\r\n p = 1 / 0\r\nEnd Sub"),
                  "error 11 (line 5)");
    }
    // A module that does not compile names its line.
    EXPECT_FALSE(engine_.CompileModule(u"Sub A\r\nEnd Sub\r\nx = (\r\n"));
    EXPECT_EQ(engine_.LastError().line, 3);
}

// Compiled code lives as long as what holds it, however many programs are compiled and
// dropped around it (their memory is used again for new ones).
TEST_F(PreparedCode, KeptCodeStaysIntactWhileOtherCodeComesAndGoes) {
    std::string procedures = "Class Box\r\n Public v\r\nEnd Class\r\n";
    for (int i = 0; i < 300; ++i)
        procedures += "Function F" + std::to_string(i) + "(a)\r\n F" + std::to_string(i) +
                      " = a * 2 + " + std::to_string(i) + " & \"\"\r\nEnd Function\r\n";
    auto module = engine_.CompileModule(U16(procedures));
    ASSERT_TRUE(module);
    for (int round = 0; round < 60; ++round) {
        // A new, long snippet every round: compiled, run, then dropped at the next reset.
        std::string snippet =
            "Sub Main\r\n Dim b, t : Set b = New Box : b.v = " + std::to_string(round) + "\r\n";
        for (int k = 0; k < 200; ++k) snippet += " t = t + " + std::to_string(round * k) + "\r\n";
        snippet += " Out.Print F" + std::to_string(round * 5) + "(b.v), t\r\nEnd Sub";
        long long total = 0;
        for (int k = 0; k < 200; ++k) total += round * k;
        ASSERT_EQ(RunModule(engine_, *module, snippet),
                  std::to_string(round * 2 + round * 5) + " " + std::to_string(total) + "\n")
            << "round " << round;
    }
    // Code compiled outside any program (Eval) and code of a dropped module alike.
    module.reset();
    EXPECT_EQ(RunModule(engine_, *engine_.CompileModule(U16(procedures)),
                        "Sub Main\r\nOut.Print Eval(\"F299(1) + 1\")\r\nEnd Sub"),
              "302\n");
}

TEST_F(PreparedCode, EnginesSharingCodeKeepTheirOwnGlobals) {
    Engine second;
    ASSERT_TRUE(second.ShareCompiledCode(engine_));
    auto module = engine_.CompileModule(
        u"Dim g\r\nSub Store(v)\r\n g = v\r\nEnd Sub\r\nFunction Stored()\r\n"
        u" Stored = g\r\nEnd Function\r\n");
    ASSERT_TRUE(module);
    EXPECT_EQ(RunModule(engine_, *module, "Sub Main\r\nStore 5\r\nOut.Print Stored()\r\nEnd Sub"),
              "5\n");
    // A run of the other engine that engine_ is inside of (as a component event during a
    // script), with names neither engine has seen yet.
    auto nested = MakeRef<HostObject>();
    std::string inner;
    nested->AddMethod(u"Other", [&](std::span<Variant>) {
        inner = RunModule(second, *module,
                          "Sub Main\r\nfreshName = 2\r\nOut.Print IsEmpty(Stored()), freshName\r\n"
                          "Store 7\r\nEnd Sub");
        return Variant();
    });
    engine_.AddObject(u"Nested", nested.get(), false);
    ASSERT_TRUE(engine_.AddCode(u"Nested.Other\r\nfreshName = 3\r\nOut.Print Stored(), freshName"));
    EXPECT_EQ(inner, "True 2\n");
    EXPECT_EQ(printed_, "True 2\n5 3\n");
    // Hundreds of names made by one engine (a module's globals and procedures, prepared
    // objects) are reached by the other, which has not run since they were made.
    std::u16string many;
    for (int i = 0; i < 700; ++i) {
        const std::u16string n = U16(std::to_string(i));
        many += u"Dim v" + n + u"\r\nFunction F" + n + u"()\r\n v" + n + u" = " + n + u"\r\n F" +
                n + u" = v" + n + u"\r\nEnd Function\r\n";
    }
    auto big = engine_.CompileModule(many);
    ASSERT_TRUE(big);
    EXPECT_EQ(RunModule(second, *big, "Sub Main\r\nOut.Print F699() + F0(), v699\r\nEnd Sub"),
              "699 699\n");
    std::vector<NamedObject> things;
    for (int i = 0; i < 600; ++i)
        things.push_back({u"Thing" + U16(std::to_string(i)), Ref<Dispatch>(out_.get()), false});
    auto objects = engine_.PrepareObjects(things);
    printed_.clear();
    ASSERT_TRUE(second.Reset());
    ASSERT_TRUE(second.AddObjects(*objects));
    ASSERT_TRUE(second.AddModule(*big, u"Sub Main\r\nThing599.Print F1()\r\nEnd Sub"));
    ASSERT_TRUE(second.Run(u"Main"));
    EXPECT_EQ(printed_, "1\n");
    // A module of an engine that shares nothing with this one is refused.
    Engine apart;
    EXPECT_FALSE(apart.AddModule(*module));
    EXPECT_EQ(apart.LastError().number, 5);
}

TEST_F(PreparedCode, PreparedObjectsAreAddedInOrderUpToTheFirstThatFails) {
    auto v = MakeRef<ValueObject>();
    const Ref<Dispatch> score(v.get()), lives(MakeRef<ValueObject>().get());
    const NamedObject good[] = {{u"Score", score, true}, {u"Lives", lives, false}};
    auto set = engine_.PrepareObjects(good);
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(engine_.Reset());
        engine_.AddObject(u"Out", out_.get(), false);
        ASSERT_TRUE(engine_.AddObjects(*set));
        EXPECT_EQ(Run("Score = Score + 1\r\nOut.Print Score, Lives.Value, Describe"),
                  std::to_string(run + 2) + " 1 described\n");
    }
    const NamedObject bad[] = {
        {u"First", score, false}, {u"Dim", score, false}, {u"Third", score, false}};
    ASSERT_TRUE(engine_.Reset());
    EXPECT_FALSE(engine_.AddObjects(*engine_.PrepareObjects(bad)));
    EXPECT_EQ(engine_.LastError().number, 1010);
    EXPECT_EQ(Eval("IsObject(First)"), "True");
    EXPECT_EQ(Eval("IsEmpty(Third)"), "True");
    // A name the code already uses.
    ASSERT_TRUE(engine_.Reset());
    ASSERT_TRUE(engine_.AddCode(u"Sub Score\r\nEnd Sub"));
    EXPECT_FALSE(engine_.AddObjects(*set));
    EXPECT_EQ(engine_.LastError().number, 1041);
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

TEST(EngineLifetime, ScriptObjectsOutliveTheirEngine) {
    Variant kept;
    {
        Engine e;
        auto h = MakeRef<HostObject>();
        h->AddMethod(u"Keep", [&](std::span<Variant> a) {
            kept = a[0].Deref();
            return Variant();
        });
        e.AddObject(u"Host", h.get(), false);
        ASSERT_TRUE(
            e.AddCode(u"Class K\n Sub Class_Terminate()\n End Sub\n Function F()\n"
                      u"  F = 1\n End Function\nEnd Class\nHost.Keep New K"));
        ASSERT_TRUE(e.Reset());  // the class's code stays alive with its object
    }
    ASSERT_TRUE(kept.IsObject());
    Dispatch* d = kept.AsObject();
    int id = d->FindMember(u"F");
    ASSERT_NE(id, kDispUnknown);
    EXPECT_THROW(d->Invoke(id, InvokeKind::Get, {}), ScriptException);
    kept = Variant();  // releasing it after the engine is gone is safe
}

}  // namespace
}  // namespace vbs::test
