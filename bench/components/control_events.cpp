// An event from a control to the player and back, through the control interface: a method
// call that raises an event with five named parameters (text, integer, double, boolean,
// 16-bit integer), a plain method call, a Menulet click (press and release raising
// ButtonClick), and for comparison the bare interface without the player's checks and
// conversions (a host function that only counts).
#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/components/ControlLoader.h"

using namespace storyloom;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCalls = 200000;

class CountingSink : public ControlSink {
  public:
    void OnEvent(const std::string&, const std::vector<EventParameter>& parameters) override {
        ++events;
        values += parameters.size();
    }
    long events = 0;
    size_t values = 0;
};

void Measure(const char* what, const std::function<void()>& call, const long& events) {
    for (int i = 0; i < 1000; ++i) call();  // warm up
    const long before = events;
    const auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i) call();
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    std::printf("%-52s %8.0f ns per call  (%ld events)\n", what, ns / kCalls, events - before);
}

long g_rawEvents = 0;
sl_status CountEvent(const sl_host*, const char*, const sl_event_param*, uint32_t) {
    ++g_rawEvents;
    return SL_OK;
}
void Ignore(const sl_host*) {}
void IgnoreSize(const sl_host*, int32_t, int32_t) {}
void IgnoreTimer(const sl_host*, uint32_t) {}

}  // namespace

int main() {
    ControlLoader loader(SystemLibraries());
    const ControlLoad probeLoad = loader.Load(PROBE_LIBRARY);
    const ControlLoad menuletLoad = loader.Load(MENULET_LIBRARY);
    if (!probeLoad.library || !menuletLoad.library) {
        std::printf("cannot load: %s %s\n", probeLoad.message.c_str(), menuletLoad.message.c_str());
        return 1;
    }
    CountingSink sink;
    ControlError error;
    auto probe = probeLoad.library->Create("Probe", sink, error);
    auto strip = menuletLoad.library->Create("MenuletControlRELEASE1", sink, error);
    if (!probe || !strip) return 1;
    probe->SetProperty("Caption", std::string("A caption of some length"));

    std::printf("%d calls each\n", kCalls);
    const ControlValue addArgs[] = {int32_t(2), int32_t(40)};
    Measure(
        "method, no event (Add 2, 40)", [&] { probe->CallMethod("Add", addArgs); }, sink.events);
    Measure(
        "method raising an event with 5 parameters (Fire)", [&] { probe->CallMethod("Fire", {}); },
        sink.events);
    Measure(
        "Menulet click: press + release -> ButtonClick",
        [&] {
            strip->Mouse(SL_MOUSE_DOWN, 60, 30, SL_BUTTON_LEFT, 0);
            strip->Mouse(SL_MOUSE_UP, 60, 30, SL_BUTTON_LEFT, 0);
        },
        sink.events);

    // The bare interface: the probe's class functions with a host block that only counts.
    const sl_control_class* cls = probeLoad.library->Find("Probe")->functions;
    sl_host host{};
    host.struct_size = sizeof host;
    host.abi_version = SL_CONTROL_ABI_VERSION;
    host.raise_event = CountEvent;
    host.invalidate = Ignore;
    host.size_changed = IgnoreSize;
    host.set_timer = IgnoreTimer;
    sl_error failure{};
    sl_instance* raw = cls->create(&host, &failure);
    Measure(
        "bare interface: Fire, host function only counts",
        [&] {
            sl_variant result{};
            sl_error e{};
            cls->call_method(raw, "Fire", nullptr, 0, &result, &e);
        },
        g_rawEvents);
    cls->destroy(raw);
    return sink.values == 0 ? 1 : 0;
}
