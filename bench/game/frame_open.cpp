// Click to composed frame: a click on the start frame's hotspot whose action opens a 1024x768
// JPEG frame with 50 hotspots (each with its own picture) and 20 text boxes, timed until the
// frame picture is composed. The game runs on the test platform (virtual clock, scripted
// boxes, null media, offscreen controls) over a project written into a temp folder.
//
// Measured: the first open in a fresh game (pictures not cached; the first of the process
// also pays for Qt's one-time set-up, so it is shown apart), and the median of repeated opens
// with the pictures cached (the start frame is opened directly between the clicks).
//
//   bench_frame_open [--clicks N] [--fresh N] [--save FILE.png]  (--save: the composed frame)
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "TestProgram.h"
#include "game/Game.h"
#include "platform/media/NullMediaPlayer.h"
#include "project/Messages.h"
#include "project/ProjectInformation.h"
#include "project/ProjectWriter.h"

namespace {

using namespace storyloom;
using namespace storyloom::test;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1024, kHeight = 768;
constexpr int kHotspots = 50, kTexts = 20;
constexpr int kTwips = 15;  // twips per pixel

class NoScripts : public ScriptRunner {
  public:
    bool ExecuteVBScript(const QString&, bool) override { return true; }
    void ExecuteOnLoadVBScript() override {}
    void SetTimeoutAllEngines(int) override {}
    void SetMainTimeout(int) override {}
};

// A picture with detail, so the JPEG decoder has real work to do.
QImage BusyImage(int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] =
                qRgb((x * 7 + seed) & 255, (y * 5 + x * 3) & 255, ((x ^ y) + seed * 13) & 255);
    }
    return image;
}

void WriteProject(TestProgram& t, GeneralFile& general) {
    general.ProjectWidth = kWidth;
    general.ProjectHeight = kHeight;
    general.InitialFrameName = QStringLiteral("Start");
    for (const char* folder : {"Frames", "FramesData", "Areas", "Icons"})
        t.project.MakeFolder(QString::fromLatin1(folder));
    t.project.WriteVariables({QStringLiteral("door_open"), QStringLiteral("lamp")});

    // The start frame: one hotspot whose action opens the big frame.
    FrameFile start;
    start.BackgroundType = 0;
    start.BackgroundValue = QStringLiteral("0");
    t.project.WriteFrame(QStringLiteral("Start"), start);
    AuthoredHotspot door;
    door.Left = 100 * kTwips;
    door.Top = 100 * kTwips;
    door.Width = 100 * kTwips;
    door.Height = 100 * kTwips;
    WriteHotspots(t.project, QStringLiteral("Start"), {door});
    AuthoredAction go;
    go.GoToFrameOn = 1;
    go.TargetFrame = QStringLiteral("Big");
    WriteActions(t.project, QStringLiteral("Start"), {go});

    // The big frame: a 1024x768 JPEG, 50 hotspots with pictures, 20 text boxes.
    if (!BusyImage(kWidth, kHeight, 1)
             .save(t.project.NativePath(QStringLiteral("Frames/big.jpg")), "JPG", 85))
        std::fprintf(stderr, "could not write the JPEG\n");
    FrameFile big;
    big.BackgroundType = 1;
    big.BackgroundValue = QStringLiteral("big.jpg");
    t.project.WriteFrame(QStringLiteral("Big"), big);
    std::vector<AuthoredHotspot> hotspots;
    for (int i = 0; i < kHotspots; ++i) {
        const QString file = QStringLiteral("h%1.bmp").arg(i);
        WritePicture(t.project, QStringLiteral("Areas/") + file, BusyImage(64, 48, i));
        AuthoredHotspot h;
        h.Left = (10 + (i % 10) * 100) * kTwips;
        h.Top = (10 + (i / 10) * 120) * kTwips;
        h.Width = 64 * kTwips;
        h.Height = 48 * kTwips;
        h.HasPicture = true;
        h.PictureFile = file;
        if (i % 5 == 0) {
            h.HasConditions = 1;
            h.HideIfTrue = QStringList({QStringLiteral("door_open")});
        }
        hotspots.push_back(h);
    }
    WriteHotspots(t.project, QStringLiteral("Big"), hotspots);
    std::vector<AuthoredTextBox> texts;
    for (int i = 0; i < kTexts; ++i) {
        AuthoredTextBox r;
        r.Caption = QStringLiteral("Text box number %1 of the big frame").arg(i + 1);
        r.Left = (20 + (i % 4) * 250) * kTwips;
        r.Top = (620 + (i / 4) * 28) * kTwips;
        r.FontSize = 10 + i % 4;
        r.Bold = i % 2 == 1;
        texts.push_back(r);
    }
    WriteTextBoxes(t.project, QStringLiteral("Big"), texts);
    t.project.WriteGeneral(general);
}

struct Session {
    TestProgram& t;
    NullMediaLibrary& media = t.platform.media;
    NoScripts scripts;
    std::unique_ptr<Game> game;

    explicit Session(TestProgram& program) : t(program) {
        game = std::make_unique<Game>(t.program, scripts, GameServices{});
        game->ScreenWidthPx = kWidth;
        game->ScreenHeightPx = kHeight;
        game->ResetAll();
    }

    // Opens the start frame, then times the click on its hotspot up to the composed picture.
    // Returns a negative time when the click did not open the big frame.
    double ClickMs() {
        game->OpenFrame(QStringLiteral("Start"), false, 0, 0);
        const Clock::time_point begin = Clock::now();
        game->MouseDownAt(150, 150, MouseButton::Left);
        const QImage composed = game->RenderFrame();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        if (game->state.frame.CurrentFrameName != u"Big" || composed.width() != kWidth) return -1;
        return ms;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Print(const char* what, const std::vector<double>& v) {
    std::printf("%-40s median %7.2f ms  min %7.2f ms  (n=%zu)\n", what, Median(v),
                *std::min_element(v.begin(), v.end()), v.size());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int clicks = 50, fresh = 5;
    QString savePath;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--clicks") clicks = std::max(1, args[i + 1].toInt());
        if (args[i] == u"--fresh") fresh = std::max(1, args[i + 1].toInt());
        if (args[i] == u"--save") savePath = args[i + 1];
    }

    TestProgram t;
    SetDefaultMessages(t.program.Messages, 0);
    GeneralFile general;
    WriteProject(t, general);
    LoadProjectInformation(t.program);

    // Uncached: each fresh game has an empty picture cache.
    std::vector<double> uncached;
    double firstOfProcess = 0;
    for (int i = 0; i < fresh; ++i) {
        Session s(t);
        const double ms = s.ClickMs();
        if (ms < 0) {
            std::fprintf(stderr, "the click did not open the big frame\n");
            return 1;
        }
        if (i == 0)
            firstOfProcess = ms;
        else
            uncached.push_back(ms);
    }

    // Cached: one game, the same click over and over.
    Session s(t);
    if (s.ClickMs() < 0) return 1;  // warm-up, fills the cache
    std::vector<double> cached;
    for (int i = 0; i < clicks; ++i) {
        const double ms = s.ClickMs();
        if (ms < 0) return 1;
        cached.push_back(ms);
    }
    if (!savePath.isEmpty() && !s.game->RenderFrame().save(savePath))
        std::fprintf(stderr, "could not save %s\n", savePath.toLocal8Bit().constData());
    if (!t.Boxes().empty())
        std::fprintf(stderr, "warning: %zu box(es) shown, first: %s\n", t.Boxes().size(),
                     t.Boxes().front().text.toLocal8Bit().constData());

    std::printf("click -> composed 1024x768 JPEG frame, %d hotspots with pictures, %d texts\n",
                kHotspots, kTexts);
    std::printf("%-40s %7.2f ms\n", "first open of the process (uncached)", firstOfProcess);
    if (!uncached.empty()) Print("first open of a fresh game (uncached)", uncached);
    Print("cached", cached);
    return 0;
}
