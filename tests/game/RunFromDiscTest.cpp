#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "GameFixture.h"
#include "game/discs/RunFromDisc.h"
#include "project/DiscIndex.h"
#include "project/MediaFiles.h"

namespace storyloom::test {
namespace {

// A game on two discs: the start frame runs from the game's folder, the hall's picture and the
// bell's sound lie on disc 2, a folder of a temp directory.
class RunFromDiscTest : public GameTest {
  protected:
    RunFromDiscTest() {
        general.GameName = QStringLiteral("Quest");
        t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}, {"bell.wav", 2, 2}});
        ProjectWriter disc2(Disc2());
        WritePicture(disc2, "Data/Quest/Frames/hall.bmp", SolidImage(64, 48, QColor(0, 0, 200)));
        disc2.WriteFile("Data/Quest/areas/BELL.WAV", "RIFF");
        FrameFile hall;
        hall.BackgroundType = 1;
        hall.BackgroundValue = "hall.bmp";
        t.project.WriteFrame("Hall", hall);
        FrameFile start;
        start.FrameTimerEnabled = true;
        start.FrameTimerDuration = 30;
        start.FrameTimerTarget = "Hall";
        ColourFrame("Start", 0, start);
        discs.currentGame = [this] { return game.get(); };
        t.program.discPrompt = &discs;
    }
    ~RunFromDiscTest() override { t.program.discPrompt = nullptr; }

    Game& Begin() {
        Game& g = Start();
        LoadDiscIndex(t.program);
        g.OpenFrame("Start", false, 0, 0);
        return g;
    }
    QString Disc2() const { return folders.path() + QStringLiteral("/disc2"); }
    QString Bell() const { return t.program.paths.AreasPath + QStringLiteral("bell.wav"); }

    QTemporaryDir folders;
    RunFromDisc discs{t.program};
    int windows = 0;
};

TEST_F(RunFromDiscTest, CancellingTheWindowEndsTheGame) {
    discs.runModal = [this](RunFromDiscWindow& w) {
        ++windows;
        EXPECT_EQ(w.window.Caption(), "Quest");
        EXPECT_EQ(w.lblDrive->Caption(), t.program.Messages(37));
        EXPECT_EQ(w.lblMessage->Caption(),
                  t.program.Messages(47) + QStringLiteral("2 ") + t.program.Messages(48));
        EXPECT_EQ(w.cmdCancel->Caption(), t.program.Messages(11));
        EXPECT_TRUE(t.platform.windows.IsShown(w.window));
        w.Press(w.cmdCancel);
    };
    Game& g = Begin();
    g.OpenFrame("Hall", false, 0, 0);
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_FALSE(g.PictureBox->Visible());
    EXPECT_FALSE(g.FrameTimerEnabled());
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    t.loop.Advance(600);
    EXPECT_TRUE(g.Closed());
    EXPECT_EQ(closedCount, 1);
}

TEST_F(RunFromDiscTest, AFolderThatDoesNotExistIsRefusedAndTheGameGoesOnOnceFound) {
    t.project.WriteFile("mounts", "/dev/sr0 /media/cdrom iso9660 ro 0 0\n");
    t.files.SetMountTable(t.project.NativePath("mounts"));
    Game& g = Begin();
    t.program.SaveUserSetting(UserKeys::kDriveLetter, folders.path());
    g.ShowTextMessage("Hello", true, false);
    const int event = g.AddTimedEvent("x = 1", 10, true);
    g.StartTimedEvents();
    ASSERT_TRUE(g.FrameTimerEnabled());
    ASSERT_TRUE(g.MessageTimerEnabled());

    discs.runModal = [&](RunFromDiscWindow& w) {
        ++windows;
        // Stopped while the window is open.
        EXPECT_FALSE(g.FrameTimerEnabled());
        EXPECT_FALSE(g.MessageTimerEnabled());
        EXPECT_FALSE(g.TimedEventRunning(event));
        // The media mounted and the folder tried.
        ASSERT_EQ(w.lstDrives->ListCount(), 2);
        EXPECT_EQ(w.lstDrives->List(0), "/media/cdrom");
        EXPECT_EQ(w.lstDrives->List(1), folders.path());
        EXPECT_EQ(w.txtFolder->Text(), folders.path());
        w.TypeFolder(folders.path() + "/nowhere");
        w.Press(w.cmdOk);
        EXPECT_TRUE(w.Shown());
        w.TypeFolder("relative/folder");
        w.Press(w.cmdOk);
        EXPECT_TRUE(w.Shown());
        t.dialogs.QueueAnswer(Disc2());
        w.Press(w.cmdBrowse);
        EXPECT_EQ(w.txtFolder->Text(), Disc2());
        w.Press(w.cmdOk);
        EXPECT_FALSE(w.Shown());
    };
    EXPECT_EQ(ResolveMediaPath(t.program, Bell()), Disc2() + "/Data/Quest/Areas/bell.wav");
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDriveLetter), Disc2());
    // Two refusals, then the folder chooser.
    ASSERT_EQ(t.Boxes().size(), 3u) << BoxTexts().join("\n").toStdString();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(t.Boxes()[i].icon, BoxIcon::Exclamation);
        EXPECT_EQ(t.Boxes()[i].title, "Quest");
        EXPECT_EQ(t.Boxes()[i].text, t.program.Messages(38));
    }
    EXPECT_EQ(t.Boxes()[2].answer, Disc2());
    // Everything runs again as before.
    EXPECT_TRUE(g.FrameTimerEnabled());
    EXPECT_TRUE(g.MessageTimerEnabled());
    EXPECT_TRUE(g.TimedEventRunning(event));
    EXPECT_FALSE(t.program.StopRequested);

    // The hall's picture is found on the same disc without asking.
    g.HideTextMessage();
    g.OpenFrame("Hall", false, 0, 0);
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(g.RenderFrame().pixel(10, 10), qRgb(0, 0, 200));
}

TEST_F(RunFromDiscTest, WithoutADriverTheWindowIsCancelled) {
    Game& g = Begin();
    ResolveMediaPath(t.program, Bell());
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_EQ(discs.OpenWindow(), nullptr);
    t.loop.Advance(600);
    EXPECT_TRUE(g.Closed());
}

}  // namespace
}  // namespace storyloom::test
