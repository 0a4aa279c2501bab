// The print and printer set-up dialogs over the program's printer.

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Backend.h"
#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

namespace dialogs {

AnsiString PaperName(int code) {
  static const struct {
    int code;
    const char* name;
  } kNames[] = {{1, "Letter"}, {5, "Legal"},     {7, "Executive"}, {8, "A3"},  {9, "A4"},
                {11, "A5"},    {12, "B4 (JIS)"}, {13, "B5 (JIS)"}, {27, "DL"}, {28, "C5"}};
  const std::optional<TPaperSize> size = PaperSizeOf(code);
  AnsiString name;
  for (const auto& n : kNames)
    if (n.code == code) name = n.name;
  if (!size) return name.empty() ? Format("Χαρτί %d"_a, {code}) : name;
  const AnsiString dims = Format("%d x %d mm", {static_cast<int>(std::lround(size->WidthMM)),
                                                static_cast<int>(std::lround(size->LengthMM))});
  return name.empty() ? dims : name + " (" + dims + ")";
}

TChooser* AddPrinterChooser(TDialogForm& form, int width) {
  auto* group = form.Add<TGroupBox>("Εκτυπωτής", 6, 4, width, 32);
  auto* label = form.Add<TLabel>("&Ονομα:", 6, 14, 30, 9, group);
  TChooser* printers = form.AddChooser(38, 12, width - 46, group);
  printers->SetName("PrinterList");
  label->SetFocusControl(printers);
  printers->Items()->Assign(*Printer()->Printers());
  printers->SetItemIndex(Printer()->PrinterIndex());
  return printers;
}

bool HavePrinters(bool warn) {
  if (Printer()->Printers()->Count() > 0) return true;
  if (warn)
    Backend().MessageBox("Δεν υπάρχει εγκατεστημένος εκτυπωτής."_a, "Εκτύπωση"_a, MB_OK | MB_ICONWARNING);
  return false;
}

namespace {

// Fills a chooser with Names and selects the line of Wanted among Codes (the
// first line when it is not there, none when there are no lines).
void FillChooser(TChooser* chooser, const std::vector<AnsiString>& names, const std::vector<int>& codes,
                 int wanted) {
  chooser->Items()->Clear();
  for (const AnsiString& name : names) chooser->Items()->Add(name);
  const auto at = std::find(codes.begin(), codes.end(), wanted);
  chooser->SetItemIndex(at == codes.end() ? (codes.empty() ? -1 : 0) : static_cast<int>(at - codes.begin()));
}

// The papers and bins of a printer in their choosers, those of Mode chosen.
void ShowPapersAndBins(const TPrinterProfile& profile, const TDeviceMode& mode, TChooser* papers,
                       std::vector<int>& paperCodes, TChooser* bins, std::vector<int>& binCodes) {
  paperCodes = profile.PaperCodes;
  std::vector<AnsiString> names;
  for (int code : paperCodes) names.push_back(PaperName(code));
  FillChooser(papers, names, paperCodes, mode.dmPaperSize);
  binCodes.clear();
  names.clear();
  for (const TPrinterBin& bin : profile.Bins) {
    binCodes.push_back(bin.Code);
    names.push_back(bin.Name);
  }
  FillChooser(bins, names, binCodes, mode.dmDefaultSource);
}

// The chosen paper and bin into Mode, each unless told to leave it.
void TakePaperAndBin(TDeviceMode& mode, TChooser* papers, const std::vector<int>& paperCodes, TChooser* bins,
                     const std::vector<int>& binCodes, bool paper = true, bool bin = true) {
  if (paper && papers->ItemIndex() >= 0 && papers->ItemIndex() < static_cast<int>(paperCodes.size())) {
    mode.dmPaperSize = paperCodes[static_cast<size_t>(papers->ItemIndex())];
    // A chosen paper replaces explicit dimensions.
    mode.dmFields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
    mode.dmFields |= DM_PAPERSIZE;
  }
  if (bin && bins->ItemIndex() >= 0 && bins->ItemIndex() < static_cast<int>(binCodes.size())) {
    mode.dmDefaultSource = binCodes[static_cast<size_t>(bins->ItemIndex())];
    mode.dmFields |= DM_DEFAULTSOURCE;
  }
}

// Takes the chosen printer; its settings start afresh only when it changed.
void SelectPrinter(int index) {
  if (index >= 0 && index != Printer()->PrinterIndex()) Printer()->SetPrinterIndex(index);
}

bool ReadNumber(TEdit* edit, int low, int high, int& value) {
  return TryStrToInt(Trim(edit->Text()), value) && value >= low && value <= high;
}

class TPrintForm : public TDialogForm {
 public:
  explicit TPrintForm(TPrintDialog& dialog) : TDialogForm(&dialog, "Εκτύπωση"_a), dialog_(dialog) {
    SetClientSizeDU(262, 198);
    Printers = AddPrinterChooser(*this, 250);
    Printers->OnClick = [this](TObject*) { ShowPrinter(Printers->ItemIndex(), nullptr); };

    auto* range = Add<TGroupBox>("Περιοχή εκτύπωσης", 6, 40, 140, 64);
    All = Add<TRadioButton>("Ο&λες", 6, 11, 60, 10, range);
    All->SetName("AllPages");
    Pages = Add<TRadioButton>("&Σελίδες", 6, 25, 40, 10, range);
    Pages->SetName("PageNums");
    Add<TLabel>("&από:", 48, 26, 16, 9, range)->SetFocusControl(From = Add<TEdit>(64, 24, 24, 12, range));
    Add<TLabel>("έ&ως:", 92, 26, 18, 9, range)->SetFocusControl(To = Add<TEdit>(110, 24, 24, 12, range));
    From->SetName("FromPage");
    To->SetName("ToPage");
    Selection = Add<TRadioButton>("&Επιλογή", 6, 41, 60, 10, range);
    Selection->SetName("Selection");

    auto* copies = Add<TGroupBox>("Αντίγραφα", 152, 40, 104, 64);
    Add<TLabel>("Αριθμός &αντιγράφων:", 6, 13, 70, 9, copies)
        ->SetFocusControl(Copies = Add<TEdit>(78, 11, 20, 12, copies));
    Copies->SetName("Copies");
    Collate = Add<TCheckBox>("Συρρα&φή", 6, 30, 80, 10, copies);
    Collate->SetName("Collate");

    // What the printer's own settings offer: paper, its source, quality,
    // both sides and colour, each only where the printer honours it.
    auto* device = Add<TGroupBox>("Ιδιότητες εκτυπωτή", 6, 108, 250, 62);
    Add<TLabel>("&Χαρτί:", 6, 13, 40, 9, device)->SetFocusControl(Papers = AddChooser(48, 11, 78, device));
    Papers->SetName("PaperList");
    Add<TLabel>("&Προέλευση:", 6, 29, 40, 9, device)->SetFocusControl(Bins = AddChooser(48, 27, 78, device));
    Bins->SetName("BinList");
    Add<TLabel>("&Ποιότητα:", 6, 45, 40, 9, device)
        ->SetFocusControl(Qualities = AddChooser(48, 43, 78, device));
    Qualities->SetName("QualityList");
    Add<TLabel>("&Διπλή όψη:", 132, 13, 40, 9, device)
        ->SetFocusControl(Sides = AddChooser(172, 11, 72, device));
    Sides->SetName("DuplexList");
    Add<TLabel>("Χ&ρώμα:", 132, 29, 40, 9, device)
        ->SetFocusControl(Colours = AddChooser(172, 27, 72, device));
    Colours->SetName("ColorList");
    ShowPrinter(Printer()->PrinterIndex(), &Printer()->DeviceMode());

    if (dialog.Options.Contains(poPrintToFile)) {
      ToFile = Add<TCheckBox>("Εκτύπωση σε α&ρχείο", 6, 176, 100, 10);
      ToFile->SetName("PrintToFile");
      ToFile->SetChecked(dialog.PrintToFile);
      ToFile->SetEnabled(!dialog.Options.Contains(poDisablePrintToFile));
    }
    TButton* ok = OkButton(152, 176, 50);
    ok->ModalResult = mrNone;  // the numbers are checked first
    ok->OnClick = [this](TObject*) { OkPressed(); };
    CancelButton(206, 176);
    if (dialog.Options.Contains(poHelp)) {
      TButton* help = AddButton("&Βοήθεια", mrNone, 108, 176, 40);
      help->SetName("HelpButton");
      help->OnClick = [this](TObject*) {
        if (dialog_.HelpWindow != nullptr)
          SendMessage(dialog_.HelpWindow, RegisterWindowMessage("commdlg_help"),
                      reinterpret_cast<WPARAM>(Handle()), 0);
      };
    }

    // As on the system, a range of one page offers no page numbers.
    const bool pageNums = dialog.Options.Contains(poPageNums) && dialog.MinPage < dialog.MaxPage;
    Pages->SetEnabled(pageNums);
    From->SetEnabled(pageNums);
    To->SetEnabled(pageNums);
    Selection->SetEnabled(dialog.Options.Contains(poSelection));
    From->SetText(IntToStr(dialog.FromPage));
    To->SetText(IntToStr(dialog.ToPage));
    switch (dialog.PrintRange) {
      case prPageNums:
        (pageNums ? Pages : All)->SetChecked(true);
        break;
      case prSelection:
        (Selection->Enabled() ? Selection : All)->SetChecked(true);
        break;
      default:
        All->SetChecked(true);
        break;
    }
    // Typing page numbers chooses the page range.
    From->OnChange = To->OnChange = [this](TObject*) {
      if (From->Focused() || To->Focused()) Pages->SetChecked(true);
    };
    Copies->SetText(IntToStr(std::max(1, dialog.Copies)));
    Collate->SetChecked(dialog.Collate);
    SetActiveControl(ok);
  }

  // Puts the choices of printer Index into the lists, choosing those of
  // Mode (the printer's own defaults when null); what the printer does not
  // honour stays shown but cannot be changed.
  void ShowPrinter(int index, const TDeviceMode* mode) {
    const auto& profiles = printers::Profiles();
    if (index < 0 || index >= static_cast<int>(profiles.size())) return;
    ShownPrinter = index;
    const TPrinterProfile& profile = profiles[static_cast<size_t>(index)];
    const TDeviceMode& m = mode ? *mode : profile.Defaults;
    ShowPapersAndBins(profile, m, Papers, PaperCodes, Bins, BinCodes);
    QualityCodes.clear();
    std::vector<AnsiString> names;
    for (int dpi : profile.Resolutions.empty() ? std::vector<int>{150, 300, 600, 1200} : profile.Resolutions)
      if (!profile.Resolutions.empty() || dpi <= std::max(profile.DpiX, profile.DpiY) ||
          dpi == m.dmPrintQuality)
        QualityCodes.push_back(dpi);
    if (std::find(QualityCodes.begin(), QualityCodes.end(), m.dmPrintQuality) == QualityCodes.end())
      QualityCodes.push_back(m.dmPrintQuality);
    for (int dpi : QualityCodes) names.push_back(IntToStr(dpi) + " dpi");
    FillChooser(Qualities, names, QualityCodes, m.dmPrintQuality);
    FillChooser(Sides,
                {cp1253::FromUtf8("Μονής όψης"), cp1253::FromUtf8("Γύρισμα στη μεγάλη πλευρά"),
                 cp1253::FromUtf8("Γύρισμα στη μικρή πλευρά")},
                {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}, m.dmDuplex);
    FillChooser(Colours, {cp1253::FromUtf8("Έγχρωμη"), cp1253::FromUtf8("Ασπρόμαυρη")},
                {DMCOLOR_COLOR, DMCOLOR_MONOCHROME}, m.dmColor);
    const std::uint32_t fields = profile.Defaults.dmFields;
    Papers->SetEnabled((fields & DM_PAPERSIZE) != 0 && !PaperCodes.empty());
    Bins->SetEnabled((fields & DM_DEFAULTSOURCE) != 0 && !BinCodes.empty());
    Qualities->SetEnabled((fields & DM_PRINTQUALITY) != 0);
    Sides->SetEnabled((fields & DM_DUPLEX) != 0);
    Colours->SetEnabled((fields & DM_COLOR) != 0);
    shownChoices_ = Choices();
  }

  // The chosen printer's settings take what the user changed in its lists;
  // a value of its own that no line names stays as it is.
  void TakeDeviceChoices(TDeviceMode& mode) const {
    const std::vector<int> now = Choices();
    const auto changed = [&](int i) {
      return now[static_cast<size_t>(i)] != shownChoices_[static_cast<size_t>(i)];
    };
    TakePaperAndBin(mode, Papers, PaperCodes, Bins, BinCodes, changed(0), changed(1));
    if (changed(2) && Qualities->Enabled() && Qualities->ItemIndex() >= 0) {
      mode.dmPrintQuality = QualityCodes[static_cast<size_t>(Qualities->ItemIndex())];
      mode.dmFields |= DM_PRINTQUALITY;
    }
    static constexpr int kSides[] = {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL};
    if (changed(3) && Sides->Enabled() && Sides->ItemIndex() >= 0) mode.dmDuplex = kSides[Sides->ItemIndex()];
    if (changed(4) && Colours->Enabled() && Colours->ItemIndex() >= 0)
      mode.dmColor = Colours->ItemIndex() == 0 ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
  }

  TChooser* Printers;
  TRadioButton* All;
  TRadioButton* Pages;
  TRadioButton* Selection;
  TEdit* From;
  TEdit* To;
  TEdit* Copies;
  TCheckBox* Collate;
  TCheckBox* ToFile = nullptr;
  TChooser* Papers;
  TChooser* Bins;
  TChooser* Qualities;
  TChooser* Sides;
  TChooser* Colours;
  std::vector<int> PaperCodes, BinCodes, QualityCodes;
  // The printer whose choices the lists show.
  int ShownPrinter = -1;
  // The lines chosen in the paper, bin, quality, sides and colour lists.
  std::vector<int> Choices() const {
    return {Papers->ItemIndex(), Bins->ItemIndex(), Qualities->ItemIndex(), Sides->ItemIndex(),
            Colours->ItemIndex()};
  }
  int FromValue = 0, ToValue = 0, CopiesValue = 1;

 private:
  void OkPressed() {
    if (Pages->Checked()) {
      const int low = dialog_.MinPage, high = dialog_.MaxPage;
      if (!ReadNumber(From, low, high, FromValue) || !ReadNumber(To, low, high, ToValue) ||
          FromValue > ToValue) {
        Refuse(Format("Οι σελίδες πρέπει να είναι από %d έως %d."_a, {low, high}), From);
        return;
      }
    }
    if (!ReadNumber(Copies, 1, 9999, CopiesValue)) {
      Refuse("Τα αντίγραφα πρέπει να είναι από 1 έως 9999."_a, Copies);
      return;
    }
    SetModalResult(mrOk);
  }

  void Refuse(const AnsiString& message, TEdit* field) {
    Backend().MessageBox(message, Caption(), MB_OK | MB_ICONWARNING);
    field->SetFocus();
    field->SelectAll();
  }

  TPrintDialog& dialog_;
  std::vector<int> shownChoices_;
};

class TSetupForm : public TDialogForm {
 public:
  explicit TSetupForm(TComponent* owner) : TDialogForm(owner, "Ρυθμίσεις εκτύπωσης"_a) {
    SetClientSizeDU(262, 110);
    Printers = AddPrinterChooser(*this, 250);
    Printers->OnClick = [this](TObject*) { ShowPrinter(Printers->ItemIndex(), nullptr); };

    auto* paper = Add<TGroupBox>("Χαρτί", 6, 40, 150, 46);
    Add<TLabel>("&Μέγεθος:", 6, 13, 40, 9, paper)->SetFocusControl(Papers = AddChooser(48, 11, 96, paper));
    Papers->SetName("PaperList");
    Add<TLabel>("&Προέλευση:", 6, 29, 40, 9, paper)->SetFocusControl(Bins = AddChooser(48, 27, 96, paper));
    Bins->SetName("BinList");

    auto* orientation = Add<TGroupBox>("Προσανατολισμός", 162, 40, 94, 46);
    Portrait = Add<TRadioButton>("&Κατακόρυφος", 6, 13, 80, 10, orientation);
    Portrait->SetName("Portrait");
    Landscape = Add<TRadioButton>("&Οριζόντιος", 6, 29, 80, 10, orientation);
    Landscape->SetName("Landscape");
    TButton* ok = OkButton(152, 92);
    CancelButton(206, 92);
    const TDeviceMode& mode = Printer()->DeviceMode();
    ShowPrinter(Printer()->PrinterIndex(), &mode);
    SetActiveControl(ok);
  }

  // Puts the papers and bins of printer Index into the lists, choosing
  // those of Mode (the printer's own defaults when null).
  void ShowPrinter(int index, const TDeviceMode* mode) {
    const auto& profiles = printers::Profiles();
    if (index < 0 || index >= static_cast<int>(profiles.size())) return;
    const TPrinterProfile& profile = profiles[static_cast<size_t>(index)];
    const TDeviceMode& m = mode ? *mode : profile.Defaults;
    ShowPapersAndBins(profile, m, Papers, PaperCodes, Bins, BinCodes);
    (m.dmOrientation == DMORIENT_LANDSCAPE ? Landscape : Portrait)->SetChecked(true);
  }

  TChooser* Printers;
  TChooser* Papers;
  TChooser* Bins;
  TRadioButton* Portrait;
  TRadioButton* Landscape;
  std::vector<int> PaperCodes, BinCodes;
};

}  // namespace
}  // namespace dialogs

bool TPrintDialog::Execute() {
  if (!dialogs::HavePrinters(Options.Contains(poWarning))) return false;
  std::unique_ptr<dialogs::TPrintForm> form(new dialogs::TPrintForm(*this));
  form->AfterConstruction();
  if (ThirdOfScreen) {
    // Across the middle, a third of the way down the free screen.
    const TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 1024, 768);
    form->Position = poDesigned;
    form->SetBounds(area.Left + (area.Width() - form->Width()) / 2,
                    area.Top + std::max(0, (area.Height() - form->Height()) / 3), form->Width(),
                    form->Height());
  }
  if (OnShow) OnShow(this);
  const bool ok = form->ShowModal() == mrOk;
  if (OnClose) OnClose(this);
  if (!ok) return false;
  dialogs::SelectPrinter(form->Printers->ItemIndex());
  PrintRange = form->Pages->Checked() ? prPageNums : form->Selection->Checked() ? prSelection : prAllPages;
  if (PrintRange == prPageNums) {
    FromPage = form->FromValue;
    ToPage = form->ToValue;
  }
  Copies = form->CopiesValue;
  Collate = form->Collate->Checked();
  if (form->ToFile) PrintToFile = form->ToFile->Checked();
  Printer()->SetCopies(Copies);
  TDeviceMode& mode = Printer()->DeviceMode();
  mode.dmCollate = Collate ? 1 : 0;
  // Lists of another printer than the one chosen say nothing about it.
  if (form->ShownPrinter == Printer()->PrinterIndex()) form->TakeDeviceChoices(mode);
  return true;
}

bool TPrinterSetupDialog::Execute() {
  if (!dialogs::HavePrinters(true)) return false;
  std::unique_ptr<dialogs::TSetupForm> form(new dialogs::TSetupForm(this));
  form->AfterConstruction();
  if (OnShow) OnShow(this);
  const bool ok = form->ShowModal() == mrOk;
  if (OnClose) OnClose(this);
  if (!ok) return false;
  dialogs::SelectPrinter(form->Printers->ItemIndex());
  dialogs::TakePaperAndBin(Printer()->DeviceMode(), form->Papers, form->PaperCodes, form->Bins,
                           form->BinCodes);
  Printer()->SetOrientation(form->Landscape->Checked() ? poLandscape : poPortrait);
  return true;
}

AnsiString PrintedFileMessage(const AnsiString& fileName) {
  return cp1253::FromUtf8("Η εκτύπωση γράφτηκε στο αρχείο:") + "\r\n" + fileName;
}

void ShowPrintedFileNames() {
  printers::OnFileWritten = [](const TPrintJobRecord& job) {
    MessageDlg(PrintedFileMessage(job.Destination), mtInformation, {mbOK});
  };
}
