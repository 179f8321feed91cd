// Damaged frame files of every kind give boxes, never a crash or a hang, and the game goes on.
#include <QRandomGenerator>

#include "GameFixture.h"

namespace storyloom::test {
namespace {

using DamagedFilesTest = GameTest;

// Bytes that look like record files: numbers, quotes, flags, separators and line ends mixed.
QByteArray Garbage(QRandomGenerator& random) {
    static const char* const kPieces[] = {"0",
                                          "1",
                                          "-1",
                                          "32768",
                                          "1e300",
                                          "\"",
                                          "\"text\"",
                                          "#TRUE#",
                                          "#FALSE#",
                                          "#NULL#",
                                          ",",
                                          "\r\n",
                                          "\n",
                                          "\"----- SEPARATOR -----\"",
                                          "2147483648",
                                          "abc",
                                          "#2001-01-01#",
                                          " ",
                                          "\"[empty]\"",
                                          "99999"};
    QByteArray out;
    const int count = random.bounded(200);
    for (int i = 0; i < count; ++i) {
        if (random.bounded(10) == 0)
            out.append(static_cast<char>(random.bounded(256)));
        else
            out.append(kPieces[random.bounded(static_cast<int>(std::size(kPieces)))]);
    }
    return out;
}

TEST_F(DamagedFilesTest, RandomFilesNeverCrashAndTheGameGoesOn) {
    ColourFrame("Good", 255);
    Game& g = Start();
    QRandomGenerator random(20261208);
    for (int round = 0; round < 60; ++round) {
        const QString name = QStringLiteral("Bad%1").arg(round);
        // Half the rounds keep a sound settings file so the later files are reached.
        if (round % 2)
            ColourFrame(name);
        else
            t.project.WriteFile("Frames/" + name + ".fme", Garbage(random));
        for (const char* ext : {".fm2", ".fm1", ".fm3", ".fm0"})
            t.project.WriteFile("FramesData/" + name + ext, Garbage(random));
        g.OpenFrame(name, false, 0, 0);
        for (int hotspot = 0; hotspot <= 3; ++hotspot) g.MakeAction(hotspot, round % 3 == 0, false);
        g.MouseDownAt(random.bounded(64), random.bounded(48), MouseButton::Left);
        t.loop.Advance(200);
        if (g.Closed()) break;
    }
    if (!g.Closed()) {
        t.program.StopRequested = false;
        g.OpenFrame("Good", false, 0, 0);
        EXPECT_EQ(game->state.frame.CurrentFrameName, "Good");
        EXPECT_EQ(g.RenderFrame().pixel(1, 1), qRgb(255, 0, 0));
    }
    EXPECT_FALSE(t.Boxes().empty());
    EXPECT_LE(g.state.History.Count(), 20);
}

}  // namespace
}  // namespace storyloom::test
