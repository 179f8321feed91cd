#pragma once
// The line control: a straight line between two points, drawn with its outline pen.
#include "platform/forms/Outline.h"

namespace storyloom::forms {

// A straight line between two points of its container. Its rectangle follows the points.
class LineControl : public OutlinedControl {
  public:
    explicit LineControl(QString name = QStringLiteral("Line1"));
    void Paint(QPainter& painter) const override;
    // End points in twips, relative to the container's inner area.
    double X1() const { return PixelsToTwips(p1_.x()); }
    double Y1() const { return PixelsToTwips(p1_.y()); }
    double X2() const { return PixelsToTwips(p2_.x()); }
    double Y2() const { return PixelsToTwips(p2_.y()); }
    void SetX1(double twips);
    void SetY1(double twips);
    void SetX2(double twips);
    void SetY2(double twips);
    QPoint P1() const { return p1_; }
    QPoint P2() const { return p2_; }

  protected:
    LineControl(const LineControl& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    void BorderWidthChanged() override { Place(); }

  private:
    void Place();
    QPoint p1_{0, 0};
    QPoint p2_{60, 0};
};

}  // namespace storyloom::forms
