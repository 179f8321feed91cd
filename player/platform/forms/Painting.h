#pragma once
// Painting shared by the control kinds: the colours and 3D edges of the classic grey desktop, and
// a container's children drawn inside its inner area.
#include <QColor>
#include <QPainter>
#include <QRect>

#include "platform/forms/Control.h"

namespace storyloom::forms {

inline const QColor kWhite(0xFF, 0xFF, 0xFF), kBlack(0, 0, 0);
// The 3D greys: button face, the light and the shadow of an edge.
inline const QColor kFace(0xC0, 0xC0, 0xC0), kLight(0xDF, 0xDF, 0xDF), kShadow(0x80, 0x80, 0x80);
// Selected list rows and text: white on dark blue.
inline const QColor kSelection(0x00, 0x00, 0x80);

// The sunken 3D edge of picture boxes and bordered labels, two pixels wide: grey and black
// above and to the left, white and light grey below and to the right. A rectangle narrower than
// four pixels gets the outer ring only.
void DrawSunkenBorder(QPainter& painter, const QRect& r);
// The same edge around the white boxes of text boxes, lists and check marks, which show no edge
// at all when smaller than both rings.
void DrawSunkenBox(QPainter& painter, const QRect& r);
// A raised button face with its 3D edge (the drop-down button of a drive list).
void DrawRaisedBox(QPainter& painter, const QRect& r);
// A one-pixel black frame (an image's border, a flat picture box).
void DrawFlatBorder(QPainter& painter, const QRect& r);

// Paints the visible children of `container` back to front, clipped to `clientRect` (in the
// painter's coordinates), each with its top-left corner at its place in that area.
void PaintChildren(QPainter& painter, const Control& container, const QRect& clientRect);

}  // namespace storyloom::forms
