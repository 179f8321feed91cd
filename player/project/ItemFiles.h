#pragma once
// The item files of a project: an item's file (Areas\<item>.obj, whose first field names the
// item's icon), a frame's pick-up file (FramesData\<frame>.fm4: which hotspots give an item
// when clicked) and the combination file of two items (Areas\<dragged>_on_<target>.drg).
#include <QString>
#include <functional>
#include <optional>

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

class FileSystem;

// The icon's file name (inside the Areas folder) from an item's file. Throws RunError when the
// file is missing or cannot be read, SeqError when it is empty or damaged.
QString ReadItemIconName(const FileSystem& fs, const QString& areasPath, const QString& itemName);

// The item that a click on hotspot `areaIndex` picks up: nullopt when the frame has no pick-up
// file, no record for that hotspot, or one that gives nothing. Records are read until the one
// of that hotspot (or the end, or until `stopRequested` answers true). Throws SeqError /
// RunError on a damaged file.
std::optional<QString> FindPickUp(const FileSystem& fs, const QString& framesDataPath,
                                  const QString& frameName, int areaIndex,
                                  const std::function<bool()>& stopRequested);

// What dropping one item on another does.
struct ItemCombination {
    bool DraggedDisappears = false;
    bool TargetDisappears = false;
    bool GiveItemOn = false;
    QString GiveItemName;
    // Present only when the file goes on after the given item.
    bool HasScript = false;
    bool ScriptOn = false;
    QString ScriptCode;  // "|" already turned into double quotes
};

QString CombinationFileName(const QString& areasPath, const QString& dragged,
                            const QString& target);
// Reads the first four fields. Throws SeqError / RunError on a damaged file: `out` keeps what
// was read before.
void ReadItemCombination(SeqReader& reader, ItemCombination& out);
// Then the script fields, when the file goes on (false when it has ended).
bool ReadCombinationScript(SeqReader& reader, ItemCombination& out);

}  // namespace storyloom
