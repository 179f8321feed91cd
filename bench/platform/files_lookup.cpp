// How much the case-insensitive path lookup costs: a folder of 500 pictures, looked up by
// their exact names, by names in another letter case (folder listing cached), and the same
// without the cache (a fresh FileSystem per lookup reads the folder every time).
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/files/FileSystem.h"

using storyloom::FileSystem;

namespace {

constexpr int kFiles = 500;

QString Name(int i) {
    return QStringLiteral("Frame_%1.BMP").arg(i, 3, 10, QLatin1Char('0'));
}

template <typename Fn>
void Measure(const char* what, int rounds, Fn fn) {
    QElapsedTimer t;
    t.start();
    int found = 0;
    for (int i = 0; i < rounds; ++i) found += fn(i) ? 1 : 0;
    const double us = t.nsecsElapsed() / 1000.0 / rounds;
    std::printf("%-44s %8.2f us per lookup (%d of %d found)\n", what, us, found, rounds);
}

}  // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString frames = dir.path() + QStringLiteral("/Project/Frames");
    QDir().mkpath(frames);
    for (int i = 0; i < kFiles; ++i) {
        QFile f(frames + QLatin1Char('/') + Name(i));
        if (!f.open(QIODevice::WriteOnly)) return 1;
    }
    // A folder changed within the last two seconds is not cached; let it settle first.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    const QString root = FileSystem::FromNative(dir.path());

    FileSystem fs;
    Measure("exact names", 20000, [&](int i) {
        return !fs.FileExists(root + QStringLiteral("Project\\Frames\\") + Name(i % kFiles))
                    .isEmpty();
    });
    Measure("other case, listing cached", 20000, [&](int i) {
        return !fs.FileExists(root + QStringLiteral("project\\frames\\") +
                              Name(i % kFiles).toLower())
                    .isEmpty();
    });
    Measure("other case, missing file, listing cached", 20000, [&](int) {
        return !fs.FileExists(root + QStringLiteral("project\\frames\\nothing.bmp")).isEmpty();
    });
    Measure("other case, no cache (folder read each time)", 2000, [&](int i) {
        FileSystem fresh;
        return !fresh
                    .FileExists(root + QStringLiteral("project\\frames\\") +
                                Name(i % kFiles).toLower())
                    .isEmpty();
    });
    return 0;
}
