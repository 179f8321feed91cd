#pragma once
// The one-time video: a video a frame or an action plays once over the frame picture, while
// the caller waits for it to end or for the player to click it away. At most one exists; it is
// made afresh for each video and removed when stopped. Its frames are drawn by a view in the
// frame picture area, in front of the frame's controls, at the rectangle the caller asked for
// (stretched) or at the video's own size.
#include <memory>

#include "game/video/VideoService.h"

namespace storyloom {

class Game;
class MediaPlayer;
namespace forms {
class VideoView;
}

class OneTimeVideo : public VideoService {
  public:
    // `game` must outlive the service.
    explicit OneTimeVideo(Game& game);
    ~OneTimeVideo() override;
    OneTimeVideo(const OneTimeVideo&) = delete;
    OneTimeVideo& operator=(const OneTimeVideo&) = delete;

    // `left`, `top`, `width`, `height` in pixels of the frame picture; not stretched: the
    // video's own size (width and height are not used).
    void PlayMovieWithStop(const QString& fileName, bool stretched, int left, int top, int width,
                           int height) override;
    void StopOneTimeVideoPlayer() override;
    bool IsOneTimeVideoPlaying() const override;

    // The video now shown (null when none), and its view.
    MediaPlayer* Player() const { return player_.get(); }
    forms::VideoView* View() const { return view_; }

  private:
    void Remove();

    Game& game_;
    std::unique_ptr<MediaPlayer> player_;
    forms::VideoView* view_ = nullptr;
};

}  // namespace storyloom
