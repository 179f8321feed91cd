// Composes a 1024x768 frame (picture background, 50 hotspot pictures, 20 labels) and presents
// it scaled to 1920x1080 with QPainter, the way the shell draws every frame. Prints medians.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/forms/ControlArray.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/Window.h"

using namespace storyloom::forms;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Picture Background() {
    QImage img(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) row[x] = qRgb(x / 4, y / 3, (x ^ y) & 0xFF);
    }
    // Through JPEG, as a frame's background usually is.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 85);
    return DecodePicture(bytes).picture;
}

Picture Icon(int seed) {
    QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor::fromHsv((seed * 37) % 360, 200, 230));
    p.setPen(Qt::black);
    p.drawEllipse(4, 4, 56, 56);
    p.end();
    return Picture::FromImage(img);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(10, atoi(argv[1])) : 400;

    Window window;
    window.SetPixelRect(QRect(0, 0, 1024, 768));
    auto* box = window.Add<PictureBox>("PictureBox");
    box->SetBorderStyle(0);
    box->SetPixelRect(QRect(0, 0, 1024, 768));
    box->SetPicture(Background());
    auto* areaTemplate = box->Add<Image>("Area");
    areaTemplate->SetVisible(false);
    ControlArray<Image> area(areaTemplate);
    QRandomGenerator random(7);
    for (int i = 1; i <= 50; ++i) {
        Image* a = area.Load(i);
        a->SetStretch(i % 3 == 0);
        a->SetPixelRect(QRect(random.bounded(960), random.bounded(700), 48 + i % 40, 48 + i % 30));
        a->SetPicture(Icon(i));
        a->SetVisible(true);
    }
    auto* textTemplate = box->Add<Label>("Text");
    textTemplate->SetVisible(false);
    textTemplate->SetBackStyle(0);
    textTemplate->SetAutoSize(true);
    ControlArray<Label> text(textTemplate);
    for (int i = 1; i <= 20; ++i) {
        Label* t = text.Load(i);
        t->SetFont(FontSpec{i % 2 ? "Arial" : "Times New Roman", 10.0 + i % 8, i % 3 == 0,
                            i % 4 == 0, false, false});
        t->SetForeColor(Rgb(255, 255, i * 12));
        t->Move(random.bounded(900) * 15.0, random.bounded(720) * 15.0);
        t->SetCaption(QStringLiteral("Text box %1\r\nsecond line").arg(i));
        t->SetVisible(true);
    }

    QImage frame;
    QImage screen(1920, 1080, QImage::Format_RGB32);
    for (ScalingMode mode : {ScalingMode::Smooth, ScalingMode::Sharp}) {
        std::vector<double> compose, present, total;
        for (int i = 0; i < frames; ++i) {
            // Something moves every frame, so nothing can be reused.
            area.Item(1 + i % 50)->SetLeft((i % 900) * 15.0);
            QElapsedTimer t;
            t.start();
            Renderer::ComposeInto(window, frame);
            const qint64 a = t.nsecsElapsed();
            {
                QPainter painter(&screen);
                Present(painter, frame, screen.rect(), mode);
            }
            const qint64 b = t.nsecsElapsed();
            compose.push_back(a / 1e6);
            present.push_back((b - a) / 1e6);
            total.push_back(b / 1e6);
        }
        // The fastest frame shows the cost when no other process takes the processor away.
        std::printf(
            "%s: compose 1024x768 median %.2f ms, present to 1920x1080 %.2f ms, together %.2f ms "
            "(fastest frame %.2f ms, %d frames)\n",
            mode == ScalingMode::Smooth ? "smooth" : "sharp ", Median(compose), Median(present),
            Median(total), *std::min_element(total.begin(), total.end()), frames);
    }
    return 0;
}
