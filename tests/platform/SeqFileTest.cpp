#include <gtest/gtest.h>

#include <cmath>

#include "platform/seqfile/SeqFile.h"

namespace storyloom {
namespace {

SeqError::Kind ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const SeqError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no SeqError thrown";
    return SeqError::Kind::PastEnd;
}

TEST(SeqReader, FieldsOfEveryKindInOneRecord) {
    SeqReader r("\"Door, the red one\",12,-3.5,#TRUE#,#FALSE#,,\"\"\r\n");
    EXPECT_EQ(r.ReadString(), "Door, the red one");
    EXPECT_EQ(r.ReadInteger(), 12);
    EXPECT_DOUBLE_EQ(r.ReadDouble(), -3.5);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_EQ(r.ReadString(), "");
    EXPECT_EQ(r.ReadString(), "");
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, QuotedFieldEndsAtClosingQuoteAndSkipsToSeparator) {
    // Text after the closing quote up to the comma is dropped; line ends inside quotes stay.
    SeqReader r("\"ab\"cd,  \t\"line1\r\nline2\"  ,  next  \n");
    EXPECT_EQ(r.ReadString(), "ab");
    EXPECT_EQ(r.ReadString(), "line1\r\nline2");
    EXPECT_EQ(r.ReadString(), "next");
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, UnterminatedQuoteTakesTheRest) {
    SeqReader r("\"a\",\"never closed, really\r\n");
    EXPECT_EQ(r.ReadString(), "a");
    EXPECT_EQ(r.ReadString(), "never closed, really\r\n");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(ErrorOf([&] { r.ReadString(); }), SeqError::Kind::PastEnd);
}

TEST(SeqReader, EmptyFieldsAndBlankLines) {
    SeqReader r("1,,3\r\n\r\n4\r\n");
    EXPECT_EQ(r.ReadInteger(), 1);
    EXPECT_EQ(r.ReadInteger(), 0);  // empty reads as 0
    EXPECT_EQ(r.ReadInteger(), 3);
    EXPECT_EQ(r.ReadString(), "");  // a blank line in the middle is one empty field
    EXPECT_EQ(r.ReadInteger(), 4);
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, EndOfFileRules) {
    // Blank lines and blanks after the last record count as the end.
    SeqReader trailing("\"x\"\r\n\r\n  \r\n");
    EXPECT_FALSE(trailing.AtEnd());
    EXPECT_EQ(trailing.ReadString(), "x");
    EXPECT_TRUE(trailing.AtEnd());
    EXPECT_EQ(ErrorOf([&] { trailing.ReadString(); }), SeqError::Kind::PastEnd);
    EXPECT_EQ(ErrorOf([&] { trailing.ReadLine(); }), SeqError::Kind::PastEnd);

    // A record ending in a comma still holds an empty last field.
    SeqReader comma("5,\r\n");
    EXPECT_EQ(comma.ReadInteger(), 5);
    EXPECT_FALSE(comma.AtEnd());
    EXPECT_EQ(comma.ReadVariant(), QVariant());
    EXPECT_TRUE(comma.AtEnd());

    SeqReader empty("");
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(ErrorOf([&] { empty.ReadDouble(); }), SeqError::Kind::PastEnd);

    // Without a final line end the last field is still read.
    SeqReader noEnd("7");
    EXPECT_EQ(noEnd.ReadLong(), 7);
    EXPECT_TRUE(noEnd.AtEnd());
}

TEST(SeqReader, LoneLineFeedsAndCarriageReturns) {
    SeqReader r("\"a\"\n2\n#TRUE#\r3");
    EXPECT_EQ(r.ReadString(), "a");
    EXPECT_EQ(r.ReadInteger(), 2);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.ReadInteger(), 3);
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, NumbersAsBasicConvertsThem) {
    SeqReader r("1.5E+3, -.25 ,\"12\",\"\",1D2,&HFF,&HFFFF,&H10000,  7  \r\n");
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 1500.0);
    EXPECT_DOUBLE_EQ(r.ReadDouble(), -0.25);
    EXPECT_EQ(r.ReadInteger(), 12);  // a quoted number converts
    EXPECT_EQ(r.ReadInteger(), 0);   // so does an empty string
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 100.0);
    EXPECT_EQ(r.ReadInteger(), 255);
    EXPECT_EQ(r.ReadInteger(), -1);  // four hex digits are a 16-bit value
    EXPECT_EQ(r.ReadLong(), 65536);
    EXPECT_EQ(r.ReadInteger(), 7);
    SeqReader tiny("1E-400,0.0E999,-0.00012e-3");
    EXPECT_EQ(tiny.ReadDouble(), 0.0);  // too small is zero, not an error
    EXPECT_EQ(tiny.ReadDouble(), 0.0);
    EXPECT_DOUBLE_EQ(tiny.ReadDouble(), -1.2e-7);
}

TEST(SeqReader, IntegerRoundingIsBankers) {
    SeqReader r("0.5,1.5,2.5,-2.5,2.6,32767.4,-32768.5");
    EXPECT_EQ(r.ReadInteger(), 0);
    EXPECT_EQ(r.ReadInteger(), 2);
    EXPECT_EQ(r.ReadInteger(), 2);
    EXPECT_EQ(r.ReadInteger(), -2);
    EXPECT_EQ(r.ReadInteger(), 3);
    EXPECT_EQ(r.ReadInteger(), 32767);
    EXPECT_EQ(r.ReadInteger(), -32768);
}

TEST(SeqReader, TypeMismatchAndOverflow) {
    SeqReader r("abc,32768,-32769,2147483648,1E400,#NULL#,1.2.3,maybe,-,1e");
    EXPECT_EQ(ErrorOf([&] { r.ReadInteger(); }), SeqError::Kind::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { r.ReadInteger(); }), SeqError::Kind::Overflow);
    EXPECT_EQ(ErrorOf([&] { r.ReadInteger(); }), SeqError::Kind::Overflow);
    EXPECT_EQ(ErrorOf([&] { r.ReadLong(); }), SeqError::Kind::Overflow);
    EXPECT_EQ(ErrorOf([&] { r.ReadDouble(); }), SeqError::Kind::Overflow);
    EXPECT_EQ(ErrorOf([&] { r.ReadDouble(); }), SeqError::Kind::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { r.ReadDouble(); }), SeqError::Kind::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { r.ReadBoolean(); }), SeqError::Kind::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { r.ReadDouble(); }), SeqError::Kind::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { r.ReadDouble(); }), SeqError::Kind::TypeMismatch);
    EXPECT_TRUE(r.AtEnd());  // a failed field is still consumed
}

TEST(SeqReader, ErrorDescriptionsAreBasics) {
    EXPECT_EQ(SeqError(SeqError::Kind::PastEnd, "Input past end of file").Description(),
              "Input past end of file");
    SeqReader r("x");
    try {
        r.ReadInteger();
        FAIL();
    } catch (const SeqError& e) {
        EXPECT_EQ(e.Description(), "Type mismatch");
    }
}

TEST(SeqReader, BooleansFromTextNumbersAndFlags) {
    SeqReader r("#TRUE#,#false#,1,0,\"True\",\"false\",-1,");
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_TRUE(r.ReadBoolean());
    // Flags into numbers and strings, as Basic converts them.
    SeqReader n("#TRUE#,#FALSE#,#TRUE#");
    EXPECT_EQ(n.ReadInteger(), -1);
    EXPECT_EQ(n.ReadInteger(), 0);
    EXPECT_EQ(n.ReadString(), "True");
}

TEST(SeqReader, VariantsKeepTheirKind) {
    SeqReader r("\"12\",12.5,#TRUE#,#NULL#,,#2003-04-05 06:07:08#,#2003-04-05#,word\r\n");
    QVariant v = r.ReadVariant();
    EXPECT_EQ(v.typeId(), QMetaType::QString);
    EXPECT_EQ(v.toString(), "12");
    v = r.ReadVariant();
    EXPECT_EQ(v.typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(v.toDouble(), 12.5);
    v = r.ReadVariant();
    EXPECT_EQ(v.typeId(), QMetaType::Bool);
    EXPECT_TRUE(v.toBool());
    v = r.ReadVariant();
    EXPECT_TRUE(v.isValid());
    EXPECT_TRUE(v.isNull());
    v = r.ReadVariant();
    EXPECT_FALSE(v.isValid());
    v = r.ReadVariant();
    EXPECT_EQ(v.toDateTime(), QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)));
    v = r.ReadVariant();
    EXPECT_EQ(v.toDateTime(), QDateTime(QDate(2003, 4, 5), QTime(0, 0)));
    v = r.ReadVariant();
    EXPECT_EQ(v.toString(), "word");
}

TEST(SeqReader, DatesIntoNumbersAreDaySerials) {
    SeqReader r("#1900-01-01#,#1899-12-30 12:00:00#");
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 2.0);
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 0.5);
}

TEST(SeqReader, SeparatorPeekWithTellAndSeek) {
    SeqReader r("\"Area1\",1\r\n\"----- SEPARATOR -----\"\r\n\"Area2\",2\r\n");
    EXPECT_EQ(r.ReadString(), "Area1");
    EXPECT_EQ(r.ReadInteger(), 1);
    const qsizetype here = r.Tell();
    EXPECT_EQ(r.ReadString(), "----- SEPARATOR -----");
    r.Seek(here);
    EXPECT_EQ(r.PeekString(), std::optional<QString>("----- SEPARATOR -----"));
    EXPECT_EQ(r.ReadString(), "----- SEPARATOR -----");
    EXPECT_EQ(r.ReadString(), "Area2");
    EXPECT_EQ(r.ReadInteger(), 2);
    EXPECT_EQ(r.PeekString(), std::nullopt);
    r.Seek(-5);
    EXPECT_EQ(r.Tell(), 0);
    r.Seek(1 << 20);
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, WholeLines) {
    SeqReader r("Sub A()\r\n  x = \"a, b\"\r\n\r\nEnd Sub\nlast");
    EXPECT_EQ(r.ReadLine(), "Sub A()");
    EXPECT_EQ(r.ReadLine(), "  x = \"a, b\"");
    EXPECT_EQ(r.ReadLine(), "");
    EXPECT_EQ(r.ReadLine(), "End Sub");
    EXPECT_EQ(r.ReadLine(), "last");
    EXPECT_TRUE(r.AtEnd());
}

TEST(SeqReader, TextIsCodePage1252) {
    SeqReader r(QByteArray("\"caf\xe9 \x80 \x93q\x94\"\r\n"));
    EXPECT_EQ(r.ReadString(), QString::fromUtf8("café € “q”"));
}

TEST(SeqWriter, WritesWhatWindowsFilesLookLike) {
    SeqWriter w;
    w.WriteString("Hall");
    w.WriteInteger(640);
    w.WriteNumber(2.5);
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.EndRecord();
    w.WriteEmpty();
    w.WriteNull();
    w.WriteDate(QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)));
    w.EndRecord();
    w.WriteLine("plain line");
    EXPECT_EQ(w.Bytes(),
              "\"Hall\",640,2.5,#TRUE#,#FALSE#\r\n,#NULL#,#2003-04-05 06:07:08#\r\nplain line\r\n");
}

TEST(SeqWriter, NumberTextNeedsNoExponentForOrdinaryValues) {
    EXPECT_EQ(SeqWriter::NumberText(0.1), "0.1");
    EXPECT_EQ(SeqWriter::NumberText(-1234567.25), "-1234567.25");
    EXPECT_EQ(SeqWriter::NumberText(3), "3");
    EXPECT_EQ(SeqWriter::NumberText(1e20), "1E+20");
    EXPECT_EQ(SeqWriter::NumberText(std::nan("")), "0");
}

TEST(SeqWriter, RoundTripThroughTheReader) {
    const QString tricky = QString::fromUtf8("a, b \"quoted\"\r\nnext line €");
    SeqWriter w;
    w.WriteString(tricky);
    w.WriteString("");
    w.WriteString("  padded  ");
    w.WriteNumber(-0.125);
    w.WriteNumber(123456789012.5);
    w.WriteInteger(-32768);
    w.WriteVariant(QVariant(true));
    w.WriteVariant(QVariant::fromValue(nullptr));
    w.WriteVariant(QVariant());
    w.WriteVariant(QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))));
    w.WriteVariant(QVariant(QStringLiteral("text")));
    w.WriteVariant(QVariant(7));
    w.EndRecord();
    w.WriteString("----- SEPARATOR -----");
    w.EndRecord();

    SeqReader r(w.Bytes());
    // The double quotes could not be stored and became single quotes; nothing else changed.
    EXPECT_EQ(r.ReadString(), QString(tricky).replace('"', '\''));
    EXPECT_EQ(r.ReadString(), "");
    EXPECT_EQ(r.ReadString(), "  padded  ");
    EXPECT_DOUBLE_EQ(r.ReadDouble(), -0.125);
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 123456789012.5);
    EXPECT_EQ(r.ReadInteger(), -32768);
    EXPECT_EQ(r.ReadVariant(), QVariant(true));
    EXPECT_TRUE(r.ReadVariant().isNull());
    EXPECT_FALSE(r.ReadVariant().isValid());
    EXPECT_EQ(r.ReadVariant().toDateTime(), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)));
    EXPECT_EQ(r.ReadVariant(), QVariant(QStringLiteral("text")));
    EXPECT_DOUBLE_EQ(r.ReadVariant().toDouble(), 7.0);
    EXPECT_EQ(r.ReadString(), "----- SEPARATOR -----");
    EXPECT_TRUE(r.AtEnd());
}

}  // namespace
}  // namespace storyloom
