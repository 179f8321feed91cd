#include "platform/forms/controls/ShapeControl.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

ShapeControl::ShapeControl(QString name) : OutlinedControl(ControlKind::Shape, std::move(name)) {
    SetPixelRect(QRect(0, 0, 65, 65));
}

std::unique_ptr<Control> ShapeControl::CloneForArray() const {
    return std::unique_ptr<ShapeControl>(new ShapeControl(*this));
}

void ShapeControl::SetShape(int shape) {
    CheckValueRange(shape, 0, 5);
    shape_ = shape;
    Changed();
}
void ShapeControl::SetBackStyle(int style) {
    CheckValueRange(style, 0, 1);
    backStyle_ = style;
    Changed();
}
void ShapeControl::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}
void ShapeControl::SetFillColor(OleColor color) {
    fillColor_ = color;
    Changed();
}
void ShapeControl::SetFillStyle(int style) {
    CheckValueRange(style, 0, 7);
    fillStyle_ = style;
    Changed();
}

QRect ShapeControl::FigureRect() const {
    const QSize size = PixelRect().size();
    if (shape_ != Square && shape_ != Circle && shape_ != RoundedSquare)
        return QRect(QPoint(0, 0), size);
    const int side = std::min(size.width(), size.height());
    return QRect((size.width() - side) / 2, (size.height() - side) / 2, side, side);
}

void ShapeControl::Paint(QPainter& p) const {
    QRect r = FigureRect();
    const Outline& o = Border();
    const bool inside = o.style == 6 || o.width > 1;
    if (inside && o.style != 0) {
        // Wide outlines stay inside the figure's rectangle.
        const int half = o.width / 2;
        r = r.adjusted(half, half, -(o.width - half), -(o.width - half));
    } else {
        r = r.adjusted(0, 0, -1, -1);
    }
    if (r.width() < 0 || r.height() < 0) return;
    const int radius = std::min(r.width(), r.height()) / 4;
    auto figure = [&](QPainter& painter) {
        switch (Shape()) {
            case ShapeControl::Oval:
            case ShapeControl::Circle:
                painter.drawEllipse(r);
                break;
            case ShapeControl::RoundedRectangle:
            case ShapeControl::RoundedSquare:
                painter.drawRoundedRect(r, radius, radius);
                break;
            default:
                painter.drawRect(r);
                break;
        }
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, Shape() >= ShapeControl::Oval);
    p.setPen(Qt::NoPen);
    if (BackStyle() == 1) {
        p.setBrush(ToQColor(BackColor()));
        figure(p);
    }
    if (FillStyle() != 1) {
        static const Qt::BrushStyle fills[] = {
            Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
            Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        p.setBrush(QBrush(ToQColor(FillColor()), fills[FillStyle()]));
        figure(p);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(OutlinePen(o));
    figure(p);
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Shape"));
    AddCommonProperties(t, true);
    t.Add(Member<ShapeControl>("Shape", PropertyType::Integer, &ShapeControl::Shape,
                               &ShapeControl::SetShape));
    t.Add(Member<ShapeControl>("BackStyle", PropertyType::Integer, &ShapeControl::BackStyle,
                               &ShapeControl::SetBackStyle));
    t.Add(Member<ShapeControl>("BackColor", PropertyType::Color, &ShapeControl::BackColor,
                               &ShapeControl::SetBackColor));
    t.Add(Member<ShapeControl>("FillColor", PropertyType::Color, &ShapeControl::FillColor,
                               &ShapeControl::SetFillColor));
    t.Add(Member<ShapeControl>("FillStyle", PropertyType::Integer, &ShapeControl::FillStyle,
                               &ShapeControl::SetFillStyle));
    AddOutlineProperties(t);
    t.SetDefault("Shape");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Shape, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
