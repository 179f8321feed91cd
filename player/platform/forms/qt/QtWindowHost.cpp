#include "platform/forms/qt/QtWindowHost.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWindow>

#include "platform/display/Display.h"
#include "platform/forms/controls/Window.h"
#include "platform/forms/qt/FormView.h"

namespace storyloom {

QtWindowHost::QtWindowHost(Display& display) : display_(display) {}

QtWindowHost::~QtWindowHost() {
    for (auto& [key, entry] : entries_) delete entry.widget.data();
}

QtWindowHost::Entry* QtWindowHost::Find(const QObject* widget) {
    for (auto& [key, entry] : entries_)
        if (entry.widget == widget) return &entry;
    return nullptr;
}

void QtWindowHost::Create(Entry& entry, forms::Window& window, const WindowStyle& style) {
    entry.window = &window;
    entry.style = style;
    QWidget* widget = nullptr;
    if (style.menuBar) {
        auto* host = new forms::FormHost(window, style.screenPointer);
        entry.view = &host->View();
        entry.hostHasMenus = true;
        widget = host;
    } else {
        auto* view = new forms::FormView(window, style.screenPointer);
        entry.view = view;
        widget = view;
    }
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    widget->setWindowTitle(window.Caption().trimmed().isEmpty() ? QStringLiteral("Storyloom")
                                                                : window.Caption().trimmed());
    Qt::WindowFlags flags = Qt::Window;
    if (style.borderless) flags |= Qt::FramelessWindowHint;
    if (entry.topmost) flags |= Qt::WindowStaysOnTopHint;
    widget->setWindowFlags(flags);
    if (style.fullScreen) entry.view->FollowDisplay(display_);
    widget->installEventFilter(this);
    entry.view->installEventFilter(this);
    entry.widget = widget;
}

void QtWindowHost::PlaceWidget(Entry& entry) {
    QWidget* widget = entry.widget;
    if (!widget || entry.style.fullScreen) return;
    const forms::Window& window = *entry.window;
    // The view shows the window at its own size; a host with menus grows by its menu bar
    // (and shrinks again when the game hides the bar).
    entry.view->setFixedSize(window.ClientPixelSize());
    if (entry.hostHasMenus && widget->layout())
        widget->layout()->setSizeConstraint(QLayout::SetFixedSize);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    widget->move(origin + window.PixelRect().topLeft());
}

void QtWindowHost::Show(forms::Window& window, const WindowStyle& style) {
    Entry& entry = entries_[&window];
    if (!entry.widget) Create(entry, window, style);
    window.SetVisible(true);
    if (style.fullScreen) {
        // Without a window manager nobody else gives a full-screen window the screen's size.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            entry.widget->setGeometry(screen->geometry());
        entry.widget->showFullScreen();
    } else {
        PlaceWidget(entry);
        entry.widget->show();
    }
    // (The offscreen platform of tests and headless runs cannot raise windows.)
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) entry.widget->raise();
    entry.widget->activateWindow();
    entry.view->setFocus();
}

void QtWindowHost::Hide(forms::Window& window) {
    auto it = entries_.find(&window);
    if (it != entries_.end() && it->second.widget) it->second.widget->hide();
}

bool QtWindowHost::IsShown(const forms::Window& window) const {
    auto it = entries_.find(&window);
    return it != entries_.end() && it->second.widget && it->second.widget->isVisible();
}

void QtWindowHost::SetTopmost(forms::Window& window, bool topmost) {
    Entry& entry = entries_[&window];
    entry.window = &window;
    if (entry.topmost == topmost) return;
    entry.topmost = topmost;
    QWidget* widget = entry.widget;
    if (!widget) return;
    // Changing the native window's flag keeps it on the screen; changing the widget's flags
    // would hide and re-create it (and activate it again).
    if (QWindow* native = widget->windowHandle(); native && widget->isVisible())
        native->setFlag(Qt::WindowStaysOnTopHint, topmost);
    else
        widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
}

bool QtWindowHost::IsTopmost(const forms::Window& window) const {
    auto it = entries_.find(&window);
    return it != entries_.end() && it->second.topmost;
}

void QtWindowHost::Place(forms::Window& window) {
    auto it = entries_.find(&window);
    if (it != entries_.end()) PlaceWidget(it->second);
}

void QtWindowHost::Forget(forms::Window& window) {
    auto it = entries_.find(&window);
    if (it == entries_.end()) return;
    QWidget* widget = it->second.widget;
    entries_.erase(it);
    if (!widget) return;
    widget->removeEventFilter(this);
    widget->hide();
    // At once: the view must let go of the window model before the model goes. Callers never
    // forget a window from inside one of its own events.
    delete widget;
}

void QtWindowHost::Quit(int exitCode) {
    quitRequested_ = true;
    // Queued, so that it also works before the event loop has started.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
}

void QtWindowHost::CancelMouseModes() {
    for (auto& [key, entry] : entries_)
        if (entry.window) entry.window->CancelMouseMode();
}

QWidget* QtWindowHost::WidgetOf(const forms::Window& window) const {
    auto it = entries_.find(&window);
    return it == entries_.end() ? nullptr : it->second.widget.data();
}

forms::FormView* QtWindowHost::ViewOf(const forms::Window& window) const {
    auto it = entries_.find(&window);
    return it == entries_.end() ? nullptr : it->second.view;
}

bool QtWindowHost::eventFilter(QObject* watched, QEvent* event) {
    Entry* entry = Find(watched);
    if (!entry) {
        // The view inside a host with menus: only its paint matters here.
        if (event->type() == QEvent::Paint)
            for (auto& [key, e] : entries_)
                if (e.view == watched && !e.painted) {
                    e.painted = true;
                    if (onFirstShown) onFirstShown(*e.window);
                }
        return false;
    }
    forms::Window& window = *entry->window;
    switch (event->type()) {
        case QEvent::WindowActivate:
            if (window.onActivate) {
                auto handler = window.onActivate;
                handler();
            }
            break;
        case QEvent::Paint:
            if (!entry->painted && entry->view == watched) {
                entry->painted = true;
                if (onFirstShown) onFirstShown(window);
            }
            break;
        case QEvent::WindowBlocked:
        case QEvent::WindowDeactivate:
            // A modal box took the input, or another window did: the release of a press that
            // began here will not come back here.
            window.CancelMouseMode();
            break;
        case QEvent::Close:
            // A host with menus asks the window itself; a bare view is asked here.
            if (!entry->hostHasMenus) {
                int cancel = 0;
                if (window.onUnload) {
                    auto handler = window.onUnload;
                    handler(cancel);
                }
                if (cancel) {
                    event->ignore();
                    return true;
                }
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace storyloom
