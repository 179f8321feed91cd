#pragma once
// How the player's top-level windows (the welcome window, the game window) reach the screen.
// The windows themselves are control models; the host shows them, keeps them above others,
// follows their moves and ends the program. QtWindowHost puts them on the desktop;
// HeadlessWindowHost keeps the same state in memory for tests and headless runs.
#include <QImage>
#include <QSize>
#include <map>

namespace storyloom {

class Display;

namespace forms {
class Window;
struct ScreenPointer;
}  // namespace forms

struct WindowStyle {
    // No title bar or border (the welcome window).
    bool borderless = false;
    // Fills the screen; the window model lives on the display's virtual screen.
    bool fullScreen = false;
    // The window's menu bar is shown above it.
    bool menuBar = false;
    // The screen-wide pointer that wins over the controls' own (may be null).
    forms::ScreenPointer* screenPointer = nullptr;
};

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    // Puts `window` on the screen at its place (again, after Hide), in the given style. A
    // shown window gets its Activate event.
    virtual void Show(forms::Window& window, const WindowStyle& style) = 0;
    virtual void Hide(forms::Window& window) = 0;
    virtual bool IsShown(const forms::Window& window) const = 0;
    // Keeps the window above all others (or not).
    virtual void SetTopmost(forms::Window& window, bool topmost) = 0;
    virtual bool IsTopmost(const forms::Window& window) const = 0;
    // The window's place or size changed in the model: move the real window along.
    virtual void Place(forms::Window& window) = 0;
    // The window goes away for good; the host lets go of it.
    virtual void Forget(forms::Window& window) = 0;
    // Ends the program with `exitCode` once the current event has been handled.
    virtual void Quit(int exitCode) = 0;
    // A modal box or window opens: every window lets go of the mouse (Window::CancelMouseMode).
    virtual void CancelMouseModes() = 0;
};

// The state of every window, kept in memory; a picture of the (virtual) screen on request.
class HeadlessWindowHost : public WindowHost {
  public:
    void Show(forms::Window& window, const WindowStyle& style) override;
    void Hide(forms::Window& window) override;
    bool IsShown(const forms::Window& window) const override;
    void SetTopmost(forms::Window& window, bool topmost) override;
    bool IsTopmost(const forms::Window& window) const override;
    void Place(forms::Window& window) override;
    void Forget(forms::Window& window) override;
    void Quit(int exitCode) override;
    void CancelMouseModes() override;

    // The screen of `size` with every shown window at its place (topmost windows last).
    QImage Screenshot(QSize size) const;

    struct State {
        bool shown = false;
        bool topmost = false;
        WindowStyle style;
        int showCount = 0;
        int placeCount = 0;
        forms::Window* window = nullptr;
    };
    const State* StateOf(const forms::Window& window) const;

    bool quitRequested = false;
    int exitCode = 0;

  private:
    std::map<const forms::Window*, State> windows_;
};

}  // namespace storyloom
