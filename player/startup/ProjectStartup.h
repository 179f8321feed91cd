#pragma once
// Locating the project and reading what the whole run needs from it.
#include <QString>

namespace storyloom {

class Display;

class Program;

enum class InitializeResult {
    Ready,           // the project information is read; start-up goes on
    MissingGeneral,  // "Config\General" is missing: the box was shown, the program must end
    Declined,        // the player declined to go on (the large-fonts question)
};

// The project initialisation: paths (derived from `nativeFolder` when none are set yet), the
// frame folders' listings read ahead (FileSystem::Prefetch), the project's controls, the
// message table, the required project information file, the project information, the
// multi-disc index. With a display, a desktop that uses large fonts is asked about before the
// project information is read.
InitializeResult InitializeProject(Program& program, const QString& nativeFolder,
                                   const Display* display = nullptr);

}  // namespace storyloom
