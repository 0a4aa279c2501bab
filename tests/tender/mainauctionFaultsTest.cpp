// Damaged and unusual project and budget files met by the main window: at
// start-up and through the project commands.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "MainWindowFixture.h"
#include "platform/ui/Clipbrd.h"
#include "tender/BudgetFile.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"
#include "tests/platform/rtl/ScopedMemoryLimit.h"

namespace {

TDateTime TenderDay() { return EncodeDate(2026, 12, 7) + 0.4; }

std::string ExampleBudget() {
  return ReadWholeFile(cp1253::FromUtf8(std::string(DIM_EXAMPLES) + "/EXAMPLE.pry"));
}

class FaultsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetClock(&TenderDay);
    BidderDiscountTable.FreeAll();
    OverheadIsExpression = ContingencyFlag = AsphaltFlag = 0;
  }
  void TearDown() override {
    const char* none[] = {"dimoprasia"};
    SetCommandLine(1, none);
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
    SetClock(nullptr);
  }
  // The example project copied into the program folder; its budget file is
  // left to the test.
  std::string CopyExampleProject() {
    const std::string project = FolderPath() + "/EXAMPLE.DDN";
    std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/EXAMPLE.DDN", project);
    return project;
  }
  // Starts the program as `dimoprasia <project>` does, with only
  // MemoryRoom bytes of memory left when it is not 0.
  TFrmAXP& StartOn(const std::string& project, rlim_t memoryRoom = 0) {
    std::optional<ScopedMemoryLimit> memory;
    if (memoryRoom != 0) {
      // What any start takes (the fonts, the window) is taken before the
      // bound: only the project's reading runs short.
      Start();
      Stop();
      memory.emplace(memoryRoom);
    }
    const char* argv[] = {"dimoprasia", project.c_str()};
    SetCommandLine(2, argv);
    return Start();
  }
};

// ---- start-up on a budget file that cannot be read ----------------------------------------

struct UnreadableBudget {
  const char* what;
  void (*make)(const std::string& path);
  // The start runs with this much memory left, when not 0.
  rlim_t memoryRoom = 0;
};

class StartUpOnUnreadableBudget : public FaultsTest, public testing::WithParamInterface<UnreadableBudget> {};

TEST_P(StartUpOnUnreadableBudget, ShowsTheErrorWithTheNameAndKeepsTheOffers) {
  if (GetParam().memoryRoom != 0 && !ScopedMemoryLimit::Bounds()) GTEST_SKIP() << "no memory bound here";
  const std::string project = CopyExampleProject();
  GetParam().make(FolderPath() + "/EXAMPLE.pry");
  backend->ExpectMessageBox("EXAMPLE.pry", IDOK);
  TFrmAXP& w = StartOn(project, GetParam().memoryRoom);
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u) << GetParam().what;
  EXPECT_NE(backend->ErrorBoxes[0].Text.find("EXAMPLE.pry"), AnsiString::npos)
      << cp1253::ToUtf8(backend->ErrorBoxes[0].Text);
  // In Greek, the file and what is wrong with it.
  EXPECT_EQ(backend->ErrorBoxes[0].Text.find("Το αρχείο «"_a + Folder() + "EXAMPLE.pry» δεν διαβάζεται: "_a),
            0u)
      << cp1253::ToUtf8(backend->ErrorBoxes[0].Text);
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 1), "ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ"_a);
  EXPECT_EQ(OfferCount, 4);
  EXPECT_EQ(BudgetRows, 0);
  EXPECT_FALSE(w.CheckOmalbtn->Enabled());
  // Nothing is written over the file that could not be read.
  EXPECT_TRUE(BudgetForm->BudgetFileName.empty());
}

const UnreadableBudget UnreadableBudgets[] = {
    {"the first 100 bytes",
     [](const std::string& path) { SafeWriteFile(cp1253::FromUtf8(path), ExampleBudget().substr(0, 100)); }},
    // Too short for the parts the header names, and read to its end by no
    // other layout.
    {"cut inside the asphalt part",
     [](const std::string& path) { SafeWriteFile(cp1253::FromUtf8(path), ExampleBudget().substr(0, 220)); }},
    // Read to its end only by a layout without the part.
    {"short by its asphalt part",
     [](const std::string& path) {
       SafeWriteFile(cp1253::FromUtf8(path), ExampleBudget().substr(0, 4 + 5 * 37 + 8 + 16));
     }},
    {"a pipe", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }},
    // A sparse file: its size costs no disk.
    {"beyond the size bound",
     [](const std::string& path) {
       SafeWriteFile(cp1253::FromUtf8(path), ExampleBudget());
       ASSERT_EQ(::truncate(path.c_str(), MaxBudgetFileSize + 1), 0);
     }},
    // Within the bound, and more than the memory left: told as too large,
    // in words, never as the failed allocation.
    {"larger than the memory left",
     [](const std::string& path) {
       SafeWriteFile(cp1253::FromUtf8(path), ExampleBudget());
       ASSERT_EQ(::truncate(path.c_str(), MaxBudgetFileSize), 0);
     },
     rlim_t{24} << 20}};

INSTANTIATE_TEST_SUITE_P(Faults, StartUpOnUnreadableBudget, testing::ValuesIn(UnreadableBudgets));

// ---- and never written over by a save ------------------------------------------------------

// What a file is, without reading a pipe or the whole of a large file.
std::string Fingerprint(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return "missing";
  if (!S_ISREG(st.st_mode)) return "mode " + std::to_string(st.st_mode);
  std::string head = ReadFileHead(cp1253::FromUtf8(path), 4096);
  return std::to_string(st.st_size) + ":" + head;
}

class SaveBesideUnreadableBudget : public FaultsTest, public testing::WithParamInterface<UnreadableBudget> {
 protected:
  void SetUp() override {
    FaultsTest::SetUp();
    if (GetParam().memoryRoom != 0 && !ScopedMemoryLimit::Bounds()) GTEST_SKIP() << "no memory bound here";
    GetParam().make(FolderPath() + "/EXAMPLE.pry");
    bad = Fingerprint(FolderPath() + "/EXAMPLE.pry");
    backend->ExpectMessageBox("EXAMPLE.pry", IDOK);
    StartOn(CopyExampleProject(), GetParam().memoryRoom);
  }
  std::string bad;
};

TEST_P(SaveBesideUnreadableBudget, KeepsItAndPutsATypedBudgetUnderAGivenName) {
  TFrmAXP& w = *form;
  const std::string pry = FolderPath() + "/EXAMPLE.pry";
  // Nothing typed: the project is saved alone.
  backend->ExpectMessageBox("χωρίς προϋπολογισμό"_a, IDOK);
  ASSERT_TRUE(w.saverec(Folder() + "EXAMPLE.ddn")) << GetParam().what;
  EXPECT_EQ(Fingerprint(pry), bad) << GetParam().what;

  // A budget typed since goes where the user says, through the save command.
  TUproypFrm& budget = *BudgetForm;
  budget.ProypGrid->SetCells(1, 1, "Α.1"_a);
  budget.ProypGrid->SetCells(2, 1, "2");
  budget.ProypGrid->SetCells(3, 1, "3");
  budget.RecalcClick(nullptr);
  ASSERT_EQ(BudgetRows, 1);
  const auto give = [&](const AnsiString& name) {
    return [&, name](TCustomForm& f) {
      auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
      edit->SetText(name);
      edit->SetFocus();
      backend->PressKey(VK_RETURN);
    };
  };
  backend->ExpectModal("", give(Folder() + "EXAMPLE.ddn"));
  backend->ExpectMessageBox("Δώστε όνομα"_a, IDOK);
  backend->ExpectModal("", give(Folder() + "typed"));
  w.SaveAs->Click();
  EXPECT_EQ(Fingerprint(pry), bad) << GetParam().what;
  const TBudgetFileContents typed =
      DecodeBudgetFile(ReadWholeFile(Folder() + "typed.pry"), TBudgetKind::WorkItems, {false, true, true});
  ASSERT_EQ(typed.Status, TBudgetReadStatus::Ok);
  EXPECT_EQ(typed.Budget.Rows.size(), 1u);
  EXPECT_TRUE(FileExists(Folder() + "typed.csv"));
  EXPECT_EQ(ProjectModified, 0);

  // The next save writes there again without asking.
  budget.ProypGrid->SetCells(1, 2, "Α.2"_a);
  budget.RecalcClick(nullptr);
  ASSERT_TRUE(w.saverec(Folder() + "EXAMPLE.ddn"));
  EXPECT_EQ(Fingerprint(pry), bad) << GetParam().what;
  EXPECT_EQ(
      DecodeBudgetFile(ReadWholeFile(Folder() + "typed.pry"), TBudgetKind::WorkItems, {false, true, true})
          .Budget.Rows.size(),
      2u);
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveBesideUnreadableBudget, testing::ValuesIn(UnreadableBudgets));

// Opened by the budget window's own button, a file it cannot read is not
// written over when the window closes and saves its budget.
TEST_F(FaultsTest, BudgetWindowDoesNotSaveOverAFileItCouldNotOpen) {
  const AnsiString cut = Folder() + "cut.pry";
  SafeWriteFile(cut, ExampleBudget().substr(0, 100));
  TFrmAXP& w = Start();
  w.ProjectType = 1;
  TUproypFrm& budget = EnsureBudgetForm();
  budget.SetStudyLayout();
  budget.Show();
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(cut);
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("cut.pry", IDOK);
  backend->Click(*budget.BtnOpen2, 4, 4);
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  budget.Close();
  EXPECT_EQ(ReadWholeFile(cut), ExampleBudget().substr(0, 100));
  EXPECT_NE(budget.BudgetFileName, cut);
}

// An exception of a form's creation is shown by the application and the
// form lives on.
TEST_F(FaultsTest, ExceptionOfAFormsCreationIsShownByTheApplication) {
  TForm* form = NewForm<TForm>(nullptr);
  delete form;
  auto* raw = new TForm(nullptr);
  raw->OnCreate = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
  backend->ExpectMessageBox("'x'", IDOK);
  raw->AfterConstruction();
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(backend->ErrorBoxes[0].Text, "'x' is not a valid integer value.");
  delete raw;
}

// ---- a budget file cut inside its bidder blocks -------------------------------------------

TEST_F(FaultsTest, CutBidderBlockIsNamedAndTheWholeOnesKept) {
  const std::string project = CopyExampleProject();
  const std::string budget = ExampleBudget();
  const std::string cut = budget.substr(0, budget.size() - 10);  // inside bidder 4's block
  SafeWriteFile(cp1253::FromUtf8(FolderPath() + "/EXAMPLE.pry"), cut);
  backend->ExpectMessageBox("Α/Α: 4\r"_a, IDOK);
  TFrmAXP& w = StartOn(project);
  EXPECT_EQ(BudgetRows, 5);
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[0].Value, 7.9);
  EXPECT_FALSE(BidderDiscountTable.Has(4));
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, 1), "*");
  EXPECT_TRUE(backend->ErrorBoxes.empty());
  // Reading wrote nothing.
  EXPECT_EQ(ReadWholeFile(cp1253::FromUtf8(FolderPath() + "/EXAMPLE.pry")), cut);
}

// ---- entry numbers of four digits ---------------------------------------------------------

TEST_F(FaultsTest, EntryNumbersAbove999AreNeverCut) {
  Start();
  WriteOffersProject(Folder() + "big.ddn", {1295, 2});
  form->OpenProject(Folder() + "big.ddn");
  EXPECT_EQ(form->StGrid->GetCellText(ColEntryNo, 1), "1295");
  EXPECT_EQ(form->StGrid->GetCellText(ColEntryNo, 2), "  2");
  EXPECT_EQ(form->StGrid->GetCellText(ColEntryNo, 3), "1296");
  EXPECT_EQ(form->StGrid->GetCellText(ColEntryNo, LastOfferRow), "1793");

  // The save keeps the number, so bidder 1295's detailed offer stays his.
  ASSERT_TRUE(form->saverec(Folder() + "again.ddn"));
  const TProjectFileData saved = DecodeProjectFile(ReadWholeFile(Folder() + "again.ddn"), false);
  ASSERT_EQ(saved.Offers.size(), 2u);
  EXPECT_EQ(saved.Offers[0].EntryNo, 1295);

  // Deleting a row numbers the last row on from the one above it.
  form->StGrid->SetFocus();
  form->StGrid->SetRow(1);
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDYES);
  form->Button2Click(nullptr);
  EXPECT_EQ(form->StGrid->GetCellText(ColEntryNo, LastOfferRow), "1794");
}

// ---- the project file without offers ------------------------------------------------------

TEST_F(FaultsTest, ProjectWithoutOffersIsItsHeaderAlone) {
  TFrmAXP& w = Start();
  w.Memo1->Lines().Add("ΚΕΝΟ"_a);
  ASSERT_TRUE(w.saverec(Folder() + "empty.ddn"));
  EXPECT_EQ(FileSize(Folder() + "empty.ddn"), 576);
  w.ClearProject();
  w.OpenProject(Folder() + "empty.ddn");
  EXPECT_EQ(w.Memo1->Lines()[0], "ΚΕΝΟ"_a);
  EXPECT_EQ(OfferCount, 0);
}

}  // namespace

namespace {

// ---- the budget window's recalculation ----------------------------------------------------

TEST_F(FaultsTest, RecalculationTakesEveryRowOfTheGrid) {
  TUproypFrm& b = StudyBudget(1);
  b.ProypGrid->SetCells(1, 1, "Α"_a);
  b.ProypGrid->SetCells(2, 1, "1");
  b.ProypGrid->SetCells(3, 1, "10");
  b.ProypGrid->SetCells(2, 2, "2");  // no article code, no cost yet
  b.ProypGrid->SetCells(3, 2, "5");
  b.RecalcClick(nullptr);
  EXPECT_EQ(BudgetRows, 2);
  EXPECT_EQ(b.ProypGrid->Cells(4, 2), "10.00");
  EXPECT_EQ(b.StudySum, 20);
  EXPECT_EQ(b.SumaGrid->Cells(4, 1), "20.00");
}

TEST_F(FaultsTest, RecalculationWritesAnEmptyCategoryDiscountAsZero) {
  TUproypFrm& b = StudyBudget(2);
  b.ProypGrid->SetCells(3, 1, "ΟΔΟΠΟΙΙΑ"_a);
  b.ProypGrid->SetCells(4, 1, "1000");
  b.ProypGrid->SetCells(3, 2, "ΠΡΑΣΙΝΟ"_a);
  b.ProypGrid->SetCells(4, 2, "500");
  b.resum(true);
  b.SetBidderLayout();
  b.ProypGrid->SetCells(5, 2, "10");
  b.RecalcClick(nullptr);
  EXPECT_EQ(b.ProypGrid->Cells(5, 1), "0");
  EXPECT_EQ(b.ProypGrid->Cells(6, 1), "1,000.00");
  EXPECT_EQ(b.ProypGrid->Cells(5, 2), "10");
  EXPECT_EQ(b.ProypGrid->Cells(6, 2), "450.00");
  EXPECT_TRUE(b.ProypGrid->Cells(5, 3).empty());  // a row without cost stays empty
}

}  // namespace

namespace {

// ---- names outside the code page --------------------------------------------------------

const char* const Emoji = "\xF0\x9F\x98\x80";
const char* const Papka = "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "папка"

TEST_F(FaultsTest, CommandLineNameOutsideTheCodePageIsRefusedInFull) {
  const std::string folder = FolderPath() + "/" + Papka;
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/EXAMPLE.DDN", folder + "/EXAMPLE.DDN");
  for (const std::string& name : {folder + "/EXAMPLE.DDN", FolderPath() + "/έργο" + Emoji + "2.ddn"}) {
    backend->ExpectMessageBox(cp1253::ShowUtf8(name), IDOK);
    TFrmAXP& w = StartOn(name);
    EXPECT_TRUE(w.StGrid->GetCellText(ColName, 1).empty());
    EXPECT_TRUE(w.SaveDialog1->FileName.empty());
    Stop();
  }
  EXPECT_NE(backend->MessageBoxes.back().Text.find("<U+1F600>"), AnsiString::npos);
}

TEST_F(FaultsTest, SaveDialogRefusesANameOutsideTheCodePage) {
  TFrmAXP& w = Start();
  std::u16string typed = u"έργο";
  typed += u"\U0001F600";
  typed += u"2";
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetWideText(typed);
    edit->SetFocus();
    backend->ExpectMessageBox("έργο<U+1F600>2"_a, IDOK);
    backend->PressKey(VK_RETURN);
    f.SetModalResult(mrCancel);
  });
  w.SaveAs->Click();
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(FolderPath()), std::filesystem::directory_iterator()),
      0);
}

TEST_F(FaultsTest, SaveDialogInAFolderOutsideTheCodePageRefusesInFull) {
  TFrmAXP& w = Start();
  const std::string folder = FolderPath() + "/" + Papka;
  std::filesystem::create_directory(folder);
  ASSERT_EQ(::chdir(folder.c_str()), 0);
  // A dialog that starts in the current folder.
  w.SaveDialog1->InitialDir.clear();
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText("x");
    edit->SetFocus();
    backend->ExpectMessageBox(cp1253::ShowUtf8(folder), IDOK);
    backend->PressKey(VK_RETURN);
    f.SetModalResult(mrCancel);
  });
  w.SaveAs->Click();
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// ---- what killed saves leave ---------------------------------------------------------

TEST_F(FaultsTest, OpenAndSaveRemoveTheProjectsOwnLeftovers) {
  const std::string project = CopyExampleProject();
  std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/EXAMPLE.pry", FolderPath() + "/EXAMPLE.pry");
  const AnsiString name = cp1253::FromUtf8(project);
  const auto leave = [](const AnsiString& target) {
    const AnsiString temp = SafeWriteTempName(target);
    SafeWriteFile(temp, std::string(4096, 'x'));
    return temp;
  };
  const AnsiString ddn = leave(name), pry = leave(ChangeFileExt(name, ".pry")),
                   csv = leave(ChangeFileExt(name, ".csv"));
  const AnsiString other = leave(Folder() + "OTHER.ddn");
  const AnsiString unrelated = Folder() + ".~notours.tmp";
  SafeWriteFile(unrelated, "keep");
  TFrmAXP& w = StartOn(project);
  for (const AnsiString& temp : {ddn, pry, csv}) EXPECT_FALSE(FileExists(temp)) << cp1253::ToUtf8(temp);
  EXPECT_TRUE(FileExists(other));
  EXPECT_TRUE(FileExists(unrelated));

  // A save under another name clears that name's leftovers.
  const AnsiString saved = Folder() + "SAVED.ddn";
  const AnsiString savedBudget = leave(Folder() + "SAVED.pry");
  ASSERT_TRUE(w.saverec(saved));
  EXPECT_FALSE(FileExists(savedBudget));
  EXPECT_TRUE(FileExists(other));
}

}  // namespace

namespace {

// ---- pasting offers -------------------------------------------------------------------

TEST_F(FaultsTest, PasteNeverGrowsTheOffersGridAndSaysWhatWasLeftOut) {
  TFrmAXP& w = Start();
  const auto paste = [&](int firstRow, int lines) {
    AnsiString text;
    for (int i = 1; i <= lines; ++i) text += "B" + IntToStr(i) + "\t" + IntToStr(1000 + i) + "\r\n";
    Clipboard()->SetAsText(text);
    w.StGrid->SetSelection(TGridRect{1, firstRow, 1, firstRow});
    w.PasteFromCipBoardClick(nullptr);
  };
  paste(495, 6);  // fits exactly
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 500), "B6");
  backend->ExpectMessageBox("Δεν επικολλήθηκαν 10 γραμμές"_a, IDOK);
  paste(1, 510);
  EXPECT_EQ(w.StGrid->RowCount(), 501);
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 500), "B500");
  EXPECT_EQ(w.StGrid->GetCellText(ColAmount, 500), "1500");
  EXPECT_EQ(backend->MessageBoxes.size(), 1u);
}

}  // namespace
