#include "platform/media/NullMediaPlayer.h"

#include <algorithm>
#include <cmath>

namespace storyloom {

double VolumeToAmplitude(int hundredthsOfDecibel) {
    return std::pow(10.0, hundredthsOfDecibel / 2000.0);
}

static QString FileNameKey(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1).toLower();
}

std::unique_ptr<MediaPlayer> NullMediaLibrary::Create() {
    return std::make_unique<NullMediaPlayer>(*this, nextId_++);
}

void NullMediaLibrary::SetDuration(const QString& fileName, double seconds) {
    durations_[FileNameKey(fileName)] = seconds;
}

double NullMediaLibrary::DurationOf(const QString& path) const {
    const auto it = durations_.find(FileNameKey(path));
    return it == durations_.end() ? defaultDuration : it->second;
}

NullMediaPlayer::NullMediaPlayer(NullMediaLibrary& library, int id) : library_(library), id_(id) {
    library_.players_.push_back(this);
}

NullMediaPlayer::~NullMediaPlayer() {
    *alive_ = false;
    auto& players = library_.players_;
    players.erase(std::remove(players.begin(), players.end(), this), players.end());
}

void NullMediaPlayer::Log(const QString& what) {
    library_.log.append(QStringLiteral("player%1: %2").arg(id_).arg(what));
}

bool NullMediaPlayer::SetFileName(const QString& path) {
    Log(QStringLiteral("FileName %1").arg(path));
    ++generation_;
    state_ = Stopped;
    fileName_ = path;
    elapsedBefore_ = 0;
    const bool unreadable = library_.unreadable.contains(FileNameKey(path), Qt::CaseInsensitive);
    loaded_ = !path.isEmpty() && !unreadable;
    duration_ = loaded_ ? library_.DurationOf(path) : 0;
    return loaded_ || path.isEmpty();
}

void NullMediaPlayer::SetPlayCount(int count) {
    Log(QStringLiteral("PlayCount %1").arg(count));
    const double position = Elapsed();
    playCount_ = std::max(0, count);
    if (state_ == Playing) {
        elapsedBefore_ = position;
        runStartMs_ = library_.Loop().NowMs();
        ScheduleEnd();
    }
}

void NullMediaPlayer::SetVolume(int hundredthsOfDecibel) {
    Log(QStringLiteral("Volume %1").arg(hundredthsOfDecibel));
    volume_ = std::clamp(hundredthsOfDecibel, -10000, 0);
}

void NullMediaPlayer::SetRate(double rate) {
    Log(QStringLiteral("Rate %1").arg(rate));
    if (!(rate > 0)) return;
    const double position = Elapsed();
    rate_ = rate;
    if (state_ == Playing) {
        elapsedBefore_ = position;
        runStartMs_ = library_.Loop().NowMs();
        ScheduleEnd();
    }
}

int NullMediaPlayer::PlayState() const {
    return state_;
}

void NullMediaPlayer::Play() {
    Log(QStringLiteral("Play"));
    if (!loaded_ || state_ == Playing) return;
    // A file that has played to its end starts again from the beginning.
    if (playCount_ > 0 && elapsedBefore_ >= duration_ * playCount_) elapsedBefore_ = 0;
    state_ = Playing;
    runStartMs_ = library_.Loop().NowMs();
    ScheduleEnd();
}

void NullMediaPlayer::Stop() {
    Log(QStringLiteral("Stop"));
    if (state_ == Stopped) return;
    elapsedBefore_ = Elapsed();
    state_ = Stopped;
    ++generation_;
}

void NullMediaPlayer::Pause() {
    Log(QStringLiteral("Pause"));
    if (state_ != Playing) return;
    elapsedBefore_ = Elapsed();
    state_ = Paused;
    ++generation_;
}

double NullMediaPlayer::Elapsed() const {
    double elapsed = elapsedBefore_;
    if (state_ == Playing) elapsed += (library_.Loop().NowMs() - runStartMs_) / 1000.0 * rate_;
    if (playCount_ > 0 && duration_ > 0) elapsed = std::min(elapsed, duration_ * playCount_);
    return elapsed;
}

double NullMediaPlayer::CurrentPosition() const {
    if (duration_ <= 0) return 0;
    const double elapsed = Elapsed();
    if (playCount_ > 0 && elapsed >= duration_ * playCount_) return duration_;
    return std::fmod(elapsed, duration_);
}

void NullMediaPlayer::SetCurrentPosition(double seconds) {
    Log(QStringLiteral("CurrentPosition %1").arg(seconds));
    if (!loaded_) return;
    // Rewinding keeps the plays already made: only the position within the current play moves.
    const double played = duration_ > 0 ? std::floor(Elapsed() / duration_) * duration_ : 0;
    const double within = std::clamp(seconds, 0.0, duration_);
    elapsedBefore_ = (playCount_ > 0 && played >= duration_ * playCount_)
                         ? duration_ * (playCount_ - 1) + within
                         : played + within;
    runStartMs_ = library_.Loop().NowMs();
    if (state_ == Playing) ScheduleEnd();
}

void NullMediaPlayer::ScheduleEnd() {
    ++generation_;
    if (playCount_ == 0) return;  // plays without end
    const double remaining = std::max(0.0, duration_ * playCount_ - elapsedBefore_);
    const int delayMs = std::max(0, static_cast<int>(std::ceil(remaining / rate_ * 1000.0)));
    const int generation = generation_;
    std::weak_ptr<bool> alive = alive_;
    library_.Loop().Post(
        [this, generation, alive] {
            if (alive.expired() || generation != generation_) return;
            Finish();
        },
        delayMs);
}

void NullMediaPlayer::Finish() {
    elapsedBefore_ = duration_ * playCount_;
    state_ = Stopped;
    ++generation_;
    Log(QStringLiteral("Ended"));
    if (onEnded) onEnded();
}

}  // namespace storyloom
