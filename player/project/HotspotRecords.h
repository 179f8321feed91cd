#pragma once
// The hotspot file of a frame (<frame>.fm2, or the merged <frame>.mr2): one record per hotspot
// with its rectangle, picture, pointer, variable conditions, animation speed and video.
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace storyloom {

class FileSystem;
class SeqReader;

struct HotspotRecord {
    qint16 MergedFlag = 0;
    double Left = 0, Top = 0, Width = 0, Height = 0;  // twips
    double PictureKind = 0;                           // non-zero: an animated picture
    bool HasPicture = false;
    QString PictureFile;
    double StretchPicture = 0;
    QString PointerFile;
    double HasConditions = 0;
    QVariant AnimationSpeed;
    bool HasVideo = false;
    QString HotspotVideoFile;
    double VideoFitHotspot = 0;
    double VideoVolume = 0;
    double VideoRate = 0;
    qint32 VideoPlayCount = 0;
};

// The hotspot file of `frameName` in `framesDataPath`: the merged form when it exists; nothing
// when the frame has neither.
std::optional<QString> HotspotFile(const FileSystem& fs, const QString& framesDataPath,
                                   const QString& frameName);

// One record, up to and including its separator. Throws SeqError / RunError on a damaged field.
HotspotRecord ReadHotspotRecord(SeqReader& r);

// The visibility of the next record, up to and including its separator: a hotspot the hidden
// list names (`hidden`) stays hidden and its conditions are not read; otherwise its first name
// list hides it when a variable's value (from `valueOf`) is anything but 0, its second when it
// is anything but 1. A variable that does not exist (-32000) hides nothing.
bool ReadHotspotVisibility(SeqReader& r, bool hidden,
                           const std::function<qint16(const QString&)>& valueOf);

}  // namespace storyloom
