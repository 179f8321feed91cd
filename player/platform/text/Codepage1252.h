#pragma once
// Windows-1252 <-> Unicode. Every project file is stored in code page 1252.
#include <QByteArray>
#include <QString>

namespace storyloom {

QString FromCp1252(const QByteArray& bytes);
QString FromCp1252(const char* data, qsizetype size);
// Decodes data onto the end of out.
void AppendFromCp1252(QString& out, const char* data, qsizetype size);
// Characters outside code page 1252 become "?", as Windows' conversion does.
QByteArray ToCp1252(const QString& text);
// The 1252 byte of one character, or '?' when it has none.
unsigned char ToCp1252(QChar c);
QChar FromCp1252(unsigned char byte);

}  // namespace storyloom
