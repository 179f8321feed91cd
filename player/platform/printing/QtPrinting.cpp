#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "platform/printing/Printing.h"

namespace storyloom {

namespace {

constexpr int kMaxDpi = 300;
constexpr double kTwipsPerMillimeter = kTwipsPerInch / 25.4;

PrinterInfo InfoOf(const QPrinterInfo& p) {
    // Qt does not tell where a printer is connected; the port stays empty.
    return PrinterInfo{p.printerName(), p.makeAndModel(), QString()};
}

void Apply(QPrinter& printer, const PrintSettings& settings) {
    printer.setPageSize(QPageSize(settings.paper));
    printer.setPageOrientation(settings.orientation);
    printer.setCopyCount(std::max(1, settings.copies));
}

class QtJob : public PrintJob {
  public:
    explicit QtJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}
    ~QtJob() override {
        if (!done_) Abort();
    }

    bool AddPage(const QImage& page) override {
        if (done_) return false;
        if (!started_) {
            if (!painter_.begin(printer_.get())) return false;
            started_ = true;
        } else if (!printer_->newPage()) {
            return false;
        }
        // The painter's origin is the top-left corner of the printable area.
        const QRect target(QPoint(0, 0),
                           printer_->pageLayout().paintRectPixels(printer_->resolution()).size());
        painter_.drawImage(target, page);
        return printer_->printerState() != QPrinter::Error;
    }
    bool Finish() override {
        if (done_) return false;
        done_ = true;
        if (!started_) return false;
        return painter_.end() && printer_->printerState() != QPrinter::Error;
    }
    void Abort() override {
        if (done_) return;
        done_ = true;
        if (started_) {
            printer_->abort();
            if (painter_.isActive()) painter_.end();
        }
    }

  private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    bool started_ = false;
    bool done_ = false;
};

}  // namespace

std::vector<PrinterInfo> QtPrinting::Printers() const {
    std::vector<PrinterInfo> out;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) out.push_back(InfoOf(p));
    return out;
}

QString QtPrinting::DefaultPrinterName() const {
    const QPrinterInfo p = QPrinterInfo::defaultPrinter();
    return p.isNull() ? QString() : p.printerName();
}

QPageSize::PageSizeId QtPrinting::DefaultPaper(const QString& printer) const {
    const QPrinterInfo p = QPrinterInfo::printerInfo(printer);
    const QPageSize size = p.isNull() ? QPageSize() : p.defaultPageSize();
    return size.isValid() && size.id() != QPageSize::Custom ? size.id() : QPageSize::Letter;
}

PageMetrics QtPrinting::Metrics(const PrintSettings& settings) const {
    PageMetrics m;
    const QPrinterInfo info = QPrinterInfo::printerInfo(settings.printer);
    QPageLayout layout(QPageSize(settings.paper), settings.orientation, QMarginsF());
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        Apply(printer, settings);
        layout = printer.pageLayout();
        m.dpi = std::clamp(printer.resolution(), 72, kMaxDpi);
    }
    m.paper = PaperTwips(layout.pageSize(), layout.orientation());
    const QRectF paint = layout.paintRect(QPageLayout::Millimeter);
    m.printable = QRectF(paint.topLeft() * kTwipsPerMillimeter, paint.size() * kTwipsPerMillimeter);
    return m;
}

std::unique_ptr<PrintJob> QtPrinting::Start(const PrintSettings& settings, QString* error) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(settings.printer);
    if (info.isNull()) {
        if (error) *error = QStringLiteral("There is no printer %1").arg(settings.printer);
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    Apply(*printer, settings);
    printer->setDocName(QCoreApplication::applicationName());
    if (!printer->isValid()) {
        if (error) *error = QStringLiteral("The printer %1 is not ready").arg(settings.printer);
        return nullptr;
    }
    return std::make_unique<QtJob>(std::move(printer));
}

}  // namespace storyloom
