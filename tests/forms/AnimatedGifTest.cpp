// The animated-GIF player: delays as shown, the speed, the loop count, the frames under the
// picture cache's budget, and the transparent container.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "FormsTestSupport.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/AnimatedGif.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {
namespace {

using test::EnsureApp;

class AnimatedGifTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureApp(); }
    std::shared_ptr<const GifAnimation> Animation(const std::vector<int>& delays, int loops) {
        auto a = DecodeGifAnimation(test::Gif(delays, loops));
        EXPECT_TRUE(a);
        return std::make_shared<const GifAnimation>(*a);
    }
    VirtualEventLoop loop;
    Window window;
};

TEST_F(AnimatedGifTest, ShortDelaysShowAsATenthOfASecondAndSpeedScalesThePace) {
    auto* gif = window.Add<AnimatedGif>(&loop);
    gif->SetAnimation(Animation({0, 1, 7, 2}, 0));
    EXPECT_EQ(gif->ShownDelayMs(0), 100);
    EXPECT_EQ(gif->ShownDelayMs(1), 100);
    EXPECT_EQ(gif->ShownDelayMs(2), 70);
    EXPECT_EQ(gif->ShownDelayMs(3), 20);
    gif->SetSpeed(100);
    EXPECT_EQ(gif->ShownDelayMs(2), 35);
    gif->SetSpeed(0);  // below 1: the normal pace
    EXPECT_EQ(gif->Speed(), 50);
    EXPECT_EQ(gif->ShownDelayMs(2), 70);
}

TEST_F(AnimatedGifTest, PlaysOnTheEventLoopAndHonoursTheLoopCount) {
    auto* endless = window.Add<AnimatedGif>(&loop);
    endless->SetAnimation(Animation({10, 30}, 0));
    auto* twice = window.Add<AnimatedGif>(&loop);
    twice->SetAnimation(Animation({10, 30}, 2));
    auto* once = window.Add<AnimatedGif>(&loop);
    once->SetAnimation(Animation({10, 30}, -1));
    for (AnimatedGif* g : {endless, twice, once}) g->Play();
    loop.Advance(99);
    EXPECT_EQ(endless->CurrentFrame(), 0);
    loop.Advance(1);
    EXPECT_EQ(endless->CurrentFrame(), 1);
    EXPECT_EQ(once->CurrentFrame(), 1);
    loop.Advance(300);  // 400: frame 0 again
    EXPECT_EQ(endless->CurrentFrame(), 0);
    EXPECT_EQ(twice->CurrentFrame(), 0);
    EXPECT_EQ(once->CurrentFrame(), 1) << "without a loop extension it plays once";
    EXPECT_FALSE(once->Playing());
    loop.Advance(2000);
    EXPECT_TRUE(endless->Playing());
    EXPECT_FALSE(twice->Playing());
    EXPECT_EQ(twice->CurrentFrame(), 1);

    // Stopped, the frame stays; started again, it goes on from there.
    endless->Stop();
    const int frame = endless->CurrentFrame();
    loop.Advance(1000);
    EXPECT_EQ(endless->CurrentFrame(), frame);
}

TEST_F(AnimatedGifTest, ContainerLetsTheTransparentPartsShowWhatIsBehind) {
    window.SetPixelRect(QRect(0, 0, 8, 8));
    window.SetBackColor(Rgb(0, 255, 0));
    auto* box = window.Add<AnimationCanvas>();
    box->SetPixelRect(QRect(2, 2, 4, 4));
    box->SetBackColor(Rgb(255, 255, 255));
    const QImage image = Renderer::Compose(window);
    EXPECT_EQ(image.pixel(3, 3), qRgb(0, 255, 0));
}

TEST_F(AnimatedGifTest, ElementsMovedToAnotherContainerStayInTheirArray) {
    auto* box = window.Add<AnimationCanvas>();
    auto* templ = window.Add<AnimatedGif>(&loop);
    ControlArray<AnimatedGif> players(templ);
    AnimatedGif* one = players.Load(1);
    one->SetContainer(box);
    templ->SetContainer(box);
    EXPECT_EQ(players.Find(1), one);
    EXPECT_EQ(one->Index(), 1);
    EXPECT_EQ(players.Template(), templ);
    EXPECT_EQ(players.Load(2)->Parent(), box) << "new elements go where the template is";
    players.Unload(1);
    EXPECT_FALSE(players.Exists(1));
}

TEST_F(AnimatedGifTest, FramesCountAgainstTheCacheBudget) {
    // 300 frames of 1x1 pixel: 4 bytes each.
    std::vector<int> delays(300, 5);
    const QByteArray bytes = test::Gif(delays, 0);
    const auto capped = DecodeGifAnimation(bytes, 40);
    ASSERT_TRUE(capped);
    EXPECT_EQ(capped->frames.size(), 10u);

    QTemporaryDir dir;
    const QString path = dir.filePath("many.gif");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    PictureCache cache(1000);
    int error = -1;
    const auto animation = cache.LoadAnimation(path, &error);
    ASSERT_TRUE(animation);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(animation->frames.size(), 250u);
    EXPECT_LE(cache.Bytes(), 1000u);
    EXPECT_EQ(cache.LoadAnimation(path), animation);  // decoded once
    EXPECT_EQ(cache.Hits(), 1u);

    EXPECT_FALSE(cache.LoadAnimation(dir.filePath("none.gif"), &error));
    EXPECT_EQ(error, kErrFileNotFound);
    QFile bad(dir.filePath("bad.gif"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(bytes.left(40));  // cut inside the first frame's data
    bad.close();
    const auto cut = cache.LoadAnimation(dir.filePath("bad.gif"), &error);
    EXPECT_TRUE(!cut || cut->frames.size() <= 1u);
    QFile text(dir.filePath("text.gif"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all");
    text.close();
    EXPECT_FALSE(cache.LoadAnimation(dir.filePath("text.gif"), &error));
    EXPECT_EQ(error, kErrInvalidPicture);
}

TEST_F(AnimatedGifTest, DamagedAndHugeGifsDecodeOrFailCleanly) {
    // Ten thousand frames: every one with its delay.
    const auto many = DecodeGifAnimation(test::Gif(std::vector<int>(10000, 3), 0));
    ASSERT_TRUE(many);
    EXPECT_EQ(many->frames.size(), 10000u);
    EXPECT_EQ(many->delaysMs.size(), 10000u);
    // Bytes changed and cut at random (the same each run): an animation whose frames and
    // delays agree, or none.
    const QByteArray good = test::Gif({5, 7, 9}, 2);
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        const int changes = 1 + int(next(6));
        for (int k = 0; k < changes; ++k)
            bytes[qsizetype(6 + next(std::uint32_t(bytes.size() - 6)))] = char(next(256));
        if (next(3) == 0) bytes.truncate(qsizetype(next(std::uint32_t(bytes.size()))));
        const auto a = DecodeGifAnimation(bytes, 4096);
        if (!a) continue;
        ASSERT_FALSE(a->frames.empty());
        ASSERT_EQ(a->frames.size(), a->delaysMs.size());
    }
}

}  // namespace
}  // namespace storyloom::forms
