// Sound players on GStreamer: how long Play() takes to get the pipeline playing, what seven
// players playing at once cost, and whether 1,000 sounds played in a row make the process
// grow. The audio sink is the sound device, or STORYLOOM_AUDIO_SINK, or (none) a silent
// real-time sink.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

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

long RssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<size_t>(p * (v.size() - 1))];
}

QString Sound(const QString& name, const QString& encoder, double seconds) {
    return MakeWithGst(
        name, QStringLiteral("audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=441 "
                             "num-buffers=%1 ! audio/x-raw,rate=44100 ! audioconvert ! %2 ! "
                             "filesink location=%o")
                  .arg(std::lround(seconds * 100))
                  .arg(encoder));
}

}  // namespace

int main() {
    EnsureApplication();
    VirtualEventLoop unused;
    GstMediaFactory factory(unused);
    std::printf("audio sink: %s\n", qPrintable(factory.Config().audioSink));

    const QString wav = WriteFile("bench-door.wav", PcmWav(16, 2, 22050, 22050));
    const QString shortWav = WriteFile("bench-click.wav", PcmWav(16, 1, 22050, 441));  // 20 ms
    const QString ima = WriteFile("bench-click-ima.wav", AdpcmWav(true, 1, 22050, 0.1));
    const QString ogg = Sound("bench-click.ogg", "vorbisenc ! oggmux", 0.1);
    const QString mp3 = Sound("bench-click.mp3", "lamemp3enc", 0.1);
    const QString music = WriteFile("bench-music.mid", Midi(4.0));
    if (wav.isEmpty() || ogg.isEmpty() || mp3.isEmpty()) return 1;

    // 1. Play() to the pipeline playing, on a loaded player.
    {
        std::vector<double> loadMs, startMs;
        auto player = factory.Create();
        auto& gst = dynamic_cast<GstMediaPlayer&>(*player);
        for (int i = 0; i < 60; ++i) {
            QElapsedTimer t;
            t.start();
            player->SetFileName(i % 2 ? wav : mp3);
            player->SetVolume(-800);
            player->SetPlayCount(1);
            loadMs.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            player->Play();
            RunUntil([&] { return gst.PipelineIsPlaying(); }, 5000);
            startMs.push_back(t.nsecsElapsed() / 1e6);
            player->Stop();
        }
        std::printf("load (FileName, Volume, PlayCount): median %.2f ms, 90%% %.2f ms\n",
                    Percentile(loadMs, 0.5), Percentile(loadMs, 0.9));
        std::printf(
            "start (Play to playing):            median %.2f ms, 90%% %.2f ms (target < 30 ms)\n",
            Percentile(startMs, 0.5), Percentile(startMs, 0.9));
    }

    // 2. Seven players at once: music and six looping sounds, for 5 s.
    {
        std::vector<std::unique_ptr<MediaPlayer>> players;
        const QString files[] = {music, wav, ogg, mp3, ima, shortWav, wav};
        QElapsedTimer t;
        t.start();
        for (const QString& f : files) {
            players.push_back(factory.Create());
            players.back()->SetFileName(f);
            players.back()->SetPlayCount(0);
            players.back()->Play();
        }
        const double startAll = t.nsecsElapsed() / 1e6;
        const double cpu0 = CpuSeconds();
        t.restart();
        RunFor(5000);
        const double share = (CpuSeconds() - cpu0) / (t.nsecsElapsed() / 1e9);
        int playing = 0;
        for (auto& p : players) playing += p->PlayState() == MediaPlayer::Playing;
        std::printf(
            "seven players: started in %.1f ms, %d of 7 playing after 5 s, CPU %.1f%% of one "
            "core\n",
            startAll, playing, share * 100);
    }

    // 3. 1,000 short sounds in a row on one player: 250 each of WAV, IMA ADPCM, Ogg and MP3.
    {
        auto player = factory.Create();
        int ended = 0;
        player->onEnded = [&] { ++ended; };
        const QString files[] = {shortWav, ima, ogg, mp3};
        const long rssStart = RssKb();
        QElapsedTimer t;
        t.start();
        for (int kind = 0; kind < 4; ++kind) {
            const long before = RssKb();
            for (int i = 0; i < 250; ++i) {
                player->SetFileName(files[kind]);
                const int was = ended;
                player->Play();
                if (!RunUntil([&] { return ended > was; }, 5000))
                    std::printf("  sound %d (%s) did not end: state %d, position %.3f of %.3f\n", i,
                                qPrintable(files[kind].section(QLatin1Char('/'), -1)),
                                player->PlayState(), player->CurrentPosition(), player->Duration());
            }
            std::printf("  250 x %-20s RSS %+ld KB\n",
                        qPrintable(files[kind].section(QLatin1Char('/'), -1)), RssKb() - before);
            std::fflush(stdout);
        }
        player.reset();
        std::printf(
            "1000 sounds in a row: %d ended, %.1f s, RSS before %ld KB, after %ld KB (%+ld KB)\n",
            ended, t.elapsed() / 1000.0, rssStart, RssKb(), RssKb() - rssStart);
    }
    return 0;
}
