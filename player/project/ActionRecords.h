#pragma once
// A frame's action file (<frame>.fm3, or the merged <frame>.mr3: one record per hotspot) and its
// item-drop file (<frame>.fm0: records keyed "hotspot_item.drg"). A record is read field by
// field; some of its effects take hold the moment their fields are read (variables changed,
// the hotspot or item used up, the game quitting, sounds stopped, sound channels set), so a
// record damaged part-way keeps what came before the damage. The reader reports those through
// ActionRecordSink and leaves the rest in the record for the game to carry out in its order.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/SoundChannelTable.h"
#include "platform/seqfile/SeqFile.h"

namespace storyloom {

class FileSystem;

struct ActionRecord {
    qint16 ChangeVariableOn = 0;
    QString ChangeVariableName;
    bool SetFalse = false, SetTrue = false, Invert = false;
    bool ShowMessage = false;
    QString MessageText;
    bool DisappearOn = false;
    bool QuitGame = false;
    qint16 GoToFrameOn = 0;
    QString TargetFrame;
    qint16 StopHotspotSound = 0;
    qint16 StopAllSounds = 0;
    qint16 PlayVideoOn = 0;
    QString VideoFile;
    bool VideoPlain = false, VideoAtPosition = false;
    qint16 VideoLeft = 0, VideoTop = 0, VideoWidth = 0, VideoHeight = 0;
    bool StopFrameSound = false;
    bool PlayHotspotSound = false;
    QString HotspotSoundFile;
    bool PlayFrameSound = false;
    QString FrameSoundFile;
    bool GoToLastVisited = false;
    bool MessageMode = false;
    qint16 VariableListsOn = 0;
    bool RepeatHotspotSound = true;
    bool TransitionOn = false;
    double TransitionDurationMs = 0;
    bool ScriptOn = false;
    QString ScriptCode;  // "|" already turned into double quotes
    qint16 TransitionNumber = 0;
    bool GiveItemOn = false;
    QString GiveItemName;
    QString PluginActions;  // character 254 turned into '"' and every '"' doubled
};

// The effects that take hold while the record is read, in file order.
class ActionRecordSink {
  public:
    virtual ~ActionRecordSink() = default;
    // An integer variable set to 0 or 1, or inverted (-1).
    virtual void ChangeVariable(const QString& name, qint32 value) = 0;
    // The hotspot disappears, or the dropped item is used up.
    virtual void Disappear() = 0;
    // The music channel stops (the hotspot sound).
    virtual void StopMusic() = 0;
    // Digital sounds stop.
    virtual void StopDigitalSounds() = 0;
    // The cross-fade duration of the channel changes, in seconds.
    virtual void SetFadeDuration(double seconds) = 0;
    // Channel `channel` (1 to 7) takes a new entry: mode, cross-fade, repeat, volume and file.
    // An entry that cannot be converted changes nothing of its channel.
    virtual void SetChannel(int channel, const SoundChannel& entry) = 0;
};

// The record of hotspot `areaIndex` (or, when `dropItemName` is not empty, of that item dropped
// on it), positioned after its ten leading fields; nothing when the frame has no such record.
// `stopRequested` ends the search for a drop record early. Throws SeqError / RunError when the
// file cannot be read.
std::optional<SeqReader> OpenActionRecord(const FileSystem& fs, const QString& framesDataPath,
                                          const QString& frameName, int areaIndex,
                                          const QString& dropItemName,
                                          const std::function<bool()>& stopRequested);

// Reads the record's block into `out`, reporting the immediate effects to `sink` as their
// fields are read. Stops right after a QuitGame flag that is set (returns true then). Throws
// SeqError / RunError on a damaged field: `out` and the effects reported keep what was read.
bool ReadActionRecord(SeqReader& r, ActionRecord& out, ActionRecordSink& sink);

}  // namespace storyloom
