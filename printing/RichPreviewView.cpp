// The page preview's commands: navigation, page entry, zoom, keys and
// printing a range of pages.

#include <algorithm>

#include "platform/print/Printers.h"
#include "platform/rtl/System.h"
#include "platform/ui/Application.h"
#include "printing/RichPreview.h"

void TRichPreviewForm::Navigated() {
  ArrowButton1->SetEnabled(nav_.CanGoBack());
  ArrowButton1n->SetEnabled(nav_.CanGoBack());
  ArrowButton2->SetEnabled(nav_.CanGoOn());
  ArrowButton2n->SetEnabled(nav_.CanGoOn());
  Edit1->SetText(nav_.PageLabel());
  Label10->SetCaption("(" + IntToStr(nav_.LastPage + 1) + ")");
  SpinEdit1->SetMaxValue(nav_.LastPage + 1);
  SpinEdit1->SetMinValue(1);
  if (SpinEdit1->Value() != nav_.Current + 1) SpinEdit1->SetValue(nav_.Current + 1);
  ShowPages();
}

void TRichPreviewForm::ArrowButton1Click(TObject*) {
  nav_.Previous();
  Navigated();
}

void TRichPreviewForm::ArrowButton2Click(TObject*) {
  nav_.Next();
  Navigated();
}

void TRichPreviewForm::ArrowButton1nClick(TObject*) {
  nav_.First();
  Navigated();
}

void TRichPreviewForm::ArrowButton2nClick(TObject*) {
  nav_.Last();
  Navigated();
}

void TRichPreviewForm::CheckBox1Click(TObject*) {
  nav_.FourUp = CheckBox1->Checked();
  // The view starts where a view of its size starts.
  nav_.Current = nav_.Current / nav_.PagesPerView() * nav_.PagesPerView();
  Navigated();
}

void TRichPreviewForm::Edit1KeyUp(TObject*, Word& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  const int before = nav_.Current;
  nav_.GoTo(Edit1->Text());
  if (nav_.Current != before || Edit1->Text() != nav_.PageLabel()) Navigated();
}

void TRichPreviewForm::SpinEdit1Change(TObject*) {
  const int before = nav_.Current;
  nav_.GoTo(IntToStr(SpinEdit1->Value()));
  if (nav_.Current != before) Navigated();
}

void TRichPreviewForm::FormKeyDown(TObject*, Word& Key, TShiftState) {
  // The arrows stay with the edits for their carets; the page keys are
  // the preview's wherever the focus is.
  const bool inEdit =
      ActiveControl() == Edit1 || ActiveControl() == MaskEdit1 || ActiveControl() == SpinEdit1;
  if (inEdit && (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN)) return;
  switch (Key) {
    case VK_PRIOR:
      if (ArrowButton1->Enabled()) ArrowButton1Click(this);
      break;
    case VK_NEXT:
      if (ArrowButton2->Enabled()) ArrowButton2Click(this);
      break;
    case VK_END:
      ArrowButton2nClick(this);
      break;
    case VK_HOME:
      ArrowButton1nClick(this);
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      TControlScrollBar& bar = ScrollBox1->HorzScrollBar();
      bar.SetPosition(bar.Position() + (Key == VK_LEFT ? -bar.Increment : bar.Increment));
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      TControlScrollBar& bar = ScrollBox1->VertScrollBar();
      bar.SetPosition(bar.Position() + (Key == VK_UP ? -bar.Increment : bar.Increment));
      break;
    }
    default:
      return;
  }
  Key = 0;
}

void TRichPreviewForm::Dispatch(TMessage& m) {
  if (m.Msg == CM_DIALOGKEY && ActiveControl() == ScrollBox1) {
    Word key = MsgCharCode(m);
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
      FormKeyDown(this, key, {});
      m.Result = 1;
      return;
    }
  }
  TForm::Dispatch(m);
}

void TRichPreviewForm::FormKeyPress(TObject*, char& Key) {
  // The edits take digits alone: letters are the preview's commands.
  const AnsiString k(1, Key);
  if (k == "Μ"_a || k == "μ"_a || k == "M" || k == "m")
    SpeedButton2Click(this);
  else if (k == "Σ"_a || k == "σ"_a || k == "S" || k == "s")
    SpeedButton3Click(this);
  else if (k == "Π"_a || k == "π"_a || k == "P" || k == "p")
    SpeedButton1Click(this);
  else if (k == "Ε"_a || k == "ε"_a || k == "E" || k == "e")
    BitBtn1Click(this);
  else
    return;
  Key = 0;
}

// ---- zoom ----

void TRichPreviewForm::ZoomChanged() {
  SpeedButton3->SetEnabled(zoom_.CanZoomOut());
  Label7->SetCaption(TPreviewZoom::Text(zoom_.Zoom));
  const TRect view = ScrollBox1->ClientRect();
  const int w = static_cast<int>(Round(view.Width() * zoom_.Zoom));
  const int h = static_cast<int>(Round(view.Height() * zoom_.Zoom));
  // At 1.0 the page fits: no scrolling.
  const bool scrolls = zoom_.Zoom > 1.0L;
  ScrollBox1->HorzScrollBar().SetRange(scrolls ? w : 0);
  ScrollBox1->VertScrollBar().SetRange(scrolls ? h : 0);
  Image1->SetBounds(Image1->Left(), Image1->Top(), scrolls ? w : view.Width(), scrolls ? h : view.Height());
  Image1->SetHint(scrolls ? "Πάτα το ΔΕΞΙ πλήκτρο του mouse για πραγματικό μέγεθος"_a : AnsiString());
  Image1->SetShowHint(scrolls);
  ShowPages();
  Invalidate();
}

void TRichPreviewForm::SpeedButton2Click(TObject*) {
  zoom_.In();
  ZoomChanged();
}

void TRichPreviewForm::SpeedButton3Click(TObject*) {
  zoom_.Out();
  ZoomChanged();
}

void TRichPreviewForm::MaskEdit1Change(TObject*) { zoom_.SetStepText(MaskEdit1->Text()); }

void TRichPreviewForm::Label7DblClick(TObject*) {
  zoom_.Reset();
  ZoomChanged();
}

void TRichPreviewForm::Image1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  // A click on the page gives the page the keys: the arrows scroll it.
  if (ScrollBox1->CanFocus()) ScrollBox1->SetFocus();
  if (Button != mbRight) return;
  zoom_.Reset();
  ZoomChanged();
}

// ---- printing ----

void TRichPreviewForm::SpeedButton1Click(TObject*) { PrintPages(); }

void TRichPreviewForm::PrintPages() {
  const bool fourUp = nav_.FourUp;
  const int pages = nav_.LastPage + 1;
  const int count = fourUp ? nav_.FourUpSheets() : pages;
  PrintDialog1->MinPage = 1;
  PrintDialog1->MaxPage = count;
  PrintDialog1->FromPage = 1;
  PrintDialog1->ToPage = count;
  if (!PrintDialog1->Execute()) return;
  int from = 1, to = count;
  if (PrintDialog1->PrintRange == prPageNums) {
    from = std::clamp(PrintDialog1->FromPage, 1, count);
    to = std::clamp(PrintDialog1->ToPage, from, count);
  }
  TPrinter& printer = *Printer();
  // A printer that writes a file gets the sheets as one document, one file;
  // a real printer takes each sheet as its own job.
  const auto& profiles = printers::Profiles();
  const int index = printer.PrinterIndex();
  const bool oneJob = index >= 0 && index < static_cast<int>(profiles.size()) &&
                      profiles[static_cast<std::size_t>(index)].Kind == TPrinterProfile::pkPdfFile;
  for (int s = from; s <= to; ++s) {
    if (!oneJob || s == from)
      printer.BeginDoc();
    else
      printer.NewPage();
    TCanvas& c = *printer.Canvas();
    if (fourUp) {
      const int w = PageWidth / 2, h = static_cast<int>(Round(PageHeight * 0.95L)) / 2;
      const int first = 4 * (s - 1);
      DrawPage(c, first, Rect(0, 0, w, h));
      DrawPage(c, first + 1, Rect(w, 0, 2 * w, h));
      DrawPage(c, first + 2, Rect(0, h, w, 2 * h));
      DrawPage(c, first + 3, Rect(w, h, 2 * w, 2 * h));
    } else {
      DrawPage(c, s - 1, Rect(0, 0, PageWidth, PageHeight));
    }
    if (!oneJob || s == to) printer.EndDoc();
  }
}
