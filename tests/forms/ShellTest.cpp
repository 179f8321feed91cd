// The Qt shell on screen: a window with every control kind on a 640x480 virtual screen shown
// letterboxed in a wide widget, grabbed as the user would see it.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "FormsTestSupport.h"
#include "ShowcaseWindow.h"
#include "platform/forms/qt/FormView.h"

namespace storyloom::forms {
namespace {

TEST(ShellTest, LetterboxedShellScreenshot) {
    test::EnsureApp();
    Window window;
    test::BuildShowcase(window);
    window.SetPixelRect(QRect(160, 120, 320, 240));  // centred on the virtual screen
    MenuItem* game = window.Menus().Add("mnuGame", "Game");
    game->Add("mnuLoadGame", "Load Game");
    game->Add("mnuExit", "Exit");
    window.Menus()
        .Add("mnuOptions", "Options")
        ->Add("mnuDisableTransitions", "Disable Transitions")
        ->checked = true;
    ScreenPointer screen;
    FormHost host(window, &screen);
    host.View().SetVirtualScreen(QSize(640, 480));
    host.View().SetScaling(ScalingMode::Sharp);
    host.resize(1600, 900 + host.MenuBar().sizeHint().height());
    host.show();
    QCoreApplication::processEvents();
    const QImage shot = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QStringLiteral("/tmp/forms-shell-%1.png").arg(QGuiApplication::platformName()));
    const QRect area = host.View().ScreenArea().translated(host.View().pos());
    ASSERT_EQ(area.size(), QSize(640, 480));  // factor 1: 1280x960 does not fit 1600x900
    const QPoint inWindow = area.topLeft() + QPoint(160 + 5, 120 + 5);
    EXPECT_EQ(shot.pixel(inWindow), qRgb(0, 0, 128));
    EXPECT_EQ(shot.pixel(area.topLeft() + QPoint(5, 5)), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(host.View().pos() + QPoint(5, 450)), qRgb(0, 0, 0));  // side bar

    host.View().SetScaling(ScalingMode::Smooth);
    EXPECT_EQ(host.View().ScreenArea().size(), QSize(1200, 900));
    QCoreApplication::processEvents();
    host.grab().save(
        QStringLiteral("/tmp/forms-shell-smooth-%1.png").arg(QGuiApplication::platformName()));
}

}  // namespace
}  // namespace storyloom::forms
