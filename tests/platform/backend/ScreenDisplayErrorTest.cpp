// A request the display refuses does not end the program.
#include <gtest/gtest.h>

#include <memory>

#include "XRequests.h"
#include "XvfbDisplay.h"
#include "platform/backend/screen/Screen.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

TEST(ScreenBackend, ARequestForAWindowGoneDoesNotEndTheProgram) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  auto* form = NewForm<TForm>(nullptr);
  form->SetBounds(0, 0, 200, 100);
  form->Show();
  SendToMissingWindow(screen->WindowOf(*form));
  // Still here, and the display still serves the form.
  form->Hide();
  form->Show();
  SendToMissingWindow(screen->WindowOf(*form));
  EXPECT_TRUE(form->Visible());
  delete form;
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

// The display library's last requests are refused while it closes (a
// wake-up sent to a window just gone): the program goes on to its own end.
TEST(ScreenBackend, ARequestRefusedAfterTheScreenClosedDoesNotEndTheProgram) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->Show();
  form.reset();
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
  SendToMissingWindowOn(display->Display().c_str());
  SUCCEED() << "still running";
}

}  // namespace
