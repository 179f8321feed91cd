// Hotspots and text boxes: building them, their visibility and their damaged files.
#include "GameFixture.h"

namespace storyloom::test {
namespace {

using HotspotsTest = GameTest;
using TextBoxesTest = GameTest;

AuthoredHotspot At(double left, double top, double width = 600, double height = 600) {
    AuthoredHotspot h;
    h.Left = left;
    h.Top = top;
    h.Width = width;
    h.Height = height;
    return h;
}

TEST_F(HotspotsTest, ControlsAreTheRectanglesInsetByTwoPixels) {
    ColourFrame("Room");
    AuthoredHotspot thin = At(150, 150, 50, 3000);
    WriteHotspots(t.project, "Room", {At(1500, 600, 3000, 1500), thin});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    ASSERT_EQ(g.scene->AreaCount(), 2);
    EXPECT_EQ(g.scene->AreaRectTwips(1), QRect(1530, 630, 2940, 1440));
    EXPECT_LT(g.scene->AreaRectTwips(2).width(), 15);  // 50 twips leave a control of width 1 twip
    EXPECT_TRUE(g.scene->AreaVisible(1));
    EXPECT_TRUE(g.scene->AreaVisible(2));
}

TEST_F(HotspotsTest, MergedFileWinsForLoadingAndVisibility) {
    ColourFrame("Room");
    WriteHotspots(t.project, "Room", {At(0, 0)}, "fm2");
    AuthoredHotspot hidden = At(0, 0);
    hidden.HasConditions = 1;
    hidden.HideIfTrue = QStringList({"lamp"});
    WriteHotspots(t.project, "Room", {At(0, 0), At(0, 0), hidden}, "mr2");
    Game& g = Start();
    g.ChangeVariableValue("lamp", 1);
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_EQ(g.scene->AreaCount(), 3);
    EXPECT_FALSE(g.scene->AreaVisible(3));
}

TEST_F(HotspotsTest, VariableConditionsAndDisappearedHotspots) {
    ColourFrame("Room");
    AuthoredHotspot hideIfLamp = At(0, 0);
    hideIfLamp.HasConditions = 1;
    hideIfLamp.HideIfTrue = QStringList({"lamp"});
    AuthoredHotspot showIfDoor = At(0, 0);
    showIfDoor.HasConditions = 1;
    showIfDoor.ShowIfTrue = QStringList({"door_open"});
    AuthoredHotspot unknownVariable = At(0, 0);
    unknownVariable.HasConditions = 1;
    unknownVariable.HideIfTrue = QStringList({"no_such_variable", "LAMP"});
    unknownVariable.ShowIfTrue = QStringList({"no_such_variable"});
    AuthoredHotspot plain = At(0, 0);
    WriteHotspots(t.project, "Room", {hideIfLamp, showIfDoor, unknownVariable, plain});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_TRUE(g.scene->AreaVisible(1));
    EXPECT_FALSE(g.scene->AreaVisible(2));
    EXPECT_TRUE(g.scene->AreaVisible(3));  // names that match nothing (case matters) hide nothing
    EXPECT_TRUE(g.scene->AreaVisible(4));

    g.ChangeVariableValue("lamp", 1);
    g.ChangeVariableValue("door_open", 1);
    g.ShowOrNotShowAreas();
    EXPECT_FALSE(g.scene->AreaVisible(1));
    EXPECT_TRUE(g.scene->AreaVisible(2));

    // Hidden by an action: stays hidden whatever its conditions say; only in its own frame.
    g.state.vars.Disappear.Add("Room", 2);
    g.state.vars.Disappear.Add("Other", 4);
    g.ShowOrNotShowAreas();
    EXPECT_FALSE(g.scene->AreaVisible(2));
    EXPECT_TRUE(g.scene->AreaVisible(4));
}

TEST_F(HotspotsTest, MergedHotspotIndexIsTheFirstMergedRecord) {
    ColourFrame("Merged");
    ColourFrame("FirstOnly");
    std::vector<AuthoredHotspot> records(7, At(0, 0));
    for (int i = 4; i < 7; ++i) records[i].MergedFlag = 1;
    WriteHotspots(t.project, "Merged", records, "mr2");
    std::vector<AuthoredHotspot> first(3, At(0, 0));
    first[0].MergedFlag = 1;
    WriteHotspots(t.project, "FirstOnly", first, "mr2");
    Game& g = Start();
    g.OpenFrame("Merged", false, 0, 0);
    EXPECT_EQ(game->state.frame.MergedHotspotIndex, 5);
    g.OpenFrame("FirstOnly", false, 0, 0);
    EXPECT_EQ(game->state.frame.MergedHotspotIndex, 1);
}

TEST_F(HotspotsTest, ShortRecordsAndRecordsWithVideo) {
    ColourFrame("Room");
    AuthoredHotspot shortest = At(0, 0);
    shortest.WithSpeed = false;
    AuthoredHotspot speedOnly = At(0, 0);
    speedOnly.WithVideo = false;
    AuthoredHotspot video = At(1500, 1500, 900, 900);
    video.HasVideo = true;
    video.VideoFile = "loop.avi";
    video.VideoFitHotspot = 1;
    video.VideoRate = 0;
    video.VideoPlayCount = 3;
    video.VideoVolume = 8;
    WriteHotspots(t.project, "Room", {shortest, speedOnly, video});
    t.project.WriteText("Frames/loop.avi", "RIFF");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    ASSERT_EQ(g.scene->AreaCount(), 3);
    EXPECT_EQ(g.scene->AreaLink(1), 0);
    EXPECT_EQ(g.scene->AreaLink(3), -1);
    PlacedPlayer& v = g.scene->VideoPlayers().at(3);
    EXPECT_EQ(v.player->Rate(), 1.0);
    EXPECT_EQ(v.player->PlayCount(), 3);
    EXPECT_EQ(v.player->Volume(), -800);
    EXPECT_EQ(v.pixelRect, QRect(102, 102, 56, 56));
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(v.player->PlayState(), MediaPlayer::Playing);
    // Its face lies in the frame picture, under its own hotspot, where the player is placed.
    forms::VideoView* view = v.view.get();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Parent(), g.PictureBox);
    EXPECT_EQ(view->Player(), v.player.get());
    EXPECT_LT(view->ZIndex(), g.scene->Area->Item(3)->ZIndex());
    ASSERT_TRUE(view->placement);
    EXPECT_EQ(view->placement(), std::optional<QRect>(QRect(102, 102, 56, 56)));
    v.visible = false;
    EXPECT_EQ(view->placement(), std::nullopt);
    // The next frame takes the videos and their faces away.
    g.OpenFrame("Room", false, 0, 0);
    int views = 0;
    for (const auto& c : g.PictureBox->Children())
        if (c->Kind() == forms::ControlKind::VideoView) ++views;
    EXPECT_EQ(views, 1);
}

TEST_F(HotspotsTest, DamagedRecordIsReportedAndTheOthersLoad) {
    ColourFrame("Room");
    AuthoredHotspot cut = At(0, 0);
    cut.cutAfterField = 12;
    WriteHotspots(t.project, "Room", {At(1500, 0), cut});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    ASSERT_FALSE(t.Boxes().empty());
    EXPECT_EQ(t.Boxes()[0].text, ErrorText(" Unable to load hotspot #2. Input past end of file"));
    EXPECT_TRUE(g.scene->AreaVisible(1));
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
}

TEST_F(HotspotsTest, HotspotsAfterADamagedRecordKeepTheirNumbers) {
    ColourFrame("Room");
    AuthoredHotspot damaged = At(0, 0);
    damaged.HasVideo = true;
    damaged.VideoFile = "v.avi";
    WriteHotspots(t.project, "Room", {At(1500, 0), damaged, At(3000, 0)});
    // Text where the video's fit flag (a number) belongs.
    QString text =
        QString::fromLatin1(*t.files.ReadAll(t.project.NativePath("FramesData/Room.fm2")));
    text.replace("\"v.avi\"\r\n0\r\n", "\"v.avi\"\r\n\"fit\"\r\n");
    t.project.WriteText("FramesData/Room.fm2", text);
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_EQ(BoxTexts(), QStringList({ErrorText(" Unable to load hotspot #2. Type mismatch")}));
    ASSERT_EQ(g.scene->AreaCount(), 3);
    EXPECT_TRUE(g.scene->AreaVisible(3));
    EXPECT_EQ(g.scene->AreaRectTwips(3).topLeft(), QPoint(3030, 30));
}

TEST_F(HotspotsTest, HotspotPicturesShowAndHiddenOnesDoNot) {
    ColourFrame("Room", 0);
    WritePicture(t.project, "Areas/key.bmp", SolidImage(10, 10, QColor(0, 0, 255)));
    AuthoredHotspot key = At(150, 150, 450, 450);  // the control starts at pixel 12, 12
    key.HasPicture = true;
    key.PictureFile = "key.bmp";
    AuthoredHotspot hiddenKey = At(600, 150, 450, 450);
    hiddenKey.HasPicture = true;
    hiddenKey.PictureFile = "key.bmp";
    hiddenKey.HasConditions = 1;
    hiddenKey.ShowIfTrue = QStringList({"lamp"});
    WriteHotspots(t.project, "Room", {key, hiddenKey});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    QImage frame = g.RenderFrame();
    EXPECT_EQ(frame.pixel(15, 15), qRgb(0, 0, 255));
    EXPECT_EQ(frame.pixel(11, 11), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(22, 22), qRgb(0, 0, 0));  // not stretched: the picture's own size
    EXPECT_EQ(frame.pixel(45, 15), qRgb(0, 0, 0));
    g.ChangeVariableValue("lamp", 1);
    g.ShowOrNotShowAreas();
    EXPECT_EQ(g.RenderFrame().pixel(45, 15), qRgb(0, 0, 255));
}

TEST_F(HotspotsTest, MissingHotspotPictureIsReportedAndTheHotspotStillWorks) {
    ColourFrame("Room");
    AuthoredHotspot h = At(0, 0);
    h.HasPicture = true;
    h.PictureFile = "gone.bmp";
    WriteHotspots(t.project, "Room", {h});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    ASSERT_FALSE(t.Boxes().empty());
    EXPECT_TRUE(BoxTexts().contains(ErrorText(" Unable to load hotspot #1. File not found")))
        << BoxTexts().join("\n").toStdString();
    EXPECT_TRUE(g.scene->AreaVisible(1));
}

TEST_F(HotspotsTest, UnreadableHotspotFileIsReportedForLoadingAndVisibility) {
    ColourFrame("Room");
    t.project.MakeFolder("FramesData/Room.fm2");  // a name the frame's file cannot be read under
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_EQ(BoxTexts(),
              QStringList({ErrorText(" Unable to load hotspot #1. File not found"),
                           ErrorText(" Unable to set hotspots visibility. File not found")}));
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Room");
}

TEST_F(HotspotsTest, VideoThatCannotStartIsReported) {
    ColourFrame("Room");
    AuthoredHotspot video = At(0, 0);
    video.HasVideo = true;
    video.VideoFile = "broken.avi";
    WriteHotspots(t.project, "Room", {video});
    t.project.WriteText("Frames/broken.avi", "RIFF");
    media.unreadable << "broken.avi";
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(t.program.Messages(30) + " " + t.program.Messages(31) +
                                             "\r\n\r\nUnable to play video file. "));
}

AuthoredTextBox Text(const QString& caption, double left = 150, double top = 150) {
    AuthoredTextBox r;
    r.Caption = caption;
    r.Left = left;
    r.Top = top;
    return r;
}

TEST_F(TextBoxesTest, CaptionsFontsMergedFileAndNumbering) {
    ColourFrame("Three");
    ColourFrame("Merged");
    AuthoredTextBox noFont = Text("Plain");
    noFont.FontName = "";
    WriteTextBoxes(t.project, "Three", {Text("[EMPTY]"), noFont, Text("Third", 300, 450)});
    AuthoredTextBox merged = Text("merged");
    merged.MergedFlag = 1;
    WriteTextBoxes(t.project, "Merged", {Text("ignored")}, "fm1");
    WriteTextBoxes(t.project, "Merged", {Text("a"), Text("b"), merged}, "mr1");
    Game& g = Start();
    g.OpenFrame("Three", false, 0, 0);
    ASSERT_EQ(g.scene->TextCount(), 3);
    EXPECT_EQ(g.scene->TextCaption(1), "");
    EXPECT_EQ(g.scene->Text->Item(2)->Font().name, "Arial");
    EXPECT_EQ(g.scene->TextRectTwips(3).topLeft(), QPoint(300, 450));
    EXPECT_TRUE(g.scene->Text->Item(3)->Visible());

    g.OpenFrame("Merged", false, 0, 0);
    ASSERT_EQ(g.scene->TextCount(), 3);
    EXPECT_EQ(g.scene->TextCaption(1), "a");
    EXPECT_EQ(g.scene->TextCaption(3), "merged");
    EXPECT_EQ(game->state.frame.MergedTextIndex, 3);
}

TEST_F(TextBoxesTest, StylesAndColourAreApplied) {
    ColourFrame("Room", 0);
    AuthoredTextBox r = Text("WWWW", 150, 150);
    r.Bold = true;
    r.Italic = true;
    r.Underline = true;
    r.Strikethrough = true;
    r.FontSize = 14;
    r.TextColor = 0x00FF00;  // green
    WriteTextBoxes(t.project, "Room", {r});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    const forms::FontSpec& font = g.scene->Text->Item(1)->Font();
    EXPECT_TRUE(font.bold && font.italic && font.underline && font.strikethrough);
    EXPECT_EQ(font.size, 14);
    const QImage frame = g.RenderFrame();
    const QRect rect = g.scene->Text->Item(1)->PixelRect();
    int green = 0;
    for (int y = rect.top(); y <= rect.bottom() && y < frame.height(); ++y)
        for (int x = rect.left(); x <= rect.right() && x < frame.width(); ++x)
            if (frame.pixel(x, y) == qRgb(0, 255, 0)) ++green;
    EXPECT_GT(green, 5);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(0, 0, 0));  // transparent around the text
}

TEST_F(TextBoxesTest, BadValuesKeepTheirDefaultsAndTheBoxStillShows) {
    ColourFrame("Room");
    AuthoredTextBox badLeft = Text("Shown", 0, 300);
    badLeft.rawField = 12;  // left position
    badLeft.rawText = "\"far left\"";
    WriteTextBoxes(t.project, "Room", {badLeft, Text("Next", 600, 600)});
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    ASSERT_EQ(g.scene->TextCount(), 2);
    EXPECT_EQ(g.scene->TextCaption(1), "Shown");
    EXPECT_EQ(g.scene->TextRectTwips(1).topLeft(), QPoint(0, 300));
    EXPECT_TRUE(g.scene->Text->Item(1)->Visible());
    EXPECT_EQ(g.scene->TextRectTwips(2).topLeft(), QPoint(600, 600));
}

TEST_F(TextBoxesTest, UnreadableTextFileIsReportedInItsOwnBox) {
    ColourFrame("Room");
    t.project.MakeFolder("FramesData/Room.fm1");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, ErrorText(" Error loading TextBoxes. File not found"));
    EXPECT_EQ(g.scene->TextCount(), 0);
}

TEST_F(TextBoxesTest, TruncatedFileShowsWhatItHas) {
    ColourFrame("Room");
    t.project.WriteText("FramesData/Room.fm1", "0\r\n0\r\n0,0,0,0,0,0,0,0\r\n\"Half\"\r\n150\r\n");
    Game& g = Start();
    g.OpenFrame("Room", false, 0, 0);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("\n").toStdString();
    ASSERT_EQ(g.scene->TextCount(), 1);
    EXPECT_EQ(g.scene->TextCaption(1), "Half");
}

}  // namespace
}  // namespace storyloom::test
