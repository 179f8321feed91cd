// Mouse, keyboard and drag-and-drop for a window, the way Basic's forms deliver them: the
// control under the pointer gets the press, keeps the mouse until every button is up, and a
// drag sends DragOver to what lies under the pointer and DragDrop where it is released.
#include <cmath>

#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

namespace {

Window::Hit HitIn(Control* container, QPoint local) {
    const QPoint inner = local - QPoint(container->BorderPixels(), container->BorderPixels());
    const auto& children = container->Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Control* child = it->get();
        if (!child->Visible() || !child->ReceivesMouse()) continue;
        const QRect r = child->PixelRect();
        if (!r.contains(inner)) continue;
        // A disabled control lets its container have the mouse.
        if (!child->Enabled()) return {container, local};
        const QPoint childLocal = inner - r.topLeft();
        if (child->IsContainer()) return HitIn(child, childLocal);
        return {child, childLocal};
    }
    return {container, local};
}

double InScale(const Control& c, int pixels) {
    return c.EventScaleMode() == 3 ? double(pixels) : pixels * double(kTwipsPerPixel);
}

}  // namespace

Window::DispatchGuard::DispatchGuard(Window& w) : window(w) {
    ++window.dispatchDepth_;
}
Window::DispatchGuard::~DispatchGuard() {
    if (--window.dispatchDepth_ == 0) {
        // Destroying may remove further controls; take them all.
        while (!window.graveyard_.empty()) {
            auto doomed = std::move(window.graveyard_);
            window.graveyard_.clear();
            doomed.clear();
        }
    }
}

Window::Hit Window::HitTest(QPoint pixel) {
    if (!QRect(QPoint(0, 0), PixelRect().size()).contains(pixel)) return {nullptr, pixel};
    return HitIn(this, pixel);
}

PointerShape Window::PointerAt(QPoint pixel, const ScreenPointer* screen) {
    if (drag_.source) {
        if (!drag_.source->DragIcon().IsEmpty())
            return {MousePointer::Custom, drag_.source->DragIcon()};
        return {MousePointer::Arrow, {}};
    }
    if (screen && screen->pointer != MousePointer::Default) {
        if (screen->pointer == MousePointer::Custom && screen->icon.IsEmpty()) return {};
        return {screen->pointer,
                screen->pointer == MousePointer::Custom ? screen->icon : Picture()};
    }
    const Hit hit = HitTest(pixel);
    // A control left at the default shows its container's pointer.
    for (Control* c = hit.control; c; c = c->Parent()) {
        if (c->Pointer() == MousePointer::Default) continue;
        if (c->Pointer() == MousePointer::Custom) {
            if (c->MouseIcon().IsEmpty()) return {};
            return {MousePointer::Custom, c->MouseIcon()};
        }
        return {c->Pointer(), {}};
    }
    return {};
}

void Window::Forget(const Control* control) {
    if (capture_ == control) {
        capture_ = nullptr;
        captureButtons_ = 0;
    }
    if (pressed_ == control) pressed_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
    if (dragOver_ == control) dragOver_ = nullptr;
    if (drag_.source == control) {
        drag_ = DragInfo{};
        dragOver_ = nullptr;
        Invalidate();
    }
}

void Window::CancelMouseMode() {
    capture_ = nullptr;
    captureButtons_ = 0;
    pressed_ = nullptr;
    if (drag_.source) EndDrag(false);
}

void Window::MouseDown(QPoint pixel, int button, int shift) {
    lastPointer_ = pixel;
    if (!Enabled() || !Visible()) return;
    DispatchGuard guard(*this);
    if (drag_.source) return;
    const Hit hit =
        capture_ ? Hit{capture_, pixel - capture_->WindowPixelRect().topLeft()} : HitTest(pixel);
    Control* target = hit.control;
    if (!target) return;
    if (target != this && target->DragMode() == 1 && button == kLeftButton) {
        BeginDrag(*target);
        return;
    }
    capture_ = target;
    captureButtons_ |= button;
    pressed_ = target;
    if (target != this && target->Enabled()) {
        if (target->TakesFocus()) focus_ = target;
        target->OwnMouseDown(hit.local, button);
    }
    RaiseEvent(target->onMouseDown, *target, button, shift, InScale(*target, hit.local.x()),
               InScale(*target, hit.local.y()));
}

void Window::DoubleClick(QPoint pixel, int button, int shift) {
    lastPointer_ = pixel;
    if (!Enabled() || !Visible()) return;
    DispatchGuard guard(*this);
    if (drag_.source) return;
    const Hit hit = HitTest(pixel);
    Control* target = hit.control;
    if (!target) return;
    // The second press of a double click is reported as DblClick, not as a new MouseDown.
    capture_ = target;
    captureButtons_ |= button;
    pressed_ = nullptr;
    (void)shift;
    target->OwnDoubleClick();
}

void Window::MouseMove(QPoint pixel, int buttons, int shift) {
    lastPointer_ = pixel;
    if (!Enabled() || !Visible()) return;
    DispatchGuard guard(*this);
    if (drag_.source) {
        drag_.pointer = pixel;
        UpdateDragOver(pixel);
        Invalidate();
        return;
    }
    Hit hit;
    if (capture_) {
        hit = {capture_, pixel - capture_->WindowPixelRect().topLeft()};
    } else {
        hit = HitTest(pixel);
    }
    Control* target = hit.control;
    if (!target) return;
    RaiseEvent(target->onMouseMove, *target, buttons, shift, InScale(*target, hit.local.x()),
               InScale(*target, hit.local.y()));
}

void Window::MouseUp(QPoint pixel, int button, int shift) {
    lastPointer_ = pixel;
    DispatchGuard guard(*this);
    if (drag_.source) {
        drag_.pointer = pixel;
        if (button == kLeftButton) EndDrag(true);
        return;
    }
    if (!Enabled() || !Visible()) {
        capture_ = pressed_ = nullptr;
        captureButtons_ = 0;
        return;
    }
    Control* target = capture_ ? capture_ : HitTest(pixel).control;
    if (!target) return;
    const QRect area = target->WindowPixelRect();
    const QPoint local = pixel - area.topLeft();
    const bool click = pressed_ == target && QRect(QPoint(0, 0), area.size()).contains(local);
    captureButtons_ &= ~button;
    if (captureButtons_ == 0) capture_ = nullptr;
    if (click) pressed_ = nullptr;
    RaiseEvent(target->onMouseUp, *target, button, shift, InScale(*target, local.x()),
               InScale(*target, local.y()));
    // The handler may have unloaded the control: Forget cleared what pointed at it.
    if (click && (target == this || target->OwnerWindow() == this)) target->OwnClick();
}

void Window::KeyDown(int keyCode, int shift) {
    DispatchGuard guard(*this);
    RaiseEvent(onKeyDown, keyCode, shift);
    if (focus_ && focus_->Enabled() && focus_->IsShown()) focus_->OwnKeyDown(keyCode, shift);
}
void Window::KeyUp(int keyCode, int shift) {
    DispatchGuard guard(*this);
    RaiseEvent(onKeyUp, keyCode, shift);
}
void Window::KeyPress(int ascii) {
    DispatchGuard guard(*this);
    RaiseEvent(onKeyPress, ascii);
    if (focus_ && focus_->Enabled() && focus_->IsShown()) focus_->OwnKeyPress(ascii);
}

void Window::SetFocusedControl(Control* control) {
    focus_ = control && control->OwnerWindow() == this && control->TakesFocus() ? control : nullptr;
}

void Control::OwnClick() {
    RaiseEvent(onClick, *this);
}

void Control::OwnDoubleClick() {
    RaiseEvent(onDblClick, *this);
}

void Window::BeginDrag(Control& source) {
    if (source.OwnerWindow() != this || &source == this) return;
    drag_.source = &source;
    drag_.pointer = lastPointer_;
    drag_.grab = lastPointer_ - source.WindowPixelRect().topLeft();
    dragOver_ = nullptr;
    capture_ = pressed_ = nullptr;
    captureButtons_ = 0;
    Invalidate();
}

void Window::UpdateDragOver(QPoint pixel) {
    Control* source = drag_.source;
    const Hit hit = HitTest(pixel);
    Control* target = hit.control;
    auto local = [&](Control* c) { return pixel - c->WindowPixelRect().topLeft(); };
    if (target != dragOver_) {
        if (dragOver_) {
            Control* old = dragOver_;
            const QPoint l = local(old);
            RaiseEvent(old->onDragOver, *old, *source, InScale(*old, l.x()), InScale(*old, l.y()),
                       DragOverState::Leave);
        }
        if (!drag_.source) return;
        dragOver_ = target;
        if (target)
            RaiseEvent(target->onDragOver, *target, *source, InScale(*target, hit.local.x()),
                       InScale(*target, hit.local.y()), DragOverState::Enter);
    } else if (target) {
        RaiseEvent(target->onDragOver, *target, *source, InScale(*target, hit.local.x()),
                   InScale(*target, hit.local.y()), DragOverState::Over);
    }
}

void Window::EndDrag(bool drop) {
    Control* source = drag_.source;
    if (!source) return;
    const QPoint pixel = drag_.pointer;
    Control* over = dragOver_;
    drag_ = DragInfo{};
    dragOver_ = nullptr;
    Invalidate();
    DispatchGuard guard(*this);
    if (!drop) {
        if (over) {
            const QPoint l = pixel - over->WindowPixelRect().topLeft();
            RaiseEvent(over->onDragOver, *over, *source, InScale(*over, l.x()),
                       InScale(*over, l.y()), DragOverState::Leave);
        }
        return;
    }
    const Hit hit = HitTest(pixel);
    if (hit.control)
        RaiseEvent(hit.control->onDragDrop, *hit.control, *source,
                   InScale(*hit.control, hit.local.x()), InScale(*hit.control, hit.local.y()));
}

}  // namespace storyloom::forms
