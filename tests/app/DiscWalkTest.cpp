// The walkthrough's answers to the run-from-disc window.
#include <gtest/gtest.h>

#include <QImage>

#include "TestApp.h"
#include "WalkFixture.h"
#include "game/Game.h"

namespace storyloom::test {
namespace {

// A game on two discs: Start (a colour) runs from the game's folder; its hotspot 1 goes to Hall,
// whose picture lies on disc 2, the folder "discs/two" inside the game's folder.
void WriteDiscGame(const ProjectWriter& p) {
    for (const char* f : {"Frames", "FramesData", "Areas", "Icons", "Config", "Schemes"})
        p.MakeFolder(QString::fromLatin1(f));
    GeneralFile g;
    g.GameName = QStringLiteral("Quest");
    g.ProjectWidth = 320;
    g.ProjectHeight = 240;
    g.RunInWindow = true;
    g.InitialFrameName = QStringLiteral("Start");
    p.WriteGeneral(g);
    p.WriteVariables({});
    FrameFile start;
    start.BackgroundValue = QString::number(0x804020);
    p.WriteFrame(QStringLiteral("Start"), start);
    AuthoredHotspot spot;
    WriteHotspots(p, QStringLiteral("Start"), {spot});
    p.WriteHotspotCount(QStringLiteral("Start"), 1);
    AuthoredAction go;
    go.GoToFrameOn = 1;
    go.TargetFrame = QStringLiteral("Hall");
    WriteActions(p, QStringLiteral("Start"), {go});
    FrameFile hall;
    hall.BackgroundType = 1;
    hall.BackgroundValue = QStringLiteral("hall.bmp");
    p.WriteFrame(QStringLiteral("Hall"), hall);
    p.WriteDiscIndex(2, {{QStringLiteral("hall.bmp"), 2, 1}});
    QImage blue(320, 240, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 200));
    WritePicture(p, QStringLiteral("discs/two/Data/Quest/Frames/hall.bmp"), blue);
}

class DiscWalkTest : public WalkFixture {
  protected:
    DiscWalkTest() : WalkFixture(WriteDiscGame) {}
};

TEST_F(DiscWalkTest, AFolderAnsweredIsChosenAndARefusedOneAskedAgain) {
    // A folder that does not exist is refused with a box (which takes its own answer), then a
    // folder relative to the game's is taken.
    Run(QStringLiteral("start\nanswer %1/nowhere\nanswer OK\nanswer discs/two\nclick 1\n"
                       "expect frame Hall\nexpect pixel 10 10 #0000C8\n")
            .arg(project.Root()));
    EXPECT_EQ(walk->Summary(), "2 passed, 0 failed") << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("run-from-disc window")).size(), 2)
        << lines.join(u'\n').toStdString();

    // The next walk remembers nothing of this one: the window opens again and, with nothing to
    // answer, is cancelled as a failure.
    Run(QStringLiteral("start\nclick 1\n"));
    EXPECT_EQ(walk->Failed(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.last().contains("opened without a queued answer"))
        << lines.last().toStdString();
}

TEST_F(DiscWalkTest, CancelEndsTheGame) {
    Run(QStringLiteral("start\nanswer Cancel\nclick 1\nwait 600\n"));
    EXPECT_EQ(walk->Failed(), 0) << lines.join(u'\n').toStdString();
    const Game* game = walk->CurrentGame();
    EXPECT_TRUE(game == nullptr || game->Closed());
    EXPECT_TRUE(walk->WelcomeShown());
}

}  // namespace
}  // namespace storyloom::test
