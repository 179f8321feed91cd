#include "core/PlatformBundle.h"

namespace storyloom {

DesktopPlatform::DesktopPlatform() {
    dialogs.onModalOpening = [this] { windows.CancelMouseModes(); };
}
DesktopPlatform::~DesktopPlatform() = default;

Platform DesktopPlatform::Services() {
    return Platform{files, settings, loop, dialogs, display, shell, printing, windows, media};
}

TestPlatform::TestPlatform(QSize screen) : display(screen) {
    dialogs.onModalOpening = [this] { windows.CancelMouseModes(); };
    // The machine's discs are none of a test's business.
    files.SetMountTable({});
}

Platform TestPlatform::Services() {
    return Platform{files, settings, loop, dialogs, display, shell, printing, windows, media};
}

std::unique_ptr<DesktopPlatform> MakeDesktopPlatform() {
    return std::make_unique<DesktopPlatform>();
}

std::unique_ptr<TestPlatform> MakeTestPlatform(QSize screen) {
    return std::make_unique<TestPlatform>(screen);
}

}  // namespace storyloom
