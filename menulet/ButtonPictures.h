#pragma once
// The five button pictures of the Menulet strip, 41 x 66 pixels each: rounded buttons in five
// colours carrying one to five dots like the faces of a die, so that they tell apart at a
// glance and say nothing a game has to agree with.
#include <QImage>

namespace menulet {

inline constexpr int kButtonCount = 5;
inline constexpr int kButtonWidth = 41;
inline constexpr int kButtonHeight = 66;

// The picture of button `number` (1 to 5), premultiplied ARGB32; drawn once.
const QImage& ButtonPicture(int number);

}  // namespace menulet
