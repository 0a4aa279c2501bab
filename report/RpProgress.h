#pragma once
// The printing progress window: a line of text, a gauge and a cancel
// button, following its printer's progress messages.

#include <functional>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TRpPrinter;

class TRpProgressForm : public TForm {
 public:
  explicit TRpProgressForm(TComponent* owner);

  TLabel* Info;
  TButton* CancelButton;
  TProgressBar* Gauge;
  TRpPrinter* RpPrinter = nullptr;

  void Dispatch(TMessage& message) override;
};

// Runs Work with the progress window of a run or a print on Printer: with
// Show, the window (captioned Caption unless it is empty) is created, bound
// to the printer and shown, and with FollowPrinter the printer posts its
// progress to it. However Work ends, the window goes and the printer posts
// where it did before.
void RunWithProgress(TRpPrinter& printer, bool show, const AnsiString& caption, bool followPrinter,
                     const std::function<void()>& work);
