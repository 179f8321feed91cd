#include "platform/forms/DrawingSurface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/forms/Text.h"

namespace storyloom::forms {

void DrawingSurface::SetScaleMode(int mode) {
    if (mode != 1 && mode != 3) ThrowInvalidValue();
    scaleMode_ = mode;
}

double DrawingSurface::ScaleWidth() const {
    return ToScale(SurfaceSize().width());
}
double DrawingSurface::ScaleHeight() const {
    return ToScale(SurfaceSize().height());
}

int DrawingSurface::FromScale(double v) const {
    return scaleMode_ == 3 ? static_cast<int>(std::lround(v)) : TwipsToPixels(v);
}

void DrawingSurface::ResetCanvas() {
    const QSize size = SurfaceSize();
    if (size.isEmpty()) {
        canvas_ = QImage();
        return;
    }
    if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(ToRgb32(backColor_));
    if (!picture_.IsEmpty()) {
        QPainter painter(&canvas_);
        painter.drawImage(0, 0, picture_.Image());
    }
}

QImage& DrawingSurface::Canvas() {
    if (canvas_.isNull() || canvas_.size() != SurfaceSize()) ResetCanvas();
    return canvas_;
}

void DrawingSurface::ResizeCanvas(QSize size) {
    if (canvas_.isNull() || canvas_.size() == size) return;
    if (size.isEmpty()) {
        canvas_ = QImage();
        return;
    }
    // Growing shows the background colour in the new part; drawings stay where they are.
    QImage grown(size, QImage::Format_RGB32);
    grown.fill(ToRgb32(backColor_));
    QPainter painter(&grown);
    painter.drawImage(0, 0, canvas_);
    painter.end();
    canvas_ = std::move(grown);
}

void DrawingSurface::Cls() {
    currentX_ = currentY_ = 0;
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::SetSurfaceBackColor(OleColor color) {
    backColor_ = color;
    // A new background colour clears the drawing, as on the original.
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::SetSurfacePicture(const Picture& picture) {
    picture_ = picture;
    if (!canvas_.isNull()) ResetCanvas();
    SurfaceChanged();
}

void DrawingSurface::PaintPicture(const Picture& picture, double x, double y, double width,
                                  double height, double sx, double sy, double sw, double sh) {
    if (picture.IsEmpty())
        throw ControlError(kErrInvalidPicture, QStringLiteral("Invalid picture"));
    const QImage& image = picture.Image();
    QRectF source(sx, sy, sw < 0 ? image.width() - sx : sw, sh < 0 ? image.height() - sy : sh);
    const int w = width < 0 ? int(std::lround(source.width())) : FromScale(width);
    const int h = height < 0 ? int(std::lround(source.height())) : FromScale(height);
    QPainter painter(&Canvas());
    painter.drawImage(QRectF(FromScale(x), FromScale(y), w, h), image, source);
    painter.end();
    SurfaceChanged();
}

void DrawingSurface::Print(const QString& text) {
    QImage& canvas = Canvas();
    QPainter painter(&canvas);
    const QFont font = MakeQFont(font_);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    int x = FromScale(currentX_), y = FromScale(currentY_);
    for (const QString& line : lines) {
        const int w = metrics.horizontalAdvance(line);
        if (!fontTransparent_)
            painter.fillRect(x, y, w, metrics.height(), QColor::fromRgb(ToRgb32(backColor_)));
        painter.setPen(ToQColor(foreColor_));
        painter.drawText(x, y + metrics.ascent(), line);
        y += metrics.height();
        x = FromScale(currentX_);
    }
    painter.end();
    currentX_ = 0;
    currentY_ = ToScale(y);
    SurfaceChanged();
}

void DrawingSurface::Line(double x1, double y1, double x2, double y2, OleColor color, bool box,
                          bool fill) {
    QPainter painter(&Canvas());
    const QColor c = ToQColor(color);
    const QPoint a(FromScale(x1), FromScale(y1)), b(FromScale(x2), FromScale(y2));
    if (box) {
        const QRect r = QRect(a, b).normalized();
        if (fill)
            painter.fillRect(r, c);
        else {
            painter.setPen(c);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
    } else {
        painter.setPen(c);
        painter.drawLine(a, b);
    }
    painter.end();
    currentX_ = x2;
    currentY_ = y2;
    SurfaceChanged();
}

void DrawingSurface::PSet(double x, double y, OleColor color) {
    QImage& canvas = Canvas();
    const QPoint p(FromScale(x), FromScale(y));
    if (canvas.rect().contains(p)) canvas.setPixel(p, ToRgb32(color));
    currentX_ = x;
    currentY_ = y;
    SurfaceChanged();
}

std::int32_t DrawingSurface::Point(double x, double y) const {
    const QPoint p(FromScale(x), FromScale(y));
    const Picture image = canvas_.isNull() ? ImagePicture() : Picture();
    const QImage& source = canvas_.isNull() ? image.Image() : canvas_;
    if (!source.rect().contains(p)) return -1;
    return static_cast<std::int32_t>(FromQColor(QColor::fromRgb(source.pixel(p))));
}

void DrawingSurface::CopyRect(const QImage& source, const QRect& from, const QRect& to) {
    if (source.isNull() || to.isEmpty()) return;
    QPainter painter(&Canvas());
    if (from.size() != to.size()) painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(to, source, from);
    painter.end();
    SurfaceChanged();
}

void DrawingSurface::AlphaBlend(const QImage& source, const QRect& from, QPoint at, int opacity) {
    if (source.isNull()) return;
    QPainter painter(&Canvas());
    painter.setOpacity(std::clamp(opacity, 0, 255) / 255.0);
    painter.drawImage(at, source, from);
    painter.end();
    SurfaceChanged();
}

Picture DrawingSurface::ImagePicture() const {
    if (!canvas_.isNull()) return Picture::FromImage(canvas_);
    const QSize size = SurfaceSize();
    if (size.isEmpty()) return Picture();
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToRgb32(backColor_));
    if (!picture_.IsEmpty()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture_.Image());
    }
    return Picture::FromImage(image);
}

void DrawingSurface::PaintSurface(QPainter& painter, const QRect& client) const {
    if (HasCanvas()) {
        painter.drawImage(client.topLeft(), CanvasIfAny());
        return;
    }
    painter.fillRect(client, QColor::fromRgb(ToRgb32(BackColor())));
    const Picture& picture = SurfacePicture();
    if (!picture.IsEmpty()) {
        painter.save();
        painter.setClipRect(client, Qt::IntersectClip);
        painter.drawImage(client.topLeft(), picture.Image());
        painter.restore();
    }
}

}  // namespace storyloom::forms
