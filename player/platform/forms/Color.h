#pragma once
// Colours as Basic stores them: 0x00BBGGRR, or 0x800000nn for the desktop's system colours.
#include <QColor>
#include <cstdint>

namespace storyloom::forms {

using OleColor = std::uint32_t;

// A few system colours that windows and controls use by default.
inline constexpr OleColor kSysButtonFace = 0x8000000F;
inline constexpr OleColor kSysButtonText = 0x80000012;
inline constexpr OleColor kSysWindowBackground = 0x80000005;
inline constexpr OleColor kSysWindowText = 0x80000008;
inline constexpr OleColor kSysInfoBackground = 0x80000018;
inline constexpr OleColor kSysInfoText = 0x80000017;

// 0x00BBGGRR to an opaque QColor. System colours map to the classic grey desktop scheme, so a
// game looks the same on every machine; unknown system indices and other high bytes give black.
QColor ToQColor(OleColor color);
// QRgb (0xAARRGGBB) of the same colour, for fast fills.
std::uint32_t ToRgb32(OleColor color);
// A QColor back to 0x00BBGGRR.
OleColor FromQColor(const QColor& color);
// Basic's RGB(r, g, b).
constexpr OleColor Rgb(int r, int g, int b) {
    return static_cast<OleColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

}  // namespace storyloom::forms
