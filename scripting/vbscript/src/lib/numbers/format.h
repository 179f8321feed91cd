// FormatNumber, FormatCurrency and FormatPercent with the English (United States) conventions.
#pragma once

#include <string>

#include "lib/outcome.h"

namespace vbs::rt {

// Tristate arguments: vbTrue = -1, vbFalse = 0, vbUseDefault = -2 (the locale's choice).
inline constexpr int kTristateTrue = -1;
inline constexpr int kTristateFalse = 0;
inline constexpr int kTristateUseDefault = -2;

// Layout options shared by the three functions; digits = -1 means the locale's default (2).
struct NumberLayout {
    int digitsAfterDecimal = -1;
    int includeLeadingDigit = kTristateUseDefault;
    int useParensForNegative = kTristateUseDefault;
    int groupDigits = kTristateUseDefault;
};

// FormatNumber(1234.5) = "1,234.50", FormatNumber(-0.5, 1, 0) = "-.5". The number's decimal text
// (15 significant digits) is rounded half away from zero at the requested decimals, so 1.005
// gives "1.01". Tristates: -1 true, -2 the default, any other value false. Invalid procedure
// call (5) for digits < -1 or > 255. A value that rounds to zero prints without a sign.
Outcome<std::u16string> FormatNumber(double value, const NumberLayout& layout = {});
// FormatCurrency(-1000) = "($1,000.00)" with the en-US defaults; with useParensForNegative = 0
// "-$1,000.00".
Outcome<std::u16string> FormatCurrency(double value, const NumberLayout& layout = {});
// FormatPercent(0.125) = "12.50%": the value times 100 with a percent sign after the number
// (with parentheses: "(12.50)%").
Outcome<std::u16string> FormatPercent(double value, const NumberLayout& layout = {});

}  // namespace vbs::rt
