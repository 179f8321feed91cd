// The RegExp object's matching engine: JScript-flavoured regular expressions over UTF-16 text
// with Pattern, IgnoreCase, Global and Multiline, and the Test, Execute and Replace operations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/outcome.h"

namespace vbs::rt {

// One match of Execute. SubMatches holds one entry per capturing group; a group that took no
// part in the match is nullopt (VBScript gives Empty), one that matched nothing is "".
struct RegExpMatch {
    int32_t firstIndex = 0;  // 0-based position in the searched text
    int32_t length = 0;
    std::u16string value;
    std::vector<std::optional<std::u16string>> subMatches;
};

class RegExp {
  public:
    RegExp();
    ~RegExp();
    RegExp(const RegExp&) = delete;
    RegExp& operator=(const RegExp&) = delete;
    RegExp(RegExp&&) noexcept;
    RegExp& operator=(RegExp&&) noexcept;

    const std::u16string& Pattern() const { return pattern_; }
    bool IgnoreCase() const { return ignoreCase_; }
    bool Global() const { return global_; }
    bool Multiline() const { return multiline_; }
    // Setting a property never fails; a bad pattern is reported by the next operation.
    void SetPattern(std::u16string pattern);
    void SetIgnoreCase(bool value);
    void SetGlobal(bool value);
    void SetMultiline(bool value);

    // Test: whether the pattern matches anywhere in text.
    Outcome<bool> Test(std::u16string_view text);
    // Execute: the first match, or every non-overlapping match when Global (an empty match
    // advances by one character).
    Outcome<std::vector<RegExpMatch>> Execute(std::u16string_view text);
    // Replace: replaces the first (or, with Global, every) match. In replacement, $1..$99 insert
    // a group ("" when it did not take part; a reference to a group that does not exist stays
    // literal), $& the match, $` the text before it, $' the text after it, $$ a dollar sign.
    Outcome<std::u16string> Replace(std::u16string_view text, std::u16string_view replacement);

    // Compile errors are numbered as VBScript numbers them (5017 "Syntax error in regular
    // expression", 5019 "Expected ']' in regular expression", ...). A match that backtracks
    // beyond a fixed budget (a pattern like "^(a+)+$" on a long text) stops with Out of stack
    // space (28) instead of hanging the game.
  private:
    struct Compiled;
    int Compile();  // returns 0 or an error number; caches until a property changes

    std::u16string pattern_;
    bool ignoreCase_ = false;
    bool global_ = false;
    bool multiline_ = false;
    std::unique_ptr<Compiled> compiled_;
    int compileError_ = 0;
};

}  // namespace vbs::rt
