#pragma once
// The demo's pictures, painted with QPainter: evening skies, the sea, the lighthouse and its
// rooms. Every scene is 800 x 600. Random details (stars, sparkles, stone) come from a fixed
// seed, so the pictures come out the same on every run.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRect>
#include <cstdint>

namespace demo {

inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;

// A small deterministic generator for scattered details.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    double Real() { return double(Next() & 0xFFFFFF) / double(0x1000000); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Real(); }

  private:
    std::uint32_t state_;
};

QImage PaintShore();
// The shore's rippling water: the region of the shore picture that holds the sea, and its mask
// (black where the sea ripples, white over the headland and the beach).
inline constexpr QRect kShoreWater(0, 360, 800, 120);
QImage PaintShoreWaterMask();
QImage PaintDoor();
QImage PaintStairs();
QImage PaintLampRoom();
// The lamp room behind the open logbook (the close-up overlay of the merged frame).
QImage PaintLogbook(const QImage& lampRoom);
QImage PaintEnding();

// Hotspot pictures: drawn over the part of the scene they cover, so that a shown hotspot
// blends into the picture and a hidden one leaves the plain scene behind.
QImage PaintKey(const QImage& shore, QRect rect);  // transparent around the key
QImage PaintOilCan(const QImage& stairs, QRect rect);
QImage PaintLitLens(const QImage& lampRoom, QRect rect);
QImage PaintGoodNight(const QImage& ending, QRect rect);

// The welcome window's pictures.
QImage PaintWelcomeButton(const QString& caption, bool accent);
QImage PaintWelcomeTile();

// Pointers, 32 x 32 with alpha.
QImage PaintHandPointer();  // hot spot at the finger tip
QImage PaintWalkPointer();  // an arrow with a footprint; hot spot at the arrow's point

}  // namespace demo
