#include "platform/forms/Color.h"

#include <array>

namespace storyloom::forms {

namespace {

// The classic desktop scheme, indexed by the low byte of a system colour.
constexpr std::array<std::uint32_t, 25> kSystemColors = {
    0xC0C0C0,  // 0 scroll bars
    0x008080,  // 1 desktop
    0x000080,  // 2 active title bar
    0x808080,  // 3 inactive title bar
    0xC0C0C0,  // 4 menu bar
    0xFFFFFF,  // 5 window background
    0x000000,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0xFFFFFF,  // 9 active title text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x000080,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive title text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xDFDFDF,  // 22 3D light
    0x000000,  // 23 tooltip text
    0xFFFFE1,  // 24 tooltip background
};

}  // namespace

std::uint32_t ToRgb32(OleColor color) {
    if ((color & 0xFF000000u) == 0x80000000u) {
        const std::uint32_t index = color & 0xFFu;
        const std::uint32_t rgb = index < kSystemColors.size() ? kSystemColors[index] : 0;
        return 0xFF000000u | rgb;
    }
    if ((color & 0xFF000000u) != 0) return 0xFF000000u;
    const std::uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

QColor ToQColor(OleColor color) {
    return QColor::fromRgb(ToRgb32(color));
}

OleColor FromQColor(const QColor& color) {
    return Rgb(color.red(), color.green(), color.blue());
}

}  // namespace storyloom::forms
