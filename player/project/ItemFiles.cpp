#include "project/ItemFiles.h"

#include <QVariant>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "platform/files/FileSystem.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

// A field read without a type that counts when it equals 1 (a flag written #TRUE# does not).
bool IsOne(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return false;
    return CDbl(v) == 1;
}

}  // namespace

QString ReadItemIconName(const FileSystem& fs, const QString& areasPath, const QString& itemName) {
    SeqReader r = OpenSeqFile(fs, areasPath + itemName + QStringLiteral(".obj"));
    return CStr(r.ReadVariant());
}

std::optional<QString> FindPickUp(const FileSystem& fs, const QString& framesDataPath,
                                  const QString& frameName, int areaIndex,
                                  const std::function<bool()>& stopRequested) {
    const QString file = framesDataPath + frameName + QStringLiteral(".fm4");
    if (fs.FileExists(file).isEmpty()) return std::nullopt;
    SeqReader r = OpenSeqFile(fs, file);
    while (!r.AtEnd()) {
        if (stopRequested && stopRequested()) return std::nullopt;
        r.ReadVariant();
        if (r.ReadInteger() != areaIndex) {
            SkipToSeparator(r);
            continue;
        }
        for (int f = 3; f <= 10; ++f) r.ReadVariant();
        if (!IsOne(r.ReadVariant())) return std::nullopt;
        return r.ReadString();
    }
    return std::nullopt;
}

QString CombinationFileName(const QString& areasPath, const QString& dragged,
                            const QString& target) {
    return areasPath + dragged + QStringLiteral("_on_") + target + QStringLiteral(".drg");
}

void ReadItemCombination(SeqReader& r, ItemCombination& out) {
    out.DraggedDisappears = IsOne(r.ReadVariant());
    out.TargetDisappears = IsOne(r.ReadVariant());
    out.GiveItemOn = IsOne(r.ReadVariant());
    out.GiveItemName = CStr(r.ReadVariant());
}

bool ReadCombinationScript(SeqReader& r, ItemCombination& out) {
    if (r.AtEnd()) return false;
    out.HasScript = true;
    for (int f = 5; f <= 7; ++f) r.ReadVariant();
    out.ScriptOn = r.ReadBoolean();
    out.ScriptCode = r.ReadString().replace(u'|', u'"');
    return true;
}

}  // namespace storyloom
