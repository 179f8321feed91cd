// The rippling water of a frame in the game window: loading, the mask, the timer, the option
// switch, damaged files, and the water in a transition's new picture.
#include "GameFixture.h"
#include "game/transitions/GameTransitions.h"
#include "game/water/GameWater.h"
#include "platform/forms/controls/PictureBox.h"

namespace storyloom::test {
namespace {

// Stripes in both directions: water bends them, so rippled pixels differ from the picture.
QImage Stripes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x / 3) % 2 ? 230 : 20, (y / 3) % 2 ? 210 : 30, x * 4));
    return image;
}

// Black on the left half (ripples), white on the right (still).
QImage HalfMask(int w, int h) {
    QImage mask(w, h, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x) mask.setPixel(x, y, qRgb(0, 0, 0));
    return mask;
}

class WaterTest : public GameTest {
  protected:
    Game& StartWithWater() {
        Game& g = Start();
        auto real = std::make_shared<GameWater>(g);
        g.services.ripple = real.get();
        g.Keep(real);
        water = real.get();
        return g;
    }

    void SeaFrame(const QString& name, int speed = 8, bool withMask = true) {
        WritePicture(t.project, "Frames/" + name + ".bmp", Stripes(64, 48));
        FrameFile f;
        f.BackgroundType = 1;
        f.BackgroundValue = name + ".bmp";
        t.project.WriteFrame(name, f);
        // The sea: the lower half of the picture.
        t.project.WriteWaterEffect(name, 0, 24, 64, 24, 3, speed, false,
                                   withMask ? HalfMask(64, 24) : QImage());
    }

    // The water as the frame shows it.
    QImage Sea(Game& g) { return g.RenderFrame().copy(0, 24, 64, 24); }

    GameWater* water = nullptr;
};

int CountDifferent(const QImage& a, const QImage& b, int fromX, int toX) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = fromX; x < toX; ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST_F(WaterTest, WaterMovesUnderTheBlackOfTheMaskAndTheWhiteStaysStill) {
    SeaFrame("Start");
    Game& g = StartWithWater();
    g.OpenFrame("Start", false, 0, 0);
    ASSERT_TRUE(water->EffectActive());
    EXPECT_TRUE(water->TimerEnabled());
    EXPECT_EQ(water->TimerInterval(), GameWater::kIntervalMs);
    EXPECT_TRUE(water->Picture()->Visible());
    EXPECT_EQ(water->Picture()->PixelRect(), QRect(0, 24, 64, 24));

    const QImage still = Stripes(64, 48).copy(0, 24, 64, 24);
    t.loop.Advance(300);
    const QImage a = Sea(g);
    t.loop.Advance(400);
    const QImage b = Sea(g);
    // The still half is the picture; the rippling half is bent, and moves with time.
    EXPECT_EQ(CountDifferent(a, still, 32, 64), 0);
    EXPECT_EQ(CountDifferent(b, still, 32, 64), 0);
    EXPECT_GT(CountDifferent(a, still, 0, 32), 100);
    EXPECT_GT(CountDifferent(a, b, 0, 32), 100);
    // The sky above is untouched.
    EXPECT_EQ(g.RenderFrame().copy(0, 0, 64, 24), Stripes(64, 48).copy(0, 0, 64, 24));

    // The same moment gives the same water: the clock starts again with the frame.
    g.OpenFrame("Start", false, 0, 0);
    t.loop.Advance(300);
    EXPECT_EQ(Sea(g), a);

    // A frame without water stops the timer and hides the picture.
    ColourFrame("Hall");
    g.OpenFrame("Hall", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    EXPECT_FALSE(water->TimerEnabled());
    EXPECT_FALSE(water->Picture()->Visible());
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(WaterTest, OptionSwitchStopsAndRestartsTheWaterAndIsSaved) {
    SeaFrame("Start");
    Game& g = StartWithWater();
    g.OpenFrame("Start", false, 0, 0);
    ASSERT_TRUE(water->EffectActive());
    g.ShowMenus();
    ASSERT_TRUE(g.RunMenuCommand("Disable Real-Time Effects"));
    EXPECT_TRUE(g.menus.DisableEffectsChecked);
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableEffects), "True");
    EXPECT_FALSE(water->EffectActive());
    EXPECT_FALSE(water->TimerEnabled());
    EXPECT_EQ(Sea(g), Stripes(64, 48).copy(0, 24, 64, 24));

    // Off: a frame opening loads no water.
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    g.ResetAll();
    EXPECT_TRUE(g.menus.DisableEffectsChecked);

    g.mnuDisableEffects_Click();
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableEffects), "False");
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(water->EffectActive());
    g.mnuDisableEffects_Click();
    g.mnuDisableEffects_Click();  // on again over the same frame: loaded and running
    EXPECT_TRUE(water->EffectActive());
    EXPECT_TRUE(water->TimerEnabled());
}

TEST_F(WaterTest, DamagedOrMissingFilesGiveNoWaterOrTheLoadingBox) {
    Game& g = StartWithWater();
    const QString loading = ErrorText(" Error initializing the Rippling Water effect. ");

    // No mask: no water and no box.
    SeaFrame("NoMask", 8, false);
    g.OpenFrame("NoMask", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());

    // A mask that is not a picture: no water and no box.
    SeaFrame("BadMask");
    t.project.WriteFile("Frames/BadMask.rwm", "not a picture");
    g.OpenFrame("BadMask", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());

    // A region wholly outside the picture, or without area: nothing to ripple.
    SeaFrame("Away");
    t.project.WriteWaterEffect("Away", 500, 500, 20, 20, 3, 8, false, HalfMask(20, 20));
    g.OpenFrame("Away", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    t.project.WriteWaterEffect("Away", 0, 0, 0, 20, 3, 8, false, HalfMask(20, 20));
    g.OpenFrame("Away", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    EXPECT_TRUE(t.Boxes().empty());

    // A mask of the wrong size: the water ripples where the mask has pixels.
    SeaFrame("Small");
    t.project.WriteWaterEffect("Small", 0, 24, 64, 24, 3, 8, false, HalfMask(10, 5));
    g.OpenFrame("Small", false, 0, 0);
    EXPECT_TRUE(water->EffectActive());

    // Twelve fields (an older file): not reversed.
    SeaFrame("Old");
    t.project.WriteWaterEffect("Old", 0, 24, 64, 24, 3, 8, true, HalfMask(64, 24), false);
    g.OpenFrame("Old", false, 0, 0);
    EXPECT_TRUE(water->EffectActive());
    EXPECT_FALSE(water->Settings().Reverse);
    EXPECT_TRUE(t.Boxes().empty());

    // Wider than the window units hold, and cut short: the loading box, no water.
    SeaFrame("Wide");
    t.project.WriteWaterEffect("Wide", 0, 0, 2185, 10, 3, 8, false, HalfMask(64, 24));
    g.OpenFrame("Wide", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes().back().text, loading + "Overflow");
    SeaFrame("Cut");
    t.project.WriteText("Frames/Cut.rwe", "1\r\n\"Cut\"\r\n0\r\n0\r\n0\r\n0\r\n0\r\n24\r\n");
    g.OpenFrame("Cut", false, 0, 0);
    EXPECT_FALSE(water->EffectActive());
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(t.Boxes().back().text.startsWith(loading));
    EXPECT_FALSE(water->TimerEnabled());
}

TEST_F(WaterTest, WaterIsPartOfTheNewPictureOfATransition) {
    SeaFrame("Sea");
    ColourFrame("Start", 0x0000FF);
    Game& g = StartWithWater();
    auto transitions = std::make_shared<GameTransitions>(g);
    g.services.transitions = transitions.get();
    g.Keep(transitions);
    g.OpenFrame("Start", false, 0, 0);
    transitions->TransitionStep1(1);
    g.OpenFrame("Sea", true, 1, 0);
    const QImage captured = transitions->CaptureCurrentFrame();
    EXPECT_EQ(captured.copy(0, 24, 64, 24), Sea(g));
    EXPECT_GT(
        CountDifferent(captured.copy(0, 24, 64, 24), Stripes(64, 48).copy(0, 24, 64, 24), 0, 32),
        0);
}

TEST_F(WaterTest, StopRequestEndsTheTimer) {
    SeaFrame("Start");
    Game& g = StartWithWater();
    g.OpenFrame("Start", false, 0, 0);
    ASSERT_TRUE(water->TimerEnabled());
    t.program.StopRequested = true;
    t.loop.Advance(100);
    EXPECT_FALSE(water->TimerEnabled());
}

}  // namespace
}  // namespace storyloom::test
