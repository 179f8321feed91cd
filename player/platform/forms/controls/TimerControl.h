#pragma once
// The timer control: no face, only Timer events at its interval.
#include <functional>
#include <memory>

#include "platform/forms/Control.h"

namespace storyloom::forms {

// Basic's timer control on the event loop: Interval in ms (0 never fires) and Enabled.
class TimerControl : public Control {
  public:
    TimerControl(EventLoop& loop, QString name = QStringLiteral("Timer1"));
    ~TimerControl() override;
    // A timer has no face and takes no mouse input.
    void Paint(QPainter&) const override {}
    bool ReceivesMouse() const override { return false; }
    int Interval() const;
    void SetInterval(int ms);  // negative: error 380
    bool TimerEnabled() const;
    void SetTimerEnabled(bool on);
    std::function<void(TimerControl&)> onTimer;

  protected:
    TimerControl(const TimerControl& other);
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Wire();
    EventLoop& loop_;
    std::unique_ptr<Timer> timer_;
};

}  // namespace storyloom::forms
