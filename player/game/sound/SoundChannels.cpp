#include "game/sound/SoundChannels.h"

#include <stdexcept>

#include "core/BasicConvert.h"
#include "core/Program.h"
#include "core/SoundChannelTable.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/media/MediaPlayer.h"
#include "platform/seqfile/SeqFile.h"
#include "project/MediaFiles.h"

namespace storyloom {

namespace {

constexpr int kChannels = 7;
constexpr int kFadeIntervalMs = 100;
const QString kSeparator = QStringLiteral("----- SEPARATOR -----");

const QString kAudioProblemTitle = QStringLiteral("AUDIO PROBLEM");
const QString kAudioProblemText = QStringLiteral(
    "WARNING: Another program may be using the audio hardware resources, an audio file may be "
    "damaged, or your audio drivers may be unable to play at the same time an audio file and "
    "the audio track of a video file. Although this error can be safely ignored, it may result "
    "in some sound files not being played. It is recommended that you close all the other "
    "Windows applications that are running, and that you restart the program.");
const QString kAudioProblemLast =
    QStringLiteral("This message will not reappear until you restart the program.");

bool EndsInMid(const QString& name) {
    return name.size() > 4 &&
           name.right(3).compare(QStringLiteral("mid"), Qt::CaseInsensitive) == 0;
}

struct PlayerFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace

SoundChannels::SoundChannels(Game& game) : game_(game), timer_(game.program.platform.loop) {
    timer_.SetEnabled(false);
    timer_.SetInterval(kFadeIntervalMs);
    std::weak_ptr<bool> alive = alive_;
    timer_.onTick = [this, alive] {
        if (alive.lock()) TimerAudioFade_Timer();
    };
}

SoundChannels::~SoundChannels() {
    timer_.SetEnabled(false);
}

MediaPlayer& SoundChannels::PlayerAt(int index) const {
    if (index < 1 || index > kChannels) throw PlayerFailed("no such player");
    return game_.Player(index);
}

int SoundChannels::FindFreePlayer() const {
    for (int i = 1; i <= kChannels; ++i)
        if (game_.Player(i).PlayState() != MediaPlayer::Playing) return i;
    return -1;
}

bool SoundChannels::IsPathPlaying(const QString& path) const {
    for (int i = 1; i <= kChannels; ++i) {
        const MediaPlayer& p = game_.Player(i);
        if (p.FileName() == path && p.PlayState() == MediaPlayer::Playing) return true;
    }
    return false;
}

void SoundChannels::StopOtherMidi(int channel) {
    if (!EndsInMid(game_.state.SoundChannels[static_cast<size_t>(channel)].FileName)) return;
    for (int i = 1; i <= kChannels; ++i)
        if (EndsInMid(game_.Player(i).FileName())) game_.Player(i).Stop();
}

void SoundChannels::StartFile(MediaPlayer& player, const QString& path, int volume, int playCount) {
    player.Stop();
    if (!player.SetFileName(path)) throw PlayerFailed("the file cannot be played");
    player.SetVolume(volume);
    player.SetPlayCount(playCount);
    player.Play();
}

void SoundChannels::StartChannelChanges() {
    Program& p = game_.program;
    SoundChannelTable& table = game_.state.SoundChannels;
    try {
        for (int c = 1; c <= kChannels; ++c) {
            SoundChannel& ch = table[static_cast<size_t>(c)];
            const int playCount = ch.Repeat ? 0 : 1;
            QString path;
            bool exists = false;
            if (!ch.FileName.isEmpty()) {
                path = ResolveMediaPath(p, p.paths.AreasPath + ch.FileName);
                exists = !p.platform.files.FileExists(path).isEmpty();
            }
            if (ch.CrossFade) {
                if (!exists) {
                    // The entry stays pending: the fade carries out its Mode.
                    ch.FileName.clear();
                    continue;
                }
                StopOtherMidi(c);
                const int own = ch.PlayerIndex;
                const int free =
                    PlayerAt(own).PlayState() == MediaPlayer::Playing ? FindFreePlayer() : -1;
                if (free != -1) {
                    ch.FadingPlayerIndex = static_cast<qint16>(own);
                    ch.PlayerIndex = static_cast<qint16>(free);
                    StartFile(PlayerAt(free), path, VolumeForLevel(0), playCount);
                    // The channel that had the free player takes this channel's old one.
                    for (int other = 1; other <= kChannels; ++other)
                        if (other != c && table[static_cast<size_t>(other)].PlayerIndex == free)
                            table[static_cast<size_t>(other)].PlayerIndex =
                                static_cast<qint16>(own);
                } else {
                    // No free player (or the channel's own is silent): the new sound starts on
                    // the channel's own player, cutting the old one.
                    ch.FadingPlayerIndex = 0;
                    StartFile(PlayerAt(own), path, VolumeForLevel(0), playCount);
                }
                continue;
            }
            if (ch.Mode == 3) PlayerAt(ch.PlayerIndex).Stop();
            if (!ch.FileName.isEmpty()) {
                if (exists) {
                    if (!(ch.KeepIfPlaying && IsPathPlaying(path))) {
                        StopOtherMidi(c);
                        StartFile(PlayerAt(ch.PlayerIndex), path, VolumeForLevel(ch.Volume),
                                  playCount);
                    }
                } else {
                    ch.FileName.clear();
                }
            }
            if (ch.Mode == 4) PlayerAt(ch.PlayerIndex).SetVolume(VolumeForLevel(ch.Volume));
            ch.Mode = 0;
            ch.FileName.clear();
            ch.FadingPlayerIndex = 0;
        }
        fadeStartTime_ = 0;
    } catch (const std::exception&) {
        if (!p.StopRequested) ShowAudioProblem();
    }
}

void SoundChannels::ShowAudioProblem() {
    if (audioProblemShown_) return;
    audioProblemShown_ = true;
    game_.program.platform.dialogs.Show(BoxIcon::Exclamation, kAudioProblemTitle,
                                        kAudioProblemText + kCrLf + kCrLf + kAudioProblemLast);
}

void SoundChannels::FadeChannels(double a) {
    SoundChannelTable& table = game_.state.SoundChannels;
    const bool finish = a >= 1;
    bool anyTookPart = false;
    for (int b = 1; b <= kChannels; ++b) {
        SoundChannel& ch = table[static_cast<size_t>(b)];
        // A player number that damaged data or a script put out of range is left alone.
        auto player = [](int index, Game& game) -> MediaPlayer* {
            return index >= 1 && index <= kChannels ? &game.Player(index) : nullptr;
        };
        MediaPlayer* P = player(ch.PlayerIndex, game_);
        MediaPlayer* F = ch.FadingPlayerIndex != 0 ? player(ch.FadingPlayerIndex, game_) : nullptr;
        if (ch.CrossFade) {
            anyTookPart = true;
            if (!finish) {
                if (P && ch.Mode == 3) P->SetVolume(VolumeForLevel((1 - a) * ch.PreviousVolume));
                if (P && ch.Mode == 4)
                    P->SetVolume(
                        VolumeForLevel(ch.PreviousVolume + a * (ch.Volume - ch.PreviousVolume)));
                if (!ch.FileName.isEmpty()) {
                    if (P) P->SetVolume(VolumeForLevel(a * ch.Volume));
                    if (F) F->SetVolume(VolumeForLevel((1 - a) * ch.PreviousVolume));
                }
            } else {
                if (P && ch.Mode == 3) P->Stop();
                if (P && ch.Mode == 4) P->SetVolume(VolumeForLevel(ch.Volume));
                if (!ch.FileName.isEmpty()) {
                    if (P) P->SetVolume(VolumeForLevel(ch.Volume));
                    if (F) F->Stop();
                }
                ch.Mode = 0;
                ch.FileName.clear();
                ch.FadingPlayerIndex = 0;
                ch.CrossFade = false;
            }
        } else if (finish) {
            ch.Mode = 0;
            ch.FileName.clear();
            ch.FadingPlayerIndex = 0;
        }
    }
    if (finish || !anyTookPart) timer_.SetEnabled(false);
}

std::function<void(double)> SoundChannels::FadeProgressHook() {
    std::weak_ptr<bool> alive = alive_;
    return [this, alive](double progress) {
        if (alive.lock()) FadeChannels(progress);
    };
}

void SoundChannels::TimerAudioFade_Timer() {
    EventLoop& loop = game_.program.platform.loop;
    if (fadeStartTime_ == 0) {
        fadeStartTime_ = loop.SecondsSinceMidnight();
        return;
    }
    const double elapsed = loop.SecondsSinceMidnight() - fadeStartTime_;
    const double duration = game_.state.AudioFadeDuration;
    if (elapsed < 0 || elapsed >= duration) {
        FadeChannels(1);
        timer_.SetEnabled(false);
    } else {
        FadeChannels(elapsed / duration);
    }
}

void SoundChannels::EnableFadeTimer() {
    timer_.SetEnabled(true);
}

void SoundChannels::DisableFadeTimer() {
    timer_.SetEnabled(false);
}

void SoundChannels::ClearAudioProblemShown() {
    audioProblemShown_ = false;
}

void SoundChannels::PlaySoundChannels(SeqReader& r) {
    Program& p = game_.program;
    try {
        for (int i = 0; i < 22; ++i) r.ReadVariant();
        for (int k = 1; k <= 5; ++k) {
            r.ReadVariant();
            const bool stop = r.ReadBoolean();
            const bool play = r.ReadBoolean();
            const QString file = r.ReadString();
            const double repeat = r.ReadDouble();
            if (stop) game_.ChannelPlayer(k).Stop();
            if (play && !file.isEmpty()) {
                const QString path = ResolveMediaPath(p, p.paths.AreasPath + file);
                StartFile(game_.ChannelPlayer(k), path, VolumeForLevel(8), repeat == 0 ? 1 : 0);
            }
            if (r.AtEnd()) break;
            const qsizetype at = r.Tell();
            const bool separator = r.ReadString() == kSeparator;
            r.Seek(at);
            if (separator) break;
        }
    } catch (const std::exception&) {
        p.ShowErrorBox(QStringLiteral(" Unable to load old sound system information."));
    }
}

}  // namespace storyloom
