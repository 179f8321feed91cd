#pragma once
// The shape control: a figure with an outline, a back colour and a fill pattern.
#include <QRect>

#include "platform/forms/Outline.h"

namespace storyloom::forms {

// A rectangle, square, oval, circle or rounded figure, outlined and filled.
class ShapeControl : public OutlinedControl {
  public:
    enum Kind { Rectangle = 0, Square, Oval, Circle, RoundedRectangle, RoundedSquare };
    explicit ShapeControl(QString name = QStringLiteral("Shape1"));
    void Paint(QPainter& painter) const override;
    int Shape() const { return shape_; }
    void SetShape(int shape);                     // 0..5, else 380
    int BackStyle() const { return backStyle_; }  // 0 transparent, 1 opaque
    void SetBackStyle(int style);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor FillColor() const { return fillColor_; }
    void SetFillColor(OleColor color);
    // 0 solid, 1 transparent, 2 horizontal, 3 vertical, 4 up diagonal, 5 down diagonal,
    // 6 cross, 7 diagonal cross.
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style);
    // The figure's bounding rectangle in the control: squares and circles are centred.
    QRect FigureRect() const;

  protected:
    ShapeControl(const ShapeControl& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    int shape_ = Rectangle;
    int backStyle_ = 0;
    OleColor backColor_ = kSysWindowBackground;
    OleColor fillColor_ = 0;
    int fillStyle_ = 1;
};

}  // namespace storyloom::forms
