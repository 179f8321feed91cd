#include "platform/forms/controls/TimerControl.h"

#include "platform/forms/CommonProperties.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {

TimerControl::TimerControl(EventLoop& loop, QString name)
    : Control(ControlKind::Timer, std::move(name)),
      loop_(loop),
      timer_(std::make_unique<Timer>(loop)) {
    Wire();
}

TimerControl::TimerControl(const TimerControl& other)
    : Control(other),
      onTimer(other.onTimer),
      loop_(other.loop_),
      timer_(std::make_unique<Timer>(other.loop_)) {
    Wire();
    timer_->SetEnabled(false);
    timer_->SetInterval(other.timer_->Interval());
    timer_->SetEnabled(other.timer_->Enabled());
}

TimerControl::~TimerControl() = default;

void TimerControl::Wire() {
    timer_->onTick = [this] {
        if (!onTimer) return;
        Window* w = OwnerWindow();
        if (!w) return;
        Window::DispatchGuard guard(*w);
        auto handler = onTimer;
        handler(*this);
    };
}

std::unique_ptr<Control> TimerControl::CloneForArray() const {
    return std::unique_ptr<TimerControl>(new TimerControl(*this));
}

int TimerControl::Interval() const {
    return timer_->Interval();
}
void TimerControl::SetInterval(int ms) {
    CheckValueRange(ms, 0, 65535);
    timer_->SetInterval(ms);
}
bool TimerControl::TimerEnabled() const {
    return timer_->Enabled();
}
void TimerControl::SetTimerEnabled(bool on) {
    timer_->SetEnabled(on);
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Timer"));
    AddCommonProperties(t, false);
    t.Add(Member<TimerControl>("Enabled", PropertyType::Boolean, &TimerControl::TimerEnabled,
                               &TimerControl::SetTimerEnabled));
    t.Add(Member<TimerControl>("Interval", PropertyType::Long, &TimerControl::Interval,
                               &TimerControl::SetInterval));
    t.SetDefault("Enabled");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Timer, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
