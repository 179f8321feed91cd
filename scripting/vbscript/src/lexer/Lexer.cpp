// The hand-written lexer: keywords, literals, comments and ` _` line continuations.
#include "lexer/Lexer.h"

#include <array>
#include <cmath>
#include <iterator>

#include "lib/dates/dates.h"
#include "lib/strings/strings.h"
#include "values/Ops.h"

namespace vbs {

namespace {

struct Keyword {
    std::u16string_view word;  // lower case
    Kw kw;
};

// Alphabetical, so that the words of one first letter stand together.
constexpr Keyword kKeywords[] = {
    {u"and", Kw::And},
    {u"byref", Kw::ByRef},
    {u"byval", Kw::ByVal},
    {u"call", Kw::Call},
    {u"case", Kw::Case},
    {u"class", Kw::Class},
    {u"const", Kw::Const},
    {u"default", Kw::Default},
    {u"dim", Kw::Dim},
    {u"do", Kw::Do},
    {u"each", Kw::Each},
    {u"else", Kw::Else},
    {u"elseif", Kw::ElseIf},
    {u"empty", Kw::Empty},
    {u"end", Kw::End},
    {u"eqv", Kw::Eqv},
    {u"erase", Kw::Erase},
    {u"error", Kw::Error},
    {u"exit", Kw::Exit},
    {u"explicit", Kw::Explicit},
    {u"false", Kw::False},
    {u"for", Kw::For},
    {u"function", Kw::Function},
    {u"get", Kw::Get},
    {u"goto", Kw::GoTo},
    {u"if", Kw::If},
    {u"imp", Kw::Imp},
    {u"in", Kw::In},
    {u"is", Kw::Is},
    {u"let", Kw::Let},
    {u"loop", Kw::Loop},
    {u"me", Kw::Me},
    {u"mod", Kw::Mod},
    {u"new", Kw::New},
    {u"next", Kw::Next},
    {u"not", Kw::Not},
    {u"nothing", Kw::Nothing},
    {u"null", Kw::Null},
    {u"on", Kw::On},
    {u"option", Kw::Option},
    {u"or", Kw::Or},
    {u"preserve", Kw::Preserve},
    {u"private", Kw::Private},
    {u"property", Kw::Property},
    {u"public", Kw::Public},
    {u"randomize", Kw::Randomize},
    {u"redim", Kw::ReDim},
    {u"resume", Kw::Resume},
    {u"select", Kw::Select},
    {u"set", Kw::Set},
    {u"step", Kw::Step},
    {u"stop", Kw::Stop},
    {u"sub", Kw::Sub},
    {u"then", Kw::Then},
    {u"to", Kw::To},
    {u"true", Kw::True},
    {u"until", Kw::Until},
    {u"wend", Kw::Wend},
    {u"while", Kw::While},
    {u"with", Kw::With},
    {u"xor", Kw::Xor},
};
constexpr size_t kLongestKeyword = 9;

constexpr bool KeywordsInOrder() {
    for (size_t i = 0; i < std::size(kKeywords); ++i)
        if (kKeywords[i].word.size() > kLongestKeyword ||
            (i > 0 && !(kKeywords[i - 1].word < kKeywords[i].word)))
            return false;
    return true;
}
static_assert(KeywordsInOrder(), "keywords sorted, none longer than kLongestKeyword");

// For each first letter, the range of kKeywords starting with it.
struct LetterRanges {
    uint8_t begin[26] = {}, end[26] = {};
    constexpr LetterRanges() {
        for (size_t i = std::size(kKeywords); i-- > 0;) {
            const int letter = kKeywords[i].word[0] - u'a';
            if (end[letter] == 0) end[letter] = uint8_t(i + 1);
            begin[letter] = uint8_t(i);
        }
    }
};
constexpr LetterRanges kLetterRanges;

// What an ASCII character can be in the text, looked up once per character.
enum CharClass : uint8_t { kOtherChar, kBlankChar, kLetter, kDigitOrUnderscore };
constexpr std::array<uint8_t, 128> kCharClass = [] {
    std::array<uint8_t, 128> t{};
    t[' '] = t['\t'] = kBlankChar;
    for (int c = 'a'; c <= 'z'; ++c) t[size_t(c)] = t[size_t(c - 'a' + 'A')] = kLetter;
    for (int c = '0'; c <= '9'; ++c) t[size_t(c)] = kDigitOrUnderscore;
    t['_'] = kDigitOrUnderscore;
    return t;
}();

// Beyond ASCII every character may start or continue a name.
inline bool IsIdentStart(char16_t c) {
    return c >= 128 || kCharClass[c] == kLetter;
}
inline bool IsIdentChar(char16_t c) {
    return c >= 128 || kCharClass[c] >= kLetter;
}
inline bool IsBlank(char16_t c) {
    return c < 128 ? kCharClass[c] == kBlankChar : (c == 0x3000 || c == 0xA0);
}

}  // namespace

Kw KeywordOf(std::u16string_view lower) {
    if (lower.size() < 2 || lower.size() > kLongestKeyword || lower[0] < u'a' || lower[0] > u'z')
        return Kw::None;
    const int letter = lower[0] - u'a';
    for (size_t i = kLetterRanges.begin[letter]; i < kLetterRanges.end[letter]; ++i)
        if (kKeywords[i].word == lower) return kKeywords[i].kw;
    return Kw::None;
}

Kw KeywordIn(std::u16string_view word) {
    // Words longer than any reserved word need no lower-case copy.
    if (word.size() > kLongestKeyword) return Kw::None;
    char16_t buffer[kLongestKeyword];
    for (size_t k = 0; k < word.size(); ++k) buffer[k] = rt::ToLowerChar(word[k]);
    return KeywordOf(std::u16string_view(buffer, word.size()));
}

TokenList Tokenize(std::u16string_view s, int firstLine) {
    TokenList list;
    Tokenize(s, firstLine, list);
    return list;
}

void Tokenize(std::u16string_view s, int firstLine, TokenList& list) {
    std::vector<Token>& out = list.tokens;
    out.clear();
    list.texts.clear();
    out.reserve(s.size() / 3 + 8);
    size_t i = 0, n = s.size();
    int line = firstLine;
    size_t lineStart = 0;
    bool space = true;
    auto fail = [&](int number) { throw CompileFailure{number, line, int(i - lineStart) + 1}; };
    auto push = [&](Tok k, size_t start) -> Token& {
        Token& t = out.emplace_back();
        t.kind = k;
        t.spaceBefore = space;
        t.line = line;
        t.column = int(start - lineStart) + 1;
        space = false;
        return t;
    };
    auto newline = [&](size_t start, bool colon) {
        Token& t = push(Tok::Newline, start);
        if (colon) t.text = u":";
    };
    while (i < n) {
        char16_t c = s[i];
        if (IsBlank(c)) {
            space = true;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            newline(i, false);
            if (c == '\r' && i + 1 < n && s[i + 1] == '\n') ++i;
            ++i;
            ++line;
            lineStart = i;
            space = true;
            continue;
        }
        if (c == '\'') {
            while (i < n && s[i] != '\r' && s[i] != '\n') ++i;
            continue;
        }
        if (c == ':') {
            newline(i, true);
            ++i;
            space = true;
            continue;
        }
        if (c == '_') {
            // A line continuation: '_' followed only by blanks up to the end of the line.
            size_t j = i + 1;
            while (j < n && IsBlank(s[j])) ++j;
            if (j >= n || s[j] == '\r' || s[j] == '\n') {
                if (j < n && s[j] == '\r' && j + 1 < n && s[j + 1] == '\n') ++j;
                i = j + 1;
                ++line;
                lineStart = i;
                space = true;
                continue;
            }
            fail(1032);
        }
        size_t start = i;
        if (IsIdentStart(c)) {
            while (i < n && IsIdentChar(s[i])) ++i;
            std::u16string_view word = s.substr(start, i - start);
            const bool afterDot = !out.empty() && out.back().kind == Tok::Dot;
            if (word.size() == 3 && !afterDot && rt::EqualStrings(word, u"rem", rt::kTextCompare)) {
                while (i < n && s[i] != '\r' && s[i] != '\n') ++i;
                continue;
            }
            const Kw kw = KeywordIn(word);
            Token& t = push(kw == Kw::None ? Tok::Ident : Tok::Keyword, start);
            t.kw = kw;
            t.text = word;
            if (word.size() > 255) fail(1030);
            continue;
        }
        if (c == '[') {
            size_t j = i + 1;
            while (j < n && s[j] != ']' && s[j] != '\r' && s[j] != '\n') ++j;
            if (j >= n || s[j] != ']') fail(1010);
            Token& t = push(Tok::Ident, start);
            t.text = s.substr(i + 1, j - i - 1);
            i = j + 1;
            continue;
        }
        if (c == '"') {
            ++i;
            const size_t first = i;
            bool doubled = false;  // holds "" that stands for one quote
            for (;;) {
                if (i >= n || s[i] == '\r' || s[i] == '\n') fail(1033);
                if (s[i] == '"') {
                    if (i + 1 < n && s[i + 1] == '"') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            const std::u16string_view raw = s.substr(first, i - 1 - first);
            Token& t = push(Tok::String, start);
            if (!doubled) {
                t.text = raw;
            } else {
                std::u16string& text = list.texts.emplace_back();
                for (size_t k = 0; k < raw.size(); ++k) {
                    text += raw[k];
                    if (raw[k] == '"') ++k;
                }
                t.text = text;
            }
            continue;
        }
        if (c == '#') {
            size_t j = i + 1;
            while (j < n && s[j] != '#' && s[j] != '\r' && s[j] != '\n') ++j;
            if (j >= n || s[j] != '#') fail(1032);
            auto d = rt::ParseDateTime(s.substr(i + 1, j - i - 1));
            if (!d) fail(1032);
            Token& t = push(Tok::Date, start);
            t.value = Variant::Date(*d);
            i = j + 1;
            continue;
        }
        if (c == '&' && i + 1 < n &&
            (s[i + 1] == 'h' || s[i + 1] == 'H' || s[i + 1] == 'o' || s[i + 1] == 'O' ||
             (s[i + 1] >= '0' && s[i + 1] <= '7'))) {
            int base = (s[i + 1] == 'h' || s[i + 1] == 'H') ? 16 : 8;
            size_t j = i + ((s[i + 1] >= '0' && s[i + 1] <= '7') ? 1 : 2);
            uint64_t v = 0;
            size_t digits = 0;
            for (; j < n; ++j) {
                char16_t d = s[j];
                int dv;
                if (d >= '0' && d <= '9')
                    dv = d - '0';
                else if (base == 16 && d >= 'a' && d <= 'f')
                    dv = d - 'a' + 10;
                else if (base == 16 && d >= 'A' && d <= 'F')
                    dv = d - 'A' + 10;
                else
                    break;
                if (dv >= base) break;
                v = v * uint64_t(base) + uint64_t(dv);
                if (v > 0xFFFFFFFFull) fail(1006);
                ++digits;
            }
            if (digits == 0) {
                // Not a number after all: "&" followed by a name such as hi.
                push(Tok::Amp, start);
                ++i;
                continue;
            }
            bool forceLong = j < n && s[j] == '&';
            if (forceLong) ++j;
            Token& t = push(Tok::Number, start);
            // Up to four hex digits are a 16-bit pattern (&HFFFF = -1) unless "&" asks for 32
            // bits; the literal is an Integer whenever its value fits one.
            int32_t value =
                (!forceLong && v <= 0xFFFF) ? int32_t(int16_t(uint16_t(v))) : int32_t(uint32_t(v));
            if (value >= -32768 && value <= 32767)
                t.value = Variant::Integer(int16_t(value));
            else
                t.value = Variant::Long(value);
            i = j;
            continue;
        }
        if ((c >= '0' && c <= '9') ||
            (c == '.' && i + 1 < n && s[i + 1] >= '0' && s[i + 1] <= '9')) {
            size_t j = i;
            bool isFloat = false;
            while (j < n && s[j] >= '0' && s[j] <= '9') ++j;
            if (j < n && s[j] == '.') {
                isFloat = true;
                ++j;
                while (j < n && s[j] >= '0' && s[j] <= '9') ++j;
            }
            if (j < n && (s[j] == 'e' || s[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
                if (k < n && s[k] >= '0' && s[k] <= '9') {
                    isFloat = true;
                    j = k;
                    while (j < n && s[j] >= '0' && s[j] <= '9') ++j;
                }
            }
            Token& t = push(Tok::Number, start);
            double d;
            if (!isFloat && j - i <= 9) {  // the common case, exactly and without strtod
                int32_t whole = 0;
                for (size_t k = i; k < j; ++k) whole = whole * 10 + (s[k] - '0');
                d = whole;
            } else {
                std::string num(s.begin() + long(i), s.begin() + long(j));
                d = std::strtod(num.c_str(), nullptr);
            }
            if (!isFloat && d <= 32767)
                t.value = Variant::Integer(int16_t(d));
            else if (!isFloat && d <= 2147483647.0)
                t.value = Variant::Long(int32_t(d));
            else {
                if (std::isinf(d)) fail(1031);
                t.value = Variant::Double(d);
            }
            if (j < n && s[j] == '&' && !isFloat) ++j;  // type suffix on a decimal literal
            i = j;
            continue;
        }
        Tok k = Tok::End;
        size_t len = 1;
        switch (c) {
            case '(':
                k = Tok::LParen;
                break;
            case ')':
                k = Tok::RParen;
                break;
            case ',':
                k = Tok::Comma;
                break;
            case '.':
                k = Tok::Dot;
                break;
            case '=':
                if (i + 1 < n && s[i + 1] == '>')
                    k = Tok::Ge, len = 2;
                else if (i + 1 < n && s[i + 1] == '<')
                    k = Tok::Le, len = 2;
                else
                    k = Tok::Eq;
                break;
            case '+':
                k = Tok::Plus;
                break;
            case '-':
                k = Tok::Minus;
                break;
            case '*':
                k = Tok::Star;
                break;
            case '/':
                k = Tok::Slash;
                break;
            case '\\':
                k = Tok::Backslash;
                break;
            case '^':
                k = Tok::Caret;
                break;
            case '&':
                k = Tok::Amp;
                break;
            case '<':
                if (i + 1 < n && s[i + 1] == '>')
                    k = Tok::Ne, len = 2;
                else if (i + 1 < n && s[i + 1] == '=')
                    k = Tok::Le, len = 2;
                else
                    k = Tok::Lt;
                break;
            case '>':
                if (i + 1 < n && s[i + 1] == '<')
                    k = Tok::Ne, len = 2;
                else if (i + 1 < n && s[i + 1] == '=')
                    k = Tok::Ge, len = 2;
                else
                    k = Tok::Gt;
                break;
            default:
                fail(1032);
        }
        push(k, start);
        i += len;
    }
    push(Tok::Newline, i);
    push(Tok::End, i);
}

}  // namespace vbs
