#pragma once
// Asking for a disc of a game spread over several discs: the run-from-disc window
// (frmRunFromCD) and the game's side of the request (stopping and restarting what runs on its
// own while the window is open, ending the game when the player cancels).
//
// A disc is a folder: the window lists the removable media mounted and the folder last chosen,
// takes a folder typed or picked with "Browse...", and keeps it as the setting "DriveLetter"
// when it exists.
#include <QString>
#include <QStringList>
#include <functional>

#include "core/MultiDisc.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/ListBox.h"
#include "platform/forms/controls/TextBox.h"
#include "platform/forms/controls/Window.h"

namespace storyloom {

class Program;
class Game;

class RunFromDiscWindow {
  public:
    // Offers `media` (mount points) and `folder`, which the folder box shows; names `disc`.
    RunFromDiscWindow(Program& program, const QStringList& media, const QString& folder, int disc);
    forms::Window window;
    forms::Label* lblDrive = nullptr;     // Messages(37)
    forms::ListBox* lstDrives = nullptr;  // the media and the folder; a click takes one
    forms::TextBox* txtFolder = nullptr;  // the folder OK takes
    forms::Label* cmdBrowse = nullptr;    // the folder chooser
    forms::Label* lblMessage = nullptr;   // Messages(47) & disc & " " & Messages(48)
    forms::Label* cmdOk = nullptr;
    forms::Label* cmdCancel = nullptr;

    // Input the way a user gives it (tests and walkthroughs use these).
    void TypeFolder(const QString& folder) { txtFolder->SetText(folder); }
    void Press(forms::Label* button);
    bool Shown() const { return shown_; }
    bool Cancelled() const { return cancelled_; }

  private:
    friend class RunFromDisc;
    void Ok();
    void Browse();
    void Cancel();
    void Hide();
    Program& program_;
    bool shown_ = false;
    bool cancelled_ = false;
};

// Built by whoever builds the player and handed to the program (Program::discPrompt).
class RunFromDisc : public DiscPrompt {
  public:
    explicit RunFromDisc(Program& program);

    PausedActivity PauseGame() override;
    void ResumeGame(const PausedActivity& paused) override;
    void StopGame() override;
    void AskForDisc(const QString& folder, int disc) override;

    // The game window of the run, or null before the first one (or after it closed).
    std::function<Game*()> currentGame;
    // Runs the shown window modally: returns once it is hidden. Tests and walkthroughs give
    // one that acts on the window; without one the desktop's loop runs until the window is
    // hidden (on the virtual clock the window is cancelled at once, as nothing could close it).
    std::function<void(RunFromDiscWindow&)> runModal;
    // The window being shown, for tests (null when none).
    RunFromDiscWindow* OpenWindow() const { return open_; }

  private:
    Game* RunningGame() const;
    Program& program_;
    RunFromDiscWindow* open_ = nullptr;
};

}  // namespace storyloom
