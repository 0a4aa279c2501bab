#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "../rtl/TempFolder.h"
#include "UiFixture.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

std::vector<AnsiString> Lines(TListBox& list) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < list.Items()->Count(); ++i) lines.push_back(list.Items()->Strings(i));
  return lines;
}

class FileDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    previous = GetCurrentDir();
    for (const char* name : {"alpha.ddn", "Έργο.ddn", "old.ddt", "Φάκελος/μέσα.ddn"}) {
      if (std::string(name).find('/') != std::string::npos) CreateDir(folder / "Φάκελος"_a);
      std::ofstream(folder.path() + "/" + name) << "x";
    }
    dir = cp1253::FromUtf8(folder.path());
  }
  void TearDown() override {
    SetCurrentDir(previous);
    UiTest::TearDown();
  }
  // Clicks line Index of a list box (twice for a double click).
  void ClickLine(TListBox& list, int index, bool twice = false) {
    const TRect r = list.ItemRect(index);
    if (twice)
      backend->DoubleClick(list, r.Left + 3, r.Top + 2);
    else
      backend->Click(list, r.Left + 3, r.Top + 2);
  }
  TEdit& NameEdit(TCustomForm& f) { return *Named<TEdit>(f, "FileNameEdit"); }
  void TypeName(TCustomForm& f, const AnsiString& name) {
    NameEdit(f).SetText(name);
    NameEdit(f).SetFocus();
    backend->PressKey(VK_RETURN);
  }
  const AnsiString kFilter = "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a;
  TempFolder folder;
  AnsiString dir, previous;
};

TEST_F(FileDialogTest, OpenListsTheFilterAndTakesTheTypedFile) {
  TOpenDialog open(nullptr);
  open.Filter = kFilter;
  open.InitialDir = dir;
  backend->ExpectModal("Ανοιγμα"_a, [&](TCustomForm& f) {
    EXPECT_EQ(Lines(*Named<TListBox>(f, "FileList")), (std::vector<AnsiString>{"alpha.ddn", "Έργο.ddn"_a}));
    EXPECT_EQ(Lines(*Named<TListBox>(f, "FolderList")), (std::vector<AnsiString>{"..", "Φάκελος"_a}));
    EXPECT_EQ(Named<TComboBox>(f, "FilterList")->Items()->Count(), 2);
    EXPECT_EQ(Named<TLabel>(f, "FolderName")->Caption(), dir);
    EXPECT_TRUE(NameEdit(f).Focused());
    if (const char* out = std::getenv("DIM_DIALOG_PNG"))
      backend->SaveWindowPng(f, std::string(out) + "/open.png");
    backend->Type("ALPHA.DDN");
    backend->PressKey(VK_RETURN);
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName, dir + "/alpha.ddn");
  EXPECT_EQ(open.FilterIndex, 1);
  EXPECT_EQ(GetCurrentDir(), dir);  // the system's dialogs move the current folder
}

TEST_F(FileDialogTest, ChoosingAnotherFilterAndDoubleClickingAFile) {
  TOpenDialog open(nullptr);
  open.Filter = kFilter;
  open.InitialDir = dir;
  open.Options << ofNoChangeDir;
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* filters = Named<TComboBox>(f, "FilterList");
    filters->SetFocus();
    backend->PressKey(VK_DOWN);  // the next filter, chosen by the keyboard
    EXPECT_EQ(filters->ItemIndex(), 1);
    TListBox& files = *Named<TListBox>(f, "FileList");
    ASSERT_EQ(Lines(files), std::vector<AnsiString>{"old.ddt"});
    ClickLine(files, 0);
    EXPECT_EQ(NameEdit(f).Text(), "old.ddt");
    ClickLine(files, 0, true);
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName, dir + "/old.ddt");
  EXPECT_EQ(open.FilterIndex, 2);
  EXPECT_EQ(GetCurrentDir(), previous);
}

TEST_F(FileDialogTest, WalksIntoAFolderByKeyboardAndByTypingItsName) {
  TOpenDialog open(nullptr);
  open.Filter = kFilter;
  open.InitialDir = dir;
  backend->ExpectModal("", [&](TCustomForm& f) {
    TListBox& folders = *Named<TListBox>(f, "FolderList");
    ClickLine(folders, 1);
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(Lines(*Named<TListBox>(f, "FileList")), std::vector<AnsiString>{"μέσα.ddn"_a});
    EXPECT_EQ(Named<TLabel>(f, "FolderName")->Caption(), dir + "/Φάκελος"_a);
    TypeName(f, "..");
    EXPECT_EQ(Named<TLabel>(f, "FolderName")->Caption(), dir);
    EXPECT_EQ(NameEdit(f).Text(), "");
    TypeName(f, "φάκελος/ΜΈΣΑ.DDN"_a);
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName, dir + "/Φάκελος/μέσα.ddn"_a);
}

TEST_F(FileDialogTest, AMissingFileIsRefusedWhenItMustExist) {
  TOpenDialog open(nullptr);
  open.InitialDir = dir;
  open.Options << ofFileMustExist;
  backend->ExpectModal("", [&](TCustomForm& f) {
    TypeName(f, "gamma.ddn");
    EXPECT_EQ(f.ModalResult(), mrNone);
    backend->PressKey(VK_ESCAPE);
  });
  backend->ExpectMessageBox("Δεν βρέθηκε το αρχείο"_a, IDOK);
  open.FileName = "kept";
  EXPECT_FALSE(open.Execute());
  EXPECT_EQ(open.FileName, "kept");
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Flags, MB_OK | MB_ICONWARNING);
}

TEST_F(FileDialogTest, SaveAsksBeforeOverwritingAndAddsTheDefaultExtension) {
  TSaveDialog save(nullptr);
  save.Filter = "ΑΡΧΕΙΑ *.ddn|*.ddn"_a;
  save.DefaultExt = "ddt";
  save.Options << ofOverwritePrompt;
  save.FileName = dir + "/Έργο.ddn"_a;  // its folder and name start the dialog
  backend->ExpectModal("Αποθήκευση ως"_a, [&](TCustomForm& f) {
    EXPECT_EQ(NameEdit(f).Text(), "Έργο.ddn"_a);
    backend->PressKey(VK_RETURN);  // exists: No keeps the dialog open
    EXPECT_EQ(f.ModalResult(), mrNone);
    TypeName(f, "old");  // old.ddt exists too: Yes takes it
  });
  backend->ExpectMessageBox("υπάρχει ήδη"_a, IDNO);
  backend->ExpectMessageBox("old.ddt υπάρχει ήδη"_a, IDYES);
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, dir + "/old.ddt");

  backend->ExpectModal("", [&](TCustomForm& f) { TypeName(f, "νέο"_a); });
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, dir + "/νέο.ddt"_a);
}

TEST_F(FileDialogTest, TitleAndTheReadOnlyBox) {
  TOpenDialog open(nullptr);
  open.Title = "Φόρτωμα εκτύπωσης"_a;
  open.InitialDir = dir;
  open.Options >> ofHideReadOnly;
  backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
    auto* box = Named<TCheckBox>(f, "ReadOnlyCheck");
    ASSERT_NE(box, nullptr);
    box->SetChecked(true);
    TypeName(f, "alpha.ddn");
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_TRUE(open.Options.Contains(ofReadOnly));

  TOpenDialog hidden(nullptr);
  hidden.InitialDir = dir;
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_EQ(Named<TCheckBox>(f, "ReadOnlyCheck"), nullptr);
    f.SetModalResult(mrCancel);
  });
  EXPECT_FALSE(hidden.Execute());
}

TEST_F(FileDialogTest, TheDialogSizesOnlyWithEnableSizing) {
  for (bool sizing : {true, false}) {
    TOpenDialog dialog(nullptr);
    dialog.InitialDir = dir;
    if (!sizing) dialog.Options >> ofEnableSizing;
    backend->ExpectModal("", [&](TCustomForm& f) {
      auto& files = *Named<TListBox>(f, "FileList");
      auto& ok = *Named<TButton>(f, "OkButton");
      const TRect form = f.BoundsRect(), list = files.BoundsRect(), button = ok.BoundsRect();
      backend->ResizeWindow(f, form.Width() + 100, form.Height() + 80);
      const int grown = sizing ? 1 : 0;
      EXPECT_EQ(f.Width(), form.Width() + 100 * grown);
      EXPECT_EQ(files.Height(), list.Height() + 80 * grown);
      EXPECT_EQ(ok.Left(), button.Left + 100 * grown);
      EXPECT_EQ(ok.Top(), button.Top);
      // Never smaller than it opened.
      backend->ResizeWindow(f, 50, 50);
      EXPECT_EQ(f.BoundsRect(), form);
      f.SetModalResult(mrCancel);
    });
    EXPECT_FALSE(dialog.Execute()) << sizing;
  }
}

}  // namespace
