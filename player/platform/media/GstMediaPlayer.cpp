#include "platform/media/GstMediaPlayer.h"

#include <gst/gst.h>

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "platform/media/VirtualClockMediaPlayer.h"

namespace storyloom {

namespace {

void ReportToStandardError(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString FindSoundFont() {
    const QByteArray fromEnvironment = qgetenv("STORYLOOM_SOUNDFONT");
    if (!fromEnvironment.isEmpty()) return QFile::decodeName(fromEnvironment);
    static const char* const kPlaces[] = {
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2",
        "/usr/share/soundfonts/FluidR3_GM.sf2"};
    for (const char* place : kPlaces)
        if (QFileInfo(QString::fromLatin1(place)).isFile()) return QString::fromLatin1(place);
    return {};
}

// The sink of the desktop's sound server or sound card, or nothing when neither opens. It is
// found once and then used by name, so that players do not probe again. (autoaudiosink would
// fall back to a silent sink by itself, but it also tries sinks that print errors.)
QString ProbeAudioDevice() {
    for (const char* name : {"pulsesink", "alsasink"}) {
        GstElement* sink = gst_element_factory_make(name, nullptr);
        if (!sink) continue;
        gst_object_ref_sink(sink);
        const bool opens = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(sink);
        if (opens) return QString::fromLatin1(name);
    }
    return {};
}

}  // namespace

GstMediaFactory::GstMediaFactory(EventLoop& loop) : GstMediaFactory(loop, Options{}) {}

GstMediaFactory::GstMediaFactory(EventLoop& loop, Options options)
    : loop_(loop), virtual_(options.virtualClock), config_(std::make_shared<MediaConfig>()) {
    config_->report = options.report ? options.report : ReportToStandardError;
    GError* error = nullptr;
    available_ = gst_init_check(nullptr, nullptr, &error);
    if (!available_) {
        config_->report(
            QStringLiteral("Storyloom: GStreamer cannot start (%1); media files do not play.")
                .arg(error ? QString::fromUtf8(error->message) : QString()));
        if (error) g_error_free(error);
        return;
    }
    config_->soundFont = options.soundFont.isEmpty() ? FindSoundFont() : options.soundFont;
    config_->synthGain = options.synthGain;
    if (config_->soundFont.isEmpty())
        config_->report(QStringLiteral(
            "Storyloom: no General MIDI soundfont found; MIDI music plays silently (Debian "
            "package timgm6mb-soundfont or fluid-soundfont-gm)."));
    if (virtual_) {
        config_->audioSink = QStringLiteral("fakesink sync=false");
        config_->videoSync = false;
        return;
    }
    QString sink = options.audioSink;
    if (sink.isEmpty()) sink = QString::fromLocal8Bit(qgetenv("STORYLOOM_AUDIO_SINK"));
    if (sink.isEmpty()) {
        static const QString device = ProbeAudioDevice();
        sink = device;
        if (sink.isEmpty()) {
            static bool said = false;
            if (!said) {
                said = true;
                config_->report(QStringLiteral(
                    "Storyloom: no sound device found; sounds and music play silently."));
            }
            sink = QStringLiteral("fakesink sync=true");
        }
    }
    config_->audioSink = sink;
}

std::unique_ptr<MediaPlayer> GstMediaFactory::Create() {
    if (virtual_) return std::make_unique<VirtualClockMediaPlayer>(config_, loop_);
    return std::make_unique<GstMediaPlayer>(config_, nextNumber_++);
}

GstMediaPlayer::GstMediaPlayer(std::shared_ptr<const MediaConfig> config, int number)
    : config_(std::move(config)), number_(number), context_(std::make_unique<QObject>()) {}

GstMediaPlayer::~GstMediaPlayer() {
    *alive_ = false;
    pipe_.reset();  // stops the streaming threads before the context goes
    context_.reset();
}

bool GstMediaPlayer::SetFileName(const QString& path) {
    pipe_.reset();
    ++generation_;
    fileName_ = path;
    loaded_ = false;
    state_ = Stopped;
    ended_ = false;
    playsDone_ = 0;
    duration_ = 0;
    restartAt_ = 0;
    if (path.isEmpty()) return true;

    auto pipe = std::make_unique<MediaPipeline>(config_, number_);
    // Streaming threads only post; the handlers run on this player's (the main) thread.
    pipe->onMessage = [this] {
        QMetaObject::invokeMethod(
            context_.get(), [this] { DrainBus(); }, Qt::QueuedConnection);
    };
    pipe->onFrame = [this] {
        if (framePosted_.exchange(true)) return;
        QMetaObject::invokeMethod(
            context_.get(),
            [this] {
                framePosted_ = false;
                if (!onFrame) return;
                const std::function<void()> notify = onFrame;
                notify();
            },
            Qt::QueuedConnection);
    };
    const MediaPipeline::OpenResult opened = pipe->Open(path, VolumeToAmplitude(volume_));
    if (!opened.ok) {
        config_->report(
            QStringLiteral("Storyloom: cannot play \"%1\": %2.").arg(path, opened.error));
        return false;
    }
    pipe_ = std::move(pipe);
    loaded_ = true;
    duration_ = pipe_->QueryDuration();
    if (duration_ > 0) duration_ += pipe_->TailSeconds();
    // A file to repeat starts in the looping mode now, so that Play does not seek.
    if (WantsSegmentLoop()) SeekTo(0);
    return true;
}

bool GstMediaPlayer::WantsSegmentLoop() const {
    // Every play but the last ends in a segment-done, on which the next one is queued
    // without a gap.
    return playCount_ == 0 || playsDone_ < playCount_ - 1;
}

void GstMediaPlayer::SeekTo(double seconds) {
    if (!pipe_) return;
    const double within =
        duration_ > 0 ? std::clamp(seconds, 0.0, duration_) : std::max(0.0, seconds);
    pipe_->Seek(rate_, within, true, WantsSegmentLoop(), false);
}

void GstMediaPlayer::SetPlayCount(int count) {
    const bool looped = WantsSegmentLoop();
    playCount_ = std::max(0, count);
    // While playing, a change takes effect at the end of the current play.
    if (loaded_ && !ended_ && state_ != Playing && looped != WantsSegmentLoop()) SeekTo(restartAt_);
}

void GstMediaPlayer::SetVolume(int hundredthsOfDecibel) {
    const int volume = std::clamp(hundredthsOfDecibel, -10000, 0);
    if (volume == volume_) return;
    volume_ = volume;
    if (!pipe_) return;
    pipe_->SetVolume(VolumeToAmplitude(volume_));
    // The sound already prerolled went through the old volume: play it again at the new one.
    if (loaded_ && !ended_ && state_ != Playing) SeekTo(restartAt_);
}

void GstMediaPlayer::SetRate(double rate) {
    if (!(rate > 0) || rate == rate_) return;
    rate_ = rate;
    if (loaded_ && !ended_) SeekTo(state_ == Playing ? CurrentPosition() : restartAt_);
}

void GstMediaPlayer::Play() {
    if (!loaded_ || state_ == Playing) return;
    if (ended_) {
        // A file that has played to its end starts again from the beginning.
        ended_ = false;
        playsDone_ = 0;
        restartAt_ = 0;
        SeekTo(0);
    }
    state_ = Playing;
    pipe_->SetPlaying(true);
    const int generation = ++generation_;
    QTimer::singleShot(config_->timeoutMs, context_.get(), [this, generation] {
        if (generation != generation_ || state_ != Playing || !pipe_ || pipe_->IsPlayingNow())
            return;
        Fail(QStringLiteral("it did not start within %1 s").arg(config_->timeoutMs / 1000.0));
    });
}

void GstMediaPlayer::Stop() {
    if (state_ == Stopped) return;
    if (state_ == Playing) restartAt_ = CurrentPosition();
    ++generation_;
    state_ = Stopped;
    if (pipe_) pipe_->SetPlaying(false);
}

void GstMediaPlayer::Pause() {
    if (state_ != Playing) return;
    restartAt_ = CurrentPosition();
    ++generation_;
    state_ = Paused;
    if (pipe_) pipe_->SetPlaying(false);
}

double GstMediaPlayer::CurrentPosition() const {
    if (!loaded_ || !pipe_) return 0;
    if (ended_) return duration_;
    const double position = pipe_->Position();
    if (position < 0) return 0;
    const double within = std::max(0.0, position - pipe_->Origin());
    return duration_ > 0 ? std::min(within, duration_) : within;
}

void GstMediaPlayer::SetCurrentPosition(double seconds) {
    if (!loaded_) return;
    if (ended_) {
        // Rewinding a finished file makes its last play ready again.
        ended_ = false;
        playsDone_ = playCount_ > 0 ? playCount_ - 1 : 0;
    }
    restartAt_ = std::max(0.0, seconds);
    SeekTo(seconds);
}

QSize GstMediaPlayer::NaturalSize() const {
    return pipe_ ? pipe_->NaturalSize() : QSize();
}

QImage GstMediaPlayer::CurrentFrame() const {
    return pipe_ ? pipe_->LatestFrame() : QImage();
}

std::pair<quint64, quint64> GstMediaPlayer::FrameStats() const {
    return pipe_ ? pipe_->FrameStats() : std::pair<quint64, quint64>{0, 0};
}

void GstMediaPlayer::DrainBus() {
    const std::weak_ptr<bool> alive = alive_;
    const MediaPipeline* pipe = pipe_.get();
    while (pipe_ && pipe_.get() == pipe) {
        GstMessage* message = pipe_->PopMessage();
        if (!message) break;
        HandleMessage(message);
        gst_message_unref(message);
        if (alive.expired()) return;  // a handler destroyed the player
    }
}

void GstMediaPlayer::HandleMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            EndOfPlay(false);
            break;
        case GST_MESSAGE_SEGMENT_DONE:
            EndOfPlay(true);
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            if (const double d = pipe_->QueryDuration(); d > 0)
                duration_ = d + pipe_->TailSeconds();
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const QString text = error ? QString::fromUtf8(error->message) : QString();
            if (error) g_error_free(error);
            Fail(text);
            break;
        }
        default:
            break;
    }
}

void GstMediaPlayer::EndOfPlay(bool segmentDone) {
    if (!loaded_ || ended_) return;
    // Streams without a length in their headers have told it by now.
    if (duration_ <= 0) {
        if (const double d = pipe_->QueryDuration(); d > 0)
            duration_ = d + pipe_->TailSeconds();
        else if (const double p = pipe_->Position(); p > pipe_->Origin())
            duration_ = p - pipe_->Origin();
    }
    ++playsDone_;
    if (playCount_ == 0 || playsDone_ < playCount_) {
        // Queue the next play: after a segment-done without flushing, so that it follows the
        // sound still buffered without a gap; after a real end of stream by a flushing seek.
        if (pipe_->Seek(rate_, 0, !segmentDone, WantsSegmentLoop(), false)) return;
        // Refused: a flushing seek costs a gap but never leaves the sound waiting for an end
        // that will not come.
        if (segmentDone && pipe_->Seek(rate_, 0, true, WantsSegmentLoop(), false)) return;
        config_->report(QStringLiteral("Storyloom: \"%1\" cannot be repeated.").arg(fileName_));
    }
    if (segmentDone) {
        // The play count was lowered during this play: end here.
        pipe_->SetPlaying(false);
    }
    Finish();
}

void GstMediaPlayer::Finish() {
    ended_ = true;
    ++generation_;
    const bool wasPlaying = state_ == Playing;
    state_ = Stopped;
    if (pipe_) pipe_->SetPlaying(false);
    if (wasPlaying) RaiseEnded();
}

void GstMediaPlayer::Fail(const QString& why) {
    config_->report(QStringLiteral("Storyloom: playing \"%1\" failed: %2.").arg(fileName_, why));
    const bool wasPlaying = state_ == Playing;
    ++generation_;
    state_ = Stopped;
    loaded_ = false;
    ended_ = false;
    if (pipe_) pipe_->Abandon();
    // Not from inside the pipeline's own message handling: later, on the main thread.
    QMetaObject::invokeMethod(
        context_.get(),
        [this, failed = pipe_.get()] {
            if (pipe_.get() == failed) pipe_.reset();
        },
        Qt::QueuedConnection);
    if (wasPlaying) RaiseEnded();
}

void GstMediaPlayer::RaiseEnded() {
    if (!onEnded) return;
    const std::function<void()> ended = onEnded;  // the handler may replace or destroy us
    ended();
}

}  // namespace storyloom
