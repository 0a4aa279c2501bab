#pragma once
// Printer choices: the set a report stores with itself, and the object that
// reads a printer's device mode and capabilities into plain fields and
// writes the choices back before printing.

#include <array>
#include <functional>

#include "platform/print/Printers.h"
#include "report/RpTypes.h"

class TRpPrinterSettings {
 public:
  int Copies = 1;
  bool Duplex = false;
  TPrinterOrientation Orientation = poPortrait;
  TRpBin OutputBin = TRpBin::Auto;
  TRpPaperSize PaperSize = TRpPaperSize::Letter;
  int PrinterIndex = -1;
  int FirstPage = 0;
  int LastPage = 0;
  bool UseStandardprinter = false;
  int ExtendedDuplex = 0;
  int MemoryLimit = 250000;
  int PrintQuality = 600;
  int Collate = 0;
  int ColorOption = 0;
  bool UseCustomBinCode = false;
  int CustomBinCode = 0;
  bool UseCustomPaperCode = false;
  int CustomPaperCode = 0;
  AnsiString Title;
  // A form description stores the quality only when it is not the default.
  bool PrintQualityStored() const { return PrintQuality != 600; }
};

// The report's own set adds whether stored pages print as they are.
class TBandRepPrinterSettings : public TRpPrinterSettings {
 public:
  bool PrintMetaFile = false;
};

class TPrinterSettings;
// Sender, a Cancel that starts false, and the device mode being read or
// about to be given to the printer.
using TRpPrinterEvent = std::function<void(TPrinterSettings* sender, bool& cancel, TDeviceMode* mode)>;

class TPrinterSettings {
 public:
  TPrinterSettings();

  TPrinter* Printer() const { return printer_; }
  void SetPrinter(TPrinter* printer);
  // Reads the device mode and capabilities, unless this printer was read
  // already.
  void ReadDevice();
  // Writes the choices into the printer's device mode.
  void ApplySettings();
  // The device mode says it honours every bit of Field.
  bool Supports(std::uint32_t field) const;

  int PrinterIndex() const { return printerIndex_; }
  const AnsiString& Device() const { return device_; }
  const AnsiString& Driver() const { return driver_; }
  const AnsiString& Port() const { return port_; }

  // Setters that the device must support; others store plainly.
  int Copies() const { return copies_; }
  void SetCopies(int copies);
  bool Duplex() const { return duplex_; }
  void SetDuplex(bool duplex);
  int OutputBin() const { return outputBin_; }
  void SetOutputBin(int bin);
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation orientation);
  TRpPaperSize PaperSize() const { return paperSize_; }
  // Refused for a paper the device lacks; Default is always taken.
  void SetPaperSize(TRpPaperSize size);
  // In 0.1 mm: the table's size for a listed paper, else the stored one.
  int PaperWidth() const;
  int PaperLength() const;
  void SetPaperWidth(int width) { paperWidth_ = width; }
  void SetPaperLength(int length) { paperLength_ = length; }

  int ExtendedDuplex = 0;
  bool UseCustomBinCode = false;
  int CustomBinCode = 0;
  bool UseCustomPaperCode = false;
  int CustomPaperCode = 0;
  int PrintQuality = 600;
  int Collate = 0;
  int ColorOption = 0;
  int MemoryLimit = 250000;
  bool UseStandardprinter = false;
  bool PrintMetaFile = false;

  // Read from the device.
  int PixelsPerInchX = 0, PixelsPerInchY = 0;
  int TopOffset = 0, LeftOffset = 0;  // 0.1 mm
  std::array<bool, kRpPaperCount> SupportedPapers{};

  TRpPrinterEvent OnGetPrinterSettings;
  TRpPrinterEvent OnApplyPrinterSettings;

 private:
  TPrinter* printer_ = nullptr;
  int printerIndex_ = -1;
  AnsiString device_, driver_, port_;
  int copies_ = 1;
  bool duplex_ = false;
  int outputBin_ = static_cast<int>(TRpBin::Auto);
  TPrinterOrientation orientation_ = poPortrait;
  TRpPaperSize paperSize_ = TRpPaperSize::A4;
  int paperWidth_ = 0, paperLength_ = 0;
};

// The index (0 .. 69) of a system paper code; 0 (Default) when unknown.
TRpPaperSize RpPaperOfCode(int code);
