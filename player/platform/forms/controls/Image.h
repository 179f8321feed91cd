#pragma once
// An image control: a picture, stretched or at its own size, with an optional flat border.
#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

namespace storyloom::forms {

class Image : public Control {
  public:
    explicit Image(QString name = QStringLiteral("Image1"));
    void Paint(QPainter& painter) const override;
    const Picture& GetPicture() const { return picture_; }
    // Without Stretch the control takes the picture's size.
    void SetPicture(const Picture& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);

  protected:
    Image(const Image& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    Picture picture_;
    bool stretch_ = false;
    int borderStyle_ = 0;
};

}  // namespace storyloom::forms
