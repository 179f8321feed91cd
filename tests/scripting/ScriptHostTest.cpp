// The script host: the program it builds, its boxes, the time limit, the script timers, the
// start-up scripts and the choice of exposing the game window.
#include "ScriptFixture.h"

namespace storyloom::test {
namespace {

const QString kCreateObjectWarning = QStringLiteral(
    "WARNING! The VBScript code makes calls to the \"CreateObject\" function, which for security "
    "reasons is not allowed.\r\n\r\nPlease remove the calls to that function and try again.");

TEST_F(ScriptTest, SnippetCallsProjectProceduresAndItsOwnDefinitions) {
    t.project.WriteProcedures({"Function Twice(x)", "  Twice = x * 2", "End Function"});
    Start();
    EXPECT_TRUE(Run("Score = Twice(21)"));
    EXPECT_EQ(Var("Score"), 42);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ScriptTest, GameVariablesAreObjectsWithNameAndDefaultValue) {
    Start();
    EXPECT_TRUE(Run("door_open = door_open + 1"));
    EXPECT_TRUE(Run("door_open = door_open + 1"));
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_TRUE(Run("PlayerName = \"Ann\" & door_open.Name"));
    EXPECT_TRUE(Run("If PlayerName.Value = \"Anndoor_open\" Then Score.Value = 7"));
    EXPECT_EQ(Var("Score"), 7);
    // Script-level variables do not survive from one run to the next.
    EXPECT_TRUE(Run("Dim kept : If IsEmpty(kept) Then Score = 1"));
    EXPECT_EQ(Var("Score"), 1);
}

TEST_F(ScriptTest, RunErrorBoxNamesTheLineOfTheScript) {
    t.project.WriteProcedures({"Sub Nothing1()", "End Sub"});
    Start();
    EXPECT_FALSE(Run("Score = 1\r\nScore = 1 / 0"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, t.program.Messages(29));
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Division by zero (line 2 of the script)"));
    EXPECT_EQ(Var("Score"), 1);  // what ran before the failure stays
}

TEST_F(ScriptTest, RunErrorInsideAProcedureNamesTheProceduresLine) {
    t.project.WriteProcedures({"Sub Fail()", "  Dim a", "  a = 1 / 0", "End Sub"});
    Start();
    EXPECT_FALSE(Run("Fail"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              RunErrorBox("Division by zero (line 3 of the project procedures)"));
}

TEST_F(ScriptTest, IntegerVariablesKeepTheir16BitRange) {
    Start();
    EXPECT_FALSE(Run("Score = 40000"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Overflow (line 1 of the script)"));
    EXPECT_EQ(Var("Score"), 0);
}

TEST_F(ScriptTest, SyntaxErrorShowsTheAddingBoxThenTheRunBox) {
    Start();
    EXPECT_FALSE(Run("If Then"));
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(ReservedBox(QString())));
    EXPECT_TRUE(t.Boxes()[0].text.endsWith("(line 1 of the script)"))
        << t.Boxes()[0].text.toStdString();
    EXPECT_TRUE(t.Boxes()[1].text.startsWith(RunErrorBox(QString())));
}

TEST_F(ScriptTest, VariableNamedLikeAFixedObjectFailsTheAdding) {
    t.project.WriteVariables({QStringLiteral("Hotspot")});
    Start();
    EXPECT_FALSE(Run("Dim x"));
    ASSERT_GE(t.Boxes().size(), 1u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(ReservedBox(QString())))
        << t.Boxes()[0].text.toStdString();
}

TEST_F(ScriptTest, CreateObjectCallsAreRefusedUntilAllowed) {
    Start();
    EXPECT_TRUE(Run("Score = 3 : Set o = CreateObject(\"Scripting.FileSystemObject\")"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "VBScript Execution Aborted");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text, kCreateObjectWarning);
    EXPECT_EQ(Var("Score"), 0);  // the run did nothing

    // Lower case is not caught by the check; the library's own CreateObject answers.
    t.dialogs.shown.clear();
    EXPECT_TRUE(Run("Set o = createobject(\"x\")"));
    ASSERT_EQ(t.Boxes().size(), 1u) << BoxTexts().join("|").toStdString();
    EXPECT_EQ(t.Boxes()[0].title, "Unavailable Function");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Information);
    EXPECT_EQ(t.Boxes()[0].text,
              "For security reasons, the \"CreateObject\" function is disabled in this version "
              "of VBScript.");

    t.project.WriteMore("General", "AllowCreateObject", "1");
    t.dialogs.shown.clear();
    // Allowed: the engine's own objects can be created.
    EXPECT_TRUE(
        Run("Set o = CreateObject(\"Scripting.Dictionary\") : o.Add \"k\", 5 : "
            "Score = o(\"k\")"));
    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_EQ(Var("Score"), 5);
}

TEST_F(ScriptTest, CreateObjectInTheProceduresRefusesEveryRun) {
    t.project.WriteProcedures({"Sub Make()", "  Set o = CreateObject(\"x\")", "End Sub"});
    Start();
    EXPECT_TRUE(Run("Score = 1"));
    EXPECT_TRUE(Run("Score = 2"));
    EXPECT_EQ(Var("Score"), 0);
    // The game reset prepared the second engine with the same check: three refusals.
    EXPECT_EQ(BoxTexts(),
              QStringList({kCreateObjectWarning, kCreateObjectWarning, kCreateObjectWarning}));
}

TEST_F(ScriptTest, NothingRunsOnceShutdownHasBegun) {
    Start();
    t.program.StopRequested = true;
    EXPECT_TRUE(Run("Score = 1 / 0"));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ScriptTest, EndlessLoopEndsAtTheTimeLimitAndTheGameGoesOn) {
    t.project.WriteMore("General", "ScriptTimeOut", "1");
    Start();
    EXPECT_EQ(host.ScriptControl.Timeout(), 1000);
    EXPECT_FALSE(Run("Score = 1\r\nDo\r\nLoop"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(RunErrorBox("Script execution timed out")));
    EXPECT_TRUE(Run("Score = 2"));
    EXPECT_EQ(Var("Score"), 2);
}

TEST_F(ScriptTest, EndlessRecursionIsARunError) {
    t.project.WriteProcedures({"Sub Deeper(n)", "  Deeper n + 1", "End Sub"});
    Start();
    EXPECT_FALSE(Run("Deeper 1"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(RunErrorBox("Out of stack space")))
        << t.Boxes()[0].text.toStdString();
    EXPECT_TRUE(Run("Score = 3"));
    EXPECT_EQ(Var("Score"), 3);
}

TEST_F(ScriptTest, DisableScriptTimeoutVariableLiftsTheLimitOfBothEngines) {
    t.project.WriteMore("General", "ScriptTimeOut", "2");
    t.project.WriteVariables({QStringLiteral("Disable_Script_Timeout")});
    Frame("Start");
    Game& g = Start();
    EXPECT_EQ(host.ScriptControl.Timeout(), 2000);
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(host.ScriptControl.Timeout(), -1);
    EXPECT_EQ(host.ScriptControl2.Timeout(), -1);
}

TEST_F(ScriptTest, ScriptTimersCallTheirProcedureAtEveryTick) {
    t.project.WriteProcedures({"Sub TimerObject1()", "  Score = Score + 1", "End Sub"});
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("If LoadControl(TimerObject(1)) Then\r\n"
            "  TimerObject(1).Interval = 100\r\n"
            "  TimerObject(1).Enabled = True\r\n"
            "End If"));
    t.loop.Advance(350);
    EXPECT_EQ(Var("Score"), 3);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ScriptTest, TimerWithoutItsProcedureShowsTheBoxAtEveryTickAndKeepsTicking) {
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("LoadControl TimerObject(3)\r\nTimerObject(3).Interval = 100\r\n"
            "TimerObject(3).Enabled = True"));
    t.loop.Advance(300);
    ASSERT_EQ(t.Boxes().size(), 3u);
    for (const auto& box : t.Boxes())
        EXPECT_TRUE(box.text.startsWith(RunErrorBox(QString()))) << box.text.toStdString();
    EXPECT_TRUE(host.TimerObject->Item(3)->TimerEnabled());
    EXPECT_TRUE(Run("Score = 9"));
    EXPECT_EQ(Var("Score"), 9);
}

TEST_F(ScriptTest, TimerRequestsOpenFramesAndLastVisitedFrameNeedsTwo) {
    t.project.WriteProcedures({"Sub TimerObject1()", "  GoToFrame PlayerName, 0, 0", "End Sub"});
    Frame("Start");
    Frame("Second");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    Run("PlayerName = \"last visited frame\"\r\nLoadControl TimerObject(1)\r\n"
        "TimerObject(1).Interval = 100\r\nTimerObject(1).Enabled = True");
    t.loop.Advance(100);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    Run("PlayerName = \"Second\"");
    t.loop.Advance(100);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
    Run("PlayerName = \"LAST VISITED FRAME\"");
    t.loop.Advance(100);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ScriptTest, ARunStartedWhileAnotherRunsShowsTheBusyBox) {
    Start();
    bool nested = true;
    t.loop.Post([&] { nested = host.ExecuteVBScript("Score = 5", true); });
    EXPECT_TRUE(Run("DoComponentsEvents\r\ndoor_open = 1"));
    EXPECT_FALSE(nested);
    EXPECT_EQ(Var("Score"), 0);
    EXPECT_EQ(Var("door_open"), 1);  // the first script went on
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(HostBox(
        "Error executing script. Make sure that you are not trying to execute a script while "
        "another script is being executed. The Scripting Engine returned the following error "
        "message:",
        QString())));
    EXPECT_TRUE(t.Boxes()[1].text.startsWith(RunErrorBox(QString())));
}

TEST_F(ScriptTest, GameStartScriptsRunPluginCodeThenTheStartupScript) {
    general.RunStartupScript = true;
    general.StartupScript = "Score = Score * 10";
    Start();
    host.ExecuteOnLoadVBScript();
    EXPECT_EQ(Var("Score"), 0);
    Run("Score = 2");
    host.ExecuteOnLoadVBScript();
    EXPECT_EQ(Var("Score"), 20);
}

TEST_F(ScriptTest, TheGameWindowIsReachableOnlyWhenTheFrameAllowsIt) {
    Frame("Start", 2);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(game->state.frame.ControlsReferencePolicy, 1);
    EXPECT_FALSE(Run("Score = SoftwareObjects.Area.Count"));
    t.dialogs.shown.clear();
    EXPECT_TRUE(Run("AllowControlsReferencesNextTime"));
    EXPECT_TRUE(Run("Score = Area.Count : Area(2).Visible = False"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(Var("Score"), 3);  // the template and two hotspots
    EXPECT_FALSE(g.scene->AreaVisible(2));
    EXPECT_TRUE(Run("DoNotAllowControlsReferencesNextTime"));
    EXPECT_FALSE(Run("Score = Area.Count"));
}

TEST_F(ScriptTest, ReferenceAllControlsVariableExposesTheWindow) {
    t.project.WriteVariables({QStringLiteral("REFERENCE_ALL_CONTROLS"), QStringLiteral("Score")});
    Frame("Start", 1);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(Run("Score = WindowObject.Area(1).Width + SoftwareObjects.Area(1).Width"));
    EXPECT_EQ(Var("Score"), 2 * (600 - 60));
}

TEST_F(ScriptTest, DebugMenuRunsTypedCodeWithItsConsequences) {
    Frame("Start");
    Frame("Second");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    t.dialogs.QueueAnswer("Score = 7 : GoToFrame \"Second\", 0, 0");
    g.mnuExecuteVBScript_Click();
    EXPECT_EQ(Var("Score"), 7);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kExecuteVBScriptCode),
              "Score = 7 : GoToFrame \"Second\", 0, 0");
}

TEST_F(ScriptTest, MsgBoxGoesThroughTheGamesBoxes) {
    general.GameName = "Quest";
    Start();
    t.dialogs.QueueAnswer("No");
    EXPECT_TRUE(Run("If MsgBox(\"Sure?\", vbYesNo) = vbNo Then Score = 1"));
    EXPECT_EQ(Var("Score"), 1);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Quest");
    EXPECT_EQ(t.Boxes()[0].text, "Sure?");
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {
namespace {

// The engine lets a call of an undefined procedure pass silently when the call stands inside
// another procedure (at the top level it raises "Type mismatch"). The script timers work
// around it; enable this once the engine reports it.
TEST_F(ScriptTest, CallOfAnUndefinedProcedureInsideAProcedureIsARunError) {
    t.project.WriteProcedures({"Sub Caller()", "  NoSuchProcedure", "End Sub"});
    Start();
    EXPECT_FALSE(Run("Caller"));
}

// Every run is prepared from the procedures compiled once and the objects made once: what
// changes between runs must still reach the next one, and nothing of a run may be left over.
TEST_F(ScriptTest, RunsStartFreshAndSeeChangedProceduresWithTheirLines) {
    QStringList procedures = {"Dim counter", "Sub Bump()", "  counter = counter + 1",
                              "  Score = counter", "End Sub"};
    for (int i = 0; i < 30; ++i)  // long enough to be compiled in pieces
        procedures << QStringLiteral("Function Pad%1()").arg(i) << QStringLiteral("End Function");
    t.project.WriteProcedures(procedures);
    Start();
    EXPECT_TRUE(Run("Bump"));
    EXPECT_TRUE(Run("Bump"));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_FALSE(Run("Score = 2\r\nScore = 1 / 0"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Division by zero (line 2 of the script)"));

    game->state.ProceduresText = QStringLiteral(
        "Function Twice(x)\r\n  Twice = x * 3\r\nEnd Function\r\nSub Fail()\r\n"
        "  x = 1 / 0\r\nEnd Sub");
    EXPECT_TRUE(Run("Score = Twice(2)"));
    EXPECT_EQ(Var("Score"), 6);
    EXPECT_FALSE(Run("Bump"));
    EXPECT_FALSE(Run("Fail"));
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_EQ(t.Boxes()[2].text,
              RunErrorBox("Division by zero (line 5 of the project procedures)"));
    // Procedures that do not compile are reported at their line on every run.
    game->state.ProceduresText = QStringLiteral("Sub Open()\r\n  x = (\r\nEnd Sub");
    EXPECT_FALSE(Run("Score = 3"));
    EXPECT_FALSE(Run("Score = 3"));
    ASSERT_EQ(t.Boxes().size(), 7u);
    EXPECT_EQ(t.Boxes()[3].text,
              ReservedBox("Expected expression (line 2 of the project procedures)"));
    EXPECT_EQ(t.Boxes()[5].text, t.Boxes()[3].text);
    EXPECT_EQ(Var("Score"), 6);
}

TEST_F(ScriptTest, ScriptsFollowTheVariablesAsTheyAreReplacedAndRenamed) {
    Start();
    EXPECT_TRUE(Run("Score = 5"));
    // A new game makes the variables again: the next run must reach the new ones.
    game->ResetAll();
    EXPECT_TRUE(Run("Score = Score + 1"));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_TRUE(Run("Score.Name = \"Points\""));
    EXPECT_TRUE(Run("Points = Points + 2"));
    EXPECT_EQ(Var("Points"), 3);
    EXPECT_EQ(Var("Score"), -32000);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ScriptTest, TheTwoEnginesShareProceduresButNotTheirGlobals) {
    t.project.WriteProcedures({"Dim stored", "Sub Keep(v)", "  stored = v", "End Sub",
                               "Function Kept()", "  Kept = stored", "End Function"});
    Start();  // the reset prepares the component engine too
    EXPECT_TRUE(Run("Keep 4 : Score = Kept()"));
    EXPECT_EQ(Var("Score"), 4);
    vbs::Variant value;
    ASSERT_TRUE(host.ScriptControl2.Run(u"Kept", {}, &value));
    EXPECT_TRUE(value.IsEmpty());
    ASSERT_TRUE(host.ScriptControl2.Run(u"Keep", std::vector<vbs::Variant>{vbs::Variant::Long(9)}));
    EXPECT_TRUE(Run("Score = Kept()"));
    EXPECT_EQ(Var("Score"), 0);
    // Changed procedures reach the component engine when it is prepared again.
    game->state.ProceduresText = QStringLiteral("Function Kept()\r\n  Kept = 11\r\nEnd Function");
    host.AddCodeToScriptControl(QString());
    ASSERT_TRUE(host.ScriptControl2.Run(u"Kept", {}, &value));
    EXPECT_EQ(value.AsLong(), 11);
    EXPECT_TRUE(t.Boxes().empty());
}

}  // namespace
}  // namespace storyloom::test
