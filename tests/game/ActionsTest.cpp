// Hotspot actions: finding the record, every group of the block, the order of the effects, the
// stop checks and damaged files.
#include <QFile>

#include "GameFixture.h"

namespace storyloom::test {
namespace {

class ActionsTest : public GameTest {
  protected:
    // Frame "Room" with `n` plain hotspots and the given actions; frames "Hall" and "Attic" to
    // go to.
    Game& Room(const std::vector<AuthoredAction>& actions, int hotspots = 3) {
        ColourFrame("Room", 0);
        ColourFrame("Hall", 255);
        ColourFrame("Attic", 0xFF0000);
        WriteHotspots(t.project, "Room", std::vector<AuthoredHotspot>(hotspots, AuthoredHotspot{}));
        WriteActions(t.project, "Room", actions);
        Game& g = Start();
        g.OpenFrame("Room", false, 0, 0);
        return g;
    }
    QString Frame() const { return game->state.frame.CurrentFrameName; }
};

AuthoredAction GoTo(const QString& frame) {
    AuthoredAction a;
    a.GoToFrameOn = 1;
    a.TargetFrame = frame;
    return a;
}

TEST_F(ActionsTest, RecordNumberFollowsTheHotspotAndMissingRecordsDoNothing) {
    Game& g = Room({GoTo("Hall"), GoTo("Attic")});
    EXPECT_EQ(g.MakeAction(3, 0, false), 0);
    EXPECT_EQ(Frame(), "Room");
    EXPECT_EQ(g.MakeAction(2, 0, false), 2);
    EXPECT_EQ(Frame(), "Attic");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ActionsTest, MergedActionFileWins) {
    ColourFrame("Room");
    ColourFrame("Hall");
    ColourFrame("Attic");
    WriteActions(t.project, "Room", {GoTo("Hall")}, "fm3");
    WriteActions(t.project, "Room", {GoTo("Attic")}, "mr3");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    g.MakeAction(1, 0, false);
    EXPECT_EQ(Frame(), "Attic");
}

TEST_F(ActionsTest, VariableChangesApplyInOrder) {
    AuthoredAction a;
    a.ChangeVariableOn = 1;
    a.ChangeVariableName = "lamp";
    a.SetFalse = true;
    a.Invert = true;
    AuthoredAction lists;
    lists.VariableListsOn = 1;
    lists.SetToZero = QStringList({"door_open"});
    lists.SetToOne = QStringList({"lamp", ""});
    lists.InvertList = QStringList({"lamp"});
    AuthoredAction listsOff = lists;
    listsOff.VariableListsOn = 0;
    Game& g = Room({a, lists, listsOff});
    g.ChangeVariableValue("lamp", 1);
    g.MakeAction(1, 0, false);
    EXPECT_EQ(g.GetVariableValue("lamp"), 1);  // 0, then inverted
    g.ChangeVariableValue("door_open", 1);
    g.MakeAction(2, 0, false);
    EXPECT_EQ(g.GetVariableValue("door_open"), 0);
    EXPECT_EQ(g.GetVariableValue("lamp"), 0);  // set to 1, then inverted
    g.MakeAction(3, 0, false);
    EXPECT_EQ(g.GetVariableValue("lamp"), 0);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ActionsTest, DisappearingHotspotHidesAtOnce) {
    AuthoredAction a;
    a.DisappearOn = true;
    Game& g = Room({a});
    ASSERT_TRUE(g.scene->AreaVisible(1));
    g.MakeAction(1, 0, false);
    EXPECT_FALSE(g.scene->AreaVisible(1));
    ASSERT_EQ(g.state.vars.Disappear.Count(), 1);
    EXPECT_EQ(g.state.vars.Disappear.Item(1)->Name, "Room");
    EXPECT_EQ(g.state.vars.Disappear.Item(1)->Value, 1);
}

TEST_F(ActionsTest, QuitKeepsEarlierEffectsSkipsTheRestAndEndsTheGame) {
    AuthoredAction a = GoTo("Hall");
    a.ChangeVariableOn = 1;
    a.ChangeVariableName = "lamp";
    a.SetTrue = true;
    a.DisappearOn = true;
    a.QuitGame = true;
    a.ScriptOn = true;
    a.ScriptCode = "x";
    a.ShowMessage = true;
    a.MessageText = "never";
    a.GiveItemOn = true;
    a.GiveItemName = "Key";
    Game& g = Room({a});
    EXPECT_EQ(g.MakeAction(1, 0, false), 1);
    EXPECT_EQ(g.GetVariableValue("lamp"), 1);
    EXPECT_EQ(g.state.vars.Disappear.Count(), 1);
    EXPECT_TRUE(scripts.texts.isEmpty());
    EXPECT_FALSE(log.Has("give Key"));
    EXPECT_EQ(Frame(), "Room");

    g.MakeActionAndConsequences(1, 0, false);
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_FALSE(g.WindowEnabled());
    t.loop.Advance(500);
    EXPECT_EQ(closedCount, 1);
}

TEST_F(ActionsTest, ShortRecordsUseTheDefaults) {
    AuthoredAction cutAfterTarget = GoTo("Hall");
    cutAfterTarget.TransitionOn = 1;
    cutAfterTarget.lastGroup = 0;
    AuthoredAction cutAfterLists;
    cutAfterLists.PlayHotspotSound = true;
    cutAfterLists.HotspotSoundFile = "hum.wav";
    cutAfterLists.RepeatHotspotSound = false;  // not written: the record ends before it
    cutAfterLists.lastGroup = 5;
    t.project.WriteText("Areas/hum.wav", "RIFF");
    Game& g = Room({cutAfterTarget, cutAfterLists});
    g.MakeAction(2, 0, false);
    EXPECT_EQ(g.ChannelPlayer(6).PlayCount(), 0);  // endless
    EXPECT_EQ(g.ChannelPlayer(6).Volume(), -1200);
    EXPECT_EQ(g.ChannelPlayer(6).PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(g.MakeAction(1, 0, false), 2);
    EXPECT_EQ(Frame(), "Hall");
    EXPECT_FALSE(log.Has("step1 0"));
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
}

TEST_F(ActionsTest, HotspotAndFrameSounds) {
    t.project.WriteText("Areas/hum.wav", "RIFF");
    t.project.WriteText("Areas/bell.wav", "RIFF");
    t.project.WriteText("Frames/door.wav", "RIFF");
    AuthoredAction hum;
    hum.PlayHotspotSound = true;
    hum.HotspotSoundFile = "hum.wav";
    hum.PlayFrameSound = true;
    hum.FrameSoundFile = "door.wav";
    AuthoredAction bell;
    bell.PlayHotspotSound = true;
    bell.HotspotSoundFile = "bell.wav";
    bell.RepeatHotspotSound = false;
    AuthoredAction bellNow = bell;
    bellNow.StopHotspotSound = 1;
    AuthoredAction stopFrame;
    stopFrame.StopFrameSound = true;
    Game& g = Room({hum, bell, bellNow, stopFrame}, 4);
    g.MakeAction(1, 0, false);
    MediaPlayer& music = g.ChannelPlayer(6);
    MediaPlayer& frame = g.ChannelPlayer(7);
    EXPECT_TRUE(music.FileName().endsWith("Areas\\hum.wav"));
    EXPECT_TRUE(frame.FileName().endsWith("Frames\\door.wav"));
    EXPECT_EQ(frame.Volume(), -800);
    EXPECT_EQ(frame.PlayCount(), 1);
    g.MakeAction(2, 0, false);  // the hotspot player is busy: left alone
    EXPECT_TRUE(music.FileName().endsWith("hum.wav"));
    g.MakeAction(3, 0, false);  // unless the action stops it first
    EXPECT_TRUE(music.FileName().endsWith("bell.wav"));
    EXPECT_EQ(music.PlayCount(), 1);
    g.MakeAction(4, 0, false);
    EXPECT_NE(frame.PlayState(), MediaPlayer::Playing);
}

TEST_F(ActionsTest, MessagesAsStripOrBox) {
    AuthoredAction strip;
    strip.ShowMessage = true;
    strip.MessageText = "12345678901234567890";
    strip.MessageMode = true;
    AuthoredAction box = strip;
    box.MessageMode = false;
    box.MessageText = "In a box";
    general.GameName = "My Game";
    Game& g = Room({strip, box});
    g.MakeAction(1, 0, false);
    EXPECT_TRUE(g.MessageStripVisible());
    EXPECT_EQ(g.MessageStripText(), "12345678901234567890");
    EXPECT_EQ(g.MessageTimerInterval(), 2400);
    t.loop.Advance(2399);
    EXPECT_TRUE(g.MessageStripVisible());
    t.loop.Advance(1);
    EXPECT_FALSE(g.MessageStripVisible());

    g.MakeAction(2, 0, false);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, "In a box");
    EXPECT_EQ(t.Boxes()[0].title, "My Game");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Information);
    EXPECT_FALSE(g.MessageStripVisible());
}

TEST_F(ActionsTest, ScriptRunsWithQuotesAndItsRequestsAreCarriedOut) {
    AuthoredAction a;
    a.ScriptOn = true;
    a.ScriptCode = "GoToFrame \"Hall\"";
    Game& g = Room({a});
    scripts.onRun = [](const QString&, ScriptRequests& r) {
        r.sFrameToLoad = "Hall";
        r.dTransitionDuration = 2;
        r.iTransitionNumber = 4;
        return true;
    };
    EXPECT_EQ(g.MakeAction(1, 0, false), 2);
    ASSERT_EQ(scripts.texts.size(), 1);
    EXPECT_EQ(scripts.texts[0], "\r\nGoToFrame \"Hall\"");
    EXPECT_FALSE(scripts.resets[0]);
    EXPECT_EQ(scripts.requests.iHotspotNumber, 0);  // the next frame's opening cleared it
    EXPECT_EQ(Frame(), "Hall");
    EXPECT_TRUE(log.Has("step1 4"));
    EXPECT_TRUE(log.Has("step2 4 2"));
    EXPECT_TRUE(log.Has("close dialogue"));
}

TEST_F(ActionsTest, ScriptStopRequestPreventsTheRestOfTheAction) {
    AuthoredAction a = GoTo("Hall");
    a.ScriptOn = true;
    a.ScriptCode = "Quit";
    a.GiveItemOn = true;
    a.GiveItemName = "Key";
    a.ShowMessage = true;
    a.MessageText = "no";
    a.MessageMode = true;
    a.PlayVideoOn = 1;
    a.VideoFile = "v.avi";
    Game& g = Room({a});
    scripts.onRun = [](const QString&, ScriptRequests& r) {
        r.bStopGame = true;
        return true;
    };
    EXPECT_EQ(g.MakeAction(1, 0, false), 1);
    EXPECT_FALSE(log.Has("give Key"));
    EXPECT_FALSE(g.MessageStripVisible());
    EXPECT_FALSE(log.Has("video v.avi 1 0 0 0 0"));
    EXPECT_EQ(Frame(), "Room");
}

TEST_F(ActionsTest, LastVisitedFrameRequestsAndLinks) {
    AuthoredAction back;
    back.GoToLastVisited = true;
    AuthoredAction script;
    script.ScriptOn = true;
    script.ScriptCode = "GoToFrame \"last visited frame\"";
    Game& g = Room({back, script, GoTo("Hall")});
    scripts.onRun = [](const QString& text, ScriptRequests& r) {
        if (text.contains("last visited")) r.sFrameToLoad = "LAST VISITED FRAME";
        return true;
    };
    // Only the current frame in the history: nothing changes, timed events start again.
    const int event = g.AddTimedEvent("tick", 1, true);
    EXPECT_EQ(g.MakeAction(2, 0, false), 0);
    EXPECT_EQ(g.MakeAction(1, 0, false), 0);
    EXPECT_EQ(Frame(), "Room");
    EXPECT_TRUE(g.TimedEventRunning(event));

    g.OpenFrame("Attic", false, 0, 0);
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Room", "Attic", "Room"}));
    EXPECT_EQ(g.MakeAction(1, 0, false), 2);
    EXPECT_EQ(Frame(), "Attic");
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Room", "Attic"}));
}

TEST_F(ActionsTest, TransitionFieldsGiveTheTransitionOfTheJump) {
    AuthoredAction a = GoTo("Hall");
    a.TransitionOn = 1;
    a.TransitionDurationMs = 1500;
    a.TransitionNumber = 3;
    AuthoredAction notOne = a;
    notOne.TransitionOn = 2;  // only 1 switches it on
    Game& g = Room({a, notOne});
    g.MakeAction(1, 0, false);
    EXPECT_TRUE(log.Has("step1 3"));
    EXPECT_TRUE(log.Has("step2 3 1.5"));
    log.calls.clear();
    g.OpenFrame("Room", false, 0, 0);
    g.MakeAction(2, 0, false);
    EXPECT_FALSE(log.Has("step1 3"));
    EXPECT_EQ(Frame(), "Hall");
}

TEST_F(ActionsTest, ItemDropsFindTheirRecordByKey) {
    ColourFrame("Room");
    ColourFrame("Hall");
    WriteHotspots(t.project, "Room", std::vector<AuthoredHotspot>(3, AuthoredHotspot{}));
    AuthoredAction other = GoTo("Nowhere");
    other.DropKey = "2_key.drg";
    AuthoredAction match = GoTo("Hall");
    match.DropKey = "3_KEY.DRG";
    match.DisappearOn = true;
    WriteActions(t.project, "Room", {other, match}, "fm0");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    inventory.itemName = "Key";
    EXPECT_EQ(g.MakeAction(1, 1, false), 0);  // no record for hotspot 1
    EXPECT_EQ(Frame(), "Room");
    EXPECT_EQ(g.MakeAction(3, 1, false), 2);
    EXPECT_EQ(Frame(), "Hall");
    EXPECT_TRUE(log.Has("use up 1"));  // the dropped item is used up, no hotspot hidden
    EXPECT_EQ(g.state.vars.Disappear.Count(), 0);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ActionsTest, DroppingAnItemOnAHotspotRunsItsDropAction) {
    ColourFrame("Room");
    ColourFrame("Hall");
    AuthoredHotspot h;
    h.Left = 300;
    h.Top = 300;
    WriteHotspots(t.project, "Room", {h});
    AuthoredAction match = GoTo("Hall");
    match.DropKey = "1_key.drg";
    WriteActions(t.project, "Room", {match}, "fm0");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    inventory.dragged = 1;
    g.Area_DragDrop(1, "Label1", 15, 15);  // not an item picture: nothing
    EXPECT_EQ(Frame(), "Room");
    g.Area_DragDrop(1, "PICKEDOBJECT", 150, 30);
    EXPECT_EQ(Frame(), "Hall");
    EXPECT_EQ(g.state.LastClickX, 32);
    EXPECT_EQ(g.state.LastClickY, 24);
}

TEST_F(ActionsTest, ChannelEntriesAndItemsAndPlugins) {
    AuthoredAction a;
    a.FadeDurationMs = 2500;
    a.ChannelFieldCount = 5;
    a.Channels = {AuthoredChannelEntry{4, true, false, 6, "a.wav"},
                  AuthoredChannelEntry{3, false, true, 2, ""}};
    a.GiveItemOn = true;
    a.GiveItemName = "Lamp";
    AuthoredAction fewFields;
    fewFields.ChannelFieldCount = 2;
    fewFields.Channels = {AuthoredChannelEntry{4, true, false, 0, ""},
                          AuthoredChannelEntry{3, false, false, 0, ""}};
    AuthoredAction tooMany = a;
    tooMany.ChannelFieldCount = 6;
    tooMany.GiveItemName = "Never";
    Game& g = Room({a, fewFields, tooMany});
    g.state.SoundChannels[1].Volume = 9;
    g.MakeAction(1, 0, false);
    EXPECT_DOUBLE_EQ(g.state.AudioFadeDuration, 2.5);
    const SoundChannel& c1 = g.state.SoundChannels[1];
    EXPECT_EQ(c1.Mode, 4);
    EXPECT_TRUE(c1.CrossFade);
    EXPECT_EQ(c1.PreviousVolume, 9);
    EXPECT_EQ(c1.Volume, 6);
    EXPECT_EQ(c1.FileName, "a.wav");
    EXPECT_FALSE(c1.KeepIfPlaying);
    EXPECT_TRUE(g.state.SoundChannels[2].Repeat);
    EXPECT_TRUE(log.Has("give Lamp"));
    EXPECT_TRUE(log.Has("channels"));  // no frame change: the changes start now

    g.MakeAction(2, 0, false);
    // Values an entry leaves out keep the previous entry's (the first entry's are empty).
    EXPECT_EQ(g.state.SoundChannels[2].Mode, 3);
    EXPECT_FALSE(g.state.SoundChannels[2].CrossFade);
    EXPECT_EQ(g.state.SoundChannels[1].FileName, "");

    g.MakeAction(3, 0, false);
    EXPECT_FALSE(log.Has("give Never"));
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
}

TEST_F(ActionsTest, DamagedRecordsShowTheBoxAndTheGameGoesOn) {
    AuthoredAction wrongType = GoTo("Hall");
    wrongType.rawField = 12;  // GoToFrameOn
    wrongType.rawText = "\"yes\"";
    AuthoredAction good = GoTo("Hall");
    Game& g = Room({wrongType, good});
    // A third record cut in the middle of a group.
    QFile file(t.project.NativePath("FramesData/Room.fm3"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n\"lamp\"\r\n#FALSE#\r\n");
    file.close();

    EXPECT_EQ(g.MakeAction(1, 0, false), 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(
        t.Boxes()[0].text,
        ErrorText(" Unable to make the action associated with the hotspot #1. Type mismatch"));
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(g.MakeAction(3, 0, false), 0);
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[1].text, ErrorText(" Unable to make the action associated with the hotspot "
                                           "#3. Input past end of file"));
    EXPECT_EQ(g.MakeAction(2, 0, false), 2);
    EXPECT_EQ(Frame(), "Hall");
}

TEST_F(ActionsTest, EmptyOrMissingActionFilesDoNothing) {
    ColourFrame("Room");
    ColourFrame("Bare");
    t.project.WriteText("FramesData/Room.fm3", "");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_EQ(g.MakeAction(1, 0, false), 0);
    g.OpenFrame("Bare", false, 0, 0);
    EXPECT_EQ(g.MakeAction(1, 0, false), 0);
    t.project.WriteText("FramesData/Bare.fm3", "\"----- SEPARATOR -----\"\r\n");
    EXPECT_EQ(g.MakeAction(1, 0, false), 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
}

TEST_F(ActionsTest, FrameLinkingToItselfKeepsOneHistoryEntry) {
    Game& g = Room({GoTo("Room")});
    for (int i = 0; i < 30; ++i) EXPECT_EQ(g.MakeAction(1, 0, false), 2);
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Room"}));
    EXPECT_TRUE(g.scene->AreaVisible(1));
}

TEST_F(ActionsTest, ScriptsRunFromElsewhereGetTheSameConsequences) {
    Game& g = Room({});
    scripts.onRun = [](const QString& text, ScriptRequests& r) {
        if (text == "fail") return false;
        if (text == "go") r.sFrameToLoad = "Hall";
        if (text == "save") r.bPopupSaveGame = true;
        if (text == "load") r.bPopupLoadGame = true;
        return true;
    };
    EXPECT_TRUE(g.ExecuteVBScriptAndConsequences("fail", true));
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("save", true));
    EXPECT_TRUE(log.Has("save window"));
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("load", true));
    EXPECT_TRUE(log.Has("load window"));
    log.calls.clear();
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("go", true));
    EXPECT_EQ(Frame(), "Hall");
    EXPECT_FALSE(log.Has("close dialogue"));
}

}  // namespace
}  // namespace storyloom::test
