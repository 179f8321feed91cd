// Start-up to the welcome window shown: the time from the program's start to the first paint
// of the welcome window, over the demo game (or the folder given). Each run is a fresh
// process, as a player's start is: the bench starts itself once per run with --child, the
// child reports the time from its main() to the first paint, and the parent also times the
// whole process (loading included, up to the child's exit right after the paint).
//
//   bench_startup_welcome [--runs N] [FOLDER]
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/PlayerAssembly.h"

namespace {

using Clock = std::chrono::steady_clock;

int Child(int argc, char** argv, Clock::time_point start) {
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const auto platform = storyloom::MakeDesktopPlatform();
    storyloom::PlayerAssembly player(*platform);
    double shownMs = -1;
    platform->windows.onFirstShown = [&](storyloom::forms::Window& window) {
        if (&window != &player.welcome.window || shownMs >= 0) return;
        shownMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        QCoreApplication::exit(0);
    };
    if (!player.Start(folder)) return 1;
    app.exec();
    std::printf("%.2f\n", shownMs);
    return shownMs >= 0 ? 0 : 1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv, start);

    QCoreApplication app(argc, argv);
    int runs = 15;
    QString folder = QStringLiteral(STORYLOOM_SOURCE_DIR "/examples/demo");
    QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == u"--runs") {
        runs = std::max(1, args[1].toInt());
        args = args.mid(2);
    }
    if (!args.isEmpty()) folder = args[0];

    QTemporaryDir config;  // the per-user settings of the runs go here
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> inProcess, wall;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess child;
        child.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), folder});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed: %s\n", i,
                         child.readAllStandardError().constData());
            return 1;
        }
        const double total = timer.nsecsElapsed() / 1e6;
        const double shown = child.readAllStandardOutput().trimmed().toDouble();
        if (i == 0) continue;  // the first run warms the disk cache
        inProcess.push_back(shown);
        wall.push_back(total);
    }
    std::printf("project: %s (%s platform)\n", qPrintable(folder),
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    std::printf("main() to welcome window painted: median %.1f ms, min %.1f, max %.1f (%d runs)\n",
                Median(inProcess), *std::min_element(inProcess.begin(), inProcess.end()),
                *std::max_element(inProcess.begin(), inProcess.end()), runs);
    std::printf("process start to exit after the paint: median %.1f ms, min %.1f, max %.1f\n",
                Median(wall), *std::min_element(wall.begin(), wall.end()),
                *std::max_element(wall.begin(), wall.end()));
    return 0;
}
