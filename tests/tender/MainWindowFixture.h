#pragma once
// The main window on the headless backend, with its program folder (and
// the folder of its shipped settings) in a fresh temporary folder and the
// tender state back at its start-up values.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/ProjectFile.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"
#include "tests/TestOutput.h"
#include "tests/platform/rtl/TempFolder.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    savedDir_ = GetCurrentDir();
    folder_ = std::make_unique<TempFolder>();
    Folder() = cp1253::FromUtf8(folder_->path()) + "/";
    ProgramFolderSource = [] { return Folder(); };
    ProjectsFolderSource = [] { return Folder(); };
    // No settings ship with the tests: a test that wants some puts them here.
    ShippedFolderSource = [] { return Folder() + "shipped/"; };
    ResetState();
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs)
      ADD_FAILURE() << "unexpected dialog: " << cp1253::ToUtf8(text);
    EXPECT_EQ(backend->PendingAnswers(), 0) << "scripted answers left over";
    Stop();
    ProgramFolderSource = &GetProgramFolder;
    ShippedFolderSource = &GetExecutableFolder;
    ProjectsFolderSource = &GetProjectsFolder;
    SetCurrentDir(savedDir_);
    folder_.reset();
  }

  // The program folder of this test, in 1253 with a trailing "/".
  static AnsiString& Folder() {
    static AnsiString folder;
    return folder;
  }

  // The settings a fresh process starts with.
  static void ResetState() {
    OfferTable.Clear();
    OfferCount = 0;
    ProjectHeader.Clear();
    CostDecimals = 0;
    DiscountDecimals = 2;
    ExtraDecimalsA = ExtraDecimalsB = 0;
    CalcMode = 0;
    HalfDownSwitch = 0;
    ProjectModified = 0;
    BudgetChanged = 0;
    BudgetRows = 0;
    InitNumericLibrary();
  }

  // Creates and shows the window, as the program's entry does.
  TFrmAXP& Start() {
    form.reset(NewForm<TFrmAXP>(nullptr));
    form->Show();
    Application->ProcessMessages();
    return *form;
  }
  void Stop() {
    form.reset();
    PreviewForm = nullptr;
    MainForm = nullptr;
  }

  // The main window started and its budget window in study mode, for a
  // project of the given type, with costs of two decimals.
  TUproypFrm& StudyBudget(int projectType) {
    TFrmAXP& w = Start();
    w.ProjectType = projectType;
    CostDecimals = 2;
    TUproypFrm& b = EnsureBudgetForm();
    b.SetStudyLayout();
    return b;
  }

  // A project file of named offers with a 10 % discount each, one per
  // entry number, in the order given.
  static void WriteOffersProject(const AnsiString& fileName, std::initializer_list<int> entries) {
    std::vector<OfferRecord> offers;
    for (int entry : entries) {
      OfferRecord& offer = offers.emplace_back();
      offer.EntryNo = static_cast<Word>(entry);
      offer.BidderName = "x";
      offer.RoundedDiscount = 10;
    }
    TProjectHeader header;
    header.Date = DateToStr(Date());
    header.ResetOptions();
    SafeWriteFile(fileName, EncodeProjectFile(header, offers));
  }

  // Types Text into a cell of the offers grid and ends it with Enter.
  void TypeCell(int col, int row, const AnsiString& text) {
    form->StGrid->SetFocus();
    form->StGrid->SetCol(col);
    form->StGrid->SetRow(row);
    backend->Type(text);
    backend->PressKey(VK_RETURN);
  }
  // Types into a field and leaves it for the grid.
  void TypeField(TWinControl& field, const AnsiString& text) {
    field.SetFocus();
    backend->Type(text);
    form->StGrid->SetFocus();
    Application->ProcessMessages();
  }
  void Press(TControl& control) { backend->Click(control, 4, 4); }

  // The program folder in UTF-8, as on disk.
  std::string FolderPath() const { return folder_->path(); }

  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TFrmAXP> form;

 private:
  std::unique_ptr<TempFolder> folder_;
  AnsiString savedDir_;
};
