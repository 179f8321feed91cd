// The player program. For now `run [FOLDER]` reads the project in FOLDER (by default the folder
// of the program file, where a game keeps its player) and prints what it found.
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdio>

#include "core/Program.h"
#include "frames/FrameFiles.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/settings/SettingsStore.h"
#include "startup/ProjectStartup.h"

namespace storyloom {
namespace {

// Message boxes on a run without windows: written to the error stream, answered with the
// default button.
class ConsoleDialogs : public Dialogs {
  public:
    BoxResult MessageBox(const MessageBoxRequest& request) override {
        QTextStream err(stderr);
        err << "[" << request.title << "] " << request.text << Qt::endl;
        return request.DefaultResult();
    }
    std::optional<QString> InputBox(const InputBoxRequest& request) override {
        return request.defaultText;
    }
};

QString YesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

void PrintProjectInformation(Program& program) {
    const ProjectInfo& info = program.info;
    QTextStream out(stdout);
    out << "Project folder:   " << program.paths.ProjectPath << Qt::endl;
    out << "Project title:    " << info.ProjectTitle << Qt::endl;
    out << "Game name:        " << info.GameName << Qt::endl;
    out << "Version:          " << info.GameVersion << Qt::endl;
    out << "Author:           " << info.AuthorName << Qt::endl;
    out << "E-mail:           " << info.AuthorEmail << Qt::endl;
    out << "Web site:         " << info.HomepageAddress << Qt::endl;
    out << "Initial frame:    " << info.InitialFrameName
        << (FrameExists(program, info.InitialFrameName) ? "" : " (missing)") << Qt::endl;
    out << "Size:             " << info.ProjectWidth << " x " << info.ProjectHeight << Qt::endl;
    out << "Scheme:           "
        << (info.SchemeName.isEmpty() ? QStringLiteral("(none)") : info.SchemeName) << Qt::endl;
    out << "Run in window:    " << YesNo(info.RunInWindow) << Qt::endl;
    out << "Welcome screen:   " << YesNo(!info.SkipWelcomeScreen) << Qt::endl;
    out << "Load / save:      " << YesNo(!info.DisableLoadGame) << " / "
        << YesNo(!info.DisableSaveGame) << Qt::endl;
    out << "Start button:     " << program.Messages(1) << Qt::endl;
    // Frames are counted the way the debug menu lists them: every "*.fme" file of the folder.
    int frames = 0;
    for (const QString& name : ListFiles(program, program.paths.FramesPath, {}))
        if (name.size() > 4 && WildcardMatch(name, QStringLiteral("*.fme"), false)) ++frames;
    out << "Frames:           " << frames << Qt::endl;
}

int Run(const QString& folder) {
    FileSystem files;
    FileSettingsStore settings;
    QtEventLoop loop;
    ConsoleDialogs dialogs;
    Program program(Platform{files, settings, loop, dialogs});
    switch (InitializeProject(program, QDir(folder).absolutePath())) {
        case InitializeResult::MissingGeneral:
        case InitializeResult::Declined:
            return 1;
        case InitializeResult::Ready:
            break;
    }
    PrintProjectInformation(program);
    return 0;
}

}  // namespace
}  // namespace storyloom

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(u'-'))) {
        std::fprintf(stderr, "usage: run [FOLDER]\n");
        return 2;
    }
    return storyloom::Run(args.isEmpty() ? QCoreApplication::applicationDirPath() : args.first());
}
