#pragma once
// The walkthrough runner: plays a game headless from a walkthrough file, one command per line,
// on the test platform (offscreen windows, a virtual clock, media players that decode for real
// but take their time from the virtual clock, boxes answered from a queue) with the real welcome
// window, game window and script host. Expectations that do not hold and commands that cannot be
// carried out are failures, each reported with its line number; the run goes on after a failure so
// one walk shows every problem at once.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/forms/Renderer.h"

namespace storyloom {

class Game;

struct WalkCommand {
    enum class Kind {
        Start,
        Save,
        Load,
        Ask,
        ExpectSaves,
        ExpectQuestions,
        ClickHotspot,
        Click,
        RightClick,
        Press,
        Release,
        Key,
        Menu,
        Wait,
        Answer,
        ExpectFrame,
        ExpectVar,
        ExpectVisible,
        ExpectHidden,
        ExpectBox,
        ExpectStrip,
        ExpectPixel,
        ExpectSound,
        ExpectVolume,
        ExpectVideo,
        Screenshot,
        WindowShot,
        State,
        Hover,
        Drag,
        DragItem,
        ExpectItems,
        ExpectInventory
    };
    Kind kind = Kind::Start;
    int line = 0;
    // Hotspot number, x or milliseconds; y; key code; the mouse button of a press or release.
    int a = 0;
    int b = 0;
    int shift = 0;
    // The end of a drag (x, y), or with `toItem` the item it ends on (in `c`).
    int c = 0;
    int d = 0;
    bool toItem = false;
    // expect pixel: the colour (0xRRGGBB) and the tolerance per channel.
    unsigned rgb = 0;
    int tolerance = 0;
    // Names, captions and texts (a variable's name goes in `name`, its value in `text`).
    QString name;
    QString text;
    bool IsExpectation() const;
};

// The key code of a key name ("Escape", "F1".."F12", "Enter", "Space", "Tab", "Left",
// "Right", "Up", "Down", a letter or a digit; case ignored); nullopt for other names.
std::optional<int> KeyCodeOf(const QString& name);

// One line of a walkthrough: nullopt for a blank line or a comment, otherwise the command or
// (with `error` set) the reason the line is malformed.
std::optional<WalkCommand> ParseWalkLine(const QString& text, int line, QString* error);

class Walkthrough {
  public:
    // `outDir` receives the screenshots and state files; `print` gets every output line.
    Walkthrough(QString outDir, std::function<void(const QString&)> print,
                QSize screen = QSize(1024, 768));
    ~Walkthrough();
    Walkthrough(const Walkthrough&) = delete;
    Walkthrough& operator=(const Walkthrough&) = delete;

    // The start-up of the project in `folder` up to the welcome window. False (reported) when
    // the program would end before showing a window.
    bool Open(const QString& folder);
    // Runs every line of a walkthrough text, then checks that every queued answer was used.
    // While the game waits for a one-time video, the lines that follow the command that
    // started it run inside that wait (up to the next `wait`), as a player's clicks would.
    void RunText(const QString& text);
    // Runs one line (numbered `line`); blank lines and comments do nothing.
    void RunLine(const QString& text, int line);
    // A frame transition waits `ms` between two steps: the walk's next lines run there until
    // their waits have covered that time, so that a screenshot or a click after `wait` lands
    // in the middle of the animation. Without lines left, time simply moves on.
    void TransitionStepWait(int ms);
    // After the last line: answers nobody asked for are failures.
    void Finish();

    int Passed() const { return passed_; }
    int Failed() const { return failed_; }
    // "N passed, N failed".
    QString Summary() const;

    // Screenshots as the game window shows its picture in an inner area of `size` with the
    // scaling `mode`. Without it (and with "original" without a size) a screenshot is the
    // screen as it is, the game's own pixels.
    void SetScreenshotScaling(forms::ScalingMode mode, QSize size);

    // The game window of the last start (null before it).
    Game* CurrentGame() const;
    bool WelcomeShown() const;
    bool ProgramEnded() const;

  private:
    struct Parts;
    void Execute(const WalkCommand& c);
    void Fail(int line, const QString& message);
    void Pass() { ++passed_; }
    // The game, when its window is on the screen; otherwise a failure and null.
    Game* RunningGame(const WalkCommand& c);
    bool CheckHotspot(const WalkCommand& c, Game& game);
    // save NAME / load NAME through the windows; ask TEXT through the dialogue panel.
    void SaveOrLoad(const WalkCommand& c);
    void Ask(const WalkCommand& c);
    // Presses at `from`, moves the pointer there in a few steps as a hand would, releases.
    void DragAlong(Game& game, QPoint from, QPoint to);
    void ReportNewBoxes(int line);
    QString OutPath(const WalkCommand& c, const QString& extension);
    void WriteState(const QString& path);
    // The loop's wait hook: the next queued lines, while a one-time video plays.
    void RunDuringWait();
    void RunQueuedLine();

    std::unique_ptr<Parts> p_;
    QString outDir_;
    std::optional<std::pair<forms::ScalingMode, QSize>> shotScaling_;
    QImage Scaled(const QImage& screen) const;
    std::function<void(const QString&)> print_;
    int passed_ = 0;
    int failed_ = 0;
    size_t boxesReported_ = 0;  // boxes already logged
    size_t boxWindow_ = 0;      // first box that `expect box` may still match
    std::vector<bool> boxMatched_;
    int lastLine_ = 0;
    // The screenshot to take of the next save or load window (empty: none).
    QString windowShot_;
    // The lines of RunText, the next one to run, the virtual time the walk's waits have
    // granted so far, and how deep lines run between a transition's steps are nested.
    QStringList lines_;
    qsizetype nextLine_ = 0;
    qint64 grantedUntilMs_ = 0;
    int nested_ = 0;
};

// `run --walkthrough FILE [--out DIR] [FOLDER]` after the option: the arguments that follow
// it. Prints to stdout; returns the exit code (0 when every expectation held).
int RunWalkthroughCommand(const QStringList& args, const QString& defaultFolder);

}  // namespace storyloom
