// A second load of the same 1024x768 JPEG comes from the cache: first and second load times.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/forms/Picture.h"

using namespace storyloom::forms;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QImage img(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x / 4, y / 3, (x * y) & 0xFF));
    const QString path = dir.filePath("frame.jpg");
    img.save(path, "JPEG", 85);

    std::vector<double> first, second;
    for (int round = 0; round < 30; ++round) {
        PictureCache cache;
        QElapsedTimer t;
        t.start();
        const PictureResult a = cache.Load(path);
        const qint64 one = t.nsecsElapsed();
        const PictureResult b = cache.Load(path);
        const qint64 two = t.nsecsElapsed() - one;
        if (!a.Ok() || !(a.picture == b.picture) || cache.Hits() != 1) {
            std::printf("cache did not serve the second load\n");
            return 1;
        }
        first.push_back(one / 1e6);
        second.push_back(two / 1e6);
    }
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    std::printf(
        "1024x768 JPEG: first load (decode) median %.3f ms, second load (cache) median %.4f ms\n",
        first[first.size() / 2], second[second.size() / 2]);
    return 0;
}
