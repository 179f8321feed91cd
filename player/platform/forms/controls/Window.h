#pragma once
// A top-level window with its menu bar, drawing surface, input and drag and drop (the input is
// in Input.cpp).
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Control.h"
#include "platform/forms/DrawingSurface.h"

namespace storyloom::forms {

struct MenuItem {
    QString name;
    QString caption;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    std::function<void()> onClick;
    std::vector<std::unique_ptr<MenuItem>> items;
    MenuItem* Add(const QString& itemName, const QString& itemCaption);
    MenuItem* Find(const QString& itemName);
};

// A top-level window. Its rectangle is the client area on the (virtual) screen; its children
// are laid out in its client coordinates.
class Window : public Control, public DrawingSurface {
  public:
    explicit Window(QString name = QStringLiteral("Form"));
    ~Window() override;
    bool IsContainer() const override { return true; }
    int EventScaleMode() const override { return ScaleMode(); }
    // The drawing, then the controls on it.
    void Paint(QPainter& painter) const override;

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int WindowState() const { return windowState_; }  // 0 normal, 1 minimised, 2 maximised
    void SetWindowState(int state);
    void SetBackColor(OleColor color) { SetSurfaceBackColor(color); }
    void SetForeColor(OleColor color) { SetSurfaceForeColor(color); }
    void SetPicture(const Picture& picture) { SetSurfacePicture(picture); }
    const FontSpec& Font() const { return DrawFont(); }
    void SetFont(const FontSpec& font) { SetSurfaceFont(font); }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }

    // The menu bar (top-level items) and whether the bar shows at all.
    MenuItem& Menus() { return menus_; }
    MenuItem* FindMenu(const QString& name) { return menus_.Find(name); }
    void MenusChanged();

    // Redraw bookkeeping: Generation() grows with every change that shows.
    std::uint64_t Generation() const { return generation_; }
    void Invalidate();
    std::function<void()> onInvalidated;
    std::function<void()> onMenusChanged;

    // Input, in window client pixels (the shell and tests call these).
    void MouseDown(QPoint pixel, int button, int shift);
    void MouseMove(QPoint pixel, int buttons, int shift);
    void MouseUp(QPoint pixel, int button, int shift);
    void DoubleClick(QPoint pixel, int button, int shift);
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    void KeyPress(int ascii);
    // The control under a point (hidden and disabled controls let the point through to what
    // lies below or to their container), and the point in its own pixels.
    struct Hit {
        Control* control = nullptr;
        QPoint local;
    };
    Hit HitTest(QPoint pixel);
    // The pointer shape to show at a point, after the screen pointer and any drag.
    PointerShape PointerAt(QPoint pixel, const ScreenPointer* screen = nullptr);
    // A drag in progress (source control, pointer position in client pixels), or none.
    struct DragInfo {
        Control* source = nullptr;
        QPoint pointer;
        QPoint grab;  // where in the source the drag started, in its pixels
    };
    const DragInfo& CurrentDrag() const { return drag_; }
    void BeginDrag(Control& source);
    void EndDrag(bool drop);
    // A control of this window is going away: forget it for capture and drag.
    void Forget(const Control* control);
    // A modal window opened or this window lost the input: the capture, a pending drag and
    // the pressed buttons are let go, as the desktop's toolkit does, so that the next click is
    // an ordinary one (the release went to the other window and will never come here).
    void CancelMouseMode();
    // The control that gets typed keys after the window's own key events (clicked last).
    Control* FocusedControl() const { return focus_; }
    void SetFocusedControl(Control* control);

    std::function<void(int keyCode, int shift)> onKeyDown;
    std::function<void(int keyCode, int shift)> onKeyUp;
    std::function<void(int ascii)> onKeyPress;
    std::function<void()> onActivate;
    std::function<void(int& cancel)> onUnload;
    std::function<void()> onResize;

  protected:
    std::unique_ptr<Control> CloneForArray() const override;
    void Resized() override;
    QSize SurfaceSize() const override { return ClientPixelSize(); }
    void SurfaceChanged() override { Changed(); }

  private:
    friend class Control;
    void UpdateDragOver(QPoint pixel);
    // Controls removed while an event runs are destroyed once the outermost event returns, so
    // a handler that unloads its own control (or its whole array) never runs on freed memory.
  public:
    struct DispatchGuard {
        explicit DispatchGuard(Window& w);
        ~DispatchGuard();
        DispatchGuard(const DispatchGuard&) = delete;
        DispatchGuard& operator=(const DispatchGuard&) = delete;
        Window& window;
    };

  private:
    int dispatchDepth_ = 0;
    std::vector<std::unique_ptr<Control>> graveyard_;
    QPoint lastPointer_;
    QString caption_;
    int windowState_ = 0;
    bool keyPreview_ = false;
    MenuItem menus_;
    std::uint64_t generation_ = 1;
    Control* capture_ = nullptr;
    int captureButtons_ = 0;
    Control* pressed_ = nullptr;
    DragInfo drag_;
    Control* dragOver_ = nullptr;
    Control* focus_ = nullptr;
};

}  // namespace storyloom::forms
