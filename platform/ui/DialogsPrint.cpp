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
    SetClientSizeDU(262, 132);
    Printers = AddPrinterChooser(*this, 250);

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

    if (dialog.Options.Contains(poPrintToFile)) {
      ToFile = Add<TCheckBox>("Εκτύπωση σε α&ρχείο", 6, 110, 100, 10);
      ToFile->SetName("PrintToFile");
      ToFile->SetChecked(dialog.PrintToFile);
      ToFile->SetEnabled(!dialog.Options.Contains(poDisablePrintToFile));
    }
    TButton* ok = OkButton(152, 110, 50);
    ok->ModalResult = mrNone;  // the numbers are checked first
    ok->OnClick = [this](TObject*) { OkPressed(); };
    CancelButton(206, 110);

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

  TChooser* Printers;
  TRadioButton* All;
  TRadioButton* Pages;
  TRadioButton* Selection;
  TEdit* From;
  TEdit* To;
  TEdit* Copies;
  TCheckBox* Collate;
  TCheckBox* ToFile = nullptr;
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
    PaperCodes = profile.PaperCodes;
    Papers->Items()->Clear();
    for (int code : PaperCodes) Papers->Items()->Add(PaperName(code));
    const auto paper = std::find(PaperCodes.begin(), PaperCodes.end(), m.dmPaperSize);
    Papers->SetItemIndex(paper == PaperCodes.end() ? (PaperCodes.empty() ? -1 : 0)
                                                   : static_cast<int>(paper - PaperCodes.begin()));
    BinCodes.clear();
    Bins->Items()->Clear();
    for (const TPrinterBin& bin : profile.Bins) {
      BinCodes.push_back(bin.Code);
      Bins->Items()->Add(bin.Name);
    }
    const auto bin = std::find(BinCodes.begin(), BinCodes.end(), m.dmDefaultSource);
    Bins->SetItemIndex(bin == BinCodes.end() ? (BinCodes.empty() ? -1 : 0)
                                             : static_cast<int>(bin - BinCodes.begin()));
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
  TDeviceMode& mode = Printer()->DeviceMode();
  if (form->Papers->ItemIndex() >= 0) {
    mode.dmPaperSize = form->PaperCodes[static_cast<size_t>(form->Papers->ItemIndex())];
    // A chosen paper replaces explicit dimensions.
    mode.dmFields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
    mode.dmFields |= DM_PAPERSIZE;
  }
  if (form->Bins->ItemIndex() >= 0) {
    mode.dmDefaultSource = form->BinCodes[static_cast<size_t>(form->Bins->ItemIndex())];
    mode.dmFields |= DM_DEFAULTSOURCE;
  }
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
