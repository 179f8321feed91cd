#include "startup/DesktopPlayer.h"

#include "frames/Game.h"

namespace storyloom {

DesktopPlayer::DesktopPlayer()
    : program(Platform{files, settings, loop, dialogs}),
      shell(loop),
      windows(display),
      resolutions(program, display),
      media(loop),
      welcome(program, WelcomeServices{display, resolutions, shell, windows, [this] {
                                           return std::make_unique<Game>(program, media, scripts);
                                       }}) {}

DesktopPlayer::~DesktopPlayer() = default;

bool DesktopPlayer::Start(const QString& nativeFolder) {
    return welcome.Start(nativeFolder);
}

}  // namespace storyloom
