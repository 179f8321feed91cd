#pragma once
// The push buttons of the game's own windows (save, load, run from disc): a raised label,
// centred caption, 96 x 26 pixels at a place given in pixels.
#include <QString>

#include "platform/forms/Color.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/Window.h"

namespace storyloom {

constexpr int kPushButtonWidth = 96;
constexpr int kPushButtonHeight = 26;

inline forms::Label* AddPushButton(forms::Window& w, const QString& name, const QString& caption,
                                   int left, int top) {
    auto* b = w.Add<forms::Label>(name);
    b->SetCaption(caption);
    b->SetBorderStyle(1);
    b->SetAlignment(2);
    b->SetBackColor(forms::Rgb(212, 208, 200));
    b->Move(left * 15.0, top * 15.0, kPushButtonWidth * 15.0, kPushButtonHeight * 15.0);
    b->SetVisible(true);
    return b;
}

}  // namespace storyloom
