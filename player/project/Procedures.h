#pragma once
// The project's shared script procedures (ConfigPath & "Procedures") and the line unscrambling
// routines: variant 1 for procedures, variant 2 for plug-in description files.
#include <QByteArray>
#include <QString>

namespace storyloom {

class Program;

// The whole procedures text, lines joined with CR LF; empty when the file does not exist. A
// damaged file (three lines or fewer included) shows "Error loading projet procedures." and
// gives an empty text.
QString LoadProcedures(Program& program);

// Variant 1 and variant 2 over code page 1252 bytes; each result is one byte shorter than its
// input (the first byte only carries the line's base value).
QByteArray UnscrambleLine(const QByteArray& text, qint64 offset);
QByteArray UnscrambleLine2(const QByteArray& text, qint64 offset);

// Our own project number for a title. The authoring tool's checksum is not known; scrambled
// files are read with the number found in the file itself (FindProcedureOffset), this one only
// breaks ties.
qint32 ProjectNumber(const QString& projectTitle);

// The offset (0 to 93; variant 1 works modulo 94) under which the scrambled lines read most
// like script code: keywords, blanks, balanced Sub / End Sub and Function / End Function.
// Candidates that score alike are decided by `preferred` (modulo 94), then by the lowest value.
int FindProcedureOffset(const QList<QByteArray>& scrambledLines, qint64 preferred);

}  // namespace storyloom
