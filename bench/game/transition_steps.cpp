// Frame transitions in the game window at 1024 x 768, on one thread:
//  - one step, composed into the display box and presented (the window composed into the image
//    the screen shows, as the Qt view does on every repaint): median and fastest over many steps,
//    for the cross-fade and for a slide;
//  - a 2 s cross-fade played against the real clock, each step paced by a 10 ms pause and
//    presented: the steps shown, against the 120 a 60 Hz display can show in 2 s.
//
//   bench_transition_steps [--steps N]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "TestProgram.h"
#include "game/Game.h"
#include "game/transitions/GameTransitions.h"
#include "platform/forms/Renderer.h"
#include "project/Messages.h"
#include "project/ProjectInformation.h"
#include "project/ProjectWriter.h"

namespace {

using namespace storyloom;
using namespace storyloom::test;

constexpr int kWidth = 1024, kHeight = 768;

class NoScripts : public ScriptRunner {
  public:
    bool ExecuteVBScript(const QString&, bool) override { return true; }
};

QImage Busy(int seed) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            line[x] = qRgb((x * 7 + seed) & 255, (y * 5 + x * 3) & 255, ((x ^ y) + seed) & 255);
    }
    return image;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int steps = 300;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--steps") == 0) steps = std::max(10, std::atoi(argv[++i]));

    TestProgram t;
    SetDefaultMessages(t.program.Messages, 0);
    GeneralFile general;
    general.ProjectWidth = kWidth;
    general.ProjectHeight = kHeight;
    general.InitialFrameName = QStringLiteral("A");
    for (const char* folder : {"Frames", "FramesData", "Areas", "Icons"})
        t.project.MakeFolder(QString::fromLatin1(folder));
    t.project.WriteVariables({QStringLiteral("v")});
    t.project.WriteGeneral(general);
    for (const char* name : {"A", "B"}) {
        const QString n = QString::fromLatin1(name);
        WritePicture(t.project, "Frames/" + n + ".bmp", Busy(n == u"A" ? 1 : 2));
        FrameFile f;
        f.BackgroundType = 1;
        f.BackgroundValue = n + ".bmp";
        t.project.WriteFrame(n, f);
    }
    LoadProjectInformation(t.program);
    NoScripts scripts;
    Game game(t.program, scripts, GameServices{});
    game.ScreenWidthPx = kWidth;
    game.ScreenHeightPx = kHeight;
    game.ResetAll();
    auto transitions = std::make_shared<GameTransitions>(game);
    game.services.transitions = transitions.get();
    game.Keep(transitions);
    game.window.SetVisible(true);

    QImage screen;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };

    // One step, composed and presented, at every progress along the way.
    std::printf("one step at %d x %d, composed and presented (%d steps each):\n", kWidth, kHeight,
                steps);
    for (int kind : {1, 3, 4}) {
        game.OpenFrame(QStringLiteral("A"), false, 0, 0);
        std::vector<double> times;
        int i = 0;
        transitions->stepWait = [&](int) {
            t.loop.Advance(1);  // the next step's progress
        };
        // Time the steps from inside the animation: each pause measures the step before it.
        Clock::time_point last = Clock::now();
        transitions->onProgress = [&](double) {
            forms::Renderer::ComposeInto(game.window, screen);
            const Clock::time_point now = Clock::now();
            if (i++ > 0) times.push_back(ms(now - last));
            last = Clock::now();
        };
        transitions->TransitionStep1(kind);
        game.OpenFrame(QStringLiteral("B"), true, kind, steps / 1000.0);
        std::printf("  %-14s median %.3f ms, fastest %.3f ms\n",
                    kind == 1   ? "cross-fade"
                    : kind == 3 ? "slide right"
                                : "slide up",
                    Median(times),
                    times.empty() ? 0 : *std::min_element(times.begin(), times.end()));
    }

    // A 2 s cross-fade against the real clock: the virtual clock follows the real one.
    game.OpenFrame(QStringLiteral("A"), false, 0, 0);
    QElapsedTimer real;
    real.start();
    qint64 shownMs = 0;
    transitions->onProgress = [&](double) { forms::Renderer::ComposeInto(game.window, screen); };
    transitions->stepWait = [&](int pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        const qint64 now = real.elapsed();
        t.loop.Advance(now - shownMs);
        shownMs = now;
    };
    transitions->TransitionStep1(1);
    real.restart();
    shownMs = 0;
    game.OpenFrame(QStringLiteral("B"), true, 1, 2.0);
    const int shown = transitions->LastStepCount();
    std::printf(
        "2 s cross-fade on the real clock: %d steps shown in %lld ms, %.0f%% of a 60 Hz "
        "display's 120\n",
        shown, static_cast<long long>(real.elapsed()), 100.0 * shown / 120.0);
    return 0;
}
