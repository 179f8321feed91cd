#pragma once
// The display resolution a game asks for. Games were drawn for 640x480, 800x600 or 1024x768
// and switch the screen to that mode while they run; the display service emulates the switch
// by scaling a virtual screen. The mode in force at start-up is recorded so that it can be
// put back when the game window closes.
#include <QSize>

namespace storyloom {

class Display;
class Program;

namespace forms {
struct ScreenPointer;
}

// Resolution codes used by every caller: 1 = 640x480, 2 = 800x600, 3 = 1024x768 (the project
// setting ResolutionChoice is the code minus 1). An empty size for any other code.
QSize ResolutionOfCode(int code);

class Resolutions {
  public:
    Resolutions(Program& program, Display& display) : program_(program), display_(display) {}

    // Remembers the screen's size and the stored mode's refresh rate (once, at start-up).
    void RecordDisplayMode();
    // The recorded size is the size of the project's ResolutionChoice (width and height).
    bool IsAtTargetResolution() const;
    // Switches to the resolution of `code` (1 to 3) unless the screen already has its width;
    // then shows the busy pointer on `screen` (when given) for a second while events run.
    void ChangeResolution(int code, forms::ScreenPointer* screen = nullptr);
    // The platform call: `restore` applies the recorded refresh rate, otherwise a mode of the
    // same depth and refresh rate is looked for. Failures show the error box.
    void SetDisplayMode(int width, int height, bool restore);
    // Puts the recorded mode back when the screen's size differs from it.
    void RestoreDisplayModeIfChanged();

    int SavedScreenWidth = 0;
    int SavedScreenHeight = 0;
    int SavedRefreshRate = 0;

  private:
    Program& program_;
    Display& display_;
};

}  // namespace storyloom
