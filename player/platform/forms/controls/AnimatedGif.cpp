#include "platform/forms/controls/AnimatedGif.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/loop/EventLoop.h"

namespace storyloom::forms {

AnimatedGif::AnimatedGif(EventLoop* loop, QString name)
    : Control(ControlKind::AnimatedGif, std::move(name)), loop_(loop) {
    SetPixelRect(QRect(0, 0, 32, 32));
}

AnimatedGif::AnimatedGif(const AnimatedGif& other)
    : Control(other), loop_(other.loop_), animation_(other.animation_), speed_(other.speed_) {}

AnimatedGif::~AnimatedGif() = default;

std::unique_ptr<Control> AnimatedGif::CloneForArray() const {
    return std::unique_ptr<AnimatedGif>(new AnimatedGif(*this));
}

int AnimatedGif::FrameCount() const {
    return animation_ ? static_cast<int>(animation_->frames.size()) : 0;
}

void AnimatedGif::SetAnimation(std::shared_ptr<const GifAnimation> animation) {
    Stop();
    animation_ = std::move(animation);
    frame_ = 0;
    if (FrameCount() > 0)
        SetPixelRect(QRect(PixelRect().topLeft(), animation_->frames.front().size()));
    Changed();
}

void AnimatedGif::SetSpeed(int speed) {
    speed_ = speed < 1 ? 50 : speed;
}

bool AnimatedGif::Playing() const {
    return timer_ && timer_->Armed();
}

int AnimatedGif::ShownDelayMs(int index) const {
    if (index < 0 || index >= FrameCount()) return 0;
    int written = animation_->delaysMs[static_cast<size_t>(index)];
    if (written < 20) written = 100;
    const long long scaled = static_cast<long long>(written) * 50 / std::max(1, speed_);
    return static_cast<int>(std::clamp<long long>(scaled, 10, 3600000));
}

void AnimatedGif::Play() {
    if (!loop_ || FrameCount() < 2) return;
    const int loops = animation_->loopCount;
    playsLeft_ = loops == 0 ? -1 : std::max(1, loops);
    if (!timer_) {
        timer_ = std::make_unique<Timer>(*loop_);
        timer_->onTick = [this] { Step(); };
    }
    Arm();
}

void AnimatedGif::Stop() {
    if (timer_) timer_->SetEnabled(false);
}

void AnimatedGif::ShowFrame(int index) {
    if (index < 0 || index >= FrameCount() || index == frame_) return;
    frame_ = index;
    Changed();
}

void AnimatedGif::Arm() {
    timer_->SetEnabled(false);
    timer_->SetInterval(ShownDelayMs(frame_));
    timer_->SetEnabled(true);
}

void AnimatedGif::Step() {
    const int count = FrameCount();
    if (count < 2) {
        Stop();
        return;
    }
    int next = frame_ + 1;
    if (next >= count) {
        if (playsLeft_ > 0) --playsLeft_;
        if (playsLeft_ == 0) {
            Stop();
            return;
        }
        next = 0;
    }
    frame_ = next;
    Changed();
    Arm();
}

void AnimatedGif::Paint(QPainter& painter) const {
    if (FrameCount() == 0) return;
    painter.drawImage(QPoint(0, 0), animation_->frames[static_cast<size_t>(frame_)]);
}

AnimationCanvas::AnimationCanvas(QString name) : PictureBox(std::move(name)) {
    SetBorderStyle(0);
}

std::unique_ptr<Control> AnimationCanvas::CloneForArray() const {
    return std::unique_ptr<AnimationCanvas>(new AnimationCanvas(*this));
}

void AnimationCanvas::Paint(QPainter& painter) const {
    PaintChildren(painter, *this, QRect(QPoint(0, 0), ClientPixelSize()));
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Gif89a"));
    AddCommonProperties(t, true);
    t.Add(Member<AnimatedGif>("Speed", PropertyType::Integer, &AnimatedGif::Speed,
                              &AnimatedGif::SetSpeed));
    t.Add(Member<AnimatedGif>("Playing", PropertyType::Boolean, &AnimatedGif::Playing));
    t.Add(Member<AnimatedGif>("FrameCount", PropertyType::Integer, &AnimatedGif::FrameCount));
    t.Add(Member<AnimatedGif>("CurrentFrame", PropertyType::Integer, &AnimatedGif::CurrentFrame));
    return t;
}

const PropertyTableRegistration registration(ControlKind::AnimatedGif, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
