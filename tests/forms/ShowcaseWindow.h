#pragma once
// A 320x240 window with every control kind, for screenshots.
#include "FormsTestSupport.h"
#include "platform/forms/controls/Frame.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/Window.h"

namespace storyloom::forms::test {

// Returns the picture-box background it used.
inline QImage BuildShowcase(Window& window) {
    window.SetPixelRect(QRect(0, 0, 320, 240));
    window.SetBackColor(Rgb(0, 0, 128));
    QImage gradient(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 159, y * 255 / 119, 128));
    auto* box = window.Add<PictureBox>("PictureBox");
    box->Move(150, 150, 170 * 15, 130 * 15);
    box->SetPicture(Picture::FromImage(gradient));
    auto* area = box->Add<Image>("Area");
    area->Move(20 * 15, 20 * 15, 40 * 15, 30 * 15);
    area->SetStretch(true);
    area->SetPicture(DecodeIconForTests());
    area->SetToolTipText("A stretched icon");
    auto* label = box->Add<Label>("Text");
    label->SetBackStyle(0);
    label->SetForeColor(Rgb(255, 255, 0));
    label->SetFont(FontSpec{"Arial", 12, true, true, true, false});
    label->SetAutoSize(true);
    label->Move(70 * 15, 10 * 15);
    label->SetCaption("Transparent label\r\nsecond line");
    auto* frame = window.Add<Frame>("fmeDialogue");
    frame->SetPixelRect(QRect(190, 10, 120, 100));
    frame->SetCaption("Frame caption");
    auto* opaque = frame->Add<Label>("lblDialogue");
    opaque->SetPixelRect(QRect(8, 24, 104, 40));
    opaque->SetBorderStyle(1);
    opaque->SetWordWrap(true);
    opaque->SetAlignment(2);
    opaque->SetBackColor(Rgb(255, 255, 255));
    opaque->SetFont(FontSpec{"MS Sans Serif", 8.25, false, false, false, true});
    opaque->SetCaption("Centred, struck out, wrapped text");
    auto* comic = window.Add<Label>("comic");
    comic->SetPixelRect(QRect(190, 150, 125, 60));
    comic->SetBackColor(Rgb(255, 255, 192));
    comic->SetForeColor(Rgb(128, 0, 0));
    comic->SetFont(FontSpec{"Comic Sans MS", 14, false, false, false, false});
    comic->SetWordWrap(true);
    comic->SetCaption("Comic Sans MS label, Tahoma and Verdana below");
    auto* drawn = window.Add<PictureBox>("picWhere");
    drawn->SetPixelRect(QRect(190, 210, 125, 26));
    drawn->SetBackColor(Rgb(255, 255, 255));
    drawn->SetFont(FontSpec{"Verdana", 8, false, false, false, false});
    drawn->Print("Verdana 8 printed");
    drawn->SetFont(FontSpec{"Tahoma", 8, false, false, false, false});
    drawn->SetForeColor(Rgb(0, 128, 0));
    drawn->Print("Tahoma 8 printed");
    return gradient;
}

}  // namespace storyloom::forms::test
