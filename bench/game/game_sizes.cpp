// How the cost of playing grows with the size of the game. A game is generated at each size
// (frames; 20 hotspots, 10 lines of procedures and 2 variables per frame) and played on the
// test platform with the real script host, each size in a child process of its own:
//   click, no script     a hotspot whose action only changes the frame
//   click, script        a hotspot whose action runs a one-line script
//   frame script         the frame change again, with a project frame script on every opening
//   start-up             from reading the project to the initial frame on screen (the game
//                        window, the reset, the start-up script; no welcome window)
//   peak memory          the child's maximum resident set
// Prints one table, with the ratio of the largest size to the smallest.
//
//   bench_game_sizes [--clicks N] [--runs N] [FRAMES ...]
//                    (default 200 clicks, 5 runs of each size; sizes 10 100 1000)
//   bench_game_sizes --write FRAMES FOLDER                (writes one size into FOLDER)
//   bench_game_sizes [--clicks N] --child FRAMES FOLDER   (plays it: one line of figures)
// GAME_SIZES_PHASES=1 also prints when each part of the start-up ended.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "BenchGame.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "game/Game.h"
#include "project/ProjectWriter.h"
#include "scripting/ScriptHost.h"

namespace {

using namespace storyloom;
using Clock = std::chrono::steady_clock;

constexpr int kHotspotsPerFrame = 20;
constexpr int kProcedureLinesPerFrame = 10;
constexpr int kVariablesPerFrame = 2;
constexpr int kTwips = 15;
constexpr int kCell = 100;  // hotspot squares, pixels: five across, four down

QString FrameName(int i) {
    return QStringLiteral("F%1").arg(i);
}

void WriteGame(ProjectWriter& project, int frames) {
    bench::MakeProjectFolders(project);
    GeneralFile general;
    general.ProjectWidth = 800;
    general.ProjectHeight = 600;
    general.InitialFrameName = FrameName(0);
    general.RunStartupScript = true;
    general.StartupScript = QStringLiteral("var_1 = 1");
    general.FrameScript = QStringLiteral("var_3 = var_3 + 1");  // switched on by the bench
    project.WriteGeneral(general);

    const int variables = frames * kVariablesPerFrame;
    const QStringList names = bench::VariableNames(variables);
    project.WriteVariables(names);
    project.WriteProcedures(bench::HelperFunctions(frames * kProcedureLinesPerFrame / 5));

    for (int f = 0; f < frames; ++f) {
        bench::WriteBlankFrame(project, FrameName(f));
        std::vector<AuthoredHotspot> hotspots;
        std::vector<AuthoredAction> actions;
        for (int h = 0; h < kHotspotsPerFrame; ++h) {
            AuthoredHotspot spot;
            spot.Left = (h % 5) * kCell * kTwips;
            spot.Top = (h / 5) * kCell * kTwips;
            spot.Width = spot.Height = (kCell - 10) * kTwips;
            AuthoredAction action;
            if (h == 0) {  // to the next frame
                action.GoToFrameOn = 1;
                action.TargetFrame = FrameName((f + 1) % frames);
            } else if (h == 1) {
                action.ScriptOn = true;
                action.ScriptCode = QStringLiteral("var_7 = var_7 + 1");
            } else {
                // Conditions on variables spread over the whole list.
                spot.HasConditions = 1;
                spot.HideIfTrue = QStringList({names.at((f * kHotspotsPerFrame + h) % variables)});
            }
            hotspots.push_back(spot);
            actions.push_back(action);
        }
        WriteHotspots(project, FrameName(f), hotspots);
        WriteActions(project, FrameName(f), actions);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// One size, played from the folder the parent wrote (a player does not write its game first:
// the child's heap holds only what playing needs): prints "click script frame startup
// maxrss-kB" on one line.
int Child(int argc, char** argv, const QString& folder, int clicks) {
    QApplication app(argc, argv);
    const Clock::time_point start = Clock::now();
    TestPlatform platform;
    Program program(platform.Services());
    bench::OpenProject(program, folder);
    const double tInfo = Ms(start);
    ScriptHost host(program);
    GameServices services;
    services.plugins = &host.Plugins();
    Game game(program, host, services);
    game.ScreenWidthPx = 800;
    game.ScreenHeightPx = 600;
    host.Attach(game);
    const double tGame = Ms(start);
    const long faultsBefore = MinorFaults();
    game.ResetAll();
    const double tReset = Ms(start);
    const long resetFaults = MinorFaults() - faultsBefore;
    game.StartNewGame();
    const double startup = Ms(start);
    if (qEnvironmentVariableIsSet("GAME_SIZES_PHASES"))
        std::fprintf(stderr,
                     "project %.1f, game window %.1f, reset %.1f, new game %.1f ms; "
                     "%ld page faults in the reset\n",
                     tInfo, tGame, tReset, startup, resetFaults);
    if (game.state.frame.CurrentFrameName != FrameName(0) ||
        game.GetVariableValue(QStringLiteral("var_1")) != 1) {
        std::fprintf(stderr, "the game did not start\n");
        return 1;
    }

    const auto click = [&](int hotspot) {
        const int x = (hotspot % 5) * kCell + kCell / 3, y = (hotspot / 5) * kCell + kCell / 3;
        const Clock::time_point begin = Clock::now();
        game.MouseDownAt(x, y, MouseButton::Left);
        return Ms(begin);
    };
    const auto series = [&](int hotspot) {
        std::vector<double> times;
        for (int i = 0; i < clicks + 5; ++i) {
            const double ms = click(hotspot);
            if (i >= 5) times.push_back(ms);
        }
        return Median(times);
    };
    const QString before = game.state.frame.CurrentFrameName;
    const double plain = series(0);
    const bool moved = game.state.frame.CurrentFrameName != before;
    const double script = series(1);
    program.info.RunFrameScript = true;
    const double withFrameScript = series(0);
    if (!moved || game.GetVariableValue(QStringLiteral("var_7")) != clicks + 5 ||
        game.GetVariableValue(QStringLiteral("var_3")) != clicks + 5 ||
        !platform.dialogs.shown.empty()) {
        std::fprintf(
            stderr, "the clicks did not do what they should (var_7 %d, var_3 %d)%s%s\n",
            game.GetVariableValue(QStringLiteral("var_7")),
            game.GetVariableValue(QStringLiteral("var_3")),
            platform.dialogs.shown.empty() ? "" : ": ",
            platform.dialogs.shown.empty() ? "" : qPrintable(platform.dialogs.shown.front().text));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.4f %.4f %.4f %.3f %ld\n", plain, script, withFrameScript, startup,
                usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int clicks = 200;
    int runs = 5;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--clicks") == 0 && i + 1 < argc)
            clicks = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--write") == 0 && i + 2 < argc) {
            QCoreApplication app(argc, argv);
            ProjectWriter project(QString::fromLocal8Bit(argv[i + 2]));
            WriteGame(project, std::max(1, std::atoi(argv[i + 1])));
            return 0;
        } else if (std::strcmp(argv[i], "--child") == 0 && i + 2 < argc)
            return Child(argc, argv, QString::fromLocal8Bit(argv[i + 2]), clicks);
        else
            sizes.push_back(std::max(1, std::atoi(argv[i])));
    }
    if (sizes.empty()) sizes = {10, 100, 1000};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QCoreApplication app(argc, argv);
    struct Row {
        int frames;
        double values[6];  // the five columns, then the best start-up
    };
    std::vector<Row> rows;
    std::vector<std::unique_ptr<ProjectWriter>> games;
    for (int frames : sizes) {
        games.push_back(std::make_unique<ProjectWriter>());
        WriteGame(*games.back(), frames);
    }
    // A game is played long after it was written: its files are on disk, the system is done
    // with writing them out (for some seconds after thousands of new files, everything runs
    // slower here), and its folders are older than two seconds (younger ones are listed
    // again at every lookup, as their times may not move on).
    ::sync();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    // The sizes take turns, run after run, so that whatever else the machine does falls on
    // all of them alike; each column is the median over the runs.
    std::vector<std::vector<std::vector<double>>> samples(sizes.size(),
                                                          std::vector<std::vector<double>>(5));
    for (int run = 0; run < runs; ++run) {
        for (size_t g = 0; g < sizes.size(); ++g) {
            const int frames = sizes[g];
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--clicks"), QString::number(clicks),
                         QStringLiteral("--child"), QString::number(frames), games[g]->Root()});
            if (!child.waitForFinished(-1) || child.exitCode() != 0) {
                std::fprintf(stderr, "size %d failed: %s\n", frames,
                             child.readAllStandardError().constData());
                return 1;
            }
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            for (int i = 0; i < 5 && i < fields.size(); ++i)
                samples[g][size_t(i)].push_back(fields[i].toDouble());
        }
    }
    for (size_t g = 0; g < sizes.size(); ++g) {
        Row row{sizes[g], {}};
        for (size_t i = 0; i < 5; ++i) row.values[i] = Median(samples[g][i]);
        row.values[4] /= 1024.0;  // MB
        // Other work on the machine only ever adds time: the best run shows the cost itself.
        row.values[5] = *std::min_element(samples[g][3].begin(), samples[g][3].end());
        rows.push_back(row);
    }

    std::printf(
        "%d clicks of each kind, %d runs; per frame %d hotspots, %d lines of procedures, %d "
        "variables (medians, ms; best start-up of the runs)\n",
        clicks, runs, kHotspotsPerFrame, kProcedureLinesPerFrame, kVariablesPerFrame);
    std::printf("%7s %9s %10s %9s | %10s %10s %12s %10s %10s %10s\n", "frames", "hotspots",
                "proc-lines", "variables", "click", "click+scr", "frame+fscr", "start-up",
                "peak MB", "best s-up");
    for (const Row& r : rows)
        std::printf("%7d %9d %10d %9d | %10.3f %10.3f %12.3f %10.2f %10.1f %10.2f\n", r.frames,
                    r.frames * kHotspotsPerFrame, r.frames * kProcedureLinesPerFrame,
                    r.frames * kVariablesPerFrame, r.values[0], r.values[1], r.values[2],
                    r.values[3], r.values[4], r.values[5]);
    if (rows.size() > 1) {
        const Row &a = rows.front(), &b = rows.back();
        std::printf("%38s | ", "largest / smallest");
        const int widths[6] = {10, 10, 12, 10, 10, 10};
        for (int i = 0; i < 6; ++i)
            std::printf(
                "%*s ", widths[i],
                qPrintable(QStringLiteral("x%1").arg(b.values[i] / a.values[i], 0, 'f', 2)));
        std::printf("\n");
    }
    return 0;
}
