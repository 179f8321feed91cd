#pragma once
// Building blocks of the property tables, shared by the tables of every control kind.
#include "platform/forms/Properties.h"

namespace storyloom::forms {

// Name, Index, Left, Top, Tag, Refresh; with `visual` also size, visibility, pointers, Move,
// ZOrder, Drag and SetFocus.
void AddCommonProperties(PropertyTable& table, bool visual);
// FontName, FontSize, FontBold, FontItalic, FontUnderline, FontStrikethru.
void AddFontPropertiesTo(PropertyTable& table);

}  // namespace storyloom::forms
