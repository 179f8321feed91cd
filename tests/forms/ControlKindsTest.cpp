// Control kinds as files of their own: every kind's table is registered under the type name
// scripts see, a kind the layer has never heard of is painted, hit and scripted through its own
// file alone, and the shared bases reach each kind's own behaviour.
#include <gtest/gtest.h>

#include <set>

#include "FormsTestSupport.h"
#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/CheckBox.h"
#include "platform/forms/controls/DirListBox.h"
#include "platform/forms/controls/DriveListBox.h"
#include "platform/forms/controls/FileListBox.h"
#include "platform/forms/controls/Frame.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/LineControl.h"
#include "platform/forms/controls/ListBox.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/ShapeControl.h"
#include "platform/forms/controls/TextBox.h"
#include "platform/forms/controls/TimerControl.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {
namespace {

// A kind written the way a new one is added: its class, its painting and its table, and the
// registration, in one place. Its number is one the layer does not list.
constexpr auto kSwatchKind = static_cast<ControlKind>(100);

class Swatch : public Control {
  public:
    Swatch() : Control(kSwatchKind, QStringLiteral("Swatch1")) {
        SetPixelRect(QRect(0, 0, 10, 10));
    }
    OleColor Color() const { return color_; }
    void SetColor(OleColor color) {
        color_ = color;
        Changed();
    }
    void Paint(QPainter& painter) const override {
        const QRect outer(QPoint(0, 0), PixelRect().size());
        painter.fillRect(outer, ToQColor(color_));
        DrawFlatBorder(painter, outer);
    }
    int refreshes = 0;

  protected:
    std::unique_ptr<Control> CloneForArray() const override {
        return std::make_unique<Swatch>(*this);
    }

  private:
    OleColor color_ = Rgb(255, 0, 0);
};

PropertyTable MakeSwatchTable() {
    PropertyTable t(QStringLiteral("Swatch"));
    AddCommonProperties(t, true);
    t.Add(Member<Swatch>("Color", PropertyType::Color, &Swatch::Color, &Swatch::SetColor));
    t.Override(MethodInfo{"Refresh", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                              ++As<Swatch>(c).refreshes;
                              return PropertyValue();
                          }});
    t.SetDefault("Color");
    return t;
}

const PropertyTableRegistration swatchRegistration(kSwatchKind, &MakeSwatchTable);

class ControlKindsTest : public ::testing::Test {
  protected:
    void SetUp() override { test::EnsureApp(); }
    VirtualEventLoop loop;  // outlives the window's timers
    Window window;
};

TEST_F(ControlKindsTest, EveryKindRegistersItsTableUnderTheTypeNameScriptsSee) {
    const std::vector<std::pair<Control*, QString>> kinds = {
        {&window, "Form"},
        {window.Add<PictureBox>(), "PictureBox"},
        {window.Add<Image>(), "Image"},
        {window.Add<Label>(), "Label"},
        {window.Add<Frame>(), "Frame"},
        {window.Add<TimerControl>(loop), "Timer"},
        {window.Add<CheckBox>(), "CheckBox"},
        {window.Add<LineControl>(), "Line"},
        {window.Add<ShapeControl>(), "Shape"},
        {window.Add<TextBox>(), "TextBox"},
        {window.Add<ListBox>(), "ListBox"},
        {window.Add<FileListBox>(), "FileListBox"},
        {window.Add<DirListBox>(), "DirListBox"},
        {window.Add<DriveListBox>(), "DriveListBox"},
    };
    std::set<const PropertyTable*> tables;
    for (const auto& [control, typeName] : kinds) {
        const PropertyTable& table = PropertiesOf(control->Kind());
        EXPECT_EQ(table.TypeName(), typeName);
        EXPECT_TRUE(tables.insert(&table).second) << typeName.toStdString() << " shares a table";
        // The member a script reaches by naming the control alone is one the table has.
        EXPECT_NE(table.FindProperty(table.DefaultProperty()), nullptr) << typeName.toStdString();
        EXPECT_NE(table.FindProperty("Name"), nullptr) << typeName.toStdString();
    }

    const PropertyTable& unknown = PropertiesOf(static_cast<ControlKind>(99));
    EXPECT_EQ(unknown.TypeName(), "Object");
    EXPECT_TRUE(unknown.Properties().empty());
}

TEST_F(ControlKindsTest, AKindOfItsOwnFileIsPaintedHitAndScripted) {
    window.SetBackColor(Rgb(0, 0, 255));
    auto* box = window.Add<PictureBox>();
    box->SetBorderStyle(0);
    box->SetPixelRect(QRect(20, 20, 40, 40));
    auto* swatch = box->Add<Swatch>();
    swatch->SetPixelRect(QRect(5, 5, 10, 10));

    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(25, 25), qRgb(0, 0, 0)) << "its border, inside the picture box";
    EXPECT_EQ(out.pixel(30, 30), qRgb(255, 0, 0));
    EXPECT_EQ(window.HitTest(QPoint(30, 30)).control, swatch);
    EXPECT_EQ(window.HitTest(QPoint(30, 30)).local, QPoint(5, 5));

    SetProperty(*swatch, "color", QString("&HFF00&"));
    EXPECT_EQ(Renderer::Compose(window).pixel(30, 30), qRgb(0, 255, 0));
    SetProperty(*swatch, "Left", qint32(0));
    EXPECT_EQ(std::get<qint32>(GetProperty(*swatch, "Color")), 0xFF00);
    EXPECT_EQ(window.HitTest(QPoint(22, 30)).control, swatch);
    swatch->SetVisible(false);
    EXPECT_EQ(Renderer::Compose(window).pixel(22, 30), ToRgb32(kSysButtonFace));

    // Its own Refresh stands where the shared one stood; the other shared methods stay.
    const PropertyTable& table = PropertiesOf(kSwatchKind);
    PropertyTable plain(QStringLiteral("Plain"));
    AddCommonProperties(plain, true);
    ASSERT_EQ(table.Methods().size(), plain.Methods().size());
    EXPECT_EQ(table.FindMethod("Refresh") - table.Methods().data(),
              plain.FindMethod("Refresh") - plain.Methods().data());
    CallMethod(*swatch, "Refresh", {});
    EXPECT_EQ(swatch->refreshes, 1);
    CallMethod(*swatch, "ZOrder", {qint32(1)});
    EXPECT_EQ(swatch->ZIndex(), 0);
}

TEST_F(ControlKindsTest, SharedBasesReachEachKindsOwnBehaviour) {
    // Through the text controls' base, a label still checks the size and fits its text.
    auto* label = window.Add<Label>();
    label->SetAutoSize(true);
    label->SetCaption("Grows");
    const int narrow = label->PixelRect().width();
    StyledControl& styled = *label;
    styled.SetFont(FontSpec{"Arial", 24, false, false, false, false});
    EXPECT_GT(label->PixelRect().width(), narrow);
    EXPECT_THROW(styled.SetFont(FontSpec{"Arial", 0, false, false, false, false}), ControlError);
    EXPECT_EQ(label->Font().size, 24);
    Frame* frame = window.Add<Frame>();
    static_cast<StyledControl&>(*frame).SetFont(FontSpec{"Arial", 0, false, false, false, false});
    EXPECT_EQ(frame->Font().size, 0) << "other kinds take any font from code, as before";

    // Through the outlined controls' base, a line's rectangle follows its pen; a shape keeps
    // its own.
    auto* line = window.Add<LineControl>();
    auto* shape = window.Add<ShapeControl>();
    const QRect shapeRect = shape->PixelRect();
    for (OutlinedControl* o : std::initializer_list<OutlinedControl*>{line, shape}) {
        o->SetBorderWidth(9);
        EXPECT_EQ(o->Border().width, 9);
        EXPECT_THROW(o->SetBorderStyle(7), ControlError);
    }
    EXPECT_EQ(line->PixelRect().height(), 9);
    EXPECT_EQ(shape->PixelRect(), shapeRect);
    SetProperty(*line, "BorderWidth", qint32(3));
    EXPECT_EQ(line->PixelRect().height(), 3);
}

}  // namespace
}  // namespace storyloom::forms
