#define PCRE2_CODE_UNIT_WIDTH 16
#include "lib/regexp/regexp.h"

#include <pcre2.h>

#include <string>

namespace vbs::rt {

namespace {

// Runaway backtracking ends the match with an error instead of hanging the game.
constexpr uint32_t kMatchLimit = 20000000;
constexpr uint32_t kDepthLimit = 10000;

// What \s matches: ECMAScript white space and line terminators.
constexpr char16_t kSpaceBody[] =
    u"\\t\\n\\x{0B}\\f\\r \\x{A0}\\x{1680}\\x{2000}-\\x{200A}\\x{2028}\\x{2029}\\x{202F}"
    u"\\x{205F}\\x{3000}\\x{FEFF}";

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsOctal(char16_t c) {
    return c >= u'0' && c <= u'7';
}
bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::u16string CodePoint(uint32_t v) {
    std::string hex;
    static constexpr char kHex[] = "0123456789ABCDEF";
    do {
        hex.insert(hex.begin(), kHex[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    std::u16string out = u"\\x{";
    out.append(hex.begin(), hex.end());
    out += u'}';
    return out;
}

int CountGroups(std::u16string_view p) {
    int groups = 0;
    bool inClass = false;
    for (size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        if (c == u'\\') {
            ++i;
        } else if (inClass) {
            if (c == u']') inClass = false;
        } else if (c == u'[') {
            // "[]" and "[^]" are complete classes; otherwise skip to the closing bracket.
            size_t j = i + 1;
            if (j < p.size() && p[j] == u'^') ++j;
            if (j < p.size() && p[j] == u']') {
                i = j;
                continue;
            }
            inClass = true;
            i = j - 1;
        } else if (c == u'(' && !(i + 1 < p.size() && p[i + 1] == u'?')) {
            ++groups;
        }
    }
    return groups;
}

// Reads "{n}", "{n,}" or "{n,m}" at p[i]; returns its length or 0 when it is not a quantifier.
size_t BraceQuantifier(std::u16string_view p, size_t i) {
    size_t j = i + 1;
    size_t digits = 0;
    while (j < p.size() && IsDigit(p[j])) ++j, ++digits;
    if (digits == 0) return 0;
    if (j < p.size() && p[j] == u',') {
        ++j;
        while (j < p.size() && IsDigit(p[j])) ++j;
    }
    if (j < p.size() && p[j] == u'}') return j - i + 1;
    return 0;
}

// Translates an escape (p[i] is the character after the backslash) that means the same inside
// and outside a character class; advances i over any extra characters it consumes.
void TranslateCommonEscape(std::u16string_view p, size_t& i, std::u16string& out) {
    char16_t c = p[i];
    switch (c) {
        case u'f':
        case u'n':
        case u'r':
        case u't':
        case u'd':
        case u'D':
        case u'w':
        case u'W':
            out += u'\\';
            out += c;
            return;
        case u'v':
            out += CodePoint(0x0B);
            return;
        case u'c':
            if (i + 1 < p.size() && IsAsciiLetter(p[i + 1])) {
                out += CodePoint(p[i + 1] % 32);
                ++i;
            } else {
                out += u"\\\\c";  // a lone \c stands for itself
            }
            return;
        case u'x':
            if (i + 2 < p.size() && IsHex(p[i + 1]) && IsHex(p[i + 2])) {
                out += CodePoint(static_cast<uint32_t>(std::stoul(
                    std::string{static_cast<char>(p[i + 1]), static_cast<char>(p[i + 2])}, nullptr,
                    16)));
                i += 2;
            } else {
                out += u'x';
            }
            return;
        case u'u':
            if (i + 4 < p.size() && IsHex(p[i + 1]) && IsHex(p[i + 2]) && IsHex(p[i + 3]) &&
                IsHex(p[i + 4])) {
                std::string h;
                for (size_t k = 1; k <= 4; ++k) h += static_cast<char>(p[i + k]);
                out += CodePoint(static_cast<uint32_t>(std::stoul(h, nullptr, 16)));
                i += 4;
            } else {
                out += u'u';
            }
            return;
        default:
            break;
    }
    if (IsOctal(c)) {
        // Octal escape (\0, \012): up to three digits, value below 256.
        uint32_t v = 0;
        size_t k = 0;
        while (k < 3 && i + k < p.size() && IsOctal(p[i + k]) && v * 8 + (p[i + k] - u'0') < 256) {
            v = v * 8 + (p[i + k] - u'0');
            ++k;
        }
        out += CodePoint(v);
        i += k - 1;
        return;
    }
    if (IsAsciiLetter(c) || IsDigit(c)) {
        out += c;  // unknown letter escapes match the letter itself
        return;
    }
    out += u'\\';
    out += c;
}

// Translates a JScript-dialect pattern to PCRE2 syntax; returns 0 or a VBScript error number.
int Translate(std::u16string_view p, bool multiline, std::u16string& out) {
    const int groups = CountGroups(p);
    bool inClass = false;
    bool afterClassEscape = false;
    // Quantifier state: 0 nothing to repeat, 1 repeatable atom, 2 after a quantifier,
    // 3 after a lazy '?'.
    int quant = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        if (inClass) {
            // A '-' next to a class escape ([\d-z]) is a literal dash.
            const bool classEscapeNext =
                i + 2 < p.size() && p[i + 1] == u'\\' &&
                std::u16string_view(u"dDwWsS").find(p[i + 2]) != std::u16string_view::npos;
            if (c == u'-' && (afterClassEscape || classEscapeNext)) {
                out += u"\\-";
                afterClassEscape = false;
                continue;
            }
            afterClassEscape = false;
            if (c == u'\\') {
                if (++i >= p.size()) return kErrRegexSyntax;
                char16_t e = p[i];
                afterClassEscape =
                    std::u16string_view(u"dDwWsS").find(e) != std::u16string_view::npos;
                if (e == u's') {
                    out += kSpaceBody;
                } else if (e == u'S') {
                    out += u"\\S";
                } else if (e == u'b') {
                    out += CodePoint(8);
                } else if (e == u'B') {
                    out += u'B';
                } else if (IsDigit(e) && !IsOctal(e)) {
                    out += e;
                } else {
                    TranslateCommonEscape(p, i, out);
                }
            } else if (c == u']') {
                out += c;
                inClass = false;
                quant = 1;
            } else if (c == u'[') {
                out += u"\\[";
            } else {
                out += c;
            }
            continue;
        }
        switch (c) {
            case u'\\': {
                if (++i >= p.size()) return kErrRegexSyntax;
                char16_t e = p[i];
                quant = 1;
                if (e == u'b' || e == u'B') {
                    out += u'\\';
                    out += e;
                    quant = 0;
                } else if (e == u's') {
                    out += u"[";
                    out += kSpaceBody;
                    out += u"]";
                } else if (e == u'S') {
                    out += u"[^";
                    out += kSpaceBody;
                    out += u"]";
                } else if (e >= u'1' && e <= u'9') {
                    // A back reference when such a group exists, else an octal escape or digits.
                    size_t j = i;
                    int n = 0;
                    while (j < p.size() && IsDigit(p[j]) && n * 10 + (p[j] - u'0') <= groups)
                        n = n * 10 + (p[j++] - u'0');
                    if (n >= 1) {
                        out += u"\\g{";
                        std::string num = std::to_string(n);
                        out.append(num.begin(), num.end());
                        out += u'}';
                        i = j - 1;
                    } else {
                        TranslateCommonEscape(p, i, out);
                    }
                } else {
                    TranslateCommonEscape(p, i, out);
                }
                break;
            }
            case u'[':
                out += c;
                inClass = true;
                if (i + 1 < p.size() && p[i + 1] == u'^') out += p[++i];
                if (i + 1 < p.size() && p[i + 1] == u']') {
                    // "[]" matches nothing and "[^]" anything.
                    out += p[++i];
                    inClass = false;
                    quant = 1;
                }
                break;
            case u'(':
                if (i + 1 < p.size() && p[i + 1] == u'?') {
                    if (i + 2 >= p.size() ||
                        (p[i + 2] != u':' && p[i + 2] != u'=' && p[i + 2] != u'!'))
                        return kErrRegexSyntax;
                    out += u"(?";
                    out += p[i + 2];
                    i += 2;
                } else {
                    out += c;
                }
                quant = 0;
                break;
            case u')':
                out += c;
                quant = 1;
                break;
            case u'*':
            case u'+':
            case u'?':
                if (c == u'?' && quant == 2) {
                    out += c;
                    quant = 3;
                    break;
                }
                if (quant != 1) return kErrRegexBadQuantifier;
                out += c;
                quant = 2;
                break;
            case u'{': {
                size_t len = BraceQuantifier(p, i);
                if (len == 0) {
                    out += u"\\{";
                    quant = 1;
                    break;
                }
                if (quant != 1) return kErrRegexBadQuantifier;
                out.append(p.substr(i, len));
                i += len - 1;
                quant = 2;
                break;
            }
            case u'}':
                out += u"\\}";
                quant = 1;
                break;
            case u'.':
                out += u"[^\\n\\r\\x{2028}\\x{2029}]";
                quant = 1;
                break;
            case u'^':
            case u'$':
                // Across lines, CR, LF, U+2028 and U+2029 each end a line (so a CR LF pair has
                // an empty line between them, as in JScript).
                if (multiline) {
                    out += c == u'^' ? u"(?<![^\\n\\r\\x{2028}\\x{2029}])"
                                     : u"(?![^\\n\\r\\x{2028}\\x{2029}])";
                } else {
                    out += c;
                }
                quant = 0;
                break;
            case u'|':
                out += c;
                quant = 0;
                break;
            case u'#':
            case u' ':
                out += u'\\';
                out += c;
                quant = 1;
                break;
            default:
                out += c;
                quant = 1;
                break;
        }
    }
    if (inClass) return kErrRegexExpectedBracket;
    return 0;
}

int MapCompileError(int pcreError) {
    switch (pcreError) {
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            return kErrRegexExpectedBracket;
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
            return kErrRegexExpectedParen;
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
            return kErrRegexBadRange;
        case PCRE2_ERROR_QUANTIFIER_INVALID:
            return kErrRegexBadQuantifier;
        default:
            return kErrRegexSyntax;
    }
}

}  // namespace

struct RegExp::Compiled {
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;

    ~Compiled() {
        pcre2_match_data_free(data);
        pcre2_code_free(code);
        pcre2_match_context_free(context);
    }

    // Finds the next match at or after start: 1 found, 0 none, or minus an error number.
    int Match(std::u16string_view text, size_t start) {
        int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0,
                             data, context);
        if (rc == PCRE2_ERROR_NOMATCH) return 0;
        if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
            rc == PCRE2_ERROR_HEAPLIMIT)
            return -kErrOutOfStack;
        if (rc < 0) return -kErrRegexSyntax;
        return 1;
    }
    const PCRE2_SIZE* Ovector() const { return pcre2_get_ovector_pointer(data); }
    int Groups() const {
        uint32_t n = 0;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &n);
        return static_cast<int>(n);
    }
};

RegExp::RegExp() = default;
RegExp::~RegExp() = default;
RegExp::RegExp(RegExp&&) noexcept = default;
RegExp& RegExp::operator=(RegExp&&) noexcept = default;

void RegExp::SetPattern(std::u16string pattern) {
    pattern_ = std::move(pattern);
    compiled_.reset();
    compileError_ = 0;
}
void RegExp::SetIgnoreCase(bool value) {
    if (value != ignoreCase_) compiled_.reset(), compileError_ = 0;
    ignoreCase_ = value;
}
void RegExp::SetGlobal(bool value) {
    global_ = value;
}
void RegExp::SetMultiline(bool value) {
    if (value != multiline_) compiled_.reset(), compileError_ = 0;
    multiline_ = value;
}

int RegExp::Compile() {
    if (compiled_) return 0;
    if (compileError_ != 0) return compileError_;
    std::u16string translated;
    int err = Translate(pattern_, multiline_, translated);
    if (err != 0) return compileError_ = err;
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALLOW_EMPTY_CLASS |
                       PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
    if (ignoreCase_) options |= PCRE2_CASELESS;
    pcre2_compile_context* cctx = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cctx, PCRE2_NEWLINE_ANYCRLF);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()),
                                     translated.size(), options, &errorCode, &errorOffset, cctx);
    pcre2_compile_context_free(cctx);
    if (code == nullptr) return compileError_ = MapCompileError(errorCode);
    auto c = std::make_unique<Compiled>();
    c->code = code;
    c->data = pcre2_match_data_create_from_pattern(code, nullptr);
    c->context = pcre2_match_context_create(nullptr);
    if (c->data == nullptr || c->context == nullptr) return kErrOutOfMemory;
    pcre2_set_match_limit(c->context, kMatchLimit);
    pcre2_set_depth_limit(c->context, kDepthLimit);
    compiled_ = std::move(c);
    return 0;
}

namespace {

// The next search position after a match; an empty match moves on by one character (not into
// the middle of a surrogate pair).
size_t NextStart(std::u16string_view text, size_t start, size_t end) {
    if (end > start) return end;
    size_t next = end + 1;
    if (next < text.size() && text[next] >= 0xDC00 && text[next] <= 0xDFFF && text[end] >= 0xD800 &&
        text[end] <= 0xDBFF)
        ++next;
    return next;
}

}  // namespace

Outcome<bool> RegExp::Test(std::u16string_view text) {
    if (int err = Compile()) return Outcome<bool>::Fail(err);
    int rc = compiled_->Match(text, 0);
    if (rc < 0) return Outcome<bool>::Fail(-rc);
    return rc == 1;
}

Outcome<std::vector<RegExpMatch>> RegExp::Execute(std::u16string_view text) {
    using Result = Outcome<std::vector<RegExpMatch>>;
    if (int err = Compile()) return Result::Fail(err);
    std::vector<RegExpMatch> matches;
    const int groups = compiled_->Groups();
    size_t pos = 0;
    while (pos <= text.size()) {
        int rc = compiled_->Match(text, pos);
        if (rc < 0) return Result::Fail(-rc);
        if (rc == 0) break;
        const PCRE2_SIZE* ov = compiled_->Ovector();
        RegExpMatch m;
        m.firstIndex = static_cast<int32_t>(ov[0]);
        m.length = static_cast<int32_t>(ov[1] - ov[0]);
        m.value.assign(text.substr(ov[0], ov[1] - ov[0]));
        for (int g = 1; g <= groups; ++g) {
            PCRE2_SIZE s = ov[2 * g], e = ov[2 * g + 1];
            if (s == PCRE2_UNSET) {
                m.subMatches.emplace_back(std::nullopt);
            } else {
                m.subMatches.emplace_back(std::u16string(text.substr(s, e - s)));
            }
        }
        matches.push_back(std::move(m));
        if (!global_) break;
        pos = NextStart(text, ov[0], ov[1]);
    }
    return matches;
}

Outcome<std::u16string> RegExp::Replace(std::u16string_view text, std::u16string_view replacement) {
    using Result = Outcome<std::u16string>;
    if (int err = Compile()) return Result::Fail(err);
    const int groups = compiled_->Groups();
    std::u16string out;
    size_t copied = 0;  // text before this has been written
    size_t pos = 0;
    while (pos <= text.size()) {
        int rc = compiled_->Match(text, pos);
        if (rc < 0) return Result::Fail(-rc);
        if (rc == 0) break;
        const PCRE2_SIZE* ov = compiled_->Ovector();
        const size_t start = ov[0], end = ov[1];
        out.append(text.substr(copied, start - copied));
        auto group = [&](int g) {
            PCRE2_SIZE s = ov[2 * g], e = ov[2 * g + 1];
            if (s != PCRE2_UNSET) out.append(text.substr(s, e - s));
        };
        for (size_t i = 0; i < replacement.size(); ++i) {
            char16_t c = replacement[i];
            if (c != u'$' || i + 1 >= replacement.size()) {
                out += c;
                continue;
            }
            char16_t n = replacement[i + 1];
            if (n == u'$') {
                out += u'$';
                ++i;
            } else if (n == u'&') {
                out.append(text.substr(start, end - start));
                ++i;
            } else if (n == u'`') {
                out.append(text.substr(0, start));
                ++i;
            } else if (n == u'\'') {
                out.append(text.substr(end));
                ++i;
            } else if (IsDigit(n)) {
                // Two digits when that group exists ($10), else one ($1 then "0"); $0 and
                // references to missing groups stay as written.
                int one = n - u'0';
                int two = (i + 2 < replacement.size() && IsDigit(replacement[i + 2]))
                              ? one * 10 + (replacement[i + 2] - u'0')
                              : -1;
                if (two >= 1 && two <= groups) {
                    group(two);
                    i += 2;
                } else if (one >= 1 && one <= groups) {
                    group(one);
                    ++i;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
        }
        copied = end;
        if (!global_) break;
        pos = NextStart(text, start, end);
    }
    if (copied < text.size()) out.append(text.substr(copied));
    return out;
}

}  // namespace vbs::rt
