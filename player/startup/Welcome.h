#pragma once
// The welcome window: the first window of a run. Its load handler is the start-up sequence
// (project initialisation, the per-user "Path", the layout of the name and author lines, the
// scheme, the buttons and the logo); its Start button builds the game window and starts a new
// game. A small borderless window that stays above the others and is dragged by any point.
#include <QPoint>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/Window.h"

namespace storyloom {

class Display;
class Game;
class Program;
class Resolutions;
class Shell;
class WindowHost;

// The address the logo offers to open.
inline const QString kStoryloomWebAddress = QStringLiteral("http://www.storyloom.example/");

struct WelcomeServices {
    Display& display;
    Resolutions& resolutions;
    Shell& shell;
    WindowHost& windows;
    // Builds a game window (with its media players, script host and subsystems).
    std::function<std::unique_ptr<Game>()> createGame;
};

// Basic's check box, drawn on a small sunken picture box: 0 unchecked, 1 checked, 2 greyed.
class WelcomeCheckBox {
  public:
    explicit WelcomeCheckBox(forms::PictureBox* box);
    int Value() const { return value_; }
    // Values outside 0..2 fail with error 380 "Invalid property value".
    void SetValue(int value);
    forms::PictureBox& Box() const { return *box_; }

  private:
    void Draw();
    forms::PictureBox* box_;
    int value_ = 0;
};

// The text of the resolution line: Messages(7) without a trailing point and a trailing
// "640x480" (the way older message files wrote it), then the size of ResolutionChoice.
QString ResolutionLineCaption(const QString& message7, int resolutionChoice);

// The four built-in logo pictures: 0 and 1 narrow, 2 and 3 wide; odd ones the light variant.
forms::Picture BuiltInLogo(int index);

class frmWelcome {
  public:
    frmWelcome(Program& program, WelcomeServices services);
    ~frmWelcome();
    frmWelcome(const frmWelcome&) = delete;
    frmWelcome& operator=(const frmWelcome&) = delete;

    // The load handler: the start-up sequence for the project in `nativeFolder`. False when
    // the program must end at once (no project information, large fonts declined).
    bool Form_Load(const QString& nativeFolder);
    // Form_Load, then the window on the screen unless the project skips it. False when the
    // program ends before any window (ExitCode() tells with what).
    bool Start(const QString& nativeFolder);
    int ExitCode() const { return exitCode_; }

    void UseScheme(const QString& name);
    // 0 Start, 1 Load, 2 Exit.
    void ClickButton(int index);

    void Form_Activate();
    void Form_KeyDown(int keyCode, int shift);
    // Unloading the welcome window ends the program.
    void Form_Unload();
    bool Unloaded() const { return unloaded_; }
    void lblResolution_Click();
    void chkResolution_Click();
    void txtEmail_Click();
    void txtHomepage_Click();
    void imgLogo_Click();

    // The saved-games window (frmLoadGame: fill the list, show it modally). Until saved games
    // exist it is a stand-in that does nothing.
    std::function<void()> showLoadGameWindow = [] { LoadGameWindowStandIn(); };
    static void LoadGameWindowStandIn() {}

    // A game window that is not closed, made (not yet reset, not shown) when there is none: a
    // saved game loaded from this window plays in it.
    Game& EnsureGame();
    // The game window on the screen (after a saved game was loaded into it).
    void ShowGameWindow();
    void HideWelcome();

    // The game window of the last Start (null before it).
    Game* CurrentGame() const { return game_.get(); }
    forms::ScreenPointer& Screen() { return screen_; }

    forms::Window window;
    std::array<forms::Label*, 3> lblButton{};
    std::array<forms::Image*, 4> Img{};
    forms::Label* txtAdventureName = nullptr;
    forms::Label* txtVersion = nullptr;
    forms::Label* lblAuthor = nullptr;
    forms::Label* txtAuthor = nullptr;
    forms::Label* lblEmail = nullptr;
    forms::Label* txtEmail = nullptr;
    forms::Label* lblHomepage = nullptr;
    forms::Label* txtHomepage = nullptr;
    forms::Label* lblResolution = nullptr;
    std::unique_ptr<WelcomeCheckBox> chkResolution;
    forms::Image* imgLogo = nullptr;
    std::array<forms::Picture, 4> imgLogos;

  private:
    void BuildWindow();
    void WireEvents();
    void CentreWindow();
    void LayOutLines();
    void ArrangeButtons();
    void ApplyCaptionsAndLogo();
    void StartGame();
    Game& NewGame();
    void GameClosed(bool endProgram);
    void ShowWindow();
    void HideWindow();
    // Runs one statement of the load handler: a failure is remembered and the next goes on.
    void Try(const std::function<void()>& statement);

    // Dragging the window by any of its labels or its background.
    void DragDown(forms::Control& c, int button, double x, double y);
    void DragMove(forms::Control& c, int buttons, double x, double y);
    // True (once) when the press that ends now moved the window: no click then.
    bool ConsumeDrag();

    Program& program_;
    WelcomeServices services_;
    forms::ScreenPointer screen_;
    std::unique_ptr<Game> game_;
    bool failed_ = false;
    bool unloaded_ = false;
    int exitCode_ = 0;
    bool pressed_ = false;
    bool dragged_ = false;
    QPoint grab_;
};

}  // namespace storyloom
