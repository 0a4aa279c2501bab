#include "platform/print/Printers.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <cups/pwg.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/gfx/PdfCanvas.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"

// ---- paper sizes ------------------------------------------------------------

const std::vector<TPaperSize>& StandardPaperSizes() {
  static const std::vector<TPaperSize> sizes = {
      {1, 215.9, 279.4},   {2, 215.9, 279.4},  {3, 279.4, 431.8},  {4, 431.8, 279.4},  {5, 215.9, 355.6},
      {6, 139.7, 215.9},   {7, 184.15, 266.7}, {8, 297, 420},      {9, 210, 297},      {10, 210, 297},
      {11, 148, 210},      {12, 250, 354},     {13, 182, 257},     {14, 215.9, 330.2}, {15, 215, 275},
      {16, 254, 355.6},    {17, 279.4, 431.8}, {18, 215.9, 279.4}, {19, 98.4, 225.4},  {20, 104.8, 241.3},
      {21, 114.3, 263.5},  {22, 120.7, 279.4}, {23, 127, 292.1},   {24, 431.8, 558.8}, {25, 558.8, 863.6},
      {26, 863.6, 1117.6}, {27, 110, 220},     {28, 162, 229},     {29, 324, 458},     {30, 229, 324},
      {31, 114, 162},      {32, 114, 229},     {33, 250, 353},     {34, 176, 250},     {35, 176, 125},
      {36, 110, 230},      {37, 98.4, 190.5},  {38, 92.1, 165.1},  {39, 377.8, 279.4}, {40, 215.9, 304.8},
      {41, 215.9, 330.2},  {42, 250, 353},     {43, 100, 148},     {44, 228.6, 279.4}, {45, 254, 279.4},
      {46, 381, 279.4},    {47, 220, 220},     {48, 100, 100},     {49, 100, 100},     {50, 241.3, 304.8},
      {51, 241.3, 381},    {52, 296.9, 457.2}, {53, 235.5, 322.3}, {54, 279.4, 215.9}, {55, 297, 210},
      {56, 304.8, 241.3},  {57, 227, 356},     {58, 305, 487},     {59, 215.9, 322.3}, {60, 210, 330},
      {61, 210, 148},      {62, 257, 182},     {63, 322, 445},     {64, 174, 235},     {65, 201, 276},
      {66, 420, 594},      {67, 420, 297},     {68, 445, 322},
  };
  return sizes;
}

std::optional<TPaperSize> PaperSizeOf(int code) {
  if (code < 1 || code > static_cast<int>(StandardPaperSizes().size())) return std::nullopt;
  return StandardPaperSizes()[code - 1];
}

// ---- the machine's printers -------------------------------------------------

namespace printers {
namespace {

constexpr std::uint32_t kPdfFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH |
                                     DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX |
                                     DM_COLLATE;

// The trays the program names itself, where the queue names none, are
// named in the user's language; those a queue names keep its own names.
AnsiString AutoSelectBinName() { return "Αυτόματη επιλογή"_a; }

// The system's code of a tray the queue names: the standard trays by
// their usual names, any other one a code of its own from DMBIN_USER on.
int TrayCode(const std::string& name, int& nextOwn) {
  std::string key;
  for (char c : name)
    if (std::isalnum(static_cast<unsigned char>(c)))
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::pair<const char*, int> kStandard[] = {
      {"auto", 7},     {"automatic", 7},      {"autoselect", 7}, {"upper", 1},  {"top", 1},
      {"lower", 2},    {"bottom", 2},         {"middle", 3},     {"manual", 4}, {"manualfeed", 4},
      {"envelope", 5}, {"largecapacity", 11}, {"cassette", 14}};
  for (const auto& [standard, code] : kStandard)
    if (key == standard) return code;
  return nextOwn++;
}

// The trays the queue's own description lists: the choices of its PPD
// where it has one, else the sources its server reports. Returns the file
// name the PPD gives its driver on a PC, empty when it has none.
std::string ReadQueueTrays(cups_dest_t& dest, cups_dinfo_t* info, TPrinterProfile& p) {
  int nextOwn = DMBIN_USER;
  std::string pcFileName;
  if (const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, dest.name)) {
    ppd_file_t* ppd = ppdOpenFile(file);
    ::unlink(file);
    if (ppd != nullptr) {
      if (ppd->pcfilename != nullptr) pcFileName = ppd->pcfilename;
      if (ppd_option_t* slots = ppdFindOption(ppd, "InputSlot")) {
        for (int i = 0; i < slots->num_choices; ++i) {
          const ppd_choice_t& c = slots->choices[i];
          const int code = TrayCode(c.choice, nextOwn);
          p.Bins.push_back({code, cp1253::FromUtf8(*c.text ? c.text : c.choice), "InputSlot", c.choice});
          if (std::string(c.choice) == slots->defchoice) p.Defaults.dmDefaultSource = code;
        }
      }
      ppdClose(ppd);
    }
  }
  if (!p.Bins.empty()) return pcFileName;
  if (info != nullptr) {
    ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, &dest, info, CUPS_MEDIA_SOURCE);
    ipp_attribute_t* chosen = cupsFindDestDefault(CUPS_HTTP_DEFAULT, &dest, info, CUPS_MEDIA_SOURCE);
    const char* standing = chosen != nullptr ? ippGetString(chosen, 0, nullptr) : nullptr;
    for (int i = 0; sources != nullptr && i < ippGetCount(sources); ++i) {
      const char* source = ippGetString(sources, i, nullptr);
      if (source == nullptr) continue;
      const int code = TrayCode(source, nextOwn);
      const char* shown = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, &dest, info, CUPS_MEDIA_SOURCE, source);
      p.Bins.push_back({code, cp1253::FromUtf8(shown != nullptr ? shown : source), "media-source", source});
      if (standing != nullptr && std::string(standing) == source) p.Defaults.dmDefaultSource = code;
    }
  }
  if (!p.Bins.empty()) return pcFileName;
  // A queue that names no trays is asked for the standard ones; one the
  // printer lacks is left to its own choice.
  p.Bins = {{7, AutoSelectBinName(), "media-source", "auto"},
            {1, "Επάνω"_a, "media-source", "top"},
            {2, "Κάτω"_a, "media-source", "bottom"},
            {4, "Χειροκίνητη τροφοδοσία"_a, "media-source", "manual"}};
  return pcFileName;
}

// The system's code of a sheet given in hundredths of a millimetre: the
// first standard size within a millimetre of it; 0 for none.
int PaperCodeOfSize(int width, int length) {
  for (const TPaperSize& known : StandardPaperSizes())
    if (std::abs(known.WidthMM * 100 - width) < 100 && std::abs(known.LengthMM * 100 - length) < 100)
      return known.Code;
  return 0;
}

bool Lists(ipp_attribute_t* values, std::string_view wanted) {
  for (int i = 0; values != nullptr && i < ippGetCount(values); ++i)
    if (const char* value = ippGetString(values, i, nullptr); value != nullptr && value == wanted)
      return true;
  return false;
}

// Dots per inch of a resolution value of the queue.
void DotsPerInch(ipp_attribute_t* resolution, int index, int& x, int& y) {
  ipp_res_t units = IPP_RES_PER_INCH;
  x = ippGetResolution(resolution, index, &y, &units);
  if (units == IPP_RES_PER_CM) {
    x = static_cast<int>(std::lround(x * 2.54));
    y = static_cast<int>(std::lround(y * 2.54));
  }
}

// What the queue says of itself: its papers and the one it starts on with
// that sheet's unprintable margin, its resolutions, whether it prints on
// two sides and in colour. What it does not claim it is not asked for;
// a queue that lists no papers (a raw one) takes the common ones.
void ReadQueueCapabilities(cups_dest_t& dest, cups_dinfo_t* info, TPrinterProfile& p) {
  TDeviceMode& d = p.Defaults;
  d.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE |
               DM_DEFAULTSOURCE;
  p.PaperCodes = {DMPAPER_A4, DMPAPER_A3, DMPAPER_A5, DMPAPER_LETTER, DMPAPER_LEGAL};
  if (info == nullptr) return;
  auto supported = [&](const char* option) {
    return cupsFindDestSupported(CUPS_HTTP_DEFAULT, &dest, info, option);
  };
  auto standing = [&](const char* option) {
    return cupsFindDestDefault(CUPS_HTTP_DEFAULT, &dest, info, option);
  };

  std::vector<int> papers;
  ipp_attribute_t* media = supported(CUPS_MEDIA);
  for (int i = 0; media != nullptr && i < ippGetCount(media); ++i) {
    const char* name = ippGetString(media, i, nullptr);
    const pwg_media_t* size = name != nullptr ? pwgMediaForPWG(name) : nullptr;
    const int code = size != nullptr ? PaperCodeOfSize(size->width, size->length) : 0;
    if (code != 0 && std::find(papers.begin(), papers.end(), code) == papers.end()) papers.push_back(code);
  }
  if (!papers.empty()) p.PaperCodes = std::move(papers);

  ipp_attribute_t* resolutions = supported("printer-resolution");
  for (int i = 0; resolutions != nullptr && i < ippGetCount(resolutions); ++i) {
    int x = 0, y = 0;
    DotsPerInch(resolutions, i, x, y);
    if (x > 0 && std::find(p.Resolutions.begin(), p.Resolutions.end(), x) == p.Resolutions.end())
      p.Resolutions.push_back(x);
  }
  if (ipp_attribute_t* resolution = standing("printer-resolution")) {
    int x = 0, y = 0;
    DotsPerInch(resolution, 0, x, y);
    if (x > 0 && y > 0) p.DpiX = x, p.DpiY = y;
  } else if (!p.Resolutions.empty()) {
    p.DpiX = p.DpiY = p.Resolutions.front();
  }
  d.dmPrintQuality = p.DpiX;
  d.dmYResolution = p.DpiY;
  if (!p.Resolutions.empty()) d.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;

  // The sheet it starts on: its default paper, with that paper's margins.
  cups_size_t sheet{};
  ipp_attribute_t* paper = standing(CUPS_MEDIA);
  const char* paperName = paper != nullptr ? ippGetString(paper, 0, nullptr) : nullptr;
  if ((paperName != nullptr &&
       cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, paperName, 0, &sheet)) ||
      cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, &dest, info, 0, &sheet)) {
    if (const int code = PaperCodeOfSize(sheet.width, sheet.length); code != 0) d.dmPaperSize = code;
    const auto dots = [](int hundredths, int dpi) {
      return static_cast<int>(std::lround(hundredths / 2540.0 * dpi));
    };
    p.OffsetX = dots(sheet.left, p.DpiX);
    p.OffsetY = dots(sheet.top, p.DpiY);
    p.OffsetRight = dots(sheet.right, p.DpiX);
    p.OffsetBottom = dots(sheet.bottom, p.DpiY);
  }

  ipp_attribute_t* sides = supported(CUPS_SIDES);
  if (Lists(sides, CUPS_SIDES_TWO_SIDED_PORTRAIT) || Lists(sides, CUPS_SIDES_TWO_SIDED_LANDSCAPE)) {
    d.dmFields |= DM_DUPLEX;
    ipp_attribute_t* side = standing(CUPS_SIDES);
    d.dmDuplex = Lists(side, CUPS_SIDES_TWO_SIDED_PORTRAIT)    ? DMDUP_VERTICAL
                 : Lists(side, CUPS_SIDES_TWO_SIDED_LANDSCAPE) ? DMDUP_HORIZONTAL
                                                               : DMDUP_SIMPLEX;
  }

  // A queue that prints only grey starts so; one that says nothing of
  // colour has its pages sent as they are drawn.
  ipp_attribute_t* colours = supported(CUPS_PRINT_COLOR_MODE);
  if (Lists(colours, CUPS_PRINT_COLOR_MODE_COLOR)) {
    d.dmFields |= DM_COLOR;
    d.dmColor = Lists(standing(CUPS_PRINT_COLOR_MODE), CUPS_PRINT_COLOR_MODE_MONOCHROME) ? DMCOLOR_MONOCHROME
                                                                                         : DMCOLOR_COLOR;
  } else if (colours != nullptr && ippGetCount(colours) > 0) {
    d.dmColor = DMCOLOR_MONOCHROME;
  }
}

std::vector<TPrinterProfile> CupsProfiles(int& defaultIndex) {
  std::vector<TPrinterProfile> result;
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count; ++i) {
    TPrinterProfile p;
    p.Kind = TPrinterProfile::pkCups;
    p.Name = cp1253::FromUtf8(dests[i].name);
    p.Port = p.Name;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, &dests[i]);
    ReadQueueCapabilities(dests[i], info, p);
    const std::string pcFileName = ReadQueueTrays(dests[i], info, p);
    p.Driver = cp1253::FromUtf8(QueueDriverName(
        pcFileName, cupsGetOption("printer-make-and-model", dests[i].num_options, dests[i].options),
        cupsGetOption("device-uri", dests[i].num_options, dests[i].options)));
    if (info != nullptr) cupsFreeDestInfo(info);
    if (dests[i].is_default) defaultIndex = static_cast<int>(result.size());
    result.push_back(std::move(p));
  }
  cupsFreeDests(count, dests);
  return result;
}

struct Machine {
  std::optional<std::vector<TPrinterProfile>> profiles;
  int defaultIndex = 0;
  std::vector<TPrintJobRecord> log;
};
Machine& TheMachine() {
  static Machine machine;
  return machine;
}

}  // namespace

void DrawingResolution(const TDeviceMode& mode, const TPrinterProfile& p, int& x, int& y) {
  x = p.DpiX, y = p.DpiY;
  // The quality the printer starts on is its own resolution, whatever
  // number it holds; a device that tells no resolution is not given one.
  if (x > 0 && y > 0 && (mode.dmFields & DM_PRINTQUALITY) && mode.dmPrintQuality > 0 &&
      mode.dmPrintQuality != p.Defaults.dmPrintQuality)
    x = y = mode.dmPrintQuality;
}

std::string QueueDriverName(const std::string& pcFileName, const char* makeAndModel, const char* deviceUri) {
  if (!pcFileName.empty()) return pcFileName;
  if (makeAndModel != nullptr && *makeAndModel != 0) return makeAndModel;
  const std::string uri = deviceUri != nullptr ? deviceUri : "";
  if (const size_t colon = uri.find(':'); colon != std::string::npos && colon > 0)
    return uri.substr(0, colon);
  return "CUPS";
}

TPrinterProfile PdfPrinterProfile() {
  TPrinterProfile p;
  p.Name = "PDF";
  p.Driver = "PDF";
  p.Port = "FILE:";
  p.Kind = TPrinterProfile::pkPdfFile;
  for (const TPaperSize& size : StandardPaperSizes()) p.PaperCodes.push_back(size.Code);
  p.Bins = {{7, AutoSelectBinName()}};
  p.Defaults.dmFields = kPdfFields;
  // A page prints inside the margins of a typical laser printer, 4.2 mm, as
  // a program drawing at the printable area's corner expects.
  p.OffsetX = p.OffsetY = static_cast<int>(std::lround(4.2 / 25.4 * p.DpiX));
  p.OutputFolder = GetDocumentsFolder();
  return p;
}

const std::vector<TPrinterProfile>& Profiles() {
  Machine& m = TheMachine();
  if (!m.profiles) {
    int cupsDefault = -1;
    std::vector<TPrinterProfile> cups = CupsProfiles(cupsDefault);
    m.profiles = cups;
    m.profiles->push_back(PdfPrinterProfile());
    // A real printer is the default when CUPS names one, else the PDF one.
    m.defaultIndex = cupsDefault >= 0 ? cupsDefault : static_cast<int>(m.profiles->size()) - 1;
  }
  return *m.profiles;
}

int DefaultIndex() {
  Profiles();
  return TheMachine().profiles->empty() ? -1 : TheMachine().defaultIndex;
}

void UseProfiles(std::vector<TPrinterProfile> profiles, int defaultIndex) {
  Machine& m = TheMachine();
  m.defaultIndex = profiles.empty() ? -1 : std::clamp(defaultIndex, 0, static_cast<int>(profiles.size()) - 1);
  m.profiles = std::move(profiles);
}

void UseSystem() { TheMachine().profiles.reset(); }

std::function<void(const TPrintJobRecord&)> OnFileWritten;

const std::vector<TPrintJobRecord>& JobLog() { return TheMachine().log; }
void ClearJobLog() { TheMachine().log.clear(); }

namespace {
void Log(TPrintJobRecord record) { TheMachine().log.push_back(std::move(record)); }
}  // namespace

}  // namespace printers

// ---- TPrinter ---------------------------------------------------------------

TPrinter::TPrinter() : names_(std::make_unique<TStringList>()) {
  Refresh();
  SetPrinterIndex(-1);
}

TPrinter::~TPrinter() {
  if (Printing()) Abort();
}

void TPrinter::Refresh() {
  names_->Clear();
  for (const TPrinterProfile& p : printers::Profiles()) names_->Add(p.Name);
  if (index_ >= names_->Count()) index_ = printers::DefaultIndex();
}

TStrings* TPrinter::Printers() { return names_.get(); }

const TPrinterProfile* TPrinter::Profile() const {
  const std::vector<TPrinterProfile>& all = printers::Profiles();
  if (index_ < 0 || index_ >= static_cast<int>(all.size())) return nullptr;
  return &all[index_];
}

void TPrinter::SetPrinterIndex(int index) {
  if (Printing()) throw EPrinter("Printing in progress");
  int count = static_cast<int>(printers::Profiles().size());
  if (index == -1) index = printers::DefaultIndex();
  if (index < -1 || index >= count) throw EPrinter("Printer index out of range");
  index_ = index;
  ResetDeviceMode();
  RefreshMeasure();
}

void TPrinter::ResetDeviceMode() {
  const TPrinterProfile* p = Profile();
  mode_ = p ? p->Defaults : TDeviceMode{};
}

AnsiString TPrinter::DeviceName() const { return Profile() ? Profile()->Name : AnsiString(); }
AnsiString TPrinter::DriverName() const { return Profile() ? Profile()->Driver : AnsiString(); }
AnsiString TPrinter::PortName() const { return Profile() ? Profile()->Port : AnsiString(); }
std::vector<int> TPrinter::PaperCodes() const {
  return Profile() ? Profile()->PaperCodes : std::vector<int>{};
}
std::vector<TPrinterBin> TPrinter::Bins() const {
  return Profile() ? Profile()->Bins : std::vector<TPrinterBin>{};
}

TPrinterOrientation TPrinter::Orientation() const {
  return mode_.dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
  if (Printing()) throw EPrinter("Printing in progress");
  mode_.dmOrientation = orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  RefreshMeasure();
}

void TPrinter::SetCopies(int copies) { mode_.dmCopies = std::max(1, copies); }

namespace {

// The portrait sheet in millimetres: explicit length and width override
// the paper code, as on the system; an unknown code gives A4.
void SheetOf(const TDeviceMode& mode, double& widthMM, double& lengthMM) {
  widthMM = 210, lengthMM = 297;
  const std::uint32_t f = mode.dmFields;
  if ((f & DM_PAPERLENGTH) && (f & DM_PAPERWIDTH) && mode.dmPaperLength > 0 && mode.dmPaperWidth > 0) {
    widthMM = mode.dmPaperWidth / 10.0;
    lengthMM = mode.dmPaperLength / 10.0;
  } else if (std::optional<TPaperSize> size = PaperSizeOf(mode.dmPaperSize); (f & DM_PAPERSIZE) && size) {
    widthMM = size->WidthMM;
    lengthMM = size->LengthMM;
  }
}

}  // namespace

TDeviceCaps TPrinter::Caps() const {
  TDeviceCaps caps;
  const TPrinterProfile* p = Profile();
  if (p == nullptr) return caps;
  int dpiX = 0, dpiY = 0;
  printers::DrawingResolution(mode_, *p, dpiX, dpiY);
  caps.LogPixelsX = dpiX;
  caps.LogPixelsY = dpiY;
  double widthMM, lengthMM;
  SheetOf(mode_, widthMM, lengthMM);
  // The margins are the printer's dots; the page may be drawn at another
  // resolution.
  const auto at = [](int dots, int from, int to) { return from > 0 ? MulDiv(dots, to, from) : dots; };
  int left = at(p->OffsetX, p->DpiX, dpiX), top = at(p->OffsetY, p->DpiY, dpiY),
      right = at(p->OffsetRight.value_or(p->OffsetX), p->DpiX, dpiX),
      bottom = at(p->OffsetBottom.value_or(p->OffsetY), p->DpiY, dpiY);
  if (mode_.dmOrientation == DMORIENT_LANDSCAPE) {
    // The page lies turned a quarter counter-clockwise on the sheet: its
    // top is the sheet's left edge, its left the sheet's bottom. Dots per
    // inch across and down are the sheet's as it feeds.
    std::swap(widthMM, lengthMM);
    const int sheetLeft = left, sheetTop = top, sheetRight = right, sheetBottom = bottom;
    left = at(sheetBottom, dpiY, dpiX);
    top = at(sheetLeft, dpiX, dpiY);
    right = at(sheetTop, dpiY, dpiX);
    bottom = at(sheetRight, dpiX, dpiY);
  }
  caps.PhysicalWidth = static_cast<int>(std::lround(widthMM / 25.4 * dpiX));
  caps.PhysicalHeight = static_cast<int>(std::lround(lengthMM / 25.4 * dpiY));
  caps.PhysicalOffsetX = left;
  caps.PhysicalOffsetY = top;
  caps.HorzRes = std::max(1, caps.PhysicalWidth - left - right);
  caps.VertRes = std::max(1, caps.PhysicalHeight - top - bottom);
  return caps;
}

int TPrinter::GetDeviceCaps(int index) const {
  if (Profile() == nullptr) return 0;
  TDeviceCaps caps = Caps();
  switch (index) {
    case LOGPIXELSX:
      return caps.LogPixelsX;
    case LOGPIXELSY:
      return caps.LogPixelsY;
    case HORZRES:
      return caps.HorzRes;
    case VERTRES:
      return caps.VertRes;
    case PHYSICALWIDTH:
      return caps.PhysicalWidth;
    case PHYSICALHEIGHT:
      return caps.PhysicalHeight;
    case PHYSICALOFFSETX:
      return caps.PhysicalOffsetX;
    case PHYSICALOFFSETY:
      return caps.PhysicalOffsetY;
    case HORZSIZE:
      return MulDiv(caps.HorzRes, 254, caps.LogPixelsX * 10);
    case VERTSIZE:
      return MulDiv(caps.VertRes, 254, caps.LogPixelsY * 10);
    case BITSPIXEL:
      return mode_.dmColor == DMCOLOR_MONOCHROME ? 1 : 24;
    default:
      return 0;
  }
}

// Another printer or orientation: the canvas measures for the new device
// and its font keeps its size in points.
void TPrinter::RefreshMeasure() {
  if (!measure_) return;
  TDeviceCaps caps = Caps();
  measure_->Caps = caps;
  TFont before = *measure_->Font;
  measure_->Font->PixelsPerInch = caps.LogPixelsY > 0 ? caps.LogPixelsY : 96;
  measure_->Font->Assign(before);
}

void TPrinter::SetDeviceMode(const TDeviceMode& mode) {
  mode_ = mode;
  RefreshMeasure();
}

TCanvas* TPrinter::Canvas() {
  if (pdf_) return pdf_.get();
  // The settings may have been changed in place: the canvas measures for
  // the device they make.
  if (measure_ && !(measure_->Caps == Caps())) RefreshMeasure();
  if (!measure_) {
    TDeviceCaps caps = Caps();
    measure_ = std::make_unique<TRecordingCanvas>(caps.HorzRes, caps.VertRes, caps.LogPixelsY);
    measure_->Caps = caps;
  }
  return measure_.get();
}

void TPrinter::BeginDoc() {
  if (Printing()) throw EPrinter("Printing in progress");
  if (Profile() == nullptr) throw EPrinter("There is no default printer currently selected");
  TCanvas* before = Canvas();
  // A file holds its copies itself; a print server makes them from one.
  const bool file = Profile()->Kind == TPrinterProfile::pkPdfFile;
  const int copies = file && (mode_.dmFields & DM_COPIES) ? mode_.dmCopies : 1;
  const bool collate = (mode_.dmFields & DM_COLLATE) && mode_.dmCollate != 0;
  auto pdf = std::make_unique<TPdfCanvas>(Caps(), Title, copies, collate);
  // What was set on the canvas before the document starts stays.
  pdf->Font->Assign(*before->Font);
  *pdf->Pen = *before->Pen;
  *pdf->Brush = *before->Brush;
  pdf_ = std::move(pdf);
  page_ = 1;
  aborted_ = false;
}

void TPrinter::NewPage() {
  if (!Printing()) throw EPrinter("Printer is not currently printing");
  pdf_->NewPage();
  ++page_;
}

namespace {

// A printer that prints on one side only is never asked for two, whatever
// a caller put into its settings.
bool TwoSided(const TPrinterProfile& p) { return (p.Defaults.dmFields & DM_DUPLEX) != 0; }

// What a PDF page cannot carry, as "Name=value". A file printer's copies
// are its repeated pages.
std::vector<AnsiString> Unshown(const TDeviceMode& m, const TPrinterProfile& p) {
  const bool file = p.Kind == TPrinterProfile::pkPdfFile;
  std::vector<AnsiString> out;
  if (!file && (m.dmFields & DM_COPIES) && m.dmCopies != 1) out.push_back("Copies=" + IntToStr(m.dmCopies));
  if (!file && (m.dmFields & DM_COLLATE) && m.dmCollate != 0)
    out.push_back("Collate=" + IntToStr(m.dmCollate));
  if ((m.dmFields & DM_DUPLEX) && TwoSided(p) && m.dmDuplex != DMDUP_SIMPLEX)
    out.push_back("Duplex=" + IntToStr(m.dmDuplex));
  if ((m.dmFields & DM_DEFAULTSOURCE) && m.dmDefaultSource != 7)
    out.push_back("Bin=" + IntToStr(m.dmDefaultSource));
  if ((m.dmFields & DM_PRINTQUALITY) && m.dmPrintQuality != 600)
    out.push_back("Quality=" + IntToStr(m.dmPrintQuality));
  return out;
}

// A name from the title that is safe as a file name.
AnsiString FileTitle(const AnsiString& title) {
  AnsiString name;
  for (char c : title)
    name += (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
             c == '|' || static_cast<unsigned char>(c) < 32)
                ? '_'
                : c;
  name = Trim(name);
  return name.empty() || name == "." || name == ".." ? AnsiString("document") : name;
}

// The sheet, its source, the resolution and the colour, as a queue of
// Cups names them.
std::vector<std::pair<std::string, std::string>> QueueOptions(const TDeviceMode& m,
                                                              const TPrinterProfile& profile) {
  const std::vector<TPrinterBin>& bins = profile.Bins;
  std::vector<std::pair<std::string, std::string>> out;
  if (m.dmFields & (DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH)) {
    double widthMM, lengthMM;
    SheetOf(m, widthMM, lengthMM);
    const int width = static_cast<int>(std::lround(widthMM * 100)),
              length = static_cast<int>(std::lround(lengthMM * 100));
    char name[64];
    if (pwg_media_t* known = pwgMediaForSize(width, length))
      out.emplace_back("media", known->pwg);
    else if (pwgFormatSizeName(name, sizeof name, "custom", nullptr, width, length, nullptr))
      out.emplace_back("media", name);
  }
  const auto tray = std::find_if(bins.begin(), bins.end(), [&](const TPrinterBin& bin) {
    return bin.Code == m.dmDefaultSource && !bin.Option.empty();
  });
  if ((m.dmFields & DM_DEFAULTSOURCE) && tray != bins.end()) {
    out.emplace_back(tray->Option, tray->Value);
  } else if (m.dmFields & DM_DEFAULTSOURCE) {
    static const std::pair<int, const char*> kSources[] = {
        {1, "top"},      {2, "bottom"}, {3, "middle"},         {4, "manual"},
        {5, "envelope"}, {7, "auto"},   {11, "large-capacity"}};
    for (const auto& [code, source] : kSources)
      if (code == m.dmDefaultSource) out.emplace_back("media-source", source);
  }
  if ((m.dmFields & DM_PRINTQUALITY) && m.dmPrintQuality != 0) {
    // Resolutions in dots per inch, the one the pages are drawn at; the
    // system's negative codes are draft to high quality.
    if (m.dmPrintQuality > 0) {
      int x = 0, y = 0;
      printers::DrawingResolution(m, profile, x, y);
      out.emplace_back("printer-resolution",
                       (x == y ? std::to_string(x) : std::to_string(x) + "x" + std::to_string(y)) + "dpi");
    } else
      out.emplace_back("print-quality", m.dmPrintQuality == -4 ? "5" : m.dmPrintQuality == -3 ? "4" : "3");
  }
  if (m.dmFields & DM_COLOR)
    out.emplace_back("print-color-mode", m.dmColor == DMCOLOR_MONOCHROME ? "monochrome" : "color");
  return out;
}

}  // namespace

void TPrinter::Deliver(const std::string& pdf, TPrintJobRecord& record) {
  const TPrinterProfile& p = *Profile();
  if (p.Kind == TPrinterProfile::pkPdfFile) {
    AnsiString target = FileName;
    if (target.empty()) {
      AnsiString folder = IncludeTrailingPathDelimiter(p.OutputFolder);
      AnsiString base = FileTitle(Title);
      target = folder + base + ".pdf";
      for (int n = 2; FileExists(target); ++n) target = folder + base + " (" + IntToStr(n) + ").pdf";
    }
    record.Destination = target;
    SafeWriteFile(target, pdf);  // EFCreateError when it cannot be written
    return;
  }
  // A CUPS destination: the PDF goes to the server as a file, with the
  // options it understands.
  char spool[] = "/tmp/dim-print-XXXXXX";
  int fd = mkstemp(spool);
  if (fd < 0) throw EPrinter("Cannot create the print file");
  bool written = ::write(fd, pdf.data(), pdf.size()) == static_cast<ssize_t>(pdf.size());
  ::close(fd);
  cups_option_t* options = nullptr;
  int count = 0;
  count = cupsAddOption("copies", std::to_string(std::max(1, mode_.dmCopies)).c_str(), count, &options);
  // A queue that prints on two sides is told the sides every time: it may
  // start on two where one was chosen.
  if (TwoSided(p))
    count = cupsAddOption("sides",
                          mode_.dmDuplex == DMDUP_VERTICAL     ? "two-sided-long-edge"
                          : mode_.dmDuplex == DMDUP_HORIZONTAL ? "two-sided-short-edge"
                                                               : "one-sided",
                          count, &options);
  if (mode_.dmCollate) count = cupsAddOption("collate", "true", count, &options);
  for (const auto& [name, value] : QueueOptions(mode_, p))
    count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
  int job = written ? cupsPrintFile2(CUPS_HTTP_DEFAULT, cp1253::ToUtf8(p.Name).c_str(), spool,
                                     cp1253::ToUtf8(Title).c_str(), count, options)
                    : 0;
  cupsFreeOptions(count, options);
  ::unlink(spool);
  if (job == 0) throw EPrinter("The printer " + p.Name + " did not accept the job");
  record.Destination = p.Name + "-" + IntToStr(job);
}

// The canvas is one object to its users: what was set while printing
// stays set afterwards.
void TPrinter::Reset() {
  std::unique_ptr<TPdfCanvas> finished = std::move(pdf_);
  if (!finished) return;
  TCanvas* after = Canvas();
  after->Font->Assign(*finished->Font);
  *after->Pen = *finished->Pen;
  *after->Brush = *finished->Brush;
}

void TPrinter::EndDoc() {
  if (!Printing()) throw EPrinter("Printer is not currently printing");
  TPrintJobRecord record{DeviceName(), Title, {}, pdf_->PageCount(), mode_, Unshown(mode_, *Profile()),
                         false};
  std::string bytes = pdf_->Finish();
  Reset();
  if (bytes.empty()) throw EPrinter("The document could not be produced");
  Deliver(bytes, record);
  printers::Log(std::move(record));
  // A file the printer named itself: the user is told where it went.
  if (Profile()->Kind == TPrinterProfile::pkPdfFile && FileName.empty() && printers::OnFileWritten)
    printers::OnFileWritten(printers::JobLog().back());
}

void TPrinter::Abort() {
  if (!Printing()) return;
  TPrintJobRecord record{DeviceName(), Title, {}, pdf_->PageCount(), mode_, Unshown(mode_, *Profile()), true};
  Reset();
  aborted_ = true;
  printers::Log(std::move(record));
}

TPrinter* Printer() {
  static TPrinter printer;
  return &printer;
}

// ---- the printer as a text file ------------------------------------------------

TPrnFile::TPrnFile(TPrinter* printer) : printer_(printer) {}

TPrnFile::~TPrnFile() {
  // A channel left open by an error is abandoned, not printed half.
  if (open_ && printer_->Printing()) printer_->Abort();
}

void TPrnFile::Rewrite() {
  if (open_) CloseFile();
  try {
    printer_->BeginDoc();
  } catch (const EPrinter& e) {
    throw EInOutError(e.Message);
  }
  open_ = true;
  pending_.clear();
  y_ = 0;
}

void TPrnFile::PutLine(const AnsiString& line) {
  TCanvas* canvas = printer_->Canvas();
  int height = canvas->TextHeight("W");
  if (y_ > 0 && y_ + height > printer_->PageHeight()) {
    printer_->NewPage();
    y_ = 0;
  }
  if (!line.empty()) canvas->TextOut(0, y_, line);
  y_ += height;
}

void TPrnFile::Write(const AnsiString& text) {
  if (!open_) throw EInOutError("File not open");
  for (char c : text) {
    if (c == '\n') {
      PutLine(pending_);
      pending_.clear();
    } else if (c != '\r') {
      pending_ += c;
    }
  }
}

void TPrnFile::Writeln(const AnsiString& text) { Write(text + "\n"); }

void TPrnFile::CloseFile() {
  if (!open_) throw EInOutError("File not open");
  open_ = false;
  try {
    if (!pending_.empty()) PutLine(pending_);
    pending_.clear();
    printer_->EndDoc();
  } catch (const EInOutError&) {
    throw;
  } catch (const Exception& e) {
    throw EInOutError(e.Message);
  }
}
