#include <gtest/gtest.h>

#include "lib/numbers/format.h"

namespace vbs::rt {
namespace {

NumberLayout Layout(int digits, int leading = kTristateUseDefault, int parens = kTristateUseDefault,
                    int group = kTristateUseDefault) {
    return NumberLayout{digits, leading, parens, group};
}

TEST(FormatNumber, DefaultsAndLayout) {
    EXPECT_EQ(FormatNumber(1234.5).value, u"1,234.50");
    EXPECT_EQ(FormatNumber(-1234.5).value, u"-1,234.50");
    EXPECT_EQ(FormatNumber(0.5).value, u"0.50");
    EXPECT_EQ(FormatNumber(0).value, u"0.00");
    EXPECT_EQ(FormatNumber(0.12, Layout(-1, -2, -2, -1)).value, u"0.12");
    EXPECT_EQ(FormatNumber(123.456, Layout(-1)).value, u"123.46");
    EXPECT_EQ(FormatNumber(-0.5, Layout(1, 0)).value, u"-.5");
    EXPECT_EQ(FormatNumber(-0.5, Layout(1, -1)).value, u"-0.5");
    EXPECT_EQ(FormatNumber(-0.5, Layout(1, 0, -1)).value, u"(.5)");
    EXPECT_EQ(FormatNumber(1234567, Layout(0)).value, u"1,234,567");
    EXPECT_EQ(FormatNumber(1234567, Layout(0, -2, -2, 0)).value, u"1234567");
    EXPECT_EQ(FormatNumber(12, Layout(5)).value, u"12.00000");
    EXPECT_EQ(FormatNumber(0.5, Layout(2, 5)).value, u".50");  // other tristates are false
    EXPECT_EQ(FormatNumber(0.4, Layout(0, 0)).value, u"0");
    EXPECT_EQ(FormatNumber(123, Layout(0)).value, u"123");
    EXPECT_EQ(FormatNumber(1234.5, Layout(-2)).error, kErrInvalidCall);
    EXPECT_EQ(FormatNumber(1234.5, Layout(256)).error, kErrInvalidCall);
}

TEST(FormatNumber, RoundsTheDecimalTextHalfAwayFromZero) {
    EXPECT_EQ(FormatNumber(0.125, Layout(2)).value, u"0.13");
    EXPECT_EQ(FormatNumber(0.135, Layout(2)).value, u"0.14");
    EXPECT_EQ(FormatNumber(1.005, Layout(2)).value, u"1.01");
    EXPECT_EQ(FormatNumber(2.5, Layout(0)).value, u"3");
    EXPECT_EQ(FormatNumber(3.5, Layout(0)).value, u"4");
    EXPECT_EQ(FormatNumber(-2.5, Layout(0)).value, u"-3");
    EXPECT_EQ(FormatNumber(999.999, Layout(2)).value, u"1,000.00");
    EXPECT_EQ(FormatNumber(9.99, Layout(1)).value, u"10.0");
    EXPECT_EQ(FormatNumber(1e20).value, u"100,000,000,000,000,000,000.00");
    EXPECT_EQ(FormatNumber(123456789012345678.0, Layout(0)).value, u"123,456,789,012,346,000");
    EXPECT_EQ(FormatNumber(1.23456789012345, Layout(16)).value, u"1.2345678901234500");
    EXPECT_EQ(FormatNumber(1e-10).value, u"0.00");
    EXPECT_EQ(FormatNumber(-1e-10).value, u"0.00");
    EXPECT_EQ(FormatNumber(-0.004, Layout(2, -2, -1)).value, u"0.00");
    EXPECT_EQ(FormatNumber(0.0005, Layout(3)).value, u"0.001");
}

TEST(FormatCurrency, DollarsAndParentheses) {
    EXPECT_EQ(FormatCurrency(0).value, u"$0.00");
    EXPECT_EQ(FormatCurrency(1234.567).value, u"$1,234.57");
    EXPECT_EQ(FormatCurrency(-1000).value, u"($1,000.00)");
    EXPECT_EQ(FormatCurrency(-1000, Layout(-1, -2, -1)).value, u"($1,000.00)");
    EXPECT_EQ(FormatCurrency(-1000, Layout(-1, -2, 0)).value, u"-$1,000.00");
    EXPECT_EQ(FormatCurrency(0.5, Layout(0)).value, u"$1");
    EXPECT_EQ(FormatCurrency(0.5, Layout(2, 0)).value, u"$.50");
    EXPECT_EQ(FormatCurrency(-0.5, Layout(2, 0)).value, u"($.50)");
    EXPECT_EQ(FormatCurrency(12.3456, Layout(4)).value, u"$12.3456");
}

TEST(FormatPercent, TimesHundred) {
    EXPECT_EQ(FormatPercent(0).value, u"0.00%");
    EXPECT_EQ(FormatPercent(0.12, Layout(-1, -2, -2, -1)).value, u"12.00%");
    EXPECT_EQ(FormatPercent(0.125).value, u"12.50%");
    EXPECT_EQ(FormatPercent(-0.125).value, u"-12.50%");
    EXPECT_EQ(FormatPercent(-0.125, Layout(-1, -2, -1)).value, u"(12.50)%");
    EXPECT_EQ(FormatPercent(12.5).value, u"1,250.00%");
    EXPECT_EQ(FormatPercent(0.005, Layout(0)).value, u"1%");
    EXPECT_EQ(FormatPercent(0.001, Layout(1, 0)).value, u".1%");
}

}  // namespace
}  // namespace vbs::rt
