#include "startup/ProjectStartup.h"

#include "core/Program.h"
#include "platform/components/ControlFacility.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "project/DiscIndex.h"
#include "project/Messages.h"
#include "project/ProjectFolder.h"
#include "project/ProjectInformation.h"

namespace storyloom {

namespace {

// Steps that later parts of the player fill in. Each is called where the start-up sequence
// needs it, so adding the behaviour does not change the sequence.

// Remembers the display mode so that it can be restored at exit.
void RecordDisplayMode(Program&) {}

// Registers one control library of the project folder; the result is ignored.
void RegisterControlLibrary(Program& program, const QString& path) {
    program.platform.controls.RegisterComponentFile(
        program.platform.files.NativePath(path).toStdString());
}

// True when the display uses large fonts and the player declined to continue. The games were
// laid out for small fonts, so the player is warned and may stop; No is the default answer.
bool LargeFontsDeclined(Program& program, const Display* display) {
    if (display == nullptr || display->UsesSmallFonts()) return false;
    MessageBoxRequest box;
    box.icon = BoxIcon::Exclamation;
    box.buttons = BoxButtons::YesNo;
    box.defaultButton = 1;
    box.title = QStringLiteral("!!!");
    box.text = program.Messages(40) + QStringLiteral("\r\n\r\n") + program.Messages(41);
    return program.platform.dialogs.MessageBox(box) != BoxResult::Yes;
}

}  // namespace

InitializeResult InitializeProject(Program& program, const QString& nativeFolder,
                                   const Display* display) {
    program.ProgramRunning = true;
    RecordDisplayMode(program);
    if (program.paths.ProjectPath.isEmpty()) program.paths.SetProject(ProjectPathOf(nativeFolder));
    // The frame folders are listed on the side while the rest starts: the debug menu lists the
    // frames and the first frame looks up its optional files in both.
    program.platform.files.Prefetch({program.paths.FramesPath, program.paths.FramesDataPath});

    // The player's own control libraries, then the game's (its Windows control files and any
    // control libraries of this player's kind it ships).
    program.platform.controls.RegisterOwnLibraries();
    for (const QString& pattern : {QStringLiteral("*.ocx"), QStringLiteral("*.so")})
        for (const QString& name : ListFiles(program, program.paths.CPDataPath, pattern))
            RegisterControlLibrary(program, program.paths.CPDataPath + name);

    FileSystem& fs = program.platform.files;
    if (fs.FileExists(program.paths.ConfigPath + QStringLiteral("Texts")).isEmpty())
        SetDefaultMessages(program.Messages, 0);
    LoadMessages(program);

    const QString general = program.paths.ConfigPath + QStringLiteral("General");
    if (fs.FileExists(general).isEmpty()) {
        program.platform.dialogs.Show(BoxIcon::Exclamation, program.Messages(29),
                                      program.Messages(33) + u' ' + general);
        return InitializeResult::MissingGeneral;
    }
    if (LargeFontsDeclined(program, display)) return InitializeResult::Declined;
    LoadProjectInformation(program);
    LoadDiscIndex(program);
    return InitializeResult::Ready;
}

}  // namespace storyloom
