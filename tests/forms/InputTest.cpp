// Mouse, keys, drag and drop and pointers as a window delivers them; the Qt shell's mapping of
// real widget coordinates to window pixels; the display's emulated modes.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QMouseEvent>

#include "FormsTestSupport.h"
#include "platform/display/Display.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/qt/FormView.h"

namespace storyloom::forms {
namespace {

struct Event {
    QString what;
    QString control;
    int button = 0;
    double x = 0, y = 0;
    bool operator==(const Event&) const = default;
};

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApp();
        window.SetPixelRect(QRect(0, 0, 200, 150));
        box = window.Add<PictureBox>("PictureBox");
        box->SetBorderStyle(0);
        box->SetPixelRect(QRect(20, 10, 160, 120));
        area = box->Add<Image>("Area");
        area->SetPixelRect(QRect(102, 42, 20, 10));
        Watch(window);
        Watch(*box);
        Watch(*area);
    }
    void Watch(Control& c) {
        c.onMouseDown = [this](Control& s, int b, int, double x, double y) {
            log.push_back({"down", s.Name(), b, x, y});
        };
        c.onMouseUp = [this](Control& s, int b, int, double x, double y) {
            log.push_back({"up", s.Name(), b, x, y});
        };
        c.onMouseMove = [this](Control& s, int b, int, double x, double y) {
            log.push_back({"move", s.Name(), b, x, y});
        };
        c.onClick = [this](Control& s) { log.push_back({"click", s.Name()}); };
        c.onDblClick = [this](Control& s) { log.push_back({"dblclick", s.Name()}); };
        c.onDragOver = [this](Control& s, Control& src, double x, double y, DragOverState st) {
            log.push_back(
                {QStringLiteral("over%1:%2").arg(int(st)).arg(src.Name()), s.Name(), 0, x, y});
        };
        c.onDragDrop = [this](Control& s, Control& src, double x, double y) {
            log.push_back({"drop:" + src.Name(), s.Name(), 0, x, y});
        };
    }
    Window window;
    PictureBox* box = nullptr;
    Image* area = nullptr;
    std::vector<Event> log;
};

TEST_F(InputTest, AClickReachesTheControlUnderThePointerInTwips) {
    // (X 150, Y 300) twips inside a hotspot at (1530, 630) twips of the picture area.
    window.MouseDown(QPoint(20 + 102 + 10, 10 + 42 + 20 - 20 + 0), kLeftButton, 0);
    log.clear();
    window.MouseUp(QPoint(0, 0), kLeftButton, 0);
    log.clear();
    window.MouseDown(QPoint(20 + 102 + 10, 10 + 42 + 5), kLeftButton, 0);
    window.MouseUp(QPoint(20 + 102 + 10, 10 + 42 + 5), kLeftButton, 0);
    const std::vector<Event> expected = {
        {"down", "Area", 1, 150, 75}, {"up", "Area", 1, 150, 75}, {"click", "Area"}};
    EXPECT_EQ(log, expected);
    EXPECT_EQ((area->Left() + 150) / 15, 112);  // what the game stores as the click position
}

TEST_F(InputTest, ThePressedControlKeepsTheMouseUntilRelease) {
    window.MouseDown(QPoint(125, 55), kRightButton, 0);
    window.MouseMove(QPoint(5, 5), kRightButton, 0);  // far outside: still the hotspot's
    window.MouseUp(QPoint(5, 5), kRightButton, 0);    // released outside: no click
    window.MouseMove(QPoint(5, 5), 0, 0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1], (Event{"move", "Area", kRightButton, (5 - 122) * 15.0, (5 - 52) * 15.0}));
    EXPECT_EQ(log[2].what, "up");
    EXPECT_EQ(log[3].control, "Form");
}

TEST_F(InputTest, HiddenAndDisabledControlsLetThePointThrough) {
    area->SetVisible(false);
    window.MouseDown(QPoint(125, 55), kLeftButton, 0);
    EXPECT_EQ(log.back().control, "PictureBox");
    window.MouseUp(QPoint(125, 55), kLeftButton, 0);
    area->SetVisible(true);
    area->SetEnabled(false);
    EXPECT_EQ(window.HitTest(QPoint(125, 55)).control, box);
    EXPECT_EQ(window.HitTest(QPoint(125, 55)).local, QPoint(105, 45));
    EXPECT_EQ(window.HitTest(QPoint(500, 5)).control, nullptr);
    window.SetEnabled(false);  // a disabled window takes no clicks
    log.clear();
    window.MouseDown(QPoint(125, 55), kLeftButton, 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(InputTest, PixelScaleModeReportsPixels) {
    box->SetScaleMode(3);
    window.MouseDown(QPoint(30, 20), kLeftButton, 0);
    EXPECT_EQ(log.back(), (Event{"down", "PictureBox", 1, 10, 10}));
    window.MouseUp(QPoint(30, 20), kLeftButton, 0);
    // Lightweight controls report in their container's scale.
    window.MouseDown(QPoint(124, 53), kLeftButton, 0);
    EXPECT_EQ(log.back(), (Event{"down", "Area", 1, 2, 1}));
}

TEST_F(InputTest, DoubleClickSendsDblClickInsteadOfASecondMouseDown) {
    window.MouseDown(QPoint(125, 55), kLeftButton, 0);
    window.MouseUp(QPoint(125, 55), kLeftButton, 0);
    window.DoubleClick(QPoint(125, 55), kLeftButton, 0);
    window.MouseUp(QPoint(125, 55), kLeftButton, 0);
    std::vector<QString> kinds;
    for (const auto& e : log) kinds.push_back(e.what);
    EXPECT_EQ(kinds, (std::vector<QString>{"down", "up", "click", "dblclick", "up"}));
}

TEST_F(InputTest, KeysGoToTheWindowEvenWhenDisabled) {
    std::vector<std::pair<int, int>> keys;
    window.onKeyDown = [&](int code, int shift) { keys.emplace_back(code, shift); };
    window.KeyDown(27, 0);
    window.SetEnabled(false);
    window.KeyDown(83, kCtrlMask);
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{27, 0}, {83, kCtrlMask}}));
}

TEST_F(InputTest, DraggingAnItemSendsDragOverAndDropsWhereReleased) {
    auto* item = window.Add<Image>("PickedObject");
    item->SetPixelRect(QRect(0, 0, 16, 16));
    Watch(*item);
    item->SetDragIcon(test::DecodeIconForTests());
    item->onMouseDown = [&](Control& c, int, int, double, double) { c.Drag(1); };
    window.MouseDown(QPoint(4, 4), kLeftButton, 0);
    ASSERT_EQ(window.CurrentDrag().source, item);
    EXPECT_EQ(window.PointerAt(QPoint(4, 4)).kind, MousePointer::Custom);
    EXPECT_EQ(window.PointerAt(QPoint(4, 4)).icon, item->DragIcon());
    window.MouseMove(QPoint(50, 50), kLeftButton, 0);  // over the picture area
    window.MouseMove(QPoint(51, 50), kLeftButton, 0);
    window.MouseMove(QPoint(125, 55), kLeftButton, 0);  // over the hotspot
    window.MouseUp(QPoint(125, 55), kLeftButton, 0);
    EXPECT_EQ(window.CurrentDrag().source, nullptr);
    std::vector<Event> expected = {
        {"over0:PickedObject", "PictureBox", 0, 30 * 15.0, 40 * 15.0},
        {"over2:PickedObject", "PictureBox", 0, 31 * 15.0, 40 * 15.0},
        {"over1:PickedObject", "PictureBox", 0, 105 * 15.0, 45 * 15.0},
        {"over0:PickedObject", "Area", 0, 3 * 15.0, 3 * 15.0},
        {"drop:PickedObject", "Area", 0, 3 * 15.0, 3 * 15.0},
    };
    EXPECT_EQ(log, expected);
}

TEST_F(InputTest, AutomaticDragModeStartsWithoutMouseDownAndCancelSendsLeave) {
    area->SetDragMode(1);
    window.MouseDown(QPoint(125, 55), kLeftButton, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(window.CurrentDrag().source, area);
    EXPECT_EQ(window.PointerAt(QPoint(0, 0)).kind, MousePointer::Arrow);  // outline, no icon
    window.MouseMove(QPoint(30, 20), kLeftButton, 0);
    area->Drag(0);
    EXPECT_EQ(window.CurrentDrag().source, nullptr);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].what, "over1:Area");
    // Unloading the dragged control ends the drag.
    area->SetDragMode(1);
    window.MouseDown(QPoint(125, 55), kLeftButton, 0);
    box->Remove(area);
    EXPECT_EQ(window.CurrentDrag().source, nullptr);
    window.MouseUp(QPoint(125, 55), kLeftButton, 0);
}

TEST_F(InputTest, PointerComesFromScreenThenControlThenContainer) {
    QImage cur(8, 8, QImage::Format_ARGB32);
    cur.fill(Qt::black);
    const Picture custom = Picture::FromImage(cur, PictureType::Icon);
    ScreenPointer screen;
    EXPECT_EQ(window.PointerAt(QPoint(125, 55), &screen).kind, MousePointer::Default);
    box->SetPointer(MousePointer::Hourglass);
    EXPECT_EQ(window.PointerAt(QPoint(125, 55), &screen).kind, MousePointer::Hourglass);
    area->SetPointer(MousePointer::Custom);
    EXPECT_EQ(window.PointerAt(QPoint(125, 55), &screen).kind, MousePointer::Default);  // no icon
    area->SetMouseIcon(custom);
    EXPECT_EQ(window.PointerAt(QPoint(125, 55), &screen),
              (PointerShape{MousePointer::Custom, custom}));
    screen.Set(MousePointer::ArrowHourglass);
    EXPECT_EQ(window.PointerAt(QPoint(125, 55), &screen).kind, MousePointer::ArrowHourglass);
    screen.Set(MousePointer::Default);
    EXPECT_EQ(window.PointerAt(QPoint(5, 5), &screen).kind, MousePointer::Default);
}

TEST_F(InputTest, EveryScalingModeMapsThePicturesCornersBackExactly) {
    // A game window of 200x150 in a resized window of 1280x700 (no virtual screen: the window
    // fills the view), in each mode: where the picture lies, and its corner pixels.
    window.SetPixelRect(QRect(0, 0, 200, 150));
    FormView view(window);
    view.resize(1280, 700);
    struct Case {
        ScalingMode mode;
        QRect area;
    };
    for (const Case& c : {Case{ScalingMode::Original, QRect(540, 275, 200, 150)},
                          Case{ScalingMode::Sharp, QRect(240, 50, 800, 600)},  // 4 x
                          Case{ScalingMode::Smooth, QRect(173, 0, 933, 700)},
                          Case{ScalingMode::Stretch, QRect(0, 0, 1280, 700)}}) {
        SCOPED_TRACE(ScalingModeName(c.mode).toStdString());
        view.SetScaling(c.mode);
        const QRect& area = c.area;
        EXPECT_EQ(view.ScreenArea(), area);
        EXPECT_EQ(view.ToWindowPixels(area.topLeft()), QPoint(0, 0));
        EXPECT_EQ(view.ToWindowPixels(area.topRight()), QPoint(199, 0));
        EXPECT_EQ(view.ToWindowPixels(area.bottomLeft()), QPoint(0, 149));
        EXPECT_EQ(view.ToWindowPixels(area.bottomRight()), QPoint(199, 149));
        // One pixel outside the picture is outside the window.
        EXPECT_LT(view.ToWindowPixels(area.topLeft() - QPoint(1, 1)).x(), 0);
    }
    for (ScalingMode m :
         {ScalingMode::Original, ScalingMode::Sharp, ScalingMode::Smooth, ScalingMode::Stretch})
        EXPECT_EQ(ScalingModeNamed(ScalingModeName(m)), m);
    EXPECT_EQ(ScalingModeNamed(QStringLiteral("SMOOTH")), ScalingMode::Smooth);
    EXPECT_FALSE(ScalingModeNamed(QStringLiteral("blurry")));
    // A window smaller than the picture: Original shows its middle, Sharp shrinks to fit.
    view.resize(100, 100);
    view.SetScaling(ScalingMode::Original);
    EXPECT_EQ(view.ScreenArea(), QRect(-50, -25, 200, 150));
    view.SetScaling(ScalingMode::Sharp);
    EXPECT_EQ(view.ScreenArea(), QRect(0, 12, 100, 75));
}

TEST_F(InputTest, ShellMapsTheScaledVirtualScreenBackToWindowPixels) {
    window.SetPixelRect(QRect(160, 120, 200, 150));  // centred on a 640x480 virtual screen
    ScreenPointer screen;
    FormView view(window, &screen);
    view.SetVirtualScreen(QSize(640, 480));
    view.SetScaling(ScalingMode::Sharp);
    view.resize(1920, 1080);  // factor 2, bars of 320 at the sides, 60 above and below
    EXPECT_EQ(view.ScreenArea(), QRect(320, 60, 1280, 960));
    EXPECT_EQ(view.ToWindowPixels(QPoint(320 + 2 * 160, 60 + 2 * 120)), QPoint(0, 0));
    EXPECT_EQ(view.ToWindowPixels(QPoint(320 + 2 * 285 + 1, 60 + 2 * 175 + 1)), QPoint(125, 55));

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(320 + 2 * 285, 60 + 2 * 175), QPointF(),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (Event{"down", "Area", 1, 45, 45}));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F5, Qt::ShiftModifier);
    int code = 0, shift = 0;
    window.onKeyDown = [&](int c, int s) { code = c, shift = s; };
    QCoreApplication::sendEvent(&view, &key);
    EXPECT_EQ(code, 116);
    EXPECT_EQ(shift, kShiftMask);

    // The pointer over a control follows its MousePointer, a custom one scaled with the screen.
    box->SetPointer(MousePointer::Hourglass);
    QMouseEvent move(QEvent::MouseMove, QPointF(320 + 2 * 185, 60 + 2 * 135), QPointF(),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &move);
    EXPECT_EQ(view.cursor().shape(), Qt::WaitCursor);
    const Picture pointer =
        DecodePicture(test::MonoCursor(true, 3, 5, {QPoint(1, 1)}, {}, {QPoint(2, 2)})).picture;
    box->SetMouseIcon(pointer);
    box->SetPointer(MousePointer::Custom);
    view.UpdatePointer();
    EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view.cursor().hotSpot(), QPoint(6, 10));
    screen.Set(MousePointer::ArrowHourglass);
    EXPECT_EQ(view.cursor().shape(), Qt::BusyCursor);
    screen.Set(MousePointer::Default);

    FixedDisplay display(QSize(1920, 1080));
    view.FollowDisplay(display);
    EXPECT_EQ(view.VirtualScreen(), QSize(1920, 1080));
    display.ChangeMode(640, 480);
    display.SetScaling(ScreenScaling::Sharp);
    EXPECT_EQ(view.VirtualScreen(), QSize(640, 480));
    EXPECT_EQ(view.Scaling(), ScalingMode::Sharp);

    const QImage screenImage = view.ScreenImage();
    EXPECT_EQ(screenImage.size(), QSize(640, 480));
    EXPECT_EQ(screenImage.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(screenImage.pixel(161, 121), ToRgb32(kSysButtonFace));
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_Q), 81);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_Escape), 27);
}

TEST_F(InputTest, HostBuildsQtMenusFromTheModelAndHidesAnEmptyBar) {
    MenuItem* game = window.Menus().Add("mnuGame", "Game");
    MenuItem* load = game->Add("mnuLoadGame", "Load Game");
    int loads = 0;
    load->onClick = [&] { ++loads; };
    window.Menus().Add("mnuDebug", "Debug")->visible = false;
    FormHost host(window);
    host.RebuildMenus();
    const auto actions = host.MenuBar().actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isVisible());
    EXPECT_FALSE(actions[1]->isVisible());
    actions[0]->menu()->actions()[0]->trigger();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(window.FindMenu("MNULOADGAME"), load);
    game->visible = false;
    host.RebuildMenus();
    EXPECT_TRUE(host.MenuBar().isHidden());
}

TEST(DisplayTest, ModesAreEmulatedOnAVirtualScreen) {
    FixedDisplay display(QSize(1920, 1080), 16, 60);
    int changes = 0;
    display.onScreenChanged = [&] { ++changes; };
    EXPECT_EQ(display.ScreenWidth(), 1920);
    EXPECT_EQ(display.ChangeMode(800, 600), DisplayChangeResult::Successful);
    EXPECT_EQ(display.ScreenSize(), QSize(800, 600));
    EXPECT_TRUE(display.IsEmulatingMode());
    EXPECT_EQ(display.ChangeMode(800, 600, 60), DisplayChangeResult::Successful);
    EXPECT_EQ(changes, 1);  // already there: nothing changes
    EXPECT_EQ(display.ChangeMode(800, 600, 75), DisplayChangeResult::BadMode);
    EXPECT_EQ(display.ChangeMode(801, 600), DisplayChangeResult::BadMode);
    EXPECT_EQ(display.ScreenSize(), QSize(800, 600));
    EXPECT_EQ(display.ChangeMode(1920, 1080, 60), DisplayChangeResult::Successful);  // restore
    EXPECT_FALSE(display.IsEmulatingMode());
    EXPECT_EQ(changes, 2);

    std::vector<DisplayMode> modes;
    for (int i = 0; auto m = display.EnumerateMode(i); ++i) modes.push_back(*m);
    ASSERT_EQ(modes.size(), 4u);
    EXPECT_EQ(modes[0], (DisplayMode{640, 480, 32, 60}));
    EXPECT_EQ(modes[3], (DisplayMode{1920, 1080, 32, 60}));
    EXPECT_EQ(display.StoredMode(), (DisplayMode{1920, 1080, 32, 60}));
    display.SetDesktopSize(QSize(1024, 768));
    int count = 0;
    while (display.EnumerateMode(count)) ++count;
    EXPECT_EQ(count, 3);  // the desktop's own size is already in the list
}

TEST(DisplayTest, SmallFontsUpToSixteenPixels) {
    FixedDisplay display;
    display.SetTextHeight(16);
    EXPECT_TRUE(display.UsesSmallFonts());
    display.SetTextHeight(17);
    EXPECT_FALSE(display.UsesSmallFonts());
    display.SetTextHeight(-1);  // nothing to measure with
    EXPECT_TRUE(display.UsesSmallFonts());
    test::EnsureApp();
    QtDisplay real;
    EXPECT_GT(real.DesktopTextHeight(), 0);
    EXPECT_FALSE(real.DesktopSize().isEmpty());
}

}  // namespace
}  // namespace storyloom::forms
