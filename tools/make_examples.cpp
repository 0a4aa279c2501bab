// Writes the bundled example projects through the program's own save: a
// tender by work items (EXAMPLE.DDN) and one by categories (CATEGORIES.DDN),
// each with its budget file and the budget's text copy. The date is fixed,
// so the files come out the same on every run.
#include <cstdio>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

AnsiString Folder;

TDateTime ExampleDay() { return EncodeDate(2026, 3, 16) + 0.5; }

struct Bidder {
  const char* name;
  const char* amount;
  const char* discount;
};

void EnterOffers(TFrmAXP& w, std::initializer_list<Bidder> bidders) {
  int row = 1;
  for (const Bidder& b : bidders) {
    w.StGrid->SetCellText(1, row, cp1253::FromUtf8(b.name));
    w.StGrid->SetCellText(2, row, b.amount);
    w.StGrid->SetCellText(3, row, b.discount);
    ++row;
  }
}

void Project(TFrmAXP& w, const char* project, const char* service, int type) {
  w.Memo1->Lines().Add(cp1253::FromUtf8(project));
  w.Memo2->Lines().Add(cp1253::FromUtf8(service));
  w.ProjectType = type;
  w.RadioGroupZephType->SetItemIndex(type);
  w.Edit2->SetText("5");
  w.Edit4->SetText("12");
}

bool WorkItems(TFrmAXP& w) {
  Project(w, "ΑΣΦΑΛΤΟΣΤΡΩΣΗ ΔΗΜΟΤΙΚΗΣ ΟΔΟΥ", "ΤΕΧΝΙΚΗ ΥΠΗΡΕΣΙΑ ΔΗΜΟΥ", 1);
  TUproypFrm& budget = EnsureBudgetForm();
  budget.SetStudyLayout();
  const char* rows[][3] = {{"Α-1", "120", "8,5"},
                           {"Α-2", "340", "12,2"},
                           {"Β-1", "55,5", "41"},
                           {"Β-2", "1000", "1,35"},
                           {"Γ-1", "12", "310"}};
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 3; ++c) budget.ProypGrid->SetCells(c + 1, r + 1, cp1253::FromUtf8(rows[r][c]));
  budget.SumaGrid->SetCells(3, 2, "18");
  budget.SumaGrid->SetCells(3, 4, "15");
  budget.SumaGrid->SetCells(3, 6, "250");
  budget.SumaGrid->SetCells(3, 7, "1500");
  budget.SumaGrid->SetCells(3, 8, "18");
  budget.RecalcClick(nullptr);
  w.EditDiair->SetText(FormatNum(17, CostDecimals, static_cast<Byte>(NumberStyle), budget.StudyTotal));
  w.EditDiairExit(nullptr);
  w.Edit1->SetText("12500");
  EnterOffers(w, {{"ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ", "9870,50", ""},
                  {"ΒΗΤΑ ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΕΠΕ", "", "*22"},
                  {"ΓΑΜΜΑ ΟΕ", "", "0"},
                  {"ΔΕΛΤΑ ΕΡΓΟΛΗΠΤΙΚΗ", "", "18,37"}});
  DetailedOffer& alpha = BidderDiscountTable.Ensure(1);
  alpha[0] = {7.9, '#'};
  alpha[1] = {11.5, '+'};
  alpha[2] = {38, '-'};
  alpha[3] = {1.2, 0};
  alpha[4] = {290, 0};
  DetailedOffer& delta = BidderDiscountTable.Ensure(4);
  for (int r = 0; r < 5; ++r)
    delta[r] = {StrToNum(cp1253::FromUtf8(rows[r][2])) * 0.8, r == 2 ? '+' : char(0)};
  return w.saverec(Folder + "EXAMPLE.DDN");
}

bool Categories(TFrmAXP& w) {
  Project(w, "ΑΝΑΠΛΑΣΗ ΚΕΝΤΡΙΚΗΣ ΠΛΑΤΕΙΑΣ", "ΔΙΕΥΘΥΝΣΗ ΤΕΧΝΙΚΩΝ ΥΠΗΡΕΣΙΩΝ", 2);
  TUproypFrm& budget = EnsureBudgetForm();
  budget.SetStudyLayout();
  const char* rows[][2] = {{"ΟΔΟΠΟΙΙΑ", "45000"}, {"ΥΔΡΑΥΛΙΚΑ", "18250,4"}, {"ΗΛΕΚΤΡΟΜΗΧΑΝΟΛΟΓΙΚΑ", "9800"}};
  for (int r = 0; r < 3; ++r) {
    budget.ProypGrid->SetCells(3, r + 1, cp1253::FromUtf8(rows[r][0]));
    budget.ProypGrid->SetCells(4, r + 1, cp1253::FromUtf8(rows[r][1]));
  }
  // GE&OE as a percentage: the search for category discounts works on it.
  budget.SumaGrid->SetCells(3, 2, "18");
  budget.SumaGrid->SetCells(3, 4, "9");
  budget.SumaGrid->SetCells(3, 6, "");
  budget.SumaGrid->SetCells(3, 7, "");
  budget.SumaGrid->SetCells(3, 8, "");
  budget.RecalcClick(nullptr);
  w.EditDiair->SetText(FormatNum(17, CostDecimals, static_cast<Byte>(NumberStyle), budget.StudyTotal));
  w.EditDiairExit(nullptr);
  EnterOffers(w, {{"ΕΨΙΛΟΝ ΑΕ", "", "25"}, {"ΖΗΤΑ ΑΤΕ", "", "31,4"}, {"ΗΤΑ ΕΠΕ", "", "*28"}});
  DetailedOffer& epsilon = BidderDiscountTable.Ensure(1);
  epsilon[0] = {25, '#'};
  epsilon[1] = {24, '+'};
  epsilon[2] = {26, '-'};
  DetailedOffer& zeta = BidderDiscountTable.Ensure(2);
  for (int r = 0; r < 3; ++r) zeta[r] = {31, 0};
  return w.saverec(Folder + "CATEGORIES.DDN");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples <folder>\n");
    return 2;
  }
  SetCommandLine(1, argv);
  Folder = IncludeTrailingPathDelimiter(ExpandFileName(cp1253::FromUtf8(argv[1])));
  ForceDirectories(Folder);
  LoadGreekLocale();
  InitNumericLibrary();
  SetClock(&ExampleDay);
  InstallHeadlessBackend();
  Application->Initialize();
  ProgramFolderSource = [] { return Folder; };
  ShippedFolderSource = [] { return Folder; };
  int failures = 0;
  try {
    TFrmAXP* w = NewForm<TFrmAXP>(nullptr);
    failures += !WorkItems(*w);
    w->ClearProject();
    failures += !Categories(*w);
    delete BudgetForm;
    delete w;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  // Nothing else may be left in the folder: no settings, no temporary budget.
  return failures == 0 ? 0 : 1;
}
