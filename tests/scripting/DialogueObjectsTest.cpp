// The dialogue as scripts see it: the question labels, their panel, and QuitDialogue.
#include "ScriptFixture.h"
#include "game/dialogues/Dialogues.h"
#include "project/DialogueFile.h"

namespace storyloom::test {
namespace {

TEST_F(ScriptTest, DialogueObjectsReachThePanelAndQuitDialogueClosesIt) {
    general.ProjectWidth = 320;
    general.ProjectHeight = 240;
    Frame("Talk");
    DialogueQuestion first;
    first.QuestionText = "First question";
    first.QuestionId = 1;
    first.InitiallyShown = true;
    DialogueQuestion second = first;
    second.QuestionText = "Second question";
    second.QuestionId = 2;
    t.project.WriteFile("FramesData/Talk.dlg", WriteDialogue({first, second}));
    Game& g = Start();
    auto dialogue = std::make_shared<Dialogues>(g);
    g.services.dialogues = dialogue.get();
    g.Keep(dialogue);
    // As the player assembles it: the dialogue is in place before the host builds the objects.
    host.Attach(g);
    g.OpenFrame("Talk", false, 0, 0);
    ASSERT_TRUE(dialogue->PanelVisible());

    EXPECT_TRUE(
        Run("If DialogueCanvasObject.Visible Then Score = 1\n"
            "PlayerName = DialogueObject(2).Caption"));
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(VarText("PlayerName"), "Second question");
    EXPECT_TRUE(Run("QuitDialogue"));
    EXPECT_FALSE(dialogue->PanelVisible());
    EXPECT_FALSE(t.program.DialogueActive);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("; ").toStdString();
}

}  // namespace
}  // namespace storyloom::test
