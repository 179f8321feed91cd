// The Menulet strip through the control interface, loaded from its library like any other:
// showing and hiding buttons, the arrangement, clicks, errors, and its pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "TestSupport.h"
#include "platform/components/ControlLoader.h"

namespace storyloom {
namespace {

using testing::RecordedEvent;
using testing::RecordingSink;

constexpr int kWidth = 41;
constexpr int kHeight = 66;

class MenuletTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ControlLoader loader(SystemLibraries());
        ControlLoad load = loader.Load(MENULET_LIBRARY);
        ASSERT_EQ(load.status, ControlLoad::Status::Loaded) << load.message;
        EXPECT_EQ(load.library->ProgIds(),
                  std::vector<std::string>{"Menulet.MenuletControlRELEASE1"});
        EXPECT_EQ(load.library->Version(), "1.00");
        ControlError error;
        strip = load.library->Create("MenuletControlRELEASE1", sink, error);
        ASSERT_TRUE(strip) << error.description;
    }
    ControlResult Show(ControlValue number) {
        const ControlValue args[] = {std::move(number)};
        return strip->CallMethod("ShowButton", args);
    }
    void HideAll() { ASSERT_TRUE(strip->CallMethod("HideAllButtons", {}).ok); }
    void ShowOnly(std::initializer_list<int> buttons) {
        HideAll();
        for (int b : buttons) ASSERT_TRUE(Show(int32_t(b)).ok) << b;
    }
    void Click(int x, int y, int button = SL_BUTTON_LEFT) {
        strip->Mouse(SL_MOUSE_DOWN, x, y, button, 0);
        strip->Mouse(SL_MOUSE_UP, x, y, button, 0);
    }
    std::vector<int> Clicks() const {
        std::vector<int> numbers;
        for (const RecordedEvent& e : sink.events) {
            EXPECT_EQ(e.name, "ButtonClick");
            EXPECT_EQ(e.parameters.size(), 1u);
            EXPECT_EQ(e.parameters[0].name, "ButtonNumber");
            numbers.push_back(std::get<int16_t>(e.parameters[0].value));
        }
        return numbers;
    }
    QImage Picture() {
        const ControlSize size = strip->Size();
        QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
        strip->Paint(reinterpret_cast<uint32_t*>(image.bits()), size.width, size.height,
                     int(image.bytesPerLine()));
        return image;
    }

    RecordingSink sink;
    std::shared_ptr<ControlInstance> strip;
};

TEST_F(MenuletTest, StartsWithAllFiveButtonsSideBySide) {
    EXPECT_EQ(strip->Size(), (ControlSize{5 * kWidth, kHeight}));
    Click(5 * kWidth - 1, kHeight - 1);
    EXPECT_EQ(Clicks(), std::vector<int>{5});
}

TEST_F(MenuletTest, HidingAllLeavesNoWidthButTheHeight) {
    HideAll();
    EXPECT_EQ(strip->Size(), (ControlSize{0, kHeight}));
    EXPECT_EQ(sink.resizes.back(), (ControlSize{0, kHeight}));
    EXPECT_GT(sink.repaints, 0);
    Click(0, 10);
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(MenuletTest, ShownButtonsSitFromTheLeftInNumberOrder) {
    ShowOnly({3});
    EXPECT_EQ(strip->Size(), (ControlSize{kWidth, kHeight}));
    Click(0, 0);
    Click(kWidth - 1, kHeight / 2);
    Click(kWidth, kHeight / 2);  // just right of it: nothing there
    EXPECT_EQ(Clicks(), (std::vector<int>{3, 3}));

    sink.events.clear();
    ShowOnly({5, 1});
    EXPECT_EQ(strip->Size(), (ControlSize{2 * kWidth, kHeight}));
    Click(10, 30);
    Click(kWidth + 10, 30);
    EXPECT_EQ(Clicks(), (std::vector<int>{1, 5}));

    // Showing a shown button changes nothing; showing another re-arranges.
    sink.events.clear();
    ASSERT_TRUE(Show(int32_t(5)).ok);
    ASSERT_TRUE(Show(int32_t(2)).ok);
    EXPECT_EQ(strip->Size(), (ControlSize{3 * kWidth, kHeight}));
    Click(kWidth + 1, 1);
    Click(2 * kWidth + 1, 1);
    EXPECT_EQ(Clicks(), (std::vector<int>{2, 5}));
}

TEST_F(MenuletTest, AClickIsALeftPressAndReleaseOnTheSameButton) {
    ShowOnly({1, 2});
    strip->Mouse(SL_MOUSE_DOWN, 5, 5, SL_BUTTON_LEFT, 0);
    strip->Mouse(SL_MOUSE_UP, kWidth + 5, 5, SL_BUTTON_LEFT, 0);  // released on button 2
    strip->Mouse(SL_MOUSE_DOWN, 5, 5, SL_BUTTON_LEFT, 0);
    strip->Mouse(SL_MOUSE_UP, 5, kHeight + 3, SL_BUTTON_LEFT, 0);  // released below the strip
    Click(5, 5, SL_BUTTON_RIGHT);
    Click(5, 5, SL_BUTTON_MIDDLE);
    EXPECT_TRUE(sink.events.empty());
    // A double click: press, release, double click, release gives one click.
    strip->Mouse(SL_MOUSE_DOWN, 5, 5, SL_BUTTON_LEFT, 0);
    strip->Mouse(SL_MOUSE_UP, 5, 5, SL_BUTTON_LEFT, 0);
    strip->Mouse(SL_MOUSE_DOUBLE_CLICK, 5, 5, SL_BUTTON_LEFT, 0);
    strip->Mouse(SL_MOUSE_UP, 5, 5, SL_BUTTON_LEFT, 0);
    EXPECT_EQ(Clicks(), std::vector<int>{1});
}

TEST_F(MenuletTest, AHandlerMayRearrangeTheStripFromTheClick) {
    sink.onEvent = [&](const RecordedEvent&) { HideAll(); };
    Click(kWidth * 2 + 3, 3);
    EXPECT_EQ(Clicks(), std::vector<int>{3});
    EXPECT_EQ(strip->Size(), (ControlSize{0, kHeight}));
}

TEST_F(MenuletTest, NumbersOutsideOneToFiveAreAMissingControlArrayElement) {
    for (int32_t n : {0, 6, -1, 32767, INT32_MIN}) {
        const ControlResult r = Show(n);
        EXPECT_FALSE(r.ok) << n;
        EXPECT_EQ(r.error.number, 340);
        EXPECT_EQ(r.error.description,
                  "Control array element '" + std::to_string(n) + "' doesn't exist");
    }
    EXPECT_EQ(Show(5.5).error.description, "Control array element '6' doesn't exist");
    EXPECT_EQ(Show(true).error.description, "Control array element '-1' doesn't exist");
    EXPECT_EQ(Show(ControlValue()).error.description, "Control array element '0' doesn't exist");
    EXPECT_EQ(strip->Size(), (ControlSize{5 * kWidth, kHeight}));  // nothing changed
}

TEST_F(MenuletTest, ArgumentsConvertAsTheScriptEngineConvertsThem) {
    ShowOnly({});
    ASSERT_TRUE(Show(int16_t(2)).ok);
    ASSERT_TRUE(Show(std::string(" 4 ")).ok);
    ASSERT_TRUE(Show(0.5 + 0.5 + 0.0).ok);  // 1.0
    ASSERT_TRUE(Show(2.5).ok);              // half to even: 2
    EXPECT_EQ(strip->Size(), (ControlSize{3 * kWidth, kHeight}));
    const ControlResult text = Show(std::string("two"));
    EXPECT_EQ(text.error.number, 13);
    EXPECT_EQ(text.error.description, "Type mismatch");
    const ControlResult big = Show(1e10);
    EXPECT_EQ(big.error.number, 6);
    EXPECT_EQ(big.error.description, "Overflow");

    const ControlResult none = strip->CallMethod("ShowButton", {});
    EXPECT_EQ(none.error.number, 449);
    EXPECT_EQ(none.error.description, "Argument not optional");
    const ControlValue two[] = {int32_t(1), int32_t(2)};
    EXPECT_EQ(strip->CallMethod("showbutton", two).error.number, 450);
    EXPECT_EQ(strip->CallMethod("HideAllButtons", two).error.description,
              "Wrong number of arguments or invalid property assignment");
    EXPECT_EQ(strip->CallMethod("Flash", {}).error.number, 438);
    EXPECT_EQ(strip->GetProperty("Buttons").error.number, 438);
    EXPECT_EQ(strip->SetProperty("Buttons", int32_t(1)).error.number, 438);
}

TEST_F(MenuletTest, TheButtonsArePaintedWhereTheyStand) {
    ShowOnly({3});
    const QImage three = Picture();
    ShowOnly({1, 3, 5});
    const QImage strip135 = Picture();
    ASSERT_EQ(strip135.size(), QSize(3 * kWidth, kHeight));
    // Button 3 drawn alone and drawn in the middle of the strip are the same picture.
    EXPECT_EQ(strip135.copy(kWidth, 0, kWidth, kHeight), three);

    // Rounded corners stay clear, the middle is solid, and the buttons differ in colour.
    std::set<QRgb> colours;
    for (int i = 0; i < 3; ++i) {
        const int x0 = i * kWidth;
        EXPECT_EQ(qAlpha(strip135.pixel(x0, 0)), 0) << i;
        EXPECT_EQ(qAlpha(strip135.pixel(x0 + kWidth / 2, kHeight / 2)), 255) << i;
        colours.insert(strip135.pixel(x0 + 6, 8));
    }
    EXPECT_EQ(colours.size(), 3u);

    // A script may give the strip another size until the buttons are arranged again.
    EXPECT_EQ(strip->SetSize({10, 10}), (ControlSize{10, 10}));
    ASSERT_TRUE(Show(int32_t(1)).ok);
    EXPECT_EQ(strip->Size(), (ControlSize{3 * kWidth, kHeight}));

    ASSERT_TRUE(strip135.save(COMPONENTS_TEST_OUT "/menulet-buttons-1-3-5.png"));
    ShowOnly({1, 2, 3, 4, 5});
    ASSERT_TRUE(Picture()
                    .scaled(5 * kWidth * 3, kHeight * 3)
                    .save(COMPONENTS_TEST_OUT "/menulet-buttons-all-x3.png"));
}

}  // namespace
}  // namespace storyloom
