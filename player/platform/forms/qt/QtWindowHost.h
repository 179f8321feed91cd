#pragma once
// The player's windows on the desktop: the welcome window as a small borderless window that
// stays on top, the game window full screen (its virtual screen scaled onto the real one) or
// as a normal window with its menu bar.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>

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
    };
    Entry* Find(const QObject* widget);
    void Create(Entry& entry, forms::Window& window, const WindowStyle& style);
    void PlaceWidget(Entry& entry);

    Display& display_;
    std::map<const forms::Window*, Entry> entries_;
    bool quitRequested_ = false;
};

}  // namespace storyloom
