#include "startup/Resolutions.h"

#include "core/Errors.h"
#include "core/Program.h"
#include "platform/display/Display.h"
#include "platform/forms/Control.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

QSize ResolutionOfCode(int code) {
    switch (code) {
        case 1:
            return QSize(640, 480);
        case 2:
            return QSize(800, 600);
        case 3:
            return QSize(1024, 768);
        default:
            return QSize();
    }
}

void Resolutions::RecordDisplayMode() {
    SavedScreenWidth = display_.ScreenWidth();
    SavedScreenHeight = display_.ScreenHeight();
    SavedRefreshRate = display_.StoredMode().refreshRate;
}

bool Resolutions::IsAtTargetResolution() const {
    const QSize target = ResolutionOfCode(program_.info.ResolutionChoice + 1);
    return SavedScreenWidth == target.width() && SavedScreenHeight == target.height();
}

void Resolutions::ChangeResolution(int code, forms::ScreenPointer* screen) {
    const QSize target = ResolutionOfCode(code);
    if (target.isEmpty()) return;
    // Only the width is compared: a screen that is already as wide is left alone.
    if (display_.ScreenWidth() == target.width()) return;
    try {
        SetDisplayMode(target.width(), target.height(), false);
        EventLoop& loop = program_.platform.loop;
        loop.ProcessEvents();
        if (screen) screen->Set(forms::MousePointer::ArrowHourglass);
        loop.Wait(1000);
        if (screen) screen->Set(forms::MousePointer::Default);
    } catch (const std::exception& e) {
        program_.ShowErrorBox(QStringLiteral(" Error changing display resolution. "),
                              ErrorDescription(e));
    }
}

void Resolutions::SetDisplayMode(int width, int height, bool restore) {
    DisplayMode mode = display_.StoredMode();
    mode.width = width;
    mode.height = height;
    int refresh = 0;
    if (restore) {
        refresh = SavedRefreshRate;
    } else if (mode.refreshRate != 0) {
        for (int i = 0;; ++i) {
            const auto offered = display_.EnumerateMode(i);
            if (!offered) break;
            if (offered->width == width && offered->height == height &&
                offered->bitsPerPixel == mode.bitsPerPixel &&
                offered->refreshRate == mode.refreshRate) {
                refresh = mode.refreshRate;
                break;
            }
        }
    }
    EventLoop& loop = program_.platform.loop;
    loop.ProcessEvents();
    const DisplayChangeResult result = display_.ChangeMode(width, height, refresh);
    loop.ProcessEvents();
    if (result != DisplayChangeResult::Successful && result != DisplayChangeResult::Restart)
        program_.ShowErrorBox(
            QStringLiteral(" Unable to change display resolution. Mode not supported."));
}

void Resolutions::RestoreDisplayModeIfChanged() {
    if (SavedScreenWidth <= 0 || SavedScreenHeight <= 0) return;
    if (display_.ScreenWidth() != SavedScreenWidth || display_.ScreenHeight() != SavedScreenHeight)
        SetDisplayMode(SavedScreenWidth, SavedScreenHeight, true);
}

}  // namespace storyloom
