// Projects that cannot be read, projects cut short, and saves that fail half
// way or would land on something that is not a regular file: nothing the
// user has is lost, and the user is told which file and what is wrong.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "MainWindowFixture.h"
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
};

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
