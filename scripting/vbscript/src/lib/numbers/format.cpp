#include "lib/numbers/format.h"

#include "lib/numbers/numbers.h"

#include <cmath>
#include <string>

namespace vbs::rt {

namespace {

// The decimal digits of |value| as VBScript sees the number (15 significant digits), rounded
// half away from zero at `decimals` places. Rounding the decimal text rather than the binary
// value is what makes 1.005 format as "1.01".
struct Decimal {
    std::string intPart;   // no leading zeros; "" for zero
    std::string fracPart;  // exactly `decimals` digits
};

Decimal ToDecimal(double value, int decimals) {
    Decimal out;
    std::string digits;
    int exponent = 0;
    if (value != 0 && std::isfinite(value)) {
        DecimalDigits sig = SignificantDigits(value, 15);
        digits = sig.digits;
        exponent = sig.exponent;
    }
    // Place the digits: digits[0] has weight 10^exponent.
    std::string intPart, fracPart;
    if (!digits.empty()) {
        if (exponent >= 0) {
            size_t intLen = static_cast<size_t>(exponent) + 1;
            if (digits.size() <= intLen) {
                intPart = digits + std::string(intLen - digits.size(), '0');
            } else {
                intPart = digits.substr(0, intLen);
                fracPart = digits.substr(intLen);
            }
        } else {
            fracPart = std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        }
    }
    bool roundUp = fracPart.size() > static_cast<size_t>(decimals) &&
                   fracPart[static_cast<size_t>(decimals)] >= '5';
    fracPart.resize(static_cast<size_t>(decimals), '0');
    if (roundUp) {
        std::string all = intPart + fracPart;
        int i = static_cast<int>(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[static_cast<size_t>(i)] == '9') {
                all[static_cast<size_t>(i)] = '0';
            } else {
                ++all[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) all.insert(all.begin(), '1');
        intPart = all.substr(0, all.size() - static_cast<size_t>(decimals));
        fracPart = all.substr(all.size() - static_cast<size_t>(decimals));
    }
    size_t nz = intPart.find_first_not_of('0');
    out.intPart = nz == std::string::npos ? "" : intPart.substr(nz);
    out.fracPart = fracPart;
    return out;
}

bool Resolve(int tristate, bool localeDefault) {
    if (tristate == kTristateUseDefault) return localeDefault;
    return tristate == kTristateTrue;
}

bool ValidLayout(const NumberLayout& layout) {
    return layout.digitsAfterDecimal >= -1 && layout.digitsAfterDecimal <= 255;
}

enum class Kind { Number, Currency, Percent };

Outcome<std::u16string> Format(double value, const NumberLayout& layout, Kind kind) {
    if (!ValidLayout(layout)) return Outcome<std::u16string>::Fail(kErrInvalidCall);
    if (kind == Kind::Percent) value *= 100;
    const int decimals = layout.digitsAfterDecimal < 0 ? 2 : layout.digitsAfterDecimal;
    const bool leading = Resolve(layout.includeLeadingDigit, true);
    // en-US shows negative amounts of money in parentheses, other negative numbers with "-".
    const bool parens = Resolve(layout.useParensForNegative, kind == Kind::Currency);
    const bool group = Resolve(layout.groupDigits, true);

    Decimal d = ToDecimal(value, decimals);
    const bool isZero = d.intPart.empty() && d.fracPart.find_first_not_of('0') == std::string::npos;
    const bool negative = value < 0 && !isZero;

    std::string body;
    if (d.intPart.empty()) {
        if (leading || decimals == 0) body = "0";
    } else if (group) {
        for (size_t i = 0; i < d.intPart.size(); ++i) {
            if (i != 0 && (d.intPart.size() - i) % 3 == 0) body += ',';
            body += d.intPart[i];
        }
    } else {
        body = d.intPart;
    }
    if (decimals > 0) body += "." + d.fracPart;
    if (kind == Kind::Currency) body = "$" + body;

    std::string out;
    if (negative && parens) {
        out = "(" + body + ")";
    } else {
        out = negative ? "-" + body : body;
    }
    if (kind == Kind::Percent) out += '%';
    return std::u16string(out.begin(), out.end());
}

}  // namespace

Outcome<std::u16string> FormatNumber(double value, const NumberLayout& layout) {
    return Format(value, layout, Kind::Number);
}

Outcome<std::u16string> FormatCurrency(double value, const NumberLayout& layout) {
    return Format(value, layout, Kind::Currency);
}

Outcome<std::u16string> FormatPercent(double value, const NumberLayout& layout) {
    return Format(value, layout, Kind::Percent);
}

}  // namespace vbs::rt
