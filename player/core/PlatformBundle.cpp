#include "core/PlatformBundle.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace storyloom {

std::vector<std::string> OwnControlLibraries() {
    const QString file = QStringLiteral("libMenulet.so");
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString bin = QCoreApplication::applicationDirPath();
        candidates << bin + QStringLiteral("/../" STORYLOOM_INSTALL_LIBDIR "/storyloom/") + file;
    }
    candidates << QStringLiteral(STORYLOOM_MENULET_BUILD_PATH);
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile()) return {info.canonicalFilePath().toStdString()};
    }
    return {};
}

DesktopPlatform::DesktopPlatform() {
    dialogs.onModalOpening = [this] { windows.CancelMouseModes(); };
}
DesktopPlatform::~DesktopPlatform() = default;

Platform DesktopPlatform::Services() {
    return Platform{files, settings, loop,    dialogs, display,
                    shell, printing, windows, media,   controls};
}

TestPlatform::TestPlatform(QSize screen) : display(screen) {
    dialogs.onModalOpening = [this] { windows.CancelMouseModes(); };
    // The machine's discs are none of a test's business.
    files.SetMountTable({});
}

Platform TestPlatform::Services() {
    return Platform{files, settings, loop,    dialogs, display,
                    shell, printing, windows, media,   controls};
}

std::unique_ptr<DesktopPlatform> MakeDesktopPlatform() {
    return std::make_unique<DesktopPlatform>();
}

std::unique_ptr<TestPlatform> MakeTestPlatform(QSize screen) {
    return std::make_unique<TestPlatform>(screen);
}

}  // namespace storyloom
