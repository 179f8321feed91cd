// Dates and times: Now, Date, Time, Timer, CDate, DateAdd, DateDiff, DatePart, the serial and
// value functions, Year ... Second, Weekday, the names, FormatDateTime and IsDate. Their
// value-independent work is in dates.h beside this file.
#include "lib/Library.h"
#include "lib/dates/dates.h"
#include "lib/numbers/numbers.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

// The serial of a date argument (CDate rules).
double DateOf(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtDate:
            return v.AsDoubleRaw();
        case vtString: {
            if (auto d = rt::ParseDateTime(v.Str())) return *d;
            if (auto n = rt::ParseNumber(v.Str())) {
                if (!rt::IsValidDateSerial(*n)) ThrowError(kErrOverflow);
                return *n;
            }
            ThrowError(kErrTypeMismatch);
        }
        case vtNull:
            ThrowError(kErrInvalidNull);
        default: {
            double d = ToDouble(v);
            if (!rt::IsValidDateSerial(d)) ThrowError(kErrOverflow);
            return d;
        }
    }
}

Variant FnCDate(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    return Variant::Date(DateOf(A(a, 0)));
}

Variant FnNow(EngineImpl&, Args) {
    return Variant::Date(rt::NowSerial());
}

Variant FnDate(EngineImpl&, Args) {
    return Variant::Date(rt::DateOnly(rt::NowSerial()));
}

Variant FnTime(EngineImpl&, Args) {
    return Variant::Date(rt::TimeOnly(rt::NowSerial()));
}

Variant FnTimer(EngineImpl&, Args) {
    return Variant::Single(float(rt::SecondsSinceMidnight()));
}

Variant FnDateAdd(EngineImpl&, Args a) {
    RequireNotNull(a, 2);
    if (A(a, 2).IsNull()) return Variant::Null();
    std::u16string interval = S(a, 0);
    double n = D(a, 1);
    double date = DateOf(A(a, 2));
    return Variant::Date(Ck(rt::DateAdd(interval, n, date)));
}

Variant FnDateDiff(EngineImpl&, Args a) {
    if (A(a, 1).IsNull() || A(a, 2).IsNull()) return Variant::Null();
    int fdow = Has(a, 3) ? L(a, 3) : 1, fwoy = Has(a, 4) ? L(a, 4) : 1;
    std::u16string interval = S(a, 0);
    double d1 = DateOf(A(a, 1));
    double d2 = DateOf(A(a, 2));
    return Variant::Long(Ck(rt::DateDiff(interval, d1, d2, fdow, fwoy)));
}

Variant FnDatePart(EngineImpl&, Args a) {
    if (A(a, 1).IsNull()) return Variant::Null();
    int fdow = Has(a, 2) ? L(a, 2) : 1, fwoy = Has(a, 3) ? L(a, 3) : 1;
    std::u16string interval = S(a, 0);
    double d = DateOf(A(a, 1));
    return Variant::Long(Ck(rt::DatePart(interval, d, fdow, fwoy)));
}

Variant FnDateSerial(EngineImpl&, Args a) {
    RequireNotNull(a, 3);
    double y = D(a, 0), m = D(a, 1), d = D(a, 2);
    return Variant::Date(Ck(rt::DateSerial(y, m, d)));
}

Variant FnTimeSerial(EngineImpl&, Args a) {
    RequireNotNull(a, 3);
    double h = D(a, 0), m = D(a, 1), sec = D(a, 2);
    return Variant::Date(Ck(rt::TimeSerial(h, m, sec)));
}

Variant FnDateValue(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Variant::Date(rt::DateOnly(DateOf(A(a, 0))));
}

Variant FnTimeValue(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Variant::Date(rt::TimeOnly(DateOf(A(a, 0))));
}

template <int Part>
Variant FnDatePartOf(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    rt::DateTimeParts p = rt::SplitDate(DateOf(A(a, 0)));
    int v = Part == 0   ? p.year
            : Part == 1 ? p.month
            : Part == 2 ? p.day
            : Part == 3 ? p.hour
            : Part == 4 ? p.minute
                        : p.second;
    return Variant::Integer(int16_t(v));
}

Variant FnWeekday(EngineImpl&, Args a) {
    if (Has(a, 1) && A(a, 1).IsNull()) ThrowError(kErrInvalidNull);
    int first = Has(a, 1) ? L(a, 1) : 1;
    if (first < 0 || first > 7) ThrowError(kErrInvalidCall);
    if (A(a, 0).IsNull()) return Variant::Null();
    return Variant::Integer(int16_t(Ck(rt::Weekday(DateOf(A(a, 0)), first))));
}

// Arguments are checked for Null first and converted left to right, so the error reported does
// not depend on the compiler's order of evaluation.
Variant FnMonthName(EngineImpl&, Args a) {
    RequireNotNull(a, 2);
    int32_t month = L(a, 0);
    bool abbreviate = Has(a, 1) && ToBool(A(a, 1));
    return Str(Ck(rt::MonthName(month, abbreviate)));
}

Variant FnWeekdayName(EngineImpl&, Args a) {
    RequireNotNull(a, 3);
    int32_t day = L(a, 0);
    bool abbreviate = Has(a, 1) && ToBool(A(a, 1));
    int32_t first = Has(a, 2) ? L(a, 2) : 1;
    return Str(Ck(rt::WeekdayName(day, abbreviate, first)));
}

Variant FnFormatDateTime(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrTypeMismatch);
    if (Has(a, 1) && A(a, 1).IsNull()) ThrowError(kErrInvalidNull);
    double date = DateOf(A(a, 0));
    int format = Has(a, 1) ? L(a, 1) : 0;
    return Str(Ck(rt::FormatDateTime(date, format)));
}

Variant FnIsDate(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (v.Type() == vtDate) return Variant::Bool(true);
    if (v.Type() == vtString) return Variant::Bool(rt::ParseDateTime(v.Str()).has_value());
    return Variant::Bool(false);
}

}  // namespace

std::span<const Builtin> DateLibrary() {
    static const Builtin kTable[] = {
        {u"cdate", FnCDate, 1, 1, false},
        {u"now", FnNow, 0, 0, false},
        {u"date", FnDate, 0, 0, false},
        {u"time", FnTime, 0, 0, false},
        {u"timer", FnTimer, 0, 0, false},
        {u"dateadd", FnDateAdd, 3, 3, false},
        {u"datediff", FnDateDiff, 3, 5, false},
        {u"datepart", FnDatePart, 2, 4, false},
        {u"dateserial", FnDateSerial, 3, 3, false},
        {u"timeserial", FnTimeSerial, 3, 3, false},
        {u"datevalue", FnDateValue, 1, 1, false},
        {u"timevalue", FnTimeValue, 1, 1, false},
        {u"year", FnDatePartOf<0>, 1, 1, false},
        {u"month", FnDatePartOf<1>, 1, 1, false},
        {u"day", FnDatePartOf<2>, 1, 1, false},
        {u"hour", FnDatePartOf<3>, 1, 1, false},
        {u"minute", FnDatePartOf<4>, 1, 1, false},
        {u"second", FnDatePartOf<5>, 1, 1, false},
        {u"weekday", FnWeekday, 1, 2, false},
        {u"monthname", FnMonthName, 1, 2, false},
        {u"weekdayname", FnWeekdayName, 1, 3, false},
        {u"formatdatetime", FnFormatDateTime, 1, 2, false},
        {u"isdate", FnIsDate, 1, 1, false},
    };
    return kTable;
}

}  // namespace vbs::lib
