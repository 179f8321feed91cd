#include "lib/numbers/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vbs::rt {

namespace {

std::u16string Widen(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

// Lays out significant digits the way VBScript prints numbers: trailing zeros dropped, plain
// notation for exponents -4..precision-1, otherwise "dE+xx" with at least two exponent digits.
std::u16string Layout(bool negative, std::string digits, int exponent, int precision) {
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (negative) out += '-';
    if (exponent < -4 || exponent >= precision) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        std::string e = std::to_string(std::abs(exponent));
        if (e.size() < 2) out += '0';
        out += e;
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        size_t intLen = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits;
            out.append(intLen - digits.size(), '0');
        } else {
            out.append(digits, 0, intLen);
            out += '.';
            out.append(digits, intLen);
        }
    }
    return Widen(out);
}

std::u16string FloatToText(double value, int precision) {
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
    if (value == 0) return u"0";
    if (precision >= 15 && std::fabs(value) < 1e15 && value == std::trunc(value)) {
        // Whole numbers below 10^15 print exactly as integers (the common case in scripts).
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(value));
        return std::u16string(buf, res.ptr);
    }
    DecimalDigits d = SignificantDigits(value, precision);
    return Layout(value < 0, d.digits, d.exponent, precision);
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || (c >= 0x0A && c <= 0x0D) || c == 0xA0 || c == 0x3000;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 99;
}

}  // namespace

Outcome<double> ParseNumberChecked(std::u16string_view s) {
    const auto mismatch = Outcome<double>::Fail(kErrTypeMismatch);
    size_t i = 0;
    const size_t n = s.size();
    bool plus = false, minus = false, currency = false, paren = false;
    // Leading blanks, one sign of each kind, one currency symbol and one '(' in any order.
    for (;;) {
        if (i < n && IsBlank(s[i])) {
            ++i;
        } else if (i < n && s[i] == u'+' && !plus) {
            plus = true;
            ++i;
        } else if (i < n && s[i] == u'-' && !minus) {
            minus = true;
            ++i;
        } else if (i < n && s[i] == u'$' && !currency) {
            currency = true;
            ++i;
        } else if (i < n && s[i] == u'(' && !paren) {
            paren = true;
            ++i;
        } else {
            break;
        }
    }

    double value = 0;
    bool radix = false;
    if (i + 1 < n && s[i] == u'&' &&
        (s[i + 1] == u'h' || s[i + 1] == u'H' || s[i + 1] == u'o' || s[i + 1] == u'O')) {
        // &H / &O: the sign is ignored; 0x8000 and 0x80000000 read as the negative Integer and
        // Long they spell, other values up to 0x7FFFFFFF as positive numbers.
        const unsigned base = (s[i + 1] == u'h' || s[i + 1] == u'H') ? 16 : 8;
        i += 2;
        uint64_t v = 0;
        size_t digits = 0;
        for (; i < n && DigitValue(s[i]) < static_cast<int>(base); ++i, ++digits) {
            v = v * base + static_cast<unsigned>(DigitValue(s[i]));
            if (v > 0xFFFFFFFFull) return Outcome<double>::Fail(kErrOverflow);
        }
        if (digits == 0) return mismatch;
        if (v == 0x8000) {
            value = -32768;
        } else if (v <= 0x7FFFFFFF) {
            value = static_cast<double>(v);
        } else if (v == 0x80000000ull) {
            value = -2147483648.0;
        } else {
            return Outcome<double>::Fail(kErrOverflow);
        }
        radix = true;
    } else {
        std::string ascii;  // sign-free mantissa and exponent for from_chars
        bool started = false, mantissaDigit = false, point = false, exponent = false;
        while (i < n) {
            char16_t c = s[i];
            if (IsDigit(c)) {
                ascii += static_cast<char>(c);
                started = true;
                if (!exponent) mantissaDigit = true;
                ++i;
            } else if (c == u',' && started) {
                // Thousands separators are skipped wherever they stand after the first digit.
                ++i;
            } else if (c == u'.' && !point && !exponent) {
                ascii += '.';
                point = started = true;
                ++i;
            } else if ((c == u'e' || c == u'E') && !exponent && mantissaDigit) {
                exponent = true;
                ascii += 'e';
                ++i;
                bool expPlus = false, expMinus = false;
                while (i < n && ((s[i] == u'+' && !expPlus) || (s[i] == u'-' && !expMinus))) {
                    if (s[i] == u'+') expPlus = true;
                    if (s[i] == u'-') {
                        expMinus = true;
                        ascii += '-';
                    }
                    ++i;
                }
                if (i >= n || !IsDigit(s[i])) return mismatch;
            } else {
                break;
            }
        }
        if (!mantissaDigit) return mismatch;
        auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
        if (res.ec == std::errc::result_out_of_range) {
            // Too small reads as zero; too large is an overflow.
            size_t e = ascii.find('e');
            if (e != std::string::npos && e + 1 < ascii.size() && ascii[e + 1] == '-') {
                value = 0;
            } else {
                return Outcome<double>::Fail(kErrOverflow);
            }
        } else if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size()) {
            return mismatch;
        }
    }

    // Trailing blanks, a sign not given in front, ')' closing the '(', a currency symbol.
    bool closed = false;
    for (;;) {
        if (i < n && IsBlank(s[i])) {
            ++i;
        } else if (i < n && s[i] == u'+' && !plus) {
            plus = true;
            ++i;
        } else if (i < n && s[i] == u'-' && !minus) {
            minus = true;
            ++i;
        } else if (i < n && s[i] == u')' && paren && !closed) {
            closed = true;
            ++i;
        } else if (i < n && s[i] == u'$' && !currency) {
            currency = true;
            ++i;
        } else {
            break;
        }
    }
    if (i != n || paren != closed) return mismatch;
    if (radix) return value;
    return (minus || paren) ? -value : value;
}

std::optional<double> ParseNumber(std::u16string_view text) {
    Outcome<double> r = ParseNumberChecked(text);
    if (!r.Ok()) return std::nullopt;
    return r.value;
}

DecimalDigits SignificantDigits(double value, int precision) {
    DecimalDigits out;
    if (value == 0 || !std::isfinite(value)) {
        out.digits.assign(static_cast<size_t>(precision), '0');
        return out;
    }
    std::array<char, 64> buf{};
    if (precision >= 15) {
        // Fast path: a shortest round-trip form with at most `precision` digits is already the
        // correctly rounded answer, because 15-digit decimals lie further apart than a double's
        // rounding error.
        auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                 std::chars_format::scientific);
        std::string_view sci(buf.data(), static_cast<size_t>(res.ptr - buf.data()));
        size_t e = sci.find('e');
        std::string digits;
        for (size_t i = 0; i < e; ++i)
            if (sci[i] != '.') digits += sci[i];
        if (digits.size() <= static_cast<size_t>(precision)) {
            std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0),
                            sci.data() + sci.size(), out.exponent);
            digits.resize(static_cast<size_t>(precision), '0');
            out.digits = digits;
            return out;
        }
    }
    // 40 significant digits show whether the dropped part is below, at or above one half: a
    // double cannot differ from an exact tie by less than that.
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                             std::chars_format::scientific, 39);
    std::string_view sci(buf.data(), static_cast<size_t>(res.ptr - buf.data()));
    size_t e = sci.find('e');
    std::string all;
    for (size_t i = 0; i < e; ++i)
        if (sci[i] != '.') all += sci[i];
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(),
                    out.exponent);
    out.digits = all.substr(0, static_cast<size_t>(precision));
    if (all[static_cast<size_t>(precision)] >= '5') {
        // Round half away from zero on the decimal digits.
        int i = precision - 1;
        for (; i >= 0 && out.digits[static_cast<size_t>(i)] == '9'; --i)
            out.digits[static_cast<size_t>(i)] = '0';
        if (i < 0) {
            out.digits.insert(out.digits.begin(), '1');
            out.digits.pop_back();
            ++out.exponent;
        } else {
            ++out.digits[static_cast<size_t>(i)];
        }
    }
    return out;
}

std::u16string DoubleToText(double value) {
    return FloatToText(value, 15);
}

std::u16string SingleToText(float value) {
    return FloatToText(value, 7);
}

std::u16string CurrencyToText(int64_t scaled) {
    bool negative = scaled < 0;
    uint64_t mag = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string out = negative ? "-" : "";
    out += std::to_string(mag / kCurrencyScale);
    uint64_t frac = mag % kCurrencyScale;
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (f.back() == '0') f.pop_back();
        out += '.';
        out += f;
    }
    return Widen(out);
}

std::u16string IntegerToText(int64_t value) {
    return Widen(std::to_string(value));
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double f = std::floor(value);
    double diff = value - f;
    if (diff > 0.5) return f + 1;
    if (diff < 0.5) return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

Outcome<double> RoundToDigits(double value, int digits) {
    if (digits < 0) return Outcome<double>::Fail(kErrInvalidCall);
    if (digits == 0) return RoundHalfEven(value);
    if (!std::isfinite(value) || digits > 22) return value;
    double scale = std::pow(10.0, digits);
    double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return value;
    return RoundHalfEven(scaled) / scale;
}

double Fix(double value) {
    return std::trunc(value);
}

double Int(double value) {
    return std::floor(value);
}

Outcome<uint8_t> ToByte(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= 0 && r <= 255)) return Outcome<uint8_t>::Fail(kErrOverflow);
    return static_cast<uint8_t>(r);
}

Outcome<int16_t> ToInteger(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -32768 && r <= 32767)) return Outcome<int16_t>::Fail(kErrOverflow);
    return static_cast<int16_t>(r);
}

Outcome<int32_t> ToLong(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return Outcome<int32_t>::Fail(kErrOverflow);
    return static_cast<int32_t>(r);
}

Outcome<float> ToSingle(double value) {
    if (std::isnan(value)) return static_cast<float>(value);
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return Outcome<float>::Fail(kErrOverflow);
    return static_cast<float>(value);
}

Outcome<int64_t> ToCurrency(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 922337203685478.0)
        return Outcome<int64_t>::Fail(kErrOverflow);
    // Whole and fractional parts separately: value * 10000 would lose the low digits of large
    // amounts.
    double whole = std::trunc(value);
    double frac = RoundHalfEven((value - whole) * static_cast<double>(kCurrencyScale));
    __int128 scaled = static_cast<__int128>(static_cast<int64_t>(whole)) * kCurrencyScale +
                      static_cast<int64_t>(frac);
    if (scaled > std::numeric_limits<int64_t>::max() ||
        scaled < std::numeric_limits<int64_t>::min())
        return Outcome<int64_t>::Fail(kErrOverflow);
    return static_cast<int64_t>(scaled);
}

double CurrencyToDouble(int64_t scaled) {
    // Split so that large values keep their four decimals as well as a Double can.
    int64_t whole = scaled / kCurrencyScale;
    int64_t frac = scaled % kCurrencyScale;
    return static_cast<double>(whole) + static_cast<double>(frac) / kCurrencyScale;
}

Outcome<int64_t> CurrencyAdd(int64_t a, int64_t b) {
    int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) return Outcome<int64_t>::Fail(kErrOverflow);
    return r;
}

Outcome<int64_t> CurrencySubtract(int64_t a, int64_t b) {
    int64_t r = 0;
    if (__builtin_sub_overflow(a, b, &r)) return Outcome<int64_t>::Fail(kErrOverflow);
    return r;
}

Outcome<int64_t> CurrencyMultiply(int64_t a, int64_t b) {
    __int128 p = static_cast<__int128>(a) * b;
    __int128 q = p / kCurrencyScale;
    __int128 rem = p % kCurrencyScale;
    // Half to even on the dropped four digits.
    __int128 twice = rem * 2;
    if (twice > kCurrencyScale || twice < -kCurrencyScale ||
        ((twice == kCurrencyScale || twice == -kCurrencyScale) && (q % 2 != 0)))
        q += p < 0 ? -1 : 1;
    if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min())
        return Outcome<int64_t>::Fail(kErrOverflow);
    return static_cast<int64_t>(q);
}

namespace {
std::u16string RadixText(uint32_t v, unsigned shift) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned mask = (1u << shift) - 1;
    std::u16string out;
    do {
        out.insert(out.begin(), static_cast<char16_t>(kDigits[v & mask]));
        v >>= shift;
    } while (v != 0);
    return out;
}
}  // namespace

std::u16string HexText(int32_t value, bool sixteenBit) {
    uint32_t v = sixteenBit ? static_cast<uint16_t>(value) : static_cast<uint32_t>(value);
    return RadixText(v, 4);
}

std::u16string OctText(int32_t value, bool sixteenBit) {
    uint32_t v = sixteenBit ? static_cast<uint16_t>(value) : static_cast<uint32_t>(value);
    return RadixText(v, 3);
}

}  // namespace vbs::rt
