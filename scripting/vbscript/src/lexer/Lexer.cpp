// The hand-written lexer: keywords, literals, comments and ` _` line continuations.
#include "lexer/Lexer.h"

#include <cmath>
#include <unordered_map>

#include "lib/dates/dates.h"
#include "lib/strings/strings.h"
#include "values/Ops.h"

namespace vbs {

namespace {

const std::unordered_map<std::u16string_view, Kw>& KeywordTable() {
    static const std::unordered_map<std::u16string_view, Kw> table = {
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
        {u"erase", Kw::Erase},
        {u"randomize", Kw::Randomize},
    };
    return table;
}

bool IsIdentStart(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c > 127;
}
bool IsIdentChar(char16_t c) {
    return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '_';
}
bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == 0x3000 || c == 0xA0;
}

}  // namespace

Kw KeywordOf(std::u16string_view lower) {
    auto& t = KeywordTable();
    auto it = t.find(lower);
    return it == t.end() ? Kw::None : it->second;
}

std::vector<Token> Tokenize(std::u16string_view s, int firstLine) {
    std::vector<Token> out;
    out.reserve(s.size() / 4 + 8);
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
            std::u16string lower = Lower(word);
            bool afterDot = !out.empty() && out.back().kind == Tok::Dot;
            if (lower == u"rem" && !afterDot) {
                while (i < n && s[i] != '\r' && s[i] != '\n') ++i;
                continue;
            }
            Kw kw = KeywordOf(lower);
            Token& t = push(kw == Kw::None ? Tok::Ident : Tok::Keyword, start);
            t.kw = kw;
            t.text = std::u16string(word);
            if (word.size() > 255) fail(1030);
            continue;
        }
        if (c == '[') {
            size_t j = i + 1;
            while (j < n && s[j] != ']' && s[j] != '\r' && s[j] != '\n') ++j;
            if (j >= n || s[j] != ']') fail(1010);
            Token& t = push(Tok::Ident, start);
            t.text = std::u16string(s.substr(i + 1, j - i - 1));
            i = j + 1;
            continue;
        }
        if (c == '"') {
            std::u16string text;
            ++i;
            for (;;) {
                if (i >= n || s[i] == '\r' || s[i] == '\n') fail(1033);
                if (s[i] == '"') {
                    if (i + 1 < n && s[i + 1] == '"') {
                        text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            Token& t = push(Tok::String, start);
            t.text = std::move(text);
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
            std::string num(s.begin() + long(i), s.begin() + long(j));
            Token& t = push(Tok::Number, start);
            double d = std::strtod(num.c_str(), nullptr);
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
    return out;
}

}  // namespace vbs
