#include "platform/forms/qt/QtWindowHost.h"

#include <QKeyEvent>

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

QString QtWindowHost::TitleOf(const forms::Window& window) const {
    if (applicationTitle) {
        const QString name = applicationTitle().trimmed();
        if (!name.isEmpty()) return name;
    }
    const QString caption = window.Caption().trimmed();
    return caption.isEmpty() ? QStringLiteral("Storyloom") : caption;
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
    widget->setWindowTitle(TitleOf(window));
    if (entry.hostHasMenus)
        static_cast<forms::FormHost*>(widget)->title = [this, &window] { return TitleOf(window); };
    Qt::WindowFlags flags = Qt::Window;
    if (style.borderless) flags |= Qt::FramelessWindowHint;
    if (entry.topmost) flags |= Qt::WindowStaysOnTopHint;
    widget->setWindowFlags(flags);
    if (style.fullScreen) entry.view->FollowDisplay(display_);
    if (entry.hostHasMenus && !style.fullScreen) {
        auto* host = static_cast<forms::FormHost*>(widget);
        host->onToggleFullScreen = [this] { ToggleFullScreen(); };
        host->onScaling = [this](forms::ScalingMode mode) {
            ViewChoice c = choice_;
            (c.fullScreenOn ? c.fullScreen : c.windowed) = mode;
            ChangeChoice(c);
        };
        host->isFullScreen = [this] { return choice_.fullScreenOn; };
        entry.view->SetScaling(choice_.fullScreenOn ? choice_.fullScreen : choice_.windowed);
        host->RebuildMenus();
    }
    widget->installEventFilter(this);
    entry.view->installEventFilter(this);
    entry.widget = widget;
}

void QtWindowHost::PlaceWidget(Entry& entry) {
    QWidget* widget = entry.widget;
    if (!widget || entry.style.fullScreen) return;
    const forms::Window& window = *entry.window;
    if (!entry.hostHasMenus) {
        // The view shows the window at its own size.
        entry.view->setFixedSize(window.ClientPixelSize());
    } else if (!widget->isFullScreen() && !widget->isMaximized()) {
        // A game window opens at its picture's size plus its menu bar and can then be
        // resized: the picture is scaled into whatever size it gets.
        entry.view->setMinimumSize(QSize(64, 48));
        entry.view->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        auto* host = static_cast<forms::FormHost*>(widget);
        const int bar = host->MenuBar().isVisibleTo(host) ? host->MenuBar().sizeHint().height() : 0;
        widget->resize(window.ClientPixelSize() + QSize(0, bar));
    }
    if (widget->isFullScreen() || widget->isMaximized()) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    widget->move(origin + window.PixelRect().topLeft());
}

void QtWindowHost::SetViewChoice(const ViewChoice& choice) {
    choice_ = choice;
    for (auto& [key, entry] : entries_) ApplyChoice(entry);
}

void QtWindowHost::ChangeChoice(const ViewChoice& choice) {
    if (choice == choice_) return;
    SetViewChoice(choice);
    if (onViewChoiceChanged) onViewChoiceChanged(choice_);
}

void QtWindowHost::ToggleFullScreen() {
    ViewChoice c = choice_;
    c.fullScreenOn = !c.fullScreenOn;
    ChangeChoice(c);
}

void QtWindowHost::ApplyChoice(Entry& entry) {
    if (!entry.widget || !entry.hostHasMenus || entry.style.fullScreen) return;
    auto* host = static_cast<forms::FormHost*>(entry.widget.data());
    entry.view->SetScaling(choice_.fullScreenOn ? choice_.fullScreen : choice_.windowed);
    if (entry.widget->isVisible() && choice_.fullScreenOn != entry.widget->isFullScreen()) {
        if (choice_.fullScreenOn) {
            if (!entry.widget->isMaximized()) entry.normalGeometry = entry.widget->geometry();
            entry.widget->showFullScreen();
        } else {
            entry.widget->showNormal();
            // Back to the size and place the player gave the window before, or else to the
            // picture's own.
            if (entry.normalGeometry.isValid())
                entry.widget->setGeometry(entry.normalGeometry);
            else
                PlaceWidget(entry);
        }
    }
    host->RebuildMenus();
}

bool QtWindowHost::IsToggleKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & Qt::AltModifier))
        return true;
    const std::vector<int> debugStart = {Qt::Key_F12, Qt::Key_F9, Qt::Key_F10};
    const bool completesDebug = lastKeys_ == debugStart;
    if (!key->isAutoRepeat()) {
        lastKeys_.push_back(key->key());
        if (lastKeys_.size() > 3) lastKeys_.erase(lastKeys_.begin());
    }
    // F11 toggles too, unless it ends the debug sequence F12, F9, F10, F11 of the game.
    return key->key() == Qt::Key_F11 && !completesDebug && !key->isAutoRepeat();
}

void QtWindowHost::Show(forms::Window& window, const WindowStyle& style) {
    Entry& entry = entries_[&window];
    if (!entry.widget) Create(entry, window, style);
    window.SetVisible(true);
    if (style.fullScreen || (entry.hostHasMenus && choice_.fullScreenOn)) {
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
        // The view inside a host with menus: the full-screen keys (it has the focus) and its
        // first paint.
        if (event->type() == QEvent::KeyPress)
            for (auto& [key, e] : entries_)
                if (e.view == watched && e.hostHasMenus && !e.style.fullScreen &&
                    IsToggleKey(event)) {
                    ToggleFullScreen();
                    return true;
                }
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
        case QEvent::KeyPress:
            if (entry->hostHasMenus && !entry->style.fullScreen && IsToggleKey(event)) {
                ToggleFullScreen();
                return true;
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
