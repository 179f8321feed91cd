#pragma once
// The retained control model: windows and the controls on them, with the behaviour of Basic's
// forms (twips, containers, z-order among siblings, control arrays, pointers, drag and drop).
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
inline constexpr int kErrInvalidPropertyValue = 380;
inline constexpr int kErrElementMissing = 340;
inline constexpr int kErrAlreadyLoaded = 360;
inline constexpr int kErrCannotUnloadDesignTime = 362;

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

// Persistent drawing shared by windows and picture boxes: background colour, picture, and the
// drawing methods (Cls, PaintPicture, Print, Line, copying and blending rectangles).
class DrawingSurface {
  public:
    virtual ~DrawingSurface() = default;
    OleColor BackColor() const { return backColor_; }
    OleColor ForeColor() const { return foreColor_; }
    const Picture& SurfacePicture() const { return picture_; }
    const FontSpec& DrawFont() const { return font_; }
    bool AutoRedraw() const { return autoRedraw_; }
    void SetAutoRedraw(bool on) { autoRedraw_ = on; }
    bool FontTransparent() const { return fontTransparent_; }
    void SetFontTransparent(bool on) { fontTransparent_ = on; }
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);  // 1 twips, 3 pixels
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double v) { currentX_ = v; }
    void SetCurrentY(double v) { currentY_ = v; }
    // Inner size in ScaleMode units.
    double ScaleWidth() const;
    double ScaleHeight() const;
    double ToScale(int pixels) const { return scaleMode_ == 3 ? pixels : pixels * 15.0; }
    int FromScale(double v) const;

    void Cls();
    // Draws `picture` at (x, y) in scale units; width/height < 0 keep the picture's size;
    // the source rectangle (sx, sy, sw, sh) in the picture's pixels, sw < 0 = whole picture.
    void PaintPicture(const Picture& picture, double x, double y, double width = -1,
                      double height = -1, double sx = 0, double sy = 0, double sw = -1,
                      double sh = -1);
    // Prints text at CurrentX/CurrentY with the surface's font and ForeColor; each line of a
    // CR LF separated text goes below the previous one, and CurrentY ends on the next line.
    void Print(const QString& text);
    // Basic's Line (x1,y1)-(x2,y2), color[, B[F]].
    void Line(double x1, double y1, double x2, double y2, OleColor color, bool box = false,
              bool fill = false);
    // Basic's PSet and Point: one pixel set, or read (-1 outside the surface).
    void PSet(double x, double y, OleColor color);
    std::int32_t Point(double x, double y) const;
    // Copies (and stretches) `source`'s rectangle onto the canvas, in pixels.
    void CopyRect(const QImage& source, const QRect& from, const QRect& to);
    // Blends `source` onto the canvas at `at` (pixels) with a constant opacity 0..255.
    void AlphaBlend(const QImage& source, const QRect& from, QPoint at, int opacity);
    // Basic's Image property: the persistent drawing (background, picture and drawings).
    Picture ImagePicture() const;
    // The canvas itself (RGB32, inner size), created on first use, for fast direct drawing.
    QImage& Canvas();
    bool HasCanvas() const { return !canvas_.isNull(); }
    const QImage& CanvasIfAny() const { return canvas_; }

  protected:
    explicit DrawingSurface(OleColor back, OleColor fore) : backColor_(back), foreColor_(fore) {}
    void SetSurfaceBackColor(OleColor color);
    void SetSurfaceForeColor(OleColor color) { foreColor_ = color; }
    void SetSurfacePicture(const Picture& picture);
    void SetSurfaceFont(const FontSpec& font) { font_ = font; }
    void ResizeCanvas(QSize size);
    virtual QSize SurfaceSize() const = 0;
    virtual void SurfaceChanged() = 0;
    void ResetCanvas();

  private:
    OleColor backColor_;
    OleColor foreColor_;
    Picture picture_;
    FontSpec font_;
    bool autoRedraw_ = false;
    bool fontTransparent_ = true;
    int scaleMode_ = 1;
    double currentX_ = 0, currentY_ = 0;
    QImage canvas_;
};

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

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int WindowState() const { return windowState_; }  // 0 normal, 1 minimised, 2 maximised
    void SetWindowState(int state);
    void SetBackColor(OleColor color) { SetSurfaceBackColor(color); }
    void SetForeColor(OleColor color) { SetSurfaceForeColor(color); }
    void SetPicture(const Picture& picture) { SetSurfacePicture(picture); }
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

class PictureBox : public Control, public DrawingSurface {
  public:
    explicit PictureBox(QString name = QStringLiteral("Picture1"));
    bool IsContainer() const override { return true; }
    int EventScaleMode() const override { return ScaleMode(); }
    QSize ClientPixelSize() const override;
    int BorderPixels() const override;

    const Picture& GetPicture() const { return SurfacePicture(); }
    void SetPicture(const Picture& picture);
    void SetBackColor(OleColor color) { SetSurfaceBackColor(color); }
    void SetForeColor(OleColor color) { SetSurfaceForeColor(color); }
    const FontSpec& Font() const { return DrawFont(); }
    void SetFont(const FontSpec& font) { SetSurfaceFont(font); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    int BorderStyle() const { return borderStyle_; }  // 0 none, 1 fixed single
    void SetBorderStyle(int style);
    int Appearance() const { return appearance_; }  // 0 flat, 1 3D
    void SetAppearance(int appearance);

  protected:
    PictureBox(const PictureBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    void Resized() override;
    QSize SurfaceSize() const override { return ClientPixelSize(); }
    void SurfaceChanged() override { Changed(); }

  private:
    void FitToPicture();
    bool autoSize_ = false;
    int borderStyle_ = 1;
    int appearance_ = 1;
};

class Image : public Control {
  public:
    explicit Image(QString name = QStringLiteral("Image1"));
    const Picture& GetPicture() const { return picture_; }
    // Without Stretch the control takes the picture's size.
    void SetPicture(const Picture& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);

  protected:
    Image(const Image& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    Picture picture_;
    bool stretch_ = false;
    int borderStyle_ = 0;
};

class Label : public Control {
  public:
    explicit Label(QString name = QStringLiteral("Label1"));
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    int BackStyle() const { return backStyle_; }  // 0 transparent, 1 opaque
    void SetBackStyle(int style);
    int Alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre
    void SetAlignment(int alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    bool UseMnemonic() const { return useMnemonic_; }
    void SetUseMnemonic(bool on);
    // The caption as drawn: "&&" shows one "&", a single "&" is not shown.
    QString DisplayText() const;
    int BorderPixels() const override { return borderStyle_ ? 2 : 0; }

  protected:
    Label(const Label& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    void Resized() override;

  private:
    void Fit();
    QString caption_;
    FontSpec font_;
    OleColor foreColor_ = kSysButtonText;
    OleColor backColor_ = kSysButtonFace;
    int backStyle_ = 1;
    int alignment_ = 0;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    int borderStyle_ = 0;
    bool useMnemonic_ = true;
    bool fitting_ = false;
};

class Frame : public Control {
  public:
    explicit Frame(QString name = QStringLiteral("Frame1"));
    bool IsContainer() const override { return true; }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);

  protected:
    Frame(const Frame& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString caption_;
    FontSpec font_;
    OleColor foreColor_ = kSysButtonText;
    OleColor backColor_ = kSysButtonFace;
    int borderStyle_ = 1;
};

// Basic's timer control on the event loop: Interval in ms (0 never fires) and Enabled.
class TimerControl : public Control {
  public:
    TimerControl(EventLoop& loop, QString name = QStringLiteral("Timer1"));
    ~TimerControl() override;
    int Interval() const;
    void SetInterval(int ms);  // negative: error 380
    bool TimerEnabled() const;
    void SetTimerEnabled(bool on);
    std::function<void(TimerControl&)> onTimer;

  protected:
    TimerControl(const TimerControl& other);
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Wire();
    EventLoop& loop_;
    std::unique_ptr<Timer> timer_;
};

}  // namespace storyloom::forms
