#pragma once
// One GStreamer playbin for one media file, shared by the real-time and the virtual-clock
// players. It builds the pipeline with the fixes this player needs (ADPCM WAV decoded by us,
// lying WAV lengths, the MIDI soundfont, gain and release tail), prerolls it with a time
// limit and hands out its video frames. Streaming threads only touch the frame slot (under a
// mutex) and call the owner's notify functions; everything else runs on the owner's thread.
#include <QImage>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstSample GstSample;

namespace storyloom {

// Settings shared by every player of one factory.
struct MediaConfig {
    // gst-launch description of the audio sink; a "%n" in it becomes the player's number, a
    // "%i" the number of the file opened (counted over all players of the process).
    QString audioSink;
    bool videoSync = true;  // appsink waits for each frame's time (false: paused use only)
    QString soundFont;      // General MIDI soundfont; empty when none was found
    double synthGain = 0.6;
    double midiTailSeconds = 1.0;  // the notes' release after the last MIDI event
    int timeoutMs = 5000;          // a pipeline that takes longer to change state is abandoned
    std::function<void(const QString&)> report;  // one line of diagnostics
};

class MediaPipeline {
  public:
    struct OpenResult {
        bool ok = false;
        QString error;  // why it failed, for the diagnostics line
    };

    MediaPipeline(std::shared_ptr<const MediaConfig> config, int playerNumber);
    ~MediaPipeline();
    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Set before Open. `onMessage` runs on any thread when a bus message is waiting (pop them
    // with PopMessage on the owner's thread); `onFrame` on a streaming thread for each frame.
    std::function<void()> onMessage;
    std::function<void()> onFrame;

    // Builds the pipeline for a local file with the linear volume given and prerolls it in
    // the paused state.
    OpenResult Open(const QString& path, double volume);

    GstElement* Element() const { return playbin_; }
    // The next waiting bus message (caller unrefs), or null; after a null, the next message
    // calls onMessage again.
    GstMessage* PopMessage();

    bool SetPlaying(bool playing);
    // Flushing seeks wait for the preroll when `wait` is set (paused pipelines).
    bool Seek(double rate, double seconds, bool flush, bool segment, bool wait);
    // Runs an unsynchronised pipeline to learn a duration the headers do not give (until the
    // demuxer announces one, or `toTheEnd`). Seconds, or 0 when it could not be found within
    // the time limit; the pipeline is paused at the start afterwards.
    double MeasureDuration(bool toTheEnd = false);
    // An MPEG system stream: its duration is only the demuxer's estimate.
    bool IsMpegSystemStream() const { return mpegSystem_; }
    void SetVolume(double linear);

    double Position() const;       // stream seconds (the origin not subtracted); -1 when unknown
    double QueryDuration() const;  // seconds, 0 when unknown
    // Where the stream's time starts (MPEG program streams start at their first time stamp).
    double Origin() const { return origin_; }
    bool IsMidi() const { return midi_; }
    // Extra seconds that play after the reported duration (the MIDI release tail).
    double TailSeconds() const;

    bool HasVideo() const;
    QSize NaturalSize() const;
    double FrameRate() const;  // frames per second; 0 when unknown or variable
    // The latest frame that reached the sink (the preroll frame after a seek).
    QImage LatestFrame();
    // The stream time of the latest frame in seconds from the start; negative when none.
    double LatestFrameTime() const;
    // Paused: moves `frames` frames forward and waits until the frame there is ready.
    bool StepFrames(qint64 frames);
    // Frames rendered and dropped by the video sink since Open.
    std::pair<quint64, quint64> FrameStats() const;
    bool IsPlayingNow() const;  // the pipeline itself has reached the playing state

    // Waits for the end of an asynchronous state change; false on error or after timeoutMs
    // (the pipeline is then abandoned).
    bool WaitForPreroll(QString* error);
    // Stops the pipeline on a thread of its own when it is destroyed, in case it hangs.
    void Abandon() { abandoned_ = true; }

    // Diagnostics for a missing decoder: its description and the Debian package.
    static QString MissingPluginText(GstMessage* message);

  private:
    // Bus messages go to our own queue (from any thread), so that none is missed between a
    // notification and the owner's draining.
    void Enqueue(GstMessage* message);
    GstMessage* WaitForMessage(qint64 ms);
    static void OnElementSetup(GstElement* playbin, GstElement* element, void* self);
    static void OnSourceSetup(GstElement* playbin, GstElement* source, void* self);
    void StoreSample(GstSample* sample);

    std::shared_ptr<const MediaConfig> config_;
    int playerNumber_;
    GstElement* playbin_ = nullptr;
    GstElement* videoSink_ = nullptr;
    std::shared_ptr<const QByteArray> memoryFile_;  // a decoded ADPCM file served by appsrc
    bool ignoreLength_ = false;
    bool abandoned_ = false;
    double wavDuration_ = 0;  // of a PCM WAV whose header cannot be trusted
    bool midi_ = false;
    bool mpegSystem_ = false;
    double origin_ = 0;

    std::mutex messageMutex_;
    std::condition_variable messageArrived_;
    std::deque<GstMessage*> messages_;
    bool notified_ = false;

    mutable std::mutex frameMutex_;
    GstSample* sample_ = nullptr;  // latest frame
    quint64 serial_ = 0;           // counts the frames stored
    QSize size_;
    double frameRate_ = 0;
    quint64 imageSerial_ = 0;  // the frame `image_` shows (owner's thread only)
    QImage image_;
};

}  // namespace storyloom
