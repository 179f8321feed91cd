#include "platform/forms/controls/TextBox.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"
#include "platform/forms/controls/Window.h"

namespace storyloom::forms {

TextBox::TextBox(QString name)
    : StyledControl(ControlKind::TextBox, std::move(name), kSysWindowBackground, kSysWindowText) {
    SetPixelRect(QRect(0, 0, 100, 21));
}

std::unique_ptr<Control> TextBox::CloneForArray() const {
    return std::unique_ptr<TextBox>(new TextBox(*this));
}

void TextBox::Replace(int start, int length, const QString& with) {
    const QString before = text_;
    text_.replace(start, length, with);
    selStart_ = start + int(with.size());
    selLength_ = 0;
    Changed();
    if (text_ != before) RaiseEvent(onChange, *this);
}

void TextBox::SetText(const QString& text) {
    if (text == text_) return;
    Replace(0, int(text_.size()), text);
    selStart_ = 0;
}

void TextBox::SetMaxLength(int length) {
    if (length < 0) ThrowInvalidValue();
    maxLength_ = length;
}

void TextBox::SetPasswordChar(const QString& ch) {
    if (ch.size() > 1) ThrowInvalidValue();
    passwordChar_ = ch;
    Changed();
}

void TextBox::SetMultiLine(bool on) {
    multiLine_ = on;
    Changed();
}

void TextBox::SetAlignment(int alignment) {
    CheckValueRange(alignment, 0, 2);
    alignment_ = alignment;
    Changed();
}

void TextBox::SetBorderStyle(int style) {
    CheckValueRange(style, 0, 1);
    borderStyle_ = style;
    Changed();
}

void TextBox::SetSelStart(int start) {
    if (start < 0) ThrowInvalidValue();
    selStart_ = std::min(start, int(text_.size()));
    selLength_ = 0;
    Changed();
}

void TextBox::SetSelLength(int length) {
    if (length < 0) ThrowInvalidValue();
    selLength_ = std::min(length, int(text_.size()) - selStart_);
    Changed();
}

void TextBox::SetSelText(const QString& text) {
    Replace(selStart_, selLength_, text);
}

QString TextBox::DisplayText() const {
    if (passwordChar_.isEmpty() || multiLine_) return text_;
    return QString(text_.size(), passwordChar_[0]);
}

void TextBox::OwnMouseDown(QPoint local, int button) {
    if (button != kLeftButton) return;
    // The caret goes to the character boundary nearest the pointer on the line under it.
    const QFontMetrics metrics(MakeQFont(Font()));
    const QString shown = DisplayText();
    const QStringList lines = multiLine_ ? shown.split(QStringLiteral("\r\n")) : QStringList{shown};
    const int b = BorderPixels() + 1;
    const int lineNo =
        std::clamp((local.y() - b) / std::max(1, metrics.height()), 0, int(lines.size()) - 1);
    int offset = 0;
    for (int i = 0; i < lineNo; ++i) offset += int(lines[i].size()) + 2;
    const QString& line = lines[lineNo];
    int pos = 0;
    while (pos < line.size() && metrics.horizontalAdvance(line.left(pos)) +
                                        metrics.horizontalAdvance(line.mid(pos, 1)) / 2 <
                                    local.x() - b)
        ++pos;
    selStart_ = offset + pos;
    selLength_ = 0;
    Changed();
}

void TextBox::OwnKeyDown(int keyCode, int shift) {
    (void)shift;
    const int size = int(text_.size());
    switch (keyCode) {
        case 0x25:  // left
            SetSelStart(std::max(0, selStart_ - 1));
            break;
        case 0x27:  // right
            SetSelStart(std::min(size, selStart_ + selLength_ + (selLength_ ? 0 : 1)));
            break;
        case 0x24:  // home
            SetSelStart(0);
            break;
        case 0x23:  // end
            SetSelStart(size);
            break;
        case 0x2E:  // delete
            if (locked_) break;
            if (selLength_)
                Replace(selStart_, selLength_, QString());
            else if (selStart_ < size)
                Replace(selStart_,
                        selStart_ + 1 < size && text_.mid(selStart_, 2) == "\r\n" ? 2 : 1,
                        QString());
            break;
        default:
            break;
    }
}

void TextBox::OwnKeyPress(int ascii) {
    if (locked_) return;
    if (ascii == 8) {
        if (selLength_) {
            Replace(selStart_, selLength_, QString());
        } else if (selStart_ > 0) {
            const int n = selStart_ >= 2 && text_.mid(selStart_ - 2, 2) == "\r\n" ? 2 : 1;
            Replace(selStart_ - n, n, QString());
        }
        return;
    }
    QString insert;
    if (ascii == 13) {
        if (!multiLine_) return;
        insert = QStringLiteral("\r\n");
    } else if (ascii >= 32 && ascii != 127) {
        insert = QString(QChar(ascii));
    } else {
        return;
    }
    // Typing never makes the text longer than MaxLength.
    if (maxLength_ > 0 && text_.size() - selLength_ + insert.size() > maxLength_) return;
    Replace(selStart_, selLength_, insert);
}

void TextBox::Paint(QPainter& p) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    p.fillRect(outer, ToQColor(BackColor()));
    const int b = BorderPixels();
    if (b) DrawSunkenBox(p, outer);
    const QRect inner = outer.adjusted(b + 1, b + 1, -b - 1, -b - 1);
    const QFont font = MakeQFont(Font());
    const QFontMetrics metrics(font);
    const QString shown = DisplayText();
    const QStringList lines =
        MultiLine() ? LayoutLines(shown, metrics, inner.width()) : QStringList{shown};
    p.save();
    p.setClipRect(inner, Qt::IntersectClip);
    p.setFont(font);
    const QColor ink = Enabled() ? ToQColor(ForeColor()) : kShadow;
    int y = MultiLine() ? inner.top() : inner.top() + (inner.height() - metrics.height()) / 2;
    int offset = 0;
    const bool focused = OwnerWindow() && OwnerWindow()->FocusedControl() == this;
    for (const QString& line : lines) {
        int x = inner.left();
        const int w = metrics.horizontalAdvance(line);
        if (Alignment() == 1) x = inner.right() + 1 - w;
        if (Alignment() == 2) x = inner.left() + (inner.width() - w) / 2;
        // The selection shows as white on dark blue.
        const int s0 = std::clamp(SelStart() - offset, 0, int(line.size()));
        const int s1 = std::clamp(SelStart() + SelLength() - offset, 0, int(line.size()));
        if (s1 > s0) {
            const int sx = x + metrics.horizontalAdvance(line.left(s0));
            p.fillRect(sx, y, metrics.horizontalAdvance(line.mid(s0, s1 - s0)), metrics.height(),
                       kSelection);
        }
        p.setPen(ink);
        p.drawText(x, y + metrics.ascent(), line.left(s0));
        p.setPen(s1 > s0 ? kWhite : ink);
        p.drawText(x + metrics.horizontalAdvance(line.left(s0)), y + metrics.ascent(),
                   line.mid(s0, s1 - s0));
        p.setPen(ink);
        p.drawText(x + metrics.horizontalAdvance(line.left(s1)), y + metrics.ascent(),
                   line.mid(s1));
        if (focused && SelLength() == 0 && SelStart() >= offset &&
            SelStart() <= offset + line.size())
            p.fillRect(x + metrics.horizontalAdvance(line.left(SelStart() - offset)), y, 1,
                       metrics.height(), ink);
        offset += int(line.size());
        // Wrapped lines lose their break characters; a hard break is two.
        if (offset < shown.size() && shown.mid(offset, 2) == QLatin1String("\r\n"))
            offset += 2;
        else if (offset < shown.size() && shown[offset] == QLatin1Char(' '))
            offset += 1;
        y += metrics.height();
    }
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("TextBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    t.Add(Member<TextBox>("Text", PropertyType::String, &TextBox::Text, &TextBox::SetText));
    t.Add(Member<TextBox>("MaxLength", PropertyType::Long, &TextBox::MaxLength,
                          &TextBox::SetMaxLength));
    t.Add(Member<TextBox>("Locked", PropertyType::Boolean, &TextBox::Locked, &TextBox::SetLocked));
    t.Add(Member<TextBox>("PasswordChar", PropertyType::String, &TextBox::PasswordChar,
                          &TextBox::SetPasswordChar));
    t.Add(Member<TextBox>("MultiLine", PropertyType::Boolean, &TextBox::MultiLine,
                          &TextBox::SetMultiLine));
    t.Add(Member<TextBox>("Alignment", PropertyType::Integer, &TextBox::Alignment,
                          &TextBox::SetAlignment));
    t.Add(Member<TextBox>("BorderStyle", PropertyType::Integer, &TextBox::BorderStyle,
                          &TextBox::SetBorderStyle));
    t.Add(
        Member<TextBox>("SelStart", PropertyType::Long, &TextBox::SelStart, &TextBox::SetSelStart));
    t.Add(Member<TextBox>("SelLength", PropertyType::Long, &TextBox::SelLength,
                          &TextBox::SetSelLength));
    t.Add(
        Member<TextBox>("SelText", PropertyType::String, &TextBox::SelText, &TextBox::SetSelText));
    t.SetDefault("Text");
    return t;
}

const PropertyTableRegistration registration(ControlKind::TextBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
