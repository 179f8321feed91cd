// The objects scripts reach the game through: hotspots, text boxes, spare controls, pictures,
// the frame history and the menus.
#include <QDir>

#include "ScriptFixture.h"
#include "game/water/GameWater.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Renderer.h"

namespace storyloom::test {
namespace {

using ObjectModelTest = ScriptTest;

TEST_F(ObjectModelTest, HotspotsAndTextBoxesByIndex) {
    Frame("Start", 3);
    WriteTextBoxes(t.project, "Start", {AuthoredTextBox{}});
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    ASSERT_TRUE(g.scene->AreaVisible(3));
    EXPECT_TRUE(
        Run("Hotspot(3).Visible = False\r\n"
            "Text(1).Caption = \"Changed\"\r\n"
            "Score = Hotspot(2).Left"));
    EXPECT_FALSE(g.scene->AreaVisible(3));
    EXPECT_TRUE(g.scene->AreaVisible(2));
    EXPECT_EQ(g.scene->TextCaption(1), "Changed");
    EXPECT_EQ(Var("Score"), 600 + 30);  // the control is inset by two pixels
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ObjectModelTest, ArrayMembersAndEnumeration) {
    Frame("Start", 2);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("For Each h In Hotspot\r\n  Score = Score + 1\r\nNext\r\n"
            "door_open = Hotspot.UBound * 10 + Hotspot.Count"));
    EXPECT_EQ(Var("Score"), 3);
    EXPECT_EQ(Var("door_open"), 23);
    // The array's members are global, but the language's own functions come first.
    EXPECT_TRUE(Run("a = Array(1, 2, 3, 4)\r\nScore = UBound(a)"));
    EXPECT_EQ(Var("Score"), 3);
}

TEST_F(ObjectModelTest, MissingElementIsARunErrorThatNamesIt) {
    Frame("Start", 1);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_FALSE(Run("Hotspot(9).Visible = False"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              RunErrorBox("Control array element '9' doesn't exist (line 1 of the script)"));
}

TEST_F(ObjectModelTest, UnknownPropertyAndReadOnlyProperty) {
    Frame("Start", 1);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_FALSE(Run("Hotspot(1).Colour = 3"));
    EXPECT_FALSE(Run("Hotspot(1).Name = \"x\""));
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(
        RunErrorBox("Object doesn't support this property or method")));
    EXPECT_EQ(t.Boxes()[1].text, RunErrorBox("Property is read-only (line 1 of the script)"));
}

TEST_F(ObjectModelTest, SpareControlsLoadAndUnload) {
    Start();
    EXPECT_TRUE(
        Run("If LoadControl(PictureBoxObject(1)) Then Score = 1\r\n"
            "If Not LoadControl(PictureBoxObject(1)) Then Score = Score + 10\r\n"
            "PictureBoxObject(1).Move 150, 300, 1500, 1500\r\n"
            "PictureBoxObject(1).Visible = True\r\n"
            "If LoadControl(ImageBoxObject(2)) Then door_open = ImageBoxObject.UBound"));
    EXPECT_EQ(Var("Score"), 11);
    EXPECT_EQ(Var("door_open"), 2);
    ASSERT_TRUE(host.PicBox->Exists(1));
    EXPECT_EQ(host.PicBox->Item(1)->PixelRect(), QRect(10, 20, 100, 100));
    EXPECT_TRUE(host.PicBox->Item(1)->Visible());
    EXPECT_TRUE(
        Run("If UnloadControl(PictureBoxObject(1)) Then Score = 0\r\n"
            "If Not UnloadControl(PictureBoxObject(0)) Then door_open = 0"));
    EXPECT_EQ(Var("Score"), 0);
    EXPECT_EQ(Var("door_open"), 0);
    EXPECT_FALSE(host.PicBox->Exists(1));
    // A kept reference to an unloaded element is an error, not a crash.
    EXPECT_FALSE(
        Run("LoadControl TimerObject(4)\r\nSet t = TimerObject(4)\r\n"
            "UnloadControl TimerObject(4)\r\nt.Interval = 5"));
}

TEST_F(ObjectModelTest, EverySpareControlKindLoadsAndWorks) {
    t.project.WriteFile(QStringLiteral("External/notes.txt"), QByteArray("n"));
    t.project.WriteFile(QStringLiteral("External/map.txt"), QByteArray("m"));
    t.project.WriteFile(QStringLiteral("External/map.bmp"), QByteArray("b"));
    Game& g = Start();
    EXPECT_TRUE(
        Run("LoadControl CheckBoxObject(1)\r\n"
            "CheckBoxObject(1).Value = 1\r\n"
            "LoadControl TextBoxObject(1)\r\n"
            "TextBoxObject(1).Text = \"typed\"\r\n"
            "LoadControl ListBoxObject(1)\r\n"
            "ListBoxObject(1).AddItem \"lamp\"\r\n"
            "ListBoxObject(1).AddItem \"key\"\r\n"
            "ListBoxObject(1).List(0) = \"oil lamp\"\r\n"
            "LoadControl FileBoxObject(1)\r\n"
            "FileBoxObject(1).Pattern = \"*.txt\"\r\n"
            "FileBoxObject(1).Path = GetPath(2)\r\n"
            "LoadControl DirBoxObject(1)\r\n"
            "LoadControl DriveBoxObject(1)\r\n"
            "LoadControl LineObject(1)\r\n"
            "LineObject(1).X2 = 600\r\n"
            "LoadControl ShapeObject(1)\r\n"
            "ShapeObject(1).Move 0, 0, 300, 300\r\n"
            "ShapeObject(1).FillStyle = 0\r\n"
            "ShapeObject(1).FillColor = RGB(255, 0, 0)\r\n"
            "ShapeObject(1).Visible = True\r\n"
            "Score = CheckBoxObject(1).Value + FileBoxObject(1).ListCount * 10\r\n"
            "PlayerName = TextBoxObject(1).Text & \"/\" & ListBoxObject(1).List(0) & \"/\" & "
            "FileBoxObject(1).List(0) & \"/\" & TypeName(DriveBoxObject(1))"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(Var("Score"), 21);
    EXPECT_EQ(VarText("PlayerName"), "typed/oil lamp/map.txt/DriveListBox");
    ASSERT_TRUE(host.LineObject->Exists(1));
    EXPECT_DOUBLE_EQ(host.LineObject->Item(1)->X2(), 600);
    // The shape is drawn on the game window, over the frame.
    const QImage window = forms::Renderer::Compose(g.window);
    EXPECT_EQ(QColor(window.pixel(10, 10)), QColor(Qt::red));
    // The folder list starts in the game's folder.
    EXPECT_TRUE(Run("PlayerName = DirBoxObject(1).Path"));
    EXPECT_EQ(VarText("PlayerName"),
              QDir::cleanPath(t.program.platform.files.NativePath(t.program.paths.ProjectPath)));
    // The window reaches them by their control names too.
    EXPECT_TRUE(Run("AllowControlsReferencesNextTime"));
    EXPECT_TRUE(Run("Score = SoftwareObjects.CheckBox(1).Value"));
    EXPECT_EQ(Var("Score"), 1);
}

TEST_F(ObjectModelTest, BackgroundTakesAPictureFromLoadGraphicFile) {
    WritePicture(t.project, "Areas/x.bmp", SolidImage(8, 6, Qt::red));
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("BackgroundObject.Picture = LoadGraphicFile(\"x.bmp\")\r\n"
            "Score = BackgroundObject.Picture.Width"))
        << BoxTexts().join("|").toStdString();
    EXPECT_EQ(g.PictureBox->GetPicture().Size(), QSize(8, 6));
    EXPECT_GT(Var("Score"), 0);
    EXPECT_TRUE(Run("LoadAPicture BackgroundObject, \"\""));
    EXPECT_TRUE(g.PictureBox->GetPicture().IsEmpty());
}

TEST_F(ObjectModelTest, FramesHistoryAndMenus) {
    Frame("Start");
    Frame("Second");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    g.OpenFrame("Second", false, 0, 0);
    EXPECT_TRUE(
        Run("Score = FramesHistoryObject.ListCount\r\n"
            "PlayerName = FramesHistoryObject.List(0)\r\n"
            "ExitMenuObject.Visible = False\r\n"
            "TransitionsMenuObject.Checked = True\r\n"
            "SaveMenuObject.Caption = \"Keep\""));
    EXPECT_EQ(Var("Score"), 2);
    EXPECT_TRUE(Run("If PlayerName = \"Start\" Then door_open = 1"));
    EXPECT_EQ(Var("door_open"), 1);
    EXPECT_FALSE(g.menus.ExitVisible);
    EXPECT_TRUE(g.menus.DisableTransitionsChecked);
    EXPECT_EQ(g.menus.SaveGameCaption, "Keep");
    EXPECT_TRUE(Run("If Not GetTransitionsStatus() Then Score = 5"));
    EXPECT_EQ(Var("Score"), 5);
}

TEST_F(ObjectModelTest, MissingSubsystemsNameThemselves) {
    Start();
    EXPECT_FALSE(Run("DialogueObject(1).Visible = True"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              RunErrorBox("The object DialogueObject is not available in this player (line 1 of "
                          "the script)"));
}

TEST_F(ObjectModelTest, PrinterMembersAreGlobal) {
    RecordingPrinting printers;
    printers.Add(QStringLiteral("Desk printer"));
    host.printing = &printers;
    Start();
    EXPECT_TRUE(
        Run("Print \"Keeper's log\"\r\n"
            "EndDoc\r\n"
            "Score = PrintersCollection.Count\r\n"
            "If PrinterObject.DeviceName = \"Desk printer\" Then door_open = 1"))
        << BoxTexts().join("|").toStdString();
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(printers.documents[0].printer, "Desk printer");
    EXPECT_EQ(printers.documents[0].pages.size(), 1u);
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(Var("door_open"), 1);
}

TEST_F(ObjectModelTest, WithoutPrintersPrintingIsARunError) {
    Start();
    EXPECT_TRUE(Run("Score = PrintersCollection.Count + 5"));
    EXPECT_EQ(Var("Score"), 5);
    EXPECT_FALSE(Run("PrinterObject.Print \"x\""));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Printer driver unavailable (line 1 of the script)"));
}

TEST_F(ObjectModelTest, ScriptControlTimeoutIsReachable) {
    Start();
    EXPECT_TRUE(Run("ScriptControlObject.Timeout = 2500"));
    EXPECT_EQ(host.ScriptControl.Timeout(), 2500);
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {
namespace {

TEST_F(ObjectModelTest, WaterObjectAndTheEffectsSwitch) {
    QImage sea(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) sea.setPixel(x, y, qRgb((x / 3) % 2 ? 230 : 20, y * 5, 90));
    WritePicture(t.project, "Frames/sea.bmp", sea);
    FrameFile f;
    f.BackgroundType = 1;
    f.BackgroundValue = "sea.bmp";
    t.project.WriteFrame("Sea", f);
    QImage mask(64, 24, QImage::Format_RGB32);
    mask.fill(Qt::black);
    t.project.WriteWaterEffect("Sea", 0, 24, 64, 24, 3, 8, false, mask);
    beforeAttach = [](Game& g) {
        auto water = std::make_shared<GameWater>(g);
        g.services.ripple = water.get();
        g.Keep(water);
    };
    Game& g = Start();
    g.OpenFrame("Sea", false, 0, 0);
    ASSERT_TRUE(g.services.ripple->EffectActive());
    EXPECT_TRUE(
        Run("Score = RipplingWaterObject.Top \\ 15\r\n"
            "If GetEffectsStatus() Then door_open = 1"));
    EXPECT_EQ(Var("Score"), 24);
    EXPECT_EQ(Var("door_open"), 1);

    EXPECT_TRUE(
        Run("InvertEffectsStatus\r\n"
            "If Not RipplingWaterObject.Visible Then Score = 7\r\n"
            "If Not GetEffectsStatus() Then door_open = 2"));
    EXPECT_EQ(Var("Score"), 7);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_FALSE(g.services.ripple->EffectActive());
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableEffects), "True");
    EXPECT_TRUE(Run("InvertEffectsStatus"));
    EXPECT_TRUE(g.services.ripple->EffectActive());
    EXPECT_EQ(t.program.GetUserSetting(UserKeys::kDisableEffects), "False");
}

}  // namespace
}  // namespace storyloom::test
