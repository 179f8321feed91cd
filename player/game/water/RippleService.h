#pragma once
// The game's connection to the rippling-water effect of a frame.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class RippleService {
  public:
    virtual ~RippleService() = default;
    virtual bool TimerEnabled() const { return false; }
    virtual void DisableTimer() {}
    // The effect's current step has finished (set by its timer).
    virtual bool StepDone() const { return true; }
    // RippleEffectActive := False and the ripple picture hidden.
    virtual void SwitchOff() {}
    virtual bool EffectActive() const { return false; }
    virtual void LoadWaveEffectIfAny(const QString& frameName) { (void)frameName; }
    // Restart the effect's clock and its timer.
    virtual void Restart() {}
    virtual void EnableOrDisableEffects() {}
};

}  // namespace storyloom
