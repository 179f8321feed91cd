// The real-time GStreamer player, playing on `fakesink sync=true` (or recording through
// wavenc where the sound itself is checked).
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <mutex>

#include "MediaFiles.h"
#include "MediaTestSupport.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/GstMediaPlayer.h"

using namespace storyloom;
using namespace storyloom::testmedia;

namespace {

// `seconds` of a sine in tenths of a second (or in buffers of `samplesPerBuffer`: the WMA
// encoder of gstreamer1.0-libav 1.22 crashes on large input buffers).
QString Audio(const QString& name, const QString& encodeAndMux, double seconds = 0.5,
              int rate = 22050, int samplesPerBuffer = 0) {
    const int spb = samplesPerBuffer > 0 ? samplesPerBuffer : rate / 10;
    return MakeWithGst(
        name, QStringLiteral("audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=%1 "
                             "num-buffers=%2 ! audio/x-raw,rate=%3 ! audioconvert ! %4 ! "
                             "filesink location=%o")
                  .arg(spb)
                  .arg(std::lround(seconds * rate / spb))
                  .arg(rate)
                  .arg(encodeAndMux));
}

QString Video(const QString& name, const QString& encodeAndMux, int frames = 5, int fps = 10) {
    return MakeWithGst(
        name, QStringLiteral("videotestsrc pattern=red num-buffers=%1 ! "
                             "video/x-raw,width=160,height=120,framerate=%2/1 ! videoconvert ! "
                             "%3 ! filesink location=%o")
                  .arg(frames)
                  .arg(fps)
                  .arg(encodeAndMux));
}

// An MPEG system stream with MPEG-1 or MPEG-2 video and MPEG audio. Its time stamps start
// at 0.5 s, as those of the encoders of the time did.
QString Mpeg(const QString& name, int format, const QString& muxer) {
    return MakeWithGst(
        name,
        QStringLiteral("videotestsrc pattern=red num-buffers=13 ! "
                       "video/x-raw,width=160,height=120,framerate=25/1 ! videoconvert ! "
                       "mpeg2enc format=%1 ! mpegvideoparse ! %2 name=m ! filesink "
                       "location=%o audiotestsrc num-buffers=22 samplesperbuffer=1024 ! "
                       "audio/x-raw,rate=44100 ! audioconvert ! avenc_mp2 ! mpegaudioparse ! m.")
            .arg(format)
            .arg(muxer));
}

bool IsRed(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb c = image.pixel(image.width() / 2, image.height() / 2);
    return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool IsBlue(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb c = image.pixel(image.width() / 2, image.height() / 2);
    return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80;
}

struct GstPlayerTest : ::testing::Test {
    static void SetUpTestSuite() { EnsureApplication(); }

    std::unique_ptr<GstMediaFactory> Factory(
        const QString& sink = QStringLiteral("fakesink sync=true")) {
        GstMediaFactory::Options options;
        options.audioSink = sink;
        options.report = [this](const QString& line) { reports << line; };
        return std::make_unique<GstMediaFactory>(loop, options);
    }
    QString Reports() const { return reports.join(QLatin1Char('\n')); }

    VirtualEventLoop loop;  // the real-time players do not use it
    QStringList reports;
};

// --- Every file type the games use plays to its end --------------------------------------

struct TypeCase {
    const char* name;
    std::function<QString()> make;
    double duration;   // seconds of one play
    double tolerance;  // encoders add a little
    bool video;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<TypeCase> TypeCases() {
    const double tail = 1.0;  // the MIDI release tail
    return {
        {"wav_pcm8_mono_odd", [] { return WriteFile("pcm8.wav", PcmWav(8, 1, 11025, 5513)); }, 0.5,
         0.01, false},
        {"wav_pcm16_stereo", [] { return WriteFile("pcm16.wav", PcmWav(16, 2, 22050, 11025)); },
         0.5, 0.01, false},
        {"wav_ima_mono", [] { return WriteFile("ima1.wav", AdpcmWav(true, 1, 22050, 0.5)); }, 0.5,
         0.01, false},
        {"wav_ima_stereo", [] { return WriteFile("ima2.wav", AdpcmWav(true, 2, 22050, 0.5)); }, 0.5,
         0.01, false},
        {"wav_ms_mono", [] { return WriteFile("ms1.wav", AdpcmWav(false, 1, 22050, 0.5)); }, 0.5,
         0.01, false},
        {"wav_ms_stereo", [] { return WriteFile("ms2.wav", AdpcmWav(false, 2, 22050, 0.5)); }, 0.5,
         0.01, false},
        {"mid", [] { return WriteFile("note.mid", Midi(0.5)); }, 0.5 + tail, 0.05, false},
        {"rmi", [] { return WriteFile("note.rmi", Rmi(Midi(0.5))); }, 0.5 + tail, 0.05, false},
        {"mp3", [] { return Audio("a.mp3", "lamemp3enc target=bitrate cbr=true bitrate=64"); }, 0.5,
         0.1, false},
        {"mp2", [] { return Audio("a.mp2", "avenc_mp2", 0.5, 44100); }, 0.5, 0.1, false},
        {"mpa", [] { return Audio("a.mpa", "twolamemp2enc", 0.5, 44100); }, 0.5, 0.1, false},
        {"ogg", [] { return Audio("a.ogg", "vorbisenc ! oggmux"); }, 0.5, 0.05, false},
        {"au", [] { return Audio("a.au", "audio/x-raw,format=S16BE ! avmux_au"); }, 0.5, 0.01,
         false},
        {"snd", [] { return Audio("a.snd", "audio/x-raw,format=S16BE ! avmux_au"); }, 0.5, 0.01,
         false},
        {"wma", [] { return Audio("a.wma", "avenc_wmav2 ! asfmux", 0.5, 44100, 2048); }, 0.5, 0.1,
         false},
        {"avi_mjpeg", [] { return Video("mjpeg.avi", "jpegenc ! avimux"); }, 0.5, 0.01, true},
        {"avi_cinepak", [] { return MakeAvi("cvid.avi", "avenc_cinepak", "cvid", 5, 10); }, 0.5,
         0.01, true},
        {"avi_msvideo1", [] { return MakeAvi("cram.avi", "avenc_msvideo1", "CRAM", 5, 10); }, 0.5,
         0.01, true},
        {"avi_msmpeg4v3", [] { return MakeAvi("div3.avi", "avenc_msmpeg4", "DIV3", 5, 10); }, 0.5,
         0.01, true},
        {"avi_msmpeg4v2", [] { return MakeAvi("mp42.avi", "avenc_msmpeg4v2", "MP42", 5, 10); }, 0.5,
         0.01, true},
        {"avi_mpeg4", [] { return MakeAvi("xvid.avi", "avenc_mpeg4", "XVID", 5, 10); }, 0.5, 0.01,
         true},
        {"m1v", [] { return Video("a.m1v", "mpeg2enc format=0", 13, 25); }, 0.52, 0.05, true},
        {"mpg_mpeg1", [] { return Mpeg("mpeg1.mpg", 0, "avmux_mpeg"); }, 0.52, 0.1, true},
        {"mpg_mpeg2", [] { return Mpeg("mpeg2.mpg", 3, "avmux_vob"); }, 0.52, 0.1, true},
        {"wmv", [] { return Video("a.wmv", "avenc_wmv2 ! asfmux"); }, 0.5, 0.1, true},
        {"asf", [] { return Video("a.asf", "avenc_wmv1 ! asfmux"); }, 0.5, 0.1, true},
    };
}

struct FileTypeTest : GstPlayerTest, ::testing::WithParamInterface<TypeCase> {};

TEST_P(FileTypeTest, PlaysToItsEndOnce) {
    const TypeCase& c = GetParam();
    const QString path = c.make();
    ASSERT_FALSE(path.isEmpty()) << "could not make the test file";
    auto factory = Factory();
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path)) << Reports().toStdString();
    EXPECT_EQ(player->FileName(), path);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
    int ended = 0;
    const double took = PlayToEnd(*player, &ended);
    ASSERT_GE(took, 0) << "did not end";
    EXPECT_EQ(ended, 1);
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
    EXPECT_NEAR(player->Duration(), c.duration, c.tolerance);
    // It did not end before its time (fakesink sync=true keeps real time).
    EXPECT_GE(took, c.duration * 0.8);
    EXPECT_NEAR(player->CurrentPosition(), player->Duration(), 1e-6);
    if (c.video) {
        EXPECT_EQ(player->NaturalSize(), QSize(160, 120));
        const QImage frame = player->CurrentFrame();
        EXPECT_EQ(frame.size(), QSize(160, 120));
        EXPECT_EQ(frame.format(), QImage::Format_RGB32);
        EXPECT_TRUE(IsRed(frame)) << std::hex << frame.pixel(80, 60);
    } else {
        EXPECT_TRUE(player->NaturalSize().isEmpty());
        EXPECT_TRUE(player->CurrentFrame().isNull());
    }
    EXPECT_TRUE(reports.isEmpty()) << Reports().toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllTypes, FileTypeTest, ::testing::ValuesIn(TypeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Play count, rate, position, pause, rewind ---------------------------------------------

// Records what a player plays into a fresh folder ("%n" becomes the player's number).
struct Recording {
    QString dir;
    explicit Recording(const QString& name)
        : dir(Folder() +
              QStringLiteral("/rec-%1-%2").arg(name).arg(QCoreApplication::applicationPid())) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
    }
    ~Recording() {
        if (!::testing::Test::HasFailure()) QDir(dir).removeRecursively();
    }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;
    QString Sink() const {
        return QStringLiteral(
                   "identity sync=true ! wavenc ! filesink async=false location=%1/out%n.wav")
            .arg(dir);
    }
    QStringList Files() const {
        return QDir(dir).entryList({QStringLiteral("out*.wav")}, QDir::Files, QDir::Name);
    }
    QVector<std::int16_t> Samples(int index = 0) const {
        const QStringList files = Files();
        if (index >= files.size()) return {};
        QFile f(dir + QLatin1Char('/') + files[index]);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return PcmSamples(f.readAll());
    }
};

int Peak(const QVector<std::int16_t>& s, qsizetype from = 0, qsizetype to = -1) {
    int peak = 0;
    if (to < 0) to = s.size();
    for (qsizetype i = from; i < to; ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    return peak;
}

TEST_F(GstPlayerTest, PlayCountRepeatsWithoutGapAndEndsOnce) {
    const QString path = WriteFile("loop.wav", PcmWav(16, 1, 22050, 6615));  // 0.3 s
    Recording rec(QStringLiteral("loop"));
    auto factory = Factory(rec.Sink());
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path)) << Reports().toStdString();
    player->SetPlayCount(3);
    int ended = 0;
    const double took = PlayToEnd(*player, &ended);
    ASSERT_GE(took, 0);
    EXPECT_EQ(ended, 1);
    EXPECT_GE(took, 0.8);
    player.reset();  // closes the recording
    const QVector<std::int16_t> s = rec.Samples();
    // Three plays back to back: every sample, nothing between them.
    EXPECT_NEAR(s.size(), 3 * 6615, 3 * 6615 * 0.01);
    int longestSilence = 0, run = 0;
    for (qsizetype i = 100; i + 100 < s.size(); ++i) {
        run = std::abs(static_cast<int>(s[i])) < 40 ? run + 1 : 0;
        longestSilence = std::max(longestSilence, run);
    }
    EXPECT_LT(longestSilence, 10) << "a gap between plays";
}

TEST_F(GstPlayerTest, PlayCountZeroPlaysUntilStopped) {
    const QString path = WriteFile("short.wav", PcmWav(16, 1, 22050, 4410));  // 0.2 s
    auto factory = Factory();
    auto player = factory->Create();
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    ASSERT_TRUE(player->SetFileName(path));
    player->SetPlayCount(0);
    player->Play();
    RunFor(1000);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    EXPECT_LE(player->CurrentPosition(), 0.2 + 1e-6);
    player->Stop();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
    RunFor(300);
    EXPECT_EQ(ended, 0);
    player->Stop();  // not playing: nothing happens
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
}

TEST_F(GstPlayerTest, RateTwoPlaysInHalfTheTime) {
    const QString path = WriteFile("second.wav", PcmWav(16, 1, 22050, 22050));  // 1 s
    auto factory = Factory();
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path));
    player->SetRate(2.0);
    EXPECT_DOUBLE_EQ(player->Rate(), 2.0);
    player->SetRate(0);  // refused
    EXPECT_DOUBLE_EQ(player->Rate(), 2.0);
    int ended = 0;
    const double took = PlayToEnd(*player, &ended);
    ASSERT_GE(took, 0);
    EXPECT_LT(took, 0.95);  // at rate 1 it cannot end before 1 s
    EXPECT_NEAR(player->Duration(), 1.0, 0.01);
}

TEST_F(GstPlayerTest, PositionPauseRewindAndReplay) {
    const QString path = WriteFile("second.wav", PcmWav(16, 1, 22050, 22050));
    auto factory = Factory();
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path));
    EXPECT_NEAR(player->CurrentPosition(), 0, 1e-3);
    player->Play();
    ASSERT_TRUE(RunUntil([&] { return player->CurrentPosition() >= 0.3; }, 5000));
    player->Pause();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Paused);
    const double paused = player->CurrentPosition();
    RunFor(300);
    EXPECT_NEAR(player->CurrentPosition(), paused, 0.02);
    player->SetCurrentPosition(0);
    RunFor(50);
    EXPECT_LT(player->CurrentPosition(), 0.05);
    player->SetCurrentPosition(0.9);
    RunFor(50);
    EXPECT_NEAR(player->CurrentPosition(), 0.9, 0.05);
    int ended = 0;
    const double took = PlayToEnd(*player, &ended);
    ASSERT_GE(took, 0);
    EXPECT_LT(took, 0.6);  // only the last tenth was left
    EXPECT_EQ(ended, 1);
    // Played to its end, Play starts it again from the beginning.
    player->Play();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    RunFor(100);
    EXPECT_LT(player->CurrentPosition(), 0.5);
    player->Stop();
}

// Like a sound card, the sink holds the first buffer while paused; samples are collected as
// they are played.
TEST_F(GstPlayerTest, VolumeSetAfterLoadingAppliesFromTheFirstSample) {
    const QString path = WriteFile("loud.wav", PcmWav(16, 1, 22050, 11025, 0.9));
    auto factory = Factory(QStringLiteral(
        "audioconvert ! audio/x-raw,format=S16LE,channels=1 ! appsink name=played sync=true"));
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path));  // prerolled at full volume
    GstElement* sink =
        gst_bin_get_by_name(GST_BIN(dynamic_cast<GstMediaPlayer&>(*player).Pipeline()), "played");
    ASSERT_NE(sink, nullptr);
    struct Collected {
        std::mutex mutex;
        QVector<std::int16_t> samples;
    } collected;
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = [](GstAppSink* s, gpointer user) {
        auto* c = static_cast<Collected*>(user);
        if (GstSample* sample = gst_app_sink_pull_sample(s)) {
            GstMapInfo map;
            if (gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ)) {
                std::lock_guard lock(c->mutex);
                for (gsize i = 0; i + 1 < map.size; i += 2)
                    c->samples.append(qFromLittleEndian<std::int16_t>(map.data + i));
                gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
            }
            gst_sample_unref(sample);
        }
        return GST_FLOW_OK;
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &collected, nullptr);
    player->SetVolume(-2000);  // a tenth of the amplitude
    EXPECT_EQ(player->Volume(), -2000);
    int ended = 0;
    ASSERT_GE(PlayToEnd(*player, &ended), 0);
    player.reset();
    gst_object_unref(sink);
    const QVector<std::int16_t> s = collected.samples;
    EXPECT_NEAR(s.size(), 11025, 100);
    const int full = static_cast<int>(32767 * 0.9);
    EXPECT_LE(Peak(s), full / 10 + 200) << "part of the sound played at the old volume";
    EXPECT_GE(Peak(s), full / 10 - 200);
}

TEST_F(GstPlayerTest, VolumeChangesWhilePlaying) {
    const QString path = WriteFile("loud.wav", PcmWav(16, 1, 22050, 11025, 0.9));
    Recording rec(QStringLiteral("fade"));
    auto factory = Factory(rec.Sink());
    auto player = factory->Create();
    player->SetVolume(-4000);  // before loading
    ASSERT_TRUE(player->SetFileName(path));
    player->Play();
    RunFor(200);
    player->SetVolume(0);
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    ASSERT_TRUE(RunUntil([&] { return ended > 0; }, 5000));
    player.reset();
    const QVector<std::int16_t> s = rec.Samples();
    ASSERT_GT(s.size(), 10000);
    const int full = static_cast<int>(32767 * 0.9);
    EXPECT_LE(Peak(s, 0, 1000), full / 100 + 100);    // the start at -40 dB
    EXPECT_GE(Peak(s, s.size() - 1000), full - 300);  // the end at full volume
}

TEST_F(GstPlayerTest, RecordingSinkKeepsEveryFileAPlayerOpens) {
    Recording rec(QStringLiteral("each"));
    auto factory = Factory(QStringLiteral("identity sync=true ! wavenc ! filesink async=false "
                                          "location=%1/out%i-p%n.wav")
                               .arg(rec.dir));
    auto player = factory->Create();
    int ended = 0;
    ASSERT_TRUE(player->SetFileName(WriteFile("short.wav", PcmWav(16, 1, 22050, 4410))));
    ASSERT_GE(PlayToEnd(*player, &ended), 0);
    ASSERT_TRUE(player->SetFileName(WriteFile("second.wav", PcmWav(16, 1, 22050, 22050))));
    ASSERT_GE(PlayToEnd(*player, &ended), 0);
    player.reset();
    const QStringList files = rec.Files();
    ASSERT_EQ(files.size(), 2) << files.join(u' ').toStdString();
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("-p1.wav"))) << files[0].toStdString();
    const qsizetype first = rec.Samples(0).size(), second = rec.Samples(1).size();
    EXPECT_EQ(std::min(first, second), 4410);
    EXPECT_EQ(std::max(first, second), 22050);
}

// --- Video ------------------------------------------------------------------------------

TEST_F(GstPlayerTest, VideoFramesFollowThePictureAndAreAnnounced) {
    const QString path = MakeWithGst(
        QStringLiteral("redblue.avi"),
        QStringLiteral("concat name=c ! videoconvert ! jpegenc ! avimux ! filesink location=%o "
                       "videotestsrc pattern=red num-buffers=5 ! "
                       "video/x-raw,width=160,height=120,framerate=10/1 ! c. "
                       "videotestsrc pattern=blue num-buffers=5 ! "
                       "video/x-raw,width=160,height=120,framerate=10/1 ! c."));
    ASSERT_FALSE(path.isEmpty());
    auto factory = Factory();
    auto player = factory->Create();
    int frames = 0;
    player->onFrame = [&] { ++frames; };
    ASSERT_TRUE(player->SetFileName(path));
    RunFor(50);
    EXPECT_TRUE(IsRed(player->CurrentFrame()));  // the first frame shows before playing
    int ended = 0;
    ASSERT_GE(PlayToEnd(*player, &ended), 0);
    EXPECT_GE(frames, 5);
    EXPECT_TRUE(IsBlue(player->CurrentFrame()));
    const auto [rendered, dropped] = dynamic_cast<GstMediaPlayer&>(*player).FrameStats();
    EXPECT_GE(rendered, 9u);
    (void)dropped;
}

// --- Bad input --------------------------------------------------------------------------

TEST_F(GstPlayerTest, MissingDecoderFailsToOpenAndNamesThePackage) {
    const QString path = Audio("a.wma", "avenc_wmav2 ! asfmux", 0.5, 44100, 2048);
    ASSERT_FALSE(path.isEmpty());
    auto factory = Factory();
    GstPluginFeature* decoder = gst_registry_lookup_feature(gst_registry_get(), "avdec_wmav2");
    ASSERT_NE(decoder, nullptr);
    const guint rank = gst_plugin_feature_get_rank(decoder);
    gst_plugin_feature_set_rank(decoder, GST_RANK_NONE);  // as if it were not installed
    auto player = factory->Create();
    const bool opened = player->SetFileName(path);
    gst_plugin_feature_set_rank(decoder, rank);
    gst_object_unref(decoder);
    EXPECT_FALSE(opened);
    EXPECT_EQ(player->FileName(), path);
    EXPECT_TRUE(Reports().contains(QStringLiteral("gstreamer1.0-libav")))
        << Reports().toStdString();
    EXPECT_TRUE(Reports().contains(QStringLiteral("a.wma"))) << Reports().toStdString();
    player->Play();
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
}

QString Truncated(const QString& name, const QString& from, qsizetype keep) {
    QFile f(from);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return WriteFile(name, f.read(keep));
}

TEST_F(GstPlayerTest, BadFilesFailOrPlayButNeverHang) {
    QByteArray lying = PcmWav(16, 1, 22050, 11025);               // 0.5 s of data
    qToLittleEndian<std::uint32_t>(10000000, lying.data() + 40);  // data chunk claims far more
    const QString mp3 = Audio("a.mp3", "lamemp3enc target=bitrate cbr=true bitrate=64");
    const QString avi = Video("mjpeg.avi", "jpegenc ! avimux");
    const QString ogg = Audio("a.ogg", "vorbisenc ! oggmux");
    const QString wmv = Video("a.wmv", "avenc_wmv2 ! asfmux");
    struct Bad {
        QString path;
        bool mayOpen;
    };
    const std::vector<Bad> bad = {
        {Folder() + QStringLiteral("/does-not-exist.wav"), false},
        {WriteFile("empty.mp3", {}), false},
        {WriteFile("text.wav", "This is not a sound file at all, only some text.\n"), false},
        {WriteFile("text.avi", QByteArray(5000, 'x')), false},
        {WriteFile("riff-only.wav", QByteArray("RIFF\x04\0\0\0WAVE", 12)), false},
        {WriteFile("lying.wav", lying), true},
        {Truncated("cut.mp3", mp3, 700), true},
        {Truncated("cut.avi", avi, 3000), true},
        {Truncated("cut.ogg", ogg, 3000), true},
        {Truncated("cut.wmv", wmv, 4000), true},
        {WriteFile("garbage.mid", Midi(0.3, true)), true},
        {Audio("sound-only.avi", "avimux"), true},  // an .avi without a video stream
    };
    auto factory = Factory();
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.path.toStdString());
        auto player = factory->Create();
        const bool opened = player->SetFileName(b.path);
        EXPECT_EQ(player->FileName(), b.path);
        if (!b.mayOpen) {
            EXPECT_FALSE(opened);
            continue;
        }
        if (!opened) continue;
        int ended = 0;
        EXPECT_GE(PlayToEnd(*player, &ended, 10000), 0) << "did not end";
        EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
        EXPECT_TRUE(player->NaturalSize().isEmpty() || player->NaturalSize() == QSize(160, 120));
    }
}

TEST_F(GstPlayerTest, WavWhoseHeaderLiesPlaysWhatIsThere) {
    QByteArray lying = PcmWav(16, 1, 22050, 11025);
    qToLittleEndian<std::uint32_t>(10000000, lying.data() + 40);
    const QString path = WriteFile("lying.wav", lying);
    auto factory = Factory();
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path));
    int ended = 0;
    ASSERT_GE(PlayToEnd(*player, &ended), 0);
    EXPECT_NEAR(player->Duration(), 0.5, 0.02);
}

TEST_F(GstPlayerTest, WithoutSoundDevicePlaysSilentlyAndSaysSoOnce) {
    const QString path = WriteFile("pcm16.wav", PcmWav(16, 2, 22050, 11025));
    GstMediaFactory::Options options;  // no sink given: the device, or a silent sink
    options.report = [this](const QString& line) { reports << line; };
    GstMediaFactory first(loop, options);
    GstMediaFactory second(loop, options);
    EXPECT_LE(reports.filter(QStringLiteral("no sound device")).size(), 1);
    auto player = second.Create();
    ASSERT_TRUE(player->SetFileName(path));
    int ended = 0;
    EXPECT_GE(PlayToEnd(*player, &ended), 0);
}

TEST_F(GstPlayerTest, DestroyingAPlayingPlayerAndReloadingAreSafe) {
    const QString path = WriteFile("short.wav", PcmWav(16, 1, 22050, 4410));
    auto factory = Factory();
    int ended = 0;
    for (int i = 0; i < 5; ++i) {
        auto player = factory->Create();
        player->onEnded = [&] { ++ended; };
        ASSERT_TRUE(player->SetFileName(path));
        player->Play();
        RunFor(20 * i);
        if (i % 2) {
            ASSERT_TRUE(player->SetFileName(path));  // reloading cancels the end
        }
    }
    RunFor(400);
    EXPECT_EQ(ended, 0);
    // Unloading: an empty name is accepted and nothing plays.
    auto player = factory->Create();
    EXPECT_TRUE(player->SetFileName({}));
    player->Play();
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
}

}  // namespace
