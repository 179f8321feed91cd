#include "app/PlayerAssembly.h"

#include "game/Game.h"
#include "game/sound/SoundChannels.h"
#include "game/video/OneTimeVideo.h"

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
    // The sound channels and the one-time video work on the game's own players and window.
    auto sound = std::make_shared<SoundChannels>(*game);
    auto video = std::make_shared<OneTimeVideo>(*game);
    game->services.sound = sound.get();
    game->services.video = video.get();
    game->ownedServices.push_back(sound);
    game->ownedServices.push_back(video);
    scripts.Attach(*game);
    return game;
}

}  // namespace storyloom
