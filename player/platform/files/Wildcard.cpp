#include <vector>

#include "platform/files/FileSystem.h"

namespace storyloom {

// One element of a pattern. Every kind but Star matches exactly one character.
struct WildcardToken {
    enum Kind { Literal, Any, Digit, Star, Class } kind = Literal;
    char16_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;  // for Class
};

namespace {

using Token = WildcardToken;

// "[...]" starting at pattern[i] == '['. Returns false when it is not a valid list (no closing
// bracket), in which case the bracket is taken literally. Sets `empty` for "[]", which Basic
// reads as a zero-length string, i.e. it matches nothing and consumes nothing.
bool ParseClass(const QString& pattern, qsizetype& i, Token& token, bool& empty) {
    qsizetype j = i + 1;
    const qsizetype n = pattern.size();
    token = Token{};
    token.kind = Token::Class;
    if (j < n && pattern[j] == QLatin1Char('!')) {
        token.negated = true;
        ++j;
    }
    const qsizetype start = j;
    while (j < n && pattern[j] != QLatin1Char(']')) ++j;
    if (j >= n) return false;
    empty = (j == start) && !token.negated;
    for (qsizetype k = start; k < j; ++k) {
        char16_t lo = pattern[k].unicode();
        char16_t hi = lo;
        if (k + 2 < j && pattern[k + 1] == QLatin1Char('-')) {
            hi = pattern[k + 2].unicode();
            k += 2;
            if (hi < lo) std::swap(lo, hi);
        }
        token.ranges.emplace_back(lo, hi);
    }
    i = j;
    return true;
}

std::vector<Token> Tokenize(const QString& pattern) {
    std::vector<Token> out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        Token t;
        if (c == QLatin1Char('*')) {
            if (!out.empty() && out.back().kind == Token::Star) continue;
            t.kind = Token::Star;
        } else if (c == QLatin1Char('?')) {
            t.kind = Token::Any;
        } else if (c == QLatin1Char('#')) {
            t.kind = Token::Digit;
        } else if (c == QLatin1Char('[')) {
            bool empty = false;
            qsizetype j = i;
            if (ParseClass(pattern, j, t, empty)) {
                i = j;
                if (empty) continue;
            } else {
                t = Token{};
                t.ch = c.unicode();
            }
        } else {
            t.ch = c.unicode();
        }
        out.push_back(std::move(t));
    }
    return out;
}

bool InRanges(const Token& t, char16_t c) {
    for (const auto& [lo, hi] : t.ranges) {
        if (c >= lo && c <= hi) return true;
    }
    return false;
}

bool MatchOne(const Token& t, QChar c, bool caseSensitive) {
    switch (t.kind) {
        case Token::Any:
            return true;
        case Token::Digit:
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        case Token::Literal:
            if (c.unicode() == t.ch) return true;
            return !caseSensitive && c.toCaseFolded() == QChar(t.ch).toCaseFolded();
        case Token::Class: {
            bool in = InRanges(t, c.unicode());
            if (!in && !caseSensitive) {
                in = InRanges(t, c.toLower().unicode()) || InRanges(t, c.toUpper().unicode());
            }
            return in != t.negated;
        }
        case Token::Star:
            break;
    }
    return false;
}

}  // namespace

WildcardPattern::WildcardPattern(const QString& pattern, bool caseSensitive)
    : tokens_(Tokenize(pattern)), caseSensitive_(caseSensitive) {}

WildcardPattern::~WildcardPattern() = default;

bool WildcardPattern::Matches(const QString& name) const {
    const std::vector<Token>& tokens = tokens_;
    // Greedy match with backtracking to the last star only: every other token takes exactly
    // one character, so this is complete and runs in O(name x pattern) at worst.
    size_t t = 0;
    qsizetype s = 0;
    size_t starToken = tokens.size();
    qsizetype starName = 0;
    const qsizetype n = name.size();
    while (s < n) {
        if (t < tokens.size() && tokens[t].kind == Token::Star) {
            starToken = t++;
            starName = s;
        } else if (t < tokens.size() && MatchOne(tokens[t], name[s], caseSensitive_)) {
            ++t;
            ++s;
        } else if (starToken < tokens.size()) {
            t = starToken + 1;
            s = ++starName;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && tokens[t].kind == Token::Star) ++t;
    return t == tokens.size();
}

bool WildcardMatch(const QString& name, const QString& pattern, bool caseSensitive) {
    return WildcardPattern(pattern, caseSensitive).Matches(name);
}

}  // namespace storyloom
