#pragma once
// The one look of the program's captioned panels (the main window's
// guarantee panel, the budget window's discount search): a flat blue shaded
// bar without buttons, its white bold text in the middle of the bar, the
// mouse's hover shown, a shadow, moved and sized by the user, and no place
// kept between runs.

#include "grid/ExtPanel.h"

void StyleApplicationPanel(TExtPanel& panel, const AnsiString& text, TShadeType shade, int captionHeight,
                           Byte shadeGrain);
