#pragma once
// Record files of the project format end every record with a field holding the separator text.
#include <QString>

namespace storyloom {

class SeqReader;

inline const QString kRecordSeparator = QStringLiteral("----- SEPARATOR -----");

// True when the file has ended or the next field is the separator; the field is left unread.
bool NextIsSeparator(SeqReader& reader);
// Reads fields up to and including the next separator (or to the end of the file).
void SkipToSeparator(SeqReader& reader);

}  // namespace storyloom
