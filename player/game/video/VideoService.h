#pragma once
// The game's connection to the one-time video player.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class VideoService {
  public:
    virtual ~VideoService() = default;
    virtual void PlayMovieWithStop(const QString& fileName, bool stretched, int left, int top,
                                   int width, int height) {
        (void)fileName;
        (void)stretched;
        (void)left;
        (void)top;
        (void)width;
        (void)height;
    }
    virtual void StopOneTimeVideoPlayer() {}
    virtual bool IsOneTimeVideoPlaying() const { return false; }
};

}  // namespace storyloom
