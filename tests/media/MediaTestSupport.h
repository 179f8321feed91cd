#pragma once
// Helpers for the tests that play through GStreamer on the Qt main thread.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

#include "platform/media/MediaPlayer.h"

namespace storyloom::testmedia {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "media_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Lets the Qt event loop run until `done` holds or `ms` have passed; true when it holds.
inline bool RunUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

inline void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

// Plays from where the player is to the end; the seconds it took, or -1 when it did not end
// within `timeoutMs`. `ended` counts the end events, also those that come late.
inline double PlayToEnd(MediaPlayer& player, int* ended, int timeoutMs = 15000) {
    *ended = 0;
    player.onEnded = [ended] { ++*ended; };
    QElapsedTimer t;
    t.start();
    player.Play();
    if (!RunUntil([ended] { return *ended > 0; }, timeoutMs)) return -1;
    const double seconds = t.elapsed() / 1000.0;
    RunFor(150);  // a second end event would come now
    return seconds;
}

}  // namespace storyloom::testmedia
