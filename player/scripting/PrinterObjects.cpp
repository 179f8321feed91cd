#include "scripting/PrinterObjects.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace storyloom {

namespace {

using Args = std::span<vbs::Variant>;

constexpr int kErrInvalidCall = 5;
constexpr int kErrSubscript = 9;
constexpr int kErrObjectNotSet = 91;
constexpr int kErrInvalidValue = 380;
constexpr int kErrReadOnly = 383;
constexpr int kErrArgumentNotOptional = 449;
constexpr int kErrWrongArguments = 450;
constexpr int kErrInvalidPicture = 481;
constexpr int kErrPrinter = 482;
constexpr int kErrNoPrinter = 484;
constexpr qint32 kSrcCopy = 0xCC0020;  // vbSrcCopy, the only raster operation drawn
constexpr int kPrintZoneColumns = 14;  // Print puts each further argument in the next zone

vbs::Variant Str(const QString& s) {
    return vbs::Variant::String(U16(s));
}

vbs::Variant Number(double v) {
    return vbs::Variant::Double(v);
}

[[noreturn]] void ReadOnly() {
    RaiseScriptError(kErrReadOnly, QStringLiteral("Property is read-only"));
}

// Basic's paper numbers and the page sizes they stand for.
struct PaperNumber {
    int number;
    QPageSize::PageSizeId id;
};
constexpr PaperNumber kPapers[] = {
    {1, QPageSize::Letter}, {5, QPageSize::Legal},    {7, QPageSize::Executive},
    {8, QPageSize::A3},     {9, QPageSize::A4},       {11, QPageSize::A5},
    {13, QPageSize::JisB5}, {20, QPageSize::Comm10E}, {27, QPageSize::DLE},
};

std::optional<QPageSize::PageSizeId> PaperFor(int number) {
    for (const PaperNumber& p : kPapers)
        if (p.number == number) return p.id;
    return std::nullopt;
}

int NumberFor(QPageSize::PageSizeId id) {
    for (const PaperNumber& p : kPapers)
        if (p.id == id) return p.number;
    return 256;  // Basic's "user-defined size"
}

// A colour as Basic writes it (&H00BBGGRR); system colours print black.
QColor ColorOf(qint32 value) {
    if (value < 0 || value > 0xFFFFFF) return Qt::black;
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

class PrinterObject : public vbs::HostObject {
  public:
    PrinterObject(Printing& printing, PictureRegistry* pictures)
        : vbs::HostObject(u"Printer"), printing_(printing), pictures_(pictures) {
        Define();
    }
    ~PrinterObject() override {
        // A document the game left open is sent, as it was when the program ended.
        if (job_) {
            try {
                EndDoc();
            } catch (const vbs::ScriptException&) {
            }
        }
    }

  private:
    // ---- Members --------------------------------------------------------------------------
    void Define() {
        Property(u"DeviceName", [this] { return Str(Device()); });
        Property(u"DriverName", [this] { return Str(Info().driverName); });
        Property(u"Port", [this] { return Str(Info().port); });
        Property(
            u"Orientation",
            [this] {
                return vbs::Variant::Integer(orientation_ == QPageLayout::Landscape ? 2 : 1);
            },
            [this](const vbs::Variant& v) {
                const qint32 n = ScriptLong(v);
                if (n != 1 && n != 2) InvalidValue();
                orientation_ = n == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
            });
        Property(
            u"Copies", [this] { return vbs::Variant::Integer(static_cast<int16_t>(copies_)); },
            [this](const vbs::Variant& v) {
                const qint32 n = ScriptLong(v);
                if (n < 1 || n > 9999) InvalidValue();
                copies_ = n;
            });
        Property(
            u"PaperSize",
            [this] { return vbs::Variant::Integer(static_cast<int16_t>(NumberFor(Paper()))); },
            [this](const vbs::Variant& v) {
                const std::optional<QPageSize::PageSizeId> id = PaperFor(ScriptLong(v));
                if (!id) InvalidValue();
                paper_ = *id;
            });
        Property(u"Width", [this] { return Number(Metrics().paper.width()); });
        Property(u"Height", [this] { return Number(Metrics().paper.height()); });
        Property(u"ScaleWidth", [this] { return Number(Metrics().printable.width()); });
        Property(u"ScaleHeight", [this] { return Number(Metrics().printable.height()); });
        Property(
            u"ScaleMode", [] { return vbs::Variant::Integer(1); },
            [this](const vbs::Variant& v) {
                if (ScriptLong(v) != 1) InvalidValue();  // twips only
            });
        Property(u"TwipsPerPixelX", [this] { return Number(kTwipsPerInch / Metrics().dpi); });
        Property(u"TwipsPerPixelY", [this] { return Number(kTwipsPerInch / Metrics().dpi); });
        Property(
            u"CurrentX", [this] { return Number(x_); },
            [this](const vbs::Variant& v) { x_ = ScriptDouble(v); });
        Property(
            u"CurrentY", [this] { return Number(y_); },
            [this](const vbs::Variant& v) { y_ = ScriptDouble(v); });
        Property(
            u"FontName", [this] { return Str(fontName_); },
            [this](const vbs::Variant& v) {
                const QString name = ScriptText(v).trimmed();
                if (name.isEmpty()) InvalidValue();
                fontName_ = name;
            });
        Property(
            u"FontSize", [this] { return Number(fontSize_); },
            [this](const vbs::Variant& v) {
                const double size = ScriptDouble(v);
                if (!(size > 0 && size <= 2160)) InvalidValue();
                fontSize_ = size;
            });
        Flag(u"FontBold", bold_);
        Flag(u"FontItalic", italic_);
        Flag(u"FontUnderline", underline_);
        Flag(u"FontStrikethru", strikeOut_);
        Property(
            u"ForeColor", [this] { return vbs::Variant::Long(foreColor_); },
            [this](const vbs::Variant& v) { foreColor_ = ScriptLong(v); });
        Property(u"Page", [this] { return vbs::Variant::Integer(static_cast<int16_t>(page_)); });

        Method(u"Print", [this](Args a) { Print(a); });
        Method(u"NewPage", [this](Args) { NewPage(); });
        Method(u"EndDoc", [this](Args) { EndDoc(); });
        Method(u"KillDoc", [this](Args) { KillDoc(); });
        Method(u"PaintPicture", [this](Args a) { PaintPicture(a); });
        AddMethod(u"TextWidth", [this](Args a) {
            Check();
            return Number(TextSize(ScriptText(Arg(a, 0))).width());
        });
        AddMethod(u"TextHeight", [this](Args a) {
            Check();
            return Number(TextSize(ScriptText(Arg(a, 0))).height());
        });
    }

    // A property; without a setter it is read-only. Every use first checks for a printer.
    void Property(std::u16string_view name, std::function<vbs::Variant()> get,
                  std::function<void(const vbs::Variant&)> set = {}) {
        AddProperty(
            name,
            [this, get](Args) {
                Check();
                return get();
            },
            [this, set](Args, const vbs::Variant& value) {
                Check();
                if (!set) ReadOnly();
                set(value.Deref());
            });
    }
    void Flag(std::u16string_view name, bool& flag) {
        Property(
            name, [&flag] { return vbs::Variant::Bool(flag); },
            [&flag](const vbs::Variant& v) { flag = ScriptBool(v); });
    }
    void Method(std::u16string_view name, std::function<void(Args)> fn) {
        AddMethod(name, [this, fn](Args a) {
            Check();
            fn(a);
            return vbs::Variant();
        });
    }

    [[noreturn]] static void InvalidValue() {
        RaiseScriptError(kErrInvalidValue, QStringLiteral("Invalid property value"));
    }

    // ---- The printer and its page ---------------------------------------------------------
    // Error 484 when the desktop has no printer at all.
    void Check() const { (void)Device(); }

    // The printer a document goes to: the one of the open document, else the default printer
    // (or the first one when none is marked default).
    QString Device() const {
        if (job_) return settings_.printer;
        QString name = printing_.DefaultPrinterName();
        if (name.isEmpty()) {
            const std::vector<PrinterInfo> all = printing_.Printers();
            if (!all.empty()) name = all.front().deviceName;
        }
        if (name.isEmpty())
            RaiseScriptError(kErrNoPrinter, QStringLiteral("Printer driver unavailable"));
        return name;
    }
    PrinterInfo Info() const {
        const QString name = Device();
        return printing_.Find(name).value_or(PrinterInfo{name, QString(), QString()});
    }
    QPageSize::PageSizeId Paper() const {
        if (job_) return settings_.paper;
        return paper_ ? *paper_ : printing_.DefaultPaper(Device());
    }
    // Settings take effect with the next document.
    PrintSettings Settings() const {
        PrintSettings s;
        s.printer = Device();
        s.copies = copies_;
        s.orientation = orientation_;
        s.paper = Paper();
        return s;
    }
    PageMetrics Metrics() const { return job_ ? metrics_ : printing_.Metrics(Settings()); }
    double Scale() const { return Metrics().dpi / kTwipsPerInch; }  // pixels per twip

    QImage BlankPage(QSize size, int dpi) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }

    // The page being drawn; the first use starts the document.
    QImage& CurrentPage() {
        if (!job_) {
            const PrintSettings settings = Settings();
            QString error;
            std::unique_ptr<PrintJob> job = printing_.Start(settings, &error);
            if (!job) RaiseScriptError(kErrPrinter, QStringLiteral("Printer error"));
            job_ = std::move(job);
            settings_ = settings;
            metrics_ = printing_.Metrics(settings);
            page_ = 1;
            pagesSent_ = 0;
            image_ = BlankPage(metrics_.ImageSize(), metrics_.dpi);
            drawn_ = false;
        }
        return image_;
    }

    void Close() {
        job_.reset();
        image_ = QImage();
        drawn_ = false;
        page_ = 1;
        pagesSent_ = 0;
        x_ = y_ = 0;
    }
    [[noreturn]] void Fail() {
        if (job_) job_->Abort();
        Close();
        RaiseScriptError(kErrPrinter, QStringLiteral("Printer error"));
    }
    void SendPage() {
        if (!job_->AddPage(image_)) Fail();
        ++pagesSent_;
    }

    QFont Font() const {
        QFont font(fontName_);
        font.setPointSizeF(fontSize_);
        font.setBold(bold_);
        font.setItalic(italic_);
        font.setUnderline(underline_);
        font.setStrikeOut(strikeOut_);
        return font;
    }
    // Font measures in pixels of the page (a page-sized device gives the page's resolution).
    QFontMetricsF FontMetrics() {
        if (job_) return QFontMetricsF(Font(), &image_);
        const int dpi = Metrics().dpi;
        measure_ = BlankPage(QSize(1, 1), dpi);
        return QFontMetricsF(Font(), &measure_);
    }
    static QStringList Lines(const QString& text) {
        static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
        return text.split(kBreak);
    }
    // Width of the widest line and height of all lines, in twips.
    QSizeF TextSize(const QString& text) {
        const QFontMetricsF fm = FontMetrics();
        const double scale = Scale();
        double width = 0;
        const QStringList lines = Lines(text);
        for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
        return QSizeF(width / scale, fm.height() * lines.size() / scale);
    }

    // ---- Methods --------------------------------------------------------------------------
    void Print(Args args) {
        QImage& page = CurrentPage();
        const double scale = Scale();
        QPainter painter(&page);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(Font());
        painter.setPen(ColorOf(foreColor_));
        const QFontMetricsF fm(painter.font(), &page);
        const double lineHeight = fm.height() / scale;
        const double zone = kPrintZoneColumns * fm.averageCharWidth() / scale;
        for (size_t i = 0; i < args.size(); ++i) {
            if (i > 0 && zone > 0) x_ = (std::floor(x_ / zone) + 1) * zone;
            const QStringList lines = Lines(ScriptText(args[i]));
            for (qsizetype n = 0; n < lines.size(); ++n) {
                if (n > 0) {
                    x_ = 0;
                    y_ += lineHeight;
                }
                if (lines[n].isEmpty()) continue;
                painter.drawText(QPointF(x_ * scale, y_ * scale + fm.ascent()), lines[n]);
                x_ += fm.horizontalAdvance(lines[n]) / scale;
                drawn_ = true;
            }
        }
        x_ = 0;
        y_ += lineHeight;
    }

    void NewPage() {
        CurrentPage();
        SendPage();
        image_ = BlankPage(metrics_.ImageSize(), metrics_.dpi);
        drawn_ = false;
        ++page_;
        x_ = y_ = 0;
    }

    // Sends the document; a document with nothing on it is dropped without a word.
    void EndDoc() {
        if (!job_) return;
        if (drawn_) SendPage();
        if (pagesSent_ == 0) {
            job_->Abort();
        } else if (!job_->Finish()) {
            Fail();
        }
        Close();
    }

    void KillDoc() {
        if (job_) job_->Abort();
        Close();
    }

    forms::Picture PictureArg(const vbs::Variant& value) const {
        const vbs::Variant& v = value.Deref();
        forms::Picture picture;
        if (v.IsEmpty())
            RaiseScriptError(kErrArgumentNotOptional, QStringLiteral("Argument not optional"));
        if (v.IsObject()) {
            vbs::Dispatch* obj = v.AsObject();
            if (!obj) RaiseScriptError(kErrObjectNotSet, QStringLiteral("Object variable not set"));
            if (auto* p = dynamic_cast<PictureObject*>(obj)) {
                picture = p->Picture();
            } else {
                std::vector<vbs::Variant> none;
                return PictureArg(obj->Invoke(vbs::kDispValue, vbs::InvokeKind::Get, none));
            }
        } else {
            const double handle = ScriptDouble(v);
            if (pictures_ && handle != 0 && std::isfinite(handle))
                if (const forms::Picture* p = pictures_->Find(static_cast<qint64>(handle)))
                    picture = *p;
        }
        if (picture.IsEmpty() || picture.Image().isNull())
            RaiseScriptError(kErrInvalidPicture, QStringLiteral("Invalid picture"));
        return picture;
    }

    // PaintPicture picture, x1, y1[, width1, height1[, x2, y2, width2, height2[, opcode]]]:
    // the picture (or the part of it at x2, y2) stretched over the area at x1, y1; all in
    // twips. A negative width or height mirrors it.
    void PaintPicture(Args args) {
        if (args.size() > 10)
            RaiseScriptError(kErrWrongArguments,
                             QStringLiteral("Wrong number of arguments or invalid property "
                                            "assignment"));
        if (args.size() < 3 || Arg(args, 1).IsEmpty() || Arg(args, 2).IsEmpty())
            RaiseScriptError(kErrArgumentNotOptional, QStringLiteral("Argument not optional"));
        const forms::Picture picture = PictureArg(args[0]);
        if (!Arg(args, 9).IsEmpty() && ScriptLong(Arg(args, 9)) != kSrcCopy)
            RaiseScriptError(kErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
        const QImage& source = picture.Image();
        // The picture's own size in twips (its pixels at 96 per inch).
        const double twipsPerPixel = kTwipsPerInch / 96.0;
        auto optional = [&](size_t i, double fallback) {
            return Arg(args, i).IsEmpty() ? fallback : ScriptDouble(Arg(args, i));
        };
        const double x1 = ScriptDouble(args[1]);
        const double y1 = ScriptDouble(args[2]);
        const double w1 = optional(3, source.width() * twipsPerPixel);
        const double h1 = optional(4, source.height() * twipsPerPixel);
        const double x2 = optional(5, 0);
        const double y2 = optional(6, 0);
        const double w2 = optional(7, source.width() * twipsPerPixel - x2);
        const double h2 = optional(8, source.height() * twipsPerPixel - y2);
        for (double d : {x1, y1, w1, h1, x2, y2, w2, h2})
            if (!std::isfinite(d) || std::abs(d) > 1e9)
                RaiseScriptError(kErrInvalidCall,
                                 QStringLiteral("Invalid procedure call or argument"));

        QImage& page = CurrentPage();
        const double scale = Scale();
        QImage part = source.copy(
            QRectF(x2 / twipsPerPixel, y2 / twipsPerPixel, w2 / twipsPerPixel, h2 / twipsPerPixel)
                .normalized()
                .toRect());
        const bool flipH = (w1 < 0) != (w2 < 0);
        const bool flipV = (h1 < 0) != (h2 < 0);
        if (flipH || flipV) part = part.mirrored(flipH, flipV);
        const QRectF target = QRectF(x1 * scale, y1 * scale, w1 * scale, h1 * scale).normalized();
        if (part.isNull() || target.isEmpty()) return;
        QPainter painter(&page);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, part);
        drawn_ = true;
    }

    Printing& printing_;
    PictureRegistry* pictures_;

    // What scripts set.
    int copies_ = 1;
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    std::optional<QPageSize::PageSizeId> paper_;  // unset: the printer's own paper
    QString fontName_ = QStringLiteral("Arial");
    double fontSize_ = 10;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
    bool strikeOut_ = false;
    qint32 foreColor_ = 0;
    double x_ = 0;
    double y_ = 0;

    // The open document.
    std::unique_ptr<PrintJob> job_;
    PrintSettings settings_;
    PageMetrics metrics_;
    QImage image_;        // the page being drawn
    bool drawn_ = false;  // anything on it yet
    int page_ = 1;
    int pagesSent_ = 0;
    QImage measure_;  // the device fonts are measured on while no document is open
};

// One printer of the collection: what it is called and where it is.
vbs::Ref<vbs::Dispatch> MakePrinterEntry(const PrinterInfo& info) {
    auto* entry = new vbs::HostObject(u"Printer");
    auto readOnly = [entry](std::u16string_view name, const QString& value) {
        entry->AddProperty(
            name, [value](Args) { return Str(value); },
            [](Args, const vbs::Variant&) { ReadOnly(); });
    };
    readOnly(u"DeviceName", info.deviceName);
    readOnly(u"DriverName", info.driverName);
    readOnly(u"Port", info.port);
    entry->SetDefault(u"DeviceName");
    return vbs::Ref<vbs::Dispatch>(entry);
}

}  // namespace

vbs::Ref<vbs::Dispatch> MakePrinterObject(Printing& printing, PictureRegistry* pictures) {
    return vbs::Ref<vbs::Dispatch>(new PrinterObject(printing, pictures));
}

vbs::Ref<vbs::Dispatch> MakePrintersCollection(Printing& printing) {
    auto* printers = new vbs::HostObject(u"Printers");
    printers->AddProperty(
        u"Count",
        [&printing](Args) {
            return vbs::Variant::Integer(static_cast<int16_t>(printing.Printers().size()));
        },
        [](Args, const vbs::Variant&) { ReadOnly(); });
    printers->AddMethod(u"Item", [&printing](Args a) {
        if (a.empty() || Arg(a, 0).IsEmpty())
            RaiseScriptError(kErrWrongArguments,
                             QStringLiteral("Wrong number of arguments or invalid property "
                                            "assignment"));
        const double index = ScriptDouble(Arg(a, 0));
        const std::vector<PrinterInfo> all = printing.Printers();
        const double rounded = std::nearbyint(index);
        if (!(rounded >= 0 && rounded < static_cast<double>(all.size())))
            RaiseScriptError(kErrSubscript, QStringLiteral("Subscript out of range"));
        vbs::Ref<vbs::Dispatch> entry = MakePrinterEntry(all[static_cast<size_t>(rounded)]);
        return vbs::Variant::Object(entry.get());
    });
    printers->SetDefault(u"Item");
    printers->SetEnumerator([&printing] {
        std::vector<vbs::Variant> out;
        for (const PrinterInfo& info : printing.Printers()) {
            vbs::Ref<vbs::Dispatch> entry = MakePrinterEntry(info);
            out.push_back(vbs::Variant::Object(entry.get()));
        }
        return out;
    });
    return vbs::Ref<vbs::Dispatch>(printers);
}

}  // namespace storyloom
