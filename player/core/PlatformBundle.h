#pragma once
// Every platform service of one run in one place: the desktop's (Qt windows, message boxes,
// the real clock, the per-user settings on disk) or the test platform's (offscreen windows,
// boxes answered from a queue, a virtual clock, settings in memory). A Program takes its
// services from a bundle; the bundle must outlive it.
#include <QSize>
#include <memory>

#include "core/Program.h"
#include "platform/components/ControlFacility.h"
#include "platform/components/SettingsProgIdStore.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/WindowHost.h"
#include "platform/forms/qt/QtWindowHost.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/media/NullMediaPlayer.h"
#include "platform/media/PathMappingMediaPlayer.h"
#include "platform/printing/Printing.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/Shell.h"

namespace storyloom {

// The player's own control libraries (Menulet): installed beside the program
// (<prefix>/lib/storyloom), else in the build tree the program was built in. Paths that do not
// exist are left to the caller to skip.
std::vector<std::string> OwnControlLibraries();

class PlatformBundle {
  public:
    virtual ~PlatformBundle() = default;
    // References to every service, for a Program.
    virtual Platform Services() = 0;
};

// The test platform, with its services by their own types so that tests and the walkthrough
// can queue answers, move the clock and look at the screen. It sees no removable media.
class TestPlatform : public PlatformBundle {
  public:
    explicit TestPlatform(QSize screen = QSize(1024, 768));
    Platform Services() override;

    FileSystem files;
    MemorySettingsStore settings;
    VirtualEventLoop loop;
    ScriptedDialogs dialogs;
    FixedDisplay display;
    RecordingShell shell;
    // No printers unless a test adds some.
    RecordingPrinting printing;
    HeadlessWindowHost windows;
    NullMediaLibrary media{loop};
    // Control registrations last for the run only.
    MemoryProgIdStore progIds;
    ControlFacility controls{progIds, OwnControlLibraries()};
};

// The desktop's services (Qt windows and boxes, the real clock, settings on disk); needs a
// QApplication.
class DesktopPlatform : public PlatformBundle {
  public:
    DesktopPlatform();
    ~DesktopPlatform() override;
    Platform Services() override;

    FileSystem files;
    FileSettingsStore settings;
    QtEventLoop loop;
    QtDialogs dialogs;
    QtDisplay display;
    QtShell shell{loop};
    QtPrinting printing;
    QtWindowHost windows{display};
    // GStreamer plays the sounds and videos (silently, said once, without a sound device),
    // opening the files the game's paths name on the disk.
    GstMediaFactory gst{loop};
    PathMappingMediaFactory media{gst,
                                  [this](const QString& path) { return files.NativePath(path); }};
    // Control registrations are kept in the per-user settings, from one run to the next.
    SettingsProgIdStore progIds{settings};
    ControlFacility controls{progIds, OwnControlLibraries()};
};

std::unique_ptr<DesktopPlatform> MakeDesktopPlatform();
std::unique_ptr<TestPlatform> MakeTestPlatform(QSize screen = QSize(1024, 768));

}  // namespace storyloom
