#include "platform/text/Codepage1252.h"

#include <array>

namespace storyloom {

namespace {

// The 32 codes 0x80-0x9F. The five codes that Windows leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the control characters of the same value, so every byte survives a
// round trip through Unicode.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The 1252 byte for a code point, or -1 when the code page has none.
int ByteFor(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == code) return 0x80 + i;
    }
    return -1;
}

// Every byte's character, so that decoding is one look-up per byte.
constexpr std::array<char16_t, 256> kByteToChar = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = b >= 0x80 && b <= 0x9F ? kHighControls[size_t(b - 0x80)] : char16_t(b);
    return table;
}();

void Decode(const char* data, qsizetype size, QChar* dst) {
    for (qsizetype i = 0; i < size; ++i)
        dst[i] = QChar(kByteToChar[static_cast<unsigned char>(data[i])]);
}

}  // namespace

QChar FromCp1252(unsigned char byte) {
    return QChar(kByteToChar[byte]);
}

QString FromCp1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    Decode(data, size, out.data());
    return out;
}

void AppendFromCp1252(QString& out, const char* data, qsizetype size) {
    const qsizetype at = out.size();
    out.resize(at + size);
    Decode(data, size, out.data() + at);
}

QString FromCp1252(const QByteArray& bytes) {
    return FromCp1252(bytes.constData(), bytes.size());
}

unsigned char ToCp1252(QChar c) {
    const int b = ByteFor(c.unicode());
    return b < 0 ? '?' : static_cast<unsigned char>(b);
}

QByteArray ToCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        // A surrogate pair is one character outside the code page: one "?".
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) ++i;
        out.append(static_cast<char>(ToCp1252(c)));
    }
    return out;
}

}  // namespace storyloom
