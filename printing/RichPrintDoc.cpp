// The rich-text printer's documents: a rich edit printed page by page
// through format-range, the preview's pages, and the progress window.

#include <algorithm>

#include "platform/rtl/Registry.h"
#include "platform/rtl/System.h"
#include "platform/ui/Application.h"
#include "printing/RichPreview.h"
#include "printing/RichPrint.h"

// ---- progress window ----

TRichPrntProgDlg::TRichPrntProgDlg(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Print Progress");
  BorderStyle = bsToolWindow;
  FormStyle = fsStayOnTop;
  Position = poScreenCenter;
  SetClientWidth(260);
  SetClientHeight(76);
  auto label = [this](int x, int y, int w) {
    auto* l = new TLabel(this);
    l->SetBounds(x, y, w, 16);
    l->SetParent(this);
    return l;
  };
  lblStatus = label(12, 8, 236);
  lblTitle = label(12, 28, 236);
  Label1 = label(12, 50, 100);
  Label1->SetCaption("Page Number:");
  lblPageNumber = label(116, 50, 80);
}

void TRichPrinter::Progress(const AnsiString& status) {
  if (ShowProgress && (Printer()->Printing() || preview_)) {
    if (!progress_) {
      progress_ = new TRichPrntProgDlg(nullptr);
      progress_->AfterConstruction();
    }
    progress_->Show();
    if (!status.empty()) progress_->lblStatus->SetCaption(status);
    progress_->lblTitle->SetCaption(Printer()->Title);
    progress_->lblPageNumber->SetCaption(IntToStr(page_));
    progress_->Update();
    return;
  }
  delete progress_;
  progress_ = nullptr;
}

// ---- printing a rich edit ----

void TRichPrinter::PrintRichEdit(TCustomRichEdit* Edit, int FirstPage) {
  RenderPages(Edit, FirstPage, 0, 0, 0, 0);
}

void TRichPrinter::PrintRichEditRange(TCustomRichEdit* Edit, int FirstPage, int FromPage, int ToPage,
                                      int SelStart, int SelEnd) {
  RenderPages(Edit, FirstPage, FromPage, ToPage, SelStart, SelEnd);
}

void TRichPrinter::RenderPages(TCustomRichEdit* edit, int firstPage, int fromPage, int toPage, int selStart,
                               int selEnd) {
  edit_ = edit;
  firstPage_ = firstPage;
  const bool ranged = toPage >= fromPage && toPage > 0;
  const bool selection = selEnd > selStart;
  const int length = selection ? selEnd : static_cast<int>(edit->Text().size());
  // Pages before the range are only measured; the document starts with
  // the first page printed.
  int page = firstPage;
  int next = selection ? selStart : 0;
  FORMATRANGE fr;
  const auto fill = [&](TCanvas* canvas) {
    const TRect a = TextArea();
    const int lpx = std::max(1, Caps(LOGPIXELSX)), lpy = std::max(1, Caps(LOGPIXELSY));
    fr.hdc = fr.hdcTarget = canvas;
    fr.rc = Rect(a.Left * 1440 / lpx, a.Top * 1440 / lpy, (a.Left + a.Width()) * 1440 / lpx,
                 (a.Top + a.Height()) * 1440 / lpy);
    fr.rcPage = fr.rc;
    fr.chrg.cpMax = selection ? selEnd : -1;
  };
  const auto wanted = [&](int p) { return !ranged || (p >= fromPage && p <= toPage); };
  // The measures of the pages skipped, on the printer's measuring canvas.
  edit->Perform(EM_FORMATRANGE, 0, 0);
  if (ranged) {
    fill(Printer()->Canvas());
    while (page < fromPage && next < length) {
      fr.chrg.cpMin = next;
      const int at = static_cast<int>(edit->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&fr)));
      if (at <= next) break;
      next = at;
      ++page;
    }
    if (next >= length && page < fromPage) {
      edit->Perform(EM_FORMATRANGE, 0, 0);
      return;  // the range lies past the text: nothing to print
    }
    firstPage_ = page;
  }
  BeginDoc();
  const int saved = surface_->SetMapMode(MM_TEXT);
  try {
    fill(surface_);
    int last;
    do {
      last = next;
      fr.chrg.cpMin = next;
      next = static_cast<int>(edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&fr)));
      if (length > next && next != -1 && next > last && wanted(page_ + 1)) {
        NewPage();
        fill(surface_);
      } else {
        break;
      }
    } while (length > next && next != -1 && next > last);
  } catch (...) {
    surface_->SetMapMode(saved);
    edit->Perform(EM_FORMATRANGE, 0, 0);
    AbandonDoc();
    throw;
  }
  surface_->SetMapMode(saved);
  edit->Perform(EM_FORMATRANGE, 0, 0);
  EndDoc();
}

// ---- preview ----

void TRichPrinter::StartPreviewPage() {
  preview_ = true;
  pageMetafile_ = std::make_unique<TMetafile>();
  pageMetafile_->SetWidth(Caps(PHYSICALWIDTH));
  pageMetafile_->SetHeight(Caps(PHYSICALHEIGHT));
  pageCanvas_ = std::make_unique<TMetafileCanvas>(pageMetafile_.get(), Printer()->Canvas());
  // The printer draws from its printable area's corner: on the whole page
  // that corner lies at the printer's unprintable edges.
  pageCanvas_->SetViewportOrgEx(Caps(PHYSICALOFFSETX), Caps(PHYSICALOFFSETY));
  pageCanvas_->Font->Assign(headerFont_);
  surface_ = pageCanvas_.get();
}

void TRichPrinter::SavePreviewPage(bool last) {
  if (!pageCanvas_) return;
  pageCanvas_.reset();  // completes the metafile
  if (previewForm_) previewForm_->SavePreviewPage(*pageMetafile_);
  pageMetafile_.reset();
  if (!last)
    StartPreviewPage();
  else
    surface_ = Printer()->Canvas();
}

void TRichPrinter::Preview(TCustomRichEdit* Edit) {
  Screen->SetCursor(crHourGlass);
  try {
    {
      TRegistryIniFile ini(kRichPrnKey);
      ini.WriteBool("Compress", "CompressPreview", CompressPreview);
    }
    StartPreviewPage();
    const int pw = Caps(PHYSICALWIDTH), ph = Caps(PHYSICALHEIGHT);
    PreviewRatio = pw > 0 ? static_cast<double>(ph) / pw : 0;
    previewForm_ = NewForm<TRichPreviewForm>(Application);
    previewForm_->OnDestroy = [this](TObject*) { previewForm_ = nullptr; };
    previewForm_->PageWidth = pw;
    previewForm_->PageHeight = ph;
    previewForm_->MeasureUnit = unit_ == muMillimeters ? puMillimeters : puInches;
    previewForm_->PhysWidth = FromPixelsX(pw);
    previewForm_->PhysHeight = FromPixelsY(ph);
    previewForm_->Show();
    PrintRichEdit(Edit, 1);
    if (previewForm_) previewForm_->PagesDone();
  } catch (...) {
    pageCanvas_.reset();
    pageMetafile_.reset();
    preview_ = false;
    surface_ = Printer()->Canvas();
    Screen->SetCursor(crDefault);
    throw;
  }
  surface_ = Printer()->Canvas();
  Screen->SetCursor(crDefault);
}
