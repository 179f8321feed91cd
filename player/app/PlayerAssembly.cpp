#include "app/PlayerAssembly.h"

#include "frames/AnimatedPictures.h"
#include "game/Game.h"
#include "game/inventory/Inventory.h"

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
    auto animated = std::make_unique<AnimatedPictures>(program);
    services.animated = animated.get();
    auto game = std::make_unique<Game>(program, scripts, services);
    game->KeepAnimatedObjects(std::move(animated));
    game->UseInventory(std::make_unique<Inventory>(*game));
    scripts.Attach(*game);
    return game;
}

}  // namespace storyloom
