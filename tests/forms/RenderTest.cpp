// Composing windows into images: positions in twips, z-order, stretching, containers, labels,
// drawing methods, letterboxing, fonts; and a screenshot of every control kind.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>

#include "FormsTestSupport.h"
#include "ShowcaseWindow.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {
namespace {

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApp();
        window.SetPixelRect(QRect(0, 0, 100, 80));
        window.SetBackColor(Rgb(255, 0, 0));
    }
    static Picture Solid(QSize size, QRgb color) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(color);
        return Picture::FromImage(img);
    }
    Window window;
};

TEST_F(RenderTest, ControlsLandAtTheirTwipPositions) {
    auto* img = window.Add<Image>();
    img->Move(150, 300);
    img->SetPicture(Solid(QSize(10, 10), qRgb(0, 0, 255)));
    const QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.size(), QSize(100, 80));
    EXPECT_EQ(out.format(), QImage::Format_RGB32);
    EXPECT_EQ(out.pixel(10, 20), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(19, 29), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(9, 20), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(20, 30), qRgb(255, 0, 0));
    img->SetVisible(false);
    EXPECT_EQ(Renderer::Compose(window).pixel(10, 20), qRgb(255, 0, 0));
}

TEST_F(RenderTest, LaterSiblingsCoverEarlierOnesUntilTheZOrderChanges) {
    auto* back = window.Add<Image>("back");
    back->SetPicture(Solid(QSize(20, 20), qRgb(0, 255, 0)));
    auto* front = window.Add<Image>("front");
    front->Move(150, 150);
    front->SetPicture(Solid(QSize(20, 20), qRgb(0, 0, 255)));
    EXPECT_EQ(Renderer::Compose(window).pixel(15, 15), qRgb(0, 0, 255));
    back->ZOrder(0);
    EXPECT_EQ(Renderer::Compose(window).pixel(15, 15), qRgb(0, 255, 0));
    back->ZOrder(1);
    EXPECT_EQ(Renderer::Compose(window).pixel(15, 15), qRgb(0, 0, 255));
}

TEST_F(RenderTest, StretchFillsTheControlOtherwiseThePictureKeepsItsSize) {
    QImage quad(2, 2, QImage::Format_RGB32);
    quad.setPixel(0, 0, qRgb(255, 255, 255));
    quad.setPixel(1, 0, qRgb(0, 0, 255));
    quad.setPixel(0, 1, qRgb(0, 255, 0));
    quad.setPixel(1, 1, qRgb(0, 0, 0));
    auto* img = window.Add<Image>();
    img->SetStretch(true);
    img->Move(0, 0, 300, 300);  // 20 x 20 pixels
    img->SetPicture(Picture::FromImage(quad));
    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(19, 0), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(0, 19), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(19, 19), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(9, 9), qRgb(255, 255, 255));  // nearest pixel, no blending
    img->SetStretch(false);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(RenderTest, TransparentPicturesShowWhatIsBehind) {
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixel(1, 1, qRgba(0, 0, 255, 255));
    auto* img = window.Add<Image>();
    img->SetPicture(Picture::FromImage(icon));
    const QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(2, 2), qRgb(255, 0, 0));
}

TEST_F(RenderTest, ContainersOffsetAndClipTheirChildren) {
    auto* box = window.Add<PictureBox>();
    box->SetPixelRect(QRect(10, 10, 30, 30));
    box->SetBackColor(Rgb(0, 255, 0));
    auto* child = box->Add<Image>();
    child->SetPicture(Solid(QSize(40, 5), qRgb(0, 0, 255)));
    QImage out = Renderer::Compose(window);
    // The 3D border takes two pixels; the child starts inside it and is cut at the box's edge.
    EXPECT_EQ(out.pixel(10, 10), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(out.pixel(12, 12), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(37, 12), qRgb(0, 0, 255));
    EXPECT_NE(out.pixel(38, 12), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(42, 12), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(20, 30), qRgb(0, 255, 0));
    box->SetBorderStyle(0);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(10, 10), qRgb(0, 0, 255));
    box->SetVisible(false);
    EXPECT_EQ(Renderer::Compose(window).pixel(12, 12), qRgb(255, 0, 0));
}

TEST_F(RenderTest, FramesHoldTheirChildrenAndTimersDrawNothing) {
    auto* frame = window.Add<Frame>();
    frame->SetPixelRect(QRect(50, 20, 40, 40));
    frame->SetBackColor(Rgb(0, 255, 0));
    frame->SetBorderStyle(0);
    auto* inside = frame->Add<Image>();
    inside->SetPixelRect(QRect(30, 30, 20, 20));
    inside->SetPicture(Solid(QSize(20, 20), qRgb(0, 0, 255)));
    inside->SetStretch(true);
    const QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(51, 21), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(81, 51), qRgb(0, 0, 255));  // frame origin, no border offset
    EXPECT_EQ(out.pixel(91, 51), qRgb(255, 0, 0));  // cut at the frame's edge
    EXPECT_EQ(window.HitTest(QPoint(85, 55)).control, inside);
    EXPECT_EQ(window.HitTest(QPoint(85, 55)).local, QPoint(5, 5));
}

TEST_F(RenderTest, LabelsFillOnlyWhenOpaqueAndDrawTheirText) {
    auto* label = window.Add<Label>();
    label->SetPixelRect(QRect(0, 0, 100, 40));
    label->SetBackColor(Rgb(255, 255, 255));
    label->SetForeColor(Rgb(0, 0, 0));
    label->SetFont(FontSpec{"Arial", 20, true, false, false, false});
    label->SetCaption("MMMM");
    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(99, 39), qRgb(255, 255, 255));
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) dark += qGray(out.pixel(x, y)) < 60;
    EXPECT_GT(dark, 100);
    label->SetBackStyle(0);
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(99, 39), qRgb(255, 0, 0));

    // Right alignment puts the ink at the right end.
    label->SetBackStyle(1);
    label->SetAlignment(1);
    out = Renderer::Compose(window);
    int leftInk = 0, rightInk = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            if (qGray(out.pixel(x, y)) < 60) (x < 50 ? leftInk : rightInk)++;
    EXPECT_GT(rightInk, leftInk);
}

TEST_F(RenderTest, DrawingMethodsPersistOnTheCanvas) {
    auto* box = window.Add<PictureBox>();
    box->SetBorderStyle(0);
    box->SetPixelRect(QRect(0, 0, 60, 60));
    box->SetScaleMode(3);
    box->SetAutoRedraw(true);
    box->SetBackColor(Rgb(0, 0, 0));
    box->PaintPicture(Solid(QSize(2, 2), qRgb(0, 0, 255)), 10, 10, 20, 20);
    QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(29, 29), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(30, 30), qRgb(0, 0, 0));

    // A constant-opacity blend of white over black gives grey.
    QImage white(60, 60, QImage::Format_RGB32);
    white.fill(Qt::white);
    box->AlphaBlend(white, QRect(0, 0, 60, 60), QPoint(0, 0), 128);
    out = Renderer::Compose(window);
    EXPECT_NEAR(qRed(out.pixel(40, 40)), 128, 2);

    // Copying a stretched rectangle.
    QImage src(2, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(255, 255, 0));
    src.setPixel(1, 0, qRgb(0, 255, 255));
    box->CopyRect(src, QRect(0, 0, 2, 1), QRect(0, 40, 20, 10));
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(2, 45), qRgb(255, 255, 0));
    EXPECT_EQ(out.pixel(18, 45), qRgb(0, 255, 255));

    box->SetCurrentX(5);
    box->SetCurrentY(5);
    box->Print("line one\r\nline two");
    EXPECT_GT(box->CurrentY(), 20);
    EXPECT_EQ(box->CurrentX(), 0);

    box->Cls();
    out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(box->CurrentY(), 0);

    // A new background colour clears the drawing too.
    box->Line(0, 0, 10, 10, Rgb(255, 255, 255), true, true);
    box->SetBackColor(Rgb(0, 255, 0));
    EXPECT_EQ(Renderer::Compose(window).pixel(5, 5), qRgb(0, 255, 0));
}

TEST_F(RenderTest, LetterboxingKeepsTheAspectAndCentres) {
    EXPECT_EQ(LetterboxRect(QSize(640, 480), QSize(1920, 1080), ScalingMode::Smooth),
              QRect(240, 0, 1440, 1080));
    EXPECT_EQ(LetterboxRect(QSize(640, 480), QSize(1920, 1080), ScalingMode::Sharp),
              QRect(320, 60, 1280, 960));
    EXPECT_EQ(LetterboxRect(QSize(1024, 768), QSize(1920, 1080), ScalingMode::Sharp),
              QRect(448, 156, 1024, 768));
    EXPECT_EQ(LetterboxRect(QSize(800, 600), QSize(640, 480), ScalingMode::Sharp),
              QRect(0, 0, 640, 480));
    EXPECT_TRUE(LetterboxRect(QSize(0, 0), QSize(10, 10), ScalingMode::Smooth).isEmpty());

    QImage frame(4, 3, QImage::Format_RGB32);
    frame.fill(Qt::white);
    frame.setPixel(0, 0, qRgb(0, 0, 255));
    QImage screen(16, 9, QImage::Format_RGB32);
    screen.fill(Qt::green);
    {
        QPainter painter(&screen);
        Present(painter, frame, screen.rect(), ScalingMode::Sharp);  // factor 3: 12x9 at x 2
    }
    EXPECT_EQ(screen.pixel(0, 4), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(15, 4), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(4, 2), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(5, 3), qRgb(255, 255, 255));
    EXPECT_EQ(MapToFrame(QPoint(13, 8), frame.size(), screen.rect(), ScalingMode::Sharp),
              QPoint(3, 2));
    EXPECT_EQ(MapToFrame(QPoint(0, 0), frame.size(), screen.rect(), ScalingMode::Sharp),
              QPoint(0, 0));
}

TEST_F(RenderTest, FontSizesArePixelsAt96DpiAndWindowsNamesResolve) {
    EXPECT_EQ(PointsToPixels(8.25), 11);
    EXPECT_EQ(PointsToPixels(12), 16);
    EXPECT_EQ(MakeQFont(FontSpec{"Arial", 12, false, false, false, false}).pixelSize(), 16);
    EXPECT_EQ(QFontInfo(MakeQFont(FontSpec{"Arial", 12, false, false, false, false})).family(),
              "Liberation Sans");
    EXPECT_EQ(
        QFontInfo(MakeQFont(FontSpec{"Times New Roman", 12, false, false, false, false})).family(),
        "Liberation Serif");
    if (!QFile::exists("/etc/fonts/conf.d/60-storyloom-aliases.conf"))
        GTEST_SKIP() << "font aliases not installed (scripts/install-deps.sh)";
    EXPECT_EQ(
        QFontInfo(MakeQFont(FontSpec{"MS Sans Serif", 8.25, false, false, false, false})).family(),
        "DejaVu Sans Condensed");
    EXPECT_EQ(QFontInfo(MakeQFont(FontSpec{"Tahoma", 10, false, false, false, false})).family(),
              "DejaVu Sans Condensed");
    EXPECT_EQ(QFontInfo(MakeQFont(FontSpec{"Verdana", 10, false, false, false, false})).family(),
              "DejaVu Sans");
    EXPECT_EQ(
        QFontInfo(MakeQFont(FontSpec{"Comic Sans MS", 10, false, false, false, false})).family(),
        "Comic Neue");
    EXPECT_GT(MakeQFont(FontSpec{"Comic Sans MS", 10, false, false, false, false}).stretch(), 105);
}

// Every control kind on one window, saved for looking at; the main pixels are checked here.
TEST_F(RenderTest, ScreenshotOfEveryControlKind) {
    const QImage gradient = test::BuildShowcase(window);
    const QString platform = QGuiApplication::platformName();
    ASSERT_TRUE(
        Renderer::SavePng(window, QStringLiteral("/tmp/forms-every-control-%1.png").arg(platform)));
    const QImage out = Renderer::Compose(window);
    EXPECT_EQ(out.pixel(5, 5), qRgb(0, 0, 128));                  // window background
    EXPECT_EQ(out.pixel(12, 12 + 100), gradient.pixel(0, 100));   // the box's picture
    EXPECT_EQ(out.pixel(12, 12 + 125), ToRgb32(kSysButtonFace));  // below it: its back colour
    EXPECT_EQ(out.pixel(12 + 80, 12), gradient.pixel(80, 0));
}

}  // namespace
}  // namespace storyloom::forms
