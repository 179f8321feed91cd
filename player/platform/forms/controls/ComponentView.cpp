#include "platform/forms/controls/ComponentView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

ComponentView::ComponentView(QString name, EventLoop& loop)
    : Control(ControlKind::Component, std::move(name)), loop_(loop), timer_(loop) {
    SetPixelRect(QRect(0, 0, 0, 0));
    timer_.SetEnabled(false);
    timer_.onTick = [this] {
        if (std::shared_ptr<ControlInstance> instance = instance_) instance->Tick();
    };
    onMouseDown = [this](Control&, int button, int shift, double x, double y) {
        Mouse(SL_MOUSE_DOWN, button, shift, x, y);
    };
    onMouseUp = [this](Control&, int button, int shift, double x, double y) {
        Mouse(SL_MOUSE_UP, button, shift, x, y);
    };
    onMouseMove = [this](Control&, int button, int shift, double x, double y) {
        Mouse(SL_MOUSE_MOVE, button, shift, x, y);
    };
}

ComponentView::~ComponentView() {
    CloseInstance();
}

std::unique_ptr<Control> ComponentView::CloneForArray() const {
    // A component is never an element of a control array: a copy shows nothing.
    return std::make_unique<ComponentView>(Name(), loop_);
}

void ComponentView::SetInstance(std::shared_ptr<ControlInstance> instance) {
    CloseInstance();
    instance_ = std::move(instance);
    if (instance_) {
        const ControlSize size = instance_->Size();
        QRect r = PixelRect();
        r.setSize(QSize(size.width, size.height));
        SetPixelRect(r);
    }
    dirty_ = true;
    Refresh();
}

void ComponentView::CloseInstance() {
    timer_.SetEnabled(false);
    if (!instance_) return;
    std::shared_ptr<ControlInstance> instance = std::move(instance_);
    instance_.reset();
    instance->Close();
    Refresh();
}

void ComponentView::RequestPixelSize(QSize size) {
    if (!instance_) {
        QRect r = PixelRect();
        r.setSize(size);
        SetPixelRect(r);
        return;
    }
    const ControlSize took = instance_->SetSize({size.width(), size.height()});
    QRect r = PixelRect();
    r.setSize(QSize(took.width, took.height));
    SetPixelRect(r);
    dirty_ = true;
}

void ComponentView::Paint(QPainter& painter) const {
    const QSize size = PixelRect().size();
    if (!instance_ || size.isEmpty()) return;
    if (buffer_.size() != size) {
        buffer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        dirty_ = true;
    }
    if (dirty_) {
        dirty_ = false;
        // The instance clears the buffer itself before its paint.
        instance_->Paint(reinterpret_cast<std::uint32_t*>(buffer_.bits()), size.width(),
                         size.height(), static_cast<int>(buffer_.bytesPerLine()));
    }
    painter.drawImage(0, 0, buffer_);
}

void ComponentView::Mouse(int kind, int button, int shift, double x, double y) {
    if (!instance_) return;
    // Keeps the instance (and so this view's sink) alive through a script that removes the
    // component from inside the event this message raises.
    std::shared_ptr<ControlInstance> instance = instance_;
    instance->Mouse(kind, static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), button,
                    shift);
}

void ComponentView::OnEvent(const std::string& name,
                            const std::vector<EventParameter>& parameters) {
    // The handler may remove this view: it runs from a copy, and nothing here is touched after.
    if (auto handler = onControlEvent) handler(name, parameters);
}

void ComponentView::OnRepaint() {
    dirty_ = true;
    Refresh();
}

void ComponentView::OnResize(ControlSize size) {
    QRect r = PixelRect();
    r.setSize(QSize(size.width, size.height));
    SetPixelRect(r);
    dirty_ = true;
}

void ComponentView::OnTimerRequest(std::uint32_t intervalMs) {
    if (intervalMs == 0) {
        timer_.SetEnabled(false);
        return;
    }
    timer_.SetInterval(static_cast<int>(std::min<std::uint32_t>(intervalMs, 0x7FFFFFFF)));
    timer_.SetEnabled(true);
}

void ComponentView::OnFault(const std::string&) {
    ++faults_;
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Component"));
    AddCommonProperties(t, true);
    return t;
}

const PropertyTableRegistration registration(ControlKind::Component, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
