#include "platform/media/VirtualClockMediaPlayer.h"

#include <algorithm>
#include <cmath>

namespace storyloom {

namespace {

QString FileNamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

constexpr double kStepsWithoutFrameRate = 100;  // frames per second assumed when unknown

}  // namespace

VirtualClockMediaPlayer::VirtualClockMediaPlayer(std::shared_ptr<const MediaConfig> config,
                                                 EventLoop& loop)
    : config_(std::move(config)), library_(loop), clock_(library_.Create()), frameTimer_(loop) {
    frameTimer_.SetEnabled(false);
    frameTimer_.onTick = [this] {
        if (clock_->PlayState() != Playing) {
            frameTimer_.SetEnabled(false);
            return;
        }
        if (onFrame) {
            const std::function<void()> notify = onFrame;
            notify();
        }
    };
    clock_->onEnded = [this] {
        frameTimer_.SetEnabled(false);
        if (onEnded) {
            const std::function<void()> ended = onEnded;
            ended();
        }
    };
}

VirtualClockMediaPlayer::~VirtualClockMediaPlayer() = default;

bool VirtualClockMediaPlayer::SetFileName(const QString& path) {
    video_.reset();
    videoDuration_ = 0;
    frameIndex_ = -1;
    frame_ = QImage();
    frameTimer_.SetEnabled(false);
    bool ok = path.isEmpty();
    double duration = 0;
    if (!path.isEmpty()) {
        auto pipe = std::make_unique<MediaPipeline>(config_, 0);
        const MediaPipeline::OpenResult opened = pipe->Open(path, 1.0);
        if (opened.ok) {
            ok = true;
            duration = pipe->QueryDuration();
            // Raw MPEG streams tell their length only once they have been read; that of an
            // MPEG system stream is an estimate from its clock references, often short.
            if (duration <= 0) duration = pipe->MeasureDuration();
            if (pipe->IsMpegSystemStream()) {
                if (const double measured = pipe->MeasureDuration(true); measured > 0)
                    duration = measured;
            }
            videoDuration_ = duration;
            if (duration > 0) duration += pipe->TailSeconds();
            if (pipe->HasVideo()) {
                video_ = std::move(pipe);
                const double fps = video_->FrameRate();
                frameTimer_.SetInterval(
                    std::max(10, static_cast<int>(std::lround(1000.0 / (fps > 0 ? fps : 25.0)))));
                frameTimer_.SetEnabled(false);
            }
        } else {
            config_->report(
                QStringLiteral("Storyloom: cannot play \"%1\": %2.").arg(path, opened.error));
        }
    }
    library_.defaultDuration = duration;
    library_.unreadable.clear();
    if (!ok) library_.unreadable << FileNamePart(path);
    clock_->SetFileName(path);
    library_.log.clear();
    return ok;
}

void VirtualClockMediaPlayer::SetPlayCount(int count) {
    clock_->SetPlayCount(count);
    library_.log.clear();
}

void VirtualClockMediaPlayer::SetVolume(int hundredthsOfDecibel) {
    clock_->SetVolume(hundredthsOfDecibel);
    library_.log.clear();
}

void VirtualClockMediaPlayer::SetRate(double rate) {
    clock_->SetRate(rate);
    library_.log.clear();
}

void VirtualClockMediaPlayer::Play() {
    clock_->Play();
    library_.log.clear();
    UpdateFrameTimer();
}

void VirtualClockMediaPlayer::Stop() {
    clock_->Stop();
    library_.log.clear();
    UpdateFrameTimer();
}

void VirtualClockMediaPlayer::Pause() {
    clock_->Pause();
    library_.log.clear();
    UpdateFrameTimer();
}

void VirtualClockMediaPlayer::SetCurrentPosition(double seconds) {
    clock_->SetCurrentPosition(seconds);
    library_.log.clear();
}

void VirtualClockMediaPlayer::UpdateFrameTimer() {
    frameTimer_.SetEnabled(video_ && clock_->PlayState() == Playing);
}

QSize VirtualClockMediaPlayer::NaturalSize() const {
    return video_ ? video_->NaturalSize() : QSize();
}

QImage VirtualClockMediaPlayer::CurrentFrame() const {
    if (!video_) return {};
    const double fps = video_->FrameRate() > 0 ? video_->FrameRate() : kStepsWithoutFrameRate;
    const auto frames =
        std::max<qint64>(1, static_cast<qint64>(std::ceil(videoDuration_ * fps - 1e-6)));
    const qint64 index = std::clamp<qint64>(
        static_cast<qint64>(std::floor(clock_->CurrentPosition() * fps + 1e-6)), 0, frames - 1);
    if (index == frameIndex_) return frame_;
    // The middle of the frame's time, so that rounded time stamps still pick this frame.
    const double at = (static_cast<double>(index) + 0.5) / fps;
    if (!video_->Seek(1.0, at, true, false, true)) return frame_;
    // Some demuxers (MPEG program streams) guess a seek's place from the bit rate and land
    // frames too late, or past the end with no frame at all: the frame is then found by
    // stepping from the start.
    const double landed = video_->LatestFrameTime();
    if (landed < at - 1.5 / fps || landed > at + 1.0 / fps) {
        if (!video_->Seek(1.0, 0, true, false, true) || !video_->StepFrames(index)) return frame_;
    }
    frameIndex_ = index;
    frame_ = video_->LatestFrame();
    return frame_;
}

}  // namespace storyloom
