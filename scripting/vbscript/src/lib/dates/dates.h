// Dates as VBScript stores, computes, parses and prints them (English, United States).
// A date is a Double: whole days since 1899-12-30, the fraction the time of day. Before that
// day the whole part gives the date and the absolute fraction the time (-1.25 = 1899-12-29 06:00).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lib/outcome.h"

namespace vbs::rt {

// Valid range of a date value: 100-01-01 00:00:00 to 9999-12-31 23:59:59 (on 100-01-01 the time
// makes the serial more negative, down to -657434.99999).
inline constexpr double kMinDateSerial = -657434.99999999;
inline constexpr double kMaxDateSerial = 2958465.99999999;

// Day-of-week and week-of-year constants (vbUseSystemDayOfWeek = 0 means Sunday here,
// vbUseSystem = 0 means "week of 1 January").
inline constexpr int kUseSystemDayOfWeek = 0;
inline constexpr int kSunday = 1;
inline constexpr int kFirstJan1 = 1;
inline constexpr int kFirstFourDays = 2;
inline constexpr int kFirstFullWeek = 3;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// True when serial is within [kMinDateSerial, kMaxDateSerial].
bool IsValidDateSerial(double serial);
// Splits a date into its calendar parts; the time is rounded to the nearest second.
// Serials outside the valid range are clamped (callers check IsValidDateSerial first).
DateTimeParts SplitDate(double serial);
// The serial of an exact calendar date and time (no overflow normalisation); nullopt when the
// date does not exist or is outside the valid range.
std::optional<double> MakeDate(int year, int month, int day, int hour = 0, int minute = 0,
                               int second = 0);
// The date part (time dropped) and the time part (date dropped, 0 <= t < 1) of a serial.
double DateOnly(double serial);
double TimeOnly(double serial);

// Weekday 1..7 counted from firstDayOfWeek (1 = Sunday ... 7 = Saturday, 0 = Sunday);
// Invalid procedure call (5) when firstDayOfWeek is outside 0..7.
Outcome<int> Weekday(double serial, int firstDayOfWeek = kSunday);
// "Sunday"/"Sun" for weekday 1 counted from firstDayOfWeek; 5 when weekday is outside 1..7 or
// firstDayOfWeek outside 0..7.
Outcome<std::u16string> WeekdayName(int weekday, bool abbreviate, int firstDayOfWeek = kSunday);
// "January"/"Jan"; 5 when month is outside 1..12.
Outcome<std::u16string> MonthName(int month, bool abbreviate);

// DateSerial: months and days outside their range roll over into the neighbouring years and
// months (DateSerial(2000, 14, 2) = 2001-02-02; day 0 is the last day of the month before);
// years 0..29 mean 2000..2029 and 30..99 mean 1930..1999. Arguments are rounded as CInt rounds.
// Invalid procedure call (5) when the result is outside the date range.
Outcome<double> DateSerial(double year, double month, double day);
// TimeSerial: hours, minutes and seconds roll over (TimeSerial(25, 2, 1) = 1899-12-31 01:02:01);
// 5 when out of range.
Outcome<double> TimeSerial(double hour, double minute, double second);

// DateAdd(interval, number, date); interval is one of yyyy q m y d w ww h n s (any case).
// Month-based intervals clamp the day to the target month's length (Jan 31 + 1 m = Feb 29).
// 5 for an unknown interval or a result outside the date range.
Outcome<double> DateAdd(std::u16string_view interval, double number, double serial);
// DateDiff(interval, date1, date2, firstDayOfWeek, firstWeekOfYear): the number of interval
// boundaries crossed from date1 to date2 (negative when date2 is earlier).
// 5 for an unknown interval or bad day/week constants; 6 when the count exceeds a Long.
Outcome<int32_t> DateDiff(std::u16string_view interval, double date1, double date2,
                          int firstDayOfWeek = kSunday, int firstWeekOfYear = kFirstJan1);
// DatePart(interval, date, firstDayOfWeek, firstWeekOfYear): yyyy q m y(day of year) d
// w(weekday) ww(week of year) h n s.
Outcome<int32_t> DatePart(std::u16string_view interval, double serial, int firstDayOfWeek = kSunday,
                          int firstWeekOfYear = kFirstJan1);

// Parses date/time text the way CDate, IsDate, DateValue, TimeValue and #literals# read it in
// English (United States): "1/2/2003", "2003-01-02", "Jan 2, 2003", "2 January 2003",
// "10:30 PM", "13:45:10", "1/2/2003 10:30:05 am", "1/2" (current year), two-digit years
// 30..99 -> 19xx and 00..29 -> 20xx. A bare number is not a date here ("1" is handled by the
// caller as a number). nullopt when the text is not a date or time.
std::optional<double> ParseDateTime(std::u16string_view text);
// Like ParseDateTime, but years given without a year use currentYear (for reproducible tests).
std::optional<double> ParseDateTime(std::u16string_view text, int currentYear);

// A date as CStr prints it: "1/2/2003 1:02:03 PM"; the date alone when the time is midnight,
// the time alone when the date part is 1899-12-30 (so 0 prints as "12:00:00 AM").
std::u16string DateToText(double serial);

// FormatDateTime(date, namedFormat): 0 general (as DateToText), 1 long date
// ("Thursday, January 2, 2003"), 2 short date ("1/2/2003"), 3 long time ("1:02:03 PM"),
// 4 short time ("13:02"). 5 for other formats.
Outcome<std::u16string> FormatDateTime(double serial, int namedFormat);

// The current local date and time as a serial (Now), and the seconds since local midnight with
// centisecond precision (Timer).
double NowSerial();
double SecondsSinceMidnight();

}  // namespace vbs::rt
