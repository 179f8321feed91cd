#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lib/dates/dates.h"
#include "lib/numbers/numbers.h"
#include "lib/regexp/regexp.h"
#include "lib/strings/strings.h"

namespace vbs::rt {
namespace {

// Scripts hand these parsers arbitrary text; every input must give an answer, never a crash.
std::u16string RandomText(std::mt19937& rng, std::u16string_view alphabet, size_t maxLen) {
    std::uniform_int_distribution<size_t> len(0, maxLen);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::u16string s(len(rng), u' ');
    for (char16_t& c : s) c = alphabet[pick(rng)];
    return s;
}

TEST(Robustness, ParsersAcceptAnyText) {
    std::mt19937 rng(1234);
    const std::u16string_view numberChars = u"0123456789+-.,eEdD&hHoO$() \t\u00a0abcfx";
    const std::u16string_view dateChars = u"0123456789/-:., aApPmMJanFebSeptMonTuesday\x3000";
    for (int i = 0; i < 20000; ++i) {
        std::u16string n = RandomText(rng, numberChars, 12);
        auto checked = ParseNumberChecked(n);
        EXPECT_EQ(checked.Ok(), ParseNumber(n).has_value());
        if (checked.Ok()) {
            // Whatever parses prints and re-parses to the same value.
            auto again = ParseNumber(DoubleToText(checked.value));
            ASSERT_TRUE(again.has_value());
            EXPECT_DOUBLE_EQ(*again, checked.value);
        }
        auto d = ParseDateTime(RandomText(rng, dateChars, 16), 2026);
        if (d) {
            EXPECT_TRUE(IsValidDateSerial(*d));
        }
    }
}

TEST(Robustness, RegExpCompilesOrReportsAnyPattern) {
    std::mt19937 rng(99);
    const std::u16string_view patternChars = u"ab()[]{}*+?|^$\\.-,0123dswbBuxc:=!<#";
    const std::u16string_view textChars = u"ab\n\r01 -";
    for (int i = 0; i < 5000; ++i) {
        RegExp re;
        re.SetPattern(RandomText(rng, patternChars, 10));
        re.SetGlobal(i % 2 == 0);
        re.SetIgnoreCase(i % 3 == 0);
        re.SetMultiline(i % 5 == 0);
        std::u16string text = RandomText(rng, textChars, 20);
        auto t = re.Test(text);
        auto e = re.Execute(text);
        auto r = re.Replace(text, u"<$1$&$`$'$$>");
        EXPECT_EQ(t.error, e.error);
        EXPECT_EQ(t.error, r.error);
        if (t.Ok()) {
            EXPECT_EQ(t.value, !e.value.empty());
            for (const RegExpMatch& m : e.value) {
                ASSERT_GE(m.firstIndex, 0);
                ASSERT_LE(static_cast<size_t>(m.firstIndex + m.length), text.size());
                EXPECT_EQ(text.substr(m.firstIndex, m.length), m.value);
            }
        }
    }
}

TEST(Robustness, StringHelpersOnEdgeInput) {
    std::mt19937 rng(5);
    const std::u16string_view chars = u"%u0aF9zZ\xd800\xdc00\x00e9";
    for (int i = 0; i < 5000; ++i) {
        std::u16string s = RandomText(rng, chars, 12);
        EXPECT_EQ(Unescape(Escape(s)), s);
        Unescape(s);
        EXPECT_EQ(FromUtf8(ToUtf8(s)).size() <= s.size(), true);
        EXPECT_EQ(LCase(UCase(LCase(s))), LCase(s));
    }
}

}  // namespace
}  // namespace vbs::rt
