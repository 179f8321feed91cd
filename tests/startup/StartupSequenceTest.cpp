// The start-up sequence: the project information, the per-user settings it reads and writes,
// the layout of the information lines, the boxes it shows, and a project that skips the
// welcome window.
#include "WelcomeFixture.h"

namespace storyloom::test {
namespace {

using StartupTest = WelcomeTest;

TEST_F(StartupTest, WindowShrinksToTheNameLineWithoutOptionalLines) {
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_EQ(w.window.Width(), 4800);
    EXPECT_EQ(w.window.Height(), 150 + 0 + 3000);  // a borderless window has no border
    EXPECT_EQ(w.txtAdventureName->Caption(), "Test Game");
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             w.txtVersion, w.txtAuthor, w.lblAuthor, w.txtEmail, w.lblEmail, w.txtHomepage,
             w.lblHomepage, w.lblResolution, &w.chkResolution->Box()})
        EXPECT_FALSE(c->Visible()) << c->Name().toStdString();
    EXPECT_EQ(w.txtVersion->Caption(), "");
    // Centred on the 1024x768 screen.
    EXPECT_EQ(w.window.Left(), 1024 * 15 / 2 - 4800 / 2);
    EXPECT_EQ(w.window.Top(), 768 * 15 / 2 - 3150 / 2);
    ASSERT_NE(WelcomeState(), nullptr);
    EXPECT_TRUE(WelcomeState()->shown);
    EXPECT_TRUE(WelcomeState()->style.borderless);
    EXPECT_TRUE(WelcomeState()->topmost);  // activation keeps it above the others
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(StartupTest, EveryLineAndTheResolutionOfferStandInOrder) {
    general.GameVersion = QStringLiteral("Version 1.2");
    general.AuthorName = QStringLiteral("Ann Author");
    general.AuthorEmail = QStringLiteral("ann@example.org");
    general.HomepageAddress = QStringLiteral("www.example.org");
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_EQ(w.txtVersion->Top(), 3000);
    EXPECT_EQ(w.txtAuthor->Top(), 3255);
    EXPECT_EQ(w.lblAuthor->Top(), 3255);
    EXPECT_EQ(w.txtEmail->Top(), 3510);
    EXPECT_EQ(w.lblEmail->Top(), 3510);
    EXPECT_EQ(w.txtHomepage->Top(), 3765);
    EXPECT_EQ(w.lblHomepage->Top(), 3765);
    EXPECT_EQ(w.lblResolution->Top(), 4020);
    EXPECT_EQ(w.chkResolution->Box().Top(), 4050);
    EXPECT_EQ(w.window.Height(), 150 + 4275);
    EXPECT_NEAR(w.window.Top(), 768 * 15 / 2 - 4425 / 2.0, 7.5);  // centred again
    for (forms::Label* l : {w.txtVersion, w.txtAuthor, w.lblAuthor, w.txtEmail, w.lblEmail,
                            w.txtHomepage, w.lblHomepage, w.lblResolution})
        EXPECT_TRUE(l->Visible()) << l->Name().toStdString();
    EXPECT_EQ(w.txtVersion->Caption(), "Version 1.2");
    EXPECT_EQ(w.txtAuthor->Caption(), "Ann Author");
    EXPECT_EQ(w.lblAuthor->Caption(), "Created By:");
    EXPECT_EQ(w.lblEmail->Caption(), "E-mail:");
    EXPECT_EQ(w.lblHomepage->Caption(), "Web site:");
    EXPECT_EQ(w.lblResolution->Caption(), "Change display resolution to 640x480.");
}

TEST_F(StartupTest, MissingLinesCloseUpAndTheOfferNeedsAnotherScreenSize) {
    general.AuthorEmail = QStringLiteral("ann@example.org");
    general.OfferResolutionChange = 1;
    general.ResolutionChoice = 1;
    display.SetDesktopSize(QSize(800, 600));  // already at 800x600: nothing to offer
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->txtEmail->Top(), 3000);
    EXPECT_FALSE(welcome->txtAuthor->Visible());
    EXPECT_FALSE(welcome->lblResolution->Visible());
    EXPECT_EQ(welcome->window.Height(), 150 + 3255);
}

TEST_F(StartupTest, OfferComparesWidthAndHeightOfTheRecordedScreen) {
    general.OfferResolutionChange = 1;
    general.ResolutionChoice = 1;
    display.SetDesktopSize(QSize(800, 768));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(welcome->lblResolution->Visible());
    EXPECT_EQ(welcome->lblResolution->Caption(), "Change display resolution to 800x600.");
    EXPECT_EQ(resolutions.SavedScreenWidth, 800);
    EXPECT_EQ(resolutions.SavedScreenHeight, 768);
}

TEST_F(StartupTest, OfferNeedsTheProjectToAskForIt) {
    general.OfferResolutionChange = 2;  // only 1 offers
    ASSERT_TRUE(Start());
    EXPECT_FALSE(welcome->lblResolution->Visible());
}

TEST_F(StartupTest, PathIsSavedAndTheCheckBoxFollowsTheSavedChoice) {
    t.program.info.ProjectTitle = general.ProjectTitle;
    t.program.SaveUserSetting(UserKeys::kChangeResolution, QStringLiteral("0"));
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kPath), t.program.paths.ProjectPath);
    EXPECT_EQ(welcome->chkResolution->Value(), 0);
}

TEST_F(StartupTest, CheckBoxIsTickedWhenNothingWasSaved) {
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->chkResolution->Value(), 1);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(StartupTest, UnreadableSavedChoiceIsReportedOnceAndTheWindowStillShows) {
    t.program.info.ProjectTitle = general.ProjectTitle;
    t.program.SaveUserSetting(UserKeys::kChangeResolution, QStringLiteral("yes please"));
    general.AuthorName = QStringLiteral("Ann");
    ASSERT_TRUE(Start());
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, ErrorText(" Error loading project information."));
    // The statements after the failing one ran.
    EXPECT_TRUE(welcome->txtAuthor->Visible());
    EXPECT_TRUE(WelcomeState()->shown);
}

TEST_F(StartupTest, CheckBoxValueOutsideItsRangeIsAFailedStatement) {
    t.program.info.ProjectTitle = general.ProjectTitle;
    t.program.SaveUserSetting(UserKeys::kChangeResolution, QStringLiteral("3"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(BoxTexts(), QStringList{ErrorText(" Error loading project information.")});
    EXPECT_EQ(welcome->chkResolution->Value(), 0);
}

TEST_F(StartupTest, MissingProjectInformationEndsTheProgramWithoutAWindow) {
    welcome = std::make_unique<frmWelcome>(
        t.program, WelcomeServices{display, resolutions, shell, windows, nullptr});
    EXPECT_FALSE(welcome->Start(t.project.Root()));
    EXPECT_EQ(welcome->ExitCode(), 1);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text,
              "The following file is missing: " + t.program.paths.ConfigPath + "General");
    EXPECT_EQ(WelcomeState(), nullptr);  // never shown
}

TEST_F(StartupTest, DefaultTextsWithoutATextsFile) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->lblButton[0]->Caption(), "Start");
    EXPECT_EQ(welcome->lblButton[1]->Caption(), "  Load...");
    EXPECT_EQ(welcome->lblButton[2]->Caption(), "Exit");
}

TEST_F(StartupTest, SkippingTheWelcomeWindowStartsTheGameAtOnce) {
    general.SkipWelcomeScreen = true;
    general.OfferResolutionChange = 1;  // never offered nor made when skipped
    ASSERT_TRUE(Start());
    EXPECT_EQ(WelcomeState() ? WelcomeState()->showCount : 0, 0);
    EXPECT_FALSE(welcome->window.Visible());
    ASSERT_NE(welcome->CurrentGame(), nullptr);
    Game& game = *welcome->CurrentGame();
    EXPECT_EQ(game.state.frame.CurrentFrameName, "Start");
    const auto* state = windows.StateOf(game.window);
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->shown);
    EXPECT_TRUE(state->style.fullScreen);
    EXPECT_EQ(display.ScreenSize(), QSize(1024, 768));
    EXPECT_EQ(game.ScreenWidthPx, 1024);
    EXPECT_TRUE(t.Boxes().empty());

    // Its end ends the program (no welcome window to go back to).
    game.Form_Unload();
    EXPECT_TRUE(windows.quitRequested);
    EXPECT_EQ(WelcomeState() ? WelcomeState()->showCount : 0, 0);
}

}  // namespace
}  // namespace storyloom::test
