#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

#include "platform/loop/EventLoop.h"

namespace storyloom {

struct QtEventLoop::Impl {
    struct TimerEntry {
        QTimer* timer = nullptr;  // owned by `owner`
        std::function<void()> tick;
        bool running = false;
        bool stopped = false;
    };
    QObject owner;
    QElapsedTimer clock;
    TimerId nextId = 1;
    std::map<TimerId, std::shared_ptr<TimerEntry>> timers;
};

QtEventLoop::QtEventLoop() : impl_(std::make_unique<Impl>()) {
    impl_->clock.start();
}

QtEventLoop::~QtEventLoop() = default;

EventLoop::TimerId QtEventLoop::StartTimer(int intervalMs, std::function<void()> tick) {
    auto entry = std::make_shared<Impl::TimerEntry>();
    entry->tick = std::move(tick);
    entry->timer = new QTimer(&impl_->owner);
    entry->timer->setTimerType(Qt::PreciseTimer);
    entry->timer->setInterval(std::max(1, intervalMs));
    QObject::connect(entry->timer, &QTimer::timeout, &impl_->owner, [entry] {
        // Held locally: the handler may stop this timer, which schedules the QTimer (and
        // with it this slot's captures) for deletion.
        const std::shared_ptr<Impl::TimerEntry> e = entry;
        // Qt would deliver the next timeout while the handler lets events run; the player's
        // timers never run inside themselves.
        if (e->running || e->stopped) return;
        e->running = true;
        e->tick();
        e->running = false;
        if (e->stopped) e->timer->deleteLater();
    });
    entry->timer->start();
    const TimerId id = impl_->nextId++;
    impl_->timers.emplace(id, std::move(entry));
    return id;
}

void QtEventLoop::StopTimer(TimerId id) {
    const auto it = impl_->timers.find(id);
    if (it == impl_->timers.end()) return;
    const std::shared_ptr<Impl::TimerEntry> entry = it->second;
    impl_->timers.erase(it);
    entry->stopped = true;
    entry->timer->stop();
    // A running handler is still inside the QTimer's signal: delete it once the handler returns.
    if (!entry->running) delete entry->timer;
}

void QtEventLoop::Post(std::function<void()> fn, int delayMs) {
    QTimer::singleShot(std::max(0, delayMs), &impl_->owner, std::move(fn));
}

qint64 QtEventLoop::NowMs() const {
    return impl_->clock.elapsed();
}

QDateTime QtEventLoop::CurrentDateTime() const {
    return QDateTime::currentDateTime();
}

void QtEventLoop::ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::Wait(int ms) {
    ms = std::max(0, ms);
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::AllEvents);
}

}  // namespace storyloom
