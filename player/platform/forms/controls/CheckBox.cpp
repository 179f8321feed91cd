#include "platform/forms/controls/CheckBox.h"

#include <QPainter>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

CheckBox::CheckBox(QString name)
    : StyledControl(ControlKind::CheckBox, std::move(name), kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 81, 17));
}

std::unique_ptr<Control> CheckBox::CloneForArray() const {
    return std::unique_ptr<CheckBox>(new CheckBox(*this));
}

void CheckBox::SetCaption(const QString& caption) {
    caption_ = caption;
    Changed();
}

void CheckBox::SetValue(int value) {
    CheckValueRange(value, 0, 2);
    if (value == value_) return;
    value_ = value;
    Changed();
    RaiseEvent(onClick, *this);
}

void CheckBox::SetAlignment(int alignment) {
    CheckValueRange(alignment, 0, 1);
    alignment_ = alignment;
    Changed();
}

void CheckBox::OwnClick() {
    // Checked goes to unchecked; unchecked and greyed go to checked. SetValue raises Click.
    SetValue(value_ == 1 ? 0 : 1);
}

void CheckBox::OwnKeyPress(int ascii) {
    if (ascii == ' ') OwnClick();
}

void CheckBox::Paint(QPainter& p) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    p.fillRect(outer, ToQColor(BackColor()));
    const int side = 13;
    const int y = (outer.height() - side) / 2;
    const int x = Alignment() == 0 ? 0 : outer.width() - side;
    const QRect mark(x, y, side, side);
    DrawSunkenBox(p, mark);
    p.fillRect(mark.adjusted(2, 2, -2, -2), Value() == 2 ? kFace : kWhite);
    if (Value() != 0) {
        // The tick: a 3-pixel-thick stroke down then up, grey when greyed.
        const QColor ink = Value() == 2 ? kShadow : kBlack;
        for (int i = 0; i < 7; ++i) {
            const int top = i < 3 ? y + 5 + i : y + 7 - (i - 2);
            p.fillRect(x + 3 + i, top, 1, 3, ink);
        }
    }
    const QFont font = MakeQFont(Font());
    const QFontMetrics metrics(font);
    p.save();
    p.setFont(font);
    p.setPen(Enabled() ? ToQColor(ForeColor()) : kShadow);
    const QRect text =
        Alignment() == 0 ? outer.adjusted(side + 4, 0, 0, 0) : outer.adjusted(0, 0, -side - 4, 0);
    p.setClipRect(text);
    p.drawText(text, Qt::AlignVCenter | (Alignment() == 0 ? Qt::AlignLeft : Qt::AlignRight),
               Caption());
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("CheckBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    t.Add(Member<CheckBox>("Caption", PropertyType::String, &CheckBox::Caption,
                           &CheckBox::SetCaption));
    t.Add(Member<CheckBox>("Value", PropertyType::Integer, &CheckBox::Value, &CheckBox::SetValue));
    t.Add(Member<CheckBox>("Alignment", PropertyType::Integer, &CheckBox::Alignment,
                           &CheckBox::SetAlignment));
    t.SetDefault("Value");
    return t;
}

const PropertyTableRegistration registration(ControlKind::CheckBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
