#pragma once
// Where windows live: in memory for tests (headless) or on a screen. The
// controls talk to the backend only through this interface; the backend
// feeds input back through platform/ui/Input.h.

#include <memory>

#include "platform/gfx/Types.h"
#include "platform/rtl/System.h"
#include "platform/ui/Windows.h"

class TCustomForm;
class TWinControl;
class TImageCanvas;
namespace ui {
class TSystemClipboard;
class TDesktopDrag;
}  // namespace ui

class TBackend {
 public:
  virtual ~TBackend() = default;
  virtual const char* Name() const = 0;

  // Milliseconds since the backend started; the one clock of timers, double
  // clicks and hint delays.
  virtual DWORD TickCount() = 0;
  // Waits at most TimeoutMs for outside input and hands it to the ui. False
  // when no input can ever arrive (the headless backend), so that loops
  // waiting for the user end instead of hanging.
  virtual bool WaitForInput(DWORD timeoutMs) = 0;

  virtual void Beep(UINT type) = 0;
  // A message box; answers IDOK, IDYES... The default shows the program's
  // own message dialog (Dialogs.h); the headless backend answers from its
  // script instead.
  virtual int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);
  // The default error box for an exception no handler caught: by default a
  // message box with the error icon and OK.
  virtual void ShowErrorBox(const AnsiString& text, const AnsiString& caption);

  // A form is about to run modally. The headless backend takes the next
  // scripted answer here: it may set the form's ModalResult or drive the
  // form; false refuses an unexpected dialog (the run ends with mrCancel).
  virtual bool BeginModal(TCustomForm& form) = 0;
  virtual void EndModal(TCustomForm& form) = 0;
  // A modal form waits for input that can never come (headless).
  virtual void ModalStalled(TCustomForm& form) = 0;
  // A popup menu waits for its choice (the window of its items). The
  // headless backend drives it from its script; false when no input for it
  // can come, and the menu closes with no choice.
  virtual bool DriveMenu(TWinControl&) { return true; }

  // Top-level windows (forms, popups, hints) appear, move, change and go.
  // Painted gives the window's pixels after a paint pass.
  virtual void WindowShown(TWinControl& window) = 0;
  virtual void WindowHidden(TWinControl& window) = 0;
  virtual void WindowBoundsChanged(TWinControl& window) = 0;
  virtual void WindowCaptionChanged(TWinControl& window) = 0;
  virtual void WindowPainted(TWinControl& window, const TImageCanvas& pixels) = 0;

  virtual void SetCursorShape(int cursor) = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // The part of the screen a window manager leaves to windows (its panels
  // and docks outside it): the whole screen when none says otherwise.
  virtual TRect WorkArea() { return Rect(0, 0, ScreenWidth(), ScreenHeight()); }

  // Text on the system clipboard, in 1253.
  virtual AnsiString ClipboardText() = 0;
  virtual void SetClipboardText(const AnsiString& text) = 0;
  // The desktop's clipboard of many formats, where there is one (it then
  // carries the text too); null where the clipboard holds text alone.
  virtual ui::TSystemClipboard* SystemClipboard() { return nullptr; }
  // Where drags go on past the program's windows into other programs'
  // (null: they end at the program's edge).
  virtual ui::TDesktopDrag* DesktopDrag() { return nullptr; }
  // Hands a file or link to the desktop; starts a program. True when
  // accepted.
  virtual bool ShellOpen(const AnsiString& verb, const AnsiString& file, const AnsiString& parameters) = 0;
  virtual bool StartProcess(const AnsiString& commandLine) = 0;
};

// The backend in use. Raises EInvalidOperation when none was installed.
TBackend& Backend();
bool HasBackend();
// Installs B (owned); the previous one is freed.
void SetBackend(std::unique_ptr<TBackend> b);
// What Application->Initialize calls when no backend is installed yet.
void SetBackendChooser(void (*chooser)());
void RunBackendChooser();
