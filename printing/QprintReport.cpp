// The report of the report form: BandRep1's bands and labels and the
// events of its run.
#include <algorithm>

#include "platform/rtl/Cp1253.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "tender/CalcReport.h"

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
  // Each keeps its box: headings wrap inside it, figures stay aligned in it.
  l->AutoSize = false;
  l->SetCaption(caption);
  return l;
}

// The place and date line: a line to write on, then what goes on it.
AnsiString DateLine() { return "- - - - - - - - - - - - - - - - - - - - - -   (Τόπος και ημερομηνία)"_a; }

void SetBox(TRpPrintable* c, int left, int width) {
  c->Size()->SetValue(TRpPrintableSize::iLeft, Px96(left));
  c->Size()->SetValue(TRpPrintableSize::iWidth, Px96(width));
}

// The maker's mark beside the credit line: a framed seal with the tick of
// a check passed, in the report's ink colours.
void PaintCreditPicture(TBitmap& b) {
  TCanvas& c = *b.Canvas();
  const int w = b.Width(), h = b.Height();
  c.Brush->Style = bsSolid;
  c.Brush->Color = clWhite;
  c.FillRect(Rect(0, 0, w, h));
  c.Pen->Color = clNavy;
  c.Pen->Width = 2;
  c.Brush->Style = bsClear;
  c.RoundRect(1, 1, w - 1, h - 1, w / 3, h / 3);
  c.Pen->Color = clGreen;
  c.Pen->Width = 3;
  c.Polyline({{w / 4, h / 2}, {w * 5 / 12, h * 3 / 4}, {w * 3 / 4, h / 4}});
}

}  // namespace

void TrpForm::DrawSides(TRpFrame& Frame, bool Drawn) {
  Frame.SetDrawTop(Drawn);
  Frame.SetDrawBottom(Drawn);
  Frame.SetDrawLeft(Drawn);
  Frame.SetDrawRight(Drawn);
}

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
  DrawSides(*BandRep1->Frame(), true);
  BandRep1->Frame()->SetWidth(0);

  RpBand2 = NewBand(this, BandRep1, rbPageHeader, "RpBand2", 20);
  RpSysData1 = NewControl<TRpSysData>(this, RpBand2, "RpSysData1", 640, 2, 60, 14);
  RpSysData1->SetData(rpsPageNumber);
  TFont small = RpSysData1->Font();
  small.Name = "Arial";
  small.SetSize(8);
  RpSysData1->SetFont(small);

  RpBand4 = NewBand(this, BandRep1, rbTitle, "RpBand4", 90);
  RpBand4->SetEnabled(false);
  RpLabel2a = NewLabel(this, RpBand4, "RpLabel2a", "Α. ΠΡΟΣΦΟΡΑ ΠΟΣΟΣΤΩΝ ΕΚΠΤΩΣΗΣ"_a, 150, 4, 400, 20);
  for (TRpLabel* head :
       {NewLabel(this, RpBand4, "RpLabel3a", "      Ομάδα"_a, 0, 40, 80, 40),
        NewLabel(this, RpBand4, "RpLabel4a", "Εργασίες"_a, 82, 40, 210, 40),
        NewLabel(this, RpBand4, "RpLabel5a",
                 "         Προσφερόμενη έκπτωση κατά ομάδα σε         ακέραιες μονάδες (%)"_a, 294, 28, 370,
                 30),
        NewLabel(this, RpBand4, "RpLabel6a", "Ολογράφως"_a, 294, 60, 280, 20),
        NewLabel(this, RpBand4, "RpLabel7a", "Αριθμ."_a, 576, 60, 90, 20)}) {
    DrawSides(*head->Frame(), true);
  }
  ChildBand4 = NewChild(this, BandRep1, RpBand4, "ChildBand4", 130);
  ChildBand4->SetEnabled(false);
  RpLabel2 = NewLabel(this, ChildBand4, "RpLabel2", "Β. ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"_a, 170, 4, 400, 20);
  categoryHeads_ = {
      NewLabel(this, ChildBand4, "RpLabel3", "Ομάδα"_a, 0, 50, 40, 60),
      NewLabel(this, ChildBand4, "RpLabel4", "Εργασίες"_a, 42, 50, 250, 60),
      NewLabel(this, ChildBand4, "RpLabel5", "Δαπάνη ομάδας κατά τον Προϋπολογισμό Μελέτης (Ευρώ)"_a, 294, 50,
               140, 60),
      NewLabel(this, ChildBand4, "RpLabel6",
               "Δαπάνη ομάδας μετά την έκπτωση στρογγυλευμένη σε εκατοστά ευρώ"_a, 528, 50, 140, 60),
      NewLabel(this, ChildBand4, "RpLabel7", "Προσφερόμενη έκπτωση (%)"_a, 436, 50, 90, 60)};
  NewLabel(
      this, ChildBand4, "RpLabel8",
      "(Για τη υποβοήθηση της επιτροπής διαγωνισμού στη κατάταξη των διαγωνιζομένων κατά σειρά μειοδοσίας)"_a,
      0, 26, 690, 20);

  RpBand1 = NewBand(this, BandRep1, rbDetail, "RpBand1", 17);
  RpMemo1 = NewControl<TRpMemo>(this, RpBand1, "RpMemo1", 0, 0, 695, 16);
  // A line wider than the page goes on in the line below: nothing is cut.
  RpMemo1->AutoSize = false;
  RpMemo1->SetWordWrap(true);
  RpMemo1->SetAutoStretch(true);
  RpMemo1->SetAlignToBand(true);
  RpBand1->BeforePrint = [this](TObject* s, bool& p) { RpBand1BeforePrint(s, p); };

  ChildBand1 = NewChild(this, BandRep1, RpBand1, "ChildBand1", 36);
  RpOmadaNmr = NewLabel(this, ChildBand1, "RpOmadaNmr", "", 0, 0, 40, 34);
  RpOmadaPer = NewLabel(this, ChildBand1, "RpOmadaPer", "", 42, 0, 250, 34);
  RpOmadaPro = NewLabel(this, ChildBand1, "RpOmadaPro", "", 294, 0, 140, 34);
  RpOmadaEkpt = NewLabel(this, ChildBand1, "RpOmadaEkpt", "", 436, 0, 90, 34);
  RpOmadaPoso = NewLabel(this, ChildBand1, "RpOmadaPoso", "", 528, 0, 140, 34);
  for (TRpLabel* l : {RpOmadaPro, RpOmadaPoso}) l->SetAlignment(taRightJustify);
  ChildBand1->BeforePrint = [this](TObject* s, bool& p) { ChildBand1BeforePrint(s, p); };

  ChildBand2 = NewChild(this, BandRep1, ChildBand1, "ChildBand2", 230);
  NewLabel(this, ChildBand2, "RpLabel9",
           "                 Αθροισμα δαπανών εργασιών                   κατά τη μελέτη Σσ="_a, 0, 0, 430,
           34);
  RpLabel10 = NewLabel(this, ChildBand2, "RpLabel10", "", 430, 0, 120, 34);
  NewLabel(this, ChildBand2, "RpLabel11", "Κατά τη προσφορά  Σπ="_a, 430, 36, 130, 16);
  RpLabel12 = NewLabel(this, ChildBand2, "RpLabel12", "", 560, 36, 120, 34);
  RpLabel13 = NewLabel(this, ChildBand2, "RpLabel13", "", 0, 72, 330, 16);
  RpLabel14 = NewLabel(this, ChildBand2, "RpLabel14", "", 330, 72, 110, 16);
  RpLabel15 = NewLabel(this, ChildBand2, "RpLabel15", "xΣπ="_a, 448, 72, 40, 16);
  RpLabel16 = NewLabel(this, ChildBand2, "RpLabel16", "", 488, 72, 120, 16);
  NewLabel(this, ChildBand2, "RpLabel17", "              Συνολική Δαπάνη Εργου κατά τη μελέτη ΣΣ="_a, 0, 92,
           430, 16);
  RpLabel18 = NewLabel(this, ChildBand2, "RpLabel18", "", 430, 92, 120, 34);
  NewLabel(this, ChildBand2, "RpLabel19", "Κατά τη προσφορά ΣΔΕ="_a, 430, 128, 130, 16);
  RpLabel20 = NewLabel(this, ChildBand2, "RpLabel20", "", 560, 128, 120, 34);
  RpLabel21 = NewLabel(this, ChildBand2, "RpLabel21", "", 0, 150, 690, 34);
  NewLabel(this, ChildBand2, "RpLabel23", "Μέση έκπτωση Εμ= "_a, 0, 196, 130, 16);
  NewLabel(this, ChildBand2, "RpLabel24", "ΣΣ-ΣΔΕ"_a, 130, 188, 60, 16);
  NewLabel(this, ChildBand2, "RpLabel25", "ΣΣ"_a, 140, 206, 60, 16);
  NewLabel(this, ChildBand2, "RpLabel26", " = "_a, 195, 196, 20, 16);
  RpLabel27 = NewLabel(this, ChildBand2, "RpLabel27", "", 215, 188, 260, 16);
  RpLabel28 = NewLabel(this, ChildBand2, "RpLabel28", "", 215, 206, 260, 16);
  RpLabel29 = NewLabel(this, ChildBand2, "RpLabel29", " = %", 480, 196, 120, 16);
  auto* bar = NewControl<TRpShape>(this, ChildBand2, "RpShape1", 130, 204, 345, 2);
  bar->SetShape(rpsHorLine);
  for (TRpLabel* l : {RpLabel10, RpLabel12, RpLabel14, RpLabel16, RpLabel18, RpLabel20})
    l->SetAlignment(taRightJustify);
  ChildBand2->BeforePrint = [this](TObject* s, bool& p) { ChildBand2BeforePrint(s, p); };
  ChildBand2->AfterPrint = [this](TObject* s, bool p) { SumsBandAfterPrint(s, p); };

  ChildBand3 = NewChild(this, BandRep1, ChildBand2, "ChildBand3", 20);
  RpLabel30 = NewLabel(this, ChildBand3, "RpLabel30", "Απρόβλεπτα"_a, 0, 2, 330, 16);
  RpLabel31 = NewLabel(this, ChildBand3, "RpLabel31", "", 330, 2, 150, 16);
  RpLabel33 = NewLabel(this, ChildBand3, "RpLabel33", "", 530, 2, 150, 16);
  ChildBand3a = NewChild(this, BandRep1, ChildBand3, "ChildBand3a", 40);
  NewLabel(this, ChildBand3a, "RpLabel34", "Σύνολο  Σ1"_a, 0, 2, 330, 16);
  RpLabel35 = NewLabel(this, ChildBand3a, "RpLabel35", "", 330, 2, 150, 16);
  RpLabel37 = NewLabel(this, ChildBand3a, "RpLabel37", "", 530, 2, 150, 16);
  NewLabel(this, ChildBand3a, "RpLabel38", "Αναθεώρηση"_a, 0, 20, 280, 16);
  NewLabel(this, ChildBand3a, "RpLabel40", "(1-Eμ )x"_a, 280, 20, 50, 16);
  RpLabel39 = NewLabel(this, ChildBand3a, "RpLabel39", "", 330, 20, 150, 16);
  RpLabel41 = NewLabel(this, ChildBand3a, "RpLabel41", "", 530, 20, 150, 16);
  ChildBand5 = NewChild(this, BandRep1, ChildBand3a, "ChildBand5", 60);
  NewLabel(this, ChildBand5, "RpLabel54", "Ασφαλτος"_a, 0, 2, 330, 16);
  RpLabel55 = NewLabel(this, ChildBand5, "RpLabel55", "", 330, 2, 150, 16);
  RpLabel57 = NewLabel(this, ChildBand5, "RpLabel57", "", 530, 2, 150, 16);
  NewLabel(this, ChildBand5, "RpLabel58", "Σύνολο  "_a, 0, 20, 330, 16);
  RpLabel59 = NewLabel(this, ChildBand5, "RpLabel59", "", 330, 20, 150, 16);
  RpLabel61 = NewLabel(this, ChildBand5, "RpLabel61", "", 530, 20, 150, 16);
  NewLabel(this, ChildBand5, "RpLabel62", "Γ.Ε & Ο.Ε. Ασφάλτου"_a, 0, 38, 280, 16);
  NewLabel(this, ChildBand5, "RpLabel64", "(1-Eμ )x"_a, 280, 38, 50, 16);
  RpLabel63 = NewLabel(this, ChildBand5, "RpLabel63", "", 330, 38, 150, 16);
  RpLabel65 = NewLabel(this, ChildBand5, "RpLabel65", "", 530, 38, 150, 16);
  ChildBand6 = NewChild(this, BandRep1, ChildBand5, "ChildBand6", 40);
  NewLabel(this, ChildBand6, "RpLabel42", "Σύνολο Δαπάνης του Έργου κατά τη μελέτη (χωρίς ΦΠΑ)   Σ2="_a, 0, 2,
           430, 16);
  RpLabel43 = NewLabel(this, ChildBand6, "RpLabel43", "", 430, 2, 150, 16);
  NewLabel(this, ChildBand6, "RpLabel44", "Κατά τη προσφορά Π2="_a, 230, 20, 200, 16);
  RpLabel45 = NewLabel(this, ChildBand6, "RpLabel45", "", 430, 20, 150, 16);
  for (TRpLabel* l : {RpLabel31, RpLabel33, RpLabel35, RpLabel37, RpLabel39, RpLabel41, RpLabel55, RpLabel57,
                      RpLabel59, RpLabel61, RpLabel63, RpLabel65, RpLabel43, RpLabel45})
    l->SetAlignment(taRightJustify);
  for (TRpChildBand* b : {ChildBand3, ChildBand3a, ChildBand5, ChildBand6})
    b->BeforePrint = [this](TObject* s, bool& p) { ClosingBandBeforePrint(s, p); };
  ChildBand6->AfterPrint = [this](TObject* s, bool p) { SumsBandAfterPrint(s, p); };

  ChildBand8 = NewChild(this, BandRep1, ChildBand6, "ChildBand8", 36);
  RpOmadaNmr_P = NewLabel(this, ChildBand8, "RpOmadaNmr_P", "", 0, 0, 40, 34);
  RpOmadaPer_p = NewLabel(this, ChildBand8, "RpOmadaPer_p", "", 42, 0, 250, 34);
  RpOmadaPro_olo = NewLabel(this, ChildBand8, "RpOmadaPro_olo", "", 294, 0, 280, 34);
  RpOmadaEkpt_P = NewLabel(this, ChildBand8, "RpOmadaEkpt_P", "", 576, 0, 90, 34);
  ChildBand8->BeforePrint = [this](TObject* s, bool& p) { ChildBand8BeforePrint(s, p); };

  RpBand3 = NewBand(this, BandRep1, rbSummary, "RpBand3", 90);
  RpLabel50 = NewLabel(this, RpBand3, "RpLabel50", DateLine(), 24, 16, 430, 32);
  RpLabel51 = NewLabel(this, RpBand3, "RpLabel51", "Ο Προσφέρων"_a, 500, 16, 120, 16);
  RpLabel53 = NewLabel(this, RpBand3, "RpLabel53", "--------------"_a, 460, 48, 230, 16);
  ChildBand7 = NewChild(this, BandRep1, RpBand3, "ChildBand7", 28);
  RpImage1 = NewControl<TRpImage>(this, ChildBand7, "RpImage1", 0, 2, 24, 24);
  TBitmap* picture = RpImage1->Picture()->Bitmap();
  picture->SetSize(48, 48);
  PaintCreditPicture(*picture);
  RpImage1->SetStretch(true);
  NewLabel(this, ChildBand7, "RpLabel70", PublisherContactLine, 30, 6, 660, 16);

  // What a run fills starts from these captions again on the next run.
  for (TRpLabel* l :
       {RpOmadaNmr,     RpOmadaPer,    RpOmadaPro, RpOmadaEkpt, RpOmadaPoso, RpOmadaNmr_P, RpOmadaPer_p,
        RpOmadaPro_olo, RpOmadaEkpt_P, RpLabel10,  RpLabel12,   RpLabel13,   RpLabel14,    RpLabel16,
        RpLabel18,      RpLabel20,     RpLabel27,  RpLabel28,   RpLabel29,   RpLabel30,    RpLabel31,
        RpLabel33,      RpLabel35,     RpLabel37,  RpLabel39,   RpLabel41,   RpLabel43,    RpLabel45,
        RpLabel55,      RpLabel57,     RpLabel59,  RpLabel61,   RpLabel63,   RpLabel65,    RpLabel53})
    formCaptions_.emplace_back(l, l->Caption());

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
  FindItemsTable();
  const bool items = itemsFirst_ >= 0;
  // Kinds 3 and 4 print labelled bands; their raw line stays invisible,
  // but for the table of work items, whose lines print as written.
  const int height = ReportKind == 1 || ReportKind == 2 || items ? 17 : 0;
  RpBand1->Size()->SetValue(TRpBandSize::iHeight, Px96(height));
  // A band of no height still prints what stands on it.
  RpMemo1->SetEnabled(height > 0);
  // The table's columns line up in the check report's own font.
  if (items && CheckReport != nullptr)
    RpMemo1->SetFont(CheckReport->Font());
  else if (!RpMemo1->ParentFont())
    // Set again, the parent's font would lay the memo's lines out anew.
    RpMemo1->SetParentFont(true);
  for (TRpLabel* head : categoryHeads_) head->SetEnabled(!items);
  // Without general expenses and benefit their line stays empty, the
  // offer's multiplier too.
  RpLabel15->SetEnabled(false);
  ChildBand3a->SetEnabled(false);
  ChildBand5->SetEnabled(false);
  // No earlier bidder's name or amounts on this one's pages: a summary
  // line this report lacks shows the form's caption.
  for (const auto& [label, caption] : formCaptions_) label->SetCaption(caption);
}

void TrpForm::BandRep1NeedData(TObject*, bool& MoreData) {
  TStrings* lines = SourceLines();
  const int count = lines != nullptr ? lines->Count() : 0;
  // Past the end the source gives an empty text, which ends the report.
  CurLine = LineIndex < count ? lines->Strings(LineIndex) : AnsiString();
  if (CurLine.empty()) CurLine = "  ";
  // A disabled memo prints nothing (kinds 3 and 4 but for their table of
  // work items): it is given its line only when it will print it.
  if (RpMemo1->Enabled()) RpMemo1->SetLine(CurLine);
  ++LineIndex;
  MoreData = count >= LineIndex;
  if (ReportKind != 3 && ReportKind != 4) return;
  ReadCategoryRow();
  RecogniseSummaryLine();
}

void TrpForm::FindItemsTable() {
  itemsFirst_ = itemsLast_ = -1;
  TStrings* lines = SourceLines();
  if (ReportKind != 3 || lines == nullptr) return;
  static const AnsiString heading = "Α/Α"_a, code = "Α.Τ."_a;
  // The lines that close the table: its sum, the general expenses and
  // benefit, and the offer's whole amount.
  static const AnsiString closing[] = {"ΣΥΝΟΛΟ "_a, "Γ.Ε.& Ο.Ε."_a, "ΣΥΝΟΛΙΚΟ ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"_a};
  // A report by categories has no item codes anywhere: its lines are not
  // read one by one for a heading it cannot hold.
  if (lines->Text().find(code) == AnsiString::npos) return;
  const int count = lines->Count();
  for (int i = 0; i < count; ++i) {
    const AnsiString line = lines->Strings(i);
    const std::string_view t = TrimView(line);
    if (itemsFirst_ < 0) {
      if (t.starts_with(heading) && t.find(code) != t.npos) itemsFirst_ = i;
      continue;
    }
    for (const AnsiString& word : closing)
      if (t.starts_with(word)) itemsLast_ = i;
  }
  if (itemsFirst_ >= 0 && itemsLast_ < 0) itemsLast_ = count - 1;
}

void TrpForm::RpBand1BeforePrint(TObject*, bool& PrintBand) {
  if (itemsFirst_ < 0) return;
  const int line = LineIndex - 1;
  PrintBand = line >= itemsFirst_ && line <= itemsLast_;
}

void TrpForm::ChildBand1BeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 3 && GroupNo >= 1 && LineKind == 2;
  // The amounts stand on the category's line: their captions end with a
  // line break where the name and the discount begin with one.
  if (PrintBand && RpOmadaPer->RpPrinter != nullptr) {
    const Extended top = RpOmadaPer->NativeValue(TRpPrintableSize::iTop) + RpOmadaPer->PrintLineHeight();
    for (TRpLabel* amount : {RpOmadaPro, RpOmadaPoso}) amount->Size()->SetValue(TRpPrintableSize::iTop, top);
  }
}

void TrpForm::ChildBand2BeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 3 && GroupNo == -1 && LineKind == 6;
}

void TrpForm::ClosingBandBeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 3 && GroupNo == -1 && LineKind == 10;
}

void TrpForm::SumsBandAfterPrint(TObject*, bool BandPrinted) {
  // The engine reports bands it skipped too; those leave the line pending
  // for the bands after them.
  if (BandPrinted) LineKind = 0;
}

void TrpForm::ChildBand8BeforePrint(TObject*, bool& PrintBand) {
  PrintBand = ReportKind == 4 && GroupNo >= 1 && LineKind == 2;
}

TSignatureLayout LayOutSignature(int BandWidth, const std::function<int(const AnsiString&)>& Measure,
                                 const AnsiString& DateLine, const AnsiString& Title) {
  TSignatureLayout l;
  l.DateCaption = DateLine;
  const int gap = 16;
  l.TitleWidth = std::max(l.TitleWidth, Measure(Title) + 2);
  // The bidder's block: the name's box with the title inside it.
  const int titleOffset = l.TitleLeft - l.NameLeft;
  const int block = std::max(l.NameWidth, titleOffset + l.TitleWidth);
  const auto moveBlock = [&](int by) {
    l.NameLeft += by;
    l.TitleLeft += by;
  };
  const int need = Measure(DateLine) + 2;
  if (need <= l.DateWidth) return l;
  if (l.DateLeft + need + gap + block <= BandWidth) {
    l.DateWidth = need;
    moveBlock(l.DateLeft + need + gap - l.NameLeft);
    return l;
  }
  // The name's box gives up what the title does not need before the line
  // is split; a longer name wraps inside it.
  const int least = titleOffset + l.TitleWidth;
  if (l.DateLeft + need + gap + least <= BandWidth) {
    l.DateWidth = need;
    moveBlock(l.DateLeft + need + gap - l.NameLeft);
    l.NameWidth = BandWidth - l.NameLeft;
    return l;
  }
  // No room beside the bidder's block: that goes to the band's right
  // edge, and the caption stands whole below the line to write on.
  moveBlock(std::max(0, BandWidth - block - l.NameLeft));
  l.DateWidth = std::max(l.DateWidth, l.NameLeft - gap - l.DateLeft);
  const std::size_t open = DateLine.find('(');
  if (open == AnsiString::npos || open == 0) return l;
  AnsiString writing = DateLine.substr(0, open);
  while (!writing.empty() && writing.back() == ' ') writing.pop_back();
  l.DateCaption = writing + "\r" + DateLine.substr(open);
  l.DateLines = 2;
  return l;
}

void TrpForm::PlaceSignature() {
  const TFont font = RpLabel50->Font();
  const auto measure = [&](const AnsiString& text) { return BandRep1->TextWidth(font, text); };
  const int bandWidth = static_cast<int>(RpBand3->NativeWidth() / Px96(1));
  const TSignatureLayout l = LayOutSignature(bandWidth, measure, DateLine(), RpLabel51->Caption());
  SetBox(RpLabel50, l.DateLeft, l.DateWidth);
  SetBox(RpLabel51, l.TitleLeft, l.TitleWidth);
  SetBox(RpLabel53, l.NameLeft, l.NameWidth);
  const int lineHeight = std::max(16, BandRep1->TextHeight(font, "W") + 1);
  RpLabel50->Size()->SetValue(TRpPrintableSize::iHeight, Px96(std::max(32, l.DateLines * lineHeight)));
  RpLabel50->SetCaption(l.DateCaption);
}
