#pragma once
// The sound channels played for real: the seven channel players of the game window, the
// pending changes of the channel table, the cross-fade with its 100 ms timer, and the old
// fixed-layout sound blocks (a frame's .chn file, a hotspot's .fm5 record).
//
// The fade can be driven two ways: by the fade timer (EnableFadeTimer after
// StartChannelChanges), or by whoever runs its own animation, a frame transition for one,
// through FadeProgressHook(): a function taking the progress from 0 to 1 (1 or more ends
// the fade at once).
#include <functional>

#include "game/sound/SoundChannelService.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

class Game;
class MediaPlayer;

class SoundChannels : public SoundChannelService {
  public:
    // `game` must outlive the service; the service uses the game's channel players, its
    // channel table and its program.
    explicit SoundChannels(Game& game);
    ~SoundChannels() override;
    SoundChannels(const SoundChannels&) = delete;
    SoundChannels& operator=(const SoundChannels&) = delete;

    void StartChannelChanges() override;
    void FadeChannels(double progress) override;
    void EnableFadeTimer() override;
    void DisableFadeTimer() override;
    void PlaySoundChannels(SeqReader& reader) override;
    void ClearAudioProblemShown() override;

    // The fade step for a caller with its own clock: progress 0..1.
    std::function<void(double)> FadeProgressHook();

    // The fade timer's tick.
    void TimerAudioFade_Timer();
    bool FadeTimerEnabled() const { return timer_.Enabled(); }
    // Seconds since midnight when the running fade started; 0 before its first tick.
    double FadeStartTime() const { return fadeStartTime_; }
    bool AudioProblemShown() const { return audioProblemShown_; }

    // The first channel player (1 to 7) that is not playing, or -1.
    int FindFreePlayer() const;
    // Some channel player has exactly `path` loaded and is playing it.
    bool IsPathPlaying(const QString& path) const;
    // Only one MIDI file plays at a time: a MIDI file about to start on `channel` stops every
    // player that has one loaded.
    void StopOtherMidi(int channel);

  private:
    MediaPlayer& PlayerAt(int index) const;
    // Stop, load, volume, play count, play; throws when the file cannot be loaded.
    void StartFile(MediaPlayer& player, const QString& path, int volume, int playCount);
    void ShowAudioProblem();

    Game& game_;
    Timer timer_;
    double fadeStartTime_ = 0;
    bool audioProblemShown_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace storyloom
