#pragma once
// The game's connection to the sound-channel mixer: channel changes, cross-fades and the old
// sound blocks.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class SeqReader;

class SoundChannelService {
  public:
    virtual ~SoundChannelService() = default;
    // Applies the pending changes of the channel table.
    virtual void StartChannelChanges() {}
    // One fade step (1 or more ends the fade at once).
    virtual void FadeChannels(double progress) { (void)progress; }
    virtual void EnableFadeTimer() {}
    virtual void DisableFadeTimer() {}
    // Plays the old-style sound block at the reader's position.
    virtual void PlaySoundChannels(SeqReader& reader) { (void)reader; }
    virtual void ClearAudioProblemShown() {}
};

}  // namespace storyloom
