#pragma once
// Shared helpers of the forms tests: the Qt application they need for fonts, and writers of
// small picture files built byte by byte (so each test knows exactly what is in them).
#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace storyloom::forms::test {

inline void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "forms_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the whole test program
}

struct Bytes {
    QByteArray data;
    Bytes& U8(int v) {
        data.append(static_cast<char>(v & 0xFF));
        return *this;
    }
    Bytes& U16(int v) { return U8(v).U8(v >> 8); }
    Bytes& U32(std::uint32_t v) { return U16(int(v & 0xFFFF)).U16(int(v >> 16)); }
    Bytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    Bytes& Raw(const QByteArray& b) {
        data.append(b);
        return *this;
    }
};

// A 16-bit bitmap; `masks` empty = 5-5-5 without masks, else bit fields (r, g, b).
inline QByteArray Bmp16(int w, int h, const std::vector<std::uint16_t>& pixels,
                        const std::vector<std::uint32_t>& masks = {}) {
    const int stride = ((w * 16 + 31) / 32) * 4;
    const int headerSize = 40;
    const int maskBytes = masks.empty() ? 0 : 12;
    const int offset = 14 + headerSize + maskBytes;
    Bytes b;
    b.U8('B').U8('M').U32(offset + stride * h).U32(0).U32(offset);
    b.U32(headerSize).I32(w).I32(h).U16(1).U16(16).U32(masks.empty() ? 0 : 3).U32(stride * h);
    b.U32(2835).U32(2835).U32(0).U32(0);
    for (auto m : masks) b.U32(m);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) b.U16(pixels[static_cast<std::size_t>(y * w + x)]);
        for (int p = w * 2; p < stride; ++p) b.U8(0);
    }
    return b.data;
}

// An 8-bit run-length encoded bitmap, 4x2: top row red, red, blue, blue; bottom row green x4.
inline QByteArray BmpRle8() {
    Bytes pixels;
    pixels.U8(4).U8(2).U8(0).U8(0);              // bottom row (stored first): 4 x index 2
    pixels.U8(2).U8(0).U8(2).U8(1).U8(0).U8(0);  // top row: 2 x index 0, 2 x index 1
    pixels.U8(0).U8(1);                          // end of bitmap
    const int offset = 14 + 40 + 3 * 4;
    Bytes b;
    b.U8('B').U8('M').U32(offset + pixels.data.size()).U32(0).U32(offset);
    b.U32(40).I32(4).I32(2).U16(1).U16(8).U32(1).U32(pixels.data.size());
    b.U32(2835).U32(2835).U32(3).U32(0);
    b.U32(0x00FF0000).U32(0x000000FF).U32(0x0000FF00);  // red, blue, green
    b.Raw(pixels.data);
    return b.data;
}

// A pointer or icon file with one 8x8 monochrome image: white where `white`, black where
// `black`, inverting where `invert`, transparent elsewhere.
inline QByteArray MonoCursor(bool cursor, int hotX, int hotY, const std::vector<QPoint>& white,
                             const std::vector<QPoint>& black, const std::vector<QPoint>& invert) {
    const int w = 8, h = 8;
    bool andMask[8][8], xorMask[8][8];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) andMask[y][x] = true, xorMask[y][x] = false;
    for (auto p : white) andMask[p.y()][p.x()] = false, xorMask[p.y()][p.x()] = true;
    for (auto p : black) andMask[p.y()][p.x()] = false, xorMask[p.y()][p.x()] = false;
    for (auto p : invert) andMask[p.y()][p.x()] = true, xorMask[p.y()][p.x()] = true;
    Bytes image;
    image.U32(40).I32(w).I32(2 * h).U16(1).U16(1).U32(0).U32(0).U32(0).U32(0).U32(2).U32(0);
    image.U32(0x00000000).U32(0x00FFFFFF);  // palette: black, white
    auto rows = [&](bool(&bits)[8][8]) {
        for (int y = h - 1; y >= 0; --y) {
            int byte = 0;
            for (int x = 0; x < w; ++x)
                if (bits[y][x]) byte |= 0x80 >> x;
            image.U8(byte).U8(0).U8(0).U8(0);
        }
    };
    rows(xorMask);
    rows(andMask);
    Bytes b;
    b.U16(0).U16(cursor ? 2 : 1).U16(1);
    b.U8(w).U8(h).U8(2).U8(0).U16(cursor ? hotX : 1).U16(cursor ? hotY : 1);
    b.U32(image.data.size()).U32(6 + 16);
    b.Raw(image.data);
    return b.data;
}

// A 32-bit icon with alpha, 4x4, colour `c` with alpha 255 on the left half, 0 on the right.
inline QByteArray AlphaIcon(QRgb c) {
    Bytes image;
    image.U32(40).I32(4).I32(8).U16(1).U16(32).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.U8(qBlue(c)).U8(qGreen(c)).U8(qRed(c)).U8(x < 2 ? 255 : 0);
    for (int y = 0; y < 4; ++y) image.U32(0);
    Bytes b;
    b.U16(0).U16(1).U16(1).U8(4).U8(4).U8(0).U8(0).U16(1).U16(32);
    b.U32(image.data.size()).U32(22);
    b.Raw(image.data);
    return b.data;
}

// A GIF of 1x1 pixel frames with the given delays (centiseconds) and loop count (-1: none).
inline QByteArray Gif(const std::vector<int>& delays, int loops) {
    Bytes b;
    b.Raw("GIF89a").U16(1).U16(1).U8(0x80).U8(0).U8(0);
    b.U8(0xFF).U8(0x00).U8(0x00).U8(0x00).U8(0x00).U8(0xFF);  // red, blue
    if (loops >= 0) b.U8(0x21).U8(0xFF).U8(11).Raw("NETSCAPE2.0").U8(3).U8(1).U16(loops).U8(0);
    for (std::size_t i = 0; i < delays.size(); ++i) {
        b.U8(0x21).U8(0xF9).U8(4).U8(0x04).U16(delays[i]).U8(0).U8(0);
        b.U8(0x2C).U16(0).U16(0).U16(1).U16(1).U8(0);
        // LZW with code size 2: clear, index (0 or 1), end: the classic single-pixel stream.
        b.U8(2).U8(2).U8(i % 2 ? 0x4C : 0x44).U8(0x01).U8(0);
    }
    b.U8(0x3B);
    return b.data;
}

// A placeable metafile, 96x48 pixels (1440x720 units at 1440 per inch), filled with `rgb`.
inline QByteArray Wmf(std::uint32_t colorRef) {
    Bytes records;
    records.U32(5).U16(0x020B).U16(0).U16(0);                     // SetWindowOrg
    records.U32(5).U16(0x020C).U16(720).U16(1440);                // SetWindowExt
    records.U32(7).U16(0x02FC).U16(0).U32(colorRef).U16(0);       // CreateBrushIndirect
    records.U32(4).U16(0x012D).U16(0);                            // SelectObject
    records.U32(7).U16(0x041B).U16(720).U16(1440).U16(0).U16(0);  // Rectangle
    records.U32(3).U16(0x0000);                                   // EOF
    const int words = 9 + records.data.size() / 2;
    Bytes header;
    header.U16(1).U16(9).U16(0x0300).U32(words).U16(1).U32(7).U16(0);
    Bytes placeable;
    placeable.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(1440).U16(720).U16(1440).U32(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= static_cast<std::uint16_t>(
            static_cast<unsigned char>(placeable.data[2 * i]) |
            (static_cast<unsigned char>(placeable.data[2 * i + 1]) << 8));
    placeable.U16(sum);
    return placeable.data + header.data + records.data;
}

// An enhanced metafile, 96x48 pixels, filled with `colorRef`.
inline QByteArray Emf(std::uint32_t colorRef) {
    Bytes records;
    records.U32(39).U32(24).U32(1).U32(0).U32(colorRef).U32(0);  // CreateBrushIndirect
    records.U32(37).U32(12).U32(1);                              // SelectObject
    records.U32(43).U32(24).I32(0).I32(0).I32(96).I32(48);       // Rectangle
    records.U32(14).U32(20).U32(0).U32(16).U32(20);              // EOF
    const std::uint32_t total = 88 + records.data.size();
    Bytes header;
    header.U32(1).U32(88).I32(0).I32(0).I32(95).I32(47);  // type, size, bounds
    header.I32(0).I32(0).I32(2540).I32(1270);             // frame (0.01 mm)
    header.U32(0x464D4520).U32(0x10000).U32(total).U32(5).U16(2).U16(0);
    header.U32(0).U32(0).U32(0);                  // description, palette
    header.I32(1024).I32(768).I32(271).I32(203);  // device px and mm
    return header.data + records.data;
}

}  // namespace storyloom::forms::test

#include "platform/forms/Picture.h"

namespace storyloom::forms::test {

// A 16x16 icon: a blue disc on transparency with a white ring, decoded as a picture file.
inline Picture DecodeIconForTests() {
    Bytes image;
    image.U32(40).I32(16).I32(32).U16(1).U16(32).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    for (int y = 15; y >= 0; --y)
        for (int x = 0; x < 16; ++x) {
            const int dx = x - 8, dy = y - 8, d = dx * dx + dy * dy;
            if (d < 30)
                image.U8(255).U8(64).U8(0).U8(255);
            else if (d < 49)
                image.U8(255).U8(255).U8(255).U8(255);
            else
                image.U8(0).U8(0).U8(0).U8(0);
        }
    for (int y = 0; y < 16; ++y) image.U32(0);
    Bytes b;
    b.U16(0).U16(1).U16(1).U8(16).U8(16).U8(0).U8(0).U16(1).U16(32);
    b.U32(image.data.size()).U32(22);
    b.Raw(image.data);
    return DecodePicture(b.data).picture;
}

}  // namespace storyloom::forms::test
