// Values and built-ins checked against the reference engine: each expression's text as the
// engine prints it (CStr), or "ERRn" for a run-time error n.
#include "Harness.h"

namespace vbs::test {
namespace {

struct Case {
    const char* expr;
    const char* expected;
};

// Confirmed on the reference engine (the same answers, side by side).
constexpr Case kCases[] = {
    {"CStr(1/3)", "0.333333333333333"},
    {"CStr(CSng(1/3))", "0.3333333"},
    {"CStr(1E+16)", "1E+16"},
    {"CStr(123456789012345678)", "1.23456789012346E+17"},
    {"CStr(0.000001)", "1E-06"},
    {"CStr(-0.5)", "-0.5"},
    {"CStr(CCur(12.3456))", "12.3456"},
    {"TypeName(CByte(5) * 2)", "Integer"},
    {"TypeName(5 * 2.5)", "Double"},
    {"TypeName(CSng(1) + 1)", "Single"},
    {"TypeName(CSng(1) + CLng(1))", "Double"},
    {"TypeName(CInt(1) / 1)", "Double"},
    {"TypeName(2 ^ 2)", "Double"},
    {"TypeName(True And 1)", "Integer"},
    {"TypeName(CByte(1) And CByte(3))", "Byte"},
    {"TypeName(Empty + Empty)", "Integer"},
    {"TypeName(Empty & Empty)", "String"},
    {"TypeName(-Empty)", "Integer"},
    {"TypeName(Not Empty)", "Integer"},
    {"TypeName(Null & Null)", "Null"},
    {"5 \\ 2.5", "2"},
    {"-7 \\ 2", "-3"},
    {"7 Mod -3", "1"},
    {"2.5 Mod 2", "0"},
    {"Int(-0.5)", "-1"},
    {"Fix(-0.5)", "0"},
    {"Abs(-32768)", "32768"},
    {"TypeName(Abs(-32768))", "Long"},
    {"Sgn(-0.1)", "-1"},
    {"Hex(-32768)", "FFFF8000"},
    {"Hex(65535)", "FFFF"},
    {"Hex(CLng(-1))", "FFFFFFFF"},
    {"Oct(-1)", "177777"},
    {"Hex(2.5)", "2"},
    {"InStr(\"abc\", \"\")", "1"},
    {"InStr(5, \"abc\", \"\")", "0"},
    {"InStr(4, \"abc\", \"\")", "0"},
    {"InStrRev(\"abcabc\", \"c\", 5)", "3"},
    {"InStrRev(\"abc\", \"\")", "3"},
    {"Mid(\"abc\", 2)", "bc"},
    {"Left(\"abc\", 10)", "abc"},
    {"Replace(\"abcabc\", \"b\", \"X\", 3)", "caXc"},
    {"Replace(\"abcabc\", \"B\", \"X\", 1, -1, 1)", "aXcaXc"},
    {"Replace(\"aaaa\", \"a\", \"b\", 1, 2)", "bbaa"},
    {"UBound(Split(\"a b  c\"))", "3"},
    {"StrComp(\"a\", \"b\")", "-1"},
    {"String(2, \"xyz\")", "xx"},
    {"Space(0) = \"\"", "True"},
    {"CBool(\"1\")", "True"},
    {"CBool(\"-1\")", "True"},
    {"CBool(\" true \")", "ERR13"},
    {"CDbl(\"  1,000.5  \")", "1000.5"},
    {"CDbl(\"&H10\")", "16"},
    {"CLng(\"&HFFFF\")", "65535"},
    {"CLng(2.5)", "2"},
    {"CLng(3.5)", "4"},
    {"CLng(-2.5)", "-2"},
    {"CDate(\"2003-01-02 13:45\")", "1/2/2003 1:45:00 PM"},
    {"CDate(36000)", "7/24/1998"},
    {"CDate(\"1/2/03\")", "1/2/2003"},
    {"DateSerial(2000, 13, 1)", "1/1/2001"},
    {"DateSerial(2000, 1, 0)", "12/31/1999"},
    {"DateSerial(99, 1, 1)", "1/1/1999"},
    {"TimeSerial(0, -1, 0)", "12/29/1899 11:59:00 PM"},
    {"DateAdd(\"ww\", 1, #1/1/2000#)", "1/8/2000"},
    {"DateAdd(\"h\", 25, #1/1/2000#)", "1/2/2000 1:00:00 AM"},
    {"Weekday(#1/1/2000#, vbMonday)", "6"},
    {"Year(0)", "1899"},
    {"Hour(0.75)", "18"},
    {"Minute(#1:30:45 PM#)", "30"},
    {"FormatNumber(-1234.567, 1)", "-1,234.6"},
    {"FormatNumber(0.5, 0)", "1"},
    {"FormatNumber(0.25, 1)", "0.3"},
    {"FormatNumber(1234.5, 2, , , 0)", "1234.50"},
    {"FormatNumber(-0.5, 2, 0)", "-.50"},
    {"FormatNumber(-5, 0, , -1)", "(5)"},
    {"FormatCurrency(1234.5)", "$1,234.50"},
    {"FormatCurrency(-3, 0)", "($3)"},
    {"FormatPercent(0.5, 0)", "50%"},
    {"FormatDateTime(#1/2/2003 1:02:03 PM#, 1)", "Thursday, January 2, 2003"},
    {"FormatDateTime(#1/2/2003 1:02:03 PM#, 3)", "1:02:03 PM"},
    {"FormatDateTime(#1/2/2003 1:02:03 PM#, 4)", "13:02"},
    {"MonthName(12, True)", "Dec"},
    {"WeekdayName(1, False, vbMonday)", "Monday"},
    {"IsNumeric(\"1e5\")", "True"},
    {"IsNumeric(\"&H1F\")", "True"},
    {"IsNumeric(\" 12 \")", "True"},
    {"IsNumeric(\"\")", "False"},
    {"IsNumeric(Empty)", "True"},
    {"IsNumeric(True)", "True"},
    {"IsDate(\"2003-13-01\")", "False"},
    {"IsEmpty(\"\")", "False"},
    {"VarType(Null)", "1"},
    {"VarType(CCur(1))", "6"},
    {"VarType(Now)", "7"},
    {"VarType(CByte(1))", "17"},
};

class Reference : public ScriptTest {};

TEST_F(Reference, ExpressionsAnswerAsTheReferenceEngine) {
    std::string script = "On Error Resume Next\n";
    int i = 0;
    for (const Case& c : kCases) {
        script += "Err.Clear: r = Empty: r = (" + std::string(c.expr) +
                  "): If Err.Number <> 0 Then r = \"ERR\" & Err.Number\n";
        script += "Out.Print \"" + std::to_string(i++) + "|\" & r\n";
    }
    std::string out = Run(script);
    i = 0;
    size_t pos = 0;
    for (const Case& c : kCases) {
        std::string prefix = std::to_string(i++) + "|";
        size_t at = out.find(prefix, pos);
        ASSERT_NE(at, std::string::npos) << c.expr;
        size_t end = out.find('\n', at);
        EXPECT_EQ(out.substr(at + prefix.size(), end - at - prefix.size()), c.expected) << c.expr;
        pos = end;
    }
}

}  // namespace
}  // namespace vbs::test
