// The budget sent to the spreadsheet program: the budget grid with its
// heading and the empty row below the last budget row, then the totals.

#include "platform/ui/Forms.h"
#include "printing/UExcel.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"

void TUproypFrm::btnspdExcelClick(TObject*) {
  ShowExcelDialog([this](TExcel* excel) { TransferToExcel(excel); });
}

void TUproypFrm::TransferToExcel(TExcel* Excel) {
  Screen->SetCursor(crHourGlass);
  try {
    const int rows = BudgetRows;
    for (int r = 0; r <= rows + 1 && r < ProypGrid->RowCount(); ++r)
      for (int c = 0; c < ProypGrid->ColCount(); ++c) Excel->PutCell(r + 1, c + 1, ProypGrid->Cells(c, r));
    // Every totals row, down to the total without VAT.
    for (int r = 1; r < SumaGrid->RowCount(); ++r)
      for (int c = 0; c < SumaGrid->ColCount(); ++c)
        Excel->PutCell(rows + 1 + r, c + 1, SumaGrid->Cells(c, r));
    Excel->Flush();
  } catch (...) {
    // The cells already sent stay; the cursor comes back either way.
    Screen->SetCursor(crDefault);
    throw;
  }
  Screen->SetCursor(crDefault);
}
