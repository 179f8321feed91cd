#pragma once
// One media player: plays a sound, a piece of music or a video file. The game keeps several
// (the sound channels, the one-time video, the looping hotspot videos, the scripts' spare one).
//
// FileName reads back exactly what was written, so callers can compare it with a path to tell
// whether a file is already loaded. Volume is in hundredths of a decibel (0 = full, negative =
// quieter). PlayState is 2 while playing. PlayCount 0 plays without end.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

namespace storyloom {

class MediaPlayer {
  public:
    enum State { Stopped = 0, Paused = 1, Playing = 2 };

    virtual ~MediaPlayer() = default;

    // Loads the file; the player then stands ready to play it from the start. An empty name
    // unloads. Returns false when the file cannot be opened (FileName still reads it back).
    virtual bool SetFileName(const QString& path) = 0;
    virtual QString FileName() const = 0;

    virtual void SetPlayCount(int count) = 0;
    virtual int PlayCount() const = 0;
    virtual void SetVolume(int hundredthsOfDecibel) = 0;
    virtual int Volume() const = 0;
    virtual void SetRate(double rate) = 0;
    virtual double Rate() const = 0;

    virtual int PlayState() const = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;  // does nothing when not playing
    virtual void Pause() = 0;

    // Seconds; writing 0 rewinds.
    virtual double CurrentPosition() const = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    // Seconds of one play; 0 while unknown.
    virtual double Duration() const = 0;

    // Video: the natural size (empty for sound) and the frame to show now.
    virtual QSize NaturalSize() const = 0;
    virtual QImage CurrentFrame() const = 0;
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }
    bool AutoSize() const { return autoSize_; }
    // The control bar and status display; the game keeps them off.
    void SetShowControls(bool show) { showControls_ = show; }
    bool ShowControls() const { return showControls_; }

    // Raised when the last play of the file has ended.
    std::function<void()> onEnded;
    // Raised when a new video frame is ready (CurrentFrame changed), so that the player's
    // rectangle can be repainted.
    std::function<void()> onFrame;

  private:
    bool autoSize_ = true;
    bool showControls_ = true;
};

class MediaPlayerFactory {
  public:
    virtual ~MediaPlayerFactory() = default;
    virtual std::unique_ptr<MediaPlayer> Create() = 0;
};

// Linear amplitude for a volume in hundredths of a decibel (0 -> 1.0, -2000 -> 0.1).
double VolumeToAmplitude(int hundredthsOfDecibel);

}  // namespace storyloom
