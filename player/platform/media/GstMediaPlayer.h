#pragma once
// The media players that really play: GStreamer, one playbin per player.
//
// GstMediaFactory makes them. In the real-time mode (the default) a player plays on the
// sound device and shows its video frames as they fall due; all its callbacks run on the Qt
// main thread. In the virtual-clock mode (walkthroughs, tests) a player plays nothing: the
// real decoders give the duration (known when the file is set) and the video frames, while
// time comes from the event loop's clock exactly as for the null player.
//
// The audio sink of the real-time mode is the sound device, unless the environment variable
// STORYLOOM_AUDIO_SINK holds a gst-launch description to use instead, where "%n" stands for
// the player's number and "%i" for the number of the file opened (counted over all players);
// for example, to record every sound the game plays, one WAV file per sound:
//   STORYLOOM_AUDIO_SINK="identity sync=true ! wavenc ! filesink async=false
//   location=snd%i-p%n.wav"
// (identity sync=true keeps real time, which wavenc and filesink do not; a sound stopped
// before its end leaves a WAV header without its length).
// STORYLOOM_SOUNDFONT names the General MIDI soundfont when the installed one is not wanted.
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPipeline.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom {

class GstMediaFactory : public MediaPlayerFactory {
  public:
    struct Options {
        bool virtualClock = false;
        // gst-launch description of the audio sink; empty: STORYLOOM_AUDIO_SINK, else the
        // sound device (a silent sink, said once on standard error, when there is none).
        QString audioSink;
        // General MIDI soundfont; empty: STORYLOOM_SOUNDFONT, else the installed one.
        QString soundFont;
        double synthGain = 0.6;
        // Where diagnostics go, one line each; empty: standard error.
        std::function<void(const QString&)> report;
    };

    explicit GstMediaFactory(EventLoop& loop);
    GstMediaFactory(EventLoop& loop, Options options);
    std::unique_ptr<MediaPlayer> Create() override;

    // False when GStreamer could not be started (no player can open a file then).
    bool Available() const { return available_; }
    const MediaConfig& Config() const { return *config_; }

  private:
    EventLoop& loop_;
    bool virtual_ = false;
    bool available_ = false;
    std::shared_ptr<MediaConfig> config_;
    int nextNumber_ = 1;
};

// The real-time player.
class GstMediaPlayer : public MediaPlayer {
  public:
    GstMediaPlayer(std::shared_ptr<const MediaConfig> config, int number);
    ~GstMediaPlayer() override;

    bool SetFileName(const QString& path) override;
    QString FileName() const override { return fileName_; }
    void SetPlayCount(int count) override;
    int PlayCount() const override { return playCount_; }
    void SetVolume(int hundredthsOfDecibel) override;
    int Volume() const override { return volume_; }
    void SetRate(double rate) override;
    double Rate() const override { return rate_; }
    int PlayState() const override { return state_; }
    void Play() override;
    void Stop() override;
    void Pause() override;
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override { return duration_; }
    QSize NaturalSize() const override;
    QImage CurrentFrame() const override;

    // For measurements: the pipeline itself has reached the playing state; the video sink's
    // rendered and dropped (late) frames.
    bool PipelineIsPlaying() const { return pipe_ && pipe_->IsPlayingNow(); }
    // The playbin of the file loaded (null when none), for tests and measurements.
    GstElement* Pipeline() const { return pipe_ ? pipe_->Element() : nullptr; }
    std::pair<quint64, quint64> FrameStats() const;

  private:
    void DrainBus();
    void HandleMessage(GstMessage* message);
    void EndOfPlay(bool segmentDone);
    void Finish();
    void Fail(const QString& why);
    // Moves to `seconds` of the current play, flushing, with the loop mode the play count asks.
    void SeekTo(double seconds);
    bool WantsSegmentLoop() const;
    void RaiseEnded();

    std::shared_ptr<const MediaConfig> config_;
    int number_;
    std::unique_ptr<QObject> context_;  // receives the calls posted from streaming threads
    std::unique_ptr<MediaPipeline> pipe_;
    QString fileName_;
    bool loaded_ = false;
    int playCount_ = 1;
    int volume_ = 0;
    double rate_ = 1.0;
    double duration_ = 0;
    State state_ = Stopped;
    bool ended_ = false;  // the last play has ended; Play starts again from the start
    int playsDone_ = 0;
    // Where a player that does not play would go on from: the sinks cannot always say (a
    // recording sink knows no time), so it is kept here.
    double restartAt_ = 0;
    int generation_ = 0;  // counts loads and plays, for the start watchdog
    std::atomic<bool> framePosted_{false};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace storyloom
