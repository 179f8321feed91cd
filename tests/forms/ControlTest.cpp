// The control model: twips, containers, z-order, control arrays, timers and the property table.
#include <gtest/gtest.h>

#include "FormsTestSupport.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Properties.h"
#include "platform/forms/controls/Frame.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/TimerControl.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {
namespace {

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override { test::EnsureApp(); }
};

int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ControlError& e) {
        return e.Number();
    }
    return 0;
}

TEST_F(ControlTest, GeometryIsTwipsSnappedToWholePixels) {
    Window w;
    auto* img = w.Add<Image>();
    img->Move(1530, 630, 300, 150);
    EXPECT_EQ(img->PixelRect(), QRect(102, 42, 20, 10));
    img->SetLeft(100);  // 6.67 pixels: the nearest pixel, read back in twips
    EXPECT_EQ(img->Left(), 105);
    img->SetTop(-45);
    EXPECT_EQ(img->PixelRect().top(), -3);
    EXPECT_EQ(ErrorOf([&] { img->SetWidth(-15); }), kErrInvalidPropertyValue);
    EXPECT_EQ(img->Width(), 300);
}

TEST_F(ControlTest, ZOrderAmongSiblingsAndContainers) {
    Window w;
    auto* box = w.Add<PictureBox>("box");
    auto* a = box->Add<Image>("a");
    auto* b = box->Add<Image>("b");
    auto* c = box->Add<Image>("c");
    EXPECT_EQ(c->ZIndex(), 2);  // the newest is in front
    a->ZOrder(0);
    EXPECT_EQ(a->ZIndex(), 2);
    a->ZOrder(1);
    EXPECT_EQ(a->ZIndex(), 0);
    EXPECT_EQ(b->ZIndex(), 1);

    auto* frame = w.Add<Frame>("frame");
    b->SetContainer(frame);
    EXPECT_EQ(b->Parent(), frame);
    EXPECT_EQ(box->Children().size(), 2u);
    EXPECT_EQ(ErrorOf([&] { box->SetContainer(box); }), kErrInvalidPropertyValue);
    auto* inner = box->Add<PictureBox>("inner");
    EXPECT_EQ(ErrorOf([&] { box->SetContainer(inner); }), kErrInvalidPropertyValue);
    box->SetVisible(false);
    EXPECT_FALSE(c->IsShown());
    EXPECT_TRUE(c->Visible());
}

TEST_F(ControlTest, ArrayLoadsCopiesOfTheTemplateHiddenAndUnloads) {
    Window w;
    auto* box = w.Add<PictureBox>("PictureBox");
    auto* templ = box->Add<Image>("Area");
    templ->SetVisible(false);
    templ->Move(150, 150, 450, 450);
    templ->SetStretch(true);
    templ->SetTag("proto");
    int clicks = 0;
    templ->onMouseDown = [&](Control& c, int, int, double, double) { clicks += c.Index(); };
    ControlArray<Image> area(templ);
    EXPECT_EQ(area.UBound(), 0);

    templ->SetVisible(true);  // a loaded element is hidden whatever the template shows
    Image* one = area.Load(1);
    Image* three = area.Load(3);
    EXPECT_FALSE(one->Visible());
    EXPECT_EQ(one->Index(), 1);
    EXPECT_EQ(one->Parent(), box);
    EXPECT_EQ(one->Width(), 450);
    EXPECT_TRUE(one->Stretch());
    EXPECT_EQ(one->Tag(), "proto");
    EXPECT_EQ(area.UBound(), 3);
    EXPECT_EQ(area.Count(), 3);
    EXPECT_EQ(three->ZIndex(), 2);  // in front of the template and element 1
    EXPECT_FALSE(area.Exists(2));

    // The shared handler sees the element's index.
    one->onMouseDown(*one, 1, 0, 0, 0);
    three->onMouseDown(*three, 1, 0, 0, 0);
    EXPECT_EQ(clicks, 4);

    EXPECT_EQ(ErrorOf([&] { area.Load(3); }), kErrAlreadyLoaded);
    EXPECT_EQ(ErrorOf([&] { area.Unload(0); }), kErrCannotUnloadDesignTime);
    EXPECT_EQ(ErrorOf([&] { area.Unload(2); }), kErrElementMissing);
    EXPECT_EQ(ErrorOf([&] { area.Item(2); }), kErrElementMissing);
    EXPECT_EQ(ErrorOf([&] { area.Load(-1); }), kErrElementMissing);

    area.Unload(3);
    EXPECT_EQ(area.UBound(), 1);
    area.UnloadAll();
    EXPECT_EQ(area.UBound(), 0);
    EXPECT_EQ(box->Children().size(), 1u);
    // Numbering starts again from 1.
    EXPECT_EQ(area.Load(1)->Index(), 1);
}

TEST_F(ControlTest, ElementsDestroyedWithTheirContainerLeaveTheArray) {
    Window w;
    auto* panel = w.Add<PictureBox>("panel");
    auto* templ = panel->Add<Label>("Text");
    ControlArray<Label> text(templ);
    text.Load(1);
    text.Load(2);
    w.Remove(panel);
    EXPECT_EQ(text.Count(), 0);
    EXPECT_EQ(text.UBound(), -1);
}

TEST_F(ControlTest, UnloadingInsideAnEventIsSafe) {
    Window w;
    w.SetPixelRect(QRect(0, 0, 200, 100));
    auto* templ = w.Add<Image>("Area");
    templ->SetVisible(false);
    templ->Move(0, 0, 1500, 1500);
    ControlArray<Image> area(templ);
    int seen = 0;
    templ->onMouseDown = [&](Control& c, int, int, double, double) {
        // A click that opens a new frame: every hotspot goes and new ones are loaded.
        ++seen;
        area.UnloadAll();
        area.Load(1)->SetVisible(true);
        EXPECT_EQ(c.Name(), "Area");  // the clicked control is still readable
    };
    area.Load(1)->SetVisible(true);
    w.MouseDown(QPoint(5, 5), kLeftButton, 0);
    w.MouseUp(QPoint(5, 5), kLeftButton, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(area.UBound(), 1);
    w.MouseDown(QPoint(5, 5), kLeftButton, 0);
    EXPECT_EQ(seen, 2);
}

TEST_F(ControlTest, ImageTakesThePictureSizeUnlessStretched) {
    Window w;
    auto* img = w.Add<Image>();
    img->Move(0, 0, 1500, 750);
    QImage pic(30, 20, QImage::Format_RGB32);
    pic.fill(Qt::red);
    img->SetStretch(true);
    img->SetPicture(Picture::FromImage(pic));
    EXPECT_EQ(img->PixelRect().size(), QSize(100, 50));
    img->SetStretch(false);
    EXPECT_EQ(img->PixelRect().size(), QSize(30, 20));
    img->SetPicture(Picture());  // no picture: the size stays
    EXPECT_EQ(img->PixelRect().size(), QSize(30, 20));
}

TEST_F(ControlTest, LabelAutoSizeFollowsCaptionFontAndWrap) {
    Window w;
    auto* label = w.Add<Label>();
    label->SetFont(FontSpec{"Arial", 12, false, false, false, false});
    label->SetAutoSize(true);
    label->SetCaption("Hi");
    const QSize small = label->PixelRect().size();
    label->SetCaption("Hello there, traveller");
    EXPECT_GT(label->PixelRect().width(), small.width());
    EXPECT_EQ(label->PixelRect().height(), small.height());
    label->SetCaption("one\r\ntwo");
    EXPECT_EQ(label->PixelRect().height(), 2 * small.height());
    FontSpec bigger = label->Font();
    bigger.size = 24;
    label->SetFont(bigger);
    EXPECT_GT(label->PixelRect().height(), 3 * small.height());

    // Word wrap keeps the width and grows downwards.
    label->SetFont(FontSpec{"Arial", 12, false, false, false, false});
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(60 * 15);
    label->SetCaption("several short words that cannot fit on one line");
    label->SetAutoSize(true);
    EXPECT_EQ(label->PixelRect().width(), 60);
    EXPECT_GT(label->PixelRect().height(), 3 * small.height());

    label->SetCaption("Salt && Pepper &Co");
    EXPECT_EQ(label->DisplayText(), "Salt & Pepper Co");
    label->SetUseMnemonic(false);
    EXPECT_EQ(label->DisplayText(), "Salt && Pepper &Co");
}

TEST_F(ControlTest, TimerControlTicksOnTheLoopAndLoadedCopiesToo) {
    VirtualEventLoop loop;
    Window w;
    auto* templ = w.Add<TimerControl>(loop, "TimerObject");
    templ->SetTimerEnabled(false);
    templ->SetInterval(100);
    std::vector<int> ticks;
    templ->onTimer = [&](TimerControl& t) { ticks.push_back(t.Index()); };
    ControlArray<TimerControl> timers(templ);
    TimerControl* one = timers.Load(1);
    one->SetTimerEnabled(true);
    loop.Advance(250);
    EXPECT_EQ(ticks, (std::vector<int>{1, 1}));
    one->SetInterval(0);  // 0 never fires
    loop.Advance(500);
    EXPECT_EQ(ticks.size(), 2u);
    one->SetInterval(50);
    // A tick that unloads its own timer.
    templ->onTimer = [&](TimerControl& t) {
        ticks.push_back(t.Index());
        timers.Unload(t.Index());
    };
    TimerControl* two = timers.Load(2);
    two->SetTimerEnabled(true);
    loop.Advance(1000);
    EXPECT_EQ(timers.UBound(), 1);  // element 1 kept the old handler copy; element 2 is gone
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), 2), 1);
    EXPECT_EQ(ErrorOf([&] { one->SetInterval(-1); }), kErrInvalidPropertyValue);
}

TEST_F(ControlTest, PropertyTableReadsAndWritesByNameWithConversions) {
    Window w;
    auto* label = w.Add<Label>("lbl");
    SetProperty(*label, "caption", QString("Hello"));
    EXPECT_EQ(std::get<QString>(GetProperty(*label, "Caption")), "Hello");
    SetProperty(*label, "Left", QString("150"));
    EXPECT_EQ(label->PixelRect().left(), 10);
    SetProperty(*label, "Visible", qint32(0));
    EXPECT_FALSE(label->Visible());
    SetProperty(*label, "Visible", QString("True"));
    EXPECT_TRUE(label->Visible());
    SetProperty(*label, "ForeColor", QString("&HFF&"));
    EXPECT_EQ(label->ForeColor(), 0xFFu);
    SetProperty(*label, "FontSize", 14.0);
    SetProperty(*label, "FontBold", true);
    EXPECT_EQ(label->Font().size, 14.0);
    EXPECT_TRUE(label->Font().bold);
    SetProperty(*label, "Alignment", 2.5);  // rounds half to even: 2
    EXPECT_EQ(label->Alignment(), 2);

    auto code = [](const std::function<void()>& f) { return ErrorOf(f); };
    EXPECT_EQ(code([&] { GetProperty(*label, "NoSuchThing"); }), kErrNoSuchMember);
    EXPECT_EQ(code([&] { SetProperty(*label, "Name", QString("x")); }), kErrReadOnly);
    EXPECT_EQ(code([&] { SetProperty(*label, "Width", QString("wide")); }), kErrTypeMismatch);
    EXPECT_EQ(code([&] { SetProperty(*label, "Alignment", qint32(7)); }), kErrInvalidPropertyValue);
    EXPECT_EQ(code([&] { SetProperty(*label, "MousePointer", qint32(42)); }),
              kErrInvalidPropertyValue);
    EXPECT_EQ(code([&] { SetProperty(*label, "Alignment", qint32(40000)); }), 6);
    EXPECT_EQ(code([&] { GetProperty(*label, "Index"); }), 343);

    CallMethod(*label, "Move", {qint32(300), PropertyValue(), qint32(600)});
    EXPECT_EQ(label->PixelRect().left(), 20);
    EXPECT_EQ(label->PixelRect().width(), 40);
    EXPECT_EQ(code([&] { CallMethod(*label, "Move", {}); }), kErrArgumentNotOptional);
    EXPECT_EQ(code([&] { CallMethod(*label, "Cls", {}); }), kErrNoSuchMember);
    EXPECT_EQ(PropertiesOf(ControlKind::Label).DefaultProperty(), "Caption");
    EXPECT_EQ(PropertiesOf(ControlKind::Timer).DefaultProperty(), "Enabled");
}

TEST_F(ControlTest, PictureProperties) {
    Window w;
    auto* box = w.Add<PictureBox>("pic");
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const Picture picture = Picture::FromImage(img);
    SetProperty(*box, "Picture", picture);
    EXPECT_EQ(std::get<Picture>(GetProperty(*box, "Picture")), picture);
    SetProperty(*box, "Picture", qint32(0));  // LoadPicture("") / Nothing
    EXPECT_TRUE(box->GetPicture().IsEmpty());
    EXPECT_EQ(ErrorOf([&] { SetProperty(*box, "Picture", QString("x.bmp")); }), kErrTypeMismatch);
    SetProperty(*box, "ScaleMode", qint32(3));
    box->SetBorderStyle(0);
    box->SetPixelRect(QRect(0, 0, 40, 30));
    EXPECT_EQ(ToDouble(GetProperty(*box, "ScaleWidth")), 40);
    box->SetBorderStyle(1);
    EXPECT_EQ(ToDouble(GetProperty(*box, "ScaleWidth")), 36);  // less the 3D border
    CallMethod(*box, "PaintPicture", {picture, qint32(1), qint32(2)});
    const QImage drawn = std::get<Picture>(GetProperty(*box, "Image")).Image();
    EXPECT_EQ(drawn.pixel(1, 2), qRgb(0, 0, 255));
    EXPECT_EQ(drawn.pixel(0, 0), ToRgb32(kSysButtonFace));
    EXPECT_EQ(ToLong(CallMethod(*box, "Point", {qint32(1), qint32(2)})), 0xFF0000);  // blue
    CallMethod(*box, "PSet", {qint32(0), qint32(0), qint32(0xFF)});
    EXPECT_EQ(ToLong(CallMethod(*box, "Point", {qint32(0), qint32(0)})), 0xFF);
    EXPECT_EQ(ToLong(CallMethod(*box, "Point", {qint32(500), qint32(0)})), -1);
}

TEST_F(ControlTest, ColoursAreBasicsOleColours) {
    EXPECT_EQ(ToRgb32(Rgb(255, 0, 0)), qRgb(255, 0, 0));
    EXPECT_EQ(ToRgb32(0x00FF8000), qRgb(0, 0x80, 0xFF));
    EXPECT_EQ(ToRgb32(kSysButtonFace), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(ToRgb32(kSysWindowBackground), qRgb(255, 255, 255));
    EXPECT_EQ(ToRgb32(0x800000FF), qRgb(0, 0, 0));  // unknown system colour
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x030201u);
}

}  // namespace
}  // namespace storyloom::forms
