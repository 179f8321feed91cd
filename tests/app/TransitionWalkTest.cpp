// Walkthroughs over frame transitions: the walk's waits move a running transition, lines run
// between its steps (a click or a key there ends it), and `expect pixel` checks the picture.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "TestApp.h"
#include "WalkFixture.h"
#include "app/walkthrough/Walkthrough.h"
#include "project/ProjectWriter.h"

namespace storyloom::test {
namespace {

// Start (dark blue, RGB 32 64 128) has one hotspot over its left half that cross-fades to Room
// (orange, RGB 255 128 32) in one second.
void WriteFadingGame(const ProjectWriter& p) {
    for (const char* f : {"Frames", "FramesData", "Areas", "Icons", "Config", "Schemes"})
        p.MakeFolder(QString::fromLatin1(f));
    GeneralFile g;
    g.ProjectWidth = 320;
    g.ProjectHeight = 240;
    g.RunInWindow = true;
    g.InitialFrameName = QStringLiteral("Start");
    p.WriteGeneral(g);
    p.WriteVariables({QStringLiteral("score")});
    FrameFile start;
    start.BackgroundValue = QString::number(0x804020);
    p.WriteFrame(QStringLiteral("Start"), start);
    FrameFile room;
    room.BackgroundValue = QString::number(0x2080FF);
    p.WriteFrame(QStringLiteral("Room"), room);
    AuthoredHotspot spot;
    spot.Width = 150 * 15;
    spot.Height = 240 * 15;
    WriteHotspots(p, QStringLiteral("Start"), {spot});
    p.WriteHotspotCount(QStringLiteral("Start"), 1);
    AuthoredAction go;
    go.GoToFrameOn = 1;
    go.TargetFrame = QStringLiteral("Room");
    go.TransitionOn = 1;
    go.TransitionDurationMs = 1000;
    go.TransitionNumber = 1;
    WriteActions(p, QStringLiteral("Start"), {go});
}

class TransitionWalkTest : public WalkFixture {
  protected:
    TransitionWalkTest() : WalkFixture(WriteFadingGame) {}
};

TEST_F(TransitionWalkTest, WaitsMoveTheCrossFadeAndPixelsAreChecked) {
    Run(
        QStringLiteral("start\n"
                       "expect pixel 200 200 #204080\n"
                       "click 50 50\n"
                       "wait 500\n"
                       "screenshot half.png\n"
                       "expect pixel 200 200 #906050\n"
                       "expect pixel 200 200 #8F6051 \u00B11\n"
                       "expect pixel 200 200 #8E6050 \u00B11\n"
                       "expect pixel 200 200 #000000\n"
                       "wait 600\n"
                       "expect pixel 319 239 #FF8020\n"
                       "expect frame Room\n"
                       "expect pixel 320 10 #FF8020\n"));
    EXPECT_EQ(walk->Summary(), "5 passed, 3 failed") << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.value(0), "line 8: expected #8E6050 \u00B11 at (200, 200), got #906050");
    EXPECT_EQ(lines.value(1), "line 9: expected #000000 \u00B10 at (200, 200), got #906050");
    EXPECT_EQ(lines.value(2), "line 13: (320, 10) is outside the 320 x 240 frame picture");
    EXPECT_TRUE(QFile::exists(out.filePath("half.png")));
}

TEST_F(TransitionWalkTest, ClickOrKeyBetweenStepsEndsTheTransition) {
    for (const QString& how : {QStringLiteral("click 10 200"), QStringLiteral("key A")}) {
        lines.clear();
        Run(QStringLiteral("start\nclick 50 50\nwait 200\n") + how +
            QStringLiteral("\nexpect pixel 200 200 #FF8020\nexpect frame Room\n"));
        EXPECT_EQ(walk->Summary(), "2 passed, 0 failed") << how.toStdString() << "\n"
                                                         << lines.join(u'\n').toStdString();
    }
}

TEST_F(TransitionWalkTest, TimeTheTransitionDidNotUseStillPasses) {
    // 3 s asked for inside a 1 s transition: the state after it is written 3 s after the click.
    Run(QStringLiteral("start\nclick 50 50\nwait 3000\nstate a.json\n"));
    QFile f(out.filePath("a.json"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray json = f.readAll();
    Run(QStringLiteral("start\nwait 3000\nstate b.json\n"));
    QFile g(out.filePath("b.json"));
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    auto time = [](const QByteArray& j) {
        const qsizetype at = j.indexOf("\"timeMs\"");
        return j.mid(at, j.indexOf(',', at) - at);
    };
    EXPECT_EQ(time(json), time(g.readAll()));
}

TEST(WalkParse, PixelExpectations) {
    QString error;
    auto c = ParseWalkLine(QStringLiteral("expect pixel 3 4 #0A0b0C +-7"), 1, &error);
    ASSERT_TRUE(c);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(c->kind, WalkCommand::Kind::ExpectPixel);
    EXPECT_EQ(c->a, 3);
    EXPECT_EQ(c->b, 4);
    EXPECT_EQ(c->rgb, 0x0A0B0Cu);
    EXPECT_EQ(c->tolerance, 7);
    for (const char* line :
         {"expect pixel 1 2", "expect pixel 1 2 red", "expect pixel 1 2 #12345",
          "expect pixel 1 2 #12345G", "expect pixel -1 2 #123456", "expect pixel 1 2 #123456 7",
          "expect pixel 1 2 #123456 +-300", "expect pixel 1 2 #123456 +-1 more"}) {
        QString why;
        const auto bad = ParseWalkLine(QString::fromLatin1(line), 3, &why);
        EXPECT_TRUE(bad.has_value()) << line;
        EXPECT_FALSE(why.isEmpty()) << line;
    }
}

}  // namespace
}  // namespace storyloom::test
