#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/effects/Transitions.h"

using namespace storyloom::effects;

namespace {

// Every pixel tells which picture it comes from and where: red = id, green = x, blue = y.
QImage Coded(int w, int h, int id) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(id, x, y));
    return image;
}

QImage Step(int kind, const QImage& oldPic, const QImage& newPic, double p) {
    QImage out(oldPic.size(), QImage::Format_RGB32);
    EXPECT_EQ(ComposeTransitionStep(out, kind, oldPic, newPic, p), EffectStatus::Drawn);
    return out;
}

}  // namespace

TEST(Transitions, HalfWayCrossFadeIsExact) {
    const QImage oldPic = QImage(8, 3, QImage::Format_RGB32);
    QImage a = oldPic, b = oldPic;
    a.fill(qRgb(10, 20, 30));
    b.fill(qRgb(250, 120, 0));
    // p = 0.5 gives opacity 128: round((new x 128 + old x 127) / 255) per channel.
    EXPECT_EQ(Step(1, a, b, 0.5).pixel(5, 2), qRgb(130, 70, 15));
    a.fill(qRgb(0, 0, 0));
    b.fill(qRgb(255, 255, 255));
    EXPECT_EQ(Step(0, a, b, 0.5).pixel(7, 0), qRgb(128, 128, 128));
    EXPECT_EQ(TransitionOpacity(0.002), 1);
    EXPECT_EQ(TransitionOpacity(0.001), 0);
    EXPECT_EQ(TransitionOpacity(1.5), 255);
}

TEST(Transitions, CrossFadeMatchesTheRoundedFormulaAtEveryOpacity) {
    // 19 pixels a row: the vector loop and its tail both run.
    QImage oldPic(19, 5, QImage::Format_RGB32), newPic(19, 5, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 19; ++x) {
            oldPic.setPixel(x, y, random() | 0xFF000000u);
            newPic.setPixel(x, y, random() | 0xFF000000u);
        }
    QImage out(19, 5, QImage::Format_RGB32);
    for (int a = 0; a <= 255; ++a) {
        ASSERT_EQ(ComposeCrossFade(out, oldPic, newPic, a), EffectStatus::Drawn);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 19; ++x) {
                const QRgb o = oldPic.pixel(x, y), n = newPic.pixel(x, y), r = out.pixel(x, y);
                auto expect = [&](int on, int nn) {
                    return int(std::lround((nn * a + on * (255 - a)) / 255.0));
                };
                ASSERT_EQ(qRed(r), expect(qRed(o), qRed(n))) << a;
                ASSERT_EQ(qGreen(r), expect(qGreen(o), qGreen(n))) << a;
                ASSERT_EQ(qBlue(r), expect(qBlue(o), qBlue(n))) << a;
                ASSERT_EQ(qAlpha(r), 255);
            }
    }
}

TEST(Transitions, EveryKindStartsAtTheOldAndEndsAtTheNewPicture) {
    const QImage oldPic = Coded(37, 23, 1), newPic = Coded(37, 23, 2);
    for (int kind = 0; kind <= kTransitionCount; ++kind) {
        EXPECT_EQ(Step(kind, oldPic, newPic, 0.0), oldPic) << kind;
        EXPECT_EQ(Step(kind, oldPic, newPic, 1.0), newPic) << kind;
        EXPECT_EQ(Step(kind, oldPic, newPic, 7.0), newPic) << kind;
        EXPECT_EQ(Step(kind, oldPic, newPic, -1.0), oldPic) << kind;
    }
}

TEST(Transitions, SlidesMoveTheStripTheWayEachKindSays) {
    const int w = 37, h = 23;
    const QImage oldPic = Coded(w, h, 1), newPic = Coded(w, h, 2);
    for (double p : {0.1, 0.25, 0.5, 0.75, 0.97}) {
        for (int kind = 2; kind <= 5; ++kind) {
            const QImage out = Step(kind, oldPic, newPic, p);
            const bool across = kind <= 3;
            const int extent = across ? w : h;
            const int moved = int(std::lround(p * extent));
            // The strip: two pictures end to end, the first at -extent + moved (kinds 2, 4,
            // moving forward) or at -moved (kinds 3, 5, moving back).
            const bool newFirst = kind == 2 || kind == 4;
            const int stripStart = newFirst ? moved - extent : -moved;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int along = (across ? x : y) - stripStart;
                    const bool inFirst = along < extent;
                    const bool isNew = inFirst == newFirst;
                    const int at = inFirst ? along : along - extent;
                    const QRgb expect =
                        across ? qRgb(isNew ? 2 : 1, at, y) : qRgb(isNew ? 2 : 1, x, at);
                    ASSERT_EQ(out.pixel(x, y), expect)
                        << kind << " p=" << p << " " << x << "," << y;
                }
        }
    }
    // Half way on a 40-pixel width: the new picture's right half enters on the left (kind 2).
    const QImage half = Step(2, Coded(40, 2, 1), Coded(40, 2, 2), 0.5);
    EXPECT_EQ(half.pixel(0, 0), qRgb(2, 20, 0));
    EXPECT_EQ(half.pixel(20, 0), qRgb(1, 0, 0));
    EXPECT_EQ(Step(5, Coded(3, 10, 1), Coded(3, 10, 2), 0.3).pixel(1, 7), qRgb(2, 1, 0));
}

TEST(Transitions, BadInputIsRefusedOrPaddedAndNeverReadOutside) {
    const QImage oldPic = Coded(16, 8, 1), newPic = Coded(16, 8, 2);
    QImage out(16, 8, QImage::Format_RGB32);
    out.fill(qRgb(9, 9, 9));
    const QImage before = out;
    EXPECT_EQ(ComposeTransitionStep(out, 6, oldPic, newPic, 0.5), EffectStatus::BadArgument);
    EXPECT_EQ(ComposeTransitionStep(out, -1, oldPic, newPic, 0.5), EffectStatus::BadArgument);
    EXPECT_EQ(ComposeTransitionStep(out, 2, oldPic, newPic, std::nan("")),
              EffectStatus::BadArgument);
    EXPECT_EQ(out, before);
    QImage none;
    QImage indexed(16, 8, QImage::Format_Indexed8);
    EXPECT_EQ(ComposeTransitionStep(none, 1, oldPic, newPic, 0.5), EffectStatus::BadDestination);
    EXPECT_EQ(ComposeCrossFade(indexed, oldPic, newPic, 9), EffectStatus::BadDestination);

    // Smaller or missing pictures draw black where they have no pixel; other formats convert.
    const QImage small = Coded(5, 3, 2);
    for (int kind = 0; kind <= 5; ++kind) {
        ASSERT_EQ(ComposeTransitionStep(out, kind, QImage(), small, 1.0), EffectStatus::Drawn);
        EXPECT_EQ(out.pixel(4, 2), qRgb(2, 4, 2));
        EXPECT_EQ(out.pixel(5, 2), qRgb(0, 0, 0));
        EXPECT_EQ(out.pixel(15, 7), qRgb(0, 0, 0));
    }
    ASSERT_EQ(
        ComposeTransitionStep(out, 3, oldPic.convertToFormat(QImage::Format_RGB888), newPic, 0.5),
        EffectStatus::Drawn);
    EXPECT_EQ(out, Step(3, oldPic, newPic, 0.5));
}
