#include "platform/effects/RipplingWater.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "platform/effects/VectorClones.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace storyloom::effects {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr int kMaxWaveHeight = 64;
constexpr int kMaxWaves = 8;
// Sample positions are floats with 8 fraction bits: exact up to this many pixels a side.
constexpr int kLargestSide = 65536;
constexpr double kWavelengthRatio = 0.63;
constexpr double kAmplitudeRatio = 0.55;
// Directions of the waves relative to the main one (degrees), and where each starts.
constexpr std::array<double, kMaxWaves> kSpreadDegrees = {0, 33, -27, 61, -52, 14, -76, 87};
constexpr std::array<double, kMaxWaves> kStartOffset = {0, 1.7, 4.1, 2.9, 0.6, 5.3, 3.7, 1.1};

// A half-open range [from, to) of rectangle coordinates.
struct Span {
    int from = 0;
    int to = 0;
    int Size() const { return to - from; }
};

// The part of 0 .. extent - 1 (coordinates inside the rectangle) whose pixels lie inside every
// picture, each given as (where the rectangle starts in the picture, the picture's size).
Span ClipAxis(int extent, std::initializer_list<std::pair<int, int>> placements) {
    qint64 from = 0;
    qint64 to = extent;
    for (const auto& [origin, size] : placements) {
        from = std::max<qint64>(from, -qint64(origin));
        to = std::min<qint64>(to, qint64(size) - qint64(origin));
    }
    if (to <= from) return {};
    return {int(from), int(to)};
}

// The pixel at (x, y), which the caller has clipped to the picture.
quint32* Pixel(QImage& image, qint64 x, qint64 y) {
    return reinterpret_cast<quint32*>(image.scanLine(int(y))) + x;
}

const quint32* Pixel(const QImage& image, qint64 x, qint64 y) {
    return reinterpret_cast<const quint32*>(image.constScanLine(int(y))) + x;
}

// Linear interpolation of two pixels, all four channels at once, weight w of b in 0..256.
// Equal pixels give exactly that pixel.
inline quint32 Lerp(quint32 a, quint32 b, quint32 w) {
    const quint32 v = 256 - w;
    const quint32 rb = (((a & 0x00FF00FFu) * v + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
    const quint32 ag = (((a >> 8) & 0x00FF00FFu) * v + ((b >> 8) & 0x00FF00FFu) * w) & 0xFF00FF00u;
    return rb | ag;
}

struct Wave {
    double kx = 0;  // wave vector, radians per pixel
    double ky = 0;
    float ax = 0;  // displacement at a crest, pixels
    float ay = 0;
    double speed = 1;   // phase multiplier
    double offset = 0;  // where the wave starts, radians
};

std::vector<Wave> MakeWaves(int height, int count, double directionDegrees) {
    double amplitudeSum = 0;
    for (int i = 0; i < count; ++i) amplitudeSum += std::pow(kAmplitudeRatio, i);
    const double mainWavelength = 6.0 * height + 16.0;
    std::vector<Wave> waves(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double wavelength = mainWavelength * std::pow(kWavelengthRatio, i);
        const double k = kTwoPi / wavelength;
        const double angle = (directionDegrees + kSpreadDegrees[size_t(i)]) * kPi / 180.0;
        const double amplitude = height * std::pow(kAmplitudeRatio, i) / amplitudeSum;
        Wave& w = waves[size_t(i)];
        w.kx = k * std::cos(angle);
        w.ky = k * std::sin(angle);
        w.ax = float(amplitude * std::cos(angle));
        w.ay = float(amplitude * std::sin(angle));
        w.speed = std::sqrt(mainWavelength / wavelength);
        w.offset = kStartOffset[size_t(i)];
    }
    return waves;
}

// The displacement field of one row, turned into fixed-point sample positions (8 fraction
// bits) inside the clipped rectangle. cosX/sinX hold, per wave, cos and sin of kx * x for the
// row's columns (padded to a multiple of 4 with zeros); rowCos/rowSin the row's terms.
EFFECTS_VECTOR_LOOP void SamplePositions(int count, int padded, const std::vector<float>& cosX,
                                         const std::vector<float>& sinX, const float* rowCos,
                                         const float* rowSin, const float* ax, const float* ay,
                                         float rowIndex, float lastColumn, float lastRow,
                                         qint32* fx, qint32* fy) {
#if defined(__SSE2__)
    const __m128 zero = _mm_setzero_ps();
    const __m128 scale = _mm_set1_ps(256.0f);
    const __m128 maxX = _mm_set1_ps(lastColumn);
    const __m128 maxY = _mm_set1_ps(lastRow);
    const __m128 rowV = _mm_set1_ps(rowIndex);
    __m128 columns = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
    const __m128 four = _mm_set1_ps(4.0f);
    for (int j = 0; j < padded; j += 4) {
        __m128 dx = zero;
        __m128 dy = zero;
        for (int i = 0; i < count; ++i) {
            const float* cx = cosX.data() + size_t(i) * size_t(padded) + j;
            const float* sx = sinX.data() + size_t(i) * size_t(padded) + j;
            const __m128 c = _mm_sub_ps(_mm_mul_ps(_mm_loadu_ps(cx), _mm_set1_ps(rowCos[i])),
                                        _mm_mul_ps(_mm_loadu_ps(sx), _mm_set1_ps(rowSin[i])));
            dx = _mm_add_ps(dx, _mm_mul_ps(c, _mm_set1_ps(ax[i])));
            dy = _mm_add_ps(dy, _mm_mul_ps(c, _mm_set1_ps(ay[i])));
        }
        __m128 px = _mm_min_ps(_mm_max_ps(_mm_add_ps(columns, dx), zero), maxX);
        __m128 py = _mm_min_ps(_mm_max_ps(_mm_add_ps(rowV, dy), zero), maxY);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(fx + j),
                         _mm_cvttps_epi32(_mm_mul_ps(px, scale)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(fy + j),
                         _mm_cvttps_epi32(_mm_mul_ps(py, scale)));
        columns = _mm_add_ps(columns, four);
    }
#else
    for (int j = 0; j < padded; ++j) {
        float dx = 0;
        float dy = 0;
        for (int i = 0; i < count; ++i) {
            const size_t at = size_t(i) * size_t(padded) + size_t(j);
            const float c = cosX[at] * rowCos[i] - sinX[at] * rowSin[i];
            dx += c * ax[i];
            dy += c * ay[i];
        }
        const float px = std::min(std::max(float(j) + dx, 0.0f), lastColumn);
        const float py = std::min(std::max(rowIndex + dy, 0.0f), lastRow);
        fx[j] = qint32(px * 256.0f);
        fy[j] = qint32(py * 256.0f);
    }
#endif
}

#if defined(__SSE2__)
// Bilinear sample between the pixel pairs top[0..1] and bottom[0..1], weights 0..256 of the
// right and the lower pixel. Equal pixels give exactly that pixel.
inline quint32 Bilinear(const quint32* top, const quint32* bottom, int wx, int wy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i t = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(top));
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom));
    // Each channel as a (top, bottom) pair of 16-bit values: column 0, then column 1.
    const __m128i pairs = _mm_unpacklo_epi8(t, b);
    const __m128i wyv = _mm_set1_epi32((wy << 16) | (256 - wy));
    const __m128i left = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(pairs, zero), wyv), 8);
    const __m128i right = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(pairs, zero), wyv), 8);
    // Each channel as a (left, right) pair.
    const __m128i across = _mm_or_si128(left, _mm_slli_epi32(right, 16));
    const __m128i wxv = _mm_set1_epi32((wx << 16) | (256 - wx));
    const __m128i channels = _mm_srli_epi32(_mm_madd_epi16(across, wxv), 8);
    const __m128i words = _mm_packs_epi32(channels, channels);
    return quint32(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}
#endif

// One output row from the fixed-point sample positions (8 fraction bits) inside the cw x ch
// source rectangle that starts at `origin`.
EFFECTS_VECTOR_LOOP void SampleRow(quint32* out, const quint32* origin, qint64 stride,
                                   const qint32* fx, const qint32* fy, int cw, int ch) {
    const int lastColumn = cw - 1;
    const int lastRow = ch - 1;
#if defined(__SSE2__)
    if (cw >= 2 && ch >= 2) {
        for (int j = 0; j < cw; ++j) {
            int sx = fx[j] >> 8;
            int sy = fy[j] >> 8;
            int wx = fx[j] & 255;
            int wy = fy[j] & 255;
            // On the last column or row, take the pair before it with full weight on its end.
            if (sx >= lastColumn) sx = lastColumn - 1, wx = 256;
            if (sy >= lastRow) sy = lastRow - 1, wy = 256;
            const quint32* top = origin + sy * stride + sx;
            out[j] = Bilinear(top, top + stride, wx, wy);
        }
        return;
    }
#endif
    for (int j = 0; j < cw; ++j) {
        const int sx = fx[j] >> 8;
        const int sy = fy[j] >> 8;
        const quint32 wx = quint32(fx[j] & 255);
        const quint32 wy = quint32(fy[j] & 255);
        const int sx1 = sx + (sx < lastColumn ? 1 : 0);
        const quint32* top = origin + sy * stride;
        const quint32* bottom = top + (sy < lastRow ? stride : 0);
        out[j] = Lerp(Lerp(top[sx], top[sx1], wx), Lerp(bottom[sx], bottom[sx1], wx), wy);
    }
}

}  // namespace

// ---- FoxTime ----

WaterClock::WaterClock(MillisecondsSource now) : now_(std::move(now)) {
    start_ = Now();
}

qint64 WaterClock::Now() const {
    return now_ ? now_() : 0;
}

qint32 WaterClock::FoxTime(qint32 mode) {
    const qint64 now = Now();
    if (mode == 1) {
        start_ = now;
        return 0;
    }
    if (now <= start_) return 0;
    const quint64 elapsed = quint64(now) - quint64(start_);
    return qint32(std::min<quint64>(elapsed, quint64(std::numeric_limits<qint32>::max())));
}

float RipplePhase(int speed, bool reverse, qint32 t) {
    const double base = (double(speed) + 2.0) / 10.0;
    const double phase = (reverse ? -1.0 : 1.0) * (base * base * base * base) / 300.0 * double(t);
    constexpr double kLargest = std::numeric_limits<float>::max();
    return float(std::clamp(phase, -kLargest, kLargest));
}

// ---- FoxWave ----

EffectStatus FoxWave(QImage& destination, int destX, int destY, int width, int height,
                     const QImage& source, int sourceX, int sourceY, int waveHeight, int waveCount,
                     float phase, double directionDegrees, double distanceFade) {
    if (destination.isNull() || !IsThirtyTwoBit(destination.format()))
        return EffectStatus::BadDestination;
    if (width <= 0 || height <= 0 || source.isNull()) return EffectStatus::NothingToDraw;
    const QImage src = InFormat(source, destination.format());
    const Span cols = ClipAxis(width, {{destX, destination.width()}, {sourceX, src.width()}});
    const Span rows = ClipAxis(height, {{destY, destination.height()}, {sourceY, src.height()}});
    if (cols.Size() <= 0 || rows.Size() <= 0) return EffectStatus::NothingToDraw;
    if (cols.Size() > kLargestSide || rows.Size() > kLargestSide) return EffectStatus::BadArgument;

    const int cw = cols.Size();
    const int ch = rows.Size();
    const qint64 srcStride = src.bytesPerLine() / 4;
    // bits() first: if the destination shares its pixels with the source, it gets its own.
    destination.bits();
    const quint32* srcOrigin = Pixel(src, qint64(sourceX) + cols.from, qint64(sourceY) + rows.from);
    auto destRow = [&](int y) {
        return Pixel(destination, qint64(destX) + cols.from, qint64(destY) + y);
    };

    const int amplitude = int(std::min<qint64>(std::abs(qint64(waveHeight)), kMaxWaveHeight));
    if (amplitude == 0) {
        for (int y = 0; y < ch; ++y)
            std::memcpy(destRow(rows.from + y), srcOrigin + y * srcStride, size_t(cw) * 4);
        return EffectStatus::Drawn;
    }

    const int count = std::clamp(waveCount, 1, kMaxWaves);
    if (!std::isfinite(directionDegrees)) directionDegrees = 90.0;
    const double fade = std::isnan(distanceFade) ? 0.0 : std::clamp(distanceFade, 0.0, 1.0);
    const double phaseValue = std::isfinite(phase) ? double(phase) : 0.0;
    const std::vector<Wave> waves = MakeWaves(amplitude, count, directionDegrees);

    // Column terms: cos and sin of kx * x for every wave, x in rectangle coordinates.
    const int padded = (cw + 3) & ~3;
    std::vector<float> cosX(size_t(count) * size_t(padded), 0.0f);
    std::vector<float> sinX(size_t(count) * size_t(padded), 0.0f);
    std::array<float, kMaxWaves> ax{};
    std::array<float, kMaxWaves> ay{};
    std::array<double, kMaxWaves> moved{};
    for (int i = 0; i < count; ++i) {
        const Wave& w = waves[size_t(i)];
        for (int j = 0; j < cw; ++j) {
            const double a = w.kx * double(cols.from + j);
            cosX[size_t(i) * size_t(padded) + size_t(j)] = float(std::cos(a));
            sinX[size_t(i) * size_t(padded) + size_t(j)] = float(std::sin(a));
        }
        ax[size_t(i)] = w.ax;
        ay[size_t(i)] = w.ay;
        moved[size_t(i)] = std::fmod(w.speed * phaseValue, kTwoPi);
    }

    std::vector<qint32> fx(static_cast<size_t>(padded));
    std::vector<qint32> fy(static_cast<size_t>(padded));
    std::array<float, kMaxWaves> rowCos{};
    std::array<float, kMaxWaves> rowSin{};
    for (int r = 0; r < ch; ++r) {
        const int y = rows.from + r;
        // The fade runs over the whole rectangle, so clipping does not change the picture.
        const double depth = height > 1 ? double(y) / double(height - 1) : 1.0;
        const double strength = 1.0 - fade * (1.0 - depth);
        for (int i = 0; i < count; ++i) {
            const Wave& w = waves[size_t(i)];
            const double b = w.ky * double(y) + w.offset - moved[size_t(i)];
            rowCos[size_t(i)] = float(std::cos(b) * strength);
            rowSin[size_t(i)] = float(std::sin(b) * strength);
        }
        SamplePositions(count, padded, cosX, sinX, rowCos.data(), rowSin.data(), ax.data(),
                        ay.data(), float(r), float(cw - 1), float(ch - 1), fx.data(), fy.data());
        SampleRow(destRow(y), srcOrigin, srcStride, fx.data(), fy.data(), cw, ch);
    }
    return EffectStatus::Drawn;
}

// ---- FoxFastMask ----

namespace {

// out := (dest AND NOT mask) OR (picture AND mask), mask inverted first when `invert`.
EFFECTS_VECTOR_LOOP void MaskRow(quint32* dest, const quint32* picture, const quint32* mask, int n,
                                 bool invert) {
    const quint32 flip = invert ? 0xFFFFFFFFu : 0u;
    int j = 0;
#if defined(__SSE2__)
    const __m128i flipV = _mm_set1_epi32(int(flip));
    for (; j + 4 <= n; j += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + j));
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + j));
        const __m128i m =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + j)), flipV);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + j),
                         _mm_or_si128(_mm_andnot_si128(m, d), _mm_and_si128(p, m)));
    }
#endif
    for (; j < n; ++j) {
        const quint32 m = mask[j] ^ flip;
        dest[j] = (dest[j] & ~m) | (picture[j] & m);
    }
}

}  // namespace

EffectStatus FoxFastMask(QImage& destination, int destX, int destY, int width, int height,
                         const QImage& picture, int pictureX, int pictureY, const QImage& mask,
                         int maskX, int maskY, int mode) {
    if (destination.isNull() || !IsThirtyTwoBit(destination.format()))
        return EffectStatus::BadDestination;
    if (width <= 0 || height <= 0 || picture.isNull()) return EffectStatus::NothingToDraw;
    const QImage pic = InFormat(picture, destination.format());
    const QImage msk = InFormat(mask, destination.format());
    const Span cols = ClipAxis(width, {{destX, destination.width()}, {pictureX, pic.width()}});
    const Span rows = ClipAxis(height, {{destY, destination.height()}, {pictureY, pic.height()}});
    if (cols.Size() <= 0 || rows.Size() <= 0) return EffectStatus::NothingToDraw;
    // Where the mask has pixels, inside the clipped rectangle.
    Span maskCols = ClipAxis(width, {{maskX, msk.width()}});
    maskCols.from = std::clamp(maskCols.from, cols.from, cols.to);
    maskCols.to = std::clamp(maskCols.to, maskCols.from, cols.to);
    const Span maskRows = ClipAxis(height, {{maskY, msk.height()}});

    destination.bits();
    // Columns relative to cols.from: picture, masked part, picture.
    const int maskFrom = maskCols.from - cols.from;
    const int maskTo = maskCols.to - cols.from;
    for (int y = rows.from; y < rows.to; ++y) {
        quint32* out = Pixel(destination, qint64(destX) + cols.from, qint64(destY) + y);
        const quint32* in = Pixel(pic, qint64(pictureX) + cols.from, qint64(pictureY) + y);
        const bool maskedRow = y >= maskRows.from && y < maskRows.to && maskCols.Size() > 0;
        if (!maskedRow) {
            std::memcpy(out, in, size_t(cols.Size()) * 4);
            continue;
        }
        const quint32* m = Pixel(msk, qint64(maskX) + maskCols.from, qint64(maskY) + y);
        std::memcpy(out, in, size_t(maskFrom) * 4);
        MaskRow(out + maskFrom, in + maskFrom, m, maskCols.Size(), mode != 0);
        std::memcpy(out + maskTo, in + maskTo, size_t(cols.Size() - maskTo) * 4);
    }
    return EffectStatus::Drawn;
}

EffectStatus OrInvertedMask(QImage& destination, const QImage& mask) {
    if (destination.isNull() || !IsThirtyTwoBit(destination.format()))
        return EffectStatus::BadDestination;
    if (mask.isNull()) return EffectStatus::NothingToDraw;
    const QImage msk = InFormat(mask, destination.format());
    const int w = std::min(destination.width(), msk.width());
    const int h = std::min(destination.height(), msk.height());
    destination.bits();
    for (int y = 0; y < h; ++y) {
        quint32* out = Pixel(destination, 0, y);
        const quint32* m = Pixel(msk, 0, y);
        for (int x = 0; x < w; ++x) out[x] |= ~m[x];
    }
    return EffectStatus::Drawn;
}

}  // namespace storyloom::effects
