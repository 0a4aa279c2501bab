// The report of the report form: BandRep1's bands and labels and the
// events of its run.
#include "platform/rtl/Cp1253.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"

namespace {

// The form's lengths are screen pixels at 96 dpi; the report measures in
// tenths of a millimetre.
Extended Px96(int pixels) { return pixels * 254.0 / 96.0; }

TRpBand* NewBand(TrpForm* form, TBandRep* report, TRpBandType type, const char* name, int heightPx) {
  auto* band = new TRpBand(form);
  band->SetBandType(type);
  band->SetName(name);
  band->SetParent(report);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, Px96(heightPx));
  return band;
}

template <class C>
C* NewControl(TrpForm* form, TRpCustomBand* band, const char* name, int left, int top, int width,
              int height) {
  auto* c = new C(form);
  c->SetName(name);
  c->SetParent(band);
  c->Size()->Units = TRpUnit::Native;
  c->Size()->SetValue(TRpPrintableSize::iLeft, Px96(left));
  c->Size()->SetValue(TRpPrintableSize::iTop, Px96(top));
  c->Size()->SetValue(TRpPrintableSize::iWidth, Px96(width));
  c->Size()->SetValue(TRpPrintableSize::iHeight, Px96(height));
  return c;
}

TRpChildBand* NewChild(TrpForm* form, TBandRep* report, TRpCustomBand* parent, const char* name,
                       int heightPx) {
  auto* band = new TRpChildBand(form);
  band->SetName(name);
  band->SetParent(report);
  band->SetParentBand(parent);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, Px96(heightPx));
  return band;
}

TRpLabel* NewLabel(TrpForm* form, TRpCustomBand* band, const char* name, const AnsiString& caption, int left,
                   int top, int width, int height) {
  auto* l = NewControl<TRpLabel>(form, band, name, left, top, width, height);
  l->SetCaption(caption);
  return l;
}

}  // namespace

void TrpForm::CreateReport() {
  BandRep1 = new TBandRep(this);
  BandRep1->SetName("BandRep1");
  BandRep1->SetParent(this);
  // The report lies outside the dialog's client area: never on screen.
  BandRep1->SetBounds(0, 200, 794, 1123);
  BandRep1->SetUnits(TRpUnit::Native);
  TRpPage& page = *BandRep1->Page();
  page.SetPaperSize(TRpPaperSize::A4);
  page.SetOrientation(poPortrait);
  BandRep1->Options = TBandRepOptions{FirstPageHeader, LastPageFooter};
  BandRep1->SetPrintIfEmpty(false);
  BandRep1->PrevInitialZoom = rpZoomToFit;
  BandRep1->PreviewDefaultSaveType = stRPP;
  TFont font = BandRep1->Font();
  font.Name = "Arial";
  font.SetHeight(-13);
  BandRep1->SetFont(font);
  TRpFrame& frame = *BandRep1->Frame();
  frame.SetDrawTop(true);
  frame.SetDrawBottom(true);
  frame.SetDrawLeft(true);
  frame.SetDrawRight(true);
  frame.SetWidth(0);

  RpBand2 = NewBand(this, BandRep1, rbPageHeader, "RpBand2", 20);
  RpSysData1 = NewControl<TRpSysData>(this, RpBand2, "RpSysData1", 640, 2, 60, 14);
  RpSysData1->SetData(rpsPageNumber);
  TFont small = RpSysData1->Font();
  small.Name = "Arial";
  small.SetSize(8);
  RpSysData1->SetFont(small);

  RpBand1 = NewBand(this, BandRep1, rbDetail, "RpBand1", 17);
  RpMemo1 = NewControl<TRpMemo>(this, RpBand1, "RpMemo1", 0, 0, 695, 16);
  RpMemo1->SetWordWrap(true);
  RpMemo1->SetAlignToBand(true);

  ChildBand1 = NewChild(this, BandRep1, RpBand1, "ChildBand1", 36);
  RpOmadaNmr = NewLabel(this, ChildBand1, "RpOmadaNmr", "", 0, 0, 40, 34);
  RpOmadaPer = NewLabel(this, ChildBand1, "RpOmadaPer", "", 42, 0, 250, 34);
  RpOmadaPro = NewLabel(this, ChildBand1, "RpOmadaPro", "", 294, 0, 140, 34);
  RpOmadaEkpt = NewLabel(this, ChildBand1, "RpOmadaEkpt", "", 436, 0, 90, 34);
  RpOmadaPoso = NewLabel(this, ChildBand1, "RpOmadaPoso", "", 528, 0, 140, 34);
  for (TRpLabel* l : {RpOmadaPro, RpOmadaPoso}) l->SetAlignment(taRightJustify);
  ChildBand1->BeforePrint = [this](TObject* s, bool& p) { ChildBand1BeforePrint(s, p); };

  ChildBand8 = NewChild(this, BandRep1, ChildBand1, "ChildBand8", 36);
  RpOmadaNmr_P = NewLabel(this, ChildBand8, "RpOmadaNmr_P", "", 0, 0, 40, 34);
  RpOmadaPer_p = NewLabel(this, ChildBand8, "RpOmadaPer_p", "", 42, 0, 250, 34);
  RpOmadaPro_olo = NewLabel(this, ChildBand8, "RpOmadaPro_olo", "", 294, 0, 280, 34);
  RpOmadaEkpt_P = NewLabel(this, ChildBand8, "RpOmadaEkpt_P", "", 576, 0, 90, 34);
  ChildBand8->BeforePrint = [this](TObject* s, bool& p) { ChildBand8BeforePrint(s, p); };

  RpBand3 = NewBand(this, BandRep1, rbSummary, "RpBand3", 90);
  RpLabel50 =
      NewLabel(this, RpBand3, "RpLabel50",
               "- - - - - - - - - - - - - - - - - - - - - -   (Τόπος και ημερομηνία)"_a, 24, 16, 420, 16);
  RpLabel51 = NewLabel(this, RpBand3, "RpLabel51", "Ο Προσφέρων"_a, 500, 16, 120, 16);
  RpLabel53 = NewLabel(this, RpBand3, "RpLabel53", "--------------"_a, 460, 48, 230, 16);

  BandRep1->BeforePrint = [this](TObject* s, bool& p) { BandRep1BeforePrint(s, p); };
  BandRep1->OnNeedData() = [this](TObject* s, bool& m) { BandRep1NeedData(s, m); };
}

TStrings* TrpForm::SourceLines() const {
  if (ReportKind == 1 && Prevform != nullptr) return &Prevform->Prevmemo->Lines();
  if (ReportKind >= 2 && ReportKind <= 4 && CheckReport != nullptr) return &CheckReport->Lines();
  return nullptr;
}

void TrpForm::BandRep1BeforePrint(TObject*, bool&) {
  LineIndex = 0;
  LineKind = 0;
  GroupNo = 0;
  // Kinds 3 and 4 print labelled bands; their raw line stays invisible.
  const int height = ReportKind == 1 || ReportKind == 2 ? 17 : 0;
  RpBand1->Size()->SetValue(TRpBandSize::iHeight, Px96(height));
  // No earlier bidder's name on this one's pages.
  RpLabel53->SetCaption("--------------");
}

void TrpForm::BandRep1NeedData(TObject*, bool& MoreData) {
  TStrings* lines = SourceLines();
  const int count = lines != nullptr ? lines->Count() : 0;
  // Past the end the source gives an empty text, which ends the report.
  CurLine = LineIndex < count ? lines->Strings(LineIndex) : AnsiString();
  if (CurLine.empty()) CurLine = "  ";
  TStringList line;
  line.Add(CurLine);
  RpMemo1->SetLines(line);
  ++LineIndex;
  MoreData = count >= LineIndex;
  if (ReportKind != 3 && ReportKind != 4) return;
  ReadCategoryRow();
  RecogniseSummaryLine();
}

void TrpForm::ChildBand1BeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 3 && GroupNo >= 1 && LineKind == 2;
}

void TrpForm::ChildBand8BeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 4 && GroupNo >= 1 && LineKind == 2;
}
