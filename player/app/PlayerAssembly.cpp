#include "app/PlayerAssembly.h"

#include <QStandardPaths>

#include "frames/AnimatedPictures.h"
#include "game/Game.h"
#include "game/dialogues/Dialogues.h"
#include "game/inventory/Inventory.h"
#include "game/sound/SoundChannels.h"
#include "game/transitions/GameTransitions.h"
#include "game/video/OneTimeVideo.h"
#include "game/water/GameWater.h"
#include "platform/forms/controls/TimerControl.h"
#include "scripting/Components.h"

namespace storyloom {

PlayerAssembly::PlayerAssembly(PlatformBundle& platform)
    : program(platform.Services()),
      resolutions(program, program.platform.display),
      scripts(program),
      saves(program),
      welcome(program,
              WelcomeServices{program.platform.display, resolutions, program.platform.shell,
                              program.platform.windows, [this] { return CreateGame(); }}) {
    saves.currentGame = [this] { return welcome.CurrentGame(); };
    saves.ensureGame = [this]() -> Game& { return welcome.EnsureGame(); };
    saves.showGameWindow = [this] { welcome.ShowGameWindow(); };
    saves.hideWelcome = [this] { welcome.HideWelcome(); };
    saves.anyScriptTimerRunning = [this] {
        if (!scripts.TimerObject) return false;
        for (int i : scripts.TimerObject->Indices()) {
            const forms::TimerControl* t = scripts.TimerObject->Find(i);
            if (t && t->TimerEnabled() && t->Interval() > 0) return true;
        }
        return false;
    };
    saves.switchResolutionForLoad = [this](forms::Window& loadWindow) {
        const ProjectInfo& info = program.info;
        if (info.SkipWelcomeScreen) {
            if (scripts.ResolutionOnLoadGame != 0)
                resolutions.ChangeResolution(scripts.ResolutionOnLoadGame, &welcome.Screen());
        } else if (info.OfferResolutionChange == 1 && welcome.chkResolution &&
                   welcome.chkResolution->Box().Visible() && welcome.chkResolution->Value() == 1) {
            loadWindow.SetVisible(false);
            program.platform.windows.Hide(loadWindow);
            welcome.HideWelcome();
            resolutions.ChangeResolution(info.ResolutionChoice + 1, &welcome.Screen());
        }
    };
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) saves.userSavesRoot = data + QStringLiteral("/storyloom/saves");
    welcome.showLoadGameWindow = [this] { saves.ShowLoadGameWindow(false); };
    discs.currentGame = [this] { return welcome.CurrentGame(); };
    program.discPrompt = &discs;
}

PlayerAssembly::~PlayerAssembly() {
    program.discPrompt = nullptr;
}

std::unique_ptr<Game> PlayerAssembly::CreateGame() {
    GameServices services;
    services.plugins = &scripts.Plugins();
    services.savedGames = &saves;
    auto animated = std::make_unique<AnimatedPictures>(program);
    services.animated = animated.get();
    auto game = std::make_unique<Game>(program, scripts, services);
    game->KeepAnimatedObjects(std::move(animated));
    game->UseInventory(std::make_unique<Inventory>(*game));
    auto dialogues = std::make_shared<Dialogues>(*game);
    game->services.dialogues = dialogues.get();
    game->Keep(std::move(dialogues));
    // The run-time components live on the frame picture; the transitions move them.
    auto components = std::make_shared<Components>(*game, scripts);
    game->services.components = components.get();
    // The frame transitions and the water draw on the game window itself.
    auto transitions = std::make_shared<GameTransitions>(*game, components.get());
    if (transitionStepWait) transitions->stepWait = transitionStepWait;
    transitions->InitTransitions();
    game->services.transitions = transitions.get();
    game->Keep(transitions);
    game->Keep(components);
    auto water = std::make_shared<GameWater>(*game);
    game->services.ripple = water.get();
    game->Keep(water);
    // The sound channels and the one-time video work on the game's own players and window.
    auto sound = std::make_shared<SoundChannels>(*game);
    auto video = std::make_shared<OneTimeVideo>(*game);
    game->services.sound = sound.get();
    game->services.video = video.get();
    game->Keep(sound);
    game->Keep(video);
    scripts.Attach(*game);
    return game;
}

}  // namespace storyloom
