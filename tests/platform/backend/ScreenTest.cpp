#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "XvfbDisplay.h"
#include "platform/backend/Backends.h"
#include "platform/backend/screen/Screen.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageLoop.h"
#include "tests/TestOutput.h"

namespace {

class TypingBox : public TCustomControl {
 public:
  explicit TypingBox(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CHAR) {
      const char ch = static_cast<char>(m.WParam);
      if (ch == '\b' && !Text().empty())
        SetText(Text().substr(0, Text().size() - 1));
      else if (static_cast<unsigned char>(ch) >= ' ')
        SetText(Text() + ch);
      return;
    }
    if (m.Msg == WM_KEYDOWN) keys.push_back(MsgCharCode(m));
    if (m.Msg == WM_SYSCHAR) altChars += static_cast<char>(m.WParam);
    TCustomControl::Dispatch(m);
  }
  std::vector<Word> keys;
  AnsiString altChars;

 protected:
  void Paint() override {
    Canvas().Brush->Color = Color();
    Canvas().FillRect(ClientRect());
    Canvas().Font->Assign(Font());
    Canvas().TextOut(3, 3, Text());
  }
};

class Swatch : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas().Brush->Color = clRed;
    Canvas().FillRect(ClientRect());
  }
};

// Runs the loop until SDL's queue is empty and our messages are handled.
void Drain() {
  for (int round = 0; round < 100; ++round) {
    if (SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0 &&
        !ui::HasPendingMessages())
      return;
    Backend().WaitForInput(0);
    Application->ProcessMessages();
  }
}

void PushText(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
  SDL_PushEvent(&e);
}

// Sym: the key's character in the layout (0: the display's own layout).
void PushKey(SDL_Scancode sc, bool down, Uint16 mod = 0, SDL_Keycode sym = 0) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.scancode = sc;
  e.key.keysym.sym = sym != 0 ? sym : SDL_GetKeyFromScancode(sc);
  e.key.keysym.mod = mod;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&e);
}

void PushClick(Uint32 windowId, int x, int y) {
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.windowID = windowId;
  move.motion.x = x;
  move.motion.y = y;
  SDL_PushEvent(&move);
  for (bool down : {true, false}) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  }
}

TEST(ScreenBackend, DemoFormOnARealDisplayTypedIntoAndCaptured) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();

  auto* form = NewForm<TForm>(nullptr);
  form->SetCaption("Δοκιμή οθόνης"_a);
  form->SetBounds(0, 0, 320, 200);
  auto* box = new TypingBox(form);
  box->SetBounds(10, 10, 200, 24);
  box->SetParent(form);
  auto* swatch = new Swatch(form);
  swatch->SetBounds(250, 10, 40, 40);
  swatch->SetParent(form);
  int clicks = 0;
  swatch->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  Drain();
  SDL_Window* window = screen->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(std::string(SDL_GetWindowTitle(window)), "Δοκιμή οθόνης");

  PushText("Ab");
  PushText("Δή");
  PushKey(SDL_SCANCODE_BACKSPACE, true);
  PushKey(SDL_SCANCODE_BACKSPACE, false);
  PushKey(SDL_SCANCODE_KP_PERIOD, true, KMOD_NUM);
  PushKey(SDL_SCANCODE_KP_PERIOD, false, KMOD_NUM);
  // Alt with the key of "ν" on a Greek layout: the accelerator character is
  // the Greek letter, not the Latin one of the key's position.
  PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
  PushKey(SDL_SCANCODE_N, true, KMOD_LALT, 0x03BD);
  PushKey(SDL_SCANCODE_N, false, KMOD_LALT, 0x03BD);
  PushKey(SDL_SCANCODE_LALT, false);
  // Over the swatch the program's own cursor, drawn by its resource.
  RegisterCursorResource("8012", 16, 16, Point(1, 1), [](TBitmap& b) {
    b.Canvas()->Brush->Color = clBlack;
    b.Canvas()->FillRect(Rect(0, 0, 8, 8));
  });
  swatch->SetCursor(8012);
  PushClick(SDL_GetWindowID(window), 260, 20);
  Drain();
  EXPECT_EQ(box->Text(), "Ab" + "Δ"_a);
  EXPECT_NE(std::find(box->keys.begin(), box->keys.end(), VK_DECIMAL), box->keys.end());
  EXPECT_EQ(box->altChars, "ν"_a);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Screen->ShownCursor(), 8012);
  EXPECT_NE(SDL_GetCursor(), SDL_GetDefaultCursor());

  const std::string file = TestOutput("platform_backend_screen_demo.png");
  screen->SaveScreenshot(*form, file);
  std::ifstream in(file, std::ios::binary);
  char signature[8] = {};
  in.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  // What the window shows is what we painted: the red swatch.
  SDL_Surface* shown = SDL_ConvertSurfaceFormat(SDL_GetWindowSurface(window), SDL_PIXELFORMAT_ARGB8888, 0);
  ASSERT_NE(shown, nullptr);
  const auto* pixels = static_cast<const Uint32*>(shown->pixels);
  EXPECT_EQ(pixels[20 * (shown->pitch / 4) + 260] & 0xFFFFFF, 0xFF0000u);
  SDL_FreeSurface(shown);

  // The clipboard goes through the display, lines as they are outside.
  Backend().SetClipboardText("α\r\nβ"_a);
  EXPECT_EQ(Backend().ClipboardText(), "α\r\nβ"_a);

  delete form;
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

// Without a window manager every window shown takes the keyboard; a popup
// (a hint, a drop marker) must leave it with the form, or keys held (Ctrl
// during a drag) are reported released.
TEST(ScreenBackend, APopupLeavesTheKeyboardWithTheForm) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  auto* form = NewForm<TForm>(nullptr);
  form->SetBounds(0, 0, 320, 200);
  form->Show();
  // Focus changes arrive from the display a little later.
  auto settle = [] {
    for (int i = 0; i < 40; ++i) {
      Backend().WaitForInput(10);
      Application->ProcessMessages();
    }
  };
  settle();
  ASSERT_TRUE(screen->HoldsKeyboard(*form));
  auto* hint = new THintWindow(form);
  hint->ActivateHint(Rect(40, 40, 140, 60), "hint");
  settle();
  ASSERT_NE(screen->WindowOf(*hint), nullptr);
  EXPECT_TRUE(screen->HoldsKeyboard(*form));
  EXPECT_FALSE(screen->HoldsKeyboard(*hint));
  // Gone, the popup leaves the keyboard where it was, not with no window.
  hint->ReleaseHandle();
  settle();
  EXPECT_TRUE(screen->HoldsKeyboard(*form));
  delete form;
  SetBackend(nullptr);
}

// Runs the loop until SDL says the window has the keyboard (at most 3 s).
bool WaitForKeyboard(SDL_Window* window) {
  for (int round = 0; round < 150; ++round) {
    Backend().WaitForInput(20);
    Application->ProcessMessages();
    if (SDL_GetKeyboardFocus() != window) continue;
    // What the display said with the change is handled before the test
    // goes on, as it would be long before a user's next click.
    Drain();
    return true;
  }
  return false;
}

TEST(ScreenBackend, TheKeyboardFollowsTheActiveFormWithoutAWindowManager) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();

  auto* main = NewForm<TForm>(nullptr);
  main->SetBounds(0, 0, 320, 200);
  auto* dialog = NewForm<TForm>(nullptr);
  dialog->SetBounds(100, 100, 200, 100);
  main->Show();
  ASSERT_TRUE(WaitForKeyboard(screen->WindowOf(*main)));
  dialog->Show();
  ASSERT_TRUE(WaitForKeyboard(screen->WindowOf(*dialog)));
  // The dialog goes: the keyboard comes back to the form under it, so Esc
  // and the rest still reach the program.
  dialog->Hide();
  EXPECT_TRUE(WaitForKeyboard(screen->WindowOf(*main)));
  // A click on another window of the program gives it the keyboard.
  dialog->Show();
  ASSERT_TRUE(WaitForKeyboard(screen->WindowOf(*dialog)));
  PushClick(SDL_GetWindowID(screen->WindowOf(*main)), 10, 10);
  EXPECT_TRUE(WaitForKeyboard(screen->WindowOf(*main)));
  EXPECT_EQ(Screen->ActiveForm(), main);

  delete dialog;
  delete main;
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

TEST(ScreenBackend, WithoutADisplayTheHeadlessBackendIsChosen) {
  const char* saved = std::getenv("DISPLAY");
  std::string keep = saved ? saved : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("DIM_BACKEND");
  SetBackend(nullptr);
  InstallDefaultBackend();
  EXPECT_STREQ(Backend().Name(), "headless");
  SetBackend(nullptr);
  setenv("DIM_BACKEND", "headless", 1);
  setenv("DISPLAY", ":12345", 1);
  InstallDefaultBackend();
  EXPECT_STREQ(Backend().Name(), "headless");
  unsetenv("DIM_BACKEND");
  if (!keep.empty())
    setenv("DISPLAY", keep.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

}  // namespace
