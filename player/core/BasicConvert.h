#pragma once
// Basic's value conversions, used wherever the game data says a field is "any" and converted.
// Failures throw RunError with Basic's number and description (Type mismatch, Overflow ...).
#include <QString>
#include <QVariant>

namespace storyloom {

inline const QString kCrLf = QStringLiteral("\r\n");

// Basic's Val(): the leading number of a text (blanks, tabs and line feeds inside it ignored,
// "&H" and "&O" prefixes understood); 0 when the text does not start with a number.
double Val(const QString& text);

// CDbl / CInt / CLng / CBool / CStr over a value read as "any". An empty value converts to 0,
// False or ""; #NULL# is "Invalid use of Null"; text must be a whole number text.
double CDbl(const QVariant& value);
qint16 CInt(const QVariant& value);
qint32 CLng(const QVariant& value);
bool CBool(const QVariant& value);
QString CStr(const QVariant& value);

// Rounds as Basic does (half to even), throwing Overflow outside [min, max].
qint64 RoundToInteger(double value, qint64 min, qint64 max);

// Stored script text: every "|" stands for a double quote.
QString QuoteFromBar(const QString& text);
// Plug-in text: every character 254 stands for a double quote.
QString QuoteFromMarker(const QString& text);

}  // namespace storyloom
