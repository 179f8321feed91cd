#pragma once
#include <optional>
// Draws a window and its controls, back to front, into an image of the window's own size;
// and presents such an image scaled onto a larger (real) screen.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

class Renderer {
  public:
    // A new RGB32 image of the window's client size.
    static QImage Compose(const Window& window);
    // Reuses `target` when it has the right size and format (no allocation per frame).
    static void ComposeInto(const Window& window, QImage& target);
    // Draws one control (and what it contains) with its top-left corner at the painter's
    // origin. Hidden controls draw nothing; the rest paint themselves (Control::Paint).
    static void DrawControl(QPainter& painter, const Control& control);
    static bool SavePng(const Window& window, const QString& path);
};

// How a picture fills a larger (or smaller) area: Original at its own size, centred; Sharp by
// the largest whole factor that fits, without filtering (the whole fit when none does);
// Smooth as large as fits with its aspect kept, filtered; Stretch filling the area.
enum class ScalingMode { Original, Sharp, Smooth, Stretch };

// "original", "sharp", "smooth", "stretch"; nullopt for another name.
std::optional<ScalingMode> ScalingModeNamed(const QString& name);
QString ScalingModeName(ScalingMode mode);

// Where an image of `source` size goes inside `target`: as large as fits with the aspect kept,
// centred (the rest is black bars). Sharp scaling uses the largest whole factor that fits
// (1 and up; an image larger than the target is shrunk to fit instead).
QRect LetterboxRect(QSize source, QSize target, ScalingMode mode);
// Paints `frame` letterboxed into `area` (bars black), drawn scaled by the painter.
void Present(QPainter& painter, const QImage& frame, const QRect& area, ScalingMode mode);
// A point of `area` back in the frame's pixels (outside the picture: clamped to its edges).
QPoint MapToFrame(QPoint point, QSize frame, const QRect& area, ScalingMode mode);

}  // namespace storyloom::forms
