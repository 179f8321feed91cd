#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestApp.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {
namespace {

using Log = std::vector<std::string>;

std::string At(const EventLoop& loop, const std::string& what) {
    return what + "@" + std::to_string(loop.NowMs());
}

TEST(VirtualEventLoop, FiresExactlyTheDueTimersInOrder) {
    VirtualEventLoop loop;
    Log log;
    loop.StartTimer(30, [&] { log.push_back(At(loop, "a")); });
    loop.StartTimer(20, [&] { log.push_back(At(loop, "b")); });
    loop.Post([&] { log.push_back(At(loop, "post")); }, 20);
    loop.Advance(59);
    EXPECT_EQ(log, (Log{"b@20", "post@20", "a@30", "b@40"}));
    EXPECT_EQ(loop.NowMs(), 59);
    log.clear();
    loop.Advance(1);  // 60: both due, the one started first goes first
    EXPECT_EQ(log, (Log{"a@60", "b@60"}));
    EXPECT_EQ(loop.ActiveTimerCount(), 2);
}

TEST(VirtualEventLoop, ClockAndDate) {
    VirtualEventLoop loop(QDateTime(QDate(2001, 1, 1), QTime(23, 59, 59)));
    EXPECT_DOUBLE_EQ(loop.SecondsSinceMidnight(), 86399.0);
    loop.Wait(1500);
    EXPECT_EQ(loop.NowMs(), 1500);
    EXPECT_EQ(loop.CurrentDateTime(), QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500)));
    EXPECT_DOUBLE_EQ(loop.SecondsSinceMidnight(), 0.5);
}

TEST(VirtualEventLoop, AHandlerThatWaitsIsNotReentered) {
    VirtualEventLoop loop;
    Log log;
    int depth = 0;
    loop.StartTimer(10, [&] {
        ++depth;
        log.push_back(At(loop, "slow begin depth " + std::to_string(depth)));
        loop.Wait(35);  // other timers run meanwhile, this one does not
        log.push_back(At(loop, "slow end"));
        --depth;
    });
    loop.StartTimer(15, [&] { log.push_back(At(loop, "fast")); });
    loop.Advance(50);
    EXPECT_EQ(log, (Log{"slow begin depth 1@10", "fast@15", "fast@30", "fast@45", "slow end@45",
                        // the ticks missed while waiting become one tick, at once
                        "slow begin depth 1@45", "fast@60", "fast@75", "slow end@80"}));
    EXPECT_EQ(loop.NowMs(), 80);
}

TEST(VirtualEventLoop, TimersStartedAndStoppedInsideHandlers) {
    VirtualEventLoop loop;
    Log log;
    EventLoop::TimerId self = 0;
    EventLoop::TimerId victim = 0;
    int selfTicks = 0;
    self = loop.StartTimer(10, [&] {
        log.push_back(At(loop, "self"));
        if (++selfTicks == 2) loop.StopTimer(self);  // stops itself while running
        if (selfTicks == 1) {
            loop.StopTimer(victim);  // due at the same time, must not fire
            loop.StartTimer(5, [&] { log.push_back(At(loop, "child")); });
        }
    });
    victim = loop.StartTimer(10, [&] { log.push_back(At(loop, "victim")); });
    loop.Advance(25);
    EXPECT_EQ(log, (Log{"self@10", "child@15", "self@20", "child@20", "child@25"}));
    EXPECT_EQ(loop.ActiveTimerCount(), 1);
}

TEST(VirtualEventLoop, ProcessEventsRunsWhatIsDueWithoutMovingTime) {
    VirtualEventLoop loop;
    Log log;
    loop.Post([&] {
        log.push_back(At(loop, "first"));
        loop.Post([&] { log.push_back(At(loop, "posted from inside")); });
    });
    loop.Post([&] { log.push_back(At(loop, "later")); }, 5);
    loop.ProcessEvents();
    EXPECT_EQ(log, (Log{"first@0"}));
    loop.ProcessEvents();
    EXPECT_EQ(log, (Log{"first@0", "posted from inside@0"}));
    EXPECT_EQ(loop.NowMs(), 0);
    loop.Advance(5);
    EXPECT_EQ(log.back(), "later@5");
}

TEST(Timer, BasicTimerControlSemantics) {
    VirtualEventLoop loop;
    Timer t(loop);
    int ticks = 0;
    t.onTick = [&] { ++ticks; };
    EXPECT_TRUE(t.Enabled());
    EXPECT_FALSE(t.Armed());  // interval 0 never fires
    loop.Advance(1000);
    EXPECT_EQ(ticks, 0);

    t.SetInterval(100);
    EXPECT_TRUE(t.Armed());
    loop.Advance(250);
    EXPECT_EQ(ticks, 2);
    t.SetInterval(100);  // setting the interval restarts the count: next tick at 350
    loop.Advance(99);
    EXPECT_EQ(ticks, 2);
    loop.Advance(1);
    EXPECT_EQ(ticks, 3);

    loop.Advance(50);
    t.SetEnabled(true);  // already enabled: the count goes on (next tick at 450)
    loop.Advance(50);
    EXPECT_EQ(ticks, 4);
    loop.Advance(50);
    t.SetEnabled(false);
    t.SetEnabled(true);  // off and on again: the count starts over (next at 600)
    loop.Advance(99);
    EXPECT_EQ(ticks, 4);
    loop.Advance(1);
    EXPECT_EQ(ticks, 5);

    t.SetEnabled(false);
    EXPECT_FALSE(t.Armed());
    loop.Advance(1000);
    EXPECT_EQ(ticks, 5);
}

TEST(Timer, DestroyingStopsIt_EvenFromItsOwnTick) {
    VirtualEventLoop loop;
    int ticks = 0;
    {
        Timer t(loop);
        t.SetInterval(10);
        t.onTick = [&] { ++ticks; };
    }
    EXPECT_EQ(loop.ActiveTimerCount(), 0);
    auto owned = std::make_unique<Timer>(loop);
    owned->SetInterval(10);
    owned->onTick = [&] {
        ++ticks;
        owned.reset();
    };
    loop.Advance(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(loop.ActiveTimerCount(), 0);
}

TEST(QtEventLoop, TimersTickWhileWaitingAndStopInsideTheirTick) {
    TestApp();
    QtEventLoop loop;
    int fast = 0;
    int nested = 0;
    int depth = 0;
    int maxDepth = 0;
    EventLoop::TimerId slow = 0;
    slow = loop.StartTimer(5, [&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        ++nested;
        loop.Wait(30);  // the 5 ms timer would fall due again meanwhile
        if (nested == 2) loop.StopTimer(slow);
        --depth;
    });
    loop.StartTimer(2, [&] { ++fast; });
    const qint64 start = loop.NowMs();
    loop.Wait(150);
    EXPECT_GE(loop.NowMs() - start, 150);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(nested, 2);
    EXPECT_GT(fast, 5);
    bool posted = false;
    loop.Post([&] { posted = true; });
    loop.ProcessEvents();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(loop.CurrentDateTime().isValid());
}

}  // namespace
}  // namespace storyloom
