#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "TestApp.h"
#include "platform/dialogs/Dialogs.h"

namespace storyloom {
namespace {

TEST(MessageBoxRequest, StyleNumbersBothWays) {
    // vbYesNo + vbQuestion + vbDefaultButton2
    MessageBoxRequest r = MessageBoxRequest::FromStyle("Quit?", 4 + 32 + 256, "Game");
    EXPECT_EQ(r.buttons, BoxButtons::YesNo);
    EXPECT_EQ(r.icon, BoxIcon::Question);
    EXPECT_EQ(r.defaultButton, 1);
    EXPECT_EQ(r.DefaultResult(), BoxResult::No);
    EXPECT_EQ(r.Style(), 292);
    EXPECT_EQ(r.text, "Quit?");
    EXPECT_EQ(r.title, "Game");

    r = MessageBoxRequest::FromStyle("", 2 + 16 + 512, "");  // abort/retry/ignore, third
    EXPECT_EQ(r.icon, BoxIcon::Critical);
    EXPECT_EQ(r.DefaultResult(), BoxResult::Ignore);
    EXPECT_EQ(r.Style(), 530);

    r = MessageBoxRequest::FromStyle("", 5 + 48 + 512, "");  // retry/cancel has no third button
    EXPECT_EQ(r.defaultButton, 0);
    EXPECT_EQ(r.DefaultResult(), BoxResult::Retry);
    EXPECT_EQ(r.icon, BoxIcon::Exclamation);

    r = MessageBoxRequest::FromStyle("", 7 + 80, "");  // values Basic does not define
    EXPECT_EQ(r.buttons, BoxButtons::Ok);
    EXPECT_EQ(r.icon, BoxIcon::None);
    EXPECT_EQ(MessageBoxRequest::FromStyle("", 3 + 64, "").DefaultResult(), BoxResult::Yes);
    EXPECT_EQ(MessageBoxRequest::FromStyle("", 1, "").DefaultResult(), BoxResult::Ok);
}

TEST(ScriptedDialogs, RecordsEveryBoxAndAnswersFromTheQueue) {
    ScriptedDialogs d;
    d.QueueAnswer("no");
    d.QueueAnswer("Typed text");
    d.QueueAnswer("Cancel");

    EXPECT_EQ(d.MessageBox(MessageBoxRequest::FromStyle("Quit?", 4 + 32, "Game")), BoxResult::No);
    EXPECT_EQ(d.InputBox({"Name?", "Game", "Guybrush"}), std::optional<QString>("Typed text"));
    EXPECT_EQ(d.InputBox({"Again?", "Game", "x"}), std::nullopt);
    // Queue empty: default button, default text.
    EXPECT_EQ(d.MessageBox(MessageBoxRequest::FromStyle("Sure?", 3 + 256, "T")), BoxResult::No);
    EXPECT_EQ(d.InputBox({"Name?", "Game", "Guybrush"}), std::optional<QString>("Guybrush"));
    d.Show(BoxIcon::Critical, "Error", "Text\r\n\r\nmore");

    ASSERT_EQ(d.shown.size(), 6u);
    EXPECT_EQ(d.shown[0].icon, BoxIcon::Question);
    EXPECT_EQ(d.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(d.shown[0].answer, "No");
    EXPECT_TRUE(d.shown[0].answeredFromQueue);
    EXPECT_TRUE(d.shown[1].isInput);
    EXPECT_EQ(d.shown[1].text, "Name?");
    EXPECT_EQ(d.shown[1].answer, "Typed text");
    EXPECT_EQ(d.shown[2].answer, "Cancel");
    EXPECT_EQ(d.shown[3].answer, "No");
    EXPECT_FALSE(d.shown[3].answeredFromQueue);
    EXPECT_EQ(d.shown[4].answer, "Guybrush");
    EXPECT_EQ(d.shown[5].icon, BoxIcon::Critical);
    EXPECT_EQ(d.shown[5].title, "Error");
    EXPECT_EQ(d.shown[5].text, "Text\r\n\r\nmore");
    EXPECT_EQ(d.shown[5].answer, "OK");
    EXPECT_TRUE(d.problems.empty());
}

TEST(ScriptedDialogs, AnAnswerThatDoesNotFitIsReported) {
    ScriptedDialogs d;
    d.QueueAnswer("Yes");
    EXPECT_EQ(d.MessageBox(MessageBoxRequest::FromStyle("Oops", 0, "T")), BoxResult::Ok);
    EXPECT_EQ(d.problems.size(), 1u);
    EXPECT_FALSE(d.shown[0].answeredFromQueue);
    EXPECT_TRUE(d.answers.empty());
}

// Presses Enter in the box that opens next, i.e. chooses its default button.
void AcceptNextBox(QString* seenText, QString* seenTitle) {
    QTimer::singleShot(50, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *seenText = box->text();
        *seenTitle = box->windowTitle();
        if (box->defaultButton()) box->defaultButton()->click();
    });
}

TEST(QtDialogs, ShowsTheBoxAndItsDefaultButton) {
    TestApp();
    QtDialogs d;
    QString text, title;
    AcceptNextBox(&text, &title);
    const BoxResult r =
        d.MessageBox(MessageBoxRequest::FromStyle("Line one\r\n<b>two</b>", 3 + 32 + 512, "Title"));
    EXPECT_EQ(r, BoxResult::Cancel);
    EXPECT_EQ(text, "Line one\n<b>two</b>");
    EXPECT_EQ(title, "Title");
}

}  // namespace
}  // namespace storyloom
