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

// Where the pixels of a row sample the source: the top-left pixel (x, y) of a 2 x 2 block
// inside the clipped source rectangle, and the weights w (0 to 256) of its right and lower
// pixels, packed for the interpolation as (w << 16) | (256 - w).
struct RowSamples {
    explicit RowSamples(int padded)
        : x(size_t(padded)), y(size_t(padded)), wx(size_t(padded)), wy(size_t(padded)) {}
    std::vector<qint32> x, y, wx, wy;
};

// The displacement field of one row and the samples it gives. cosX/sinX hold, per wave, cos
// and sin of kx * x for the row's columns (padded to a multiple of 4 with zeros); rowCos and
// rowSin the row's own terms; ax/ay the waves' displacements at a crest.
EFFECTS_VECTOR_LOOP void SamplePositions(int count, int padded, const float* cosX,
                                         const float* sinX, const float* rowCos,
                                         const float* rowSin, const float* ax, const float* ay,
                                         int row, int cw, int ch, RowSamples& out) {
    const float lastColumn = float(cw - 1);
    const float lastRow = float(ch - 1);
    // The block's top-left pixel stays one before the last column and row (when there is one).
    const int blockX = std::max(cw - 2, 0);
    const int blockY = std::max(ch - 2, 0);
#if defined(__SSE2__)
    __m128 cosV[kMaxWaves], sinV[kMaxWaves], axV[kMaxWaves], ayV[kMaxWaves];
    for (int i = 0; i < count; ++i) {
        cosV[i] = _mm_set1_ps(rowCos[i]);
        sinV[i] = _mm_set1_ps(rowSin[i]);
        axV[i] = _mm_set1_ps(ax[i]);
        ayV[i] = _mm_set1_ps(ay[i]);
    }
    const __m128 zero = _mm_setzero_ps();
    const __m128 scale = _mm_set1_ps(256.0f);
    const __m128i full = _mm_set1_epi32(256);
    auto sample = [&](__m128 p, __m128 last, __m128i block, qint32* at, qint32* weight) {
        p = _mm_min_ps(_mm_max_ps(p, zero), last);
        __m128i i = _mm_cvttps_epi32(p);
        const __m128i over = _mm_cmpgt_epi32(i, block);
        i = _mm_or_si128(_mm_and_si128(over, block), _mm_andnot_si128(over, i));
        const __m128i w = _mm_cvttps_epi32(_mm_mul_ps(_mm_sub_ps(p, _mm_cvtepi32_ps(i)), scale));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), i);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(weight),
                         _mm_or_si128(_mm_slli_epi32(w, 16), _mm_sub_epi32(full, w)));
    };
    const __m128 lastX = _mm_set1_ps(lastColumn);
    const __m128 lastY = _mm_set1_ps(lastRow);
    const __m128i blockXV = _mm_set1_epi32(blockX);
    const __m128i blockYV = _mm_set1_epi32(blockY);
    const __m128 rowV = _mm_set1_ps(float(row));
    __m128 columns = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
    const __m128 four = _mm_set1_ps(4.0f);
    for (int j = 0; j < padded; j += 4) {
        __m128 dx = zero;
        __m128 dy = zero;
        for (int i = 0; i < count; ++i) {
            const size_t at = size_t(i) * size_t(padded) + size_t(j);
            const __m128 c = _mm_sub_ps(_mm_mul_ps(_mm_loadu_ps(cosX + at), cosV[i]),
                                        _mm_mul_ps(_mm_loadu_ps(sinX + at), sinV[i]));
            dx = _mm_add_ps(dx, _mm_mul_ps(c, axV[i]));
            dy = _mm_add_ps(dy, _mm_mul_ps(c, ayV[i]));
        }
        sample(_mm_add_ps(columns, dx), lastX, blockXV, out.x.data() + j, out.wx.data() + j);
        sample(_mm_add_ps(rowV, dy), lastY, blockYV, out.y.data() + j, out.wy.data() + j);
        columns = _mm_add_ps(columns, four);
    }
#else
    auto sample = [](float p, float last, int block, qint32& at, qint32& weight) {
        p = std::min(std::max(p, 0.0f), last);
        at = std::min(qint32(p), block);
        const qint32 w = qint32((p - float(at)) * 256.0f);
        weight = (w << 16) | (256 - w);
    };
    for (int j = 0; j < padded; ++j) {
        float dx = 0;
        float dy = 0;
        for (int i = 0; i < count; ++i) {
            const size_t at = size_t(i) * size_t(padded) + size_t(j);
            const float c = cosX[at] * rowCos[i] - sinX[at] * rowSin[i];
            dx += c * ax[i];
            dy += c * ay[i];
        }
        sample(float(j) + dx, lastColumn, blockX, out.x[size_t(j)], out.wx[size_t(j)]);
        sample(float(row) + dy, lastRow, blockY, out.y[size_t(j)], out.wy[size_t(j)]);
    }
#endif
}

#if defined(__SSE2__)
// Bilinear sample of the 2 x 2 block whose top-left pixel is `top`, with packed weights.
// Equal pixels give exactly that pixel.
inline quint32 Bilinear(const quint32* top, qint64 stride, qint32 wx, qint32 wy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i t = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(top));
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(top + stride));
    // Each channel as a (top, bottom) pair of 16-bit values: left column, then right column.
    const __m128i pairs = _mm_unpacklo_epi8(t, b);
    const __m128i wyv = _mm_set1_epi32(wy);
    const __m128i left = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(pairs, zero), wyv), 8);
    const __m128i right = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(pairs, zero), wyv), 8);
    // Each channel as a (left, right) pair.
    const __m128i across = _mm_or_si128(left, _mm_slli_epi32(right, 16));
    const __m128i channels = _mm_srli_epi32(_mm_madd_epi16(across, _mm_set1_epi32(wx)), 8);
    const __m128i words = _mm_packs_epi32(channels, channels);
    return quint32(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}
#endif

// One output row from its samples of the cw x ch source rectangle that starts at `origin`.
EFFECTS_VECTOR_LOOP void SampleRow(quint32* out, const quint32* origin, qint64 stride,
                                   const RowSamples& samples, int cw, int ch) {
#if defined(__SSE2__)
    if (cw >= 2 && ch >= 2) {
        for (int j = 0; j < cw; ++j) {
            const size_t k = size_t(j);
            out[j] = Bilinear(origin + samples.y[k] * stride + samples.x[k], stride, samples.wx[k],
                              samples.wy[k]);
        }
        return;
    }
#endif
    // A rectangle one pixel wide or high has no 2 x 2 blocks: its edge pixel repeats.
    for (int j = 0; j < cw; ++j) {
        const size_t k = size_t(j);
        const int x = samples.x[k];
        const int x1 = std::min(x + 1, cw - 1);
        const quint32* top = origin + samples.y[k] * stride;
        const quint32* bottom = samples.y[k] + 1 < ch ? top + stride : top;
        const quint32 wx = quint32(samples.wx[k]) >> 16;
        const quint32 wy = quint32(samples.wy[k]) >> 16;
        out[j] = Lerp(Lerp(top[x], top[x1], wx), Lerp(bottom[x], bottom[x1], wx), wy);
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

    RowSamples samples(padded);
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
        SamplePositions(count, padded, cosX.data(), sinX.data(), rowCos.data(), rowSin.data(),
                        ax.data(), ay.data(), r, cw, ch, samples);
        SampleRow(destRow(y), srcOrigin, srcStride, samples, cw, ch);
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
