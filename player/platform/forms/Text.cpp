#include "platform/forms/Text.h"

#include <fontconfig/fontconfig.h>

#include <cmath>

namespace storyloom::forms {

namespace {

// Windows names whose fontconfig alias may land on a face that Qt lists under a second family
// name (a condensed width of a family): Qt would otherwise take the family's normal width.
constexpr const char* kWindowsFamilies[] = {
    "MS Sans Serif",   "Microsoft Sans Serif", "MS Shell Dlg",
    "MS Shell Dlg 2",  "Small Fonts",          "Tahoma",
    "Verdana",         "Comic Sans MS",        "Arial",
    "Times New Roman", "Courier New",
};

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
            // A narrow face: prefer the family name that says so.
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

bool InstallSubstitutions() {
    for (const char* family : kWindowsFamilies) {
        const QString choice = FontconfigChoice(family);
        if (!choice.isEmpty() && choice.compare(QLatin1String(family), Qt::CaseInsensitive) != 0)
            QFont::insertSubstitution(QLatin1String(family), choice);
    }
    return true;
}

}  // namespace

int PointsToPixels(double points) {
    return std::max(1, int(std::lround(points * 96.0 / 72.0)));
}

QFont MakeQFont(const FontSpec& spec) {
    // Once per process: Qt's substitution table, filled from the fontconfig aliases.
    static const bool substituted = InstallSubstitutions();
    (void)substituted;
    QFont font(spec.name.isEmpty() ? QStringLiteral("MS Sans Serif") : spec.name);
    font.setPixelSize(PointsToPixels(spec.size));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikethrough);
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
