// The player program.
//   run                    plays the game in the program's own folder (a game keeps its player);
//                          without one, the launcher lists the games played recently
//   run FOLDER             plays the game in FOLDER
//   run --info [FOLDER]    prints what the player finds in the project
//   run --walkthrough FILE [--out DIR] [--scale MODE [--size WxH]] [FOLDER]
//                          plays the game headless from a walkthrough
//   run --random-walk ...  random walkthroughs over the game
//   run --help | --version
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/Launcher.h"
#include "app/PlayerAssembly.h"
#include "core/PlatformBundle.h"
#include "platform/forms/Renderer.h"

namespace {

void Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

int Mistake(const QString& error) {
    if (!error.isEmpty()) Print(stderr, QStringLiteral("run: %1\n").arg(error));
    Print(stderr, storyloom::UsageText());
    return 2;
}

// The project folder: the one given, or the folder that holds the program file.
QString ProjectFolder(const QString& given) {
    return given.isEmpty() ? storyloom::DefaultProjectFolder() : QDir(given).absolutePath();
}

storyloom::forms::ScalingMode ModeNamed(const QString& name,
                                        storyloom::forms::ScalingMode fallback) {
    return storyloom::forms::ScalingModeNamed(name).value_or(fallback);
}

// The remembered choice of the game (with this run's overrides) for the game window, and
// every change the player makes remembered again.
void ApplyViewPreference(storyloom::QtWindowHost& windows, const QString& folder,
                         const storyloom::CommandLine& command) {
    using storyloom::forms::ScalingMode;
    storyloom::ViewPreference p = storyloom::LoadViewPreference(folder);
    storyloom::QtWindowHost::ViewChoice choice;
    choice.windowed = ModeNamed(p.windowed, ScalingMode::Sharp);
    choice.fullScreen = ModeNamed(p.fullScreen, ScalingMode::Smooth);
    choice.fullScreenOn = command.fullScreen.value_or(p.fullScreenOn);
    if (!command.scale.isEmpty())
        (choice.fullScreenOn ? choice.fullScreen : choice.windowed) =
            ModeNamed(command.scale, ScalingMode::Smooth);
    windows.SetViewChoice(choice);
    windows.onViewChoiceChanged = [folder](const storyloom::QtWindowHost::ViewChoice& c) {
        storyloom::SaveViewPreference(
            folder, {storyloom::forms::ScalingModeName(c.windowed),
                     storyloom::forms::ScalingModeName(c.fullScreen), c.fullScreenOn});
    };
}

int Play(int argc, char** argv, const storyloom::CommandLine& command) {
    const QString& given = command.folder;
    QString folder = ProjectFolder(given);
    // Without a game of its own, the program asks which game to play.
    const bool launcher = given.isEmpty() && !storyloom::NotAGameFolder(folder).isEmpty();
    // A folder given that is not a game is refused before the window system is opened: no
    // display is needed to be told.
    if (const QString why = storyloom::NotAGameFolder(folder); !why.isEmpty() && !launcher) {
        Print(stderr, why + u'\n');
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("storyloom"));
    QApplication::setDesktopFileName(QStringLiteral("storyloom"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("storyloom")));
    if (launcher) {
        folder = storyloom::RunLauncher();
        if (folder.isEmpty()) return 0;
    }
    // The program ends when the welcome window is unloaded, not when a window closes.
    app.setQuitOnLastWindowClosed(false);
    const auto platform = storyloom::MakeDesktopPlatform();
    ApplyViewPreference(platform->windows, folder, command);
    storyloom::PlayerAssembly player(*platform);
    platform->windows.applicationTitle = [&player] { return player.program.info.GameName; };
    if (!player.Start(folder)) return player.ExitCode();
    storyloom::RememberRecentGame(folder, player.program.info.GameName);
    return app.exec();
}

int Information(int argc, char** argv, const QString& given) {
    const QString folder = ProjectFolder(given);
    QCoreApplication app(argc, argv);
    if (const QString why = storyloom::NotAGameFolder(folder); !why.isEmpty()) {
        Print(stderr, why + u'\n');
        return 1;
    }
    return storyloom::RunInformation(folder);
}

QStringList Arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

}  // namespace

QString storyloom::DefaultProjectFolder() {
    // The folder of the program file, known before any application object exists.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString own = self.exists() ? QFileInfo(self.canonicalFilePath()).absolutePath()
                                      : QCoreApplication::applicationDirPath();
    if (NotAGameFolder(own).isEmpty()) return own;
#ifdef STORYLOOM_INSTALLED_DEMO
    // An installed program: the demo among the installed data files.
    const QString installed = QDir::cleanPath(own + QStringLiteral("/" STORYLOOM_INSTALLED_DEMO));
    if (NotAGameFolder(installed).isEmpty()) return installed;
#endif
#ifdef STORYLOOM_DEMO_FOLDER
    // A program in the build tree: the demo of the source tree.
    if (NotAGameFolder(QStringLiteral(STORYLOOM_DEMO_FOLDER)).isEmpty())
        return QStringLiteral(STORYLOOM_DEMO_FOLDER);
#endif
    return own;
}

int main(int argc, char** argv) {
    using Action = storyloom::CommandLine::Action;
    const storyloom::CommandLine command = storyloom::ParseCommandLine(Arguments(argc, argv));
    switch (command.action) {
        case Action::Help:
            Print(stdout, storyloom::UsageText());
            return 0;
        case Action::Version:
            Print(stdout, storyloom::VersionText() + u'\n');
            return 0;
        case Action::Mistake:
            return Mistake(command.error);
        case Action::RandomWalk:
            return storyloom::RunRandomWalks(argc, argv);
        case Action::Walkthrough:
            return storyloom::RunWalkthrough(argc, argv);
        case Action::Info:
            return Information(argc, argv, command.folder);
        case Action::Play:
            break;
    }
    return Play(argc, argv, command);
}
