// A sizeable form maximised by the window manager (its title bar's button
// or a double click there) takes the size the window manager gave.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "XRequests.h"
#include "XvfbDisplay.h"
#include "platform/backend/screen/Screen.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "tests/TestOutput.h"

namespace {

TEST(ScreenBackend, AFormMaximisedByTheWindowManagerTakesItsSize) {
  ASSERT_TRUE(OpenboxSession::Installed()) << "openbox is missing: install the Debian package openbox";
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  // The form is on the screen before the window manager starts, which then
  // adopts it: a window mapped while the manager is still starting up may
  // wait for its map for as long as the manager takes.
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->SetBounds(60, 80, 400, 300);
  form->Show();
  SDL_Window* window = screen->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  OpenboxSession wm(display->Display(), TestOutputFolder() / "openbox-maximise", 40);
  ASSERT_TRUE(wm.Started());
  // Managed once the window manager put its frame round the window.
  ASSERT_TRUE(RunUntilFramed(window)) << "openbox did not take the window";
  // Settled where the window manager placed it before the request.
  RunUntil([] {
    return false; }, 300);
  AskWindowManagerToMaximise(window);
  // Moved and sized in one step: the move must not send the old size back
  // to the display.
  ASSERT_TRUE(RunUntil([&] {
    return form->Width() > 400 && form->Height() > 300; }))
      << "the form stayed " << form->Width() << "x" << form->Height();
  RunUntil([] {
    return false; }, 300);
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  EXPECT_EQ(form->Width(), width);
  EXPECT_EQ(form->Height(), height);
  EXPECT_GT(width, Screen->WorkAreaWidth() - 20);
  EXPECT_LE(height, Screen->WorkAreaHeight());
  form.reset();
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

// A form maximised on the screen keeps the window manager's fit: bounds its
// own layout gives it afterwards (the work area, as a maximised form takes
// without a window manager) never send the window, frame and all, below
// the work area, and the form keeps the window's size.
TEST(ScreenBackend, AMaximisedFormKeepsTheWindowManagersFit) {
  ASSERT_TRUE(OpenboxSession::Installed()) << "openbox is missing: install the Debian package openbox";
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->WindowState = wsMaximized;
  form->Show();
  SDL_Window* window = screen->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  OpenboxSession wm(display->Display(), TestOutputFolder() / "openbox-maximised-fit", 40);
  ASSERT_TRUE(wm.Started());
  int top = 0;
  ASSERT_TRUE(RunUntil([&] {
    return SDL_GetWindowBordersSize(window, &top, nullptr, nullptr, nullptr) == 0 && top > 0;
  })) << "openbox did not take the window";
  const auto fits = [&] {
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    const TRect area = Screen->WorkAreaRect();
    return area.Bottom < Screen->Height() && y + height <= area.Bottom && y - top >= area.Top &&
           form->Height() == height && form->Width() == width;
  };
  ASSERT_TRUE(RunUntil(fits)) << "openbox did not fit the maximised window to the work area";
  for (int round = 0; round < 3; ++round) {
    const TRect area = Screen->WorkAreaRect();
    form->SetBounds(area.Left, area.Top, area.Width(), area.Height());
    RunUntil([] { return false; }, 300);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_LE(y + height, area.Bottom) << "round " << round;
    EXPECT_EQ(form->Height(), height) << "round " << round;
    EXPECT_EQ(form->Width(), width) << "round " << round;
    EXPECT_EQ(form->Top(), y) << "round " << round;
  }
  form.reset();
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

}  // namespace
