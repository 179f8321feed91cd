#pragma once
// The persistent drawing of windows and picture boxes: background colour, picture, font and the
// drawing methods scripts call on them.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

#include "platform/forms/Color.h"
#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

class QPainter;

namespace storyloom::forms {

// Persistent drawing shared by windows and picture boxes: background colour, picture, and the
// drawing methods (Cls, PaintPicture, Print, Line, copying and blending rectangles).
class DrawingSurface {
  public:
    virtual ~DrawingSurface() = default;
    OleColor BackColor() const { return backColor_; }
    OleColor ForeColor() const { return foreColor_; }
    const Picture& SurfacePicture() const { return picture_; }
    const FontSpec& DrawFont() const { return font_; }
    bool AutoRedraw() const { return autoRedraw_; }
    void SetAutoRedraw(bool on) { autoRedraw_ = on; }
    bool FontTransparent() const { return fontTransparent_; }
    void SetFontTransparent(bool on) { fontTransparent_ = on; }
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);  // 1 twips, 3 pixels
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double v) { currentX_ = v; }
    void SetCurrentY(double v) { currentY_ = v; }
    // Inner size in ScaleMode units.
    double ScaleWidth() const;
    double ScaleHeight() const;
    double ToScale(int pixels) const { return scaleMode_ == 3 ? pixels : pixels * 15.0; }
    int FromScale(double v) const;

    void Cls();
    // Draws `picture` at (x, y) in scale units; width/height < 0 keep the picture's size;
    // the source rectangle (sx, sy, sw, sh) in the picture's pixels, sw < 0 = whole picture.
    void PaintPicture(const Picture& picture, double x, double y, double width = -1,
                      double height = -1, double sx = 0, double sy = 0, double sw = -1,
                      double sh = -1);
    // Prints text at CurrentX/CurrentY with the surface's font and ForeColor; each line of a
    // CR LF separated text goes below the previous one, and CurrentY ends on the next line.
    void Print(const QString& text);
    // Basic's Line (x1,y1)-(x2,y2), color[, B[F]].
    void Line(double x1, double y1, double x2, double y2, OleColor color, bool box = false,
              bool fill = false);
    // Basic's PSet and Point: one pixel set, or read (-1 outside the surface).
    void PSet(double x, double y, OleColor color);
    std::int32_t Point(double x, double y) const;
    // Copies (and stretches) `source`'s rectangle onto the canvas, in pixels.
    void CopyRect(const QImage& source, const QRect& from, const QRect& to);
    // Blends `source` onto the canvas at `at` (pixels) with a constant opacity 0..255.
    void AlphaBlend(const QImage& source, const QRect& from, QPoint at, int opacity);
    // Basic's Image property: the persistent drawing (background, picture and drawings).
    Picture ImagePicture() const;
    // The canvas itself (RGB32, inner size), created on first use, for fast direct drawing.
    QImage& Canvas();
    bool HasCanvas() const { return !canvas_.isNull(); }
    const QImage& CanvasIfAny() const { return canvas_; }
    // Paints the drawing into `client` (the inner area, in the painter's coordinates): the
    // canvas if there is one, else the background colour and the picture.
    void PaintSurface(QPainter& painter, const QRect& client) const;

  protected:
    explicit DrawingSurface(OleColor back, OleColor fore) : backColor_(back), foreColor_(fore) {}
    void SetSurfaceBackColor(OleColor color);
    void SetSurfaceForeColor(OleColor color) { foreColor_ = color; }
    void SetSurfacePicture(const Picture& picture);
    void SetSurfaceFont(const FontSpec& font) { font_ = font; }
    void ResizeCanvas(QSize size);
    virtual QSize SurfaceSize() const = 0;
    virtual void SurfaceChanged() = 0;
    void ResetCanvas();

  private:
    OleColor backColor_;
    OleColor foreColor_;
    Picture picture_;
    FontSpec font_;
    bool autoRedraw_ = false;
    bool fontTransparent_ = true;
    int scaleMode_ = 1;
    double currentX_ = 0, currentY_ = 0;
    QImage canvas_;
};

}  // namespace storyloom::forms
