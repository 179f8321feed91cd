// `run --info`: what the player finds in a project folder, printed without opening a window.
#include <QDir>
#include <QTextStream>

#include "app/Commands.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "project/FrameFiles.h"
#include "project/ProjectFolder.h"
#include "startup/ProjectStartup.h"

namespace storyloom {
namespace {

// Message boxes on a run without windows: written to the error stream, answered with the
// default button.
class ConsoleDialogs : public Dialogs {
  public:
    int shown = 0;
    BoxResult MessageBox(const MessageBoxRequest& request) override {
        ++shown;
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
    out << "Project folder:   " << QString(program.paths.ProjectPath).replace(u'\\', u'/')
        << Qt::endl;
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
    const WildcardPattern frameFile(QStringLiteral("*.fme"), false);
    for (const QString& name : ListFiles(program, program.paths.FramesPath, {}))
        if (name.size() > 4 && frameFile.Matches(name)) ++frames;
    out << "Frames:           " << frames << Qt::endl;
}

}  // namespace

int RunInformation(const QString& folder) {
    // No window opens: the test platform's services, with boxes written to the error stream.
    TestPlatform platform;
    ConsoleDialogs dialogs;
    const Platform p = platform.Services();
    Program program(Platform{p.files, p.settings, p.loop, dialogs, p.display, p.shell, p.printing,
                             p.windows, p.media, p.controls});
    switch (InitializeProject(program, QDir(folder).absolutePath())) {
        case InitializeResult::MissingGeneral:
        case InitializeResult::Declined:
            return 1;
        case InitializeResult::Ready:
            break;
    }
    PrintProjectInformation(program);
    // What could be read is printed; a box on the way (a damaged project file) fails the run.
    return dialogs.shown > 0 ? 1 : 0;
}

}  // namespace storyloom
