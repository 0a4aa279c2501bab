// The report run: one pass of the data through the controller onto pages
// and columns, with the page furniture around it.
#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "report/BandRpt.h"
#include "report/RpCtrls.h"
#include "report/RpPrintDlg.h"
#include "report/RpProgress.h"

namespace {

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

const char* const kExportingProgress = "Exporting Progress";

}  // namespace

TCustomBandRep::TCustomBandRep(TComponent* owner) : TRpBasePanel(owner) {
  controller_ = new TRpController(this);
  controller_->SetMaster(this);
  controller_->ParentReport = this;
  SetColor(clWhite);
  // Arial holds no Japanese: there the report keeps the panel's font.
  if (!RpJapaneseSystem()) {
    Font().Name = "Arial";
    Font().SetSize(10);
    SetParentFont(false);
  }
  page_.Units = RpMeasureInInches() ? TRpUnit::Inches : TRpUnit::MM;
  page_.CharFont = &Font();
  // A new report takes the paper the default printer is set to.
  page_.SetPaperSize(static_cast<TRpPaperSize>(TRpPrinter::DefaultPrinterPaperIndex()));
  RulerPage = &page_;
  NumberRuler = true;
  functions_.AddFunction("PAGENUMBER", "0");
  functions_.AddFunction("COLUMNNUMBER", "0");
  functions_.AddFunction("REPORTTITLE", "''");
  reference_ = std::make_unique<TBitmap>(1, 1);
  page_.OnChange = [this] { PageChanged(); };
  page_.OnRulerChange = [this] { SetUnits(page_.Units); };
  PageChanged();
}

int TCustomBandRep::ScreenPixels(Extended tenths) const {
  return RpNearest(tenths * page_.PixelsPerInch / 254 * Zoom() / 100);
}

void TCustomBandRep::PageChanged() {
  if (ComponentState().Contains(csDestroying)) return;
  if (!page_.Resizing) {
    page_.Resizing = true;
    SetBounds(Left(), Top(), ScreenPixels(page_.NativeValue(TRpPage::iWidth)),
              ScreenPixels(page_.NativeValue(TRpPage::iLength)));
    page_.Resizing = false;
  }
  LayoutBands();
  Invalidate();
}

void TCustomBandRep::Paint() {
  TRpBasePanel::Paint();
  TCanvas& c = Canvas();
  if (firstPage_) c.StretchDraw(ClientRect(), firstPage_.get());
  const auto native = [&](int index) { return page_.NativeValue(index); };
  const int left = ScreenPixels(native(TRpPage::iLeftMargin)),
            top = ScreenPixels(native(TRpPage::iTopMargin));
  const TRect margins{left, top, ScreenPixels(native(TRpPage::iWidth) - native(TRpPage::iRightMargin)),
                      ScreenPixels(native(TRpPage::iLength) - native(TRpPage::iBottomMargin))};
  const TRpDesignPalette& palette = RpDesignPalette();
  c.Pen->Style = palette.MarginStyle;
  c.Pen->Color = palette.Margin;
  c.Pen->Width = 1;
  c.Brush->Style = bsClear;
  c.Rectangle(margins);
  const Extended screen = Zoom() * (page_.PixelsPerInch / 254.0L) / 100;
  Frame()->PaintFrame(c, margins, screen, screen);
  // Two ticks in the top margin mark each gap between columns.
  const int columns = page_.Columns();
  if (columns < 2) return;
  const Extended space = native(TRpPage::iColumnSpace);
  const Extended column = (native(TRpPage::iWidth) - native(TRpPage::iLeftMargin) -
                           native(TRpPage::iRightMargin) - space * (columns - 1)) /
                          columns;
  c.Pen->Style = palette.MarginStyle;
  c.Pen->Color = palette.Margin;
  for (int i = 1; i < columns; ++i)
    for (Extended at : {native(TRpPage::iLeftMargin) + i * column + (i - 1) * space,
                        native(TRpPage::iLeftMargin) + i * (column + space)}) {
      const int x = ScreenPixels(at);
      c.MoveTo(x, 0);
      c.LineTo(x, top);
    }
}

void TCustomBandRep::Dispatch(TMessage& message) {
  if (message.Msg == WM_RP_PAGES && message.WParam == 1) {
    TRpPrinter* from = printer_ != nullptr ? printer_ : designPrinter_.get();
    if (from != nullptr) {
      firstPage_ = from->GetPage(1);
      Invalidate();
    }
    return;
  }
  TRpBasePanel::Dispatch(message);
}

void TCustomBandRep::DesignRun() {
  if (!Available) return;
  if (printer_ == designPrinter_.get()) printer_ = nullptr;
  designPrinter_ = std::make_unique<TRpPrinter>(this);
  designPrinter_->Destination = rpdMetafile;
  designPrinter_->Client = Handle();
  RunInto(designPrinter_.get());
}

void TCustomBandRep::ControlBoundsChanged() {
  if (!Available || !firstPage_) return;
  firstPage_.reset();
  Invalidate();
}

void TCustomBandRep::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool resized = AWidth != Width() || AHeight != Height();
  TRpBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  // A custom sheet is as large as the report is drawn.
  if (!resized || page_.Resizing || page_.PaperSize() != TRpPaperSize::Custom ||
      ComponentState().Contains(csLoading))
    return;
  page_.Resizing = true;
  const Extended perPixel = 254.0L / page_.PixelsPerInch * 100 / Zoom();
  page_.SetNativeValue(TRpPage::iWidth, AWidth * perPixel);
  page_.SetNativeValue(TRpPage::iLength, AHeight * perPixel);
  page_.Resizing = false;
}

TCustomBandRep::~TCustomBandRep() {
  // A preview still showing the report's pages closes before they go.
  if (previewPrinter_ && previewPrinter_->ShowingPreview()) previewPrinter_->ClosePreview();
  if (printer_ == previewPrinter_.get()) printer_ = nullptr;
  previewPrinter_.reset();
  if (printer_ == designPrinter_.get()) printer_ = nullptr;
  designPrinter_.reset();
  // Bands outlive the list while the form frees them.
  for (TRpCustomBand* band : allBands_) band->ParentReport = nullptr;
  allBands_.clear();
  bandList_.clear();
  ++RpBandLinks();
}

void TCustomBandRep::Notification(TComponent* component, TOperation operation) {
  TRpBasePanel::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == backImage_) backImage_ = nullptr;
  if (auto* band = dynamic_cast<TRpCustomBand*>(component)) RemoveBand(band);
}

void TCustomBandRep::SetZoom(int zoom) {
  if (zoom < 1 || zoom > 300) return;
  TRpBasePanel::SetZoom(zoom);
  for (TRpPrintable* p : OwnPrintables()) p->SetZoom(zoom);
  page_.Zoom = zoom;
  PageChanged();
}

void TCustomBandRep::SetUnits(TRpUnit units) {
  page_.Units = units;
  for (TRpCustomBand* band : allBands_) {
    band->Size()->Units = units;
    for (int i = 0; i < band->ControlCount(); ++i)
      if (auto* p = AsPrintable(band->Controls(i))) p->Size()->Units = units;
  }
  for (TRpPrintable* p : OwnPrintables()) p->Size()->Units = units;
}

std::vector<TRpPrintable*> TCustomBandRep::OwnPrintables() const {
  std::vector<TRpPrintable*> list;
  // The report's bands, most of its controls, are none.
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* p = AsPrintable(Controls(i))) list.push_back(p);
  return list;
}

int TCustomBandRep::GetRecordCount() const {
  TDataSet* ds = controller_->DataSet();
  return ds != nullptr && ds->Active() ? ds->RecordCount() : 1;
}

int TCustomBandRep::TextWidth(const TFont& font, const AnsiString& text) {
  TCanvas* c = reference_->Canvas();
  c->Font->Assign(font);
  try {
    return c->TextWidth(text) + 1;
  } catch (const Exception&) {
    return 0;
  }
}

TTextRuler TCustomBandRep::TextRuler(const TFont& font, const AnsiString& text) {
  TCanvas* c = reference_->Canvas();
  c->Font->Assign(font);
  return c->Ruler(text);
}

int TCustomBandRep::TextHeight(const TFont& font, const AnsiString& text) {
  (void)text;
  TCanvas* c = reference_->Canvas();
  c->Font->Assign(font);
  try {
    return c->TextHeight("A");
  } catch (const Exception&) {
    return 0;
  }
}

void TCustomBandRep::CopySettingsToPrinter() {
  TRpPrinter& p = *printer_;
  const TBandRepPrinterSettings& s = PrinterSettings;
  p.SetPrinterIndex(s.PrinterIndex);
  p.SetPaperSize(page_.PaperSize());
  if (page_.PaperSize() == TRpPaperSize::Custom) {
    // The page's sheet is as the report shows it; the printer keeps a
    // sheet upright and turns it for landscape.
    const int width = RpNearest(page_.NativeValue(TRpPage::iWidth)),
              length = RpNearest(page_.NativeValue(TRpPage::iLength));
    const bool landscape = page_.Orientation() == poLandscape;
    p.SetPaperWidth(landscape ? length : width);
    p.SetPaperLength(landscape ? width : length);
  }
  p.SetOrientation(page_.Orientation());
  p.ApplyJobSettings(s);
  p.SetOnGetPrinterSettings(OnGetPrinterSettings);
  p.SetOnApplyPrinterSettings(OnApplyPrinterSettings);
}

void TCustomBandRep::CollectDataSets(TComponent* owner) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    // Most of a form's components are its controls, told apart at fewer
    // steps through their classes than a data set is; most of a report
    // form's are printables, windowed controls told by address.
    if (AsPrintable(c) != nullptr || dynamic_cast<TWinControl*>(c) != nullptr) {
      CollectDataSets(c);
    } else if (auto* ds = dynamic_cast<TDataSet*>(c)) {
      if (dataSets_.IndexOf(ds) < 0) dataSets_.Add(ds);
    }
  }
}

TComponent* TCustomBandRep::ReportForm() const {
  const TControl* top = this;
  while (top->Parent() != nullptr) top = top->Parent();
  // A report on no form looks among what its owner holds, unless that is
  // the application, whose forms are none of the report's business.
  if (dynamic_cast<const TCustomForm*>(top) == nullptr) {
    TComponent* owner = top->Owner();
    return owner == nullptr || owner == Application ? nullptr : owner;
  }
  return const_cast<TControl*>(top);
}

void TCustomBandRep::PrepareRun() {
  controller_->BuildLists();
  RpExprEnsureStarted();
  RpGlobalEnvironment->SetDataSets(&dataSets_);
  RpGlobalEnvironment->Prepare();
  functions_.SetDataSets(&dataSets_);
  functions_.Prepare();
  // Told from the other elements once, as their numbers are set at every
  // page; an entry that is no constant takes no number.
  pageNumberEntry_ = dynamic_cast<TRpEvElementConstant*>(functions_.GetConstant("PAGENUMBER"));
  columnNumberEntry_ = dynamic_cast<TRpEvElementConstant*>(functions_.GetConstant("COLUMNNUMBER"));
  if (TRpEvElement* title = functions_.GetConstant("REPORTTITLE"))
    functions_.SetStringConstant(title, ReportTitle);
  controller_->Prepare();
  for (TRpCustomBand* band : allBands_)
    for (int i = 0; i < band->ControlCount(); ++i)
      if (auto* p = AsPrintable(band->Controls(i))) p->Prepare();
  for (TRpPrintable* p : OwnPrintables()) p->Prepare();
}

void TCustomBandRep::UnprepareRun() {
  for (TRpCustomBand* band : allBands_)
    for (int i = 0; i < band->ControlCount(); ++i)
      if (auto* p = AsPrintable(band->Controls(i))) p->Unprepare();
  for (TRpPrintable* p : OwnPrintables()) p->Unprepare();
  controller_->Unprepare();
  if (functions_.Prepared()) functions_.Unprepare();
  if (RpGlobalEnvironment != nullptr && RpGlobalEnvironment->Prepared()) RpGlobalEnvironment->Unprepare();
  pageNumberEntry_ = columnNumberEntry_ = nullptr;
}

void TCustomBandRep::CreateReport(bool composite) {
  if (!Available) return;
  const bool wasVisible = Visible();
  {
    const auto native = [&](int index) { return page_.NativeValue(index); };
    if (native(TRpPage::iWidth) - native(TRpPage::iLeftMargin) - native(TRpPage::iRightMargin) < 0) {
      page_.SetNativeValue(TRpPage::iLeftMargin, 0);
      page_.SetNativeValue(TRpPage::iRightMargin, 0);
    }
    if (native(TRpPage::iLength) - native(TRpPage::iTopMargin) - native(TRpPage::iBottomMargin) < 0) {
      page_.SetNativeValue(TRpPage::iTopMargin, 0);
      page_.SetNativeValue(TRpPage::iBottomMargin, 0);
    }
  }
  RebuildBandList();
  Available = false;
  Cancelled = FinalPass = HeaderJustPrinted = ColumnBreakPending = false;
  StopRequested = Overflow = false;
  Composite = composite;
  dataSets_.Clear();
  if (TComponent* form = ReportForm()) CollectDataSets(form);
  if (controller_->DataSet() != nullptr && dataSets_.IndexOf(controller_->DataSet()) < 0)
    dataSets_.Add(controller_->DataSet());
  backImage_ = nullptr;
  if (!BackImageControl.empty())
    for (TRpPrintable* p : OwnPrintables())
      if (p->Name() == BackImageControl && dynamic_cast<TRpImage*>(p) != nullptr) backImage_ = p;

  bool printReport = true;
  if (BeforePrint && !Designing(this)) BeforePrint(this, printReport);
  if (printReport) {
    const TRpUnit savedUnits = Units();
    bool prepared = false, begun = false;
    try {
      SetUnits(TRpUnit::Native);
      if (composite) {
        page_.SetPaperSize(printer_->Settings()->PaperSize());
        page_.SetOrientation(printer_->Settings()->Orientation());
      } else {
        CopySettingsToPrinter();
        printer_->Title = ReportTitle;
        printer_->SetCompression(Options.Contains(Compression));
        printer_->BeginDoc();
        begun = true;
        CurrentY = -1;
        PageNumber = 0;
      }
      ColumnNumber = page_.Columns();
      if (Exporting && ExportFilter != nullptr && !ExportFilter->Active)
        ExportFilter->Start(RpNearest(page_.Width()), RpNearest(page_.Length()), &Font());
      FooterSpace = 0;
      for (TRpCustomBand* band : allBands_)
        if (band->BandType() == rbPageFooter && band->Enabled()) {
          for (TRpCustomBand* b = band; b != nullptr; b = b->ChildBand()) FooterSpace += b->NativeHeight();
        }
      for (TRpCustomBand* band : allBands_) band->SetParentReport(this);
      for (TRpPrintable* p : OwnPrintables()) p->ParentReport = this;
      CurrentX = RpNearest(page_.LeftMargin());
      prepared = true;
      PrepareRun();
      PrintableBottom = printer_->DeviceY(page_.Length() - page_.BottomMargin());
      controller_->Execute();
      if (composite) {
        if (Tag == 999) {
          FinalPass = true;
          EndPage();
          if (Exporting && ExportFilter != nullptr) ExportFilter->Finish();
        }
      } else {
        CurrentX = RpNearest(page_.LeftMargin());
        FinalPass = true;
        if (!Cancelled) EndPage();
        if (Exporting && ExportFilter != nullptr) ExportFilter->Finish();
      }
      SetUnits(savedUnits);
      UnprepareRun();
      if (Cancelled) {
        printer_->Cancel();
      } else if (!composite) {
        if (PrinterOutput)
          printer_->EndDoc();
        else
          printer_->Cancel();
      }
    } catch (...) {
      // The next run must find the report idle and whole.
      SetUnits(savedUnits);
      if (prepared) {
        try {
          UnprepareRun();
        } catch (...) {
        }
      }
      if (begun && printer_->Status() == rpsBusy) printer_->Cancel();
      dataSets_.Clear();
      SetVisible(wasVisible);
      CurrentY = -1;
      PrintableBottom = -1;
      Available = true;
      throw;
    }
  }
  dataSets_.Clear();
  SetVisible(wasVisible);
  PrintableBottom = -1;
  // A composite carries the position on to its next report.
  if (!composite) CurrentY = -1;
  Available = true;
}

void TCustomBandRep::PrintBand(TRpCustomBand* band) {
  if (band == nullptr) return;
  PlaceAtBottom(band);
  band->Print();
}

void TCustomBandRep::PlaceAtBottom(TRpCustomBand* band) {
  if (band->AlignToBottom) {
    if (band->BandType() == rbSummary && !Options.Contains(LastPageFooter)) FooterSpace = 0;
    const Extended bottom = page_.BottomMargin();
    const int h = RpNearest(bottom + band->NativeHeight() + FooterSpace);
    // The printer's length already follows the orientation.
    const int paper = printer_->PaperLength();
    if (h <= paper - CurrentY)
      CurrentY = paper - RpNearest(band->NativeHeight()) - RpNearest(bottom + FooterSpace);
  }
}

int TCustomBandRep::AvailableSpace() {
  if (Available || CurrentY == -1) return 0;
  if (Exporting && ExportFilter != nullptr && ExportFilter->IsContinuous()) return printer_->PaperLength();
  return RpNearest(printer_->PaperLength() - page_.BottomMargin() - FooterSpace - CurrentY);
}

int TCustomBandRep::ColumnWidth() {
  if (TRpCustomBand* detail = bands_.Band(TBandRepBands::iDetail)) return RpNearest(detail->NativeWidth());
  const int columns = std::max(page_.Columns(), 1);
  return (RpNearest(page_.Width() - (page_.RightMargin() + page_.LeftMargin())) -
          RpNearest(page_.ColumnSpace()) * (columns - 1)) /
         columns;
}

void TCustomBandRep::NewColumn() {
  PrintBand(bands_.Band(TBandRepBands::iColumnFooter));
  if (ColumnNumber != page_.Columns()) {
    CurrentX += ColumnWidth() + RpNearest(page_.ColumnSpace());
    CurrentY = ColumnTop;
    ++ColumnNumber;
  } else {
    ColumnNumber = 1;
    CurrentX = RpNearest(page_.LeftMargin());
    NewPage();
  }
  if (columnNumberEntry_ != nullptr) functions_.SetIntegerConstant(columnNumberEntry_, ColumnNumber);
  if (!(ColumnNumber == 1 && PageNumber == 1)) {
    PrintBand(bands_.Band(TBandRepBands::iColumnHeader));
    controller_->ReprintGroupHeaders();
  }
}

void TCustomBandRep::NewPage() {
  EndPage();
  if (Exporting && ExportFilter != nullptr) ExportFilter->NewPage();
  ++PageNumber;
  if (pageNumberEntry_ != nullptr) functions_.SetIntegerConstant(pageNumberEntry_, PageNumber);
  if (PrinterOutput || PageNumber == 1) printer_->NewPage();
  CurrentY = RpNearest(page_.TopMargin());
  if (OnStartPage && !Designing(this)) OnStartPage(this);
  TCanvas* canvas = printer_->Canvas();
  const bool exporting = Exporting && ExportFilter != nullptr;
  if (BackgroundColor != clWhite) {
    if (canvas != nullptr) {
      canvas->Brush->Style = bsSolid;
      canvas->Brush->Color = BackgroundColor;
      canvas->FillRect(
          Rect(0, 0, printer_->DeviceWidth(page_.Width()), printer_->DeviceHeight(page_.Length())));
    }
    if (exporting) {
      TRpShape shape(nullptr);
      shape.Brush()->Color = BackgroundColor;
      shape.Pen()->Style = psClear;
      ExportFilter->ControlOut(&shape, 0, 0);
    }
  }
  if (auto* image = dynamic_cast<TRpImage*>(backImage_)) {
    const Extended l = image->NativeValue(TRpPrintableSize::iLeft),
                   t = image->NativeValue(TRpPrintableSize::iTop);
    const TRect r{printer_->DeviceX(l), printer_->DeviceY(t),
                  printer_->DeviceX(l + image->NativeValue(TRpPrintableSize::iWidth)),
                  printer_->DeviceY(t + image->NativeValue(TRpPrintableSize::iHeight))};
    TGraphic* graphic = image->Picture()->Graphic();
    if (canvas != nullptr && graphic != nullptr && !graphic->Empty()) canvas->StretchDraw(r, graphic);
    if (exporting) ExportFilter->ControlOut(image, r.Left, r.Top);
  }
  if (PageNumber > 1 || Options.Contains(FirstPageHeader)) PrintBand(bands_.Band(TBandRepBands::iPageHeader));
  ColumnTop = PageBottom = CurrentY;
  ColumnNumber = 1;
  if (PageNumber == 1)
    if (TRpCustomBand* title = bands_.Band(TBandRepBands::iTitle))
      ColumnTop += RpNearest(title->NativeHeight());
}

void TCustomBandRep::PrintOverlay() {
  // Each decides for itself: a hidden control prints whatever its switch.
  for (TRpPrintable* p : OwnPrintables())
    if (p != backImage_ && p->CanPrint()) p->Print(0, 0);
  if (!Frame()->HasAnySide()) return;
  const Extended left = page_.LeftMargin(), top = page_.TopMargin(),
                 right = page_.Width() - page_.RightMargin(), bottom = page_.Length() - page_.BottomMargin();
  if ((PrinterOutput || Exporting) && printer_->Canvas() != nullptr) {
    const TRect r{printer_->DeviceX(left), printer_->DeviceY(top), printer_->DeviceX(right),
                  printer_->DeviceY(bottom)};
    Frame()->PaintFrame(*printer_->Canvas(), r, printer_->YFactor(), printer_->XFactor(), PrintableBottom);
  }
  // An exported document keeps the frame around its pages as well.
  if (Exporting && ExportFilter != nullptr)
    ExportFrame(*ExportFilter, *printer_, *Frame(), left, top, right - left, bottom - top, clNone);
}

void TCustomBandRep::EndPage() {
  if (PageNumber > 0) {
    TRpCustomBand* footer = bands_.Band(TBandRepBands::iPageFooter);
    if (FooterSpace > 0 && (FinalPass || (footer != nullptr && footer->AlignToBottom)))
      CurrentY = RpNearest(page_.Length() - page_.BottomMargin() - FooterSpace);
    CurrentX = RpNearest(page_.LeftMargin());
    if (!FinalPass || Options.Contains(LastPageFooter)) PrintBand(footer);
    PrintOverlay();
    if (OnEndPage && !Designing(this)) OnEndPage(this);
    // A filter hears the end of a page only of one it was told began.
    if (Exporting && ExportFilter != nullptr) ExportFilter->EndPage();
  }
}

void TCustomBandRep::RunInto(TRpPrinter* printer) {
  TRpPrinter* previous = printer_;
  printer_ = printer;
  try {
    CreateReport(false);
  } catch (...) {
    printer_ = previous;
    throw;
  }
  printer_ = previous;
}

void TCustomBandRep::Print() {
  if (auto* composite = dynamic_cast<TRpCompositeReport*>(Owner())) {
    composite->Print();
    return;
  }
  if (!Available) return;
  TRpPrinter printer(this);
  if (!printer.PrinterOK()) return;
  printer.Destination = rpdPrinter;
  printer.AfterPrint = [this](TRpPrinter*) { MasterAfterPrint(); };
  RunWithProgress(printer, ShowProgress_, "", true, [&] { RunInto(&printer); });
}

void TCustomBandRep::Preview() {
  Application->ProcessMessages();
  if (!Available) return;
  if (previewPrinter_) {
    if (previewPrinter_->ShowingPreview()) return;
    if (printer_ == previewPrinter_.get()) printer_ = nullptr;
    previewPrinter_.reset();
  }
  previewPrinter_ = std::make_unique<TRpPrinter>(this);
  TRpPrinter* p = previewPrinter_.get();
  p->Destination = rpdMetafile;
  p->PreviewSetup = [this] { PrinterSetupDialog(); };
  p->PreviewExport = [this](TRpExportFilter* filter) { ExportToFilter(filter); };
  p->Title = ReportTitle;
  // A report of a composite leaves printing again and the closing of its
  // preview to the composite's message window.
  if (auto* composite = dynamic_cast<TRpCompositeReport*>(Owner()))
    if (composite->WinControl() != nullptr) p->PreviewWindow = composite->WinControl()->Handle();
  if (OnPreview) p->OnPreview = [this](TRpPrinter*) { OnPreview(this); };
  if (AfterPreview) p->AfterPreview = [this](TRpPrinter*) { AfterPreview(this); };
  printer_ = p;
  // The window sizes its page by the paper before the first page comes.
  CopySettingsToPrinter();
  p->Preview();
  CreateReport(false);
  if (AfterPreview) AfterPreview(this);
  if (Cancelled) {
    if (p->ShowingPreview()) p->ClosePreview();
    if (printer_ == p) printer_ = nullptr;
    previewPrinter_.reset();
    return;
  }
  while (previewPrinter_ && previewPrinter_->ShowingPreview() && !Application->Terminated())
    if (!Application->HandleMessage()) break;
  // A window still showing keeps its printer until it closes.
  if (previewPrinter_ && !previewPrinter_->ShowingPreview()) {
    if (printer_ == previewPrinter_.get()) printer_ = nullptr;
    previewPrinter_.reset();
  }
}

void TCustomBandRep::ExportToFilter(TRpExportFilter* filter) {
  if (!Available || filter == nullptr) return;
  ExportFilter = filter;
  Exporting = true;
  filter->Report = this;
  PrinterOutput = false;
  TRpPrinter printer(this);
  auto restore = [&] {
    ExportFilter = nullptr;
    Exporting = false;
    PrinterOutput = true;
  };
  try {
    RunWithProgress(printer, ShowProgress_, kExportingProgress, true, [&] { RunInto(&printer); });
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TCustomBandRep::ExportToFilterWithProgress(TRpExportFilter* filter, TRpPrinter* printer) {
  if (!Available || filter == nullptr || printer == nullptr) return;
  ExportFilter = filter;
  Exporting = true;
  filter->Report = this;
  PrinterOutput = false;
  TRpPrinter* previous = printer_;
  printer_ = printer;
  auto restore = [&] {
    printer_ = previous;
    ExportFilter = nullptr;
    Exporting = false;
    PrinterOutput = true;
  };
  try {
    // The job printer's messages stay where the composite report sent them.
    RunWithProgress(*printer, ShowProgress_, kExportingProgress, false, [&] { CreateReport(true); });
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TCustomBandRep::Cancel() {
  if (!Available) {
    Cancelled = true;
    if (printer_ != nullptr) printer_->Cancelled = true;
  } else if (printer_ != nullptr && printer_->ShowingPreview()) {
    printer_->ClosePreview();
  }
}

void TCustomBandRep::PrinterSetupDialog() {
  TPrinter* device = ::Printer();
  if (PrinterSettings.PrinterIndex >= 0 && PrinterSettings.PrinterIndex < device->Printers()->Count())
    device->SetPrinterIndex(PrinterSettings.PrinterIndex);
  TRpPrintDialog dialog(nullptr);
  // A range of pages chosen here is the one printed.
  dialog.Options = {poPageNums};
  const bool finished = printer_ != nullptr && printer_->Status() == rpsFinished;
  dialog.MinPage = finished ? 1 : 0;
  dialog.MaxPage = finished ? printer_->PageCount() : 9999;
  if (finished) {
    dialog.FromPage = 1;
    dialog.ToPage = printer_->PageCount();
  }
  device->SetOrientation(page_.Orientation());
  // The dialog offers the report's own paper first.
  if (const int code = RpPaperInfo(page_.PaperSize()).Code; code > 0 && code < DMPAPER_USER) {
    const std::vector<int> papers = device->PaperCodes();
    if (std::find(papers.begin(), papers.end(), code) != papers.end())
      device->DeviceMode().dmPaperSize = code;
  }
  dialog.SetCopies(PrinterSettings.Copies);
  if (!dialog.Execute()) {
    Tag = 1;
    return;
  }
  const TPrinterOrientation orientation = dialog.Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
  PrinterSettings.Copies = dialog.Copies();
  PrinterSettings.PrinterIndex = device->PrinterIndex();
  page_.SetOrientation(orientation);
  const bool range = dialog.PrintRange == prPageNums;
  PrinterSettings.FirstPage = range ? dialog.FromPage : 0;
  PrinterSettings.LastPage = range ? dialog.ToPage : 0;
  TakeDialogChoices(dialog, DialogSettings);
  if (printer_ != nullptr) ApplyDialogSettings(*printer_);
  Tag = 0;
}

void TakeDialogChoices(const TRpPrintDialog& dialog, TBandRepPrinterSettings& chosen) {
  chosen.CustomBinCode = dialog.OutputBin;
  const int code = dialog.OutputBin > 255 ? dialog.OutputBin - 256 : dialog.OutputBin;
  for (int i = kRpBinCount - 1; i >= 0; --i)
    if (RpBinCode(static_cast<TRpBin>(i)) == code) chosen.OutputBin = static_cast<TRpBin>(i);
  chosen.ExtendedDuplex = dialog.DuplexCode;
  chosen.PrintQuality = dialog.PrintQuality;
  chosen.Collate = dialog.Collate ? 1 : 0;
  chosen.ColorOption = dialog.ColorOption;
  chosen.Copies = dialog.Copies();
  chosen.Orientation = dialog.Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
  chosen.FirstPage = dialog.FromPage;
  chosen.LastPage = dialog.ToPage;
  chosen.CustomPaperCode = dialog.PaperSize;
  chosen.PrinterIndex = ::Printer()->PrinterIndex();
  chosen.Duplex = dialog.Duplex;
}

void TCustomBandRep::ApplyDialogSettings(TRpPrinter& p) const { ApplyDialogChoices(DialogSettings, p); }

void ApplyDialogChoices(const TBandRepPrinterSettings& chosen, TRpPrinter& p) {
  // Another printer starts from its own defaults: it is chosen before
  // anything else, or it would take back the copies and the rest.
  p.SetPrinterIndex(chosen.PrinterIndex);
  p.SetCustomBinCode(chosen.CustomBinCode);
  p.SetOutputBin(chosen.OutputBin);
  // A source the bin table does not name is asked for by its own code.
  bool listed = false;
  for (int i = 0; i < kRpBinCount; ++i)
    listed = listed || RpBinCode(static_cast<TRpBin>(i)) == chosen.CustomBinCode;
  p.SetUseCustomBinCode(chosen.CustomBinCode > 0 && !listed);
  p.SetExtendedDuplex(chosen.ExtendedDuplex);
  p.SetPrintQuality(chosen.PrintQuality);
  p.SetCollate(chosen.Collate);
  p.SetColorOption(chosen.ColorOption);
  p.SetCopies(chosen.Copies);
  p.SetOrientation(chosen.Orientation);
  p.FirstPage = chosen.FirstPage;
  p.LastPage = chosen.LastPage;
  p.SetCustomPaperCode(chosen.CustomPaperCode);
  // The paper chosen in the dialog is the job's.
  p.SetUseCustomPaperCode(chosen.CustomPaperCode > 0);
  p.SetDuplex(chosen.Duplex);
}

void TCustomBandRep::TakeDialogSettings() {
  const TBandRepPrinterSettings& chosen = DialogSettings;
  PrinterSettings.PrinterIndex = chosen.PrinterIndex;
  PrinterSettings.Copies = chosen.Copies;
  PrinterSettings.OutputBin = chosen.OutputBin;
  PrinterSettings.CustomBinCode = chosen.CustomBinCode;
  PrinterSettings.Collate = chosen.Collate;
  PrinterSettings.ColorOption = chosen.ColorOption;
  PrinterSettings.PrintQuality = chosen.PrintQuality;
  PrinterSettings.Duplex = chosen.Duplex;
  PrinterSettings.ExtendedDuplex = chosen.ExtendedDuplex;
  PrinterSettings.CustomPaperCode = chosen.CustomPaperCode;
  // The paper chosen is the job's, as it is for the pages already made.
  PrinterSettings.UseCustomPaperCode = chosen.CustomPaperCode > 0;
}
