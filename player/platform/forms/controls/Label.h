#pragma once
// A label: a caption, wrapped or not, that may size itself to its text.
#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

class Label : public StyledControl {
  public:
    explicit Label(QString name = QStringLiteral("Label1"));
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Sizes 0 and below or above 2048 points are error 380.
    void SetFont(const FontSpec& font) override;
    int BackStyle() const { return backStyle_; }  // 0 transparent, 1 opaque
    void SetBackStyle(int style);
    int Alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre
    void SetAlignment(int alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    bool UseMnemonic() const { return useMnemonic_; }
    void SetUseMnemonic(bool on);
    // The caption as drawn: "&&" shows one "&", a single "&" is not shown.
    QString DisplayText() const;
    int BorderPixels() const override { return borderStyle_ ? 2 : 0; }
    void Paint(QPainter& painter) const override;

  protected:
    Label(const Label& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    void Resized() override;

  private:
    void Fit();
    QString caption_;
    int backStyle_ = 1;
    int alignment_ = 0;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    int borderStyle_ = 0;
    bool useMnemonic_ = true;
    bool fitting_ = false;
};

}  // namespace storyloom::forms
