#include "startup/DesktopPlayer.h"

#include "frames/Game.h"

namespace storyloom {

DesktopPlayer::DesktopPlayer()
    : program(Platform{files, settings, loop, dialogs}),
      shell(loop),
      windows(display),
      resolutions(program, display),
      media(loop),
      scripts(program, shell),
      welcome(program, WelcomeServices{display, resolutions, shell, windows,
                                       [this] { return CreateGame(); }}) {
    scripts.printing = &printing;
}

std::unique_ptr<Game> DesktopPlayer::CreateGame() {
    GameServices services;
    services.plugins = &scripts.Plugins();
    auto game = std::make_unique<Game>(program, media, scripts, services);
    scripts.Attach(*game);
    return game;
}

DesktopPlayer::~DesktopPlayer() = default;

bool DesktopPlayer::Start(const QString& nativeFolder) {
    return welcome.Start(nativeFolder);
}

}  // namespace storyloom
