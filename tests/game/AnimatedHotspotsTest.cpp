// Hotspots with animated pictures: the player in its container at the hotspot's place, clicks
// and item drops on it going to the hotspot, the animation running on the game's clock, and
// missing or damaged files.
#include "../forms/FormsTestSupport.h"
#include "GameFixture.h"
#include "frames/AnimatedPictures.h"

namespace storyloom::test {
namespace {

class AnimatedHotspotsTest : public GameTest {
  protected:
    AnimatedHotspotsTest() : pictures(t.program) { animated = &pictures; }
    ~AnimatedHotspotsTest() override { game.reset(); }

    AuthoredHotspot Animated(double left, double top, const QString& file) {
        AuthoredHotspot h;
        h.Left = left;
        h.Top = top;
        h.PictureKind = 1;
        h.HasPicture = true;
        h.PictureFile = file;
        return h;
    }

    AnimatedPictures pictures;
};

TEST_F(AnimatedHotspotsTest, PlaysAtItsPlaceAndTakesTheHotspotsClicksAndDrops) {
    ColourFrame("Zoo");
    ColourFrame("Hall");
    // Hotspot 1 at (10, 6) pixels, inset by 2: the player's corner at (12, 8).
    WriteHotspots(t.project, "Zoo",
                  {Animated(150, 90, "bird.gif"), Animated(600, 300, "missing.gif")});
    t.project.WriteFile("Areas/bird.gif", forms::test::Gif({10, 10}, 0));
    AuthoredAction click;
    click.ShowMessage = true;
    click.MessageMode = true;
    click.MessageText = "Tweet";
    WriteActions(t.project, "Zoo", {click, click});
    AuthoredAction drop;
    drop.DropKey = "1_key.drg";
    drop.GoToFrameOn = 1;
    drop.TargetFrame = "Hall";
    WriteActions(t.project, "Zoo", {drop}, "fm0");
    Game& g = Start();
    g.OpenFrame("Zoo", false, 0, 0);

    ASSERT_TRUE(pictures.AniGifBox->Exists(1));
    const forms::AnimationCanvas* box = pictures.AniGifBox->Item(1);
    EXPECT_TRUE(box->Visible());
    EXPECT_EQ(box->PixelRect(), QRect(12, 8, 1, 1));
    forms::AnimatedGif* player = pictures.AniGif->Item(1);
    EXPECT_EQ(player->Parent(), box);
    EXPECT_TRUE(player->Playing());
    const QRgb first = g.RenderFrame().pixel(12, 8);
    t.loop.Advance(100);
    EXPECT_EQ(player->CurrentFrame(), 1);
    EXPECT_NE(g.RenderFrame().pixel(12, 8), first);

    // A missing file leaves an empty object that no click reaches; the only box is the media
    // lookup's report of the missing file.
    EXPECT_TRUE(pictures.AniGifBox->Exists(2));
    EXPECT_TRUE(pictures.AniGifBox->Item(2)->PixelRect().isEmpty());
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_FALSE(t.Boxes().at(0).text.contains("Unable to load"));

    EXPECT_EQ(g.window.HitTest(g.PictureBox->WindowPixelRect().topLeft() + QPoint(12, 8)).control,
              player);
    g.MouseDownAt(12, 8, MouseButton::Left);
    EXPECT_EQ(g.MessageStripText(), "Tweet");
    EXPECT_EQ(g.state.LastClickX, 12);

    inventory.dragged = 1;
    inventory.itemName = "KEY";
    g.AniGif_DragDrop(1, "Label1", 0, 0);  // not an item picture
    EXPECT_EQ(g.state.frame.CurrentFrameName, "Zoo");
    g.AniGif_DragDrop(1, "PickedObject", 0, 0);
    EXPECT_EQ(g.state.frame.CurrentFrameName, "Hall");
    // The next frame takes the animations down.
    EXPECT_FALSE(pictures.AniGifBox->Exists(1));
    EXPECT_FALSE(pictures.AniGif->Exists(1));
}

TEST_F(AnimatedHotspotsTest, HiddenWithItsHotspotAndDamagedFilesShowTheirBox) {
    ColourFrame("Zoo");
    AuthoredHotspot shown = Animated(150, 90, "bird.gif");
    shown.HasConditions = 1;
    shown.ShowIfTrue = QStringList({"lamp"});
    WriteHotspots(t.project, "Zoo", {shown, Animated(600, 300, "bad.gif")});
    t.project.WriteFile("Areas/bird.gif", forms::test::Gif({10, 10}, 0));
    t.project.WriteText("Areas/bad.gif", "GIF89a but nothing after it");
    Game& g = Start();
    g.OpenFrame("Zoo", false, 0, 0);
    EXPECT_FALSE(pictures.BoxVisible(1));
    EXPECT_FALSE(pictures.AniGif->Item(1)->Playing());
    g.ChangeVariableValue("lamp", 1);
    g.ShowOrNotShowAreas();
    EXPECT_TRUE(pictures.BoxVisible(1));
    EXPECT_TRUE(pictures.AniGif->Item(1)->Playing());
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(t.Boxes().at(0).text.startsWith(ErrorText(" Unable to load '")));
    EXPECT_TRUE(t.Boxes().at(0).text.endsWith("bad.gif'."));
    // Nothing else: the number and the empty name make no object.
    EXPECT_EQ(pictures.AniGifNewWithIndex(0, "x.gif", 0, 0, 0), 0);
    EXPECT_EQ(pictures.AniGifNewWithIndex(5, "", 0, 0, 0), 0);
    EXPECT_FALSE(pictures.AniGifBox->Exists(5));
}

}  // namespace
}  // namespace storyloom::test
