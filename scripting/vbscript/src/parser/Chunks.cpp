// Splitting program text into independently compiled pieces.
#include <cctype>

#include "parser/Parser.h"

namespace vbs {

namespace {

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t';
}

// Whether the line starting at p opens a top-level definition (Sub, Function, Class, with an
// optional Public/Private in front), or closes a class.
bool StartsWord(std::u16string_view s, size_t& p, std::u16string_view word) {
    if (s.size() - p < word.size() + 1) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char16_t c = s[p + i];
        if (c >= 'A' && c <= 'Z') c = char16_t(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    if (!IsBlank(s[p + word.size()])) return false;
    p += word.size();
    while (p < s.size() && IsBlank(s[p])) ++p;
    return true;
}

}  // namespace

std::vector<Chunk> SplitChunks(std::u16string_view text, int firstLine, int minLines,
                               int* nextLine) {
    std::vector<Chunk> out;
    size_t chunkStart = 0;
    int chunkLine = firstLine;
    int line = firstLine;
    int linesInChunk = 0;
    bool inClass = false;
    bool continued = false;  // the previous line ended with " _"
    size_t p = 0;
    while (p < text.size()) {
        size_t lineStart = p;
        size_t q = p;
        while (q < text.size() && IsBlank(text[q])) ++q;
        // Only a line starting with one of these letters can open a definition.
        const char16_t first = q < text.size() ? char16_t(text[q] | 0x20) : u' ';
        const bool mayOpen = first == 'p' || first == 's' || first == 'f' || first == 'c';
        if (!continued && !inClass && mayOpen) {
            size_t w = q;
            StartsWord(text, w, u"public") || StartsWord(text, w, u"private");
            size_t w2 = w;
            bool opens = StartsWord(text, w2, u"sub") || StartsWord(text, w2, u"function");
            bool isClass = false;
            if (!opens) {
                w2 = w;
                isClass = StartsWord(text, w2, u"class");
            }
            if ((opens || isClass) && linesInChunk >= minLines) {
                out.push_back({chunkStart, lineStart - chunkStart, chunkLine});
                chunkStart = lineStart;
                chunkLine = line;
                linesInChunk = 0;
            }
            if (isClass) inClass = true;
        } else if (inClass && !continued && first == 'e') {
            size_t w = q;
            if (StartsWord(text, w, u"end") && StartsWord(text, w, u"class")) inClass = false;
            w = q;
            // "End Class" at the end of the text or followed by a comment.
            if (text.size() - q >= 9) {
                std::u16string low;
                for (size_t i = q; i < q + 9; ++i) {
                    char16_t c = text[i];
                    if (c >= 'A' && c <= 'Z') c = char16_t(c - 'A' + 'a');
                    low += c;
                }
                if (low == u"end class") inClass = false;
            }
        }
        // Advance to the next line.
        while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
        size_t end = p;
        while (end > lineStart && IsBlank(text[end - 1])) --end;
        continued = end > lineStart && text[end - 1] == '_';
        if (p < text.size()) {
            if (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
            ++p;
        }
        ++line;
        ++linesInChunk;
    }
    out.push_back({chunkStart, text.size() - chunkStart, chunkLine});
    // A last line without a line break goes on in the text that follows.
    if (nextLine)
        *nextLine = !text.empty() && text.back() != '\r' && text.back() != '\n' ? line - 1 : line;
    return out;
}

}  // namespace vbs
