// The main window on a real (virtual) screen, under a window manager and
// without one: it never becomes smaller than its commands need, and the
// window manager learns that least size from the window's size hints.
#include <cstdio>
#include <string>

#include "MainWindowFixture.h"
#include "platform/backend/screen/Screen.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"

namespace {

class MainWindowScreenTest : public MainWindowTest {
 protected:
  void TearDown() override {
    // The windows and the screen go before the display they are on.
    Stop();
    backend = &InstallHeadlessBackend();
    display_.reset();
    unsetenv("DIM_BACKEND");
    unsetenv("DISPLAY");
    MainWindowTest::TearDown();
  }
  TScreenBackend* OpenScreen() {
    if (!XvfbDisplay::Installed()) {
      ADD_FAILURE() << "Xvfb is not installed (Debian package xvfb)";
      return nullptr;
    }
    display_ = XvfbDisplay::OpenScreenBackend();
    auto* screen = HasBackend() ? dynamic_cast<TScreenBackend*>(&Backend()) : nullptr;
    if (!screen) ADD_FAILURE() << "no virtual display could be opened";
    return screen;
  }
  // The user drags the window to 500 × 350, as xdotool asks the display.
  void AskForASmallWindow(TScreenBackend& screen, TFrmAXP& w) {
    const std::string id = std::to_string(screen.DisplayWindow(w));
    ASSERT_TRUE(RunDisplayTool({"xdotool", "windowsize", id, "500", "350"}));
    RunUntil([] { return false; }, 600);
  }
  // Every command of the tool bar and every control beside the grid lies
  // within the window's client area.
  void ExpectEveryCommandInView(TFrmAXP& w) {
    for (int i = 0; i < w.ToolPanel->ControlCount(); ++i) {
      const TControl* c = w.ToolPanel->Controls(i);
      EXPECT_LE(w.ToolPanel->Left() + c->Left() + c->Width(), w.ClientWidth()) << c->Name();
    }
    for (const TControl* c :
         {static_cast<TControl*>(w.RadioGroupZephType), static_cast<TControl*>(w.ProInputBtn),
          static_cast<TControl*>(w.CheckOmalbtn)}) {
      EXPECT_LE(c->Left() + c->Width(), w.ClientWidth()) << c->Name();
      EXPECT_LE(c->Top() + c->Height(), w.ClientHeight()) << c->Name();
    }
    EXPECT_GT(w.StGrid->Height(), 4 * w.StGrid->DefaultRowHeight()) << "the grid's rows";
  }
  void SaveScreenshot(TScreenBackend& screen, TFrmAXP& w, const char* name) {
    const std::string path = (TestOutputFolder() / name).string();
    screen.SaveScreenshot(w, path);
    std::printf("picture for review: %s\n", path.c_str());
  }
  std::unique_ptr<XvfbDisplay> display_;
};

TEST_F(MainWindowScreenTest, TheWindowManagerKeepsTheLeastSizeFromTheSizeHints) {
  ASSERT_TRUE(OpenboxSession::Installed()) << "openbox is missing: install the Debian package openbox";
  ASSERT_TRUE(Installed("xprop", "x11-utils"));
  ASSERT_TRUE(Installed("xdotool", "xdotool"));
  TScreenBackend* screen = OpenScreen();
  ASSERT_NE(screen, nullptr);
  TFrmAXP& w = Start();
  SDL_Window* window = screen->WindowOf(w);
  ASSERT_NE(window, nullptr);
  OpenboxSession wm(display_->Display(), TestOutputFolder() / "openbox", 0);
  ASSERT_TRUE(wm.Started());
  ASSERT_TRUE(RunUntilFramed(window)) << "openbox did not take the window";
  const TPoint least = w.LeastSize();
  EXPECT_LE(least.X, w.Width());
  EXPECT_LE(least.Y, w.Height());
  const std::string hints =
      RunCommand("xprop -id " + std::to_string(screen->DisplayWindow(w)) + " WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("program specified minimum size: " + std::to_string(least.X) + " by " +
                       std::to_string(least.Y)),
            std::string::npos)
      << hints;
  AskForASmallWindow(*screen, w);
  EXPECT_EQ(w.Width(), least.X);
  EXPECT_EQ(w.Height(), least.Y);
  ExpectEveryCommandInView(w);
  SaveScreenshot(*screen, w, "tender_main_window_least_openbox.png");
}

TEST_F(MainWindowScreenTest, WithoutAWindowManagerTheWindowKeepsItsLeastSize) {
  ASSERT_TRUE(Installed("xdotool", "xdotool"));
  TScreenBackend* screen = OpenScreen();
  ASSERT_NE(screen, nullptr);
  TFrmAXP& w = Start();
  RunUntil([] { return false; }, 300);
  const TPoint least = w.LeastSize();
  AskForASmallWindow(*screen, w);
  EXPECT_EQ(w.Width(), least.X);
  EXPECT_EQ(w.Height(), least.Y);
  int width = 0, height = 0;
  SDL_GetWindowSize(screen->WindowOf(w), &width, &height);
  EXPECT_EQ(width, least.X);
  EXPECT_EQ(height, least.Y);
  ExpectEveryCommandInView(w);
  SaveScreenshot(*screen, w, "tender_main_window_least.png");
}

}  // namespace
