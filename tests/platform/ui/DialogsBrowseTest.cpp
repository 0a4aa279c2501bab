#include <gtest/gtest.h>

#include <fstream>

#include "../rtl/TempFolder.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"

namespace {

using dialogs::TFileBrowser;
using TVerdict = dialogs::TFileBrowser::TVerdict;

TEST(FileFilter, PairsOfDescriptionAndMasks) {
  const auto entries = dialogs::ParseFilter("ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Description, "ΑΡΧΕΙΑ  *.ddn"_a);
  EXPECT_EQ(entries[0].Masks, std::vector<AnsiString>{"*.ddn"});
  EXPECT_EQ(entries[1].Description, "ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt"_a);

  const auto several = dialogs::ParseFilter("Εικόνες|*.bmp; *.jpg;;*.ico|Όλα|*.*"_a);
  ASSERT_EQ(several.size(), 2u);
  EXPECT_EQ(several[0].Masks, (std::vector<AnsiString>{"*.bmp", "*.jpg", "*.ico"}));

  // A description without masks, or with blank ones, is dropped; nothing
  // usable shows every file.
  EXPECT_EQ(dialogs::ParseFilter("Κείμενο|*.txt|Μόνο περιγραφή"_a).size(), 1u);
  EXPECT_EQ(dialogs::ParseFilter("A| |B|*.b").size(), 1u);
  for (const char* none : {"", "μόνο", "|", "||||"}) {
    const auto all = dialogs::ParseFilter(cp1253::FromUtf8(none));
    ASSERT_EQ(all.size(), 1u) << none;
    EXPECT_EQ(all[0].Masks, std::vector<AnsiString>{"*"}) << none;
  }
}

class FileBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Έργο.ddn", "alpha.DDN", "beta.ddt", "notes.txt", ".hidden.ddn"}) Make(name);
    ASSERT_TRUE(CreateDir(root / "Φάκελος"_a));
    ASSERT_TRUE(CreateDir(root / "aux"));
    Make("Φάκελος/μέσα.ddn");
  }
  void Make(const char* utf8) { std::ofstream(folder.path() + "/" + utf8) << "x"; }
  TFileBrowser Browser(bool save, TOpenOptions options = {}, const AnsiString& defaultExt = "") {
    return TFileBrowser(cp1253::FromUtf8(folder.path()), kFilter, 1, defaultExt, options, save);
  }
  const AnsiString kFilter = "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt|Ολα|*.*"_a;
  TempFolder folder;
  struct Root {
    const TempFolder& f;
    AnsiString operator/(const AnsiString& name) const { return f / name; }
  } root{folder};
};

TEST_F(FileBrowserTest, ListsFoldersAndTheFilesOfTheFilterSorted) {
  TFileBrowser b = Browser(false);
  EXPECT_EQ(b.Folders(), (std::vector<AnsiString>{"..", "aux", "Φάκελος"_a}));
  EXPECT_EQ(b.Files(), (std::vector<AnsiString>{"alpha.DDN", "Έργο.ddn"_a}));
  b.SetFilterIndex(2);
  EXPECT_EQ(b.Files(), std::vector<AnsiString>{"beta.ddt"});
  b.SetFilterIndex(3);
  EXPECT_EQ(b.Files().size(), 4u);
  b.SetFilterIndex(9);  // no such filter: stays
  EXPECT_EQ(b.FilterIndex(), 3);
}

TEST_F(FileBrowserTest, WalksIntoFoldersAndBackUp) {
  TFileBrowser b = Browser(false);
  const AnsiString start = b.Folder();
  ASSERT_TRUE(b.Enter("Φάκελος"_a));
  EXPECT_EQ(b.Folder(), start + "Φάκελος/"_a);
  EXPECT_EQ(b.Files(), std::vector<AnsiString>{"μέσα.ddn"_a});
  ASSERT_TRUE(b.Enter(".."));
  EXPECT_EQ(b.Folder(), start);
  EXPECT_FALSE(b.Enter("missing"));
  EXPECT_EQ(b.Folder(), start);
  ASSERT_TRUE(b.SetFolder("/"));
  EXPECT_TRUE(b.Folders().empty() || b.Folders()[0] != "..");
}

TEST_F(FileBrowserTest, TypedFoldersAndMasksChangeTheLists) {
  TFileBrowser b = Browser(false);
  const AnsiString start = b.Folder();
  EXPECT_EQ(b.Accept("φάκελος"_a).Verdict, TVerdict::Listed);  // folders found ignoring case
  EXPECT_EQ(b.Folder(), start + "Φάκελος/"_a);
  EXPECT_EQ(b.Accept(start + "*.ddt").Verdict, TVerdict::Listed);
  EXPECT_EQ(b.Folder(), start);
  EXPECT_EQ(b.Files(), std::vector<AnsiString>{"beta.ddt"});
  EXPECT_EQ(b.Accept("   ").Verdict, TVerdict::Listed);
}

TEST_F(FileBrowserTest, OpenTakesExistingFilesByTheirRealName) {
  TFileBrowser b = Browser(false, {ofFileMustExist, ofPathMustExist});
  auto chosen = b.Accept("ALPHA.ddn");
  EXPECT_EQ(chosen.Verdict, TVerdict::Chosen);
  EXPECT_EQ(chosen.FileName, root / "alpha.DDN");

  auto missing = b.Accept("gamma.ddn");
  EXPECT_EQ(missing.Verdict, TVerdict::Refused);
  EXPECT_NE(missing.Message.find("Δεν βρέθηκε το αρχείο"_a), AnsiString::npos);

  auto noFolder = b.Accept("nowhere/x.ddn");
  EXPECT_EQ(noFolder.Verdict, TVerdict::Refused);
  EXPECT_NE(noFolder.Message.find("διαδρομή"_a), AnsiString::npos);

  // Without the options a name that does not exist is still an answer.
  TFileBrowser loose = Browser(false);
  EXPECT_EQ(loose.Accept("gamma.ddn").Verdict, TVerdict::Chosen);
}

TEST_F(FileBrowserTest, DefaultExtensionCompletesNamesWithoutOne) {
  TFileBrowser save = Browser(true, {}, "ddt");
  EXPECT_EQ(save.Accept("νέο"_a).FileName, root / "νέο.ddt"_a);
  EXPECT_EQ(save.Accept("νέο.ddn"_a).FileName, root / "νέο.ddn"_a);
  EXPECT_EQ(save.Accept("τελεία."_a).FileName, root / "τελεία."_a);

  TFileBrowser open = Browser(false, {ofFileMustExist}, ".ddt");
  EXPECT_EQ(open.Accept("beta").FileName, root / "beta.ddt");
}

TEST_F(FileBrowserTest, SavingOverAnExistingFileAsksFirst) {
  TFileBrowser asking = Browser(true, {ofOverwritePrompt});
  auto over = asking.Accept("beta.ddt");
  EXPECT_EQ(over.Verdict, TVerdict::Confirm);
  EXPECT_EQ(over.FileName, root / "beta.ddt");
  EXPECT_NE(over.Message.find("υπάρχει ήδη"_a), AnsiString::npos);
  EXPECT_EQ(asking.Accept("fresh.ddt").Verdict, TVerdict::Chosen);

  TFileBrowser silent = Browser(true);
  EXPECT_EQ(silent.Accept("beta.ddt").Verdict, TVerdict::Chosen);
  // A save needs its folder, asked or not.
  EXPECT_EQ(silent.Accept("nowhere/x.ddt").Verdict, TVerdict::Refused);
}

TEST_F(FileBrowserTest, AFolderThatCannotBeListedFallsBackToTheCurrentOne) {
  TFileBrowser b(root / "missing", kFilter, 7, "", {}, false);
  EXPECT_EQ(b.Folder(), IncludeTrailingPathDelimiter(GetCurrentDir()));
  EXPECT_EQ(b.FilterIndex(), 1);
}

}  // namespace
