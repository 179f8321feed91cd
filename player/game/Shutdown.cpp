// The orderly end of a game: raise the stop flag, wait half a second with the window disabled,
// then close the window.
#include "core/Program.h"
#include "game/Game.h"

namespace storyloom {

void Game::StartUnloading() {
    state.StopMovie = true;
    program.InterruptTransition = true;
    program.StopRequested = true;
    services.ripple->DisableTimer();
    // Every call starts the half second over.
    timerUnloadMe_.SetEnabled(false);
    timerUnloadMe_.SetInterval(500);
    screen_.Set(forms::MousePointer::Hourglass);
    windowEnabled_ = false;
    window.SetEnabled(false);
    timerUnloadMe_.SetEnabled(true);
}

void Game::TimerUnloadMe_Timer() {
    windowEnabled_ = true;
    window.SetEnabled(true);
    screen_.Set(forms::MousePointer::Default);
    timerUnloadMe_.SetEnabled(false);
    Form_Unload();
}

void Game::Form_Unload() {
    if (closed_) return;
    closed_ = true;
    window.SetVisible(false);
    loop_.ProcessEvents();
    program.ProgramRunning = false;
    state.StopMovie = true;
    program.InterruptTransition = true;
    loop_.ProcessEvents();
    timer1_.SetEnabled(false);
    timerMessageBox_.SetEnabled(false);
    timerUnloadMe_.SetEnabled(false);
    PauseTimedEvents();
    services.video->StopOneTimeVideoPlayer();
    StopSoundChannelPlayers();
    for (auto* players : {&CustomMediaPlayer, &scene->VideoPlayers()})
        for (auto& [index, placed] : *players)
            if (placed.player) placed.player->Stop();
    services.components->ResetComponents();
    try {
        services.animated->UnloadAll();
    } catch (const std::exception&) {
    }
    if (onClosed) onClosed(program.info.SkipWelcomeScreen);
}

}  // namespace storyloom
