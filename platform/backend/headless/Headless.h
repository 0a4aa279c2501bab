#pragma once
// The backend of tests: windows live in memory, the clock moves only when
// the test advances it, message boxes and modal forms are answered from a
// script, and everything the program asks of the desktop (beeps, clipboard,
// links, programs, the error box) is recorded for the test to read.

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Controls.h"

class THeadlessBackend : public TBackend {
 public:
  // A message box as it was shown, with the answer it got.
  struct ShownBox {
    AnsiString Text;
    AnsiString Caption;
    UINT Flags = 0;
    int Answer = 0;
  };
  struct ShellRequest {
    AnsiString Verb;
    AnsiString File;
    AnsiString Parameters;
  };

  const char* Name() const override { return "headless"; }

  // ---- the clock ----
  DWORD TickCount() override { return now_; }
  // Moves the clock Ms forward, stopping at each timer's due tick to handle
  // the messages waiting then, so a 500 ms timer fires three times in 1500 ms.
  void Advance(DWORD ms);
  bool WaitForInput(DWORD) override { return false; }

  // ---- scripted answers ----
  // The next message box must contain TextPart in its text (empty: any) and
  // gets Answer (IDYES, IDOK...).
  void ExpectMessageBox(const AnsiString& textPart, int answer);
  // Dialogs that came with no scripted answer, or whose text did not match
  // the script; each names its text. Tests fail when this is not empty.
  std::vector<AnsiString> UnexpectedDialogs;
  std::vector<ShownBox> MessageBoxes;
  // Default error boxes of exceptions no handler caught; each takes a
  // scripted answer (ExpectMessageBox) like a message box.
  std::vector<ShownBox> ErrorBoxes;
  // The next modal form must have TextPart in its caption (empty: any) and
  // ends with Result at once, or is driven by Drive: the test types and
  // clicks in the shown form, and what Drive leaves in ModalResult ends it.
  void ExpectModal(const AnsiString& textPart, int result);
  void ExpectModal(const AnsiString& textPart, std::function<void(TCustomForm&)> drive);
  // The next popup menu that waits for its choice is driven by Drive (it
  // presses keys or clicks in the menu's window); an unscripted one is an
  // unexpected dialog and closes with no choice.
  void ExpectMenu(std::function<void(TWinControl&)> drive) { menuScript_.push_back(std::move(drive)); }
  // Scripted answers not used up.
  int PendingAnswers() const { return static_cast<int>(script_.size() + menuScript_.size()); }

  // ---- the desktop, recorded ----
  std::vector<UINT> Beeps;
  std::vector<ShellRequest> ShellRequests;
  std::vector<AnsiString> ProcessRequests;
  bool ShellAccepts = true;
  int Cursor = 0;
  int ScreenW = 1280;
  int ScreenH = 1024;

  // ---- windows ----
  std::vector<TWinControl*> Windows;  // showing top-level windows, in the order shown
  int PaintPasses = 0;
  // Paints what is pending and gives the window's pixels (nullptr when it
  // is not showing).
  const TImageCanvas* Render(TWinControl& window);
  // Writes the window's pixels as a PNG file.
  void SaveWindowPng(TWinControl& window, const std::string& fileName);

  // ---- input, handled at once (the messages are processed before return) ----
  // A key press with the modifiers held around it.
  void PressKey(Word vk, TShiftState shift = {}, bool extended = false);
  void KeyDown(Word vk, bool extended = false);
  void KeyUp(Word vk, bool extended = false);
  // Types 1253 text: each character with its key (Greek letters arrive as
  // text, as from an input method).
  void Type(const AnsiString& text);
  // Types UTF-16 text as an input method delivers it.
  void TypeWide(const WideString& text);
  // Mouse at a point of Control (its client coordinates).
  void MoveMouse(TControl& control, int x, int y);
  void Click(TControl& control, int x, int y, int button = 0);
  void DoubleClick(TControl& control, int x, int y);
  void PressMouse(TControl& control, int x, int y, int button = 0);
  void ReleaseMouse(TControl& control, int x, int y, int button = 0);
  // Notches of the wheel, positive away from the user.
  void Wheel(TControl& control, int notches, int x, int y);
  // Files dropped on Control at a point.
  void DropFiles(TControl& control, int x, int y, const std::vector<AnsiString>& files);
  // The user brings a form to the front (clicking its caption, Alt+Tab).
  void ActivateWindow(TCustomForm& form);
  // Resizes a top-level window as the user would (a form whose border
  // does not size keeps its size).
  void ResizeWindow(TWinControl& window, int width, int height);

  bool BeginModal(TCustomForm& form) override;
  void EndModal(TCustomForm&) override {}
  void ModalStalled(TCustomForm& form) override;
  bool DriveMenu(TWinControl& menuWindow) override;
  void WindowShown(TWinControl& window) override;
  void WindowHidden(TWinControl& window) override;
  void WindowBoundsChanged(TWinControl&) override {}
  void WindowCaptionChanged(TWinControl&) override {}
  void WindowPainted(TWinControl&, const TImageCanvas&) override { ++PaintPasses; }

  void Beep(UINT type) override { Beeps.push_back(type); }
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override;
  void ShowErrorBox(const AnsiString& text, const AnsiString& caption) override;
  void SetCursorShape(int cursor) override { Cursor = cursor; }
  int ScreenWidth() override { return ScreenW; }
  int ScreenHeight() override { return ScreenH; }
  AnsiString ClipboardText() override { return clipboard_; }
  void SetClipboardText(const AnsiString& text) override { clipboard_ = text; }
  bool ShellOpen(const AnsiString& verb, const AnsiString& file, const AnsiString& parameters) override;
  bool StartProcess(const AnsiString& commandLine) override;

 protected:
  struct Answer {
    AnsiString TextPart;
    int Result = 0;
    std::function<void(TCustomForm&)> Drive;
  };
  // The next scripted answer if its text part is found in Text; records an
  // unexpected dialog otherwise.
  bool TakeAnswer(const AnsiString& text, Answer& answer);
  std::deque<Answer> script_;
  std::deque<std::function<void(TWinControl&)>> menuScript_;

 private:
  DWORD now_ = 0;
  AnsiString clipboard_;
};

// Installs a fresh headless backend and resets the thread's queue and the
// application's loop state; returns it for the test to drive.
THeadlessBackend& InstallHeadlessBackend();
