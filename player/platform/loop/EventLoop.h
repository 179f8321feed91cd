#pragma once
// Timers, the clock and "let pending events run" on the one user-interface thread.
//
// QtEventLoop runs on the Qt event loop. VirtualEventLoop is the deterministic test loop: time
// stands still until a test calls Advance() or the code under test waits; then exactly the
// timers that fall due fire, in order of their due time.
#include <QDateTime>
#include <functional>
#include <memory>

namespace storyloom {

class EventLoop {
  public:
    using TimerId = int;
    virtual ~EventLoop() = default;

    // A repeating timer: `tick` runs every intervalMs (> 0) until stopped. A tick whose handler
    // is still running (it let events run) is not fired again until it returns.
    virtual TimerId StartTimer(int intervalMs, std::function<void()> tick) = 0;
    virtual void StopTimer(TimerId id) = 0;
    // Runs `fn` once, as soon as the loop gets control back (or after delayMs).
    virtual void Post(std::function<void()> fn, int delayMs = 0) = 0;

    // Milliseconds on a monotonic clock.
    virtual qint64 NowMs() const = 0;
    // Local date and time (virtual in tests: a fixed start plus the virtual time).
    virtual QDateTime CurrentDateTime() const = 0;
    // Seconds since midnight with fractions (Basic's Timer).
    double SecondsSinceMidnight() const;

    // Lets pending events (input, timers that are due, posted calls) run, then returns.
    virtual void ProcessEvents() = 0;
    // Waits `ms` while letting events run (the virtual loop advances its clock instead).
    virtual void Wait(int ms) = 0;
};

// A Basic-style timer control: Interval in ms (0 = never fires), Enabled (true at creation).
// Setting Interval restarts the count; so does switching Enabled off and on again (setting it
// to the value it already has changes nothing). Destroying the timer stops it, also from
// inside its own tick.
class Timer {
  public:
    explicit Timer(EventLoop& loop);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetInterval(int ms);
    int Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // True when enabled with an interval > 0 (the timer will fire).
    bool Armed() const { return id_ != 0; }

    std::function<void()> onTick;

  private:
    void Restart();
    EventLoop& loop_;
    int interval_ = 0;
    bool enabled_ = true;
    EventLoop::TimerId id_ = 0;
    std::shared_ptr<bool> alive_;
};

class QtEventLoop : public EventLoop {
  public:
    QtEventLoop();
    ~QtEventLoop() override;
    TimerId StartTimer(int intervalMs, std::function<void()> tick) override;
    void StopTimer(TimerId id) override;
    void Post(std::function<void()> fn, int delayMs = 0) override;
    qint64 NowMs() const override;
    QDateTime CurrentDateTime() const override;
    void ProcessEvents() override;
    void Wait(int ms) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class VirtualEventLoop : public EventLoop {
  public:
    explicit VirtualEventLoop(QDateTime start = QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
    ~VirtualEventLoop() override;
    TimerId StartTimer(int intervalMs, std::function<void()> tick) override;
    void StopTimer(TimerId id) override;
    void Post(std::function<void()> fn, int delayMs = 0) override;
    qint64 NowMs() const override;
    QDateTime CurrentDateTime() const override;
    void ProcessEvents() override;  // runs posted calls that are due; time does not move
    void Wait(int ms) override;     // Advance(ms)

    // Moves virtual time forward by ms, firing every timer and posted call that falls due, in
    // order of due time (ties in the order they were started).
    void Advance(qint64 ms);
    // Intervals of the timers that are running now, for tests and state dumps.
    int ActiveTimerCount() const;

    // Called when code under test waits (Wait), before the clock moves: a driver that feeds
    // input (the walkthrough) may carry out its next commands there, as a player acts while
    // the program waits.
    std::function<void()> onWait;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace storyloom
