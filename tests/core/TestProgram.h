#pragma once
// A Program over a temp project folder and the test services: recorded dialogs, in-memory
// per-user settings and the virtual clock.
#include <memory>

#include "ProjectWriter.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/settings/SettingsStore.h"
#include "startup/ProjectStartup.h"

namespace storyloom::test {

struct TestProgram {
    TestProgram() : program(Platform{files, settings, loop, dialogs}) {
        program.paths.SetProject(ProjectPathOf(project.Root()));
    }

    // The boxes shown so far.
    const std::vector<ScriptedDialogs::Record>& Boxes() const { return dialogs.shown; }

    ProjectWriter project;
    FileSystem files;
    MemorySettingsStore settings;
    VirtualEventLoop loop;
    ScriptedDialogs dialogs;
    Program program;
};

}  // namespace storyloom::test
