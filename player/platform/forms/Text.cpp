#include "platform/forms/Text.h"

#include <fontconfig/fontconfig.h>

#include <QFontMetricsF>
#include <cmath>
#include <map>

namespace storyloom::forms {

namespace {

// Windows face names the games use, with their width relative to Arial on a mixed-case
// pangram with digits (measured on the original faces). Their fontconfig aliases choose the
// free face; when that face is still more than 3% off, Qt stretches it to the right width.
struct WindowsFace {
    const char* name;
    double widthToArial;  // 0: a metric-compatible alias, nothing to correct
};
constexpr WindowsFace kWindowsFaces[] = {
    {"MS Sans Serif", 0.952},
    {"Microsoft Sans Serif", 0.952},
    {"MS Shell Dlg", 0.952},
    {"MS Shell Dlg 2", 0.952},
    {"Small Fonts", 0.952},
    {"Tahoma", 0.952},
    {"Verdana", 1.085},
    {"Comic Sans MS", 1.053},
    {"Arial", 0},
    {"Times New Roman", 0},
    {"Courier New", 0},
};
constexpr const char* kPangram =
    "The quick brown fox jumps over the lazy dog. THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG "
    "0123456789";

QString FontconfigChoice(const char* family) {
    QString result;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (!pattern) return result;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &status);
    if (match) {
        int width = FC_WIDTH_NORMAL;
        FcPatternGetInteger(match, FC_WIDTH, 0, &width);
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            const QString candidate = QString::fromUtf8(reinterpret_cast<const char*>(name));
            if (i == 0) result = candidate;
            // A narrow face that Qt lists under a family name of its own ("... Condensed"):
            // the first name would give Qt the normal width.
            if (width < FC_WIDTH_NORMAL && candidate.contains(QLatin1String("Condensed"))) {
                result = candidate;
                break;
            }
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return result;
}

double PangramWidth(const QString& family, int stretch = 100) {
    QFont font(family);
    font.setPixelSize(100);
    font.setStretch(stretch);
    return QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(kPangram));
}

struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};
using StretchTable = std::map<QString, int, CaseInsensitiveLess>;

// Installs Qt's substitutions from the fontconfig aliases and works out each face's stretch.
StretchTable BuildSubstitutions() {
    StretchTable stretches;
    const double arial = PangramWidth(FontconfigChoice("Arial"));
    for (const WindowsFace& face : kWindowsFaces) {
        const QString choice = FontconfigChoice(face.name);
        if (choice.isEmpty()) continue;
        if (choice.compare(QLatin1String(face.name), Qt::CaseInsensitive) != 0)
            QFont::insertSubstitution(QLatin1String(face.name), choice);
        if (face.widthToArial <= 0 || arial <= 0) continue;
        const double ratio = PangramWidth(choice) / arial;
        if (ratio > 0 && std::abs(ratio / face.widthToArial - 1.0) > 0.03)
            stretches[QLatin1String(face.name)] =
                int(std::lround(100.0 * face.widthToArial / ratio));
    }
    return stretches;
}

const StretchTable& Stretches() {
    // Built once per process and never changed afterwards.
    static const StretchTable table = BuildSubstitutions();
    return table;
}

}  // namespace

int PointsToPixels(double points) {
    return std::max(1, int(std::lround(points * 96.0 / 72.0)));
}

QFont MakeQFont(const FontSpec& wanted) {
    const QString family = wanted.name.isEmpty() ? QStringLiteral("MS Sans Serif") : wanted.name;
    const StretchTable& stretches = Stretches();
    QFont font(family);
    if (auto it = stretches.find(family); it != stretches.end()) font.setStretch(it->second);
    font.setPixelSize(PointsToPixels(wanted.size));
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    font.setStrikeOut(wanted.strikethrough);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QStringList LayoutLines(const QString& text, const QFontMetrics& metrics, int wrapWidth) {
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = normal.split(QLatin1Char('\n'));
    if (wrapWidth <= 0) return paragraphs;
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QString line;
        qsizetype pos = 0;
        while (pos < paragraph.size()) {
            // The next word with the blanks in front of it.
            qsizetype end = pos;
            while (end < paragraph.size() && paragraph[end] == QLatin1Char(' ')) ++end;
            while (end < paragraph.size() && paragraph[end] != QLatin1Char(' ')) ++end;
            const QString piece = paragraph.mid(pos, end - pos);
            const QString candidate = line + piece;
            if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > wrapWidth) {
                lines << line;
                qsizetype blanks = 0;
                while (blanks < piece.size() && piece[blanks] == QLatin1Char(' ')) ++blanks;
                line = piece.mid(blanks);
            } else {
                line = candidate;
            }
            pos = end;
        }
        lines << line;
    }
    return lines;
}

QSize TextExtent(const QStringList& lines, const QFontMetrics& metrics) {
    int width = 0;
    for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    return QSize(width, metrics.height() * int(std::max<qsizetype>(1, lines.size())));
}

}  // namespace storyloom::forms
