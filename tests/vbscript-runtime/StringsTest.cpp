#include <gtest/gtest.h>

#include "lib/strings/strings.h"

namespace vbs::rt {
namespace {

TEST(CaseMapping, AsciiAndBeyond) {
    EXPECT_EQ(UCase(u"123aBC?"), u"123ABC?");
    EXPECT_EQ(LCase(u"123aBC?"), u"123abc?");
    EXPECT_EQ(UCase(u""), u"");
    EXPECT_EQ(UCase(u"\u00e9t\u00e9 \u00ff"), u"\u00c9T\u00c9 \u0178");
    EXPECT_EQ(LCase(u"\u00c9T\u00c9 \u0178"), u"\u00e9t\u00e9 \u00ff");
    EXPECT_EQ(UCase(u"\u0101\u0103\u017e"), u"\u0100\u0102\u017d");  // Latin Extended-A pairs
    EXPECT_EQ(UCase(u"\u03b1\u03c9\u03c2"), u"\u0391\u03a9\u03a3");  // Greek incl. final sigma
    EXPECT_EQ(LCase(u"\u0414\u0401"), u"\u0434\u0451");              // Cyrillic
    EXPECT_EQ(UCase(u"\uff41"), u"\uff21");                          // full-width
    // Characters without a one-to-one mapping stay as they are.
    EXPECT_EQ(UCase(u"\u00df\u00b5\u0131"), u"\u00df\u00b5\u0131");
    EXPECT_EQ(UCase(u"\u00f7\u00d7"), u"\u00f7\u00d7");
    EXPECT_EQ(UCase(u"\xd83d\xde00"), u"\xd83d\xde00");  // surrogates untouched
}

TEST(Comparison, BinaryAndText) {
    EXPECT_EQ(Compare(u"ABC", u"abc", kBinaryCompare), -1);
    EXPECT_EQ(Compare(u"abc", u"ABC", kBinaryCompare), 1);
    EXPECT_EQ(Compare(u"ABC", u"ABC", kBinaryCompare), 0);
    EXPECT_EQ(Compare(u"ABCD", u"ABC", kBinaryCompare), 1);
    EXPECT_EQ(Compare(u"ABC", u"ABCD", kBinaryCompare), -1);
    EXPECT_EQ(Compare(u"ABC", u"abc", kTextCompare), 0);
    EXPECT_EQ(Compare(u"ABCD", u"abc", kTextCompare), 1);
    EXPECT_EQ(Compare(u"abc", u"ABCD", kTextCompare), -1);
    EXPECT_EQ(Compare(u"", u"ABC", kTextCompare), -1);
    EXPECT_EQ(Compare(u"a", u"B", kTextCompare), -1);  // binary would put "B" first
    EXPECT_EQ(Compare(u"a", u"_", kTextCompare), 1);   // ordered by the lower-case forms
    EXPECT_EQ(Compare(u"Z", u"[", kTextCompare), 1);
    EXPECT_EQ(Compare(u"Z", u"[", kBinaryCompare), -1);
    EXPECT_EQ(Compare(u"\u00e9", u"f", kTextCompare), 1);
    EXPECT_EQ(Compare(u"ab", u"a-b", kTextCompare), 1);
    EXPECT_EQ(Compare(u"\u00e9", u"\u00c9", kTextCompare), 0);
    EXPECT_TRUE(EqualStrings(u"Key", u"kEY", kTextCompare));
    EXPECT_FALSE(EqualStrings(u"Key", u"kEY", kBinaryCompare));
    EXPECT_FALSE(EqualStrings(u"Key", u"Keys", kTextCompare));
}

TEST(Searching, FindForwardAndBackward) {
    constexpr size_t npos = std::u16string_view::npos;
    EXPECT_EQ(Find(u"abcd", u"bc", 0, kBinaryCompare), 1u);
    EXPECT_EQ(Find(u"abcbc", u"bc", 2, kBinaryCompare), 3u);
    EXPECT_EQ(Find(u"abcd", u"BC", 0, kBinaryCompare), npos);
    EXPECT_EQ(Find(u"abcd", u"BC", 0, kTextCompare), 1u);
    EXPECT_EQ(Find(u"abc", u"", 2, kBinaryCompare), 2u);
    EXPECT_EQ(Find(u"abc", u"", 3, kBinaryCompare), npos);
    EXPECT_EQ(Find(u"abcdef", u"", 3, kBinaryCompare), 3u);
    EXPECT_EQ(Find(u"", u"", 0, kBinaryCompare), npos);
    EXPECT_EQ(Find(u"abc", u"", 4, kBinaryCompare), npos);
    EXPECT_EQ(Find(u"ab", u"abc", 0, kTextCompare), npos);
    // Long texts (searched eight characters at a time) agree with a plain search everywhere:
    // candidates in every lane, matches across block ends, at the very end, and none.
    std::u16string hay;
    for (int i = 0; i < 300; ++i) hay += char16_t(u'a' + (i * 7 + i / 13) % 5);
    for (std::u16string_view needle : {u"a", u"ab", u"eab", u"cdea", u"aaaa", u"x", u"ea"}) {
        for (size_t start = 0; start <= hay.size(); start += 3) {
            std::u16string_view h = hay;
            EXPECT_EQ(Find(h, needle, start, kBinaryCompare), h.find(needle, start))
                << ToUtf8(needle) << " from " << start;
        }
    }
    EXPECT_EQ(Find(hay + u"xyz", u"xyz", 0, kBinaryCompare), hay.size());
    EXPECT_EQ(FindReverse(u"abcbc", u"bc", npos, kBinaryCompare), 3u);
    EXPECT_EQ(FindReverse(u"abcbc", u"bc", 4, kBinaryCompare), 1u);
    EXPECT_EQ(FindReverse(u"abcbc", u"BC", npos, kTextCompare), 3u);
    EXPECT_EQ(FindReverse(u"abcbc", u"x", npos, kBinaryCompare), npos);
    EXPECT_EQ(FindReverse(u"abc", u"", npos, kBinaryCompare), 2u);
    EXPECT_EQ(FindReverse(u"abcd", u"", 3, kTextCompare), 2u);
    EXPECT_EQ(FindReverse(u"", u"", npos, kBinaryCompare), npos);
    EXPECT_EQ(FindReverse(std::u16string(u"abc\0ABC", 7), std::u16string(1, u'\0') + u"a", 6,
                          kTextCompare),
              3u);
    EXPECT_EQ(FindReverse(u"abc", u"abc", 2, kBinaryCompare), npos);
    EXPECT_EQ(FindReverse(u"abc", u"abc", 3, kBinaryCompare), 0u);
}

TEST(Replacing, StartCountAndMode) {
    EXPECT_EQ(ReplaceText(u"xx", u"x", u"y"), u"yy");
    EXPECT_EQ(ReplaceText(u"xxx", u"x", u"y", 0, 1), u"yxx");
    EXPECT_EQ(ReplaceText(u"xxx", u"x", u"y", 1, 1), u"yx");  // text before start is dropped
    EXPECT_EQ(ReplaceText(u"xXx", u"X", u"y", 0, -1, kTextCompare), u"yyy");
    EXPECT_EQ(ReplaceText(u"xXx", u"X", u"y"), u"xyx");
    EXPECT_EQ(ReplaceText(u"abc", u"", u"y"), u"abc");
    EXPECT_EQ(ReplaceText(u"abc", u"b", u""), u"ac");
    EXPECT_EQ(ReplaceText(u"abc", u"b", u"y", 3), u"");
    EXPECT_EQ(ReplaceText(u"aaaa", u"aa", u"b"), u"bb");
    EXPECT_EQ(ReplaceText(u"abab", u"ab", u"abab"), u"abababab");  // no re-scan of inserted text
}

TEST(Splitting, DelimiterCountMode) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(SplitText(u"a,b,c", u","), (V{u"a", u"b", u"c"}));
    EXPECT_EQ(SplitText(u"a,b,c", u",", 2), (V{u"a", u"b,c"}));
    EXPECT_EQ(SplitText(u"a,b,c", u",", 1), (V{u"a,b,c"}));
    EXPECT_EQ(SplitText(u"a,b,", u","), (V{u"a", u"b", u""}));
    EXPECT_EQ(SplitText(u"", u","), V{});
    EXPECT_EQ(SplitText(u"abc", u""), (V{u"abc"}));
    EXPECT_EQ(SplitText(u"aXbxc", u"x", -1, kTextCompare), (V{u"a", u"b", u"c"}));
    EXPECT_EQ(SplitText(u"aXbxc", u"x"), (V{u"aXb", u"c"}));
    EXPECT_EQ(SplitText(u"a  b", u" "), (V{u"a", u"", u"b"}));
}

TEST(Escaping, RoundTrip) {
    EXPECT_EQ(Escape(u"abc XYZ 09@*_+-./"), u"abc%20XYZ%2009@*_+-./");
    EXPECT_EQ(Escape(u"a&b=c\u00e9\u20ac"), u"a%26b%3Dc%E9%u20AC");
    EXPECT_EQ(Unescape(u"abc%20XYZ%u20AC%e9"), u"abc XYZ\u20ac\u00e9");
    EXPECT_EQ(Unescape(u"100%"), u"100%");
    EXPECT_EQ(Unescape(u"%zz%4"), u"%zz%4");
    EXPECT_EQ(Unescape(u"%u12G4"), u"%u12G4");
    EXPECT_EQ(Unescape(u"%u00411"), u"A1");
    std::u16string all;
    for (char16_t c = 1; c < 0x300; ++c) all += c;
    EXPECT_EQ(Unescape(Escape(all)), all);
}

TEST(Trimming, SpacesOnly) {
    EXPECT_EQ(Trim(u"  a b  "), u"a b");
    EXPECT_EQ(TrimLeft(u"  a "), u"a ");
    EXPECT_EQ(TrimRight(u" a  "), u" a");
    EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(Trim(u"   "), u"");
}

TEST(Encoding, Utf8AndWindows1252) {
    EXPECT_EQ(FromUtf8("h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), u"h\u00e9\u20ac\xd83d\xde00");
    EXPECT_EQ(ToUtf8(u"h\u00e9\u20ac\xd83d\xde00"), "h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(FromUtf8("a\xff"
                       "b"),
              u"a\ufffdb");
    EXPECT_EQ(FromUtf8("a\xc3"), u"a\ufffd");
    EXPECT_EQ(FromUtf8("a\xe2\x82z"), u"a\ufffdz");
    EXPECT_EQ(FromUtf8("\xc0\xaf"), u"\ufffd");  // overlong
    EXPECT_EQ(ToUtf8(u"\xd800x"), "\xef\xbf\xbdx");
    EXPECT_EQ(FromWindows1252("\x80\x93\xe9\x81"), u"\u20ac\u201c\u00e9\u0081");
}

}  // namespace
}  // namespace vbs::rt
