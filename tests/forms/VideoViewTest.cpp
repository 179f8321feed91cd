// A media player's face on a window: its frames drawn stretched or at their own size, where
// its holder says, in z-order with the other controls, and gone with the view.
#include <gtest/gtest.h>

#include "FormsTestSupport.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/VideoView.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom::forms {
namespace {

// A player whose current frame is a 20x10 picture, left half green, right half blue.
class PictureOnlyPlayer : public MediaPlayer {
  public:
    PictureOnlyPlayer() {
        frame_ = QImage(20, 10, QImage::Format_RGB32);
        frame_.fill(qRgb(0, 255, 0));
        for (int y = 0; y < 10; ++y)
            for (int x = 10; x < 20; ++x) frame_.setPixel(x, y, qRgb(0, 0, 255));
    }
    bool SetFileName(const QString& path) override {
        name_ = path;
        return true;
    }
    QString FileName() const override { return name_; }
    void SetPlayCount(int) override {}
    int PlayCount() const override { return 1; }
    void SetVolume(int) override {}
    int Volume() const override { return 0; }
    void SetRate(double) override {}
    double Rate() const override { return 1; }
    int PlayState() const override { return Playing; }
    void Play() override {}
    void Stop() override {}
    void Pause() override {}
    double CurrentPosition() const override { return 0; }
    void SetCurrentPosition(double) override {}
    double Duration() const override { return 1; }
    QSize NaturalSize() const override { return frame_.size(); }
    QImage CurrentFrame() const override { return frame_; }
    void NewFrame() {
        if (onFrame) onFrame();
    }

  private:
    QString name_;
    QImage frame_;
};

class VideoViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApp();
        window.SetPixelRect(QRect(0, 0, 100, 80));
        window.SetBackColor(Rgb(255, 0, 0));
    }
    Window window;
    PictureOnlyPlayer player;
};

TEST_F(VideoViewTest, FramesAreStretchedOrShownAtTheirOwnSize) {
    auto* view = window.Add<VideoView>();
    view->SetPixelRect(QRect(10, 10, 40, 40));
    view->SetPlayer(&player);
    player.SetAutoSize(false);
    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(12, 48), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(47, 12), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(51, 30), qRgb(255, 0, 0));

    player.SetAutoSize(true);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(12, 12), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(25, 15), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(31, 15), qRgb(255, 0, 0));  // beyond the video's 20 pixels
    EXPECT_EQ(out.pixel(12, 21), qRgb(255, 0, 0));

    // Without a player the view shows nothing.
    view->SetPlayer(nullptr);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(12, 12), qRgb(255, 0, 0));
}

TEST_F(VideoViewTest, PlacementIsAskedAtEveryPaintAndTheZOrderHolds) {
    auto* view = window.Add<VideoView>();
    view->SetPixelRect(QRect(0, 0, 100, 80));
    std::optional<QRect> place = QRect(50, 40, 20, 10);
    view->placement = [&place] { return place; };
    view->SetPlayer(&player);
    player.SetAutoSize(false);
    // A control added later lies above the video.
    auto* cover = window.Add<Image>();
    cover->SetStretch(true);
    cover->SetPixelRect(QRect(60, 40, 5, 5));
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 0));
    cover->SetPicture(Picture::FromImage(img));

    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(52, 45), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(62, 42), qRgb(255, 255, 0));
    EXPECT_EQ(out.pixel(66, 47), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(5, 5), qRgb(255, 0, 0));

    place = QRect(0, 0, 20, 10);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(2, 2), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(52, 45), qRgb(255, 0, 0));

    view->ZOrder(0);  // now the video covers the picture
    place = QRect(50, 40, 20, 10);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(62, 42), qRgb(0, 0, 255));

    place.reset();  // hidden
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(52, 45), qRgb(255, 0, 0));
}

TEST_F(VideoViewTest, NewFramesRedrawAndAViewThatGoesLeavesThePlayerAlone) {
    auto* view = window.Add<VideoView>();
    view->SetPlayer(&player);
    ASSERT_TRUE(static_cast<bool>(player.onFrame));
    player.NewFrame();
    window.Remove(view);
    EXPECT_FALSE(static_cast<bool>(player.onFrame));
    player.NewFrame();  // no view to reach
}

}  // namespace
}  // namespace storyloom::forms
