#include "report/RpPrntr.h"

#include <algorithm>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/Shell.h"
#include "report/RpPrev.h"
#include "report/RpProgress.h"

namespace {

constexpr Extended kScreenFactor = 96.0L / 254;

struct LinkHandler {
  AnsiString Prefix;
  std::function<void(const AnsiString&)> Handler;
};
std::vector<LinkHandler>& LinkHandlers() {
  static std::vector<LinkHandler> handlers;
  return handlers;
}

// Hands a link to the first handler whose prefix starts it.
bool ClaimLink(const AnsiString& link) {
  for (const LinkHandler& h : LinkHandlers())
    if (link.compare(0, h.Prefix.size(), h.Prefix) == 0) {
      h.Handler(link.substr(h.Prefix.size()));
      return true;
    }
  return false;
}

}  // namespace

std::function<void(const AnsiString&)> RpShellOpen = [](const AnsiString& target) {
  ShellExecute(nullptr, "open", target, "", "", SW_SHOW);
};
bool RpPreviewPrintsPages = true;

void RegisterRpLinkHandler(const AnsiString& prefix, std::function<void(const AnsiString&)> handler) {
  LinkHandlers().push_back({prefix, std::move(handler)});
}
void ClearRpLinkHandlers() { LinkHandlers().clear(); }

TRpPrinter::TRpPrinter(TRpPrinterMaster* master)
    : TRpPrinter(master, master != nullptr ? &master->MasterPrinterSettings() : nullptr) {}

TRpPrinter::TRpPrinter(const TBandRepPrinterSettings& ownerSettings) : TRpPrinter(nullptr, &ownerSettings) {}

TRpPrinter::TRpPrinter(TRpPrinterMaster* master, const TBandRepPrinterSettings* ownerSettings)
    : master_(master), pageList_(std::make_unique<TRpPageList>()) {
  TPrinter* standard = ::Printer();
  standard->Refresh();
  printerOK_ = standard->Printers()->Count() > 0;
  if (ownerSettings != nullptr) {
    settings_.UseStandardprinter = ownerSettings->UseStandardprinter;
    settings_.MemoryLimit = ownerSettings->MemoryLimit;
    settings_.PrintMetaFile = ownerSettings->PrintMetaFile;
  }
  if (settings_.UseStandardprinter) {
    printer_ = standard;
  } else {
    ownPrinter_ = std::make_unique<TPrinter>();
    printer_ = ownPrinter_.get();
  }
  if (printerOK_) {
    if (printer_ != standard && standard->PrinterIndex() >= 0) {
      printer_->SetPrinterIndex(standard->PrinterIndex());
      // The program has one printer to its user: what the print dialog set
      // on it (quality, colour, ...) holds for this run's own copy too.
      printer_->SetDeviceMode(standard->DeviceMode());
    }
    settings_.SetPrinter(printer_);
  }
  topOffset_ = settings_.TopOffset;
  leftOffset_ = settings_.LeftOffset;
}

TRpPrinter::~TRpPrinter() {
  // A preview still showing these pages lets go of them.
  if (Client != nullptr)
    if (auto* preview = dynamic_cast<TRpPreview*>(ui::FindWindow(Client))) preview->PrinterGone(this);
  if (status_ != rpsReady) FreePages();
  metafileCanvas_.reset();
  if (printer_ != nullptr && printer_->Printing() && printer_ == ownPrinter_.get()) printer_->Abort();
}

bool TRpPrinter::InRange() const {
  return (FirstPage <= 0 || pageCount_ >= FirstPage) && (LastPage <= 0 || pageCount_ <= LastPage);
}

int TRpPrinter::PaperWidth() const {
  const TRpPaperSize size = settings_.PaperSize();
  const bool landscape = settings_.Orientation() == poLandscape;
  if (size == TRpPaperSize::Default || size == TRpPaperSize::Custom)
    return landscape ? settings_.PaperLength() : settings_.PaperWidth();
  const TRpPaperInfo& info = RpPaperInfo(size);
  return static_cast<int>(Round((landscape ? info.Length : info.Width) * 10));
}

int TRpPrinter::PaperLength() const {
  const TRpPaperSize size = settings_.PaperSize();
  const bool landscape = settings_.Orientation() == poLandscape;
  if (size == TRpPaperSize::Default || size == TRpPaperSize::Custom)
    return landscape ? settings_.PaperWidth() : settings_.PaperLength();
  const TRpPaperInfo& info = RpPaperInfo(size);
  return static_cast<int>(Round((landscape ? info.Width : info.Length) * 10));
}

void TRpPrinter::SetProgress(int percent) {
  progress_ = percent;
  if (Client != nullptr) PostMessage(Client, WM_RP_PROGRESS, static_cast<WPARAM>(percent), 0);
}

void TRpPrinter::SetAvailablePages(int pages) {
  availablePages_ = pages;
  if (Client != nullptr) PostMessage(Client, WM_RP_PAGES, static_cast<WPARAM>(pages), 0);
}

void TRpPrinter::RunMessages() { Application->ProcessMessages(); }

void TRpPrinter::BeginDoc() {
  // A run already going or finished stays as it is.
  if (status_ != rpsReady) throw ERpError("Δεν είναι έτοιμος ο εκτυπωτής"_a);
  pageMetafile_.reset();
  availablePages_ = 0;
  ++pagesGeneration_;
  Cancelled = false;
  topOffset_ = leftOffset_ = 0;
  if (Destination == rpdPrinter) {
    settings_.ApplySettings();
    // The margins of the sheet as it now lies: turned, its sides trade them.
    DeviceOffsets(leftOffset_, topOffset_);
  }
  pageNumber_ = 0;
  pageCount_ = 0;
  // New pages: damage found in them is news.
  damageReported_ = false;
  status_ = rpsBusy;
  if (Destination == rpdMetafile) {
    pageList_->Clear();
    // The old pages go first, so that the new stream takes their room.
    pageList_->SetStream(nullptr);
    pageList_->SetStream(std::make_unique<TRpStream>(settings_.MemoryLimit));
    xFactor_ = yFactor_ = kScreenFactor;
  } else {
    xFactor_ = printer_->GetDeviceCaps(LOGPIXELSX) / 254.0L;
    yFactor_ = printer_->GetDeviceCaps(LOGPIXELSY) / 254.0L;
    if (xFactor_ < 0.1L) xFactor_ = kScreenFactor;
    if (yFactor_ < 0.1L) yFactor_ = kScreenFactor;
  }
}

void TRpPrinter::DeviceOffsets(int& left, int& top) const {
  auto tenths = [](int dots, int ppi) {
    return ppi > 0 ? static_cast<int>(Round(Extended(dots) / ppi * 254)) : 0;
  };
  left = tenths(printer_->GetDeviceCaps(PHYSICALOFFSETX), printer_->GetDeviceCaps(LOGPIXELSX));
  top = tenths(printer_->GetDeviceCaps(PHYSICALOFFSETY), printer_->GetDeviceCaps(LOGPIXELSY));
}

void TRpPrinter::ClosePage(bool keep) {
  canvas_ = nullptr;
  if (pageOpen_) {
    pageOpen_ = false;
    metafileCanvas_->Close();
    if (keep) pageList_->AddPage(*pageMetafile_);
  }
  PendingObjects.clear();
}

void TRpPrinter::OpenMetafilePage() {
  // One metafile and canvas record every page, their storage kept from
  // page to page: a page's bytes go to the page list when it closes.
  if (!pageMetafile_) pageMetafile_ = std::make_unique<TMetafile>();
  pageMetafile_->SetWidth(DeviceWidth(PaperWidth()));
  pageMetafile_->SetHeight(DeviceHeight(PaperLength()));
  if (metafileCanvas_)
    metafileCanvas_->Open(pageMetafile_.get());
  else
    metafileCanvas_ = std::make_unique<TMetafileCanvas>(pageMetafile_.get());
  pageOpen_ = true;
  canvas_ = metafileCanvas_.get();
  xFactor_ = yFactor_ = kScreenFactor;
  PendingObjects.clear();
}

void TRpPrinter::NewPage() {
  if (status_ != rpsBusy) throw ERpError("Illegal call to NewPage");
  if (pageNumber_ > 0) {
    if (Destination == rpdMetafile) {
      ClosePage(true);
    } else if (InRange()) {
      if (printer_->Printing() && pageCount_ != LastPage) printer_->NewPage();
    } else {
      ClosePage(false);
    }
    SetAvailablePages(availablePages_ + 1);
  }
  ++pageCount_;
  ++pageNumber_;
  if (Destination == rpdMetafile || !InRange()) {
    OpenMetafilePage();
  } else {
    if (!printer_->Printing()) {
      printer_->Title = Title;
      printer_->BeginDoc();
    }
    canvas_ = printer_->Canvas();
    xFactor_ = printer_->GetDeviceCaps(LOGPIXELSX) / 254.0L;
    yFactor_ = printer_->GetDeviceCaps(LOGPIXELSY) / 254.0L;
    // A device that reports no resolution still gets a pixel a tenth of a
    // millimetre each way, or every position across would fall on one.
    if (xFactor_ < 0.1L) xFactor_ = 1;
    if (yFactor_ < 0.1L) yFactor_ = 1;
  }
}

void TRpPrinter::EndDoc() {
  if (status_ != rpsBusy) return;
  if (Destination == rpdPrinter) {
    ClosePage(false);
    if (printer_->Printing()) printer_->EndDoc();
  } else if (pageCount_ > 0) {
    ClosePage(true);
  }
  status_ = rpsFinished;
  SetAvailablePages(availablePages_ + 1);
  RunMessages();
  if (Destination == rpdMetafile) {
    if (pageList_->Stream() != nullptr) pageList_->Finish();
  } else if (AfterPrint) {
    AfterPrint(this);
  }
}

void TRpPrinter::Cancel() {
  if (Destination == rpdMetafile) {
    if (pageOpen_) ClosePage(!DiscardPartialPage);
    // The header counts the pages kept, so a saved cancelled run reads back.
    if (status_ == rpsBusy && pageList_->Stream() != nullptr && pageList_->PageCount() > 0)
      pageList_->Finish();
  } else {
    ClosePage(false);
    if (printer_->Printing()) printer_->Abort();
  }
  status_ = rpsFinished;
}

void TRpPrinter::FreePages() {
  if (status_ == rpsBusy) Cancelled = true;
  ClosePage(false);
  pageList_->SetStream(nullptr);
  pageList_->Clear();
  ++pagesGeneration_;
  status_ = rpsReady;
}

std::unique_ptr<TMetafile> TRpPrinter::GetPage(int n) {
  if ((status_ != rpsBusy && status_ != rpsFinished) || n < 1 || n > pageCount_) return nullptr;
  try {
    return pageList_->GetPage(n);
  } catch (const ERpError& e) {
    if (!damageReported_) {
      damageReported_ = true;
      damageText_ = e.Message;
      // The window that shows the pages tells the user once the page in
      // hand is drawn: the page may be wanted while it paints.
      if (Client != nullptr) PostMessage(Client, WM_RP_DAMAGEDPAGE, 0, 0);
      if (OnDamagedPage) OnDamagedPage(e.Message);
    }
    auto blank = std::make_unique<TMetafile>();
    blank->SetWidth(DeviceWidth(PaperWidth()));
    blank->SetHeight(DeviceHeight(PaperLength()));
    { TMetafileCanvas canvas(blank.get()); }
    return blank;
  }
}

void TRpPrinter::Print() {
  if (PreviewWindow != nullptr && !loadedFromFile_ && !settings_.PrintMetaFile && status_ == rpsFinished) {
    PostMessage(PreviewWindow, WM_RP_PRINT, 0, 0);
    return;
  }
  if (status_ != rpsFinished || !printerOK_) return;
  const bool showProgress = master_ != nullptr && master_->ShowProgress();
  printer_->Title = Title;
  if (printer_->Printing()) printer_->Abort();
  settings_.ApplySettings();
  // The sheet's corner lies the unprintable margin before the canvas's,
  // whatever the run that made the pages drew on.
  int left = 0, top = 0;
  DeviceOffsets(left, top);
  // A range reaching past the stored pages prints no blank sheets.
  const int from = std::max(FirstPage != 0 ? FirstPage : 1, 1);
  const int to = std::min(LastPage != 0 ? LastPage : pageCount_, pageCount_);
  if (from > to) return;
  // A cancel belongs to the run or print it stopped: this print is asked
  // for afresh and prints every page of its range.
  Cancelled = false;
  printer_->BeginDoc();
  RunWithProgress(*this, showProgress, "", true, [&] {
    for (int i = from; i <= to; ++i) {
      RunMessages();
      // The share of the range printed, so a range late in the pages
      // still runs from its first percent to 100.
      if (showProgress) SetProgress(static_cast<int>(Round(Extended(i - from + 1) / (to - from + 1) * 100)));
      std::unique_ptr<TMetafile> page = GetPage(i);
      const Extended xRes = printer_->GetDeviceCaps(LOGPIXELSX) / 254.0L;
      const Extended yRes = printer_->GetDeviceCaps(LOGPIXELSY) / 254.0L;
      Extended width, length;
      if (master_ != nullptr) {
        const TRpPage& setup = master_->MasterPage();
        width = setup.NativeValue(TRpPage::iWidth);
        length = setup.NativeValue(TRpPage::iLength);
      } else {
        // A loaded file has no report: the page's own frame is the sheet.
        width = page ? page->MMWidth() / 10.0L : PaperWidth();
        length = page ? page->MMHeight() / 10.0L : PaperLength();
      }
      if (page) {
        const TRect rect{-static_cast<int>(Round(left * xRes)), -static_cast<int>(Round(top * yRes)),
                         static_cast<int>(Round((width - left) * xRes)),
                         static_cast<int>(Round((length - top) * yRes))};
        printer_->Canvas()->StretchDraw(rect, page.get());
      }
      if (i < to) printer_->NewPage();
      if (Cancelled) {
        printer_->Abort();
        break;
      }
    }
  });
  if (master_ != nullptr) master_->MasterAfterPrint();
  if (printer_->Printing()) printer_->EndDoc();
}

void TRpPrinter::Preview() {
  if (OnPreview) {
    OnPreview(this);
  } else {
    // The window prints by running its report itself: it is no window
    // for the print and close requests.
    RpShowPreview(this);
  }
}

void TRpPrinter::Load(const AnsiString& fileName) {
  // A damaged file is refused before anything of the pages shown goes.
  auto loaded = std::make_unique<TRpPageList>();
  ReadingFile(fileName, [&] { loaded->LoadFromFile(fileName); });
  if (status_ != rpsReady) FreePages();
  loaded->Outline()->SetTreeView(pageList_->Outline()->TreeView());
  pageList_ = std::move(loaded);
  ++pagesGeneration_;
  pageCount_ = pageList_->PageCount();
  xFactor_ = yFactor_ = kScreenFactor;
  std::unique_ptr<TMetafile> page;
  try {
    if (pageCount_ > 0) page = pageList_->GetPage(1);
  } catch (const ERpError&) {
    // A damaged first page shows blank; the paper stays as it is.
  }
  {
    if (page) {
      const long long w = static_cast<long long>(page->Width() / xFactor_ / 40);
      const long long h = static_cast<long long>(page->Height() / xFactor_ / 40);
      for (int i = 1; i <= 26; ++i) {
        const TRpPaperInfo& info = RpPaperInfo(static_cast<TRpPaperSize>(i));
        const long long pw = static_cast<long long>(info.Width / 4),
                        pl = static_cast<long long>(info.Length / 4);
        if (pw == w && pl == h) {
          settings_.SetPaperSize(static_cast<TRpPaperSize>(i));
          settings_.SetOrientation(poPortrait);
        } else if (pw == h && pl == w) {
          settings_.SetPaperSize(static_cast<TRpPaperSize>(i));
          settings_.SetOrientation(poLandscape);
        }
      }
    }
  }
  status_ = rpsFinished;
  PreviewSetup = nullptr;
  PreviewExport = nullptr;
  loadedFromFile_ = true;
  damageReported_ = false;
  RpPreviewPrintsPages = true;
}

void TRpPrinter::Save(const AnsiString& fileName) {
  if (status_ == rpsFinished) pageList_->SaveToFile(fileName);
}

void TRpPrinter::SetShowingPreview(bool value) {
  if (showingPreview_ && !value) {
    if (status_ == rpsBusy) {
      Cancelled = true;
      Cancel();
    }
    if (AfterPreview) AfterPreview(this);
  }
  showingPreview_ = value;
}

void TRpPrinter::ClosePreview() {
  SetShowingPreview(false);
  // A window that went away has a dead handle, which takes no message.
  if (PreviewWindow != nullptr)
    SendMessage(PreviewWindow, WM_RP_PREVIEWCLOSED, 0, reinterpret_cast<LPARAM>(this));
}

void TRpPrinter::SetPrinterIndex(int index) {
  printer_->Refresh();
  printerOK_ = printer_->Printers()->Count() > 0;
  // A printer chosen before that has since gone leaves the current one:
  // the run goes on there rather than failing.
  if (index >= printer_->Printers()->Count()) return;
  if (printerOK_ && !settings_.UseStandardprinter && index != -1 && index != printer_->PrinterIndex()) {
    printer_->SetPrinterIndex(index);
    printer_->ResetDeviceMode();
    settings_.ReadDevice();
  }
}

void TRpPrinter::ProcessHyperlink(const AnsiString& link) {
  const AnsiString head = UpperCase(link.substr(0, 4));
  if (head == "EXT:") {
    RpShellOpen(link.substr(4));
  } else if (head == "INT:") {
    ClaimLink(link.substr(4));
  } else if (!ClaimLink(link)) {
    RpShellOpen(link);
  }
}

int TRpPrinter::DefaultPaperIndex() const {
  TPrinter* standard = ::Printer();
  if (standard->PrinterIndex() < 0) return 0;
  const TDeviceMode& mode = standard->DeviceMode();
  if (!(mode.dmFields & DM_PAPERSIZE)) return 0;
  return static_cast<int>(RpPaperOfCode(mode.dmPaperSize));
}

int TRpPrinter::DefaultPrinterPaperIndex() {
  const auto& profiles = printers::Profiles();
  const int index = printers::DefaultIndex();
  if (index < 0 || index >= static_cast<int>(profiles.size())) return 0;
  const TDeviceMode& mode = profiles[static_cast<size_t>(index)].Defaults;
  if (!(mode.dmFields & DM_PAPERSIZE)) return 0;
  return static_cast<int>(RpPaperOfCode(mode.dmPaperSize));
}

void TRpPrinter::SetDuplex(bool v) {
  settings_.SetDuplex(v);
  // The device's own sides code, read with it, says the opposite of the
  // choice just made: the choice holds. A two-sided code a caller gave
  // that agrees stays and picks the edge.
  const int sides = settings_.ExtendedDuplex;
  if (settings_.Duplex() == v && sides != 0 && (sides == DMDUP_SIMPLEX) == v) settings_.ExtendedDuplex = 0;
}

void TRpPrinter::ApplyJobSettings(const TBandRepPrinterSettings& s) {
  SetCopies(s.Copies);
  SetOutputBin(s.OutputBin);
  FirstPage = s.FirstPage;
  LastPage = s.LastPage;
  SetDuplex(s.Duplex);
  SetExtendedDuplex(s.ExtendedDuplex);
  SetUseStandardprinter(s.UseStandardprinter);
  SetPrintMetaFile(s.PrintMetaFile);
  SetUseCustomBinCode(s.UseCustomBinCode);
  SetCustomBinCode(s.CustomBinCode);
  SetUseCustomPaperCode(s.UseCustomPaperCode);
  SetCustomPaperCode(s.CustomPaperCode);
  // A form that chose no resolution or colour (600 is what it stores as
  // none) leaves the device's own, which the print dialog may have set.
  if (s.PrintQualityStored()) SetPrintQuality(s.PrintQuality);
  SetCollate(s.Collate);
  if (s.ColorOption != 0) SetColorOption(s.ColorOption);
}

int TRpPrinter::StringPos(const AnsiString& subStr, const AnsiString& s) {
  const std::size_t at = s.find(subStr);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}
