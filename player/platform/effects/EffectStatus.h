#pragma once
// What a drawing call of the effects and transitions did. These calls never throw and never
// read or write outside their pictures: a bad argument comes back as a status and leaves the
// destination as it was.
#include <QImage>

namespace storyloom::effects {

enum class EffectStatus {
    Drawn,           // the destination holds the new drawing (perhaps clipped to the pictures)
    NothingToDraw,   // the rectangle has no area or lies outside a picture: nothing changed
    BadDestination,  // the destination is empty or not a 32-bit picture: nothing changed
    BadArgument,     // a transition number outside 0..5, a progress that is not a number, a
                     // wave rectangle too large to sample
};

// A short English description, for the error box's "description" part.
const char* EffectStatusText(EffectStatus status);

// The 32-bit formats the drawing calls work in: RGB32, ARGB32 and ARGB32_Premultiplied.
bool IsThirtyTwoBit(QImage::Format format);

// `image` in `format`: the image itself (a shallow copy) when it is already in that format,
// else a converted copy. A null image stays null.
QImage InFormat(const QImage& image, QImage::Format format);

}  // namespace storyloom::effects
