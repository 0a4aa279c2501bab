// The rich-text printer's properties, device geometry, unit change,
// settings store and page set-up.

#include "printing/RichPrint.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/ui/Application.h"

TRichPrinter::TRichPrinter(TComponent* AOwner) : TComponent(AOwner) {
  if (Printer()->Printers()->Count() == 0 || Printer()->PrinterIndex() < 0)
    throw ELinePrinter("There have to be at least one printer installed will printing functioning.");
  surface_ = Printer()->Canvas();
  Header = "{$TITLE}";
  Footer = "Σελίδα {$PAGE}"_a;
  headerFont_.Name = "Courier New";
  headerFont_.SetSize(10);
  SetFont_HeaderFooter(headerFont_);
  SetMarginTop(marginTop_);
  SetMarginBottom(marginBottom_);
  SetMarginLeft(marginLeft_);
  SetMarginRight(marginRight_);
  loading_ = false;
}

TRichPrinter::~TRichPrinter() {
  delete progress_;
  progress_ = nullptr;
}

// ---- device geometry ----

int TRichPrinter::Caps(int index) const { return Printer()->GetDeviceCaps(index); }

int TRichPrinter::ToPixelsX(double units) const {
  const long double inches = unit_ == muMillimeters ? units / 25.4L : units;
  return static_cast<int>(Round(inches * Caps(LOGPIXELSX)));
}

int TRichPrinter::ToPixelsY(double units) const {
  const long double inches = unit_ == muMillimeters ? units / 25.4L : units;
  return static_cast<int>(Round(inches * Caps(LOGPIXELSY)));
}

double TRichPrinter::FromPixelsX(int pixels) const {
  const long double inches = static_cast<long double>(pixels) / std::max(1, Caps(LOGPIXELSX));
  return static_cast<double>(unit_ == muMillimeters ? inches * 25.4L : inches);
}

double TRichPrinter::FromPixelsY(int pixels) const {
  const long double inches = static_cast<long double>(pixels) / std::max(1, Caps(LOGPIXELSY));
  return static_cast<double>(unit_ == muMillimeters ? inches * 25.4L : inches);
}

double TRichPrinter::GutterLeft() const { return FromPixelsX(Caps(PHYSICALOFFSETX)); }
double TRichPrinter::GutterTop() const { return FromPixelsY(Caps(PHYSICALOFFSETY)); }
double TRichPrinter::GutterRight() const {
  return FromPixelsX(Caps(PHYSICALWIDTH) - Caps(HORZRES) - Caps(PHYSICALOFFSETX));
}
double TRichPrinter::GutterBottom() const {
  return FromPixelsY(Caps(PHYSICALHEIGHT) - Caps(VERTRES) - Caps(PHYSICALOFFSETY));
}

int TRichPrinter::LeftMarginPx() const { return ToPixelsX(marginLeft_ - GutterLeft()); }
int TRichPrinter::RightMarginPx() const { return ToPixelsX(marginRight_ - GutterRight()); }
int TRichPrinter::TopMarginPx() const { return ToPixelsY(marginTop_ - GutterTop()); }
int TRichPrinter::BottomMarginPx() const {
  return std::max(ToPixelsY(marginBottom_ - GutterBottom()), lineHeight_);
}

TRect TRichPrinter::TextArea() const {
  const int left = LeftMarginPx(), top = TopMarginPx();
  return Bounds(left, top, Caps(HORZRES) - left - RightMarginPx(), Caps(VERTRES) - top - BottomMarginPx());
}

// ---- properties ----

void TRichPrinter::CheckNotPrinting(const char* what) const {
  if (Printer()->Printing()) throw ELinePrinter(AnsiString("Unable to change ") + what + " while printing");
}

double TRichPrinter::ClampMargin(double v, double gutter, double physical, double opposite) const {
  return std::min(std::max(v, gutter), physical - opposite);
}

void TRichPrinter::SetMarginTop(double v) {
  CheckNotPrinting("top margin");
  marginTop_ = ClampMargin(v, GutterTop(), FromPixelsY(Caps(PHYSICALHEIGHT)), GutterBottom());
}

void TRichPrinter::SetMarginBottom(double v) {
  CheckNotPrinting("bottom margin");
  marginBottom_ = ClampMargin(v, GutterBottom(), FromPixelsY(Caps(PHYSICALHEIGHT)), GutterTop());
}

void TRichPrinter::SetMarginLeft(double v) {
  CheckNotPrinting("left margin");
  marginLeft_ = ClampMargin(v, GutterLeft(), FromPixelsX(Caps(PHYSICALWIDTH)), GutterRight());
}

void TRichPrinter::SetMarginRight(double v) {
  CheckNotPrinting("right margin");
  marginRight_ = ClampMargin(v, GutterRight(), FromPixelsX(Caps(PHYSICALWIDTH)), GutterLeft());
}

void TRichPrinter::SetBitmapLogo(const TPicture& picture) {
  if (picture.Graphic() == nullptr || picture.Graphic()->Empty()) {
    logo_.SetGraphic(nullptr);
    return;
  }
  // A copy through the graphic's own format.
  std::unique_ptr<TGraphic> copy;
  if (dynamic_cast<const TMetafile*>(picture.Graphic()))
    copy = std::make_unique<TMetafile>();
  else
    copy = std::make_unique<TBitmap>();
  TMemoryStream bytes;
  picture.Graphic()->SaveToStream(bytes);
  bytes.SetPosition(0);
  copy->LoadFromStream(bytes);
  logo_.SetGraphic(std::move(copy));
}

const TFont& TRichPrinter::Font_HeaderFooter() const { return *surface_->Font; }

void TRichPrinter::SetFont_HeaderFooter(const TFont& font) {
  headerFont_.Assign(font);
  // White text would not show on the paper.
  if (headerFont_.Color == clWhite) headerFont_.Color = clBlack;
  surface_->Font->Assign(headerFont_);
  if (surface_->Font->Color == clWhite) surface_->Font->Color = clBlack;
  TakeLineHeight();
}

TPrinterOrientation TRichPrinter::Orientation() const { return Printer()->Orientation(); }

void TRichPrinter::SetOrientation(TPrinterOrientation o) {
  CheckNotPrinting("orientation");
  Printer()->SetOrientation(o);
}

AnsiString TRichPrinter::Title() const { return Printer()->Title; }

void TRichPrinter::SetTitle(const AnsiString& title) {
  CheckNotPrinting("title");
  Printer()->Title = title;
}

// ---- unit change and applying again ----

AnsiString TRichPrinter::RescaleFormat(const AnsiString& format, double factor) const {
  // Each column keeps its alignment; its width goes into the new unit.
  AnsiString out;
  size_t start = 0;
  while (true) {
    const size_t bar = format.find('|', start);
    const AnsiString item = format.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start);
    const TColumnFormat c = ParseColumnFormat(item, defaultWidth_);
    if (!out.empty()) out += '|';
    out += c.Alignment == taRightJustify ? ">" : c.Alignment == taCenter ? "^" : "<";
    out += Format("%8.3f", {static_cast<Extended>(c.Width * factor)});
    if (bar == AnsiString::npos) break;
    start = bar + 1;
  }
  return out;
}

void TRichPrinter::SetMeasureUnit(TMeasureUnit unit) {
  if (unit == unit_) return;
  if (loading_) {
    unit_ = unit;
    return;
  }
  const double factor = unit == muMillimeters ? 25.4 : 1 / 25.4;
  const double top = marginTop_ * factor, bottom = marginBottom_ * factor, left = marginLeft_ * factor,
               right = marginRight_ * factor;
  HeaderFormat = RescaleFormat(HeaderFormat, factor);
  FooterFormat = RescaleFormat(FooterFormat, factor);
  unit_ = unit;
  SetMarginTop(top);
  SetMarginBottom(bottom);
  SetMarginLeft(left);
  SetMarginRight(right);
  BorderOffset *= factor;
  defaultWidth_ *= factor;
  LogoTop *= factor;
  LogoLeft *= factor;
  LogoWidth *= factor;
  LogoHeight *= factor;
  ApplyAgain();
}

void TRichPrinter::ApplyAgain() {
  if (Printer()->Printing()) return;
  // Through the setters, so that the margins fit the printer chosen now.
  SetMarginTop(marginTop_);
  SetMarginBottom(marginBottom_);
  SetMarginLeft(marginLeft_);
  SetMarginRight(marginRight_);
}

// ---- settings store ----

void TRichPrinter::LoadSettings() {
  TRegistryIniFile ini(kRichPrnKey);
  if (!ini.SectionExists("Marges")) {
    ApplyAgain();
    return;
  }
  const double left = ini.ReadFloat("Marges", "MarginLeft", marginLeft_);
  const double top = ini.ReadFloat("Marges", "MarginTop", marginTop_);
  const double bottom = ini.ReadFloat("Marges", "MarginBottom", marginBottom_);
  const double right = ini.ReadFloat("Marges", "MarginRight", marginRight_);
  // The unit first: the margins stored are in it.
  SetMeasureUnit(ini.ReadInteger("Marges", "CodeMeasurement", 1) == 1 ? muMillimeters : muInches);
  SetMarginLeft(left);
  SetMarginTop(top);
  SetMarginBottom(bottom);
  SetMarginRight(right);
  SetOrientation(ini.ReadInteger("Marges", "CodeDirection", 1) == 1 ? poPortrait : poLandscape);
}

void TRichPrinter::SaveSettings() {
  TRegistryIniFile ini(kRichPrnKey);
  ini.WriteFloat("Marges", "MarginLeft", marginLeft_);
  ini.WriteFloat("Marges", "MarginTop", marginTop_);
  ini.WriteFloat("Marges", "MarginBottom", marginBottom_);
  ini.WriteFloat("Marges", "MarginRight", marginRight_);
  ini.WriteInteger("Marges", "CodeMeasurement", unit_ == muMillimeters ? 1 : 0);
  ini.WriteInteger("Marges", "CodeDirection", Orientation() == poPortrait ? 1 : 0);
}

// ---- page set-up ----

void TRichPrinter::PageSetup() {
  PAGESETUPDLG psd;
  psd.hDevNames = MakeDevNames(Printer()->DriverName(), Printer()->DeviceName(), Printer()->PortName());
  if (SaveMargins) LoadSettings();
  psd.hDevMode = Printer()->DeviceMode();
  psd.hDevMode->dmOrientation = Orientation() == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  const double scale = unit_ == muInches ? 1000 : 100;
  psd.rtMargin =
      Rect(static_cast<int>(Round(marginLeft_ * scale)), static_cast<int>(Round(marginTop_ * scale)),
           static_cast<int>(Round(marginRight_ * scale)), static_cast<int>(Round(marginBottom_ * scale)));
  psd.Flags = unit_ == muInches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;
  if (Options_Dialog.Contains(poDisableMargins))
    psd.Flags |= PSD_DISABLEMARGINS;
  else if (Options_Dialog.Contains(poMargins))
    psd.Flags |= PSD_MARGINS;
  if (Options_Dialog.Contains(poDisableOrientation)) psd.Flags |= PSD_DISABLEORIENTATION;
  if (Options_Dialog.Contains(poDisablePaper)) psd.Flags |= PSD_DISABLEPAPER;
  if (Options_Dialog.Contains(poDisablePrinter)) psd.Flags |= PSD_DISABLEPRINTER;
  psd.Flags |= PSD_ENABLEPAGESETUPHOOK;
  psd.hwndOwner = Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
  // Centred across the screen, a third of the free height from the top.
  psd.lpfnPageSetupHook = [](TCustomForm& f) {
    f.Position = poDesigned;
    f.SetBounds((Screen->Width() - f.Width()) / 2, (Screen->Height() - f.Height()) / 3, f.Width(),
                f.Height());
  };
  const bool ok = PageSetupDlg(psd);
  // Cancel gives the margins back as they were: taken all the same.
  SetMarginLeft(psd.rtMargin.Left / scale);
  SetMarginTop(psd.rtMargin.Top / scale);
  SetMarginRight(psd.rtMargin.Right / scale);
  SetMarginBottom(psd.rtMargin.Bottom / scale);
  if (ok) {
    AnsiString driver, device, port;
    if (ReadDevNames(psd.hDevNames, driver, device, port)) {
      const int index = Printer()->Printers()->IndexOf(device);
      if (index >= 0 && index != Printer()->PrinterIndex()) Printer()->SetPrinterIndex(index);
    }
    if (psd.hDevMode) Printer()->SetDeviceMode(*psd.hDevMode);
  }
  ApplyAgain();
  if (SaveMargins) SaveSettings();
}
