// The controls of the budget window's offer tools: the check's label and
// buttons, the price-filling panel's fields and the search panel.
#include "platform/rtl/Cp1253.h"
#include "tender/Uproyp5.h"

void TUproypFrm::BuildAnalysisTools() {
  Label5 = new TLabel(this);
  Label5->SetName("Label5");
  Label5->SetBounds(8, 514, 420, 13);
  Label5->SetParent(this);
  Label5->SetCaption("");
  Label5->SetHint("Ισχύει εφόσον η συνολική δαπάνη τους δεν υπερβαίνει το 5% του προϋπολογισμού μελέτης"_a);
  Label5->Anchors = {akLeft, akBottom};
  // The report is fixed-width text.
  TFont font = Memo1->Font();
  font.Name = "Courier New";
  font.SetSize(9);
  Memo1->SetFont(font);
  DoCheckBtn->OnClick = [this](TObject* s) { DoCheckBtnClick(s); };
  BitBtn3->OnClick = [this](TObject* s) { BitBtn3Click(s); };
  PrintProyp->OnClick = [this](TObject* s) { PrintProypClick(s); };
}
