#pragma once
// Writes game folders in the project format for tests: the project information, message texts,
// variables, procedures (plain or scrambled), "More" settings and frame files, into a temp
// folder (or a folder of the caller's). Every file is written the way the authoring tool writes
// it: code page 1252, one Write # record per field, CR LF line ends.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "platform/seqfile/SeqFile.h"

// Readable values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace storyloom::test {

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
    void WriteHotspotCount(const QString& frameName, int count) const;

  private:
    std::optional<QTemporaryDir> temp_;
    QString root_;
};

}  // namespace storyloom::test
