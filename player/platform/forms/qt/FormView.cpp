#include "platform/forms/qt/FormView.h"

#include <QActionGroup>

#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

namespace storyloom::forms {

int KeyCodeFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

int ShiftMaskFromQt(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? kShiftMask : 0) | (m & Qt::ControlModifier ? kCtrlMask : 0) |
           (m & Qt::AltModifier ? kAltMask : 0);
}

int ButtonFromQt(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

int ButtonsFromQt(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? kLeftButton : 0) |
           (buttons & Qt::RightButton ? kRightButton : 0) |
           (buttons & Qt::MiddleButton ? kMiddleButton : 0);
}

QCursor CursorFor(const PointerShape& shape, int scale) {
    switch (shape.kind) {
        case MousePointer::Default:
        case MousePointer::Arrow:
            return QCursor(Qt::ArrowCursor);
        case MousePointer::Cross:
            return QCursor(Qt::CrossCursor);
        case MousePointer::IBeam:
            return QCursor(Qt::IBeamCursor);
        case MousePointer::Icon:
        case MousePointer::SizeAll:
        case MousePointer::Size:
            return QCursor(Qt::SizeAllCursor);
        case MousePointer::SizeNESW:
            return QCursor(Qt::SizeBDiagCursor);
        case MousePointer::SizeNS:
            return QCursor(Qt::SizeVerCursor);
        case MousePointer::SizeNWSE:
            return QCursor(Qt::SizeFDiagCursor);
        case MousePointer::SizeWE:
            return QCursor(Qt::SizeHorCursor);
        case MousePointer::UpArrow:
            return QCursor(Qt::UpArrowCursor);
        case MousePointer::Hourglass:
            return QCursor(Qt::WaitCursor);
        case MousePointer::NoDrop:
            return QCursor(Qt::ForbiddenCursor);
        case MousePointer::ArrowHourglass:
            return QCursor(Qt::BusyCursor);
        case MousePointer::ArrowQuestion:
            return QCursor(Qt::WhatsThisCursor);
        case MousePointer::Custom:
            break;
    }
    if (shape.icon.IsEmpty()) return QCursor(Qt::ArrowCursor);
    QImage image = shape.icon.Image().convertToFormat(QImage::Format_ARGB32);
    const QImage& invert = shape.icon.InvertMask();
    if (!invert.isNull() && invert.size() == image.size()) {
        // Screens today cannot invert under the pointer: invert pixels are shown black.
        for (int y = 0; y < image.height(); ++y) {
            const uchar* inv = invert.constScanLine(y);
            auto* px = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (inv[x]) px[x] = qRgba(0, 0, 0, 255);
        }
    }
    scale = std::max(1, scale);
    if (scale > 1)
        image = image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QPoint hot = shape.icon.HotSpot() * scale;
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}

// ---- FormView ----------------------------------------------------------------------------

FormView::FormView(Window& window, ScreenPointer* screenPointer, QWidget* parent)
    : QWidget(parent), window_(window), screenPointer_(screenPointer) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    window_.onInvalidated = [this] {
        update();
        // Loading a frame changes hundreds of properties: look at the pointer once afterwards.
        if (pointerCheckPending_) return;
        pointerCheckPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pointerCheckPending_ = false;
                UpdatePointer();
            },
            Qt::QueuedConnection);
    };
    if (screenPointer_) screenPointer_->onChanged = [this] { UpdatePointer(); };
}

FormView::~FormView() {
    window_.onInvalidated = nullptr;
    if (screenPointer_) screenPointer_->onChanged = nullptr;
    if (display_) display_->onScreenChanged = nullptr;
}

void FormView::SetVirtualScreen(QSize size) {
    virtualScreen_ = size;
    update();
}

QSize FormView::VirtualScreen() const {
    return virtualScreen_.isEmpty() ? window_.ClientPixelSize() : virtualScreen_;
}

void FormView::SetScaling(ScalingMode mode) {
    scaling_ = mode;
    update();
}

void FormView::FollowDisplay(Display& display) {
    auto apply = [this, &display] {
        SetVirtualScreen(display.ScreenSize());
        SetScaling(display.Scaling() == ScreenScaling::Sharp ? ScalingMode::Sharp
                                                             : ScalingMode::Smooth);
    };
    display.onScreenChanged = apply;
    display_ = &display;
    apply();
}

QRect FormView::ScreenArea() const {
    return LetterboxRect(VirtualScreen(), size(), scaling_);
}

// The window's client area in widget coordinates.
QRect FormView::WindowArea() const {
    const QRect screen = ScreenArea();
    const QSize virt = VirtualScreen();
    if (screen.isEmpty() || virt.isEmpty()) return QRect();
    const double sx = screen.width() / double(virt.width());
    const double sy = screen.height() / double(virt.height());
    const QPoint origin = virtualScreen_.isEmpty() ? QPoint(0, 0) : window_.PixelRect().topLeft();
    const QSize client = window_.ClientPixelSize();
    return QRect(screen.left() + int(std::lround(origin.x() * sx)),
                 screen.top() + int(std::lround(origin.y() * sy)),
                 int(std::lround(client.width() * sx)), int(std::lround(client.height() * sy)));
}

QPoint FormView::ToWindowPixels(QPoint widgetPoint) const {
    const QRect area = WindowArea();
    const QSize client = window_.ClientPixelSize();
    if (area.isEmpty() || client.isEmpty()) return QPoint(-1, -1);
    const double x = (widgetPoint.x() - area.left() + 0.5) * client.width() / double(area.width());
    const double y = (widgetPoint.y() - area.top() + 0.5) * client.height() / double(area.height());
    return QPoint(int(std::floor(x)), int(std::floor(y)));
}

const QImage& FormView::Frame() {
    if (frame_.isNull() || frameGeneration_ != window_.Generation() ||
        frame_.size() != window_.ClientPixelSize()) {
        Renderer::ComposeInto(window_, frame_);
        frameGeneration_ = window_.Generation();
    }
    return frame_;
}

QImage FormView::ScreenImage() {
    QImage screen(VirtualScreen(), QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    const QPoint origin = virtualScreen_.isEmpty() ? QPoint(0, 0) : window_.PixelRect().topLeft();
    if (window_.Visible()) painter.drawImage(origin, Frame());
    return screen;
}

void FormView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = WindowArea();
    const QRect all = rect();
    // Black around the window, then the window's picture scaled into its place.
    const QRegion outside = QRegion(all).subtracted(QRegion(area));
    for (const QRect& r : outside) painter.fillRect(r, Qt::black);
    if (area.isEmpty() || !window_.Visible()) return;
    const QImage& frame = Frame();
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          scaling_ == ScalingMode::Smooth || scaling_ == ScalingMode::Stretch);
    if (area.size() == frame.size()) {
        painter.drawImage(area.topLeft(), frame);
    } else {
        painter.drawImage(area, frame);
    }
}

void FormView::UpdatePointer() {
    const PointerShape shape = window_.PointerAt(lastWindowPoint_, screenPointer_);
    if (shape == shownPointer_) return;
    shownPointer_ = shape;
    const QSize virt = VirtualScreen();
    const int scale = virt.isEmpty() ? 1 : std::max(1, ScreenArea().width() / virt.width());
    setCursor(CursorFor(shape, scale));
}

void FormView::mousePressEvent(QMouseEvent* event) {
    lastWindowPoint_ = ToWindowPixels(event->position().toPoint());
    window_.MouseDown(lastWindowPoint_, ButtonFromQt(event->button()),
                      ShiftMaskFromQt(event->modifiers()));
    UpdatePointer();
}

void FormView::mouseReleaseEvent(QMouseEvent* event) {
    lastWindowPoint_ = ToWindowPixels(event->position().toPoint());
    window_.MouseUp(lastWindowPoint_, ButtonFromQt(event->button()),
                    ShiftMaskFromQt(event->modifiers()));
    UpdatePointer();
}

void FormView::mouseDoubleClickEvent(QMouseEvent* event) {
    lastWindowPoint_ = ToWindowPixels(event->position().toPoint());
    window_.DoubleClick(lastWindowPoint_, ButtonFromQt(event->button()),
                        ShiftMaskFromQt(event->modifiers()));
}

void FormView::mouseMoveEvent(QMouseEvent* event) {
    lastWindowPoint_ = ToWindowPixels(event->position().toPoint());
    window_.MouseMove(lastWindowPoint_, ButtonsFromQt(event->buttons()),
                      ShiftMaskFromQt(event->modifiers()));
    UpdatePointer();
}

void FormView::keyPressEvent(QKeyEvent* event) {
    const int code = KeyCodeFromQt(event->key());
    if (code) window_.KeyDown(code, ShiftMaskFromQt(event->modifiers()));
    const QString text = event->text();
    if (!text.isEmpty() && text[0].unicode() < 256 && text[0].unicode() != 0)
        window_.KeyPress(text[0].unicode());
}

void FormView::keyReleaseEvent(QKeyEvent* event) {
    const int code = KeyCodeFromQt(event->key());
    if (code) window_.KeyUp(code, ShiftMaskFromQt(event->modifiers()));
}

bool FormView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Window::Hit hit = window_.HitTest(ToWindowPixels(help->pos()));
        if (hit.control && !hit.control->ToolTipText().isEmpty()) {
            QToolTip::showText(help->globalPos(), hit.control->ToolTipText(), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

// ---- FormHost ----------------------------------------------------------------------------

FormHost::FormHost(Window& window, ScreenPointer* screenPointer, QWidget* parent)
    : QWidget(parent), window_(window) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    view_ = new FormView(window, screenPointer, this);
    layout->addWidget(menuBar_);
    layout->addWidget(view_, 1);
    setFocusProxy(view_);
    setWindowTitle(window.Caption());
    // Rebuilt later: a menu command that changes the menus is still running inside one of them.
    window_.onMenusChanged = [this] {
        QMetaObject::invokeMethod(
            this, [this] { RebuildMenus(); }, Qt::QueuedConnection);
    };
    RebuildMenus();
}

FormHost::~FormHost() {
    window_.onMenusChanged = nullptr;
}

namespace {

void FillMenu(QMenu* menu, MenuItem& item) {
    for (auto& child : item.items) {
        MenuItem* entry = child.get();
        if (entry->caption == QLatin1String("-")) {
            QAction* separator = menu->addSeparator();
            separator->setVisible(entry->visible);
            continue;
        }
        if (!entry->items.empty()) {
            QMenu* sub = menu->addMenu(entry->caption);
            sub->menuAction()->setVisible(entry->visible);
            sub->setEnabled(entry->enabled);
            FillMenu(sub, *entry);
            continue;
        }
        QAction* action = menu->addAction(entry->caption);
        action->setVisible(entry->visible);
        action->setEnabled(entry->enabled);
        action->setCheckable(entry->checked);
        action->setChecked(entry->checked);
        QObject::connect(action, &QAction::triggered, menu, [entry] {
            if (entry->onClick) {
                auto handler = entry->onClick;
                handler();
            }
        });
    }
}

}  // namespace

void FormHost::RebuildMenus() {
    menuBar_->clear();
    bool anyVisible = false;
    for (auto& top : window_.Menus().items) {
        MenuItem* entry = top.get();
        if (entry->items.empty()) {
            QAction* action = menuBar_->addAction(entry->caption);
            action->setVisible(entry->visible);
            action->setEnabled(entry->enabled);
            QObject::connect(action, &QAction::triggered, menuBar_, [entry] {
                if (entry->onClick) {
                    auto handler = entry->onClick;
                    handler();
                }
            });
        } else {
            QMenu* menu = menuBar_->addMenu(entry->caption);
            menu->menuAction()->setVisible(entry->visible);
            menu->setEnabled(entry->enabled);
            // Opening a menu is a click on its title (the game notes that a menu is open).
            QObject::connect(menu, &QMenu::aboutToShow, menuBar_, [entry] {
                if (entry->onClick) {
                    auto handler = entry->onClick;
                    handler();
                }
            });
            FillMenu(menu, *entry);
        }
        anyVisible = anyVisible || entry->visible;
    }
    if (onToggleFullScreen && onScaling) {
        // The player's own menu, after the game's: never one of them.
        QMenu* view = menuBar_->addMenu(QStringLiteral("View"));
        QAction* full = view->addAction(QStringLiteral("Full screen"));
        full->setShortcut(QKeySequence(Qt::Key_F11));
        full->setShortcutContext(Qt::WidgetShortcut);  // the keys are handled by the host
        full->setCheckable(true);
        full->setChecked(isFullScreen && isFullScreen());
        QObject::connect(full, &QAction::triggered, menuBar_, [this] { onToggleFullScreen(); });
        view->addSeparator();
        auto* group = new QActionGroup(view);
        const ScalingMode current = view_->Scaling();
        for (auto [mode, caption] : {std::pair{ScalingMode::Original, "Original size"},
                                     std::pair{ScalingMode::Sharp, "Sharp (whole multiples)"},
                                     std::pair{ScalingMode::Smooth, "Smooth"},
                                     std::pair{ScalingMode::Stretch, "Stretch to fill"}}) {
            QAction* a = view->addAction(QString::fromLatin1(caption));
            a->setCheckable(true);
            a->setChecked(mode == current);
            group->addAction(a);
            QObject::connect(a, &QAction::triggered, menuBar_, [this, m = mode] { onScaling(m); });
        }
    }
    menuBar_->setVisible(anyVisible);
    setWindowTitle(title ? title() : window_.Caption());
}

void FormHost::closeEvent(QCloseEvent* event) {
    int cancel = 0;
    if (window_.onUnload) {
        auto handler = window_.onUnload;
        handler(cancel);
    }
    if (cancel)
        event->ignore();
    else
        event->accept();
}

}  // namespace storyloom::forms
