#pragma once
// The desktop's printers: their names, and printing a document as a series of page images.
// QtPrinting prints for real through Qt's print support; RecordingPrinting has a list of fake
// printers and keeps every finished document, for tests and headless runs.
//
// Sizes are in twips (1/1440 inch). A page image covers the printable area of the page at the
// resolution Metrics() gives; (0, 0) is the top-left corner of the printable area.
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace storyloom {

inline constexpr double kTwipsPerInch = 1440.0;

// A paper's size in twips, exact in the units the paper is defined in (A4 is 210 x 297 mm).
QSizeF PaperTwips(const QPageSize& paper, QPageLayout::Orientation orientation);

struct PrinterInfo {
    QString deviceName;  // the name the desktop shows
    QString driverName;
    QString port;  // where the printer is connected ("" when the system does not say)
};

// How a document is to be printed.
struct PrintSettings {
    QString printer;  // a device name
    int copies = 1;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QPageSize::PageSizeId paper = QPageSize::Letter;
};

// The page a document gets, in twips, and the resolution its page images are drawn at.
struct PageMetrics {
    QSizeF paper;      // the whole sheet, as oriented
    QRectF printable;  // the area that takes ink, within the sheet
    int dpi = 96;
    // The size of a page image in pixels.
    QSize ImageSize() const;
};

// One document on its way to a printer: pages are added in order, then the document is sent
// (Finish) or dropped (Abort). Destroying an unfinished job drops it.
class PrintJob {
  public:
    virtual ~PrintJob() = default;
    // Adds a page: an image of the printable area at the document's resolution (other sizes
    // are scaled to fit). False when the printer refused it.
    virtual bool AddPage(const QImage& page) = 0;
    // Sends the document. False when the printer refused it.
    virtual bool Finish() = 0;
    virtual void Abort() = 0;
};

class Printing {
  public:
    virtual ~Printing() = default;

    virtual std::vector<PrinterInfo> Printers() const = 0;
    // The default printer's device name; "" when there is none.
    virtual QString DefaultPrinterName() const = 0;
    // The paper the printer uses unless told otherwise.
    virtual QPageSize::PageSizeId DefaultPaper(const QString& printer) const = 0;
    // The page a document with these settings gets.
    virtual PageMetrics Metrics(const PrintSettings& settings) const = 0;
    // Starts a document; nullptr with `error` set when the printer cannot take one.
    virtual std::unique_ptr<PrintJob> Start(const PrintSettings& settings, QString* error) = 0;

    // The printer with this device name (case ignored).
    std::optional<PrinterInfo> Find(const QString& deviceName) const;
};

// The real printers, through QPrinterInfo and QPrinter. Pages are drawn at the printer's
// resolution, at most 300 dpi (which keeps a page image below 40 MB).
class QtPrinting : public Printing {
  public:
    std::vector<PrinterInfo> Printers() const override;
    QString DefaultPrinterName() const override;
    QPageSize::PageSizeId DefaultPaper(const QString& printer) const override;
    PageMetrics Metrics(const PrintSettings& settings) const override;
    std::unique_ptr<PrintJob> Start(const PrintSettings& settings, QString* error) override;
};

// Fake printers; every finished document is kept in `documents`.
class RecordingPrinting : public Printing {
  public:
    struct FakePrinter {
        PrinterInfo info;
        QPageSize::PageSizeId paper = QPageSize::Letter;
        bool refuses = false;  // Start fails, as a printer that is offline
    };
    struct Document {
        QString printer;
        int copies = 1;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        QPageSize::PageSizeId paper = QPageSize::Letter;
        std::vector<QImage> pages;
    };

    std::vector<PrinterInfo> Printers() const override;
    QString DefaultPrinterName() const override { return defaultPrinter; }
    QPageSize::PageSizeId DefaultPaper(const QString& printer) const override;
    PageMetrics Metrics(const PrintSettings& settings) const override;
    std::unique_ptr<PrintJob> Start(const PrintSettings& settings, QString* error) override;

    // Adds a printer (the first one added becomes the default).
    FakePrinter& Add(const QString& deviceName, const QString& driverName = QString(),
                     const QString& port = QString());

    std::vector<FakePrinter> printers;
    QString defaultPrinter;
    int dpi = 72;            // low, so that test pages stay small
    double marginTwips = 0;  // unprintable border on every side
    std::vector<Document> documents;
    int abortedCount = 0;  // documents dropped

  private:
    const FakePrinter* FindFake(const QString& deviceName) const;
};

}  // namespace storyloom
