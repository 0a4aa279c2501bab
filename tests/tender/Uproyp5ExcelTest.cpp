// The budget through the spreadsheet link, against a recording service on
// the real socket: every command in its order, checked against golden
// transcripts read by hand.

#include <fstream>
#include <sstream>

#include "printing/UExcel.h"
#include "tender/Uproyp5.h"
#include "tests/platform/ipc/DdeTestServer.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class BudgetExcelTest : public MainWindowTest {
 protected:
  TUproypFrm& Budget(int projectType) {
    TUproypFrm& b = StudyBudget(projectType);
    // The window lives for the run: no earlier test's rows.
    for (int r = 1; r < b.ProypGrid->RowCount(); ++r)
      for (int c = 1; c < b.ProypGrid->ColCount(); ++c) b.ProypGrid->SetCells(c, r, "");
    return b;
  }
  // Presses the transfer button of the dialog the budget window opens,
  // on the worksheet choice given, and closes it.
  void Transfer(TUproypFrm& b, int worksheet) {
    backend->ExpectModal("Σύνδεση με EXCEL"_a, [&](TCustomForm& f) {
      auto& dialog = static_cast<TFrmExcel&>(f);
      dialog.radgrpWorkSheet->SetItemIndex(worksheet);
      backend->Click(*dialog.btnspdRunExcel, 5, 5);
      dialog.Close();
    });
    b.btnspdExcel->Click();
  }
  static std::string Golden(const std::string& name) {
    std::ifstream in(std::string(DIM_TEST_DATA) + "/golden/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static std::string Lines(const std::vector<std::string>& transcript) {
    std::string out;
    for (const std::string& line : transcript) out += cp1253::ToUtf8(line) + "\n";
    return out;
  }

  TempFolder runtime;
  ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path()};
  ScopedEnv configEnv{"XDG_CONFIG_HOME", runtime.path()};
};

TEST_F(BudgetExcelTest, AWorkItemsBudgetIntoANewWorksheet) {
  TUproypFrm& b = Budget(1);
  b.ProypGrid->SetCells(1, 1, "Εκσκαφή \"γαιών\""_a);
  b.ProypGrid->SetCells(2, 1, "10");
  b.ProypGrid->SetCells(3, 1, "12.5");
  b.ProypGrid->SetCells(1, 2, "Σκυρόδεμα"_a);
  b.ProypGrid->SetCells(2, 2, "2");
  b.ProypGrid->SetCells(3, 2, "100");
  b.ProypGrid->SetCells(1, 3, "=1:2");
  b.RecalcClick(nullptr);
  DdeTestServer server;
  Transfer(b, 0);
  EXPECT_EQ(Lines(server.Transcript()), Golden("excel_workitems_new.txt"));
  // Every totals row goes, the last two among them.
  for (const char* caption : {"ΟΦΕΛΟΣ ΑΣΦΑΛΤΟΥ %", "ΣΥΝΟΛΟ ΧΩΡΙΣ ΦΠΑ"})
    EXPECT_NE(Lines(server.Transcript()).find(std::string("[FORMULA(\"") + caption + "\")]"),
              std::string::npos)
        << caption;
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(BudgetExcelTest, ACategoriesBudgetIntoTheOpenWorksheet) {
  TUproypFrm& b = Budget(2);
  b.ProypGrid->SetCells(1, 1, "Χωματουργικά"_a);
  b.ProypGrid->SetCells(4, 1, "8680");
  b.ProypGrid->SetCells(1, 2, "Τεχνικά"_a);
  b.ProypGrid->SetCells(4, 2, "420");
  b.ProypGrid->SetCells(1, 3, "Οδοστρωσία"_a);
  b.ProypGrid->SetCells(4, 3, "900");
  b.RecalcClick(nullptr);
  DdeTestServer server;
  Transfer(b, 1);
  EXPECT_EQ(Lines(server.Transcript()), Golden("excel_categories_existing.txt"));
}

}  // namespace
