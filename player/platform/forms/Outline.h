#pragma once
// The outline of lines and shapes: its colour, width and pen style, the pen that draws it and
// its properties.
#include <QPen>

#include "platform/forms/Color.h"
#include "platform/forms/Control.h"

namespace storyloom::forms {

class PropertyTable;

// Pen styles of lines and shape outlines: 0 none, 1 solid, 2 dash, 3 dot, 4 dash-dot,
// 5 dash-dot-dot, 6 solid inside the shape's rectangle.
struct Outline {
    OleColor color = kSysWindowText;
    int width = 1;  // pixels
    int style = 1;
    bool operator==(const Outline&) const = default;
};

// The pen of an outline. Patterned pens exist only one pixel wide, as on the original's desktop.
QPen OutlinePen(const Outline& outline);

// A control drawn with an outline (lines and shapes). They take no mouse input: the pointer
// goes through to what lies below.
class OutlinedControl : public Control {
  public:
    bool ReceivesMouse() const override { return false; }
    const Outline& Border() const { return border_; }
    void SetBorderColor(OleColor color);
    void SetBorderWidth(int width);  // 1..8192, else 380
    void SetBorderStyle(int style);  // 0..6, else 380

  protected:
    using Control::Control;
    OutlinedControl(const OutlinedControl& other) = default;
    // After the width changed (a line's rectangle grows with its pen).
    virtual void BorderWidthChanged() { Changed(); }

  private:
    Outline border_;
};

// BorderColor, BorderWidth, BorderStyle.
void AddOutlineProperties(PropertyTable& table);

}  // namespace storyloom::forms
