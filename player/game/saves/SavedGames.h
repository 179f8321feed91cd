#pragma once
// Saved games: writing the state of the game under a name, listing the saved games, and
// restoring one; the save and load windows (forms of their own, shown modally).
//
// A saved game is "<name>.sav" in the game's folder. When that folder cannot be written (a game
// installed read-only or run from a disc) it goes to the game's folder in the per-user saves
// folder instead; the load list shows both places and a name found in both once, the newer.
// Every save is written to a temporary file in the same folder, flushed and renamed over the
// old file, so a crash or a full disk never leaves a half-written or lost saved game. A saved
// game is read and checked completely before the running game is reset.
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "game/saves/SavedGameService.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/ListBox.h"
#include "platform/forms/controls/TextBox.h"
#include "platform/forms/controls/Window.h"
#include "project/SavedGameFile.h"

namespace storyloom {

class Program;
class Game;

// One saved game of the list.
struct SavedGameEntry {
    QString name;        // without ".sav"
    QString nativePath;  // the file
    bool userFolder = false;
    qint64 modifiedNs = 0;  // nanoseconds since the epoch
};

// The save window (frmSaveGame) or the load window (frmLoadGame).
class SavedGameWindow {
  public:
    enum class Kind { Save, Load };
    SavedGameWindow(Kind kind, Program& program);
    Kind kind;
    forms::Window window;
    forms::Label* lblPrompt = nullptr;
    forms::TextBox* txtName = nullptr;  // save window only
    forms::ListBox* lstGames = nullptr;
    forms::Label* cmdOk = nullptr;      // Save or Load
    forms::Label* cmdRemove = nullptr;  // save window only
    forms::Label* cmdCancel = nullptr;
    // The list's entries, in list order.
    std::vector<SavedGameEntry> entries;

    // Input the way a user gives it (tests and walkthroughs use these).
    void TypeName(const QString& name);
    // Selects the entry of that name (case ignored) as a click does; false when absent.
    bool SelectEntry(const QString& name);
    void DoubleClickEntry(int index);
    void Press(forms::Label* button);
    bool Shown() const { return shown_; }

  private:
    friend class SavedGames;
    bool shown_ = false;
};

class SavedGames : public SavedGameService {
  public:
    explicit SavedGames(Program& program);
    ~SavedGames() override;

    void ShowSaveGameWindow() override;
    void ShowLoadGameWindow(bool abortIfATimerIsEnabled) override;

    // ---- Connections to the rest of the player (set by whoever builds the player) ----------
    // The game window of the run, or null before the first one.
    std::function<Game*()> currentGame;
    // The game window, made (and reset) when there is none yet (a load from the welcome window).
    std::function<Game&()> ensureGame;
    // After a load: the game window on the screen, the welcome window hidden (unless the
    // project skips it).
    std::function<void()> showGameWindow;
    std::function<void()> hideWelcome;
    // Whether a script timer is enabled with an interval above 0.
    std::function<bool()> anyScriptTimerRunning;
    // The display resolution a load switches to (step 3 of loading); `loadWindow` may be hidden.
    std::function<void(forms::Window& loadWindow)> switchResolutionForLoad;
    // Runs a shown window modally: returns once it is hidden. Tests and walkthroughs give one
    // that acts on the window; without one the desktop's loop runs until the window is hidden
    // (and on the virtual clock the window is cancelled at once, as nothing could close it).
    std::function<void(SavedGameWindow&)> runModal;
    // The native folder that holds the per-user folders of games' saved games.
    QString userSavesRoot;
    // Whether the game's folder takes new files (the file system's answer when not set; an
    // administrator may write anywhere, so tests give their own).
    std::function<bool()> gameFolderWritable;

    // ---- The parts ---------------------------------------------------------------------------
    // The per-user folder of this game's saved games (native, no trailing slash).
    QString UserSavesFolder() const;
    // Where a save goes: the game's folder when it can be written, else the per-user folder.
    QString SaveFolder() const;
    // The saved games of both places, oldest first (equal times by name).
    std::vector<SavedGameEntry> ListSavedGames() const;
    // The state of `game` as a saved game.
    SavedGameData Capture(const Game& game) const;
    // Writes `name` (no checks of the name); false after the error box.
    bool WriteGame(const Game& game, const QString& name);
    // The load button's work for `entry`: reads and checks it, then resets the game and applies
    // it. False (after the error box) when the file cannot be read; the game is left as it was.
    bool LoadGame(const SavedGameEntry& entry, SavedGameWindow* window);
    // Applies a read saved game to a freshly reset game.
    static void Apply(Game& game, const SavedGameData& data);

    bool LoadCancelled = false;
    // The window being shown, for tests (null when none).
    SavedGameWindow* OpenWindow() const { return open_; }

    // The ten characters a name may not hold.
    static bool NameHasRefusedCharacter(const QString& name);

  private:
    void FillList(SavedGameWindow& w);
    void Wire(SavedGameWindow& w);
    void RunModal(SavedGameWindow& w);
    void Hide(SavedGameWindow& w);
    void SaveClicked(SavedGameWindow& w);
    void RemoveClicked(SavedGameWindow& w);
    void LoadClicked(SavedGameWindow& w);
    void Pause(int ms);

    Program& program_;
    SavedGameWindow* open_ = nullptr;
};

}  // namespace storyloom
