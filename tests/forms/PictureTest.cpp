// Picture decoding by content, the pointer-file parser, GIF timing and the decode cache.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "FormsTestSupport.h"
#include "platform/forms/Cursor.h"
#include "platform/forms/Picture.h"

namespace storyloom::forms {
namespace {

using test::EnsureApp;

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureApp(); }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST_F(PictureTest, SixteenBitBitmapsUseTheirMasksExactly) {
    // 5-6-5: full red, full green, a middle blue, and 5-5-5 without masks.
    const auto r565 = test::Bmp16(3, 1, {0xF800, 0x07E0, 0x0010}, {0xF800, 0x07E0, 0x001F});
    PictureResult p = DecodePicture(r565);
    ASSERT_TRUE(p.Ok());
    const QImage& img = p.picture.Image();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(2, 0), qRgb(0, 0, 132));  // 16 of 31
    const auto r555 = test::Bmp16(2, 2, {0x7C00, 0x03E0, 0x001F, 0x7FFF});
    p = DecodePicture(r555);
    ASSERT_TRUE(p.Ok());
    EXPECT_EQ(p.picture.Image().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(p.picture.Image().pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(p.picture.Image().pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(p.picture.Image().pixel(1, 1), qRgb(255, 255, 255));
}

TEST_F(PictureTest, OtherBitmapDepthsAndRunLengthDecode) {
    const PictureResult rle = DecodePicture(test::BmpRle8());
    ASSERT_TRUE(rle.Ok()) << rle.errorDescription.toStdString();
    const QImage& img = rle.picture.Image();
    ASSERT_EQ(img.size(), QSize(4, 2));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(3, 0), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(2, 1), qRgb(0, 255, 0));

    QImage source(5, 3, QImage::Format_RGB32);
    source.fill(qRgb(10, 200, 30));
    source.setPixel(4, 2, qRgb(250, 5, 5));
    for (auto format : {QImage::Format_RGB888, QImage::Format_Mono, QImage::Format_Indexed8}) {
        QImage converted = source.convertToFormat(format);
        const PictureResult p = DecodePicture(Encode(converted, "BMP"));
        ASSERT_TRUE(p.Ok()) << format;
        EXPECT_EQ(p.picture.Image().format(), QImage::Format_RGB32);
        EXPECT_EQ(p.picture.Image().pixel(4, 2),
                  converted.convertToFormat(QImage::Format_RGB32).pixel(4, 2));
    }
}

TEST_F(PictureTest, JpegAndGifAreReadByContentNotByName) {
    QImage source(64, 32, QImage::Format_RGB32);
    source.fill(qRgb(0, 0, 250));
    const QString jpeg = Write("picture.bmp", Encode(source, "JPEG"));
    const PictureResult p = LoadPictureFile(jpeg);
    ASSERT_TRUE(p.Ok());
    EXPECT_EQ(p.picture.Size(), QSize(64, 32));
    EXPECT_GT(qBlue(p.picture.Image().pixel(10, 10)), 230);

    const PictureResult gif = DecodePicture(test::Gif({0, 1}, 0));
    ASSERT_TRUE(gif.Ok());
    EXPECT_EQ(gif.picture.Size(), QSize(1, 1));
    EXPECT_EQ(gif.picture.Image().pixel(0, 0) | 0xFF000000u, qRgb(255, 0, 0));  // first frame
}

TEST_F(PictureTest, GifDelaysComeFromTheFileUnrounded) {
    const auto timing = ReadGifTiming(test::Gif({0, 1, 7}, 3));
    ASSERT_TRUE(timing);
    EXPECT_EQ(timing->delaysCs, (std::vector<int>{0, 1, 7}));
    EXPECT_EQ(timing->loopCount, 3);
    EXPECT_EQ(ReadGifTiming(test::Gif({5}, -1))->loopCount, -1);

    const auto animation = DecodeGifAnimation(test::Gif({0, 1}, 0));
    ASSERT_TRUE(animation);
    ASSERT_EQ(animation->frames.size(), 2u);
    EXPECT_EQ(animation->delaysMs, (std::vector<int>{0, 10}));
    EXPECT_EQ(animation->loopCount, 0);
    EXPECT_EQ(animation->frames[1].pixel(0, 0) | 0xFF000000u, qRgb(0, 0, 255));
}

TEST_F(PictureTest, CursorGivesHotSpotInvertPixelsAndTransparency) {
    const auto bytes = test::MonoCursor(true, 3, 5, {QPoint(1, 1)}, {QPoint(2, 2)}, {QPoint(4, 4)});
    const auto cursor = ParseCursorFile(bytes);
    ASSERT_TRUE(cursor);
    EXPECT_TRUE(cursor->isCursor);
    EXPECT_EQ(cursor->hotSpot, QPoint(3, 5));
    EXPECT_EQ(cursor->image.pixel(1, 1), qRgba(255, 255, 255, 255));
    EXPECT_EQ(cursor->image.pixel(2, 2), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(cursor->image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(cursor->image.pixel(4, 4)), 0);
    EXPECT_TRUE(cursor->hasInvertPixels);
    EXPECT_EQ(qGray(cursor->invertMask.pixel(4, 4)), 255);
    EXPECT_EQ(qGray(cursor->invertMask.pixel(1, 1)), 0);

    // As a picture the pointer keeps its hot spot; an icon has none and is an icon picture.
    const PictureResult picture = DecodePicture(bytes);
    ASSERT_TRUE(picture.Ok());
    EXPECT_TRUE(picture.picture.IsCursor());
    EXPECT_EQ(picture.picture.HotSpot(), QPoint(3, 5));
    const PictureResult icon = DecodePicture(test::MonoCursor(false, 0, 0, {QPoint(0, 0)}, {}, {}));
    ASSERT_TRUE(icon.Ok());
    EXPECT_EQ(icon.picture.Type(), PictureType::Icon);
    EXPECT_FALSE(icon.picture.IsCursor());
    EXPECT_EQ(icon.picture.HotSpot(), QPoint(0, 0));
}

TEST_F(PictureTest, AlphaIconKeepsItsAlpha) {
    const PictureResult icon = DecodePicture(test::AlphaIcon(qRgb(0, 128, 255)));
    ASSERT_TRUE(icon.Ok());
    EXPECT_TRUE(icon.picture.HasTransparency());
    const QImage straight = icon.picture.Image().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(straight.pixel(0, 0), qRgba(0, 128, 255, 255));
    EXPECT_EQ(qAlpha(straight.pixel(3, 3)), 0);
}

TEST_F(PictureTest, MetafilesAreDrawnAtTheirHeaderSize) {
    const PictureResult wmf = DecodePicture(test::Wmf(0x000000FF));  // red
    ASSERT_TRUE(wmf.Ok()) << wmf.errorDescription.toStdString();
    EXPECT_EQ(wmf.picture.Type(), PictureType::Metafile);
    EXPECT_EQ(wmf.picture.Size(), QSize(96, 48));
    const QRgb centre = wmf.picture.Image().pixel(48, 24);
    EXPECT_GT(qRed(centre), 200);
    EXPECT_LT(qGreen(centre), 60);

    const PictureResult emf = DecodePicture(test::Emf(0x0000FF00));  // green
    ASSERT_TRUE(emf.Ok()) << emf.errorDescription.toStdString();
    EXPECT_EQ(emf.picture.Type(), PictureType::EnhMetafile);
    EXPECT_EQ(emf.picture.Size(), QSize(96, 48));
    const QRgb middle = emf.picture.Image().pixel(48, 24);
    EXPECT_GT(qGreen(middle), 200);
    EXPECT_LT(qRed(middle), 60);
}

TEST_F(PictureTest, DamagedAndMissingPicturesFailWithBasicsErrors) {
    const PictureResult missing = LoadPictureFile(dir.filePath("nothing.bmp"));
    EXPECT_EQ(missing.errorNumber, kErrFileNotFound);
    EXPECT_EQ(DecodePicture(QByteArray("not a picture at all")).errorNumber, kErrInvalidPicture);
    EXPECT_EQ(DecodePicture(QByteArray()).errorNumber, kErrInvalidPicture);
    // PNG was never a picture format of the original's pictures.
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::red);
    EXPECT_EQ(DecodePicture(Encode(img, "PNG")).errorNumber, kErrInvalidPicture);

    // Every cut of every kind of file either decodes or fails cleanly.
    QImage big(40, 30, QImage::Format_RGB32);
    big.fill(qRgb(1, 2, 3));
    const std::vector<QByteArray> files = {
        test::Bmp16(3, 2, {1, 2, 3, 4, 5, 6}, {0xF800, 0x07E0, 0x001F}),
        test::BmpRle8(),
        Encode(big, "BMP"),
        Encode(big, "JPEG"),
        test::Gif({1, 2}, 0),
        test::MonoCursor(true, 1, 1, {QPoint(1, 1)}, {}, {}),
        test::AlphaIcon(qRgb(1, 2, 3)),
        test::Wmf(0xFF),
        test::Emf(0xFF00)};
    for (const QByteArray& file : files) {
        for (qsizetype cut = 0; cut < file.size();
             cut += std::max<qsizetype>(1, file.size() / 60)) {
            const PictureResult p = DecodePicture(file.left(cut));
            if (!p.Ok()) {
                EXPECT_EQ(p.errorNumber, kErrInvalidPicture);
            } else {
                EXPECT_FALSE(p.picture.IsEmpty());
            }
        }
        // Flipped bytes in the header area.
        for (qsizetype at = 0; at < std::min<qsizetype>(file.size(), 64); ++at) {
            QByteArray damaged = file;
            damaged[at] = static_cast<char>(damaged[at] ^ 0xA5);
            const PictureResult p = DecodePicture(damaged);
            if (!p.Ok()) {
                EXPECT_EQ(p.errorNumber, kErrInvalidPicture);
            }
        }
    }
    EXPECT_FALSE(ParseCursorFile(test::MonoCursor(true, 1, 1, {}, {}, {}).left(30)));
}

TEST_F(PictureTest, PicturesCutShortFailRatherThanShowWhatWasNeverThere) {
    // A picture whose data ends before its header says is damaged: never half an image.
    QImage source(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) source.setPixel(x, y, qRgb(x * 7, y * 11, 99));
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    std::vector<Case> cases = {
        {"24-bit", Encode(source.convertToFormat(QImage::Format_RGB888), "BMP")},
        {"32-bit", Encode(source, "BMP")},
        {"8-bit", Encode(source.convertToFormat(QImage::Format_Indexed8), "BMP")},
        {"1-bit", Encode(source.convertToFormat(QImage::Format_Mono), "BMP")},
        {"16-bit", test::Bmp16(3, 2, {1, 2, 3, 4, 5, 6}, {0xF800, 0x07E0, 0x001F})},
        {"run-length", test::BmpRle8()},
        {"jpeg", Encode(source, "JPEG")},
    };
    QFile gif(QStringLiteral(STORYLOOM_SOURCE_DIR "/examples/demo/Areas/litlens.gif"));
    ASSERT_TRUE(gif.open(QIODevice::ReadOnly));
    cases.push_back({"gif", gif.readAll()});
    for (const Case& c : cases) {
        ASSERT_TRUE(DecodePicture(c.bytes).Ok()) << c.name;
        for (const qsizetype cut :
             {c.bytes.size() - 2, c.bytes.size() * 3 / 4, c.bytes.size() / 2 + 10}) {
            const PictureResult p = DecodePicture(c.bytes.left(cut));
            EXPECT_EQ(p.errorNumber, kErrInvalidPicture) << c.name << " cut to " << cut;
        }
    }
    // Bytes after the end of the data are harmless.
    EXPECT_TRUE(DecodePicture(cases[0].bytes + QByteArray(100, '\0')).Ok());
    EXPECT_TRUE(DecodePicture(cases[6].bytes + QByteArray("trailing")).Ok());
    EXPECT_TRUE(DecodePicture(cases.back().bytes.chopped(1)).Ok()) << "a GIF without its trailer";
}

TEST_F(PictureTest, MetafileSizesThatDoNotAddUpAreRefused) {
    // A header claiming records of a gigabyte made the converter try to allocate them.
    QByteArray wmf = test::Wmf(0xFF);
    const char huge[4] = {0x52, 0x52, 0x52, 0x52};
    wmf.replace(22 + 12, 4, huge, 4);
    EXPECT_EQ(DecodePicture(wmf).errorNumber, kErrInvalidPicture);
    QByteArray longRecord = test::Wmf(0xFF);
    longRecord[22 + 18] = char(0x40);  // the first record runs past the end of the file
    EXPECT_EQ(DecodePicture(longRecord).errorNumber, kErrInvalidPicture);
    QByteArray emf = test::Emf(0xFF00);
    emf[88 + 4] = char(0x7C);  // a record size beyond the data
    EXPECT_EQ(DecodePicture(emf).errorNumber, kErrInvalidPicture);
    EXPECT_EQ(DecodePicture(test::Emf(0xFF00).left(88 + 24)).errorNumber, kErrInvalidPicture);
    // Frame and bounds at the ends of the number range (their differences overflowed).
    QByteArray extreme = test::Emf(0xFF00);
    const char low[4] = {0, 0, 0, char(0x80)}, high[4] = {char(0xFF), char(0xFF), char(0xFF), 0x7F};
    for (int at : {8, 12, 24, 28}) extreme.replace(at, 4, low, 4);
    for (int at : {16, 20, 32, 36}) extreme.replace(at, 4, high, 4);
    EXPECT_EQ(DecodePicture(extreme).errorNumber, kErrInvalidPicture);
}

TEST_F(PictureTest, CacheServesTheSecondLoadAndNoticesChangedFiles) {
    QImage first(8, 8, QImage::Format_RGB32);
    first.fill(Qt::red);
    const QString path = Write("a.bmp", Encode(first, "BMP"));
    PictureCache cache;
    const PictureResult a = cache.Load(path);
    const PictureResult b = cache.Load(path);
    ASSERT_TRUE(a.Ok());
    EXPECT_EQ(a.picture, b.picture);  // the same decoded picture, not a second decode
    EXPECT_EQ(cache.Hits(), 1u);
    EXPECT_EQ(cache.Misses(), 1u);

    QImage second(9, 8, QImage::Format_RGB32);  // another size: another file length
    second.fill(Qt::blue);
    Write("a.bmp", Encode(second, "BMP"));
    const PictureResult c = cache.Load(path);
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.picture.Size(), QSize(9, 8));
    EXPECT_EQ(cache.Misses(), 2u);

    EXPECT_EQ(cache.Load(dir.filePath("gone.bmp")).errorNumber, kErrFileNotFound);
    EXPECT_EQ(cache.Load(Write("bad.bmp", "BMgarbage")).errorNumber, kErrInvalidPicture);
}

TEST_F(PictureTest, CacheEvictsTheLeastRecentlyUsedBeyondItsBudget) {
    QImage img(16, 16, QImage::Format_RGB32);  // 1 KiB decoded
    img.fill(Qt::green);
    const QString a = Write("a.bmp", Encode(img, "BMP"));
    const QString b = Write("b.bmp", Encode(img, "BMP"));
    const QString c = Write("c.bmp", Encode(img, "BMP"));
    PictureCache cache(2 * 1024);
    cache.Load(a);
    cache.Load(b);
    cache.Load(a);  // a is now the most recent
    cache.Load(c);  // b goes
    EXPECT_EQ(cache.Count(), 2u);
    const std::size_t misses = cache.Misses();
    cache.Load(a);
    EXPECT_EQ(cache.Misses(), misses);
    cache.Load(b);
    EXPECT_EQ(cache.Misses(), misses + 1);
}

}  // namespace
}  // namespace storyloom::forms
