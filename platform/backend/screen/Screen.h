#pragma once
// The backend for a person at a screen, over SDL2: each showing top-level
// window (form, popup, hint) is an SDL window showing the pixels our canvas
// painted; SDL's key, text, mouse, wheel, window and clipboard events become
// our input. Under Xvfb it gives real windows for screenshots.

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend/screen/SelectionX11.h"
#include "platform/ui/Backend.h"

struct SDL_Window;
union SDL_Event;

class TScreenBackend : public TBackend {
 public:
  // Raises EInvalidOperation when SDL cannot open the display.
  TScreenBackend();
  ~TScreenBackend() override;
  const char* Name() const override { return "screen"; }

  DWORD TickCount() override;
  bool WaitForInput(DWORD timeoutMs) override;

  void Beep(UINT type) override;
  // Message and error boxes are the program's own dialogs (the defaults).

  bool BeginModal(TCustomForm&) override { return true; }
  void EndModal(TCustomForm&) override {}
  void ModalStalled(TCustomForm&) override {}

  void WindowShown(TWinControl& window) override;
  void WindowHidden(TWinControl& window) override;
  void WindowBoundsChanged(TWinControl& window) override;
  void WindowCaptionChanged(TWinControl& window) override;
  void WindowPainted(TWinControl& window, const TImageCanvas& pixels) override;

  void SetCursorShape(int cursor) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  TRect WorkArea() override;
  AnsiString ClipboardText() override;
  void SetClipboardText(const AnsiString& text) override;
  ui::TSystemClipboard* SystemClipboard() override;
  ui::TDesktopDrag* DesktopDrag() override;
  // Hands the file to the desktop's opener and waits up to HandlerWaitMs
  // for it to fail: an opener that ends in failure is no handler, one still
  // running after that has taken the file.
  bool ShellOpen(const AnsiString& verb, const AnsiString& file, const AnsiString& parameters) override;
  bool StartProcess(const AnsiString& commandLine) override;
  int HandlerWaitMs = 3000;

  // Hands one SDL event to the ui (what WaitForInput does with each event).
  void HandleEvent(const SDL_Event& event);
  // The SDL window of a showing top-level window (nullptr otherwise).
  SDL_Window* WindowOf(TWinControl& window) const;
  // Reads the window's pixels back from SDL and writes them as PNG.
  void SaveScreenshot(TWinControl& window, const std::string& fileName);
  // Whether the window holds the display's keyboard focus.
  bool HoldsKeyboard(TWinControl& window) const;
  // The display's number of the window (0 when it has none), which the
  // display's tools take to place the pointer in it.
  unsigned long DisplayWindow(TWinControl& window) const;

 private:
  TWinControl* FindByWindowId(unsigned id) const;
  void ShowWindowOnScreen(TWinControl& window);
  // The showing form a dialog or modal form belongs above: its owner, else
  // the active form, the main form or the topmost form.
  TWinControl* OwnerWindowOf(TCustomForm& form) const;
  // While a drag runs: the pointer's moves and the left button's release,
  // as the display has them, handed to the drag.
  void FollowDragPointer();
  TPoint dragPointer_{0, 0};
  bool dragPointerKnown_ = false;
  // Names the clipboard's window as the one that takes the window's drops.
  void MarkDropWindow(TWinControl& window);
  // Gives the keyboard to the window of the active form when it lies
  // elsewhere in this program or nowhere.
  void Refocus();
  // Ctrl and Shift as the display has them, handed in where they differ.
  void SyncDragModifiers();
  // Gives the keyboard back to the window that last had it.
  void KeepKeyboard();
  // The last window other than a popup that gained the keyboard.
  TWinControl* keyboardWindow_ = nullptr;
  std::map<TWinControl*, SDL_Window*> windows_;
  unsigned startTicks_ = 0;
  int cursorShown_ = 0;
  // Characters come from SDL's text input, except while Ctrl or Alt is
  // down: then the key itself makes the character (accelerators).
  bool suppressText_ = false;
  // Another program's drag, told on the display's own thread and handled
  // on the program's.
  void HandleDesktopDrop(const TDesktopDropEvent& event);
  // Files of a drop in progress (SDL gives one event per file), and the
  // lines of a dropped text (one event per line).
  std::vector<std::string> dropped_;  // UTF-8, as the display gives them
  std::vector<std::string> droppedText_;
  std::mutex desktopDropsMutex_;
  std::deque<TDesktopDropEvent> desktopDrops_;
  // The names the running outside drag offers.
  std::vector<std::string> desktopTargets_;
  // The display's number of each window as last marked for drops.
  std::map<TWinControl*, unsigned long> dropWindows_;
  unsigned desktopDropEvent_ = 0;
  // The clipboard text as we last set or saw it (UTF-8).
  std::string lastClipboard_;
  unsigned dropWindow_ = 0;
  // The clipboard of many formats, on X; SDL's own text clipboard is left
  // alone then, so that the two never take it from each other.
  std::unique_ptr<TX11Desktop> selection_;
  // With no window manager nobody hands the keyboard on: not when the
  // window that had it goes, not when the user clicks another window.
  bool refocus_ = false;
  // Set while a move the display reported is applied: the window manager
  // moves and sizes in one step (a maximise), and the size it gave arrives
  // in an event of its own after the move.
  bool applyingDisplayMove_ = false;
};
