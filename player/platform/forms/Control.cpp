#include "platform/forms/Control.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/forms/ControlArray.h"
#include "platform/forms/Text.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {

namespace {

void CheckSize(double twips) {
    if (twips < 0 || !std::isfinite(twips))
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

}  // namespace

int TwipsToPixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    const double px = std::round(twips / kTwipsPerPixel);
    return static_cast<int>(std::clamp(px, -1.0e7, 1.0e7));
}

bool IsValidMousePointer(int value) {
    return (value >= 0 && value <= 15) || value == 99;
}

// ---- Control -----------------------------------------------------------------------------

Control::Control(ControlKind kind, QString name) : kind_(kind), name_(std::move(name)) {}

Control::Control(const Control& other)
    : onMouseDown(other.onMouseDown),
      onMouseMove(other.onMouseMove),
      onMouseUp(other.onMouseUp),
      onClick(other.onClick),
      onDblClick(other.onDblClick),
      onDragDrop(other.onDragDrop),
      onDragOver(other.onDragOver),
      kind_(other.kind_),
      name_(other.name_),
      rect_(other.rect_),
      visible_(other.visible_),
      enabled_(other.enabled_),
      tag_(other.tag_),
      toolTip_(other.toolTip_),
      pointer_(other.pointer_),
      mouseIcon_(other.mouseIcon_),
      dragIcon_(other.dragIcon_),
      dragMode_(other.dragMode_) {}

Control::~Control() {
    // Children go first, so that each one still finds its window while it leaves.
    while (!children_.empty()) Remove(children_.back().get());
    if (array_) array_->Forget(index_);
}

Window* Control::OwnerWindow() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return c->kind_ == ControlKind::Window ? static_cast<Window*>(c) : nullptr;
}

const Window* Control::OwnerWindow() const {
    return const_cast<Control*>(this)->OwnerWindow();
}

void Control::AdoptChild(std::unique_ptr<Control> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    Changed();
}

std::unique_ptr<Control> Control::Detach(Control* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it == children_.end()) return nullptr;
    Window* w = OwnerWindow();
    std::vector<Control*> stack{child};
    while (!stack.empty()) {
        Control* c = stack.back();
        stack.pop_back();
        if (w) w->Forget(c);
        // The array index is free at once: a handler may load the same element again.
        if (c->array_) {
            c->array_->Forget(c->index_);
            c->array_ = nullptr;
        }
        for (const auto& g : c->children_) stack.push_back(g.get());
    }
    std::unique_ptr<Control> owned = std::move(*it);
    children_.erase(it);
    owned->parent_ = nullptr;
    Changed();
    return owned;
}

void Control::Remove(Control* child) {
    Window* w = OwnerWindow();
    std::unique_ptr<Control> owned = Detach(child);
    if (owned && w && w->dispatchDepth_ > 0) w->graveyard_.push_back(std::move(owned));
}

void Control::SetContainer(Control* container) {
    if (!container || !container->IsContainer() || container == parent_ || !parent_) return;
    for (Control* c = container; c; c = c->parent_)
        if (c == this)
            throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    std::unique_ptr<Control> owned = parent_->Detach(this);
    container->AdoptChild(std::move(owned));
}

void Control::SetLeft(double twips) {
    SetPixelRect(rect_.translated(TwipsToPixels(twips) - rect_.x(), 0));
}
void Control::SetTop(double twips) {
    SetPixelRect(rect_.translated(0, TwipsToPixels(twips) - rect_.y()));
}
void Control::SetWidth(double twips) {
    CheckSize(twips);
    QRect r = rect_;
    r.setWidth(TwipsToPixels(twips));
    SetPixelRect(r);
}
void Control::SetHeight(double twips) {
    CheckSize(twips);
    QRect r = rect_;
    r.setHeight(TwipsToPixels(twips));
    SetPixelRect(r);
}

void Control::Move(double left, double top, double width, double height) {
    QRect r(TwipsToPixels(left), TwipsToPixels(top), rect_.width(), rect_.height());
    if (width >= 0) r.setWidth(TwipsToPixels(width));
    if (height >= 0) r.setHeight(TwipsToPixels(height));
    SetPixelRect(r);
}

void Control::SetPixelRect(const QRect& rect) {
    QRect r = rect;
    if (r.width() < 0) r.setWidth(0);
    if (r.height() < 0) r.setHeight(0);
    if (r == rect_) return;
    const bool resized = r.size() != rect_.size();
    rect_ = r;
    if (resized) Resized();
    Changed();
}

QRect Control::WindowPixelRect() const {
    QRect r = rect_;
    for (const Control* p = parent_; p && p->parent_; p = p->parent_) {
        r.translate(p->rect_.topLeft() + QPoint(p->BorderPixels(), p->BorderPixels()));
    }
    if (kind_ == ControlKind::Window && !parent_) return QRect(QPoint(0, 0), rect_.size());
    return r;
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible) {
        if (Window* w = OwnerWindow(); w && w != this) {
            if (w->CurrentDrag().source == this) w->EndDrag(false);
        }
    }
    Changed();
}

bool Control::IsShown() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Changed();
}

void Control::SetPointer(MousePointer pointer) {
    if (!IsValidMousePointer(static_cast<int>(pointer)))
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    pointer_ = pointer;
    Changed();
}

void Control::SetMouseIcon(const Picture& icon) {
    mouseIcon_ = icon;
    Changed();
}

void Control::Drag(int action) {
    Window* w = OwnerWindow();
    if (!w || w == this) return;
    if (action == 1) {
        w->BeginDrag(*this);
    } else if (w->CurrentDrag().source == this) {
        w->EndDrag(action == 2);
    }
}

void Control::ZOrder(int position) {
    if (!parent_) return;
    auto& siblings = parent_->children_;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [this](const auto& c) { return c.get() == this; });
    if (it == siblings.end()) return;
    std::unique_ptr<Control> self = std::move(*it);
    siblings.erase(it);
    if (position == 0) {
        siblings.push_back(std::move(self));
    } else {
        siblings.insert(siblings.begin(), std::move(self));
    }
    Changed();
}

int Control::ZIndex() const {
    if (!parent_) return 0;
    const auto& siblings = parent_->children_;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return 0;
}

int Control::EventScaleMode() const {
    return parent_ ? parent_->EventScaleMode() : 1;
}

void Control::Changed() {
    if (Window* w = OwnerWindow()) w->Invalidate();
}

// ---- DrawingSurface ----------------------------------------------------------------------

void DrawingSurface::SetScaleMode(int mode) {
    if (mode != 1 && mode != 3)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    scaleMode_ = mode;
}

double DrawingSurface::ScaleWidth() const {
    return ToScale(SurfaceSize().width());
}
double DrawingSurface::ScaleHeight() const {
    return ToScale(SurfaceSize().height());
}

int DrawingSurface::FromScale(double v) const {
    return scaleMode_ == 3 ? static_cast<int>(std::lround(v)) : TwipsToPixels(v);
}

void DrawingSurface::ResetCanvas() {
    const QSize size = SurfaceSize();
    if (size.isEmpty()) {
        canvas_ = QImage();
        return;
    }
    if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(ToRgb32(backColor_));
    if (!picture_.IsEmpty()) {
        QPainter painter(&canvas_);
        painter.drawImage(0, 0, picture_.Image());
    }
}

QImage& DrawingSurface::Canvas() {
    if (canvas_.isNull() || canvas_.size() != SurfaceSize()) ResetCanvas();
    return canvas_;
}

void DrawingSurface::ResizeCanvas(QSize size) {
    if (canvas_.isNull() || canvas_.size() == size) return;
    if (size.isEmpty()) {
        canvas_ = QImage();
        return;
    }
    // Growing shows the background colour in the new part; drawings stay where they are.
    QImage grown(size, QImage::Format_RGB32);
    grown.fill(ToRgb32(backColor_));
    QPainter painter(&grown);
    painter.drawImage(0, 0, canvas_);
    painter.end();
    canvas_ = std::move(grown);
}

void DrawingSurface::Cls() {
    currentX_ = currentY_ = 0;
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::SetSurfaceBackColor(OleColor color) {
    backColor_ = color;
    // A new background colour clears the drawing, as on the original.
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::SetSurfacePicture(const Picture& picture) {
    picture_ = picture;
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::PaintPicture(const Picture& picture, double x, double y, double width,
                                  double height, double sx, double sy, double sw, double sh) {
    if (picture.IsEmpty())
        throw ControlError(kErrInvalidPicture, QStringLiteral("Invalid picture"));
    const QImage& image = picture.Image();
    QRectF source(sx, sy, sw < 0 ? image.width() - sx : sw, sh < 0 ? image.height() - sy : sh);
    const int w = width < 0 ? int(std::lround(source.width())) : FromScale(width);
    const int h = height < 0 ? int(std::lround(source.height())) : FromScale(height);
    QPainter painter(&Canvas());
    painter.drawImage(QRectF(FromScale(x), FromScale(y), w, h), image, source);
    painter.end();
    SurfaceChanged();
}

void DrawingSurface::Print(const QString& text) {
    QImage& canvas = Canvas();
    QPainter painter(&canvas);
    const QFont font = MakeQFont(font_);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    int x = FromScale(currentX_), y = FromScale(currentY_);
    for (const QString& line : lines) {
        const int w = metrics.horizontalAdvance(line);
        if (!fontTransparent_)
            painter.fillRect(x, y, w, metrics.height(), QColor::fromRgb(ToRgb32(backColor_)));
        painter.setPen(ToQColor(foreColor_));
        painter.drawText(x, y + metrics.ascent(), line);
        y += metrics.height();
        x = FromScale(currentX_);
    }
    painter.end();
    currentX_ = 0;
    currentY_ = ToScale(y);
    SurfaceChanged();
}

void DrawingSurface::Line(double x1, double y1, double x2, double y2, OleColor color, bool box,
                          bool fill) {
    QPainter painter(&Canvas());
    const QColor c = ToQColor(color);
    const QPoint a(FromScale(x1), FromScale(y1)), b(FromScale(x2), FromScale(y2));
    if (box) {
        const QRect r = QRect(a, b).normalized();
        if (fill)
            painter.fillRect(r, c);
        else {
            painter.setPen(c);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
    } else {
        painter.setPen(c);
        painter.drawLine(a, b);
    }
    painter.end();
    currentX_ = x2;
    currentY_ = y2;
    SurfaceChanged();
}

void DrawingSurface::PSet(double x, double y, OleColor color) {
    QImage& canvas = Canvas();
    const QPoint p(FromScale(x), FromScale(y));
    if (canvas.rect().contains(p)) canvas.setPixel(p, ToRgb32(color));
    currentX_ = x;
    currentY_ = y;
    SurfaceChanged();
}

std::int32_t DrawingSurface::Point(double x, double y) const {
    const QPoint p(FromScale(x), FromScale(y));
    const Picture image = canvas_.isNull() ? ImagePicture() : Picture();
    const QImage& source = canvas_.isNull() ? image.Image() : canvas_;
    if (!source.rect().contains(p)) return -1;
    return static_cast<std::int32_t>(FromQColor(QColor::fromRgb(source.pixel(p))));
}

void DrawingSurface::CopyRect(const QImage& source, const QRect& from, const QRect& to) {
    if (source.isNull() || to.isEmpty()) return;
    QPainter painter(&Canvas());
    if (from.size() != to.size()) painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(to, source, from);
    painter.end();
    SurfaceChanged();
}

void DrawingSurface::AlphaBlend(const QImage& source, const QRect& from, QPoint at, int opacity) {
    if (source.isNull()) return;
    QPainter painter(&Canvas());
    painter.setOpacity(std::clamp(opacity, 0, 255) / 255.0);
    painter.drawImage(at, source, from);
    painter.end();
    SurfaceChanged();
}

Picture DrawingSurface::ImagePicture() const {
    if (!canvas_.isNull()) return Picture::FromImage(canvas_);
    const QSize size = SurfaceSize();
    if (size.isEmpty()) return Picture();
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToRgb32(backColor_));
    if (!picture_.IsEmpty()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture_.Image());
    }
    return Picture::FromImage(image);
}

// ---- MenuItem ----------------------------------------------------------------------------

MenuItem* MenuItem::Add(const QString& itemName, const QString& itemCaption) {
    auto item = std::make_unique<MenuItem>();
    item->name = itemName;
    item->caption = itemCaption;
    items.push_back(std::move(item));
    return items.back().get();
}

MenuItem* MenuItem::Find(const QString& itemName) {
    for (auto& item : items) {
        if (item->name.compare(itemName, Qt::CaseInsensitive) == 0) return item.get();
        if (MenuItem* found = item->Find(itemName)) return found;
    }
    return nullptr;
}

// ---- Window ------------------------------------------------------------------------------

Window::Window(QString name)
    : Control(ControlKind::Window, std::move(name)),
      DrawingSurface(kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 320, 240));
}

Window::~Window() {
    // Children leave while the window is still whole.
    while (!Children().empty()) Remove(Children().back().get());
}

std::unique_ptr<Control> Window::CloneForArray() const {
    throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Windows are not array elements"));
}

void Window::SetCaption(const QString& caption) {
    caption_ = caption;
    Invalidate();
}

void Window::SetWindowState(int state) {
    if (state < 0 || state > 2)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    windowState_ = state;
    Invalidate();
}

void Window::MenusChanged() {
    if (onMenusChanged) onMenusChanged();
}

void Window::Invalidate() {
    ++generation_;
    if (onInvalidated) onInvalidated();
}

void Window::Resized() {
    ResizeCanvas(ClientPixelSize());
    if (onResize) onResize();
}

// ---- PictureBox --------------------------------------------------------------------------

PictureBox::PictureBox(QString name)
    : Control(ControlKind::PictureBox, std::move(name)),
      DrawingSurface(kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 100, 100));
}

std::unique_ptr<Control> PictureBox::CloneForArray() const {
    auto copy = std::unique_ptr<PictureBox>(new PictureBox(*this));
    return copy;
}

int PictureBox::BorderPixels() const {
    return borderStyle_ ? (appearance_ ? 2 : 1) : 0;
}

QSize PictureBox::ClientPixelSize() const {
    const int b = BorderPixels();
    const QSize s = PixelRect().size();
    return QSize(std::max(0, s.width() - 2 * b), std::max(0, s.height() - 2 * b));
}

void PictureBox::SetPicture(const Picture& picture) {
    SetSurfacePicture(picture);
    if (autoSize_) FitToPicture();
}

void PictureBox::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) FitToPicture();
}

void PictureBox::FitToPicture() {
    if (GetPicture().IsEmpty()) return;
    const int b = BorderPixels();
    SetPixelRect(QRect(PixelRect().topLeft(), GetPicture().Size() + QSize(2 * b, 2 * b)));
}

void PictureBox::SetBorderStyle(int style) {
    if (style != 0 && style != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    borderStyle_ = style;
    ResizeCanvas(ClientPixelSize());
    Changed();
}

void PictureBox::SetAppearance(int appearance) {
    if (appearance != 0 && appearance != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    appearance_ = appearance;
    ResizeCanvas(ClientPixelSize());
    Changed();
}

void PictureBox::Resized() {
    ResizeCanvas(ClientPixelSize());
}

// ---- Image -------------------------------------------------------------------------------

Image::Image(QString name) : Control(ControlKind::Image, std::move(name)) {
    SetPixelRect(QRect(0, 0, 32, 32));
}

std::unique_ptr<Control> Image::CloneForArray() const {
    return std::unique_ptr<Image>(new Image(*this));
}

void Image::SetPicture(const Picture& picture) {
    picture_ = picture;
    if (!stretch_ && !picture_.IsEmpty())
        SetPixelRect(
            QRect(PixelRect().topLeft(), picture_.Size() + QSize(2, 2) * (borderStyle_ ? 1 : 0)));
    Changed();
}

void Image::SetStretch(bool on) {
    stretch_ = on;
    if (!on && !picture_.IsEmpty()) SetPicture(picture_);
    Changed();
}

void Image::SetBorderStyle(int style) {
    if (style != 0 && style != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    borderStyle_ = style;
    Changed();
}

// ---- Label -------------------------------------------------------------------------------

Label::Label(QString name) : Control(ControlKind::Label, std::move(name)) {
    SetPixelRect(QRect(0, 0, 65, 17));
}

std::unique_ptr<Control> Label::CloneForArray() const {
    return std::unique_ptr<Label>(new Label(*this));
}

QString Label::DisplayText() const {
    if (!useMnemonic_ || !caption_.contains(QLatin1Char('&'))) return caption_;
    QString out;
    out.reserve(caption_.size());
    for (qsizetype i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == QLatin1Char('&')) {
            if (i + 1 < caption_.size() && caption_[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption_[i];
    }
    return out;
}

void Label::Fit() {
    if (!autoSize_ || fitting_) return;
    fitting_ = true;
    const QFontMetrics metrics(MakeQFont(font_));
    const int b = BorderPixels();
    const QRect r = PixelRect();
    QRect fitted = r;
    if (wordWrap_) {
        const QStringList lines =
            LayoutLines(DisplayText(), metrics, std::max(1, r.width() - 2 * b));
        fitted.setHeight(TextExtent(lines, metrics).height() + 2 * b);
    } else {
        const QSize extent = TextExtent(LayoutLines(DisplayText(), metrics, 0), metrics);
        fitted.setSize(extent + QSize(2 * b, 2 * b));
    }
    SetPixelRect(fitted);
    fitting_ = false;
}

void Label::Resized() {
    Fit();
}

void Label::SetCaption(const QString& caption) {
    caption_ = caption;
    Fit();
    Changed();
}
void Label::SetFont(const FontSpec& font) {
    if (font.size <= 0 || font.size > 2048)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    font_ = font;
    Fit();
    Changed();
}
void Label::SetForeColor(OleColor color) {
    foreColor_ = color;
    Changed();
}
void Label::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}
void Label::SetBackStyle(int style) {
    if (style != 0 && style != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    backStyle_ = style;
    Changed();
}
void Label::SetAlignment(int alignment) {
    if (alignment < 0 || alignment > 2)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    alignment_ = alignment;
    Changed();
}
void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    Fit();
    Changed();
}
void Label::SetWordWrap(bool on) {
    wordWrap_ = on;
    Fit();
    Changed();
}
void Label::SetBorderStyle(int style) {
    if (style != 0 && style != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    borderStyle_ = style;
    Fit();
    Changed();
}
void Label::SetUseMnemonic(bool on) {
    useMnemonic_ = on;
    Fit();
    Changed();
}

// ---- Frame -------------------------------------------------------------------------------

Frame::Frame(QString name) : Control(ControlKind::Frame, std::move(name)) {
    SetPixelRect(QRect(0, 0, 120, 80));
}

std::unique_ptr<Control> Frame::CloneForArray() const {
    return std::unique_ptr<Frame>(new Frame(*this));
}

void Frame::SetCaption(const QString& caption) {
    caption_ = caption;
    Changed();
}
void Frame::SetFont(const FontSpec& font) {
    font_ = font;
    Changed();
}
void Frame::SetForeColor(OleColor color) {
    foreColor_ = color;
    Changed();
}
void Frame::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}
void Frame::SetBorderStyle(int style) {
    if (style != 0 && style != 1)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    borderStyle_ = style;
    Changed();
}

// ---- TimerControl ------------------------------------------------------------------------

TimerControl::TimerControl(EventLoop& loop, QString name)
    : Control(ControlKind::Timer, std::move(name)),
      loop_(loop),
      timer_(std::make_unique<Timer>(loop)) {
    Wire();
}

TimerControl::TimerControl(const TimerControl& other)
    : Control(other),
      onTimer(other.onTimer),
      loop_(other.loop_),
      timer_(std::make_unique<Timer>(other.loop_)) {
    Wire();
    timer_->SetEnabled(false);
    timer_->SetInterval(other.timer_->Interval());
    timer_->SetEnabled(other.timer_->Enabled());
}

TimerControl::~TimerControl() = default;

void TimerControl::Wire() {
    timer_->onTick = [this] {
        if (!onTimer) return;
        Window* w = OwnerWindow();
        if (!w) return;
        Window::DispatchGuard guard(*w);
        auto handler = onTimer;
        handler(*this);
    };
}

std::unique_ptr<Control> TimerControl::CloneForArray() const {
    return std::unique_ptr<TimerControl>(new TimerControl(*this));
}

int TimerControl::Interval() const {
    return timer_->Interval();
}
void TimerControl::SetInterval(int ms) {
    if (ms < 0 || ms > 65535)
        throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    timer_->SetInterval(ms);
}
bool TimerControl::TimerEnabled() const {
    return timer_->Enabled();
}
void TimerControl::SetTimerEnabled(bool on) {
    timer_->SetEnabled(on);
}

}  // namespace storyloom::forms
