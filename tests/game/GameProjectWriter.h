#pragma once
// The frame files the core project writer does not write: hotspots (.fm2 / .mr2), text boxes
// (.fm1 / .mr1) and actions (.fm3 / .mr3 / .fm0), in the authoring tool's layout, plus pictures.
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

#include "ProjectWriter.h"

namespace storyloom::test {

inline const QString kSeparatorText = QStringLiteral("----- SEPARATOR -----");

struct HotspotRecord {
    int MergedFlag = 0;
    double Left = 0, Top = 0, Width = 1500, Height = 1500;  // twips
    int PictureKind = 0;
    bool HasPicture = false;
    QString PictureFile;
    int StretchPicture = 0;
    QString PointerFile;
    int HasConditions = 0;
    QStringList HideIfTrue;
    QStringList ShowIfTrue;
    bool WithSpeed = true;  // field 23
    int AnimationSpeed = 0;
    bool WithVideo = true;  // fields 24 to 33
    bool HasVideo = false;
    QString VideoFile;
    int VideoFitHotspot = 0;
    int VideoVolume = 10;
    double VideoRate = 1;
    int VideoPlayCount = 1;
    int cutAfterField = 0;  // > 0: the file ends after that field (a damaged record)
};

struct TextRecord {
    int MergedFlag = 0;
    QString Caption = QStringLiteral("Hello");
    double Left = 150, Top = 150;
    bool Bold = false, Italic = false;
    QString FontName = QStringLiteral("Arial");
    double FontSize = 10;
    bool Strikethrough = false, Underline = false;
    qint64 TextColor = 0xFFFFFF;
    // Replaces a field's value with raw text (field number, text) to write damaged data.
    int rawField = 0;
    QString rawText;
};

struct ChannelEntry {
    int Mode = 0;
    bool CrossFade = false;
    bool Repeat = false;
    double Volume = 10;
    QString FileName;
};

// One action record. `lastGroup` cuts the block after that group: 0 ends after field 13,
// 1 after 23, 2 after 28, 3 after 32, 4 after 36, 5 after 41, 6 after 42, 7 after 44,
// 8 after 46, 9 after 47, 10 after the channel entries, 11 after the item, 12 is complete.
struct ActionRecord {
    QString DropKey;  // item-drop files: "3_key.drg"
    int ChangeVariableOn = 0;
    QString ChangeVariableName;
    bool SetFalse = false, SetTrue = false, Invert = false;
    bool ShowMessage = false;
    QString MessageText;
    bool DisappearOn = false;
    bool QuitGame = false;
    int GoToFrameOn = 0;
    QString TargetFrame;
    int StopHotspotSound = 0;
    int StopAllSounds = 0;
    int PlayVideoOn = 0;
    QString VideoFile;
    bool VideoPlain = false, VideoAtPosition = false;
    int VideoLeft = 0, VideoTop = 0, VideoWidth = 0, VideoHeight = 0;
    bool StopFrameSound = false;
    bool PlayHotspotSound = false;
    QString HotspotSoundFile;
    bool PlayFrameSound = false;
    QString FrameSoundFile;
    bool GoToLastVisited = false;
    bool MessageMode = false;
    int VariableListsOn = 0;
    QStringList SetToZero, SetToOne, InvertList;
    bool RepeatHotspotSound = true;
    int TransitionOn = 0;
    double TransitionDurationMs = 0;
    bool ScriptOn = false;
    QString ScriptCode;  // real double quotes; written as "|"
    int TransitionNumber = 0;
    double FadeDurationMs = 0;
    int ChannelFieldCount = 5;
    std::vector<ChannelEntry> Channels;
    bool GiveItemOn = false;
    QString GiveItemName;
    QString PluginActions;
    int lastGroup = 12;
    // Writes raw text in place of field `rawField` (1-based within the common block).
    int rawField = 0;
    QString rawText;
};

void WriteHotspots(const ProjectWriter& project, const QString& frame,
                   const std::vector<HotspotRecord>& records,
                   const QString& ext = QStringLiteral("fm2"));
void WriteTextBoxes(const ProjectWriter& project, const QString& frame,
                    const std::vector<TextRecord>& records,
                    const QString& ext = QStringLiteral("fm1"));
void WriteActions(const ProjectWriter& project, const QString& frame,
                  const std::vector<ActionRecord>& records,
                  const QString& ext = QStringLiteral("fm3"));
// A picture of one colour (or the given image) saved as BMP at `relativePath`.
void WritePicture(const ProjectWriter& project, const QString& relativePath, const QImage& image);
QImage SolidImage(int width, int height, QColor color);

}  // namespace storyloom::test
