#include "platform/forms/Text.h"

#include <cmath>

namespace storyloom::forms {

int PointsToPixels(double points) { return std::max(1, int(std::lround(points * 96.0 / 72.0))); }

QFont MakeQFont(const FontSpec& spec) {
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
