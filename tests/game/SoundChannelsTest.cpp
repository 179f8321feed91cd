// The sound channels on the game's players: changes at once and cross-faded, the fade timer,
// the audio-problem box and the old sound blocks.
#include "GameFixture.h"
#include "core/DataFile.h"
#include "core/SoundChannelTable.h"
#include "game/sound/SoundChannels.h"

namespace storyloom::test {
namespace {

class SoundChannelsTest : public GameTest {
  protected:
    // The game with the real channel service in place of the logging one.
    Game& StartMixer() {
        Game& g = Start();
        mixer = std::make_unique<SoundChannels>(g);
        g.services.sound = mixer.get();
        return g;
    }
    void AreaFile(const QString& name) { t.project.WriteText("Areas/" + name, "RIFF"); }
    QString AreaPath(const QString& name) const { return t.program.paths.AreasPath + name; }
    // A channel entry as an action writes it.
    SoundChannel& Entry(int c, qint16 mode, bool crossFade, double volume, const QString& file,
                        bool repeat = false) {
        SoundChannel& ch = game->state.SoundChannels[static_cast<size_t>(c)];
        ch.Mode = mode;
        ch.CrossFade = crossFade;
        ch.Repeat = repeat;
        ch.PreviousVolume = ch.Volume;
        ch.Volume = volume;
        ch.FileName = file;
        ch.KeepIfPlaying = false;
        return ch;
    }
    // Player i plays `file` (inside Areas) at `volume`.
    void Playing(int i, const QString& file, int volume = 0) {
        MediaPlayer& p = game->Player(i);
        p.SetFileName(AreaPath(file));
        p.SetPlayCount(0);
        p.SetVolume(volume);
        p.Play();
    }
    std::unique_ptr<SoundChannels> mixer;
};

TEST_F(SoundChannelsTest, ChangesWithoutFadeStartStopAndSetTheVolumeAtOnce) {
    AreaFile("rain.wav");
    AreaFile("bell.wav");
    Game& g = StartMixer();
    Playing(2, "bell.wav");
    Entry(1, 0, false, 7.5, "rain.wav", true);
    Entry(2, 3, false, 0, "");
    Entry(3, 4, false, 5, "");
    Playing(3, "bell.wav");
    mixer->StartChannelChanges();

    MediaPlayer& one = g.Player(1);
    EXPECT_EQ(one.FileName(), AreaPath("rain.wav"));
    EXPECT_EQ(one.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(one.PlayCount(), 0);
    EXPECT_EQ(one.Volume(), -1000);  // level 7.5
    EXPECT_NE(g.Player(2).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.Player(3).Volume(), -2000);
    EXPECT_EQ(g.Player(3).PlayState(), MediaPlayer::Playing);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(g.state.SoundChannels[c].Mode, 0);
        EXPECT_TRUE(g.state.SoundChannels[c].FileName.isEmpty());
    }
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(SoundChannelsTest, FrameRowKeepsAPlayingFileButAnActionRestartsIt) {
    AreaFile("sea.wav");
    Game& g = StartMixer();
    Playing(4, "sea.wav");
    g.Player(4).SetPlayCount(1);
    t.loop.Advance(300);
    const int loadsBefore = static_cast<int>(media.log.filter("FileName").size());
    Entry(2, 0, false, 6, "sea.wav").KeepIfPlaying = true;
    mixer->StartChannelChanges();
    EXPECT_EQ(media.log.filter("FileName").size(), loadsBefore);
    EXPECT_NE(g.Player(2).PlayState(), MediaPlayer::Playing);

    Entry(2, 0, false, 6, "sea.wav");
    mixer->StartChannelChanges();
    EXPECT_EQ(g.Player(2).FileName(), AreaPath("sea.wav"));
    EXPECT_EQ(g.Player(2).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.Player(2).PlayCount(), 1);
}

TEST_F(SoundChannelsTest, MissingFileIsSkippedAndAMidiFileStopsTheOtherMidi) {
    AreaFile("a.mid");
    AreaFile("b.MID");
    Game& g = StartMixer();
    Playing(5, "a.mid");
    Entry(1, 0, false, 10, "gone.wav");
    Entry(2, 0, false, 10, "b.MID");
    mixer->StartChannelChanges();
    EXPECT_TRUE(g.Player(1).FileName().isEmpty());
    EXPECT_TRUE(g.state.SoundChannels[1].FileName.isEmpty());
    EXPECT_NE(g.Player(5).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.Player(2).PlayState(), MediaPlayer::Playing);
    // Only the lookup's own box about the missing file; no audio problem.
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_NE(t.Boxes()[0].title, "AUDIO PROBLEM");
}

TEST_F(SoundChannelsTest, CrossFadeMovesToAFreePlayerSwapsAndFadesOnTheTimer) {
    AreaFile("day.wav");
    AreaFile("night.wav");
    Game& g = StartMixer();
    g.state.AudioFadeDuration = 1.0;
    g.state.SoundChannels[6].Volume = 7;
    Playing(6, "day.wav", VolumeForLevel(7));
    Playing(1, "day.wav");  // player 1 is busy: the first free one is 2
    SoundChannel& music = Entry(6, 0, true, 9, "night.wav", true);
    mixer->StartChannelChanges();

    EXPECT_EQ(music.PlayerIndex, 2);
    EXPECT_EQ(music.FadingPlayerIndex, 6);
    EXPECT_EQ(g.state.SoundChannels[2].PlayerIndex, 6);  // the two channels swapped players
    MediaPlayer& in = g.Player(2);
    MediaPlayer& out = g.Player(6);
    EXPECT_EQ(in.FileName(), AreaPath("night.wav"));
    EXPECT_EQ(in.Volume(), -4000);
    EXPECT_EQ(in.PlayCount(), 0);
    EXPECT_EQ(in.PlayState(), MediaPlayer::Playing);

    mixer->EnableFadeTimer();
    t.loop.Advance(100);  // the first tick only notes the start
    EXPECT_EQ(in.Volume(), -4000);
    EXPECT_GT(mixer->FadeStartTime(), 0);
    t.loop.Advance(500);
    EXPECT_EQ(in.Volume(), VolumeForLevel(0.5 * 9));
    EXPECT_EQ(out.Volume(), VolumeForLevel(0.5 * 7));
    t.loop.Advance(600);
    EXPECT_EQ(in.Volume(), -400);
    EXPECT_NE(out.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(music.FadingPlayerIndex, 0);
    EXPECT_FALSE(music.CrossFade);
    EXPECT_TRUE(music.FileName.isEmpty());
    EXPECT_FALSE(mixer->FadeTimerEnabled());
}

TEST_F(SoundChannelsTest, CrossFadeWithEveryPlayerBusyCutsTheOldSoundOnTheChannelsOwnPlayer) {
    AreaFile("loop.wav");
    AreaFile("new.wav");
    Game& g = StartMixer();
    for (int i = 1; i <= 7; ++i) Playing(i, "loop.wav");
    SoundChannel& ch = Entry(3, 0, true, 8, "new.wav");
    mixer->StartChannelChanges();
    EXPECT_EQ(ch.PlayerIndex, 3);
    EXPECT_EQ(ch.FadingPlayerIndex, 0);
    EXPECT_EQ(g.Player(3).FileName(), AreaPath("new.wav"));
    EXPECT_EQ(g.Player(3).Volume(), -4000);
    mixer->FadeChannels(1);
    EXPECT_EQ(g.Player(3).Volume(), -800);
    EXPECT_EQ(g.Player(3).PlayState(), MediaPlayer::Playing);
}

TEST_F(SoundChannelsTest, FadedStopAndVolumeChangeFollowTheProgress) {
    Game& g = StartMixer();
    AreaFile("x.wav");
    Playing(1, "x.wav", -800);
    Playing(2, "x.wav", -2000);
    g.state.SoundChannels[1].Volume = 8;
    g.state.SoundChannels[2].Volume = 5;
    Entry(1, 3, true, 0, "");
    Entry(2, 4, true, 9, "");
    mixer->StartChannelChanges();
    EXPECT_TRUE(g.state.SoundChannels[1].CrossFade);  // still pending for the fade
    mixer->FadeChannels(0.25);
    EXPECT_EQ(g.Player(1).Volume(), VolumeForLevel(0.75 * 8));
    EXPECT_EQ(g.Player(2).Volume(), VolumeForLevel(5 + 0.25 * 4));
    // A transition drives the same fade through the hook.
    mixer->FadeProgressHook()(1.0);
    EXPECT_NE(g.Player(1).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.Player(2).Volume(), -400);
    EXPECT_EQ(g.state.SoundChannels[1].Mode, 0);
    EXPECT_EQ(g.state.SoundChannels[2].Mode, 0);
}

TEST_F(SoundChannelsTest, ZeroFadeDurationFinishesOnTheSecondTick) {
    AreaFile("x.wav");
    Game& g = StartMixer();
    g.state.AudioFadeDuration = 0;
    Entry(1, 0, true, 10, "x.wav");
    mixer->StartChannelChanges();
    mixer->EnableFadeTimer();
    t.loop.Advance(100);
    EXPECT_TRUE(g.state.SoundChannels[1].CrossFade);
    EXPECT_TRUE(mixer->FadeTimerEnabled());
    t.loop.Advance(100);
    EXPECT_FALSE(g.state.SoundChannels[1].CrossFade);
    EXPECT_EQ(g.Player(1).Volume(), 0);
    EXPECT_FALSE(mixer->FadeTimerEnabled());
}

TEST_F(SoundChannelsTest, PlayerFailureEndsTheChangesAndWarnsOncePerReset) {
    AreaFile("bad.wav");
    AreaFile("good.wav");
    Game& g = StartMixer();
    media.unreadable << "bad.wav";
    Entry(2, 0, false, 10, "bad.wav");
    Entry(3, 0, false, 10, "good.wav");
    mixer->StartChannelChanges();
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "AUDIO PROBLEM");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith("WARNING: Another program may be using"));
    EXPECT_TRUE(t.Boxes()[0].text.endsWith(
        "restart the program.\r\n\r\nThis message will not reappear until you restart the "
        "program."));
    // The channels after the failing one keep their entries.
    EXPECT_EQ(g.state.SoundChannels[3].FileName, "good.wav");
    EXPECT_NE(g.Player(3).PlayState(), MediaPlayer::Playing);

    mixer->StartChannelChanges();
    EXPECT_EQ(t.Boxes().size(), 1u);
    g.ResetAll();  // a new game shows it again
    Entry(2, 0, false, 10, "bad.wav");
    mixer->StartChannelChanges();
    EXPECT_EQ(t.Boxes().size(), 2u);
    // Not while the game is stopping.
    mixer->ClearAudioProblemShown();
    t.program.StopRequested = true;
    Entry(2, 0, false, 10, "bad.wav");
    mixer->StartChannelChanges();
    EXPECT_EQ(t.Boxes().size(), 2u);
}

TEST_F(SoundChannelsTest, SoundBlockPlaysItsEntriesAndLeavesTheSeparator) {
    AreaFile("wind.wav");
    AreaFile("gull.wav");
    Game& g = StartMixer();
    Playing(3, "wind.wav");
    t.project.WriteRecords("Frames/block.chn", [](SeqWriter& w) {
        WriteSoundBlock(
            w, {{false, true, "wind.wav", 1}, {false, true, "gull.wav", 0}, {true, false, "", 0}});
        w.WriteString("----- SEPARATOR -----");
        w.EndRecord();
        w.WriteString("next");
        w.EndRecord();
    });
    SeqReader r = OpenSeqFile(t.files, t.program.paths.FramesPath + "block.chn");
    mixer->PlaySoundChannels(r);
    EXPECT_EQ(g.Player(1).FileName(), AreaPath("wind.wav"));
    EXPECT_EQ(g.Player(1).PlayCount(), 0);
    EXPECT_EQ(g.Player(1).Volume(), -800);
    EXPECT_EQ(g.Player(2).PlayCount(), 1);
    EXPECT_EQ(g.Player(2).PlayState(), MediaPlayer::Playing);
    EXPECT_NE(g.Player(3).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(r.ReadString(), "----- SEPARATOR -----");
    EXPECT_TRUE(t.Boxes().empty());
    // The channel table itself is not changed.
    EXPECT_TRUE(g.state.SoundChannels[1].FileName.isEmpty());

    t.project.WriteRecords("Frames/two.chn", [](SeqWriter& w) {
        WriteSoundBlock(w, {{false, true, "gull.wav", 0}, {false, true, "gull.wav", 0}});
    });
    SeqReader two = OpenSeqFile(t.files, t.program.paths.FramesPath + "two.chn");
    mixer->PlaySoundChannels(two);
    EXPECT_TRUE(two.AtEnd());
    EXPECT_EQ(g.Player(2).FileName(), AreaPath("gull.wav"));
}

TEST_F(SoundChannelsTest, DamagedSoundBlockShowsTheBoxAndKeepsWhatItPlayed) {
    AreaFile("gull.wav");
    Game& g = StartMixer();
    t.project.WriteRecords("Frames/bad.chn", [](SeqWriter& w) {
        WriteSoundBlock(w, {{false, true, "gull.wav", 0}});
        w.WriteInteger(0);
        w.WriteBoolean(false);
        w.WriteBoolean(true);
        w.WriteString("gull.wav");
        w.WriteString("forever");  // not a number
        w.EndRecord();
    });
    SeqReader r = OpenSeqFile(t.files, t.program.paths.FramesPath + "bad.chn");
    mixer->PlaySoundChannels(r);
    EXPECT_EQ(g.Player(1).PlayState(), MediaPlayer::Playing);
    EXPECT_NE(g.Player(2).PlayState(), MediaPlayer::Playing);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text, ErrorText(" Unable to load old sound system information."));

    // A block cut off inside its 22 leading values.
    t.project.WriteText("Frames/short.chn", "0,0,0\r\n");
    SeqReader cut = OpenSeqFile(t.files, t.program.paths.FramesPath + "short.chn");
    mixer->PlaySoundChannels(cut);
    EXPECT_EQ(t.Boxes().size(), 2u);
}

TEST_F(SoundChannelsTest, FrameThatStopsAllSoundsStillAppliesItsChannelRows) {
    AreaFile("drone.wav");
    FrameFile f;
    f.StopAllSounds = true;
    f.ChannelFadeDuration = 0;
    f.channels = {ChannelRow{0, false, true, 6, "drone.wav"}};
    ColourFrame("Hush", 0, f);
    t.project.WriteRecords("Frames/Hush.chn", [](SeqWriter& w) {
        WriteSoundBlock(w, {{false, false, "", 0}, {false, true, "drone.wav", 0}});
    });
    Game& g = StartMixer();
    g.OpenFrame("Hush", false, 0, 0);
    EXPECT_EQ(g.Player(1).FileName(), AreaPath("drone.wav"));
    EXPECT_EQ(g.Player(1).Volume(), VolumeForLevel(6));
    EXPECT_EQ(g.Player(1).PlayState(), MediaPlayer::Playing);
    EXPECT_TRUE(g.Player(2).FileName().isEmpty());  // the .chn file is skipped
}

}  // namespace
}  // namespace storyloom::test
