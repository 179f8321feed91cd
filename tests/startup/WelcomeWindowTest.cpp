// The welcome window's reactions: the three buttons, the resolution line, the links, the
// logo, Esc, dragging, and the way back from a finished game.
#include "WelcomeFixture.h"

namespace storyloom::test {
namespace {

using WelcomeWindowTest = WelcomeTest;

// A left click at the centre of a control, in window pixels.
void ClickOn(forms::Window& window, const forms::Control& c) {
    const QPoint at = c.WindowPixelRect().center();
    window.MouseDown(at, forms::kLeftButton, 0);
    window.MouseUp(at, forms::kLeftButton, 0);
}

TEST_F(WelcomeWindowTest, StartBuildsTheGameAndHidesTheWelcomeWindow) {
    ASSERT_TRUE(Start());
    ClickOn(welcome->window, *welcome->lblButton[0]);
    ASSERT_NE(welcome->CurrentGame(), nullptr);
    Game& game = *welcome->CurrentGame();
    EXPECT_FALSE(WelcomeState()->shown);
    EXPECT_FALSE(welcome->window.Visible());
    EXPECT_EQ(game.state.frame.CurrentFrameName, "Start");
    const auto* state = windows.StateOf(game.window);
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->shown);
    EXPECT_TRUE(state->style.fullScreen);
    EXPECT_TRUE(state->style.menuBar);
    // The game fills the screen, its 64x48 picture in the middle.
    EXPECT_EQ(game.window.PixelRect().size(), QSize(1024, 768));
    const QImage screen = windows.Screenshot(QSize(1024, 768));
    EXPECT_EQ(screen.pixel(512, 384), qRgb(0, 255, 0));
    EXPECT_EQ(screen.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(BoxTexts(), QStringList());
}

TEST_F(WelcomeWindowTest, GameInAWindowIsNotFullScreen) {
    general.RunInWindow = true;
    ASSERT_TRUE(Start());
    welcome->ClickButton(0);
    ASSERT_NE(welcome->CurrentGame(), nullptr);
    EXPECT_FALSE(windows.StateOf(welcome->CurrentGame()->window)->style.fullScreen);
}

TEST_F(WelcomeWindowTest, StartSwitchesTheResolutionWhenTicked) {
    general.OfferResolutionChange = 1;
    general.ResolutionChoice = 0;
    ASSERT_TRUE(Start());
    const qint64 before = t.loop.NowMs();
    welcome->ClickButton(0);
    EXPECT_EQ(display.ScreenSize(), QSize(640, 480));
    EXPECT_GE(t.loop.NowMs() - before, 1000);  // the second with the busy pointer
    EXPECT_EQ(welcome->Screen().pointer, forms::MousePointer::Default);
    ASSERT_NE(welcome->CurrentGame(), nullptr);
    EXPECT_EQ(welcome->CurrentGame()->ScreenWidthPx, 640);
    EXPECT_EQ(welcome->CurrentGame()->window.PixelRect().size(), QSize(640, 480));

    // When the game ends the screen is put back and the welcome window shows again.
    welcome->CurrentGame()->StartUnloading();
    t.loop.Advance(600);
    EXPECT_TRUE(welcome->CurrentGame()->Closed());
    EXPECT_EQ(display.ScreenSize(), QSize(1024, 768));
    EXPECT_TRUE(WelcomeState()->shown);
    EXPECT_TRUE(welcome->window.Visible());
    EXPECT_FALSE(windows.StateOf(welcome->CurrentGame()->window)->shown);
    EXPECT_FALSE(windows.quitRequested);

    // A second Start builds a fresh game window.
    welcome->ClickButton(0);
    EXPECT_FALSE(welcome->CurrentGame()->Closed());
    EXPECT_TRUE(windows.StateOf(welcome->CurrentGame()->window)->shown);
    EXPECT_FALSE(WelcomeState()->shown);
}

TEST_F(WelcomeWindowTest, UntickedOfferLeavesTheScreen) {
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    welcome->chkResolution_Click();
    EXPECT_EQ(welcome->chkResolution->Value(), 0);
    const qint64 before = t.loop.NowMs();
    welcome->ClickButton(0);
    EXPECT_EQ(display.ScreenSize(), QSize(1024, 768));
    EXPECT_EQ(t.loop.NowMs(), before);
}

TEST_F(WelcomeWindowTest, FailingGameWindowShowsTheBox) {
    ASSERT_TRUE(Start());
    gameFails = true;
    welcome->ClickButton(0);
    EXPECT_EQ(BoxTexts(),
              QStringList{ErrorText(" Error loading the main program window. Try restarting the "
                                    "program. Out of memory")});
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(WelcomeState()->shown);
}

TEST_F(WelcomeWindowTest, FailedStartAfterTheResolutionSwitchBringsTheWindowBack) {
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    gameFails = true;
    welcome->ClickButton(0);
    EXPECT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(WelcomeState()->shown);
    EXPECT_TRUE(welcome->window.Visible());
    EXPECT_FALSE(windows.quitRequested);
}

TEST_F(WelcomeWindowTest, FailedStartOfAProjectWithoutWelcomeWindowEndsTheProgram) {
    general.SkipWelcomeScreen = true;
    gameFails = true;
    Start();
    EXPECT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(windows.quitRequested);
    EXPECT_EQ(WelcomeState() ? WelcomeState()->showCount : 0, 0);
}

TEST_F(WelcomeWindowTest, LoadLetsGoOfTopmostAndAsksTheLoadWindow) {
    ASSERT_TRUE(Start());
    int asked = 0;
    welcome->showLoadGameWindow = [&asked] { ++asked; };
    ClickOn(welcome->window, *welcome->lblButton[1]);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(WelcomeState()->topmost);
    EXPECT_EQ(welcome->CurrentGame(), nullptr);
    // Coming back to the window makes it topmost again.
    welcome->window.onActivate();
    EXPECT_TRUE(WelcomeState()->topmost);
}

TEST_F(WelcomeWindowTest, ExitAndEscEndTheProgram) {
    ASSERT_TRUE(Start());
    ClickOn(welcome->window, *welcome->lblButton[2]);
    EXPECT_TRUE(windows.quitRequested);
    EXPECT_EQ(windows.exitCode, 0);
    EXPECT_TRUE(welcome->Unloaded());

    welcome.reset();
    windows.quitRequested = false;
    ASSERT_TRUE(Start());
    welcome->window.KeyDown(65, 0);  // another key does nothing
    EXPECT_FALSE(windows.quitRequested);
    welcome->window.KeyDown(27, 0);
    EXPECT_TRUE(windows.quitRequested);
    EXPECT_FALSE(WelcomeState()->shown);
}

TEST_F(WelcomeWindowTest, PictureButtonsClickLikeTextButtons) {
    general.SchemeName = QStringLiteral("Pics");
    WritePicture(QStringLiteral("Schemes/Pics/exit.bmp"), QSize(60, 20), Qt::white);
    SchemeFile s;
    s.pictures = {"[none]", "[none]", "exit.bmp"};
    s.colours = {0, 0, 0};
    WriteScheme("Pics", s);
    ASSERT_TRUE(Start());
    ClickOn(welcome->window, *welcome->Img[2]);
    EXPECT_TRUE(windows.quitRequested);
}

TEST_F(WelcomeWindowTest, ResolutionTextTogglesAndSavesTheBoxDoesNotSave) {
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    ASSERT_EQ(w.chkResolution->Value(), 1);
    ClickOn(w.window, *w.lblResolution);
    EXPECT_EQ(w.chkResolution->Value(), 0);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kChangeResolution), "0");
    ClickOn(w.window, *w.lblResolution);
    EXPECT_EQ(w.chkResolution->Value(), 1);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kChangeResolution), "1");

    ClickOn(w.window, w.chkResolution->Box());
    EXPECT_EQ(w.chkResolution->Value(), 0);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kChangeResolution), "1");
}

TEST_F(WelcomeWindowTest, CheckBoxDrawsItsTick) {
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    const QRect box = welcome->chkResolution->Box().PixelRect();
    auto darkPixels = [&] {
        const QImage shot = Render();
        int dark = 0;
        for (int y = box.top() + 2; y < box.bottom() - 1; ++y)
            for (int x = box.left() + 2; x < box.right() - 1; ++x)
                dark += qGray(shot.pixel(x, y)) < 64;
        return dark;
    };
    const int ticked = darkPixels();
    welcome->chkResolution_Click();
    EXPECT_GT(ticked, 10);
    EXPECT_EQ(darkPixels(), 0);
}

TEST_F(WelcomeWindowTest, EmailAsksFirstAndOpensTheMailProgram) {
    general.GameName = QStringLiteral("Mill");
    general.AuthorEmail = QStringLiteral("ann@example.org");
    ASSERT_TRUE(Start());
    t.dialogs.QueueAnswer(QStringLiteral("No"));
    ClickOn(welcome->window, *welcome->txtEmail);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Mill");
    EXPECT_EQ(t.Boxes()[0].text,
              "Do you want to open the default mail client to send an e-mail to: "
              "ann@example.org ?");
    EXPECT_EQ(t.Boxes()[0].buttons, BoxButtons::YesNo);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_TRUE(WelcomeState()->topmost);

    t.dialogs.QueueAnswer(QStringLiteral("Yes"));
    ClickOn(welcome->window, *welcome->txtEmail);
    EXPECT_EQ(shell.Opened(), QStringList{"mailto:ann@example.org"});
    EXPECT_FALSE(WelcomeState()->topmost);  // the mail program comes to the front
    EXPECT_TRUE(t.dialogs.problems.empty());
}

TEST_F(WelcomeWindowTest, HomepageAsksFirstAndOpensTheAddress) {
    general.GameName = QStringLiteral("Mill");
    general.HomepageAddress = QStringLiteral("www.example.org");
    ASSERT_TRUE(Start());
    t.dialogs.QueueAnswer(QStringLiteral("Yes"));
    ClickOn(welcome->window, *welcome->txtHomepage);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              "Do you want to visit www.example.org ? (You must be connected to the Internet)");
    EXPECT_EQ(shell.Opened(), QStringList{"www.example.org"});
}

TEST_F(WelcomeWindowTest, LogoOffersTheToolsWebSite) {
    ASSERT_TRUE(Start());
    t.dialogs.QueueAnswer(QStringLiteral("No"));
    // The logo's visible part is the strip at the window's right edge.
    const QRect logo = welcome->imgLogo->WindowPixelRect();
    welcome->window.MouseDown(QPoint(logo.center().x(), 100), forms::kLeftButton, 0);
    welcome->window.MouseUp(QPoint(logo.center().x(), 100), forms::kLeftButton, 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Storyloom");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Information);
    EXPECT_EQ(t.Boxes()[0].text, "For details and downloads, visit: " + kStoryloomWebAddress +
                                     "\r\n\r\nDo you want to visit it now? (You must be "
                                     "connected to the Internet)");
    EXPECT_TRUE(shell.requests.empty());
    t.dialogs.QueueAnswer(QStringLiteral("Yes"));
    welcome->imgLogo_Click();
    EXPECT_EQ(shell.Opened(), QStringList{kStoryloomWebAddress});
}

TEST_F(WelcomeWindowTest, DraggingMovesTheWindowAndIsNoClick) {
    general.AuthorEmail = QStringLiteral("ann@example.org");
    ASSERT_TRUE(Start());
    forms::Window& w = welcome->window;
    const QPoint origin = w.PixelRect().topLeft();
    // Pressed on the e-mail line, the pointer moves 10 right and 5 down; the window follows,
    // so in its own pixels the pointer stays where it was pressed.
    const QPoint at = welcome->txtEmail->WindowPixelRect().center();
    w.MouseDown(at, forms::kLeftButton, 0);
    w.MouseMove(at + QPoint(10, 5), forms::kLeftButton, 0);
    EXPECT_EQ(w.PixelRect().topLeft(), origin + QPoint(10, 5));
    w.MouseMove(at + QPoint(-4, 0), forms::kLeftButton, 0);
    EXPECT_EQ(w.PixelRect().topLeft(), origin + QPoint(6, 5));
    w.MouseUp(at, forms::kLeftButton, 0);
    EXPECT_TRUE(t.Boxes().empty());  // no e-mail question after a drag
    EXPECT_GE(WelcomeState()->placeCount, 2);

    // Dragging by the background; moving without the button does nothing.
    w.MouseMove(QPoint(5, 5) + QPoint(30, 30), 0, 0);
    EXPECT_EQ(w.PixelRect().topLeft(), origin + QPoint(6, 5));
    w.MouseDown(QPoint(5, 5), forms::kLeftButton, 0);
    w.MouseMove(QPoint(5, 25), forms::kLeftButton, 0);
    w.MouseUp(QPoint(5, 5), forms::kLeftButton, 0);
    EXPECT_EQ(w.PixelRect().topLeft(), origin + QPoint(6, 25));

    // A press that hardly moves is still a click.
    t.dialogs.QueueAnswer(QStringLiteral("No"));
    w.MouseDown(at, forms::kLeftButton, 0);
    w.MouseMove(at + QPoint(1, 0), forms::kLeftButton, 0);
    w.MouseUp(at + QPoint(1, 0), forms::kLeftButton, 0);
    EXPECT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(w.PixelRect().topLeft(), origin + QPoint(6, 25));
}

TEST_F(WelcomeWindowTest, ScreenshotOfAFullWindow) {
    general.GameName = QStringLiteral("The Secret of the Old Mill");
    general.GameVersion = QStringLiteral("Version 1.0");
    general.AuthorName = QStringLiteral("Ann Author");
    general.AuthorEmail = QStringLiteral("ann@example.org");
    general.HomepageAddress = QStringLiteral("www.example.org");
    general.OfferResolutionChange = 1;
    ASSERT_TRUE(Start());
    const QImage shot = Render();
    ASSERT_EQ(shot.size(), QSize(320, 295));
    shot.save(QStringLiteral("/tmp/startup-welcome-full.png"));
    windows.Screenshot(QSize(1024, 768)).save(QStringLiteral("/tmp/startup-welcome-screen.png"));
    // The logo strip shows at the right edge; the background is the classic grey.
    EXPECT_NE(shot.pixel(312, 150), shot.pixel(150, 2));
    EXPECT_EQ(shot.pixel(150, 2), qRgb(192, 192, 192));
}

}  // namespace
}  // namespace storyloom::test
