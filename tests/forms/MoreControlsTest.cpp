// Check boxes, lines, shapes, text boxes, list boxes and the file, folder and drive lists:
// clicks and keys, the property tables' rules, and a few rendered pixels.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FormsTestSupport.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Properties.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/CheckBox.h"
#include "platform/forms/controls/DirListBox.h"
#include "platform/forms/controls/DriveListBox.h"
#include "platform/forms/controls/FileListBox.h"
#include "platform/forms/controls/LineControl.h"
#include "platform/forms/controls/ListBox.h"
#include "platform/forms/controls/ShapeControl.h"
#include "platform/forms/controls/TextBox.h"

namespace storyloom::forms {
namespace {

class MoreControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApp();
        window.SetPixelRect(QRect(0, 0, 320, 240));
        window.SetBackColor(Rgb(0, 128, 0));
    }
    // A left click at a window pixel.
    void Click(QPoint at) {
        window.MouseDown(at, kLeftButton, 0);
        window.MouseUp(at, kLeftButton, 0);
    }
    void Type(const QString& text) {
        for (QChar ch : text) window.KeyPress(ch.unicode());
    }
    static int ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const ControlError& e) {
            return e.Number();
        }
        return 0;
    }
    Window window;
};

TEST_F(MoreControlsTest, CheckBoxClickTogglesAndRaisesClickOnceCodeChangesRaiseItToo) {
    auto* box = window.Add<CheckBox>();
    box->SetPixelRect(QRect(10, 10, 100, 17));
    box->SetCaption("Sound");
    int clicks = 0;
    box->onClick = [&](Control&) { ++clicks; };
    Click({15, 18});
    EXPECT_EQ(box->Value(), 1);
    EXPECT_EQ(clicks, 1);
    Click({60, 18});  // on the caption
    EXPECT_EQ(box->Value(), 0);
    EXPECT_EQ(clicks, 2);
    SetProperty(*box, "Value", qint32(1));
    EXPECT_EQ(clicks, 3);
    SetProperty(*box, "Value", qint32(1));  // unchanged: no Click
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(ErrorOf([&] { SetProperty(*box, "Value", qint32(3)); }), 380);
    SetProperty(*box, "Value", qint32(2));
    Click({15, 18});  // greyed goes to checked
    EXPECT_EQ(box->Value(), 1);
    // A disabled box lets the click through and keeps its value.
    box->SetEnabled(false);
    Click({15, 18});
    EXPECT_EQ(box->Value(), 1);
    EXPECT_EQ(PropertiesOf(ControlKind::CheckBox).DefaultProperty(), "Value");
}

TEST_F(MoreControlsTest, CheckBoxDrawsATickOnlyWhenChecked) {
    auto* box = window.Add<CheckBox>();
    box->SetPixelRect(QRect(0, 0, 100, 17));
    const int boxTop = (17 - 13) / 2;
    auto darkInBox = [&] {
        const QImage img = Renderer::Compose(window);
        int dark = 0;
        for (int y = boxTop + 2; y < boxTop + 11; ++y)
            for (int x = 2; x < 11; ++x) dark += img.pixel(x, y) == qRgb(0, 0, 0);
        return dark;
    };
    EXPECT_EQ(darkInBox(), 0);
    EXPECT_EQ(Renderer::Compose(window).pixel(6, boxTop + 6), qRgb(255, 255, 255));
    box->SetValue(1);
    EXPECT_GE(darkInBox(), 15);
}

TEST_F(MoreControlsTest, LinesAndShapesDrawWhereTheySayAndLetClicksThrough) {
    auto* line = window.Add<LineControl>();
    SetProperty(*line, "X1", 150.0);
    SetProperty(*line, "Y1", 300.0);
    SetProperty(*line, "X2", 1500.0);
    SetProperty(*line, "Y2", 300.0);
    SetProperty(*line, "BorderColor", qint32(Rgb(255, 0, 0)));
    QImage img = Renderer::Compose(window);
    EXPECT_EQ(img.pixel(10, 20), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(99, 20), qRgb(255, 0, 0));
    // As on the original's desktop, the end point itself is left out.
    EXPECT_EQ(img.pixel(100, 20), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(50, 21), qRgb(0, 128, 0));
    EXPECT_EQ(std::get<double>(GetProperty(*line, "X2")), 1500.0);
    EXPECT_EQ(ErrorOf([&] { GetProperty(*line, "Width"); }), 438);
    EXPECT_EQ(ErrorOf([&] { SetProperty(*line, "BorderWidth", qint32(0)); }), 380);

    auto* shape = window.Add<ShapeControl>();
    shape->SetPixelRect(QRect(100, 100, 80, 40));
    SetProperty(*shape, "Shape", qint32(3));  // circle: centred square of side 40
    SetProperty(*shape, "FillStyle", qint32(0));
    SetProperty(*shape, "FillColor", qint32(Rgb(0, 0, 255)));
    img = Renderer::Compose(window);
    EXPECT_EQ(img.pixel(140, 120), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(105, 102), qRgb(0, 128, 0)) << "corner outside the circle";
    EXPECT_EQ(img.pixel(175, 120), qRgb(0, 128, 0)) << "outside the centred circle";
    SetProperty(*shape, "Shape", qint32(0));
    img = Renderer::Compose(window);
    EXPECT_EQ(img.pixel(100, 100), qRgb(0, 0, 0)) << "outline";
    EXPECT_EQ(img.pixel(105, 102), qRgb(0, 0, 255));
    EXPECT_EQ(ErrorOf([&] { SetProperty(*shape, "Shape", qint32(6)); }), 380);

    // The window under the shape gets the click.
    int windowClicks = 0;
    window.onClick = [&](Control&) { ++windowClicks; };
    Click({140, 120});
    EXPECT_EQ(windowClicks, 1);
}

TEST_F(MoreControlsTest, TextBoxTakesTypedTextWithinItsLimits) {
    auto* other = window.Add<TextBox>("Other");
    other->SetPixelRect(QRect(10, 60, 100, 21));
    auto* box = window.Add<TextBox>();
    box->SetPixelRect(QRect(10, 10, 100, 21));
    int changes = 0;
    box->onChange = [&](Control&) { ++changes; };
    Type("ignored");  // nothing has the keyboard yet
    EXPECT_EQ(box->Text(), "");
    Click({15, 20});
    Type("Hallo");
    EXPECT_EQ(box->Text(), "Hallo");
    EXPECT_EQ(changes, 5);
    window.KeyPress(8);
    window.KeyDown(0x24, 0);  // home
    Type(">");
    EXPECT_EQ(box->Text(), ">Hall");
    EXPECT_EQ(box->SelStart(), 1);
    window.KeyDown(0x2E, 0);  // delete
    EXPECT_EQ(box->Text(), ">all");

    SetProperty(*box, "MaxLength", qint32(6));
    Type("xyz");
    EXPECT_EQ(box->Text(), ">xyall") << "typing stops at MaxLength";
    SetProperty(*box, "Text", QString("0123456789"));
    EXPECT_EQ(box->Text(), "0123456789") << "code is not limited";

    SetProperty(*box, "SelStart", qint32(2));
    SetProperty(*box, "SelLength", qint32(3));
    EXPECT_EQ(std::get<QString>(GetProperty(*box, "SelText")), "234");
    SetProperty(*box, "SelText", QString("-"));
    EXPECT_EQ(box->Text(), "01-56789");
    SetProperty(*box, "SelStart", qint32(99));
    EXPECT_EQ(box->SelStart(), 8);

    box->SetLocked(true);
    Type("q");
    EXPECT_EQ(box->Text(), "01-56789");
    box->SetLocked(false);

    window.KeyPress(13);  // single line: Enter adds nothing
    EXPECT_EQ(box->Text(), "01-56789");
    box->SetMultiLine(true);
    box->SetText("");
    Type("a");
    window.KeyPress(13);
    Type("b");
    EXPECT_EQ(box->Text(), "a\r\nb");
    window.KeyPress(8);
    window.KeyPress(8);
    EXPECT_EQ(box->Text(), "a") << "backspace removes a line break whole";

    CallMethod(*other, "SetFocus", {});
    Type("y");
    EXPECT_EQ(other->Text(), "y");
    CallMethod(*box, "SetFocus", {});
    window.KeyPress(8);
    EXPECT_EQ(other->Text(), "y");
    EXPECT_EQ(box->Text(), "");
    Type("a");

    // Clicking the other box moves the keyboard there.
    Click({15, 70});
    Type("z");
    EXPECT_EQ(other->Text(), "zy") << "the click put the caret before the y";
    EXPECT_EQ(box->Text(), "a");
}

TEST_F(MoreControlsTest, TextBoxShowsPasswordCharactersAndUnloadedFocusIsForgotten) {
    auto* box = window.Add<TextBox>();
    box->SetPixelRect(QRect(0, 0, 120, 21));
    box->SetText("secret");
    SetProperty(*box, "PasswordChar", QString("*"));
    EXPECT_EQ(box->DisplayText(), "******");
    EXPECT_EQ(ErrorOf([&] { SetProperty(*box, "PasswordChar", QString("ab")); }), 380);
    const QImage img = Renderer::Compose(window);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0x80, 0x80, 0x80)) << "sunken border";
    EXPECT_EQ(img.pixel(110, 10), qRgb(255, 255, 255)) << "white inside";
    Click({5, 10});
    EXPECT_EQ(window.FocusedControl(), box);
    window.Remove(box);
    EXPECT_EQ(window.FocusedControl(), nullptr);
    window.KeyPress('x');  // must not touch the removed box
}

TEST_F(MoreControlsTest, ListBoxKeepsItsRowsInOrderAndSelectsTheClickedRow) {
    auto* list = window.Add<ListBox>();
    list->SetPixelRect(QRect(10, 10, 120, 100));
    int clicks = 0;
    list->onClick = [&](Control&) { ++clicks; };
    CallMethod(*list, "AddItem", {QString("pear")});
    CallMethod(*list, "AddItem", {QString("apple")});
    CallMethod(*list, "AddItem", {QString("fig"), qint32(0)});
    EXPECT_EQ(list->NewIndex(), 0);
    EXPECT_EQ(std::get<QString>(CallMethod(*list, "List", {qint32(1)})), "pear");
    EXPECT_EQ(std::get<QString>(CallMethod(*list, "List", {qint32(3)})), "") << "past the end";
    EXPECT_EQ(ErrorOf([&] { CallMethod(*list, "AddItem", {QString("x"), qint32(9)}); }), 5);
    EXPECT_EQ(ErrorOf([&] { CallMethod(*list, "RemoveItem", {qint32(3)}); }), 5);

    // Row 2 (apple) lies two row heights below the border.
    const int rowH = list->RowHeight();
    Click({20, 10 + 2 + 2 * rowH + rowH / 2});
    EXPECT_EQ(list->ListIndex(), 2);
    EXPECT_EQ(std::get<QString>(GetProperty(*list, "Text")), "apple");
    EXPECT_EQ(clicks, 1);
    const QImage img = Renderer::Compose(window);
    EXPECT_EQ(img.pixel(125, 10 + 2 + 2 * rowH + 1), qRgb(0, 0, 0x80)) << "highlighted row";
    EXPECT_EQ(img.pixel(125, 10 + 2 + 1 * rowH + 1), qRgb(255, 255, 255));

    window.KeyDown(0x26, 0);  // up
    EXPECT_EQ(list->Text(), "pear");
    EXPECT_EQ(clicks, 2);
    SetProperty(*list, "ListIndex", qint32(-1));
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(ErrorOf([&] { SetProperty(*list, "ListIndex", qint32(3)); }), 380);

    // Removing a row above the selection keeps the selected item.
    list->SetListIndex(2);
    CallMethod(*list, "RemoveItem", {qint32(0)});
    EXPECT_EQ(list->Text(), "apple");
    EXPECT_EQ(list->ListIndex(), 1);

    CallMethod(*list, "ItemData", {qint32(1), qint32(42)});
    EXPECT_EQ(std::get<qint32>(CallMethod(*list, "ItemData", {qint32(1)})), 42);
    EXPECT_EQ(ErrorOf([&] { CallMethod(*list, "ItemData", {qint32(5)}); }), 381);

    SetProperty(*list, "Sorted", true);
    CallMethod(*list, "AddItem", {QString("Banana")});
    EXPECT_EQ(list->NewIndex(), 1);
    EXPECT_EQ(list->List(0), "apple");
    EXPECT_EQ(list->List(2), "pear");
    EXPECT_EQ(list->Text(), "apple");
    CallMethod(*list, "Clear", {});
    EXPECT_EQ(list->ListCount(), 0);
    EXPECT_EQ(list->ListIndex(), -1);
}

TEST_F(MoreControlsTest, FileAndFolderListsReadTheDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"b.BMP", "a.jpg", "notes.txt", "README"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir("Scenes");
    QDir(dir.path()).mkdir("audio");

    auto* files = window.Add<FileListBox>();
    int pathChanges = 0;
    files->onPathChange = [&](Control&) { ++pathChanges; };
    SetProperty(*files, "Path", dir.path());
    EXPECT_EQ(pathChanges, 1);
    EXPECT_EQ(files->ListCount(), 4) << "*.* also lists names without a dot";
    SetProperty(*files, "Pattern", QString("*.bmp;*.jpg"));
    ASSERT_EQ(files->ListCount(), 2);
    EXPECT_EQ(files->List(0), "a.jpg");
    EXPECT_EQ(files->List(1), "b.BMP") << "patterns ignore case";
    SetProperty(*files, "FileName", QString("B.bmp"));
    EXPECT_EQ(std::get<QString>(GetProperty(*files, "FileName")), "b.BMP");
    EXPECT_EQ(ErrorOf([&] { SetProperty(*files, "Path", dir.filePath("missing")); }), 76);
    EXPECT_EQ(files->ListCount(), 2) << "a missing folder leaves the list as it was";
    SetProperty(*files, "FileName", dir.filePath("*.txt"));
    EXPECT_EQ(files->Pattern(), "*.txt");
    EXPECT_EQ(files->ListCount(), 1);
    QFile(dir.filePath("more.txt")).open(QIODevice::WriteOnly);
    EXPECT_EQ(files->ListCount(), 1);
    CallMethod(*files, "Refresh", {});
    EXPECT_EQ(files->ListCount(), 2) << "Refresh reads the folder again";

    auto* dirs = window.Add<DirListBox>();
    dirs->SetPixelRect(QRect(0, 0, 200, 200));
    SetProperty(*dirs, "Path", dir.path());
    ASSERT_EQ(dirs->ListCount(), 2);
    EXPECT_EQ(dirs->List(0), dir.filePath("audio"));
    EXPECT_EQ(dirs->List(1), dir.filePath("Scenes"));
    EXPECT_EQ(dirs->List(-1), QDir(dir.path()).absolutePath()) << "current folder is -1";
    EXPECT_EQ(dirs->ListIndex(), -1);
    EXPECT_EQ(dirs->List(-1 - (int(QDir(dir.path()).absolutePath().count('/')))), "/")
        << "the root heads the chain";
    dirs->SetListIndex(-2);
    EXPECT_EQ(dirs->Text(), QFileInfo(QDir(dir.path()).absolutePath()).absolutePath());
    dirs->SetListIndex(-1);
    EXPECT_EQ(dirs->Text(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(ErrorOf([&] { dirs->SetListIndex(-99); }), 380);
    // Click a subfolder, then double-click it to open it.
    int changes = 0;
    dirs->onChange = [&](Control&) { ++changes; };
    dirs->SetListIndex(1);
    dirs->OwnDoubleClick();
    EXPECT_EQ(dirs->Path(), QDir(dir.filePath("Scenes")).absolutePath());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dirs->ListCount(), 0);

    auto* drives = window.Add<DriveListBox>();
    EXPECT_EQ(std::get<QString>(GetProperty(*drives, "Drive")), "/");
    EXPECT_EQ(ErrorOf([&] { SetProperty(*drives, "Drive", QString("c:")); }), 68);
    EXPECT_EQ(std::get<qint32>(GetProperty(*drives, "ListCount")), 1);
}

TEST_F(MoreControlsTest, ArrayElementsCopyTheTemplateAndItsHandlers) {
    auto* tmpl = window.Add<CheckBox>("CheckBox");
    tmpl->SetCaption("Option");
    int clicked = -1;
    tmpl->onClick = [&](Control& c) { clicked = c.Index(); };
    ControlArray<CheckBox> boxes(tmpl);
    CheckBox* one = boxes.Load(1);
    EXPECT_EQ(one->Caption(), "Option");
    one->SetVisible(true);
    one->SetPixelRect(QRect(0, 100, 80, 17));
    Click({4, 108});
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(one->Value(), 1);
}

// One window with every new kind, saved for looking at.
TEST_F(MoreControlsTest, ScreenshotOfEveryNewKind) {
    window.SetPixelRect(QRect(0, 0, 480, 300));
    window.SetBackColor(kSysButtonFace);
    auto* c1 = window.Add<CheckBox>();
    c1->SetPixelRect(QRect(10, 10, 120, 17));
    c1->SetCaption("Subtitles");
    c1->SetValue(1);
    auto* c2 = window.Add<CheckBox>();
    c2->SetPixelRect(QRect(10, 30, 120, 17));
    c2->SetCaption("Music");
    auto* c3 = window.Add<CheckBox>();
    c3->SetPixelRect(QRect(10, 50, 120, 17));
    c3->SetCaption("Greyed");
    c3->SetValue(2);
    auto* t1 = window.Add<TextBox>();
    t1->SetPixelRect(QRect(10, 75, 140, 21));
    t1->SetText("Player one");
    t1->SetSelStart(7);
    t1->SetSelLength(3);
    auto* t2 = window.Add<TextBox>();
    t2->SetPixelRect(QRect(10, 100, 140, 21));
    t2->SetText("hunter2");
    t2->SetPasswordChar("*");
    auto* t3 = window.Add<TextBox>();
    t3->SetPixelRect(QRect(10, 125, 140, 50));
    t3->SetMultiLine(true);
    t3->SetText("Two lines\r\nof text");
    auto* list = window.Add<ListBox>();
    list->SetPixelRect(QRect(160, 10, 100, 90));
    for (const char* s : {"North", "East", "South", "West"}) list->AddItem(s);
    list->SetListIndex(1);
    auto* drives = window.Add<DriveListBox>();
    drives->SetPixelRect(QRect(160, 105, 100, 21));
    auto* dirs = window.Add<DirListBox>();
    dirs->SetPixelRect(QRect(270, 10, 200, 110));
    dirs->SetPath(QStringLiteral(STORYLOOM_SOURCE_DIR) + "/player");
    auto* files = window.Add<FileListBox>();
    files->SetPixelRect(QRect(270, 125, 200, 80));
    files->SetPath(QStringLiteral(STORYLOOM_SOURCE_DIR) + "/player/platform/forms");
    files->SetPattern("*.h");
    files->SetListIndex(0);
    const int shapes[] = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        auto* s = window.Add<ShapeControl>();
        s->SetPixelRect(QRect(10 + i * 75, 215, 70, 50));
        s->SetShape(shapes[i]);
        s->SetFillStyle(i % 2 ? 0 : 6);
        s->SetFillColor(Rgb(40 * i, 80, 200));
        s->SetBorderWidth(i == 4 ? 3 : 1);
    }
    auto* l1 = window.Add<LineControl>();
    l1->SetX1(150 * 15);
    l1->SetY1(190 * 15);
    l1->SetX2(470 * 15);
    l1->SetY2(190 * 15);
    l1->SetBorderColor(Rgb(200, 0, 0));
    l1->SetBorderWidth(2);
    auto* l2 = window.Add<LineControl>();
    l2->SetX1(150 * 15);
    l2->SetY1(205 * 15);
    l2->SetX2(470 * 15);
    l2->SetY2(180 * 15);
    l2->SetBorderStyle(2);
    window.SetFocusedControl(t1);
    ASSERT_TRUE(Renderer::SavePng(window, "/tmp/forms-more-controls.png"));
}

}  // namespace
}  // namespace storyloom::forms
