// An event from a run-time component through the game to its script procedure and back: a
// click on a Menulet strip on the game window (press and release through the window's input,
// ButtonClick raised, the procedure menu_buttonclick run on the second engine with the event's
// parameters, the game's after-effects), and an event that a script's method call makes the
// test control raise with five parameters. The project has a 5,000-line procedures file and
// 200 game variables, as in script_click. Prints the median and the 95th percentile.
//   bench_component_event [RUNS]   (default 2000)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchGame.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/components/ControlFacility.h"
#include "platform/forms/controls/ComponentView.h"
#include "project/ProjectWriter.h"
#include "scripting/Components.h"
#include "scripting/ScriptHost.h"

using namespace storyloom;

namespace {

void Report(const char* what, int runs, const std::function<void()>& once) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs + 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        once();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (i >= 20) times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-58s median %.4f ms   p95 %.4f ms   min %.4f ms\n", what, times[times.size() / 2],
                times[times.size() * 95 / 100], times.front());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    ProjectWriter project;
    bench::MakeProjectFolders(project);
    GeneralFile general;
    general.ProjectWidth = 800;
    general.ProjectHeight = 600;
    project.WriteGeneral(general);
    project.WriteVariables(bench::VariableNames(200));
    QStringList lines = bench::HelperFunctions(1000);
    lines << QStringLiteral("Sub menu_ButtonClick(p)") << QStringLiteral("  var_1 = var_1 + p(1)")
          << QStringLiteral("End Sub") << QStringLiteral("Sub probe_fired(p)")
          << QStringLiteral("  var_2 = var_2 + p.Count") << QStringLiteral("End Sub");
    project.WriteProcedures(lines);
    bench::WriteBlankFrame(project, QStringLiteral("Start"));

    TestPlatform platform;
    platform.controls.RegisterComponentFile(PROBE_LIBRARY);
    platform.controls.RegisterComponentFile(MENULET_LIBRARY);
    Program program(platform.Services());
    bench::OpenProject(program, project.Root());
    ScriptHost host(program);
    GameServices services;
    services.plugins = &host.Plugins();
    Game game(program, host, services);
    Components components(game, host);
    game.services.components = &components;
    host.Attach(game);
    game.ResetAll();
    game.OpenFrame(QStringLiteral("Start"), false, 0, 0);
    components.AddAdditionalComponent(QStringLiteral("Menulet.MenuletControlRELEASE1"),
                                      QStringLiteral("menu"), false, false);
    components.AddAdditionalComponent(QStringLiteral("ProbeLib.Probe"), QStringLiteral("probe"),
                                      false, false);
    if (!platform.dialogs.shown.empty()) {
        std::printf("failed: %s\n", qPrintable(platform.dialogs.shown.back().text));
        return 1;
    }
    forms::ComponentView* menu = components.ComponentEventSlots[0]->Component;
    forms::ComponentView* probe = components.ComponentEventSlots[1]->Component;
    menu->SetVisible(true);
    const QPoint at = game.PictureBox->WindowPixelRect().topLeft() + QPoint(60, 30);

    std::printf("%d runs each\n", runs);
    Report("Menulet click -> menu_buttonclick(p) -> after-effects", runs, [&] {
        game.window.MouseDown(at, forms::kLeftButton, 0);
        game.window.MouseUp(at, forms::kLeftButton, 0);
    });
    Report("method raising Fired (5 parameters) -> probe_fired(p)", runs,
           [&] { probe->Instance()->CallMethod("Fire", {}); });
    const int expectedClicks = 2 * (runs + 20);
    std::printf("var_1 = %d (expected %d), var_2 = %d (expected %d), boxes %zu\n",
                game.GetVariableValue(QStringLiteral("var_1")), expectedClicks,
                game.GetVariableValue(QStringLiteral("var_2")), 5 * (runs + 20),
                platform.dialogs.shown.size());
    return game.GetVariableValue(QStringLiteral("var_1")) == expectedClicks ? 0 : 1;
}
