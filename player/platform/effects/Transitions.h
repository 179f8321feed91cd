#pragma once
// Drawing one step of an animated change between two frame pictures: the cross-fade and the
// four slides. Pure functions over pictures; the timing, the capture of the pictures and the
// showing of the result belong to the caller. Progress p runs from 0 (the old picture) to 1
// (the new picture) and is taken from a clock, not from a step count.
//
// The kinds, by transition number:
//   0, 1  cross-fade: the new picture over the old one with constant opacity
//         a = p x 255 rounded to a byte, each channel round((new x a + old x (255 - a)) / 255)
//   2     slide left:  the strip [new | old] moves right: the new picture enters from the left
//   3     slide right: the strip [old | new] moves left: the new picture enters from the right
//   4     slide up:    the strip [new above old] moves down: the new picture enters from the top
//   5     slide down:  the strip [old above new] moves up: the new picture enters from the bottom
// A slide has moved SlideOffset(p, extent) pixels: round(p x extent), the width for kinds 2
// and 3, the height for 4 and 5. At p = 0 every kind draws exactly the old picture, at p = 1
// exactly the new one.
//
// The destination is the display area, a 32-bit picture (RGB32, ARGB32 or
// ARGB32_Premultiplied) the caller keeps between steps; the old and new pictures are laid at
// its top-left corner. Where one of them has no pixel (it is smaller than the destination) the
// step draws black; pictures in another format are converted first (slow; the game's frame
// pictures are RGB32 already).
#include <QImage>

#include "platform/effects/EffectStatus.h"

namespace storyloom::effects {

inline constexpr int kTransitionCount = 5;

// Opacity of the new picture at progress p: p x 255 rounded, p clamped to 0..1.
int TransitionOpacity(double progress);

// Pixels the new picture has entered after progress p along `extent` pixels: round(p x
// extent), p clamped to 0..1.
int SlideOffset(double progress, int extent);

// Draws step p of transition `transitionNumber` into `destination`. A progress outside 0..1 is
// clamped; a progress that is not a number or a number outside 0..5 is BadArgument and draws
// nothing.
EffectStatus ComposeTransitionStep(QImage& destination, int transitionNumber,
                                   const QImage& oldPicture, const QImage& newPicture,
                                   double progress);

// The cross-fade at a given opacity (0 = the old picture, 255 = the new one; clamped).
EffectStatus ComposeCrossFade(QImage& destination, const QImage& oldPicture,
                              const QImage& newPicture, int opacity);

}  // namespace storyloom::effects
