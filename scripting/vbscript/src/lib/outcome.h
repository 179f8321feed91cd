// Shared result type of the runtime helpers: a value, or the VBScript run-time error number that
// the calling built-in must raise instead.
#pragma once

#include <utility>

namespace vbs::rt {

// Run-time error numbers the helpers report.
inline constexpr int kErrInvalidCall = 5;              // "Invalid procedure call or argument"
inline constexpr int kErrOverflow = 6;                 // "Overflow"
inline constexpr int kErrOutOfMemory = 7;              // "Out of memory"
inline constexpr int kErrTypeMismatch = 13;            // "Type mismatch"
inline constexpr int kErrOutOfStack = 28;              // "Out of stack space"
inline constexpr int kErrRegexSyntax = 5017;           // "Syntax error in regular expression"
inline constexpr int kErrRegexBadQuantifier = 5018;    // "Unexpected quantifier"
inline constexpr int kErrRegexExpectedBracket = 5019;  // "Expected ']' in regular expression"
inline constexpr int kErrRegexExpectedParen = 5020;    // "Expected ')' in regular expression"
inline constexpr int kErrRegexBadRange = 5021;         // "Invalid range in character set"

// A value or an error number (error != 0 means failure; value is then default-constructed).
template <typename T>
struct Outcome {
    T value{};
    int error = 0;

    Outcome() = default;
    Outcome(T v) : value(std::move(v)) {}  // NOLINT(google-explicit-constructor)
    static Outcome Fail(int number) {
        Outcome o;
        o.error = number;
        return o;
    }
    bool Ok() const { return error == 0; }
};

}  // namespace vbs::rt
