#pragma once
// The animated change from one frame to the next, in two halves around the opening of the new
// frame. The first half freezes what the screen shows of the frame picture area in the display
// box `picWhere`, laid over the picture area; the new frame is then built underneath, and the
// second half draws it off screen and animates from the old picture to the new one.
//
// Every step composes the whole display box from the two pictures (a cross-fade or one of the
// four slides, platform/effects/Transitions.h): the strip of a slide is drawn, not moved as
// boxes, so a step costs the same on any screen. The progress of a step is the time elapsed on
// the event loop's monotonic clock over the duration, never a count of steps: a slow machine
// shows fewer steps, not a longer transition, and the last step is always the new picture.
// On the virtual clock of the tests and walkthroughs the animation moves only while something
// waits: a click, a key or a walkthrough's `wait` between two steps acts at that moment.
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <functional>

#include "game/transitions/TransitionService.h"

namespace storyloom {

class Game;
namespace forms {
class PictureBox;
}

// The run-time components as the transitions see them: which are on the frame, which are
// moved over the old picture before it is captured, and where each rides during the
// animation. The components subsystem implements it; the default is an empty list.
class TransitionComponents {
  public:
    enum class Holder { PictureArea, Display, OldPicture, NewPicture };
    virtual ~TransitionComponents() = default;
    virtual int Count() const { return 0; }
    // The component is on the frame (its list entry's third field).
    virtual bool OnFrame(int index) const {
        (void)index;
        return false;
    }
    // Moved over the display before the old picture is captured (the fourth field).
    virtual bool MovedBeforeCapture(int index) const {
        (void)index;
        return false;
    }
    // The component is held by the frame picture area now.
    virtual bool InPictureArea(int index) const {
        (void)index;
        return true;
    }
    virtual void MoveInto(int index, Holder holder) {
        (void)index;
        (void)holder;
    }
    // Moves the component by (dx, dy) pixels within its holder.
    virtual void Shift(int index, int dx, int dy) {
        (void)index;
        (void)dx;
        (void)dy;
    }
    // During a slide, where the strip's top-left corner is on the display (pixels): the strip
    // is [new | old] for kinds 2 and 4 and [old | new] for 3 and 5, and the components held by
    // either picture ride with it (those on the strip's second half were shifted by the
    // picture's width or height).
    virtual void StripAt(QPoint strip) { (void)strip; }
    virtual void Pause() {}
    virtual void Resume() {}
};

class GameTransitions : public TransitionService {
  public:
    // `components` may be null (no run-time components); it must outlive this object.
    explicit GameTransitions(Game& game, TransitionComponents* components = nullptr);
    ~GameTransitions() override;
    GameTransitions(const GameTransitions&) = delete;
    GameTransitions& operator=(const GameTransitions&) = delete;

    void InitTransitions() override;
    void TransitionStep1(int transitionNumber) override;
    void TransitionStep2(int transitionNumber, double durationSeconds) override;
    bool OverlayVisible() const override;
    void EnableOrDisableTransitions() override;
    QImage CaptureActualFrame() override;
    QImage CaptureCurrentFrame() override;

    // The names of the kinds, 0 to 5 (0 empty), loaded with the game window.
    const QStringList& TransitionNames() const { return names_; }

    // After every step with its progress (0 to 1), and with 1 at the end, also when nothing was
    // animated: the sound channels' cross-fade follows the picture. By default the game's sound
    // service (FadeChannels); empty: nothing is told.
    std::function<void(double progress)> onProgress;
    // How the animation waits between two steps (milliseconds). By default the event loop's
    // Wait; the walkthrough runner hands its own, so that its commands act between steps.
    std::function<void(int ms)> stepWait;

    // The steps drawn by the last animation (benches and tests).
    int LastStepCount() const { return lastSteps_; }

    // The longest transition played; longer durations are cut to it, so that a damaged record
    // cannot keep the old picture on screen for hours.
    static constexpr double kLongestSeconds = 60.0;
    // The pause between two steps: a step waits for the display's next refresh at the latest.
    static constexpr int kStepPauseMs = 10;

  private:
    void Animate(int kind, double seconds);
    void DrawStep(int kind, double progress);
    void EndOverlay();
    void ReportError(const char* where, const QString& description);

    Game& game_;
    TransitionComponents noComponents_;
    TransitionComponents& components_;
    forms::PictureBox* picWhere_ = nullptr;
    QImage picStart_;  // the old picture
    QImage picEnd_;    // the new picture
    // The first half froze the old picture and the second half has not run yet.
    bool prepared_ = false;
    bool animating_ = false;  // the animation loop runs (a jump inside it gets no transition)
    int lastSteps_ = 0;
    QString oldMessage_;  // the message strip's text when the first half ran (null: none)
    QStringList names_;
};

}  // namespace storyloom
