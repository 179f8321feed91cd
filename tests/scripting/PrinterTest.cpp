// The printer objects as scripts use them, over fake printers that keep every document.
#include <gtest/gtest.h>

#include <QPainter>

#include "ScriptFixture.h"
#include "platform/printing/Printing.h"
#include "scripting/PrinterObjects.h"

namespace storyloom::test {
namespace {

class PrinterTest : public ::testing::Test {
  protected:
    PrinterTest() { EnsureApp(); }

    // Hands the objects to the engine (after the test has set up its printers).
    void Attach() {
        printer = MakePrinterObject(printing, &pictures);
        printers = MakePrintersCollection(printing);
        ASSERT_TRUE(engine.AddObject(u"PrinterObject", printer.get(), true));
        ASSERT_TRUE(engine.AddObject(u"PrintersCollection", printers.get(), true));
    }
    bool Run(const QString& code) { return engine.AddCode(U16(code)); }
    vbs::Variant Eval(const QString& expression) {
        vbs::Variant v;
        EXPECT_TRUE(engine.Eval(U16(expression), v)) << expression.toStdString();
        return v;
    }
    double Num(const QString& expression) { return ScriptDouble(Eval(expression)); }
    QString Text(const QString& expression) { return ScriptText(Eval(expression)); }
    int Error() const { return engine.LastError().number; }
    QString Description() const { return FromU16(engine.LastError().description); }

    // Pixels of `area` clearly darker than white.
    static int Ink(const QImage& page, QRect area) {
        int n = 0;
        area &= page.rect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(page.pixel(x, y)) < 160) ++n;
        return n;
    }

    RecordingPrinting printing;
    PictureRegistry pictures;
    vbs::Ref<vbs::Dispatch> printer;
    vbs::Ref<vbs::Dispatch> printers;
    vbs::Engine engine;
};

TEST_F(PrinterTest, PagesCarryTheTextWhereItWasPrinted) {
    printing.Add(QStringLiteral("Office"));
    Attach();
    // 72 dpi: one inch is 72 pixels.
    ASSERT_TRUE(
        Run("PrinterObject.Copies = 2\r\n"
            "PrinterObject.FontSize = 24\r\n"
            "PrinterObject.CurrentY = 1440\r\n"
            "PrinterObject.Print \"Hello\", \"World\"\r\n"
            "y1 = PrinterObject.CurrentY : x1 = PrinterObject.CurrentX\r\n"
            "PrinterObject.NewPage\r\n"
            "p = PrinterObject.Page\r\n"
            "CurrentX = 2880\r\n"
            "Print \"Two\"\r\n"))
        << Description().toStdString();
    // Each Print ends the line.
    EXPECT_DOUBLE_EQ(Num("y1"), 1440 + Num("PrinterObject.TextHeight(\"Hello\")"));
    EXPECT_EQ(Num("x1"), 0);
    EXPECT_EQ(Num("p"), 2);
    EXPECT_TRUE(printing.documents.empty()) << "sent before EndDoc";

    ASSERT_TRUE(Run("PrinterObject.EndDoc"));
    ASSERT_EQ(printing.documents.size(), 1u);
    const RecordingPrinting::Document& doc = printing.documents[0];
    EXPECT_EQ(doc.printer, QStringLiteral("Office"));
    EXPECT_EQ(doc.copies, 2);
    ASSERT_EQ(doc.pages.size(), 2u);
    const QImage& first = doc.pages[0];
    EXPECT_EQ(first.size(), QSize(612, 792));  // Letter at 72 dpi
    const int helloWidth = int(Num("TextWidth(\"Hello\")") / 20);
    const int line = int(Num("TextHeight(\"Hello\")") / 20);
    EXPECT_GT(Ink(first, QRect(0, 72, helloWidth, line)), 20) << "Hello";
    EXPECT_EQ(Ink(first, QRect(0, 0, 612, 70)), 0) << "above CurrentY";
    EXPECT_EQ(Ink(first, QRect(0, 72 + line + 2, 612, 700)), 0) << "below the line";
    // The second argument starts in the next print zone, past Hello.
    EXPECT_GT(Ink(first, QRect(helloWidth + 4, 72, 300, line)), 20) << "World";
    const QImage& second = doc.pages[1];
    EXPECT_EQ(Ink(second, QRect(0, 0, 140, 792)), 0) << "left of CurrentX";
    EXPECT_GT(Ink(second, QRect(144, 0, 100, line)), 20) << "Two";

    // After EndDoc the next document starts over at page 1; an empty one sends nothing.
    ASSERT_TRUE(Run("p = Page\r\nNewPage\r\nKillDoc\r\nPrint \"gone\"\r\nKillDoc\r\nEndDoc"));
    EXPECT_EQ(Num("p"), 1);
    EXPECT_EQ(printing.documents.size(), 1u);
    EXPECT_EQ(printing.abortedCount, 2);
}

TEST_F(PrinterTest, WithoutAnyPrinterEveryUseIsDriverUnavailable) {
    Attach();
    for (const char* code : {"x = PrinterObject.DeviceName", "PrinterObject.Print \"x\"",
                             "x = TextWidth(\"x\")", "EndDoc", "Orientation = 2"}) {
        EXPECT_FALSE(Run(QString::fromLatin1(code))) << code;
        EXPECT_EQ(Error(), 484) << code;
        EXPECT_EQ(Description(), QStringLiteral("Printer driver unavailable")) << code;
    }
    EXPECT_EQ(Num("PrintersCollection.Count"), 0);
    // On Error catches it like any run-time error.
    ASSERT_TRUE(Run("On Error Resume Next\r\nPrint \"x\"\r\nn = Err.Number"));
    EXPECT_EQ(Num("n"), 484);
}

TEST_F(PrinterTest, PrintersCollectionListsThePrinters) {
    printing.Add(QStringLiteral("Office"), QStringLiteral("winspool"), QStringLiteral("LPT1:"));
    printing.Add(QStringLiteral("Photo"), QStringLiteral("photo drv"), QStringLiteral("USB001"));
    printing.defaultPrinter = QStringLiteral("Photo");
    Attach();
    ASSERT_TRUE(
        Run("For Each p In PrintersCollection\r\n"
            "  s = s & p.DeviceName & \"|\" & p.DriverName & \"|\" & p.Port & \";\"\r\n"
            "Next"));
    EXPECT_EQ(Text("s"), QStringLiteral("Office|winspool|LPT1:;Photo|photo drv|USB001;"));
    EXPECT_EQ(Num("PrintersCollection.Count"), 2);
    EXPECT_EQ(Text("PrintersCollection(1).DeviceName"), QStringLiteral("Photo"));
    EXPECT_EQ(Text("PrintersCollection.Item(0).Port"), QStringLiteral("LPT1:"));
    // The printer object is the default printer.
    EXPECT_EQ(Text("PrinterObject.DeviceName & PrinterObject.Port"), QStringLiteral("PhotoUSB001"));
    for (const char* code :
         {"x = PrintersCollection(2).DeviceName", "x = PrintersCollection(-1).DeviceName"}) {
        EXPECT_FALSE(Run(QString::fromLatin1(code))) << code;
        EXPECT_EQ(Error(), 9) << code;
    }
    EXPECT_FALSE(Run("PrinterObject.DeviceName = \"x\""));
    EXPECT_EQ(Error(), 383);
    EXPECT_FALSE(Run("PrintersCollection(0).Port = \"x\""));
    EXPECT_EQ(Error(), 383);
}

TEST_F(PrinterTest, PaintPictureDrawsThePixelsWhereTold) {
    printing.Add(QStringLiteral("Office"));
    printing.dpi = 144;  // 10 twips a pixel
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QPainter(&red).fillRect(10, 0, 10, 10, Qt::blue);  // right half blue
    const forms::Picture picture = forms::Picture::FromImage(red);
    pictures.Remember(picture);
    Attach();
    // As an object, at its own size: 20 x 10 pixels at 96 dpi are 300 x 150 twips.
    vbs::Ref<vbs::Dispatch> object(new PictureObject(picture));
    ASSERT_TRUE(engine.AddObject(u"Pic", object.get(), false));
    ASSERT_TRUE(
        Run("PrinterObject.PaintPicture Pic, 1440, 720\r\n"
            // By handle, stretched to 1440 x 720 twips, mirrored left to right.
            "PaintPicture Pic.Handle, 1440 + 1440, 2880, -1440, 720\r\n"
            "EndDoc"))
        << Description().toStdString();
    ASSERT_EQ(printing.documents.size(), 1u);
    ASSERT_EQ(printing.documents[0].pages.size(), 1u);
    const QImage& page = printing.documents[0].pages[0];
    // The first copy covers x 144..174, y 72..87.
    EXPECT_EQ(QColor(page.pixel(150, 80)), QColor(Qt::red));
    EXPECT_EQ(QColor(page.pixel(168, 80)), QColor(Qt::blue));
    EXPECT_EQ(QColor(page.pixel(140, 80)), QColor(Qt::white));
    EXPECT_EQ(QColor(page.pixel(178, 80)), QColor(Qt::white));
    EXPECT_EQ(QColor(page.pixel(150, 68)), QColor(Qt::white));
    EXPECT_EQ(QColor(page.pixel(150, 90)), QColor(Qt::white));
    // The second covers x 144..288, y 288..360, blue half first.
    EXPECT_EQ(QColor(page.pixel(180, 320)), QColor(Qt::blue));
    EXPECT_EQ(QColor(page.pixel(260, 320)), QColor(Qt::red));
    EXPECT_EQ(QColor(page.pixel(292, 320)), QColor(Qt::white));

    for (const char* code : {"PaintPicture 12345, 0, 0", "PaintPicture Nothing, 0, 0"}) {
        EXPECT_FALSE(Run(QString::fromLatin1(code))) << code;
        EXPECT_EQ(Error(), QString::fromLatin1(code).contains(u"Nothing") ? 91 : 481) << code;
    }
    EXPECT_FALSE(Run("PaintPicture Pic, 0"));
    EXPECT_EQ(Error(), 449);
}

TEST_F(PrinterTest, OrientationAndPaperShapeThePage) {
    RecordingPrinting::FakePrinter& office = printing.Add(QStringLiteral("Office"));
    office.paper = QPageSize::A4;
    printing.marginTwips = 360;
    Attach();
    EXPECT_EQ(Num("PaperSize"), 9);
    EXPECT_NEAR(Num("Width"), 11906, 1);   // 210 mm
    EXPECT_NEAR(Num("Height"), 16838, 1);  // 297 mm
    EXPECT_NEAR(Num("ScaleWidth"), 11906 - 720, 1);
    ASSERT_TRUE(Run("PaperSize = 1\r\nOrientation = 2"));
    EXPECT_EQ(Num("Width"), 15840);  // Letter, on its side
    EXPECT_EQ(Num("Height"), 12240);
    EXPECT_EQ(Num("ScaleHeight"), 12240 - 720);
    ASSERT_TRUE(Run("Print \"x\"\r\nEndDoc"));
    ASSERT_EQ(printing.documents.size(), 1u);
    EXPECT_EQ(printing.documents[0].orientation, QPageLayout::Landscape);
    EXPECT_EQ(printing.documents[0].paper, QPageSize::Letter);
    EXPECT_EQ(printing.documents[0].pages[0].size(),
              QSize(756, 576));  // inside the margins, at 72 dpi

    for (const char* code :
         {"Orientation = 3", "PaperSize = 4242", "Copies = 0", "FontSize = -1"}) {
        EXPECT_FALSE(Run(QString::fromLatin1(code))) << code;
        EXPECT_EQ(Error(), 380) << code;
    }
    // A printer that will not take the document.
    office.refuses = true;
    EXPECT_FALSE(Run("Print \"x\""));
    EXPECT_EQ(Error(), 482);
    EXPECT_EQ(Description(), QStringLiteral("Printer error"));
}

TEST(QtPrintingTest, AnswersOnThisMachine) {
    EnsureApp();
    QtPrinting printing;
    const std::vector<PrinterInfo> all = printing.Printers();
    if (all.empty()) {
        EXPECT_EQ(printing.DefaultPrinterName(), QString());
    }
    PrintSettings settings;
    settings.printer = QStringLiteral("no printer has this name");
    settings.paper = QPageSize::A4;
    const PageMetrics m = printing.Metrics(settings);
    EXPECT_NEAR(m.paper.width(), 11906, 1);
    EXPECT_NEAR(m.paper.height(), 16838, 1);
    QString error;
    EXPECT_EQ(printing.Start(settings, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace storyloom::test
