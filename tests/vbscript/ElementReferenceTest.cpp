// Array elements passed by reference, and the other places that hold a reference into an
// array or an object (For Each, With, class fields, Set and default members on elements).
#include "Harness.h"

namespace vbs::test {
namespace {

class ElementReference : public ScriptTest {
  protected:
    ElementReference() {
        Run("Sub Swap(ByRef a, ByRef b)\n Dim t\n t = a\n a = b\n b = t\nEnd Sub\n"
            "Function Show(arr)\n Dim i\n For i = LBound(arr) To UBound(arr)\n"
            "  Show = Show & arr(i)\n Next\nEnd Function");
    }
};

// ---- several references into one array ----

TEST_F(ElementReference, SwapOfTwoElementsOfOneArray) {
    EXPECT_EQ(Run("Dim m(1) : m(0) = 1 : m(1) = 2\nSwap m(0), m(1)\nOut.Print m(0), m(1)"),
              "2 1\n");
    // A dynamic array and a local array of a procedure.
    EXPECT_EQ(Run("d = Array(\"a\", \"b\", \"c\")\nSwap d(0), d(2)\nOut.Print Show(d)"), "cba\n");
    EXPECT_EQ(Run("Sub L()\n Dim x(2)\n x(0) = 1 : x(2) = 3\n Swap x(2), x(0)\n"
                  " Out.Print Show(x)\nEnd Sub\nL"),
              "31\n");
}

TEST_F(ElementReference, WritesShowBothWaysWhileTheCallRuns) {
    EXPECT_EQ(Run("Dim m(2)\nSub W(ByRef a)\n a = 10\n Out.Print m(0)\n m(0) = 11\n"
                  " m(1) = 20\n Out.Print a, m(1)\n a = 12\nEnd Sub\nW m(0)\nOut.Print Show(m)"),
              "10\n11 20\n1220\n");
}

TEST_F(ElementReference, ManyParametersIntoOneArray) {
    EXPECT_EQ(Run("a = Array(1, 2, 3, 4)\n"
                  "Sub Rot(ByRef w, ByRef x, ByRef y, ByVal z)\n"
                  " Dim t : t = w : w = x : x = y : y = t : z = 99\nEnd Sub\n"
                  "Rot a(0), a(1), a(2), a(3)\nOut.Print Show(a)"),
              "2314\n");
    // The same element twice: both names are the one element.
    EXPECT_EQ(Run("a = Array(5)\nSub Twice(ByRef x, ByRef y)\n x = x + 1\n y = y * 10\n"
                  " Out.Print x, y\nEnd Sub\nTwice a(0), a(0)\nOut.Print a(0)"),
              "60 60\n60\n");
    // Two-dimensional arrays.
    EXPECT_EQ(Run("ReDim g(1, 1)\ng(0, 1) = \"x\" : g(1, 0) = \"y\"\nSwap g(0, 1), g(1, 0)\n"
                  "Out.Print g(0, 1) & g(1, 0)"),
              "yx\n");
}

TEST_F(ElementReference, ArraysSharedBeforeTheCallStaySeparate) {
    EXPECT_EQ(Run("a = Array(1, 2)\nb = a\nSwap a(0), b(1)\nOut.Print Show(a), Show(b)"),
              "22 11\n");
}

TEST_F(ElementReference, ACopyTakenDuringTheCallIsASnapshot) {
    EXPECT_EQ(Run("a = Array(1, 2)\nSub C(ByRef x)\n Dim snap : snap = a\n x = 7\n"
                  " Out.Print Show(snap), Show(a)\nEnd Sub\nC a(0)\nOut.Print Show(a)"),
              "12 72\n72\n");
}

TEST_F(ElementReference, ReferencesPassedOnThroughCalls) {
    EXPECT_EQ(Run("a = Array(1, 2, 3)\nSub Inner(ByRef p, ByRef q)\n Swap p, q\nEnd Sub\n"
                  "Sub Outer(ByRef x, ByRef y)\n Inner y, x\n x = x * 10\nEnd Sub\n"
                  "Outer a(0), a(2)\nOut.Print Show(a)"),
              "3021\n");
    // A function result assigned through a reference.
    EXPECT_EQ(Run("a = Array(0, 0)\nFunction Fill(ByRef x, ByRef y)\n x = 1 : y = 2\n"
                  " Fill = x + y\nEnd Function\nOut.Print Fill(a(0), a(1)), Show(a)"),
              "3 12\n");
}

// ---- ReDim, Erase and replacing the array during the call ----

TEST_F(ElementReference, ReDimAndEraseDuringTheCallAreRefused) {
    EXPECT_EQ(Run("ReDim r(2)\nSub G(ByRef x, ByRef y)\n ReDim Preserve r(5)\nEnd Sub\n"
                  "G r(0), r(1)"),
              "error 10: This array is fixed or temporarily locked (line 3)");
    EXPECT_EQ(Run("r = Array(1, 2)\nSub E(ByRef x)\n Erase r\nEnd Sub\nE r(1)"),
              "error 10: This array is fixed or temporarily locked (line 3)");
    // Caught, the call goes on with its references intact; afterwards the array is free.
    EXPECT_EQ(Run("r = Array(1, 2)\nSub H(ByRef x, ByRef y)\n On Error Resume Next\n"
                  " ReDim r(9)\n Out.Print Err.Number\n Erase r\n Out.Print Err.Number\n"
                  " Swap x, y\nEnd Sub\nH r(0), r(1)\nOut.Print Show(r)\nReDim r(4)\n"
                  "Out.Print UBound(r)"),
              "10\n10\n21\n4\n");
}

TEST_F(ElementReference, ReplacingTheVariableKeepsTheReferencedElementAlive) {
    // The call goes on writing into the array it was given; the variable holds its new value.
    EXPECT_EQ(Run("v = Array(1, 2)\nSub K(ByRef x)\n v = \"gone\"\n x = 5\n Out.Print x\n"
                  "End Sub\nK v(1)\nOut.Print v"),
              "5\ngone\n");
    EXPECT_EQ(Run("v = Array(1, 2)\nSub K2(ByRef x)\n v = Array(7, 8, 9)\n x = 5\nEnd Sub\n"
                  "K2 v(0)\nOut.Print Show(v)"),
              "789\n");
}

// ---- whole programs ----

TEST_F(ElementReference, SortingAndPermutations) {
    EXPECT_EQ(Run("a = Array(5, 3, 9, 1, 7, 2)\n"
                  "Sub QSort(arr, lo, hi)\n Dim i, j, p\n If lo >= hi Then Exit Sub\n"
                  " p = arr((lo + hi) \\ 2) : i = lo : j = hi\n Do While i <= j\n"
                  "  Do While arr(i) < p : i = i + 1 : Loop\n"
                  "  Do While arr(j) > p : j = j - 1 : Loop\n"
                  "  If i <= j Then Swap arr(i), arr(j) : i = i + 1 : j = j - 1\n Loop\n"
                  " QSort arr, lo, j : QSort arr, i, hi\nEnd Sub\n"
                  "QSort a, 0, UBound(a)\nOut.Print Show(a)"),
              "123579\n");
    // Heap's algorithm: all 24 orders of four items, each once.
    EXPECT_EQ(Run("Set seen = CreateObject(\"Scripting.Dictionary\")\np = Array(1, 2, 3, 4)\n"
                  "Sub Heap(k)\n Dim i\n If k = 1 Then\n  If Not seen.Exists(Show(p)) Then "
                  "seen.Add Show(p), 1\n  Exit Sub\n End If\n Heap k - 1\n"
                  " For i = 0 To k - 2\n  If k Mod 2 = 0 Then Swap p(i), p(k - 1) "
                  "Else Swap p(0), p(k - 1)\n  Heap k - 1\n Next\nEnd Sub\n"
                  "Heap 4\nOut.Print seen.Count, Show(p)"),
              "24 2341\n");
}

// ---- class fields, For Each, With, Set and default members ----

TEST_F(ElementReference, ElementsOfClassFields) {
    EXPECT_EQ(Run("Class Bag\n Private items\n Public Sub Init()\n  items = Array(1, 2, 3)\n"
                  " End Sub\n Public Sub Flip()\n  Swap items(0), items(2)\n End Sub\n"
                  " Public Function Text()\n  Text = Show(items)\n End Function\nEnd Class\n"
                  "Set b = New Bag\nb.Init\nb.Flip\nOut.Print b.Text()"),
              "321\n");
}

TEST_F(ElementReference, ForEachOverAnArrayWhileElementsAreReferenced) {
    EXPECT_EQ(Run("a = Array(1, 2, 3)\nSub F(ByRef x)\n For Each v In a\n  s = s & v\n"
                  "  x = x + 10\n Next\n Out.Print s, Show(a)\nEnd Sub\nF a(1)"),
              "123 1323\n");
    // The loop variable is a copy: assigning it leaves the array alone.
    EXPECT_EQ(Run("a = Array(1, 2)\nFor Each v In a\n v = 0\nNext\nOut.Print Show(a)"), "12\n");
}

TEST_F(ElementReference, ObjectsInArrayElements) {
    ASSERT_EQ(Run("Class Box\n Public v\n Private cells(2)\n"
                  " Public Default Property Get Cell(i)\n  Cell = cells(i)\n End Property\n"
                  " Public Property Let Cell(i, x)\n  cells(i) = x\n End Property\nEnd Class\n"
                  "Dim o(1)\nSet o(0) = New Box\nSet o(1) = New Box\n"),
              "");
    EXPECT_EQ(Run("o(0).v = 5\nWith o(1)\n .v = 7\n .Cell(2) = \"c\"\nEnd With\n"
                  "Out.Print o(0).v, o(1).v, o(1)(2), o(1).Cell(2)"),
              "5 7 c c\n");
    // Set through a reference replaces the element; members set through it show in the array.
    EXPECT_EQ(Run("Sub Renew(ByRef b)\n b.v = \"old\"\n Set b = New Box\n b.v = \"new\"\n"
                  "End Sub\nSet keep = o(0)\nRenew o(0)\nOut.Print keep.v, o(0).v"),
              "old new\n");
    EXPECT_EQ(Run("Sub SwapObj(a, b)\n Dim t\n Set t = a\n Set a = b\n Set b = t\nEnd Sub\n"
                  "SwapObj o(0), o(1)\nOut.Print o(0).v, o(1).v"),
              "7 new\n");
    // A plain assignment of an object whose default member needs an index fails.
    EXPECT_EQ(Run("Swap o(0), o(1)"),
              "error 450: Wrong number of arguments or invalid property assignment (line 3)");
    // The default member reached through an element and through a reference to it.
    EXPECT_EQ(Run("Sub Mark(ByRef b)\n b(0) = \"m\"\nEnd Sub\nMark o(1)\nOut.Print o(1)(0)"),
              "m\n");
}

}  // namespace
}  // namespace vbs::test
