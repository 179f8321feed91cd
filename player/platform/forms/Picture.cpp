#include "platform/forms/Picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cstring>

#include "platform/forms/Cursor.h"
#include "platform/forms/Metafile.h"

namespace storyloom::forms {

namespace {

constexpr int kMaxPictureSide = 8192;
constexpr int kMaxMetafileSide = 4096;

std::uint16_t U16(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 2 > b.size()) return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::uint32_t U32(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 4 > b.size()) return 0;
    return static_cast<std::uint32_t>(U16(b, at)) |
           (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

PictureResult Invalid() {
    return PictureResult::Fail(kErrInvalidPicture, "Invalid picture");
}

QImage Normalised(const QImage& image) {
    if (image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image.convertToFormat(QImage::Format_RGB32);
}

// One channel of a 16-bit pixel through its mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    int Of(std::uint32_t px) const {
        if (!max) return 0;
        return static_cast<int>((((px & mask) >> shift) * 255 + max / 2) / max);
    }
};

// 16-bit bitmaps are read here: 5-5-5 by default, or the masks of a bit-field bitmap (5-6-5),
// which Qt's reader gets slightly wrong.
std::optional<QImage> DecodeBmp16(const QByteArray& b) {
    const std::uint32_t dataOffset = U32(b, 10);
    const std::uint32_t headerSize = U32(b, 14);
    if (headerSize < 40 || 14 + static_cast<qsizetype>(headerSize) > b.size()) return std::nullopt;
    const auto width = static_cast<std::int32_t>(U32(b, 18));
    const auto rawHeight = static_cast<std::int32_t>(U32(b, 22));
    const std::uint32_t compression = U32(b, 30);
    if (width <= 0 || width > kMaxPictureSide || rawHeight == 0 ||
        rawHeight == std::numeric_limits<std::int32_t>::min() ||
        std::abs(rawHeight) > kMaxPictureSide)
        return std::nullopt;
    const bool topDown = rawHeight < 0;
    const int height = std::abs(rawHeight);
    std::uint32_t rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
    if (compression == 3 || compression == 6) {
        const qsizetype maskAt = 14 + 40;
        if (maskAt + 12 > b.size()) return std::nullopt;
        rMask = U32(b, maskAt);
        gMask = U32(b, maskAt + 4);
        bMask = U32(b, maskAt + 8);
    } else if (compression != 0) {
        return std::nullopt;
    }
    const qsizetype stride = ((static_cast<qsizetype>(width) * 16 + 31) / 32) * 4;
    if (static_cast<qsizetype>(dataOffset) + stride * height > b.size()) return std::nullopt;
    const Channel r(rMask & 0xFFFF), g(gMask & 0xFFFF), bl(bMask & 0xFFFF);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    const auto* data = reinterpret_cast<const unsigned char*>(b.constData()) + dataOffset;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + stride * (topDown ? y : height - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t px = row[2 * x] | (row[2 * x + 1] << 8);
            dst[x] = qRgb(r.Of(px), g.Of(px), bl.Of(px));
        }
    }
    return image;
}

PictureResult DecodeWithQt(const QByteArray& bytes, const char* format, PictureType type,
                           bool opaque) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
        return Invalid();
    QImage image;
    if (!reader.read(&image) || image.isNull()) return Invalid();
    if (opaque) image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return Invalid();
    return PictureResult{Picture::FromImage(image, type), 0, {}};
}

// A run-length bitmap's data reaches its end-of-bitmap mark before the file ends.
bool RunLengthDataComplete(const QByteArray& b, qsizetype at, bool fourBit) {
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype end = b.size();
    while (at + 1 < end) {
        const int count = u[at], value = u[at + 1];
        at += 2;
        if (count != 0) continue;     // a run of one value
        if (value == 1) return true;  // end of bitmap
        if (value == 0) continue;     // end of line
        if (value == 2) {             // a move: two more bytes
            at += 2;
            continue;
        }
        // Pixels as they stand, padded to a 16-bit boundary.
        const qsizetype bytes = fourBit ? (value + 1) / 2 : value;
        at += (bytes + 1) & ~qsizetype{1};
    }
    return false;
}

// Qt's reader stops at the end of the data and reports success with the rest of the image
// unset: a bitmap whose data is shorter than its header says is refused here.
bool BmpDataComplete(const QByteArray& b) {
    const std::uint32_t dataOffset = U32(b, 10);
    const std::uint32_t headerSize = U32(b, 14);
    qint64 width = 0, height = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {  // the old core header
        width = U16(b, 18);
        height = U16(b, 20);
        bits = U16(b, 24);
    } else {
        if (b.size() < 34) return false;
        width = static_cast<std::int32_t>(U32(b, 18));
        height = std::abs(static_cast<qint64>(static_cast<std::int32_t>(U32(b, 22))));
        bits = U16(b, 28);
        compression = U32(b, 30);
    }
    if (dataOffset >= static_cast<std::uint64_t>(b.size())) return false;
    if (compression == 1 || compression == 2)
        return RunLengthDataComplete(b, dataOffset, compression == 2);
    if (compression != 0 && compression != 3 && compression != 6) return true;  // Qt decides
    const qint64 stride = ((std::max<qint64>(width, 0) * bits + 31) / 32) * 4;
    return static_cast<qint64>(dataOffset) + stride * height <= b.size();
}

// A JPEG file cut short has no end-of-image mark after its last scan.
bool JpegDataComplete(const QByteArray& b) {
    const qsizetype scan = b.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    return scan >= 0 && b.indexOf(QByteArrayView("\xFF\xD9", 2), scan + 2) >= 0;
}

// A GIF file cut short ends before its first image's data does (the trailer after it may be
// missing: the picture is whole without it).
bool GifFirstImageComplete(const QByteArray& b) {
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype end = b.size();
    qsizetype at = 13;
    if (end < at) return false;
    if (u[10] & 0x80) at += 3 * (qsizetype{2} << (u[10] & 7));
    // Data sub-blocks up to their zero terminator; false when the file ends first.
    const auto skipBlocks = [&]() {
        while (at < end && u[at] != 0) at += u[at] + 1;
        if (at >= end) return false;
        ++at;
        return true;
    };
    while (at < end) {
        if (u[at] == 0x21) {  // an extension: its label, then sub-blocks
            at += 2;
            if (!skipBlocks()) return false;
        } else if (u[at] == 0x2C) {  // the image: descriptor, colours, code size, data
            if (at + 10 > end) return false;
            const int flags = u[at + 9];
            at += 10;
            if (flags & 0x80) at += 3 * (qsizetype{2} << (flags & 7));
            at += 1;
            return at < end && skipBlocks();
        } else {
            return false;  // the trailer or damage before any image
        }
    }
    return false;
}

PictureResult DecodeBmp(const QByteArray& bytes) {
    if (bytes.size() < 30) return Invalid();
    if (!BmpDataComplete(bytes)) return Invalid();
    if (U16(bytes, 28) == 16) {
        auto image = DecodeBmp16(bytes);
        if (!image) return Invalid();
        return PictureResult{Picture::FromImage(*image), 0, {}};
    }
    // Bitmaps are opaque: the fourth byte of 32-bit pixels is not alpha.
    return DecodeWithQt(bytes, "bmp", PictureType::Bitmap, true);
}

PictureResult DecodeIcon(const QByteArray& bytes) {
    auto cursor = ParseCursorFile(bytes);
    if (!cursor) return Invalid();
    auto data = std::make_shared<Picture::Data>();
    data->image = cursor->image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    data->type = PictureType::Icon;
    data->hotSpot = cursor->hotSpot;
    data->invertMask = cursor->invertMask;
    data->isCursor = cursor->isCursor;
    return PictureResult{Picture(std::move(data)), 0, {}};
}

PictureResult DecodeMetafile(const QByteArray& bytes, bool enhanced) {
    auto svg = enhanced ? EmfToSvg(bytes) : WmfToSvg(bytes);
    if (!svg || svg->size.isEmpty()) return Invalid();
    // A metafile's frame is only a number in its header: keep its picture to a sane size.
    const QSize size = svg->size.boundedTo(QSize(kMaxMetafileSide, kMaxMetafileSide));
    QSvgRenderer renderer(svg->svg);
    if (!renderer.isValid()) return Invalid();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return Invalid();
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, size.width(), size.height()));
    }
    return PictureResult{
        Picture::FromImage(image, enhanced ? PictureType::EnhMetafile : PictureType::Metafile),
        0,
        {}};
}

}  // namespace

Picture Picture::FromImage(const QImage& image, PictureType type) {
    if (image.isNull()) return Picture();
    auto data = std::make_shared<Data>();
    data->image = Normalised(image);
    data->type = type;
    return Picture(std::move(data));
}

const QImage& Picture::Image() const {
    static const QImage kNull;  // immutable
    return d_ ? d_->image : kNull;
}

const QImage& Picture::InvertMask() const {
    static const QImage kNull;  // immutable
    return d_ ? d_->invertMask : kNull;
}

qint64 Picture::Handle() const {
    return d_ ? static_cast<qint64>(reinterpret_cast<std::uintptr_t>(d_.get()) & 0x7FFFFFFF) | 1
              : 0;
}

int Picture::HimetricWidth() const {
    return d_ ? (d_->image.width() * 2540 + 48) / 96 : 0;
}
int Picture::HimetricHeight() const {
    return d_ ? (d_->image.height() * 2540 + 48) / 96 : 0;
}

PictureResult DecodePicture(const QByteArray& bytes) {
    if (bytes.size() < 4) return Invalid();
    const auto* u = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (u[0] == 'B' && u[1] == 'M') return DecodeBmp(bytes);
    if (u[0] == 0xFF && u[1] == 0xD8) {
        if (!JpegDataComplete(bytes)) return Invalid();
        return DecodeWithQt(bytes, "jpeg", PictureType::Bitmap, true);
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        if (!GifFirstImageComplete(bytes)) return Invalid();
        return DecodeWithQt(bytes, "gif", PictureType::Bitmap, false);
    }
    if (LooksLikeCursorFile(bytes)) return DecodeIcon(bytes);
    if (LooksLikeEmf(bytes)) return DecodeMetafile(bytes, true);
    if (LooksLikeWmf(bytes)) return DecodeMetafile(bytes, false);
    return Invalid();
}

PictureResult LoadPictureFile(const QString& nativePath) {
    QFile file(nativePath);
    if (!QFileInfo(nativePath).isFile() || !file.open(QIODevice::ReadOnly))
        return PictureResult::Fail(kErrFileNotFound, "File not found");
    return DecodePicture(file.readAll());
}

// ---- GIF ---------------------------------------------------------------------------------

std::optional<GifTiming> ReadGifTiming(const QByteArray& b) {
    if (!(b.startsWith("GIF87a") || b.startsWith("GIF89a")) || b.size() < 13) return std::nullopt;
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype n = b.size();
    qsizetype pos = 13;
    if (u[10] & 0x80) pos += 3 * (qsizetype(1) << ((u[10] & 7) + 1));
    GifTiming timing;
    int pendingDelay = 0;
    auto skipSubBlocks = [&]() -> bool {
        while (pos < n) {
            const int len = u[pos++];
            if (len == 0) return true;
            pos += len;
        }
        return false;
    };
    while (pos < n) {
        const unsigned char tag = u[pos++];
        if (tag == 0x3B) break;
        if (tag == 0x21) {
            if (pos >= n) break;
            const unsigned char label = u[pos++];
            if (label == 0xF9 && pos + 5 < n && u[pos] >= 4) {
                pendingDelay = u[pos + 2] | (u[pos + 3] << 8);
            } else if (label == 0xFF && pos + 16 < n && u[pos] == 11 &&
                       std::memcmp(u + pos + 1, "NETSCAPE2.0", 11) == 0 && u[pos + 12] >= 3 &&
                       u[pos + 13] == 1) {
                timing.loopCount = u[pos + 14] | (u[pos + 15] << 8);
            }
            if (!skipSubBlocks()) break;
        } else if (tag == 0x2C) {
            if (pos + 9 > n) break;
            const unsigned char flags = u[pos + 8];
            pos += 9;
            if (flags & 0x80) pos += 3 * (qsizetype(1) << ((flags & 7) + 1));
            pos += 1;  // LZW minimum code size
            if (pos > n) break;
            const bool complete = skipSubBlocks();
            timing.delaysCs.push_back(pendingDelay);
            pendingDelay = 0;
            if (!complete) break;
        } else {
            break;  // unknown block: the rest cannot be trusted
        }
    }
    if (timing.delaysCs.empty()) return std::nullopt;
    return timing;
}

std::optional<GifAnimation> DecodeGifAnimation(const QByteArray& bytes) {
    auto timing = ReadGifTiming(bytes);
    if (!timing) return std::nullopt;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return std::nullopt;
    GifAnimation animation;
    animation.loopCount = timing->loopCount;
    for (std::size_t i = 0; i < timing->delaysCs.size(); ++i) {
        QImage frame;
        if (!reader.read(&frame) || frame.isNull()) break;
        animation.frames.push_back(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        animation.delaysMs.push_back(timing->delaysCs[i] * 10);
    }
    if (animation.frames.empty()) return std::nullopt;
    return animation;
}

// ---- cache -------------------------------------------------------------------------------

PictureResult PictureCache::Load(const QString& nativePath) {
    const QFileInfo info(nativePath);
    if (!info.isFile()) return PictureResult::Fail(kErrFileNotFound, "File not found");
    const QString key = info.absoluteFilePath();
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        if (it->second.size == size && it->second.modified == modified) {
            ++hits_;
            lru_.splice(lru_.begin(), lru_, it->second.lru);
            return PictureResult{it->second.picture, 0, {}};
        }
        bytes_ -= it->second.bytes;
        lru_.erase(it->second.lru);
        entries_.erase(it);
    }
    ++misses_;
    PictureResult result = LoadPictureFile(nativePath);
    if (!result.Ok()) return result;
    Entry entry;
    entry.picture = result.picture;
    entry.size = size;
    entry.modified = modified;
    entry.bytes = static_cast<std::size_t>(result.picture.Image().sizeInBytes());
    lru_.push_front(key);
    entry.lru = lru_.begin();
    bytes_ += entry.bytes;
    entries_.emplace(key, std::move(entry));
    Evict();
    return result;
}

void PictureCache::Evict() {
    // The newest entry stays even when it alone is over the budget.
    while (bytes_ > budget_ && lru_.size() > 1) {
        const QString key = lru_.back();
        lru_.pop_back();
        auto it = entries_.find(key);
        bytes_ -= it->second.bytes;
        entries_.erase(it);
    }
}

void PictureCache::Clear() {
    entries_.clear();
    lru_.clear();
    bytes_ = 0;
}

}  // namespace storyloom::forms
