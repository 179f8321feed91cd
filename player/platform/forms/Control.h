#pragma once
// The retained control model: windows and the controls on them, with the behaviour of Basic's
// forms (twips, containers, z-order among siblings, control arrays, pointers, drag and drop).
// This header holds what every control has; each control kind lives in controls/<Kind>.h with
// its painting and its property table (README.md in this folder tells how to add one).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/forms/Color.h"
#include "platform/forms/Picture.h"

namespace storyloom {
class EventLoop;
class Timer;
}  // namespace storyloom

class QPainter;

namespace storyloom::forms {

inline constexpr int kTwipsPerPixel = 15;
// Positions are kept in whole pixels, as on the original's desktop: a value in twips is
// rounded to the nearest pixel and reads back as a multiple of 15.
int TwipsToPixels(double twips);
inline double PixelsToTwips(int pixels) {
    return pixels * double(kTwipsPerPixel);
}

// A failure that scripts see as a run-time error with Basic's number.
class ControlError : public std::runtime_error {
  public:
    ControlError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), text_(description) {}
    int Number() const { return number_; }
    const QString& Description() const { return text_; }

  private:
    int number_;
    QString text_;
};
inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrDeviceUnavailable = 68;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrInvalidPropertyValue = 380;
inline constexpr int kErrInvalidArrayIndex = 381;
inline constexpr int kErrElementMissing = 340;
inline constexpr int kErrAlreadyLoaded = 360;
inline constexpr int kErrCannotUnloadDesignTime = 362;

// Error 380 "Invalid property value"; CheckValueRange throws it unless low <= value <= high.
[[noreturn]] void ThrowInvalidValue();
void CheckValueRange(int value, int low, int high);
// Error 5 "Invalid procedure call or argument".
[[noreturn]] void ThrowInvalidCall();

// Identifies a control's kind (scripts name a control array by it). The kind's class, painting
// and property table are in controls/; nothing else switches over this list.
enum class ControlKind {
    Window,
    PictureBox,
    Image,
    Label,
    Frame,
    Timer,
    CheckBox,
    Line,
    Shape,
    TextBox,
    ListBox,
    FileListBox,
    DirListBox,
    DriveListBox,
    AnimatedGif,
    VideoView,
    Component,
};

enum class MousePointer : int {
    Default = 0,
    Arrow = 1,
    Cross = 2,
    IBeam = 3,
    Icon = 4,
    Size = 5,
    SizeNESW = 6,
    SizeNS = 7,
    SizeNWSE = 8,
    SizeWE = 9,
    UpArrow = 10,
    Hourglass = 11,
    NoDrop = 12,
    ArrowHourglass = 13,
    ArrowQuestion = 14,
    SizeAll = 15,
    Custom = 99,
};
bool IsValidMousePointer(int value);

// Mouse buttons and shift keys as Basic's events report them.
inline constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
inline constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

enum class DragOverState { Enter = 0, Leave = 1, Over = 2 };

struct FontSpec {
    QString name = QStringLiteral("MS Sans Serif");
    double size = 8.25;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const FontSpec&) const = default;
};

// A pointer shape: one of the stock shapes, or a picture with its hot spot.
struct PointerShape {
    MousePointer kind = MousePointer::Default;
    Picture icon;  // for Custom
    bool operator==(const PointerShape&) const = default;
};

// The screen-wide pointer (Basic's Screen.MousePointer): when not Default it wins over every
// control's own pointer.
struct ScreenPointer {
    MousePointer pointer = MousePointer::Default;
    Picture icon;
    std::function<void()> onChanged;
    void Set(MousePointer p, Picture customIcon = Picture()) {
        pointer = p;
        icon = std::move(customIcon);
        if (onChanged) onChanged();
    }
};

class Window;
class ControlArrayBase;

class Control {
  public:
    virtual ~Control();
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return kind_; }
    const QString& Name() const { return name_; }
    // Index in its control array; -1 for a control that is not an array element.
    int Index() const { return index_; }

    Control* Parent() const { return parent_; }
    Window* OwnerWindow();
    const Window* OwnerWindow() const;
    virtual bool IsContainer() const { return false; }
    // Children back to front: the last one is drawn last, on top.
    const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }

    // Creates a child (this must be a container). The new control is in front of its siblings.
    template <class T, class... Args>
    T* Add(Args&&... args) {
        auto child = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = child.get();
        AdoptChild(std::move(child));
        return raw;
    }
    // Destroys a child (and everything inside it).
    void Remove(Control* child);
    // Moves this control into another container, keeping its position relative to the
    // container, in front of its new siblings.
    void SetContainer(Control* container);

    // Geometry in twips (relative to the container's inner area).
    double Left() const { return PixelsToTwips(rect_.x()); }
    double Top() const { return PixelsToTwips(rect_.y()); }
    double Width() const { return PixelsToTwips(rect_.width()); }
    double Height() const { return PixelsToTwips(rect_.height()); }
    void SetLeft(double twips);
    void SetTop(double twips);
    void SetWidth(double twips);   // negative: error 380
    void SetHeight(double twips);  // negative: error 380
    void Move(double left, double top, double width = -1, double height = -1);
    // The same in pixels.
    QRect PixelRect() const { return rect_; }
    void SetPixelRect(const QRect& rect);
    // The inner area's size in pixels (less the border), where children live and drawing goes.
    virtual QSize ClientPixelSize() const { return rect_.size(); }
    // Offset of the inner area from the control's top-left corner (the border's width).
    virtual int BorderPixels() const { return 0; }
    // This control's rectangle in window client pixels.
    QRect WindowPixelRect() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible and every container up to the window visible too.
    bool IsShown() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const QString& Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }
    const QString& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const QString& text) { toolTip_ = text; }

    MousePointer Pointer() const { return pointer_; }
    void SetPointer(MousePointer pointer);
    const Picture& MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(const Picture& icon);
    const Picture& DragIcon() const { return dragIcon_; }
    void SetDragIcon(const Picture& icon) { dragIcon_ = icon; }
    int DragMode() const { return dragMode_; }  // 0 manual, 1 automatic
    void SetDragMode(int mode) { dragMode_ = mode ? 1 : 0; }
    // Basic's Drag method: 0 cancel, 1 begin, 2 end (drop where the pointer is).
    void Drag(int action = 1);

    // Z-order among siblings: 0 brings to the front, 1 sends to the back.
    void ZOrder(int position = 0);
    // Position among its siblings, 0 = backmost.
    int ZIndex() const;

    // The window redraws on its next frame.
    void Refresh() { Changed(); }

    // Paints the control, and what it contains, with its top-left corner at the painter's
    // origin (the renderer calls this for visible controls only). Controls without a face at
    // run time (timers) paint nothing.
    virtual void Paint(QPainter& painter) const = 0;

    // Events. Coordinates are in the scale of the control (twips unless its ScaleMode says
    // pixels), relative to its top-left corner. Handlers of an array's elements are shared:
    // a loaded element gets the template's.
    std::function<void(Control&, int button, int shift, double x, double y)> onMouseDown;
    std::function<void(Control&, int button, int shift, double x, double y)> onMouseMove;
    std::function<void(Control&, int button, int shift, double x, double y)> onMouseUp;
    std::function<void(Control&)> onClick;
    std::function<void(Control&)> onDblClick;
    std::function<void(Control&, Control& source, double x, double y)> onDragDrop;
    std::function<void(Control&, Control& source, double x, double y, DragOverState)> onDragOver;

    // Units of event coordinates and drawing methods: twips (1) or pixels (3).
    virtual int EventScaleMode() const;

    // The control's own reaction to input, before (press) or instead of (click) the plain
    // event: a check box toggles, a list selects a row, a text box edits its text.
    // Lines and shapes take no mouse input: the pointer goes through to what lies below.
    virtual bool ReceivesMouse() const { return true; }
    // A control that takes the keyboard once clicked.
    virtual bool TakesFocus() const { return false; }
    virtual void OwnMouseDown(QPoint /*local*/, int /*button*/) {}
    // Raises Click (controls that change state on a click do that first).
    virtual void OwnClick();
    virtual void OwnDoubleClick();
    virtual void OwnKeyDown(int /*keyCode*/, int /*shift*/) {}
    virtual void OwnKeyPress(int /*ascii*/) {}

  protected:
    Control(ControlKind kind, QString name);
    // Copies the properties and handlers (not the container, children or index): used when a
    // control array loads a new element.
    Control(const Control& other);
    virtual std::unique_ptr<Control> CloneForArray() const = 0;
    // Marks the window for redrawing.
    void Changed();
    // Calls an event handler through a copy of it: the handler may unload the control that
    // holds it.
    template <class Handler, class... Args>
    static void RaiseEvent(const Handler& handler, Args&&... args) {
        if (!handler) return;
        Handler copy = handler;
        copy(std::forward<Args>(args)...);
    }
    // Called after the size changed.
    virtual void Resized() {}

  private:
    friend class ControlArrayBase;
    void AdoptChild(std::unique_ptr<Control> child);
    std::unique_ptr<Control> Detach(Control* child);

    ControlKind kind_;
    QString name_;
    int index_ = -1;
    ControlArrayBase* array_ = nullptr;
    Control* parent_ = nullptr;
    std::vector<std::unique_ptr<Control>> children_;
    QRect rect_;
    bool visible_ = true;
    bool enabled_ = true;
    QString tag_;
    QString toolTip_;
    MousePointer pointer_ = MousePointer::Default;
    Picture mouseIcon_;
    Picture dragIcon_;
    int dragMode_ = 0;
};

}  // namespace storyloom::forms
