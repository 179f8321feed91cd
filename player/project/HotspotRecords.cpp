#include "project/HotspotRecords.h"

#include "core/BasicConvert.h"
#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

void SkipNameList(SeqReader& r) {
    const qint32 count = CLng(r.ReadVariant());
    for (qint32 n = 0; n < count; ++n) r.ReadString();
}

}  // namespace

std::optional<QString> HotspotFile(const FileSystem& fs, const QString& framesDataPath,
                                   const QString& frameName) {
    const QString base = framesDataPath + frameName;
    const QString merged = base + QStringLiteral(".mr2");
    if (!fs.FileExists(merged).isEmpty()) return merged;
    const QString plain = base + QStringLiteral(".fm2");
    if (!fs.FileExists(plain).isEmpty()) return plain;
    return std::nullopt;
}

HotspotRecord ReadHotspotRecord(SeqReader& r) {
    HotspotRecord h;
    r.ReadVariant();
    h.MergedFlag = r.ReadInteger();
    for (int f = 3; f <= 10; ++f) r.ReadVariant();
    h.Left = r.ReadDouble();
    h.Top = r.ReadDouble();
    h.Width = r.ReadDouble();
    h.Height = r.ReadDouble();
    h.PictureKind = r.ReadDouble();
    h.HasPicture = r.ReadBoolean();
    h.PictureFile = r.ReadString();
    h.StretchPicture = r.ReadDouble();
    h.PointerFile = r.ReadString();
    h.HasConditions = r.ReadDouble();
    SkipNameList(r);
    SkipNameList(r);
    if (!NextIsSeparator(r)) {
        h.AnimationSpeed = r.ReadVariant();
        if (!NextIsSeparator(r)) {
            h.HasVideo = r.ReadBoolean();
            h.HotspotVideoFile = r.ReadString();
            h.VideoFitHotspot = r.ReadDouble();
            h.VideoVolume = r.ReadDouble();
            r.ReadVariant();
            r.ReadVariant();
            h.VideoRate = r.ReadDouble();
            h.VideoPlayCount = r.ReadLong();
            r.ReadVariant();
            r.ReadVariant();
        }
    }
    // The separator (and anything a newer authoring tool wrote before it).
    SkipToSeparator(r);
    return h;
}

bool ReadHotspotVisibility(SeqReader& r, bool hidden,
                           const std::function<qint16(const QString&)>& valueOf) {
    for (int f = 1; f <= 10; ++f) r.ReadVariant();
    bool visible = !hidden;
    if (visible) {
        for (int f = 11; f <= 19; ++f) r.ReadVariant();
        const double hasConditions = r.ReadDouble();
        if (hasConditions != 0) {
            for (int list = 0; list < 2 && visible; ++list) {
                const qint32 count = CLng(r.ReadVariant());
                for (qint32 n = 0; n < count; ++n) {
                    const qint16 value = valueOf(r.ReadString());
                    if (value != -32000 && value != (list == 0 ? 0 : 1)) {
                        visible = false;
                        break;
                    }
                }
            }
        }
    }
    SkipToSeparator(r);
    return visible;
}

}  // namespace storyloom
