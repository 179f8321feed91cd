#pragma once
// A check box: a caption beside a box that is unchecked, checked or greyed.
#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

class CheckBox : public StyledControl {
  public:
    explicit CheckBox(QString name = QStringLiteral("Check1"));
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int Value() const { return value_; }  // 0 unchecked, 1 checked, 2 greyed
    // Raises Click when the value changes, whether a click or code changed it.
    void SetValue(int value);
    int Alignment() const { return alignment_; }  // 0 box on the left, 1 on the right
    void SetAlignment(int alignment);
    // The sunken box with its tick, and the caption beside it.
    void Paint(QPainter& painter) const override;
    bool TakesFocus() const override { return true; }
    void OwnClick() override;
    void OwnKeyPress(int ascii) override;  // the space bar toggles too

  protected:
    CheckBox(const CheckBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString caption_;
    int value_ = 0;
    int alignment_ = 0;
};

}  // namespace storyloom::forms
