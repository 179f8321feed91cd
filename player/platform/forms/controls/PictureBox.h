#pragma once
// A picture box: a bordered drawing surface that holds other controls.
#include "platform/forms/Control.h"
#include "platform/forms/DrawingSurface.h"

namespace storyloom::forms {

class PictureBox : public Control, public DrawingSurface {
  public:
    explicit PictureBox(QString name = QStringLiteral("Picture1"));
    bool IsContainer() const override { return true; }
    int EventScaleMode() const override { return ScaleMode(); }
    QSize ClientPixelSize() const override;
    int BorderPixels() const override;
    // The border, the drawing, then the controls inside.
    void Paint(QPainter& painter) const override;

    const Picture& GetPicture() const { return SurfacePicture(); }
    void SetPicture(const Picture& picture);
    void SetBackColor(OleColor color) { SetSurfaceBackColor(color); }
    void SetForeColor(OleColor color) { SetSurfaceForeColor(color); }
    const FontSpec& Font() const { return DrawFont(); }
    void SetFont(const FontSpec& font) { SetSurfaceFont(font); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    int BorderStyle() const { return borderStyle_; }  // 0 none, 1 fixed single
    void SetBorderStyle(int style);
    int Appearance() const { return appearance_; }  // 0 flat, 1 3D
    void SetAppearance(int appearance);

  protected:
    PictureBox(const PictureBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    void Resized() override;
    QSize SurfaceSize() const override { return ClientPixelSize(); }
    void SurfaceChanged() override { Changed(); }

  private:
    void FitToPicture();
    bool autoSize_ = false;
    int borderStyle_ = 1;
    int appearance_ = 1;
};

}  // namespace storyloom::forms
