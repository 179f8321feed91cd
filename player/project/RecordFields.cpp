#include "project/RecordFields.h"

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

bool NextIsSeparator(SeqReader& reader) {
    if (reader.AtEnd()) return true;
    const qsizetype at = reader.Tell();
    const QString field = reader.ReadString();
    reader.Seek(at);
    return field == kRecordSeparator;
}

void SkipToSeparator(SeqReader& reader) {
    while (!reader.AtEnd())
        if (reader.ReadString() == kRecordSeparator) return;
}

}  // namespace storyloom
