#pragma once
// The game's connection to the rippling-water effect of a frame. The default bodies do nothing
// (a game without the effect, and tests that derive from it to watch the calls); GameWater is
// the real one.
#include <QString>

namespace storyloom {

namespace forms {
class PictureBox;
}

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
    // The picture that shows the water (PicRipplingWater); null when there is none.
    virtual forms::PictureBox* Picture() { return nullptr; }
};

}  // namespace storyloom
