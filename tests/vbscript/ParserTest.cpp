// The compiler: lexical forms, statement shapes and the compile errors of malformed text.
#include "Harness.h"

namespace vbs::test {
namespace {

class Parser : public ScriptTest {
  protected:
    // The compile error number of code, or 0 when it compiles and runs.
    int CompileError(std::string_view code) {
        Engine e;
        if (e.AddCode(U16(code))) return 0;
        return e.LastError().compileError ? e.LastError().number : -e.LastError().number;
    }
};

TEST_F(Parser, LexicalForms) {
    EXPECT_EQ(Run("[my var] = 5\nOut.Print [my var]"), "5\n");
    EXPECT_EQ(Run("hi = \"y\"\nx = \"x\"&hi\nOut.Print x"), "xy\n");
    EXPECT_EQ(Run("Out.Print 1 =< 2, 2 => 3, 1 >< 1"), "True False False\n");
    EXPECT_EQ(Run("Out.Print \"a\"\"b\"  ' quotes doubled\n: : Rem nothing\nOut.Print 1 : Rem x"),
              "a\"b\n1\n");
    EXPECT_EQ(Run("x = 1 + _\n  _\n  2\nOut.Print x"), "3\n");
    EXPECT_EQ(Run("Out.Print .5 + 5., 1E2, &H10&, &o10"), "5.5 100 16 8\n");
    EXPECT_EQ(Run("Out.Print TypeName(32767), TypeName(32768), TypeName(&HFFFF&), "
                  "TypeName(2147483648)"),
              "Integer Long Long Double\n");
}

TEST_F(Parser, KeywordsAsNames) {
    EXPECT_EQ(Run("Sub S(property)\n property = property + 1\n Out.Print property\nEnd Sub\nS 1"),
              "2\n");
    auto h = MakeRef<HostObject>();
    h->AddMethod(u"Rem", [](std::span<Variant>) { return Variant::Long(1); });
    h->AddMethod(u"End", [](std::span<Variant>) { return Variant::Long(2); });
    engine_.AddObject(u"H", h.get(), false);
    EXPECT_EQ(Run("Out.Print H.Rem + H.End"), "3\n");
}

TEST_F(Parser, SingleLineForms) {
    EXPECT_EQ(Run("If 1 Then Out.Print \"a\" Else Out.Print \"b\" End If"), "a\n");
    EXPECT_EQ(Run("Sub One() Out.Print \"one\" End Sub\nOne"), "one\n");
    EXPECT_EQ(
        Run("x = 2\nSelect Case x\n Case 1 Out.Print \"1\"\n Case 2 Out.Print \"2\"\nEnd Select"),
        "2\n");
    EXPECT_EQ(Run("If False Then\nElseIf True Then Out.Print \"elseif\"\nEnd If"), "elseif\n");
}

TEST_F(Parser, CallShapes) {
    ASSERT_EQ(Run("Function Twice(x)\n Twice = x * 2\nEnd Function\n"
                  "Sub Show(a, b)\n Out.Print a, b\nEnd Sub"),
              "");
    EXPECT_EQ(Run("Show (1) + 1, 3"), "2 3\n");
    EXPECT_EQ(Run("Call Show(1, 2)"), "1 2\n");
    EXPECT_EQ(Run("Show Twice(2), (3)"), "4 3\n");
    EXPECT_EQ(Run("y = (Twice)(5)\nOut.Print y"), "10\n");
    EXPECT_EQ(Run("Call (((Show)))(7, 8)"), "7 8\n");
}

TEST_F(Parser, DefinitionsInsideTopLevelBlocks) {
    EXPECT_EQ(Run("If False Then\nFunction Hidden()\n Hidden = 9\nEnd Function\nEnd If\n"
                  "Out.Print Hidden()"),
              "9\n");
}

TEST_F(Parser, CompileErrorNumbers) {
    EXPECT_EQ(CompileError("x = "), 1023);
    EXPECT_EQ(CompileError("x = 1 2"), 1025);
    EXPECT_EQ(CompileError("If x Then\n"), 1014);
    EXPECT_EQ(CompileError("If x\nEnd If"), 1017);
    EXPECT_EQ(CompileError("For i = 1\nNext"), 1013);
    EXPECT_EQ(CompileError("For i = 1 To 2\n"), 1020);
    EXPECT_EQ(CompileError("While x\n"), 1018);
    EXPECT_EQ(CompileError("Loop"), 1038);
    EXPECT_EQ(CompileError("Next"), 1055);
    EXPECT_EQ(CompileError("Sub A\nExit Function\nEnd Sub"), 1039);
    EXPECT_EQ(CompileError("Sub A\nEnd Function"), 1016);
    EXPECT_EQ(CompileError("Property Get X\nEnd Property"), 1048);
    EXPECT_EQ(CompileError("Dim a\nDim a"), 1041);
    EXPECT_EQ(CompileError("x = 1\nOption Explicit"), 1042);
    EXPECT_EQ(CompileError("Class C\n Sub Class_Initialize(a)\n End Sub\nEnd Class"), 1053);
    EXPECT_EQ(CompileError("Class C\n Property Let P()\n End Property\nEnd Class"), 1054);
    EXPECT_EQ(CompileError("Class C\n Property Get P(a)\n End Property\n"
                           " Property Let P(v)\n End Property\nEnd Class"),
              1051);
    EXPECT_EQ(CompileError("Class C\n Private Default Function F()\n End Function\nEnd Class"),
              1057);
    EXPECT_EQ(CompileError("Class C\n Public Default Function F()\n End Function\n"
                           " Public Default Function G()\n End Function\nEnd Class"),
              1052);
    EXPECT_EQ(CompileError("Select Case 1\nCase 1\nCase Else\nCase 2\nEnd Select"), 1014);
    EXPECT_EQ(CompileError("x = #not a date#"), 1032);
    EXPECT_EQ(CompileError("x = $"), 1032);
    EXPECT_EQ(CompileError("On Error Goto 1"), 1002);
    EXPECT_EQ(CompileError("Do While 1\nLoop Until 2"), 1025);
}

TEST_F(Parser, CompileErrorsStopTheWholeText) {
    EXPECT_EQ(Run("Out.Print \"before\"\nx = (1\n"), "error 1006: Expected ')' (line 2)");
    Variant r;
    EXPECT_FALSE(engine_.Eval(u"Before", r) && !r.IsEmpty());
}

TEST_F(Parser, DeepNestingIsAnErrorNotACrash) {
    std::string deep = "x = " + std::string(300, '(') + "1" + std::string(300, ')');
    EXPECT_EQ(Run(deep), "error 28: Out of stack space (line 1)");
    std::string ifs;
    for (int i = 0; i < 300; ++i) ifs += "If 1 Then\n";
    EXPECT_NE(Run(ifs), "");
    std::string minus = "x = " + std::string(5000, '-') + "1";
    EXPECT_EQ(Run(minus), "error 28: Out of stack space (line 1)");
}

TEST_F(Parser, ClassMembersInAnyLayout) {
    // Members used before their declaration, fields declared after the methods.
    EXPECT_EQ(Run("Class C\n Public Function Get2(): Get2 = Helper() * mX: End Function\n"
                  " Private Function Helper(): Helper = 2: End Function\n"
                  " Private Sub Class_Initialize: mX = 21: End Sub\n Private mX\nEnd Class\n"
                  "Set obj = New C\nOut.Print obj.Get2()"),
              "42\n");
}

}  // namespace
}  // namespace vbs::test
