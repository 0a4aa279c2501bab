#pragma once
// What the grid's and the panel's option objects share: bitmaps they own
// (setting one copies it) and where settings are kept across runs.

#include "platform/gfx/Bitmap.h"

// Copies Source's pixels and transparency into Target.
void AssignBitmap(TBitmap& Target, const TBitmap& Source);

// The current user's registry or an INI file.
enum TColumnSizeLocation { clRegistry, clIniFile };
