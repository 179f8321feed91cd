#pragma once
// The player's command line: what a run is asked to do, read before any window system is
// touched, so that help, version and mistakes need no display.
#include <QString>
#include <QStringList>
#include <optional>

namespace storyloom {

struct CommandLine {
    enum class Action {
        Play,         // run [FOLDER]
        Info,         // run --info [FOLDER]
        Walkthrough,  // run --walkthrough ... (its own options)
        RandomWalk,   // run --random-walk ... (its own options)
        Help,         // run --help: the usage on standard output, exit 0
        Version,      // run --version: the version on standard output, exit 0
        Mistake,      // anything else: `error` and the usage on standard error, exit 2
    };
    Action action = Action::Play;
    QString folder;  // as given; empty when none
    QString error;
    // For this run only, over the remembered choice: full screen or a window, and the scaling
    // ("original", "sharp", "smooth" or "stretch"; empty when not given).
    std::optional<bool> fullScreen;
    QString scale;
};

// `args` without the program name.
CommandLine ParseCommandLine(const QStringList& args);

// The usage text, one line per way of running.
QString UsageText();
// "storyloom VERSION".
QString VersionText();

// How a game window shows its picture, remembered per game folder in the per-user settings
// (~/.config/storyloom/view.ini): the scaling in a window and in full screen, and full screen.
struct ViewPreference {
    QString windowed = QStringLiteral("sharp");
    QString fullScreen = QStringLiteral("smooth");
    bool fullScreenOn = false;
};
ViewPreference LoadViewPreference(const QString& gameFolder);
void SaveViewPreference(const QString& gameFolder, const ViewPreference& preference);

// Empty when `folder` holds a game (its Config/General, in any letter case); otherwise the
// message for the user, "FOLDER is not a game folder: Config/General is missing", with `/`
// between folder names.
QString NotAGameFolder(const QString& folder);

}  // namespace storyloom
