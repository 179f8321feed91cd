#include <gtest/gtest.h>

#include <QPainter>
#include <climits>
#include <cmath>

#include "platform/effects/RipplingWater.h"

using namespace storyloom::effects;

namespace {

// A scene with structure in both directions: a gradient, stripes and a disc.
QImage Scene(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, (x / 6 + y / 6) % 2 ? 200 : 40, y * 255 / h));
    QPainter(&image).drawEllipse(w / 4, h / 4, w / 2, h / 2);
    return image;
}

// Red = x, green = y: the output tells where each pixel was sampled (to the whole pixel).
QImage Coordinates(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x, y, 0));
    return image;
}

QImage Wave(const QImage& source, float phase, int height = 6, int count = 4,
            double direction = 90.0, double fade = 0.0) {
    QImage out(source.size(), QImage::Format_RGB32);
    out.fill(0u);
    EXPECT_EQ(FoxWave(out, 0, 0, source.width(), source.height(), source, 0, 0, height, count,
                      phase, direction, fade),
              EffectStatus::Drawn);
    return out;
}

// Vertical displacement down column x.
std::vector<int> ColumnShift(const QImage& out, int x) {
    std::vector<int> shift;
    for (int y = 0; y < out.height(); ++y) shift.push_back(qGreen(out.pixel(x, y)) - y);
    return shift;
}

// The shift s (in -15 .. 15) that best lays field b over field a: b(y) ~ a(y - s).
int BestShift(const std::vector<int>& a, const std::vector<int>& b) {
    int best = 0;
    long bestCost = LONG_MAX;
    for (int s = -15; s <= 15; ++s) {
        long cost = 0;
        for (int y = 20; y < int(a.size()) - 20; ++y) cost += std::abs(b[y] - a[y - s]);
        if (cost < bestCost) bestCost = cost, best = s;
    }
    return best;
}

}  // namespace

TEST(WaterClock, FoxTimeCountsMillisecondsSinceTheLastRestart) {
    qint64 now = 1000;
    WaterClock clock([&] { return now; });
    now += 40;
    EXPECT_EQ(clock.FoxTime(0), 40);
    EXPECT_EQ(clock.FoxTime(1), 0);
    now += 250;
    EXPECT_EQ(clock.FoxTime(0), 250);
    EXPECT_EQ(clock.FoxTime(7), 250);
    now -= 1000;  // a clock that goes back
    EXPECT_EQ(clock.FoxTime(0), 0);
    now += qint64(1) << 40;
    EXPECT_EQ(clock.FoxTime(0), INT_MAX);
    EXPECT_EQ(WaterClock(nullptr).FoxTime(0), 0);

    EXPECT_EQ(RipplePhase(8, false, 300), 1.0f);
    EXPECT_EQ(RipplePhase(8, true, 300), -1.0f);
    EXPECT_EQ(RipplePhase(18, false, 300), 16.0f);
    EXPECT_EQ(RipplePhase(-2, false, 5000), 0.0f);
    EXPECT_TRUE(std::isfinite(RipplePhase(INT_MAX, true, INT_MAX)));
}

TEST(RipplingWater, SameClockSamePixelsOtherClockOtherPixels) {
    const QImage scene = Scene(160, 120);
    qint64 now = 0;
    WaterClock clock([&] { return now; });
    clock.FoxTime(1);
    now = 480;
    const float phase = RipplePhase(8, false, clock.FoxTime(0));
    EXPECT_EQ(Wave(scene, phase), Wave(scene, phase));
    now = 510;
    EXPECT_NE(Wave(scene, RipplePhase(8, false, clock.FoxTime(0))), Wave(scene, phase));
    EXPECT_NE(Wave(scene, phase), scene);
    EXPECT_EQ(Wave(scene, phase, 0), scene);  // no wave height: still water
}

TEST(RipplingWater, RefractsSmoothlyWithinTheWaveHeight) {
    QImage flat(200, 150, QImage::Format_RGB32);
    flat.fill(qRgb(30, 90, 160));
    for (float phase : {0.0f, 1.3f, -57.0f, 1e7f})
        for (int height : {1, 6, 64}) EXPECT_EQ(Wave(flat, phase, height, 8, 37.0), flat);

    const QImage coords = Coordinates(240, 240);
    for (int height : {3, 12}) {
        const QImage out = Wave(coords, 2.5f, height);
        int largest = 0, steepest = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 240; ++x) {
                const int dx = qRed(out.pixel(x, y)) - x, dy = qGreen(out.pixel(x, y)) - y;
                largest = std::max({largest, std::abs(dx), std::abs(dy)});
                ASSERT_LE(std::max(std::abs(dx), std::abs(dy)), height + 1);
                // Neighbours are displaced alike: a bent picture, not noise.
                const int stepX = x > 0 ? qRed(out.pixel(x, y)) - qRed(out.pixel(x - 1, y)) : 1;
                const int stepY = y > 0 ? qGreen(out.pixel(x, y)) - qGreen(out.pixel(x, y - 1)) : 1;
                steepest = std::max({steepest, std::abs(stepX - 1), std::abs(stepY - 1)});
            }
        EXPECT_GE(largest, height / 2) << height;
        EXPECT_LE(steepest, 2) << height;
    }
}

TEST(RipplingWater, WavesTravelWithThePhaseAndTheOtherWayInReverse) {
    const QImage coords = Coordinates(60, 200);
    const std::vector<int> start = ColumnShift(Wave(coords, 0.0f, 8, 1), 30);
    // Main wavelength 6 x 8 + 16 = 64 pixels: one radian moves it about 10 pixels.
    const int forward = BestShift(start, ColumnShift(Wave(coords, 1.0f, 8, 1), 30));
    const int back =
        BestShift(start, ColumnShift(Wave(coords, RipplePhase(8, true, 300), 8, 1), 30));
    EXPECT_GE(forward, 8);
    EXPECT_LE(forward, 12);
    EXPECT_EQ(back, -forward);
    // Direction 0: the waves run to the right and displace across, not down.
    const QImage across = Wave(Coordinates(200, 60), 1.0f, 8, 1, 0.0);
    for (int x = 0; x < 200; ++x) ASSERT_EQ(qGreen(across.pixel(x, 30)), 30);
    // Full distance fade: the top row is calm, the bottom row is not.
    const QImage faded = Wave(coords, 1.0f, 8, 4, 90.0, 1.0);
    EXPECT_EQ(faded.copy(0, 0, 60, 1), coords.copy(0, 0, 60, 1));
    EXPECT_NE(faded.copy(0, 199, 60, 1), coords.copy(0, 199, 60, 1));
}

TEST(RipplingWater, OutOfRangeArgumentsAreClampedOrNeutral) {
    const QImage scene = Scene(90, 70);
    EXPECT_EQ(Wave(scene, 1.0f, -6), Wave(scene, 1.0f, 6));
    EXPECT_EQ(Wave(scene, 1.0f, 5000), Wave(scene, 1.0f, 64));
    EXPECT_EQ(Wave(scene, 1.0f, 6, 0), Wave(scene, 1.0f, 6, 1));
    EXPECT_EQ(Wave(scene, 1.0f, 6, 99), Wave(scene, 1.0f, 6, 8));
    EXPECT_EQ(Wave(scene, std::nanf("")), Wave(scene, 0.0f));
    EXPECT_EQ(Wave(scene, INFINITY), Wave(scene, 0.0f));
    EXPECT_EQ(Wave(scene, 1.0f, 6, 4, std::nan("")), Wave(scene, 1.0f, 6, 4, 90.0));
    EXPECT_EQ(Wave(scene, 1.0f, 6, 4, 90.0, 3.0), Wave(scene, 1.0f, 6, 4, 90.0, 1.0));
    EXPECT_EQ(Wave(scene, 1.0f, 6, 4, 90.0, std::nan("")), Wave(scene, 1.0f, 6, 4, 90.0, 0.0));
    // The source may be the destination itself.
    QImage same = scene;
    ASSERT_EQ(FoxWave(same, 0, 0, 90, 70, same, 0, 0, 6, 4, 1.0f, 90.0, 0.0), EffectStatus::Drawn);
    EXPECT_EQ(same, Wave(scene, 1.0f));
    EXPECT_EQ(Wave(scene.convertToFormat(QImage::Format_RGB888), 1.0f), Wave(scene, 1.0f));
}

TEST(RipplingWater, TheMaskKeepsWavesOnBlackAndThePictureOnWhite) {
    // The game's steps: still copy OR NOT mask, wave of the original, then the mask.
    const QImage original = Scene(120, 80);
    QImage mask(120, 80, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter(&mask).fillRect(0, 40, 120, 40, Qt::black);
    QImage still = original, water = original;
    ASSERT_EQ(OrInvertedMask(still, mask), EffectStatus::Drawn);
    EXPECT_EQ(still.copy(0, 0, 120, 40), original.copy(0, 0, 120, 40));
    EXPECT_EQ(still.pixel(3, 50), qRgb(255, 255, 255));
    ASSERT_EQ(FoxWave(water, 0, 0, 120, 80, original, 0, 0, 6, 4, 2.0f, 90.0, 0.0),
              EffectStatus::Drawn);
    const QImage wave = water;
    ASSERT_EQ(FoxFastMask(water, 0, 0, 120, 80, still, 0, 0, mask, 0, 0, 0), EffectStatus::Drawn);
    EXPECT_EQ(water.copy(0, 0, 120, 40), original.copy(0, 0, 120, 40));
    EXPECT_EQ(water.copy(0, 40, 120, 40), wave.copy(0, 40, 120, 40));
    EXPECT_NE(water.copy(0, 40, 120, 40), original.copy(0, 40, 120, 40));

    // Grey mixes bit by bit; mode 1 inverts the mask; where the mask has no pixel the picture
    // shows. 7 pixels wide: the vector loop and its tail.
    QImage dest(7, 3, QImage::Format_RGB32), pic(7, 3, QImage::Format_RGB32);
    QImage grey(5, 2, QImage::Format_RGB32);
    grey.fill(qRgb(0xF0, 0x0F, 0x80));
    for (int mode : {0, 1}) {
        dest.fill(qRgb(0x12, 0x34, 0x56));
        pic.fill(qRgb(0xAB, 0xCD, 0xEF));
        ASSERT_EQ(FoxFastMask(dest, 0, 0, 7, 3, pic, 0, 0, grey, 0, 0, mode), EffectStatus::Drawn);
        EXPECT_EQ(dest.pixel(4, 1), mode ? qRgb(0x1B, 0xC4, 0x6F) : qRgb(0xA2, 0x3D, 0xD6));
        EXPECT_EQ(dest.pixel(5, 1), pic.pixel(5, 1));
        EXPECT_EQ(dest.pixel(0, 2), pic.pixel(0, 2));
    }
}

TEST(RipplingWater, RectanglesAndMasksOutsideThePicturesAreClipped) {
    const QImage scene = Scene(64, 48);
    QImage dest(64, 48, QImage::Format_RGB32);
    QImage mask(8, 8, QImage::Format_Mono);
    mask.fill(0);
    for (auto [x, y, w, h] : {std::array{-30, -20, 64, 48},
                              {40, 30, 500, 500},
                              {INT_MIN, 0, INT_MAX, INT_MAX},
                              {INT_MAX, INT_MAX, INT_MAX, 5}}) {
        dest.fill(qRgb(1, 2, 3));
        const EffectStatus wave = FoxWave(dest, x, y, w, h, scene, 0, 0, 9, 4, 1.0f, 90.0, 0.0);
        const EffectStatus still = FoxFastMask(dest, x, y, w, h, scene, 3, 3, mask, -4, 2, 0);
        EXPECT_NE(wave, EffectStatus::BadDestination);
        EXPECT_EQ(wave, still);
        if (x > 0) {
            EXPECT_EQ(dest.pixel(0, 0), qRgb(1, 2, 3));  // outside the rectangle
        }
    }
    dest.fill(qRgb(1, 2, 3));
    EXPECT_EQ(FoxWave(dest, 0, 0, 64, 48, scene, 60, 44, 9, 4, 1.0f, 90.0, 0.0),
              EffectStatus::Drawn);
    EXPECT_EQ(dest.pixel(4, 4), qRgb(1, 2, 3));  // the source covers only 4 x 4 pixels
    EXPECT_EQ(FoxWave(dest, 0, 0, -5, 10, scene, 0, 0, 9, 4, 1.0f, 90.0, 0.0),
              EffectStatus::NothingToDraw);
    // One pixel wide or high: the samples stay in the column or the row.
    const QImage column = Wave(Coordinates(1, 40), 1.0f, 9);
    const QImage row = Wave(Coordinates(40, 1), 1.0f, 9);
    EXPECT_NE(column, Coordinates(1, 40));
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(qRed(column.pixel(0, i)), 0);
        EXPECT_EQ(qGreen(row.pixel(i, 0)), 0);
    }
    QImage wide(65537, 2, QImage::Format_RGB32);
    wide.fill(0u);
    EXPECT_EQ(FoxWave(wide, 0, 0, 65537, 2, wide, 0, 0, 9, 4, 1.0f, 90.0, 0.0),
              EffectStatus::BadArgument);
    EXPECT_EQ(FoxWave(wide, 1, 0, 65537, 2, wide, 0, 0, 9, 4, 1.0f, 90.0, 0.0),
              EffectStatus::Drawn);
    QImage none, indexed(8, 8, QImage::Format_Indexed8);
    EXPECT_EQ(FoxWave(none, 0, 0, 5, 5, scene, 0, 0, 9, 4, 1.0f, 90.0, 0.0),
              EffectStatus::BadDestination);
    EXPECT_EQ(FoxFastMask(indexed, 0, 0, 5, 5, scene, 0, 0, mask, 0, 0, 0),
              EffectStatus::BadDestination);
    EXPECT_EQ(OrInvertedMask(indexed, mask), EffectStatus::BadDestination);
}
