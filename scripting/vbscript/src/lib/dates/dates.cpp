#include "lib/dates/dates.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "lib/numbers/numbers.h"

namespace vbs::rt {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// A date as a continuous count: the calendar day (days since 1899-12-30, floor) and the second
// of that day. Before 1899-12-30 a serial's fraction counts forward from the start of its day,
// so -1.25 (1899-12-29 06:00) is day -1, second 21600.
struct Moment {
    int64_t day = 0;
    int64_t second = 0;
};

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1899-12-30 of a proleptic Gregorian date (any year, months 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;
}

void CivilFromDays(int64_t serialDay, int& year, int& month, int& day) {
    const int64_t z = serialDay - 25569 + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int64_t y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

double Clamp(double serial) {
    if (!(serial >= kMinDateSerial)) return kMinDateSerial;
    if (serial > kMaxDateSerial) return kMaxDateSerial;
    return serial;
}

// Serial -> continuous days (the moment on a straight time line).
double ToLinear(double serial) {
    if (serial >= 0) return serial;
    double whole = std::trunc(serial);
    return whole + (whole - serial);
}

Moment ToMoment(double serial) {
    double linear = ToLinear(Clamp(serial));
    auto total = static_cast<int64_t>(std::floor(linear * kSecondsPerDay + 0.5));
    return {FloorDiv(total, kSecondsPerDay),
            total - FloorDiv(total, kSecondsPerDay) * kSecondsPerDay};
}

double FromMoment(int64_t day, int64_t second) {
    day += FloorDiv(second, kSecondsPerDay);
    second -= FloorDiv(second, kSecondsPerDay) * kSecondsPerDay;
    double frac = static_cast<double>(second) / kSecondsPerDay;
    return day < 0 ? static_cast<double>(day) - frac : static_cast<double>(day) + frac;
}

// Weekday 1..7 of a calendar day counted from firstDay (1 = Sunday).
int WeekdayOfDay(int64_t day, int firstDay) {
    int sundayBased = static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;  // day 0 was a Saturday
    return (sundayBased - firstDay + 7) % 7 + 1;
}

int NormaliseFirstDay(int firstDayOfWeek) {
    return firstDayOfWeek == kUseSystemDayOfWeek ? kSunday : firstDayOfWeek;
}

std::u16string Widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

const std::array<const char*, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
const std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

std::string ShortDate(const DateTimeParts& p) {
    return std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
}

std::string LongTime(const DateTimeParts& p) {
    int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, p.minute, p.second,
                  p.hour < 12 ? "AM" : "PM");
    return buf;
}

Outcome<int64_t> ToWhole(double v) {
    double r = RoundHalfEven(v);
    if (!(std::fabs(r) < 1e9)) return Outcome<int64_t>::Fail(kErrInvalidCall);
    return static_cast<int64_t>(r);
}

Outcome<double> Checked(double serial) {
    if (!IsValidDateSerial(serial)) return Outcome<double>::Fail(kErrInvalidCall);
    return serial;
}

int WeekOfYear(int64_t day, int firstDay, int firstWeek) {
    int year, month, dom;
    CivilFromDays(day, year, month, dom);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int64_t jan1 = DaysFromCivil(year, 1, 1);
        int wdJan1 = WeekdayOfDay(jan1, firstDay);
        int64_t start = jan1 - (wdJan1 - 1);  // week containing 1 January
        if (firstWeek == kFirstFourDays && wdJan1 > 4) start += 7;
        if (firstWeek == kFirstFullWeek && wdJan1 != 1) start += 7;
        if (day >= start) return static_cast<int>((day - start) / 7 + 1);
        --year;  // belongs to the last week of the year before
    }
    return 1;
}

// ---- Parsing ----

enum class TokenKind { Number, Month, AmPm };

struct Token {
    TokenKind kind;
    int value = 0;          // number value, month 1..12, or 0 = AM / 1 = PM
    int digits = 0;         // for numbers
    bool timeJoin = false;  // joined to the previous number by ':' or '.'
};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || (c >= 0x0A && c <= 0x0D) || c == 0xA0 || c == 0x3000;
}

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::string LowerAscii(std::u16string_view w) {
    std::string s;
    for (char16_t c : w) s += static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
    return s;
}

bool NameMatches(const std::string& word, const char* full) {
    std::string f = full;
    for (char& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == f || word == f.substr(0, 3);
}

bool Tokenize(std::u16string_view s, std::vector<Token>& out) {
    size_t i = 0;
    char pendingSep = 0;  // strongest separator since the last token: ':' > '/' > ' '
    bool afterToken = false;
    while (i < s.size()) {
        char16_t c = s[i];
        if (IsSpace(c) || c == u',') {
            if (pendingSep == 0) pendingSep = ' ';
            ++i;
        } else if (c == u'/' || c == u'-') {
            if (pendingSep == '/' || pendingSep == ':' || !afterToken) return false;
            pendingSep = '/';
            ++i;
        } else if (c == u':' || c == u'.') {
            if (pendingSep != 0 || !afterToken || out.back().kind != TokenKind::Number)
                return false;
            pendingSep = ':';
            ++i;
        } else if (c >= u'0' && c <= u'9') {
            Token t{TokenKind::Number};
            int64_t v = 0;
            while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
                v = v * 10 + (s[i] - u'0');
                if (v > 99999) return false;
                ++t.digits;
                ++i;
            }
            t.value = static_cast<int>(v);
            t.timeJoin = pendingSep == ':';
            out.push_back(t);
            pendingSep = 0;
            afterToken = true;
        } else if (IsLetter(c)) {
            size_t b = i;
            while (i < s.size() && IsLetter(s[i])) ++i;
            std::string word = LowerAscii(s.substr(b, i - b));
            if (pendingSep == ':') return false;
            if (word == "am" || word == "a" || word == "pm" || word == "p") {
                out.push_back({TokenKind::AmPm, word[0] == 'p' ? 1 : 0});
            } else {
                int month = 0;
                for (int m = 0; m < 12 && month == 0; ++m)
                    if (NameMatches(word, kMonthNames[m])) month = m + 1;
                if (month != 0) {
                    out.push_back({TokenKind::Month, month});
                } else {
                    bool weekday = false;
                    for (const char* d : kDayNames) weekday = weekday || NameMatches(word, d);
                    if (!weekday) return false;  // day names carry no information
                    pendingSep = 0;
                    afterToken = false;
                    continue;
                }
            }
            pendingSep = 0;
            afterToken = true;
        } else {
            return false;
        }
    }
    return pendingSep != ':' && pendingSep != '/';
}

int FullYear(int value) {
    if (value < 30) return value + 2000;
    if (value < 100) return value + 1900;
    return value;
}

bool ValidYmd(int y, int m, int d) {
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

}  // namespace

bool IsValidDateSerial(double serial) {
    return serial >= kMinDateSerial && serial <= kMaxDateSerial;
}

DateTimeParts SplitDate(double serial) {
    Moment mo = ToMoment(serial);
    DateTimeParts p;
    CivilFromDays(mo.day, p.year, p.month, p.day);
    p.hour = static_cast<int>(mo.second / 3600);
    p.minute = static_cast<int>(mo.second / 60 % 60);
    p.second = static_cast<int>(mo.second % 60);
    return p;
}

std::optional<double> MakeDate(int year, int month, int day, int hour, int minute, int second) {
    if (!ValidYmd(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;
    return FromMoment(DaysFromCivil(year, month, day), hour * 3600 + minute * 60 + second);
}

double DateOnly(double serial) {
    return std::trunc(serial);
}

double TimeOnly(double serial) {
    return std::fabs(serial - std::trunc(serial));
}

Outcome<int> Weekday(double serial, int firstDayOfWeek) {
    if (firstDayOfWeek < 0 || firstDayOfWeek > 7) return Outcome<int>::Fail(kErrInvalidCall);
    return WeekdayOfDay(ToMoment(serial).day, NormaliseFirstDay(firstDayOfWeek));
}

Outcome<std::u16string> WeekdayName(int weekday, bool abbreviate, int firstDayOfWeek) {
    if (weekday < 1 || weekday > 7 || firstDayOfWeek < 0 || firstDayOfWeek > 7)
        return Outcome<std::u16string>::Fail(kErrInvalidCall);
    int index = (weekday - 1 + NormaliseFirstDay(firstDayOfWeek) - 1) % 7;
    std::string name = kDayNames[index];
    return Widen(abbreviate ? name.substr(0, 3) : name);
}

Outcome<std::u16string> MonthName(int month, bool abbreviate) {
    if (month < 1 || month > 12) return Outcome<std::u16string>::Fail(kErrInvalidCall);
    std::string name = kMonthNames[month - 1];
    return Widen(abbreviate ? name.substr(0, 3) : name);
}

Outcome<double> DateSerial(double year, double month, double day) {
    auto y = ToWhole(year), m = ToWhole(month), d = ToWhole(day);
    if (!y.Ok() || !m.Ok() || !d.Ok()) return Outcome<double>::Fail(kErrInvalidCall);
    int64_t fullYear = y.value < 30 ? y.value + 2000 : (y.value < 100 ? y.value + 1900 : y.value);
    int64_t months = fullYear * 12 + (m.value - 1);
    int64_t yy = FloorDiv(months, 12);
    int64_t mm = months - yy * 12 + 1;
    if (yy < -100000 || yy > 100000) return Outcome<double>::Fail(kErrInvalidCall);
    return Checked(static_cast<double>(DaysFromCivil(yy, mm, 1) + d.value - 1));
}

Outcome<double> TimeSerial(double hour, double minute, double second) {
    auto h = ToWhole(hour), m = ToWhole(minute), s = ToWhole(second);
    if (!h.Ok() || !m.Ok() || !s.Ok()) return Outcome<double>::Fail(kErrInvalidCall);
    return Checked(FromMoment(0, h.value * 3600 + m.value * 60 + s.value));
}

Outcome<double> DateAdd(std::u16string_view interval, double number, double serial) {
    std::string iv = LowerAscii(interval);
    double rounded = RoundHalfEven(number);
    if (!IsValidDateSerial(serial) || !(std::fabs(rounded) < 1e9))
        return Outcome<double>::Fail(kErrInvalidCall);
    auto n = static_cast<int64_t>(rounded);
    Moment mo = ToMoment(serial);
    if (iv == "yyyy" || iv == "q" || iv == "m") {
        int64_t months = iv == "yyyy" ? n * 12 : (iv == "q" ? n * 3 : n);
        int y, m, d;
        CivilFromDays(mo.day, y, m, d);
        int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
        int64_t ny = FloorDiv(total, 12);
        int nm = static_cast<int>(total - ny * 12 + 1);
        if (ny < 100 || ny > 9999) return Outcome<double>::Fail(kErrInvalidCall);
        int nd = std::min(d, DaysInMonth(ny, nm));  // 31 January + 1 month = end of February
        return Checked(FromMoment(DaysFromCivil(ny, nm, nd), mo.second));
    }
    if (iv == "y" || iv == "d" || iv == "w") return Checked(FromMoment(mo.day + n, mo.second));
    if (iv == "ww") return Checked(FromMoment(mo.day + 7 * n, mo.second));
    if (iv == "h") return Checked(FromMoment(mo.day, mo.second + n * 3600));
    if (iv == "n") return Checked(FromMoment(mo.day, mo.second + n * 60));
    if (iv == "s") return Checked(FromMoment(mo.day, mo.second + n));
    return Outcome<double>::Fail(kErrInvalidCall);
}

Outcome<int32_t> DateDiff(std::u16string_view interval, double date1, double date2,
                          int firstDayOfWeek, int firstWeekOfYear) {
    if (firstDayOfWeek < 0 || firstDayOfWeek > 7 || firstWeekOfYear < 0 || firstWeekOfYear > 3)
        return Outcome<int32_t>::Fail(kErrInvalidCall);
    std::string iv = LowerAscii(interval);
    Moment a = ToMoment(date1), b = ToMoment(date2);
    int y1, m1, d1, y2, m2, d2;
    CivilFromDays(a.day, y1, m1, d1);
    CivilFromDays(b.day, y2, m2, d2);
    int64_t r = 0;
    int64_t s1 = a.day * kSecondsPerDay + a.second, s2 = b.day * kSecondsPerDay + b.second;
    if (iv == "yyyy") {
        r = y2 - y1;
    } else if (iv == "q") {
        r = (y2 * 4 + (m2 - 1) / 3) - (y1 * 4 + (m1 - 1) / 3);
    } else if (iv == "m") {
        r = (y2 * 12 + m2) - (y1 * 12 + m1);
    } else if (iv == "y" || iv == "d") {
        r = b.day - a.day;
    } else if (iv == "w") {
        r = (b.day - a.day) / 7;
    } else if (iv == "ww") {
        int fd = NormaliseFirstDay(firstDayOfWeek);
        int64_t w1 = a.day - (WeekdayOfDay(a.day, fd) - 1);
        int64_t w2 = b.day - (WeekdayOfDay(b.day, fd) - 1);
        r = (w2 - w1) / 7;
    } else if (iv == "h") {
        r = FloorDiv(s2, 3600) - FloorDiv(s1, 3600);
    } else if (iv == "n") {
        r = FloorDiv(s2, 60) - FloorDiv(s1, 60);
    } else if (iv == "s") {
        r = s2 - s1;
    } else {
        return Outcome<int32_t>::Fail(kErrInvalidCall);
    }
    if (r > INT32_MAX || r < INT32_MIN) return Outcome<int32_t>::Fail(kErrOverflow);
    return static_cast<int32_t>(r);
}

Outcome<int32_t> DatePart(std::u16string_view interval, double serial, int firstDayOfWeek,
                          int firstWeekOfYear) {
    if (firstDayOfWeek < 0 || firstDayOfWeek > 7 || firstWeekOfYear < 0 || firstWeekOfYear > 3)
        return Outcome<int32_t>::Fail(kErrInvalidCall);
    std::string iv = LowerAscii(interval);
    Moment mo = ToMoment(serial);
    DateTimeParts p = SplitDate(serial);
    int fd = NormaliseFirstDay(firstDayOfWeek);
    if (iv == "yyyy") return p.year;
    if (iv == "q") return (p.month - 1) / 3 + 1;
    if (iv == "m") return p.month;
    if (iv == "y") return static_cast<int32_t>(mo.day - DaysFromCivil(p.year, 1, 1) + 1);
    if (iv == "d") return p.day;
    if (iv == "w") return WeekdayOfDay(mo.day, fd);
    if (iv == "ww")
        return WeekOfYear(mo.day, fd, firstWeekOfYear == 0 ? kFirstJan1 : firstWeekOfYear);
    if (iv == "h") return p.hour;
    if (iv == "n") return p.minute;
    if (iv == "s") return p.second;
    return Outcome<int32_t>::Fail(kErrInvalidCall);
}

std::optional<double> ParseDateTime(std::u16string_view text) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ParseDateTime(text, local.tm_year + 1900);
}

std::optional<double> ParseDateTime(std::u16string_view text, int currentYear) {
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens) || tokens.empty()) return std::nullopt;

    // Split into the time group (numbers joined by ':' or '.', or a lone hour before AM/PM),
    // the date numbers, a month name and an AM/PM marker.
    std::vector<int> time;
    std::vector<Token> dateNumbers;
    int month = 0, ampm = -1;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == TokenKind::Month) {
            if (month != 0) return std::nullopt;
            month = t.value;
        } else if (t.kind == TokenKind::AmPm) {
            if (ampm != -1) return std::nullopt;
            ampm = t.value;
        } else {
            bool startsGroup = i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Number &&
                               tokens[i + 1].timeJoin;
            bool hourBeforeAmPm = i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::AmPm;
            if (startsGroup || (hourBeforeAmPm && !t.timeJoin)) {
                if (!time.empty()) return std::nullopt;
                time.push_back(t.value);
                while (i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Number &&
                       tokens[i + 1].timeJoin) {
                    time.push_back(tokens[++i].value);
                }
                if (time.size() > 3) return std::nullopt;
            } else {
                dateNumbers.push_back(t);
            }
        }
    }
    if (ampm != -1 && time.empty()) return std::nullopt;

    int64_t seconds = 0;
    if (!time.empty()) {
        int h = time[0];
        int m = time.size() > 1 ? time[1] : 0;
        int s = time.size() > 2 ? time[2] : 0;
        if (h > 23 || m > 59 || s > 59) return std::nullopt;
        if (ampm == 0 && h == 12) h = 0;
        if (ampm == 1 && h < 12) h += 12;
        seconds = h * 3600 + m * 60 + s;
    }

    std::optional<int64_t> day;
    auto tryDate = [&](int y, int m, int d) {
        if (day) return;
        if (ValidYmd(y, m, d)) day = DaysFromCivil(y, m, d);
    };
    auto yearOf = [](const Token& t) { return FullYear(t.value); };
    const size_t n = dateNumbers.size();
    if (month != 0) {
        if (n == 1) {
            tryDate(currentYear, month, dateNumbers[0].value);
            tryDate(yearOf(dateNumbers[0]), month, 1);
        } else if (n == 2) {
            tryDate(yearOf(dateNumbers[1]), month, dateNumbers[0].value);
            tryDate(yearOf(dateNumbers[0]), month, dateNumbers[1].value);
        }
    } else if (n == 0) {
        if (time.empty()) return std::nullopt;
        day = 0;
    } else if (n == 2) {
        int a = dateNumbers[0].value, b = dateNumbers[1].value;
        tryDate(currentYear, a, b);
        tryDate(currentYear, b, a);
        tryDate(yearOf(dateNumbers[1]), a, 1);
        tryDate(yearOf(dateNumbers[0]), b, 1);
    } else if (n == 3) {
        int a = dateNumbers[0].value, b = dateNumbers[1].value, c = dateNumbers[2].value;
        tryDate(yearOf(dateNumbers[2]), a, b);  // month/day/year, the local order first
        tryDate(yearOf(dateNumbers[0]), b, c);  // year/month/day
        tryDate(yearOf(dateNumbers[2]), b, a);  // day/month/year
    }
    if (!day) return std::nullopt;
    return FromMoment(*day, seconds);
}

std::u16string DateToText(double serial) {
    double whole = std::trunc(serial);
    bool showDate = whole != 0;
    bool showTime = serial != whole || !showDate;
    DateTimeParts p = SplitDate(serial);
    std::string out;
    if (showDate) out = ShortDate(p);
    if (showTime) {
        if (!out.empty()) out += ' ';
        out += LongTime(p);
    }
    return Widen(out);
}

Outcome<std::u16string> FormatDateTime(double serial, int namedFormat) {
    DateTimeParts p = SplitDate(serial);
    switch (namedFormat) {
        case 0:
            return DateToText(serial);
        case 1: {
            int wd = WeekdayOfDay(ToMoment(serial).day, kSunday);
            return Widen(std::string(kDayNames[wd - 1]) + ", " + kMonthNames[p.month - 1] + " " +
                         std::to_string(p.day) + ", " + std::to_string(p.year));
        }
        case 2:
            return Widen(ShortDate(p));
        case 3:
            return Widen(LongTime(p));
        case 4: {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%02d:%02d", p.hour, p.minute);
            return Widen(buf);
        }
        default:
            return Outcome<std::u16string>::Fail(kErrInvalidCall);
    }
}

double NowSerial() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    int64_t day = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return FromMoment(day, local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

double SecondsSinceMidnight() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto centis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000 / 10;
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + centis / 100.0;
}

}  // namespace vbs::rt
