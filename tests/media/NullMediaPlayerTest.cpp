#include <gtest/gtest.h>

#include "platform/loop/EventLoop.h"
#include "platform/media/NullMediaPlayer.h"

using namespace storyloom;

namespace {

struct NullMediaTest : ::testing::Test {
    VirtualEventLoop loop;
    NullMediaLibrary library{loop};
};

TEST_F(NullMediaTest, FileNameReadsBackExactlyAsWritten) {
    auto player = library.Create();
    player->SetFileName(QStringLiteral("\\game\\Areas\\Music.MID"));
    EXPECT_EQ(player->FileName(), QStringLiteral("\\game\\Areas\\Music.MID"));
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
}

TEST_F(NullMediaTest, PlaysForItsScriptedDurationThenStops) {
    library.SetDuration(QStringLiteral("door.wav"), 1.5);
    auto player = library.Create();
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    player->SetFileName(QStringLiteral("\\g\\Areas\\DOOR.wav"));
    player->Play();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    loop.Advance(1000);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    EXPECT_NEAR(player->CurrentPosition(), 1.0, 1e-9);
    loop.Advance(500);
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(ended, 1);
    // Playing a finished file starts it again from the beginning.
    player->Play();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    EXPECT_NEAR(player->CurrentPosition(), 0.0, 1e-9);
}

TEST_F(NullMediaTest, PlayCountRepeatsAndZeroNeverEnds) {
    auto player = library.Create();
    player->SetFileName(QStringLiteral("a.wav"));  // default duration 1 s
    player->SetPlayCount(3);
    player->Play();
    loop.Advance(2500);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    EXPECT_NEAR(player->CurrentPosition(), 0.5, 1e-9);
    loop.Advance(500);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);

    player->SetPlayCount(0);
    player->Play();
    loop.Advance(60000);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
}

TEST_F(NullMediaTest, StopPauseRewindAndRate) {
    library.SetDuration(QStringLiteral("v.avi"), 4);
    auto player = library.Create();
    player->Stop();  // not playing: nothing happens
    player->SetFileName(QStringLiteral("v.avi"));
    player->Play();
    loop.Advance(1000);
    player->Pause();
    loop.Advance(5000);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Paused);
    EXPECT_NEAR(player->CurrentPosition(), 1.0, 1e-9);
    player->SetCurrentPosition(0);
    player->SetRate(2.0);
    player->Play();
    loop.Advance(1999);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    loop.Advance(1);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Stopped);
}

TEST_F(NullMediaTest, ReloadingCancelsThePendingEnd) {
    auto player = library.Create();
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    player->SetFileName(QStringLiteral("a.wav"));
    player->Play();
    loop.Advance(900);
    player->SetFileName(QStringLiteral("b.wav"));
    player->Play();
    loop.Advance(900);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    loop.Advance(100);
    EXPECT_EQ(ended, 1);
}

TEST_F(NullMediaTest, UnreadableFileNeverPlaysAndDestroyedPlayerIsSafe) {
    library.unreadable << QStringLiteral("broken.mp3");
    auto player = library.Create();
    EXPECT_FALSE(player->SetFileName(QStringLiteral("x\\BROKEN.mp3")));
    player->Play();
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);

    auto other = library.Create();
    other->SetFileName(QStringLiteral("a.wav"));
    other->Play();
    other.reset();
    loop.Advance(2000);  // the scheduled end of a destroyed player must not run
    EXPECT_EQ(library.Players().size(), 1u);
}

TEST(VolumeTest, HundredthsOfDecibelToAmplitude) {
    EXPECT_DOUBLE_EQ(VolumeToAmplitude(0), 1.0);
    EXPECT_NEAR(VolumeToAmplitude(-2000), 0.1, 1e-12);
    EXPECT_NEAR(VolumeToAmplitude(-4000), 0.01, 1e-12);
}

}  // namespace
