#pragma once
// The application object: the message loop of the UI thread, hints, and
// what belongs to the whole program (title, hint delays, help file, the
// handler of exceptions that escape an event).

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "platform/ui/Component.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"

class TCustomForm;
class THintWindow;

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;
// Asked before the help file is shown: Data is the command's context.
// Leaving CallHelp true lets the default help run; the result is the
// command's when the handler takes it over.
using THelpEvent = std::function<bool(Word Command, std::intptr_t Data, bool& CallHelp)>;

class TApplication : public TComponent, private TWindowTarget {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Makes sure a backend is installed: the one the program installed, or
  // the one the installed chooser picks (platform/backend's
  // InstallDefaultBackend). Raises EInvalidOperation when there is none.
  void Initialize();
  // Creates a form owned by the application; the first becomes MainForm.
  // Ref holds the form before its OnCreate runs, as the class library
  // assigns the variable first.
  template <typename F>
  void CreateForm(F*& Ref) {
    Ref = new F(this);
    AdoptForm(Ref);
  }
  // Shows the main form and runs the loop until Terminate, or until no
  // input can arrive any more (headless).
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every waiting message (including due timers and painting) and
  // returns; handlers call it to keep windows answering during long work.
  void ProcessMessages();
  // Handles one message; when none waits, runs the idle work and waits for
  // input. False when nothing was waiting and no input can ever arrive.
  bool HandleMessage();

  // Gives the exception being handled to OnException, or shows the default
  // error box (EAbort is silent).
  void HandleException(TObject* Sender);
  void ShowException(const std::exception& E);

  int MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags = MB_OK);

  TCustomForm* MainForm() const { return mainForm_; }
  AnsiString Title;
  AnsiString HelpFile;
  // Shows help from HelpFile (Shell.cpp): true when the desktop took it.
  bool HelpContext(int Context);
  bool HelpCommand(Word Command, std::intptr_t Data);
  // Milliseconds: before a hint shows, between hints of neighbouring
  // controls, and how long it stays.
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  bool ShowHint = true;
  TColor HintColor = clInfoBk;

  TExceptionEvent OnException;
  THelpEvent OnHelp;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TNotifyEvent OnHint;

  // The long part of the hint of the control under the mouse.
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint);
  // Hides the hint showing now and forgets its control, so the next mouse
  // move starts a new one.
  void CancelHint();
  // Shows the hint of the control under the mouse now (what the hint timer
  // does after HintPause).
  void ActivateHint(TPoint CursorPos);
  THintWindow* HintWindow() const { return hintWindow_; }
  TControl* HintControl() const { return hintControl_; }

  // For the forms: a form is going away.
  void FormGoing(TCustomForm* form);
  // Back to a fresh start for another test: not terminated, no main form.
  void ResetState();

 private:
  // OnException or the default error box; a report that itself fails goes
  // to the error stream rather than end the program.
  void ReportException(const std::exception& E);
  void AdoptForm(TCustomForm* form);
  bool ProcessMessage(TMsg& msg);
  bool IsKeyMsg(TMsg& msg);
  void HintMouseMessage(TControl* control, TMessage& m);
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void StartHintTimer(int delay);
  void StopHintTimer();
  void HideHint();

  HWND utilityWindow_ = nullptr;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  AnsiString hint_;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_;
  bool hintShowing_ = false;
  bool hintTimerRunning_ = false;
  DWORD lastHintHidden_ = 0;
};

extern TApplication* Application;
