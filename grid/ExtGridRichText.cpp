// Rich-text cells: a cell whose text is RTF goes through the grid's own
// hidden rich edit to give its plain text (copy, selection text) and comes
// back from any rich edit as RTF.

#include "grid/ExtGrid.h"
#include "platform/ui/ComCtrls.h"

namespace {
bool HoldsRichText(const AnsiString& S) { return S.find("{\\") != AnsiString::npos; }
}  // namespace

TRichEdit& TExtStringGrid::GridRichEdit() {
  if (!richEdit_) {
    richEdit_ = new TRichEdit(this);
    richEdit_->SetVisible(false);
    richEdit_->SetParent(this);
  }
  return *richEdit_;
}

void TExtStringGrid::CellToRichEdit(int ACol, int ARow, TCustomRichEdit& RichEdit) {
  const AnsiString text = GetCellText(ACol, ARow);
  if (text.empty()) {
    RichEdit.Clear();
    return;
  }
  try {
    RichEdit.SetRichText(text);
  } catch (const Exception&) {
    // Damaged RTF shows as the text it is rather than losing the cell.
    RichEdit.SetText(text);
  }
}

void TExtStringGrid::RichEditToRTF(const TCustomRichEdit& RichEdit, AnsiString& S) {
  S = RichEdit.Text().empty() ? AnsiString() : RichEdit.RichText();
}

AnsiString TExtStringGrid::CellPlainText(int ACol, int ARow, const AnsiString& Text) {
  if (!HoldsRichText(Text)) return Text;
  TRichEdit& edit = GridRichEdit();
  CellToRichEdit(ACol, ARow, edit);
  return edit.Text();
}
