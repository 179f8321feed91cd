#pragma once
// The player's windows on the desktop: the welcome window as a small borderless window that
// stays on top, the game window full screen (its virtual screen scaled onto the real one) or
// as a normal window with its menu bar.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

#include "platform/forms/Renderer.h"
#include "platform/forms/WindowHost.h"

namespace storyloom {

namespace forms {
class FormView;
}

class QtWindowHost : public QObject, public WindowHost {
  public:
    explicit QtWindowHost(Display& display);
    ~QtWindowHost() override;

    void Show(forms::Window& window, const WindowStyle& style) override;
    void Hide(forms::Window& window) override;
    bool IsShown(const forms::Window& window) const override;
    void SetTopmost(forms::Window& window, bool topmost) override;
    bool IsTopmost(const forms::Window& window) const override;
    void Place(forms::Window& window) override;
    void Forget(forms::Window& window) override;
    void Quit(int exitCode) override;
    void CancelMouseModes() override;

    // The real window of a model window (null when it was never shown).
    QWidget* WidgetOf(const forms::Window& window) const;
    forms::FormView* ViewOf(const forms::Window& window) const;
    bool QuitRequested() const { return quitRequested_; }

    // Called once a window has been painted on the screen for the first time.
    std::function<void(forms::Window&)> onFirstShown;
    // The name every window of the program carries on the desktop (the game's name); when it
    // is empty, a window's own caption, and "Storyloom" for a window without one.
    std::function<QString()> applicationTitle;
    QString TitleOf(const forms::Window& window) const;

    // How a game window with menus shows its picture: the scaling in a window and in full
    // screen, and whether it is full screen. The window can be resized and maximised; the
    // View menu (added after the game's menus), F11 and Alt+Enter change the choice.
    struct ViewChoice {
        forms::ScalingMode windowed = forms::ScalingMode::Sharp;
        forms::ScalingMode fullScreen = forms::ScalingMode::Smooth;
        bool fullScreenOn = false;
        bool operator==(const ViewChoice&) const = default;
    };
    void SetViewChoice(const ViewChoice& choice);
    const ViewChoice& Choice() const { return choice_; }
    // Called when the player changed the choice (to remember it).
    std::function<void(const ViewChoice&)> onViewChoiceChanged;
    // The full-screen toggle of F11 and Alt+Enter, and of the View menu.
    void ToggleFullScreen();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        QPointer<QWidget> widget;
        forms::FormView* view = nullptr;
        forms::Window* window = nullptr;
        WindowStyle style;
        bool topmost = false;
        bool hostHasMenus = false;
        bool painted = false;
        QRect normalGeometry;  // the window's place before it went full screen
    };
    Entry* Find(const QObject* widget);
    void Create(Entry& entry, forms::Window& window, const WindowStyle& style);
    void PlaceWidget(Entry& entry);
    void ApplyChoice(Entry& entry);
    void ChangeChoice(const ViewChoice& choice);
    bool IsToggleKey(QEvent* event);

    Display& display_;
    std::map<const forms::Window*, Entry> entries_;
    bool quitRequested_ = false;
    ViewChoice choice_;
    std::vector<int> lastKeys_;  // F11 after F12, F9, F10 belongs to the game's debug sequence
};

}  // namespace storyloom
