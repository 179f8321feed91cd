// The whole control interface through a real library (libs/ProbeControls.c), loaded the way
// the player loads it: creation, size, paint, mouse, properties, methods, events, timer,
// closing, and every way the library can hand the player something it must refuse.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "platform/components/ControlLoader.h"

namespace storyloom {
namespace {

using testing::RecordedEvent;
using testing::RecordingSink;
using testing::TestLibrary;

class ControlInterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ControlLoader loader(SystemLibraries());
        ControlLoad load = loader.Load(TestLibrary("probe_controls"));
        ASSERT_EQ(load.status, ControlLoad::Status::Loaded) << load.message;
        library = load.library;
        probe = Create("Probe", sink);
        ASSERT_TRUE(probe);
    }
    std::shared_ptr<ControlInstance> Create(const char* name, RecordingSink& s) {
        ControlError error;
        auto instance = library->Create(name, s, error);
        EXPECT_TRUE(instance) << error.description;
        return instance;
    }
    ControlResult Call(const char* method, std::vector<ControlValue> args = {}) {
        return probe->CallMethod(method, args);
    }
    int32_t Int(const ControlResult& r) {
        EXPECT_TRUE(r.ok) << r.error.description;
        return r.ok ? std::get<int32_t>(r.value) : -1;
    }

    std::shared_ptr<ControlLibrary> library;
    RecordingSink sink;
    std::shared_ptr<ControlInstance> probe;
};

TEST_F(ControlInterfaceTest, LibraryDescribesItsControls) {
    EXPECT_EQ(library->Name(), "ProbeLib");
    EXPECT_EQ(library->Version(), "2.5");
    EXPECT_EQ(library->ProgIds(),
              (std::vector<std::string>{"ProbeLib.Probe", "ProbeLib.Plain", "ProbeLib.Refused"}));
    EXPECT_TRUE(library->Find("pRoBe"));
    EXPECT_FALSE(library->Find("Probe2"));
    EXPECT_EQ(probe->ProgId(), "ProbeLib.Probe");
}

TEST_F(ControlInterfaceTest, CreationFailuresCarryTheLibrarysErrorOrAClearOne) {
    RecordingSink other;
    ControlError error;
    EXPECT_FALSE(library->Create("Refused", other, error));
    EXPECT_EQ(error.number, 1001);
    EXPECT_EQ(error.description, "Refused: no licence");
    error = {};
    EXPECT_FALSE(library->Create("Nothing", other, error));
    EXPECT_EQ(error.number, kErrCannotCreate);
    EXPECT_EQ(error.description, "The control library ProbeLib has no control Nothing");
}

TEST_F(ControlInterfaceTest, SizeIsAskedAndMayBeAdjustedByTheControl) {
    EXPECT_EQ(probe->Size(), (ControlSize{40, 30}));
    EXPECT_EQ(probe->SetSize({800, 20}), (ControlSize{500, 20}));  // it keeps at most 500
    EXPECT_EQ(probe->Size(), (ControlSize{500, 20}));

    // The control telling its own new size, and a size it must not report.
    EXPECT_TRUE(Call("Resize", {int32_t(50), int32_t(60)}).ok);
    EXPECT_TRUE(Call("Resize", {int32_t(-1), int32_t(5)}).ok);
    EXPECT_TRUE(Call("Resize", {int32_t(kMaxControlSide + 1), int32_t(5)}).ok);
    EXPECT_EQ(sink.resizes, (std::vector<ControlSize>{{50, 60}}));
    EXPECT_EQ(sink.faults.size(), 2u);

    // A plain control without set_size keeps its size.
    RecordingSink plainSink;
    auto plain = Create("Plain", plainSink);
    EXPECT_EQ(plain->SetSize({99, 99}), (ControlSize{10, 10}));
}

TEST_F(ControlInterfaceTest, PaintFillsTheBufferTheHostGives) {
    // Rows wider than the control: the stride is honoured and the rest of a row left alone.
    const int width = 40, height = 30, stride = 48 * 4;
    std::vector<uint32_t> pixels(size_t(48 * height), 0xDEADBEEF);
    probe->Paint(pixels.data(), width, height, stride);
    EXPECT_EQ(pixels[0], 0xFF000000u);                     // frame
    EXPECT_EQ(pixels[size_t(29 * 48 + 39)], 0xFF000000u);  // frame, last pixel
    EXPECT_EQ(pixels[size_t(15 * 48 + 20)], 0xFF3366CCu);  // inside
    EXPECT_EQ(pixels[size_t(15 * 48 + 45)], 0xDEADBEEFu);  // beyond the control
    ASSERT_TRUE(probe->SetProperty("Colour", int32_t(0x80402010)).ok);
    probe->Paint(pixels.data(), width, height, stride);
    EXPECT_EQ(pixels[size_t(15 * 48 + 20)], 0x80402010u);

    // A control without paint leaves a cleared buffer; a bad buffer is not passed on.
    RecordingSink plainSink;
    auto plain = Create("Plain", plainSink);
    std::vector<uint32_t> small(100, 0xDEADBEEF);
    plain->Paint(small.data(), 10, 10, 40);
    EXPECT_EQ(std::count(small.begin(), small.end(), 0u), 100);
    probe->Paint(pixels.data(), 40, 30, 40);  // stride too small: nothing happens
    probe->Paint(nullptr, 40, 30, 160);
    EXPECT_EQ(pixels[size_t(15 * 48 + 20)], 0x80402010u);
}

TEST_F(ControlInterfaceTest, MouseMessagesReachTheControlAndComeBackAsEvents) {
    probe->Mouse(SL_MOUSE_DOWN, 5, 6, SL_BUTTON_LEFT, SL_CTRL_KEY);
    probe->Mouse(SL_MOUSE_MOVE, 7, 8, SL_BUTTON_LEFT, 0);  // the probe ignores moves
    probe->Mouse(SL_MOUSE_UP, -3, 70, SL_BUTTON_LEFT, 0);  // released outside: still its
    ASSERT_EQ(sink.events.size(), 2u);
    const RecordedEvent& down = sink.events[0];
    EXPECT_EQ(down.name, "MouseDown");
    ASSERT_EQ(down.parameters.size(), 4u);
    EXPECT_EQ(down.parameters[0].name, "Button");
    EXPECT_EQ(down.parameters[0].value, ControlValue(int16_t(SL_BUTTON_LEFT)));
    EXPECT_EQ(down.parameters[1].value, ControlValue(int16_t(SL_CTRL_KEY)));
    EXPECT_EQ(down.parameters[2].value, ControlValue(int32_t(5)));
    EXPECT_EQ(down.parameters[3].value, ControlValue(int32_t(6)));
    EXPECT_EQ(sink.events[1].name, "MouseUp");
    EXPECT_EQ(sink.events[1].parameters[2].value, ControlValue(int32_t(-3)));
    EXPECT_EQ(sink.events[1].parameters[3].value, ControlValue(int32_t(70)));
}

TEST_F(ControlInterfaceTest, PropertiesOfEveryValueKindRoundTrip) {
    const std::string text(
        "Gr\xC3\xBC\xC3\x9F"
        "e\0mit Null",
        16);
    const std::vector<std::pair<const char*, ControlValue>> values = {
        {"Count", int32_t(-123456)}, {"Small", int16_t(-32768)}, {"Ratio", 2.75},
        {"Caption", text},           {"Enabled", true},
    };
    for (const auto& [name, value] : values) {
        ASSERT_TRUE(probe->SetProperty(name, value).ok) << name;
        const ControlResult r = probe->GetProperty(name);
        ASSERT_TRUE(r.ok) << name << ": " << r.error.description;
        EXPECT_EQ(r.value, value) << name;
    }
    // Names without regard to case; an empty string; the wrong kind; no such property.
    EXPECT_EQ(probe->GetProperty("COUNT").value, ControlValue(int32_t(-123456)));
    ASSERT_TRUE(probe->SetProperty("caption", std::string()).ok);
    EXPECT_EQ(probe->GetProperty("Caption").value, ControlValue(std::string()));
    const ControlResult mismatch = probe->SetProperty("Ratio", std::string("x"));
    EXPECT_FALSE(mismatch.ok);
    EXPECT_EQ(mismatch.error.number, 13);
    EXPECT_EQ(mismatch.error.description, "Type mismatch");
    EXPECT_EQ(probe->GetProperty("Nothing").error.number, 438);
}

TEST_F(ControlInterfaceTest, MethodsTakeArgumentsAndGiveResultsOrErrors) {
    EXPECT_EQ(Int(Call("Add", {int32_t(2), int16_t(40)})), 42);
    const ControlResult overflow = Call("add", {int32_t(INT32_MAX), int32_t(1)});
    EXPECT_FALSE(overflow.ok);
    EXPECT_EQ(overflow.error.number, 6);
    EXPECT_EQ(overflow.error.description, "Overflow");
    EXPECT_EQ(Call("Add", {int32_t(1)}).error.number, 450);

    for (const ControlValue& v : std::vector<ControlValue>{
             {}, int16_t(7), int32_t(70000), -0.125, std::string("echo \xE2\x82\xAC"), false}) {
        const ControlResult r = Call("Echo", {v});
        ASSERT_TRUE(r.ok) << r.error.description;
        EXPECT_EQ(r.value, v);
    }

    const ControlResult failure = Call("Fail");
    EXPECT_FALSE(failure.ok);
    EXPECT_EQ(failure.error.number, 1234);
    EXPECT_EQ(failure.error.description, "Probe failure");
    // A failure without number or text is a plain invalid call.
    const ControlResult bare = Call("FailBare");
    EXPECT_EQ(bare.error.number, 5);
    EXPECT_EQ(bare.error.description, "Invalid procedure call or argument");
    EXPECT_EQ(Call("NoSuchMethod").error.description,
              "Object doesn't support this property or method");

    // A control without those functions: the player answers 438 itself.
    RecordingSink plainSink;
    auto plain = Create("Plain", plainSink);
    EXPECT_EQ(plain->CallMethod("Add", {}).error.number, 438);
    EXPECT_EQ(plain->GetProperty("Count").error.number, 438);
    EXPECT_EQ(plain->SetProperty("Count", int32_t(1)).error.number, 438);
}

TEST_F(ControlInterfaceTest, EventsCarryNamedParametersOfEveryKind) {
    ASSERT_TRUE(probe->SetProperty("Caption", std::string("Hello")).ok);
    ASSERT_TRUE(probe->SetProperty("Count", int32_t(12)).ok);
    ASSERT_TRUE(probe->SetProperty("Ratio", 0.25).ok);
    ASSERT_TRUE(probe->SetProperty("Enabled", true).ok);
    ASSERT_TRUE(probe->SetProperty("Small", int16_t(-5)).ok);
    EXPECT_EQ(Int(Call("Fire")), SL_OK);
    ASSERT_EQ(sink.events.size(), 1u);
    const RecordedEvent& e = sink.events[0];
    EXPECT_EQ(e.name, "Fired");
    ASSERT_EQ(e.parameters.size(), 5u);
    EXPECT_EQ(e.parameters[0].name, "Text");
    EXPECT_EQ(e.parameters[0].value, ControlValue(std::string("Hello")));
    EXPECT_EQ(e.parameters[1].name, "Number");
    EXPECT_EQ(e.parameters[1].value, ControlValue(int32_t(12)));
    EXPECT_EQ(e.parameters[2].value, ControlValue(0.25));
    EXPECT_EQ(e.parameters[3].name, "Flag");
    EXPECT_EQ(e.parameters[3].value, ControlValue(true));
    EXPECT_EQ(e.parameters[4].name, "");  // a parameter without a name
    EXPECT_EQ(e.parameters[4].value, ControlValue(int16_t(-5)));
    EXPECT_TRUE(sink.faults.empty());
}

TEST_F(ControlInterfaceTest, RepaintAndTimerRequestsReachTheSink) {
    EXPECT_TRUE(Call("Repaint").ok);
    EXPECT_EQ(sink.repaints, 1);
    EXPECT_TRUE(Call("StartTimer", {int32_t(250)}).ok);
    EXPECT_EQ(sink.timerRequests, (std::vector<std::uint32_t>{250}));
    probe->Tick();
    probe->Tick();
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[1].name, "Tick");
    EXPECT_EQ(sink.events[1].parameters[0].value, ControlValue(int32_t(2)));
}

TEST_F(ControlInterfaceTest, MalformedEventsAreRefusedAndReported) {
    // What the probe's "Bad" method raises, by number, and what the player reports.
    const std::vector<std::string> faults = {
        "raised an event without a plain name",                          // null name
        "raised an event without a plain name",                          // empty name
        "raised Odd with 3 parameters that are not there",               // null parameters
        "raised Odd with 1000000 parameters",                            // far too many
        "raised Odd with a parameter name that is missing or too long",  // null name
        "raised Odd with a parameter with a value of unknown type 99",
        "raised Odd with a parameter with a 16-bit integer out of range (70000)",
        "raised Odd with a parameter with a string without its bytes",
        "raised Odd with a parameter with a string of 16777217 bytes",
        "raised an event without a plain name",  // "Bad Name"
    };
    for (int mode = 1; mode <= 11; ++mode) {
        sink.faults.clear();
        const ControlResult r = Call("Bad", {int32_t(mode)});
        ASSERT_TRUE(r.ok) << mode;
        EXPECT_EQ(r.value, ControlValue(int32_t(SL_REFUSED_ARGUMENTS))) << mode;
        if (mode <= int(faults.size())) {
            EXPECT_EQ(sink.faults,
                      std::vector<std::string>{"ProbeLib.Probe: " + faults[size_t(mode - 1)]});
        } else {
            EXPECT_TRUE(sink.faults.empty());  // a forged host block: nobody to tell
        }
    }
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(ControlInterfaceTest, MalformedResultsBecomeAnErrorNotAValue) {
    for (int mode = 1; mode <= 4; ++mode) {
        sink.faults.clear();
        const ControlResult r = Call("ReturnBad", {int32_t(mode)});
        EXPECT_FALSE(r.ok) << mode;
        EXPECT_EQ(r.error.number, kErrUnsupportedValue) << mode;
        EXPECT_EQ(r.error.description,
                  "Variable uses an Automation type not supported in VBScript");
        EXPECT_EQ(sink.faults.size(), 1u) << mode;
    }
}

TEST_F(ControlInterfaceTest, EventsOutsideACallOrFromAnotherThreadAreRefused) {
    void* handle = dlopen(TestLibrary("probe_controls").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_TRUE(handle);
    const auto raiseLate = reinterpret_cast<sl_status (*)()>(dlsym(handle, "probe_raise_late"));
    ASSERT_TRUE(raiseLate);
    EXPECT_EQ(raiseLate(), SL_REFUSED_NOT_NOW);
    EXPECT_EQ(sink.faults.size(), 1u);
    sl_status fromThread = SL_OK;
    std::thread([&] { fromThread = raiseLate(); }).join();
    EXPECT_EQ(fromThread, SL_REFUSED_NOT_NOW);
    EXPECT_TRUE(sink.events.empty());
    dlclose(handle);
}

TEST_F(ControlInterfaceTest, ScriptsMayCallBackAndRemoveTheControlFromItsOwnEvent) {
    auto live = [&] { return std::get<int32_t>(probe->GetProperty("Live").value); };
    const int32_t before = live();

    // A call back into the same instance from inside its event.
    sink.onEvent = [&](const RecordedEvent&) {
        EXPECT_TRUE(probe->SetProperty("Count", int32_t(5)).ok);
    };
    EXPECT_EQ(Int(Call("FireAndSurvive")), 5);

    // Removal from inside the event: destroyed only once the method has returned.
    RecordingSink otherSink;
    std::shared_ptr<ControlInstance> other = Create("Probe", otherSink);
    ASSERT_EQ(live(), before + 1);
    otherSink.onEvent = [&](const RecordedEvent&) {
        other->Close();
        other.reset();  // the game drops its reference as well
    };
    std::weak_ptr<ControlInstance> watch = other;
    ControlInstance* raw = other.get();
    EXPECT_TRUE(raw->CallMethod("FireAndSurvive", {}).ok);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(live(), before);
    EXPECT_EQ(std::get<int32_t>(probe->GetProperty("DestroyedInCall").value), 0);
}

TEST_F(ControlInterfaceTest, AClosedControlAnswersNothingAndIsDestroyedOnce) {
    auto live = [&] { return std::get<int32_t>(probe->GetProperty("Live").value); };
    RecordingSink otherSink;
    auto other = Create("Probe", otherSink);
    const int32_t before = live();
    other->Close();
    EXPECT_TRUE(other->Closed());
    EXPECT_EQ(live(), before - 1);
    EXPECT_EQ(other->GetProperty("Count").error.number, kErrObjectGone);
    EXPECT_EQ(other->CallMethod("Fire", {}).error.description,
              "Object variable or With block variable not set");
    EXPECT_EQ(other->Size(), (ControlSize{0, 0}));
    other->Mouse(SL_MOUSE_DOWN, 1, 1, SL_BUTTON_LEFT, 0);
    other->Close();
    other.reset();
    EXPECT_EQ(live(), before - 1);
    EXPECT_TRUE(otherSink.events.empty());

    // Dropping the last reference without Close destroys it too.
    auto third = Create("Probe", otherSink);
    EXPECT_EQ(live(), before);
    third.reset();
    EXPECT_EQ(live(), before - 1);
}

TEST(ExampleControlTest, TheHeadersExampleLibraryWorks) {
    ControlLoader loader(SystemLibraries());
    const ControlLoad load = loader.Load(TestLibrary("example_control"));
    ASSERT_EQ(load.status, ControlLoad::Status::Loaded) << load.message;
    EXPECT_EQ(load.library->ProgIds(), std::vector<std::string>{"Shapes.Square"});
    RecordingSink sink;
    ControlError error;
    auto square = load.library->Create("square", sink, error);
    ASSERT_TRUE(square);
    EXPECT_EQ(square->Size(), (ControlSize{32, 32}));
    std::vector<uint32_t> pixels(32 * 32);
    square->Paint(pixels.data(), 32, 32, 32 * 4);
    EXPECT_EQ(pixels[500], 0xFF208040u);
    square->Mouse(SL_MOUSE_UP, 3, 4, SL_BUTTON_LEFT, 0);
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].name, "Clicked");
    EXPECT_EQ(sink.events[0].parameters[1].value, ControlValue(int32_t(4)));
}

TEST(SanitizedUtf8Test, KeepsValidTextAndReplacesTheRest) {
    EXPECT_EQ(SanitizedUtf8("plain \xC3\xA9 \xF0\x9F\x98\x80"), "plain \xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(SanitizedUtf8("a\xFFz"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(SanitizedUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong "/"
    EXPECT_EQ(SanitizedUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(SanitizedUtf8("end\xE2\x82"), "end\xEF\xBF\xBD\xEF\xBF\xBD");            // cut short
}

}  // namespace
}  // namespace storyloom
