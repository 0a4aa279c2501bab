// The standard preview window: its controls, the pages arriving from the
// run, the status line, the thumbnails, the keys and the wheel.
#include <algorithm>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "report/BandRpt.h"
#include "report/RpPrev.h"

namespace {

enum Glyph {
  gFit,
  gWidth,
  g100,
  gIn,
  gOut,
  gFirst,
  gPrevious,
  gNext,
  gLast,
  gGoto,
  gFind,
  gCopy,
  gSetup,
  gPrint,
  gLoad,
  gSave,
  gCancel,
  gExit
};

}  // namespace

TToolButton* TRpStandardPreview::AddButton(const AnsiString& name, const AnsiString& hint, int glyph) {
  auto* b = new TToolButton(this);
  b->SetName(name);
  b->SetParent(ToolBar1);
  b->SetHint(hint);
  b->SetImageIndex(glyph);
  return b;
}

void TRpStandardPreview::AddSeparator() {
  auto* b = new TToolButton(this);
  b->SetParent(ToolBar1);
  b->SetStyle(tbsSeparator);
}

TRpStandardPreview::TRpStandardPreview(TComponent* owner, TRpPrinter* printer)
    : TForm(owner), printer_(printer) {
  SetCaption("Προεπισκόπιση εκτύπωσης : "_a);
  Position = poScreenCenter;
  FormStyle = fsStayOnTop;
  KeyPreview = true;
  SetBounds(Left(), Top(), 900, 883);
  SetShowHint(true);

  glyphs_ = std::make_unique<TImageList>(nullptr);
  {
    TBitmap strip;
    RpDrawPreviewGlyphs(strip);
    glyphs_->AddMasked(strip, 0xFF00FF);
  }
  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetImages(glyphs_.get());
  ToolBar1->SetHeight(28);
  ToolBar1->SetFlat(true);
  ZoomFit = AddButton("ZoomFit", "Zoom to fit", gFit);
  ZoomToWidth = AddButton("ZoomToWidth", "Zoom to width", gWidth);
  Zoom100 = AddButton("Zoom100", "100% Size", g100);
  for (TToolButton* b : {ZoomFit, ZoomToWidth, Zoom100}) {
    b->SetStyle(tbsCheck);
    b->Grouped = true;
  }
  ZoomIn = AddButton("ZoomIn", "Μεγέθυνση"_a, gIn);
  ZoomOut = AddButton("ZoomOut", "Σμίκρυνση"_a, gOut);
  AddSeparator();
  ThumbChk = new TCheckBox(this);
  ThumbChk->SetName("ThumbChk");
  ThumbChk->SetParent(ToolBar1);
  ThumbChk->SetCaption("Εμφάνιση Ευρετηρίου"_a);
  ThumbChk->SetBounds(0, 0, 140, 17);
  FirstPage = AddButton("FirstPage", "Πρώτη σελίδα"_a, gFirst);
  PreviousPage = AddButton("PreviousPage", "Προηγούμενη σελίδα"_a, gPrevious);
  nextPage = AddButton("nextPage", "Επόμενη σελίδα"_a, gNext);
  LastPage = AddButton("LastPage", "Τελευταία σελίδα"_a, gLast);
  AddSeparator();
  GotoPageButton = AddButton("GotoPageButton", "Select a Page", gGoto);
  FindButton = AddButton("FindButton", "Search for Text", gFind);
  GotoPageButton->SetEnabled(false);
  FindButton->SetEnabled(false);
  AddSeparator();
  copybutton = AddButton("copybutton", "Copy page to clipboard", gCopy);
  PrintSetup = AddButton("PrintSetup", "Printer setup", gSetup);
  PrintSetup->SetVisible(false);
  Print = AddButton("Print", "Εκτύπωση"_a, gPrint);
  chkMetafile = new TCheckBox(this);
  chkMetafile->SetName("chkMetafile");
  chkMetafile->SetParent(ToolBar1);
  chkMetafile->SetCaption("Χρήση προεπισκόπισης  ."_a);
  chkMetafile->SetHint("Εκτύπωση με βάση το αρχείο προεπισκόπισης|"_a);
  chkMetafile->SetBounds(0, 0, 150, 17);
  chkMetafile->SetChecked(true);
  LoadReport = AddButton("LoadReport", "Φόρτωμα εκτύπωσης"_a, gLoad);
  SaveReport = AddButton("SaveReport", "Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης"_a, gSave);
  AddSeparator();
  CancelButton = AddButton("CancelButton", "Cancel the report", gCancel);
  CancelButton->SetEnabled(false);
  ExitButton = AddButton("ExitButton", "Κλείσιμο"_a, gExit);
  ExitButton->SetCaption("Κλείσιμο"_a);

  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  StatusBar->AddPanel(40, "0%").Alignment = taRightJustify;
  StatusBar->AddPanel(120);
  StatusBar->AddPanel(50);

  Tabs = new TPageControl(this);
  Tabs->SetName("Tabs");
  Tabs->SetParent(this);
  Tabs->SetAlign(alLeft);
  Tabs->SetWidth(157);
  Splitter2 = new TSplitter(this);
  Splitter2->SetName("Splitter2");
  Splitter2->SetParent(this);
  Splitter2->SetAlign(alLeft);
  Splitter2->SetLeft(Tabs->Width());
  TabThumbs = new TTabSheet(this);
  TabThumbs->SetName("TabThumbs");
  TabThumbs->SetCaption("ThumbNails");
  TabThumbs->SetPageControl(Tabs);
  ThumbGrid = new TDrawGrid(this);
  ThumbGrid->SetName("ThumbGrid");
  ThumbGrid->SetParent(TabThumbs);
  ThumbGrid->SetAlign(alClient);
  ThumbGrid->SetColCount(1);
  ThumbGrid->SetFixedCols(0);
  ThumbGrid->SetFixedRows(0);
  ThumbGrid->SetRowCount(1);
  ThumbGrid->SetDefaultColWidth(90);
  ThumbGrid->SetDefaultRowHeight(90);
  ThumbGrid->SetOptions(ThumbGrid->Options() << goRowSelect);
  ThumbGrid->SetScrollBars(ssVertical);
  TabSearchResult = new TTabSheet(this);
  TabSearchResult->SetName("TabSearchResult");
  TabSearchResult->SetCaption("Search Results");
  TabSearchResult->SetPageControl(Tabs);
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetParent(TabSearchResult);
  GroupBox1->SetAlign(alClient);
  GroupBox1->SetCaption("Αναζήτηση Κειμένου"_a);
  SearchTextLabel = new TLabel(this);
  SearchTextLabel->SetName("SearchTextLabel");
  SearchTextLabel->SetParent(GroupBox1);
  SearchTextLabel->SetAlign(alTop);
  SearchResultBox = new TListBox(this);
  SearchResultBox->SetName("SearchResultBox");
  SearchResultBox->SetParent(GroupBox1);
  SearchResultBox->SetAlign(alClient);
  SearchResultBox->SetEnabled(false);

  RpPreview = new TRpPreview(this);
  RpPreview->SetName("RpPreview");
  RpPreview->SetParent(this);
  RpPreview->SetAlign(alClient);
  RpPreview->HorzScrollBar().Increment = 52;
  RpPreview->VertScrollBar().Increment = 43;
  // Set before the printer is bound, so the page image takes it over too:
  // a click on the page focuses the preview.
  RpPreview->OnClick = [this](TObject*) { RpPreview->SetFocus(); };

  ProgressBar = new TProgressBar(this);
  ProgressBar->SetParent(StatusBar);
  ProgressBar->SetBounds(2, 2, 100, 10);
  ProgressBar->SetVisible(false);

  // ---- the settings of the report whose pages show
  report_ = printer != nullptr ? dynamic_cast<TCustomBandRep*>(printer->Master()) : nullptr;
  if (report_ != nullptr) {
    FormStyle = report_->PrevFormStyle;
    SetBounds(Left(), Top(), report_->PreviewWidth() < 700 ? 900 : report_->PreviewWidth(),
              report_->PreviewHeight() < 700 ? 950 : report_->PreviewHeight());
    ShowThumbs = report_->PrevShowThumbs;
    ShowSearch = report_->PrevShowSearch;
    // A report's pages open at its own zoom, whatever zoom its preview
    // control is to take once the first page is there.
    initialZoom_ = report_->Zoom();
    zoomState_ = rpZoomOther;
    FileName = report_->ReportTitle;
    printer->Title = report_->ReportTitle;
    Landscape = report_->Page()->Orientation() == poLandscape;
    WindowState = report_->PreviewInitialState;
    // F1 opens the help of the window the report belongs to.
    if (TCustomForm* form = report_->GetParentForm()) HelpContext = form->HelpContext;
    RaiseEvent(0, "");
  } else {
    WindowState = wsMaximized;
    ShowThumbs = ShowSearch = true;
    initialZoom_ = 100;
    zoomState_ = rpZoomToFit;
    if (printer != nullptr) FileName = printer->Title;
    // Pages of no report keep the sheet they were made on.
    Landscape = printer != nullptr && printer->Settings()->Orientation() == poLandscape;
  }
  if (printer != nullptr && !printer->Title.empty())
    SetCaption("Προεπισκόπιση εκτύπωσης : "_a + printer->Title);
  RpPreview->SetRpPrinter(printer);
  if (printer != nullptr) printer->SetOrientation(Landscape ? poLandscape : poPortrait);
  lastProgress_ = 0;
  ShowTabs();
  ThumbChk->SetChecked(Tabs->Visible());
  if (!ShowSearch) {
    TabSearchResult->SetTabVisible(false);
    FindButton->SetVisible(false);
  }
  if (zoomState_ == rpZoomToFit) {
    RpPreview->ZoomToFit();
    ZoomFit->SetDown(true);
  } else if (zoomState_ == rpZoomToWidth) {
    RpPreview->ZoomToWidth();
    ZoomToWidth->SetDown(true);
  } else {
    RpPreview->SetZoom(initialZoom_);
    Zoom100->SetDown(true);
  }
  chkMetafile->SetChecked(RpPreviewPrintsPages);
  Print->SetVisible(true);
  SaveReport->SetVisible(true);
  ToolBar1->ArrangeButtons();

  // ---- the handlers
  ZoomFit->OnClick = [this](TObject*) { DoZoomFit(); };
  Zoom100->OnClick = [this](TObject*) { DoZoom100(); };
  ZoomToWidth->OnClick = [this](TObject*) { DoZoomToWidth(); };
  ZoomIn->OnClick = [this](TObject*) { DoZoomIn(); };
  ZoomOut->OnClick = [this](TObject*) { DoZoomOut(); };
  FirstPage->OnClick = [this](TObject*) { GoToPage(1); };
  PreviousPage->OnClick = [this](TObject*) { GoToPage(RpPreview->PageNumber() - 1); };
  nextPage->OnClick = [this](TObject*) { GoToPage(RpPreview->PageNumber() + 1); };
  LastPage->OnClick = [this](TObject*) {
    if (printer_ != nullptr) GoToPage(Busy() ? printer_->PageCount() - 1 : printer_->PageCount());
  };
  GotoPageButton->OnClick = [this](TObject*) { DoGotoPage(); };
  FindButton->OnClick = [this](TObject*) { DoFind(); };
  SearchResultBox->OnClick = [this](TObject*) {
    const int i = SearchResultBox->ItemIndex();
    const int page =
        i >= 0 ? static_cast<int>(reinterpret_cast<std::intptr_t>(SearchResultBox->Items()->Objects(i))) : 1;
    GoToPage(printer_ != nullptr && page >= 1 && page <= printer_->PageCount() ? page : 1);
  };
  copybutton->OnClick = [this](TObject*) { DoCopy(); };
  PrintSetup->OnClick = [this](TObject*) { DoPrintSetup(); };
  Print->OnClick = [this](TObject*) { DoPrint(); };
  LoadReport->OnClick = [this](TObject*) { DoLoad(); };
  SaveReport->OnClick = [this](TObject*) { DoSave(); };
  CancelButton->OnClick = [this](TObject*) { DoCancel(); };
  ExitButton->OnClick = [this](TObject*) { Close(); };
  ThumbChk->OnClick = [this](TObject*) {
    if (ThumbChk->Checked()) {
      ShowThumbs = true;
      ShowTabs();
    } else {
      // The page takes the whole room, the splitter's too.
      Tabs->SetVisible(false);
      Splitter2->SetVisible(false);
    }
    RpPreview->ZoomAgain();
  };
  ThumbGrid->OnSelectCell = [this](TObject*, int, int row, bool&) {
    if (selecting_) return;
    selecting_ = true;
    GoToPage(row + 1);
    selecting_ = false;
  };
  ThumbGrid->OnDrawCell = [this](TObject*, int col, int row, const TRect& rect, TGridDrawState) {
    ThumbDraw(col, row, rect);
  };
  ThumbGrid->OnResize = [this](TObject*) { ThumbGeometry(); };
  RpPreview->OnPageAvailable = [this](TObject*, int pages) { PageAvailable(pages); };
  RpPreview->OnOutlineChange = [this](TObject*, void* node) { OutlineChange(node); };
  RpPreview->OnProgressUpdate = [this](TObject*, int progress) { ProgressUpdate(progress); };
  // A damaged page shows blank: the user is told why.
  RpPreview->OnDamagedPage = [](TObject*, const AnsiString& text) { MessageDlg(text, mtError, {mbOK}); };
  // Pages whose printer is gone can be neither shown nor printed.
  RpPreview->OnPrinterGone = [this](TObject*) {
    printer_ = nullptr;
    Release();
  };
  RpPreview->OnHyperlink() = [this](TObject*, int, const AnsiString& link, bool&) {
    StatusBar->SetPanelText(2, link);
  };
  OnResize = [this](TObject*) { RpPreview->UpdateZoom(); };
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !Busy(); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) { PreviewKeyDown(key, shift); };
  auto wheel = [this](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    Word key = delta <= 0 ? VK_DOWN : VK_UP;
    PreviewKeyDown(key, {});
    handled = true;
  };
  OnMouseWheel = wheel;
  RpPreview->OnMouseWheel = wheel;
  ThumbGeometry();
  if (printer != nullptr && printer->Status() == rpsFinished) PageAvailable(printer->PageCount());
}

TRpStandardPreview::~TRpStandardPreview() {
  Destroying();
  RpPreview->OnPrinterGone = nullptr;
  RpPreview->OnOutlineChange = nullptr;
  RpPreview->SetRpPrinter(nullptr);
}

bool TRpStandardPreview::Busy() const { return printer_ != nullptr && printer_->Status() == rpsBusy; }

bool TRpStandardPreview::RaiseEvent(int type, const AnsiString& name) {
  bool handled = false;
  if (report_ != nullptr && report_->OnStandPrevEvent) report_->OnStandPrevEvent(this, type, name, handled);
  return handled;
}

void TRpStandardPreview::ShowTabs() {
  Tabs->SetVisible(ShowThumbs || ShowSearch);
  Splitter2->SetVisible(Tabs->Visible());
  if (Tabs->Visible() && printer_ != nullptr && printer_->PageCount() > 0)
    ThumbGrid->SetRowCount(std::max(1, Busy() ? printer_->PageCount() - 1 : printer_->PageCount()));
  TabThumbs->SetTabVisible(ShowThumbs);
  if (ShowThumbs) Tabs->SetActivePage(TabThumbs);
  FindButton->SetVisible(ShowSearch);
  TabSearchResult->SetTabVisible(ShowSearch);
  ToolBar1->ArrangeButtons();
}

void TRpStandardPreview::UpdateStatus() {
  const int count = printer_ != nullptr ? printer_->PageCount() : 0;
  StatusBar->SetPanelText(
      1, "Σελίδα"_a + " " + IntToStr(RpPreview->PageNumber()) + " " + "από"_a + " " + IntToStr(count));
  StatusBar->SetPanelText(2, FileName);
}

void TRpStandardPreview::GoToPage(int n) {
  RpPreview->SetPageNumber(n);
  UpdateStatus();
  if (printer_ != nullptr && n >= 1 && n <= printer_->PageCount() && n <= ThumbGrid->RowCount() &&
      !selecting_) {
    selecting_ = true;
    ThumbGrid->SetRow(n - 1);
    selecting_ = false;
  }
}

void TRpStandardPreview::PageAvailable(int) {
  if (printer_ == nullptr) return;
  UpdateStatus();
  CancelButton->SetEnabled(true);
  const bool busy = Busy();
  ThumbGrid->SetRowCount(std::max(1, busy ? printer_->PageCount() - 1 : printer_->PageCount()));
  ThumbGrid->Invalidate();
  for (TToolButton* b : {PrintSetup, Print, SaveReport, LoadReport, FindButton, GotoPageButton, FirstPage,
                         PreviousPage, nextPage, LastPage})
    b->SetEnabled(!busy);
  if (!busy) {
    CancelButton->SetEnabled(false);
    // A run that ends leaves no figure of its progress behind.
    StatusBar->SetPanelText(0, "");
    Sleep(100);
  }
  if (report_ != nullptr && report_->PagesInPreview != 0 && report_->PagesInPreview == printer_->PageCount())
    report_->StopRequested = true;
}

void TRpStandardPreview::ProgressUpdate(int progress) {
  if (progress >= lastProgress_ + 5) {
    StatusBar->SetPanelText(0, IntToStr(progress) + "%");
    lastProgress_ = progress;
  }
  if (progress == 0 || progress == 100) StatusBar->SetPanelText(0, "");
}

void TRpStandardPreview::ThumbGeometry() {
  if (printer_ == nullptr) return;
  textHeight_ = ThumbGrid->Canvas().TextHeight("P");
  ThumbGrid->SetDefaultColWidth(std::max(1, ThumbGrid->Width() - 4));
  thumbWidth_ = ThumbGrid->DefaultColWidth() - 20;
  TPrinterSettings& settings = *printer_->Settings();
  Extended width = settings.PaperWidth(), length = settings.PaperLength();
  if (Landscape) std::swap(width, length);
  thumbHeight_ =
      width > 0 ? static_cast<int>(Round(length * thumbWidth_ / width - textHeight_)) : thumbWidth_;
  thumbHeight_ = std::max(thumbHeight_, 1);
  ThumbGrid->SetDefaultRowHeight(thumbHeight_);
  insetX_ = static_cast<int>(Round((ThumbGrid->DefaultColWidth() - thumbWidth_) / 2.0L));
  insetY_ = static_cast<int>(Round((ThumbGrid->DefaultRowHeight() - thumbHeight_) / 2.0L));
}

void TRpStandardPreview::ThumbDraw(int, int row, const TRect& rect) {
  if (printer_ == nullptr) return;
  TCanvas& c = ThumbGrid->Canvas();
  const int width = rect.Width(), height = rect.Height();
  const TRect place{insetX_, 10, width - 30, height - 10};
  if (thumbsPrinter_ != printer_ || thumbsGeneration_ != printer_->PagesGeneration() ||
      thumbsPlace_ != place) {
    thumbs_.clear();
    thumbsPrinter_ = printer_;
    thumbsGeneration_ = printer_->PagesGeneration();
    thumbsPlace_ = place;
  }
  // Some screens of thumbnails are kept, not a picture of every page.
  constexpr size_t kKeptThumbs = 256;
  if (thumbs_.size() >= kKeptThumbs && thumbs_.find(row) == thumbs_.end()) thumbs_.clear();
  // The page a busy run is still making may look blank now: it is drawn
  // but not kept, so that its finished picture shows later.
  const bool pageFinished = !Busy() || row + 1 < printer_->PageCount();
  std::unique_ptr<TBitmap> unfinished;
  auto kept = thumbs_.find(row);
  TBitmap* picture = kept != thumbs_.end() ? kept->second.get() : nullptr;
  if (!picture && width > 0 && height > 0) {
    auto drawn = std::make_unique<TBitmap>(width, height);
    TCanvas& b = *drawn->Canvas();
    b.Brush->Style = bsSolid;
    b.Brush->Color = clBtnFace;
    b.FillRect(TRect{0, 0, width, height});
    std::unique_ptr<TMetafile> page = printer_->GetPage(row + 1);
    TRpPreviewImage::DrawPage(page.get(), b, place, true);
    picture = drawn.get();
    if (pageFinished)
      thumbs_[row] = std::move(drawn);
    else
      unfinished = std::move(drawn);
  }
  if (picture) c.Draw(rect.Left, rect.Top, picture);
  c.Brush->Style = bsClear;
  c.Font->Color = clWindowText;
  c.TextOut(rect.Left + 1, rect.Top + 1, IntToStr(row + 1));
}

void TRpStandardPreview::PreviewKeyDown(Word& key, TShiftState shift) {
  TControlScrollBar& bar = RpPreview->VertScrollBar();
  const int page = RpPreview->PageNumber();
  switch (key) {
    case VK_ESCAPE:
      Close();
      break;
    case VK_PRIOR:
      GoToPage(shift.Contains(ssCtrl) ? 1 : page - 1);
      break;
    case VK_NEXT:
      if (shift.Contains(ssCtrl))
        LastPage->Click();
      else
        GoToPage(page + 1);
      break;
    case VK_HOME:
      GoToPage(1);
      break;
    case VK_END:
      LastPage->Click();
      break;
    case VK_UP:
      if (bar.Position() <= bar.Increment) {
        GoToPage(page - 1);
        bar.SetPosition(page == 1 ? 0 : std::max(0, RpPreview->VerticalEnd() - bar.Increment));
      } else {
        bar.SetPosition(bar.Position() - bar.Increment);
      }
      break;
    case VK_DOWN:
      if (bar.Position() + bar.Increment >= RpPreview->VerticalEnd()) {
        GoToPage(page + 1);
        // No page follows: the rest of this one comes into view, or the
        // keys and the wheel could never show the end of the last page.
        if (RpPreview->PageNumber() == page) bar.SetPosition(RpPreview->VerticalEnd());
      } else
        bar.SetPosition(bar.Position() + bar.Increment);
      break;
    default:
      return;
  }
  key = 0;
}

void TRpStandardPreview::DoClose(TCloseAction& action) {
  // A second close heard while the first lets messages run would free the
  // window under it.
  if (closing_) {
    action = caNone;
    return;
  }
  TForm::DoClose(action);
  if (action == caNone) return;
  // The search runs under this window: it closes when the search ends.
  if (searching_) {
    closeAfterSearch_ = true;
    action = caNone;
    return;
  }
  closing_ = true;
  if (printer_ != nullptr) {
    // The window goes anyway: a printer freed meanwhile only lets go of it.
    RpPreview->OnPrinterGone = [this](TObject*) { printer_ = nullptr; };
    printer_->ClosePreview();
  }
  Application->ProcessMessages();
  RpPreview->SetRpPrinter(nullptr);
  printer_ = nullptr;
  action = caFree;
}

void TRpStandardPreview::Dispatch(TMessage& message) {
  // The arrows page and scroll and Esc closes wherever the focus is,
  // instead of walking from control to control as in a dialog.
  if (message.Msg == CM_DIALOGKEY &&
      (message.WParam == VK_UP || message.WParam == VK_DOWN || message.WParam == VK_ESCAPE) &&
      GetKeyState(VK_MENU) >= 0) {
    Word key = static_cast<Word>(message.WParam);
    PreviewKeyDown(key, {});
    message.Result = 1;
    return;
  }
  TForm::Dispatch(message);
}

// ---- how the printer opens its window -------------------------------------------

TCustomForm* TRpStandardPreviewInterface::Show(TRpPrinter* printer) {
  auto* form = NewForm<TRpStandardPreview>(Application, printer);
  form->Show();
  form->UpdateStatus();
  return form;
}

TCustomForm* TRpStandardPreviewInterface::ShowModal(TRpPrinter* printer) {
  auto* form = NewForm<TRpStandardPreview>(Application, printer);
  form->ShowModal();
  return form;
}

TRpPreviewInterfaceClass& RpPreviewInterfaceClass() {
  static TRpPreviewInterfaceClass make = [](TComponent* owner) {
    return std::make_unique<TRpStandardPreviewInterface>(owner);
  };
  return make;
}

HWND RpShowPreview(TRpPrinter* printer) {
  std::unique_ptr<TRpPreviewInterface> iface = RpPreviewInterfaceClass()(nullptr);
  TCustomForm* form = iface->Show(printer);
  return form != nullptr ? form->Handle() : nullptr;
}
