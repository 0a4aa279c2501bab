// What each border style and set of title-bar buttons asks of the window
// manager.
#include <gtest/gtest.h>

#include "platform/backend/screen/FormFrame.h"

namespace {

struct FrameCase {
  const char* name;
  TFormBorderStyle style;
  TBorderIcons icons;
  bool modal;
  // Expected.
  bool restricted, close, minimize, maximize, resize, dialog, fixed, transient;
};

const TBorderIcons kAll{biSystemMenu, biMinimize, biMaximize};

const FrameCase kCases[] = {
    {"sizeable form as the manager has it", bsSizeable, kAll, false, false, true, true, true, true, false,
     false, false},
    {"modal sizeable form cannot be minimised alone", bsSizeable, kAll, true, true, true, false, true, true,
     false, false, true},
    {"sizeable form without minimise",
     bsSizeable,
     {biSystemMenu, biMaximize},
     false,
     true,
     true,
     false,
     true,
     true,
     false,
     false,
     false},
    {"sizeable form without system menu has no buttons",
     bsSizeable,
     {biMinimize, biMaximize},
     false,
     true,
     false,
     false,
     false,
     true,
     false,
     false,
     false},
    {"single border follows its buttons", bsSingle, kAll, false, true, true, true, true, false, false, true,
     false},
    {"single border without maximise",
     bsSingle,
     {biSystemMenu, biMinimize},
     false,
     true,
     true,
     true,
     false,
     false,
     false,
     true,
     false},
    {"dialog has only close", bsDialog, kAll, false, true, true, false, false, false, true, true, true},
    {"modal dialog has only close", bsDialog, kAll, true, true, true, false, false, false, true, true, true},
    {"dialog asking for help still has only close",
     bsDialog,
     {biSystemMenu, biHelp},
     true,
     true,
     true,
     false,
     false,
     false,
     true,
     true,
     true},
    {"dialog without system menu has no close",
     bsDialog,
     {},
     true,
     true,
     false,
     false,
     false,
     false,
     true,
     true,
     true},
    {"tool window has only close", bsToolWindow, kAll, false, true, true, false, false, false, false, true,
     false},
    {"sizeable tool window has close and resizes", bsSizeToolWin, kAll, false, true, true, false, false, true,
     false, false, false},
    {"frameless window is left to the manager", bsNone, kAll, false, false, false, false, false, false, false,
     false, false},
    {"frameless modal window stays above its owner", bsNone, kAll, true, false, false, false, false, false,
     false, false, true},
};

TEST(FrameHints, FollowBorderStyleAndIcons) {
  for (const FrameCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const TFrameHints hints = FrameHintsFor(c.style, c.icons, c.modal);
    EXPECT_EQ(hints.Restricted, c.restricted);
    EXPECT_EQ(hints.Dialog, c.dialog);
    EXPECT_EQ(hints.FixedSize, c.fixed);
    EXPECT_EQ(hints.Transient, c.transient);
    if (!hints.Restricted) continue;
    // The function and the button come together: a manager that draws the
    // button from either finds the same.
    const auto both = [&](unsigned long function, unsigned long decoration) {
      const bool f = (hints.Functions & function) != 0, d = (hints.Decorations & decoration) != 0;
      EXPECT_EQ(f, d) << std::hex << hints.Functions << " " << hints.Decorations;
      return f;
    };
    EXPECT_EQ(both(mwm::FuncClose, mwm::DecorMenu), c.close);
    EXPECT_EQ(both(mwm::FuncMinimize, mwm::DecorMinimize), c.minimize);
    EXPECT_EQ(both(mwm::FuncMaximize, mwm::DecorMaximize), c.maximize);
    EXPECT_EQ(both(mwm::FuncResize, mwm::DecorResizeHandle), c.resize);
    EXPECT_TRUE(hints.Functions & mwm::FuncMove);
    EXPECT_TRUE(hints.Decorations & mwm::DecorTitle);
  }
}

}  // namespace
