#pragma once
// A Program over a temp project folder and the test platform: recorded dialogs, in-memory
// per-user settings, the virtual clock, offscreen windows and null media players.
#include <memory>

#include "TestApp.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "project/ProjectFolder.h"
#include "project/ProjectWriter.h"

namespace storyloom::test {

// A picture of one colour.
inline QImage SolidImage(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

struct TestProgram {
    TestProgram() : program(platform.Services()) {
        program.paths.SetProject(ProjectPathOf(project.Root()));
    }

    // The boxes shown so far.
    const std::vector<ScriptedDialogs::Record>& Boxes() const { return platform.dialogs.shown; }

    ProjectWriter project;
    TestPlatform platform;
    FileSystem& files = platform.files;
    MemorySettingsStore& settings = platform.settings;
    VirtualEventLoop& loop = platform.loop;
    ScriptedDialogs& dialogs = platform.dialogs;
    Program program;
};

}  // namespace storyloom::test
