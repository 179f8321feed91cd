#include <gtest/gtest.h>

#include <QDateTime>

#include "TestProgram.h"
#include "core/BasicConvert.h"
#include "core/Errors.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

TEST(BasicConvertTest, ValTakesTheLeadingNumber) {
    EXPECT_EQ(Val("2.5 seconds"), 2.5);
    EXPECT_EQ(Val(" 1 2 3"), 123);
    EXPECT_EQ(Val("-7"), -7);
    EXPECT_EQ(Val("1e3x"), 1000);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("."), 0);
    EXPECT_EQ(Val("1e999"), 0);
}

TEST(BasicConvertTest, IntegerConversionsRoundHalfToEvenAndCheckRange) {
    EXPECT_EQ(CInt(QVariant(2.5)), 2);
    EXPECT_EQ(CInt(QVariant(3.5)), 4);
    EXPECT_EQ(CInt(QVariant(-2.5)), -2);
    EXPECT_EQ(CInt(QVariant(" 12 ")), 12);
    EXPECT_EQ(CInt(QVariant(true)), -1);
    EXPECT_EQ(CInt(QVariant()), 0);
    EXPECT_EQ(CInt(QVariant(32767.4)), 32767);
    EXPECT_THROW(CInt(QVariant(32767.5)), RunError);
    EXPECT_THROW(CInt(QVariant("12 apples")), RunError);
    EXPECT_THROW(CInt(QVariant::fromValue(nullptr)), RunError);
    EXPECT_EQ(CLng(QVariant(40000)), 40000);
    EXPECT_THROW(CLng(QVariant(3e10)), RunError);
    EXPECT_EQ(CDbl(QVariant("&HFF")), 255);
    EXPECT_EQ(CDbl(QVariant(QDateTime(QDate(1900, 1, 1), QTime(12, 0)))), 2.5);
    EXPECT_TRUE(CBool(QVariant("true")));
    EXPECT_FALSE(CBool(QVariant("0")));
    EXPECT_EQ(CStr(QVariant(false)), "False");
}

TEST(BasicConvertTest, QuoteMarkers) {
    EXPECT_EQ(QuoteFromBar("MsgBox |hi|"), "MsgBox \"hi\"");
    EXPECT_EQ(QuoteFromMarker(QString("a") + QChar(0xFE) + "b"), "a\"b");
}

TEST(ProgramTest, ErrorBoxJoinsTheLeadLinesAndTheSentence) {
    TestProgram t;
    SetDefaultMessages(t.program.Messages, 1);
    t.program.ShowErrorBox(" Unable to do it. ", "Overflow");
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text,
              "An error has occurred. The game may not work properly. Press 'Esc' and the click "
              "'Exit' to quit."
              "\r\n\r\nError description: Unable to do it. Overflow");
    t.program.StopRequested = true;
    t.program.ShowErrorBox(" Again.");
    EXPECT_EQ(t.Boxes().size(), 1u);
}

TEST(ProgramTest, MessageTableRejectsIndexesOutsideItsRange) {
    MessageTable m;
    m.Set(60, "last");
    EXPECT_EQ(m(60), "last");
    EXPECT_THROW(m.Set(61, "x"), RunError);
    EXPECT_EQ(m(61), "");
    EXPECT_EQ(m(-1), "");
}

}  // namespace
}  // namespace storyloom::test
