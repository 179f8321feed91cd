// Saving and loading a large game: 1,000 integer variables, 500 hidden hotspots, 100 items and
// 50 variant variables. A save is timed from the state to the file renamed into place, the
// flush included; a load from the file to the saved frame opened again, on the virtual clock
// (so the pauses a load makes between its steps take no real time).
//
//   bench_saved_game [--runs N]
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "TestProgram.h"
#include "game/Game.h"
#include "game/saves/SavedGames.h"
#include "project/Messages.h"
#include "project/ProjectInformation.h"
#include "project/ProjectWriter.h"

namespace {

using namespace storyloom;
using namespace storyloom::test;
using Clock = std::chrono::steady_clock;

class NoScripts : public ScriptRunner {
  public:
    bool ExecuteVBScript(const QString&, bool) override { return true; }
    void ExecuteOnLoadVBScript() override {}
    void SetTimeoutAllEngines(int) override {}
    void SetMainTimeout(int) override {}
};

class Items : public InventoryService {
  public:
    void AddPickedObject(const QString& name, bool) override { items << name; }
    QString PickedObjectName(int i) const override { return items.value(i - 1); }
    int ItemCount() const override { return static_cast<int>(items.size()); }
    void ClearItems() override { items.clear(); }
    QStringList items;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Report(const char* what, const std::vector<double>& v) {
    std::printf("%-34s median %7.2f ms  min %7.2f ms  max %7.2f ms  (n=%zu)\n", what, Median(v),
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()),
                v.size());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int runs = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (QString::fromLatin1(argv[i]) == u"--runs") runs = std::max(1, atoi(argv[i + 1]));

    TestProgram t;
    SetDefaultMessages(t.program.Messages, 0);
    GeneralFile general;
    general.ProjectWidth = 640;
    general.ProjectHeight = 480;
    general.InitialFrameName = QStringLiteral("Start");
    t.project.WriteGeneral(general);
    for (const char* f : {"Frames", "FramesData", "Areas", "Icons"}) t.project.MakeFolder(f);
    QStringList ints, variants;
    for (int i = 0; i < 1000; ++i) ints << QStringLiteral("var_%1").arg(i);
    for (int i = 0; i < 50; ++i) variants << QStringLiteral("text_%1").arg(i);
    t.project.WriteVariables(ints, variants);
    FrameFile frame;
    frame.BackgroundType = 0;
    frame.BackgroundValue = QStringLiteral("0");
    t.project.WriteFrame(QStringLiteral("Start"), frame);
    LoadProjectInformation(t.program);

    NoScripts scripts;
    Items items;
    GameServices services;
    services.inventory = &items;
    Game game(t.program, scripts, services);
    game.ResetAll();
    game.OpenFrame(QStringLiteral("Start"), false, 0, 0);
    for (int i = 0; i < 1000; ++i)
        game.ChangeVariableValue(QStringLiteral("var_%1").arg(i), static_cast<qint16>(i % 7));
    for (int i = 0; i < 500; ++i)
        game.state.vars.Disappear.Add(QStringLiteral("frame_%1").arg(i / 10), i % 10 + 1);
    for (int i = 0; i < 100; ++i) items.items << QStringLiteral("Item number %1").arg(i);
    for (int i = 0; i < 50; ++i)
        game.state.vars.ChangeVariableVariantValue(QStringLiteral("text_%1").arg(i),
                                                   QStringLiteral("value %1").arg(i));

    SavedGames saves(t.program);
    saves.currentGame = [&game] { return &game; };
    saves.ensureGame = [&game]() -> Game& { return game; };

    std::vector<double> save, load;
    for (int r = 0; r < runs; ++r) {
        const auto a = Clock::now();
        if (!saves.WriteGame(game, QStringLiteral("big"))) {
            std::fprintf(stderr, "the save failed\n");
            return 1;
        }
        const auto b = Clock::now();
        save.push_back(std::chrono::duration<double, std::milli>(b - a).count());
    }
    const SavedGameEntry entry{QStringLiteral("big"),
                               QDir(t.project.Root()).filePath(QStringLiteral("big.sav")), false,
                               0};
    for (int r = 0; r < runs; ++r) {
        const auto a = Clock::now();
        if (!saves.LoadGame(entry, nullptr) || items.items.size() != 100 ||
            game.state.vars.Disappear.Count() != 500) {
            std::fprintf(stderr, "the load failed\n");
            return 1;
        }
        const auto b = Clock::now();
        load.push_back(std::chrono::duration<double, std::milli>(b - a).count());
    }
    std::printf("saved game of %lld bytes\n",
                static_cast<long long>(QFileInfo(entry.nativePath).size()));
    Report("save (written, flushed, renamed)", save);
    Report("load (read, reset, applied, opened)", load);
    return 0;
}
