#include "platform/display/Display.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace storyloom {

DisplayMode Display::StoredMode() const {
    const QSize desktop = DesktopSize();
    return DisplayMode{desktop.width(), desktop.height(), 32, StoredRefreshRate()};
}

std::vector<DisplayMode> Display::Modes() const {
    const int refresh = StoredRefreshRate();
    std::vector<DisplayMode> modes;
    for (const QSize size : {QSize(640, 480), QSize(800, 600), QSize(1024, 768)})
        modes.push_back(DisplayMode{size.width(), size.height(), 32, refresh});
    const QSize desktop = DesktopSize();
    bool listed = false;
    for (const auto& m : modes)
        listed = listed || (m.width == desktop.width() && m.height == desktop.height());
    if (!listed && !desktop.isEmpty())
        modes.push_back(DisplayMode{desktop.width(), desktop.height(), 32, refresh});
    return modes;
}

std::optional<DisplayMode> Display::EnumerateMode(int index) const {
    const auto modes = Modes();
    if (index < 0 || index >= static_cast<int>(modes.size())) return std::nullopt;
    return modes[static_cast<std::size_t>(index)];
}

DisplayChangeResult Display::ChangeMode(int width, int height, int refreshRate) {
    for (const auto& m : Modes()) {
        if (m.width != width || m.height != height) continue;
        if (refreshRate != 0 && m.refreshRate != 0 && m.refreshRate != refreshRate) continue;
        const QSize size(width, height);
        const QSize wanted = size == DesktopSize() ? QSize() : size;
        if (wanted != virtual_) {
            virtual_ = wanted;
            if (onScreenChanged) onScreenChanged();
        }
        return DisplayChangeResult::Successful;
    }
    return DisplayChangeResult::BadMode;
}

bool Display::UsesSmallFonts() const {
    const int height = DesktopTextHeight();
    if (height < 0) return true;
    return height <= 16;
}

void Display::SetScaling(ScreenScaling scaling) {
    if (scaling_ == scaling) return;
    scaling_ = scaling;
    if (onScreenChanged) onScreenChanged();
}

QSize QtDisplay::DesktopSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

int QtDisplay::DesktopTextHeight() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return -1;
    // The desktop's default text is a bold 10-point face: 16 pixels high at 96 dots per inch,
    // 20 at 120. Measure the desktop's own font at that size and the screen's real resolution.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    font.setPixelSize(std::max(1, int(std::lround(10.0 * screen->logicalDotsPerInchY() / 72.0))));
    return QFontMetrics(font).height();
}

int QtDisplay::StoredRefreshRate() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->refreshRate())) : 0;
}

}  // namespace storyloom
