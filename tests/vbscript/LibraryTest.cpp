// The built-in library: strings, maths, dates, inspection, Dictionary and RegExp.
#include "Harness.h"

namespace vbs::test {
namespace {

class Library : public ScriptTest {};

TEST_F(Library, Strings) {
    EXPECT_EQ(Eval("Left(\"hello\", 2) & Right(\"hello\", 2) & Mid(\"hello\", 2, 2)"), "heloel");
    EXPECT_EQ(Eval("Mid(\"hello\", 10)"), "");
    EXPECT_EQ(Eval("Left(\"a\", -1)"), "error 5");
    EXPECT_EQ(Eval("InStr(\"abcabc\", \"c\")"), "3");
    EXPECT_EQ(Eval("InStr(4, \"abcabc\", \"c\")"), "6");
    EXPECT_EQ(Eval("InStr(1, \"ABC\", \"b\", vbTextCompare)"), "2");
    EXPECT_EQ(Eval("InStrRev(\"abcabc\", \"b\")"), "5");
    EXPECT_EQ(Eval("Replace(\"aXbXc\", \"X\", \"-\")"), "a-b-c");
    EXPECT_EQ(Eval("Join(Split(\"a,b,,c\", \",\"), \"|\")"), "a|b||c");
    EXPECT_EQ(Eval("UBound(Split(\"\"))"), "-1");
    EXPECT_EQ(Eval("Join(Filter(Array(\"ab\", \"cd\", \"ae\"), \"a\"), \",\")"), "ab,ae");
    EXPECT_EQ(Eval("StrComp(\"a\", \"B\", 1) & StrComp(\"a\", \"B\")"), "-11");
    EXPECT_EQ(Eval("StrReverse(\"abc\") & String(3, \"z\") & Space(2) & \"|\""), "cbazzz  |");
    EXPECT_EQ(Eval("\"[\" & Trim(\"  a  \") & LTrim(\" b\") & RTrim(\"c \") & \"]\""), "[abc]");
    EXPECT_EQ(Eval("UCase(\"abc\") & LCase(\"DEF\")"), "ABCdef");
    EXPECT_EQ(Eval("Asc(\"A\") & Chr(66) & AscW(ChrW(8364))"), "65B8364");
    EXPECT_EQ(Eval("Len(\"abc\") + Len(123)"), "6");
    EXPECT_EQ(Eval("Hex(255) & Oct(8) & Hex(-1)"), "FF10FFFF");
}

TEST_F(Library, Maths) {
    EXPECT_EQ(Eval("Abs(-3) + Sgn(-2) + Fix(-2.5) + Int(-2.5)"), "-3");
    EXPECT_EQ(Eval("Round(2.5) & Round(3.5) & Round(1.2345, 2)"), "241.23");
    EXPECT_EQ(Eval("Sqr(16)"), "4");
    EXPECT_EQ(Eval("Sqr(-1)"), "error 5");
    EXPECT_EQ(Eval("Log(0)"), "error 5");
}

TEST_F(Library, RandomIsRepeatableAfterNegativeSeed) {
    EXPECT_EQ(Run("a = Rnd(-1)\nRandomize 5\nb = Rnd\nc = Rnd(-1)\nRandomize 5\nd = Rnd\n"
                  "Out.Print a = c, b = d, b >= 0 And b < 1"),
              "True True True\n");
}

TEST_F(Library, Dates) {
    EXPECT_EQ(Eval("DateSerial(2003, 1, 2)"), "1/2/2003");
    EXPECT_EQ(Eval("Year(#3/4/2005#) & Month(#3/4/2005#) & Day(#3/4/2005#)"), "200534");
    EXPECT_EQ(Eval("DateAdd(\"m\", 1, #1/31/2004#)"), "2/29/2004");
    EXPECT_EQ(Eval("DateDiff(\"d\", #1/1/2004#, #3/1/2004#)"), "60");
    EXPECT_EQ(Eval("Weekday(#1/2/2003#)"), "5");
    EXPECT_EQ(Eval("MonthName(2) & WeekdayName(1, True)"), "FebruarySun");
    EXPECT_EQ(Eval("TimeSerial(13, 5, 0)"), "1:05:00 PM");
    EXPECT_EQ(Eval("IsDate(\"1/2/2003\") & IsDate(\"x\")"), "TrueFalse");
}

TEST_F(Library, Formatting) {
    EXPECT_EQ(Eval("FormatNumber(1234.5)"), "1,234.50");
    EXPECT_EQ(Eval("FormatCurrency(-1000)"), "($1,000.00)");
    EXPECT_EQ(Eval("FormatPercent(0.125)"), "12.50%");
    EXPECT_EQ(Eval("FormatDateTime(#1/2/2003#, vbShortDate)"), "1/2/2003");
}

TEST_F(Library, Inspection) {
    EXPECT_EQ(Eval("IsArray(Array()) & IsEmpty(Empty) & IsNull(Null) & IsNumeric(\"1.5\")"),
              "TrueTrueTrueTrue");
    EXPECT_EQ(Eval("IsNumeric(\"x\") & IsObject(Nothing)"), "FalseTrue");
    EXPECT_EQ(Eval("LBound(Array(1, 2)) & UBound(Array(1, 2))"), "01");
    EXPECT_EQ(Eval("UBound(1)"), "error 13");
    EXPECT_EQ(Eval("ScriptEngine"), "VBScript");
}

TEST_F(Library, Dictionary) {
    EXPECT_EQ(Run("Set d = CreateObject(\"Scripting.Dictionary\")\n"
                  "d.Add \"a\", 1\nd(\"b\") = 2\nOut.Print d.Count, d.Exists(\"a\"), d(\"b\")\n"
                  "For Each k In d.Keys: Out.Print k: Next\n"
                  "d.Remove \"a\"\nOut.Print d.Count, Join(d.Items)\n"
                  "d.CompareMode = 1\n"),
              "2 True 2\na\nb\n1 2\nerror 5: Invalid procedure call or argument (line 8)");
    EXPECT_EQ(
        Run("Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, 1\nd.Add 1, 2"),
        "error 457: This key is already associated with an element of this collection (line 3)");
}

TEST_F(Library, RegExp) {
    EXPECT_EQ(Run("Set re = New RegExp\nre.Pattern = \"(\\w)(\\d+)\"\nre.Global = True\n"
                  "Set ms = re.Execute(\"a12 b3\")\nOut.Print ms.Count\n"
                  "For Each m In ms: Out.Print m.Value, m.FirstIndex, m.SubMatches(1): Next\n"
                  "Out.Print re.Test(\"zz\"), re.Replace(\"a1 b2\", \"$2$1\")"),
              "2\na12 0 12\nb3 4 3\nFalse 1a 2b\n");
}

TEST_F(Library, MsgBoxAndInputBoxCallTheHost) {
    std::u16string seen;
    engine_.SetMsgBoxHook([&](const MsgBoxRequest& r) {
        seen = r.prompt + u"/" + r.title;
        return 6;
    });
    engine_.SetInputBoxHook(
        [](const InputBoxRequest& r) { return Variant::String(r.prompt + u"!"); });
    EXPECT_EQ(Run("Out.Print MsgBox(\"Sure?\", vbYesNo, \"T\") = vbYes, InputBox(\"name\")"),
              "True name!\n");
    EXPECT_EQ(U8(seen), "Sure?/T");
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

class LibraryObjects : public ScriptTest {};

TEST_F(LibraryObjects, DictionaryDetails) {
    EXPECT_EQ(Run("Set d = CreateObject(\"Scripting.Dictionary\")\n"
                  "d.CompareMode = vbTextCompare\nd.Add \"Key\", 1\nOut.Print d.Exists(\"KEY\")\n"
                  "d.Key(\"key\") = \"renamed\"\nOut.Print Join(d.Keys), d(\"RENAMED\")\n"
                  "x = d(\"absent\")\nOut.Print d.Count, IsEmpty(x)\n"
                  "d.Add 1, \"one\"\nOut.Print d.Exists(1), d.Exists(\"1\")\n"
                  "d.RemoveAll\nOut.Print d.Count\nd.Remove \"nothing\""),
              "True\nrenamed 1\n2 True\nTrue False\n0\n"
              "error 32811: Element not found (line 13)");
}

TEST_F(LibraryObjects, RegExpOptions) {
    EXPECT_EQ(
        Run("Set re = New RegExp\nre.Pattern = \"^b\"\nOut.Print re.Test(\"a\" & vbLf & \"b\")\n"
            "re.Multiline = True\nOut.Print re.Test(\"a\" & vbLf & \"b\")\n"
            "re.Pattern = \"X\"\nre.IgnoreCase = True\nOut.Print re.Replace(\"axbx\", \"-\")\n"
            "re.Global = True\nOut.Print re.Replace(\"axbx\", \"-\")\n"
            "re.Pattern = \"(a)(z)?\"\nSet m = re.Execute(\"a\")(0)\n"
            "Out.Print m.SubMatches.Count, IsEmpty(m.SubMatches(1))\n"
            "re.Pattern = \"(\"\nOut.Print re.Test(\"x\")"),
        "False\nTrue\na-bx\na-b-\n2 True\n"
        "error 5020: Expected ')' in regular expression (line 15)");
}

TEST_F(LibraryObjects, UnknownProgIdsAreRefused) {
    EXPECT_EQ(Run("Set fso = CreateObject(\"Scripting.FileSystemObject\")"),
              "error 429: ActiveX component can't create object (line 1)");
    EXPECT_EQ(Run("Set x = New NoSuchClass"),
              "error 506: Class not defined: 'NoSuchClass' (line 1)");
}

}  // namespace
}  // namespace vbs::test
