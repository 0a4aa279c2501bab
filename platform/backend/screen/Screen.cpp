#include "platform/backend/screen/Screen.h"

#include <SDL2/SDL.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/backend/screen/FormFrame.h"
#include "platform/backend/screen/ScreenX11.h"
#include "platform/backend/screen/SelectionX11.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/SystemClipboard.h"
#include "platform/ui/WindowManager.h"

extern char** environ;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define DIM_LSAN 1
#endif
#endif

namespace {
// The display's libraries (Xlib, D-Bus, the input method) keep what they
// allocate while connecting for the life of the process; the leak checker
// of sanitizer builds is told to look away from those calls only.
class DisplayLibraryAllocations {
 public:
  DisplayLibraryAllocations() {
#ifdef DIM_LSAN
    __lsan_disable();
#endif
  }
  ~DisplayLibraryAllocations() {
#ifdef DIM_LSAN
    __lsan_enable();
#endif
  }
  DisplayLibraryAllocations(const DisplayLibraryAllocations&) = delete;
  DisplayLibraryAllocations& operator=(const DisplayLibraryAllocations&) = delete;
};
}  // namespace

namespace {

std::string Utf8(const AnsiString& s) { return cp1253::ToUtf8(s); }

// The virtual key of an SDL key, with the keypad told apart; Extended marks
// the twins of the navigation block and the keypad's Enter and "/".
Word VirtualKey(const SDL_Keysym& key, bool& extended) {
  extended = false;
  const SDL_Scancode sc = key.scancode;
  const bool numLock = (key.mod & KMOD_NUM) != 0;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return static_cast<Word>('A' + (sc - SDL_SCANCODE_A));
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return static_cast<Word>('1' + (sc - SDL_SCANCODE_1));
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
    return static_cast<Word>(VK_F1 + (sc - SDL_SCANCODE_F1));
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
    if (numLock) return static_cast<Word>(VK_NUMPAD1 + (sc - SDL_SCANCODE_KP_1));
    static constexpr Word kNav[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR,
                                    VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
    return kNav[sc - SDL_SCANCODE_KP_1];
  }
  switch (sc) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_KP_0:
      return numLock ? VK_NUMPAD0 : VK_INSERT;
    case SDL_SCANCODE_KP_PERIOD:
      return numLock ? VK_DECIMAL : VK_DELETE;
    case SDL_SCANCODE_KP_ENTER:
      extended = true;
      return VK_RETURN;
    case SDL_SCANCODE_KP_DIVIDE:
      extended = true;
      return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
      return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS:
      return VK_ADD;
    case SDL_SCANCODE_RETURN:
      return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return VK_BACK;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    case SDL_SCANCODE_MINUS:
      return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS:
      return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET:
      return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET:
      return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
      return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON:
      return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE:
      return VK_OEM_7;
    case SDL_SCANCODE_GRAVE:
      return VK_OEM_3;
    case SDL_SCANCODE_COMMA:
      return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD:
      return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
      return VK_OEM_2;
    case SDL_SCANCODE_CAPSLOCK:
      return VK_CAPITAL;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK:
      return VK_SCROLL;
    case SDL_SCANCODE_PAUSE:
      return VK_PAUSE;
    case SDL_SCANCODE_INSERT:
      return VK_INSERT;
    case SDL_SCANCODE_DELETE:
      return VK_DELETE;
    case SDL_SCANCODE_HOME:
      return VK_HOME;
    case SDL_SCANCODE_END:
      return VK_END;
    case SDL_SCANCODE_PAGEUP:
      return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN:
      return VK_NEXT;
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    case SDL_SCANCODE_LSHIFT:
      return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT:
      return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL:
      return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL:
      return VK_RCONTROL;
    case SDL_SCANCODE_LALT:
      return VK_LMENU;
    case SDL_SCANCODE_RALT:
      return VK_RMENU;
    case SDL_SCANCODE_APPLICATION:
      return VK_APPS;
    default:
      return 0;
  }
}

// The character a key makes by itself (the ones text input does not give).
char KeyCharacter(Word vk, bool ctrl) {
  switch (vk) {
    case VK_RETURN:
      return ui::input::ReturnCharacter(ctrl);
    case VK_TAB:
      return ctrl ? 0 : '\t';
    case VK_BACK:
      return '\b';
    case VK_ESCAPE:
      return '\x1b';
    default:
      if (ctrl && vk >= 'A' && vk <= 'Z') return static_cast<char>(vk - 'A' + 1);
      return 0;
  }
}

SDL_SystemCursor SystemCursorOf(int cursor) {
  switch (cursor) {
    case crIBeam:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case crHourGlass:
    case crSQLWait:
      return SDL_SYSTEM_CURSOR_WAIT;
    case crAppStart:
      return SDL_SYSTEM_CURSOR_WAITARROW;
    case crCross:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case crSizeNESW:
      return SDL_SYSTEM_CURSOR_SIZENESW;
    case crSizeNWSE:
      return SDL_SYSTEM_CURSOR_SIZENWSE;
    case crSizeNS:
    case crVSplit:
      return SDL_SYSTEM_CURSOR_SIZENS;
    case crSizeWE:
    case crHSplit:
      return SDL_SYSTEM_CURSOR_SIZEWE;
    case crSizeAll:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    case crNo:
    case crNoDrop:
      return SDL_SYSTEM_CURSOR_NO;
    case crHandPoint:
      return SDL_SYSTEM_CURSOR_HAND;
    default:
      return SDL_SYSTEM_CURSOR_ARROW;
  }
}

// Starts Argv without a shell: its process, or 0 when it cannot start.
pid_t StartChild(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return 0;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return 0;
  return pid;
}

// Reaped by a thread of its own when it ends, so that no zombie stays
// behind. Ignoring SIGCHLD instead would reach every child of the program
// and theirs: a wait for any other (the spreadsheet service, the office
// suite's conversion, the office suite's own launcher) would find no child
// and take its end for a success.
void ReapWhenEnded(pid_t pid) {
  std::thread([pid] {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// Runs Argv without a shell and does not wait for it.
bool Spawn(const std::vector<std::string>& argv) {
  const pid_t pid = StartChild(argv);
  if (pid == 0) return false;
  ReapWhenEnded(pid);
  return true;
}

// Runs a desktop handler and waits for its verdict, up to BoundMs: true
// when it ended well or still runs (it has taken the request), false when
// it did not start or ended in failure. The desktop's opener starts at once
// whether or not anything can show the file, and only its exit status says
// that nothing could (3 when no program is installed for it).
bool RunHandler(const std::vector<std::string>& argv, int boundMs) {
  const pid_t pid = StartChild(argv);
  if (pid == 0) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ended < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= end) {
      ReapWhenEnded(pid);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

TScreenBackend::TScreenBackend() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The windows are drawn in memory and copied to the screen whole, into
  // the window's own shared-memory image. Behind a GL texture the same
  // pixels would cost a software GL stack of some 90 MiB and half the
  // start-up where the display has no GL of its own, and the display
  // library would make each window anew on its first paint. The
  // environment may still ask for the texture.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  DisplayLibraryAllocations connecting;
  // The display library puts back at its end the handler it found at its
  // start; found as Xlib's own, that one ended the program when a request
  // of the library's last moments (a wake-up sent to a window just gone)
  // was refused while it closed.
  SurviveDisplayErrors();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    throw EInvalidOperation(AnsiString("The screen cannot be opened: ") + SDL_GetError());
  // After the video driver's start, which puts its own handler in place.
  if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::strcmp(driver, "x11") == 0)
    SurviveDisplayErrors();
  startTicks_ = SDL_GetTicks();
  SDL_StartTextInput();
  if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::string_view(driver) == "x11")
    selection_ = OpenX11Clipboard();
  if (selection_) {
    // Drags from other programs are told on the display connection's own
    // thread; an event of our own wakes the program's to handle them.
    desktopDropEvent_ = SDL_RegisterEvents(2);
    selection_->OnDropEvent([this](TDesktopDropEvent event) {
      {
        std::lock_guard lock(desktopDropsMutex_);
        desktopDrops_.push_back(std::move(event));
      }
      SDL_Event wake{};
      wake.type = desktopDropEvent_;
      SDL_PushEvent(&wake);
    });
    // So is another program's take of the clipboard.
    selection_->OnOwnerChange([this] {
      SDL_Event wake{};
      wake.type = desktopDropEvent_ + 1;
      SDL_PushEvent(&wake);
    });
  }
}

ui::TSystemClipboard* TScreenBackend::SystemClipboard() { return selection_.get(); }
ui::TDesktopDrag* TScreenBackend::DesktopDrag() { return selection_.get(); }

TScreenBackend::~TScreenBackend() {
  if (selection_) {
    selection_->OnDropEvent(nullptr);
    selection_->OnOwnerChange(nullptr);
  }
  selection_.reset();
  for (auto& [control, window] : windows_) SDL_DestroyWindow(window);
  windows_.clear();
  SDL_Quit();
}

DWORD TScreenBackend::TickCount() { return SDL_GetTicks() - startTicks_; }

bool TScreenBackend::WaitForInput(DWORD timeoutMs) {
  SDL_Event event;
  const int wait = timeoutMs > 0x7FFFFFFF ? -1 : static_cast<int>(timeoutMs);
  // Reading the display's events runs the input method's modules, which
  // keep what they allocate.
  auto next = [&](int waitMs) {
    DisplayLibraryAllocations reading;
    return waitMs != 0 ? SDL_WaitEventTimeout(&event, waitMs) : SDL_PollEvent(&event);
  };
  if (refocus_) Refocus();
  FollowDragPointer();
  if (next(wait) == 0) {
    FollowDragPointer();
    return true;  // the time passed: timers are due
  }
  HandleEvent(event);
  while (next(0)) HandleEvent(event);
  if (refocus_) Refocus();
  FollowDragPointer();
  return true;
}

void TScreenBackend::FollowDragPointer() {
  if (!ui::dragdrop::Dragging() || windows_.empty()) {
    dragPointerKnown_ = false;
    return;
  }
  int x = 0, y = 0;
  bool held = true;
  if (!QueryPointer(windows_.begin()->second, x, y, held)) return;
  const TPoint at = Point(x, y);
  if (!dragPointerKnown_ || at != dragPointer_) {
    dragPointerKnown_ = true;
    dragPointer_ = at;
    ui::dragdrop::MouseMove(ui::dragdrop::WindowAt(at), at);
  }
  if (!held) ui::dragdrop::ButtonUp();
}

void TScreenBackend::Refocus() {
  refocus_ = false;
  TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
  SDL_Window* target = active ? WindowOf(*active) : nullptr;
  if (target && SDL_GetKeyboardFocus() != target) SDL_SetWindowInputFocus(target);
}

TWinControl* TScreenBackend::FindByWindowId(unsigned id) const {
  for (const auto& [control, window] : windows_)
    if (SDL_GetWindowID(window) == id) return control;
  return nullptr;
}

SDL_Window* TScreenBackend::WindowOf(TWinControl& window) const {
  auto it = windows_.find(&window);
  return it == windows_.end() ? nullptr : it->second;
}

void TScreenBackend::SyncDragModifiers() {
  bool ctrl = false, shift = false;
  if (windows_.empty() || !QueryHeldModifiers(windows_.begin()->second, ctrl, shift)) return;
  for (auto [vk, down] : {std::pair<Word, bool>{VK_CONTROL, ctrl}, {VK_SHIFT, shift}}) {
    if ((GetAsyncKeyState(vk) < 0) == down) continue;
    if (down)
      ui::input::KeyDown(vk);
    else
      ui::input::KeyUp(vk);
  }
}

void TScreenBackend::KeepKeyboard() {
  if (!keyboardWindow_) return;
  auto it = windows_.find(keyboardWindow_);
  if (it != windows_.end()) GiveKeyboard(it->second);
}

bool TScreenBackend::HoldsKeyboard(TWinControl& window) const {
  SDL_Window* w = WindowOf(window);
  return w && ::HoldsKeyboard(w);
}

unsigned long TScreenBackend::DisplayWindow(TWinControl& window) const {
  SDL_Window* w = WindowOf(window);
  return w ? DisplayWindowId(w) : 0;
}

void TScreenBackend::HandleEvent(const SDL_Event& e) {
  // While a drag runs, Ctrl and Shift are what the display says is held:
  // the keyboard focus moving between windows makes SDL report keys
  // released that are still down.
  if (ui::dragdrop::Dragging()) {
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
      const SDL_Scancode sc = e.key.keysym.scancode;
      if (sc == SDL_SCANCODE_LCTRL || sc == SDL_SCANCODE_RCTRL || sc == SDL_SCANCODE_LSHIFT ||
          sc == SDL_SCANCODE_RSHIFT) {
        SyncDragModifiers();
        return;
      }
    } else if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONUP) {
      SyncDragModifiers();
    }
    // Past the program's windows the display library pins the pointer to
    // a window's edge, or reports nothing: the drag follows the pointer
    // as the display itself has it.
    if (e.type == SDL_MOUSEMOTION && selection_) {
      FollowDragPointer();
      return;
    }
  }
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      bool extended = false;
      const Word vk = VirtualKey(e.key.keysym, extended);
      if (vk == 0) return;
      const bool ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0, alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      if (e.type == SDL_KEYUP) {
        ui::input::KeyUp(vk, extended);
        return;
      }
      ui::input::KeyDown(vk, extended);
      suppressText_ = ctrl || alt;
      if (char ch = KeyCharacter(vk, ctrl)) {
        ui::input::Char(ch, vk);
      } else if (alt && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
        // With Alt no text arrives: the character is the key's in the
        // layout, so Alt with the key of "ν" on a Greek layout reaches the
        // accelerator of "&Ναι" as "ν".
        const bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
        const int layoutChar =
            e.key.keysym.sym >= 0x80 ? cp1253::FromUnicode(static_cast<char32_t>(e.key.keysym.sym)) : -1;
        if (layoutChar > 0)
          ui::input::Char(static_cast<char>(layoutChar), vk);
        else
          ui::input::Char(static_cast<char>(vk >= 'A' && !shift ? vk + 32 : vk), vk);
      }
      return;
    }
    case SDL_TEXTINPUT: {
      if (suppressText_ && (SDL_GetModState() & (KMOD_CTRL | KMOD_ALT)) != 0) return;
      // Characters the code page lacks go on as UTF-16.
      const std::string_view utf8(e.text.text);
      for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80         ? 1
                           : (lead >> 5) == 6  ? 2
                           : (lead >> 4) == 14 ? 3
                           : (lead >> 3) == 30 ? 4
                                               : 0;
        char32_t cp = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
        bool valid = length > 0 && i + static_cast<size_t>(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
          const auto next = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
          valid = (next & 0xC0) == 0x80;
          cp = cp << 6 | (next & 0x3F);
        }
        if (!valid) {
          ui::input::Char('?');
          ++i;
          continue;
        }
        i += static_cast<size_t>(length);
        if (cp >= 0x10000) {
          ui::input::WideChar(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
          ui::input::WideChar(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
          ui::input::WideChar(static_cast<char16_t>(cp));
        }
      }
      return;
    }
    case SDL_MOUSEMOTION:
      if (TWinControl* w = FindByWindowId(e.motion.windowID)) ui::input::MouseMove(w, e.motion.x, e.motion.y);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      TWinControl* w = FindByWindowId(e.button.windowID);
      if (!w) return;
      const int button = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1 : 2;
      if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
          e.button.button != SDL_BUTTON_MIDDLE)
        return;
      ui::input::MouseButton(w, button, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y);
      if (e.type == SDL_MOUSEBUTTONDOWN) refocus_ = true;
      return;
    }
    case SDL_MOUSEWHEEL: {
      TWinControl* w = FindByWindowId(e.wheel.windowID);
      if (!w) return;
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      int notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (notches != 0) ui::input::MouseWheel(w, notches * WHEEL_DELTA, x, y);
      return;
    }
    case SDL_WINDOWEVENT: {
      TWinControl* w = FindByWindowId(e.window.windowID);
      if (!w) return;
      const bool popup = dynamic_cast<TPopupWindow*>(w) != nullptr;
      // Without a window manager every window shown or raised takes the
      // keyboard; a popup (hint, drop marker, list) gives it straight back,
      // so that keys held (Ctrl during a drag) and typed stay with the
      // window that had them, and none is left without it when the popup
      // goes.
      if (popup &&
          (e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED))
        KeepKeyboard();
      if (!popup && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) keyboardWindow_ = w;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // A size the form refuses or bounds goes back to the window.
          ui::input::ResizeWindow(w, e.window.data1, e.window.data2);
          if (w->Width() != e.window.data1 || w->Height() != e.window.data2) WindowBoundsChanged(*w);
          break;
        case SDL_WINDOWEVENT_MOVED:
          applyingDisplayMove_ = true;
          w->SetBounds(e.window.data1, e.window.data2, w->Width(), w->Height());
          applyingDisplayMove_ = false;
          break;
        case SDL_WINDOWEVENT_CLOSE:
          PostMessage(w->Handle(), WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_LEAVE:
          ui::input::MouseLeave(w);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          ui::AddDirty(w, Rect(0, 0, w->Width(), w->Height()));
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          // A window manager may focus a window a modal form shuts off: the
          // keyboard goes back to the active form, as a click there would
          // not move it either.
          if (auto* form = dynamic_cast<TCustomForm*>(w); form && !form->Active()) {
            if (ui::InputAllowed(form))
              form->Show();
            else
              refocus_ = true;
          }
          break;
        default:
          break;
      }
      return;
    }
    case SDL_CLIPBOARDUPDATE: {
      // Our own change comes back too; only another program's counts.
      if (selection_) {
        if (!selection_->Owned()) ui::ClipboardChangedOutside();
        return;
      }
      char* text = SDL_GetClipboardText();
      const std::string now = text ? text : "";
      if (text) SDL_free(text);
      if (now != lastClipboard_) {
        lastClipboard_ = now;
        ui::ClipboardChangedOutside();
      }
      return;
    }
    case SDL_DROPBEGIN:
      dropped_.clear();
      droppedText_.clear();
      dropWindow_ = e.drop.windowID;
      return;
    case SDL_DROPTEXT:
      // A program that passed our drop window by came through the display
      // library, which gives text a line at a time.
      if (e.drop.file) {
        droppedText_.emplace_back(e.drop.file);
        SDL_free(e.drop.file);
      }
      dropWindow_ = e.drop.windowID;
      return;
    case SDL_DROPFILE:
      if (e.drop.file) {
        dropped_.emplace_back(e.drop.file);
        SDL_free(e.drop.file);
      }
      dropWindow_ = e.drop.windowID;
      return;
    case SDL_DROPCOMPLETE: {
      TWinControl* w = FindByWindowId(e.drop.windowID ? e.drop.windowID : dropWindow_);
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      std::vector<AnsiString> names;
      if (w && !dropped_.empty() && ui::input::HeldDroppedNames(dropped_, names))
        ui::input::DropFiles(w, x, y, names);
      if (w && !droppedText_.empty()) {
        std::string text;
        for (const std::string& line : droppedText_) text += (text.empty() ? "" : "\n") + line;
        ui::dragdrop::DeliverText(Point(w->Left() + x, w->Top() + y), ui::ClipboardTextFromSystem(text));
      }
      dropped_.clear();
      droppedText_.clear();
      return;
    }
    default:
      if (desktopDropEvent_ != 0 && e.type == desktopDropEvent_) {
        std::deque<TDesktopDropEvent> drops;
        {
          std::lock_guard lock(desktopDropsMutex_);
          drops.swap(desktopDrops_);
        }
        for (const TDesktopDropEvent& drop : drops) HandleDesktopDrop(drop);
      } else if (desktopDropEvent_ != 0 && e.type == desktopDropEvent_ + 1) {
        // Asked again here: the program may have taken it back meanwhile.
        if (selection_ && !selection_->Owned()) ui::ClipboardChangedOutside();
      }
      return;
  }
}

void TScreenBackend::HandleDesktopDrop(const TDesktopDropEvent& event) {
  const TPoint screen = Point(event.X, event.Y);
  // The drop's own keys: what the other program asks for decides between
  // a copy and a move, as Ctrl does in the program's own drags.
  const DWORD keys = event.Wanted == DROPEFFECT_MOVE ? 0 : MK_CONTROL_STATE;
  const DWORD ok = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  TWinControl* top = nullptr;
  for (const auto& [control, window] : windows_)
    if (DisplayWindowId(window) == event.Window) top = control;
  const bool files =
      std::find(desktopTargets_.begin(), desktopTargets_.end(), "text/uri-list") != desktopTargets_.end();
  // Files go to a window that takes them without a drop target as they
  // would from the file manager.
  auto takesFiles = [&] {
    return files && top && ui::input::AcceptsFiles(top, event.X - top->Left(), event.Y - top->Top());
  };
  switch (event.Kind) {
    case TDesktopDropEvent::Enter:
      desktopTargets_ = event.Targets;
      ui::dragdrop::OutsideEnter(
          event.Targets, [this](const std::string& target) { return selection_->ReadDropped(target); });
      return;
    case TDesktopDropEvent::Position: {
      DWORD effect = ui::dragdrop::OutsideOver(screen, ok, keys);
      if (effect == DROPEFFECT_NONE && takesFiles()) effect = DROPEFFECT_COPY;
      selection_->AnswerPosition(effect);
      return;
    }
    case TDesktopDropEvent::Leave:
      ui::dragdrop::OutsideLeave();
      desktopTargets_.clear();
      return;
    case TDesktopDropEvent::Drop: {
      const bool plainFiles = takesFiles();
      DWORD effect = DROPEFFECT_NONE;
      if (plainFiles) {
        ui::dragdrop::OutsideLeave();
        const ui::TClipboardRead list = selection_->ReadDropped("text/uri-list");
        std::vector<AnsiString> names;
        if (list.Ok && ui::input::HeldDroppedNames(ui::ReadUriList(list.Bytes), names) && !names.empty()) {
          ui::input::DropFiles(top, event.X - top->Left(), event.Y - top->Top(), names);
          effect = DROPEFFECT_COPY;
        }
      } else {
        effect = ui::dragdrop::OutsideDrop(screen, ok, keys);
      }
      selection_->FinishDrop(effect);
      desktopTargets_.clear();
      return;
    }
  }
}

void TScreenBackend::Beep(UINT) {
  // SDL has no system sound; the terminal bell is what is left.
  fputc('\a', stderr);
}

void TScreenBackend::WindowShown(TWinControl& window) {
  ShowWindowOnScreen(window);
  MarkDropWindow(window);
}

void TScreenBackend::MarkDropWindow(TWinControl& window) {
  SDL_Window* w = WindowOf(window);
  if (!w || !selection_) return;
  // Drops from other programs come to the program's own drop window. The
  // display library makes the window anew when it first gives it a
  // framebuffer, so the number is checked again after each paint.
  const unsigned long id = DisplayWindowId(w);
  unsigned long& marked = dropWindows_[&window];
  if (id == 0 || id == marked) return;
  marked = id;
  selection_->AcceptDrops(id);
}

void TScreenBackend::ShowWindowOnScreen(TWinControl& window) {
  if (windows_.count(&window)) return;
  const bool popup = dynamic_cast<TPopupWindow*>(&window) != nullptr;
  // Made hidden and shown once its frame hints are in place: a window
  // manager reads them when it first takes the window.
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (popup)
    flags |=
        SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
  auto* form = dynamic_cast<TCustomForm*>(&window);
  if (form && form->BorderStyle == bsSizeable) flags |= SDL_WINDOW_RESIZABLE;
  if (form && form->BorderStyle == bsNone) flags |= SDL_WINDOW_BORDERLESS;
  if (form && form->FormStyle == fsStayOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  // A window manager fits a maximised window, frame and all, to its work
  // area; without one the work area's bounds the form took stand.
  if (form && form->WindowState == wsMaximized && !form->Parent()) flags |= SDL_WINDOW_MAXIMIZED;
  DisplayLibraryAllocations creating;
  SDL_Window* w = SDL_CreateWindow(Utf8(window.Caption()).c_str(), window.Left(), window.Top(),
                                   std::max(window.Width(), 1), std::max(window.Height(), 1), flags);
  if (!w) throw EInvalidOperation(AnsiString("A window cannot be created: ") + SDL_GetError());
  windows_[&window] = w;
  if (form && !form->Parent()) {
    TWinControl* owner = OwnerWindowOf(*form);
    ApplyFrameHints(w, FrameHintsFor(*form), owner ? WindowOf(*owner) : nullptr);
  }
  SDL_ShowWindow(w);
  if (popup) KeepKeyboard();
}

TWinControl* TScreenBackend::OwnerWindowOf(TCustomForm& form) const {
  const auto usable = [&](TCustomForm* candidate) {
    return candidate && candidate != &form && !candidate->Parent() && windows_.count(candidate);
  };
  if (auto* owner = dynamic_cast<TCustomForm*>(form.Owner()); usable(owner)) return owner;
  if (Screen && usable(Screen->ActiveForm())) return Screen->ActiveForm();
  if (Application && usable(Application->MainForm())) return Application->MainForm();
  const auto& showing = ui::TopLevels();
  for (auto it = showing.rbegin(); it != showing.rend(); ++it)
    if (auto* other = dynamic_cast<TCustomForm*>(*it); usable(other)) return other;
  return nullptr;
}

void TScreenBackend::WindowHidden(TWinControl& window) {
  auto it = windows_.find(&window);
  if (it == windows_.end()) return;
  if (keyboardWindow_ == &window) keyboardWindow_ = nullptr;
  dropWindows_.erase(&window);
  // A popup going hands the keyboard back, never to no window at all.
  const bool popup = dynamic_cast<TPopupWindow*>(&window) != nullptr;
  if (!popup && SDL_GetKeyboardFocus() == it->second) refocus_ = true;
  SDL_DestroyWindow(it->second);
  windows_.erase(it);
  if (popup) KeepKeyboard();
}

void TScreenBackend::WindowBoundsChanged(TWinControl& window) {
  SDL_Window* w = WindowOf(window);
  if (!w) return;
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(w, &x, &y);
  SDL_GetWindowSize(w, &width, &height);
  if (x != window.Left() || y != window.Top()) SDL_SetWindowPosition(w, window.Left(), window.Top());
  if (applyingDisplayMove_) return;
  if (width != window.Width() || height != window.Height())
    SDL_SetWindowSize(w, std::max(window.Width(), 1), std::max(window.Height(), 1));
}

void TScreenBackend::WindowCaptionChanged(TWinControl& window) {
  if (SDL_Window* w = WindowOf(window)) SDL_SetWindowTitle(w, Utf8(window.Caption()).c_str());
}

void TScreenBackend::WindowPainted(TWinControl& window, const TImageCanvas& pixels) {
  SDL_Window* w = WindowOf(window);
  if (!w) return;
  TPixelBlock block = pixels.Snapshot();
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(block.Pixels.data(), block.Width, block.Height, 32,
                                                           block.Width * 4, SDL_PIXELFORMAT_ARGB8888);
  // The window's shared-memory image belongs to the display library.
  DisplayLibraryAllocations mapping;
  SDL_Surface* target = SDL_GetWindowSurface(w);
  if (source && target) {
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_UpdateWindowSurface(w);
  }
  if (source) SDL_FreeSurface(source);
  MarkDropWindow(window);
}

void TScreenBackend::SaveScreenshot(TWinControl& window, const std::string& fileName) {
  SDL_Window* w = WindowOf(window);
  SDL_Surface* shown = w ? SDL_GetWindowSurface(w) : nullptr;
  if (!shown) throw EInvalidOperation("The window is not on the screen");
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_ARGB8888, 0);
  if (!argb) throw EInvalidOperation(AnsiString("The window cannot be read: ") + SDL_GetError());
  TImageCanvas image(argb->w, argb->h);
  TPixelBlock block{argb->w, argb->h, {}};
  block.Pixels.resize(static_cast<size_t>(argb->w) * argb->h);
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(argb->pixels) + y * argb->pitch);
    std::copy(row, row + argb->w, block.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * argb->w);
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  image.DrawPixels(Rect(0, 0, block.Width, block.Height), block, false, clNone);
  image.SaveToPng(fileName);
}

namespace {

// The program's own cursor drawn by its resource: the key colour is
// transparent.
SDL_Cursor* ResourceCursor(int id) {
  const AnsiString name = std::to_string(id);
  if (!HasCursorResource(name)) return nullptr;
  TCursorImage image = LoadCursorResource(name);
  TPixelBlock block = image.Picture->Pixels();
  const std::uint32_t key = 0xFF000000u | ColorToPixel(clFuchsia);
  for (std::uint32_t& p : block.Pixels) p = (p | 0xFF000000u) == key ? 0u : (p | 0xFF000000u);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(block.Pixels.data(), block.Width, block.Height,
                                                            32, block.Width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return nullptr;
  SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image.HotSpot.X, image.HotSpot.Y);
  SDL_FreeSurface(surface);
  return cursor;
}

}  // namespace

void TScreenBackend::SetCursorShape(int cursor) {
  if (cursor == cursorShown_) return;
  cursorShown_ = cursor;
  // Made once each and kept for the life of the program, as the system's
  // cursors are.
  static std::map<int, SDL_Cursor*> made;
  SDL_Cursor*& c = made[cursor];
  if (!c) {
    DisplayLibraryAllocations loading;  // the cursor library's theme cache
    if (cursor > 0) c = ResourceCursor(cursor);
    if (!c) c = SDL_CreateSystemCursor(SystemCursorOf(cursor));
  }
  if (c) SDL_SetCursor(c);
}

int TScreenBackend::ScreenWidth() {
  SDL_DisplayMode mode;
  return SDL_GetCurrentDisplayMode(0, &mode) == 0 ? mode.w : 1024;
}

int TScreenBackend::ScreenHeight() {
  SDL_DisplayMode mode;
  return SDL_GetCurrentDisplayMode(0, &mode) == 0 ? mode.h : 768;
}

TRect TScreenBackend::WorkArea() {
  // The display library reads the window manager's _NET_WORKAREA, and
  // answers the whole screen when there is none.
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
    return Rect(0, 0, ScreenWidth(), ScreenHeight());
  return Bounds(usable.x, usable.y, usable.w, usable.h);
}

AnsiString TScreenBackend::ClipboardText() {
  // Through the clipboard object, which holds the text among its other
  // formats there.
  if (selection_) return Clipboard()->AsText();
  char* text = SDL_GetClipboardText();
  if (!text) return {};
  AnsiString result = ui::ClipboardTextFromSystem(text);
  SDL_free(text);
  return result;
}

void TScreenBackend::SetClipboardText(const AnsiString& text) {
  if (selection_) {
    Clipboard()->SetAsText(text);
    return;
  }
  lastClipboard_ = ui::ClipboardTextToSystem(text);
  SDL_SetClipboardText(lastClipboard_.c_str());
}

bool TScreenBackend::ShellOpen(const AnsiString&, const AnsiString& file, const AnsiString&) {
  return RunHandler({"xdg-open", Utf8(file)}, HandlerWaitMs);
}

bool TScreenBackend::StartProcess(const AnsiString& commandLine) {
  // Words split at blanks, double quotes keeping blanks inside; no shell.
  std::vector<std::string> argv;
  std::string word;
  bool quoted = false, any = false;
  for (char ch : Utf8(commandLine)) {
    if (ch == '"') {
      quoted = !quoted;
      any = true;
    } else if (ch == ' ' && !quoted) {
      if (any) argv.push_back(word);
      word.clear();
      any = false;
    } else {
      word += ch;
      any = true;
    }
  }
  if (any) argv.push_back(word);
  return Spawn(argv);
}
