#pragma once
// Writes game folders in the project format: the project information, message texts,
// variables, procedures (plain or scrambled), "More" settings, frame settings, hotspot, text-box
// and action records and pictures, into a temp folder or a folder of the caller's. Every file is
// written the way the authoring tool writes it: code page 1252, one Write # record per field,
// CR LF line ends. Tests, the demo generator and the fuzz targets build their games with it;
// the records can also be written damaged (a field replaced by raw text, a record cut short).
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <vector>

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

// Every field of "Config\General", in file order (1 to 55). `lastField` cuts the file after
// that field, as older authoring tools wrote it.
struct GeneralFile {
    QString ProjectTitle = QStringLiteral("Test Project");
    QString GameName = QStringLiteral("Test Game");
    QString InitialFrameName = QStringLiteral("Start");
    QString GameVersion;
    int ProjectWidth = 640;
    int ProjectHeight = 480;
    QString AuthorName;
    QString AuthorEmail;
    QString HomepageAddress;
    int OfferResolutionChange = 0;
    QString SchemeName;
    bool DisableLoadGame = false;
    bool DisableSaveGame = false;
    int InventoryOffsetX = 10;
    int InventoryOffsetY = 10;
    bool InventoryPopupMode = true;
    bool InventorySlideOpen = true;
    bool InventorySlideClose = true;
    bool HideInventoryWhenEmpty = true;
    bool ShowInventoryOnPickUp = true;
    bool CustomInventoryPictures = false;
    QString InventoryButtonPicture = QStringLiteral("DEFAULT");
    QString InventoryBackgroundPicture = QStringLiteral("DEFAULT");
    int ResolutionChoice = 0;
    QString DefaultCursorFile = QStringLiteral("DEFAULT");
    bool RunInWindow = false;
    bool SkipWelcomeScreen = false;
    bool HideLogo = false;
    bool NoTransitionsOption = false;
    bool NoEffectsOption = false;
    bool NeverShowMenus = false;
    bool RunStartupScript = false;
    QString StartupScript;  // as the game sees it: double quotes are stored as "|"
    bool RunFrameScript = false;
    QString FrameScript;
    int lastField = 55;
};

// One sound-channel row of a frame's settings file (values by column 1 to 5).
struct ChannelRow {
    double Mode = 0;
    bool CrossFade = false;
    bool Repeat = false;
    double Volume = 0;
    QString FileName;
};

// Every field of "<frame>.fme". `lastGroup` (1 to 10) cuts the file after that group.
struct FrameFile {
    int BackgroundType = 0;
    QString BackgroundValue = QStringLiteral("0");
    bool BackgroundTiled = false;
    bool RestartMusic = false;
    QString MusicFile;
    bool FrameTimerEnabled = false;
    double FrameTimerDuration = 0;
    QString FrameTimerTarget;
    QString VideoFile;
    // group 2
    bool StopAllSounds = false;
    bool StopFrameSoundIfNone = false;
    QString FrameSoundFile;
    // group 3
    bool VideoNaturalSize = false;
    bool VideoAtPosition = false;
    int VideoLeft = 0, VideoTop = 0, VideoWidth = 0, VideoHeight = 0;
    // group 4
    bool MusicLoop = true;
    // group 5
    bool FrameTimerTransition = false;
    int FrameTimerTransitionDuration = 0;
    // group 6
    int FrameTimerTransitionNumber = 0;
    // group 7
    bool RunLocalScript = false;
    QString LocalScript;  // as the game sees it: double quotes are stored as "|"
    // group 8
    double ChannelFadeDuration = 0;
    int ChannelColumns = 5;
    std::vector<ChannelRow> channels;
    // group 9
    bool VideoBeforeFrame = false;
    // group 10
    QString PluginSettings;  // double quotes are stored as character 254
    int lastGroup = 10;
};

// Variant 1 scrambling, the inverse of the player's unscrambling: `base` is the line's first
// character (33 to 126).
QByteArray ScrambleLine(const QByteArray& plain, qint64 offset, char base);
// Variant 2 scrambling (plug-in files).
QByteArray ScrambleLine2(const QByteArray& plain, qint64 offset, char base);

struct AuthoredHotspot {
    QString Name;  // field 1, which the player passes over: it names the hotspot for a reader
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

struct AuthoredTextBox {
    QString Name;  // field 1, which the player passes over
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

struct AuthoredChannelEntry {
    int Mode = 0;
    bool CrossFade = false;
    bool Repeat = false;
    double Volume = 10;
    QString FileName;
};

// One action record. `lastGroup` cuts the block after that group: 0 ends after field 13,
// 1 after 23, 2 after 28, 3 after 32, 4 after 36, 5 after 41, 6 after 42, 7 after 44,
// 8 after 46, 9 after 47, 10 after the channel entries, 11 after the item, 12 is complete.
struct AuthoredAction {
    QString Name;     // field 1, which the player passes over
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
    std::vector<AuthoredChannelEntry> Channels;
    bool GiveItemOn = false;
    QString GiveItemName;
    QString PluginActions;
    int lastGroup = 12;
    // Writes raw text in place of field `rawField` (1-based within the common block).
    int rawField = 0;
    QString rawText;
};

// One file of the disc index: its name inside the disc's Frames (kind 1) or Areas (kind 2)
// folder and the disc it lies on.
struct AuthoredDiscEntry {
    QString Name;
    int Disc = 2;
    int Kind = 1;
};

class ProjectWriter {
  public:
    ProjectWriter();                                    // a fresh temp folder, removed at the end
    explicit ProjectWriter(const QString& nativeRoot);  // an existing folder of the caller's

    // The project folder as a native path, without a trailing separator.
    QString Root() const { return root_; }
    // The native path of a file of the project ("Config/General" or "Config\General").
    QString NativePath(const QString& relativePath) const;

    void WriteFile(const QString& relativePath, const QByteArray& bytes) const;
    void WriteText(const QString& relativePath, const QString& text) const;  // as code page 1252
    void WriteRecords(const QString& relativePath,
                      const std::function<void(SeqWriter&)>& fill) const;
    void MakeFolder(const QString& relativePath) const;
    void Remove(const QString& relativePath) const;

    void WriteGeneral(const GeneralFile& general,
                      const QString& relativePath = QStringLiteral("Config/General")) const;
    // Mode 2 writes `texts` as the texts for indexes 1 to N (N = `count` when given, else their
    // number); other modes write the mode only.
    void WriteTexts(int mode, const QStringList& texts = {}, std::optional<int> count = {}) const;
    // The leading field, the integer names, then "***" and the variant names when there are any
    // (or when `separator` asks for it).
    void WriteVariables(const QStringList& integerNames, const QStringList& variantNames = {},
                        bool separator = false) const;
    // Three header lines, then `lines`; scrambled with variant 1 under `scrambleOffset` when
    // given (and "ProcEncr" = 1 written to "More").
    void WriteProcedures(const QStringList& lines, std::optional<qint64> scrambleOffset = {}) const;
    void WriteMore(const QString& section, const QString& key, const QString& value) const;
    void WriteFrame(const QString& name, const FrameFile& frame) const;
    // The disc index "Config/CDContents" of a game on `discCount` discs (three leading fields,
    // the number of discs, two more fields, then one record per entry) and, with `marker`, the
    // file "RunFromCD.dat" that makes the player use it.
    void WriteDiscIndex(int discCount, const std::vector<AuthoredDiscEntry>& entries,
                        bool marker = true) const;
    void WriteHotspotCount(const QString& frameName, int count) const;
    // The frame's rippling water: "<frame>.rwe" with the region and wave settings (six leading
    // fields the player skips; `withReverse` false writes the 12-field form of older files) and,
    // unless `mask` is null, "<frame>.rwm" as a BMP.
    void WriteWaterEffect(const QString& frameName, int left, int top, int width, int height,
                          int waveParameter, int speed, bool reverse, const QImage& mask,
                          bool withReverse = true) const;

  private:
    std::optional<QTemporaryDir> temp_;
    QString root_;
};

void WriteHotspots(const ProjectWriter& project, const QString& frame,
                   const std::vector<AuthoredHotspot>& records,
                   const QString& ext = QStringLiteral("fm2"));
void WriteTextBoxes(const ProjectWriter& project, const QString& frame,
                    const std::vector<AuthoredTextBox>& records,
                    const QString& ext = QStringLiteral("fm1"));
void WriteActions(const ProjectWriter& project, const QString& frame,
                  const std::vector<AuthoredAction>& records,
                  const QString& ext = QStringLiteral("fm3"));
// An item: Areas\<name>.obj naming its icon (a file inside Areas).
void WriteItem(const ProjectWriter& project, const QString& name, const QString& iconFile);
// A frame's pick-up file: one record per (hotspot, item) pair; an empty item name writes a
// record that gives nothing.
struct AuthoredPickUp {
    int Hotspot = 1;
    QString Item;
};
void WritePickUps(const ProjectWriter& project, const QString& frame,
                  const std::vector<AuthoredPickUp>& records);
// Areas\<dragged>_on_<target>.drg. Without `withScript` the file ends after the given item.
struct AuthoredCombination {
    bool DraggedDisappears = false;
    bool TargetDisappears = false;
    bool GiveItemOn = false;
    QString GiveItemName;
    bool withScript = true;
    bool ScriptOn = false;
    QString ScriptCode;  // real double quotes; written as "|"
};
void WriteCombination(const ProjectWriter& project, const QString& dragged, const QString& target,
                      const AuthoredCombination& c);
// One entry of an old-style sound block; the entry's place (1 to 5) is its channel.
struct SoundBlockEntry {
    bool Stop = false;
    bool Play = false;
    QString FileName;  // inside the Areas folder
    int Repeat = 0;    // 0 plays once, anything else without end
};
// A sound block: the 22 leading values, then the entries (at most 5 are read). A frame's
// ".chn" file is one block; a hotspot's ".fm5" record ends with one.
void WriteSoundBlock(SeqWriter& w, const std::vector<SoundBlockEntry>& entries);

// `image` saved as BMP at `relativePath` (folders made as needed).
void WritePicture(const ProjectWriter& project, const QString& relativePath, const QImage& image);

}  // namespace storyloom
