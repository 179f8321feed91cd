#pragma once
// The base of the controls that draw text: a font and two colours.
#include "platform/forms/Color.h"
#include "platform/forms/Control.h"

namespace storyloom::forms {

class PropertyTable;

class StyledControl : public Control {
  public:
    const FontSpec& Font() const { return font_; }
    // A kind that sizes itself to its text refits after the font changed.
    virtual void SetFont(const FontSpec& font);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);

  protected:
    StyledControl(ControlKind kind, QString name, OleColor back, OleColor fore);
    StyledControl(const StyledControl& other) = default;

  private:
    FontSpec font_;
    OleColor foreColor_;
    OleColor backColor_;
};

// The font properties, ForeColor, BackColor and a fixed Appearance of 3D, in that order.
void AddStyleProperties(PropertyTable& table);

}  // namespace storyloom::forms
