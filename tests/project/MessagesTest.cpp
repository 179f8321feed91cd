#include <gtest/gtest.h>

#include "TestProgram.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

class MessagesTest : public ::testing::Test {
  protected:
    TestProgram t;
    const MessageTable& M() const { return t.program.Messages; }
};

TEST_F(MessagesTest, NoTextsFileGivesTheNeutralWording) {
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "Start");
    EXPECT_EQ(M()(2), "  Load...");
    EXPECT_EQ(M()(3), "Exit");
    EXPECT_EQ(M()(29), "Error");
    EXPECT_EQ(M()(30),
              "An error has occurred. The program may not work properly. Press 'Esc' and the click "
              "'Exit' to quit.");
    EXPECT_EQ(M()(36), "Please insert the CD in the CD-Rom drive and then click 'OK'.");
    EXPECT_EQ(M()(51), "Disable Real-Time Effects");
    EXPECT_EQ(M()(16), "");
    EXPECT_EQ(M()(0), "");
    EXPECT_EQ(M()(52), "");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(MessagesTest, ModeOneGivesTheGameWording) {
    t.project.WriteTexts(1);
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "Start New Game");
    EXPECT_EQ(M()(2), "Load Game...");
    EXPECT_EQ(M()(3), "Exit");
    EXPECT_EQ(M()(30),
              "An error has occurred. The game may not work properly. Press 'Esc' and the click "
              "'Exit' to quit.");
    EXPECT_EQ(M()(37), "CD-ROM Drive:");
}

TEST_F(MessagesTest, ModeZeroAfterModeOneRestoresTheNeutralWording) {
    SetDefaultMessages(t.program.Messages, 1);
    t.project.WriteTexts(0);
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "Start");
}

TEST_F(MessagesTest, ModeTwoReplacesTheFirstNTexts) {
    t.project.WriteTexts(2, {"Commencer", "  Charger...", "Quitter"});
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "Commencer");
    EXPECT_EQ(M()(2), "  Charger...");
    EXPECT_EQ(M()(3), "Quitter");
    EXPECT_EQ(M()(4), "Created By:");
    EXPECT_EQ(M()(51), "Disable Real-Time Effects");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(MessagesTest, ModeTwoFillsTheIndexesWithoutDefaults) {
    QStringList texts;
    for (int i = 1; i <= 60; ++i) texts << QStringLiteral("T%1").arg(i);
    t.project.WriteTexts(2, texts);
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "T1");
    EXPECT_EQ(M()(60), "T60");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(MessagesTest, SixtyOneTextsAreAReadErrorThatRestoresTheDefaults) {
    QStringList texts;
    for (int i = 1; i <= 61; ++i) texts << QStringLiteral("T%1").arg(i);
    t.project.WriteTexts(2, texts);
    LoadMessages(t.program);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, "Unable to load text.");
    EXPECT_EQ(M()(1), "Start");
    EXPECT_EQ(M()(51), "Disable Real-Time Effects");
    EXPECT_EQ(M()(52), "T52");  // texts above the defaults stay
    EXPECT_EQ(M()(60), "T60");
}

TEST_F(MessagesTest, TooFewTextsForTheCountIsAReadError) {
    t.project.WriteTexts(2, {"A", "B"}, 5);
    LoadMessages(t.program);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, "Unable to load text.");
    EXPECT_EQ(M()(1), "Start");
}

TEST_F(MessagesTest, MalformedModeIsAReadError) {
    t.project.WriteText("Config/Texts", "\"two\"\r\n");
    LoadMessages(t.program);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, "Unable to load text.");
    EXPECT_EQ(M()(1), "Start");
}

TEST_F(MessagesTest, UnknownModeLeavesTheTableAlone) {
    t.project.WriteTexts(7);
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "");
    EXPECT_EQ(M()(29), "");
    EXPECT_TRUE(t.Boxes().empty());

    SetDefaultMessages(t.program.Messages, 1);
    LoadMessages(t.program);
    EXPECT_EQ(M()(1), "Start New Game");
}

}  // namespace
}  // namespace storyloom::test
