#pragma once
// The game's connection to the animated change from one frame to the next.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
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
};

}  // namespace storyloom
