#include "platform/forms/Painting.h"

namespace storyloom::forms {

namespace {

void DrawSunkenRings(QPainter& p, const QRect& r, bool inner) {
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p.fillRect(x0, y0, r.width(), 1, kShadow);
    p.fillRect(x0, y0, 1, r.height(), kShadow);
    p.fillRect(x0, y1, r.width(), 1, kWhite);
    p.fillRect(x1, y0, 1, r.height(), kWhite);
    if (!inner) return;
    p.fillRect(x0 + 1, y0 + 1, r.width() - 2, 1, kBlack);
    p.fillRect(x0 + 1, y0 + 1, 1, r.height() - 2, kBlack);
    p.fillRect(x0 + 1, y1 - 1, r.width() - 2, 1, kLight);
    p.fillRect(x1 - 1, y0 + 1, 1, r.height() - 2, kLight);
}

bool FitsBothRings(const QRect& r) {
    return r.width() >= 4 && r.height() >= 4;
}

}  // namespace

void DrawSunkenBorder(QPainter& painter, const QRect& r) {
    if (r.width() < 2 || r.height() < 2) return;
    DrawSunkenRings(painter, r, FitsBothRings(r));
}

void DrawSunkenBox(QPainter& painter, const QRect& r) {
    if (FitsBothRings(r)) DrawSunkenRings(painter, r, true);
}

void DrawRaisedBox(QPainter& p, const QRect& r) {
    p.fillRect(r, kFace);
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p.fillRect(x0, y0, r.width(), 1, kLight);
    p.fillRect(x0, y0, 1, r.height(), kLight);
    p.fillRect(x0, y1, r.width(), 1, kBlack);
    p.fillRect(x1, y0, 1, r.height(), kBlack);
    p.fillRect(x0 + 1, y0 + 1, r.width() - 2, 1, kWhite);
    p.fillRect(x0 + 1, y0 + 1, 1, r.height() - 2, kWhite);
    p.fillRect(x0 + 1, y1 - 1, r.width() - 2, 1, kShadow);
    p.fillRect(x1 - 1, y0 + 1, 1, r.height() - 2, kShadow);
}

void DrawFlatBorder(QPainter& p, const QRect& r) {
    p.setPen(kBlack);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void PaintChildren(QPainter& painter, const Control& container, const QRect& clientRect) {
    const auto& children = container.Children();
    if (children.empty()) return;
    painter.save();
    painter.setClipRect(clientRect, Qt::IntersectClip);
    painter.translate(clientRect.topLeft());
    for (const auto& child : children) {
        if (!child->Visible()) continue;
        const QRect r = child->PixelRect();
        if (r.isEmpty()) continue;
        painter.translate(r.topLeft());
        child->Paint(painter);
        painter.translate(-r.topLeft());
    }
    painter.restore();
}

}  // namespace storyloom::forms
