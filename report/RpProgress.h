#pragma once
// The printing progress window: a line of text, a gauge and a cancel
// button, following its printer's progress messages.

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
