// The display resolution steps, the shell service and the windows on a real (offscreen) Qt
// desktop.
#include <QScreen>
#include <QWidget>

#include "WelcomeFixture.h"
#include "platform/forms/qt/FormView.h"
#include "platform/forms/qt/QtWindowHost.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

class ResolutionsTest : public ::testing::Test {
  protected:
    ResolutionsTest() { EnsureApp(); }
    TestProgram t;
    FixedDisplay display{QSize(800, 600)};
    Resolutions r{t.program, display};
};

TEST_F(ResolutionsTest, SameWidthChangesNothing) {
    r.RecordDisplayMode();
    r.ChangeResolution(2);
    EXPECT_FALSE(display.IsEmulatingMode());
    EXPECT_EQ(t.loop.NowMs(), 0);  // no wait either

    display.SetDesktopSize(QSize(800, 768));
    r.ChangeResolution(2);  // only the width is compared
    EXPECT_FALSE(display.IsEmulatingMode());
    r.ChangeResolution(4);  // no such code
    EXPECT_FALSE(display.IsEmulatingMode());
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ResolutionsTest, ChangeWaitsASecondWithTheBusyPointerAndRestoreUndoesIt) {
    r.RecordDisplayMode();
    forms::ScreenPointer pointer;
    std::vector<forms::MousePointer> seen;
    pointer.onChanged = [&] { seen.push_back(pointer.pointer); };
    r.ChangeResolution(1, &pointer);
    EXPECT_EQ(display.ScreenSize(), QSize(640, 480));
    EXPECT_EQ(t.loop.NowMs(), 1000);
    EXPECT_EQ(seen, (std::vector<forms::MousePointer>{forms::MousePointer::ArrowHourglass,
                                                      forms::MousePointer::Default}));
    r.RestoreDisplayModeIfChanged();
    EXPECT_EQ(display.ScreenSize(), QSize(800, 600));
    EXPECT_FALSE(display.IsEmulatingMode());
}

TEST_F(ResolutionsTest, UnknownRefreshRateAppliesTheSizeOnly) {
    display.SetRefreshRate(0);
    r.RecordDisplayMode();
    r.ChangeResolution(3);
    EXPECT_EQ(display.ScreenSize(), QSize(1024, 768));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ResolutionsTest, ModeNotOfferedIsReported) {
    SetDefaultMessages(t.program.Messages, 0);
    r.SetDisplayMode(333, 222, false);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(
        t.Boxes()[0].text.endsWith(" Unable to change display resolution. Mode not supported."));
    EXPECT_FALSE(display.IsEmulatingMode());
}

TEST_F(ResolutionsTest, TargetComparesTheRecordedSize) {
    display.SetDesktopSize(QSize(800, 600));
    r.RecordDisplayMode();
    t.program.info.ResolutionChoice = 1;
    EXPECT_TRUE(r.IsAtTargetResolution());
    t.program.info.ResolutionChoice = 0;
    EXPECT_FALSE(r.IsAtTargetResolution());
    t.program.info.ResolutionChoice = 7;
    EXPECT_FALSE(r.IsAtTargetResolution());
}

TEST(ResolutionLineTest, TrailingPointAndOldResolutionAreDropped) {
    EXPECT_EQ(ResolutionLineCaption("Change display resolution to 640x480.", 1),
              "Change display resolution to 800x600.");
    EXPECT_EQ(ResolutionLineCaption("Change display resolution to", 0),
              "Change display resolution to 640x480.");
    EXPECT_EQ(ResolutionLineCaption("Aufloesung 640X480", 2), "Aufloesung 1024x768.");
    EXPECT_EQ(ResolutionLineCaption("Resolution 640*480.", 0), "Resolution 640x480.");
    EXPECT_EQ(ResolutionLineCaption("Resolution 640 x 480.", 1), "Resolution 800x600.");
    EXPECT_EQ(ResolutionLineCaption("Resolution 640 * 480", 1), "Resolution 800x600.");
    // Lengths below the limits keep their text.
    EXPECT_EQ(ResolutionLineCaption(".", 0), ". 640x480.");
    EXPECT_EQ(ResolutionLineCaption("640x480", 0), "640x480 640x480.");
    EXPECT_EQ(ResolutionLineCaption("x.", 0), "x 640x480.");
    // Another resolution named in the text stays; an unknown choice has no size.
    EXPECT_EQ(ResolutionLineCaption("Go to 800x600", 0), "Go to 800x600 640x480.");
    EXPECT_EQ(ResolutionLineCaption("Change to  ", 5), "Change to");
}

TEST(ShellTest, AddressesForTheDesktop) {
    EnsureApp();
    EXPECT_EQ(QtShell::UrlFor("mailto:ann@example.org"), "mailto:ann@example.org");
    EXPECT_EQ(QtShell::UrlFor("http://www.example.org/a b"), "http://www.example.org/a%20b");
    EXPECT_EQ(QtShell::UrlFor("www.example.org"), "http://www.example.org");
    const QString here = QCoreApplication::applicationFilePath();
    EXPECT_EQ(QtShell::UrlFor(here), "file://" + here);
}

TEST(ShellTest, RecordingShellNotesEveryRequest) {
    RecordingShell shell;
    shell.exitCode = 3;
    EXPECT_TRUE(shell.Open("www.example.org"));
    EXPECT_EQ(shell.Run("/bin/tool", {"-x"}, true), 3);
    EXPECT_EQ(shell.Run("/bin/tool", {}, false), 0);
    shell.openSucceeds = false;
    EXPECT_FALSE(shell.Open("mailto:a@b"));
    EXPECT_EQ(shell.Opened(), (QStringList{"www.example.org", "mailto:a@b"}));
    ASSERT_EQ(shell.requests.size(), 4u);
    EXPECT_TRUE(shell.requests[1].isRun);
    EXPECT_EQ(shell.requests[1].arguments, QStringList{"-x"});
}

TEST(ShellTest, RunWaitsForTheProgramsExitCode) {
    EnsureApp();
    VirtualEventLoop loop;
    QtShell shell(loop);
    EXPECT_EQ(shell.Run("/bin/sh", {"-c", "exit 4"}, true), 4);
    EXPECT_EQ(shell.Run("/nonexistent/program", {}, true), -1);
}

class QtHostTest : public WelcomeTest {
  protected:
    // The welcome window on the desktop host, then its Begin button: the game it started.
    Game* BeginOnTheDesktop(QtWindowHost& qt) {
        t.project.WriteGeneral(general);
        welcome = std::make_unique<frmWelcome>(
            t.program, WelcomeServices{display, resolutions, shell, qt, [this] {
                                           return std::make_unique<Game>(t.program, scripts);
                                       }});
        if (!welcome->Start(t.project.Root())) return nullptr;
        welcome->ClickButton(0);
        QCoreApplication::processEvents();
        return welcome->CurrentGame();
    }
};

TEST_F(QtHostTest, WelcomeWindowOnTheDesktopIsBorderlessAndOnTop) {
    QtWindowHost qt(display);
    t.project.WriteGeneral(general);
    welcome = std::make_unique<frmWelcome>(
        t.program, WelcomeServices{display, resolutions, shell, qt, nullptr});
    ASSERT_TRUE(welcome->Start(t.project.Root()));
    QCoreApplication::processEvents();
    QWidget* widget = qt.WidgetOf(welcome->window);
    ASSERT_NE(widget, nullptr);
    // Without the program's title, a window is titled by its own caption.
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Welcome"));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(widget->size(), QSize(320, 210));
    EXPECT_EQ(widget->pos() - widget->screen()->geometry().topLeft(),
              welcome->window.PixelRect().topLeft());
    qt.SetTopmost(welcome->window, true);
    EXPECT_TRUE(qt.IsTopmost(welcome->window));
    const QImage shot = widget->grab().toImage();
    shot.save(QStringLiteral("/tmp/startup-welcome-qt.png"));
    EXPECT_EQ(shot.size(), QSize(320, 210));
    EXPECT_EQ(shot.pixel(150, 2), qRgb(192, 192, 192));

    // A drag moves the real window along.
    const QPoint before = widget->pos();
    welcome->window.MouseDown(QPoint(5, 5), forms::kLeftButton, 0);
    welcome->window.MouseMove(QPoint(25, 15), forms::kLeftButton, 0);
    welcome->window.MouseUp(QPoint(5, 5), forms::kLeftButton, 0);
    EXPECT_EQ(widget->pos(), before + QPoint(20, 10));

    // Esc ends the program through the application.
    welcome->window.KeyDown(27, 0);
    EXPECT_TRUE(qt.QuitRequested());
    EXPECT_FALSE(widget->isVisible());
    welcome.reset();  // lets go of the widget before the host goes
}

TEST_F(QtHostTest, GameFillsTheScreenAndTheWelcomeWindowComesBack) {
    QtWindowHost qt(display);
    // Every window of the game carries the game's name on the desktop, whatever its caption.
    qt.applicationTitle = [this] { return t.program.info.GameName; };
    Game* started = BeginOnTheDesktop(qt);
    ASSERT_NE(started, nullptr);
    Game& game = *started;
    QWidget* gameWidget = qt.WidgetOf(game.window);
    ASSERT_NE(gameWidget, nullptr);
    EXPECT_TRUE(gameWidget->isFullScreen());
    EXPECT_EQ(gameWidget->geometry(), gameWidget->screen()->geometry());
    EXPECT_FALSE(qt.WidgetOf(welcome->window)->isVisible());
    EXPECT_EQ(gameWidget->windowTitle(), general.GameName);
    EXPECT_EQ(qt.WidgetOf(welcome->window)->windowTitle(), general.GameName);
    // The game's virtual screen (the 1024x768 display) letterboxed on the real one; its 64x48
    // green picture in the middle.
    forms::FormView* view = qt.ViewOf(game.window);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->VirtualScreen(), QSize(1024, 768));
    const QImage shot = view->grab().toImage();
    shot.save(QStringLiteral("/tmp/startup-game-qt.png"));
    EXPECT_EQ(shot.pixel(view->ScreenArea().center()), qRgb(0, 255, 0));

    // Closing the game window brings the welcome window back.
    gameWidget->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(game.Closed());
    EXPECT_FALSE(gameWidget->isVisible());
    EXPECT_TRUE(qt.WidgetOf(welcome->window)->isVisible());
    EXPECT_FALSE(qt.QuitRequested());
    welcome.reset();
}

TEST_F(QtHostTest, AResizedGameWindowComesBackToItsSizeAfterFullScreen) {
    QtWindowHost qt(display);
    general.RunInWindow = true;
    Game* game = BeginOnTheDesktop(qt);
    ASSERT_NE(game, nullptr);
    QWidget* widget = qt.WidgetOf(game->window);
    ASSERT_NE(widget, nullptr);
    ASSERT_FALSE(widget->isFullScreen());
    // The player makes the window larger, then goes full screen and back.
    widget->resize(700, 500);
    QCoreApplication::processEvents();
    const QRect before = widget->geometry();
    qt.ToggleFullScreen();
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget->isFullScreen());
    qt.ToggleFullScreen();
    QCoreApplication::processEvents();
    EXPECT_FALSE(widget->isFullScreen());
    EXPECT_EQ(widget->geometry(), before);
    widget->close();
    QCoreApplication::processEvents();
    welcome.reset();
}

}  // namespace
}  // namespace storyloom::test
