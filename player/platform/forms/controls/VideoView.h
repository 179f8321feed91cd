#pragma once
// The face of a media player on a window: the player's current video frame, stretched to the
// control's rectangle or at the video's own size from the top-left corner (the player's
// AutoSize). It takes no mouse input, so a click on a playing video reaches what lies below
// (the hotspot or the frame picture), as the game's video waits expect. A player without a
// frame yet (or a sound) shows nothing.
#include <functional>
#include <optional>

#include "platform/forms/Control.h"

namespace storyloom {
class MediaPlayer;
}

namespace storyloom::forms {

class VideoView : public Control {
  public:
    explicit VideoView(QString name = QStringLiteral("MediaPlayer1"));
    ~VideoView() override;
    void Paint(QPainter& painter) const override;
    bool ReceivesMouse() const override { return false; }

    // The player shown (null: none). The owner of the player clears it before the player goes.
    // The view redraws whenever the player has a new frame.
    void SetPlayer(MediaPlayer* player);
    MediaPlayer* Player() const { return player_; }

    // Where the picture goes, in the control's own pixels, asked at every paint; nullopt hides
    // it. Without it the picture fills the control. (A player whose place is kept elsewhere,
    // where scripts move it, lays a view over the whole container and says where it is.)
    std::function<std::optional<QRect>()> placement;

  protected:
    VideoView(const VideoView& other);
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    MediaPlayer* player_ = nullptr;
};

}  // namespace storyloom::forms
