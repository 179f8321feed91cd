// The built-in functions and constants.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "Nodes.h"
#include "runtime/dates.h"
#include "runtime/format.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace vbs {

Variant MakeProcRef(EngineImpl& e, const ProcDef* p);

namespace {

using Args = std::span<Variant>;

template <typename T>
T Ck(rt::Outcome<T> o) {
    if (!o.Ok()) ThrowError(o.error);
    return std::move(o.value);
}

const Variant& A(Args a, size_t i) {
    return a[i].Deref();
}
bool Has(Args a, size_t i) {
    if (i >= a.size()) return false;
    const Variant& v = a[i].Deref();
    return !(v.Type() == vtError && v.AsError() == int32_t(0x80020004));
}
bool AnyNull(Args a, size_t n) {
    for (size_t i = 0; i < n && i < a.size(); ++i)
        if (A(a, i).IsNull()) return true;
    return false;
}
std::u16string S(Args a, size_t i) {
    return ToStr(A(a, i));
}
int32_t L(Args a, size_t i) {
    return ToLong(A(a, i));
}
double D(Args a, size_t i) {
    return ToDouble(A(a, i));
}
Variant Str(std::u16string s) {
    return Variant::String(std::move(s));
}

// Windows-1252 code points 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromAnsi(int c) {
    if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
    return char16_t(c);
}
int ToAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return c;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return 0x80 + i;
    return '?';
}

int CompareMode(Args a, size_t i) {
    if (!Has(a, i)) return 0;
    if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
    int32_t m = L(a, i);
    if (m < 0 || m > 1) ThrowError(kErrInvalidCall);
    return m;
}
void RequireNotNull(Args a, size_t n) {
    for (size_t i = 0; i < n && i < a.size(); ++i)
        if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
}

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

Variant MakeStrArray(const std::vector<std::u16string>& items) {
    Variant a = Variant::NewArray({{0, int32_t(items.size())}});
    for (size_t i = 0; i < items.size(); ++i) a.AsArray()->items[i] = Variant::String(items[i]);
    return a;
}

// ---- conversion ----
Variant FnCBool(EngineImpl&, Args a) {
    return Variant::Bool(ToBool(A(a, 0)));
}
Variant FnCByte(EngineImpl&, Args a) {
    if (A(a, 0).Type() == vtBoolean) return Variant::Byte(A(a, 0).AsBoolRaw() ? 255 : 0);
    return Variant::Byte(Ck(rt::ToByte(D(a, 0))));
}
Variant FnCCur(EngineImpl&, Args a) {
    if (A(a, 0).Type() == vtCurrency) return A(a, 0);
    return Variant::Currency(Ck(rt::ToCurrency(D(a, 0))));
}
Variant FnCDate(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    return Variant::Date(DateOf(A(a, 0)));
}
Variant FnCDbl(EngineImpl&, Args a) {
    return Variant::Double(D(a, 0));
}
Variant FnCInt(EngineImpl&, Args a) {
    return Variant::Integer(Ck(rt::ToInteger(D(a, 0))));
}
Variant FnCLng(EngineImpl&, Args a) {
    return Variant::Long(Ck(rt::ToLong(D(a, 0))));
}
Variant FnCSng(EngineImpl&, Args a) {
    return Variant::Single(Ck(rt::ToSingle(D(a, 0))));
}
Variant FnCStr(EngineImpl&, Args a) {
    return Str(S(a, 0));
}

Variant HexOct(Args a, bool hex) {
    const Variant& v = A(a, 0);
    if (v.IsNull()) return Variant::Null();
    bool sixteen = false;
    int32_t n;
    switch (v.Type()) {
        case vtEmpty:
            n = 0;
            sixteen = true;
            break;
        case vtByte:
        case vtInteger:
        case vtBoolean:
            n = ToLong(v);
            sixteen = true;
            break;
        default:
            n = ToLong(v);
    }
    return Str(hex ? rt::HexText(n, sixteen) : rt::OctText(n, sixteen));
}
Variant FnHex(EngineImpl&, Args a) {
    return HexOct(a, true);
}
Variant FnOct(EngineImpl&, Args a) {
    return HexOct(a, false);
}

Variant FnAsc(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string s = S(a, 0);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Integer(int16_t(ToAnsi(s[0])));
}
Variant FnAscW(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string s = S(a, 0);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Integer(int16_t(s[0]));
}
Variant FnChr(EngineImpl&, Args a) {
    int32_t c = L(a, 0);
    if (c < 0 || c > 255) ThrowError(kErrInvalidCall);
    return Str(std::u16string(1, FromAnsi(c)));
}
Variant FnChrW(EngineImpl&, Args a) {
    int32_t c = L(a, 0);
    if (c < -32768 || c > 65535) ThrowError(kErrInvalidCall);
    return Str(std::u16string(1, char16_t(c & 0xFFFF)));
}

// ---- maths ----
Variant KeepNumeric(const Variant& v0, double (*f)(double)) {
    Variant v = ToNumeric(v0);
    switch (v.Type()) {
        case vtNull:
            return v;
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        case vtBoolean:
            return Variant::Integer(v.AsInteger());
        case vtSingle:
            return Variant::Single(float(f(v.AsSingle())));
        case vtCurrency:
            return Variant::Currency(int64_t(f(double(v.AsCurrency()) / 10000.0) * 10000.0));
        case vtDate:
            return Variant::Date(f(v.AsDoubleRaw()));
        default:
            return Variant::Double(f(v.AsDoubleRaw()));
    }
}
Variant FnInt(EngineImpl&, Args a) {
    return KeepNumeric(A(a, 0), rt::Int);
}
Variant FnFix(EngineImpl&, Args a) {
    return KeepNumeric(A(a, 0), rt::Fix);
}
Variant FnAbs(EngineImpl&, Args a) {
    Variant v = ToNumeric(A(a, 0));
    switch (v.Type()) {
        case vtNull:
            return v;
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
            return v;
        case vtBoolean:
        case vtInteger:
            if (v.AsInteger() == -32768) return Variant::Long(32768);
            return Variant::Integer(int16_t(std::abs(v.AsInteger())));
        case vtLong:
            if (v.AsLong() == INT32_MIN) return Variant::Double(2147483648.0);
            return Variant::Long(std::abs(v.AsLong()));
        case vtSingle:
            return Variant::Single(std::fabs(v.AsSingle()));
        case vtCurrency:
            return Variant::Currency(std::llabs(v.AsCurrency()));
        case vtDate:
            return Variant::Date(std::fabs(v.AsDoubleRaw()));
        default:
            return Variant::Double(std::fabs(v.AsDoubleRaw()));
    }
}
Variant FnSgn(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    double d = D(a, 0);
    return Variant::Integer(int16_t(d > 0 ? 1 : d < 0 ? -1 : 0));
}
Variant Math1(Args a, double (*f)(double)) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    return Variant::Double(f(D(a, 0)));
}
Variant FnSqr(EngineImpl&, Args a) {
    double d = D(a, 0);
    if (d < 0) ThrowError(kErrInvalidCall);
    return Variant::Double(std::sqrt(d));
}
Variant FnExp(EngineImpl&, Args a) {
    double r = std::exp(D(a, 0));
    if (std::isinf(r)) ThrowError(kErrOverflow);
    return Variant::Double(r);
}
Variant FnLog(EngineImpl&, Args a) {
    double d = D(a, 0);
    if (d <= 0) ThrowError(kErrInvalidCall);
    return Variant::Double(std::log(d));
}
Variant FnSin(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::sin(x); });
}
Variant FnCos(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::cos(x); });
}
Variant FnTan(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::tan(x); });
}
Variant FnAtn(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::atan(x); });
}
Variant FnRnd(EngineImpl& e, Args a) {
    if (Has(a, 0)) return Variant::Single(e.random.Next(D(a, 0)));
    return Variant::Single(e.random.Next());
}
Variant FnRound(EngineImpl&, Args a) {
    Variant v = ToNumeric(A(a, 0));
    if (v.IsNull()) return v;
    int digits = Has(a, 1) ? L(a, 1) : 0;
    switch (v.Type()) {
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        case vtBoolean:
            return v;
        default:
            break;
    }
    double r = Ck(rt::RoundToDigits(ToDouble(v), digits));
    if (v.Type() == vtSingle) return Variant::Single(float(r));
    if (v.Type() == vtCurrency) return Variant::Currency(Ck(rt::ToCurrency(r)));
    return Variant::Double(r);
}

// ---- strings ----
Variant FnLen(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (v.IsNull()) return Variant::Null();
    if (v.Type() == vtString) return Variant::Long(int32_t(v.Str().size()));
    return Variant::Long(int32_t(ToStr(v).size()));
}
Variant FnLenB(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Variant::Long(int32_t(S(a, 0).size() * 2));
}
int32_t CountArg(Args a, size_t i) {
    if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
    int32_t n = L(a, i);
    if (n < 0) ThrowError(kErrInvalidCall);
    return n;
}
Variant FnLeft(EngineImpl&, Args a) {
    int32_t n = CountArg(a, 1);
    if (A(a, 0).IsNull()) return Variant::Null();
    std::u16string s = S(a, 0);
    return Str(s.substr(0, size_t(n)));
}
Variant FnRight(EngineImpl&, Args a) {
    int32_t n = CountArg(a, 1);
    if (A(a, 0).IsNull()) return Variant::Null();
    std::u16string s = S(a, 0);
    size_t k = std::min(s.size(), size_t(n));
    return Str(s.substr(s.size() - k));
}
Variant FnMid(EngineImpl&, Args a) {
    // Null start or length first, then conversions, then ranges.
    if (A(a, 1).IsNull() || (Has(a, 2) && A(a, 2).IsNull())) ThrowError(kErrInvalidNull);
    int32_t start = L(a, 1);
    int32_t len = Has(a, 2) ? L(a, 2) : -1;
    if (start <= 0 || (Has(a, 2) && len < 0)) ThrowError(kErrInvalidCall);
    if (A(a, 0).IsNull()) return Variant::Null();
    const Variant& v = A(a, 0);
    const std::u16string& s = v.Type() == vtString ? v.Str() : S(a, 0);
    if (size_t(start) > s.size()) return Str(u"");
    return Str(s.substr(size_t(start - 1), len < 0 ? std::u16string::npos : size_t(len)));
}
Variant FnInStr(EngineImpl&, Args a) {
    size_t base = 0;
    int32_t start = 1;
    if (a.size() >= 3) {
        if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
        start = L(a, 0);
        base = 1;
    }
    int mode = a.size() >= 4 ? CompareMode(a, 3) : 0;
    if (A(a, base).IsNull() || A(a, base + 1).IsNull()) return Variant::Null();
    if (a.size() >= 3 && start <= 0) ThrowError(kErrInvalidCall);
    std::u16string s1 = S(a, base), s2 = S(a, base + 1);
    if (size_t(start) > s1.size() + 1 || (size_t(start) > s1.size() && !s2.empty()))
        return Variant::Long(0);
    size_t p = rt::Find(s1, s2, size_t(start - 1), mode);
    return Variant::Long(p == std::u16string::npos ? 0 : int32_t(p + 1));
}
Variant FnInStrRev(EngineImpl&, Args a) {
    RequireNotNull(a, 4);
    std::u16string s1 = S(a, 0), s2 = S(a, 1);
    int32_t start = Has(a, 2) ? L(a, 2) : -1;
    if (start == 0 || start < -1) ThrowError(kErrInvalidCall);
    int mode = CompareMode(a, 3);
    size_t end = start == -1 ? std::u16string::npos : size_t(start);
    if (start != -1 && size_t(start) > s1.size()) return Variant::Long(0);
    size_t p = rt::FindReverse(s1, s2, end, mode);
    return Variant::Long(p == std::u16string::npos ? 0 : int32_t(p + 1));
}
Variant FnReplace(EngineImpl&, Args a) {
    RequireNotNull(a, 6);
    std::u16string s = S(a, 0), f = S(a, 1), r = S(a, 2);
    int32_t start = Has(a, 3) ? L(a, 3) : 1;
    int32_t count = Has(a, 4) ? L(a, 4) : -1;
    if (start <= 0 || count < -1) ThrowError(kErrInvalidCall);
    int mode = CompareMode(a, 5);
    if (size_t(start) > s.size()) return Str(u"");
    return Str(rt::ReplaceText(s, f, r, size_t(start - 1), count, mode));
}
Variant FnSplit(EngineImpl&, Args a) {
    RequireNotNull(a, 4);
    std::u16string s = S(a, 0);
    std::u16string delim = Has(a, 1) ? S(a, 1) : u" ";
    int32_t count = Has(a, 2) ? L(a, 2) : -1;
    if (count < -1) ThrowError(kErrInvalidCall);
    int mode = CompareMode(a, 3);
    if (count == 0) return MakeStrArray({});
    return MakeStrArray(rt::SplitText(s, delim, count, mode));
}
Variant FnJoin(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    ArrData* arr = v.AsArray();
    if (arr->bounds.size() != 1) ThrowError(kErrSubscript);
    std::u16string delim = Has(a, 1) ? S(a, 1) : u" ";
    std::u16string out;
    for (size_t i = 0; i < arr->items.size(); ++i) {
        if (i) out += delim;
        if (!arr->items[i].IsNull()) out += ToStr(arr->items[i]);
    }
    return Str(std::move(out));
}
Variant FnFilter(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    if (A(a, 1).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string match = S(a, 1);
    bool include = Has(a, 2) ? ToBool(A(a, 2)) : true;
    int mode = CompareMode(a, 3);
    std::vector<std::u16string> out;
    for (auto& it : v.AsArray()->items) {
        std::u16string s = ToStr(it);
        bool found = rt::Find(s, match, 0, mode) != std::u16string::npos;
        if (found == include) out.push_back(std::move(s));
    }
    return MakeStrArray(out);
}
Variant FnStrComp(EngineImpl&, Args a) {
    if (AnyNull(a, 2)) return Variant::Null();
    int mode = CompareMode(a, 2);
    std::u16string x = S(a, 0), y = S(a, 1);
    return Variant::Integer(int16_t(rt::Compare(x, y, mode)));
}
Variant FnStrReverse(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string s = S(a, 0);
    std::reverse(s.begin(), s.end());
    return Str(std::move(s));
}
Variant FnString(EngineImpl&, Args a) {
    if (AnyNull(a, 2)) return Variant::Null();
    int32_t n = L(a, 0);
    if (n < 0) ThrowError(kErrInvalidCall);
    if (n > (1 << 28)) ThrowError(kErrOutOfMemory);
    const Variant& c = A(a, 1);
    char16_t ch;
    if (c.Type() == vtString) {
        if (c.Str().empty()) ThrowError(kErrInvalidCall);
        ch = c.Str()[0];
    } else {
        int32_t code = ToLong(c);
        ch = FromAnsi(code & 0xFF);
    }
    return Str(std::u16string(size_t(n), ch));
}
Variant FnSpace(EngineImpl&, Args a) {
    int32_t n = CountArg(a, 0);
    if (n > (1 << 28)) ThrowError(kErrOutOfMemory);
    return Str(std::u16string(size_t(n), u' '));
}
Variant FnLCase(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(rt::LCase(S(a, 0)));
}
Variant FnUCase(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(rt::UCase(S(a, 0)));
}
Variant FnLTrim(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(std::u16string(rt::TrimLeft(S(a, 0))));
}
Variant FnRTrim(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(std::u16string(rt::TrimRight(S(a, 0))));
}
Variant FnTrim(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(std::u16string(rt::Trim(S(a, 0))));
}
Variant FnEscape(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(rt::Escape(S(a, 0)));
}
Variant FnUnescape(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) return Variant::Null();
    return Str(rt::Unescape(S(a, 0)));
}
Variant FnAscB(EngineImpl&, Args a) {
    std::u16string s = S(a, 0);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Byte(uint8_t(s[0] & 0xFF));
}
Variant FnChrB(EngineImpl&, Args a) {
    int32_t c = L(a, 0);
    if (c < 0 || c > 255) ThrowError(kErrInvalidCall);
    return Str(std::u16string(1, char16_t(c)));
}

// ---- dates ----
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

// ---- formatting ----
rt::NumberLayout Layout(Args a) {
    // A Null value is a type mismatch here; a Null option is an invalid use of Null.
    if (A(a, 0).IsNull()) ThrowError(kErrTypeMismatch);
    for (size_t i = 1; i < a.size(); ++i)
        if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
    rt::NumberLayout l;
    if (Has(a, 1)) l.digitsAfterDecimal = L(a, 1);
    if (Has(a, 2)) l.includeLeadingDigit = L(a, 2);
    if (Has(a, 3)) l.useParensForNegative = L(a, 3);
    if (Has(a, 4)) l.groupDigits = L(a, 4);
    return l;
}
Variant FnFormatNumber(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatNumber(D(a, 0), layout)));
}
Variant FnFormatCurrency(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatCurrency(D(a, 0), layout)));
}
Variant FnFormatPercent(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatPercent(D(a, 0), layout)));
}
Variant FnFormatDateTime(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrTypeMismatch);
    if (Has(a, 1) && A(a, 1).IsNull()) ThrowError(kErrInvalidNull);
    double date = DateOf(A(a, 0));
    int format = Has(a, 1) ? L(a, 1) : 0;
    return Str(Ck(rt::FormatDateTime(date, format)));
}

// ---- inspection ----
Variant FnIsArray(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsArray());
}
Variant FnIsEmpty(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsEmpty());
}
Variant FnIsNull(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsNull());
}
Variant FnIsObject(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).Type() == vtObject);
}
Variant FnIsNumeric(EngineImpl& e, Args a) {
    const Variant& v = A(a, 0);
    switch (v.Type()) {
        case vtString:
            return Variant::Bool(rt::ParseNumber(v.Str()).has_value());
        case vtNull:
        case vtError:
        case vtDate:
            return Variant::Bool(false);
        case vtObject: {
            if (!v.AsObject()) return Variant::Bool(false);
            Variant d;
            try {
                d = DefaultValue(v);
            } catch (const ScriptException&) {
                return Variant::Bool(false);
            }
            Variant one[1] = {d};
            return FnIsNumeric(e, one);
        }
        default:
            return Variant::Bool(!v.IsArray());
    }
}
Variant FnIsDate(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (v.Type() == vtDate) return Variant::Bool(true);
    if (v.Type() == vtString) return Variant::Bool(rt::ParseDateTime(v.Str()).has_value());
    return Variant::Bool(false);
}
Variant FnVarType(EngineImpl&, Args a) {
    return Variant::Integer(int16_t(VarTypeOf(A(a, 0))));
}
Variant FnTypeName(EngineImpl&, Args a) {
    return Str(TypeNameOf(A(a, 0)));
}
Variant Bound(Args a, bool upper) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    ArrData* arr = v.AsArray();
    int32_t dim = Has(a, 1) ? L(a, 1) : 1;
    if (dim < 1 || size_t(dim) > arr->bounds.size()) ThrowError(kErrSubscript);
    const ArrayBound& b = arr->bounds[size_t(dim - 1)];
    return Variant::Long(upper ? b.lower + b.count - 1 : b.lower);
}
Variant FnLBound(EngineImpl&, Args a) {
    return Bound(a, false);
}
Variant FnUBound(EngineImpl&, Args a) {
    return Bound(a, true);
}
Variant FnArray(EngineImpl&, Args a) {
    Variant r = Variant::NewArray({{0, int32_t(a.size())}});
    for (size_t i = 0; i < a.size(); ++i) r.AsArray()->items[i] = a[i].Deref();
    return r;
}

// ---- environment ----
Variant FnScriptEngine(EngineImpl&, Args) {
    return Str(u"VBScript");
}
Variant FnScriptEngineMajor(EngineImpl&, Args) {
    return Variant::Long(5);
}
Variant FnScriptEngineMinor(EngineImpl&, Args) {
    return Variant::Long(8);
}
Variant FnScriptEngineBuild(EngineImpl&, Args) {
    return Variant::Long(16384);
}
Variant FnGetLocale(EngineImpl&, Args) {
    return Variant::Long(1033);
}
Variant FnSetLocale(EngineImpl&, Args) {
    return Variant::Long(1033);
}
Variant FnRGB(EngineImpl&, Args a) {
    auto part = [&](size_t i) {
        int32_t v = L(a, i);
        if (v < 0) ThrowError(kErrInvalidCall);
        return std::min(v, 255);
    };
    return Variant::Long(part(0) + part(1) * 256 + part(2) * 65536);
}
Variant FnMsgBox(EngineImpl& e, Args a) {
    MsgBoxRequest r;
    r.prompt = A(a, 0).IsNull() ? std::u16string() : S(a, 0);
    if (Has(a, 1)) r.buttons = L(a, 1);
    if (Has(a, 2)) r.title = S(a, 2);
    EngineImpl::HostTime paused(e);
    int answer = e.msgBoxHook ? e.msgBoxHook(r) : 1;
    return Variant::Integer(int16_t(answer));
}
Variant FnInputBox(EngineImpl& e, Args a) {
    InputBoxRequest r;
    r.prompt = S(a, 0);
    if (Has(a, 1)) r.title = S(a, 1);
    if (Has(a, 2)) r.defaultText = S(a, 2);
    EngineImpl::HostTime paused(e);
    if (e.inputBoxHook) return e.inputBoxHook(r);
    return Str(r.defaultText);
}
Variant FnCreateObject(EngineImpl& e, Args a) {
    return e.CreateObject(S(a, 0));
}
Variant FnGetObject(EngineImpl&, Args) {
    ThrowError(kErrCantCreate);
}
Variant FnEval(EngineImpl& e, Args a) {
    return e.EvalText(S(a, 0), true);
}
Variant FnExecute(EngineImpl& e, Args a) {
    e.AddProgram(S(a, 0), 1, true);
    return {};
}
Variant FnExecuteGlobal(EngineImpl& e, Args a) {
    e.AddProgram(S(a, 0), 1, false);
    return {};
}
Variant FnGetRef(EngineImpl& e, Args a) {
    int atom = e.AtomOf(S(a, 0));
    GlobalSlot& g = e.Slot(atom);
    if (g.kind != SlotKind::Proc) ThrowError(kErrInvalidCall);
    return MakeProcRef(e, g.proc);
}
Variant FnErr(EngineImpl& e, Args) {
    return Variant::Object(e.errObject.get());
}

// ---- constants ----
#define VBS_CONST_INT(fname, value)              \
    Variant fname(EngineImpl&, Args) {           \
        return Variant::Integer(int16_t(value)); \
    }
#define VBS_CONST_LONG(fname, value)          \
    Variant fname(EngineImpl&, Args) {        \
        return Variant::Long(int32_t(value)); \
    }
#define VBS_CONST_STR(fname, value)                    \
    Variant fname(EngineImpl&, Args) {                 \
        return Variant::String(std::u16string(value)); \
    }

VBS_CONST_STR(CvbCr, u"\r")
VBS_CONST_STR(CvbLf, u"\n")
VBS_CONST_STR(CvbCrLf, u"\r\n")
VBS_CONST_STR(CvbTab, u"\t")
VBS_CONST_STR(CvbBack, u"\b")
VBS_CONST_STR(CvbFormFeed, u"\f")
VBS_CONST_STR(CvbVerticalTab, u"\v")
VBS_CONST_STR(CvbNullString, u"")
Variant CvbNullChar(EngineImpl&, Args) {
    return Variant::String(std::u16string(1, u'\0'));
}
VBS_CONST_LONG(CvbObjectError, -2147221504)

struct ConstEntry {
    const char16_t* name;
    int32_t value;
};
// Numeric constants by value; small ones are Integers, the rest Longs.
constexpr ConstEntry kNumericConsts[] = {
    {u"vbtrue", -1},
    {u"vbfalse", 0},
    {u"vbusedefault", -2},
    {u"vbbinarycompare", 0},
    {u"vbtextcompare", 1},
    {u"vbdatabasecompare", 2},
    {u"vbsunday", 1},
    {u"vbmonday", 2},
    {u"vbtuesday", 3},
    {u"vbwednesday", 4},
    {u"vbthursday", 5},
    {u"vbfriday", 6},
    {u"vbsaturday", 7},
    {u"vbusesystemdayofweek", 0},
    {u"vbfirstjan1", 1},
    {u"vbfirstfourdays", 2},
    {u"vbfirstfullweek", 3},
    {u"vbusesystem", 0},
    {u"vbgeneraldate", 0},
    {u"vblongdate", 1},
    {u"vbshortdate", 2},
    {u"vblongtime", 3},
    {u"vbshorttime", 4},
    {u"vbokonly", 0},
    {u"vbokcancel", 1},
    {u"vbabortretryignore", 2},
    {u"vbyesnocancel", 3},
    {u"vbyesno", 4},
    {u"vbretrycancel", 5},
    {u"vbcritical", 16},
    {u"vbquestion", 32},
    {u"vbexclamation", 48},
    {u"vbinformation", 64},
    {u"vbdefaultbutton1", 0},
    {u"vbdefaultbutton2", 256},
    {u"vbdefaultbutton3", 512},
    {u"vbdefaultbutton4", 768},
    {u"vbapplicationmodal", 0},
    {u"vbsystemmodal", 4096},
    {u"vbok", 1},
    {u"vbcancel", 2},
    {u"vbabort", 3},
    {u"vbretry", 4},
    {u"vbignore", 5},
    {u"vbyes", 6},
    {u"vbno", 7},
    {u"vbempty", 0},
    {u"vbnull", 1},
    {u"vbinteger", 2},
    {u"vblong", 3},
    {u"vbsingle", 4},
    {u"vbdouble", 5},
    {u"vbcurrency", 6},
    {u"vbdate", 7},
    {u"vbstring", 8},
    {u"vbobject", 9},
    {u"vberror", 10},
    {u"vbboolean", 11},
    {u"vbvariant", 12},
    {u"vbdataobject", 13},
    {u"vbdecimal", 14},
    {u"vbbyte", 17},
    {u"vbarray", 8192},
    {u"vbblack", 0},
    {u"vbred", 0xFF},
    {u"vbgreen", 0xFF00},
    {u"vbyellow", 0xFFFF},
    {u"vbblue", 0xFF0000},
    {u"vbmagenta", 0xFF00FF},
    {u"vbcyan", 0xFFFF00},
    {u"vbwhite", 0xFFFFFF},
    {u"vbmsgboxhelpbutton", 16384},
    {u"vbmsgboxsetforeground", 65536},
    {u"vbmsgboxright", 524288},
    {u"vbmsgboxrtlreading", 1048576},
};

struct Table {
    std::unordered_map<std::u16string_view, Builtin> map;
    std::vector<std::unique_ptr<std::u16string>> names;
    std::unordered_map<std::u16string_view, int32_t> numeric;
};

// Colours and the message box flags above 16 bits are Longs; the rest are Integers.
Variant NumericConst(const Builtin* b) {
    std::u16string_view n = b->name;
    bool isLong = n.substr(0, 8) == u"vbmsgbox" || n == u"vbblack" || n == u"vbblue" ||
                  n == u"vbcyan" || n == u"vbgreen" || n == u"vbmagenta" || n == u"vbred" ||
                  n == u"vbwhite" || n == u"vbyellow";
    if (isLong) return Variant::Long(b->constValue);
    return Variant::Integer(int16_t(b->constValue));
}

}  // namespace

const Builtin* FindBuiltin(std::u16string_view lower) {
    static const std::unordered_map<std::u16string_view, Builtin> table = [] {
        std::unordered_map<std::u16string_view, Builtin> t;
        auto fn = [&](const char16_t* name, Variant (*f)(EngineImpl&, Args), int mn, int mx) {
            t.emplace(name, Builtin{name, f, int8_t(mn), int8_t(mx), false});
        };
        auto cn = [&](const char16_t* name, Variant (*f)(EngineImpl&, Args)) {
            t.emplace(name, Builtin{name, f, 0, 0, true});
        };
        fn(u"cbool", FnCBool, 1, 1);
        fn(u"cbyte", FnCByte, 1, 1);
        fn(u"ccur", FnCCur, 1, 1);
        fn(u"cdate", FnCDate, 1, 1);
        fn(u"cdbl", FnCDbl, 1, 1);
        fn(u"cint", FnCInt, 1, 1);
        fn(u"clng", FnCLng, 1, 1);
        fn(u"csng", FnCSng, 1, 1);
        fn(u"cstr", FnCStr, 1, 1);
        fn(u"hex", FnHex, 1, 1);
        fn(u"oct", FnOct, 1, 1);
        fn(u"asc", FnAsc, 1, 1);
        fn(u"ascw", FnAscW, 1, 1);
        fn(u"ascb", FnAscB, 1, 1);
        fn(u"chr", FnChr, 1, 1);
        fn(u"chrw", FnChrW, 1, 1);
        fn(u"chrb", FnChrB, 1, 1);
        fn(u"int", FnInt, 1, 1);
        fn(u"fix", FnFix, 1, 1);
        fn(u"abs", FnAbs, 1, 1);
        fn(u"sgn", FnSgn, 1, 1);
        fn(u"sqr", FnSqr, 1, 1);
        fn(u"exp", FnExp, 1, 1);
        fn(u"log", FnLog, 1, 1);
        fn(u"sin", FnSin, 1, 1);
        fn(u"cos", FnCos, 1, 1);
        fn(u"tan", FnTan, 1, 1);
        fn(u"atn", FnAtn, 1, 1);
        fn(u"rnd", FnRnd, 0, 1);
        fn(u"round", FnRound, 1, 2);
        fn(u"len", FnLen, 1, 1);
        fn(u"lenb", FnLenB, 1, 1);
        fn(u"left", FnLeft, 2, 2);
        fn(u"leftb", FnLeft, 2, 2);
        fn(u"right", FnRight, 2, 2);
        fn(u"rightb", FnRight, 2, 2);
        fn(u"mid", FnMid, 2, 3);
        fn(u"midb", FnMid, 2, 3);
        fn(u"instr", FnInStr, 2, 4);
        fn(u"instrb", FnInStr, 2, 4);
        fn(u"instrrev", FnInStrRev, 2, 4);
        fn(u"replace", FnReplace, 3, 6);
        fn(u"split", FnSplit, 1, 4);
        fn(u"join", FnJoin, 1, 2);
        fn(u"filter", FnFilter, 2, 4);
        fn(u"strcomp", FnStrComp, 2, 3);
        fn(u"strreverse", FnStrReverse, 1, 1);
        fn(u"string", FnString, 2, 2);
        fn(u"space", FnSpace, 1, 1);
        fn(u"lcase", FnLCase, 1, 1);
        fn(u"ucase", FnUCase, 1, 1);
        fn(u"ltrim", FnLTrim, 1, 1);
        fn(u"rtrim", FnRTrim, 1, 1);
        fn(u"trim", FnTrim, 1, 1);
        fn(u"escape", FnEscape, 1, 1);
        fn(u"unescape", FnUnescape, 1, 1);
        fn(u"now", FnNow, 0, 0);
        fn(u"date", FnDate, 0, 0);
        fn(u"time", FnTime, 0, 0);
        fn(u"timer", FnTimer, 0, 0);
        fn(u"dateadd", FnDateAdd, 3, 3);
        fn(u"datediff", FnDateDiff, 3, 5);
        fn(u"datepart", FnDatePart, 2, 4);
        fn(u"dateserial", FnDateSerial, 3, 3);
        fn(u"timeserial", FnTimeSerial, 3, 3);
        fn(u"datevalue", FnDateValue, 1, 1);
        fn(u"timevalue", FnTimeValue, 1, 1);
        fn(u"year", FnDatePartOf<0>, 1, 1);
        fn(u"month", FnDatePartOf<1>, 1, 1);
        fn(u"day", FnDatePartOf<2>, 1, 1);
        fn(u"hour", FnDatePartOf<3>, 1, 1);
        fn(u"minute", FnDatePartOf<4>, 1, 1);
        fn(u"second", FnDatePartOf<5>, 1, 1);
        fn(u"weekday", FnWeekday, 1, 2);
        fn(u"monthname", FnMonthName, 1, 2);
        fn(u"weekdayname", FnWeekdayName, 1, 3);
        fn(u"formatnumber", FnFormatNumber, 1, 5);
        fn(u"formatcurrency", FnFormatCurrency, 1, 5);
        fn(u"formatpercent", FnFormatPercent, 1, 5);
        fn(u"formatdatetime", FnFormatDateTime, 1, 2);
        fn(u"isarray", FnIsArray, 1, 1);
        fn(u"isdate", FnIsDate, 1, 1);
        fn(u"isempty", FnIsEmpty, 1, 1);
        fn(u"isnull", FnIsNull, 1, 1);
        fn(u"isnumeric", FnIsNumeric, 1, 1);
        fn(u"isobject", FnIsObject, 1, 1);
        fn(u"vartype", FnVarType, 1, 1);
        fn(u"typename", FnTypeName, 1, 1);
        fn(u"lbound", FnLBound, 1, 2);
        fn(u"ubound", FnUBound, 1, 2);
        fn(u"array", FnArray, 0, 127);
        fn(u"scriptengine", FnScriptEngine, 0, 0);
        fn(u"scriptenginemajorversion", FnScriptEngineMajor, 0, 0);
        fn(u"scriptengineminorversion", FnScriptEngineMinor, 0, 0);
        fn(u"scriptenginebuildversion", FnScriptEngineBuild, 0, 0);
        fn(u"getlocale", FnGetLocale, 0, 0);
        fn(u"setlocale", FnSetLocale, 0, 1);
        fn(u"rgb", FnRGB, 3, 3);
        fn(u"msgbox", FnMsgBox, 1, 5);
        fn(u"inputbox", FnInputBox, 1, 7);
        fn(u"createobject", FnCreateObject, 1, 2);
        fn(u"getobject", FnGetObject, 0, 2);
        fn(u"eval", FnEval, 1, 1);
        fn(u"execute", FnExecute, 1, 1);
        fn(u"executeglobal", FnExecuteGlobal, 1, 1);
        fn(u"getref", FnGetRef, 1, 1);
        cn(u"err", FnErr);
        cn(u"vbcr", CvbCr);
        cn(u"vblf", CvbLf);
        cn(u"vbcrlf", CvbCrLf);
        cn(u"vbnewline", CvbCrLf);
        cn(u"vbtab", CvbTab);
        cn(u"vbback", CvbBack);
        cn(u"vbformfeed", CvbFormFeed);
        cn(u"vbverticaltab", CvbVerticalTab);
        cn(u"vbnullstring", CvbNullString);
        cn(u"vbnullchar", CvbNullChar);
        cn(u"vbobjecterror", CvbObjectError);
        return t;
    }();
    auto it = table.find(lower);
    if (it != table.end()) return &it->second;
    // Numeric constants share one function that looks the value up again.
    static const std::unordered_map<std::u16string_view, Builtin> numeric = [] {
        std::unordered_map<std::u16string_view, Builtin> t;
        for (const auto& c : kNumericConsts) {
            t.emplace(c.name, Builtin{c.name, nullptr, 0, 0, true, c.value});
        }
        return t;
    }();
    auto nt = numeric.find(lower);
    return nt == numeric.end() ? nullptr : &nt->second;
}

Variant CallBuiltin(EngineImpl& e, const Builtin* b, std::span<Variant> args) {
    if (!b->fn) return NumericConst(b);
    return b->fn(e, args);
}

}  // namespace vbs
