// Run-time semantics: references, copies, scopes, objects and error handling in detail.
#include "Harness.h"

namespace vbs::test {
namespace {

class Semantics : public ScriptTest {};

TEST_F(Semantics, ArraysAreCopiedOnAssignmentAndByVal) {
    EXPECT_EQ(Run("a = Array(1, 2)\nb = a\nb(0) = 9\nOut.Print a(0), b(0)\n"
                  "Sub Change(ByVal v)\n v(1) = 7\nEnd Sub\nChange a\nOut.Print a(1)\n"
                  "Sub ChangeRef(v)\n v(1) = 8\nEnd Sub\nChangeRef a\nOut.Print a(1)"),
              "1 9\n2\n8\n");
}

TEST_F(Semantics, ElementPassedByReferenceLocksItsArray) {
    EXPECT_EQ(Run("ReDim a(3)\nSub Grow(x)\n ReDim a(10)\n x = 1\nEnd Sub\nGrow a(1)"),
              "error 10: This array is fixed or temporarily locked (line 3)");
    EXPECT_EQ(
        Run("ReDim b(3)\nSub Set1(x)\n x = 5\nEnd Sub\nSet1 b(2)\nOut.Print b(2)\nReDim b(1)\n"
            "Out.Print UBound(b)"),
        "5\n1\n");
}

TEST_F(Semantics, AppendingToAStringLeavesItsCopiesAlone) {
    // x = x & y may extend x's text where it is: no other holder of the text may see that.
    EXPECT_EQ(Run("a = \"x\"\na = a & \"y\"\nb = a\na = a & \"z\"\nc = Array(a)\n"
                  "a = a & \"!\"\nSet d = CreateObject(\"Scripting.Dictionary\")\nd(1) = a\n"
                  "a = a & a\nOut.Print a, b, c(0), d(1)"),
              "xyz!xyz! xy xyz xyz!\n");
    EXPECT_EQ(Run("Sub Grow(ByRef s, ByVal t)\n Dim u\n u = s\n s = s & t\n t = t & t\n"
                  " Out.Print u, s, t\nEnd Sub\nv = \"ab\"\nw = \"c\"\nGrow v, w\nOut.Print v, w"),
              "ab abc cc\nabc c\n");
    // Numbers, Empty, Null and objects on either side take the ordinary path.
    EXPECT_EQ(Run("n = 5\nn = n & \"x\"\nm = \"y\"\nk = 7\nm = m & k\ne = Empty\ne = e & \"q\"\n"
                  "z = \"z\"\nz = z & Null\nOut.Print n, m, e, z, TypeName(n)"),
              "5x y7 q z String\n");
}

TEST_F(Semantics, ElementsByEveryKindOfIndex) {
    // Integer indexes take a short path; the others follow the general rules.
    EXPECT_EQ(Run("Dim a(3)\na(1) = \"i\"\na(\"2\") = \"s\"\na(2.5) = a(2.5) & \"d\"\n"
                  "a(CByte(3)) = 3\nb = a\nb(1) = \"copy\"\n"
                  "Out.Print a(1), a(\"2\"), a(2), a(3), b(1), a(CLng(1))"),
              "i sd sd 3 copy i\n");
    EXPECT_EQ(Run("Dim c(2)\nc(3) = 1"), "error 9: Subscript out of range (line 2)");
    EXPECT_EQ(Run("Dim c(2)\nx = c(-1)"), "error 9: Subscript out of range (line 2)");
    EXPECT_EQ(Run("Dim c(2)\nc(Null) = 1"), "error 13: Type mismatch (line 2)");
    // Two dimensions, objects (Set) and arrays stored in elements.
    EXPECT_EQ(Run("Dim g(1, 2)\ng(1, 2) = 7\nSet g(0, 0) = New RegExp\ng(0, 1) = Array(1, 2)\n"
                  "Out.Print g(1, 2), TypeName(g(0, 0)), g(0, 1)(1), UBound(g, 2)"),
              "7 IRegExp2 2 2\n");
    EXPECT_EQ(Run("Dim o(0)\no(0) = New RegExp"),
              "error 438: Object doesn't support this property or method (line 2)");
}

TEST_F(Semantics, ForEachWalksASnapshot) {
    EXPECT_EQ(Run("a = Array(1, 2, 3)\nFor Each v In a\n a(2) = 30\n s = s & v & \" \"\nNext\n"
                  "Out.Print s & a(2)"),
              "1 2 3 30\n");
}

TEST_F(Semantics, ForLoopReadsTheCounterBack) {
    EXPECT_EQ(Run("For i = 1 To 10\n If i = 2 Then i = 8\n s = s & i\nNext\nOut.Print s, i"),
              "18910 11\n");
    EXPECT_EQ(Run("For i = 3 To 1\n Out.Print \"never\"\nNext\nOut.Print i"), "3\n");
    EXPECT_EQ(Run("n = 3\nFor i = 1 To n\n n = 10\n c = c + 1\nNext\nOut.Print c"), "3\n");
}

TEST_F(Semantics, ImplicitLocalsStayLocal) {
    EXPECT_EQ(Run("Sub S()\n temp = 5\nEnd Sub\nS\nOut.Print IsEmpty(temp)"), "True\n");
    // A global declared anywhere in the text is the global inside procedures.
    EXPECT_EQ(Run("Sub T()\n shared = 7\nEnd Sub\nDim shared\nT\nOut.Print shared"), "7\n");
}

// Thousands of global names, each found again whatever the letter case it is written in.
TEST_F(Semantics, ManyGlobalNamesStayApart) {
    std::string code;
    for (int i = 0; i < 5000; ++i)
        code += "v" + std::to_string(i) + "_x = " + std::to_string(i) + "\n";
    code += "s = 0\n";
    for (int i = 0; i < 5000; ++i) code += "s = s + V" + std::to_string(i) + "_X\n";
    code += "Out.Print s, v4999_X, IsEmpty(v5000_x)";
    EXPECT_EQ(Run(code), "12497500 4999 True\n");
}

// Procedures with many names: declared, parameters, undeclared, and a self call among them.
TEST_F(Semantics, ProceduresWithManyNamesKeepEachApart) {
    std::string code = "Function Sum(n, p0)\n";
    for (int i = 1; i <= 30; ++i) code += " Dim d" + std::to_string(i) + "\n";
    for (int i = 1; i <= 30; ++i)
        code += " d" + std::to_string(i) + " = " + std::to_string(i) + " : u" + std::to_string(i) +
                " = " + std::to_string(100 * i) + "\n";
    code += " Sum = p0\n";
    for (int i = 1; i <= 30; ++i)
        code += " Sum = Sum + d" + std::to_string(i) + " + u" + std::to_string(i) + "\n";
    code +=
        " If n > 0 Then Sum = Sum + Sum(n - 1, 0)\nEnd Function\n"
        "Out.Print Sum(2, 1000), IsEmpty(u7), IsEmpty(d7)";
    // 1 to 30 and 100 to 3000 give 46965 per call; three calls and the 1000.
    EXPECT_EQ(Run(code), "141895 True True\n");
}

TEST_F(Semantics, FunctionNameIsTheResultVariable) {
    EXPECT_EQ(Run("Function F()\n F = 1\n F = F + 1\nEnd Function\nOut.Print F()"), "2\n");
    EXPECT_EQ(Run("Function G()\n Set G = CreateObject(\"Scripting.Dictionary\")\nEnd Function\n"
                  "Out.Print TypeName(G())"),
              "Dictionary\n");
}

TEST_F(Semantics, WrongArgumentCounts) {
    ASSERT_EQ(Run("Sub Two(a, b)\nEnd Sub"), "");
    EXPECT_EQ(Run("Two 1"),
              "error 450: Wrong number of arguments or invalid property assignment (line 1)");
    EXPECT_EQ(Run("x = Len()"),
              "error 450: Wrong number of arguments or invalid property assignment (line 1)");
    EXPECT_EQ(Run("x = UnknownFn(1)"), "error 13: Type mismatch: 'UnknownFn' (line 1)");
}

TEST_F(Semantics, CallingAMissingProcedureFailsAtEveryLevel) {
    EXPECT_EQ(Run("Missing1"), "error 13: Type mismatch: 'Missing1' (line 1)");
    EXPECT_EQ(Run("Sub A()\n Missing2\nEnd Sub\nA"),
              "error 13: Type mismatch: 'Missing2' (line 2)");
    EXPECT_EQ(Run("Sub B()\n Call Missing3()\nEnd Sub\nB"),
              "error 13: Type mismatch: 'Missing3' (line 2)");
    // Reading an undeclared name inside a procedure is still an Empty local.
    EXPECT_EQ(Run("Sub C()\n y = Unset4\n Out.Print IsEmpty(y)\nEnd Sub\nC"), "True\n");
}

TEST_F(Semantics, LetAndSetRules) {
    EXPECT_EQ(Run("x = Nothing"), "error 91: Object variable not set (line 1)");
    EXPECT_EQ(Run("Set d = CreateObject(\"Scripting.Dictionary\")\nx = d"),
              "error 450: Wrong number of arguments or invalid property assignment (line 2)");
    EXPECT_EQ(Run("Class V\n Public Default Property Get Val(): Val = 5: End Property\nEnd Class\n"
                  "Set o = New V\nx = o\nOut.Print x, TypeName(x), o + 1"),
              "5 Integer 6\n");
    EXPECT_EQ(Run("Const K = 3\nK = 4"), "error 501: Illegal assignment (line 2)");
    EXPECT_EQ(Run("vbCrLf = 1"), "error 501: Illegal assignment (line 1)");
}

TEST_F(Semantics, ConstantsAreUsableBeforeTheirLine) {
    EXPECT_EQ(Run("Out.Print LIMIT * 2\nConst LIMIT = 21"), "42\n");
    EXPECT_EQ(Run("Sub S()\n Const LOCAL_K = \"k\"\n Out.Print LOCAL_K\nEnd Sub\nS"), "k\n");
}

TEST_F(Semantics, OnErrorIsPerProcedure) {
    EXPECT_EQ(Run("Sub Inner()\n On Error Resume Next\n x = 1 / 0\n Out.Print \"inner goes on\"\n"
                  "End Sub\nSub Outer()\n Inner\n Out.Print \"outer\", Err.Number\n y = 1 / 0\n"
                  " Out.Print \"not reached\"\nEnd Sub\nOuter"),
              "inner goes on\nouter 11\nerror 11: Division by zero (line 9)");
}

TEST_F(Semantics, ResumeNextContinuesInsideTheFailedStatementsBlock) {
    EXPECT_EQ(Run("On Error Resume Next\nIf 1 / 0 Then\n Out.Print \"then\"\nElse\n"
                  " Out.Print \"else\"\nEnd If\nSelect Case 1 / 0\nCase 1: Out.Print \"case\"\n"
                  "End Select\nOut.Print \"after\""),
              "then\nafter\n");
}

TEST_F(Semantics, ErrRaiseAndNumbers) {
    EXPECT_EQ(
        Run("On Error Resume Next\nErr.Raise vbObjectError + 5\n"
            "Out.Print Err.Number - vbObjectError, Err.Description\n"
            "Err.Raise 9\nOut.Print Err.Number, Err.Description, Err.Source"),
        "5 Unknown runtime error\n9 Unknown runtime error Microsoft VBScript runtime error\n");
    EXPECT_EQ(Run("Err.Raise 6"), "error 6: Overflow (line 1)");
    EXPECT_EQ(Run("Err.Raise 1000, \"Mine\", \"Broke\""), "error 1000: Broke (line 1)");
}

TEST_F(Semantics, ClassTerminateRunsWhenTheLastReferenceGoes) {
    EXPECT_EQ(
        Run("Class T\n Public Name\n Sub Class_Terminate(): Out.Print \"end \" & Name: End Sub\n"
            "End Class\nSub Make()\n Dim t1: Set t1 = New T: t1.Name = \"local\"\nEnd Sub\n"
            "Make\nSet a = New T: a.Name = \"a\"\nSet b = a\nSet a = Nothing\n"
            "Out.Print \"still\"\nSet b = Nothing"),
        "end local\nstill\nend a\n");
}

TEST_F(Semantics, ObjectsInArraysAndDictionaries) {
    EXPECT_EQ(
        Run("Class P\n Public N\nEnd Class\nDim list(1)\nSet list(0) = New P\n"
            "list(0).N = 3\nSet d = CreateObject(\"Scripting.Dictionary\")\n"
            "d.Add \"p\", list(0)\nd(\"p\").N = 4\nOut.Print list(0).N, TypeName(d.Items()(0))"),
        "4 P\n");
}

TEST_F(Semantics, NestedWithAndMe) {
    EXPECT_EQ(
        Run("Class N\n Public V, Child\n Function Self(): Set Self = Me: End Function\nEnd Class\n"
            "Set a = New N: Set a.Child = New N\nWith a\n .V = 1\n With .Child\n  .V = 2\n"
            " End With\n Out.Print .V, .Child.V, .Self().V\nEnd With"),
        "1 2 1\n");
}

TEST_F(Semantics, MultiDimensionalReDimPreserve) {
    EXPECT_EQ(Run("ReDim m(1, 1)\nm(1, 1) = \"x\"\nReDim Preserve m(1, 3)\nOut.Print m(1, 1), "
                  "UBound(m, 2)\n"
                  "ReDim Preserve m(2, 3)"),
              "x 3\nerror 9: Subscript out of range (line 5)");
}

TEST_F(Semantics, StringNumberComparisons) {
    EXPECT_EQ(Eval("\"10\" < \"9\""), "True");
    EXPECT_EQ(Eval("10 < 9"), "False");
    EXPECT_EQ(Run("a = \"10\": b = 9\nOut.Print a > b"), "True\n");
    EXPECT_EQ(Eval("StrComp(\"abc\", \"ABC\", vbTextCompare)"), "0");
}

TEST_F(Semantics, CurrencyAndDateArithmetic) {
    EXPECT_EQ(Eval("CCur(0.1) + CCur(0.2)"), "0.3");
    EXPECT_EQ(TypeOf("CCur(1) * 2"), "Currency");
    EXPECT_EQ(TypeOf("#1/1/2000# + 1"), "Date");
    EXPECT_EQ(TypeOf("#1/2/2000# - #1/1/2000#"), "Double");
    EXPECT_EQ(Eval("#1/2/2000# - #1/1/2000#"), "1");
    EXPECT_EQ(Eval("CDate(\"3/1/2000\") - 1"), "2/29/2000");
}

TEST_F(Semantics, GetRefAndErrors) {
    EXPECT_EQ(Run("x = GetRef(\"NoSuchProc\")"),
              "error 5: Invalid procedure call or argument (line 1)");
    EXPECT_EQ(Run("On Error Resume Next\nExecute \"x = (\"\nOut.Print Err.Number"), "1023\n");
    EXPECT_EQ(Run("x = Eval(\"1 +\")"), "error 1023: Expected expression (line 1)");
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

class FixedArrays : public ScriptTest {};

TEST_F(FixedArrays, CopiesOfAFixedArrayCanBeResized) {
    EXPECT_EQ(Run("Dim fixedArr(2)\nfixedArr(1) = \"b\"\ncopy = fixedArr\nReDim Preserve copy(5)\n"
                  "Out.Print UBound(copy), copy(1), UBound(fixedArr)\n"
                  "Function Give()\n Dim local(1)\n local(0) = 7\n Give = local\nEnd Function\n"
                  "g = Give()\nReDim Preserve g(3)\nOut.Print g(0), UBound(g)\n"
                  "Sub Take(ByVal v)\n ReDim Preserve v(4)\n Out.Print UBound(v)\nEnd Sub\n"
                  "Take fixedArr\nReDim fixedArr(9)"),
              "5 b 2\n7 3\n4\nerror 10: This array is fixed or temporarily locked (line 19)");
}

}  // namespace
}  // namespace vbs::test
