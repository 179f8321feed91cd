#pragma once
// Locating the project and reading what the whole run needs from it.
#include <QString>
#include <QStringList>

namespace storyloom {

class Display;

class Program;

// Names (no folder) of the files in `folder` whose names match the wildcard `pattern`
// case-sensitively (every file when the pattern is empty), hidden files included, in the order
// the disk lists them. Folders are left out. A missing folder gives no names.
QStringList ListFiles(Program& program, const QString& folder, const QString& pattern);

// The project path of the program folder (native path): the folder with "\" separators and
// one trailing backslash.
QString ProjectPathOf(const QString& nativeFolder);

enum class InitializeResult {
    Ready,           // the project information is read; start-up goes on
    MissingGeneral,  // "Config\General" is missing: the box was shown, the program must end
    Declined,        // the player declined to go on (the large-fonts question)
};

// The project initialisation: paths (derived from `nativeFolder` when none are set yet), the
// project's controls, the message table, the required project information file, the project
// information, the multi-disc index. With a display, a desktop that uses large fonts is asked
// about before the project information is read.
InitializeResult InitializeProject(Program& program, const QString& nativeFolder,
                                   const Display* display = nullptr);

}  // namespace storyloom
