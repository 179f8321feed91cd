#pragma once
// The seven sound channels: which media player carries each one and what is to change on it
// next. Frame openings and actions fill the entries; the sound mixer applies them.
#include <QString>
#include <array>

namespace storyloom {

struct SoundChannel {
    qint16 Mode = 0;  // 3 = stop the current sound, 4 = change its volume
    QString FileName;
    bool CrossFade = false;
    bool Repeat = false;
    qint16 PlayerIndex = 0;
    qint16 FadingPlayerIndex = 0;
    double PreviousVolume = 0;
    double Volume = 0;
    bool KeepIfPlaying = false;

    bool operator==(const SoundChannel&) const = default;
};

// Entries 1 to 7 are the channels; entry 0 is never used.
using SoundChannelTable = std::array<SoundChannel, 8>;

// The music plays on channel 6's player, the one-time frame sounds on channel 7's.
inline constexpr int kMusicChannel = 6;
inline constexpr int kFrameSoundChannel = 7;

// A volume level 0..10 as a player volume in hundredths of a decibel: (level - 10) x 400,
// rounded half to even (level 10 -> 0, 8 -> -800, 0 -> -4000).
int VolumeForLevel(double level);

}  // namespace storyloom
