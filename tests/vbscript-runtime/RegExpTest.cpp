#include <gtest/gtest.h>

#include <string>

#include "lib/regexp/regexp.h"

namespace vbs::rt {
namespace {

RegExp Make(const char16_t* pattern, bool global = false, bool ignoreCase = false,
            bool multiline = false) {
    RegExp re;
    re.SetPattern(pattern);
    re.SetGlobal(global);
    re.SetIgnoreCase(ignoreCase);
    re.SetMultiline(multiline);
    return re;
}

bool Matches(const char16_t* pattern, std::u16string_view text, bool ignoreCase = false,
             bool multiline = false) {
    RegExp re = Make(pattern, false, ignoreCase, multiline);
    auto r = re.Test(text);
    EXPECT_TRUE(r.Ok()) << "error " << r.error;
    return r.value;
}

std::u16string Replace(const char16_t* pattern, std::u16string_view text,
                       std::u16string_view replacement, bool global = true) {
    RegExp re = Make(pattern, global);
    auto r = re.Replace(text, replacement);
    EXPECT_TRUE(r.Ok()) << "error " << r.error;
    return r.value;
}

TEST(RegExpObject, Defaults) {
    RegExp re;
    EXPECT_EQ(re.Pattern(), u"");
    EXPECT_FALSE(re.IgnoreCase());
    EXPECT_FALSE(re.Global());
    EXPECT_FALSE(re.Multiline());
}

TEST(RegExpExecute, FirstAndGlobalMatches) {
    RegExp re = Make(u"a+");
    EXPECT_TRUE(re.Test(u" aabaaa").value);
    auto m = re.Execute(u" aabaaa").value;
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].value, u"aa");
    EXPECT_EQ(m[0].firstIndex, 1);
    EXPECT_EQ(m[0].length, 2);
    EXPECT_TRUE(m[0].subMatches.empty());
    re.SetGlobal(true);
    m = re.Execute(u" aabaaa").value;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].value, u"aaa");
    EXPECT_EQ(m[1].firstIndex, 4);
    EXPECT_EQ(m[1].length, 3);

    re = Make(u"a+b", true);
    m = re.Execute(u"aaabcabc").value;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].value, u"aaab");
    EXPECT_EQ(m[1].firstIndex, 5);

    re = Make(u"\\\\", true);
    m = re.Execute(u"aaa\\\\cabc").value;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].value, u"\\");
    EXPECT_EQ(m[0].firstIndex, 3);
    EXPECT_EQ(m[1].firstIndex, 4);
}

TEST(RegExpExecute, SubMatchesDistinguishUnmatchedGroups) {
    RegExp re = Make(u"(a|b)+|(c)");
    auto m = re.Execute(u"aa").value;
    ASSERT_EQ(m.size(), 1u);
    ASSERT_EQ(m[0].subMatches.size(), 2u);
    EXPECT_EQ(m[0].subMatches[0], u"a");
    EXPECT_FALSE(m[0].subMatches[1].has_value());
    EXPECT_TRUE(re.Test(u"  a ").value);

    re = Make(u"\\[([^\\[]+)\\]", true);
    m = re.Execute(u" [test]  ").value;
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].value, u"[test]");
    EXPECT_EQ(m[0].firstIndex, 1);
    EXPECT_EQ(m[0].subMatches[0], u"test");

    re = Make(u"(a)(b)cabc", true);
    m = re.Execute(u"abcabc").value;
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].subMatches[1], u"b");

    re = Make(u"(a)|b", true);
    m = re.Execute(u"ab").value;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].subMatches[0], u"a");
    EXPECT_FALSE(m[1].subMatches[0].has_value());

    re = Make(u"(x*)y");
    m = re.Execute(u"y").value;
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].subMatches[0], u"");  // took part, matched nothing
}

TEST(RegExpExecute, EmptyMatchesAdvance) {
    RegExp re;
    EXPECT_EQ(re.Execute(u"test").value.size(), 1u);
    re.SetGlobal(true);
    auto m = re.Execute(u"test").value;
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[4].firstIndex, 4);
    EXPECT_EQ(m[4].value, u"");
    EXPECT_TRUE(re.Test(u"test").value);
    // Unpaired surrogates in the text are skipped over, not an error.
    re.SetPattern(u"b");
    const std::u16string text{u'a', 0xD800, u'b', 0xDC00, u'b'};
    auto lone = re.Execute(text);
    ASSERT_TRUE(lone.Ok());
    ASSERT_EQ(lone.value.size(), 2u);
    EXPECT_EQ(lone.value[0].firstIndex, 2);
    EXPECT_EQ(lone.value[1].firstIndex, 4);
    // An empty match never splits a surrogate pair.
    re.SetPattern(u"");
    EXPECT_EQ(re.Execute(u"\xd83d\xde00").value.size(), 2u);
}

TEST(RegExpExecute, CatastrophicPatternFinishes) {
    RegExp re = Make(u"^[^<]*(<(.|\\s)+>)[^>]*$|^#(\\w+)$");
    EXPECT_TRUE(re.Execute(std::u16string(113, u'x')).value.empty());
    // Exponential backtracking is cut off with an error rather than hanging.
    re = Make(u"^(a+)+$");
    auto r = re.Test(std::u16string(40, u'a') + u"b");
    EXPECT_EQ(r.error, kErrOutOfStack);
}

TEST(RegExpFlags, IgnoreCaseAndMultiline) {
    RegExp re = Make(u"Ab", true, true);
    auto m = re.Execute(u"abcaBc").value;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].value, u"ab");
    EXPECT_EQ(m[1].value, u"aB");
    EXPECT_TRUE(Matches(u"[a-z]", u"K", true));
    EXPECT_TRUE(Matches(u"\u00e9", u"\u00c9", true));
    EXPECT_FALSE(Matches(u"\u00e9", u"\u00c9", false));
    // Changing a flag recompiles.
    re.SetIgnoreCase(false);
    EXPECT_EQ(re.Execute(u"abcaBc").value.size(), 0u);

    EXPECT_FALSE(Matches(u"^\\w+$", u"abc\n"));  // $ is the very end only
    EXPECT_FALSE(Matches(u"a$", u"a\n"));
    EXPECT_TRUE(Matches(u"^\\w+$", u"x y\nabc", false, true));
    EXPECT_TRUE(Matches(u"^b", u"a\rb", false, true));
    EXPECT_TRUE(Matches(u"a$", u"a\rb", false, true));
    EXPECT_FALSE(Matches(u"^b", u"a\nb"));
}

TEST(RegExpSyntax, JScriptDialect) {
    EXPECT_FALSE(Matches(u"a.c", u"a\rc"));
    EXPECT_FALSE(Matches(u"a.c", u"a\nc"));
    EXPECT_FALSE(Matches(u"a.c", u"a\u2028c"));
    EXPECT_TRUE(Matches(u"a.c", u"a\u00e9c"));
    EXPECT_TRUE(Matches(u"\\u0041\\x41", u"AA"));
    EXPECT_TRUE(Matches(u"\\u00e9\\xe9", u"\u00e9\u00e9"));
    EXPECT_TRUE(Matches(u"\\d\\s\\w", u"1\u00a0a"));
    EXPECT_TRUE(Matches(u"[\\s]", u"\u3000"));
    EXPECT_FALSE(Matches(u"\\S", u" \u00a0"));
    EXPECT_FALSE(Matches(u"\\w", u"\u00e9"));  // \w and \d stay ASCII
    EXPECT_FALSE(Matches(u"\\d", u"\u0661"));
    EXPECT_TRUE(Matches(u"(a)\\1", u"aa"));
    EXPECT_TRUE(Matches(u"(a)|\\1b", u"b"));  // an unset group matches empty
    EXPECT_TRUE(Matches(u"[\\]]", u"]"));
    EXPECT_TRUE(Matches(u"a{2,}", u"aa"));
    EXPECT_TRUE(Matches(u"(?:a)(?=b)", u"ab"));
    EXPECT_TRUE(Matches(u"(?!a)b", u"b"));
    EXPECT_TRUE(Matches(u"\\bfoo\\b", u"a foo b"));
    EXPECT_TRUE(Matches(u"\\B", u"ab"));
    EXPECT_TRUE(Matches(u"a{", u"a{"));
    EXPECT_TRUE(Matches(u"a{1", u"a{1"));
    EXPECT_TRUE(Matches(u"]", u"]"));
    EXPECT_TRUE(Matches(u"}", u"}"));
    EXPECT_TRUE(Matches(u"\\q", u"q"));  // unknown escapes stand for the letter
    EXPECT_TRUE(Matches(u"\\h\\R\\K", u"hRK"));
    EXPECT_TRUE(Matches(u"[\\d-z]", u"-"));
    EXPECT_TRUE(Matches(u"\\0", std::u16string(1, u'\0')));
    EXPECT_TRUE(Matches(u"[^]", u"a"));
    EXPECT_FALSE(Matches(u"[]", u"a"));
    EXPECT_TRUE(Matches(u"\\$", u"$"));
    EXPECT_TRUE(Matches(u"\\cJ", u"\n"));
    EXPECT_TRUE(Matches(u"[\\b]", u"\b"));
    EXPECT_TRUE(Matches(u"\\v", u"\v"));
    EXPECT_TRUE(Matches(u"[[:alpha:]]", u":]"));  // no POSIX classes: "]" is a literal here
    EXPECT_FALSE(Matches(u"[[:alpha:]]", u"b"));
    EXPECT_TRUE(Matches(u"[a-\\d]", u"-"));
    EXPECT_TRUE(Matches(u"a b#c", u"a b#c"));
    EXPECT_TRUE(Matches(u"x*?y", u"xxy"));
    EXPECT_TRUE(Matches(u"\\(\\)", u"()"));
}

TEST(RegExpSyntax, CompileErrors) {
    auto error = [](const char16_t* pattern) {
        RegExp re = Make(pattern);
        return re.Test(u"a").error;
    };
    EXPECT_EQ(error(u"("), kErrRegexExpectedParen);
    EXPECT_EQ(error(u"(a"), kErrRegexExpectedParen);
    EXPECT_EQ(error(u")"), kErrRegexSyntax);
    EXPECT_EQ(error(u"[a"), kErrRegexExpectedBracket);
    EXPECT_EQ(error(u"*a"), kErrRegexBadQuantifier);
    EXPECT_EQ(error(u"a**"), kErrRegexBadQuantifier);
    EXPECT_EQ(error(u"a++"), kErrRegexBadQuantifier);
    EXPECT_EQ(error(u"|*"), kErrRegexBadQuantifier);
    EXPECT_EQ(error(u"[z-a]"), kErrRegexBadRange);
    EXPECT_NE(error(u"a{2,1}"), 0);
    EXPECT_EQ(error(u"\\"), kErrRegexSyntax);
    EXPECT_EQ(error(u"(?<=a)b"), kErrRegexSyntax);
    EXPECT_EQ(error(u"(?i)a"), kErrRegexSyntax);
    EXPECT_EQ(error(u"x(?#c)"), kErrRegexSyntax);
    EXPECT_EQ(error(u"(?"), kErrRegexSyntax);
    // The error stays until the pattern changes, and every operation reports it.
    RegExp re = Make(u"(");
    EXPECT_EQ(re.Execute(u"a").error, kErrRegexExpectedParen);
    EXPECT_EQ(re.Replace(u"a", u"b").error, kErrRegexExpectedParen);
    re.SetPattern(u"a");
    EXPECT_TRUE(re.Test(u"a").value);
}

TEST(RegExpReplace, DollarSubstitutions) {
    EXPECT_EQ(Replace(u"xxx", u"xxxx", u"y"), u"yx");
    EXPECT_EQ(Replace(u"\\[([^\\[]+)\\]", u"- [test] -", u"success"), u"- success -");
    EXPECT_EQ(Replace(u"\\[([^\\[]+)\\]", u"[test] [test]", u"aa"), u"aa aa");
    EXPECT_EQ(Replace(u"\\[([^\\[]+)\\]", u"[test] [test]", u"aa", false), u"aa [test]");
    EXPECT_EQ(Replace(u"(\\&(\\d))", u"abc &1 123", u"$'"), u"abc  123 123");
    EXPECT_EQ(Replace(u"(\\&(\\d))", u"abc &1 123", u"$`"), u"abc abc  123");
    EXPECT_EQ(Replace(u"(\\&(\\d))", u"abc &1 123", u"$3"), u"abc $3 123");
    EXPECT_EQ(Replace(u"(\\$(\\d))", u"$1,$2", u"$$1-$1$2"), u"$1-$11,$1-$22");
    EXPECT_EQ(Replace(u"b", u"abc", u"x$&z"), u"axbzc");
    EXPECT_EQ(Replace(u"b", u"abc", u"$`|$'|$&"), u"aa|c|bc");
    EXPECT_EQ(Replace(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", u"abcdefghij", u"$10-$11-$1"), u"j-a1-a");
    EXPECT_EQ(Replace(u"(a)", u"a", u"$0|$01|$2|$|$x"), u"$0|a|$2|$|$x");
    EXPECT_EQ(Replace(u"(a)(b)?", u"a", u"[$2]"), u"[]");
    EXPECT_EQ(Replace(u"(a)|b", u"ab", u"[$1]"), u"[a][]");
    EXPECT_EQ(Replace(u"(a)", u"aaa", u"$1$1"), u"aaaaaa");
}

TEST(RegExpReplace, EmptyMatches) {
    EXPECT_EQ(Replace(u"", u"xxx", u"y", false), u"yxxx");
    EXPECT_EQ(Replace(u"", u"xxx", u"y"), u"yxyxyxy");
    EXPECT_EQ(Replace(u"x*", u"abc", u"-"), u"-a-b-c-");
    EXPECT_EQ(Replace(u"a|", u"bab", u"-"), u"-b--b-");
    EXPECT_EQ(Replace(u"", u"", u"x"), u"x");
    EXPECT_EQ(Replace(u"$", u"ab", u"x"), u"abx");
    EXPECT_EQ(Replace(u"^", u"ab", u"x"), u"xab");
    RegExp re = Make(u"^", true, false, true);
    EXPECT_EQ(re.Replace(u"a\nb", u"x").value, u"xa\nxb");
    re = Make(u"$", true, false, true);
    EXPECT_EQ(re.Replace(u"a\nb", u"x").value, u"ax\nbx");
    // CR and LF each end a line.
    re = Make(u"^", true, false, true);
    EXPECT_EQ(re.Replace(u"a\r\nb\u2028c", u"x").value, u"xa\rx\nxb\u2028xc");
    re = Make(u"$", true, false, true);
    EXPECT_EQ(re.Replace(u"a\r\nb", u"x").value, u"ax\rx\nbx");
    re = Make(u"^a|b$", true, false, false);
    EXPECT_EQ(re.Replace(u"ab\nab", u"x").value, u"xb\nax");
}

}  // namespace
}  // namespace vbs::rt
