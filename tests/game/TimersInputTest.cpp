// Timed events, the frame timer's targets, input rules, menus, shutdown and the game reset.
#include <QDir>

#include "GameFixture.h"

namespace storyloom::test {
namespace {

using TimedEventsTest = GameTest;
using InputTest = GameTest;
using ShutdownResetTest = GameTest;

TEST_F(TimedEventsTest, OneShotRepeatingAndFailingEvents) {
    ColourFrame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    scripts.onRun = [](const QString& text, ScriptRequests&) { return text != "bad"; };
    const int once = g.AddTimedEvent("once", 1, false);
    const int again = g.AddTimedEvent("again", 0.5, true);
    const int bad = g.AddTimedEvent("bad", 0.5, true);
    EXPECT_FALSE(g.TimedEventRunning(once));  // created stopped
    t.loop.Advance(3000);
    EXPECT_TRUE(scripts.texts.isEmpty());
    g.StartTimedEvents();
    t.loop.Advance(2000);
    EXPECT_EQ(scripts.texts.count("once"), 1);
    EXPECT_EQ(scripts.texts.count("again"), 4);
    EXPECT_EQ(scripts.texts.count("bad"), 1);  // switched off for good by its failure
    EXPECT_FALSE(g.TimedEventTable()[static_cast<size_t>(bad)].EventActive);
    EXPECT_FALSE(g.TimedEventTable()[static_cast<size_t>(once)].EventActive);
    EXPECT_TRUE(scripts.resets.back());

    g.PauseTimedEvents();
    t.loop.Advance(2000);
    EXPECT_EQ(scripts.texts.count("again"), 4);
    g.StartTimedEvents();
    t.loop.Advance(500);
    EXPECT_EQ(scripts.texts.count("again"), 5);
    EXPECT_TRUE(g.RemoveTimedEvent(again));
    t.loop.Advance(2000);
    EXPECT_EQ(scripts.texts.count("again"), 5);
}

TEST_F(TimedEventsTest, FrameOpeningClearsEventsAndAnEventCanChangeTheFrame) {
    ColourFrame("Start");
    ColourFrame("Hall", 255);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    g.AddTimedEvent("lost", 1, true);
    g.OpenFrame("Hall", false, 0, 0);
    t.loop.Advance(3000);
    EXPECT_FALSE(scripts.texts.contains("lost"));
    EXPECT_EQ(g.TimedEventTable().size(), 1u);

    scripts.onRun = [](const QString& text, ScriptRequests& r) {
        if (text == "go") r.sFrameToLoad = "Start";
        return true;
    };
    g.AddTimedEvent("go", 1, true);
    g.StartTimedEvents();
    t.loop.Advance(1000);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    t.loop.Advance(5000);
    EXPECT_EQ(scripts.texts.count("go"), 1);  // the opening removed the repeating event
}

TEST_F(TimedEventsTest, FrameTimerTargets) {
    FrameFile quit;
    quit.FrameTimerEnabled = true;
    quit.FrameTimerDuration = 1;
    quit.FrameTimerTarget = "[QUIT]";
    ColourFrame("Quit", 0, quit);
    FrameFile back = quit;
    back.FrameTimerTarget = "[Last Visited Frame]";
    back.FrameTimerTransition = true;
    back.FrameTimerTransitionDuration = 800;
    back.FrameTimerTransitionNumber = 6;
    ColourFrame("Back", 0, back);
    ColourFrame("Start");
    Game& g = Start();
    g.OpenFrame("Back", false, 0, 0);
    t.loop.Advance(3000);  // one entry in the history: nothing, each time
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Back");
    EXPECT_FALSE(log.Has("step1 6"));
    g.OpenFrame("Start", false, 0, 0);
    g.OpenFrame("Back", false, 0, 0);
    t.loop.Advance(1000);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_TRUE(log.Has("step1 6"));
    EXPECT_TRUE(log.Has("step2 6 0.8"));
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Back", "Start"}));

    g.OpenFrame("Quit", false, 0, 0);
    t.loop.Advance(1000);
    EXPECT_TRUE(t.program.StopRequested);
    t.loop.Advance(500);
    EXPECT_EQ(closedCount, 1);
}

TEST_F(TimedEventsTest, FrameTimerWaitsWhileTheInventorySlides) {
    FrameFile f;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 2;
    f.FrameTimerTarget = "Hall";
    ColourFrame("Start", 0, f);
    ColourFrame("Hall");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    inventory.moving = true;
    t.loop.Advance(2000);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_EQ(g.FrameTimerInterval(), 1000);
    inventory.moving = false;
    t.loop.Advance(1000);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
}

class InputRoom : public InputTest {
  protected:
    Game& Room(int height = 120) {
        general.ProjectWidth = 160;
        general.ProjectHeight = height;
        ColourFrame("Room");
        ColourFrame("Hall", 255);
        AuthoredHotspot h;
        h.Left = 1500;
        h.Top = 600;
        h.Width = 450;
        h.Height = 450;
        WriteHotspots(t.project, "Room", {h});
        AuthoredAction a;
        a.GoToFrameOn = 1;
        a.TargetFrame = "Hall";
        WriteActions(t.project, "Room", {a});
        Game& g = Start();
        g.OpenFrame("Room", false, 0, 0);
        return g;
    }
};

TEST_F(InputRoom, ClickOnAHotspotRunsItsActionAndKeepsThePosition) {
    Game& g = Room();
    ASSERT_EQ(g.HotspotAt(105, 45), 1);
    EXPECT_EQ(g.HotspotAt(5, 5), 0);
    g.MouseDownAt(5, 5, MouseButton::Left);  // beside it: nothing
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
    EXPECT_EQ(g.state.LastClickX, 105);
    EXPECT_EQ(g.state.LastClickY, 45);
    EXPECT_TRUE(log.Has("pick 1"));
}

TEST_F(InputRoom, AStripOverAHotspotTakesTheClick) {
    Game& g = Room(60);
    ASSERT_EQ(g.HotspotAt(105, 45), 1);
    g.ShowTextMessage("Over the hotspot", true, true);
    EXPECT_EQ(g.HotspotAt(105, 45), 0);
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_FALSE(g.MessageStripVisible());
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
}

TEST_F(InputRoom, ClickPositionIsKeptInPixelsOfThePicture) {
    Game& g = Room();
    g.Area_MouseDown(1, MouseButton::Left, 0, 150, 300);  // control at (1530, 630) twips
    EXPECT_EQ(g.state.LastClickX, 112);
    EXPECT_EQ(g.state.LastClickY, 62);
}

TEST_F(InputRoom, RightClicksToggleTheMenusAndOpenSubmenusSwallowTheNextClick) {
    Game& g = Room();
    EXPECT_FALSE(g.menus.ExitVisible);
    g.MouseDownAt(5, 5, MouseButton::Right);
    EXPECT_TRUE(g.menus.ExitVisible);
    EXPECT_TRUE(g.menus.SaveGameVisible);
    g.MouseDownAt(5, 5, MouseButton::Right);
    EXPECT_FALSE(g.menus.ExitVisible);

    g.MouseDownAt(105, 45, MouseButton::Right);  // on a hotspot: the menus, not the action
    EXPECT_TRUE(g.menus.ExitVisible);
    g.mnuOptions_Click();
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_FALSE(g.menus.ExitVisible);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
}

TEST_F(InputRoom, MenuRulesFollowTheProjectSettings) {
    general.DisableSaveGame = true;
    general.NoEffectsOption = true;
    Game& g = Room();
    g.ShowMenus();
    EXPECT_TRUE(g.menus.ExitVisible);
    EXPECT_FALSE(g.menus.SaveGameVisible);
    EXPECT_TRUE(g.menus.OptionsVisible);
    EXPECT_TRUE(g.menus.DisableTransitionsVisible);
    EXPECT_FALSE(g.menus.DisableEffectsVisible);
    t.dialogs.QueueAnswer("No");
    EXPECT_TRUE(g.RunMenuCommand("Exit"));
    EXPECT_FALSE(t.program.StopRequested);
    EXPECT_EQ(t.Boxes().back().text, t.program.Messages(10));
    EXPECT_FALSE(g.RunMenuCommand("Save game..."));
}

TEST_F(InputRoom, NeverShowMenusAndRunInWindow) {
    general.NeverShowMenus = true;
    Game& g = Room();
    g.MouseDownAt(5, 5, MouseButton::Right);
    EXPECT_FALSE(g.menus.ExitVisible);
}

TEST_F(InputRoom, ClicksAreIgnoredWhileAVideoPlaysOrTheInventorySlides) {
    Game& g = Room();
    inventory.moving = true;
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
    inventory.moving = false;
    video.playsForMs = 10000;
    video.PlayMovieWithStop("v.avi", false, 0, 0, 0, 0);
    g.MouseDownAt(105, 45, MouseButton::Left);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
    EXPECT_TRUE(g.state.StopMovie);
}

TEST_F(InputRoom, KeysSaveLoadExitAndTheDebugSequence) {
    general.DisableSaveGame = true;
    Game& g = Room();
    g.Form_KeyDown('S', forms::kCtrlMask);
    g.Form_KeyDown('S', forms::kCtrlMask | forms::kShiftMask);
    EXPECT_FALSE(log.Has("save window"));
    g.Form_KeyDown('L', forms::kCtrlMask | forms::kShiftMask);
    EXPECT_FALSE(log.Has("load window"));
    g.Form_KeyDown('L', forms::kCtrlMask);
    EXPECT_TRUE(log.Has("load window"));

    for (int key : Game::kDebugSequence) g.Form_KeyDown(key, 0);
    EXPECT_TRUE(g.menus.DebugVisible);
    g.HideMenus();
    g.Form_KeyDown(Game::kDebugSequence[0], 0);
    g.Form_KeyDown(Game::kDebugSequence[1], 0);
    g.Form_KeyDown('A', 0);
    g.Form_KeyDown(Game::kDebugSequence[2], 0);
    g.Form_KeyDown(Game::kDebugSequence[3], 0);
    EXPECT_FALSE(g.menus.DebugVisible);

    t.dialogs.QueueAnswer("Yes");
    g.Form_KeyDown('Q', forms::kCtrlMask);
    EXPECT_TRUE(t.program.StopRequested);
    g.Form_KeyDown('L', forms::kCtrlMask);  // the window no longer takes keys
    EXPECT_EQ(log.calls.count("load window"), 1);
}

TEST_F(InputRoom, EscapeTogglesTheMenusButOnlyStopsAVideo) {
    Game& g = Room();
    g.Form_KeyDown(kKeyEscape, 0);
    EXPECT_TRUE(g.menus.ExitVisible);
    g.Form_KeyDown(kKeyEscape, 0);
    EXPECT_FALSE(g.menus.ExitVisible);
    video.playsForMs = 10000;
    video.PlayMovieWithStop("v.avi", false, 0, 0, 0, 0);
    g.state.StopMovie = false;
    g.Form_KeyDown(kKeyEscape, 0);
    EXPECT_FALSE(g.menus.ExitVisible);
    EXPECT_TRUE(g.state.StopMovie);
    EXPECT_TRUE(t.program.InterruptTransition);
}

TEST_F(InputRoom, PointersFollowTheDefaultCursorSetting) {
    Game& g = Room();
    t.program.info.DefaultCursorFile = "DEFAULT";
    g.SetScreenPointerArrow();
    EXPECT_EQ(g.Screen().pointer, forms::MousePointer::Arrow);
    g.SetScreenPointerDefault();
    EXPECT_EQ(g.Screen().pointer, forms::MousePointer::Default);
}

TEST_F(InputRoom, ClickOnTheMessageStripHidesIt) {
    Game& g = Room();
    g.ShowTextMessage("Hello there", true, true);
    EXPECT_TRUE(g.MessageStripVisible());
    EXPECT_FALSE(g.MessageTimerArmed());  // kept until clicked
    t.loop.Advance(60000);
    EXPECT_TRUE(g.MessageStripVisible());
    g.MouseDownAt(80, 118, MouseButton::Left);
    EXPECT_FALSE(g.MessageStripVisible());

    g.ShowTextMessage("first", true, false);
    t.loop.Advance(1000);
    g.ShowTextMessage("second message", true, false);  // the countdown starts over
    EXPECT_EQ(g.MessageStripText(), "second message");
    t.loop.Advance(1900);
    EXPECT_TRUE(g.MessageStripVisible());
    g.ShowTextMessage("[HIDE]", true, false);
    EXPECT_FALSE(g.MessageStripVisible());
}

TEST_F(InputRoom, MessageStripSitsOnTheBottomEdgeOfThePicture) {
    Game& g = Room();
    g.ShowTextMessage("Hi", true, false);
    const QRect strip = g.FrameMessageBox->PixelRect();
    EXPECT_EQ(strip.left(), 0);
    EXPECT_EQ(strip.width(), 160);
    EXPECT_EQ(strip.bottom(), 119);
    EXPECT_EQ(g.RenderFrame().pixel(1, 119), qRgb(0, 0, 0));
}

TEST_F(InputRoom, DebugCommands) {
    QStringList names;
    for (int i = 1; i <= 30; ++i) names << QStringLiteral("v%1").arg(i);
    t.project.WriteVariables(names);
    Game& g = Room();
    g.ChangeVariableValue("v2", 1);
    g.mnuViewVariables_Click();
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[0].title, "Variables Status");
    EXPECT_TRUE(t.Boxes()[0].text.contains("\r\nv2 = 1\r\n"));
    EXPECT_TRUE(t.Boxes()[1].text.startsWith(QString(52, ' ') + "\r\n"));
    EXPECT_TRUE(t.Boxes()[1].text.endsWith("\r\n\r\n"));

    t.dialogs.QueueAnswer("Cancel");
    g.mnuExecuteVBScript_Click();
    EXPECT_TRUE(scripts.texts.isEmpty());
    t.dialogs.QueueAnswer("lamp = 1");
    g.mnuExecuteVBScript_Click();
    EXPECT_EQ(scripts.texts, QStringList({"lamp = 1"}));
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kExecuteVBScriptCode), "lamp = 1");
    EXPECT_EQ(t.Boxes().back().title, "Execute VBScript Code (for advanced users)");
    g.mnuExecuteVBScript_Click();  // unanswered: the stored code is offered again and runs
    EXPECT_EQ(scripts.texts.size(), 2);

    g.mnuEditProcedures_Click();
    EXPECT_EQ(t.Boxes().back().title, "Not Available");
    EXPECT_EQ(t.Boxes().back().text,
              "This command is not available in the compiled version of the project.");
    g.menus.FrameNames = QStringList({"Hall"});
    g.menus.DebugVisible = true;
    EXPECT_TRUE(g.RunMenuCommand("hall"));
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
}

TEST_F(ShutdownResetTest, SecondStopRequestStartsTheHalfSecondOver) {
    ColourFrame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    g.StartUnloading();
    EXPECT_EQ(g.Screen().pointer, forms::MousePointer::Hourglass);
    t.loop.Advance(300);
    g.StartUnloading();
    t.loop.Advance(499);
    EXPECT_EQ(closedCount, 0);
    t.loop.Advance(1);
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(g.Screen().pointer, forms::MousePointer::Default);
    t.loop.Advance(2000);
    EXPECT_EQ(closedCount, 1);
    EXPECT_FALSE(t.program.ProgramRunning);
    // Nothing opens after the stop.
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ShutdownResetTest, ResetAfterPlayingStartsFromNothing) {
    FrameFile f;
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 5;
    f.FrameTimerTarget = "Start";
    ColourFrame("Start", 0, f);
    ColourFrame("a");
    t.project.WriteText("Frames/.fme", "0\r\n");
    t.project.MakeFolder("Frames/sub.fme");
    t.project.WriteMore("General", "ScriptTimeOut", "5");
    Game& g = Start();
    EXPECT_EQ(scripts.mainTimeouts, std::vector<int>({5000}));
    QStringList frames = g.menus.FrameNames;
    frames.sort();
    EXPECT_EQ(frames, QStringList({"Start", "a"}));
    g.OpenFrame("Start", false, 0, 0);
    g.ChangeVariableValue("lamp", 1);
    g.state.vars.Disappear.Add("Start", 1);
    g.AddTimedEvent("x", 1, true);
    g.ResetAll();
    EXPECT_EQ(g.GetVariableValue("lamp"), 0);
    EXPECT_EQ(g.state.vars.Disappear.Count(), 0);
    EXPECT_EQ(g.state.History.Count(), 0);
    EXPECT_FALSE(g.FrameTimerArmed());
    EXPECT_EQ(g.TimedEventTable().size(), 1u);
    EXPECT_EQ(game->state.frame.ControlsReferencePolicy, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
}

TEST_F(ShutdownResetTest, NewGameRunsTheStartScriptAndOpensTheInitialFrame) {
    ColourFrame("Start", 255);
    Game& g = Start();
    g.StartNewGame();
    EXPECT_EQ(scripts.texts.value(0), "<on load>");
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_EQ(g.RenderFrame().pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(ShutdownResetTest, ScriptTimeOutOfZeroLeavesTheEngineAlone) {
    t.project.WriteMore("General", "ScriptTimeOut", "0");
    ColourFrame("Start");
    Start();
    EXPECT_TRUE(scripts.mainTimeouts.empty());
}

}  // namespace
}  // namespace storyloom::test
