// The standard preview's commands: zoom, go to a page, search, copy,
// print, printer set-up, save or export, load a page file, cancel the run.
#include <algorithm>

#include "platform/gfx/CairoCanvas.h"
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "report/BandRpt.h"
#include "report/RpPrev.h"
#include "report/RpPrintDlg.h"

void TRpStandardPreview::DoZoomFit() {
  Application->ProcessMessages();
  RpPreview->ZoomToFit();
}

void TRpStandardPreview::DoZoom100() {
  Application->ProcessMessages();
  RpPreview->SetZoom(100);
  RpPreview->UpdateZoom();
}

void TRpStandardPreview::DoZoomToWidth() {
  Application->ProcessMessages();
  RpPreview->ZoomToWidth();
}

void TRpStandardPreview::DoZoomIn() { RpPreview->SetZoom(RpPreview->Zoom() + 20); }

void TRpStandardPreview::DoZoomOut() {
  if (RpPreview->Zoom() > 40) RpPreview->SetZoom(RpPreview->Zoom() - 20);
}

void TRpStandardPreview::DoGotoPage() {
  if (printer_ == nullptr) return;
  const int count = printer_->PageCount();
  AnsiString value = IntToStr(RpPreview->PageNumber());
  if (!InputQuery(Format("Επιλογή σελίδας απο 1 έως %d"_a, {count}), "Εισάγετε τον αριθμό σελίδας"_a, value))
    return;
  // Text that is no number goes to page 1, as numbers out of range do.
  int page = 1;
  if (!TryStrToInt(Trim(value), page) || page < 1 || page > count) page = 1;
  GoToPage(page);
}

void TRpStandardPreview::Search(const AnsiString& text, bool matchCase) {
  SearchResultBox->SetEnabled(true);
  SearchTextLabel->SetCaption(text);
  SearchResultBox->Items()->Clear();
  for (int n = 1; printer_ != nullptr && n <= printer_->PageCount(); ++n) {
    std::unique_ptr<TMetafile> page = printer_->GetPage(n);
    if (page && FindTextInPageMetafile(text, *page, matchCase))
      SearchResultBox->Items()->AddObject("Σελίδα"_a + " " + IntToStr(n),
                                          reinterpret_cast<void*>(static_cast<std::intptr_t>(n)));
    // A long report's search leaves the window answering meanwhile.
    if (searching_) Application->ProcessMessages();
  }
  if (SearchResultBox->Items()->Count() == 0) {
    SearchResultBox->Items()->Add("Δεν βρέθηκε το κείμενο"_a);
    SearchResultBox->SetEnabled(false);
  }
  if (ShowSearch) Tabs->SetActivePage(TabSearchResult);
}

void TRpStandardPreview::OutlineChange(void* node) {
  if (printer_ == nullptr) return;
  TRect place;
  const int page = printer_->PageList()->Outline()->FindEntry(node, place);
  if (page > 0) GoToPage(page);
}

void TRpStandardPreview::DoFind() {
  if (Busy()) return;
  AnsiString text = SearchTextLabel->Caption();
  bool matchCase = false;
  if (!ShowSearchDialog(text, matchCase)) return;
  // One search at a time: one asked for while another runs waits for it
  // to end and then runs, the last asked for winning.
  pendingSearch_ = {text, matchCase};
  if (searching_) return;
  searching_ = true;
  while (pendingSearch_) {
    const auto [wanted, exact] = *pendingSearch_;
    pendingSearch_.reset();
    Search(wanted, exact);
  }
  searching_ = false;
  if (closeAfterSearch_) Close();
}

void TRpStandardPreview::DoCopy() {
  if (RaiseEvent(2, "Copy")) return;
  TMetafile* page = RpPreview->Image()->PageMetafile();
  if (page == nullptr || page->Empty()) return;
  // The page itself for this program, and a picture other programs paste.
  TImageCanvas picture(std::max(page->Width(), 1), std::max(page->Height(), 1));
  PlayEnhMetafile(picture, page->Data(), TRect{0, 0, page->Width(), page->Height()});
  const std::vector<std::uint8_t> png = picture.PngBytes();
  Clipboard()->Open();
  Clipboard()->Clear();
  Clipboard()->SetAsHandle(CF_ENHMETAFILE, page->Data());
  Clipboard()->SetAsHandle(RegisterClipboardFormat("PNG"),
                           std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
  // Programs that take no PNG take a bitmap.
  TBitmap bitmap;
  bitmap.Assign(picture.Snapshot());
  Clipboard()->SetAsHandle(CF_BITMAP, bitmap.SaveToBytes());
  Clipboard()->Close();
}

void TRpStandardPreview::DoPrintSetup() {
  // A report that asks for it prints as soon as its set-up is confirmed.
  if (RunPrintSetup() && report_ != nullptr && report_->PrintAfterSetup) PrintNow();
}

bool TRpStandardPreview::RunPrintSetup() {
  if (printer_ == nullptr) return false;
  ::Printer()->Refresh();
  if (report_ != nullptr) {
    report_->PrinterSetupDialog();
    if (report_->Tag == 1) return false;
    // The pages shown print with the choices, whichever printer ran them.
    if (report_->RpPrinter() != printer_) report_->ApplyDialogSettings(*printer_);
    // Printing runs the report again: it prints with the same choices.
    if (!RpPreviewPrintsPages) report_->TakeDialogSettings();
    setUpConfirmed_ = true;
    return true;
  }
  TRpPrintDialog dialog(nullptr);
  // A range of pages chosen here is the one printed.
  dialog.Options = {poPageNums};
  dialog.MinPage = 1;
  dialog.MaxPage = printer_->PageCount();
  dialog.FromPage = 1;
  dialog.ToPage = printer_->PageCount();
  // The dialog starts from the pages' own sheet and copies.
  ::Printer()->SetOrientation(Landscape ? poLandscape : poPortrait);
  dialog.SetCopies(printer_->Settings()->Copies());
  if (!dialog.Execute()) {
    Tag = 1;
    return false;
  }
  Tag = 0;
  // Pages of no report take every choice as a report's printer does.
  TBandRepPrinterSettings chosen;
  TakeDialogChoices(dialog, chosen);
  ApplyDialogChoices(chosen, *printer_);
  const bool range = dialog.PrintRange == prPageNums;
  printer_->FirstPage = range ? dialog.FromPage : 0;
  printer_->LastPage = range ? dialog.ToPage : 0;
  return true;
}

void TRpStandardPreview::DoPrint() {
  if (printer_ == nullptr) return;
  if (!PrintSetup->Visible() && !RunPrintSetup()) return;
  PrintNow();
}

void TRpStandardPreview::PrintNow() {
  RpPreviewPrintsPages = chkMetafile->Checked();
  if (RaiseEvent(3, "Print")) return;
  if (!RpPreviewPrintsPages && report_ != nullptr && !printer_->LoadedFromFile()) {
    // The switch may have gone off after the set-up, or with it: the run
    // prints with what was chosen there, sides and tray as well as copies.
    if (setUpConfirmed_) report_->TakeDialogSettings();
    report_->Print();
  } else {
    printer_->SetPrintMetaFile(true);
    printer_->Print();
  }
}

AnsiString TRpStandardPreview::SaveExtension(int filterIndex, const AnsiString& defaultExt) const {
  const TPrevSaveType type = report_ != nullptr ? report_->PreviewDefaultSaveType : stRPP;
  AnsiString ext = SaveTypeExtension(type);
  const auto& filters = RpExportFilterLibrary().Filters();
  if (filterIndex == 1) {
    if (!defaultExt.empty()) ext = defaultExt;
  } else if (filterIndex == 2) {
    ext = "RPP";
  } else if (filterIndex >= 3 && filterIndex - 3 < static_cast<int>(filters.size())) {
    ext = filters[static_cast<std::size_t>(filterIndex - 3)]->Extension;
  }
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return ext.substr(0, 3);
}

void TRpStandardPreview::DoSave() {
  if (printer_ == nullptr || RaiseEvent(6, "Save")) return;
  TSaveDialog dialog(nullptr);
  dialog.Title = "Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης"_a;
  dialog.Options = TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing};
  const AnsiString filters = RpExportFilterLibrary().SaveDialogFilterString();
  if (UpperCase(filters).find("PDF") == AnsiString::npos) {
    const AnsiString e = SaveTypeExtension(report_ != nullptr ? report_->PreviewDefaultSaveType : stRPP);
    dialog.Filter = e + "|*" + e + "|" + filters;
  } else {
    dialog.Filter = "*.PDF|*PDF|" + filters;
    dialog.DefaultExt = "PDF";
  }
  dialog.FileName = FileName;
  // A report is a document of the user's: it goes where documents go,
  // not into the program's folder.
  dialog.InitialDir = GetDocumentsFolder();
  if (!dialog.Execute()) return;
  const AnsiString ext = SaveExtension(dialog.FilterIndex, dialog.DefaultExt);
  AnsiString fileName = dialog.FileName;
  if (!SameText(ExtractFileExt(fileName), "." + ext)) fileName = ChangeFileExt(fileName, "." + ext);
  try {
    if (SameText(ext, "RPP")) {
      printer_->Save(fileName);
      MessageDlg(PrintedFileMessage(fileName), mtInformation, {mbOK});
      return;
    }
    TRpExportFilterLibraryEntry* entry = RpExportFilterLibrary().FindByExtension(ext);
    if (entry == nullptr || report_ == nullptr) {
      // Nothing can write this type: the user must know no file was made.
      MessageDlg(Format("Δεν υπάρχει τρόπος αποθήκευσης αρχείων τύπου %s: το αρχείο δεν γράφτηκε."_a, {ext}),
                 mtError, {mbOK});
      return;
    }
    std::unique_ptr<TRpExportFilter> filter = entry->FilterClass.Create(fileName);
    // A report of a composite is saved with the reports it is printed with.
    if (auto* composite = dynamic_cast<TRpCompositeReport*>(report_->Owner()))
      composite->ExportToFilter(filter.get());
    else
      report_->ExportToFilter(filter.get());
    filter.reset();
    // A run the user stopped leaves no finished file to point to.
    if (!report_->Cancelled && FileExists(fileName))
      MessageDlg(ExportedFileMessage(fileName), mtInformation, {mbOK});
  } catch (const Exception& e) {
    MessageDlg(e.Message, mtError, {mbOK});
  }
}

void TRpStandardPreview::PagesLoaded(const AnsiString& fileName) {
  FileName = fileName;
  RpPreview->SetRpPrinter(printer_);
  GoToPage(1);
  TPrinterSettings& settings = *printer_->Settings();
  Landscape = settings.Orientation() == poLandscape;
  if (report_ != nullptr) {
    report_->Page()->SetPaperSize(settings.PaperSize());
    report_->Page()->SetOrientation(settings.Orientation());
  }
  RpPreview->ZoomAgain();
  ThumbGeometry();
  PageAvailable(printer_->PageCount());
  if (ThumbGrid->RowCount() > 0) ThumbGrid->SetRow(0);
  RpPreviewPrintsPages = true;
  chkMetafile->SetChecked(true);
  SaveReport->SetEnabled(false);
  SaveReport->SetVisible(false);
  ToolBar1->ArrangeButtons();
  UpdateStatus();
}

void TRpStandardPreview::DoLoad() {
  if (printer_ == nullptr || Busy() || RaiseEvent(5, "Load")) return;
  TOpenDialog dialog(nullptr);
  dialog.Title = "Φόρτωμα εκτύπωσης"_a;
  dialog.Filter = RpPageFileDescription() + " (*." + "RPP" + ")|*." + "RPP";
  if (!dialog.Execute()) return;
  if (!FileExists(dialog.FileName)) {
    MessageDlg("Το αρχείο δεν υπάρχει"_a, mtError, {mbOK});
    return;
  }
  try {
    printer_->Load(dialog.FileName);
  } catch (const Exception& e) {
    // A damaged file changes nothing of the pages shown.
    MessageDlg(e.Message, mtError, {mbOK});
    return;
  }
  PagesLoaded(dialog.FileName);
}

void TRpStandardPreview::DoCancel() {
  if (RaiseEvent(7, "Cancel")) return;
  if (report_ != nullptr) report_->StopRequested = true;
}
