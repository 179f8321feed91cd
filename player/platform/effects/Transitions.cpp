#include "platform/effects/Transitions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/effects/VectorClones.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace storyloom::effects {
namespace {

double ClampProgress(double progress) {
    return std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
}

// `picture` as the destination needs it: in the destination's format and covering its size,
// black where the picture has no pixel. Normally the picture itself, without a copy.
QImage Covering(const QImage& picture, const QImage& destination) {
    const QImage::Format format = destination.format();
    if (!picture.isNull() && picture.format() == format && picture.width() >= destination.width() &&
        picture.height() >= destination.height())
        return picture;
    QImage padded(destination.size(), format);
    padded.fill(0xFF000000u);
    const QImage converted = InFormat(picture, format);
    const int w = std::min(converted.width(), padded.width());
    const int h = std::min(converted.height(), padded.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(padded.scanLine(y), converted.constScanLine(y), size_t(w) * 4);
    return padded;
}

quint32* Row(QImage& image, int y) {
    return reinterpret_cast<quint32*>(image.scanLine(y));
}

const quint32* Row(const QImage& image, int y) {
    return reinterpret_cast<const quint32*>(image.constScanLine(y));
}

// One channel: round((n * a + o * (255 - a)) / 255), exact for every input.
inline quint32 BlendChannel(quint32 o, quint32 n, quint32 a) {
    const quint32 v = n * a + o * (255 - a) + 128;
    return (v + (v >> 8)) >> 8;
}

EFFECTS_VECTOR_LOOP void BlendRow(quint32* out, const quint32* oldRow, const quint32* newRow, int n,
                                  int opacity) {
    int j = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i an = _mm_set1_epi16(short(opacity));
    const __m128i ao = _mm_set1_epi16(short(255 - opacity));
    const __m128i half = _mm_set1_epi16(128);
    // 16-bit lanes: n * a + o * (255 - a) + 128 is at most 65153, so nothing overflows.
    auto blend = [&](__m128i o, __m128i nw) {
        __m128i v =
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(nw, an), _mm_mullo_epi16(o, ao)), half);
        return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
    };
    for (; j + 4 <= n; j += 4) {
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(oldRow + j));
        const __m128i nw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(newRow + j));
        const __m128i lo = blend(_mm_unpacklo_epi8(o, zero), _mm_unpacklo_epi8(nw, zero));
        const __m128i hi = blend(_mm_unpackhi_epi8(o, zero), _mm_unpackhi_epi8(nw, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(lo, hi));
    }
#endif
    const quint32 a = quint32(opacity);
    for (; j < n; ++j) {
        const quint32 o = oldRow[j];
        const quint32 nw = newRow[j];
        quint32 result = 0;
        for (int shift = 0; shift < 32; shift += 8)
            result |= BlendChannel((o >> shift) & 255, (nw >> shift) & 255, a) << shift;
        out[j] = result;
    }
}

void Slide(QImage& destination, int kind, const QImage& oldPic, const QImage& newPic, double p) {
    const int w = destination.width();
    const int h = destination.height();
    const size_t rowBytes = size_t(w) * 4;
    switch (kind) {
        case 2: {  // [new | old] moving right
            const int off = SlideOffset(p, w);
            for (int y = 0; y < h; ++y) {
                quint32* out = Row(destination, y);
                std::memcpy(out, Row(newPic, y) + (w - off), size_t(off) * 4);
                std::memcpy(out + off, Row(oldPic, y), size_t(w - off) * 4);
            }
            break;
        }
        case 3: {  // [old | new] moving left
            const int off = SlideOffset(p, w);
            for (int y = 0; y < h; ++y) {
                quint32* out = Row(destination, y);
                std::memcpy(out, Row(oldPic, y) + off, size_t(w - off) * 4);
                std::memcpy(out + (w - off), Row(newPic, y), size_t(off) * 4);
            }
            break;
        }
        case 4: {  // new above old, moving down
            const int off = SlideOffset(p, h);
            for (int y = 0; y < h; ++y) {
                const quint32* in = y < off ? Row(newPic, h - off + y) : Row(oldPic, y - off);
                std::memcpy(Row(destination, y), in, rowBytes);
            }
            break;
        }
        default: {  // 5: old above new, moving up
            const int off = SlideOffset(p, h);
            for (int y = 0; y < h; ++y) {
                const quint32* in = y < h - off ? Row(oldPic, y + off) : Row(newPic, y - (h - off));
                std::memcpy(Row(destination, y), in, rowBytes);
            }
            break;
        }
    }
}

}  // namespace

int TransitionOpacity(double progress) {
    return int(std::lround(ClampProgress(progress) * 255.0));
}

int SlideOffset(double progress, int extent) {
    if (extent <= 0) return 0;
    return int(std::lround(ClampProgress(progress) * double(extent)));
}

EffectStatus ComposeCrossFade(QImage& destination, const QImage& oldPicture,
                              const QImage& newPicture, int opacity) {
    if (destination.isNull() || !IsThirtyTwoBit(destination.format()))
        return EffectStatus::BadDestination;
    const QImage oldPic = Covering(oldPicture, destination);
    const QImage newPic = Covering(newPicture, destination);
    const int a = std::clamp(opacity, 0, 255);
    const int w = destination.width();
    destination.bits();
    for (int y = 0; y < destination.height(); ++y) {
        quint32* out = Row(destination, y);
        if (a == 0)
            std::memcpy(out, Row(oldPic, y), size_t(w) * 4);
        else if (a == 255)
            std::memcpy(out, Row(newPic, y), size_t(w) * 4);
        else
            BlendRow(out, Row(oldPic, y), Row(newPic, y), w, a);
    }
    return EffectStatus::Drawn;
}

EffectStatus ComposeTransitionStep(QImage& destination, int transitionNumber,
                                   const QImage& oldPicture, const QImage& newPicture,
                                   double progress) {
    if (destination.isNull() || !IsThirtyTwoBit(destination.format()))
        return EffectStatus::BadDestination;
    if (std::isnan(progress) || transitionNumber < 0 || transitionNumber > kTransitionCount)
        return EffectStatus::BadArgument;
    const double p = ClampProgress(progress);
    if (transitionNumber <= 1)
        return ComposeCrossFade(destination, oldPicture, newPicture, TransitionOpacity(p));
    const QImage oldPic = Covering(oldPicture, destination);
    const QImage newPic = Covering(newPicture, destination);
    destination.bits();
    Slide(destination, transitionNumber, oldPic, newPic, p);
    return EffectStatus::Drawn;
}

}  // namespace storyloom::effects
