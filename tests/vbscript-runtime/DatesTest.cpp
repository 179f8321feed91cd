#include <gtest/gtest.h>

#include <cmath>

#include "lib/dates/dates.h"

namespace vbs::rt {
namespace {

double Serial(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    auto v = MakeDate(y, m, d, h, n, s);
    EXPECT_TRUE(v.has_value()) << y << "-" << m << "-" << d;
    return v.value_or(0);
}

std::u16string Text(double serial) {
    return DateToText(serial);
}

TEST(DateSerials, CalendarRoundTrip) {
    EXPECT_EQ(Serial(1899, 12, 30), 0);
    EXPECT_EQ(Serial(1899, 12, 31), 1);
    EXPECT_EQ(Serial(1899, 12, 29), -1);
    EXPECT_EQ(Serial(2173, 10, 14), 100000);
    EXPECT_EQ(Serial(2003, 1, 2), 37623);
    EXPECT_EQ(Serial(100, 1, 1), -657434);
    EXPECT_EQ(Serial(9999, 12, 31), 2958465);
    EXPECT_EQ(Serial(1970, 1, 2), 25570);
    EXPECT_EQ(Serial(2000, 2, 29), 36585);
    EXPECT_FALSE(MakeDate(2001, 2, 29).has_value());
    EXPECT_FALSE(MakeDate(99, 12, 31).has_value());
    EXPECT_FALSE(MakeDate(10000, 1, 1).has_value());
    EXPECT_FALSE(MakeDate(2000, 1, 1, 24).has_value());
    // Every day of a long range survives the round trip.
    for (double s = -657434; s < 2958466; s += 997) {
        DateTimeParts p = SplitDate(s);
        EXPECT_EQ(Serial(p.year, p.month, p.day), s);
    }
}

TEST(DateSerials, NegativeSerialsCountTimeForward) {
    // -1.25 is 1899-12-29 06:00: the whole part is the day, the fraction the time.
    DateTimeParts p = SplitDate(-1.25);
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_EQ(Serial(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(Text(-1.25), u"12/29/1899 6:00:00 AM");
    EXPECT_EQ(Text(-0.25), u"6:00:00 AM");
    EXPECT_EQ(DateOnly(-1.25), -1);
    EXPECT_EQ(TimeOnly(-1.25), 0.25);
    EXPECT_EQ(Weekday(-1.25).value, 6);
}

TEST(DateSerials, TimeRoundsToTheNearestSecond) {
    DateTimeParts p = SplitDate(0.999999);
    EXPECT_EQ(p.hour, 0);
    EXPECT_EQ(p.minute, 0);
    EXPECT_EQ(p.second, 0);
    EXPECT_EQ(p.day, 31);
    EXPECT_EQ(Text(37623.00001), u"1/2/2003 12:00:01 AM");
    EXPECT_EQ(Text(37623.999999), u"1/3/2003 12:00:00 AM");
    EXPECT_EQ(Text(2958465.9999), u"12/31/9999 11:59:51 PM");
}

TEST(DateText, GeneralFormat) {
    EXPECT_EQ(Text(0), u"12:00:00 AM");
    EXPECT_EQ(Text(0.5), u"12:00:00 PM");
    EXPECT_EQ(Text(1), u"12/31/1899");
    EXPECT_EQ(Text(37623.5), u"1/2/2003 12:00:00 PM");
    EXPECT_EQ(Text(Serial(2003, 1, 2, 13, 2, 3)), u"1/2/2003 1:02:03 PM");
    EXPECT_EQ(Text(-657434), u"1/1/100");
    EXPECT_EQ(Text(Serial(100, 1, 1, 23, 59, 59)), u"1/1/100 11:59:59 PM");
    EXPECT_TRUE(IsValidDateSerial(Serial(100, 1, 1, 23, 59, 59)));
    EXPECT_FALSE(IsValidDateSerial(-657435));
    EXPECT_EQ(Text(Serial(2003, 12, 31, 23, 59, 59)), u"12/31/2003 11:59:59 PM");
}

TEST(DateText, NamedFormats) {
    const double d = 37623.5;
    EXPECT_EQ(FormatDateTime(d, 0).value, u"1/2/2003 12:00:00 PM");
    EXPECT_EQ(FormatDateTime(d, 1).value, u"Thursday, January 2, 2003");
    EXPECT_EQ(FormatDateTime(d, 2).value, u"1/2/2003");
    EXPECT_EQ(FormatDateTime(d, 3).value, u"12:00:00 PM");
    EXPECT_EQ(FormatDateTime(d, 4).value, u"12:00");
    EXPECT_EQ(FormatDateTime(37623.05, 4).value, u"01:12");
    EXPECT_EQ(FormatDateTime(0, 1).value, u"Saturday, December 30, 1899");
    EXPECT_EQ(FormatDateTime(0, 2).value, u"12/30/1899");
    EXPECT_EQ(FormatDateTime(37623, 3).value, u"12:00:00 AM");
    EXPECT_EQ(FormatDateTime(0.25, 0).value, u"6:00:00 AM");
    EXPECT_EQ(FormatDateTime(1, 5).error, kErrInvalidCall);
    EXPECT_EQ(FormatDateTime(1, -1).error, kErrInvalidCall);
}

TEST(DateNames, WeekdaysAndMonths) {
    EXPECT_EQ(WeekdayName(1, false).value, u"Sunday");
    EXPECT_EQ(WeekdayName(3, false).value, u"Tuesday");
    EXPECT_EQ(WeekdayName(7, false).value, u"Saturday");
    EXPECT_EQ(WeekdayName(1, true).value, u"Sun");
    EXPECT_EQ(WeekdayName(1, true, 2).value, u"Mon");
    EXPECT_EQ(WeekdayName(1, true, 7).value, u"Sat");
    EXPECT_EQ(WeekdayName(1, true, 0).value, u"Sun");
    EXPECT_EQ(WeekdayName(7, false, 2).value, u"Sunday");
    EXPECT_EQ(WeekdayName(0, false).error, kErrInvalidCall);
    EXPECT_EQ(WeekdayName(8, false).error, kErrInvalidCall);
    EXPECT_EQ(WeekdayName(1, false, 8).error, kErrInvalidCall);
    EXPECT_EQ(MonthName(1, false).value, u"January");
    EXPECT_EQ(MonthName(12, false).value, u"December");
    EXPECT_EQ(MonthName(12, true).value, u"Dec");
    EXPECT_EQ(MonthName(0, false).error, kErrInvalidCall);
    EXPECT_EQ(MonthName(13, true).error, kErrInvalidCall);
}

TEST(DateNames, WeekdayWithFirstDay) {
    const double d = Serial(2000, 1, 1);  // a Saturday
    for (int first = 1; first <= 7; ++first) EXPECT_EQ(Weekday(d, first).value, 8 - first);
    EXPECT_EQ(Weekday(d, 0).value, 7);
    EXPECT_EQ(Weekday(d, 8).error, kErrInvalidCall);
    EXPECT_EQ(Weekday(d, -1).error, kErrInvalidCall);
    EXPECT_EQ(Weekday(Serial(2003, 1, 2)).value, 5);
    EXPECT_EQ(Weekday(Serial(2003, 1, 2), 2).value, 4);
}

TEST(DateBuild, DateSerialRollsOver) {
    auto ymd = [](Outcome<double> r) {
        EXPECT_TRUE(r.Ok());
        DateTimeParts p = SplitDate(r.value);
        return p.year * 10000 + p.month * 100 + p.day;
    };
    EXPECT_EQ(ymd(DateSerial(100, 2, 1)), 1000201);
    EXPECT_EQ(ymd(DateSerial(0, 2, 1)), 20000201);
    EXPECT_EQ(ymd(DateSerial(29, 1, 1)), 20290101);
    EXPECT_EQ(ymd(DateSerial(30, 1, 1)), 19300101);
    EXPECT_EQ(ymd(DateSerial(50, 2, 1)), 19500201);
    EXPECT_EQ(ymd(DateSerial(99, 2, 1)), 19990201);
    EXPECT_EQ(ymd(DateSerial(99, 13, 1)), 20000101);
    EXPECT_EQ(ymd(DateSerial(-1, 1, 1)), 19990101);
    EXPECT_EQ(ymd(DateSerial(2000, 14, 2)), 20010202);
    EXPECT_EQ(ymd(DateSerial(9999, 12, 1)), 99991201);
    EXPECT_EQ(ymd(DateSerial(2000, 0, 0)), 19991130);
    EXPECT_EQ(ymd(DateSerial(2000, 1, -1)), 19991230);
    EXPECT_EQ(ymd(DateSerial(2000, -13, 1)), 19981101);
    EXPECT_EQ(ymd(DateSerial(2000, 2, 30)), 20000301);
    EXPECT_EQ(ymd(DateSerial(2000, 1.5, 1)), 20000201);  // arguments round half to even
    EXPECT_EQ(ymd(DateSerial(2000, 2.5, 1)), 20000201);
    EXPECT_EQ(ymd(DateSerial(1999.5, 1, 1)), 20000101);
    EXPECT_EQ(ymd(DateSerial(2000, 1, 40000)), 21090707);
    EXPECT_EQ(DateSerial(2000, 1, 1).value, 36526);
    EXPECT_EQ(DateSerial(10000, 1, 1).error, kErrInvalidCall);
    EXPECT_EQ(DateSerial(-10000, 1, 1).error, kErrInvalidCall);
    EXPECT_EQ(DateSerial(9999, 12, 32).error, kErrInvalidCall);
    EXPECT_EQ(DateSerial(100, 1, 0).error, kErrInvalidCall);
    EXPECT_EQ(DateSerial(2000, 1, 1e12).error, kErrInvalidCall);
}

TEST(DateBuild, TimeSerialRollsOver) {
    auto check = [](Outcome<double> r, const char16_t* text) {
        ASSERT_TRUE(r.Ok());
        EXPECT_EQ(DateToText(r.value), text);
    };
    check(TimeSerial(0, 0, 0), u"12:00:00 AM");
    check(TimeSerial(10, 2, 1), u"10:02:01 AM");
    check(TimeSerial(24, 2, 1), u"12/31/1899 12:02:01 AM");
    check(TimeSerial(25, 2, 1), u"12/31/1899 1:02:01 AM");
    check(TimeSerial(50, 2, 1), u"1/1/1900 2:02:01 AM");
    check(TimeSerial(10, 60, 2), u"11:00:02 AM");
    check(TimeSerial(10, 0, 60), u"10:01:00 AM");
    check(TimeSerial(-1, 0, 0), u"12/29/1899 11:00:00 PM");
    check(TimeSerial(0, -1, 0), u"12/29/1899 11:59:00 PM");
    check(TimeSerial(0, 0, -1), u"12/29/1899 11:59:59 PM");
    check(TimeSerial(-25, 0, 0), u"12/28/1899 11:00:00 PM");
    check(TimeSerial(0, 0, 0.5), u"12:00:00 AM");
    check(TimeSerial(0, 0, 1.5), u"12:00:02 AM");
    check(TimeSerial(0, 0, 100000), u"12/31/1899 3:46:40 AM");
    EXPECT_EQ(TimeSerial(12, 30, 0).value, 0.5 + 30.0 / 1440);
    EXPECT_EQ(TimeSerial(-24 * 700000.0, 0, 0).error, kErrInvalidCall);
}

TEST(DateArithmetic, DateAddIntervals) {
    auto add = [](const char16_t* iv, double n, double d) {
        auto r = DateAdd(iv, n, d);
        EXPECT_TRUE(r.Ok()) << std::string(iv, iv + std::char_traits<char16_t>::length(iv));
        return DateToText(r.value);
    };
    const double jan1 = Serial(2000, 1, 1), dec31 = Serial(2000, 12, 31);
    EXPECT_EQ(add(u"yyyy", 1, jan1), u"1/1/2001");
    EXPECT_EQ(add(u"yYyy", 1, jan1), u"1/1/2001");
    EXPECT_EQ(add(u"q", 1, jan1), u"4/1/2000");
    EXPECT_EQ(add(u"M", -1, jan1), u"12/1/1999");
    EXPECT_EQ(add(u"y", 1, dec31), u"1/1/2001");
    EXPECT_EQ(add(u"d", 1, dec31), u"1/1/2001");
    EXPECT_EQ(add(u"W", 1, dec31), u"1/1/2001");
    EXPECT_EQ(add(u"w", -1, jan1), u"12/31/1999");
    EXPECT_EQ(add(u"ww", 1, jan1), u"1/8/2000");
    EXPECT_EQ(add(u"Ww", -1, jan1), u"12/25/1999");
    // Month arithmetic keeps the day within the target month.
    EXPECT_EQ(add(u"m", 1, Serial(2000, 1, 31)), u"2/29/2000");
    EXPECT_EQ(add(u"m", 1, Serial(2000, 1, 31, 10, 30)), u"2/29/2000 10:30:00 AM");
    EXPECT_EQ(add(u"yyyy", 1, Serial(2000, 2, 29)), u"2/28/2001");
    EXPECT_EQ(add(u"q", 1, Serial(2000, 11, 30)), u"2/28/2001");
    // Numbers round half to even.
    EXPECT_EQ(add(u"d", 1.5, jan1), u"1/3/2000");
    EXPECT_EQ(add(u"d", -1.5, jan1), u"12/30/1999");
    EXPECT_EQ(add(u"m", 2.5, Serial(2000, 1, 15)), u"3/15/2000");
    EXPECT_EQ(add(u"h", 1.5, jan1), u"1/1/2000 2:00:00 AM");
    EXPECT_EQ(add(u"h", 25, Serial(2000, 1, 1, 10)), u"1/2/2000 11:00:00 AM");
    EXPECT_EQ(add(u"n", 90, Serial(2000, 1, 1, 10)), u"1/1/2000 11:30:00 AM");
    EXPECT_EQ(add(u"s", 3661, Serial(2000, 1, 1, 10)), u"1/1/2000 11:01:01 AM");
    EXPECT_EQ(add(u"s", 1, 0), u"12:00:01 AM");
    // Before 1899-12-30 the time still counts forward.
    EXPECT_EQ(add(u"d", 1, -1.25), u"6:00:00 AM");
    EXPECT_EQ(add(u"h", 1, -1.25), u"12/29/1899 7:00:00 AM");
    EXPECT_EQ(add(u"h", -12, 0.25), u"12/29/1899 6:00:00 PM");
    EXPECT_EQ(DateAdd(u"d", 1, jan1).value, jan1 + 1);
    EXPECT_EQ(DateAdd(u"h", 10, jan1).value, Serial(2000, 1, 1, 10));
    EXPECT_EQ(DateAdd(u"k", 1, jan1).error, kErrInvalidCall);
    EXPECT_EQ(DateAdd(u"yyyy", 8000, jan1).error, kErrInvalidCall);
    EXPECT_EQ(DateAdd(u"d", 1e10, jan1).error, kErrInvalidCall);
    EXPECT_EQ(DateAdd(u"d", 1, Serial(9999, 12, 31)).error, kErrInvalidCall);
}

TEST(DateArithmetic, DateDiffCountsBoundaries) {
    const double a = Serial(2000, 12, 31, 23, 59, 59), b = Serial(2001, 1, 1);
    EXPECT_EQ(DateDiff(u"yyyy", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"q", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"m", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"d", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"y", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"h", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"n", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"s", a, b).value, 1);
    EXPECT_EQ(DateDiff(u"d", b, a).value, -1);
    EXPECT_EQ(DateDiff(u"yyyy", Serial(2000, 1, 1), Serial(2000, 12, 31)).value, 0);
    EXPECT_EQ(DateDiff(u"m", Serial(2000, 1, 31), Serial(2000, 2, 1)).value, 1);
    EXPECT_EQ(DateDiff(u"q", Serial(2000, 3, 31), Serial(2000, 4, 1)).value, 1);
    // "w" counts whole weeks, "ww" the week starts crossed.
    const double sat = Serial(2000, 1, 1), sun = Serial(2000, 1, 2);
    EXPECT_EQ(DateDiff(u"w", sat, sun).value, 0);
    EXPECT_EQ(DateDiff(u"ww", sat, sun).value, 1);
    EXPECT_EQ(DateDiff(u"ww", sat, sun, 7).value, 0);  // weeks starting on Saturday
    EXPECT_EQ(DateDiff(u"w", sat, sat + 13).value, 1);
    EXPECT_EQ(DateDiff(u"w", sat + 13, sat).value, -1);
    EXPECT_EQ(DateDiff(u"ww", sat + 13, sat).value, -2);
    EXPECT_EQ(DateDiff(u"h", -1.25, 0.25).value, 24);
    EXPECT_EQ(DateDiff(u"s", kMinDateSerial, kMaxDateSerial).error, kErrOverflow);
    EXPECT_EQ(DateDiff(u"x", a, b).error, kErrInvalidCall);
    EXPECT_EQ(DateDiff(u"d", a, b, 8).error, kErrInvalidCall);
    EXPECT_EQ(DateDiff(u"d", a, b, 1, 4).error, kErrInvalidCall);
}

TEST(DateArithmetic, DatePartAndWeeksOfYear) {
    const double d = Serial(2003, 8, 15, 13, 45, 10);
    EXPECT_EQ(DatePart(u"yyyy", d).value, 2003);
    EXPECT_EQ(DatePart(u"q", d).value, 3);
    EXPECT_EQ(DatePart(u"m", d).value, 8);
    EXPECT_EQ(DatePart(u"y", d).value, 227);
    EXPECT_EQ(DatePart(u"d", d).value, 15);
    EXPECT_EQ(DatePart(u"w", d).value, 6);  // a Friday
    EXPECT_EQ(DatePart(u"w", d, 2).value, 5);
    EXPECT_EQ(DatePart(u"h", d).value, 13);
    EXPECT_EQ(DatePart(u"n", d).value, 45);
    EXPECT_EQ(DatePart(u"s", d).value, 10);
    EXPECT_EQ(DatePart(u"y", Serial(2000, 12, 31)).value, 366);
    // 2000-01-01 is a Saturday: week 1 by 1 January, the last week of 1999 otherwise.
    const double jan1 = Serial(2000, 1, 1);
    EXPECT_EQ(DatePart(u"ww", jan1).value, 1);
    EXPECT_EQ(DatePart(u"ww", jan1 + 1).value, 2);
    EXPECT_EQ(DatePart(u"ww", jan1, 2, kFirstFourDays).value, 52);
    EXPECT_EQ(DatePart(u"ww", jan1 + 2, 2, kFirstFourDays).value, 1);  // ISO week 1 of 2000
    EXPECT_EQ(DatePart(u"ww", jan1, 1, kFirstFullWeek).value, 52);
    EXPECT_EQ(DatePart(u"ww", jan1 + 1, 1, kFirstFullWeek).value, 1);
    EXPECT_EQ(DatePart(u"ww", Serial(2000, 12, 31)).value, 54);
    EXPECT_EQ(DatePart(u"ww", Serial(2004, 12, 31), 2, kFirstFourDays).value, 53);
    EXPECT_EQ(DatePart(u"x", d).error, kErrInvalidCall);
}

std::optional<double> Parse(const char16_t* text) {
    return ParseDateTime(text, 2026);
}

TEST(DateParse, DatesInLocalOrder) {
    struct Case {
        const char16_t* text;
        double serial;
    };
    const Case cases[] = {
        {u"1/2/2003", 37623},  {u"1/2/03", 37623},       {u"1/2/29", 47120},
        {u"1/2/30", 10960},    {u"1/2/99", 36162},       {u"1/2/100", -657433},
        {u"1/2/1", 36893},     {u"2003-01-02", 37623},   {u"2003/1/2", 37623},
        {u"1-2-2003", 37623},  {u"1 2 2003", 37623},     {u"2003 1 2", 37623},
        {u"1,2,2003", 37623},  {u"  1/2/2003  ", 37623}, {u"31/12/2003", 37986},
        {u"13/1/2003", 37634}, {u"13-1-1970", 25581},    {u"1970-1-13", 25581},
        {u"1 2 3", 37623},     {u"14 2 3", 41673},       {u"2 14 3", 37666},
        {u"2 3 14", 41673},    {u"32 2 3", 11722},       {u"2 3 32", 11722},
        {u"1 2 30", 10960},    {u"1 2 31", 11325},       {u"12/31/9999", 2958465},
        {u"1/1/100", -657434}, {u"30 2", 10990},         {u"2 30", 10990},
        {u"1/2", 46024},       {u"1 2", 46024},          {u"14 1", 46036},
        {u"1 14", 46036},
    };
    for (const Case& c : cases) {
        auto v = Parse(c.text);
        ASSERT_TRUE(v.has_value())
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(*v, c.serial) << std::string(c.text,
                                               c.text + std::char_traits<char16_t>::length(c.text));
    }
}

TEST(DateParse, MonthAndDayNames) {
    EXPECT_EQ(Parse(u"Jan 2, 2003"), 37623);
    EXPECT_EQ(Parse(u"January 2 2003"), 37623);
    EXPECT_EQ(Parse(u"2 January 2003"), 37623);
    EXPECT_EQ(Parse(u"2 January, 1970"), 25570);
    EXPECT_EQ(Parse(u"2-Jan-2003"), 37623);
    EXPECT_EQ(Parse(u"2/Jan/1970"), 25570);
    EXPECT_EQ(Parse(u"Jan-2-2003"), 37623);
    EXPECT_EQ(Parse(u"2003 Jan 2"), 37623);
    EXPECT_EQ(Parse(u"2 jan 03"), 37623);
    EXPECT_EQ(Parse(u"SEPTEMBER 5, 2003"), 37869);
    EXPECT_EQ(Parse(u"Monday, January 02, 2003"), 37623);
    EXPECT_EQ(Parse(u"Mon Jan 2 2003"), 37623);
    EXPECT_EQ(Parse(u"Jan 2003"), 37622);
    EXPECT_EQ(Parse(u"Jan 2"), 46024);
    EXPECT_EQ(Parse(u"2 Jan"), 46024);
    EXPECT_EQ(Parse(u"Jan 35"), 12785);
    EXPECT_EQ(Parse(u"35-Jan"), 12785);
    EXPECT_EQ(Parse(u"February 29, 2000"), 36585);
}

TEST(DateParse, Times) {
    EXPECT_EQ(Parse(u"10:30 PM"), 0.9375);
    EXPECT_EQ(Parse(u"10:30PM"), 0.9375);
    EXPECT_EQ(Parse(u"10:30:15 pm"), (22 * 3600 + 30 * 60 + 15) / 86400.0);
    EXPECT_EQ(Parse(u"13:45:10"), (13 * 3600 + 45 * 60 + 10) / 86400.0);
    EXPECT_EQ(Parse(u"12:00 AM"), 0);
    EXPECT_EQ(Parse(u"12:00 PM"), 0.5);
    EXPECT_EQ(Parse(u"00:00 pm"), 0.5);
    EXPECT_EQ(Parse(u"12:59 A"), 59 / 1440.0);
    EXPECT_EQ(Parse(u"13:00 AM"), 13 / 24.0);
    EXPECT_EQ(Parse(u"0:00"), 0);
    EXPECT_EQ(Parse(u"10 PM"), 22 / 24.0);
    EXPECT_EQ(Parse(u"1 am"), 1 / 24.0);
    EXPECT_EQ(Parse(u"2.5"), (2 * 60 + 5) / 1440.0);  // a decimal point separates time fields
    EXPECT_EQ(Parse(u"12.30"), (12 * 60 + 30) / 1440.0);
    EXPECT_EQ(Parse(u"23:59:59"), 86399 / 86400.0);
}

TEST(DateParse, DateWithTime) {
    EXPECT_EQ(Text(*Parse(u"1/2/2003 10:30:05 am")), u"1/2/2003 10:30:05 AM");
    EXPECT_EQ(Text(*Parse(u"1/2/2003 13:00")), u"1/2/2003 1:00:00 PM");
    EXPECT_EQ(Text(*Parse(u"1/2/2003 10 PM")), u"1/2/2003 10:00:00 PM");
    EXPECT_EQ(*Parse(u"1/2/2003 12:00:00 AM"), 37623);
    EXPECT_EQ(Text(*Parse(u"2003-1-2 10:30")), u"1/2/2003 10:30:00 AM");
    EXPECT_EQ(Text(*Parse(u"6/30/2011 01:20:34 PM")), u"6/30/2011 1:20:34 PM");
    EXPECT_EQ(Text(*Parse(u"3 am 1 2")), u"1/2/2026 3:00:00 AM");
    EXPECT_EQ(Text(*Parse(u"1.2 3 4")), u"3/4/2026 1:02:00 AM");
    EXPECT_EQ(Text(*Parse(u"1 2 3 4.5")), u"1/2/2003 4:05:00 AM");
    EXPECT_EQ(Text(*Parse(u"1/1/100 6:00")), u"1/1/100 6:00:00 AM");
    EXPECT_EQ(*Parse(u"1/1/100 6:00"), -657434.25);
    EXPECT_EQ(*Parse(u"6/30/2011\u30001:20:34"), *Parse(u"6/30/2011 1:20:34"));
}

TEST(DateParse, Rejections) {
    for (const char16_t* text : {u"",
                                 u"  ",
                                 u"abc",
                                 u"1",
                                 u"99",
                                 u"1.5.2003",
                                 u"25:00",
                                 u"24:00",
                                 u"10:61",
                                 u"12:",
                                 u"2/30/2003",
                                 u"1.2.2003",
                                 u"1/1/10000",
                                 u"Jan",
                                 u"Feb 29, 2001",
                                 u"1/2/-5",
                                 u"Sept 5, 2003",
                                 u"2003-01-02T10:30:00",
                                 u"2003.01.02",
                                 u"3 4 5 6",
                                 u"1/2/2003a",
                                 u"10:30:15.5",
                                 u"32 49",
                                 u"0 49",
                                 u"1//2",
                                 u"Jan Feb 2",
                                 u"10:30 PM PM",
                                 u"2013-05-14 02:04:12.017000000",
                                 u"1:2 3:4"}) {
        EXPECT_FALSE(Parse(text).has_value())
            << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
}

TEST(Clock, NowAndTimerAreSane) {
    double now = NowSerial();
    EXPECT_GT(now, Serial(2020, 1, 1));
    EXPECT_LT(now, Serial(2200, 1, 1));
    double t = SecondsSinceMidnight();
    EXPECT_GE(t, 0);
    EXPECT_LT(t, 86400);
}

}  // namespace
}  // namespace vbs::rt
