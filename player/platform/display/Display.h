#pragma once
// The screen as the game sees it. Games were made for 640x480, 800x600 or 1024x768 and asked
// the desktop to switch to that mode; nobody wants that on a modern screen, so the switch is
// emulated: the game lives on a virtual screen whose size is the requested mode, and the shell
// scales that virtual screen onto the real one (aspect kept, black bars).
#include <QSize>
#include <functional>
#include <optional>
#include <vector>

namespace storyloom {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    int refreshRate = 0;  // hertz, 0 = not known
    bool operator==(const DisplayMode&) const = default;
};

// The platform's answers to a mode change.
enum class DisplayChangeResult { Successful = 0, Restart = 1, Failed = -1, BadMode = -2 };

// How the virtual screen is drawn onto the real one: whole-number nearest-pixel factors
// (crisp pixels) or smooth filtering to the largest size that fits.
enum class ScreenScaling { Sharp, Smooth };

class Display {
  public:
    virtual ~Display() = default;

    // The real desktop's size in pixels.
    virtual QSize DesktopSize() const = 0;
    // The virtual screen: what ScreenWidth/ScreenHeight report to the game.
    QSize ScreenSize() const { return virtual_.isEmpty() ? DesktopSize() : virtual_; }
    int ScreenWidth() const { return ScreenSize().width(); }
    int ScreenHeight() const { return ScreenSize().height(); }
    bool IsEmulatingMode() const { return !virtual_.isEmpty() && virtual_ != DesktopSize(); }

    // The mode stored in the system's settings: the desktop's size with its refresh rate.
    DisplayMode StoredMode() const;
    // The modes offered, by index from 0; nullopt past the last one.
    std::optional<DisplayMode> EnumerateMode(int index) const;
    // Switches the virtual screen to width x height for the running session only. The mode
    // must be one of those offered; refreshRate 0 accepts any, otherwise it must match.
    DisplayChangeResult ChangeMode(int width, int height, int refreshRate = 0);

    // The height in pixels of the desktop's text, measured at the screen's real resolution;
    // negative when no drawing context is available.
    virtual int DesktopTextHeight() const = 0;
    // Small fonts unless the text is more than 16 pixels high (or nothing can be measured).
    bool UsesSmallFonts() const;

    ScreenScaling Scaling() const { return scaling_; }
    void SetScaling(ScreenScaling scaling);

    // Called after the virtual screen's size or the scaling changed.
    std::function<void()> onScreenChanged;

  protected:
    virtual int StoredRefreshRate() const = 0;

  private:
    std::vector<DisplayMode> Modes() const;
    QSize virtual_;
    ScreenScaling scaling_ = ScreenScaling::Smooth;
};

// The real screen, through Qt (the primary screen).
class QtDisplay : public Display {
  public:
    QSize DesktopSize() const override;
    int DesktopTextHeight() const override;

  protected:
    int StoredRefreshRate() const override;
};

// A screen of fixed size for tests.
class FixedDisplay : public Display {
  public:
    explicit FixedDisplay(QSize desktop = QSize(1024, 768), int textHeight = 16,
                          int refreshRate = 60)
        : desktop_(desktop), textHeight_(textHeight), refresh_(refreshRate) {}
    QSize DesktopSize() const override { return desktop_; }
    int DesktopTextHeight() const override { return textHeight_; }
    void SetDesktopSize(QSize size) { desktop_ = size; }
    void SetTextHeight(int height) { textHeight_ = height; }
    void SetRefreshRate(int hz) { refresh_ = hz; }

  protected:
    int StoredRefreshRate() const override { return refresh_; }

  private:
    QSize desktop_;
    int textHeight_;
    int refresh_;
};

}  // namespace storyloom
