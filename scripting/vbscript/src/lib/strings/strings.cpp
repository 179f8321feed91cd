#include "lib/strings/strings.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vbs::rt {

namespace {

// Simple case mappings of the Basic Multilingual Plane as runs: every step-th code unit from
// first to last maps to itself plus delta. Generated from the Unicode character database (one to
// one mappings only; the cross-script mappings of U+00B5, U+0131 and U+017F are left out because
// the Windows case tables do not have them).
struct CaseRun {
    char16_t first;
    char16_t last;
    int delta;
    int step;
};

constexpr CaseRun kUpperRuns[] = {
    {0x0061, 0x007A, -32, 1},    {0x00E0, 0x00F6, -32, 1},   {0x00F8, 0x00FE, -32, 1},
    {0x00FF, 0x00FF, 121, 1},    {0x0101, 0x012F, -1, 2},    {0x0133, 0x0137, -1, 2},
    {0x013A, 0x0148, -1, 2},     {0x014B, 0x0177, -1, 2},    {0x017A, 0x017E, -1, 2},
    {0x0180, 0x0180, 195, 1},    {0x0183, 0x0185, -1, 2},    {0x0188, 0x0188, -1, 1},
    {0x018C, 0x018C, -1, 1},     {0x0192, 0x0192, -1, 1},    {0x0195, 0x0195, 97, 1},
    {0x0199, 0x0199, -1, 1},     {0x019A, 0x019A, 163, 1},   {0x019E, 0x019E, 130, 1},
    {0x01A1, 0x01A5, -1, 2},     {0x01A8, 0x01A8, -1, 1},    {0x01AD, 0x01AD, -1, 1},
    {0x01B0, 0x01B0, -1, 1},     {0x01B4, 0x01B6, -1, 2},    {0x01B9, 0x01B9, -1, 1},
    {0x01BD, 0x01BD, -1, 1},     {0x01BF, 0x01BF, 56, 1},    {0x01C5, 0x01C5, -1, 1},
    {0x01C6, 0x01C6, -2, 1},     {0x01C8, 0x01C8, -1, 1},    {0x01C9, 0x01C9, -2, 1},
    {0x01CB, 0x01CB, -1, 1},     {0x01CC, 0x01CC, -2, 1},    {0x01CE, 0x01DC, -1, 2},
    {0x01DD, 0x01DD, -79, 1},    {0x01DF, 0x01EF, -1, 2},    {0x01F2, 0x01F2, -1, 1},
    {0x01F3, 0x01F3, -2, 1},     {0x01F5, 0x01F5, -1, 1},    {0x01F9, 0x021F, -1, 2},
    {0x0223, 0x0233, -1, 2},     {0x023C, 0x023C, -1, 1},    {0x023F, 0x0240, 10815, 1},
    {0x0242, 0x0242, -1, 1},     {0x0247, 0x024F, -1, 2},    {0x0250, 0x0250, 10783, 1},
    {0x0251, 0x0251, 10780, 1},  {0x0252, 0x0252, 10782, 1}, {0x0253, 0x0253, -210, 1},
    {0x0254, 0x0254, -206, 1},   {0x0256, 0x0257, -205, 1},  {0x0259, 0x0259, -202, 1},
    {0x025B, 0x025B, -203, 1},   {0x025C, 0x025C, 42319, 1}, {0x0260, 0x0260, -205, 1},
    {0x0261, 0x0261, 42315, 1},  {0x0263, 0x0263, -207, 1},  {0x0265, 0x0265, 42280, 1},
    {0x0266, 0x0266, 42308, 1},  {0x0268, 0x0268, -209, 1},  {0x0269, 0x0269, -211, 1},
    {0x026A, 0x026A, 42308, 1},  {0x026B, 0x026B, 10743, 1}, {0x026C, 0x026C, 42305, 1},
    {0x026F, 0x026F, -211, 1},   {0x0271, 0x0271, 10749, 1}, {0x0272, 0x0272, -213, 1},
    {0x0275, 0x0275, -214, 1},   {0x027D, 0x027D, 10727, 1}, {0x0280, 0x0280, -218, 1},
    {0x0282, 0x0282, 42307, 1},  {0x0283, 0x0283, -218, 1},  {0x0287, 0x0287, 42282, 1},
    {0x0288, 0x0288, -218, 1},   {0x0289, 0x0289, -69, 1},   {0x028A, 0x028B, -217, 1},
    {0x028C, 0x028C, -71, 1},    {0x0292, 0x0292, -219, 1},  {0x029D, 0x029D, 42261, 1},
    {0x029E, 0x029E, 42258, 1},  {0x0345, 0x0345, 84, 1},    {0x0371, 0x0373, -1, 2},
    {0x0377, 0x0377, -1, 1},     {0x037B, 0x037D, 130, 1},   {0x03AC, 0x03AC, -38, 1},
    {0x03AD, 0x03AF, -37, 1},    {0x03B1, 0x03C1, -32, 1},   {0x03C2, 0x03C2, -31, 1},
    {0x03C3, 0x03CB, -32, 1},    {0x03CC, 0x03CC, -64, 1},   {0x03CD, 0x03CE, -63, 1},
    {0x03D0, 0x03D0, -62, 1},    {0x03D1, 0x03D1, -57, 1},   {0x03D5, 0x03D5, -47, 1},
    {0x03D6, 0x03D6, -54, 1},    {0x03D7, 0x03D7, -8, 1},    {0x03D9, 0x03EF, -1, 2},
    {0x03F0, 0x03F0, -86, 1},    {0x03F1, 0x03F1, -80, 1},   {0x03F2, 0x03F2, 7, 1},
    {0x03F3, 0x03F3, -116, 1},   {0x03F5, 0x03F5, -96, 1},   {0x03F8, 0x03F8, -1, 1},
    {0x03FB, 0x03FB, -1, 1},     {0x0430, 0x044F, -32, 1},   {0x0450, 0x045F, -80, 1},
    {0x0461, 0x0481, -1, 2},     {0x048B, 0x04BF, -1, 2},    {0x04C2, 0x04CE, -1, 2},
    {0x04CF, 0x04CF, -15, 1},    {0x04D1, 0x052F, -1, 2},    {0x0561, 0x0586, -48, 1},
    {0x10D0, 0x10FA, 3008, 1},   {0x10FD, 0x10FF, 3008, 1},  {0x13F8, 0x13FD, -8, 1},
    {0x1C80, 0x1C80, -6254, 1},  {0x1C81, 0x1C81, -6253, 1}, {0x1C82, 0x1C82, -6244, 1},
    {0x1C83, 0x1C84, -6242, 1},  {0x1C85, 0x1C85, -6243, 1}, {0x1C86, 0x1C86, -6236, 1},
    {0x1C87, 0x1C87, -6181, 1},  {0x1C88, 0x1C88, 35266, 1}, {0x1D79, 0x1D79, 35332, 1},
    {0x1D7D, 0x1D7D, 3814, 1},   {0x1D8E, 0x1D8E, 35384, 1}, {0x1E01, 0x1E95, -1, 2},
    {0x1E9B, 0x1E9B, -59, 1},    {0x1EA1, 0x1EFF, -1, 2},    {0x1F00, 0x1F07, 8, 1},
    {0x1F10, 0x1F15, 8, 1},      {0x1F20, 0x1F27, 8, 1},     {0x1F30, 0x1F37, 8, 1},
    {0x1F40, 0x1F45, 8, 1},      {0x1F51, 0x1F57, 8, 2},     {0x1F60, 0x1F67, 8, 1},
    {0x1F70, 0x1F71, 74, 1},     {0x1F72, 0x1F75, 86, 1},    {0x1F76, 0x1F77, 100, 1},
    {0x1F78, 0x1F79, 128, 1},    {0x1F7A, 0x1F7B, 112, 1},   {0x1F7C, 0x1F7D, 126, 1},
    {0x1FB0, 0x1FB1, 8, 1},      {0x1FBE, 0x1FBE, -7205, 1}, {0x1FD0, 0x1FD1, 8, 1},
    {0x1FE0, 0x1FE1, 8, 1},      {0x1FE5, 0x1FE5, 7, 1},     {0x214E, 0x214E, -28, 1},
    {0x2170, 0x217F, -16, 1},    {0x2184, 0x2184, -1, 1},    {0x24D0, 0x24E9, -26, 1},
    {0x2C30, 0x2C5F, -48, 1},    {0x2C61, 0x2C61, -1, 1},    {0x2C65, 0x2C65, -10795, 1},
    {0x2C66, 0x2C66, -10792, 1}, {0x2C68, 0x2C6C, -1, 2},    {0x2C73, 0x2C73, -1, 1},
    {0x2C76, 0x2C76, -1, 1},     {0x2C81, 0x2CE3, -1, 2},    {0x2CEC, 0x2CEE, -1, 2},
    {0x2CF3, 0x2CF3, -1, 1},     {0x2D00, 0x2D25, -7264, 1}, {0x2D27, 0x2D27, -7264, 1},
    {0x2D2D, 0x2D2D, -7264, 1},  {0xA641, 0xA66D, -1, 2},    {0xA681, 0xA69B, -1, 2},
    {0xA723, 0xA72F, -1, 2},     {0xA733, 0xA76F, -1, 2},    {0xA77A, 0xA77C, -1, 2},
    {0xA77F, 0xA787, -1, 2},     {0xA78C, 0xA78C, -1, 1},    {0xA791, 0xA793, -1, 2},
    {0xA794, 0xA794, 48, 1},     {0xA797, 0xA7A9, -1, 2},    {0xA7B5, 0xA7C3, -1, 2},
    {0xA7C8, 0xA7CA, -1, 2},     {0xA7D1, 0xA7D1, -1, 1},    {0xA7D7, 0xA7D9, -1, 2},
    {0xA7F6, 0xA7F6, -1, 1},     {0xAB53, 0xAB53, -928, 1},  {0xAB70, 0xABBF, -38864, 1},
    {0xFF41, 0xFF5A, -32, 1},
};
constexpr CaseRun kLowerRuns[] = {
    {0x0041, 0x005A, 32, 1},     {0x00C0, 0x00D6, 32, 1},     {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2},      {0x0132, 0x0136, 1, 2},      {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},      {0x0178, 0x0178, -121, 1},   {0x0179, 0x017D, 1, 2},
    {0x0181, 0x0181, 210, 1},    {0x0182, 0x0184, 1, 2},      {0x0186, 0x0186, 206, 1},
    {0x0187, 0x0187, 1, 1},      {0x0189, 0x018A, 205, 1},    {0x018B, 0x018B, 1, 1},
    {0x018E, 0x018E, 79, 1},     {0x018F, 0x018F, 202, 1},    {0x0190, 0x0190, 203, 1},
    {0x0191, 0x0191, 1, 1},      {0x0193, 0x0193, 205, 1},    {0x0194, 0x0194, 207, 1},
    {0x0196, 0x0196, 211, 1},    {0x0197, 0x0197, 209, 1},    {0x0198, 0x0198, 1, 1},
    {0x019C, 0x019C, 211, 1},    {0x019D, 0x019D, 213, 1},    {0x019F, 0x019F, 214, 1},
    {0x01A0, 0x01A4, 1, 2},      {0x01A6, 0x01A6, 218, 1},    {0x01A7, 0x01A7, 1, 1},
    {0x01A9, 0x01A9, 218, 1},    {0x01AC, 0x01AC, 1, 1},      {0x01AE, 0x01AE, 218, 1},
    {0x01AF, 0x01AF, 1, 1},      {0x01B1, 0x01B2, 217, 1},    {0x01B3, 0x01B5, 1, 2},
    {0x01B7, 0x01B7, 219, 1},    {0x01B8, 0x01B8, 1, 1},      {0x01BC, 0x01BC, 1, 1},
    {0x01C4, 0x01C4, 2, 1},      {0x01C5, 0x01C5, 1, 1},      {0x01C7, 0x01C7, 2, 1},
    {0x01C8, 0x01C8, 1, 1},      {0x01CA, 0x01CA, 2, 1},      {0x01CB, 0x01DB, 1, 2},
    {0x01DE, 0x01EE, 1, 2},      {0x01F1, 0x01F1, 2, 1},      {0x01F2, 0x01F4, 1, 2},
    {0x01F6, 0x01F6, -97, 1},    {0x01F7, 0x01F7, -56, 1},    {0x01F8, 0x021E, 1, 2},
    {0x0220, 0x0220, -130, 1},   {0x0222, 0x0232, 1, 2},      {0x023A, 0x023A, 10795, 1},
    {0x023B, 0x023B, 1, 1},      {0x023D, 0x023D, -163, 1},   {0x023E, 0x023E, 10792, 1},
    {0x0241, 0x0241, 1, 1},      {0x0243, 0x0243, -195, 1},   {0x0244, 0x0244, 69, 1},
    {0x0245, 0x0245, 71, 1},     {0x0246, 0x024E, 1, 2},      {0x0370, 0x0372, 1, 2},
    {0x0376, 0x0376, 1, 1},      {0x037F, 0x037F, 116, 1},    {0x0386, 0x0386, 38, 1},
    {0x0388, 0x038A, 37, 1},     {0x038C, 0x038C, 64, 1},     {0x038E, 0x038F, 63, 1},
    {0x0391, 0x03A1, 32, 1},     {0x03A3, 0x03AB, 32, 1},     {0x03CF, 0x03CF, 8, 1},
    {0x03D8, 0x03EE, 1, 2},      {0x03F4, 0x03F4, -60, 1},    {0x03F7, 0x03F7, 1, 1},
    {0x03F9, 0x03F9, -7, 1},     {0x03FA, 0x03FA, 1, 1},      {0x03FD, 0x03FF, -130, 1},
    {0x0400, 0x040F, 80, 1},     {0x0410, 0x042F, 32, 1},     {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2},      {0x04C0, 0x04C0, 15, 1},     {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2},      {0x0531, 0x0556, 48, 1},     {0x10A0, 0x10C5, 7264, 1},
    {0x10C7, 0x10C7, 7264, 1},   {0x10CD, 0x10CD, 7264, 1},   {0x13A0, 0x13EF, 38864, 1},
    {0x13F0, 0x13F5, 8, 1},      {0x1C90, 0x1CBA, -3008, 1},  {0x1CBD, 0x1CBF, -3008, 1},
    {0x1E00, 0x1E94, 1, 2},      {0x1E9E, 0x1E9E, -7615, 1},  {0x1EA0, 0x1EFE, 1, 2},
    {0x1F08, 0x1F0F, -8, 1},     {0x1F18, 0x1F1D, -8, 1},     {0x1F28, 0x1F2F, -8, 1},
    {0x1F38, 0x1F3F, -8, 1},     {0x1F48, 0x1F4D, -8, 1},     {0x1F59, 0x1F5F, -8, 2},
    {0x1F68, 0x1F6F, -8, 1},     {0x1F88, 0x1F8F, -8, 1},     {0x1F98, 0x1F9F, -8, 1},
    {0x1FA8, 0x1FAF, -8, 1},     {0x1FB8, 0x1FB9, -8, 1},     {0x1FBA, 0x1FBB, -74, 1},
    {0x1FBC, 0x1FBC, -9, 1},     {0x1FC8, 0x1FCB, -86, 1},    {0x1FCC, 0x1FCC, -9, 1},
    {0x1FD8, 0x1FD9, -8, 1},     {0x1FDA, 0x1FDB, -100, 1},   {0x1FE8, 0x1FE9, -8, 1},
    {0x1FEA, 0x1FEB, -112, 1},   {0x1FEC, 0x1FEC, -7, 1},     {0x1FF8, 0x1FF9, -128, 1},
    {0x1FFA, 0x1FFB, -126, 1},   {0x1FFC, 0x1FFC, -9, 1},     {0x2126, 0x2126, -7517, 1},
    {0x212A, 0x212A, -8383, 1},  {0x212B, 0x212B, -8262, 1},  {0x2132, 0x2132, 28, 1},
    {0x2160, 0x216F, 16, 1},     {0x2183, 0x2183, 1, 1},      {0x24B6, 0x24CF, 26, 1},
    {0x2C00, 0x2C2F, 48, 1},     {0x2C60, 0x2C60, 1, 1},      {0x2C62, 0x2C62, -10743, 1},
    {0x2C63, 0x2C63, -3814, 1},  {0x2C64, 0x2C64, -10727, 1}, {0x2C67, 0x2C6B, 1, 2},
    {0x2C6D, 0x2C6D, -10780, 1}, {0x2C6E, 0x2C6E, -10749, 1}, {0x2C6F, 0x2C6F, -10783, 1},
    {0x2C70, 0x2C70, -10782, 1}, {0x2C72, 0x2C72, 1, 1},      {0x2C75, 0x2C75, 1, 1},
    {0x2C7E, 0x2C7F, -10815, 1}, {0x2C80, 0x2CE2, 1, 2},      {0x2CEB, 0x2CED, 1, 2},
    {0x2CF2, 0x2CF2, 1, 1},      {0xA640, 0xA66C, 1, 2},      {0xA680, 0xA69A, 1, 2},
    {0xA722, 0xA72E, 1, 2},      {0xA732, 0xA76E, 1, 2},      {0xA779, 0xA77B, 1, 2},
    {0xA77D, 0xA77D, -35332, 1}, {0xA77E, 0xA786, 1, 2},      {0xA78B, 0xA78B, 1, 1},
    {0xA78D, 0xA78D, -42280, 1}, {0xA790, 0xA792, 1, 2},      {0xA796, 0xA7A8, 1, 2},
    {0xA7AA, 0xA7AA, -42308, 1}, {0xA7AB, 0xA7AB, -42319, 1}, {0xA7AC, 0xA7AC, -42315, 1},
    {0xA7AD, 0xA7AD, -42305, 1}, {0xA7AE, 0xA7AE, -42308, 1}, {0xA7B0, 0xA7B0, -42258, 1},
    {0xA7B1, 0xA7B1, -42282, 1}, {0xA7B2, 0xA7B2, -42261, 1}, {0xA7B3, 0xA7B3, 928, 1},
    {0xA7B4, 0xA7C2, 1, 2},      {0xA7C4, 0xA7C4, -48, 1},    {0xA7C5, 0xA7C5, -42307, 1},
    {0xA7C6, 0xA7C6, -35384, 1}, {0xA7C7, 0xA7C9, 1, 2},      {0xA7D0, 0xA7D0, 1, 1},
    {0xA7D6, 0xA7D8, 1, 2},      {0xA7F5, 0xA7F5, 1, 1},      {0xFF21, 0xFF3A, 32, 1},
};

char16_t MapCase(char16_t c, const CaseRun* begin, const CaseRun* end) {
    // Binary search for the last run starting at or before c.
    const CaseRun* it =
        std::upper_bound(begin, end, c, [](char16_t v, const CaseRun& r) { return v < r.first; });
    if (it == begin) return c;
    --it;
    if (c > it->last || (c - it->first) % it->step != 0) return c;
    return static_cast<char16_t>(c + it->delta);
}

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool Matches(std::u16string_view text, size_t pos, std::u16string_view needle, int mode) {
    if (mode == kBinaryCompare) return text.compare(pos, needle.size(), needle) == 0;
    for (size_t i = 0; i < needle.size(); ++i)
        if (ToLowerChar(text[pos + i]) != ToLowerChar(needle[i])) return false;
    return true;
}

}  // namespace

char16_t ToUpperCharBeyondAscii(char16_t c) {
    return MapCase(c, std::begin(kUpperRuns), std::end(kUpperRuns));
}

char16_t ToLowerCharBeyondAscii(char16_t c) {
    return MapCase(c, std::begin(kLowerRuns), std::end(kLowerRuns));
}

std::u16string UCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = ToUpperChar(c);
    return out;
}

std::u16string LCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = ToLowerChar(c);
    return out;
}

void LCaseInto(std::u16string_view text, std::u16string& out) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = ToLowerChar(text[i]);
}

int CompareBinary(std::u16string_view a, std::u16string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareText(std::u16string_view a, std::u16string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = ToLowerChar(a[i]), y = ToLowerChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int Compare(std::u16string_view a, std::u16string_view b, int mode) {
    return mode == kBinaryCompare ? CompareBinary(a, b) : CompareText(a, b);
}

bool EqualStrings(std::u16string_view a, std::u16string_view b, int mode) {
    if (a.size() != b.size()) return false;
    if (mode == kBinaryCompare) return a == b;
    return Matches(a, 0, b, mode);
}

namespace {

// Binary search for needle (not empty, not longer than haystack) from start: candidates for
// its first character are found eight at a time where SSE2 is there.
size_t FindBinary(std::u16string_view h, std::u16string_view n, size_t start) {
    const char16_t first = n[0];
    const size_t last = h.size() - n.size();  // the last possible start
    const size_t tail = n.size() - 1;
    auto restMatches = [&](size_t at) {
        return std::char_traits<char16_t>::compare(h.data() + at + 1, n.data() + 1, tail) == 0;
    };
    size_t i = start;
#if defined(__SSE2__)
    const __m128i f = _mm_set1_epi16(static_cast<short>(first));
    for (; i + 8 <= last + 1; i += 8) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h.data() + i));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, f)));
        while (mask) {
            auto bit = static_cast<unsigned>(__builtin_ctz(mask));
            size_t at = i + bit / 2;
            if (restMatches(at)) return at;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= last; ++i)
        if (h[i] == first && restMatches(i)) return i;
    return std::u16string_view::npos;
}

}  // namespace

size_t Find(std::u16string_view haystack, std::u16string_view needle, size_t start, int mode) {
    if (needle.empty()) return start < haystack.size() ? start : std::u16string_view::npos;
    if (start > haystack.size()) return std::u16string_view::npos;
    if (needle.size() > haystack.size()) return std::u16string_view::npos;
    if (mode == kBinaryCompare) return FindBinary(haystack, needle, start);
    for (size_t i = start; i + needle.size() <= haystack.size(); ++i)
        if (Matches(haystack, i, needle, mode)) return i;
    return std::u16string_view::npos;
}

size_t FindReverse(std::u16string_view haystack, std::u16string_view needle, size_t endExclusive,
                   int mode) {
    size_t end = std::min(endExclusive, haystack.size());
    if (needle.empty()) return end == 0 ? std::u16string_view::npos : end - 1;
    if (needle.size() > end) return std::u16string_view::npos;
    for (size_t i = end - needle.size() + 1; i-- > 0;)
        if (Matches(haystack, i, needle, mode)) return i;
    return std::u16string_view::npos;
}

std::u16string ReplaceText(std::u16string_view text, std::u16string_view find,
                           std::u16string_view replacement, size_t start, int64_t count, int mode) {
    if (start >= text.size()) return std::u16string();
    std::u16string_view rest = text.substr(start);
    if (find.empty() || count == 0) return std::u16string(rest);
    std::u16string out;
    out.reserve(rest.size());
    size_t pos = 0;
    int64_t done = 0;
    while (count < 0 || done < count) {
        size_t hit = Find(rest, find, pos, mode);
        if (hit == std::u16string_view::npos) break;
        out.append(rest, pos, hit - pos);
        out.append(replacement);
        pos = hit + find.size();
        ++done;
    }
    out.append(rest, pos, std::u16string_view::npos);
    return out;
}

std::vector<std::u16string> SplitText(std::u16string_view text, std::u16string_view delimiter,
                                      int64_t count, int mode) {
    std::vector<std::u16string> parts;
    if (text.empty() || count == 0) return parts;
    if (delimiter.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    size_t pos = 0;
    while (count < 0 || static_cast<int64_t>(parts.size()) < count - 1) {
        size_t hit = Find(text, delimiter, pos, mode);
        if (hit == std::u16string_view::npos) break;
        parts.emplace_back(text.substr(pos, hit - pos));
        pos = hit + delimiter.size();
    }
    parts.emplace_back(text.substr(pos));
    return parts;
}

std::u16string Escape(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (IsAsciiAlnum(c) || c == u'@' || c == u'*' || c == u'_' || c == u'+' || c == u'-' ||
            c == u'.' || c == u'/') {
            out += c;
        } else if (c < 0x100) {
            out += u'%';
            out += static_cast<char16_t>(kHex[c >> 4]);
            out += static_cast<char16_t>(kHex[c & 0xF]);
        } else {
            out += u"%u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += static_cast<char16_t>(kHex[(c >> shift) & 0xF]);
        }
    }
    return out;
}

std::u16string Unescape(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'%') {
            if (i + 5 < text.size() && text[i + 1] == u'u') {
                int a = HexValue(text[i + 2]), b = HexValue(text[i + 3]);
                int d = HexValue(text[i + 4]), e = HexValue(text[i + 5]);
                if (a >= 0 && b >= 0 && d >= 0 && e >= 0) {
                    out += static_cast<char16_t>((a << 12) | (b << 8) | (d << 4) | e);
                    i += 5;
                    continue;
                }
            }
            if (i + 2 < text.size()) {
                int a = HexValue(text[i + 1]), b = HexValue(text[i + 2]);
                if (a >= 0 && b >= 0) {
                    out += static_cast<char16_t>((a << 4) | b);
                    i += 2;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

std::u16string_view TrimLeft(std::u16string_view text) {
    size_t b = 0;
    while (b < text.size() && text[b] == u' ') ++b;
    return text.substr(b);
}

std::u16string_view TrimRight(std::u16string_view text) {
    size_t e = text.size();
    while (e > 0 && text[e - 1] == u' ') --e;
    return text.substr(0, e);
}

std::u16string_view Trim(std::u16string_view text) {
    return TrimRight(TrimLeft(text));
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < n) {
        unsigned char b0 = byte(i);
        uint32_t cp = 0;
        size_t len = 0;
        uint32_t min = 0;
        if (b0 < 0x80) {
            cp = b0;
            len = 1;
        } else if ((b0 & 0xE0) == 0xC0) {
            cp = b0 & 0x1F;
            len = 2;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            cp = b0 & 0x0F;
            len = 3;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            cp = b0 & 0x07;
            len = 4;
            min = 0x10000;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        bool ok = i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) {
                ok = false;
                len = k;  // resume at the byte that broke the sequence
            } else {
                cp = (cp << 6) | (byte(i + k) & 0x3F);
            }
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            i += ok ? len : std::max<size_t>(1, std::min(len, n - i));
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::u16string FromWindows1252(std::string_view bytes) {
    // 0x80..0x9F differ from Latin-1; the five undefined positions map to themselves.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        out += (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : static_cast<char16_t>(b);
    }
    return out;
}

}  // namespace vbs::rt
