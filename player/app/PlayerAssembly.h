#pragma once
// A whole player over one platform bundle: the program, the display resolutions, the script
// host with its plug-ins, and the welcome window with the game window it starts. The desktop
// program and the walkthrough build exactly this, over the desktop's bundle and the test
// platform's.
#include <QString>
#include <functional>
#include <memory>

#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "game/discs/RunFromDisc.h"
#include "game/saves/SavedGames.h"
#include "scripting/ScriptHost.h"
#include "startup/Resolutions.h"
#include "startup/Welcome.h"

namespace storyloom {

class Game;

class PlayerAssembly {
  public:
    // `platform` must outlive the assembly.
    explicit PlayerAssembly(PlatformBundle& platform);
    ~PlayerAssembly();
    PlayerAssembly(const PlayerAssembly&) = delete;
    PlayerAssembly& operator=(const PlayerAssembly&) = delete;

    // The start-up for the project in `nativeFolder`. False when the program ends before a
    // window is shown; ExitCode() then tells the code to end with.
    bool Start(const QString& nativeFolder) { return welcome.Start(nativeFolder); }
    int ExitCode() const { return welcome.ExitCode(); }
    // A game window with the script host and its subsystems attached (the Start button's).
    std::unique_ptr<Game> CreateGame();

    // How a frame transition waits between two of its steps in the games made from now on;
    // empty: the event loop's Wait. The walkthrough runner plays its commands there.
    std::function<void(int ms)> transitionStepWait;

    Program program;
    Resolutions resolutions;
    // The game's scripts and plug-ins.
    ScriptHost scripts;
    // Saving and loading games, and the save and load windows.
    SavedGames saves;
    frmWelcome welcome;
    // Asking for the discs of a game spread over several (program.discPrompt).
    RunFromDisc discs{program};
};

}  // namespace storyloom
