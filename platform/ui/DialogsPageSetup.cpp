// The page set-up dialog: printer, paper, orientation and margins.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/ui/Backend.h"
#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

std::string MakeDevNames(const AnsiString& driver, const AnsiString& device, const AnsiString& port) {
  std::string block(8, '\0');
  auto put16 = [&](size_t at, size_t value) {
    block[at] = static_cast<char>(value & 0xFF);
    block[at + 1] = static_cast<char>((value >> 8) & 0xFF);
  };
  put16(0, block.size());
  block += driver + '\0';
  put16(2, block.size());
  block += device + '\0';
  put16(4, block.size());
  block += port + '\0';
  return block;
}

bool ReadDevNames(std::string_view block, AnsiString& driver, AnsiString& device, AnsiString& port) {
  if (block.size() < 8) return false;
  auto get16 = [&](size_t at) {
    return static_cast<size_t>(static_cast<unsigned char>(block[at])) |
           (static_cast<size_t>(static_cast<unsigned char>(block[at + 1])) << 8);
  };
  AnsiString* names[] = {&driver, &device, &port};
  AnsiString read[3];
  for (size_t i = 0; i < 3; ++i) {
    const size_t at = get16(i * 2);
    if (at < 8 || at >= block.size()) return false;
    const size_t end = block.find('\0', at);
    if (end == std::string_view::npos) return false;
    read[i] = AnsiString(block.substr(at, end - at));
  }
  for (size_t i = 0; i < 3; ++i) *names[i] = read[i];
  return true;
}

namespace dialogs {
namespace {

// Margins the user sees: millimetres or inches, with the locale's
// separator and no needless zeros.
AnsiString ShowMargin(int value, bool inches) {
  AnsiString s = FormatFloat(inches ? "0.###" : "0.##", value / (inches ? 1000.0L : 100.0L));
  return s;
}

bool ReadMargin(const AnsiString& text, bool inches, int& value) {
  AnsiString t = Trim(text);
  for (char& c : t)
    if (c == ',' || c == '.') c = DecimalSeparator;
  long double v = 0;
  if (t.empty() || !TryStrToFloat(t, v) || v < 0 || v > 10000) return false;
  value = static_cast<int>(std::lround(v * (inches ? 1000.0L : 100.0L)));
  return true;
}

class TPageSetupForm : public TDialogForm {
 public:
  TPageSetupForm(PAGESETUPDLG& psd, bool inches)
      : TDialogForm(nullptr, "Διαμόρφωση σελίδας"_a), psd_(psd), inches_(inches) {
    SetClientSizeDU(262, 162);
    Printers = AddPrinterChooser(*this, 250);
    Printers->SetEnabled(!(psd.Flags & PSD_DISABLEPRINTER));

    auto* paper = Add<TGroupBox>("Χαρτί", 6, 40, 150, 30);
    Add<TLabel>("&Μέγεθος:", 6, 13, 40, 9, paper)->SetFocusControl(Papers = AddChooser(48, 11, 96, paper));
    Papers->SetName("PaperList");
    Papers->SetEnabled(!(psd.Flags & PSD_DISABLEPAPER));

    // Both orientations show whole: the margins start below this box.
    auto* orientation = Add<TGroupBox>("Προσανατολισμός", 162, 40, 94, 46);
    Portrait = Add<TRadioButton>("&Κατακόρυφος", 6, 13, 80, 10, orientation);
    Portrait->SetName("Portrait");
    Landscape = Add<TRadioButton>("&Οριζόντιος", 6, 29, 80, 10, orientation);
    Landscape->SetName("Landscape");
    Portrait->SetEnabled(!(psd.Flags & PSD_DISABLEORIENTATION));
    Landscape->SetEnabled(Portrait->Enabled());

    auto* margins = Add<TGroupBox>(inches ? "Περιθώρια (ίντσες)" : "Περιθώρια (mm)", 6, 92, 250, 46);
    const bool marginsOn = !(psd.Flags & PSD_DISABLEMARGINS);
    auto field = [&](const char* caption, const char* name, int x, int y) {
      auto* label = Add<TLabel>(caption, x, y + 2, 40, 9, margins);
      auto* edit = Add<TEdit>(x + 42, y, 40, 12, margins);
      edit->SetName(name);
      edit->SetEnabled(marginsOn);
      label->SetFocusControl(edit);
      return edit;
    };
    Left = field("&Αριστερό:", "MarginLeft", 6, 12);
    Right = field("&Δεξί:", "MarginRight", 130, 12);
    Top = field("&Πάνω:", "MarginTop", 6, 28);
    Bottom = field("Κά&τω:", "MarginBottom", 130, 28);

    TButton* ok = OkButton(152, 144, 50);
    ok->ModalResult = mrNone;  // the margins are checked first
    ok->OnClick = [this](TObject*) { OkPressed(); };
    CancelButton(206, 144);

    // The printer the record names, else the program's.
    AnsiString driver, device, port;
    if (ReadDevNames(psd.hDevNames, driver, device, port)) {
      const int at = Printer()->Printers()->IndexOf(device);
      if (at >= 0) Printers->SetItemIndex(at);
    }
    mode_ = psd.hDevMode ? *psd.hDevMode
                         : (Printers->ItemIndex() == Printer()->PrinterIndex() ? Printer()->DeviceMode()
                                                                               : Profile().Defaults);
    ShowPrinter();
    Printers->OnClick = [this](TObject*) {
      mode_ = Profile().Defaults;
      ShowPrinter();
    };
    Papers->OnClick = [this](TObject*) { TakePaper(); };
    Portrait->OnClick = Landscape->OnClick = [this](TObject*) {
      mode_.dmOrientation = Landscape->Checked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    };
    TRect start = psd.rtMargin;
    if (!(psd.Flags & PSD_MARGINS)) {
      const int inch = inches ? 1000 : 2540;
      start = Rect(inch, inch, inch, inch);
    }
    Left->SetText(ShowMargin(start.Left, inches));
    Top->SetText(ShowMargin(start.Top, inches));
    Right->SetText(ShowMargin(start.Right, inches));
    Bottom->SetText(ShowMargin(start.Bottom, inches));
    SetActiveControl(ok);
  }

  const TPrinterProfile& Profile() const {
    const auto& profiles = printers::Profiles();
    const int i = std::clamp(Printers->ItemIndex(), 0, static_cast<int>(profiles.size()) - 1);
    return profiles[static_cast<size_t>(i)];
  }

  // The paper's size in the dialog's units as it lies (landscape turned).
  TPoint PaperSize() const {
    const std::optional<TPaperSize> size = PaperSizeOf(mode_.dmPaperSize);
    const double w = size ? size->WidthMM : 210, l = size ? size->LengthMM : 297;
    const auto units = [&](double mm) {
      return static_cast<int>(std::lround(inches_ ? mm / 25.4 * 1000 : mm * 100));
    };
    TPoint p{units(w), units(l)};
    if (mode_.dmOrientation == DMORIENT_LANDSCAPE) std::swap(p.X, p.Y);
    return p;
  }

  // The smallest margins: the record's, or the printer's unprintable edges.
  TRect MinMargins() const {
    if (psd_.Flags & PSD_MINMARGINS) return psd_.rtMinMargin;
    const TPrinterProfile& p = Profile();
    const auto units = [&](int dots, int dpi) {
      return static_cast<int>(std::lround(dots * (inches_ ? 1000.0 : 2540.0) / std::max(1, dpi)));
    };
    const int left = units(p.OffsetX, p.DpiX), top = units(p.OffsetY, p.DpiY),
              right = units(p.OffsetRight.value_or(p.OffsetX), p.DpiX),
              bottom = units(p.OffsetBottom.value_or(p.OffsetY), p.DpiY);
    // Turned, the page's top is the sheet's left edge and its left the
    // sheet's bottom, as the printer lays a landscape page.
    if (mode_.dmOrientation == DMORIENT_LANDSCAPE) return Rect(bottom, left, top, right);
    return Rect(left, top, right, bottom);
  }

  TChooser* Printers;
  TChooser* Papers;
  TRadioButton* Portrait;
  TRadioButton* Landscape;
  TEdit* Left;
  TEdit* Top;
  TEdit* Right;
  TEdit* Bottom;
  TDeviceMode mode_;
  TRect Chosen{};

 private:
  void ShowPrinter() {
    const TPrinterProfile& profile = Profile();
    codes_ = profile.PaperCodes;
    Papers->Items()->Clear();
    for (int code : codes_) Papers->Items()->Add(PaperName(code));
    const auto at = std::find(codes_.begin(), codes_.end(), mode_.dmPaperSize);
    Papers->SetItemIndex(at == codes_.end() ? (codes_.empty() ? -1 : 0)
                                            : static_cast<int>(at - codes_.begin()));
    TakePaper();
    (mode_.dmOrientation == DMORIENT_LANDSCAPE ? Landscape : Portrait)->SetChecked(true);
  }

  void TakePaper() {
    if (Papers->ItemIndex() < 0) return;
    mode_.dmPaperSize = codes_[static_cast<size_t>(Papers->ItemIndex())];
    mode_.dmFields = (mode_.dmFields & ~(DM_PAPERLENGTH | DM_PAPERWIDTH)) | DM_PAPERSIZE;
  }

  void OkPressed() {
    int values[4];
    TEdit* fields[4] = {Left, Top, Right, Bottom};
    for (int i = 0; i < 4; ++i) {
      if (!ReadMargin(fields[i]->Text(), inches_, values[i])) {
        Refuse("Τα περιθώρια πρέπει να είναι θετικοί αριθμοί."_a, fields[i]);
        return;
      }
    }
    // Below the smallest margin a printer can print, the margin is its.
    const TRect low = MinMargins();
    TRect m = Rect(std::max(values[0], low.Left), std::max(values[1], low.Top),
                   std::max(values[2], low.Right), std::max(values[3], low.Bottom));
    const TPoint paper = PaperSize();
    if (m.Left + m.Right >= paper.X || m.Top + m.Bottom >= paper.Y) {
      Refuse("Τα περιθώρια επικαλύπτονται ή βγαίνουν έξω από το χαρτί."_a,
             m.Left + m.Right >= paper.X ? Left : Top);
      return;
    }
    Chosen = m;
    SetModalResult(mrOk);
  }

  void Refuse(const AnsiString& message, TEdit* field) {
    Backend().MessageBox(message, Caption(), MB_OK | MB_ICONWARNING);
    field->SetFocus();
    field->SelectAll();
  }

  PAGESETUPDLG& psd_;
  bool inches_;
  std::vector<int> codes_;
};

}  // namespace
}  // namespace dialogs

bool PageSetupDlg(PAGESETUPDLG& psd) {
  if (!dialogs::HavePrinters(true)) return false;
  const bool inches = (psd.Flags & PSD_INTHOUSANDTHSOFINCHES) != 0;
  std::unique_ptr<dialogs::TPageSetupForm> form(new dialogs::TPageSetupForm(psd, inches));
  form->AfterConstruction();
  if (psd.Flags & PSD_ENABLEPAGESETUPHOOK && psd.lpfnPageSetupHook) psd.lpfnPageSetupHook(*form);
  if (form->ShowModal() != mrOk) return false;
  const TPrinterProfile& profile = form->Profile();
  psd.hDevNames = MakeDevNames(profile.Driver, profile.Name, profile.Port);
  psd.hDevMode = form->mode_;
  psd.ptPaperSize = form->PaperSize();
  psd.rtMargin = form->Chosen;
  psd.Flags |= PSD_MARGINS;
  return true;
}
