#include "platform/forms/controls/VideoView.h"

#include <QPainter>

#include "platform/forms/CommonProperties.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom::forms {

VideoView::VideoView(QString name) : Control(ControlKind::VideoView, std::move(name)) {
    SetPixelRect(QRect(0, 0, 32, 32));
}

VideoView::VideoView(const VideoView& other) : Control(other), placement(other.placement) {}

VideoView::~VideoView() {
    SetPlayer(nullptr);
}

std::unique_ptr<Control> VideoView::CloneForArray() const {
    return std::unique_ptr<VideoView>(new VideoView(*this));
}

void VideoView::SetPlayer(MediaPlayer* player) {
    if (player_) player_->onFrame = nullptr;
    player_ = player;
    if (player_) player_->onFrame = [this] { Changed(); };
    Changed();
}

void VideoView::Paint(QPainter& painter) const {
    if (!player_) return;
    const QImage frame = player_->CurrentFrame();
    if (frame.isNull()) return;
    QRect outer(QPoint(0, 0), PixelRect().size());
    if (placement) {
        const std::optional<QRect> place = placement();
        if (!place || place->isEmpty()) return;
        outer = *place;
    }
    if (player_->AutoSize()) {
        painter.save();
        painter.setClipRect(QRect(outer.topLeft(), frame.size()), Qt::IntersectClip);
        painter.drawImage(outer.topLeft(), frame);
        painter.restore();
    } else {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(outer, frame);
        painter.restore();
    }
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("MediaPlayer"));
    AddCommonProperties(t, true);
    return t;
}

const PropertyTableRegistration registration(ControlKind::VideoView, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
