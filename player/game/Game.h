#pragma once
// The game window and the game it plays: the frame on screen with its hotspots and text boxes,
// the variables, the frame history, the timers, the media players, the message strip, and the
// operations that open frames, carry out hotspot actions and turn input into actions.
//
// One Game lives from the welcome window's Start to the window's closing. It runs on the user
// interface thread; operations that wait (a video, a pause after a click) let other events run,
// so handlers can be entered again while one is waiting: the flags StopRequested, StopMovie and
// InterruptTransition are what they cooperate through.
#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "frames/FrameScene.h"
#include "game/GameServices.h"
#include "game/GameState.h"
#include "game/ScriptRunner.h"
#include "platform/forms/Picture.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom {

class Program;
struct FrameSettings;

// Mouse buttons as the window events number them.
enum class MouseButton { Left = 1, Right = 2, Middle = 4 };
// Shift-key state bits as the window events give them.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Key codes used by the game window (Basic's vbKey values).
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyF1 = 112;

// The menu items of the game window whose visibility and ticks the game logic decides.
struct GameMenus {
    bool ExitVisible = false;
    bool SaveGameVisible = false;
    bool LoadGameVisible = false;
    bool OptionsVisible = false;
    bool DisableTransitionsVisible = false;
    bool DisableEffectsVisible = false;
    bool DebugVisible = false;
    bool DisableTransitionsChecked = false;
    bool DisableEffectsChecked = false;
    // Captions (replaced by the message table's texts when those are not empty).
    QString ExitCaption = QStringLiteral("Exit");
    QString LoadGameCaption = QStringLiteral("Load game...");
    QString SaveGameCaption = QStringLiteral("Save game...");
    QString OptionsCaption = QStringLiteral("Options");
    QString DisableTransitionsCaption = QStringLiteral("Disable Transitions");
    QString DisableEffectsCaption = QStringLiteral("Disable Real-Time Effects");
    // The debug menu's go-to-frame entries (the frames of the project).
    QStringList FrameNames;
};

// One slot of the timed-event table; slot 0 holds no event.
struct TimedEventSlot {
    bool EventActive = false;
    bool EventRepeats = false;
    QString EventCode;
};

class Game {
  public:
    // The media players come from the program's platform.
    Game(Program& program, ScriptRunner& scripts, GameServices services = {});
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // ---- New game and reset -------------------------------------------------------------
    void ResetAll();
    void StartNewGame();

    // ---- Opening frames ---------------------------------------------------------------
    void OpenFrame(const QString& CurrentFrame, bool bWithTransition, int iTransNumber,
                   double dTransitionDuration);
    // The hotspots shown or hidden by the hidden-hotspot list and the variable conditions.
    void ShowOrNotShowAreas();

    // ---- Actions ------------------------------------------------------------------------
    // 0 = nothing further, 1 = the game must end, 2 = a frame was opened.
    int MakeAction(int AreaIndex, int ObjectIndex, bool bDoNotQuitDialogue);
    void MakeActionAndConsequences(int AreaIndex, int ObjectIndex, bool bDoNotQuitDialogue);
    // True when the script failed.
    bool ExecuteVBScriptAndConsequences(const QString& sText, bool bResetLastClickPosition);
    void ExecuteConsequences();

    // ---- Variables (the game window's lists) -----------------------------------------------
    void ChangeVariableValue(const QString& name, qint32 value);
    qint16 GetVariableValue(const QString& name) const;

    // ---- Timed events and the frame timer ------------------------------------------------
    void ResetTimedEvents();
    void StartTimedEvents();
    void PauseTimedEvents();
    // Adds a timed event (not running until the next StartTimedEvents); returns its index.
    int AddTimedEvent(const QString& code, double seconds, bool repeats);
    // Switches an event off for good; false when there is no such event.
    bool RemoveTimedEvent(int index);
    void TimedEvent_Timer(int Index);
    void Timer1_Timer();
    bool FrameTimerArmed() const { return timer1_.Armed(); }
    // Timer1's Enabled (the save and load windows switch it off while they are open).
    bool FrameTimerEnabled() const { return timer1_.Enabled(); }
    void SetFrameTimerEnabled(bool on) { timer1_.SetEnabled(on); }
    int FrameTimerInterval() const { return timer1_.Interval(); }
    const QString& FrameTimerTag() const { return timer1Tag_; }
    const std::vector<TimedEventSlot>& TimedEventTable() const { return timedEventTable_; }
    // Whether the timer of event `index` is running.
    bool TimedEventRunning(int index) const;

    // ---- On-screen messages -------------------------------------------------------------
    void ShowTextMessage(const QString& text, bool inFrame, bool keepUntilClicked);
    void HideTextMessage();
    bool MessageStripVisible() const;
    QString MessageStripText() const;
    int MessageTimerInterval() const { return timerMessageBox_.Interval(); }
    bool MessageTimerArmed() const { return timerMessageBox_.Armed(); }
    bool MessageTimerEnabled() const { return timerMessageBox_.Enabled(); }
    void SetMessageTimerEnabled(bool on) { timerMessageBox_.SetEnabled(on); }

    // ---- Shutdown -------------------------------------------------------------------------
    void StartUnloading();
    void TimerUnloadMe_Timer();
    // The window's closing steps (also run when the window is closed directly).
    void Form_Unload();
    bool Closed() const { return closed_; }
    bool WindowEnabled() const { return windowEnabled_; }
    // Called once the window has closed: show the welcome window again (false) or end the
    // program (true, the project skips the welcome window).
    std::function<void(bool endProgram)> onClosed;

    // ---- Input ----------------------------------------------------------------------------
    // A mouse button pressed at (x, y) pixels of the frame picture area: the control on top
    // there gets it (a hotspot, a text box, the message strip or the background).
    void MouseDownAt(int x, int y, MouseButton button, int shift = 0);
    // The two halves of a click, for input that interleaves them with other events (a real
    // desktop, the walkthrough's press and release).
    void PressAt(int x, int y, MouseButton button, int shift = 0);
    void ReleaseAt(int x, int y, MouseButton button, int shift = 0);
    // The pointer moved to (x, y) pixels of the frame picture area.
    void MouseMoveAt(int x, int y);
    void Area_MouseDown(int Index, MouseButton Button, int Shift, double X, double Y);
    void AreaClick(int AreaIndex, MouseButton Button);
    void SaveClickPos(double sglLeft, double sglTop);
    void BackImage_MouseDown(MouseButton Button);
    void Text_MouseDown(MouseButton Button);
    void Form_MouseDown(MouseButton Button);
    void picWhere_MouseDown(MouseButton Button);
    void PointerOverFrame();
    // An item picture (a control named "PickedObject") dropped on hotspot Index at (X, Y) twips
    // of the hotspot; other dragged controls are ignored.
    void Area_DragDrop(int Index, const QString& sourceName, double X, double Y);
    // A press on the animated picture of hotspot Index at (X, Y) twips of its container: a
    // click on that hotspot. An item picture dropped on it: dropped on that hotspot.
    void AniGifBox_MouseDown(int Index, MouseButton Button, double X, double Y);
    void AniGif_DragDrop(int Index, const QString& sourceName, double X, double Y);
    // The window came to the front: the media players redraw.
    void Form_Activate();
    void Form_KeyDown(int KeyCode, int Shift);
    void Pause(double seconds, bool noEvents);
    bool IsOneTimeVideoPlaying() const;
    // The hotspot (its Area index) that a click at (x, y) pixels of the frame picture area would
    // reach; 0 when another control is on top there or there is none. Hidden hotspots take no
    // clicks.
    int HotspotAt(int x, int y) const { return scene->HotspotAt(x, y); }

    // ---- Pointers -------------------------------------------------------------------------
    void SetScreenPointerArrow();
    void SetScreenPointerDefault();
    void ResetDefaultPointer();
    // The pointer shown over every window of the game (the busy pointer while a game loads).
    void SetScreenPointer(forms::MousePointer pointer) { screen_.Set(pointer); }
    const forms::ScreenPointer& Screen() const { return screen_; }

    // ---- Menus ----------------------------------------------------------------------------
    void ShowMenus();
    void HideMenus();
    void mnuExit_Click();
    void mnuLoadGame_Click();
    void mnuSaveGame_Click();
    void mnuOptions_Click();
    void mnuDebug_Click();
    void mnuCancel_Click();
    void mnuDisableTransitions_Click();
    void mnuDisableEffects_Click();
    void mnuFrameName_Click(int Index);
    void mnuExecuteVBScript_Click();
    void mnuEditProcedures_Click();
    void mnuViewVariables_Click();
    // Brings the window's menu bar (what the Qt shell shows) in line with `menus`.
    void SyncWindowMenus();
    // Runs the command whose caption is `caption` (case ignored, "..." and "&" ignored); false
    // when no visible item has that caption.
    bool RunMenuCommand(const QString& caption);

    // ---- Layout and rendering -------------------------------------------------------------
    void CenterWindowAndPictureBox();
    // The frame picture area as the player sees it now.
    QImage RenderFrame() const;
    // The whole virtual screen (the window at its place).
    QImage RenderScreen() const;

    // ---- Players -------------------------------------------------------------------------
    MediaPlayer& Player(int index) { return *MPlayer[static_cast<size_t>(index)]; }
    MediaPlayer& ChannelPlayer(int channel);
    // Digital sounds stop on every channel; MIDI music and videos keep playing.
    void StopAnyWavOrMP3();
    // Makes the players that scripts load.
    MediaPlayerFactory& MediaPlayers() { return media_; }

    // ---- State (public: the script host and saved games read and write it) ---------------
    Program& program;
    ScriptRunner& scripts;
    GameState state;
    std::array<std::unique_ptr<MediaPlayer>, 8> MPlayer;  // 1..7
    // The spare players scripts use: element 0 always exists, scripts load the others.
    std::map<int, PlacedPlayer> CustomMediaPlayer;
    GameMenus menus;
    // Virtual screen size in pixels (the display the window fills).
    int ScreenWidthPx = 800;
    int ScreenHeightPx = 600;

    // The four function keys that reveal the debug menu, in order.
    static constexpr std::array<int, 4> kDebugSequence = {kKeyF1 + 11, kKeyF1 + 8, kKeyF1 + 9,
                                                          kKeyF1 + 10};  // F12 F9 F10 F11

    GameServices services;
    // Gives the game its inventory (built over this game's window), which it keeps for as long
    // as it lives; services.inventory points at it from then on.
    void UseInventory(std::unique_ptr<InventoryService> inventory);
    // The same for the animated pictures of the hotspots (the scene was built with
    // services.animated: this only keeps the object alive).
    void KeepAnimatedObjects(std::unique_ptr<AnimatedObjectService> animated);
    // Keeps a subsystem built over this game after it (dialogues, transitions, water, sound
    // channels, the one-time video) alive as long as the game; kept objects go, in the order
    // they were kept, before the inventory, the scene, the players and the window.
    void Keep(std::shared_ptr<void> subsystem) { kept_.push_back(std::move(subsystem)); }

    // ---- The window and its controls ------------------------------------------------------
    forms::Window window;
    forms::PictureBox* PictureBox = nullptr;  // the frame picture area
    // The frame on screen: background, hotspots, text boxes.
    std::unique_ptr<FrameScene> scene;
    forms::PictureBox* FrameMessageBox = nullptr;
    forms::Label* LabelMessageBox = nullptr;

  private:
    void BuildWindow();
    void BuildWindowMenus();
    void RebuildFrameMenu();
    void WireInput();
    void StopSoundChannelPlayers();
    void ResetSoundChannels();
    void FrameChange(const QString& frame, bool withTransition, int number, double seconds);
    void ArmFrameTimer(const QString& target, double seconds);
    void ReadSoundBlockFile(const QString& path, int hotspot);
    void PlayFrameVideo(const FrameSettings& s);
    QString Located(const QString& path);

    EventLoop& loop_;
    MediaPlayerFactory& media_;
    Timer timer1_;
    QString timer1Tag_;
    Timer timerMessageBox_;
    Timer timerUnloadMe_;
    std::vector<TimedEventSlot> timedEventTable_;
    std::vector<std::unique_ptr<Timer>> timedEvents_;
    bool windowEnabled_ = true;
    bool closed_ = false;
    forms::ScreenPointer screen_;
    int openGeneration_ = 0;
    int timedEventGeneration_ = 0;  // grows whenever the timed-event table is rebuilt

    // Do-nothing stand-ins for the services a caller left out.
    struct NullServices;
    std::unique_ptr<InventoryService> ownInventory_;
    std::unique_ptr<AnimatedObjectService> ownAnimated_;
    std::unique_ptr<NullServices> nullServices_;
    std::vector<std::shared_ptr<void>> kept_;  // last: destroyed first
};

}  // namespace storyloom
