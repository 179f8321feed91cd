#include "platform/forms/Renderer.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

namespace {

void DrawDragOutline(QPainter& painter, const Window& window) {
    const auto& drag = window.CurrentDrag();
    if (!drag.source || !drag.source->DragIcon().IsEmpty()) return;
    // Without a drag icon the source's outline follows the pointer.
    const QRect r(drag.pointer - drag.grab, drag.source->PixelRect().size());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(r.adjusted(1, 1, -2, -2));
}

}  // namespace

void Renderer::DrawControl(QPainter& painter, const Control& control) {
    if (control.Visible()) control.Paint(painter);
}

void Renderer::ComposeInto(const Window& window, QImage& target) {
    const QSize size = window.ClientPixelSize();
    if (target.size() != size || target.format() != QImage::Format_RGB32)
        target = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&target);
    if (!window.Visible()) {
        painter.fillRect(target.rect(), Qt::black);
        return;
    }
    // Control rectangles are whole pixels: no antialiasing, no smoothing when stretching.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    window.Paint(painter);
    DrawDragOutline(painter, window);
}

QImage Renderer::Compose(const Window& window) {
    QImage image;
    ComposeInto(window, image);
    return image;
}

bool Renderer::SavePng(const Window& window, const QString& path) {
    return Compose(window).save(path, "PNG");
}

std::optional<ScalingMode> ScalingModeNamed(const QString& name) {
    for (ScalingMode mode :
         {ScalingMode::Original, ScalingMode::Sharp, ScalingMode::Smooth, ScalingMode::Stretch})
        if (name.compare(ScalingModeName(mode), Qt::CaseInsensitive) == 0) return mode;
    return std::nullopt;
}

QString ScalingModeName(ScalingMode mode) {
    switch (mode) {
        case ScalingMode::Original:
            return QStringLiteral("original");
        case ScalingMode::Sharp:
            return QStringLiteral("sharp");
        case ScalingMode::Smooth:
            return QStringLiteral("smooth");
        case ScalingMode::Stretch:
            return QStringLiteral("stretch");
    }
    return {};
}

QRect LetterboxRect(QSize source, QSize target, ScalingMode mode) {
    if (source.isEmpty() || target.isEmpty()) return QRect();
    if (mode == ScalingMode::Stretch) return QRect(QPoint(0, 0), target);
    QSize scaled;
    const int factor = std::min(target.width() / source.width(), target.height() / source.height());
    if (mode == ScalingMode::Original) {
        scaled = source;  // centred; a smaller area shows its middle
    } else if (mode == ScalingMode::Sharp && factor >= 1) {
        scaled = source * factor;
    } else {
        scaled = source.scaled(target, Qt::KeepAspectRatio);
    }
    return QRect(
        QPoint((target.width() - scaled.width()) / 2, (target.height() - scaled.height()) / 2),
        scaled);
}

void Present(QPainter& painter, const QImage& frame, const QRect& area, ScalingMode mode) {
    const QRect inner = LetterboxRect(frame.size(), area.size(), mode).translated(area.topLeft());
    // Only the bars are filled; the picture covers the rest.
    const QColor black(Qt::black);
    if (inner.top() > area.top())
        painter.fillRect(QRect(area.left(), area.top(), area.width(), inner.top() - area.top()),
                         black);
    if (inner.bottom() < area.bottom())
        painter.fillRect(
            QRect(area.left(), inner.bottom() + 1, area.width(), area.bottom() - inner.bottom()),
            black);
    if (inner.left() > area.left())
        painter.fillRect(
            QRect(area.left(), inner.top(), inner.left() - area.left(), inner.height()), black);
    if (inner.right() < area.right())
        painter.fillRect(
            QRect(inner.right() + 1, inner.top(), area.right() - inner.right(), inner.height()),
            black);
    if (inner.isEmpty()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          mode == ScalingMode::Smooth || mode == ScalingMode::Stretch);
    if (inner.size() == frame.size()) {
        painter.drawImage(inner.topLeft(), frame);
    } else {
        painter.drawImage(inner, frame);
    }
}

QPoint MapToFrame(QPoint point, QSize frame, const QRect& area, ScalingMode mode) {
    const QRect inner = LetterboxRect(frame, area.size(), mode).translated(area.topLeft());
    if (inner.isEmpty()) return QPoint();
    const double x = (point.x() - inner.left() + 0.5) * frame.width() / double(inner.width());
    const double y = (point.y() - inner.top() + 0.5) * frame.height() / double(inner.height());
    return QPoint(std::clamp(int(std::floor(x)), 0, frame.width() - 1),
                  std::clamp(int(std::floor(y)), 0, frame.height() - 1));
}

}  // namespace storyloom::forms
