// Run-time components through scripts: the list and its boxes, the script object of a
// component, events reaching their procedures, the transitions, and controls that misbehave.
// The controls are the test library ProbeLib (tests/components/libs) and Menulet.
#include <gtest/gtest.h>

#include "ScriptFixture.h"
#include "game/transitions/GameTransitions.h"
#include "platform/components/ControlFacility.h"
#include "platform/forms/controls/ComponentView.h"
#include "scripting/Components.h"

namespace storyloom::test {
namespace {

class ComponentsTest : public ScriptTest {
  protected:
    ComponentsTest() {
        t.platform.controls.RegisterComponentFile(PROBE_LIBRARY);
        t.platform.controls.RegisterComponentFile(MENULET_LIBRARY);
        beforeAttach = [this](Game& g) {
            components = std::make_unique<Components>(g, host);
            g.services.components = components.get();
            if (realTransitions) {
                gameTransitions = std::make_unique<GameTransitions>(g, components.get());
                gameTransitions->InitTransitions();
                g.services.transitions = gameTransitions.get();
            }
        };
        Frame(QStringLiteral("Start"));
        Frame(QStringLiteral("Second"));
    }
    // As the game keeps them: the subsystems go before the window that holds their controls.
    ~ComponentsTest() override {
        gameTransitions.reset();
        components.reset();
        game.reset();
    }

    // The control of the component named `name` (lower case), or null.
    forms::ComponentView* View(const QString& name) const {
        for (const auto& child : game->PictureBox->Children())
            if (child->Kind() == forms::ControlKind::Component && child->Name() == name)
                return static_cast<forms::ComponentView*>(child.get());
        return nullptr;
    }

    std::unique_ptr<Components> components;
    std::unique_ptr<GameTransitions> gameTransitions;
    bool realTransitions = false;
};

TEST_F(ComponentsTest, NamesAreCheckedBeforeAnythingIsCreated) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"Clock\", True, False\n"
            "AddComponent \"ProbeLib.Plain\", \"clock\", False, False\n"
            "AddComponent \"ProbeLib.Plain\", \"two words\", False, False\n"
            "RemoveComponent \"Ghost\""));
    EXPECT_EQ(BoxTexts(),
              QStringList({ErrorText(" A component named \"clock\" already exists. Please use a "
                                     "different name."),
                           ErrorText(" The component name must not contain spaces or other "
                                     "special characters."),
                           ErrorText(" The component named \"Ghost\" could not be removed because "
                                     "it could not be found.")}));
    EXPECT_EQ(t.Boxes().front().title, t.program.Messages(29));
    ASSERT_EQ(components->ComponentsList.Count(), 1);
    const auto& row = components->ComponentsList.Item(1);
    EXPECT_EQ(row->Item(1).toString(), "clock");
    EXPECT_EQ(row->Item(2).toInt(), 1);
    EXPECT_TRUE(row->Item(3).toBool());
    EXPECT_FALSE(row->Item(4).toBool());
    ASSERT_NE(View("clock"), nullptr);
    EXPECT_FALSE(View("clock")->Visible());
}

TEST_F(ComponentsTest, AFailedCreationReportsAndKeepsItsRow) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"Nobody.Here\", \"Ghost\", False, False\n"
            "AddComponent \"ProbeLib.Probe\", \"a-b\", False, False\n"
            "AddComponent \"ProbeLib.Probe\", \"ghost\", False, False\n"
            "If DoesComponentExist(\"GHOST\") Then Score = 1\n"
            "If Component(\"Ghost\") Is Nothing Then door_open = 1"));
    const QStringList boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 3);
    const QString unexpected = ErrorText(
        " Error in Game.AddAdditionalComponent. The component is probably not installed "
        "properly.  ");
    EXPECT_TRUE(boxes[0].startsWith(unexpected + "The control Nobody.Here is not registered"))
        << boxes[0].toStdString();
    EXPECT_TRUE(boxes[1].startsWith(unexpected)) << boxes[1].toStdString();
    EXPECT_GT(boxes[1].size(), unexpected.size());
    EXPECT_EQ(boxes[2], ErrorText(" A component named \"ghost\" already exists. Please use a "
                                  "different name."));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(Var("door_open"), 1);
    EXPECT_EQ(components->ComponentsList.Count(), 2);
}

TEST_F(ComponentsTest, AResetRemovesEveryComponent) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"Clock\", False, False\n"
            "AddComponent \"ProbeLib.Plain\", \"Other\", False, False"));
    ASSERT_NE(View("clock"), nullptr);
    game->ResetAll();
    EXPECT_EQ(View("clock"), nullptr);
    EXPECT_EQ(View("other"), nullptr);
    EXPECT_EQ(components->ComponentsList.Count(), 0);
    EXPECT_TRUE(components->ComponentEventSlots.empty());
    EXPECT_TRUE(t.platform.controls.Licenses().empty());
    ASSERT_TRUE(
        Run("If Not DoesComponentExist(\"clock\") Then Score = 1\n"
            "If Component(\"Clock\") Is Nothing Then door_open = 1"));
    EXPECT_EQ(BoxTexts(), QStringList({ErrorText(" The component named \"Clock\" could not be "
                                                 "found.")}));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(Var("door_open"), 1);
}

TEST_F(ComponentsTest, RemovingFreesTheSlotAndTheName) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"A\", False, False\n"
            "AddComponent \"ProbeLib.Probe\", \"B\", False, False\n"
            "Set old = Component(\"a\")\n"
            "RemoveComponent \"a\"\n"
            "AddComponent \"ProbeLib.Plain\", \"a\", False, False"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    ASSERT_EQ(components->ComponentEventSlots.size(), 3u);
    EXPECT_EQ(components->ComponentEventSlots[0], nullptr);
    ASSERT_EQ(components->ComponentsList.Count(), 2);
    EXPECT_EQ(components->ComponentsList.Item(2)->Item(2).toInt(), 3);
    // A reference kept from before the removal no longer reaches a control.
    EXPECT_FALSE(Run("Set c = Component(\"b\")\nRemoveComponent \"B\"\nc.Count = 1"));
}

TEST_F(ComponentsTest, ProceduresAreFiledByTheirFirstUnderscore) {
    t.project.WriteProcedures({"Sub clock_tick_fast(p)", "End Sub", "Sub Menu_ButtonClick(p)",
                               "End Sub", "Function Plain()", "End Function"});
    Start();
    std::vector<std::pair<QString, QString>> rows;
    for (const auto& row : components->AllEventsList)
        rows.emplace_back(row->Item(1).toString(), row->Item(2).toString());
    EXPECT_EQ(rows, (std::vector<std::pair<QString, QString>>{{"clock", "tick_fast"},
                                                              {"menu", "buttonclick"}}));
}

TEST_F(ComponentsTest, IsComponentInstalledAsksWithoutABox) {
    Start();
    ASSERT_TRUE(
        Run("If IsComponentInstalled(\"ProbeLib.Probe\") Then Score = 1\n"
            "If Not IsComponentInstalled(\"Nobody.Here\") Then door_open = 1\n"
            "If Not IsComponentInstalled(\"not an identifier\") Then door_open = door_open + 1"));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_TRUE(BoxTexts().isEmpty());
    EXPECT_EQ(View("ProgIDTestComponent"), nullptr);
    EXPECT_EQ(components->ComponentsList.Count(), 0);
}

TEST_F(ComponentsTest, AnEventRunsItsProcedureWithItsParametersAndRequests) {
    t.project.WriteProcedures(
        {"Sub Probe_Fired(p)",
         "  PlayerName = p(\"text\") & \"|\" & p.Number & \"|\" & p(3) & \"|\" & p.Count & \"|\" "
         "& p.Flag & \"|\" & p(5) & \"|\" & TypeName(p(5))",
         "  GoToFrame \"Second\", 0, 0", "End Sub"});
    Start();
    game->OpenFrame(QStringLiteral("Start"), false, 0, 0);
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Set c = Component(\"PROBE\")\n"
            "c.Caption = \"hello\"\nc.Count = 42\nc.Enabled = True\nc.Small = 7\n"
            "c.Fire"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(VarText("PlayerName"), "hello|42|0.5|5|True|7|Integer");
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
}

TEST_F(ComponentsTest, AFailingHandlerIsReported) {
    t.project.WriteProcedures({"Sub probe_fired(p)", "  Score = 1 / 0", "End Sub"});
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Component(\"probe\").Fire"));
    ASSERT_EQ(BoxTexts().size(), 1);
    EXPECT_TRUE(BoxTexts()[0].startsWith(ErrorText("Error in Component_ObjectEvent. Division")))
        << BoxTexts()[0].toStdString();
}

TEST_F(ComponentsTest, AHandlerRaisingItsOwnEventEndsInABox) {
    t.project.WriteProcedures(
        {"Sub probe_fired(p)", "  Score = Score + 1", "  Component(\"probe\").Fire", "End Sub"});
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Component(\"probe\").Fire"));
    EXPECT_EQ(Var("Score"), 40);
    ASSERT_FALSE(BoxTexts().isEmpty());
    EXPECT_EQ(BoxTexts().front(), ErrorText("Error in Component_ObjectEvent. Out of stack space"));
}

TEST_F(ComponentsTest, PropertiesKeepTheirTypesBothWays) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Set c = Component(\"probe\")\n"
            "c.Count = 100000\nc.Small = -5\nc.Ratio = 2.25\nc.Caption = \"\xC3\xA9t\xC3\xA9\"\n"
            "c.Enabled = True\n"
            "PlayerName = TypeName(c.Count) & c.Count & \" \" & TypeName(c.Small) & c.Small "
            "& \" \" & TypeName(c.Ratio) & c.Ratio & \" \" & TypeName(c.Caption) & "
            "c.Caption & \" \" & TypeName(c.Enabled) & c.Enabled & \" \" & c.Add(2, 40) & "
            "\" \" & TypeName(c.Echo(Empty))"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(VarText("PlayerName"), QString::fromUtf8("Long100000 Integer-5 Double2.25 "
                                                       "String\xC3\xA9t\xC3\xA9 BooleanTrue 42 "
                                                       "Empty"));
    // The control's own failures reach the script with their number.
    ASSERT_TRUE(
        Run("On Error Resume Next\nSet c = Component(\"probe\")\n"
            "c.Fail\nScore = Err.Number\nErr.Clear\n"
            "c.Small = \"text\"\ndoor_open = Err.Number\nErr.Clear\n"
            "c.NoSuchThing = 1\nPlayerName = Err.Number\nErr.Clear\n"
            "c.Caption = Array(1)\nPlayerName = PlayerName & \" \" & Err.Number"));
    EXPECT_EQ(Var("Score"), 1234);
    EXPECT_EQ(Var("door_open"), 13);
    EXPECT_EQ(VarText("PlayerName"), "438 13");
}

TEST_F(ComponentsTest, PlacementMembersWorkInTwips) {
    Start();
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Set c = Component(\"probe\")\n"
            "c.Visible = True\nc.Move 150, 300\nc.Width = 900\nc.Height = 7500 * 2\n"
            "PlayerName = c.Left & \" \" & c.Top & \" \" & c.Width & \" \" & c.Height & "
            "\" \" & c.Visible & \" \" & c.Name\n"
            "c.Move 30, 45, 150, 300"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    // The probe takes at most 500 x 500 pixels.
    EXPECT_EQ(VarText("PlayerName"), "150 300 900 7500 True probe");
    forms::ComponentView* view = View("probe");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PixelRect(), QRect(2, 3, 10, 20));
    EXPECT_TRUE(view->Visible());
    ASSERT_EQ(components->List().size(), 1u);
    EXPECT_EQ(components->List()[0].rect, QRect(2, 3, 10, 20));
    EXPECT_EQ(components->List()[0].progId, "ProbeLib.Probe");
    // The control paints itself where it lies, in front of the frame picture.
    EXPECT_EQ(game->RenderFrame().pixel(6, 10), qRgb(0x33, 0x66, 0xCC));
    ASSERT_TRUE(Run("Set c = Component(\"probe\")\nc.Colour = &HFF00FF00\nc.Repaint"));
    EXPECT_EQ(game->RenderFrame().pixel(6, 10), qRgb(0, 255, 0));
    ASSERT_TRUE(Run("Component(\"probe\").Visible = False"));
    EXPECT_EQ(game->RenderFrame().pixel(6, 10), qRgb(0, 0, 0));
    EXPECT_FALSE(Run("Component(\"probe\").Width = -1"));
}

TEST_F(ComponentsTest, ATransitionPausesMovesAndResumesTheComponents) {
    realTransitions = true;
    general.ProjectWidth = 200;
    general.ProjectHeight = 100;
    Start();
    game->OpenFrame(QStringLiteral("Start"), false, 0, 0);
    ASSERT_TRUE(
        Run("AddComponent \"ProbeLib.Probe\", \"rides\", True, False\n"
            "AddComponent \"ProbeLib.Probe\", \"stays\", False, False\n"
            "Component(\"rides\").Move 150, 300\nComponent(\"rides\").Visible = True"));
    forms::ComponentView* rides = View("rides");
    ASSERT_NE(rides, nullptr);
    std::vector<QPoint> seen;
    gameTransitions->onProgress = [&](double) {
        seen.push_back(rides->WindowPixelRect().topLeft() -
                       game->PictureBox->WindowPixelRect().topLeft());
    };
    game->ExecuteVBScriptAndConsequences(QStringLiteral("GoToFrame \"Second\", 0.2, 3"), false);
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
    ASSERT_TRUE(
        Run("Score = Component(\"rides\").Pauses * 10 + Component(\"rides\").Resumes\n"
            "door_open = Component(\"stays\").Pauses * 10 + Component(\"stays\").Resumes"));
    EXPECT_EQ(Var("Score"), 11);
    EXPECT_EQ(Var("door_open"), 11);
    // During the slide the component rode to the left with the old picture; afterwards it is
    // back on the frame picture where it was.
    ASSERT_GE(seen.size(), 2u);
    int leftmost = 10;
    for (const QPoint& at : seen) leftmost = std::min(leftmost, at.x());
    EXPECT_LT(leftmost, 0);
    EXPECT_EQ(rides->Parent(), game->PictureBox);
    EXPECT_EQ(rides->PixelRect().topLeft(), QPoint(10, 20));
    EXPECT_EQ(View("stays")->Parent(), game->PictureBox);
}

TEST_F(ComponentsTest, ManyComponentsAndOddEventsDoNotBreakTheGame) {
    t.project.WriteProcedures(
        {"Sub probe_many(p)", "  Score = p.Count",
         "  PlayerName = p.Same & \"|\" & TypeName(p(6)) & \"|\" & p.count & \"|\" & p(5) & "
         "\"|\" & p(1)",
         "End Sub", "Sub probe_fired(p)", "  RemoveComponent \"probe\"", "End Sub"});
    Start();
    ASSERT_TRUE(
        Run("For i = 1 To 10000\n"
            "  AddComponent \"ProbeLib.Plain\", \"c\" & i, False, False\n"
            "Next\n"
            "AddComponent \"ProbeLib.Probe\", \"probe\", False, False\n"
            "Set c = Component(\"probe\")\n"
            "c.FireMany\n"
            "door_open = c.Bad(2) + c.Bad(1) + c.Bad(5)\n"
            "c.FireAndSurvive"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(Var("Score"), 64);
    EXPECT_EQ(VarText("PlayerName"), "-2147483648|Empty|64|True|-32768");
    EXPECT_EQ(Var("door_open"), 3 * 2);  // each refused with SL_REFUSED_ARGUMENTS
    EXPECT_FALSE(components->DoesComponentExist(QStringLiteral("probe")));
    EXPECT_EQ(components->ComponentsList.Count(), 10000);
    EXPECT_EQ(t.platform.controls.Licenses().size(), 2u);  // each identifier once
    game->ResetAll();
    EXPECT_EQ(components->ComponentsList.Count(), 0);
}

TEST_F(ComponentsTest, AMenuletClickReachesItsProcedure) {
    t.project.WriteProcedures(
        {"Sub menu_ButtonClick(p)", "  Score = Score * 10 + p(1)", "End Sub"});
    Start();
    game->OpenFrame(QStringLiteral("Start"), false, 0, 0);
    ASSERT_TRUE(
        Run("AddComponent \"Menulet.MenuletControlRELEASE1\", \"Menu\", False, False\n"
            "Set m = Component(\"menu\")\n"
            "m.HideAllButtons\nm.ShowButton 4\nm.ShowButton 2\nm.Move 0, 0\nm.Visible = True\n"
            "door_open = m.Width / 15"));
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join("\n").toStdString();
    EXPECT_EQ(Var("door_open"), 82);
    const QPoint origin = game->PictureBox->WindowPixelRect().topLeft();
    for (int x : {60, 10}) {
        game->window.MouseDown(origin + QPoint(x, 30), forms::kLeftButton, 0);
        game->window.MouseUp(origin + QPoint(x, 30), forms::kLeftButton, 0);
    }
    EXPECT_EQ(Var("Score"), 42);
}

}  // namespace
}  // namespace storyloom::test
