#pragma once
// The media formats the demo generator writes by hand: PCM WAV sounds, pointer (.cur) files
// with a hot spot, and GIF pictures with a transparent colour (Qt reads GIF but cannot write
// it). The data files go through the player's own project writer.
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace demo {

inline void SaveBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes);
}

inline void PutU16(QByteArray& b, unsigned v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void PutU32(QByteArray& b, std::uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

// Mono 16-bit PCM.
inline QByteArray WavBytes(const std::vector<float>& samples, int rate) {
    QByteArray data;
    data.reserve(int(samples.size() * 2));
    for (float s : samples) {
        const int v = std::clamp(int(std::lround(s * 32767.0f)), -32768, 32767);
        PutU16(data, unsigned(v) & 0xFFFF);
    }
    QByteArray b("RIFF");
    PutU32(b, 36 + std::uint32_t(data.size()));
    b += "WAVEfmt ";
    PutU32(b, 16);
    PutU16(b, 1);  // PCM
    PutU16(b, 1);  // mono
    PutU32(b, std::uint32_t(rate));
    PutU32(b, std::uint32_t(rate * 2));
    PutU16(b, 2);
    PutU16(b, 16);
    b += "data";
    PutU32(b, std::uint32_t(data.size()));
    b += data;
    return b;
}

// A motion-JPEG AVI of `frames` (all of one size) at `fps` frames a second: the RIFF header,
// one video stream, the frames as "00dc" chunks and the index.
inline QByteArray MjpegAvi(const std::vector<QByteArray>& jpegs, QSize size, int fps) {
    auto chunk = [](const char* id, const QByteArray& data) {
        QByteArray b(id, 4);
        PutU32(b, std::uint32_t(data.size()));
        b += data;
        if (data.size() % 2) b.append('\0');
        return b;
    };
    auto list = [](const char* type, const QByteArray& data) {
        QByteArray b("LIST");
        PutU32(b, std::uint32_t(data.size() + 4));
        b += QByteArray(type, 4);
        b += data;
        return b;
    };
    std::uint32_t largest = 0;
    for (const QByteArray& j : jpegs) largest = std::max(largest, std::uint32_t(j.size()));
    const auto count = std::uint32_t(jpegs.size());
    QByteArray avih;
    PutU32(avih, std::uint32_t(1000000 / fps));  // microseconds per frame
    PutU32(avih, largest * std::uint32_t(fps));
    PutU32(avih, 0);
    PutU32(avih, 0x10);  // has an index
    PutU32(avih, count);
    PutU32(avih, 0);
    PutU32(avih, 1);  // streams
    PutU32(avih, largest);
    PutU32(avih, std::uint32_t(size.width()));
    PutU32(avih, std::uint32_t(size.height()));
    for (int i = 0; i < 4; ++i) PutU32(avih, 0);
    QByteArray strh("vidsMJPG", 8);
    PutU32(strh, 0);  // flags
    PutU32(strh, 0);  // priority, language
    PutU32(strh, 0);  // initial frames
    PutU32(strh, 1);  // scale
    PutU32(strh, std::uint32_t(fps));
    PutU32(strh, 0);  // start
    PutU32(strh, count);
    PutU32(strh, largest);
    PutU32(strh, 0xFFFFFFFF);  // quality
    PutU32(strh, 0);           // sample size
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, unsigned(size.width()));
    PutU16(strh, unsigned(size.height()));
    QByteArray strf;
    PutU32(strf, 40);
    PutU32(strf, std::uint32_t(size.width()));
    PutU32(strf, std::uint32_t(size.height()));
    PutU16(strf, 1);
    PutU16(strf, 24);
    strf += "MJPG";
    PutU32(strf, std::uint32_t(size.width() * size.height() * 3));
    for (int i = 0; i < 4; ++i) PutU32(strf, 0);
    const QByteArray hdrl =
        list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));
    QByteArray movi;
    QByteArray idx;
    for (const QByteArray& j : jpegs) {
        idx += "00dc";
        PutU32(idx, 0x10);                            // a key frame
        PutU32(idx, std::uint32_t(movi.size() + 4));  // from the "movi" type
        PutU32(idx, std::uint32_t(j.size()));
        movi += chunk("00dc", j);
    }
    const QByteArray body = hdrl + list("movi", movi) + chunk("idx1", idx);
    QByteArray b("RIFF");
    PutU32(b, std::uint32_t(body.size() + 4));
    b += "AVI ";
    b += body;
    return b;
}

// A 32 x 32 pointer: 32-bit colour with alpha, the 1-bit mask, and the hot spot in the
// directory entry where pointer files keep it.
inline QByteArray CurBytes(const QImage& source, QPoint hotSpot) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    if (img.width() != 32 || img.height() != 32) throw std::invalid_argument("pointer not 32x32");
    QByteArray dib;
    PutU32(dib, 40);
    PutU32(dib, 32);
    PutU32(dib, 64);  // colour and mask images stacked
    PutU16(dib, 1);
    PutU16(dib, 32);
    PutU32(dib, 0);
    PutU32(dib, 32 * 32 * 4 + 32 * 4);
    for (int i = 0; i < 4; ++i) PutU32(dib, 0);
    for (int y = 31; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < 32; ++x) {
            const QRgb p = row[x];
            dib.append(char(qBlue(p)));
            dib.append(char(qGreen(p)));
            dib.append(char(qRed(p)));
            dib.append(char(qAlpha(p)));
        }
    }
    for (int y = 31; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint32_t bits = 0;
        for (int x = 0; x < 32; ++x)
            if (qAlpha(row[x]) == 0) bits |= 1u << (31 - x);
        dib.append(char(bits >> 24));
        dib.append(char(bits >> 16));
        dib.append(char(bits >> 8));
        dib.append(char(bits));
    }
    QByteArray b;
    PutU16(b, 0);
    PutU16(b, 2);  // pointer
    PutU16(b, 1);
    b.append(char(32));
    b.append(char(32));
    b.append(char(0));
    b.append(char(0));
    PutU16(b, unsigned(hotSpot.x()));
    PutU16(b, unsigned(hotSpot.y()));
    PutU32(b, std::uint32_t(dib.size()));
    PutU32(b, 6 + 16);
    return b + dib;
}

// Median cut over the opaque pixels; at most `maxColors` entries.
inline std::vector<QRgb> MedianCut(const std::vector<QRgb>& pixels, int maxColors) {
    std::vector<std::vector<QRgb>> boxes{pixels};
    auto channel = [](QRgb p, int c) { return c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p); };
    while (int(boxes.size()) < maxColors) {
        int best = -1, bestRange = 0, bestChannel = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].size() < 2) continue;
            for (int c = 0; c < 3; ++c) {
                int lo = 255, hi = 0;
                for (QRgb p : boxes[i]) {
                    lo = std::min(lo, channel(p, c));
                    hi = std::max(hi, channel(p, c));
                }
                if (hi - lo > bestRange) {
                    bestRange = hi - lo;
                    best = i;
                    bestChannel = c;
                }
            }
        }
        if (best < 0) break;
        auto& box = boxes[best];
        std::sort(box.begin(), box.end(), [&](QRgb a, QRgb b) {
            return channel(a, bestChannel) < channel(b, bestChannel);
        });
        std::vector<QRgb> upper(box.begin() + box.size() / 2, box.end());
        box.resize(box.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const auto& box : boxes) {
        if (box.empty()) continue;
        long long r = 0, g = 0, b = 0;
        for (QRgb p : box) r += qRed(p), g += qGreen(p), b += qBlue(p);
        const long long n = static_cast<long long>(box.size());
        palette.push_back(qRgb(int(r / n), int(g / n), int(b / n)));
    }
    if (palette.empty()) palette.push_back(qRgb(0, 0, 0));
    return palette;
}

// GIF89a of one frame. Pixels whose alpha is below 128 become the transparent colour; the rest
// are mapped to a median-cut palette of 255 colours.
inline QByteArray GifBytes(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    std::vector<QRgb> opaque;
    bool anyTransparent = false;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(row[x]) >= 128)
                opaque.push_back(row[x]);
            else
                anyTransparent = true;
        }
    }
    std::vector<QRgb> palette = MedianCut(opaque, anyTransparent ? 255 : 256);
    const int transparentIndex = anyTransparent ? int(palette.size()) : -1;
    if (anyTransparent) palette.push_back(qRgb(0, 0, 0));
    palette.resize(256, qRgb(0, 0, 0));

    std::map<QRgb, int> cache;
    std::vector<std::uint8_t> indices(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            int index = 0;
            if (qAlpha(row[x]) < 128) {
                index = transparentIndex;
            } else {
                const QRgb p = row[x] | 0xFF000000u;
                auto it = cache.find(p);
                if (it != cache.end()) {
                    index = it->second;
                } else {
                    int best = 0, bestDistance = 1 << 30;
                    const int limit = anyTransparent ? transparentIndex : 256;
                    for (int i = 0; i < limit; ++i) {
                        const int dr = qRed(p) - qRed(palette[i]);
                        const int dg = qGreen(p) - qGreen(palette[i]);
                        const int db = qBlue(p) - qBlue(palette[i]);
                        const int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
                        if (d < bestDistance) bestDistance = d, best = i;
                    }
                    cache.emplace(p, best);
                    index = best;
                }
            }
            indices[std::size_t(y) * std::size_t(w) + std::size_t(x)] = std::uint8_t(index);
        }
    }

    QByteArray b("GIF89a");
    PutU16(b, unsigned(w));
    PutU16(b, unsigned(h));
    b.append(char(0xF7));  // global colour table of 256 entries
    b.append(char(0));
    b.append(char(0));
    for (QRgb c : palette) {
        b.append(char(qRed(c)));
        b.append(char(qGreen(c)));
        b.append(char(qBlue(c)));
    }
    if (anyTransparent) {
        b.append("\x21\xF9\x04", 3);
        b.append(char(0x01));
        PutU16(b, 0);
        b.append(char(transparentIndex));
        b.append(char(0));
    }
    b.append(char(0x2C));
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, unsigned(w));
    PutU16(b, unsigned(h));
    b.append(char(0));

    // LZW with 8-bit roots; the table restarts with a clear code when it is full.
    const int minCodeSize = 8;
    b.append(char(minCodeSize));
    const int clear = 1 << minCodeSize, end = clear + 1;
    QByteArray packed;
    std::uint32_t bitBuffer = 0;
    int bitCount = 0;
    int codeSize = minCodeSize + 1;
    auto put = [&](int code) {
        bitBuffer |= std::uint32_t(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            packed.append(char(bitBuffer & 0xFF));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    std::map<std::uint32_t, int> table;
    int next = end + 1;
    put(clear);
    int prefix = indices.empty() ? 0 : indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        const std::uint32_t key = (std::uint32_t(prefix) << 8) | std::uint32_t(k);
        auto it = table.find(key);
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table.emplace(key, next);
            if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
            ++next;
        } else {
            put(clear);
            table.clear();
            next = end + 1;
            codeSize = minCodeSize + 1;
        }
        prefix = k;
    }
    put(prefix);
    put(end);
    if (bitCount > 0) packed.append(char(bitBuffer & 0xFF));
    for (int at = 0; at < packed.size(); at += 255) {
        const int n = std::min<int>(255, int(packed.size()) - at);
        b.append(char(n));
        b.append(packed.mid(at, n));
    }
    b.append(char(0));
    b.append(char(0x3B));
    return b;
}

// An animated GIF89a that loops for ever: each frame is made by GifBytes (its palette becomes
// the frame's local colour table), shown for `delayCs` hundredths of a second, and cleared to
// transparent before the next one.
inline QByteArray AnimatedGifBytes(const std::vector<QImage>& frames, int delayCs) {
    QByteArray b("GIF89a");
    const QSize size = frames.empty() ? QSize(1, 1) : frames.front().size();
    PutU16(b, unsigned(size.width()));
    PutU16(b, unsigned(size.height()));
    b.append(char(0));  // no global colour table
    b.append(char(0));
    b.append(char(0));
    b.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (const QImage& frame : frames) {
        const QByteArray one = GifBytes(frame);
        const qsizetype paletteAt = 13, afterPalette = 13 + 768;
        qsizetype at = afterPalette;
        int transparent = -1;
        if (static_cast<unsigned char>(one[at]) == 0x21) {
            transparent = static_cast<unsigned char>(one[at + 6]);
            at += 8;
        }
        // Disposal 2 (back to the background), with or without a transparent colour.
        b.append("\x21\xF9\x04", 3);
        b.append(char((2 << 2) | (transparent >= 0 ? 1 : 0)));
        PutU16(b, unsigned(delayCs));
        b.append(char(transparent >= 0 ? transparent : 0));
        b.append(char(0));
        QByteArray descriptor = one.mid(at, 10);
        descriptor[9] = char(0x87);  // a local colour table of 256 entries
        b.append(descriptor);
        b.append(one.mid(paletteAt, 768));
        b.append(one.mid(at + 10, one.size() - (at + 10) - 1));  // LZW data, no trailer
    }
    b.append(char(0x3B));
    return b;
}

}  // namespace demo
