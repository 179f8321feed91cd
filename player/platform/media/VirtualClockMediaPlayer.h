#pragma once
// The virtual-clock player of walkthroughs and tests: the file is opened by the real decoders
// (so a file that cannot be played fails as it would for real, and the duration is the real
// one, known when the file is set), but nothing is played. Time is the event loop's clock,
// kept by a null player (the same rules for play counts, rate, pause and rewind), and a video
// frame is the one at the virtual position, decoded by a paused pipeline seeked accurately
// to it. The same operations at the same virtual times give the same frames.
#include <memory>

#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPipeline.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/NullMediaPlayer.h"

namespace storyloom {

class VirtualClockMediaPlayer : public MediaPlayer {
  public:
    VirtualClockMediaPlayer(std::shared_ptr<const MediaConfig> config, EventLoop& loop);
    ~VirtualClockMediaPlayer() override;

    bool SetFileName(const QString& path) override;
    QString FileName() const override { return clock_->FileName(); }
    void SetPlayCount(int count) override;
    int PlayCount() const override { return clock_->PlayCount(); }
    void SetVolume(int hundredthsOfDecibel) override;
    int Volume() const override { return clock_->Volume(); }
    void SetRate(double rate) override;
    double Rate() const override { return clock_->Rate(); }
    int PlayState() const override { return clock_->PlayState(); }
    void Play() override;
    void Stop() override;
    void Pause() override;
    double CurrentPosition() const override { return clock_->CurrentPosition(); }
    void SetCurrentPosition(double seconds) override;
    double Duration() const override { return clock_->Duration(); }
    QSize NaturalSize() const override;
    QImage CurrentFrame() const override;

  private:
    void UpdateFrameTimer();

    std::shared_ptr<const MediaConfig> config_;
    NullMediaLibrary library_;
    std::unique_ptr<MediaPlayer> clock_;
    std::unique_ptr<MediaPipeline> video_;  // kept for files with a video stream only
    double videoDuration_ = 0;
    Timer frameTimer_;
    mutable qint64 frameIndex_ = -1;
    mutable QImage frame_;
};

}  // namespace storyloom
