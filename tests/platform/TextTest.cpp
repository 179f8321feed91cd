#include <gtest/gtest.h>

#include "platform/text/Codepage1252.h"

namespace storyloom {
namespace {

TEST(Codepage1252, TheHighControlRangeIsTheWindowsTable) {
    const QString expected =
        QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
    QByteArray bytes;
    for (int b = 0x80; b <= 0x9F; ++b) bytes.append(static_cast<char>(b));
    EXPECT_EQ(FromCp1252(bytes), expected);
    EXPECT_EQ(ToCp1252(expected), bytes);
}

TEST(Codepage1252, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1252(text), all);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(ToCp1252(FromCp1252(static_cast<unsigned char>(b))), b);
    }
    // The bytes the scrambling routines work on.
    EXPECT_EQ(FromCp1252(static_cast<unsigned char>(254)), QChar(0xFE));
    EXPECT_EQ(FromCp1252(static_cast<unsigned char>(164)), QChar(0xA4));
}

TEST(Codepage1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(ToCp1252(QString::fromUtf8("a\u0100b\u0080c")), QByteArray("a?b?c"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("x\U0001F600y")), QByteArray("x?y"));  // one per pair
    EXPECT_EQ(ToCp1252(QChar(0x20AC)), 0x80);
}

}  // namespace
}  // namespace storyloom
