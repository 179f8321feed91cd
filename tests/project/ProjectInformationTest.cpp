#include <gtest/gtest.h>

#include "TestProgram.h"
#include "project/Messages.h"
#include "project/ProjectInformation.h"

namespace storyloom::test {
namespace {

const QString kInfoError = QStringLiteral(
    "An error has occurred. The program may not work properly. Press 'Esc' and the click 'Exit' to "
    "quit.\r\n\r\n"
    "Error description: Error loading project information.");

class ProjectInformationTest : public ::testing::Test {
  protected:
    ProjectInformationTest() { SetDefaultMessages(t.program.Messages, 0); }
    TestProgram t;
    const ProjectInfo& Info() const { return t.program.info; }
};

TEST_F(ProjectInformationTest, ReadsEveryField) {
    GeneralFile g;
    g.ProjectTitle = "Tower";
    g.GameName = "The Tower";
    g.InitialFrameName = "Gate";
    g.GameVersion = "1.2";
    g.ProjectWidth = 800;
    g.ProjectHeight = 600;
    g.AuthorName = "A. Author";
    g.AuthorEmail = "a@example.org";
    g.HomepageAddress = "www.example.org";
    g.OfferResolutionChange = 1;
    g.SchemeName = "Blue";
    g.DisableLoadGame = true;
    g.DisableSaveGame = true;
    g.InventoryOffsetX = 4;
    g.InventoryOffsetY = 6;
    g.InventoryPopupMode = false;
    g.InventorySlideOpen = false;
    g.InventorySlideClose = false;
    g.HideInventoryWhenEmpty = false;
    g.ShowInventoryOnPickUp = false;
    g.CustomInventoryPictures = true;
    g.InventoryButtonPicture = "button.bmp";
    g.InventoryBackgroundPicture = "panel.bmp";
    g.ResolutionChoice = 2;
    g.DefaultCursorFile = "hand.cur";
    g.RunInWindow = true;
    g.SkipWelcomeScreen = true;
    g.HideLogo = true;
    g.NoTransitionsOption = true;
    g.NoEffectsOption = true;
    g.NeverShowMenus = true;
    g.RunStartupScript = true;
    g.StartupScript = "MsgBox \"hello\"";
    g.RunFrameScript = true;
    g.FrameScript = "x = \"a\" & \"b\"";
    t.project.WriteGeneral(g);
    LoadProjectInformation(t.program);

    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_EQ(Info().ProjectTitle, "Tower");
    EXPECT_EQ(Info().GameName, "The Tower");
    EXPECT_EQ(Info().InitialFrameName, "Gate");
    EXPECT_EQ(Info().GameVersion, "1.2");
    EXPECT_EQ(Info().ProjectWidth, 800);
    EXPECT_EQ(Info().ProjectHeight, 600);
    EXPECT_EQ(Info().AuthorName, "A. Author");
    EXPECT_EQ(Info().AuthorEmail, "a@example.org");
    EXPECT_EQ(Info().HomepageAddress, "www.example.org");
    EXPECT_EQ(Info().OfferResolutionChange, 1);
    EXPECT_EQ(Info().SchemeName, "Blue");
    EXPECT_TRUE(Info().DisableLoadGame);
    EXPECT_TRUE(Info().DisableSaveGame);
    EXPECT_EQ(Info().InventoryOffsetX, 4);
    EXPECT_EQ(Info().InventoryOffsetY, 6);
    EXPECT_FALSE(Info().InventoryPopupMode);
    EXPECT_FALSE(Info().InventorySlideOpen);
    EXPECT_FALSE(Info().InventorySlideClose);
    EXPECT_FALSE(Info().HideInventoryWhenEmpty);
    EXPECT_FALSE(Info().ShowInventoryOnPickUp);
    EXPECT_TRUE(Info().CustomInventoryPictures);
    EXPECT_EQ(Info().InventoryButtonPicture, "button.bmp");
    EXPECT_EQ(Info().InventoryBackgroundPicture, "panel.bmp");
    EXPECT_EQ(Info().ResolutionChoice, 2);
    EXPECT_EQ(Info().DefaultCursorFile, "hand.cur");
    EXPECT_TRUE(Info().RunInWindow);
    EXPECT_TRUE(Info().SkipWelcomeScreen);
    EXPECT_TRUE(Info().HideLogo);
    EXPECT_TRUE(Info().NoTransitionsOption);
    EXPECT_TRUE(Info().NoEffectsOption);
    EXPECT_TRUE(Info().NeverShowMenus);
    EXPECT_TRUE(Info().RunStartupScript);
    EXPECT_EQ(Info().StartupScript, "MsgBox \"hello\"");
    EXPECT_TRUE(Info().RunFrameScript);
    EXPECT_EQ(Info().FrameScript, "x = \"a\" & \"b\"");
}

TEST_F(ProjectInformationTest, OnlyTheMandatoryFieldsLeaveTheDefaults) {
    GeneralFile g;
    g.lastField = 11;
    g.OfferResolutionChange = 1;
    g.SchemeName = "Blue";
    g.InventoryPopupMode = false;
    t.project.WriteGeneral(g);
    t.program.info.LogoVariant = 1;  // a value left from before must be reset
    t.program.info.LogoWide = true;
    LoadProjectInformation(t.program);

    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_EQ(Info().GameName, "Test Game");
    EXPECT_EQ(Info().OfferResolutionChange, 0);
    EXPECT_EQ(Info().SchemeName, "");
    EXPECT_TRUE(Info().InventoryPopupMode);
    EXPECT_EQ(Info().InventoryButtonPicture, "DEFAULT");
    EXPECT_EQ(Info().DefaultCursorFile, "DEFAULT");
    EXPECT_EQ(Info().InventoryOffsetX, 10);
    EXPECT_EQ(Info().LogoVariant, 0);
    EXPECT_FALSE(Info().LogoWide);
}

TEST_F(ProjectInformationTest, EveryEndAllowedPointStopsQuietly) {
    for (int last : {12, 16, 22, 38, 41, 44, 46, 47, 48}) {
        SCOPED_TRACE(last);
        GeneralFile g;
        g.lastField = last;
        g.DisableLoadGame = true;
        g.NeverShowMenus = true;
        g.RunStartupScript = true;
        t.project.WriteGeneral(g);
        t.dialogs.shown.clear();
        LoadProjectInformation(t.program);
        EXPECT_TRUE(t.Boxes().empty());
        EXPECT_EQ(Info().DisableLoadGame, last >= 20);
        EXPECT_EQ(Info().NeverShowMenus, last >= 48);
        EXPECT_FALSE(Info().RunStartupScript);
    }
}

TEST_F(ProjectInformationTest, EndingInsideAGroupIsAReadError) {
    for (int last : {5, 10, 14, 20, 30, 43, 53}) {
        SCOPED_TRACE(last);
        GeneralFile g;
        g.lastField = last;
        g.GameName = "Kept";
        g.DisableLoadGame = true;
        t.project.WriteGeneral(g);
        t.dialogs.shown.clear();
        LoadProjectInformation(t.program);
        ASSERT_EQ(t.Boxes().size(), 1u);
        EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
        EXPECT_EQ(t.Boxes()[0].title, "Error");
        EXPECT_EQ(t.Boxes()[0].text, kInfoError);
        EXPECT_EQ(Info().GameName, "Kept");  // read before the failure
        EXPECT_EQ(Info().DisableLoadGame, last >= 20);
    }
}

TEST_F(ProjectInformationTest, WrongTypedFieldKeepsWhatWasReadBefore) {
    // Field 7 (ProjectWidth) holds text.
    t.project.WriteText("Config/General",
                        "\"T\"\r\n\"x\"\r\n\"Name\"\r\n1\r\n\"Start\"\r\n\"v\"\r\n\"wide\"\r\n480\r"
                        "\n\"\"\r\n\"\"\r\n\"\"\r\n");
    LoadProjectInformation(t.program);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, kInfoError);
    EXPECT_EQ(Info().GameName, "Name");
    EXPECT_EQ(Info().GameVersion, "v");
    EXPECT_EQ(Info().ProjectWidth, 0);
    EXPECT_EQ(Info().ProjectHeight, 0);
}

TEST_F(ProjectInformationTest, SizeOutsideSixteenBitsIsAReadError) {
    GeneralFile g;
    g.ProjectWidth = 40000;
    t.project.WriteGeneral(g);
    LoadProjectInformation(t.program);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(Info().ProjectWidth, 0);
}

TEST_F(ProjectInformationTest, UnreadableFileGivesTheBoxAndDefaults) {
    LoadProjectInformation(t.program);  // no file at all
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, kInfoError);
    EXPECT_EQ(Info().ProjectTitle, "None");
}

TEST_F(ProjectInformationTest, ScriptWordBetweenBarsIsQuoted) {
    GeneralFile g;
    g.RunStartupScript = true;
    t.project.WriteGeneral(g);
    // Write the stored form by hand: |word| in the file.
    QByteArray bytes = *t.files.ReadAll(t.project.NativePath("Config/General"));
    bytes.replace("#TRUE#\r\n\"\"\r\n#FALSE#", "#TRUE#\r\n\"MsgBox |word|\"\r\n#FALSE#");
    t.project.WriteFile("Config/General", bytes);
    LoadProjectInformation(t.program);
    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_EQ(Info().StartupScript, "MsgBox \"word\"");
}

TEST_F(ProjectInformationTest, MoreFileValues) {
    EXPECT_EQ(ScriptTimeOutSeconds(t.program), 0);
    EXPECT_FALSE(AllowCreateObject(t.program));
    EXPECT_FALSE(ProceduresScrambled(t.program));

    t.project.WriteMore("Other", "ScriptTimeOut", "5");
    t.project.WriteMore("Other", "AllowCreateObject", "1");
    EXPECT_EQ(ScriptTimeOutSeconds(t.program), 0);  // only section General counts
    EXPECT_FALSE(AllowCreateObject(t.program));

    t.project.WriteMore("general", "scripttimeout", "2.5");
    t.project.WriteMore("General", "AllowCreateObject", "1");
    t.project.WriteMore("General", "ProcEncr", "1");
    EXPECT_EQ(ScriptTimeOutSeconds(t.program), 2.5);
    EXPECT_TRUE(AllowCreateObject(t.program));
    EXPECT_TRUE(ProceduresScrambled(t.program));

    t.project.WriteMore("General", "ProcEncr", "2");
    EXPECT_FALSE(ProceduresScrambled(t.program));
}

TEST_F(ProjectInformationTest, PerUserSettingsAreKeptPerProjectTitle) {
    t.program.info.ProjectTitle = "First";
    t.program.SaveUserSetting(UserKeys::kChangeResolution, "0");
    t.program.SaveUserSetting(UserKeys::kDisableTransitions, "True");
    t.program.info.ProjectTitle = "Second";
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kChangeResolution, "1"), "1");
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableTransitions, "False"), "False");
    t.program.info.ProjectTitle = "First";
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kChangeResolution, "1"), "0");
    EXPECT_EQ(t.settings.Get("Software", "First", "DisableTransitions", {}), "True");
}

}  // namespace
}  // namespace storyloom::test
