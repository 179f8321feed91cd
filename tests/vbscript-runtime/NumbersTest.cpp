#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "lib/numbers/numbers.h"

namespace vbs::rt {
namespace {

TEST(NumberText, DoubleUsesFifteenSignificantDigits) {
    EXPECT_EQ(DoubleToText(0.5), u"0.5");
    EXPECT_EQ(DoubleToText(3.5), u"3.5");
    EXPECT_EQ(DoubleToText(100.0), u"100");
    EXPECT_EQ(DoubleToText(1.0 / 3), u"0.333333333333333");
    EXPECT_EQ(DoubleToText(2.0 / 3), u"0.666666666666667");
    EXPECT_EQ(DoubleToText(0.1 + 0.2), u"0.3");
    EXPECT_EQ(DoubleToText(999999999999999.0), u"999999999999999");
    EXPECT_EQ(DoubleToText(12345678901234.5), u"12345678901234.5");
    EXPECT_EQ(DoubleToText(123456789012345.6), u"123456789012346");
    EXPECT_EQ(DoubleToText(-2.25), u"-2.25");
    EXPECT_EQ(DoubleToText(0.0), u"0");
    // An exact tie at the sixteenth digit rounds away from zero.
    EXPECT_EQ(DoubleToText(1e14 + 0.5), u"100000000000001");
    EXPECT_EQ(DoubleToText(-(1e14 + 0.5)), u"-100000000000001");
    EXPECT_EQ(DoubleToText(999999999999999.5), u"1E+15");
    EXPECT_EQ(DoubleToText(0.1 * 3), u"0.3");
    EXPECT_EQ(DoubleToText(-0.0), u"0");
}

TEST(NumberText, DoubleSwitchesToExponentOutsideFifteenDigits) {
    EXPECT_EQ(DoubleToText(1e15), u"1E+15");
    EXPECT_EQ(DoubleToText(1e16), u"1E+16");
    EXPECT_EQ(DoubleToText(123456789012345678.0), u"1.23456789012346E+17");
    EXPECT_EQ(DoubleToText(-1e100), u"-1E+100");
    EXPECT_EQ(DoubleToText(1.79769313486231e308), u"1.79769313486231E+308");
    EXPECT_EQ(DoubleToText(0.0001), u"0.0001");
    EXPECT_EQ(DoubleToText(1e-5), u"1E-05");
    EXPECT_EQ(DoubleToText(1.5e-5), u"1.5E-05");
    EXPECT_EQ(DoubleToText(0.00001234), u"1.234E-05");
    EXPECT_EQ(DoubleToText(1e-31), u"1E-31");
}

TEST(NumberText, SingleUsesSevenDigits) {
    EXPECT_EQ(SingleToText(1.0f / 3), u"0.3333333");
    EXPECT_EQ(SingleToText(0.1f), u"0.1");
    EXPECT_EQ(SingleToText(1234567.0f), u"1234567");
    EXPECT_EQ(SingleToText(1e7f), u"1E+07");
    EXPECT_EQ(SingleToText(123456789.0f), u"1.234568E+08");
    EXPECT_EQ(SingleToText(16777217.0f), u"1.677722E+07");
    EXPECT_EQ(SingleToText(1e-5f), u"1E-05");
    EXPECT_EQ(SingleToText(-0.5f), u"-0.5");
}

TEST(NumberText, SignificantDigits) {
    DecimalDigits d = SignificantDigits(-1234.5678, 6);
    EXPECT_EQ(d.digits, "123457");
    EXPECT_EQ(d.exponent, 3);
    d = SignificantDigits(9.99999, 3);
    EXPECT_EQ(d.digits, "100");
    EXPECT_EQ(d.exponent, 1);
    d = SignificantDigits(0.000125, 2);  // 0.000125 is stored just above the tie
    EXPECT_EQ(d.digits, "13");
    EXPECT_EQ(d.exponent, -4);
    d = SignificantDigits(0.5, 1);
    EXPECT_EQ(d.digits, "5");
    EXPECT_EQ(d.exponent, -1);
    d = SignificantDigits(0, 3);
    EXPECT_EQ(d.digits, "000");
}

// Rounds the exact decimal expansion of |v| to 15 digits, half away from zero.
std::pair<std::string, int> ExactFifteen(double v) {
    char buf[80];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 45);
    std::string sci(buf, res.ptr);
    size_t e = sci.find('e');
    std::string all;
    for (size_t i = 0; i < e; ++i)
        if (sci[i] != '.') all += sci[i];
    int exp = std::stoi(sci.substr(e + 1));
    std::string d = all.substr(0, 15);
    if (all[15] >= '5') {
        int k = 14;
        for (; k >= 0 && d[static_cast<size_t>(k)] == '9'; --k) d[static_cast<size_t>(k)] = '0';
        if (k < 0) {
            d = "1" + d.substr(0, 14);
            ++exp;
        } else {
            ++d[static_cast<size_t>(k)];
        }
    }
    return {d, exp};
}

TEST(NumberText, ShortAndLongDigitPathsAgree) {
    // Short decimals (the common case) and arbitrary doubles both match exact rounding.
    uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 20000; ++i) {
        double v = 0;
        if (i % 2 == 0) {
            v = static_cast<double>(next() % 100000000000ull) / std::pow(10.0, next() % 20);
        } else {
            uint64_t bits = (next() & 0x800FFFFFFFFFFFFFull) | (((next() % 200) + 923) << 52);
            std::memcpy(&v, &bits, sizeof v);
        }
        if (v == 0) continue;
        DecimalDigits d = SignificantDigits(v, 15);
        auto [digits, exp] = ExactFifteen(v);
        ASSERT_EQ(d.digits, digits) << v;
        ASSERT_EQ(d.exponent, exp) << v;
    }
}

TEST(NumberText, CurrencyAndIntegers) {
    EXPECT_EQ(CurrencyToText(12346), u"1.2346");
    EXPECT_EQ(CurrencyToText(-5000), u"-0.5");
    EXPECT_EQ(CurrencyToText(37500), u"3.75");
    EXPECT_EQ(CurrencyToText(9223372036854775807LL), u"922337203685477.5807");
    EXPECT_EQ(CurrencyToText(std::numeric_limits<int64_t>::min()), u"-922337203685477.5808");
    EXPECT_EQ(CurrencyToText(-1), u"-0.0001");
    EXPECT_EQ(CurrencyToText(0), u"0");
    EXPECT_EQ(IntegerToText(-32768), u"-32768");
}

TEST(NumberParse, PlainAndDecorated) {
    struct Case {
        const char16_t* text;
        double value;
    };
    const Case cases[] = {
        {u"44", 44},
        {u" 12 ", 12},
        {u"\t5", 5},
        {u"\r\n5\r\n", 5},
        {u"-1", -1},
        {u"-0.5", -0.5},
        {u"+5", 5},
        {u"1e3", 1000},
        {u".5", 0.5},
        {u"5.", 5},
        {u"+.5", 0.5},
        {u"- .5", -0.5},
        {u"1.5e+3", 1500},
        {u"1.5E-3", 0.0015},
        {u"1e+-5", 1e-5},
        {u".5e1", 5},
        {u"1,000", 1000},
        {u"1,2", 12},
        {u"12,34.5", 1234.5},
        {u"1,000.5", 1000.5},
        {u"1.000,5", 1.0005},
        {u"0,5", 5},
        {u"5,", 5},
        {u"1,,2", 12},
        {u"1,.5", 1.5},
        {u".,5", 0.5},
        {u"1e5,", 100000},
        {u"$5", 5},
        {u"$ 5", 5},
        {u"5$", 5},
        {u"-$5", -5},
        {u"$-5", -5},
        {u"(5)", -5},
        {u"(-5)", -5},
        {u"(5)-", -5},
        {u"5-", -5},
        {u"5 -", -5},
        {u"+5-", -5},
        {u"+-5", -5},
        {u"5+", 5},
        {u"00", 0},
        {u"1e-400", 0},
        {u"\u00a01\u00a0", 1},
        {u"123456789012345678901234567890", 1.2345678901234568e29},
    };
    for (const Case& c : cases) {
        auto v = ParseNumber(c.text);
        ASSERT_TRUE(v.has_value())
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_DOUBLE_EQ(*v, c.value);
    }
}

TEST(NumberParse, HexAndOctal) {
    EXPECT_EQ(ParseNumber(u"&H0"), 0.0);
    EXPECT_EQ(ParseNumber(u"&h1f"), 31.0);
    EXPECT_EQ(ParseNumber(u"&HFFFF"), 65535.0);
    EXPECT_EQ(ParseNumber(u"&H8000"), -32768.0);
    EXPECT_EQ(ParseNumber(u"&H10000"), 65536.0);
    EXPECT_EQ(ParseNumber(u"&H7FFFFFFF"), 2147483647.0);
    EXPECT_EQ(ParseNumber(u"&H80000000"), -2147483648.0);
    EXPECT_EQ(ParseNumber(u"&H0000000000001"), 1.0);
    EXPECT_EQ(ParseNumber(u"&O177777"), 65535.0);
    EXPECT_EQ(ParseNumber(u" &H10"), 16.0);
    EXPECT_EQ(ParseNumber(u"&h10 "), 16.0);
    // The sign of a hex literal in text is ignored.
    EXPECT_EQ(ParseNumber(u"-&H10"), 16.0);
    EXPECT_EQ(ParseNumber(u"(&H10)"), 16.0);
    EXPECT_EQ(ParseNumberChecked(u"&HFFFFFFFF").error, kErrOverflow);
    EXPECT_EQ(ParseNumberChecked(u"&H100000000").error, kErrOverflow);
    EXPECT_EQ(ParseNumberChecked(u"&O37777777777").error, kErrOverflow);
    EXPECT_EQ(ParseNumberChecked(u"&H").error, kErrTypeMismatch);
    EXPECT_EQ(ParseNumberChecked(u"&H 10").error, kErrTypeMismatch);
    EXPECT_EQ(ParseNumberChecked(u"&H-1").error, kErrTypeMismatch);
}

TEST(NumberParse, Rejections) {
    for (const char16_t* text :
         {u"",    u" ",        u"rwrf", u"&",   u",5",    u"(5",    u"5)",   u"1 e5", u"1e 5",
          u"--5", u"1d3",      u"1E",   u"1E+", u"1e5e5", u"1.2.3", u"1..2", u"5 5",  u"0x10",
          u"1%",  u"Infinity", u".",    u"+",   u"e5",    u".e1",   u"5--"}) {
        EXPECT_FALSE(ParseNumber(text).has_value())
            << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
    EXPECT_EQ(ParseNumberChecked(u"1e400").error, kErrOverflow);
    EXPECT_EQ(ParseNumberChecked(u"abc").error, kErrTypeMismatch);
}

TEST(Rounding, HalfToEvenConversions) {
    EXPECT_EQ(ToInteger(2.5).value, 2);
    EXPECT_EQ(ToInteger(3.5).value, 4);
    EXPECT_EQ(ToInteger(-2.5).value, -2);
    EXPECT_EQ(ToInteger(-0.5).value, 0);
    EXPECT_EQ(ToLong(-2.5).value, -2);
    EXPECT_EQ(ToLong(2147483647.49).value, 2147483647);
    EXPECT_EQ(ToLong(-2147483648.5).value, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ToLong(2147483647.5).error, kErrOverflow);
    EXPECT_EQ(ToLong(-2147483648.51).error, kErrOverflow);
    EXPECT_EQ(ToInteger(32767.5).error, kErrOverflow);
    EXPECT_EQ(ToInteger(-32768.5).value, -32768);
    EXPECT_EQ(ToByte(0.5).value, 0);
    EXPECT_EQ(ToByte(1.5).value, 2);
    EXPECT_EQ(ToByte(-0.5).value, 0);
    EXPECT_EQ(ToByte(255.5).error, kErrOverflow);
    EXPECT_EQ(ToByte(-0.51).error, kErrOverflow);
    EXPECT_EQ(ToLong(std::nan("")).error, kErrOverflow);
    EXPECT_EQ(ToSingle(1e39).error, kErrOverflow);
    EXPECT_FLOAT_EQ(ToSingle(3.4e38).value, 3.4e38f);
}

TEST(Rounding, RoundFunction) {
    EXPECT_EQ(RoundHalfEven(3.3), 3);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.3), -3);
    EXPECT_EQ(RoundToDigits(3.35, 1).value, 3.4);
    EXPECT_EQ(RoundToDigits(-3.5, 1).value, -3.5);
    EXPECT_EQ(RoundToDigits(12345.6789, 3).value, 12345.679);
    EXPECT_EQ(RoundToDigits(0.125, 2).value, 0.12);
    EXPECT_EQ(RoundToDigits(1e20, 2).value, 1e20);
    EXPECT_EQ(RoundToDigits(1.5, -1).error, kErrInvalidCall);
    EXPECT_EQ(Fix(-3.7), -3);
    EXPECT_EQ(Int(-3.2), -4);
    EXPECT_EQ(Int(3.7), 3);
}

TEST(Currency, ConversionAndArithmetic) {
    EXPECT_EQ(ToCurrency(1.23456).value, 12346);
    EXPECT_EQ(ToCurrency(1.23455).value, 12346);  // 1.23455 is stored slightly above the tie
    EXPECT_EQ(ToCurrency(0.00005).value, 0);
    EXPECT_EQ(ToCurrency(-0.5).value, -5000);
    EXPECT_EQ(ToCurrency(922337203685477.0).value, 9223372036854770000LL);
    EXPECT_EQ(ToCurrency(1e15).error, kErrOverflow);
    EXPECT_EQ(CurrencyToDouble(12346), 1.2346);
    EXPECT_EQ(CurrencyMultiply(15000, 25000).value, 37500);
    EXPECT_EQ(CurrencyMultiply(1, 5000).value, 0);  // 0.00005 rounds to even
    EXPECT_EQ(CurrencyMultiply(3, 5000).value, 2);  // 0.00015 -> 0.0002
    EXPECT_EQ(CurrencyMultiply(-3, 5000).value, -2);
    EXPECT_EQ(CurrencyMultiply(9223372036854775807LL, 20000).error, kErrOverflow);
    EXPECT_EQ(CurrencyAdd(9223372036854775807LL, 1).error, kErrOverflow);
    EXPECT_EQ(CurrencySubtract(10000, 25000).value, -15000);
}

TEST(HexOct, SixteenAndThirtyTwoBit) {
    EXPECT_EQ(HexText(0, true), u"0");
    EXPECT_EQ(HexText(16, true), u"10");
    EXPECT_EQ(HexText(-1, true), u"FFFF");
    EXPECT_EQ(HexText(-16, true), u"FFF0");
    EXPECT_EQ(HexText(-32767, true), u"8001");
    EXPECT_EQ(HexText(-32768, false), u"FFFF8000");
    EXPECT_EQ(HexText(-934859845, false), u"C8472BBB");
    EXPECT_EQ(HexText(static_cast<int32_t>(0xDEADBEEF), false), u"DEADBEEF");
    EXPECT_EQ(HexText(-1, false), u"FFFFFFFF");
    EXPECT_EQ(OctText(9, true), u"11");
    EXPECT_EQ(OctText(-1, true), u"177777");
    EXPECT_EQ(OctText(-32767, true), u"100001");
    EXPECT_EQ(OctText(-32768, false), u"37777700000");
    EXPECT_EQ(OctText(2147483647, false), u"17777777777");
    EXPECT_EQ(OctText(std::numeric_limits<int32_t>::min(), false), u"20000000000");
    EXPECT_EQ(OctText(-1, false), u"37777777777");
}

}  // namespace
}  // namespace vbs::rt
