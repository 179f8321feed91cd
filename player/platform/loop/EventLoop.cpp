#include "platform/loop/EventLoop.h"

#include <algorithm>

namespace storyloom {

double EventLoop::SecondsSinceMidnight() const {
    return CurrentDateTime().time().msecsSinceStartOfDay() / 1000.0;
}

Timer::Timer(EventLoop& loop) : loop_(loop), alive_(std::make_shared<bool>(true)) {}

Timer::~Timer() {
    if (id_ != 0) loop_.StopTimer(id_);
}

void Timer::SetInterval(int ms) {
    interval_ = std::max(0, ms);
    Restart();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}

void Timer::Restart() {
    if (id_ != 0) {
        loop_.StopTimer(id_);
        id_ = 0;
    }
    if (!enabled_ || interval_ <= 0) return;
    std::weak_ptr<bool> alive = alive_;
    id_ = loop_.StartTimer(interval_, [this, alive] {
        if (alive.expired()) return;
        // A copy, because the handler may destroy this timer or replace onTick.
        const std::function<void()> tick = onTick;
        if (tick) tick();
    });
}

}  // namespace storyloom
