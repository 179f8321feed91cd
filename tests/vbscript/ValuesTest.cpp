// Values: types, conversions, arithmetic promotion, comparison and Null propagation.
#include "Harness.h"

namespace vbs::test {
namespace {

class Values : public ScriptTest {};

TEST_F(Values, IntegerOverflowPromotes) {
    EXPECT_EQ(TypeOf("32767 + 1"), "Long");
    EXPECT_EQ(TypeOf("1 + 1"), "Integer");
    EXPECT_EQ(TypeOf("2147483647 + 1"), "Double");
    EXPECT_EQ(TypeOf("CByte(200) + CByte(100)"), "Integer");
    EXPECT_EQ(TypeOf("CByte(2) + CByte(1)"), "Byte");
    EXPECT_EQ(TypeOf("-(-32768)"), "Long");
    EXPECT_EQ(TypeOf("True + True"), "Integer");
    EXPECT_EQ(Eval("True + True"), "-2");
}

TEST_F(Values, DivisionKinds) {
    EXPECT_EQ(TypeOf("4 / 2"), "Double");
    EXPECT_EQ(Eval("7 \\ 2"), "3");
    EXPECT_EQ(Eval("-7 Mod 3"), "-1");
    EXPECT_EQ(Eval("7.5 \\ 2"), "4");  // banker's rounding of 7.5 first
    EXPECT_EQ(Eval("1 / 0"), "error 11");
    EXPECT_EQ(Eval("0 / 0"), "error 6");
    EXPECT_EQ(Eval("5 Mod 0"), "error 11");
}

TEST_F(Values, StringsAndNumbers) {
    EXPECT_EQ(Eval("\"3\" + 4"), "7");
    EXPECT_EQ(TypeOf("\"3\" + 4"), "Double");
    EXPECT_EQ(Eval("\"3\" + \"4\""), "34");
    EXPECT_EQ(Eval("\"3\" & 4"), "34");
    EXPECT_EQ(Eval("\"a\" * 2"), "error 13");
    EXPECT_EQ(Eval("\"abc\" < \"abd\""), "True");
    EXPECT_EQ(Eval("Empty = \"\""), "True");
    EXPECT_EQ(Eval("Empty = 0"), "True");
}

TEST_F(Values, NullPropagation) {
    EXPECT_EQ(TypeOf("Null + 1"), "Null");
    EXPECT_EQ(TypeOf("Null = Null"), "Null");
    EXPECT_EQ(Eval("Null & \"a\""), "a");
    EXPECT_EQ(Eval("Null And False"), "False");
    EXPECT_EQ(TypeOf("Null And True"), "Null");
    EXPECT_EQ(Eval("Null Or True"), "True");
    EXPECT_EQ(Eval("Len(Null) & \"\""), "");
    EXPECT_EQ(Eval("CStr(Null)"), "error 94");
    EXPECT_EQ(Run("If Null Then\n Out.Print 1\nElse\n Out.Print 2\nEnd If"), "2\n");
}

TEST_F(Values, Conversions) {
    EXPECT_EQ(Eval("CInt(2.5)"), "2");
    EXPECT_EQ(Eval("CInt(3.5)"), "4");
    EXPECT_EQ(Eval("CInt(32768)"), "error 6");
    EXPECT_EQ(Eval("CLng(\"12\")"), "12");
    EXPECT_EQ(Eval("CBool(\"true\")"), "True");
    EXPECT_EQ(Eval("CBool(0)"), "False");
    EXPECT_EQ(Eval("CDbl(\"1e3\")"), "1000");
    EXPECT_EQ(Eval("CStr(1/3)"), "0.333333333333333");
    EXPECT_EQ(Eval("CCur(1.23456)"), "1.2346");
    EXPECT_EQ(TypeOf("CSng(1.5)"), "Single");
    EXPECT_EQ(Eval("CDate(\"1/2/2003\") + 1"), "1/3/2003");
}

TEST_F(Values, VarTypeAndTypeName) {
    EXPECT_EQ(Eval("VarType(1)"), "2");
    EXPECT_EQ(Eval("VarType(100000)"), "3");
    EXPECT_EQ(Eval("VarType(\"s\")"), "8");
    EXPECT_EQ(Eval("VarType(Array(1))"), "8204");
    EXPECT_EQ(TypeOf("Array(1)"), "Variant()");
    EXPECT_EQ(TypeOf("CreateObject(\"Scripting.Dictionary\")"), "Dictionary");
}

TEST_F(Values, LogicalOperatorsOnNumbers) {
    EXPECT_EQ(Eval("6 And 3"), "2");
    EXPECT_EQ(Eval("6 Or 3"), "7");
    EXPECT_EQ(Eval("6 Xor 3"), "5");
    EXPECT_EQ(Eval("Not 0"), "-1");
    EXPECT_EQ(Eval("True Imp False"), "False");
    EXPECT_EQ(Eval("False Eqv False"), "True");
}

TEST_F(Values, ObjectsAndIs) {
    EXPECT_EQ(Run("Set a = CreateObject(\"Scripting.Dictionary\")\nSet b = a\n"
                  "Out.Print a Is b, a Is Nothing\nx = 1 Is 1"),
              "True False\nerror 424: Object required (line 4)");
    EXPECT_EQ(Run("Set x = 5"), "error 424: Object required (line 1)");
}

}  // namespace
}  // namespace vbs::test
