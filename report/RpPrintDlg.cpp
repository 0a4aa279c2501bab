#include "report/RpPrintDlg.h"

#include "platform/print/Printers.h"

bool TRpPrintDialog::Execute() {
  if (!TPrintDialog::Execute()) return false;
  TPrinter* printer = Printer();
  // One copy asked leaves the count the printer keeps for itself.
  if (Copies == 1) Copies = printer->Copies();
  const TDeviceMode& m = printer->DeviceMode();
  OutputBin = m.dmDefaultSource;
  PaperSize = m.dmPaperSize;
  Paperwidth = m.dmPaperWidth;
  Paperlength = m.dmPaperLength;
  Orientation = m.dmOrientation;
  PrintQuality = m.dmPrintQuality;
  ColorOption = m.dmColor;
  DuplexCode = m.dmDuplex;
  Duplex = m.dmDuplex != DMDUP_SIMPLEX;
  Collate = m.dmCollate != 0;
  Fields = m.dmFields;
  return true;
}
