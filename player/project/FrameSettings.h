#pragma once
// The frame settings file (<frame>.fme) beyond its first three fields: music, frame timer,
// video, sounds, the frame's script, the sound-channel rows and the plug-in settings. Files
// written by older authoring tools stop after any group; the later fields keep their defaults.
#include <QString>

#include "core/SoundChannelTable.h"

namespace storyloom {

class SeqReader;

struct FrameSettings {
    bool RestartMusic = false;
    QString MusicFile;
    bool FrameTimerEnabled = false;
    double FrameTimerDuration = 0;  // seconds
    QString FrameTimerTarget;
    QString VideoFile;
    bool StopAllSounds = false;
    bool StopFrameSoundIfNone = false;
    QString FrameSoundFile;
    bool VideoNaturalSize = false;
    bool VideoAtPosition = false;
    qint32 VideoLeft = 0;
    qint32 VideoTop = 0;
    qint32 VideoWidth = 0;
    qint32 VideoHeight = 0;
    bool MusicLoop = true;
    bool FrameTimerTransition = false;
    qint32 FrameTimerTransitionDuration = 0;  // milliseconds
    qint16 FrameTimerTransitionNumber = 0;
    bool RunLocalScript = false;
    QString LocalScript;  // "|" already turned into double quotes
    QString ChannelFadeDuration;
    qint16 ChannelColumns = 0;
    qint16 ChannelRows = 0;
    bool ChannelRowCrossFades = false;  // some applied row asked for a cross-fade
    bool VideoBeforeFrame = false;
    QString PluginSettings;  // character 254 turned into '"' and every '"' doubled

    // Which of the optional groups the file held (for the frame timer's transition values).
    bool HasTimerTransition = false;
    bool HasTimerTransitionNumber = false;
};

// Reads fields 1 to 40 (the first three are skipped: the header reader has them) from the
// start of the file. Channel rows that apply are stored into `channels` as they are read, so a
// failure part-way leaves the rows before it applied. Throws SeqError / RunError on a damaged
// field; `out` then holds what was read before.
void ReadFrameSettings(SeqReader& reader, SoundChannelTable& channels, FrameSettings& out);

// Basic's handling of a value read as "any" and used as a flag: a flag as itself, a number
// non-zero, a number text by its value; other text is a type mismatch.
bool AnyAsFlag(const class QVariant& value);

}  // namespace storyloom
