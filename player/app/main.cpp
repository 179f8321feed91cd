// The player program.
//   run                    plays the game in the program's own folder (a game keeps its player)
//   run FOLDER             plays the game in FOLDER
//   run --info [FOLDER]    prints what the player finds in the project
//   run --walkthrough FILE [--out DIR] [FOLDER]   plays the game headless from a walkthrough
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

#include "app/Commands.h"
#include "app/PlayerAssembly.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: run [FOLDER]\n"
                 "       run --info [FOLDER]\n"
                 "       run --walkthrough FILE [--out DIR] [FOLDER]\n");
    return 2;
}

// The project folder: the one given, or the folder that holds the program file.
QString ProjectFolder(const QStringList& args) {
    return args.isEmpty() ? storyloom::DefaultProjectFolder() : QDir(args.first()).absolutePath();
}

int Play(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends when the welcome window is unloaded, not when a window closes.
    app.setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(u'-'))) return Usage();
    const auto platform = storyloom::MakeDesktopPlatform();
    storyloom::PlayerAssembly player(*platform);
    if (!player.Start(ProjectFolder(args))) return player.ExitCode();
    return app.exec();
}

int Information(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(2);
    if (args.size() > 1) return Usage();
    return storyloom::RunInformation(ProjectFolder(args));
}

}  // namespace

QString storyloom::DefaultProjectFolder() {
    const QString own = QCoreApplication::applicationDirPath();
#ifdef STORYLOOM_DEMO_FOLDER
    if (!QFileInfo::exists(own + QStringLiteral("/Config/General")))
        return QStringLiteral(STORYLOOM_DEMO_FOLDER);
#endif
    return own;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--random-walk") == 0)
        return storyloom::RunRandomWalks(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--walkthrough") == 0)
        return storyloom::RunWalkthrough(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--info") == 0) return Information(argc, argv);
    return Play(argc, argv);
}
