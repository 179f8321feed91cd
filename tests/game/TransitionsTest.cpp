// Frame transitions in the game window: the two halves, the pictures half-way on the virtual
// clock, interruption, bad numbers and durations, the option and its setting, the component
// steps, and the captures.
#include <cmath>

#include "GameFixture.h"
#include "game/transitions/GameTransitions.h"

namespace storyloom::test {
namespace {

// Four quarters of one picture, so that a slide (the picture moves) and a wipe (it stays and is
// uncovered) give different pixels.
QImage Quarters(QColor left, QColor right, QColor bottom) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (y >= 24)
                image.setPixel(x, y, bottom.rgb());
            else if (x >= 32)
                image.setPixel(x, y, right.rgb());
    return image;
}

class TransitionsTest : public GameTest {
  protected:
    Game& StartWithTransitions() {
        Game& g = Start();
        auto real = std::make_shared<GameTransitions>(g, &components);
        real->InitTransitions();
        real->onProgress = [this](double p) { progress.push_back(p); };
        g.services.transitions = real.get();
        g.Keep(real);
        tr = real.get();
        return g;
    }

    void PictureFrame(const QString& name, const QImage& image) {
        WritePicture(t.project, "Frames/" + name + ".bmp", image);
        FrameFile f;
        f.BackgroundType = 1;
        f.BackgroundValue = name + ".bmp";
        t.project.WriteFrame(name, f);
    }

    // Jumps to `frame` with transition `kind` of `seconds`, running `during` at `atMs` of the
    // animation (virtual time).
    void Jump(Game& g, const QString& frame, int kind, double seconds, int atMs = -1,
              std::function<void()> during = {}) {
        if (during) t.loop.Post(std::move(during), atMs);
        tr->TransitionStep1(kind);
        g.OpenFrame(frame, true, kind, seconds);
    }

    struct RecordingComponents : TransitionComponents {
        int Count() const override { return 2; }
        bool OnFrame(int) const override { return true; }
        bool MovedBeforeCapture(int i) const override { return i == 0; }
        void MoveInto(int i, Holder h) override {
            calls << QStringLiteral("move %1 %2").arg(i).arg(int(h));
        }
        void Shift(int i, int dx, int dy) override {
            calls << QStringLiteral("shift %1 %2 %3").arg(i).arg(dx).arg(dy);
        }
        void StripAt(QPoint p) override { strips.push_back(p); }
        void Pause() override { calls << "pause"; }
        void Resume() override { calls << "resume"; }
        QStringList calls;
        std::vector<QPoint> strips;
    } components;

    GameTransitions* tr = nullptr;
    std::vector<double> progress;
};

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

TEST_F(TransitionsTest, CrossFadeIsHalfWayAtHalfTheDurationAndEndsOnTheNewFrame) {
    ColourFrame("Start", 0x0000FF);  // red
    ColourFrame("Hall", 0xFF0000);   // blue
    Game& g = StartWithTransitions();
    g.OpenFrame("Start", false, 0, 0);
    QImage half;
    bool coveredWhileBuilding = false;
    const qint64 begin = t.loop.NowMs();
    tr->TransitionStep1(1);
    coveredWhileBuilding = tr->OverlayVisible() && At(g.RenderFrame(), 5, 5) == 0xFF0000u;
    t.loop.Post([&] { half = g.RenderFrame(); }, 505);
    g.OpenFrame("Hall", true, 1, 1.0);

    EXPECT_TRUE(coveredWhileBuilding);
    ASSERT_FALSE(half.isNull());
    // Step 500 of 1000: opacity 128 of the blue over the red.
    EXPECT_EQ(At(half, 10, 10), qRgb(127, 0, 128) & 0xFFFFFFu);
    EXPECT_EQ(At(half, 63, 47), qRgb(127, 0, 128) & 0xFFFFFFu);
    // The duration is kept on the clock, and the last step is the new frame exactly.
    EXPECT_GE(t.loop.NowMs() - begin, 1000);
    EXPECT_LE(t.loop.NowMs() - begin, 1010);
    EXPECT_FALSE(tr->OverlayVisible());
    EXPECT_EQ(At(g.RenderFrame(), 30, 30), 0x0000FFu);
    EXPECT_FALSE(t.program.TransitionInProgress);
    // The sound cross-fade follows the same progress and ends at 1.
    ASSERT_GE(progress.size(), 100u);
    EXPECT_DOUBLE_EQ(progress.front(), 0.0);
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GE(tr->LastStepCount(), 100);
}

TEST_F(TransitionsTest, EachSlideMovesTheStripInItsDirection) {
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255),
        black(0, 0, 0), grey(128, 128, 128);
    PictureFrame("Old", Quarters(red, green, grey));
    PictureFrame("New", Quarters(blue, white, black));
    const QImage oldPic = Quarters(red, green, grey);
    const QImage newPic = Quarters(blue, white, black);
    struct Case {
        int kind;
        // A point of the screen a quarter of the way, and the picture pixel it must show.
        int x, y;
        const QImage* from;
        int fx, fy;
    };
    // A quarter of 64 is 16 pixels across, of 48 is 12 down.
    const Case cases[] = {
        {2, 8, 5, &newPic, 56, 5},    {2, 40, 5, &oldPic, 24, 5},    // new enters from the left
        {3, 20, 5, &oldPic, 36, 5},   {3, 50, 5, &newPic, 2, 5},     // from the right
        {4, 40, 6, &newPic, 40, 42},  {4, 40, 30, &oldPic, 40, 18},  // from the top
        {5, 40, 20, &oldPic, 40, 32}, {5, 40, 40, &newPic, 40, 4},   // from the bottom
    };
    Game& g = StartWithTransitions();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g.OpenFrame("Old", false, 0, 0);
        QImage quarter;
        Jump(g, "New", c.kind, 2.0, 505, [&] { quarter = g.RenderFrame(); });
        ASSERT_FALSE(quarter.isNull());
        EXPECT_EQ(At(quarter, c.x, c.y), At(*c.from, c.fx, c.fy));
        EXPECT_EQ(g.RenderFrame(), newPic);
    }
}

TEST_F(TransitionsTest, ClickOrKeyEndsTheAnimationAndTheNewFrameShows) {
    ColourFrame("Start", 0x0000FF);
    ColourFrame("Hall", 0xFF0000);
    Game& g = StartWithTransitions();
    for (int how = 0; how < 2; ++how) {
        g.OpenFrame("Start", false, 0, 0);
        progress.clear();
        const qint64 begin = t.loop.NowMs();
        Jump(g, "Hall", 3, 2.0, 300, [&] {
            if (how == 0)
                g.MouseDownAt(30, 30, MouseButton::Left);
            else
                g.Form_KeyDown('A', 0);
        });
        EXPECT_LT(t.loop.NowMs() - begin, 400) << how;
        EXPECT_FALSE(tr->OverlayVisible());
        EXPECT_FALSE(t.program.InterruptTransition);
        EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0x0000FFu);
        EXPECT_EQ(g.state.frame.CurrentFrameName, "Hall");
        ASSERT_FALSE(progress.empty());
        EXPECT_LT(progress[progress.size() - 2], 0.2);
        EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    }
}

TEST_F(TransitionsTest, BadNumbersAndDurationsAnimateNothing) {
    ColourFrame("Start", 0x0000FF);
    ColourFrame("Hall", 0xFF0000);
    Game& g = StartWithTransitions();
    struct Case {
        int kind;
        double seconds;
    };
    for (const Case c : {Case{6, 1}, Case{-1, 1}, Case{32767, 1}, Case{1, 0}, Case{2, -5},
                         Case{4, std::nan("")}}) {
        SCOPED_TRACE(c.kind);
        g.OpenFrame("Start", false, 0, 0);
        progress.clear();
        const qint64 begin = t.loop.NowMs();
        Jump(g, "Hall", c.kind, c.seconds);
        EXPECT_EQ(t.loop.NowMs(), begin);
        EXPECT_EQ(tr->LastStepCount(), 0);
        EXPECT_FALSE(tr->OverlayVisible());
        EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0x0000FFu);
        EXPECT_EQ(progress, std::vector<double>{1.0});
    }
    EXPECT_TRUE(t.Boxes().empty());

    // A huge duration is cut to a minute rather than holding the old picture for ever.
    g.OpenFrame("Start", false, 0, 0);
    const qint64 begin = t.loop.NowMs();
    Jump(g, "Hall", 1, 1e12);
    EXPECT_GE(t.loop.NowMs() - begin, 60000);
    EXPECT_LE(t.loop.NowMs() - begin, 60010);
    EXPECT_FALSE(tr->OverlayVisible());
}

TEST_F(TransitionsTest, JumpDuringATransitionEndsItAndOpensWithoutOne) {
    ColourFrame("Start", 0x0000FF);
    ColourFrame("Hall", 0xFF0000);
    ColourFrame("Cellar", 0x00FF00);
    Game& g = StartWithTransitions();
    g.OpenFrame("Start", false, 0, 0);
    const qint64 begin = t.loop.NowMs();
    // A timer's jump with a transition of its own while the first one animates.
    Jump(g, "Hall", 1, 2.0, 300, [&] {
        tr->TransitionStep1(2);
        g.OpenFrame("Cellar", true, 2, 2.0);
    });
    EXPECT_LT(t.loop.NowMs() - begin, 400);
    EXPECT_EQ(g.state.frame.CurrentFrameName, "Cellar");
    EXPECT_FALSE(tr->OverlayVisible());
    EXPECT_FALSE(t.program.TransitionInProgress);
    EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0x00FF00u);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(TransitionsTest, OldFramesMessageEndsAndTheNewFramesOwnStays) {
    ColourFrame("Start", 0x0000FF);
    FrameFile greeting;
    greeting.RunLocalScript = true;
    greeting.LocalScript = "greet";
    ColourFrame("Hall", 0xFF0000, greeting);
    ColourFrame("Cellar", 0x00FF00);
    Game& g = StartWithTransitions();
    scripts.onRun = [&](const QString& text, ScriptRequests&) {
        if (text.contains("greet")) g.ShowTextMessage("Welcome to the hall", true, false);
        return true;
    };
    g.OpenFrame("Start", false, 0, 0);
    g.ShowTextMessage("Goodbye", true, false);
    Jump(g, "Cellar", 1, 0.2);
    EXPECT_FALSE(g.MessageStripVisible());
    g.ShowTextMessage("Goodbye", true, false);
    Jump(g, "Hall", 1, 0.2);
    EXPECT_TRUE(g.MessageStripVisible());
    EXPECT_EQ(g.MessageStripText(), "Welcome to the hall");
}

TEST_F(TransitionsTest, OpeningThatFailsAfterTheFirstHalfTakesTheFrozenPictureAway) {
    ColourFrame("Start", 0x0000FF);
    Game& g = StartWithTransitions();
    g.OpenFrame("Start", false, 0, 0);
    tr->TransitionStep1(1);
    ASSERT_TRUE(tr->OverlayVisible());
    g.OpenFrame("Nowhere", true, 1, 1.0);
    EXPECT_EQ(t.Boxes().size(), 1u);
    EXPECT_FALSE(tr->OverlayVisible());
    EXPECT_EQ(components.calls.count("resume"), 1);
    EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0xFF0000u);  // the frame that stayed
}

TEST_F(TransitionsTest, OptionSwitchIsSavedPerUserAndReadBackAtReset) {
    ColourFrame("Start", 0x0000FF);
    ColourFrame("Hall", 0xFF0000);
    Game& g = StartWithTransitions();
    g.ShowMenus();
    ASSERT_TRUE(g.RunMenuCommand("Disable Transitions"));
    EXPECT_TRUE(g.menus.DisableTransitionsChecked);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableTransitions), "True");
    EXPECT_TRUE(g.window.FindMenu("mnuDisableTransitions")->checked);

    g.OpenFrame("Start", false, 0, 0);
    const qint64 begin = t.loop.NowMs();
    Jump(g, "Hall", 1, 1.0);
    EXPECT_EQ(t.loop.NowMs(), begin);
    EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0x0000FFu);

    g.ResetAll();  // a new game, as after a restart
    EXPECT_TRUE(g.menus.DisableTransitionsChecked);
    g.mnuDisableTransitions_Click();
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableTransitions), "False");

    // Switched off between the halves (a script of the new frame): no frozen picture stays.
    g.OpenFrame("Start", false, 0, 0);
    tr->TransitionStep1(1);
    tr->EnableOrDisableTransitions();
    g.OpenFrame("Hall", true, 1, 1.0);
    EXPECT_FALSE(tr->OverlayVisible());
    EXPECT_EQ(At(g.RenderFrame(), 5, 5), 0x0000FFu);
    EXPECT_EQ(tr->TransitionNames().at(3), "Slide Right");
}

TEST_F(TransitionsTest, ComponentsMoveAroundTheCaptureAndRideTheStrip) {
    ColourFrame("Start", 0x0000FF);
    ColourFrame("Hall", 0xFF0000);
    Game& g = StartWithTransitions();
    g.OpenFrame("Start", false, 0, 0);
    using H = TransitionComponents::Holder;
    Jump(g, "Hall", 1, 0.1);
    const QStringList blend = {"pause",
                               QStringLiteral("move 0 %1").arg(int(H::Display)),
                               QStringLiteral("move 1 %1").arg(int(H::Display)),
                               QStringLiteral("move 0 %1").arg(int(H::PictureArea)),
                               QStringLiteral("move 1 %1").arg(int(H::PictureArea)),
                               "resume"};
    EXPECT_EQ(components.calls, blend);
    EXPECT_TRUE(components.strips.empty());

    components.calls.clear();
    g.OpenFrame("Start", false, 0, 0);
    Jump(g, "Hall", 3, 0.1);
    const QStringList slide = {"pause",
                               QStringLiteral("move 1 %1").arg(int(H::OldPicture)),
                               "shift 0 64 0",
                               "shift 1 64 0",
                               "shift 0 -64 0",
                               "shift 1 -64 0",
                               QStringLiteral("move 0 %1").arg(int(H::PictureArea)),
                               QStringLiteral("move 1 %1").arg(int(H::PictureArea)),
                               "resume"};
    EXPECT_EQ(components.calls, slide);
    ASSERT_FALSE(components.strips.empty());
    EXPECT_EQ(components.strips.front(), QPoint(0, 0));
    EXPECT_EQ(components.strips.back(), QPoint(-64, 0));
}

TEST_F(TransitionsTest, CapturesShowTheFrameWithOrWithoutWhatLiesOverIt) {
    const QImage picture = Quarters(QColor(10, 20, 30), QColor(200, 100, 0), QColor(0, 90, 0));
    PictureFrame("Start", picture);
    Game& g = StartWithTransitions();
    g.OpenFrame("Start", false, 0, 0);
    g.ShowTextMessage("Hello", true, true);
    ASSERT_TRUE(g.MessageStripVisible());
    const QImage current = tr->CaptureCurrentFrame();
    EXPECT_EQ(current, picture);  // the strip is not part of the frame
    EXPECT_TRUE(g.MessageStripVisible());
    const QImage actual = tr->CaptureActualFrame();
    EXPECT_EQ(actual.size(), picture.size());
    EXPECT_NE(actual, picture);  // what the screen shows: the strip over the frame
}

}  // namespace
}  // namespace storyloom::test
