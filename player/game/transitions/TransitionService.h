#pragma once
// The game's connection to the animated change from one frame to the next. The default bodies
// do nothing (a game without transitions, and tests that derive from it to watch the calls);
// GameTransitions is the real one.
#include <QImage>
#include <QString>

namespace storyloom {

class TransitionService {
  public:
    virtual ~TransitionService() = default;
    virtual void InitTransitions() {}
    // The first half (captures the old frame) and the second half (shows the new one).
    virtual void TransitionStep1(int transitionNumber) { (void)transitionNumber; }
    virtual void TransitionStep2(int transitionNumber, double durationSeconds) {
        (void)transitionNumber;
        (void)durationSeconds;
    }
    // The transition overlay picture is on screen.
    virtual bool OverlayVisible() const { return false; }
    virtual void ClearAlphaBlendErrorFlag() {}
    virtual void EnableOrDisableTransitions() {}
    // What the screen shows of the frame picture area, and the current frame drawn without the
    // screen, each the size of the frame picture. A null image: the service cannot capture
    // (the caller renders the frame itself).
    virtual QImage CaptureActualFrame() { return {}; }
    virtual QImage CaptureCurrentFrame() { return {}; }
};

}  // namespace storyloom
