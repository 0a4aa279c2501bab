#pragma once
// The X clipboard of many formats (the CLIPBOARD selection), held from a
// connection and a window of its own: what the program copies stays there
// while the program runs, whichever of its windows close, and requests
// from other programs are answered at once, however busy the program's
// own windows are.

#include <memory>

#include "platform/ui/SystemClipboard.h"

// Null where no X display can be opened.
std::unique_ptr<ui::TSystemClipboard> OpenX11Clipboard();
