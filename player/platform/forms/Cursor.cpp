#include "platform/forms/Cursor.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace storyloom::forms {

namespace {

constexpr int kMaxSide = 512;

std::uint16_t U16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::uint32_t U32(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(U16(b, at)) |
           (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

struct DirEntry {
    int width = 0, height = 0, bitCount = 0;
    QPoint hotSpot;
    std::uint32_t size = 0, offset = 0;
};

// One image stored as a device-independent bitmap: colour bits (the "XOR" image) with twice
// the height, followed by the 1-bit "AND" mask.
std::optional<CursorImage> DecodeDib(const QByteArray& b, std::uint32_t offset,
                                     std::uint32_t size) {
    const qsizetype end = static_cast<qsizetype>(offset) + size;
    if (end > b.size() || size < 40) return std::nullopt;
    const qsizetype at = offset;
    const std::uint32_t headerSize = U32(b, at);
    if (headerSize < 40 || headerSize > size) return std::nullopt;
    const auto width = static_cast<std::int32_t>(U32(b, at + 4));
    const auto doubleHeight = static_cast<std::int32_t>(U32(b, at + 8));
    const int bitCount = U16(b, at + 14);
    const std::uint32_t compression = U32(b, at + 16);
    std::uint32_t colorsUsed = U32(b, at + 32);
    if (width <= 0 || width > kMaxSide || doubleHeight <= 0 || doubleHeight > 2 * kMaxSide)
        return std::nullopt;
    if (compression != 0) return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return std::nullopt;
    const int height = doubleHeight / 2;
    if (height <= 0) return std::nullopt;
    if (bitCount <= 8 && (colorsUsed == 0 || colorsUsed > (1u << bitCount)))
        colorsUsed = 1u << bitCount;
    if (bitCount > 8) colorsUsed = 0;

    qsizetype pos = at + headerSize;
    std::vector<QRgb> palette(colorsUsed);
    if (pos + static_cast<qsizetype>(colorsUsed) * 4 > end) return std::nullopt;
    for (std::uint32_t i = 0; i < colorsUsed; ++i, pos += 4) {
        const auto c = static_cast<unsigned char>(b[pos]) |
                       (static_cast<unsigned char>(b[pos + 1]) << 8) |
                       (static_cast<unsigned char>(b[pos + 2]) << 16);
        palette[i] = qRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
    const qsizetype xorStride = ((static_cast<qsizetype>(width) * bitCount + 31) / 32) * 4;
    const qsizetype andStride = ((static_cast<qsizetype>(width) + 31) / 32) * 4;
    const qsizetype xorAt = pos;
    const qsizetype andAt = xorAt + xorStride * height;
    if (andAt > end) return std::nullopt;
    // Some writers leave the mask out of 32-bit images; alpha then decides alone.
    const bool haveMask = andAt + andStride * height <= end;
    if (!haveMask && bitCount != 32) return std::nullopt;

    CursorImage out;
    out.image = QImage(width, height, QImage::Format_ARGB32);
    out.invertMask = QImage(width, height, QImage::Format_Grayscale8);
    out.invertMask.fill(0);
    const auto* data = reinterpret_cast<const unsigned char*>(b.constData());
    bool anyAlpha = false;
    if (bitCount == 32) {
        for (int y = 0; y < height && !anyAlpha; ++y) {
            const unsigned char* row = data + xorAt + xorStride * (height - 1 - y);
            for (int x = 0; x < width; ++x)
                if (row[x * 4 + 3] != 0) {
                    anyAlpha = true;
                    break;
                }
        }
    }
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + xorAt + xorStride * (height - 1 - y);
        const unsigned char* mask =
            haveMask ? data + andAt + andStride * (height - 1 - y) : nullptr;
        auto* dst = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        uchar* inv = out.invertMask.scanLine(y);
        for (int x = 0; x < width; ++x) {
            QRgb color = 0;
            switch (bitCount) {
                case 1: {
                    const int idx = (row[x >> 3] >> (7 - (x & 7))) & 1;
                    color = palette[static_cast<std::size_t>(idx) % palette.size()];
                    break;
                }
                case 4: {
                    const int idx = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
                    color = palette[static_cast<std::size_t>(idx) % palette.size()];
                    break;
                }
                case 8:
                    color = palette[row[x] % palette.size()];
                    break;
                case 24:
                    color = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
                    break;
                case 32:
                    color = qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]);
                    break;
            }
            const bool andBit = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            if (bitCount == 32 && anyAlpha) {
                dst[x] = color;
            } else if (!andBit) {
                dst[x] = color | 0xFF000000u;
            } else {
                dst[x] = 0;
                // A set mask bit over a non-black colour turns the screen pixel over.
                if ((color & 0x00FFFFFFu) != 0) {
                    inv[x] = 255;
                    out.hasInvertPixels = true;
                }
            }
        }
    }
    return out;
}

std::optional<CursorImage> DecodePng(const QByteArray& b, std::uint32_t offset,
                                     std::uint32_t size) {
    if (static_cast<qsizetype>(offset) + size > b.size()) return std::nullopt;
    QByteArray png = b.mid(offset, size);
    QBuffer buffer(&png);
    QImageReader reader(&buffer, "png");
    const QSize s = reader.size();
    if (!s.isValid() || s.width() > kMaxSide || s.height() > kMaxSide) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    CursorImage out;
    out.image = image.convertToFormat(QImage::Format_ARGB32);
    out.invertMask = QImage(out.image.size(), QImage::Format_Grayscale8);
    out.invertMask.fill(0);
    return out;
}

}  // namespace

bool LooksLikeCursorFile(const QByteArray& bytes) {
    if (bytes.size() < 6) return false;
    const int type = U16(bytes, 2);
    return U16(bytes, 0) == 0 && (type == 1 || type == 2) && U16(bytes, 4) > 0;
}

std::optional<CursorImage> ParseCursorFile(const QByteArray& bytes, int preferredSize) {
    if (!LooksLikeCursorFile(bytes)) return std::nullopt;
    const bool isCursor = U16(bytes, 2) == 2;
    const int count = U16(bytes, 4);
    if (6 + static_cast<qsizetype>(count) * 16 > bytes.size()) return std::nullopt;

    std::vector<DirEntry> entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 6 + static_cast<qsizetype>(i) * 16;
        DirEntry e;
        e.width = static_cast<unsigned char>(bytes[at]);
        e.height = static_cast<unsigned char>(bytes[at + 1]);
        if (e.width == 0) e.width = 256;
        if (e.height == 0) e.height = 256;
        const int planesOrX = U16(bytes, at + 4), bitsOrY = U16(bytes, at + 6);
        if (isCursor) {
            e.hotSpot = QPoint(planesOrX, bitsOrY);
        } else {
            e.bitCount = bitsOrY;
        }
        e.size = U32(bytes, at + 8);
        e.offset = U32(bytes, at + 12);
        if (static_cast<qsizetype>(e.offset) + e.size > bytes.size() || e.size < 8) continue;
        if (e.bitCount == 0 && e.size >= 16 + 40) e.bitCount = U16(bytes, e.offset + 14);
        entries.push_back(e);
    }
    // Nearest to the preferred size, then more colours; a damaged entry makes way for the next.
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int da = std::abs(entries[a].width - preferredSize);
        const int db = std::abs(entries[b].width - preferredSize);
        if (da != db) return da < db;
        return entries[a].bitCount > entries[b].bitCount;
    });
    for (std::size_t i : order) {
        const DirEntry& e = entries[i];
        const bool png = bytes.mid(e.offset, 4) == QByteArray("\x89PNG", 4);
        auto decoded =
            png ? DecodePng(bytes, e.offset, e.size) : DecodeDib(bytes, e.offset, e.size);
        if (!decoded) continue;
        decoded->isCursor = isCursor;
        if (isCursor) {
            // Hot spots outside the picture are clamped: the pointer must point somewhere on it.
            decoded->hotSpot = QPoint(std::min(e.hotSpot.x(), decoded->image.width() - 1),
                                      std::min(e.hotSpot.y(), decoded->image.height() - 1));
        }
        return decoded;
    }
    return std::nullopt;
}

}  // namespace storyloom::forms
