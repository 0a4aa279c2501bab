#pragma once
// The print dialog that also hands back the chosen printer's device-mode
// values (paper, bin, quality, duplex, collation, colour).

#include "platform/ui/Dialogs.h"

class TRpPrintDialog : public TPrintDialog {
 public:
  explicit TRpPrintDialog(TComponent* owner) : TPrintDialog(owner) { ThirdOfScreen = true; }
  bool Execute() override;

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
