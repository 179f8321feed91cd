#include "platform/forms/controls/Label.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

Label::Label(QString name)
    : StyledControl(ControlKind::Label, std::move(name), kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 65, 17));
}

std::unique_ptr<Control> Label::CloneForArray() const {
    return std::unique_ptr<Label>(new Label(*this));
}

QString Label::DisplayText() const {
    if (!useMnemonic_ || !caption_.contains(QLatin1Char('&'))) return caption_;
    QString out;
    out.reserve(caption_.size());
    for (qsizetype i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == QLatin1Char('&')) {
            if (i + 1 < caption_.size() && caption_[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption_[i];
    }
    return out;
}

void Label::Fit() {
    if (!autoSize_ || fitting_) return;
    fitting_ = true;
    const QFontMetrics metrics(MakeQFont(Font()));
    const int b = BorderPixels();
    const QRect r = PixelRect();
    QRect fitted = r;
    if (wordWrap_) {
        const QStringList lines =
            LayoutLines(DisplayText(), metrics, std::max(1, r.width() - 2 * b));
        fitted.setHeight(TextExtent(lines, metrics).height() + 2 * b);
    } else {
        const QSize extent = TextExtent(LayoutLines(DisplayText(), metrics, 0), metrics);
        fitted.setSize(extent + QSize(2 * b, 2 * b));
    }
    SetPixelRect(fitted);
    fitting_ = false;
}

void Label::Resized() {
    Fit();
}

void Label::SetCaption(const QString& caption) {
    caption_ = caption;
    Fit();
    Changed();
}
void Label::SetFont(const FontSpec& font) {
    if (font.size <= 0 || font.size > 2048) ThrowInvalidValue();
    StyledControl::SetFont(font);
    Fit();
}
void Label::SetBackStyle(int style) {
    CheckValueRange(style, 0, 1);
    backStyle_ = style;
    Changed();
}
void Label::SetAlignment(int alignment) {
    CheckValueRange(alignment, 0, 2);
    alignment_ = alignment;
    Changed();
}
void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    Fit();
    Changed();
}
void Label::SetWordWrap(bool on) {
    wordWrap_ = on;
    Fit();
    Changed();
}
void Label::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 1);
    borderStyle_ = style;
    Fit();
    Changed();
}
void Label::SetUseMnemonic(bool on) {
    useMnemonic_ = on;
    Fit();
    Changed();
}

void Label::Paint(QPainter& painter) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    if (BackStyle() == 1) painter.fillRect(outer, QColor::fromRgb(ToRgb32(BackColor())));
    const int b = BorderPixels();
    if (b) DrawSunkenBorder(painter, outer);
    const QRect inner = outer.adjusted(b, b, -b, -b);
    const QString text = DisplayText();
    if (text.isEmpty() || inner.isEmpty()) return;
    const QFont font = MakeQFont(Font());
    const QFontMetrics metrics(font);
    const QStringList lines =
        LayoutLines(text, metrics, WordWrap() || !AutoSize() ? inner.width() : 0);
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(ToQColor(ForeColor()));
    int y = inner.top();
    for (const QString& line : lines) {
        if (y >= inner.bottom() + 1) break;
        int x = inner.left();
        if (Alignment() != 0) {
            const int w = metrics.horizontalAdvance(line);
            x = Alignment() == 1 ? inner.right() + 1 - w : inner.left() + (inner.width() - w) / 2;
        }
        painter.drawText(x, y + metrics.ascent(), line);
        y += metrics.height();
    }
    painter.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Label"));
    AddCommonProperties(t, true);
    AddFontProperties<Label>(t);
    t.Add(Member<Label>("Caption", PropertyType::String, &Label::Caption, &Label::SetCaption));
    t.Add(Member<Label>("ForeColor", PropertyType::Color, &Label::ForeColor, &Label::SetForeColor));
    t.Add(Member<Label>("BackColor", PropertyType::Color, &Label::BackColor, &Label::SetBackColor));
    t.Add(
        Member<Label>("BackStyle", PropertyType::Integer, &Label::BackStyle, &Label::SetBackStyle));
    t.Add(
        Member<Label>("Alignment", PropertyType::Integer, &Label::Alignment, &Label::SetAlignment));
    t.Add(Member<Label>("AutoSize", PropertyType::Boolean, &Label::AutoSize, &Label::SetAutoSize));
    t.Add(Member<Label>("WordWrap", PropertyType::Boolean, &Label::WordWrap, &Label::SetWordWrap));
    t.Add(Member<Label>("BorderStyle", PropertyType::Integer, &Label::BorderStyle,
                        &Label::SetBorderStyle));
    t.Add(Member<Label>("UseMnemonic", PropertyType::Boolean, &Label::UseMnemonic,
                        &Label::SetUseMnemonic));
    t.Add(FixedAppearanceProperty());
    t.SetDefault("Caption");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Label, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
