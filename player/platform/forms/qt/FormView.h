#pragma once
// The Qt shell of a window: shows the window's composed image on its virtual screen, scaled
// onto the real widget with the aspect kept, and feeds mouse, key and drag input back in the
// window's own pixels. FormHost adds the window's menu bar as real Qt menus.
#include <QCursor>
#include <QImage>
#include <QMenuBar>
#include <QWidget>
#include <functional>
#include <unordered_map>

#include "platform/display/Display.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

// Basic's key codes for Qt keys (A-Z 65-90, 0-9 48-57, F1-F12 112-123, Escape 27 ...); 0 for
// keys without one.
int KeyCodeFromQt(int qtKey);
int ShiftMaskFromQt(Qt::KeyboardModifiers modifiers);
int ButtonFromQt(Qt::MouseButton button);
int ButtonsFromQt(Qt::MouseButtons buttons);
// The Qt pointer for a shape; custom pictures scaled by a whole factor (at least 1).
QCursor CursorFor(const PointerShape& shape, int scale = 1);

class FormView : public QWidget {
    Q_OBJECT
  public:
    FormView(Window& window, ScreenPointer* screenPointer = nullptr, QWidget* parent = nullptr);
    ~FormView() override;

    // The virtual screen the window lives on (empty: the window's own size, filling the view).
    void SetVirtualScreen(QSize size);
    QSize VirtualScreen() const;
    void SetScaling(ScalingMode mode);
    ScalingMode Scaling() const { return scaling_; }
    // Takes the virtual screen's size and the scaling from the display, now and whenever they
    // change (a game switching to 800x600 is then shown scaled on the real screen).
    void FollowDisplay(Display& display);

    // Where the virtual screen lies in the widget, and a widget point in window pixels.
    QRect ScreenArea() const;
    QPoint ToWindowPixels(QPoint widgetPoint) const;
    // What the virtual screen shows now (window composed at its place, black around it).
    QImage ScreenImage();
    // Re-reads the pointer shape under the mouse (after a pointer property changed).
    void UpdatePointer();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    const QImage& Frame();
    QRect WindowArea() const;
    Window& window_;
    ScreenPointer* screenPointer_;
    Display* display_ = nullptr;
    QSize virtualScreen_;
    ScalingMode scaling_ = ScalingMode::Smooth;
    QImage frame_;
    std::uint64_t frameGeneration_ = 0;
    PointerShape shownPointer_;
    bool pointerCheckPending_ = false;
    QPoint lastWindowPoint_;
};

// A top-level host: the window's menu bar above its view. Closing asks the window's Unload
// handler, which may cancel.
class FormHost : public QWidget {
    Q_OBJECT
  public:
    FormHost(Window& window, ScreenPointer* screenPointer = nullptr, QWidget* parent = nullptr);
    ~FormHost() override;
    FormView& View() { return *view_; }
    QMenuBar& MenuBar() { return *menuBar_; }
    // Rebuilds the Qt menus from the window's menu model, and the player's own View menu
    // after them when these are set.
    void RebuildMenus();
    std::function<void()> onToggleFullScreen;
    std::function<void(ScalingMode)> onScaling;
    std::function<bool()> isFullScreen;
    // The title on the desktop; the window's caption when not set.
    std::function<QString()> title;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Window& window_;
    QMenuBar* menuBar_;
    FormView* view_;
};

}  // namespace storyloom::forms
