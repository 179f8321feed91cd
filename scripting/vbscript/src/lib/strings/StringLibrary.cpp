// The string functions (Len, Mid, InStr, Replace, Asc, Chr ...) and the string constants
// (vbCr, vbTab ...). Their value-independent work is in strings.h beside this file.
#include <algorithm>
#include "lib/Library.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

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

Variant FnAsc(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string t;
    std::u16string_view s = Text(a, 0, t);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Integer(int16_t(ToAnsi(s[0])));
}

Variant FnAscW(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string s = S(a, 0);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Integer(int16_t(s[0]));
}

Variant FnAscB(EngineImpl&, Args a) {
    std::u16string s = S(a, 0);
    if (s.empty()) ThrowError(kErrInvalidCall);
    return Variant::Byte(uint8_t(s[0] & 0xFF));
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

Variant FnChrB(EngineImpl&, Args a) {
    int32_t c = L(a, 0);
    if (c < 0 || c > 255) ThrowError(kErrInvalidCall);
    return Str(std::u16string(1, char16_t(c)));
}

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
    std::u16string t;
    std::u16string_view s = Text(a, 0, t);
    return Str(std::u16string(s.substr(0, size_t(n))));
}

Variant FnRight(EngineImpl&, Args a) {
    int32_t n = CountArg(a, 1);
    if (A(a, 0).IsNull()) return Variant::Null();
    std::u16string t;
    std::u16string_view s = Text(a, 0, t);
    size_t k = std::min(s.size(), size_t(n));
    return Str(std::u16string(s.substr(s.size() - k)));
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
    std::u16string t1, t2;
    std::u16string_view s1 = Text(a, base, t1), s2 = Text(a, base + 1, t2);
    if (size_t(start) > s1.size() + 1 || (size_t(start) > s1.size() && !s2.empty()))
        return Variant::Long(0);
    size_t p = rt::Find(s1, s2, size_t(start - 1), mode);
    return Variant::Long(p == std::u16string::npos ? 0 : int32_t(p + 1));
}

Variant FnInStrRev(EngineImpl&, Args a) {
    RequireNotNull(a, 4);
    std::u16string t1, t2;
    std::u16string_view s1 = Text(a, 0, t1), s2 = Text(a, 1, t2);
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

}  // namespace

std::span<const Builtin> StringLibrary() {
    static const Builtin kTable[] = {
        {u"asc", FnAsc, 1, 1, false},
        {u"ascw", FnAscW, 1, 1, false},
        {u"ascb", FnAscB, 1, 1, false},
        {u"chr", FnChr, 1, 1, false},
        {u"chrw", FnChrW, 1, 1, false},
        {u"chrb", FnChrB, 1, 1, false},
        {u"len", FnLen, 1, 1, false},
        {u"lenb", FnLenB, 1, 1, false},
        {u"left", FnLeft, 2, 2, false},
        {u"leftb", FnLeft, 2, 2, false},
        {u"right", FnRight, 2, 2, false},
        {u"rightb", FnRight, 2, 2, false},
        {u"mid", FnMid, 2, 3, false},
        {u"midb", FnMid, 2, 3, false},
        {u"instr", FnInStr, 2, 4, false},
        {u"instrb", FnInStr, 2, 4, false},
        {u"instrrev", FnInStrRev, 2, 4, false},
        {u"replace", FnReplace, 3, 6, false},
        {u"strcomp", FnStrComp, 2, 3, false},
        {u"strreverse", FnStrReverse, 1, 1, false},
        {u"string", FnString, 2, 2, false},
        {u"space", FnSpace, 1, 1, false},
        {u"lcase", FnLCase, 1, 1, false},
        {u"ucase", FnUCase, 1, 1, false},
        {u"ltrim", FnLTrim, 1, 1, false},
        {u"rtrim", FnRTrim, 1, 1, false},
        {u"trim", FnTrim, 1, 1, false},
        {u"escape", FnEscape, 1, 1, false},
        {u"unescape", FnUnescape, 1, 1, false},
        {u"vbcr", CvbCr, 0, 0, true},
        {u"vblf", CvbLf, 0, 0, true},
        {u"vbcrlf", CvbCrLf, 0, 0, true},
        {u"vbnewline", CvbCrLf, 0, 0, true},
        {u"vbtab", CvbTab, 0, 0, true},
        {u"vbback", CvbBack, 0, 0, true},
        {u"vbformfeed", CvbFormFeed, 0, 0, true},
        {u"vbverticaltab", CvbVerticalTab, 0, 0, true},
        {u"vbnullstring", CvbNullString, 0, 0, true},
        {u"vbnullchar", CvbNullChar, 0, 0, true},
    };
    return kTable;
}

}  // namespace vbs::lib
