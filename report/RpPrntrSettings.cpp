#include "report/RpPrntrSettings.h"

#include <array>

TRpPaperSize RpPaperOfCode(int code) {
  // Made once, a slot for every code up to the user's: every run reads
  // each of its printer's papers by code. The first size of a code is the
  // one it stands for; a code of none is the default paper.
  struct ByCode {
    std::array<TRpPaperSize, DMPAPER_USER + 1> sizes{};
    std::array<bool, DMPAPER_USER + 1> taken{};
  };
  static const ByCode byCode = [] {
    ByCode made;
    made.sizes.fill(TRpPaperSize::Default);
    for (int i = 0; i < kRpPaperCount; ++i) {
      const int c = RpPaperInfo(static_cast<TRpPaperSize>(i)).Code;
      if (c < 0 || c > DMPAPER_USER || made.taken[static_cast<size_t>(c)]) continue;
      made.taken[static_cast<size_t>(c)] = true;
      made.sizes[static_cast<size_t>(c)] = static_cast<TRpPaperSize>(i);
    }
    return made;
  }();
  return code >= 0 && code <= DMPAPER_USER ? byCode.sizes[static_cast<size_t>(code)] : TRpPaperSize::Default;
}

TPrinterSettings::TPrinterSettings() { SupportedPapers[kRpPaperCount - 1] = true; }

void TPrinterSettings::SetPrinter(TPrinter* printer) {
  printer_ = printer;
  if (printer_ != nullptr && printer_->Printers()->Count() > 0) ReadDevice();
}

bool TPrinterSettings::Supports(std::uint32_t field) const {
  return printer_ != nullptr && printer_->PrinterIndex() >= 0 &&
         (printer_->DeviceMode().dmFields & field) == field;
}

void TPrinterSettings::ReadDevice() {
  if (printer_ == nullptr) return;
  device_ = printer_->DeviceName();
  driver_ = printer_->DriverName().substr(0, 63);
  port_ = printer_->PortName();
  if (printer_->PrinterIndex() < 0 || printer_->PrinterIndex() == printerIndex_) return;
  TDeviceMode& mode = printer_->DeviceMode();
  if (OnGetPrinterSettings) {
    bool cancel = false;
    OnGetPrinterSettings(this, cancel, &mode);
    if (cancel) return;
  }
  const std::uint32_t f = mode.dmFields;
  PixelsPerInchX = printer_->GetDeviceCaps(LOGPIXELSX);
  PixelsPerInchY = printer_->GetDeviceCaps(LOGPIXELSY);
  copies_ = (f & DM_COPIES) ? mode.dmCopies : 1;
  if (f & DM_DEFAULTSOURCE) {
    outputBin_ = 0;
    for (int i = 0; i < kRpBinCount; ++i)
      if (RpBinCode(static_cast<TRpBin>(i)) == mode.dmDefaultSource) {
        outputBin_ = i;
        break;
      }
  }
  if (f & DM_DUPLEX) {
    duplex_ = mode.dmDuplex != DMDUP_SIMPLEX;
    ExtendedDuplex = mode.dmDuplex;
  }
  auto tenths = [](int dots, int ppi) {
    return ppi > 0 ? static_cast<int>(Round(Extended(dots) / ppi * 254)) : 0;
  };
  LeftOffset = tenths(printer_->GetDeviceCaps(PHYSICALOFFSETX), PixelsPerInchX);
  TopOffset = tenths(printer_->GetDeviceCaps(PHYSICALOFFSETY), PixelsPerInchY);
  paperSize_ = (f & DM_PAPERSIZE) ? RpPaperOfCode(mode.dmPaperSize) : TRpPaperSize::Default;
  paperWidth_ = tenths(printer_->GetDeviceCaps(PHYSICALWIDTH), PixelsPerInchX);
  paperLength_ = tenths(printer_->GetDeviceCaps(PHYSICALHEIGHT), PixelsPerInchY);
  SupportedPapers.fill(false);
  for (int code : printer_->PaperCodes())
    if (const TRpPaperSize paper = RpPaperOfCode(code); paper != TRpPaperSize::Default)
      SupportedPapers[static_cast<int>(paper)] = true;
  SupportedPapers[kRpPaperCount - 1] = true;
  PrintQuality = mode.dmPrintQuality;
  Collate = mode.dmCollate;
  ColorOption = mode.dmColor;
  printerIndex_ = printer_->PrinterIndex();
}

void TPrinterSettings::ApplySettings() {
  if (printer_ == nullptr || printer_->PrinterIndex() < 0) return;
  TDeviceMode mode = printer_->DeviceMode();
  const bool paper = (mode.dmFields & DM_PAPERSIZE) != 0, duplex = (mode.dmFields & DM_DUPLEX) != 0,
             collate = (mode.dmFields & DM_COLLATE) != 0;
  mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  mode.dmPaperLength = PaperLength();
  mode.dmPaperWidth = PaperWidth();
  // A paper asked for by its code (the one picked in the print dialog)
  // is the sheet: the length and width go with it, or the report's own
  // sheet would override the choice.
  const TRpPaperSize coded = UseCustomPaperCode ? RpPaperOfCode(CustomPaperCode) : TRpPaperSize::Default;
  if (paper && coded != TRpPaperSize::Default && coded != TRpPaperSize::Custom) {
    mode.dmPaperLength = static_cast<int>(Round(RpPaperInfo(coded).Length * 10));
    mode.dmPaperWidth = static_cast<int>(Round(RpPaperInfo(coded).Width * 10));
  }
  if (paper && (paperSize_ != TRpPaperSize::Default || coded != TRpPaperSize::Default)) {
    mode.dmPaperSize = UseCustomPaperCode ? CustomPaperCode : RpPaperInfo(paperSize_).Code;
  }
  mode.dmFields |= DM_COPIES;
  mode.dmCopies = copies_;
  if (duplex)
    mode.dmDuplex = ExtendedDuplex != 0 ? ExtendedDuplex : duplex_ ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX;
  mode.dmFields |= DM_DEFAULTSOURCE;
  mode.dmDefaultSource = UseCustomBinCode ? CustomBinCode : RpBinCode(static_cast<TRpBin>(outputBin_));
  mode.dmFields |= DM_ORIENTATION;
  mode.dmOrientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  if (collate) mode.dmCollate = Collate;
  // The resolution and colour a caller chose go to the job as the rest do;
  // they start as the device's own, so an untouched choice changes nothing.
  if ((mode.dmFields & DM_PRINTQUALITY) && PrintQuality != 0) mode.dmPrintQuality = PrintQuality;
  if ((mode.dmFields & DM_COLOR) && (ColorOption == DMCOLOR_MONOCHROME || ColorOption == DMCOLOR_COLOR))
    mode.dmColor = ColorOption;
  if (OnApplyPrinterSettings) {
    bool cancel = false;
    OnApplyPrinterSettings(this, cancel, &mode);
    if (cancel) return;
  }
  printer_->SetDeviceMode(mode);
  // A resolution chosen is the one the pages are drawn at.
  PixelsPerInchX = printer_->GetDeviceCaps(LOGPIXELSX);
  PixelsPerInchY = printer_->GetDeviceCaps(LOGPIXELSY);
}

void TPrinterSettings::SetCopies(int copies) {
  if (Supports(DM_COPIES)) copies_ = copies;
}
void TPrinterSettings::SetDuplex(bool duplex) {
  if (Supports(DM_DUPLEX)) duplex_ = duplex;
}
void TPrinterSettings::SetOutputBin(int bin) {
  if (Supports(DM_DEFAULTSOURCE) && bin >= 0 && bin < kRpBinCount) outputBin_ = bin;
}
void TPrinterSettings::SetOrientation(TPrinterOrientation orientation) {
  if (Supports(DM_ORIENTATION)) orientation_ = orientation;
}
void TPrinterSettings::SetPaperSize(TRpPaperSize size) {
  const int i = static_cast<int>(size);
  if (i == 0 || (i > 0 && i < kRpPaperCount && SupportedPapers[i])) paperSize_ = size;
}

int TPrinterSettings::PaperWidth() const {
  if (paperSize_ == TRpPaperSize::Default || paperSize_ == TRpPaperSize::Custom) return paperWidth_;
  return static_cast<int>(Round(RpPaperInfo(paperSize_).Width * 10));
}

int TPrinterSettings::PaperLength() const {
  if (paperSize_ == TRpPaperSize::Default || paperSize_ == TRpPaperSize::Custom) return paperLength_;
  return static_cast<int>(Round(RpPaperInfo(paperSize_).Length * 10));
}
