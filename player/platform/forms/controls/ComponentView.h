#pragma once
// A control from a control library (a run-time component) on a window: the library's instance
// paints into a pixel buffer that is laid over what lies below, takes the mouse in pixels of
// its own area (and keeps it from the press to the release), asks for its own size and for
// timer ticks. Events the instance raises go to onControlEvent.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/components/ControlLibrary.h"
#include "platform/forms/Control.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {

class ComponentView : public Control, public ControlSink {
  public:
    ComponentView(QString name, EventLoop& loop);
    ~ComponentView() override;

    // The instance shown (created with this view as its sink); takes its size.
    void SetInstance(std::shared_ptr<ControlInstance> instance);
    const std::shared_ptr<ControlInstance>& Instance() const { return instance_; }
    // Destroys the instance (see ControlInstance::Close); the view shows nothing more.
    void CloseInstance();
    // Asks the control for a size in pixels; the view takes the size the control chose.
    void RequestPixelSize(QSize size);

    void Paint(QPainter& painter) const override;
    int EventScaleMode() const override { return 3; }

    // An event of the control: its name and parameters, as the control raised them.
    std::function<void(const std::string& name, const std::vector<EventParameter>& parameters)>
        onControlEvent;
    // Rules of the interface the control broke (refused), counted.
    int Faults() const { return faults_; }

    // ControlSink
    void OnEvent(const std::string& name, const std::vector<EventParameter>& parameters) override;
    void OnRepaint() override;
    void OnResize(ControlSize size) override;
    void OnTimerRequest(std::uint32_t intervalMs) override;
    void OnFault(const std::string& what) override;

  protected:
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Mouse(int kind, int button, int shift, double x, double y);

    EventLoop& loop_;
    std::shared_ptr<ControlInstance> instance_;
    Timer timer_;
    mutable QImage buffer_;
    mutable bool dirty_ = true;
    int faults_ = 0;
};

}  // namespace storyloom::forms
