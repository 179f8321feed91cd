#include "platform/printing/Printing.h"

#include <cmath>

namespace storyloom {

QSize PageMetrics::ImageSize() const {
    const double scale = dpi / kTwipsPerInch;
    return QSize(std::max(1, int(std::lround(printable.width() * scale))),
                 std::max(1, int(std::lround(printable.height() * scale))));
}

QSizeF PaperTwips(const QPageSize& paper, QPageLayout::Orientation orientation) {
    const QSizeF size = paper.definitionSize();
    double scale = 20.0;  // points
    switch (paper.definitionUnits()) {
        case QPageSize::Millimeter:
            scale = kTwipsPerInch / 25.4;
            break;
        case QPageSize::Inch:
            scale = kTwipsPerInch;
            break;
        default:
            return paper.size(QPageSize::Point) * 20.0;
    }
    QSizeF twips = size * scale;
    if (orientation == QPageLayout::Landscape) twips.transpose();
    return twips;
}

std::optional<PrinterInfo> Printing::Find(const QString& deviceName) const {
    for (const PrinterInfo& p : Printers())
        if (p.deviceName.compare(deviceName, Qt::CaseInsensitive) == 0) return p;
    return std::nullopt;
}

// ---- RecordingPrinting -------------------------------------------------------------------------

namespace {

class RecordingJob : public PrintJob {
  public:
    RecordingJob(RecordingPrinting& owner, RecordingPrinting::Document document, QSize size)
        : owner_(owner), document_(std::move(document)), size_(size) {}
    ~RecordingJob() override {
        if (open_) Abort();
    }

    bool AddPage(const QImage& page) override {
        if (!open_) return false;
        document_.pages.push_back(page.size() == size_ ? page
                                                       : page.scaled(size_, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation));
        return true;
    }
    bool Finish() override {
        if (!open_) return false;
        open_ = false;
        owner_.documents.push_back(std::move(document_));
        return true;
    }
    void Abort() override {
        if (!open_) return;
        open_ = false;
        ++owner_.abortedCount;
    }

  private:
    RecordingPrinting& owner_;
    RecordingPrinting::Document document_;
    QSize size_;
    bool open_ = true;
};

}  // namespace

RecordingPrinting::FakePrinter& RecordingPrinting::Add(const QString& deviceName,
                                                       const QString& driverName,
                                                       const QString& port) {
    if (printers.empty() && defaultPrinter.isEmpty()) defaultPrinter = deviceName;
    FakePrinter p;
    p.info = PrinterInfo{deviceName, driverName, port};
    printers.push_back(p);
    return printers.back();
}

const RecordingPrinting::FakePrinter* RecordingPrinting::FindFake(const QString& name) const {
    for (const FakePrinter& p : printers)
        if (p.info.deviceName.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

std::vector<PrinterInfo> RecordingPrinting::Printers() const {
    std::vector<PrinterInfo> out;
    for (const FakePrinter& p : printers) out.push_back(p.info);
    return out;
}

QPageSize::PageSizeId RecordingPrinting::DefaultPaper(const QString& printer) const {
    const FakePrinter* p = FindFake(printer);
    return p ? p->paper : QPageSize::Letter;
}

PageMetrics RecordingPrinting::Metrics(const PrintSettings& settings) const {
    PageMetrics m;
    const QSizeF paper = PaperTwips(QPageSize(settings.paper), settings.orientation);
    m.paper = paper;
    m.printable =
        QRectF(QPointF(0, 0), paper).adjusted(marginTwips, marginTwips, -marginTwips, -marginTwips);
    m.dpi = dpi;
    return m;
}

std::unique_ptr<PrintJob> RecordingPrinting::Start(const PrintSettings& settings, QString* error) {
    const FakePrinter* p = FindFake(settings.printer);
    if (!p || p->refuses) {
        if (error)
            *error = p ? QStringLiteral("The printer %1 is not ready").arg(settings.printer)
                       : QStringLiteral("There is no printer %1").arg(settings.printer);
        return nullptr;
    }
    Document d;
    d.printer = p->info.deviceName;
    d.copies = settings.copies;
    d.orientation = settings.orientation;
    d.paper = settings.paper;
    return std::make_unique<RecordingJob>(*this, std::move(d), Metrics(settings).ImageSize());
}

}  // namespace storyloom
