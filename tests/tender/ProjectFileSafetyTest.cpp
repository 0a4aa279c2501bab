// Projects that cannot be read, projects cut short, and saves that fail half
// way or would land on something that is not a regular file: nothing the
// user has is lost, and the user is told which file and what is wrong.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>

#include "MainWindowFixture.h"
#include "platform/ui/Dialogs.h"
#include "tests/platform/rtl/ScopedFileSizeLimit.h"

namespace {

namespace fs = std::filesystem;

std::string Example() { return ReadBytes(std::string(DIM_EXAMPLES) + "/EXAMPLE.DDN"); }

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

class ProjectSafetyTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    BidderDiscountTable.FreeAll();
  }
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
  }
  std::string Path(const char* name) const { return FolderPath() + "/" + name; }
  AnsiString Name(const char* name) const { return Folder() + name; }
  // Opens Name, expecting one error box holding Message.
  bool OpenRefused(TFrmAXP& w, const AnsiString& name, const AnsiString& message) {
    backend->ExpectMessageBox(message, IDOK);
    return w.OpenProject(name);
  }
  // The project type chosen as the user chooses it.
  void ChooseType(TFrmAXP& w, int type) {
    w.RadioGroupZephType->SetItemIndex(type);
    w.RadioGroupZephTypeClick(nullptr);
  }
  // A study budget of one row typed in its window, which saves it on closing.
  void TypeBudget(TFrmAXP& w, const char* price) {
    backend->ExpectModal("Προϋπολογισμός Μελέτης"_a, [&](TCustomForm&) {
      TUproypFrm& b = *BudgetForm;
      b.ProypGrid->SetCells(1, 1, "Α.1"_a);
      b.ProypGrid->SetCells(2, 1, "2");
      b.ProypGrid->SetCells(3, 1, price);
      b.RecalcClick(nullptr);
      Press(*b.ExitButton);
    });
    Press(*w.ProInputBtn);
  }
  // A project of one bidder with a budget by work items, saved under Name.
  void SaveWithBudget(TFrmAXP& w, const char* name, const char* bidder, const char* price) {
    w.ClearProject();
    ChooseType(w, 1);
    w.EditDiair->SetText("1000");
    TypeCell(1, 1, cp1253::FromUtf8(bidder));
    TypeCell(3, 1, "5");
    TUproypFrm& budget = EnsureBudgetForm();
    budget.ProypGrid->SetCells(1, 1, "Α.1"_a);
    budget.ProypGrid->SetCells(2, 1, "2");
    budget.ProypGrid->SetCells(3, 1, price);
    ASSERT_TRUE(w.saverec(Name(name)));
  }
  // The save dialog's answer: the name it offered is kept in Offered, and
  // Enter takes File (the offered name when null).
  std::function<void(TCustomForm&)> Choose(const char* file) {
    return [this, file](TCustomForm& f) {
      auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
      Offered = edit->Text();
      if (file != nullptr) edit->SetText(Name(file));
      edit->SetFocus();
      backend->PressKey(VK_RETURN);
    };
  }
  AnsiString Offered;
  // The bytes of the files named, in order.
  std::vector<std::string> Contents(const std::vector<const char*>& names) const {
    std::vector<std::string> bytes;
    for (const char* name : names) bytes.push_back(ReadBytes(Path(name)));
    return bytes;
  }
};

// After «Νέο» the save offers no name, and a file that is there is written
// over only when the user says so; No goes back to the dialog. The file the
// project was opened from or last saved to is saved again unasked.
TEST_F(ProjectSafetyTest, AfterNewTheSaveOffersNoNameAndAsksBeforeAnotherFile) {
  WriteOffersProject(Name("old.ddn"), {1, 2});
  WriteOffersProject(Name("other.ddn"), {1});
  const std::vector<std::string> before = Contents({"old.ddn", "other.ddn"});
  TFrmAXP& w = Start();
  ASSERT_TRUE(w.OpenProject(Name("old.ddn")));
  w.N1->Click();
  TypeCell(1, 1, "ΝΕΟΣ"_a);
  TypeCell(3, 1, "5");
  const AnsiString question = Name("other.ddn") + " υπάρχει ήδη.\r\nΝα αντικατασταθεί;"_a;
  backend->ExpectModal("", Choose("other.ddn"));
  backend->ExpectMessageBox(question, IDNO);
  backend->ExpectModal("", mrCancel);
  w.SaveAs->Click();
  EXPECT_TRUE(Offered.empty()) << cp1253::ToUtf8(Offered);
  EXPECT_EQ(Contents({"old.ddn", "other.ddn"}), before);
  EXPECT_EQ(ProjectModified, 1);

  backend->ExpectModal("", Choose("other.ddn"));
  backend->ExpectMessageBox(question, IDYES);
  w.SaveAs->Click();
  EXPECT_EQ(ReadBytes(Path("old.ddn")), before[0]);
  EXPECT_EQ(ReadBytes(Path("other.ddn")).size(), 756u + 84);
  // Now its own file: saved again without a question.
  TypeCell(1, 2, "ΔΕΥΤΕΡΟΣ"_a);
  TypeCell(3, 2, "6");
  backend->ExpectModal("", Choose(nullptr));
  w.BtnSave->Click();
  EXPECT_EQ(Offered, "other.ddn");
  EXPECT_EQ(ReadBytes(Path("other.ddn")).size(), 756u + 2 * 84);
}

// A budget typed after «Νέο», or after opening a project without a budget
// file, goes to a file of its own, never into the budget file of the
// project before, even when that budget was empty.
TEST_F(ProjectSafetyTest, ABudgetTypedAfterNewOrAnotherOpenNeverGoesIntoTheOldProjects) {
  for (const bool byOpen : {false, true}) {
    SCOPED_TRACE(byOpen ? "open" : "new");
    TFrmAXP& w = Start();
    ChooseType(w, 1);
    TypeCell(1, 1, "ΑΛΦΑ"_a);
    TypeCell(3, 1, "5");
    ASSERT_TRUE(w.saverec(Name("old.ddn")));  // a budget file of no rows
    WriteOffersProject(Name("plain.ddn"), {1});
    const std::vector<std::string> before = Contents({"old.ddn", "old.pry", "old.csv"});
    ASSERT_TRUE(w.OpenProject(Name("old.ddn")));
    ASSERT_EQ(BudgetForm->BudgetFileName, Name("old.pry"));
    if (byOpen) {
      ASSERT_TRUE(w.OpenProject(Name("plain.ddn")));
    } else {
      w.N1->Click();
    }
    ChooseType(w, 1);
    TypeBudget(w, "300");
    EXPECT_EQ(BudgetRows, 1);
    EXPECT_EQ(Contents({"old.ddn", "old.pry", "old.csv"}), before);
    EXPECT_EQ(ExtractFileExt(BudgetForm->BudgetFileName), ".TMP");
    w.ClearProject();
    BudgetChanged = 0;
    delete BudgetForm;
    Stop();
  }
}

// Saving under a new name asks before the budget file and its text copy of
// another project are written over, naming every file that is there; No
// leaves them as they were. A project without a budget that replaces one
// with leaves no budget behind to be read as its own.
TEST_F(ProjectSafetyTest, SavingUnderANewNameAsksBeforeAnotherProjectsBudget) {
  struct Case {
    const char* what;
    std::vector<const char*> removed;  // of the other project's files
    std::vector<const char*> asked;
    bool withBudget;
  };
  const Case cases[] = {
      {"a whole project", {}, {"other.ddn", "other.pry", "other.csv"}, true},
      {"its budget alone", {"other.ddn"}, {"other.pry", "other.csv"}, true},
      {"its budget without text copy", {"other.ddn", "other.csv"}, {"other.pry"}, true},
      {"by a project without a budget", {}, {"other.ddn", "other.pry", "other.csv"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFrmAXP& w = Start();
    SaveWithBudget(w, "other.ddn", "ΑΛΛΟΣ", "300");
    for (const char* name : c.removed) std::filesystem::remove(Path(name));
    const std::vector<std::string> before = Contents(c.asked);
    SaveWithBudget(w, "mine.ddn", "ΔΙΚΟΣ", "40");
    if (!c.withBudget) ChooseType(w, 0);
    TypeCell(3, 1, "7");
    std::vector<AnsiString> asked;
    for (const char* name : c.asked) asked.push_back(Name(name));
    backend->ExpectModal("", Choose("other.ddn"));
    backend->ExpectMessageBox(dialogs::ReplaceQuestion(asked), IDNO);
    backend->ExpectModal("", mrCancel);
    w.SaveAs->Click();
    EXPECT_EQ(Contents(c.asked), before);
    backend->ExpectModal("", Choose("other.ddn"));
    backend->ExpectMessageBox(dialogs::ReplaceQuestion(asked), IDYES);
    w.SaveAs->Click();
    if (c.withBudget) {
      EXPECT_EQ(ReadBytes(Path("other.pry")), ReadBytes(Path("mine.pry")));
      EXPECT_EQ(BudgetForm->BudgetFileName, Name("other.pry"));
    } else {
      EXPECT_FALSE(std::filesystem::exists(Path("other.pry")));
      EXPECT_FALSE(std::filesystem::exists(Path("other.csv")));
    }
    w.ClearProject();
    delete BudgetForm;
    Stop();
    for (const char* name : {"other.ddn", "other.pry", "other.csv", "mine.ddn", "mine.pry", "mine.csv"})
      std::filesystem::remove(Path(name));
  }
}

// A save stopped between the project file and its budget, as a kill there
// would stop it, leaves the new project file beside the old budget; the next
// open completes it: the new pair, and nothing left over. One whose files
// changed since is told, naming them.
TEST_F(ProjectSafetyTest, ASaveStoppedBetweenItsFilesIsCompletedOrToldAtTheNextOpen) {
  for (const bool changedSince : {false, true}) {
    SCOPED_TRACE(changedSince ? "changed since" : "as the stop left it");
    TFrmAXP& w = Start();
    SaveWithBudget(w, "p.ddn", "ΑΛΦΑ", "300");
    const std::vector<std::string> old = Contents({"p.ddn", "p.csv", "p.pry"});
    TypeCell(1, 2, "ΒΗΤΑ"_a);
    TypeCell(3, 2, "7");
    BudgetForm->ProypGrid->SetCells(3, 1, "400");
    const pid_t child = ::fork();
    if (child == 0) {
      SafeWriteRenamed = [](size_t) { ::_exit(0); };
      w.saverec(Name("p.ddn"));
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save was not stopped";
    EXPECT_NE(ReadBytes(Path("p.ddn")), old[0]);
    EXPECT_EQ(ReadBytes(Path("p.pry")), old[2]);
    // What the stopped save would have written.
    ASSERT_TRUE(w.saverec(Name("q.ddn")));
    const std::vector<std::string> saved = Contents({"q.ddn", "q.csv", "q.pry"});
    w.ClearProject();
    if (changedSince) {
      WriteOffersProject(Name("p.ddn"), {1});  // saved again by another run
      backend->ExpectMessageBox("Η αποθήκευση του έργου «"_a + Name("p.ddn") +
                                    "» διακόπηκε πριν τελειώσει και δεν μπόρεσε να ολοκληρωθεί. "
                                    "Τα αρχεία της μπορεί να είναι από διαφορετικές αποθηκεύσεις:\r«"_a +
                                    Name("p.ddn") + "»\r«"_a + Name("p.csv") + "»\r«"_a + Name("p.pry") +
                                    "»"_a,
                                IDOK);
    }
    ASSERT_TRUE(w.OpenProject(Name("p.ddn")));
    EXPECT_EQ(backend->PendingAnswers(), 0);
    if (!changedSince) {
      EXPECT_EQ(Contents({"p.ddn", "p.csv", "p.pry"}), saved);
      EXPECT_EQ(StrToNum(BudgetForm->ProypGrid->Cells(3, 1)), 400);
    }
    EXPECT_EQ(Entries(FolderPath()),
              (std::set<std::string>{"p.ddn", "p.csv", "p.pry", "q.ddn", "q.csv", "q.pry"}));
    w.ClearProject();
    delete BudgetForm;
    Stop();
    for (const auto& entry : std::filesystem::directory_iterator(FolderPath()))
      std::filesystem::remove(entry);
  }
}

// A budget whose name differs only in case is the project's only when no
// other project of the folder bears that name: Alpha.ddn neither reads nor
// writes over ALPHA.pry when ALPHA.DDN is there, and makes Alpha.pry.
TEST_F(ProjectSafetyTest, ABudgetNamedInAnotherCaseIsTakenOnlyWhenNoOtherProjectOwnsIt) {
  struct Case {
    const char* what;
    const char* project;  // opened and saved
    const char* owner;    // saved first, with the budget
    const char* budget;   // the owner's budget, renamed to this
    bool taken;
    const char* written;  // the budget file the save writes
  };
  const Case cases[] = {
      {"another project's", "Alpha.ddn", "ALPHA.DDN", "ALPHA.pry", false, "Alpha.pry"},
      {"the project's own, extension in capitals", "BETA.DDN", "BETA.DDN", "BETA.PRY", true, "BETA.PRY"},
      {"no project of that name", "Gamma.ddn", "GAMMA.DDN", "GAMMA.pry", true, "GAMMA.pry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFrmAXP& w = Start();
    SaveWithBudget(w, c.owner, "ΑΛΦΑ", "300");
    const std::string owner = ChangeFileExt(c.owner, "");
    std::filesystem::rename(Path((owner + ".pry").c_str()), Path(c.budget));
    if (std::string(c.project) != c.owner) {
      if (c.taken) std::filesystem::remove(Path(c.owner));
      // Made beside the owner by its exact name, not over it.
      WriteOffersProject(Name("made.ddn"), {1});
      std::filesystem::rename(Path("made.ddn"), Path(c.project));
    }
    const std::string budget = ReadBytes(Path(c.budget));
    ASSERT_TRUE(w.OpenProject(Name(c.project)));
    EXPECT_EQ(BudgetRows, c.taken ? 1 : 0);
    EXPECT_EQ(ResolveFileName(BudgetForm->BudgetFileName), c.taken ? Name(c.budget) : AnsiString());
    ChooseType(w, 1);
    w.EditDiair->SetText("1000");
    BudgetForm->ProypGrid->SetCells(1, 2, "Α.2"_a);
    BudgetForm->ProypGrid->SetCells(2, 2, "1");
    BudgetForm->ProypGrid->SetCells(3, 2, "9");
    TypeCell(1, 2, "ΒΗΤΑ"_a);
    backend->ExpectModal("", Choose(nullptr));
    w.BtnSave->Click();
    EXPECT_EQ(Offered, ChangeFileExt(c.project, ".ddn"));
    if (!c.taken) {
      EXPECT_EQ(ReadBytes(Path(c.budget)), budget);
    }
    EXPECT_TRUE(std::filesystem::exists(Path(c.written)));
    EXPECT_NE(ReadBytes(Path(c.written)), budget);
    w.ClearProject();
    delete BudgetForm;
    Stop();
    for (const auto& entry : std::filesystem::directory_iterator(FolderPath()))
      std::filesystem::remove(entry);
  }
}

// A project that cannot be read is not read, the user is told which and
// why, and it is not offered as the save's name; typing a bidder and saving
// under its name is refused and leaves it as it was.
TEST_F(ProjectSafetyTest, AnUnreadableProjectIsNeverTheSaveTarget) {
  const std::string example = Example();
  WriteBytes(Path("big.ddn"), example + std::string(MaxProjectFileSize, '\0'));
  ASSERT_EQ(::mkfifo(Path("pipe.ddn").c_str(), 0600), 0);
  fs::create_symlink("loop2.ddn", Path("loop1.ddn"));
  fs::create_symlink("loop1.ddn", Path("loop2.ddn"));
  struct Case {
    const char* file;
    AnsiString message;
  };
  std::vector<Case> cases = {
      {"big.ddn", FileReadErrorText(Name("big.ddn"), FileTooLarge, MaxProjectFileSize)},
      {"pipe.ddn", FileReadErrorText(Name("pipe.ddn"), FileNotRegular)},
      {"loop1.ddn", FileReadErrorText(Name("loop1.ddn"), ELOOP)},
  };
  if (::geteuid() != 0) {
    WriteBytes(Path("locked.ddn"), example);
    ::chmod(Path("locked.ddn").c_str(), 0200);
    cases.push_back({"locked.ddn", FileReadErrorText(Name("locked.ddn"), EACCES)});
  }
  TFrmAXP& w = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::error_code ignored;
    const std::string before =
        fs::is_regular_file(Path(c.file), ignored) ? ReadBytes(Path(c.file)) : std::string();
    EXPECT_FALSE(OpenRefused(w, Name(c.file), c.message));
    EXPECT_EQ(backend->PendingAnswers(), 0);
    EXPECT_TRUE(w.SaveDialog1->FileName.empty());
    EXPECT_TRUE(w.Label24->Caption().empty());
    EXPECT_EQ(OfferCount, 0);
    TypeCell(1, 1, "ΝΕΟΣ"_a);
    TypeCell(3, 1, "5");
    backend->ExpectMessageBox(c.message, IDOK);
    EXPECT_FALSE(w.saverec(Name(c.file)));
    if (!before.empty()) {
      EXPECT_EQ(ReadBytes(Path(c.file)), before);
    }
  }
  EXPECT_TRUE(fs::is_fifo(Path("pipe.ddn")));
  EXPECT_TRUE(fs::is_symlink(Path("loop1.ddn")));
}

// The program started on an unreadable project says so and does not take
// its name for the save.
TEST_F(ProjectSafetyTest, TheCommandLineProjectThatCannotBeReadIsNotTakenForTheSave) {
  ASSERT_EQ(::mkfifo(Path("pipe.ddn").c_str(), 0600), 0);
  const std::string name = Path("pipe.ddn");
  const char* argv[] = {"dimoprasia", name.c_str()};
  SetCommandLine(2, argv);
  backend->ExpectMessageBox(FileReadErrorText(Name("pipe.ddn"), FileNotRegular), IDOK);
  TFrmAXP& w = Start();
  const char* none[] = {"dimoprasia"};
  SetCommandLine(1, none);
  EXPECT_TRUE(w.SaveDialog1->FileName.empty());
  EXPECT_TRUE(w.CommandLineProject.empty());
}

// A project cut short keeps its whole records; the user is told how many
// offers the header promised and how many were read; the file stays as it
// is until the user saves. One cut inside its header reads nothing.
TEST_F(ProjectSafetyTest, ACutProjectKeepsItsWholeRecordsAndSaysSo) {
  const std::string example = Example();
  WriteBytes(Path("cut.ddn"), example.substr(0, example.size() - 10));
  TFrmAXP& w = Start();
  backend->ExpectMessageBox("Το αρχείο «"_a + Name("cut.ddn") +
                                "» είναι κομμένο: η κεφαλίδα του αναφέρει 4 προσφορές και διαβάστηκαν 3."_a,
                            IDOK);
  EXPECT_TRUE(w.OpenProject(Name("cut.ddn")));
  EXPECT_EQ(OfferCount, 3);
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ"_a);
  EXPECT_TRUE(w.StGrid->GetCellText(1, 4).empty());
  EXPECT_EQ(ProjectModified, 0);
  EXPECT_EQ(w.SaveDialog1->FileName, Name("cut.ddn"));
  EXPECT_EQ(ReadBytes(Path("cut.ddn")), example.substr(0, example.size() - 10));

  for (size_t size : {size_t{500}, size_t{560}}) {
    SCOPED_TRACE(size);
    WriteBytes(Path("head.ddn"), example.substr(0, size));
    EXPECT_FALSE(
        OpenRefused(w, Name("head.ddn"), "Το αρχείο «"_a + Name("head.ddn") + "» δεν είναι αρχείο έργου"_a));
    EXPECT_EQ(OfferCount, 0);
    EXPECT_TRUE(w.StGrid->GetCellText(1, 1).empty());
    EXPECT_TRUE(w.SaveDialog1->FileName.empty());
  }
}

// Never anything but the regular files the user named and the program's own
// temporaries: saves through links to a pipe and to a device node (both
// made here) are refused, and both stay as they were; a project whose
// budget would land on the pipe is not written either.
TEST_F(ProjectSafetyTest, SavesThroughLinksToAPipeOrADeviceChangeNeither) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  fs::create_symlink("pipe", Path("a.ddn"));
  std::set<std::string> expected = {"pipe", "a.ddn"};
  const bool root = ::geteuid() == 0;
  const dev_t device = ::makedev(1, 3);
  if (root) {
    ASSERT_EQ(::mknod(Path("node").c_str(), S_IFCHR | 0666, device), 0);
    fs::create_symlink("node", Path("b.ddn"));
    expected.insert({"node", "b.ddn"});
  } else {
    ADD_FAILURE() << "a device node needs the superuser: the device half is not shown";
  }
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "5");
  for (const char* name : {"a.ddn", "b.ddn"}) {
    if (!root && std::string(name) == "b.ddn") continue;
    SCOPED_TRACE(name);
    backend->ExpectMessageBox(FileReadErrorText(Name(name), FileNotRegular), IDOK);
    EXPECT_FALSE(w.saverec(Name(name)));
  }
  // The project's budget file is a link to the pipe: it is kept, and the
  // project is not written without the budget typed, which the user is
  // asked a name for.
  fs::create_symlink("pipe", Path("c.pry"));
  expected.insert("c.pry");
  w.ProjectType = 1;
  TUproypFrm& budget = EnsureBudgetForm();
  budget.ProypGrid->SetCells(1, 1, "Α.1"_a);
  budget.ProypGrid->SetCells(2, 1, "2");
  budget.ProypGrid->SetCells(3, 1, "3");
  backend->ExpectMessageBox("«"_a + Name("c.pry") + "» δεν διαβάστηκε"_a, IDOK);
  backend->ExpectModal("", mrCancel);
  EXPECT_FALSE(w.saverec(Name("c.ddn")));
  EXPECT_TRUE(fs::is_fifo(Path("pipe")));
  struct stat st;
  if (root) {
    ASSERT_EQ(::stat(Path("node").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(st.st_rdev, device);
  }
  for (const char* link : {"a.ddn", "c.pry"}) EXPECT_TRUE(fs::is_symlink(Path(link))) << link;
  EXPECT_EQ(Entries(FolderPath()), expected);
}

// A disk that fills up after the project file and before its budget leaves
// every old file of the project whole, and says which file and why.
TEST_F(ProjectSafetyTest, ASaveThatFailsHalfWayLeavesEveryOldFileWhole) {
  TFrmAXP& w = Start();
  w.ProjectType = 1;
  w.EditDiair->SetText("1000");
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "5");
  TUproypFrm& budget = EnsureBudgetForm();
  for (int row = 1; row <= 60; ++row) {
    budget.ProypGrid->SetCells(1, row, "Α."_a + IntToStr(row));
    budget.ProypGrid->SetCells(2, row, "2");
    budget.ProypGrid->SetCells(3, row, "3");
  }
  ASSERT_TRUE(w.saverec(Name("p.ddn")));
  const std::string project = ReadBytes(Path("p.ddn"));
  const std::string csv = ReadBytes(Path("p.csv"));
  const std::string pry = ReadBytes(Path("p.pry"));
  ASSERT_GT(pry.size(), project.size() + 84);
  TypeCell(1, 2, "ΒΗΤΑ"_a);
  TypeCell(3, 2, "7");
  budget.ProypGrid->SetCells(3, 1, "4");

  AnsiString message;
  try {
    ScopedFileSizeLimit limit(project.size() + 84);  // room for the new project file only
    w.saverec(Name("p.ddn"));
  } catch (const EWriteError& e) {
    message = e.Message;
  }
  EXPECT_TRUE(message == FileWriteErrorText(Name("p.pry"), EFBIG) ||
              message == FileWriteErrorText(Name("p.csv"), EFBIG))
      << cp1253::ToUtf8(message);
  EXPECT_EQ(ReadBytes(Path("p.ddn")), project);
  EXPECT_EQ(ReadBytes(Path("p.csv")), csv);
  EXPECT_EQ(ReadBytes(Path("p.pry")), pry);
  EXPECT_EQ(Entries(FolderPath()), (std::set<std::string>{"p.ddn", "p.csv", "p.pry"}));
  EXPECT_EQ(budget.BudgetFileName, Name("p.pry"));
  // With room again the same save goes through.
  ASSERT_TRUE(w.saverec(Name("p.ddn")));
  EXPECT_EQ(ReadBytes(Path("p.ddn")).size(), project.size() + 84);
}

}  // namespace
