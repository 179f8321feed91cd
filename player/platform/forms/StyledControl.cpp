#include "platform/forms/StyledControl.h"

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

StyledControl::StyledControl(ControlKind kind, QString name, OleColor back, OleColor fore)
    : Control(kind, std::move(name)), foreColor_(fore), backColor_(back) {}

void StyledControl::SetFont(const FontSpec& font) {
    font_ = font;
    Changed();
}
void StyledControl::SetForeColor(OleColor color) {
    foreColor_ = color;
    Changed();
}
void StyledControl::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}

void AddStyleProperties(PropertyTable& t) {
    AddFontProperties<StyledControl>(t);
    t.Add(Member<StyledControl>("ForeColor", PropertyType::Color, &StyledControl::ForeColor,
                                &StyledControl::SetForeColor));
    t.Add(Member<StyledControl>("BackColor", PropertyType::Color, &StyledControl::BackColor,
                                &StyledControl::SetBackColor));
    t.Add(FixedAppearanceProperty());
}

}  // namespace storyloom::forms
