// Schemes: button pictures, the tiled background, colours, the name flag and the logo choice,
// and what a missing or damaged scheme leaves.
#include "WelcomeFixture.h"

namespace storyloom::test {
namespace {

using SchemeTest = WelcomeTest;

constexpr qint64 kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr qint64 kRed = 0x0000FF;
constexpr qint64 kGreen = 0x00FF00;
constexpr qint64 kYellow = 0x00FFFF;

TEST_F(SchemeTest, StartPictureAndTiledBackgroundIgnoreTheBackgroundColour) {
    general.SchemeName = QStringLiteral("Wood");
    WritePicture(QStringLiteral("Schemes/Wood/start.bmp"), QSize(90, 24), QColor(200, 0, 0));
    WritePicture(QStringLiteral("Schemes/Wood/tile.bmp"), QSize(50, 40), QColor(0, 90, 0));
    SchemeFile s;
    s.pictures = {"start.bmp", "[none]", "[DEFAULT]", "tile.bmp"};
    s.colours = {kBlue, kRed, kYellow, kGreen};
    WriteScheme("Wood", s);
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_TRUE(w.Img[0]->Visible());
    EXPECT_EQ(w.Img[0]->GetPicture().Size(), QSize(90, 24));
    EXPECT_FALSE(w.lblButton[0]->Visible());
    EXPECT_FALSE(w.Img[1]->Visible());
    EXPECT_FALSE(w.Img[2]->Visible());
    EXPECT_TRUE(w.lblButton[1]->Visible());
    EXPECT_TRUE(w.lblButton[2]->Visible());
    EXPECT_EQ(w.lblButton[1]->Caption(), "  Load...");
    EXPECT_FALSE(w.Img[3]->Visible());  // the tile is never shown itself
    EXPECT_NE(w.window.BackColor(), forms::OleColor(kBlue));

    const QImage shot = Render();
    shot.save(QStringLiteral("/tmp/startup-scheme-wood.png"));
    // The tile covers the background, also at the window's far corner.
    EXPECT_EQ(shot.pixel(2, 2), qRgb(0, 90, 0));
    EXPECT_EQ(shot.pixel(shot.width() - 30, shot.height() - 2), qRgb(0, 90, 0));
    // The Start picture, centred over the space left of the logo.
    const QRect start = w.Img[0]->PixelRect();
    EXPECT_EQ(start.top(), 1080 / 15);
    EXPECT_EQ(shot.pixel(start.center()), qRgb(200, 0, 0));
    EXPECT_NEAR(start.center().x(), (120 + 4440) / 2 / 15, 1);
    // Colour 2 is the name's, colour 3 the lines', colour 4 the text buttons'.
    EXPECT_EQ(w.txtAdventureName->ForeColor(), forms::OleColor(kRed));
    EXPECT_EQ(w.txtAuthor->ForeColor(), forms::OleColor(kYellow));
    EXPECT_EQ(w.lblResolution->ForeColor(), forms::OleColor(kYellow));
    EXPECT_EQ(w.lblButton[1]->ForeColor(), forms::OleColor(kGreen));
}

TEST_F(SchemeTest, BackgroundColourWithoutATileAndButtonsKeepTheirColourWithThreeColours) {
    general.SchemeName = QStringLiteral("Plain");
    SchemeFile s;
    s.pictures = {"[none]", "[none]", "[none]", "[none]"};
    s.colours = {kBlue, kRed, kYellow};
    WriteScheme("Plain", s);
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_EQ(w.window.BackColor(), forms::OleColor(kBlue));
    EXPECT_EQ(w.lblButton[0]->ForeColor(), forms::Rgb(0, 0, 0));
    const QImage shot = Render();
    EXPECT_EQ(shot.pixel(2, 2), qRgb(0, 0, 255));
    // Some pixel of the Start caption has the text colour of the buttons (black).
    const QRect caption = w.lblButton[0]->PixelRect();
    bool dark = false;
    for (int y = caption.top(); y <= caption.bottom(); ++y)
        for (int x = caption.left(); x <= caption.right(); ++x)
            dark = dark || shot.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_TRUE(dark);
}

TEST_F(SchemeTest, NameFlagAndLogoChoice) {
    general.SchemeName = QStringLiteral("Night");
    SchemeFile s;
    s.pictures = {"[none]"};
    s.colours = {0, 0xFFFFFF, 0xC0C0C0, 0xFFFFFF};
    s.hideName = 1;
    s.logo = std::make_pair(1, true);
    WriteScheme("Night", s);
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_FALSE(w.txtAdventureName->Visible());
    EXPECT_EQ(t.program.info.LogoVariant, 1);
    EXPECT_TRUE(t.program.info.LogoWide);
    EXPECT_TRUE(w.imgLogo->Visible());
    EXPECT_EQ(w.imgLogo->Left(), 4440);
    EXPECT_EQ(w.imgLogo->Top(), -720);
    EXPECT_EQ(w.imgLogo->GetPicture(), w.imgLogos[3]);
    Render().save(QStringLiteral("/tmp/startup-scheme-night.png"));
    // The logo lies in front of everything.
    EXPECT_EQ(w.imgLogo->ZIndex(), int(w.window.Children().size()) - 1);
}

TEST_F(SchemeTest, LogoVariantsPickTheirPictures) {
    const std::array<std::pair<int, bool>, 4> choices = {
        std::make_pair(0, false), std::make_pair(1, false), std::make_pair(0, true),
        std::make_pair(1, true)};
    for (int i = 0; i < 4; ++i) {
        general.SchemeName = QStringLiteral("S%1").arg(i);
        SchemeFile s;
        s.pictures = {"[none]"};
        s.colours = {0, 0, 0};
        s.hideName = 0;
        s.logo = choices[size_t(i)];
        WriteScheme(general.SchemeName, s);
        ASSERT_TRUE(Start());
        EXPECT_EQ(welcome->imgLogo->GetPicture(), welcome->imgLogos[size_t(i)]) << i;
        EXPECT_EQ(welcome->imgLogo->Left(), i >= 2 ? 4440 : 4560) << i;
        EXPECT_TRUE(welcome->txtAdventureName->Visible());
        welcome.reset();
    }
    // The four pictures differ, and the wide ones are wider.
    EXPECT_EQ(BuiltInLogo(0).Size().width() + 8, BuiltInLogo(2).Size().width());
    EXPECT_NE(BuiltInLogo(0).Image(), BuiltInLogo(1).Image());
    EXPECT_NE(BuiltInLogo(2).Image(), BuiltInLogo(3).Image());
}

TEST_F(SchemeTest, HiddenLogo) {
    general.HideLogo = true;
    ASSERT_TRUE(Start());
    EXPECT_FALSE(welcome->imgLogo->Visible());
}

TEST_F(SchemeTest, MissingSchemeGivesTextButtonsWithTheMessageTexts) {
    general.SchemeName = QStringLiteral("Gone");
    t.project.WriteTexts(1);  // the game wording
    ASSERT_TRUE(Start());
    frmWelcome& w = *welcome;
    EXPECT_EQ(w.lblButton[0]->Caption(), "Start New Game");
    EXPECT_EQ(w.lblButton[1]->Caption(), "Load Game...");
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(w.lblButton[size_t(i)]->Visible());
        EXPECT_TRUE(w.lblButton[size_t(i)]->AutoSize());
        EXPECT_FALSE(w.Img[size_t(i)]->Visible());
    }
    EXPECT_EQ(w.window.BackColor(), forms::kSysButtonFace);
}

TEST_F(SchemeTest, NoPictureEntriesKeepTheBuiltInCaptions) {
    general.SchemeName = QStringLiteral("Empty");
    t.project.WriteTexts(1);
    SchemeFile s;
    s.pictureCount = 0;
    WriteScheme("Empty", s);
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->lblButton[0]->Caption(), "Start");
    EXPECT_EQ(welcome->lblButton[2]->Caption(), "Exit");
}

TEST_F(SchemeTest, EmptyLoadTextWithoutPictureHidesLoadAndMovesExitUp) {
    t.project.WriteTexts(2, {"Begin", "", "Quit"});
    ASSERT_TRUE(Start());
    EXPECT_FALSE(welcome->lblButton[1]->Visible());
    EXPECT_EQ(welcome->lblButton[2]->Top(), 1560);
    EXPECT_EQ(welcome->lblButton[0]->Caption(), "Begin");
}

TEST_F(SchemeTest, LoadDisabledHidesItsPictureAndLabel) {
    general.DisableLoadGame = true;
    general.SchemeName = QStringLiteral("Pics");
    for (const char* n : {"a", "b", "c"})
        WritePicture(QStringLiteral("Schemes/Pics/%1.bmp").arg(n), QSize(60, 20), Qt::white);
    SchemeFile s;
    s.pictures = {"a.bmp", "b.bmp", "c.bmp"};
    s.colours = {0, 0, 0};
    WriteScheme("Pics", s);
    ASSERT_TRUE(Start());
    EXPECT_FALSE(welcome->Img[1]->Visible());
    EXPECT_FALSE(welcome->lblButton[1]->Visible());
    EXPECT_TRUE(welcome->Img[2]->Visible());
    EXPECT_EQ(welcome->lblButton[2]->Top(), 1560);
}

TEST_F(SchemeTest, UnreadablePictureLeavesTheTextButton) {
    general.SchemeName = QStringLiteral("Broken");
    t.project.WriteFile(QStringLiteral("Schemes/Broken/bad.bmp"), "BM not really");
    SchemeFile s;
    s.pictures = {"missing.bmp", "bad.bmp"};
    s.colours = {kBlue, 0, 0};
    WriteScheme("Broken", s);
    ASSERT_TRUE(Start());
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(welcome->Img[size_t(i)]->Visible()) << i;
        EXPECT_TRUE(welcome->lblButton[size_t(i)]->Visible()) << i;
    }
    EXPECT_EQ(welcome->window.BackColor(), forms::OleColor(kBlue));  // reading went on
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(SchemeTest, DamagedSchemeStopsWhereItBreaks) {
    general.SchemeName = QStringLiteral("Cut");
    // Two entries announced, one written, then the file ends.
    t.project.WriteText(QStringLiteral("Schemes/Cut/Scheme.txt"),
                        "\"a\",\"b\",1\r\n2\r\n\"[none]\"\r\n");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(welcome->lblButton[0]->Visible());
    EXPECT_TRUE(welcome->lblButton[1]->Visible());
    EXPECT_EQ(welcome->window.BackColor(), forms::kSysButtonFace);

    // A count that is not a number ends the reading at once.
    welcome.reset();
    t.project.WriteText(QStringLiteral("Schemes/Cut/Scheme.txt"), "\"a\",\"b\",1\r\nlots\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->lblButton[0]->Caption(), "Start");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(SchemeTest, HugePictureCountEndsWithTheFile) {
    general.SchemeName = QStringLiteral("Huge");
    t.project.WriteText(QStringLiteral("Schemes/Huge/Scheme.txt"),
                        "\"a\",\"b\",1\r\n2000000000\r\n\"[none]\"\r\n");
    ASSERT_TRUE(Start());  // returns, does not loop for ever
    EXPECT_TRUE(welcome->lblButton[0]->Visible());
}

TEST_F(SchemeTest, ColourCountZeroLeavesTheColours) {
    general.SchemeName = QStringLiteral("NoColours");
    SchemeFile s;
    s.pictures = {"[none]", "[none]", "[none]"};
    s.colourCount = 0;
    WriteScheme("NoColours", s);
    ASSERT_TRUE(Start());
    EXPECT_EQ(welcome->window.BackColor(), forms::kSysButtonFace);
    EXPECT_EQ(welcome->txtAdventureName->ForeColor(), forms::Rgb(0, 0, 0));
}

}  // namespace
}  // namespace storyloom::test
