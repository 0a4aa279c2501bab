// On a real display under a real window manager: a dialog asks for its
// close button and nothing to minimise or maximise, is typed as a dialog,
// keeps its size and stays above its owner, so that minimising it takes the
// owner along; the main form keeps every button.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "XRequests.h"
#include "XvfbDisplay.h"
#include "platform/backend/screen/FrameHints.h"
#include "platform/backend/screen/Screen.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "tests/TestOutput.h"

namespace {

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The functions the window's Motif hints offer (every one when it has none).
unsigned long Functions(SDL_Window* window) {
  const std::vector<long> hints = WindowProperty(window, "_MOTIF_WM_HINTS");
  if (hints.size() < 3 || !(hints[0] & mwm::HintsFunctions)) return ~0ul;
  return static_cast<unsigned long>(hints[1]);
}

// What the window manager lets the user do with the window, once it has
// taken it.
std::vector<std::string> AllowedActions(SDL_Window* window) {
  std::vector<std::string> actions;
  RunUntil([&] {
    actions = WindowAtomNames(window, "_NET_WM_ALLOWED_ACTIONS");
    return !actions.empty();
  });
  return actions;
}

// A fixed dialog as the window manager and its owner see it.
void ExpectFixedDialog(TScreenBackend& screen, TCustomForm& dialog, TCustomForm& owner, const char* what) {
  SCOPED_TRACE(what);
  SDL_Window* window = screen.WindowOf(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Has(WindowAtomNames(window, "_NET_WM_WINDOW_TYPE"), "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_EQ(TransientFor(window), screen.DisplayWindow(owner));
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  ASSERT_TRUE(SizeLimits(window, minWidth, minHeight, maxWidth, maxHeight));
  EXPECT_EQ(minWidth, dialog.Width());
  EXPECT_EQ(maxWidth, dialog.Width());
  EXPECT_EQ(minHeight, dialog.Height());
  EXPECT_EQ(maxHeight, dialog.Height());
  EXPECT_EQ(Functions(window), mwm::FuncMove | mwm::FuncClose);
  // Openbox keeps minimising whatever the hints say (and takes the owner
  // along, below); the rest it follows.
  const std::vector<std::string> actions = AllowedActions(window);
  EXPECT_TRUE(Has(actions, "_NET_WM_ACTION_CLOSE"));
  EXPECT_TRUE(Has(actions, "_NET_WM_ACTION_MOVE"));
  for (const char* refused :
       {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
    EXPECT_FALSE(Has(actions, refused)) << refused;
}

// Whether the window manager shows the window (1) or keeps it minimised (3).
long ManagedState(SDL_Window* window) {
  const std::vector<long> state = WindowProperty(window, "WM_STATE");
  return state.empty() ? 0 : state[0];
}

TEST(ScreenBackend, DialogFramesAskForCloseAlone) {
  ASSERT_TRUE(OpenboxSession::Installed()) << "openbox is missing: install the Debian package openbox";
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  std::unique_ptr<TForm> main(NewForm<TForm>(nullptr));
  main->SetBounds(40, 40, 500, 400);
  main->Show();
  SDL_Window* mainWindow = screen->WindowOf(*main);
  ASSERT_NE(mainWindow, nullptr);
  OpenboxSession wm(display->Display(), TestOutputFolder() / "openbox-dialog-frames", 0);
  ASSERT_TRUE(wm.Started());
  ASSERT_TRUE(RunUntilFramed(mainWindow)) << "openbox did not take the main form";

  // The sizeable main form is left as the manager has it.
  EXPECT_EQ(Functions(mainWindow), ~0ul);
  const std::vector<std::string> mainActions = AllowedActions(mainWindow);
  for (const char* offered : {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                              "_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_CLOSE"})
    EXPECT_TRUE(Has(mainActions, offered)) << offered;

  // A modeless dialog of the main form.
  auto* dialog = NewForm<TForm>(main.get());
  dialog->BorderStyle = bsDialog;
  dialog->SetBounds(120, 120, 300, 200);
  dialog->Show();
  ExpectFixedDialog(*screen, *dialog, *main, "modeless dialog");
  // Sized by the program after it showed, it keeps its new size fixed.
  dialog->SetBounds(dialog->Left(), dialog->Top(), 340, 220);
  RunUntil([] {
    return false; }, 200);
  ExpectFixedDialog(*screen, *dialog, *main, "modeless dialog resized");
  // Minimised from its title bar, the dialog takes its owner along and
  // comes back with it: never a disabled owner showing without it.
  SDL_Window* dialogWindow = screen->WindowOf(*dialog);
  ASSERT_TRUE(RunUntil([&] {
    return ManagedState(dialogWindow) == 1 && ManagedState(mainWindow) == 1; }));
  SDL_MinimizeWindow(dialogWindow);
  EXPECT_TRUE(RunUntil([&] {
    return ManagedState(dialogWindow) == 3 && ManagedState(mainWindow) == 3; }))
      << "dialog " << ManagedState(dialogWindow) << ", main form " << ManagedState(mainWindow);
  // The display library restores only a window it has heard is minimised:
  // on a loaded machine its event comes after the manager's state.
  EXPECT_TRUE(RunUntil([&] {
    return (SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_MINIMIZED) != 0; }));
  SDL_RestoreWindow(mainWindow);
  EXPECT_TRUE(RunUntil([&] {
    return ManagedState(dialogWindow) == 1 && ManagedState(mainWindow) == 1; }))
      << "dialog " << ManagedState(dialogWindow) << ", main form " << ManagedState(mainWindow);
  dialog->Hide();

  // A message box, modal above the active form.
  main->SetFocus();
  bool checked = false;
  Application->OnIdle = [&](TObject*, bool& done) {
    TCustomForm* box = Screen->ActiveForm();
    if (!box || box == main.get() || !screen->WindowOf(*box)) return;
    Application->OnIdle = nullptr;
    ExpectFixedDialog(*screen, *box, *main, "message box");
    checked = true;
    box->SetModalResult(mrOk);
    done = false;
  };
  ShowMessage("Frames");
  Application->OnIdle = nullptr;
  EXPECT_TRUE(checked);

  // A modal sizeable form keeps resizing and maximising but asks for no
  // minimise, and stays with the form it came from.
  std::unique_ptr<TForm> sizeable(NewForm<TForm>(main.get()));
  sizeable->SetBounds(80, 80, 300, 200);
  checked = false;
  Application->OnIdle = [&](TObject*, bool& done) {
    SDL_Window* window = screen->WindowOf(*sizeable);
    if (!window) return;
    Application->OnIdle = nullptr;
    EXPECT_EQ(TransientFor(window), screen->DisplayWindow(*main));
    const std::vector<std::string> actions = AllowedActions(window);
    EXPECT_TRUE(Has(actions, "_NET_WM_ACTION_RESIZE"));
    EXPECT_TRUE(Has(actions, "_NET_WM_ACTION_CLOSE"));
    EXPECT_EQ(Functions(window) & mwm::FuncMinimize, 0u);
    EXPECT_NE(Functions(window) & mwm::FuncMaximize, 0u);
    checked = true;
    sizeable->SetModalResult(mrCancel);
    done = false;
  };
  sizeable->ShowModal();
  Application->OnIdle = nullptr;
  EXPECT_TRUE(checked);

  sizeable.reset();
  main.reset();
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

}  // namespace
