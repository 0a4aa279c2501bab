// The composite report: several band reports run one after the other into
// one printer job or one export file, the page number, column and position
// carried from each report to the next.

#include "report/BandRpt.h"

namespace {

// The run recognises the last report of a composite by this tag.
constexpr int kLastReportTag = 999;

// Parents the message window to the composite's owner when that is a window.
void ParentToOwner(TRpCompositeWinControl* window, TComponent* owner) {
  if (window == nullptr) return;
  if (auto* parent = dynamic_cast<TWinControl*>(owner)) window->SetParent(parent);
}

}  // namespace

TRpCompositeWinControl::TRpCompositeWinControl(TRpCompositeReport* composite)
    : TWinControl(nullptr), Composite(composite) {}

TRpCompositeWinControl::~TRpCompositeWinControl() {
  if (Composite != nullptr) Composite->WinControlGone();
}

void TRpCompositeWinControl::Dispatch(TMessage& message) {
  if (Composite != nullptr && message.Msg == WM_RP_PRINT) {
    Composite->Print();
    return;
  }
  if (Composite != nullptr && message.Msg == WM_RP_PREVIEWCLOSED) {
    Composite->PreviewClosed();
    return;
  }
  TWinControl::Dispatch(message);
}

TRpCompositeReport::TRpCompositeReport(TComponent* owner) : TComponent(owner) {
  winControl_ = new TRpCompositeWinControl(this);
}

TRpCompositeReport::~TRpCompositeReport() {
  if (winControl_ != nullptr) {
    winControl_->Composite = nullptr;
    delete winControl_;
    winControl_ = nullptr;
  }
  jobPrinter_.reset();
}

void TRpCompositeReport::PreviewClosed() {
  if (printing_) {
    if (running_ != nullptr) running_->Cancel();
  } else {
    jobPrinter_.reset();
  }
}

// A list left from an earlier run or an earlier call must not stand in for
// what the handler adds now.
void TRpCompositeReport::AddReports() {
  Reports.clear();
  if (OnAddReports) OnAddReports(this);
}

void TRpCompositeReport::ApplySettings(TRpPrinter& p) {
  const TRpCompositePrinterSettings& s = PrinterSettings;
  p.SetPrinterIndex(s.PrinterIndex);
  p.SetPaperSize(s.PaperSize);
  p.SetOrientation(s.Orientation);
  p.Title = s.Title;
  p.ApplyJobSettings(s);
}

void TRpCompositeReport::Print() {
  if (printing_) return;
  std::unique_ptr<TRpPrinter> saved = std::move(jobPrinter_);
  AddReports();
  if (Reports.empty()) {
    jobPrinter_ = std::move(saved);
    return;
  }
  TCustomBandRep* first = Reports.front();
  auto host = std::make_unique<TBandRep>(this);
  host->Page()->SetPaperSize(first->Page()->PaperSize());
  host->Page()->SetOrientation(first->Page()->Orientation());
  host->SetPreviewWidth(first->PreviewWidth());
  host->SetPreviewHeight(first->PreviewHeight());
  host->PrinterSettings.Orientation = first->Page()->Orientation();
  host->PrinterSettings.FirstPage = PrinterSettings.FirstPage;
  host->PrinterSettings.LastPage = PrinterSettings.LastPage;

  jobPrinter_ = std::make_unique<TRpPrinter>(host.get());
  jobPrinter_->SetOrientation(first->Page()->Orientation());
  jobPrinter_->Title = ReportTitle;
  jobPrinter_->FirstPage = PrinterSettings.FirstPage;
  jobPrinter_->LastPage = PrinterSettings.LastPage;
  PrinterSettings.Orientation = first->Page()->Orientation();
  PrinterSettings.PaperSize = first->Page()->PaperSize();
  PrinterSettings.Title = ReportTitle;
  jobPrinter_->Destination = rpdPrinter;
  try {
    RunReports(nullptr);
  } catch (...) {
    jobPrinter_.reset();
    host.reset();
    jobPrinter_ = std::move(saved);
    throw;
  }
  jobPrinter_.reset();
  host.reset();
  jobPrinter_ = std::move(saved);
}

void TRpCompositeReport::ExportToFilter(TRpExportFilter* filter) {
  if (printing_ || filter == nullptr) return;
  std::unique_ptr<TRpPrinter> saved = std::move(jobPrinter_);
  jobPrinter_ = std::make_unique<TRpPrinter>(PrinterSettings);
  jobPrinter_->Destination = rpdPrinter;
  Reports.clear();
  ParentToOwner(winControl_, Owner());
  jobPrinter_->SetPrinterIndex(PrinterSettings.PrinterIndex);
  AddReports();
  try {
    if (!Reports.empty()) RunReports(filter);
  } catch (...) {
    jobPrinter_ = std::move(saved);
    throw;
  }
  jobPrinter_ = std::move(saved);
  if (OnFinished) OnFinished(this);
}

void TRpCompositeReport::RunReports(TRpExportFilter* filter) {
  const bool exporting = filter != nullptr;
  if (!exporting) {
    ParentToOwner(winControl_, Owner());
    AddReports();
  }
  if (!Reports.empty()) {
    TRpPrinter& job = *jobPrinter_;
    ApplySettings(job);
    if (exporting) job.Destination = rpdMetafile;
    job.BeginDoc();
    if (exporting) job.NewPage();
    TCustomBandRep* first = Reports.front();
    // A start below the sheet makes the first band open a fresh page.
    int y = RpNearest(first->Page()->NativeValue(TRpPage::iLength));
    int pageNumber = 0;
    int columnNumber = exporting ? 0 : first->Page()->Columns();
    bool cancelled = false;
    printing_ = true;
    const auto leave = [&](TCustomBandRep* report, int tag) {
      report->Tag = tag;
      report->SetRpPrinter(nullptr);
      running_ = nullptr;
    };
    for (std::size_t i = 0; i < Reports.size(); ++i) {
      TCustomBandRep* report = Reports[i];
      running_ = report;
      report->SetRpPrinter(&job);
      report->CurrentY = y;
      report->PageNumber = pageNumber;
      report->ColumnNumber = columnNumber;
      if (exporting) report->CurrentX = static_cast<int>(report->Page()->NativeValue(TRpPage::iLeftMargin));
      const int tag = report->Tag;
      if (i + 1 == Reports.size()) report->Tag = kLastReportTag;
      try {
        if (OnStartReport) OnStartReport(this, report, static_cast<int>(i));
        if (exporting) {
          report->ExportToFilterWithProgress(filter, &job);
        } else {
          report->ExportFilter = nullptr;
          report->CreateReport(true);
        }
        if (report->AfterPrint) report->AfterPrint(report);
      } catch (...) {
        leave(report, tag);
        printing_ = false;
        jobPrinter_.reset();
        throw;
      }
      leave(report, tag);
      if (report->Cancelled) {
        cancelled = true;
        break;
      }
      if (OnFinished) OnFinished(report);
      pageNumber = report->PageNumber;
      columnNumber = report->ColumnNumber;
      y = report->CurrentY;
    }
    // A cancelled job is thrown away unfinished.
    if (cancelled)
      jobPrinter_.reset();
    else
      job.EndDoc();
    printing_ = false;
  }
  if (!exporting && OnFinished) OnFinished(this);
}
