#include "platform/media/MediaPipeline.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>

#include <QFile>
#include <QFileInfo>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/media/MidiFile.h"
#include "platform/media/WavFile.h"

namespace storyloom {

namespace {

constexpr gint64 kSeekRetryMicroseconds = 500 * 1000;

constexpr qint64 kMaxAdpcmFileBytes = qint64{256} << 20;
constexpr qint64 kMaxMidiFileBytes = qint64{16} << 20;

// playbin's flags: video, audio, text (subtitles), software volume.
constexpr guint kFlagVideo = 0x1;
constexpr guint kFlagAudio = 0x2;
constexpr guint kFlagSoftVolume = 0x10;

double ToSeconds(gint64 ns) {
    return static_cast<double>(ns) / GST_SECOND;
}
gint64 ToNs(double seconds) {
    return static_cast<gint64>(seconds * GST_SECOND + 0.5);
}

QString ErrorText(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    if (error) g_error_free(error);
    g_free(debug);
    return text;
}

// The Debian package that provides a decoder or demuxer for the caps in a missing-plugin
// installer detail ("gstreamer|1.0|app|description|decoder-audio/x-wma, wmaversion=(int)2").
QString PackageFor(const QString& detail) {
    const QString what = detail.section(QLatin1Char('|'), 4);
    struct Entry {
        const char* prefix;
        const char* package;
    };
    static const std::array<Entry, 26> kEntries = {{
        {"audio/x-wma", "gstreamer1.0-libav"},
        {"video/x-wmv", "gstreamer1.0-libav"},
        {"video/x-msmpeg", "gstreamer1.0-libav"},
        {"video/x-divx", "gstreamer1.0-libav"},
        {"video/x-xvid", "gstreamer1.0-libav"},
        {"video/x-h263", "gstreamer1.0-libav"},
        {"video/x-h264", "gstreamer1.0-libav"},
        {"video/x-cinepak", "gstreamer1.0-libav"},
        {"video/x-indeo", "gstreamer1.0-libav"},
        {"video/x-msvideocodec", "gstreamer1.0-libav"},
        {"audio/x-adpcm", "gstreamer1.0-libav"},
        {"audio/x-ac3", "gstreamer1.0-libav"},
        {"video/mpeg, systemstream=(boolean)true", "gstreamer1.0-plugins-bad"},
        {"video/mpeg", "gstreamer1.0-libav"},
        {"audio/mpeg", "gstreamer1.0-plugins-good"},
        {"audio/midi", "gstreamer1.0-plugins-bad"},
        {"audio/riff-midi", "gstreamer1.0-plugins-bad"},
        {"audio/x-midi-event", "gstreamer1.0-plugins-bad"},
        {"video/x-ms-asf", "gstreamer1.0-plugins-ugly"},
        {"video/x-msvideo", "gstreamer1.0-plugins-good"},
        {"audio/x-wav", "gstreamer1.0-plugins-good"},
        {"audio/x-au", "gstreamer1.0-plugins-good"},
        {"image/jpeg", "gstreamer1.0-plugins-good"},
        {"audio/x-mulaw", "gstreamer1.0-plugins-good"},
        {"audio/x-vorbis", "gstreamer1.0-plugins-base"},
        {"application/ogg", "gstreamer1.0-plugins-base"},
    }};
    const QString type = what.section(QLatin1Char('-'), 1);  // after "decoder-"/"demuxer-"
    for (const Entry& e : kEntries)
        if (type.startsWith(QLatin1String(e.prefix))) return QString::fromLatin1(e.package);
    return {};
}

// An ADPCM WAV decoded in memory, served to playbin through appsrc with random access.
struct MemorySource {
    std::shared_ptr<const QByteArray> data;
    std::atomic<qint64> offset{0};
};

void MemoryNeedData(GstAppSrc* src, guint length, gpointer user) {
    auto* m = static_cast<MemorySource*>(user);
    const qint64 size = m->data->size();
    const qint64 offset = m->offset.load();
    if (offset >= size) {
        gst_app_src_end_of_stream(src);
        return;
    }
    const qint64 n = std::min<qint64>(length ? length : 4096, size - offset);
    auto* keep = new std::shared_ptr<const QByteArray>(m->data);
    GstBuffer* buffer = gst_buffer_new_wrapped_full(
        GST_MEMORY_FLAG_READONLY, const_cast<char*>(m->data->constData()), size, offset, n, keep,
        [](gpointer p) { delete static_cast<std::shared_ptr<const QByteArray>*>(p); });
    GST_BUFFER_OFFSET(buffer) = offset;
    m->offset = offset + n;
    gst_app_src_push_buffer(src, buffer);
}

gboolean MemorySeekData(GstAppSrc*, guint64 offset, gpointer user) {
    static_cast<MemorySource*>(user)->offset = static_cast<qint64>(offset);
    return TRUE;
}

// The MIDI parser's last event ends the stream before the synthesizer has played the notes'
// release, and its segment stops there too. On the synthesizer's input the segment is left
// open and, before the end of stream, one more (empty) timing event that much later makes it
// render the tail. (On the parser's output the end of stream already blocks further data.)
struct MidiTail {
    GstClockTime tail = 0;
    GstClockTime last = GST_CLOCK_TIME_NONE;
};

GstPadProbeReturn MidiTailProbe(GstPad* pad, GstPadProbeInfo* info, gpointer user) {
    auto* t = static_cast<MidiTail*>(user);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* b = GST_PAD_PROBE_INFO_BUFFER(info);
        if (GST_BUFFER_PTS_IS_VALID(b)) t->last = GST_BUFFER_PTS(b);
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) t->last = GST_CLOCK_TIME_NONE;
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        // The parser's segment stops at the last event, where the sink would cut the tail.
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        if (segment && segment->format == GST_FORMAT_TIME &&
            GST_CLOCK_TIME_IS_VALID(segment->stop)) {
            GstSegment open;
            gst_segment_copy_into(segment, &open);
            open.stop = GST_CLOCK_TIME_NONE;
            GstEvent* replacement = gst_event_new_segment(&open);
            gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = replacement;
        }
        return GST_PAD_PROBE_OK;
    }
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS && GST_CLOCK_TIME_IS_VALID(t->last) && t->tail > 0) {
        static const guint8 kTick = 0xf9;  // MIDI timing tick: changes nothing
        GstBuffer* b = gst_buffer_new_memdup(&kTick, 1);
        GST_BUFFER_PTS(b) = GST_BUFFER_DTS(b) = t->last + t->tail;
        t->last = GST_CLOCK_TIME_NONE;
        gst_pad_chain(pad, b);
    }
    return GST_PAD_PROBE_OK;
}

bool LooksLikeMidi(const QByteArray& head) {
    return head.startsWith("MThd") ||
           (head.startsWith("RIFF") && head.size() >= 12 && head.mid(8, 4) == "RMID");
}

}  // namespace

MediaPipeline::MediaPipeline(std::shared_ptr<const MediaConfig> config, int playerNumber)
    : config_(std::move(config)), playerNumber_(playerNumber) {}

MediaPipeline::~MediaPipeline() {
    if (playbin_) {
        // Nothing of the pipeline may call back into this object any more.
        GstBus* bus = gst_element_get_bus(playbin_);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        g_signal_handlers_disconnect_by_data(playbin_, this);
        if (videoSink_) {
            GstAppSinkCallbacks none{};
            gst_app_sink_set_callbacks(GST_APP_SINK(videoSink_), &none, nullptr, nullptr);
        }
        if (abandoned_) {
            // A pipeline that hangs would block whoever stops it: that is left to a thread of
            // its own, which stays blocked if it must.
            GstElement* playbin = playbin_;
            std::thread([playbin] {
                gst_element_set_state(playbin, GST_STATE_NULL);
                gst_object_unref(playbin);
            }).detach();
        } else {
            gst_element_set_state(playbin_, GST_STATE_NULL);
            gst_object_unref(playbin_);
        }
    }
    if (videoSink_) gst_object_unref(videoSink_);
    for (GstMessage* m : messages_) gst_message_unref(m);
    std::lock_guard lock(frameMutex_);
    if (sample_) gst_sample_unref(sample_);
}

MediaPipeline::OpenResult MediaPipeline::Open(const QString& path, double volume) {
    const QFileInfo fileInfo(path);
    if (!fileInfo.isFile()) return {false, QStringLiteral("the file does not exist")};
    if (fileInfo.size() == 0) return {false, QStringLiteral("the file is empty")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {false, QStringLiteral("the file cannot be read")};
    const QByteArray head = file.read(64 * 1024);
    midi_ = LooksLikeMidi(head);
    mpegSystem_ = head.startsWith(QByteArray("\x00\x00\x01\xba", 4));

    const std::optional<WavInfo> wav = InspectWav(head, fileInfo.size());
    if (midi_) {
        // Always the checked copy: the parser hangs on damaged events.
        if (fileInfo.size() > kMaxMidiFileBytes)
            return {false, QStringLiteral("the MIDI file is too large")};
        file.seek(0);
        std::optional<MidiCheck> checked = CheckMidi(file.readAll());
        if (!checked) return {false, QStringLiteral("it is not a valid MIDI file")};
        memoryFile_ = std::make_shared<const QByteArray>(std::move(checked->file));
    } else if (wav && wav->IsAdpcm()) {
        if (fileInfo.size() > kMaxAdpcmFileBytes)
            return {false, QStringLiteral("the ADPCM file is too large")};
        file.seek(0);
        std::optional<QByteArray> pcm = DecodeAdpcmWav(file.readAll(), *wav);
        if (!pcm) return {false, QStringLiteral("the ADPCM data cannot be decoded")};
        if (pcm->size() <= 44) return {false, QStringLiteral("the ADPCM file holds no sound")};
        memoryFile_ = std::make_shared<const QByteArray>(std::move(*pcm));
    } else if (wav && wav->format == WavInfo::kPcm && wav->LengthLies()) {
        // wavparse then reads to the end of the file and knows no duration: ours is right.
        ignoreLength_ = true;
        if (wav->blockAlign > 0)
            wavDuration_ = static_cast<double>(wav->dataSize / wav->blockAlign) / wav->sampleRate;
    }
    file.close();

    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_) return {false, QStringLiteral("GStreamer's playbin is missing")};
    gst_object_ref_sink(playbin_);

    QString uri = QStringLiteral("appsrc://");
    if (!memoryFile_) {
        gchar* u = gst_filename_to_uri(QFile::encodeName(fileInfo.absoluteFilePath()).constData(),
                                       nullptr);
        if (!u) return {false, QStringLiteral("the path is not valid")};
        uri = QString::fromUtf8(u);
        g_free(u);
    }
    g_object_set(playbin_, "uri", uri.toUtf8().constData(), nullptr);
    g_object_set(playbin_, "flags", kFlagVideo | kFlagAudio | kFlagSoftVolume, nullptr);
    g_object_set(playbin_, "volume", volume, nullptr);

    QString sinkText = config_->audioSink;
    static std::atomic<int> filesOpened{0};
    sinkText.replace(QStringLiteral("%n"), QString::number(playerNumber_));
    sinkText.replace(QStringLiteral("%i"), QString::number(++filesOpened));
    GError* parseError = nullptr;
    GstElement* audioSink =
        gst_parse_bin_from_description(sinkText.toUtf8().constData(), TRUE, &parseError);
    if (!audioSink) {
        const QString why = parseError ? QString::fromUtf8(parseError->message) : QString();
        if (parseError) g_error_free(parseError);
        return {false,
                QStringLiteral("the audio sink \"%1\" cannot be made: %2").arg(sinkText, why)};
    }
    if (parseError) g_error_free(parseError);
    g_object_set(playbin_, "audio-sink", audioSink, nullptr);

    videoSink_ = gst_element_factory_make("appsink", nullptr);
    if (!videoSink_) return {false, QStringLiteral("GStreamer's appsink is missing")};
    gst_object_ref_sink(videoSink_);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    // In real time a frame later than 20 ms is dropped (and counted) rather than shown late.
    g_object_set(videoSink_, "caps", caps, "sync", config_->videoSync ? TRUE : FALSE, "max-buffers",
                 2u, "drop", TRUE, "qos", config_->videoSync ? TRUE : FALSE, "max-lateness",
                 config_->videoSync ? gint64{20 * GST_MSECOND} : gint64{-1}, "enable-last-sample",
                 FALSE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = [](GstAppSink* sink, gpointer self) {
        if (GstSample* s = gst_app_sink_pull_preroll(sink))
            static_cast<MediaPipeline*>(self)->StoreSample(s);
        return GST_FLOW_OK;
    };
    callbacks.new_sample = [](GstAppSink* sink, gpointer self) {
        if (GstSample* s = gst_app_sink_pull_sample(sink))
            static_cast<MediaPipeline*>(self)->StoreSample(s);
        return GST_FLOW_OK;
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(videoSink_), &callbacks, this, nullptr);
    g_object_set(playbin_, "video-sink", videoSink_, nullptr);

    g_signal_connect(playbin_, "element-setup", G_CALLBACK(&MediaPipeline::OnElementSetup), this);
    g_signal_connect(playbin_, "source-setup", G_CALLBACK(&MediaPipeline::OnSourceSetup), this);

    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer self) {
            static_cast<MediaPipeline*>(self)->Enqueue(message);
            return GST_BUS_DROP;
        },
        this, nullptr);
    gst_object_unref(bus);

    gst_element_set_state(playbin_, GST_STATE_PAUSED);
    QString error;
    if (!WaitForPreroll(&error)) return {false, error};

    // MPEG program streams count time from their first time stamp: so does the seekable range.
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    if (gst_element_query(playbin_, query)) {
        gboolean seekable = FALSE;
        gint64 start = 0, end = 0;
        gst_query_parse_seeking(query, nullptr, &seekable, &start, &end);
        if (seekable && start > 0) origin_ = ToSeconds(start);
    }
    gst_query_unref(query);
    if (origin_ == 0) {
        gint64 position = 0;
        if (gst_element_query_position(playbin_, GST_FORMAT_TIME, &position) && position > 0)
            origin_ = ToSeconds(position);
    }
    return {true, {}};
}

bool MediaPipeline::WaitForPreroll(QString* error) {
    const gint64 deadline = g_get_monotonic_time() + gint64{config_->timeoutMs} * 1000;
    QString missing;
    bool ok = false;
    for (;;) {
        const gint64 left = deadline - g_get_monotonic_time();
        if (left <= 0) {
            *error =
                QStringLiteral("it did not get ready within %1 s").arg(config_->timeoutMs / 1000.0);
            abandoned_ = true;
            break;
        }
        GstMessage* m = WaitForMessage(left / 1000);
        if (!m) continue;
        const GstMessageType type = GST_MESSAGE_TYPE(m);
        if (type == GST_MESSAGE_ELEMENT && gst_is_missing_plugin_message(m)) {
            if (missing.isEmpty()) missing = MissingPluginText(m);
        } else if (type == GST_MESSAGE_ERROR) {
            *error = missing.isEmpty() ? ErrorText(m) : missing;
            gst_message_unref(m);
            break;
        } else if (type == GST_MESSAGE_ASYNC_DONE || type == GST_MESSAGE_EOS) {
            gst_message_unref(m);
            ok = missing.isEmpty();
            if (!ok) *error = missing;
            break;
        }
        gst_message_unref(m);
    }
    return ok;
}

QString MediaPipeline::MissingPluginText(GstMessage* message) {
    static const bool initialised = [] {
        gst_pb_utils_init();
        return true;
    }();
    (void)initialised;
    gchar* description = gst_missing_plugin_message_get_description(message);
    gchar* detail = gst_missing_plugin_message_get_installer_detail(message);
    const QString package = PackageFor(QString::fromUtf8(detail ? detail : ""));
    QString text =
        QStringLiteral("missing %1").arg(QString::fromUtf8(description ? description : "plug-in"));
    text += package.isEmpty() ? QStringLiteral(" (no Debian package known for it)")
                              : QStringLiteral(" (Debian package %1)").arg(package);
    g_free(description);
    g_free(detail);
    return text;
}

void MediaPipeline::OnElementSetup(GstElement*, GstElement* element, void* user) {
    auto* self = static_cast<MediaPipeline*>(user);
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory) return;
    const char* name = GST_OBJECT_NAME(factory);
    if (g_strcmp0(name, "wavparse") == 0 && self->ignoreLength_) {
        g_object_set(element, "ignore-length", TRUE, nullptr);
    } else if (g_strcmp0(name, "fluiddec") == 0) {
        if (!self->config_->soundFont.isEmpty())
            g_object_set(element, "soundfont",
                         QFile::encodeName(self->config_->soundFont).constData(), nullptr);
        g_object_set(element, "synth-gain", self->config_->synthGain, nullptr);
        if (self->config_->midiTailSeconds <= 0) return;
        if (GstPad* src = gst_element_get_static_pad(element, "sink")) {
            auto* tail = new MidiTail;
            tail->tail = static_cast<GstClockTime>(ToNs(self->config_->midiTailSeconds));
            gst_pad_add_probe(src,
                              static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                           GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                              MidiTailProbe, tail,
                              [](gpointer p) { delete static_cast<MidiTail*>(p); });
            gst_object_unref(src);
        }
    }
}

void MediaPipeline::OnSourceSetup(GstElement*, GstElement* source, void* user) {
    auto* self = static_cast<MediaPipeline*>(user);
    if (!self->memoryFile_ || !GST_IS_APP_SRC(source)) return;
    auto* m = new MemorySource;
    m->data = self->memoryFile_;
    g_object_set(source, "stream-type", GST_APP_STREAM_TYPE_RANDOM_ACCESS, "size",
                 static_cast<gint64>(m->data->size()), "format", GST_FORMAT_BYTES, nullptr);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = MemoryNeedData;
    callbacks.seek_data = MemorySeekData;
    gst_app_src_set_callbacks(GST_APP_SRC(source), &callbacks, m,
                              [](gpointer p) { delete static_cast<MemorySource*>(p); });
}

void MediaPipeline::StoreSample(GstSample* sample) {
    {
        std::lock_guard lock(frameMutex_);
        if (sample_) gst_sample_unref(sample_);
        sample_ = sample;
        ++serial_;
        if (size_.isEmpty()) {
            GstVideoInfo info;
            if (GstCaps* caps = gst_sample_get_caps(sample);
                caps && gst_video_info_from_caps(&info, caps)) {
                size_ = QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
                if (GST_VIDEO_INFO_FPS_D(&info) > 0)
                    frameRate_ = static_cast<double>(GST_VIDEO_INFO_FPS_N(&info)) /
                                 GST_VIDEO_INFO_FPS_D(&info);
            }
        }
    }
    if (onFrame) onFrame();
}

void MediaPipeline::Enqueue(GstMessage* message) {
    bool notify = false;
    {
        std::lock_guard lock(messageMutex_);
        messages_.push_back(message);  // a handler that drops a message owns it
        notify = !notified_;
        notified_ = true;
    }
    messageArrived_.notify_all();
    if (notify && onMessage) onMessage();
}

GstMessage* MediaPipeline::PopMessage() {
    std::lock_guard lock(messageMutex_);
    if (messages_.empty()) {
        notified_ = false;  // the next message notifies again
        return nullptr;
    }
    GstMessage* m = messages_.front();
    messages_.pop_front();
    return m;
}

GstMessage* MediaPipeline::WaitForMessage(qint64 ms) {
    std::unique_lock lock(messageMutex_);
    if (!messageArrived_.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(ms, 0)),
                                  [this] { return !messages_.empty(); }))
        return nullptr;
    GstMessage* m = messages_.front();
    messages_.pop_front();
    return m;
}

bool MediaPipeline::SetPlaying(bool playing) {
    if (!playbin_) return false;
    return gst_element_set_state(playbin_, playing ? GST_STATE_PLAYING : GST_STATE_PAUSED) !=
           GST_STATE_CHANGE_FAILURE;
}

bool MediaPipeline::Seek(double rate, double seconds, bool flush, bool segment, bool wait) {
    if (!playbin_) return false;
    int flags = GST_SEEK_FLAG_ACCURATE;
    if (flush) flags |= GST_SEEK_FLAG_FLUSH;
    if (segment) flags |= GST_SEEK_FLAG_SEGMENT;
    const gint64 start = ToNs(origin_ + std::max(0.0, seconds));
    if (wait && flush) {
        // Only what the seek brings counts.
        std::lock_guard lock(messageMutex_);
        for (GstMessage* m : messages_) gst_message_unref(m);
        messages_.clear();
    }
    // Until the streams are linked to the sinks (a sink that does not wait for data lets the
    // pipeline report ready before that), a seek has nowhere to go: it is tried again shortly.
    const gint64 deadline = g_get_monotonic_time() + kSeekRetryMicroseconds;
    while (!gst_element_seek(playbin_, rate, GST_FORMAT_TIME, static_cast<GstSeekFlags>(flags),
                             GST_SEEK_TYPE_SET, start, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
        if (g_get_monotonic_time() >= deadline) return false;
        g_usleep(5000);
    }
    if (!wait || !flush) return true;
    QString error;
    return WaitForPreroll(&error);
}

double MediaPipeline::MeasureDuration(bool toTheEnd) {
    if (!playbin_) return 0;
    gst_element_set_state(playbin_, GST_STATE_PLAYING);
    const gint64 deadline = g_get_monotonic_time() + gint64{config_->timeoutMs} * 1000;
    double found = 0;
    while (found <= 0) {
        const gint64 left = deadline - g_get_monotonic_time();
        if (left <= 0) break;
        GstMessage* m = WaitForMessage(left / 1000);
        if (!m) continue;
        const GstMessageType type = GST_MESSAGE_TYPE(m);
        gst_message_unref(m);
        if (type == GST_MESSAGE_ERROR) break;
        if (type == GST_MESSAGE_EOS) {
            found = Position() - origin_;
            break;
        }
        if (!toTheEnd) found = QueryDuration();
    }
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
    Seek(1.0, 0, true, false, true);
    return std::max(0.0, found);
}

void MediaPipeline::SetVolume(double linear) {
    if (playbin_) g_object_set(playbin_, "volume", linear, nullptr);
}

double MediaPipeline::Position() const {
    gint64 position = 0;
    if (!playbin_ || !gst_element_query_position(playbin_, GST_FORMAT_TIME, &position)) return -1;
    return ToSeconds(position);
}

double MediaPipeline::QueryDuration() const {
    if (ignoreLength_) return wavDuration_;
    gint64 duration = 0;
    if (!playbin_ || !gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) ||
        duration <= 0)
        return 0;
    return ToSeconds(duration);
}

double MediaPipeline::TailSeconds() const {
    return midi_ ? config_->midiTailSeconds : 0.0;
}

bool MediaPipeline::HasVideo() const {
    std::lock_guard lock(frameMutex_);
    return !size_.isEmpty();
}

QSize MediaPipeline::NaturalSize() const {
    std::lock_guard lock(frameMutex_);
    return size_;
}

double MediaPipeline::FrameRate() const {
    std::lock_guard lock(frameMutex_);
    return frameRate_;
}

double MediaPipeline::LatestFrameTime() const {
    std::lock_guard lock(frameMutex_);
    if (!sample_) return -1;
    const GstBuffer* buffer = gst_sample_get_buffer(sample_);
    const GstSegment* segment = gst_sample_get_segment(sample_);
    if (!buffer || !segment || !GST_BUFFER_PTS_IS_VALID(buffer)) return -1;
    const guint64 t = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    return GST_CLOCK_TIME_IS_VALID(t) ? ToSeconds(static_cast<gint64>(t)) - origin_ : -1;
}

bool MediaPipeline::StepFrames(qint64 frames) {
    if (!playbin_ || frames <= 0) return frames == 0;
    {
        // Only what the step brings counts.
        std::lock_guard lock(messageMutex_);
        for (GstMessage* m : messages_) gst_message_unref(m);
        messages_.clear();
    }
    if (!gst_element_send_event(
            playbin_,
            gst_event_new_step(GST_FORMAT_BUFFERS, static_cast<guint64>(frames), 1.0, TRUE, FALSE)))
        return false;
    QString error;
    return WaitForPreroll(&error);
}

QImage MediaPipeline::LatestFrame() {
    GstSample* sample = nullptr;
    {
        std::lock_guard lock(frameMutex_);
        if (!sample_ || serial_ == imageSerial_) return image_;
        sample = gst_sample_ref(sample_);
        imageSerial_ = serial_;
    }
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstCaps* caps = gst_sample_get_caps(sample);
    if (!buffer || !caps || !gst_video_info_from_caps(&info, caps)) {
        gst_sample_unref(sample);
        return image_;
    }
    // The image shows the buffer's memory without copying; the buffer lives as long as it.
    struct Mapped {
        GstBuffer* buffer;
        GstMapInfo map;
    };
    auto* mapped = new Mapped{gst_buffer_ref(buffer), {}};
    gst_sample_unref(sample);
    if (!gst_buffer_map(mapped->buffer, &mapped->map, GST_MAP_READ)) {
        gst_buffer_unref(mapped->buffer);
        delete mapped;
        return image_;
    }
    const int width = GST_VIDEO_INFO_WIDTH(&info);
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    if (mapped->map.size < static_cast<gsize>(stride) * static_cast<gsize>(height)) {
        gst_buffer_unmap(mapped->buffer, &mapped->map);
        gst_buffer_unref(mapped->buffer);
        delete mapped;
        return image_;
    }
    image_ = QImage(
        static_cast<const uchar*>(mapped->map.data), width, height, stride, QImage::Format_RGB32,
        [](void* p) {
            auto* m = static_cast<Mapped*>(p);
            gst_buffer_unmap(m->buffer, &m->map);
            gst_buffer_unref(m->buffer);
            delete m;
        },
        mapped);
    return image_;
}

std::pair<quint64, quint64> MediaPipeline::FrameStats() const {
    if (!videoSink_) return {0, 0};
    GstStructure* stats = nullptr;
    g_object_get(videoSink_, "stats", &stats, nullptr);
    guint64 dropped = 0;
    if (stats) {
        gst_structure_get_uint64(stats, "dropped", &dropped);
        gst_structure_free(stats);
    }
    std::lock_guard lock(frameMutex_);
    return {serial_, dropped};
}

bool MediaPipeline::IsPlayingNow() const {
    if (!playbin_) return false;
    GstState current = GST_STATE_NULL;
    gst_element_get_state(playbin_, &current, nullptr, 0);
    return current == GST_STATE_PLAYING;
}

}  // namespace storyloom
