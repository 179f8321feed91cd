#pragma once
// A frame: a captioned group box that holds other controls.
#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

class Frame : public StyledControl {
  public:
    explicit Frame(QString name = QStringLiteral("Frame1"));
    bool IsContainer() const override { return true; }
    // The etched box and caption, then the controls inside.
    void Paint(QPainter& painter) const override;
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);

  protected:
    Frame(const Frame& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString caption_;
    int borderStyle_ = 1;
};

}  // namespace storyloom::forms
