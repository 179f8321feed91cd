// Dialogues: the panel and its labels, what picking a question does and in which order,
// reveal and hide lists, answers shown for a time or until they go, a dialogue kept across the
// frames its answers open, and damaged files.
#include "GameFixture.h"
#include "game/dialogues/Dialogues.h"
#include "project/DialogueFile.h"

namespace storyloom::test {
namespace {

DialogueQuestion Q(const QString& text, qint16 id, bool shown = true) {
    DialogueQuestion q;
    q.QuestionText = text;
    q.QuestionId = id;
    q.InitiallyShown = shown;
    return q;
}

AuthoredAction Script(const QString& code) {
    AuthoredAction a;
    a.ScriptOn = true;
    a.ScriptCode = code;
    return a;
}

class DialoguesTest : public GameTest {
  protected:
    // Room for a panel of a few questions.
    DialoguesTest() {
        general.ProjectWidth = 320;
        general.ProjectHeight = 240;
    }
    // Frame "Talk" with three hotspots (actions "H1" to "H3", the first also going to "Hall"
    // when `firstGoesToHall`) and the dialogue `questions`.
    Dialogues& Talk(const std::vector<DialogueQuestion>& questions, bool firstGoesToHall = false) {
        ColourFrame("Talk");
        ColourFrame("Hall");
        WriteHotspots(t.project, "Talk", std::vector<AuthoredHotspot>(3, AuthoredHotspot{}));
        AuthoredAction first = Script("H1");
        if (firstGoesToHall) {
            first.GoToFrameOn = 1;
            first.TargetFrame = "Hall";
        }
        WriteActions(t.project, "Talk", {first, Script("H2"), Script("H3")});
        t.project.WriteFile("FramesData/Talk.dlg", WriteDialogue(questions));
        Start();
        dialogue = std::make_unique<Dialogues>(*game);
        game->services.dialogues = dialogue.get();
        game->OpenFrame("Talk", false, 0, 0);
        return *dialogue;
    }
    // The label index showing question `q`.
    int LabelIndex(int q) {
        forms::Label* l = dialogue->LabelOf(q);
        return l ? l->Index() : -1;
    }
    void Pick(int q) { dialogue->RuntimeQuestionClick(LabelIndex(q)); }
    QStringList Scripts() const {
        QStringList out;
        for (const QString& s : scripts.texts) out << s.trimmed();
        return out;
    }

    std::unique_ptr<Dialogues> dialogue;
};

TEST_F(DialoguesTest, PanelListsTheShownQuestionsAtTheBottom) {
    Dialogues& d = Talk({Q("First", 1), Q("Hidden", 2, false), Q("Third", 3)});
    EXPECT_TRUE(t.program.DialogueActive);
    EXPECT_EQ(d.DialogueFrameName(), "Talk");
    ASSERT_TRUE(d.PanelVisible());
    EXPECT_EQ(d.ShownCaptions(), QStringList({"First", "Third"}));
    const forms::Label* first = d.LabelOf(1);
    const forms::Label* third = d.LabelOf(3);
    EXPECT_EQ(first->Left(), 360);
    EXPECT_EQ(first->Top(), 300);
    EXPECT_EQ(third->Top(), 300 + first->Height() + 90);
    EXPECT_EQ(first->ForeColor(), forms::Rgb(200, 200, 200));
    // Bottom edge on the picture's bottom edge, as wide as the picture.
    EXPECT_EQ(d.fmeDialogue->Top() + d.fmeDialogue->Height(), general.ProjectHeight * 15.0);
    EXPECT_EQ(d.fmeDialogue->Height(), third->Top() + third->Height() + 90 + 300);
    EXPECT_EQ(d.fmeDialogue->Width(), general.ProjectWidth * 15.0);
}

TEST_F(DialoguesTest, NoQuestionShownClosesTheDialogueAtOnce) {
    Dialogues& d = Talk({Q("Hidden", 1, false)});
    EXPECT_FALSE(d.PanelVisible());
    EXPECT_FALSE(t.program.DialogueActive);
    EXPECT_EQ(d.DialogueFrameName(), "");
}

TEST_F(DialoguesTest, RevealingTwoAndHidingItselfRebuildsInFileOrder) {
    DialogueQuestion ask = Q("Ask", 10);
    ask.RevealIds = {30, 20};
    ask.HideIds = {10};
    Dialogues& d = Talk({Q("Later A", 20, false), ask, Q("Later B", 30, false), Q("Stay", 40)});
    Pick(2);
    EXPECT_EQ(d.ShownCaptions(), QStringList({"Later A", "Later B", "Stay"}));
    EXPECT_TRUE(d.Questions()[1].Asked);
    EXPECT_FALSE(d.Questions()[1].Shown);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(DialoguesTest, AskedQuestionsAreDarkerAndLightUpLess) {
    Dialogues& d = Talk({Q("One", 1), Q("Two", 2)});
    Pick(1);
    EXPECT_EQ(d.LabelOf(1)->ForeColor(), forms::Rgb(120, 120, 120));
    d.LabelPointerOver(LabelIndex(1));
    EXPECT_EQ(d.LabelOf(1)->ForeColor(), forms::Rgb(230, 230, 230));
    d.LabelPointerOver(LabelIndex(2));
    EXPECT_EQ(d.LabelOf(1)->ForeColor(), forms::Rgb(120, 120, 120));
    EXPECT_EQ(d.LabelOf(2)->ForeColor(), forms::Rgb(255, 255, 255));
    d.PanelPointerOver();
    EXPECT_EQ(d.LabelOf(2)->ForeColor(), forms::Rgb(200, 200, 200));
}

TEST_F(DialoguesTest, APickRunsScriptsActionsAndAnswerInOrder) {
    DialogueQuestion q = Q("Go", 1);
    q.ScriptBefore = "B";
    q.ScriptMiddle = "M";
    q.ScriptAfter = "A";
    q.Hotspot1 = 1;
    q.Hotspot2 = 2;
    q.Hotspot3 = 3;
    q.AnswerText = "The answer";
    Talk({q, Q("Other", 2)});
    bool stripAtMiddle = true, stripAtAfter = true;
    scripts.onRun = [&](const QString& text, ScriptRequests&) {
        if (text == "M") stripAtMiddle = game->MessageStripVisible();
        if (text == "A") stripAtAfter = game->MessageStripVisible();
        return true;
    };
    scripts.texts.clear();
    const qint64 before = t.loop.NowMs();
    // Through the game window, as the player clicks.
    const QPoint at = dialogue->LabelOf(1)->WindowPixelRect().center() -
                      game->PictureBox->WindowPixelRect().topLeft();
    game->MouseDownAt(at.x(), at.y(), MouseButton::Left);
    EXPECT_EQ(Scripts(), QStringList({"B", "H1", "M", "H2", "A", "H3"}));
    EXPECT_FALSE(stripAtMiddle);
    EXPECT_FALSE(stripAtAfter);
    // The answer stayed for its reading time: 70 ms a character and a second.
    EXPECT_GE(t.loop.NowMs() - before, 10 * 70 + 1000);
    // Dialogue scripts reset the last click position, hotspot actions do not.
    ASSERT_EQ(scripts.resets.size(), 6u);
    EXPECT_TRUE(scripts.resets[0]);
    EXPECT_FALSE(scripts.resets[1]);
    EXPECT_TRUE(dialogue->PanelVisible());
}

TEST_F(DialoguesTest, TimedAnswerStaysForItsSecondsAndEndingClosesIt) {
    DialogueQuestion q = Q("Bye", 1);
    q.AnswerText = "Farewell";
    q.TimedAnswer = true;
    q.AnswerSeconds = 3;
    q.EndsDialogue = true;
    q.ScriptAfter = "A";
    Dialogues& d = Talk({q});
    bool stripDuring = false;
    t.loop.Post([&] { stripDuring = game->MessageStripVisible(); }, 2900);
    const qint64 before = t.loop.NowMs();
    Pick(1);
    EXPECT_TRUE(stripDuring);
    EXPECT_EQ(t.loop.NowMs() - before, 3000);
    EXPECT_FALSE(game->MessageStripVisible());
    EXPECT_FALSE(d.PanelVisible());
    EXPECT_FALSE(t.program.DialogueActive);
    // The script after the answer still runs; nothing is rebuilt.
    EXPECT_EQ(Scripts().last(), "A");
}

TEST_F(DialoguesTest, StaysOpenAcrossTheFrameAnAnswerOpens) {
    DialogueQuestion q = Q("Walk", 1);
    q.Hotspot1 = 1;
    t.project.WriteFile("FramesData/Hall.dlg", WriteDialogue({Q("Hall question", 1)}));
    Dialogues& d = Talk({q, Q("More", 2)}, true);
    Pick(1);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Hall");
    EXPECT_TRUE(t.program.DialogueActive);
    EXPECT_EQ(d.DialogueFrameName(), "Talk");
    EXPECT_EQ(d.ShownCaptions(), QStringList({"Walk", "More"}));
    // A hotspot click of the game itself (no dialogue kept) and a reset close it.
    game->ResetAll();
    EXPECT_FALSE(t.program.DialogueActive);
    EXPECT_FALSE(d.PanelVisible());
}

TEST_F(DialoguesTest, AnIdMatchingNoQuestionStopsTheClickWithTheBox) {
    DialogueQuestion q = Q("Broken", 1);
    q.RevealIds = {99};
    Dialogues& d = Talk({q});
    Pick(1);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              ErrorText(" Error in RuntimeQuestionClick. ") + "Subscript out of range");
    EXPECT_FALSE(d.PanelVisible());
}

TEST_F(DialoguesTest, ADamagedFileStartsNothing) {
    ColourFrame("Talk");
    QByteArray bytes = WriteDialogue({Q("A", 1), Q("B", 2)});
    t.project.WriteFile("FramesData/Talk.dlg", bytes.left(bytes.size() - 20));
    Start();
    dialogue = std::make_unique<Dialogues>(*game);
    game->services.dialogues = dialogue.get();
    game->OpenFrame("Talk", false, 0, 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_TRUE(t.Boxes()[0].text.startsWith("Error loading the dialogue.\r\n\r\n"));
    EXPECT_FALSE(t.program.DialogueActive);
    EXPECT_FALSE(dialogue->PanelVisible());
}

}  // namespace
}  // namespace storyloom::test
