#include <gtest/gtest.h>

#include "TestProgram.h"
#include "project/Procedures.h"

namespace storyloom::test {
namespace {

const QStringList kScript = {
    "' Shared procedures of the game",
    "Dim Score",
    "Sub AddScore(points)",
    "    Score = Score + points",
    "    If Score > 100 Then MsgBox \"You win\"",
    "End Sub",
    "",
    "Function Greeting(name)",
    "\tGreeting = \"Hello \" & name",
    "End Function",
};

class ProceduresTest : public ::testing::Test {
  protected:
    TestProgram t;
};

TEST(UnscrambleTest, VariantOneInvertsTheScrambler) {
    const QByteArray plain = "If x = \"a|b\" Then Call Go(1, 2) ' {}";
    for (qint64 offset : {0LL, 1LL, 93LL, 94LL, 12345LL, -7LL}) {
        for (char base : {'!', 'A', '~'}) {
            EXPECT_EQ(UnscrambleLine(ScrambleLine(plain, offset, base), offset), plain)
                << offset << base;
        }
    }
}

TEST(UnscrambleTest, VariantOneWorksModulo94AndReadsBackwards) {
    const QByteArray scrambled = ScrambleLine("Sub Go()", 5, 'K');
    EXPECT_EQ(UnscrambleLine(scrambled, 5 + 94 * 3), "Sub Go()");
    EXPECT_NE(UnscrambleLine(scrambled, 6), "Sub Go()");
    // The first character only carries the base; the rest is read from the end.
    EXPECT_EQ(scrambled.size(), 9);
    EXPECT_EQ(UnscrambleLine("!", 0), "");
    EXPECT_EQ(UnscrambleLine("", 0), "");
    // Base 1 ("!"), offset 0, i = 0: key value of 'q' is 81.
    // ((c - 81 - 32) mod 94) + 32 for c = 'A' (65): (65 - 113) mod 94 = 46, + 32 = 78 ('N').
    EXPECT_EQ(UnscrambleLine("!A", 0), "N");
    EXPECT_EQ(UnscrambleLine("!A", 13), "A");
}

TEST(UnscrambleTest, VariantOneKeepsCharactersOutsideThePrintableRange) {
    const QByteArray plain = QByteArray("a\tb\xe9") + char(127);
    const QByteArray scrambled = ScrambleLine(plain, 17, 'x');
    EXPECT_EQ(scrambled.at(4), '\t');
    EXPECT_EQ(scrambled.at(2), '\xe9');
    EXPECT_EQ(scrambled.at(1), char(127));
    EXPECT_EQ(UnscrambleLine(scrambled, 17), plain);
}

TEST(UnscrambleTest, VariantTwoInvertsItsScramblerAndExchangesBlankAndQuote) {
    const QByteArray plain = "Name = \"Plug In\" 2 {x}\t\xfe";
    for (qint64 offset : {100LL, 200LL}) {
        const QByteArray scrambled = ScrambleLine2(plain, offset, '#');
        EXPECT_EQ(UnscrambleLine2(scrambled, offset), plain);
    }
    // A double quote is outside the transformed range and stays; a blank is transformed.
    EXPECT_EQ(UnscrambleLine2("#\"", 100), "\"");
    // Base 0, i = 0: a blank enters as 34, (34 - 100 - 33) mod 93 + 33 = 120 ("x").
    EXPECT_EQ(UnscrambleLine2("# ", 100), "x");
    // ")" computes to 34, which leaves as a blank.
    EXPECT_EQ(UnscrambleLine2("#)", 100), " ");
    EXPECT_EQ(UnscrambleLine2("#", 100), "");
}

TEST_F(ProceduresTest, MissingFileGivesEmptyTextWithoutBox) {
    EXPECT_EQ(LoadProcedures(t.program), "");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProceduresTest, PlainFileSkipsTheHeaderAndJoinsWithCrLf) {
    t.project.WriteProcedures(kScript);
    EXPECT_EQ(LoadProcedures(t.program), kScript.join("\r\n"));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProceduresTest, AnyLineEndReadsAsOneAndBytesAreCodePage1252) {
    // CR LF, a lone CR, a lone LF, an empty line; the last line has no end of its own.
    t.project.WriteFile("Config/Procedures",
                        "h\r\nh\r\nh\r\nA = \"\x80\"\rB\n\r\nSub C()\r\nEnd Sub\xe9");
    EXPECT_EQ(LoadProcedures(t.program),
              QString::fromUtf8("A = \"\u20ac\"\r\nB\r\n\r\nSub C()\r\nEnd Sub\u00e9"));
    // A last line that ends leaves no empty line after it.
    t.project.WriteFile("Config/Procedures", "h\r\nh\r\nh\r\nX\r\n");
    EXPECT_EQ(LoadProcedures(t.program), "X");
}

TEST_F(ProceduresTest, ScrambledFlagOtherThanOneReadsLinesAsTheyAre) {
    t.project.WriteProcedures({"Sub A()", "End Sub"});
    t.project.WriteMore("General", "ProcEncr", "0");
    EXPECT_EQ(LoadProcedures(t.program), "Sub A()\r\nEnd Sub");
    t.project.WriteMore("General", "ProcEncr", "yes");
    EXPECT_EQ(LoadProcedures(t.program), "Sub A()\r\nEnd Sub");
}

TEST_F(ProceduresTest, ScrambledFilesAreReadWhateverTheTitleChecksum) {
    // Files of real games are scrambled with the authoring tool's own project number, which the
    // player finds from the file itself.
    for (qint64 offset : {0LL, 1LL, 47LL, 93LL, 94LL, 1000LL, 2147483000LL, 31337LL}) {
        SCOPED_TRACE(offset);
        t.project.WriteProcedures(kScript, offset);
        EXPECT_EQ(LoadProcedures(t.program), kScript.join("\r\n"));
    }
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProceduresTest, ShortScrambledFileUsesTheOwnChecksumToBreakTies) {
    // Nothing printable to judge by: every offset reads alike, so our own number decides.
    EXPECT_EQ(FindProcedureOffset({QByteArray("!\t\x01")}, 200), 200 % 94);
    EXPECT_EQ(FindProcedureOffset({}, -1), 93);
    t.program.info.ProjectTitle = "Tie";
    t.project.WriteProcedures({"\t", ""}, ProjectNumber("Tie"));
    EXPECT_EQ(LoadProcedures(t.program), "\t\r\n");
    // A one-character scrambled line reads as an empty line.
    t.project.WriteFile("Config/Procedures", "h\r\nh\r\nh\r\nQ\r\n");
    EXPECT_EQ(LoadProcedures(t.program), "");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProceduresTest, OffsetSearchPrefersScriptText) {
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < kScript.size(); ++i)
        lines << ScrambleLine(kScript.at(i).toLatin1(), 61, static_cast<char>('!' + i));
    EXPECT_EQ(FindProcedureOffset(lines, 0), 61);
    EXPECT_EQ(FindProcedureOffset(lines, 61 + 94), 61);
}

TEST_F(ProceduresTest, HeaderOnlyFileIsAReadError) {
    t.project.WriteFile("Config/Procedures", "a\r\nb\r\nc\r\n");
    EXPECT_EQ(LoadProcedures(t.program), "");
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, "Error loading projet procedures.");
}

TEST_F(ProceduresTest, LastLineWithoutLineEndAndBlankLastLine) {
    t.project.WriteFile("Config/Procedures", "a\r\nb\r\nc\r\nx = 1\r\ny = 2");
    EXPECT_EQ(LoadProcedures(t.program), "x = 1\r\ny = 2");
    t.project.WriteFile("Config/Procedures", "a\nb\nc\nx = 1\n\n");
    EXPECT_EQ(LoadProcedures(t.program), "x = 1\r\n");
}

TEST_F(ProceduresTest, NonAsciiCharactersComeThroughAsCodePage1252) {
    t.project.WriteFile("Config/Procedures", "a\r\nb\r\nc\r\nMsgBox \"\x80 \xe9\"\r\n");
    EXPECT_EQ(LoadProcedures(t.program), QString::fromUtf8("MsgBox \"€ é\""));
}

}  // namespace
}  // namespace storyloom::test
