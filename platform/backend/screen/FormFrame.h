#pragma once
// The frame a form's border style and title-bar buttons ask of the window
// manager.

#include "platform/backend/screen/FrameHints.h"
#include "platform/ui/Forms.h"

TFrameHints FrameHintsFor(TFormBorderStyle style, TBorderIcons icons, bool modal);
// The same for a form as it stands.
TFrameHints FrameHintsFor(const TCustomForm& form);
