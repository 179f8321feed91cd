#pragma once
// The program-wide state: what the player's modules share (paths, project information, the
// message table, the flags that long operations check) plus the platform services everything
// reaches the machine through. One Program per run; tests build their own
// over a temp folder and the test services.
#include <QString>

#include "core/MessageTable.h"
#include "core/MultiDisc.h"

namespace storyloom {

class FileSystem;
class SettingsStore;
class EventLoop;
class Dialogs;
class Display;
class Shell;
class Printing;
class WindowHost;
class MediaPlayerFactory;
class ControlFacility;

// The services a run reaches the machine through (see PlatformBundle.h for who owns them).
struct Platform {
    FileSystem& files;
    SettingsStore& settings;
    EventLoop& loop;
    Dialogs& dialogs;
    Display& display;
    Shell& shell;
    Printing& printing;
    WindowHost& windows;
    MediaPlayerFactory& media;
    ControlFacility& controls;
};

// Every folder path ends with a backslash. Set once by the project initialisation.
struct ProjectPaths {
    QString ProjectPath;
    QString FramesDataPath;
    QString FramesPath;
    QString AreasPath;
    QString IconsPath;
    QString ConfigPath;
    QString SchemesPath;
    QString InventoryPath;
    QString ExternalPath;
    QString CPDataPath;
    QString ScriptBasePath;  // read by the scripts' path function

    // Derives every folder from `projectPath` (which must end with a backslash).
    void SetProject(const QString& projectPath);
};

// The project information file "Config\General", with the values a project gets when its file
// ends before a field.
struct ProjectInfo {
    QString ProjectTitle = QStringLiteral("None");
    QString GameName;
    QString InitialFrameName;
    QString GameVersion;
    qint16 ProjectWidth = 0;
    qint16 ProjectHeight = 0;
    QString AuthorName;
    QString AuthorEmail;
    QString HomepageAddress;
    qint16 OfferResolutionChange = 0;
    QString SchemeName;
    bool DisableLoadGame = false;
    bool DisableSaveGame = false;
    qint32 InventoryOffsetX = 10;
    qint32 InventoryOffsetY = 10;
    bool InventoryPopupMode = true;
    bool InventorySlideOpen = true;
    bool InventorySlideClose = true;
    bool HideInventoryWhenEmpty = true;
    bool ShowInventoryOnPickUp = true;
    bool CustomInventoryPictures = false;
    QString InventoryButtonPicture = QStringLiteral("DEFAULT");
    QString InventoryBackgroundPicture = QStringLiteral("DEFAULT");
    qint16 ResolutionChoice = 0;
    QString DefaultCursorFile = QStringLiteral("DEFAULT");  // scripts may change it
    bool RunInWindow = false;
    bool SkipWelcomeScreen = false;
    bool HideLogo = false;
    bool NoTransitionsOption = false;
    bool NoEffectsOption = false;
    bool NeverShowMenus = false;
    bool RunStartupScript = false;
    QString StartupScript;
    bool RunFrameScript = false;
    QString FrameScript;
    // Set by the welcome window's scheme, reset with the rest when the file is read.
    qint16 LogoVariant = 0;
    bool LogoWide = false;
};

class Program {
  public:
    explicit Program(Platform services) : platform(services) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Platform platform;
    ProjectPaths paths;
    ProjectInfo info;
    MessageTable Messages;

    // Shutdown has begun: long operations stop at their next check and report nothing.
    bool StopRequested = false;
    bool ProgramRunning = false;
    // Any click or key ends a running transition.
    bool InterruptTransition = false;
    bool TransitionInProgress = false;
    bool MoviePlaying = false;
    bool DialogueActive = false;

    // The disc index of a game spread over several discs (empty otherwise), and the game's
    // side of asking for a disc (null: nobody can be asked, the file is simply missing).
    DiscIndex discs;
    DiscPrompt* discPrompt = nullptr;

    // The shared error box: critical icon, title Messages(29), text Messages(30), two line
    // breaks, Messages(31), the operation's sentence (with its leading blank) and, when given,
    // the failure's description. Nothing is shown once shutdown has begun.
    void ShowErrorBox(const QString& sentence, const QString& description = {});

    // The per-user settings of this game: application "Software", section ProjectTitle.
    QString GetUserSetting(const QString& key, const QString& defaultValue = {}) const;
    void SaveUserSetting(const QString& key, const QString& value);
};

// Keys of the per-user settings store.
namespace UserKeys {
inline const QString kPath = QStringLiteral("Path");
inline const QString kChangeResolution = QStringLiteral("ChangeResolution");
inline const QString kDisableTransitions = QStringLiteral("DisableTransitions");
inline const QString kDisableEffects = QStringLiteral("DisableEffects");
inline const QString kExecuteVBScriptCode = QStringLiteral("ExecuteVBScriptCode");
inline const QString kDriveLetter = QStringLiteral("DriveLetter");
}  // namespace UserKeys

}  // namespace storyloom
