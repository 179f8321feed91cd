#include "platform/forms/controls/Frame.h"

#include <QPainter>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

Frame::Frame(QString name)
    : StyledControl(ControlKind::Frame, std::move(name), kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 120, 80));
}

std::unique_ptr<Control> Frame::CloneForArray() const {
    return std::unique_ptr<Frame>(new Frame(*this));
}

void Frame::SetCaption(const QString& caption) {
    caption_ = caption;
    Changed();
}
void Frame::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 1);
    borderStyle_ = style;
    Changed();
}

void Frame::Paint(QPainter& painter) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    painter.fillRect(outer, QColor::fromRgb(ToRgb32(BackColor())));
    const QFont font = MakeQFont(Font());
    const QFontMetrics metrics(font);
    if (BorderStyle() == 1) {
        // An etched group box: grey line with a white one beside it, the caption on top.
        const int top = Caption().isEmpty() ? 0 : metrics.height() / 2;
        const QRect box = outer.adjusted(0, top, -1, -1);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(kShadow);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(kWhite);
        painter.drawRect(box.adjusted(1, 1, 0, 0));
    }
    if (!Caption().isEmpty()) {
        const int w = metrics.horizontalAdvance(Caption());
        const QRect captionRect(8, 0, w + 2, metrics.height());
        painter.fillRect(captionRect, QColor::fromRgb(ToRgb32(BackColor())));
        painter.setFont(font);
        painter.setPen(ToQColor(ForeColor()));
        painter.drawText(9, metrics.ascent(), Caption());
    }
    PaintChildren(painter, *this, outer);
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Frame"));
    AddCommonProperties(t, true);
    AddFontProperties<Frame>(t);
    t.Add(Member<Frame>("Caption", PropertyType::String, &Frame::Caption, &Frame::SetCaption));
    t.Add(Member<Frame>("ForeColor", PropertyType::Color, &Frame::ForeColor, &Frame::SetForeColor));
    t.Add(Member<Frame>("BackColor", PropertyType::Color, &Frame::BackColor, &Frame::SetBackColor));
    t.Add(Member<Frame>("BorderStyle", PropertyType::Integer, &Frame::BorderStyle,
                        &Frame::SetBorderStyle));
    t.Add(FixedAppearanceProperty());
    t.SetDefault("Caption");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Frame, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
