// A 640x480, 30 frames per second video played in real time to QImages, as the window would
// repaint them: the CPU share of one core and the frames dropped for being late. MJPEG, MPEG-1
// and WMV, ten seconds each.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <cstdio>

#include "MediaFiles.h"
#include "MediaTestSupport.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/GstMediaPlayer.h"

using namespace storyloom;
using namespace storyloom::testmedia;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Measure(GstMediaFactory& factory, const char* what, const QString& path) {
    if (path.isEmpty()) {
        std::printf("%s: could not make the file\n", what);
        return;
    }
    auto player = factory.Create();
    int frames = 0;
    qint64 checksum = 0;
    player->onFrame = [&] {
        const QImage image = player->CurrentFrame();  // what a repaint would take
        ++frames;
        checksum += image.isNull() ? 0 : image.constScanLine(image.height() / 2)[0];
    };
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    if (!player->SetFileName(path)) {
        std::printf("%s: cannot open\n", what);
        return;
    }
    const double cpu0 = CpuSeconds();
    QElapsedTimer t;
    t.start();
    player->Play();
    RunUntil([&] { return ended > 0; }, 60000);
    const double wall = t.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    const auto [received, dropped] = dynamic_cast<GstMediaPlayer&>(*player).FrameStats();
    std::printf(
        "%-8s %dx%d, %.1f s: CPU %.1f%% of one core (target < 20%%), %llu frames reached the "
        "sink, %llu dropped late, %d repaints (checksum %lld)\n",
        what, player->NaturalSize().width(), player->NaturalSize().height(), wall, 100 * cpu / wall,
        static_cast<unsigned long long>(received), static_cast<unsigned long long>(dropped), frames,
        static_cast<long long>(checksum));
}

}  // namespace

int main() {
    EnsureApplication();
    VirtualEventLoop unused;
    GstMediaFactory factory(unused);
    const QString source = QStringLiteral(
        "videotestsrc pattern=ball num-buffers=300 ! "
        "video/x-raw,width=640,height=480,framerate=30/1 ! "
        "videoconvert ! ");
    Measure(factory, "MJPEG",
            MakeWithGst("bench640-mjpeg.avi",
                        source + "jpegenc quality=80 ! avimux ! filesink location=%o"));
    Measure(factory, "MPEG-1",
            MakeWithGst("bench640.m1v",
                        source + "mpeg2enc format=0 bitrate=2000 ! filesink location=%o"));
    Measure(factory, "WMV 8",
            MakeWithGst("bench640.wmv",
                        source + "avenc_wmv2 bitrate=2000000 ! asfmux ! filesink location=%o"));
    return 0;
}
