#include "platform/forms/Renderer.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/MoreControls.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

namespace {

const QColor kShadow(0x80, 0x80, 0x80), kDarkShadow(0, 0, 0), kLight(0xDF, 0xDF, 0xDF),
    kHighlight(0xFF, 0xFF, 0xFF);

// The sunken 3D edge of picture boxes and bordered labels, two pixels wide.
void DrawSunkenBorder(QPainter& p, const QRect& r) {
    if (r.width() < 2 || r.height() < 2) return;
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p.fillRect(x0, y0, r.width(), 1, kShadow);
    p.fillRect(x0, y0, 1, r.height(), kShadow);
    p.fillRect(x0, y1, r.width(), 1, kHighlight);
    p.fillRect(x1, y0, 1, r.height(), kHighlight);
    if (r.width() < 4 || r.height() < 4) return;
    p.fillRect(x0 + 1, y0 + 1, r.width() - 2, 1, kDarkShadow);
    p.fillRect(x0 + 1, y0 + 1, 1, r.height() - 2, kDarkShadow);
    p.fillRect(x0 + 1, y1 - 1, r.width() - 2, 1, kLight);
    p.fillRect(x1 - 1, y0 + 1, 1, r.height() - 2, kLight);
}

void DrawFlatBorder(QPainter& p, const QRect& r) {
    p.setPen(kDarkShadow);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void DrawChildren(QPainter& painter, const Control& container, const QRect& clientRect) {
    const auto& children = container.Children();
    if (children.empty()) return;
    painter.save();
    painter.setClipRect(clientRect, Qt::IntersectClip);
    painter.translate(clientRect.topLeft());
    for (const auto& child : children) {
        if (!child->Visible() || child->Kind() == ControlKind::Timer) continue;
        const QRect r = child->PixelRect();
        if (r.isEmpty()) continue;
        painter.translate(r.topLeft());
        Renderer::DrawControl(painter, *child);
        painter.translate(-r.topLeft());
    }
    painter.restore();
}

void DrawSurface(QPainter& painter, const DrawingSurface& surface, const QRect& client) {
    if (surface.HasCanvas()) {
        painter.drawImage(client.topLeft(), surface.CanvasIfAny());
        return;
    }
    painter.fillRect(client, QColor::fromRgb(ToRgb32(surface.BackColor())));
    const Picture& picture = surface.SurfacePicture();
    if (!picture.IsEmpty()) {
        painter.save();
        painter.setClipRect(client, Qt::IntersectClip);
        painter.drawImage(client.topLeft(), picture.Image());
        painter.restore();
    }
}

void DrawLabel(QPainter& painter, const Label& label) {
    const QRect outer(QPoint(0, 0), label.PixelRect().size());
    if (label.BackStyle() == 1)
        painter.fillRect(outer, QColor::fromRgb(ToRgb32(label.BackColor())));
    const int b = label.BorderPixels();
    if (b) DrawSunkenBorder(painter, outer);
    const QRect inner = outer.adjusted(b, b, -b, -b);
    const QString text = label.DisplayText();
    if (text.isEmpty() || inner.isEmpty()) return;
    const QFont font = MakeQFont(label.Font());
    const QFontMetrics metrics(font);
    const QStringList lines =
        LayoutLines(text, metrics, label.WordWrap() || !label.AutoSize() ? inner.width() : 0);
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(ToQColor(label.ForeColor()));
    int y = inner.top();
    for (const QString& line : lines) {
        if (y >= inner.bottom() + 1) break;
        int x = inner.left();
        if (label.Alignment() != 0) {
            const int w = metrics.horizontalAdvance(line);
            x = label.Alignment() == 1 ? inner.right() + 1 - w
                                       : inner.left() + (inner.width() - w) / 2;
        }
        painter.drawText(x, y + metrics.ascent(), line);
        y += metrics.height();
    }
    painter.restore();
}

void DrawFrame(QPainter& painter, const Frame& frame) {
    const QRect outer(QPoint(0, 0), frame.PixelRect().size());
    painter.fillRect(outer, QColor::fromRgb(ToRgb32(frame.BackColor())));
    const QFont font = MakeQFont(frame.Font());
    const QFontMetrics metrics(font);
    if (frame.BorderStyle() == 1) {
        // An etched group box: grey line with a white one beside it, the caption on top.
        const int top = frame.Caption().isEmpty() ? 0 : metrics.height() / 2;
        const QRect box = outer.adjusted(0, top, -1, -1);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(kShadow);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(kHighlight);
        painter.drawRect(box.adjusted(1, 1, 0, 0));
    }
    if (!frame.Caption().isEmpty()) {
        const int w = metrics.horizontalAdvance(frame.Caption());
        const QRect captionRect(8, 0, w + 2, metrics.height());
        painter.fillRect(captionRect, QColor::fromRgb(ToRgb32(frame.BackColor())));
        painter.setFont(font);
        painter.setPen(ToQColor(frame.ForeColor()));
        painter.drawText(9, metrics.ascent(), frame.Caption());
    }
}

void DrawImageControl(QPainter& painter, const Image& image) {
    const QRect outer(QPoint(0, 0), image.PixelRect().size());
    const int b = image.BorderStyle() ? 1 : 0;
    if (b) DrawFlatBorder(painter, outer);
    const Picture& picture = image.GetPicture();
    if (picture.IsEmpty()) return;
    const QRect inner = outer.adjusted(b, b, -b, -b);
    if (image.Stretch()) {
        painter.drawImage(inner, picture.Image());
    } else {
        painter.save();
        painter.setClipRect(inner, Qt::IntersectClip);
        painter.drawImage(inner.topLeft(), picture.Image());
        painter.restore();
    }
}

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
    if (!control.Visible()) return;
    const QSize size = control.PixelRect().size();
    switch (control.Kind()) {
        case ControlKind::Window: {
            const auto& window = static_cast<const Window&>(control);
            const QRect client(QPoint(0, 0), size);
            DrawSurface(painter, window, client);
            DrawChildren(painter, control, client);
            break;
        }
        case ControlKind::PictureBox: {
            const auto& box = static_cast<const PictureBox&>(control);
            const QRect outer(QPoint(0, 0), size);
            const int b = box.BorderPixels();
            if (b == 2) DrawSunkenBorder(painter, outer);
            if (b == 1) DrawFlatBorder(painter, outer);
            const QRect client(QPoint(b, b), box.ClientPixelSize());
            DrawSurface(painter, box, client);
            DrawChildren(painter, control, client);
            break;
        }
        case ControlKind::Image:
            DrawImageControl(painter, static_cast<const Image&>(control));
            break;
        case ControlKind::Label:
            DrawLabel(painter, static_cast<const Label&>(control));
            break;
        case ControlKind::Frame: {
            DrawFrame(painter, static_cast<const Frame&>(control));
            DrawChildren(painter, control, QRect(QPoint(0, 0), size));
            break;
        }
        case ControlKind::Timer:
            break;
        default:
            DrawMoreControl(painter, control);
            break;
    }
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
    const QRect client(QPoint(0, 0), size);
    DrawSurface(painter, window, client);
    DrawChildren(painter, window, client);
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

QRect LetterboxRect(QSize source, QSize target, ScalingMode mode) {
    if (source.isEmpty() || target.isEmpty()) return QRect();
    QSize scaled;
    const int factor = std::min(target.width() / source.width(), target.height() / source.height());
    if (mode == ScalingMode::Sharp && factor >= 1) {
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
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mode == ScalingMode::Smooth);
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
