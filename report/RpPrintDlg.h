#pragma once
// The print dialog that also hands back the chosen printer's device-mode
// values (paper, bin, quality, duplex, collation, colour), on a dialog base
// of the report engine's own that runs the system dialog task-modally and
// answers its help requests.

#include <functional>

#include "platform/ui/Dialogs.h"
#include "platform/ui/MessageLoop.h"

class TPrinter;

// The messages the system's common dialogs send, registered when the
// report engine starts: a caller registering the same names gets the same
// numbers.
UINT RpHelpMessage();
UINT RpFindReplaceMessage();

class TRpCommonDialog : public TComponent, private TWindowTarget {
 public:
  explicit TRpCommonDialog(TComponent* owner);
  ~TRpCommonDialog() override;
  virtual bool Execute() = 0;

  // The window the system dialog sends its requests to; what this dialog
  // does not answer goes on to DefWndProc.
  HWND Handle() const { return handle_; }
  bool Ctl3D = true;
  int HelpContext = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  virtual void WndProc(TMessage& message);
  // What a message no handler took is answered with: nothing.
  virtual void DefWndProc(TMessage& message) { message.Result = 0; }
  void DoShow();
  void DoClose();
  // Runs Dialog with every other window of the program closed to input,
  // and afterwards gives the window that was active before the keyboard
  // back, however the dialog ended.
  bool TaskModalDialog(const std::function<bool()>& dialog);

 private:
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  HWND handle_ = nullptr;
};

// A print dialog works on the application's printer.
class TRpBasePrintDialog : public TRpCommonDialog {
 public:
  explicit TRpBasePrintDialog(TComponent* owner) : TRpCommonDialog(owner) {}
  TPrinter* Printer() const;
};

// The system dialog's choices (Collate, FromPage, ToPage, MinPage, MaxPage,
// Options, PrintRange, PrintToFile), and the device-mode values after it.
class TRpPrintDialog : public TRpBasePrintDialog, public TPrintDialogChoices {
 public:
  explicit TRpPrintDialog(TComponent* owner) : TRpBasePrintDialog(owner) {}
  bool Execute() override;

  // Setting the copies sets the printer's number of copies as well.
  int Copies() const { return TPrintDialogChoices::Copies; }
  void SetCopies(int copies);
  int PrintQuality = 0;
  int ColorOption = 0;
  int OutputBin = 0;
  int PaperSize = 0;
  Extended Paperwidth = 0, Paperlength = 0;
  bool Duplex = false;
  int DuplexCode = 0;
  int Orientation = 1;
  // Which of the values the printer honours.
  std::uint32_t Fields = 0;
};
