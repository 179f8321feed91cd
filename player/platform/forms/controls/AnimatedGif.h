#pragma once
// An animated-GIF player: every frame of the file with its own delay, the file's loop count,
// frames composed with their disposal methods and transparency. It runs on the event loop's
// timers, so on the virtual clock of the tests it is as deterministic as everything else.
//
// Timing. A delay under 20 ms is shown as 100 ms, as today's browsers do (files written for
// old players often say 0 or 1 hundredth and mean "the default"). Speed scales the pace: 50
// plays the file as written, 100 twice as fast, 25 at half the pace; each delay shown is the
// file's delay x 50 / Speed, and never under 10 ms. Speeds below 1 count as 50.
//
// Looping. A file without a loop extension plays once and stops on its last frame; a loop
// count of 0 plays for ever; a count n plays the animation n times.
//
// AnimationCanvas is the borderless container an animation is placed in on a frame: it paints
// nothing of its own, so the transparent parts of the animation show the frame behind it.
#include <memory>

#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"
#include "platform/forms/controls/PictureBox.h"

namespace storyloom::forms {

class AnimatedGif : public Control {
  public:
    explicit AnimatedGif(EventLoop* loop = nullptr, QString name = QStringLiteral("AniGif1"));
    ~AnimatedGif() override;
    void Paint(QPainter& painter) const override;

    // The frames to play (empty: none); the control takes the size of the first frame and
    // shows it. Playing stops.
    void SetAnimation(std::shared_ptr<const GifAnimation> animation);
    const std::shared_ptr<const GifAnimation>& Animation() const { return animation_; }
    int FrameCount() const;
    int CurrentFrame() const { return frame_; }  // from 0
    int Speed() const { return speed_; }
    void SetSpeed(int speed);
    bool Playing() const;
    // Plays from the current frame; Stop keeps the frame on screen.
    void Play();
    void Stop();
    void Rewind() { ShowFrame(0); }
    // Shows frame `index` (from 0) without changing whether it plays.
    void ShowFrame(int index);
    // The delay before frame `index` gives way to the next, after the rules above.
    int ShownDelayMs(int index) const;

  protected:
    AnimatedGif(const AnimatedGif& other);
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Step();
    void Arm();

    EventLoop* loop_ = nullptr;
    std::shared_ptr<const GifAnimation> animation_;
    int frame_ = 0;
    int speed_ = 50;
    int playsLeft_ = 0;  // -1 for ever
    std::unique_ptr<Timer> timer_;
};

class AnimationCanvas : public PictureBox {
  public:
    explicit AnimationCanvas(QString name = QStringLiteral("AniGifBox1"));
    void Paint(QPainter& painter) const override;

  protected:
    AnimationCanvas(const AnimationCanvas& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
};

}  // namespace storyloom::forms
