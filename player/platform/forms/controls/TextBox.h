#pragma once
// A text box: one line or several of text that typing and code edit.
#include <QString>
#include <functional>

#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

class TextBox : public StyledControl {
  public:
    explicit TextBox(QString name = QStringLiteral("Text1"));
    const QString& Text() const { return text_; }
    // Code may set any text (MaxLength limits typing only); raises Change when it differs.
    void SetText(const QString& text);
    int MaxLength() const { return maxLength_; }  // 0 = no limit
    void SetMaxLength(int length);
    bool Locked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }
    QString PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(const QString& ch);  // "" or one character
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on);
    int Alignment() const { return alignment_; }
    void SetAlignment(int alignment);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    int SelStart() const { return selStart_; }
    void SetSelStart(int start);  // beyond the end: the end; negative: 380
    int SelLength() const { return selLength_; }
    void SetSelLength(int length);
    QString SelText() const { return text_.mid(selStart_, selLength_); }
    // Replaces the selection (code may do this even when Locked).
    void SetSelText(const QString& text);
    // The text as shown: every character replaced by the password character if there is one.
    QString DisplayText() const;
    int BorderPixels() const override { return borderStyle_ ? 2 : 0; }

    // The white box, the text with its selection, and the caret while focused.
    void Paint(QPainter& painter) const override;

    bool TakesFocus() const override { return true; }
    void OwnMouseDown(QPoint local, int button) override;
    void OwnKeyDown(int keyCode, int shift) override;
    void OwnKeyPress(int ascii) override;
    std::function<void(Control&)> onChange;

  protected:
    TextBox(const TextBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Replace(int start, int length, const QString& with);
    QString text_;
    int maxLength_ = 0;
    bool locked_ = false;
    QString passwordChar_;
    bool multiLine_ = false;
    int alignment_ = 0;
    int borderStyle_ = 1;
    int selStart_ = 0;
    int selLength_ = 0;
};

}  // namespace storyloom::forms
