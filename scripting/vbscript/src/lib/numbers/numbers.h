// Numbers as VBScript converts, rounds and prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lib/outcome.h"

namespace vbs::rt {

// Currency values are kept as a 64-bit integer scaled by 10,000 (four decimal places).
inline constexpr int64_t kCurrencyScale = 10000;

// ---- Number to text (what CStr and string concatenation print) ----

// A Double as VBScript prints it: up to 15 significant digits, no trailing zeros, exponent form
// ("1E+16", "1.5E-05", "-1.23456789012346E+20") when the decimal exponent is < -4 or >= 15.
std::u16string DoubleToText(double value);
// A Single: the same layout with up to 7 significant digits.
std::u16string SingleToText(float value);
// A Currency (scaled by 10,000): plain decimal, up to 4 decimals, no exponent ("12.5", "-0.0001").
std::u16string CurrencyToText(int64_t scaled);
// An integral value (Byte, Integer, Long) as decimal text.
std::u16string IntegerToText(int64_t value);

// The first `precision` significant decimal digits of |value| (1 <= precision <= 30), rounded half
// away from zero as VBScript rounds printed numbers (1E+14 + 0.5 prints as "100000000000001"),
// and the power of ten of the first digit. Zero gives all zeros with exponent 0.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};
DecimalDigits SignificantDigits(double value, int precision);

// ---- Text to number ----

// Parses text the way VBScript converts a String to a number (CDbl, arithmetic, comparisons with
// numbers, IsNumeric), en-US: surrounding blanks, a leading or trailing sign, "$", "(5)" for
// negative, digits with thousands separators ("1,000"), a decimal point and an exponent
// ("1.5e3", ".5", "5."), "&H1F" hexadecimal and "&O17" octal. nullopt when the text is not a
// number (or does not fit a Double).
std::optional<double> ParseNumber(std::u16string_view text);
// The same, telling why it failed: Type mismatch (13) for text that is not a number, Overflow (6)
// for a number too large for a Double or a hex/octal value beyond 32 bits.
Outcome<double> ParseNumberChecked(std::u16string_view text);

// ---- Rounding and conversions with range checks ----

// Rounds half to even to an integer (CInt/CLng/CByte and Round without digits): 2.5 -> 2.
double RoundHalfEven(double value);
// Round(value, digits): half to even at the given decimal place; digits < 0 fails with 5.
Outcome<double> RoundToDigits(double value, int digits);
// Fix: truncates toward zero. Int: rounds toward minus infinity.
double Fix(double value);
double Int(double value);

// Banker's-rounded conversions; Overflow (6) when the result is out of range or not finite.
Outcome<uint8_t> ToByte(double value);
Outcome<int16_t> ToInteger(double value);
Outcome<int32_t> ToLong(double value);
// CSng: Overflow when the magnitude exceeds the Single range.
Outcome<float> ToSingle(double value);

// ---- Currency ----

// CCur: rounds half to even at the fourth decimal; Overflow when out of range.
Outcome<int64_t> ToCurrency(double value);
double CurrencyToDouble(int64_t scaled);
// Currency arithmetic that stays in Currency; Overflow when the exact result does not fit.
Outcome<int64_t> CurrencyAdd(int64_t a, int64_t b);
Outcome<int64_t> CurrencySubtract(int64_t a, int64_t b);
Outcome<int64_t> CurrencyMultiply(int64_t a, int64_t b);

// ---- Hex and Oct ----

// Hex/Oct text of an integral value. Integers (and Bytes) print as 16-bit two's complement
// (sixteenBit = true: Hex(-1) = "FFFF"), Longs as 32-bit (Hex(-32768&) = "FFFF8000").
// The caller rounds non-integral arguments with ToLong first (Hex(228.5) = "E4").
std::u16string HexText(int32_t value, bool sixteenBit);
std::u16string OctText(int32_t value, bool sixteenBit);

}  // namespace vbs::rt
