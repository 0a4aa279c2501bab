// The main window's typing rules, the fields' exits, the grid's events and
// the commands that only switch or show something.
#include <algorithm>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Shell.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"
#include "tender/mainauctionSheet.h"

// ---- typing ---------------------------------------------------------------------

// Backspace, tab, Enter, Escape, and "(" to "9": brackets, "*", "+", ",",
// "-", ".", "/" and the digits.
bool TFrmAXP::IsNumberChar(char Key) {
  const auto code = static_cast<unsigned char>(Key);
  return code == 8 || code == 9 || code == 13 || code == 27 || (code >= 40 && code <= 57);
}

void TFrmAXP::StGridKeyDown(TObject*, Word& Key, TShiftState Shift) {
  LastKeyDown = Key;
  // Delete types no character, yet in the cell's editor it changes the
  // amount or discount as Backspace does.
  const int col = StGrid->Col();
  if (Key != VK_DELETE || !Shift.Empty() || !StGrid->EditorMode()) return;
  if (col == ColAmount || col == ColDiscount) {
    ProjectModified = 1;
    ForgetResults();
  } else if (col == ColName) {
    NameChanged(StGrid->Row());
  }
}

void TFrmAXP::EditDiairKeyDown(TObject*, Word& Key, TShiftState) { LastKeyDown = Key; }

void TFrmAXP::StGridKeyPress(TObject*, char& Key) {
  const int col = StGrid->Col();
  if (col == ColAmount || col == ColDiscount) {
    if (!IsNumberChar(Key)) {
      Key = 0;
      return;
    }
    if (LastKeyDown == VK_DECIMAL && (Key == ',' || Key == '.')) Key = LocaleDecimalChar;
    if (Key == '\r') NextGridRow();
    ProjectModified = 1;
    ForgetResults();
    return;
  }
  // Backspace changes the name as a printable character does.
  if (col == ColName && (static_cast<unsigned char>(Key) >= ' ' || Key == '\b')) NameChanged(StGrid->Row());
  if (Key == '\r') NextGridRow();
}

void TFrmAXP::NameChanged(int row) {
  ProjectModified = 1;
  TGridSheet sheet(*StGrid);
  if (RowHoldsOffer(sheet, row)) ForgetReport();
}

void TFrmAXP::Edit2NKeyPress(TObject*, char& Key) {
  if (!IsNumberChar(Key)) {
    Key = 0;
    return;
  }
  if (LastKeyDown == VK_DECIMAL && (Key == ',' || Key == '.')) Key = LocaleDecimalChar;
  ProjectModified = 1;
}

void TFrmAXP::EditDateKeyPress(TObject*, char& Key) {
  if (!IsNumberChar(Key)) {
    Key = 0;
    return;
  }
  ProjectModified = 1;
}

void TFrmAXP::MemoKeyPress(TObject*, char&) { ProjectModified = 1; }

void TFrmAXP::EditDateChange(TObject*) {
  ProjectModified = 1;
  ForgetReport();
}

void TFrmAXP::NextGridRow() {
  if (StGrid->Row() < StGrid->RowCount() - 1) StGrid->SetRow(StGrid->Row() + 1);
}

// ---- fields ---------------------------------------------------------------------------

void TFrmAXP::EditDiairExit(TObject*) {
  // An emptied field leaves no divisor behind that the user no longer sees:
  // the calculation would rank by it and the save would keep it.
  if (EditDiair->Text().empty()) {
    ProjectHeader.Divisor = 0;
    return;
  }
  ProjectHeader.Divisor = StrToNum(EditDiair->Text());
  RewriteField(*EditDiair,
               FormatNum(14, CostDecimals, static_cast<Byte>(NumberStyle), ProjectHeader.Divisor));
}

void TFrmAXP::Edit1Exit(TObject*) {
  if (!Edit1->Text().empty())
    RewriteField(*Edit1,
                 FormatNum(14, CostDecimals, static_cast<Byte>(NumberStyle), StrToNum(Edit1->Text())));
  ProjectHeader.IndicativeTotal = Edit1->Text();
}

void TFrmAXP::FieldChanged(TObject*) {
  if (rewritingField_) return;
  ProjectModified = 1;
  // The project's texts, the indicative total and the divisor head the
  // report, and the divisor ranks it.
  ForgetReport();
}

void TFrmAXP::RewriteField(TEdit& field, const AnsiString& text) {
  rewritingField_ = true;
  field.SetText(text);
  rewritingField_ = false;
}

void TFrmAXP::CommitPendingEdit() {
  TWinControl* focused = ActiveControl();
  if (!focused) return;
  if (focused == EditDiair) {
    EditDiairExit(EditDiair);
  } else if (focused == Edit1) {
    Edit1Exit(Edit1);
  } else if ((focused == StGrid || StGrid->ContainsControl(focused)) && StGrid->EditorMode()) {
    // The commands read the grid's cells; the records follow when the grid
    // is left.
    StGrid->SetEditorMode(false);
  }
}

void TFrmAXP::TrackFocus() {
  TWinControl* focused = ActiveControl();
  const bool onGrid = focused && (focused == StGrid || StGrid->ContainsControl(focused));
  gridFocusedBefore_ = gridFocusedNow_;
  gridFocusedNow_ = onGrid;
}

bool TFrmAXP::GridHadFocus() const {
  if (StGrid->Focused() || gridFocusedNow_) return true;
  // The button the mouse pressed took the focus from the grid.
  const TWinControl* focused = ActiveControl();
  return gridFocusedBefore_ && focused && dynamic_cast<const TButtonControl*>(focused) != nullptr;
}

// ---- the grid ---------------------------------------------------------------------------

void TFrmAXP::StGridMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  StGrid->SetOptions(StGrid->Options() + TGridOptions{goEditing});
}

void TFrmAXP::mouse1Click(TObject*) { StGrid->SetOptions(StGrid->Options() - TGridOptions{goEditing}); }

void TFrmAXP::CopyToCliboardClick(TObject*) { StGrid->CopySelection(); }

void TFrmAXP::PasteFromCipBoardClick(TObject*) { StGrid->PasteAtSelection(); }

// ---- changes of the offers ---------------------------------------------------------------

void TFrmAXP::OffersWritten() {
  // An open editor holds the user's typing, which stays an edit.
  if (!StGrid->EditorMode()) StGrid->SaveCellForEdit(StGrid->Col(), StGrid->Row());
}

void TFrmAXP::OffersChanged(const TRect& area) {
  if (writingOffers_ > 0) return;
  ProjectModified = 1;
  if (area.Left <= ColDiscount && area.Right >= ColAmount) {
    ForgetResults();
  } else if (area.Left <= ColName && area.Right >= ColName) {
    TGridSheet sheet(*StGrid);
    for (int row = std::max(area.Top, 1); row <= area.Bottom && row < StGrid->RowCount(); ++row)
      if (RowHoldsOffer(sheet, row)) {
        ForgetReport();
        break;
      }
  }
}

void TFrmAXP::NoteOffersDifferFromStored() {
  if (ProjectModified) return;
  TGridSheet sheet(*StGrid);
  if (OfferRowsSnapshot(sheet) != storedOffers_) ProjectModified = 1;
}

void TFrmAXP::RememberStoredOffers() {
  TGridSheet sheet(*StGrid);
  storedOffers_ = OfferRowsSnapshot(sheet);
}

void TFrmAXP::StGridColumnSize(TObject*, int, bool&) {
  int others = 0;
  for (int col = 0; col < StGrid->ColCount(); ++col)
    if (col != ColName) others += StGrid->ColWidths(col);
  // The grid's width now, not at the start: it grows with the window.
  StGrid->SetColWidths(ColName, std::max(50, StGrid->Width() - others - 28));
}

// ---- switches and simple commands -----------------------------------------------------------

void TFrmAXP::E10Click(TObject*) {
  E10->Checked = !E10->Checked;
  PrintInitaa->SetChecked(E10->Checked);
}

void TFrmAXP::PrintInitaaClick(TObject*) {
  E10->Checked = PrintInitaa->Checked();
  // The report holds the initial order or not as the switch stood.
  ForgetReport();
}

void TFrmAXP::EkptDgEdChange(TObject*) {
  DiscountDecimals = static_cast<Byte>(EkptDgEd->Value());
  // The discounts were rounded and written with the decimals before.
  ForgetReport();
}

void TFrmAXP::RadioGroupZephTypeClick(TObject*) {
  ProjectType = RadioGroupZephType->ItemIndex();
  ProInputBtn->SetEnabled(ProjectType >= 1);
}

void TFrmAXP::N8Click(TObject*) { InvokeHelp(HelpContext); }

void TFrmAXP::ExitButtonClick(TObject*) { Close(); }

void TFrmAXP::N9Click(TObject*) { Close(); }
