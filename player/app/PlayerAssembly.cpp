#include "app/PlayerAssembly.h"

#include "game/Game.h"
#include "game/transitions/GameTransitions.h"
#include "game/water/GameWater.h"

namespace storyloom {

PlayerAssembly::PlayerAssembly(PlatformBundle& platform)
    : program(platform.Services()),
      resolutions(program, program.platform.display),
      scripts(program),
      welcome(program,
              WelcomeServices{program.platform.display, resolutions, program.platform.shell,
                              program.platform.windows, [this] { return CreateGame(); }}) {}

PlayerAssembly::~PlayerAssembly() = default;

std::unique_ptr<Game> PlayerAssembly::CreateGame() {
    GameServices services;
    services.plugins = &scripts.Plugins();
    auto game = std::make_unique<Game>(program, scripts, services);
    // The frame transitions and the water draw on the game window itself.
    auto transitions = std::make_shared<GameTransitions>(*game);
    if (transitionStepWait) transitions->stepWait = transitionStepWait;
    transitions->InitTransitions();
    game->services.transitions = transitions.get();
    game->Keep(transitions);
    auto water = std::make_shared<GameWater>(*game);
    game->services.ripple = water.get();
    game->Keep(water);
    scripts.Attach(*game);
    return game;
}

}  // namespace storyloom
