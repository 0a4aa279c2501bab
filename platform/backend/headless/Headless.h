#pragma once
// The backend of tests: windows live in memory, the clock moves only when
// the test advances it, message boxes and modal forms are answered from a
// script, and everything the program asks of the desktop (beeps, clipboard,
// links, programs, the error box) is recorded for the test to read.

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Backend.h"

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
  std::vector<ShownBox> ErrorBoxes;
  // Scripted answers not used up.
  int PendingAnswers() const { return static_cast<int>(script_.size()); }

  // ---- the desktop, recorded ----
  std::vector<UINT> Beeps;
  std::vector<ShellRequest> ShellRequests;
  std::vector<AnsiString> ProcessRequests;
  bool ShellAccepts = true;
  int Cursor = 0;
  int ScreenW = 1280;
  int ScreenH = 1024;

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
  };
  // The next scripted answer if its text part is found in Text; records an
  // unexpected dialog otherwise.
  bool TakeAnswer(const AnsiString& text, Answer& answer);
  std::deque<Answer> script_;

 private:
  DWORD now_ = 0;
  AnsiString clipboard_;
};

// Installs a fresh headless backend and resets the thread's queue; returns
// it for the test to drive.
THeadlessBackend& InstallHeadlessBackend();
