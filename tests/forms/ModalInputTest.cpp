// Input through the real Qt shell when a modal box opens between a press and its release: the
// release goes to the box, so the window must let go of the mouse when the box opens, or every
// later click reaches the control that was pressed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "FormsTestSupport.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Window.h"
#include "platform/forms/qt/FormView.h"
#include "platform/forms/qt/QtWindowHost.h"

namespace storyloom::forms {
namespace {

// Closes the modal box that is open `ms` from now, as a player pressing OK would.
void CloseBoxAfter(int ms) {
    QTimer::singleShot(ms, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
}

class ModalInputTest : public ::testing::Test {
  protected:
    ModalInputTest() {
        test::EnsureApp();
        window.SetPixelRect(QRect(0, 0, 200, 150));
        boat = window.Add<Image>(QStringLiteral("Boat"));
        boat->Move(20 * 15, 20 * 15, 40 * 15, 30 * 15);
        boat->onMouseDown = [this](Control&, int, int, double, double) {
            ++boatPresses;
            if (openBox) {
                CloseBoxAfter(50);
                dialogs.Show(BoxIcon::Information, QStringLiteral("Rowboat"),
                             QStringLiteral("The boat is tied fast."));
            }
        };
        window.onMouseDown = [this](Control&, int, int, double, double) { ++windowPresses; };
        host.Show(window, WindowStyle{});
        QCoreApplication::processEvents();
        view = host.ViewOf(window);
    }

    QPoint At(QPoint windowPixel) const {
        // The view shows the window 1:1 at its origin.
        return view->ScreenArea().topLeft() + windowPixel;
    }

    FixedDisplay display{QSize(200, 150)};
    QtWindowHost host{display};
    QtDialogs dialogs;
    Window window;
    Image* boat = nullptr;
    FormView* view = nullptr;
    bool openBox = true;
    int boatPresses = 0;
    int windowPresses = 0;
};

TEST_F(ModalInputTest, AClickAfterABoxThatTookTheReleaseGoesWhereItIsMade) {
    ASSERT_NE(view, nullptr);
    QTest::mousePress(view, Qt::LeftButton, {}, At(QPoint(30, 30)));
    // The box opened and closed inside the press; its release never reaches the view.
    EXPECT_EQ(boatPresses, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTest::mouseClick(view, Qt::LeftButton, {}, At(QPoint(150, 120)));
    EXPECT_EQ(boatPresses, 1) << "the press beside the boat went to the boat again";
    EXPECT_EQ(windowPresses, 1);

    // And the boat itself still takes an ordinary click.
    openBox = false;
    QTest::mouseClick(view, Qt::LeftButton, {}, At(QPoint(30, 30)));
    EXPECT_EQ(boatPresses, 2);
}

TEST_F(ModalInputTest, ADragAndTheCaptureEndWhenAWindowIsBlockedOrLosesTheInput) {
    boat->SetDragMode(1);
    openBox = false;
    QTest::mousePress(view, Qt::LeftButton, {}, At(QPoint(30, 30)));
    ASSERT_EQ(window.CurrentDrag().source, boat);
    // A box from elsewhere (a timer's script, say) blocks the window while the button is down.
    CloseBoxAfter(50);
    dialogs.Show(BoxIcon::Information, QStringLiteral("Timer"), QStringLiteral("Time is up."));
    EXPECT_EQ(window.CurrentDrag().source, nullptr);

    // A press held on the background, then the window is deactivated: the capture goes too.
    boat->SetDragMode(0);
    QTest::mousePress(view, Qt::LeftButton, {}, At(QPoint(150, 120)));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(host.WidgetOf(window), &deactivate);
    QTest::mousePress(view, Qt::LeftButton, {}, At(QPoint(30, 30)));
    EXPECT_EQ(boatPresses, 1) << "the held capture of the background took the boat's press";
}

TEST(ModalInputHookTest, EveryBoxOfTheTestPlatformReleasesTheWindowsItIsHooked) {
    test::EnsureApp();
    HeadlessWindowHost windows;
    ScriptedDialogs dialogs;
    dialogs.onModalOpening = [&windows] { windows.CancelMouseModes(); };
    Window window;
    window.SetPixelRect(QRect(0, 0, 100, 100));
    auto* spot = window.Add<Image>(QStringLiteral("Spot"));
    spot->Move(0, 0, 50 * 15, 50 * 15);
    int spotPresses = 0;
    spot->onMouseDown = [&](Control&, int, int, double, double) { ++spotPresses; };
    windows.Show(window, WindowStyle{});
    window.MouseDown(QPoint(10, 10), kLeftButton, 0);
    dialogs.Show(BoxIcon::None, QStringLiteral("t"), QStringLiteral("x"));
    window.MouseDown(QPoint(80, 80), kLeftButton, 0);
    EXPECT_EQ(spotPresses, 1);
    (void)dialogs.InputBox(InputBoxRequest{});
    window.MouseDown(QPoint(10, 10), kLeftButton, 0);
    window.MouseUp(QPoint(10, 10), kLeftButton, 0);
    EXPECT_EQ(spotPresses, 2);
}

}  // namespace
}  // namespace storyloom::forms
