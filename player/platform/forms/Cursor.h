#pragma once
// Icon (.ico) and pointer (.cur) files read by hand: Qt reads their pictures but neither the
// pointer's hot spot nor the "invert the screen" pixels of the monochrome mask.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <optional>

namespace storyloom::forms {

struct CursorImage {
    QImage image;       // ARGB32: colour where drawn, transparent elsewhere (invert pixels too)
    QImage invertMask;  // Format_Indexed8-free mask as Format_Grayscale8: 255 = inverts the screen
    QPoint hotSpot;     // (0, 0) for icons
    bool isCursor = false;
    bool hasInvertPixels = false;
};

// Reads an .ico or .cur file and takes the entry nearest to `preferredSize` pixels square (more
// colours win a tie). nullopt for anything damaged, truncated or of an unknown layout.
std::optional<CursorImage> ParseCursorFile(const QByteArray& bytes, int preferredSize = 32);

// True when the bytes start like an icon or pointer file.
bool LooksLikeCursorFile(const QByteArray& bytes);

}  // namespace storyloom::forms
