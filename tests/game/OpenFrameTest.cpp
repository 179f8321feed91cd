// Opening frames: validation, background, music, scripts, timer, history, damaged files.
#include "GameFixture.h"

namespace storyloom::test {
namespace {

const QString kVerify = QStringLiteral(
    "Verify that the 'Initial Frame' exists and that the 'Go to another frame' option in the "
    "Hotspot Properties is linked to an existing frame.");

using OpenFrameTest = GameTest;

TEST_F(OpenFrameTest, EmptyOrMissingFrameNamesShowTheBoxAndKeepTheFrame) {
    ColourFrame("Start", 255);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    g.OpenFrame("", false, 0, 0);
    g.OpenFrame("Nowhere", false, 0, 0);
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[0].text, ErrorText(" A program link is broken."));
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(
        t.Boxes()[1].text,
        ErrorText(" A program link is broken. The frame named \"Nowhere\" could not be found. " +
                  kVerify));
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Start"}));
    EXPECT_EQ(g.RenderFrame().pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(OpenFrameTest, ColourPictureAndTiledBackgroundsAreDrawn) {
    ColourFrame("Red", 255);
    ColourFrame("Blue", 0xFF0000);
    WritePicture(t.project, "Frames/room.bmp", SolidImage(64, 48, QColor(0, 200, 0)));
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(QColor(10, 20, 30));
    tile.setPixel(0, 0, qRgb(250, 250, 0));
    WritePicture(t.project, "Frames/tile.bmp", tile);
    FrameFile picture;
    picture.BackgroundType = 1;
    picture.BackgroundValue = "room.bmp";
    t.project.WriteFrame("Picture", picture);
    FrameFile tiled = picture;
    tiled.BackgroundValue = "TILE.BMP";  // the disk's case differs
    tiled.BackgroundTiled = true;
    t.project.WriteFrame("Tiled", tiled);
    Game& g = Start();

    g.OpenFrame("Red", false, 0, 0);
    EXPECT_EQ(g.RenderFrame().pixel(30, 30), qRgb(255, 0, 0));
    g.OpenFrame("Blue", false, 0, 0);
    EXPECT_EQ(g.RenderFrame().pixel(30, 30), qRgb(0, 0, 255));
    g.OpenFrame("Picture", false, 0, 0);
    EXPECT_EQ(g.RenderFrame().pixel(63, 47), qRgb(0, 200, 0));
    g.OpenFrame("Tiled", false, 0, 0);
    const QImage frame = g.RenderFrame();
    EXPECT_EQ(frame.pixel(0, 0), qRgb(250, 250, 0));
    EXPECT_EQ(frame.pixel(60, 44), qRgb(250, 250, 0));
    EXPECT_EQ(frame.pixel(61, 45), qRgb(10, 20, 30));
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
}

TEST_F(OpenFrameTest, MissingBackgroundPictureIsReportedAndTheGameGoesOn) {
    FrameFile picture;
    picture.BackgroundType = 1;
    picture.BackgroundValue = "gone.bmp";
    t.project.WriteFrame("Broken", picture);
    ColourFrame("Next", 255);
    Game& g = Start();
    g.OpenFrame("Broken", false, 0, 0);
    ASSERT_FALSE(t.Boxes().empty());
    EXPECT_TRUE(t.Boxes().back().text.startsWith(
        ErrorText(" Unable to load the frame called 'Broken'. " + kVerify + " ")));
    g.OpenFrame("Next", false, 0, 0);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Next");
    EXPECT_EQ(g.RenderFrame().pixel(3, 3), qRgb(255, 0, 0));
}

TEST_F(OpenFrameTest, TruncatedOrWrongTypedSettingsFileShowsTheBoxAndTheGameGoesOn) {
    // Cut in the middle of the first group (after the music file).
    t.project.WriteText("Frames/Cut.fme", "0\r\n\"255\"\r\n#FALSE#\r\n#FALSE#\r\n\"m.mid\"\r\n");
    // Text where a flag belongs.
    t.project.WriteText(
        "Frames/Typed.fme",
        "0\r\n\"0\"\r\n#FALSE#\r\n\"yes\"\r\n\"\"\r\n#FALSE#\r\n0\r\n\"\"\r\n\"\"\r\n0\r\n");
    t.project.WriteText("Frames/Empty.fme", "");
    ColourFrame("Good", 255);
    Game& g = Start();
    for (const char* name : {"Cut", "Typed", "Empty"}) {
        const size_t before = t.Boxes().size();
        g.OpenFrame(name, false, 0, 0);
        ASSERT_GT(t.Boxes().size(), before) << name;
        EXPECT_TRUE(t.Boxes().back().text.contains(
            ErrorText(QStringLiteral(" Unable to load the frame called '%1'. ").arg(name))))
            << t.Boxes().back().text.toStdString();
        EXPECT_FALSE(g.FrameTimerArmed());
    }
    EXPECT_TRUE(t.Boxes()[0].text.endsWith("Input past end of file"));
    EXPECT_TRUE(t.Boxes()[1].text.endsWith("Type mismatch"));
    g.OpenFrame("Good", false, 0, 0);
    EXPECT_EQ(g.RenderFrame().pixel(1, 1), qRgb(255, 0, 0));
}

TEST_F(OpenFrameTest, OldShortSettingsFileOpensWithDefaults) {
    FrameFile f;
    f.MusicFile = "theme.mid";
    f.lastGroup = 1;
    ColourFrame("Old", 0, f);
    t.project.WriteText("Areas/theme.mid", "MThd");
    Game& g = Start();
    g.OpenFrame("Old", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    MediaPlayer& music = g.ChannelPlayer(6);
    EXPECT_EQ(music.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(music.PlayCount(), 0);  // loops when the file does not say
    EXPECT_EQ(music.Volume(), -1200);
    EXPECT_TRUE(scripts.texts.isEmpty());
}

TEST_F(OpenFrameTest, MusicAlreadyPlayingIsNotRestartedUnlessAsked) {
    FrameFile f;
    f.MusicFile = "theme.mid";
    t.project.WriteText("Areas/theme.mid", "MThd");
    ColourFrame("A", 0, f);
    ColourFrame("B", 0, f);
    f.RestartMusic = true;
    ColourFrame("C", 0, f);
    Game& g = Start();
    g.OpenFrame("A", false, 0, 0);
    const int plays = static_cast<int>(media.log.filter("play").size());
    g.OpenFrame("B", false, 0, 0);
    EXPECT_EQ(media.log.filter("play").size(), plays);
    g.OpenFrame("C", false, 0, 0);
    EXPECT_GT(media.log.filter("play").size(), plays);
    EXPECT_EQ(g.ChannelPlayer(6).PlayState(), MediaPlayer::Playing);
}

TEST_F(OpenFrameTest, FrameSoundStopAllSoundsAndChannelFile) {
    FrameFile f;
    f.FrameSoundFile = "door.wav";
    t.project.WriteText("Frames/door.wav", "RIFF");
    ColourFrame("Sound", 0, f);
    t.project.WriteText("Frames/Sound.chn", "0\r\n");
    FrameFile quiet;
    quiet.StopAllSounds = true;
    ColourFrame("Quiet", 0, quiet);
    t.project.WriteText("Frames/Quiet.chn", "0\r\n");
    Game& g = Start();
    g.OpenFrame("Sound", false, 0, 0);
    MediaPlayer& sfx = g.ChannelPlayer(7);
    EXPECT_TRUE(sfx.FileName().endsWith("Frames\\door.wav"));
    EXPECT_EQ(sfx.PlayCount(), 1);
    EXPECT_EQ(sfx.Volume(), -800);
    EXPECT_EQ(sfx.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(log.calls.count("sound block"), 1);
    g.OpenFrame("Quiet", false, 0, 0);
    EXPECT_NE(sfx.PlayState(), MediaPlayer::Playing);  // a .wav stops with every sound
    EXPECT_EQ(log.calls.count("sound block"), 1);      // and the channel file is not played
}

TEST_F(OpenFrameTest, FrameTimerArmsFromTheSettingsAndJumps) {
    FrameFile f;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 1.5;
    f.FrameTimerTarget = "Second";
    ColourFrame("First", 0, f);
    ColourFrame("Second", 255);
    Game& g = Start();
    g.OpenFrame("First", false, 0, 0);
    EXPECT_TRUE(g.FrameTimerArmed());
    EXPECT_EQ(g.FrameTimerInterval(), 1500);
    EXPECT_EQ(g.FrameTimerTag(), "Second");
    t.loop.Advance(1499);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "First");
    t.loop.Advance(1);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
    EXPECT_FALSE(g.FrameTimerArmed());
    EXPECT_EQ(g.state.History.Entries(), QStringList({"First", "Second"}));
}

TEST_F(OpenFrameTest, TimerDurationThatDoesNotFitIsReported) {
    FrameFile f;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 1e12;
    f.FrameTimerTarget = "Start";
    ColourFrame("Start", 0, f);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(BoxTexts(), QStringList({ErrorText(" Unable to load timer duration.")}));
    EXPECT_FALSE(g.FrameTimerArmed());
}

TEST_F(OpenFrameTest, FrameLinkingToItselfByTimerKeepsOneHistoryEntryAndNeverNests) {
    FrameFile f;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 0.1;
    f.FrameTimerTarget = "Loop";
    ColourFrame("Loop", 0, f);
    Game& g = Start();
    g.OpenFrame("Loop", false, 0, 0);
    t.loop.Advance(5000);
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Loop"}));
    EXPECT_TRUE(g.FrameTimerArmed());
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(OpenFrameTest, HistoryKeepsTheLastTwentyFrames) {
    for (int i = 1; i <= 25; ++i) ColourFrame(QStringLiteral("F%1").arg(i));
    Game& g = Start();
    g.OpenFrame("F1", false, 0, 0);
    g.OpenFrame("F2", false, 0, 0);
    g.OpenFrame("F2", false, 0, 0);
    EXPECT_EQ(g.state.History.Entries(), QStringList({"F1", "F2"}));
    for (int i = 3; i <= 25; ++i) g.OpenFrame(QStringLiteral("F%1").arg(i), false, 0, 0);
    ASSERT_EQ(g.state.History.Count(), 20);
    EXPECT_EQ(g.state.History.Entries().first(), "F6");
    EXPECT_EQ(g.state.History.Entries().last(), "F25");
}

TEST_F(OpenFrameTest, FrameScriptsRunWithQuotesAndAStopRequestEndsTheGame) {
    general.RunFrameScript = true;
    general.FrameScript = "Project()";
    FrameFile f;
    f.RunLocalScript = true;
    f.LocalScript = "MsgBox \"hi\"";
    ColourFrame("Scripted", 0, f);
    WriteHotspots(t.project, "Scripted", {AuthoredHotspot{}});
    f.LocalScript = "Quit";
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 1;
    f.FrameTimerTarget = "Scripted";
    ColourFrame("Quitting", 0, f);
    WriteHotspots(t.project, "Quitting", {AuthoredHotspot{}});
    Game& g = Start();
    g.OpenFrame("Scripted", false, 0, 0);
    ASSERT_EQ(scripts.texts.size(), 1);
    EXPECT_EQ(scripts.texts[0], "Project()\r\n\r\nMsgBox \"hi\"");
    EXPECT_TRUE(scripts.resets[0]);
    EXPECT_TRUE(g.scene->AreaVisible(1));

    scripts.onRun = [](const QString& text, ScriptRequests& r) {
        if (text.contains("Quit")) r.bStopGame = true;
        return true;
    };
    g.OpenFrame("Quitting", false, 0, 0);
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_FALSE(g.scene->AreaVisible(1));  // the visibility step did not run
    EXPECT_FALSE(g.FrameTimerArmed());
    t.loop.Advance(499);
    EXPECT_EQ(closedCount, 0);
    t.loop.Advance(1);
    EXPECT_EQ(closedCount, 1);
    EXPECT_TRUE(g.Closed());
}

TEST_F(OpenFrameTest, ControlPolicyAndScriptTimeOutFollowTheProjectVariablesOnce) {
    t.project.WriteVariables({"Disable_Script_Timeout"}, {"REFERENCE_ALL_CONTROLS"});
    ColourFrame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(game->state.frame.ControlsReferencePolicy, 2);
    EXPECT_EQ(scripts.allTimeouts, std::vector<int>({-1}));
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(scripts.allTimeouts.size(), 1u);
}

TEST_F(OpenFrameTest, TransitionSecondHalfAndTheVideoAfterIt) {
    FrameFile f;
    f.VideoFile = "intro.avi";
    f.VideoBeforeFrame = true;
    ColourFrame("Movie", 0, f);
    Game& g = Start();
    g.OpenFrame("Movie", true, 7, 1.5);
    const int step2 = log.IndexOf("step2 7 1.5");
    const int play = log.IndexOf("video intro.avi 1 0 0 0 0");
    ASSERT_GE(step2, 0) << log.calls.join(" | ").toStdString();
    EXPECT_GT(play, step2);  // with a transition the "before" video plays after it

    log.calls.clear();
    g.OpenFrame("Movie", false, 0, 0);
    EXPECT_EQ(log.IndexOf("video intro.avi 1 0 0 0 0"), 0) << log.calls.join(" | ").toStdString();
}

TEST_F(OpenFrameTest, VideoWaitEndsWithTheVideoOrWhenStopped) {
    FrameFile f;
    f.VideoFile = "intro.avi";
    f.VideoAtPosition = true;
    f.VideoLeft = 3;
    f.VideoTop = 4;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 10;
    f.FrameTimerTarget = "Start";
    ColourFrame("Movie", 0, f);
    ColourFrame("Start");
    video.playsForMs = 2000;
    Game& g = Start();
    const qint64 before = t.loop.NowMs();
    g.OpenFrame("Movie", false, 0, 0);
    EXPECT_GE(t.loop.NowMs() - before, 2000);
    EXPECT_TRUE(log.Has("video intro.avi 0 3 4 0 0"));
    EXPECT_TRUE(g.FrameTimerArmed());

    // Shutdown requested while the video plays: the opening ends after the wait, silently.
    video.playsForMs = 60000;
    t.loop.Post([&] { g.StartUnloading(); }, 100);
    g.OpenFrame("Movie", false, 0, 0);
    EXPECT_FALSE(g.FrameTimerArmed());
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(OpenFrameTest, OpeningStartedDuringAVideoWaitTakesOver) {
    FrameFile f;
    f.VideoFile = "intro.avi";
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 1;
    f.FrameTimerTarget = "Movie";
    ColourFrame("Movie", 0, f);
    ColourFrame("Hall", 255);
    video.playsForMs = 5000;
    Game& g = Start();
    // A click handled while the video plays opens another frame.
    t.loop.Post([&] { g.OpenFrame("Hall", false, 0, 0); }, 100);
    g.OpenFrame("Movie", false, 0, 0);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
    EXPECT_FALSE(g.FrameTimerArmed());  // the interrupted opening does not arm its own timer
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Movie", "Hall"}));
    EXPECT_EQ(g.RenderFrame().pixel(2, 2), qRgb(255, 0, 0));
}

TEST_F(OpenFrameTest, DialogueFileLoadsItsQuestions) {
    ColourFrame("Talk");
    t.project.WriteText("FramesData/Talk.dlg", "0\r\n");
    Game& g = Start();
    g.OpenFrame("Talk", false, 0, 0);
    EXPECT_TRUE(log.Has("dialogue Talk"));
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {
namespace {

using FrameSettingsTest = GameTest;

TEST_F(FrameSettingsTest, ChannelRowsApplyOnlyWhereTheyChangeSomething) {
    FrameFile f;
    f.ChannelFadeDuration = 1500;
    f.channels = {ChannelRow{4, true, false, 6, ""},         // mode 4 on an idle channel
                  ChannelRow{0, false, true, 5, "b.wav"},    // a file on a channel without one
                  ChannelRow{1, false, false, 3, ""},        // nothing to change
                  ChannelRow{4, false, false, 2, "d.wav"}};  // channel 4 is busy (mode 3)
    ColourFrame("Mixer", 0, f);
    Game& g = Start();
    g.state.SoundChannels[1].Volume = 9;
    g.state.SoundChannels[4].Mode = 3;
    g.state.SoundChannels[4].FileName = "old.wav";
    g.OpenFrame("Mixer", false, 0, 0);
    const SoundChannel& c1 = g.state.SoundChannels[1];
    EXPECT_EQ(c1.Mode, 4);
    EXPECT_TRUE(c1.CrossFade);
    EXPECT_EQ(c1.PreviousVolume, 9);
    EXPECT_EQ(c1.Volume, 6);
    EXPECT_TRUE(c1.KeepIfPlaying);
    EXPECT_EQ(g.state.SoundChannels[2].FileName, "b.wav");
    EXPECT_TRUE(g.state.SoundChannels[2].Repeat);
    EXPECT_EQ(g.state.SoundChannels[3].Volume, 0);  // untouched
    EXPECT_EQ(g.state.SoundChannels[4].FileName, "old.wav");
    EXPECT_DOUBLE_EQ(g.state.AudioFadeDuration, 1.5);  // a row cross-fades
    EXPECT_TRUE(log.Has("channels"));
}

TEST_F(FrameSettingsTest, WideChannelTableHidesTheLaterFields) {
    FrameFile f;
    f.ChannelColumns = 6;
    f.channels = {ChannelRow{4, false, false, 6, "a.wav"}};
    f.VideoBeforeFrame = true;
    f.VideoFile = "v.avi";
    f.PluginSettings = "abc";
    ColourFrame("Wide", 0, f);
    Game& g = Start();
    g.OpenFrame("Wide", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(g.state.SoundChannels[1].Mode, 0);
    EXPECT_TRUE(g.state.PluginSettingsText.isEmpty());
    // Not "before the frame": the video plays after the channel changes.
    EXPECT_GT(log.IndexOf("video v.avi 1 0 0 0 0"), log.IndexOf("channels"));
}

class PluginCode : public PluginService {
  public:
    QString PerFrameCode() const override { return "PerFrame\r\n"; }
    QString CodeForFrameSettings(const QString& settings) const override {
        return "Settings(" + settings + ")";
    }
};

TEST_F(FrameSettingsTest, PluginCodeRunsWithoutAFrameScript) {
    FrameFile f;
    f.PluginSettings = "say \"x\"";
    ColourFrame("Plugged", 0, f);
    Start();
    PluginCode plugins;
    game->services.plugins = &plugins;
    game->OpenFrame("Plugged", false, 0, 0);
    ASSERT_EQ(scripts.texts.size(), 1);
    EXPECT_EQ(scripts.texts[0], "\r\nPerFrame\r\nSettings(say \"\"x\"\")\r\n");
}

class Gifs : public AnimatedObjectService {
  public:
    int AniGifNewWithIndex(int hotspot, const QString&, int left, int top, int speed) override {
        created << QStringLiteral("%1 %2 %3 %4").arg(hotspot).arg(left).arg(top).arg(speed);
        return static_cast<int>(created.size());
    }
    bool BoxVisible(int) const override { return visible; }
    void SetBoxVisible(int, bool v) override { visible = v; }
    void StartAnimation(int k) override { started << k; }
    QStringList created;
    QList<int> started;
    bool visible = false;
};

TEST_F(FrameSettingsTest, AnimatedHotspotsGoThroughTheAnimatedPictures) {
    ColourFrame("Zoo");
    AuthoredHotspot h;
    h.Left = 300;
    h.Top = 450;
    h.PictureKind = 1;
    h.HasPicture = true;
    h.PictureFile = "bird.gif";
    h.AnimationSpeed = 7;
    h.HasConditions = 1;
    h.ShowIfTrue = QStringList({"lamp"});
    WriteHotspots(t.project, "Zoo", {h});
    t.project.WriteText("Areas/bird.gif", "GIF89a");
    Gifs gifs;
    animated = &gifs;
    Game& g = Start();
    g.OpenFrame("Zoo", false, 0, 0);
    EXPECT_EQ(gifs.created, QStringList({"1 330 480 7"}));
    EXPECT_EQ(g.scene->AreaLink(1), 1);
    EXPECT_EQ(g.scene->AreaRectTwips(1).size(), QSize(15, 15));
    EXPECT_FALSE(gifs.visible);
    g.ChangeVariableValue("lamp", 1);
    g.ShowOrNotShowAreas();
    EXPECT_TRUE(gifs.visible);
    EXPECT_EQ(gifs.started, QList<int>({1}));
}

}  // namespace
}  // namespace storyloom::test
