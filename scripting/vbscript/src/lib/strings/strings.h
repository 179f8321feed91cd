// String helpers for UTF-16 text as VBScript handles it: case mapping, binary and text-mode
// comparison, searching, replacing, splitting, Escape/Unescape and UTF-8 conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vbs::rt {

// Compare modes (vbBinaryCompare, vbTextCompare).
inline constexpr int kBinaryCompare = 0;
inline constexpr int kTextCompare = 1;

// Simple (one code unit to one code unit) case mapping over the Basic Multilingual Plane, as
// LCase/UCase do; surrogates and characters without a simple mapping stay unchanged.
char16_t ToUpperCharBeyondAscii(char16_t c);
char16_t ToLowerCharBeyondAscii(char16_t c);
inline char16_t ToUpperChar(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    return ToUpperCharBeyondAscii(c);
}
inline char16_t ToLowerChar(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    return ToLowerCharBeyondAscii(c);
}
std::u16string UCase(std::u16string_view text);
std::u16string LCase(std::u16string_view text);
// LCase into out, reusing its storage (names looked up while compiling).
void LCaseInto(std::u16string_view text, std::u16string& out);

// -1, 0 or 1. Binary compares code units; text mode compares the lower-case mapping of each
// code unit (so "_" sorts before "a" and "[" after "Z"). A shorter string that is a prefix sorts
// first.
int CompareBinary(std::u16string_view a, std::u16string_view b);
int CompareText(std::u16string_view a, std::u16string_view b);
// StrComp-style comparison with a compare mode (any nonzero mode is text mode).
int Compare(std::u16string_view a, std::u16string_view b, int mode);
// Equality under a compare mode (faster than Compare for Select Case and Dictionary keys).
bool EqualStrings(std::u16string_view a, std::u16string_view b, int mode);

// InStr: the 0-based position of the first occurrence of needle at or after start, or npos.
// An empty needle is found at start when start is inside the haystack (so never in "").
size_t Find(std::u16string_view haystack, std::u16string_view needle, size_t start, int mode);
// InStrRev: the 0-based position of the last occurrence that ends at or before endExclusive
// (the whole string when endExclusive is npos), or npos. An empty needle gives the position
// before endExclusive (clipped to the string length), so that InStrRev's 1-based answer is its
// start argument; npos for an empty range.
size_t FindReverse(std::u16string_view haystack, std::u16string_view needle, size_t endExclusive,
                   int mode);
// Replace(expression, find, replacewith, start, count, compare) with 0-based start: as VBScript,
// the result starts at start (the text before it is dropped); count -1 replaces all. An empty
// find returns the text from start unchanged.
std::u16string ReplaceText(std::u16string_view text, std::u16string_view find,
                           std::u16string_view replacement, size_t start = 0, int64_t count = -1,
                           int mode = kBinaryCompare);
// Split(expression, delimiter, count, compare): count -1 for all pieces; the last piece keeps
// the rest of the text. An empty text gives no pieces; an empty delimiter gives the whole text.
std::vector<std::u16string> SplitText(std::u16string_view text, std::u16string_view delimiter,
                                      int64_t count = -1, int mode = kBinaryCompare);

// Escape: letters, digits and @*_+-./ stay; other characters below 256 become %XX and the
// rest %uXXXX (upper-case hex). Unescape reverses it and leaves malformed sequences as they are.
std::u16string Escape(std::u16string_view text);
std::u16string Unescape(std::u16string_view text);

// Trims that remove only the space character (U+0020), as LTrim/RTrim/Trim do.
std::u16string_view TrimLeft(std::u16string_view text);
std::u16string_view TrimRight(std::u16string_view text);
std::u16string_view Trim(std::u16string_view text);

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes decode to U+FFFD; unpaired surrogates encode as U+FFFD.
std::u16string FromUtf8(std::string_view text);
std::string ToUtf8(std::u16string_view text);
// Windows-1252 bytes (how script files without a byte-order mark are read) to UTF-16.
std::u16string FromWindows1252(std::string_view bytes);

}  // namespace vbs::rt
