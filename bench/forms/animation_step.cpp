// Animated pictures on a 1024x768 frame. One step of a 64x64 animation (the frame change, the
// window composed again, presented 1:1) as a median; then ten 200x200 animations at their own
// rates over 10 s of virtual time, composing the window whenever one changed, with the process
// CPU time that took. Prints the figures.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/forms/Renderer.h"
#include "platform/forms/controls/AnimatedGif.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

using namespace storyloom;
using namespace storyloom::forms;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::shared_ptr<const GifAnimation> Frames(int side, int count, int delayMs) {
    auto a = std::make_shared<GifAnimation>();
    for (int i = 0; i < count; ++i) {
        QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor::fromHsv((i * 40) % 360, 200, 230));
        p.drawEllipse(QRectF(side * 0.1 + i, side * 0.1, side * 0.6, side * 0.6));
        p.end();
        a->frames.push_back(img);
        a->delaysMs.push_back(delayMs);
    }
    a->loopCount = 0;
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    VirtualEventLoop loop;
    Window window;
    window.SetPixelRect(QRect(0, 0, 1024, 768));
    auto* box = window.Add<PictureBox>("PictureBox");
    box->SetBorderStyle(0);
    box->SetPixelRect(QRect(0, 0, 1024, 768));
    QImage background(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            reinterpret_cast<QRgb*>(background.scanLine(y))[x] = qRgb(x / 4, y / 3, (x ^ y) & 255);
    box->SetPicture(Picture::FromImage(background));

    auto* small = box->Add<AnimatedGif>(&loop);
    small->Move(400 * 15.0, 300 * 15.0);
    small->SetAnimation(Frames(64, 8, 100));
    small->Play();
    QImage frame, screen(1024, 768, QImage::Format_RGB32);
    Renderer::ComposeInto(window, frame);
    std::vector<double> steps;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer t;
        t.start();
        loop.Advance(100);  // one frame change
        Renderer::ComposeInto(window, frame);
        QPainter painter(&screen);
        Present(painter, frame, screen.rect(), ScalingMode::Sharp);
        steps.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("one 64x64 animation step on 1024x768, composed and presented: median %.3f ms\n",
                Median(steps));
    small->Stop();
    small->SetVisible(false);

    std::vector<AnimatedGif*> big;
    for (int i = 0; i < 10; ++i) {
        auto* g = box->Add<AnimatedGif>(&loop);
        g->Move((i % 5) * 200 * 15.0, (i / 5) * 300 * 15.0);
        g->SetAnimation(Frames(200, 6, 60 + 10 * i));
        g->Play();
        big.push_back(g);
    }
    const std::clock_t start = std::clock();
    std::uint64_t seen = window.Generation();
    int composed = 0;
    // A display at 60 Hz: every 16 ms the window is composed again if anything changed.
    for (int ms = 0; ms < 10000; ms += 16) {
        loop.Advance(16);
        if (window.Generation() != seen) {
            seen = window.Generation();
            Renderer::ComposeInto(window, frame);
            ++composed;
        }
    }
    const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf(
        "ten 200x200 animations, 10 s: %d frames composed, %.2f s of CPU (%.1f%% of one "
        "core)\n",
        composed, cpu, cpu / 10.0 * 100.0);
    for (AnimatedGif* g : big) g->Stop();

    // The inventory panel sliding down over the frame with two rows of icons: each step moves
    // it and composes and presents the window again; the slowest step counts.
    auto* panel = box->Add<PictureBox>("Inventory1");
    panel->SetBorderStyle(0);
    panel->SetBackColor(Rgb(48, 48, 56));
    panel->SetPixelRect(QRect(0, -94, 1024, 94));
    for (int i = 0; i < 40; ++i) {
        auto* icon = panel->Add<AnimatedGif>(&loop);
        icon->SetAnimation(Frames(32, 1, 100));
        icon->Move((10 + (i % 24) * 42) * 15.0, (10 + (i / 24) * 42) * 15.0);
    }
    std::vector<double> slide;
    for (int top = -94; top <= 0; top += 2) {
        QElapsedTimer t;
        t.start();
        panel->SetTop(top * 15.0);
        Renderer::ComposeInto(window, frame);
        QPainter painter(&screen);
        Present(painter, frame, screen.rect(), ScalingMode::Sharp);
        slide.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("panel slide step (move, compose, present): median %.3f ms, slowest %.3f ms\n",
                Median(slide), *std::max_element(slide.begin(), slide.end()));
    return 0;
}
