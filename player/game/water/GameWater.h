#pragma once
// The rippling water of a frame: a rectangle of the background picture, read from the frame's
// ".rwe" file, redrawn every 30 milliseconds as water through the frame's ".rwm" mask (black
// ripples, white stays still), with the wave operations of platform/effects/RipplingWater.h.
//
// The water picture (PicRipplingWater) lies in the frame picture area just above the
// background and below the hotspots, so a hotspot over the water keeps its picture and its
// clicks; a click on the water itself is a click beside the hotspots. The effect's clock is
// the event loop's: on the virtual clock the water is the same at the same moment, every run.
#include <QImage>
#include <memory>

#include "game/water/RippleService.h"
#include "platform/effects/RipplingWater.h"
#include "platform/loop/EventLoop.h"
#include "project/WaterEffectFile.h"

namespace storyloom {

class Game;

class GameWater : public RippleService {
  public:
    explicit GameWater(Game& game);
    ~GameWater() override;
    GameWater(const GameWater&) = delete;
    GameWater& operator=(const GameWater&) = delete;

    bool TimerEnabled() const override { return timer_.Enabled(); }
    void DisableTimer() override { timer_.SetEnabled(false); }
    bool StepDone() const override { return stepDone_; }
    void SwitchOff() override;
    bool EffectActive() const override;
    void LoadWaveEffectIfAny(const QString& frameName) override;
    void Restart() override;
    void EnableOrDisableEffects() override;
    forms::PictureBox* Picture() override { return picture_; }

    // One timer step (TimerRipplingWater's tick).
    void TimerTick();
    int TimerInterval() const { return timer_.Interval(); }
    // The settings of the effect on screen.
    const WaterEffectSettings& Settings() const { return settings_; }

    static constexpr int kIntervalMs = 30;

  private:
    // The wave from the still copy, then the still parts back through the mask.
    void DrawStep();

    Game& game_;
    forms::PictureBox* picture_ = nullptr;  // PicRipplingWater
    QImage original_;                       // PicOriginal
    QImage masked_;                         // PicMasked
    QImage mask_;                           // PicMask
    WaterEffectSettings settings_;
    effects::WaterClock clock_;
    Timer timer_;
    bool stepDone_ = true;  // RippleStepDone
};

}  // namespace storyloom
