#pragma once
// Choosing a line of a dialog's list the way a click on it does.

#include <gtest/gtest.h>

#include "platform/ui/StdCtrls.h"

// Chooses the line of Chooser that reads Text, as a click on it would.
inline void Choose(TComboBox& chooser, const AnsiString& text) {
  const int at = chooser.Items()->IndexOf(text);
  ASSERT_GE(at, 0) << text;
  chooser.SetItemIndex(at);
  if (chooser.OnClick) chooser.OnClick(&chooser);
}
