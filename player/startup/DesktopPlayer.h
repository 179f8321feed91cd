#pragma once
// The player on the desktop: the real services (files, per-user settings, the Qt event loop,
// message boxes, the screen, the shell, the windows), the welcome window and the game it
// starts. Needs a QApplication.
#include <QString>
#include <memory>

#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/NullMediaPlayer.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/Shell.h"
#include "scripting/ScriptHost.h"
#include "startup/QtWindowHost.h"
#include "startup/Resolutions.h"
#include "startup/Welcome.h"

namespace storyloom {

class DesktopPlayer {
  public:
    DesktopPlayer();
    ~DesktopPlayer();
    DesktopPlayer(const DesktopPlayer&) = delete;
    DesktopPlayer& operator=(const DesktopPlayer&) = delete;

    // The start-up for the project in `nativeFolder`. False when the program ends before a
    // window is shown; ExitCode() then tells the code to end with.
    bool Start(const QString& nativeFolder);
    int ExitCode() const { return welcome.ExitCode(); }
    // A game window with the script host attached (the Start button's).
    std::unique_ptr<Game> CreateGame();

    FileSystem files;
    FileSettingsStore settings;
    QtEventLoop loop;
    QtDialogs dialogs;
    Program program;
    QtDisplay display;
    QtShell shell;
    QtPrinting printing;
    QtWindowHost windows;
    Resolutions resolutions;
    // Sound and video come with the media back end; until then the players keep time only.
    NullMediaLibrary media;
    // The game's scripts and plug-ins.
    ScriptHost scripts;
    frmWelcome welcome;
};

}  // namespace storyloom
