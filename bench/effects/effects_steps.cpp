// What one step of each transition costs at 1024 x 768 and one rippling-water step over a
// 640 x 480 region with its mask (the wave, then the mask), as medians over many steps, on one
// thread. With `--pictures DIR` it also writes pictures to look at: water frames at several
// clock values (water_sheet.png), a half-way cross-fade and the four slides half way.
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/effects/RipplingWater.h"
#include "platform/effects/Transitions.h"

using namespace storyloom::effects;

namespace {

// A lakeside: sky, hills, a house with a sign, posts and their reflection in the lake below.
QImage Lakeside(int w, int h, QColor sky) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient air(0, 0, 0, h / 2);
    air.setColorAt(0, sky);
    air.setColorAt(1, QColor(250, 220, 170));
    p.fillRect(0, 0, w, h / 2, air);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 120));
    p.drawEllipse(w * 2 / 3, h / 10, w / 9, w / 9);
    p.setBrush(QColor(60, 110, 60));
    p.drawEllipse(-w / 4, h * 3 / 10, w, h / 2);
    p.setBrush(QColor(80, 130, 70));
    p.drawEllipse(w / 2, h * 35 / 100, w, h / 2);
    p.setBrush(QColor(170, 60, 40));
    p.drawRect(w / 8, h / 4, w / 6, h / 5);
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), h / 24, QFont::Bold));
    p.drawText(QRect(w / 8, h / 4, w / 6, h / 5), Qt::AlignCenter, QStringLiteral("INN"));
    // The lake: a copy of the upper half, mirrored and darkened, with posts standing in it.
    const QImage upper = image.copy(0, 0, w, h / 2).mirrored(false, true);
    p.drawImage(0, h / 2, upper);
    p.fillRect(0, h / 2, w, h - h / 2, QColor(20, 60, 110, 110));
    p.setPen(Qt::NoPen);
    for (int x = w / 20; x < w; x += w / 7) {
        p.setBrush(QColor(90, 60, 30));
        p.drawRect(x, h * 45 / 100, w / 60, h / 5);
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(x, h * 45 / 100, w / 60, h / 60);
    }
    return image;
}

struct Timing {
    double median = 0;
    double fastest = 0;
};

// Median and fastest of `rounds` steps, after as many untimed ones (the machine is shared:
// the fastest step shows what the code costs without neighbours).
template <typename Fn>
Timing Measure(int rounds, Fn step) {
    for (int i = 0; i < rounds; ++i) step(i);
    std::vector<double> ms;
    ms.reserve(size_t(rounds));
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        step(i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[size_t(rounds / 2)], ms.front()};
}

void Print(const char* what, Timing timing) {
    std::printf("%-40s median %6.3f ms  fastest %6.3f ms\n", what, timing.median, timing.fastest);
}

// One water step as the game draws it: the wave of the original into the visible picture,
// then the still copy through the mask.
void WaterStep(QImage& visible, const QImage& original, const QImage& still, const QImage& mask,
               float phase) {
    const int w = visible.width(), h = visible.height();
    FoxWave(visible, 0, 0, w, h, original, 0, 0, 6, 4, phase, 90.0, 0.0);
    FoxFastMask(visible, 0, 0, w, h, still, 0, 0, mask, 0, 0, 0);
}

// The lake of a 640 x 480 scene (its lower half) ripples; the posts stand still.
QImage LakeMask(int w, int h) {
    QImage mask(w, h, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter p(&mask);
    p.fillRect(0, h / 2, w, h - h / 2, Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int x = w / 20; x < w; x += w / 7) p.drawRect(x, h * 45 / 100, w / 60, h / 5);
    return mask;
}

void WritePictures(const QString& dir) {
    const QImage scene = Lakeside(640, 480, QColor(70, 120, 200));
    const QImage mask = LakeMask(640, 480);
    QImage still = scene;
    OrInvertedMask(still, mask);
    // Eight frames of speed 8 (the phase grows by 1/300 per millisecond), 150 ms apart.
    const int tw = 320, th = 240;
    QImage sheet(tw * 2, th * 4, QImage::Format_RGB32);
    QPainter p(&sheet);
    p.setPen(Qt::yellow);
    QImage visible(scene.size(), QImage::Format_RGB32);
    for (int i = 0; i < 8; ++i) {
        const int t = i * 150;
        WaterStep(visible, scene, still, mask, RipplePhase(8, false, t));
        if (i == 0 || i == 1) visible.save(dir + QStringLiteral("/water_t%1.png").arg(t));
        const QRect cell((i % 2) * tw, (i / 2) * th, tw, th);
        p.drawImage(cell, visible.scaled(tw, th, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.drawText(cell.adjusted(6, 4, 0, 0), QStringLiteral("t = %1 ms").arg(t));
    }
    p.end();
    sheet.save(dir + QStringLiteral("/water_sheet.png"));

    // The floor of a pool seen through the water: tiles and writing, all of it rippling.
    QImage floor(640, 480, QImage::Format_RGB32);
    QPainter f(&floor);
    for (int y = 0; y < 480; y += 40)
        for (int x = 0; x < 640; x += 40)
            f.fillRect(x, y, 40, 40,
                       (x + y) / 40 % 2 ? QColor(40, 150, 190) : QColor(220, 240, 250));
    f.setPen(QColor(160, 30, 30));
    f.setFont(QFont(QStringLiteral("DejaVu Sans"), 40, QFont::Bold));
    f.drawText(floor.rect(), Qt::AlignCenter, QStringLiteral("Storyloom"));
    f.end();
    QImage pool(640 * 2, 480 * 2, QImage::Format_RGB32);
    QPainter q(&pool);
    q.setPen(Qt::black);
    for (int i = 0; i < 4; ++i) {
        FoxWave(visible, 0, 0, 640, 480, floor, 0, 0, 8, 4, RipplePhase(8, false, i * 100), 90.0,
                0.0);
        q.drawImage((i % 2) * 640, (i / 2) * 480, visible);
        q.drawText((i % 2) * 640 + 8, (i / 2) * 480 + 20, QStringLiteral("t = %1 ms").arg(i * 100));
    }
    q.end();
    pool.save(dir + QStringLiteral("/water_pool_sheet.png"));

    const QImage other = Lakeside(640, 480, QColor(30, 20, 70)).mirrored(true, false);
    QImage out(scene.size(), QImage::Format_RGB32);
    QImage slides(640 * 2, 480 * 3, QImage::Format_RGB32);
    QPainter s(&slides);
    for (int kind = 1; kind <= 5; ++kind) {
        ComposeTransitionStep(out, kind, scene, other, 0.5);
        s.drawImage((kind - 1) % 2 * 640, (kind - 1) / 2 * 480, out);
    }
    s.end();
    slides.save(dir + QStringLiteral("/transitions_half_way.png"));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts for the pictures
    if (argc == 3 && std::strcmp(argv[1], "--pictures") == 0) {
        WritePictures(QString::fromLocal8Bit(argv[2]));
        std::printf("pictures written to %s\n", argv[2]);
    }

    const QImage oldPic = Lakeside(1024, 768, QColor(70, 120, 200));
    const QImage newPic = Lakeside(1024, 768, QColor(30, 20, 70)).mirrored(true, false);
    QImage display(1024, 768, QImage::Format_RGB32);
    const char* names[] = {"cross-fade",  "cross-fade", "slide left",
                           "slide right", "slide up",   "slide down"};
    for (int kind = 1; kind <= 5; ++kind) {
        const Timing timing = Measure(300, [&](int i) {
            ComposeTransitionStep(display, kind, oldPic, newPic, (i % 100 + 0.5) / 100.0);
        });
        Print((std::string(names[kind]) + " step, 1024x768").c_str(), timing);
    }

    const QImage scene = Lakeside(640, 480, QColor(70, 120, 200));
    const QImage mask = LakeMask(640, 480);
    QImage still = scene;
    OrInvertedMask(still, mask);
    QImage visible(scene.size(), QImage::Format_RGB32);
    if (FoxWave(visible, 0, 0, 640, 480, scene, 0, 0, 6, 4, 1.0f, 90.0, 0.0) !=
            EffectStatus::Drawn ||
        ComposeTransitionStep(display, 1, oldPic, newPic, 0.5) != EffectStatus::Drawn) {
        std::printf("the effects refused the benchmark's pictures\n");
        return 1;
    }
    Print("FoxWave, 640x480 region", Measure(300, [&](int i) {
              FoxWave(visible, 0, 0, 640, 480, scene, 0, 0, 6, 4, RipplePhase(8, false, i * 30),
                      90.0, 0.0);
          }));
    Print("FoxFastMask, 640x480 region", Measure(300, [&](int) {
              FoxFastMask(visible, 0, 0, 640, 480, still, 0, 0, mask, 0, 0, 0);
          }));
    Print("water step (wave + mask), 640x480 region", Measure(300, [&](int i) {
              WaterStep(visible, scene, still, mask, RipplePhase(8, false, i * 30));
          }));
    return 0;
}
