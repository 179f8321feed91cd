#pragma once
// The rippling-water effect: the three operations the game calls (FoxTime, FoxWave,
// FoxFastMask), the phase rule that joins them, and the mask preparation of the still part.
//
// Algorithm (FoxWave): refraction through a height field of travelling sine waves. The water
// surface is a sum of `waveCount` plane waves, h = sum of H_i sin(k_i . r - w_i phase + c_i);
// light through a sloped surface is bent in proportion to the slope, so each output pixel
// shows the source pixel displaced along the surface gradient:
//     out(r) = source(r + sum of A_i cos(k_i . r - w_i phase + c_i) u_i)
// sampled bilinearly, where u_i is the unit direction of wave i. The main wave travels in
// `directionDegrees`; the others spread around it at fixed angles, each with a shorter
// wavelength and a smaller amplitude (wavelength ratio 0.63, amplitude ratio 0.55), and move
// at deep-water speeds (w_i = sqrt(k_i / k_0)). The amplitudes add up to `waveHeight` pixels,
// and the main wavelength is 6 x waveHeight + 16 pixels, so the surface slope stays moderate
// at every height: the picture bends and swings, it never breaks up into noise. A flat colour
// stays exactly flat. Everything is a function of the arguments only: the same source and the
// same phase give the same pixels, bit for bit.
//
// Positions. FoxWave and FoxFastMask take rectangles the way a block copy does: a destination
// rectangle and the top-left corners of the same-sized rectangles in the other pictures. The
// rectangle is clipped to every picture; pixels outside the clipped rectangle are not touched
// and nothing outside a picture is ever read or written.
//
// Pictures are 32-bit (RGB32, ARGB32, ARGB32_Premultiplied); the destination must be one of
// those, other pictures are converted to the destination's format (a copy) when they differ.
#include <QImage>
#include <QtGlobal>
#include <functional>

#include "platform/effects/EffectStatus.h"

namespace storyloom::effects {

// The effect's clock. FoxTime(1) starts it again (and returns 0); FoxTime(0) returns the whole
// milliseconds since the last FoxTime(1), or since the clock was made. Other arguments read the
// clock like 0. The source gives milliseconds on a monotonic clock (the event loop's, virtual
// in tests); an empty source reads as a clock that stands still. A source that goes back
// reads as 0; more than 2^31 - 1 milliseconds reads as 2^31 - 1.
class WaterClock {
  public:
    using MillisecondsSource = std::function<qint64()>;
    explicit WaterClock(MillisecondsSource now);

    qint32 FoxTime(qint32 mode);

  private:
    qint64 Now() const;
    MillisecondsSource now_;
    qint64 start_ = 0;
};

// The phase of the waves after t clock milliseconds:
//     s x ((speed + 2) / 10)^4 / 300 x t,  s = -1 when reverse, else 1,
// computed in double precision and handed over as a float. With speed 8 the phase grows by
// 1/300 per millisecond (about half a turn of the main wave per second).
float RipplePhase(int speed, bool reverse, qint32 t);

// One wave step: draws the source rectangle (sourceX, sourceY, width, height), refracted by
// the waves at `phase`, into the destination rectangle (destX, destY, width, height).
//   waveHeight       the largest displacement in pixels; its magnitude is used, at most 64;
//                    0 copies the source unchanged (still water)
//   waveCount        number of waves in the surface, 1 to 8 (values outside are clamped)
//   phase            from RipplePhase; not-a-number or infinite phases count as 0
//   directionDegrees the way the main wave travels on screen: 0 to the right, 90 down
//                    (toward the viewer); not finite counts as 90
//   distanceFade     0 ripples every row alike; up to 1 the ripples fade toward the top row
//                    of the rectangle (1: the top row is still), as far-away water looks
//                    calmer; values outside 0..1 are clamped, not-a-number counts as 0
// The game passes (destination, 0, 0, width, height, source, 0, 0, RippleWaveParameter, 4,
// phase, 90.0, 0.0). Displaced samples are taken from inside the clipped source rectangle
// (its edge pixels repeat). The source may be the destination itself (it is copied first).
// A clipped rectangle of more than 65536 pixels a side is refused (BadArgument).
EffectStatus FoxWave(QImage& destination, int destX, int destY, int width, int height,
                     const QImage& source, int sourceX, int sourceY, int waveHeight, int waveCount,
                     float phase, double directionDegrees, double distanceFade);

// Keeps the wave only where the mask ripples. Over the destination rectangle, per bit:
//     destination := (destination AND NOT mask) OR (picture AND mask)
// so a black mask pixel keeps the destination (the wave), a white one takes the picture (the
// still copy), and grey levels mix bit by bit. A non-zero `mode` inverts the mask (white
// ripples, black is still); the game passes 0. Where the mask has no pixel (a mask smaller
// than the rectangle, or placed partly outside) the picture shows, in either mode. Pixels
// that the picture does not cover are left as they are.
EffectStatus FoxFastMask(QImage& destination, int destX, int destY, int width, int height,
                         const QImage& picture, int pictureX, int pictureY, const QImage& mask,
                         int maskX, int maskY, int mode);

// Prepares the still copy: destination := destination OR NOT mask, with the mask's top-left
// corner on the destination's (a block copy with the raster operation "destination OR NOT
// source"). White mask pixels leave the destination as it is, black ones make it white.
// Where the mask has no pixel the destination is unchanged.
EffectStatus OrInvertedMask(QImage& destination, const QImage& mask);

}  // namespace storyloom::effects
