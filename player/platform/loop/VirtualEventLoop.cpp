#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/loop/EventLoop.h"

namespace storyloom {

struct VirtualEventLoop::Impl {
    struct TimerEntry {
        qint64 interval = 1;
        qint64 due = 0;
        std::uint64_t seq = 0;  // start order, breaks ties between equal due times
        std::function<void()> tick;
        bool running = false;
    };
    struct PostedCall {
        qint64 due = 0;
        std::uint64_t seq = 0;
        std::function<void()> fn;
    };

    QDateTime start;
    qint64 now = 0;
    TimerId nextId = 1;
    std::uint64_t nextSeq = 0;
    std::map<TimerId, std::shared_ptr<TimerEntry>> timers;
    std::vector<PostedCall> posted;

    // Runs the earliest event due at or before `limit` (posted calls only when their sequence
    // number is below `postSeqLimit`). False when nothing is due.
    bool RunNext(qint64 limit, std::uint64_t postSeqLimit) {
        TimerId timerId = 0;
        qint64 bestDue = 0;
        std::uint64_t bestSeq = 0;
        bool found = false;
        for (const auto& [id, t] : timers) {
            if (t->running || t->due > limit) continue;
            if (!found || t->due < bestDue || (t->due == bestDue && t->seq < bestSeq)) {
                found = true;
                timerId = id;
                bestDue = t->due;
                bestSeq = t->seq;
            }
        }
        qsizetype postIndex = -1;
        for (qsizetype i = 0; i < static_cast<qsizetype>(posted.size()); ++i) {
            const PostedCall& p = posted[i];
            if (p.due > limit || p.seq >= postSeqLimit) continue;
            if (!found || p.due < bestDue || (p.due == bestDue && p.seq < bestSeq)) {
                found = true;
                postIndex = i;
                bestDue = p.due;
                bestSeq = p.seq;
            }
        }
        if (!found) return false;
        now = std::max(now, bestDue);
        if (postIndex >= 0) {
            std::function<void()> fn = std::move(posted[postIndex].fn);
            posted.erase(posted.begin() + postIndex);
            if (fn) fn();
            return true;
        }
        // Held here so that a handler that stops its own timer does not destroy itself.
        const std::shared_ptr<TimerEntry> t = timers.at(timerId);
        t->due = now + t->interval;
        t->running = true;
        t->tick();
        t->running = false;
        // A handler that let time pass beyond its next tick gets one tick at once, not one
        // for every interval it missed (timer messages are coalesced).
        if (t->due < now) t->due = now;
        return true;
    }
};

VirtualEventLoop::VirtualEventLoop(QDateTime start) : impl_(std::make_unique<Impl>()) {
    impl_->start = std::move(start);
}

VirtualEventLoop::~VirtualEventLoop() = default;

EventLoop::TimerId VirtualEventLoop::StartTimer(int intervalMs, std::function<void()> tick) {
    auto t = std::make_shared<Impl::TimerEntry>();
    t->interval = std::max(1, intervalMs);
    t->due = impl_->now + t->interval;
    t->seq = impl_->nextSeq++;
    t->tick = std::move(tick);
    const TimerId id = impl_->nextId++;
    impl_->timers.emplace(id, std::move(t));
    return id;
}

void VirtualEventLoop::StopTimer(TimerId id) {
    impl_->timers.erase(id);
}

void VirtualEventLoop::Post(std::function<void()> fn, int delayMs) {
    impl_->posted.push_back({impl_->now + std::max(0, delayMs), impl_->nextSeq++, std::move(fn)});
}

qint64 VirtualEventLoop::NowMs() const {
    return impl_->now;
}

QDateTime VirtualEventLoop::CurrentDateTime() const {
    return impl_->start.addMSecs(impl_->now);
}

void VirtualEventLoop::ProcessEvents() {
    // Only what was waiting when the call began, so a call that posts itself again cannot
    // keep this from returning.
    const std::uint64_t seqLimit = impl_->nextSeq;
    while (impl_->RunNext(impl_->now, seqLimit)) {
    }
}

void VirtualEventLoop::Wait(int ms) {
    if (onWait) {
        // A copy: the hook may replace itself.
        const std::function<void()> hook = onWait;
        hook();
    }
    Advance(ms);
}

void VirtualEventLoop::Advance(qint64 ms) {
    const qint64 target = impl_->now + std::max<qint64>(0, ms);
    while (impl_->RunNext(target, UINT64_MAX)) {
    }
    impl_->now = std::max(impl_->now, target);
}

int VirtualEventLoop::ActiveTimerCount() const {
    return static_cast<int>(impl_->timers.size());
}

}  // namespace storyloom
