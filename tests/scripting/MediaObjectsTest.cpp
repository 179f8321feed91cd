// The media players scripts reach: the sound channels, the videos on hotspots and the spare
// players scripts load themselves.
#include "ScriptFixture.h"

namespace storyloom::test {
namespace {

using MediaObjectsTest = ScriptTest;

TEST_F(MediaObjectsTest, SoundChannelPlayersByNumber) {
    Game& g = Start();
    EXPECT_TRUE(
        Run("AudioPlayerObject(6).FileName = \"C:\\Game\\Areas\\rain.wav\"\r\n"
            "AudioPlayerObject(6).PlayCount = 0\r\n"
            "AudioPlayerObject(6).Volume = -400\r\n"
            "AudioPlayerObject(6).Play\r\n"
            "Score = AudioPlayerObject.Count * 100 + AudioPlayerObject.UBound * 10 + "
            "AudioPlayerObject.LBound\r\n"
            "If AudioPlayerObject(6).PlayState = 2 Then door_open = 1\r\n"
            "For Each p In AudioPlayerObject\r\n  If p.PlayState <> 2 Then p.Stop\r\nNext"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(g.Player(6).FileName(), "C:\\Game\\Areas\\rain.wav");
    EXPECT_EQ(g.Player(6).PlayCount(), 0);
    EXPECT_EQ(g.Player(6).Volume(), -400);
    EXPECT_EQ(g.Player(6).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(Var("Score"), 771);
    EXPECT_EQ(Var("door_open"), 1);
    // There is no channel 8, a sound player has no place on the window, and loudness above
    // full is refused.
    EXPECT_FALSE(Run("AudioPlayerObject(8).Play"));
    EXPECT_FALSE(Run("x = AudioPlayerObject(1).Left"));
    EXPECT_FALSE(Run("AudioPlayerObject(1).Volume = 100"));
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_EQ(t.Boxes()[0].text,
              RunErrorBox("Control array element '8' doesn't exist (line 1 of the script)"));
    EXPECT_TRUE(t.Boxes()[1].text.contains("Object doesn't support this property or method"));
    EXPECT_TRUE(t.Boxes()[2].text.contains("Invalid property value"));
    EXPECT_EQ(g.Player(1).Volume(), 0);
    // The game owns the channels: scripts cannot add or remove any.
    EXPECT_TRUE(
        Run("If Not LoadControl(AudioPlayerObject(9)) Then Score = 1\r\n"
            "If Not UnloadControl(AudioPlayerObject(7)) Then Score = Score + 1"));
    EXPECT_EQ(Var("Score"), 2);
}

TEST_F(MediaObjectsTest, SparePlayersLoadPlayAndUnload) {
    Game& g = Start();
    EXPECT_TRUE(
        Run("If LoadControl(MediaPlayerObject(2)) Then Score = 1\r\n"
            "If Not LoadControl(MediaPlayerObject(2)) Then Score = Score + 10\r\n"
            "With MediaPlayerObject(2)\r\n"
            "  .Move 150, 300, 1500, 750\r\n"
            "  .Visible = True\r\n"
            "  .FileName = \"intro.avi\"\r\n"
            "  .Rate = 2\r\n"
            "  .ShowStatusBar = False\r\n"
            "  .Play\r\n"
            "End With\r\n"
            "door_open = MediaPlayerObject.Count * 10 + MediaPlayerObject(2).Width / 1500"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(Var("Score"), 11);
    EXPECT_EQ(Var("door_open"), 21);
    ASSERT_EQ(g.CustomMediaPlayer.count(2), 1u);
    const PlacedPlayer& placed = g.CustomMediaPlayer.at(2);
    EXPECT_EQ(placed.pixelRect, QRect(10, 20, 100, 50));
    EXPECT_TRUE(placed.visible);
    EXPECT_EQ(placed.player->FileName(), "intro.avi");
    EXPECT_EQ(placed.player->Rate(), 2.0);
    EXPECT_EQ(placed.player->PlayState(), MediaPlayer::Playing);
    EXPECT_FALSE(placed.player->ShowControls());
    // A size below zero or a place far off any screen is refused and changes nothing.
    EXPECT_FALSE(Run("MediaPlayerObject(2).Width = -15"));
    EXPECT_FALSE(Run("MediaPlayerObject(2).Move 0, 0, 30, -30"));
    EXPECT_FALSE(Run("MediaPlayerObject(2).Left = 1E+20"));
    EXPECT_EQ(placed.pixelRect, QRect(10, 20, 100, 50));
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_TRUE(t.Boxes()[0].text.contains("Invalid property value"));
    EXPECT_TRUE(t.Boxes()[1].text.contains("Invalid property value"));
    EXPECT_TRUE(t.Boxes()[2].text.contains("Overflow"));

    // The design-time element stays; a reference kept past the unload is an error.
    EXPECT_TRUE(
        Run("Set kept = MediaPlayerObject(2)\r\n"
            "If Not UnloadControl(MediaPlayerObject(0)) Then Score = 0\r\n"
            "If UnloadControl(MediaPlayerObject(2)) Then door_open = 0\r\n"
            "On Error Resume Next\r\n"
            "kept.Play\r\n"
            "PlayerName = Err.Number"));
    EXPECT_EQ(Var("Score"), 0);
    EXPECT_EQ(Var("door_open"), 0);
    EXPECT_EQ(VarText("PlayerName"), "340");
    EXPECT_EQ(g.CustomMediaPlayer.size(), 1u);

    // Loaded players stop with the game.
    EXPECT_TRUE(
        Run("LoadControl MediaPlayerObject(1)\r\nMediaPlayerObject(1).FileName = "
            "\"a.wav\"\r\nMediaPlayerObject(1).PlayCount = 0\r\nMediaPlayerObject(1).Play"));
    ASSERT_EQ(g.CustomMediaPlayer.count(1), 1u);
    g.Form_Unload();
    EXPECT_NE(g.CustomMediaPlayer.at(1).player->PlayState(), MediaPlayer::Playing);
}

TEST_F(MediaObjectsTest, HotspotVideosFollowTheFrame) {
    FrameFile f;
    f.BackgroundType = 0;
    f.BackgroundValue = QStringLiteral("0");
    t.project.WriteFrame(QStringLiteral("Start"), f);
    t.project.WriteFrame(QStringLiteral("Empty"), f);
    AuthoredHotspot plain;
    plain.Width = plain.Height = 300;
    AuthoredHotspot video = plain;
    video.Left = 300;
    video.HasVideo = true;
    video.VideoFile = "loop.avi";
    video.VideoFitHotspot = 1;
    video.VideoPlayCount = 0;
    WriteHotspots(t.project, QStringLiteral("Start"), {plain, video});
    t.project.WriteText("Frames/loop.avi", "RIFF");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    ASSERT_EQ(g.scene->VideoPlayers().count(2), 1u);
    EXPECT_TRUE(
        Run("Score = LoopingVideo.Count * 10 + LoopingVideo.UBound\r\n"
            "LoopingVideo(2).Stop\r\n"
            "LoopingVideo(2).Left = 450\r\n"
            "If InStr(LoopingVideo(2).FileName, \"loop.avi\") > 0 Then door_open = 1"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(Var("Score"), 12);
    EXPECT_EQ(Var("door_open"), 1);
    EXPECT_NE(g.scene->VideoPlayers().at(2).player->PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.scene->VideoPlayers().at(2).pixelRect.left(), 30);
    // Hotspot 1 has no video, and after leaving the frame neither has hotspot 2.
    EXPECT_FALSE(Run("LoopingVideo(1).Play"));
    g.OpenFrame("Empty", false, 0, 0);
    EXPECT_FALSE(Run("LoopingVideo(2).Play"));
    EXPECT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(Run("Score = LoopingVideo.Count"));
    EXPECT_EQ(Var("Score"), 0);
}

}  // namespace
}  // namespace storyloom::test
