#pragma once
// The window side of the caret (the calls themselves are in Windows.h):
// the paint pass draws it over what its window painted.

#include "platform/gfx/Graphics.h"
#include "platform/ui/Windows.h"

namespace ui {

// Inverts the caret's rectangle on Canvas (the window's own coordinates)
// when Wnd owns the caret and it is in the on phase of its blink.
void PaintCaret(HWND wnd, TCanvas& canvas);
// The caret's rectangle in Wnd's client coordinates while Wnd owns it and
// it shows (in the on phase of its blink); empty otherwise.
TRect ShownCaretRect(HWND wnd);
// No caret, the blink time back to its default (between test cases).
void ResetCaret();

}  // namespace ui
