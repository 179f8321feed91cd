// The language: statements, procedures, classes, arrays, error handling.
#include "Harness.h"

namespace vbs::test {
namespace {

class Language : public ScriptTest {};

TEST_F(Language, IfElseIfAndSingleLineForms) {
    EXPECT_EQ(Run("x = 5\n"
                  "If x > 10 Then\n Out.Print \"big\"\nElseIf x > 3 Then\n Out.Print \"mid\"\n"
                  "Else\n Out.Print \"small\"\nEnd If\n"
                  "If x = 5 Then Out.Print \"a\" : Out.Print \"b\" Else Out.Print \"c\"\n"
                  "If x = 4 Then Out.Print \"no\" Else Out.Print \"else\"\n"),
              "mid\na\nb\nelse\n");
}

TEST_F(Language, SelectCaseWithListsAndElse) {
    EXPECT_EQ(Run("For Each v In Array(1, 2, \"x\", 9)\n"
                  " Select Case v\n  Case 1, 2: Out.Print \"low\"\n  Case \"x\": Out.Print \"x\"\n"
                  "  Case Else: Out.Print \"other\"\n End Select\nNext"),
              "low\nlow\nx\nother\n");
    // VBScript has no Is or To in Case.
    EXPECT_EQ(Run("Select Case 1\nCase Is > 0\nEnd Select"),
              "error 1025: Expected end of statement (line 2)");
    EXPECT_EQ(Run("Select Case 1\nCase 1 To 3\nEnd Select"),
              "error 1025: Expected end of statement (line 2)");
}

TEST_F(Language, LoopsAndExits) {
    EXPECT_EQ(Run("s = \"\"\nFor i = 1 To 10 Step 3: s = s & i: Next\nOut.Print s\n"
                  "For i = 5 To 1 Step -2: s = s & i: Next\nOut.Print s\n"
                  "n = 0\nDo While n < 3: n = n + 1: Loop\nOut.Print n\n"
                  "Do: n = n + 1: Loop Until n >= 7\nOut.Print n\n"
                  "Do\n n = n + 1\n If n = 9 Then Exit Do\nLoop\nOut.Print n\n"
                  "While n < 12: n = n + 1: Wend\nOut.Print n\n"
                  "For i = 1 To 100\n If i = 4 Then Exit For\nNext\nOut.Print i\n"),
              "14710\n14710531\n3\n7\n9\n12\n4\n");
}

TEST_F(Language, ForLoopCounterTypeAndBounds) {
    EXPECT_EQ(Run("For i = 1 To 3: Next\nOut.Print i, TypeName(i)\n"
                  "For d = 0 To 1 Step 0.5: Next\nOut.Print d, TypeName(d)\n"
                  "For i = 32766 To 32767: Next\nOut.Print i, TypeName(i)"),
              "4 Integer\n1.5 Double\n32768 Long\n");
}

TEST_F(Language, ByRefAndByValArguments) {
    EXPECT_EQ(Run("Sub Inc(ByRef a, ByVal b)\n a = a + 1\n b = b + 1\nEnd Sub\n"
                  "x = 1: y = 1\nInc x, y\nOut.Print x, y\n"
                  "Inc (x), y\nOut.Print x\n"
                  "Call Inc(x, y)\nOut.Print x\n"
                  "Dim arr(2)\nInc arr(1), y\nOut.Print arr(1)\n"),
              "2 1\n2\n3\n1\n");
}

TEST_F(Language, FunctionsRecursionAndExit) {
    EXPECT_EQ(Run("Function Fact(n)\n If n <= 1 Then Fact = 1: Exit Function\n"
                  " Fact = n * Fact(n - 1)\nEnd Function\nOut.Print Fact(10)\n"
                  "Function NoResult()\nEnd Function\nOut.Print IsEmpty(NoResult())"),
              "3628800\nTrue\n");
}

TEST_F(Language, ProceduresAreHoistedAndLastDefinitionWins) {
    EXPECT_EQ(Run("Out.Print Later()\nFunction Later()\n Later = 1\nEnd Function\n"
                  "Function Later()\n Later = 2\nEnd Function"),
              "2\n");
}

TEST_F(Language, ClassesWithPropertiesDefaultAndLifecycle) {
    EXPECT_EQ(Run("Class Counter\n Private mCount\n Public Name\n"
                  " Private Sub Class_Initialize(): mCount = 10: Out.Print \"init\": End Sub\n"
                  " Private Sub Class_Terminate(): Out.Print \"bye \" & Name: End Sub\n"
                  " Public Default Property Get Count(): Count = mCount: End Property\n"
                  " Public Property Let Count(v): mCount = v: End Property\n"
                  " Public Function Bump(by): mCount = mCount + by: Set Bump = Me: End Function\n"
                  "End Class\n"
                  "Set c = New Counter\nc.Name = \"c\"\nc.Count = 5\nc.Bump(2).Bump 3\n"
                  "Out.Print c.Count, c\nSet c = Nothing\nOut.Print \"after\""),
              "init\n10 10\nbye c\nafter\n");
}

TEST_F(Language, PrivateMembersAreHiddenOutside) {
    EXPECT_EQ(Run("Class K\n Private secret\nEnd Class\nSet obj = New K\nx = obj.secret"),
              "error 438: Object doesn't support this property or method: 'secret' (line 5)");
}

TEST_F(Language, WithBlocks) {
    EXPECT_EQ(Run("Class P\n Public X, Y\nEnd Class\nSet pt = New P\n"
                  "With pt\n .X = 3\n .Y = .X * 2\n Out.Print .X, .Y\nEnd With"),
              "3 6\n");
}

TEST_F(Language, ArraysFixedDynamicMultiDimensional) {
    EXPECT_EQ(Run("Dim a(2, 3)\na(2, 3) = \"x\"\nOut.Print UBound(a, 1), UBound(a, 2), a(2, 3)\n"
                  "ReDim b(1)\nb(1) = 7\nReDim Preserve b(4)\nOut.Print UBound(b), b(1)\n"
                  "c = b\nc(1) = 8\nOut.Print b(1), c(1)\n"
                  "Erase b\nOut.Print IsArray(b)\n"),
              "2 3 x\n4 7\n7 8\nTrue\n");
    EXPECT_EQ(Run("Dim f(2)\nReDim f(3)"),
              "error 10: This array is fixed or temporarily locked (line 2)");
    EXPECT_EQ(Run("Dim g(2)\ng(3) = 1"), "error 9: Subscript out of range (line 2)");
}

TEST_F(Language, OnErrorResumeNextAndErrObject) {
    EXPECT_EQ(Run("On Error Resume Next\nx = 1 / 0\nOut.Print Err.Number, Err.Description\n"
                  "Err.Clear\nOut.Print Err.Number\n"
                  "Err.Raise 1234, \"src\", \"custom\"\nOut.Print Err.Number, Err.Source, "
                  "Err.Description\n"
                  "On Error GoTo 0\nOut.Print Err.Number\n"),
              "11 Division by zero\n0\n1234 src custom\n0\n");
    EXPECT_EQ(Run("Sub Fails()\n x = CInt(\"abc\")\n Out.Print \"not here\"\nEnd Sub\n"
                  "On Error Resume Next\nFails\nOut.Print Err.Number"),
              "13\n");
}

TEST_F(Language, ErrorsCarryTheirLine) {
    EXPECT_EQ(Run("x = 1\n\ny = Nothing + 1"), "error 91: Object variable not set (line 3)");
    EXPECT_EQ(Run("Sub S()\n  z = 1\n  z = \"a\" * 2\nEnd Sub\nS"),
              "error 13: Type mismatch (line 3)");
}

TEST_F(Language, CompileErrors) {
    EXPECT_EQ(Run("If x Then\nOut.Print 1\n"), "error 1014: Expected 'End' (line 3)");
    EXPECT_EQ(Run("x = (1 + \n"), "error 1023: Expected expression (line 1)");
    EXPECT_EQ(Run("x = \"abc\n"), "error 1033: Unterminated string constant (line 1)");
    EXPECT_EQ(Run("Sub A(x, y)\nEnd Sub\nA(1, 2)"),
              "error 1044: Cannot use parentheses when calling a Sub (line 3)");
    EXPECT_EQ(Run("Do\nx = 1\n"), "error 1019: Expected 'Loop' (line 3)");
}

TEST_F(Language, ErrDescriptionHasNoNameButTheHostReportDoes) {
    EXPECT_EQ(Run("Option Explicit\nOn Error Resume Next\nx = 1\nOut.Print Err.Description"),
              "Variable is undefined\n");
}

TEST_F(Language, OptionExplicit) {
    EXPECT_EQ(Run("Option Explicit\nDim a\na = 1\nb = 2"),
              "error 500: Variable is undefined: 'b' (line 4)");
}

TEST_F(Language, ContinuationsCommentsAndSeparators) {
    EXPECT_EQ(Run("x = 1 + _\n    2 ' comment\nRem another\ny = 3: Out.Print x & _\n y"), "33\n");
}

TEST_F(Language, ExecuteEvalAndGetRef) {
    EXPECT_EQ(Run("ExecuteGlobal \"Function Twice(x): Twice = x * 2: End Function\"\n"
                  "Out.Print Twice(4), Eval(\"1 + 2 * 3\")\n"
                  "Function Hello(n): Hello = \"hi \" & n: End Function\n"
                  "Set f = GetRef(\"Hello\")\nOut.Print f(\"you\")"),
              "8 7\nhi you\n");
}

TEST_F(Language, ExecuteAndEvalSeeTheCallersVariables) {
    EXPECT_EQ(
        Run("g = \"global\"\nSub T()\n Dim x, arr(2)\n x = 1\n Execute \"x = x + 41: arr(1) = g\"\n"
            " Out.Print x, arr(1), Eval(\"x * 2\")\n ExecuteGlobal \"x = 5\"\n"
            " Out.Print x\nEnd Sub\nT\nOut.Print x"),
        "42 global 84\n42\n5\n");
}

TEST_F(Language, OperatorPrecedence) {
    EXPECT_EQ(Eval("-2 ^ 2"), "4");  // unary minus binds tighter
    EXPECT_EQ(Eval("2 + 3 * 4 Mod 5"), "4");
    EXPECT_EQ(Eval("7 \\ 2 * 3"), "1");  // "*" binds tighter
    EXPECT_EQ(Eval("Not 1 = 2"), "True");
    EXPECT_EQ(Eval("1 + 2 & 3"), "33");
    EXPECT_EQ(Eval("True Xor True Or True"), "False");
}

TEST_F(Language, Literals) {
    EXPECT_EQ(Eval("&HFF"), "255");
    EXPECT_EQ(Eval("&HFFFF"), "-1");
    EXPECT_EQ(Eval("&HFFFF&"), "65535");
    EXPECT_EQ(Eval("&O17"), "15");
    EXPECT_EQ(Eval("1.5E3"), "1500");
    EXPECT_EQ(Eval("#1/2/2003#"), "1/2/2003");
    EXPECT_EQ(TypeOf("Empty"), "Empty");
    EXPECT_EQ(TypeOf("Null"), "Null");
    EXPECT_EQ(TypeOf("Nothing"), "Nothing");
}

}  // namespace
}  // namespace vbs::test
