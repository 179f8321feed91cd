#include "platform/effects/EffectStatus.h"

namespace storyloom::effects {

const char* EffectStatusText(EffectStatus status) {
    switch (status) {
        case EffectStatus::Drawn:
            return "Drawn";
        case EffectStatus::NothingToDraw:
            return "Nothing to draw";
        case EffectStatus::BadDestination:
            return "The destination picture is empty or not a 32-bit picture";
        case EffectStatus::BadArgument:
            return "Invalid argument";
    }
    return "Unknown status";
}

bool IsThirtyTwoBit(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

QImage InFormat(const QImage& image, QImage::Format format) {
    if (image.isNull() || image.format() == format) return image;
    return image.convertToFormat(format);
}

}  // namespace storyloom::effects
