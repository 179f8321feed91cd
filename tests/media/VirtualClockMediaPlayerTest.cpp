// The virtual-clock players: real durations and frames, time from the virtual event loop.
#include <gtest/gtest.h>

#include "MediaFiles.h"
#include "MediaTestSupport.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/GstMediaPlayer.h"

using namespace storyloom;
using namespace storyloom::testmedia;

namespace {

QString RedThenBlue() {
    return MakeWithGst(
        QStringLiteral("redblue.avi"),
        QStringLiteral("concat name=c ! videoconvert ! jpegenc ! avimux ! filesink location=%o "
                       "videotestsrc pattern=red num-buffers=5 ! "
                       "video/x-raw,width=160,height=120,framerate=10/1 ! c. "
                       "videotestsrc pattern=blue num-buffers=5 ! "
                       "video/x-raw,width=160,height=120,framerate=10/1 ! c."));
}

QRgb Centre(const QImage& image) {
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
}

struct VirtualClockTest : ::testing::Test {
    static void SetUpTestSuite() { EnsureApplication(); }
    VirtualClockTest() {
        GstMediaFactory::Options options;
        options.virtualClock = true;
        options.report = [this](const QString& line) { reports << line; };
        factory = std::make_unique<GstMediaFactory>(loop, options);
    }
    VirtualEventLoop loop;
    QStringList reports;
    std::unique_ptr<GstMediaFactory> factory;
};

TEST_F(VirtualClockTest, RealDurationsAreKnownAtOnceAndTimeIsVirtual) {
    struct Case {
        QString path;
        double duration;
        double tolerance;
    };
    const std::vector<Case> cases = {
        {WriteFile("pcm16.wav", PcmWav(16, 2, 22050, 11025)), 0.5, 0.001},
        {WriteFile("ima1.wav", AdpcmWav(true, 1, 22050, 0.5)), 0.5, 0.001},
        {WriteFile("note.mid", Midi(0.5)), 1.5, 0.02},  // with the release tail
        {MakeWithGst(
             "a.mp2",
             "audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=5 ! "
             "audio/x-raw,rate=44100 ! audioconvert ! avenc_mp2 ! filesink location=%o"),
         0.5, 0.1},  // raw MPEG audio: no length in any header
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        auto player = factory->Create();
        int ended = 0;
        player->onEnded = [&] { ++ended; };
        ASSERT_TRUE(player->SetFileName(c.path)) << reports.join(u'\n').toStdString();
        const double d = player->Duration();
        EXPECT_NEAR(d, c.duration, c.tolerance);
        player->Play();
        const qint64 endMs = static_cast<qint64>(std::ceil(d * 1000));
        loop.Advance(endMs - 1);
        EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
        EXPECT_NEAR(player->CurrentPosition(), (endMs - 1) / 1000.0, 1e-9);
        loop.Advance(1);
        EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
        EXPECT_EQ(ended, 1);
    }
}

TEST_F(VirtualClockTest, FramesAreThoseOfTheVirtualMoment) {
    const QString path = RedThenBlue();
    ASSERT_FALSE(path.isEmpty());
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path));
    EXPECT_NEAR(player->Duration(), 1.0, 0.001);
    EXPECT_EQ(player->NaturalSize(), QSize(160, 120));
    EXPECT_EQ(qRed(Centre(player->CurrentFrame())) > 180, true);
    player->Play();
    loop.Advance(250);
    EXPECT_GT(qRed(Centre(player->CurrentFrame())), 180);
    loop.Advance(500);  // 0.75 s: the blue half
    const QImage blue = player->CurrentFrame();
    EXPECT_EQ(blue.size(), QSize(160, 120));
    EXPECT_EQ(blue.format(), QImage::Format_RGB32);
    EXPECT_GT(qBlue(Centre(blue)), 180);
    player->Pause();
    loop.Advance(5000);
    EXPECT_GT(qBlue(Centre(player->CurrentFrame())), 180);
    player->SetCurrentPosition(0);
    EXPECT_GT(qRed(Centre(player->CurrentFrame())), 180);

    // Another player at the same virtual moment shows the very same picture.
    auto other = factory->Create();
    ASSERT_TRUE(other->SetFileName(path));
    other->SetCurrentPosition(0.75);
    player->SetCurrentPosition(0.75);
    EXPECT_EQ(other->CurrentFrame(), player->CurrentFrame());
}

TEST_F(VirtualClockTest, MpegFramesCountFromTheStreamStart) {
    // Time stamps from 0.5 s, as old encoders wrote them; positions still start at 0.
    const QString avi = MakeWithGst(
        QStringLiteral("redblue25.avi"),
        QStringLiteral("concat name=c ! videoconvert ! jpegenc ! avimux ! filesink location=%o "
                       "videotestsrc pattern=red num-buffers=13 ! "
                       "video/x-raw,width=160,height=120,framerate=25/1 ! c. "
                       "videotestsrc pattern=blue num-buffers=12 ! "
                       "video/x-raw,width=160,height=120,framerate=25/1 ! c."));
    ASSERT_FALSE(avi.isEmpty());
    const QString path = MakeWithGst(
        QStringLiteral("redblue.mpg"),
        QStringLiteral(
            "filesrc location=%1 ! avidemux ! jpegdec ! videoconvert ! mpeg2enc format=0 ! "
            "mpegvideoparse ! avmux_mpeg ! filesink location=%o")
            .arg(avi));
    ASSERT_FALSE(path.isEmpty());
    auto player = factory->Create();
    ASSERT_TRUE(player->SetFileName(path)) << reports.join(u'\n').toStdString();
    EXPECT_NEAR(player->Duration(), 1.0, 0.05);
    EXPECT_NEAR(player->CurrentPosition(), 0.0, 1e-9);
    player->Play();
    loop.Advance(200);
    EXPECT_GT(qRed(Centre(player->CurrentFrame())), 180)
        << std::hex << Centre(player->CurrentFrame());
    loop.Advance(600);
    EXPECT_GT(qBlue(Centre(player->CurrentFrame())), 180)
        << std::hex << Centre(player->CurrentFrame());
}

TEST_F(VirtualClockTest, FramesAreAnnouncedWhilePlayingOnly) {
    const QString path = RedThenBlue();
    auto player = factory->Create();
    int frames = 0;
    player->onFrame = [&] { ++frames; };
    ASSERT_TRUE(player->SetFileName(path));
    loop.Advance(500);
    EXPECT_EQ(frames, 0);
    player->Play();
    loop.Advance(500);
    EXPECT_EQ(frames, 5);  // 10 frames per second
    loop.Advance(2000);    // ended at 1 s: frames 1 to 9 were announced (0 showed from the start)
    EXPECT_EQ(frames, 9);
}

TEST_F(VirtualClockTest, PlayCountAndRateFollowTheVirtualClock) {
    const QString path = WriteFile("pcm16.wav", PcmWav(16, 2, 22050, 11025));
    auto player = factory->Create();
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    ASSERT_TRUE(player->SetFileName(path));
    player->SetPlayCount(3);
    player->SetRate(2.0);
    player->Play();
    loop.Advance(700);  // 1.4 s of sound: the third play
    EXPECT_NEAR(player->CurrentPosition(), 0.4, 1e-9);
    loop.Advance(50);
    EXPECT_EQ(ended, 1);
}

TEST_F(VirtualClockTest, FilesThatCannotPlayFailAsTheyWouldForReal) {
    auto player = factory->Create();
    const QString text = WriteFile("text.wav", "not a sound");
    EXPECT_FALSE(player->SetFileName(text));
    EXPECT_EQ(player->FileName(), text);
    player->Play();
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
    EXPECT_TRUE(reports.join(u'\n').contains(QStringLiteral("text.wav")));
    // Sound files have no frames.
    ASSERT_TRUE(player->SetFileName(WriteFile("pcm16.wav", PcmWav(16, 2, 22050, 11025))));
    EXPECT_TRUE(player->CurrentFrame().isNull());
    EXPECT_TRUE(player->NaturalSize().isEmpty());
}

}  // namespace
