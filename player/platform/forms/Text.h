#pragma once
// Fonts and text layout shared by the renderer and the controls that size themselves to text.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>

#include "platform/forms/Control.h"

namespace storyloom::forms {

// Scene fonts are sized in pixels at 96 dots per inch, as on the original's desktop, whatever
// the real screen's resolution: a game's text keeps its place on its picture.
int PointsToPixels(double points);
// The QFont for a Basic font (needs the Qt application to exist, as all font metrics do). Family
// names go through fontconfig, whose aliases (installed by the project) give Windows names the free
// faces of the closest widths.
QFont MakeQFont(const FontSpec& wanted);

// Splits text into lines at CR LF, LF or CR and, when wrapWidth > 0, between words so that
// each line fits (a single word wider than the width stays whole).
QStringList LayoutLines(const QString& text, const QFontMetrics& metrics, int wrapWidth);
// The size the lines take: the widest line and one line height per line.
QSize TextExtent(const QStringList& lines, const QFontMetrics& metrics);

}  // namespace storyloom::forms
