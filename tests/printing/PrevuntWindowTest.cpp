// The calculation preview as an editor: files, asking to save, the status
// bar and ruler following the selection, the clipboard, dropped files,
// search, the refusals during a page preview and printing a range.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "printing/Prevunt.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/printing/PrintScene.h"

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PREVUNT_TEST_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define PREVUNT_TEST_ASAN 1
#endif

// Runs Check in a child process whose address space may grow by no more
// than Room (a sanitizer build reserves more than any such bound at its
// start, and runs it unbounded); 0 when Check held, else its exit status
// or its signal past 128.
template <class F>
int InBoundedChild(long long room, F check) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
#ifndef PREVUNT_TEST_ASAN
    long long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%lld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    rlimit bound{};
    ::getrlimit(RLIMIT_AS, &bound);
    bound.rlim_cur =
        std::min<rlim_t>(static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE) + room), bound.rlim_max);
    ::setrlimit(RLIMIT_AS, &bound);
#else
    (void)room;
#endif
    bool held = false;
    try {
      held = check();
    } catch (...) {
    }
    ::_exit(held ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class PrevuntWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
    scene.emplace();
    backend = scene->backend;
    owner = scene->owner.get();
    report = scene->edit;
    Application->Title = "Δημοπρασία"_a;
    report->Hide();
    for (int i = 1; i <= 3; ++i) report->Lines().Add(Format("Γραμμή %d της έκθεσης"_a, {i}));
    form = NewForm<Tprevform>(owner, *report, "Πίστωση"_a);
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    form->Prevmemo->Modified = false;
    scene.reset();
    SetRegistryStoreRoot("");
  }
  AnsiString File(const char* name) { return cp1253::FromUtf8(store.path()) + "/" + name; }
  // The document named Name, changed by a typed character at its start.
  void TypeAChangeInto(const char* name) {
    form->FileName = File(name);
    form->Prevmemo->SetFocus();
    form->Prevmemo->SetSelStart(0);
    backend->Type("Χ"_a);
  }
  // The next file dialog: Name typed and confirmed with Enter.
  void ExpectFileChosen(const AnsiString& name) {
    backend->ExpectModal("", [this, name](TCustomForm& f) {
      auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
      edit->SetText(name);
      edit->SetFocus();
      backend->PressKey(VK_RETURN);
    });
  }
  TempFolder store;
  // The program's folder, in the test's own; set before the window names
  // its document there.
  ScopedEnv data{"XDG_DATA_HOME", store.path() + "/data"};
  std::optional<PrintScene> scene;
  THeadlessBackend* backend = nullptr;
  TForm* owner = nullptr;
  TRichEdit* report = nullptr;
  Tprevform* form = nullptr;
};

// The window's own paint sets the editor's margins, though the editor and
// the bars cover all of the window: the system asks a shown window to paint.
TEST_F(PrevuntWindowTest, TheTextKeepsItsMarginsFromTheFirstPaint) {
  backend->Render(*form);
  const TRect client = form->Prevmemo->ClientRect();
  EXPECT_EQ(form->Prevmemo->EditRect().Left, client.Left + 6);
  EXPECT_EQ(form->Prevmemo->EditRect().Right, client.Right - 16 - 6);
}

TEST_F(PrevuntWindowTest, SavesTextOrRtfByTheNameAndOpensBoth) {
  TRichEdit& memo = *form->Prevmemo;
  memo.SetSelStart(0);
  memo.SetSelLength(6);
  memo.SelAttributes().SetStyle(fsBold);
  // Text for any name, RTF for ".RTF".
  form->FileName = File("report.txt");
  form->FileSave(form);
  EXPECT_EQ(ReadWholeFile(File("report.txt")).substr(0, 6), "Γραμμή"_a);
  form->FileName = File("report.rtf");
  form->FileSave(form);
  const std::string rtf = ReadWholeFile(File("report.rtf"));
  EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
  EXPECT_NE(rtf.find("\\b"), std::string::npos);
  EXPECT_FALSE(memo.Modified);
  form->PerformFileOpen(File("report.txt"));
  EXPECT_EQ(memo.Content().FormatAt(0).Style, 0u);
  form->PerformFileOpen(File("report.rtf"));
  EXPECT_EQ(memo.Content().FormatAt(0).Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(memo.Lines()[0], "Γραμμή 1 της έκθεσης"_a);
  EXPECT_EQ(form->Caption(), "report.rtf - Δημοπρασία"_a);
}

TEST_F(PrevuntWindowTest, AskingToSaveYesNoAndCancel) {
  TRichEdit& memo = *form->Prevmemo;
  TypeAChangeInto("ask.txt");
  EXPECT_TRUE(memo.Modified);
  EXPECT_EQ(form->StatusBar->Panels[1].Text, "Μεταβλήθηκε"_a);
  // Cancel: nothing happens.
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDCANCEL);
  form->FileNew(form);
  EXPECT_EQ(form->FileName, File("ask.txt"));
  EXPECT_FALSE(FileExists(File("ask.txt")));
  // Yes: saved first, then the new text.
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDYES);
  form->FileNew(form);
  EXPECT_TRUE(FileExists(File("ask.txt")));
  EXPECT_EQ(form->FileName, "Ανώνυμο"_a);
  EXPECT_EQ(memo.Text(), "");
  EXPECT_EQ(form->StatusBar->Panels[1].Text, "");
  // No: the changes go.
  backend->Type("Ψ"_a);
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDNO);
  bool canClose = false;
  form->FormCloseQuery(form, canClose);
  EXPECT_TRUE(canClose);
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDCANCEL);
  form->FormCloseQuery(form, canClose);
  EXPECT_FALSE(canClose);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

// Yes to saving an untitled text whose save is then given up (the save
// dialog cancelled, or an existing file not overwritten) keeps the text:
// the new text, the opened file or the dropped one does not replace it.
TEST_F(PrevuntWindowTest, ASaveGivenUpAfterYesKeepsTheText) {
  // The file dialog makes the chosen folder current: the test's own folder
  // goes at its end, so the folder it started in is current again.
  struct KeepFolder {
    std::filesystem::path at = std::filesystem::current_path();
    ~KeepFolder() { std::filesystem::current_path(at); }
  } keep;
  TRichEdit& memo = *form->Prevmemo;
  form->FileNew(form);
  backend->Type("ΚΕΙΜΕΝΟ"_a);
  ASSERT_TRUE(memo.Modified);
  const AnsiString typed = memo.Text();
  const AnsiString other = File("other.txt");
  SafeWriteFile(other, "ΑΛΛΟ"_a);
  const auto cancelDialog = [&](TCustomForm& f) { f.SetModalResult(mrCancel); };
  // New, then the save dialog cancelled.
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο Ανώνυμο;"_a, IDYES);
  backend->ExpectModal("", cancelDialog);
  form->FileNew(form);
  EXPECT_EQ(memo.Text(), typed);
  EXPECT_TRUE(memo.Modified);
  // Open: the save dialog cancelled, no open dialog follows.
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο Ανώνυμο;"_a, IDYES);
  backend->ExpectModal("", cancelDialog);
  form->FileOpen(form);
  EXPECT_EQ(memo.Text(), typed);
  // A drop: an existing file chosen and not overwritten.
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο Ανώνυμο;"_a, IDYES);
  ExpectFileChosen(other);
  backend->ExpectMessageBox("υπάρχει ήδη"_a, IDYES);
  backend->ExpectMessageBox("ΟΚ για εγγραφή πάνω στο υπάρχον  "_a + other, IDNO);
  backend->DropFiles(memo, 20, 20, {other});
  EXPECT_EQ(memo.Text(), typed);
  EXPECT_EQ(form->FileName, "Ανώνυμο"_a);
  EXPECT_EQ(ReadWholeFile(other), "ΑΛΛΟ"_a);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

TEST_F(PrevuntWindowTest, TheStatusBarRulerAndButtonsFollowTheSelection) {
  TRichEdit& memo = *form->Prevmemo;
  memo.SetSelStart(memo.LineIndex(1) + 4);
  EXPECT_EQ(form->StatusBar->Panels[0].Text, "Γραμμή:     2  Στήλη:   5"_a);
  EXPECT_FALSE(form->CopyButton->Enabled());
  memo.SetSelLength(3);
  EXPECT_TRUE(form->CopyButton->Enabled());
  EXPECT_TRUE(form->popcut->Enabled);
  memo.Paragraph().SetFirstIndent(12);
  memo.Paragraph().SetLeftIndent(24);
  memo.Paragraph().SetRightIndent(6);
  memo.Paragraph().SetAlignment(taCenter);
  memo.SelAttributes().SetStyle(fsItalic);
  form->SelectionChange(form);
  EXPECT_EQ(form->FirstInd->Left(), 18);  // 12 × 4/3 + 2
  EXPECT_EQ(form->LeftInd->Left(), 50);   // (24 + 12) × 4/3 + 2
  EXPECT_EQ(form->RightInd->Left(), form->Ruler->ClientWidth() - 6 - 16);
  EXPECT_TRUE(form->CenterAlign->Down());
  EXPECT_TRUE(form->ItalicButton->Down());
  EXPECT_FALSE(form->BoldButton->Down());
  // The buttons change the selection; the ruler's markers the paragraph.
  form->BoldButton->SetDown(true);
  form->BoldButtonClick(form);
  EXPECT_EQ(memo.SelAttributes().Style(), static_cast<TFontStyles>(fsBold | fsItalic));
  form->RightAlign->SetDown(true);
  form->AlignButtonClick(form->RightAlign);
  EXPECT_EQ(memo.Paragraph().Alignment(), taRightJustify);
  form->FirstInd->SetLeft(30);
  form->DragOfs = 5;
  form->FirstIndMouseUp(form->FirstInd, mbLeft, {}, 0, 0);
  EXPECT_EQ(memo.Paragraph().FirstIndent(), 21);  // (30 + 5 − 6) × 3/4
}

// A hint takes the whole status bar while it shows; the panels come back
// when it goes.
TEST_F(PrevuntWindowTest, HintsShowAcrossTheStatusBar) {
  Application->SetHint("Αποθήκευση του κειμένου"_a);
  EXPECT_TRUE(form->StatusBar->SimplePanel());
  EXPECT_EQ(form->StatusBar->SimpleText(), "Αποθήκευση του κειμένου"_a);
  Application->SetHint("");
  EXPECT_FALSE(form->StatusBar->SimplePanel());
  EXPECT_EQ(form->StatusBar->Panels[0].Text.substr(0, 7), "Γραμμή:"_a);
}

TEST_F(PrevuntWindowTest, PasteFollowsTheClipboardAndADropOpensItsFirstFile) {
  Clipboard()->Clear();
  EXPECT_FALSE(form->PasteButton->Enabled());
  Clipboard()->SetAsText("κείμενο"_a);
  EXPECT_TRUE(form->PasteButton->Enabled());
  EXPECT_TRUE(form->EditPasteItem->Enabled);
  const AnsiString first = File("dropped.txt");
  SafeWriteFile(first, "ΡΙΧΤΗΚΕ"_a);
  backend->DropFiles(*form->Prevmemo, 20, 20, {first, File("other.txt")});
  EXPECT_EQ(form->Prevmemo->Text(), "ΡΙΧΤΗΚΕ"_a);
  EXPECT_EQ(form->FileName, first);
}

TEST_F(PrevuntWindowTest, FindStartsWhereTheSelectionSays) {
  TRichEdit& memo = *form->Prevmemo;
  form->FindDialog1->FindText = "Γραμμή"_a;
  form->FindDialog1Find(form);
  EXPECT_EQ(memo.SelStart(), 0);
  // A selection as long as the text: the search goes on after it.
  form->FindDialog1Find(form);
  EXPECT_EQ(memo.SelStart(), memo.LineIndex(1));
  // Case counts.
  form->FindDialog1->FindText = "γραμμή"_a;
  backend->ExpectMessageBox("Δεν (ξανα)βρέθηκε !"_a, IDOK);
  form->FindDialog1Find(form);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

TEST_F(PrevuntWindowTest, PreviewAndPageSetUpAreRefusedWhileAPreviewIsOpen) {
  PreviewActive = true;
  backend->ExpectMessageBox("H προεπισκόπιση είναι ενεργοποιημένη !"_a, IDOK);
  form->N6Click(form);
  backend->ExpectMessageBox("Kλείστε πρώτα την προεπισκόπιση !"_a, IDOK);
  form->N7Click(form);
  PreviewActive = false;
  EXPECT_EQ(backend->PendingAnswers(), 0);
  // Without one, the preview opens.
  form->N6Click(form);
  EXPECT_TRUE(PreviewActive);
  ASSERT_NE(form->RichPrinter1->PreviewForm(), nullptr);
  form->RichPrinter1->PreviewForm()->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(PreviewActive);
}

TEST_F(PrevuntWindowTest, PagesTwoToThreeAndASelectionPrintOnlyThose) {
  TRichEdit& memo = *form->Prevmemo;
  AnsiString text;
  for (int i = 1; i <= 200; ++i) text += Format("Γραμμή %3d\r\n"_a, {i});
  memo.SetText(text);
  printers::ClearJobLog();
  Printer()->FileName = cp1253::FromUtf8(TestOutput("pages.pdf"));
  scene->ExpectPrintedPages(2, 3);
  form->FilePrint(form);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog().back().Pages, 2);
  std::string pdf;
  ASSERT_TRUE(PdfText(TestOutput("pages.pdf"), pdf));
  EXPECT_NE(pdf.find("Σελίδα 2"), std::string::npos);
  EXPECT_EQ(pdf.find("Σελίδα 1"), std::string::npos);
  memo.SetSelStart(memo.LineIndex(4));
  memo.SetSelLength(memo.LineIndex(6) - memo.LineIndex(4));
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    dynamic_cast<TRadioButton*>(f.FindComponent("Selection"))->SetChecked(true);
    backend->PressKey(VK_RETURN);
  });
  form->FilePrint(form);
  EXPECT_EQ(printers::JobLog().back().Pages, 1);
  ASSERT_TRUE(PdfText(TestOutput("pages.pdf"), pdf, true));
  const auto has = [&](int n) {
    return std::regex_search(pdf, std::regex("Γραμμή\\s+" + std::to_string(n) + "\\s"));
  };
  EXPECT_TRUE(has(5)) << pdf;
  EXPECT_TRUE(has(6)) << pdf;
  EXPECT_FALSE(has(7)) << pdf;
  EXPECT_FALSE(has(4)) << pdf;
}

// Every marker of the ruler sets its indent by its formula when released,
// and the markers then follow the paragraph again.
TEST_F(PrevuntWindowTest, TheRulersMarkersSetTheIndentsByTheirFormulas) {
  TParaAttributes& p = form->Prevmemo->Paragraph();
  const int width = form->Ruler->ClientWidth();
  EXPECT_EQ(form->RulerLine->Width(), width - 2 * form->RulerLine->Left());
  EXPECT_EQ(form->Ruler->Caption().size(), 200u);
  const struct {
    int first, left, right;  // marker lefts
    int dragOfs;
    int firstIndent, leftIndent, rightIndent;
  } cases[] = {
      // first := (first + ofs − 6) × 3/4; left := (left + ofs − 6) × 3/4 − first;
      // right := (width − right + ofs − 2) × 3/4 − 12, each truncated.
      {30, 50, width - 40, 5, 21, 15, 20},
      {2, 2, width - 14, 4, 0, 0, 0},
      {101, 120, width - 101, 3, 73, 14, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    form->DragOfs = c.dragOfs;
    form->LeftInd->SetLeft(c.left);
    form->RightInd->SetLeft(c.right);
    form->FirstInd->SetLeft(c.first);
    form->RightIndMouseUp(form->RightInd, mbLeft, {}, 0, 0);
    EXPECT_EQ(p.RightIndent(), c.rightIndent);
    form->DragOfs = c.dragOfs;
    form->LeftInd->SetLeft(c.left);
    form->FirstInd->SetLeft(c.first);
    form->FirstIndMouseUp(form->FirstInd, mbLeft, {}, 0, 0);  // the left one goes with it
    EXPECT_EQ(p.FirstIndent(), c.firstIndent);
    EXPECT_EQ(p.LeftIndent(), c.leftIndent);
    EXPECT_FALSE(form->Dragging);
    // Following the paragraph: first × 4/3 + 2, (left + first) × 4/3 + 2,
    // width − 6 − (right + 6) × 4/3.
    EXPECT_EQ(form->FirstInd->Left(), c.firstIndent * 4 / 3 + 2);
    EXPECT_EQ(form->LeftInd->Left(), (c.leftIndent + c.firstIndent) * 4 / 3 + 2);
    EXPECT_EQ(form->RightInd->Left(), width - 6 - (c.rightIndent + 6) * 4 / 3);
  }
  // A press takes the marker by its middle and drags it with the mouse.
  form->LeftInd->SetLeft(40);
  form->RulerItemMouseDown(form->LeftInd, mbLeft, {}, 9, 3);
  EXPECT_TRUE(form->Dragging);
  EXPECT_EQ(form->DragOfs, form->LeftInd->Width() / 2);
  EXPECT_EQ(form->LeftInd->Left(), 40 + 9 - form->DragOfs);
  form->RulerItemMouseMove(form->LeftInd, {}, form->DragOfs + 10, 3);
  EXPECT_EQ(form->LeftInd->Left(), 40 + 9 - form->DragOfs + 10);
  form->LeftIndMouseUp(form->LeftInd, mbLeft, {}, 0, 0);
  EXPECT_FALSE(form->Dragging);
}

// Windows that join the clipboard's viewer chain after this one pass the
// news on to it, and the chain mends itself when one of them goes.
TEST_F(PrevuntWindowTest, TheClipboardViewerChainPassesChangesOnAndMendsItself) {
  auto* second = NewForm<Tprevform>(nullptr, *report, "Πίστωση"_a);
  auto* third = NewForm<Tprevform>(nullptr, *report, "Πίστωση"_a);
  EXPECT_EQ(third->NextViewer, second->Handle());
  EXPECT_EQ(second->NextViewer, form->Handle());
  delete second;
  EXPECT_EQ(third->NextViewer, form->Handle());
  for (const bool text : {false, true}) {
    Clipboard()->Clear();
    if (text) Clipboard()->SetAsText("κείμενο"_a);
    EXPECT_EQ(form->PasteButton->Enabled(), text);
    EXPECT_EQ(third->PasteButton->Enabled(), text);
  }
  delete third;
}

// A drop asks about unsaved changes first: Cancel keeps the text, and the
// file is not opened.
TEST_F(PrevuntWindowTest, ADropAsksToSaveFirstAndCancelKeepsTheText) {
  TRichEdit& memo = *form->Prevmemo;
  TypeAChangeInto("kept.txt");
  const AnsiString text = memo.Text();
  const AnsiString dropped = File("dropped.txt");
  SafeWriteFile(dropped, "ΡΙΧΤΗΚΕ"_a);
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDCANCEL);
  backend->DropFiles(memo, 20, 20, {dropped});
  EXPECT_EQ(memo.Text(), text);
  EXPECT_EQ(form->FileName, File("kept.txt"));
  backend->ExpectMessageBox("Αποθήκευση αλλαγών στο"_a, IDYES);
  backend->DropFiles(memo, 20, 20, {dropped});
  EXPECT_EQ(memo.Text(), "ΡΙΧΤΗΚΕ"_a);
  EXPECT_EQ(ReadWholeFile(File("kept.txt")), text);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

// "Save" right after creation writes the file of the window's own name in
// the program's folder, wherever the current folder is; "Save as" over a
// file asks, and only Yes writes.
TEST_F(PrevuntWindowTest, SaveKeepsTheCreationNameAndSaveAsAsksBeforeOverwriting) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::create_directory(store.path() + "/elsewhere");
  std::filesystem::current_path(store.path() + "/elsewhere");
  form->FileSave(form);
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::is_empty(store.path() + "/elsewhere"));
  const AnsiString saved = File("data/dimoprasia/") + "Προεπισκόπηση υπολογισμών"_a;
  ASSERT_TRUE(FileExists(saved));
  EXPECT_EQ(ReadWholeFile(saved).substr(0, 6), "Γραμμή"_a);
  const AnsiString target = File("old.txt");
  for (const int answer : {IDNO, IDCANCEL, IDYES}) {
    SCOPED_TRACE(answer);
    SafeWriteFile(target, "ΠΑΛΙΟ"_a);
    ExpectFileChosen(target);
    backend->ExpectMessageBox("υπάρχει ήδη"_a, IDYES);  // the dialog's own question
    backend->ExpectMessageBox("ΟΚ για εγγραφή πάνω στο υπάρχον  "_a + target, answer);
    form->FileSaveAs(form);
    EXPECT_EQ(ReadWholeFile(target) == "ΠΑΛΙΟ"_a, answer != IDYES);
    EXPECT_EQ(form->FileName == target, answer == IDYES);
  }
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

// The smaller commands: the page number on and off, the calculator panel,
// the page-size table while its button is held, and the formatting boxes.
TEST_F(PrevuntWindowTest, PageNumberCalculatorTableAndFormattingBoxes) {
  form->ToolButton7->SetDown(false);
  form->ToolButton7Click(form);
  EXPECT_EQ(form->RichPrinter1->Footer, "");
  EXPECT_EQ(form->ToolButton7->ImageIndex(), 19);
  form->ToolButton7->SetDown(true);
  form->ToolButton7Click(form);
  EXPECT_EQ(form->RichPrinter1->Footer, "Σελίδα {$PAGE}"_a);
  EXPECT_EQ(form->ToolButton7->ImageIndex(), 18);
  EXPECT_EQ(form->RichPrinter1->Header, "{$TITLE}");
  EXPECT_EQ(form->RichPrinter1->HeaderFormat, ">100");
  EXPECT_FALSE(form->Panel1->Visible());
  form->calcBtn->SetDown(true);
  form->calcBtnClick(form);
  EXPECT_TRUE(form->Panel1->Visible());
  form->calcBtn->SetDown(false);
  form->calcBtnClick(form);
  EXPECT_FALSE(form->Panel1->Visible());
  form->ToolButton2MouseDown(form, mbLeft, {}, 1, 1);
  EXPECT_TRUE(form->Memo1->Visible());
  EXPECT_NE(form->Memo1->Text().find("  10        69        112"), AnsiString::npos);
  form->ToolButton2MouseUp(form, mbLeft, {}, 1, 1);
  EXPECT_FALSE(form->Memo1->Visible());
  // The boxes format the selection.
  TRichEdit& memo = *form->Prevmemo;
  memo.SetSelStart(0);
  memo.SetSelLength(6);
  form->FontSize->SetText("14");
  form->FontSizeChange(form);
  EXPECT_EQ(memo.SelAttributes().Size(), 14);
  // The arrows beside the size step it from the size shown.
  backend->Click(*form->UpDown1, 8, 3);
  EXPECT_EQ(form->FontSize->Text(), "15");
  EXPECT_EQ(memo.SelAttributes().Size(), 15);
  form->FontSize->SetText("δεκα"_a);
  form->FontSizeChange(form);  // no number: nothing changes
  EXPECT_EQ(memo.SelAttributes().Size(), 15);
  const int arial = form->FontName->Items()->IndexOf("Arial");
  ASSERT_GE(arial, 0);
  form->FontName->SetItemIndex(arial);
  form->FontNameChange(form);
  EXPECT_EQ(memo.SelAttributes().Name(), "Arial");
  form->UnderlineButton->SetDown(true);
  form->UnderlineButtonClick(form);
  EXPECT_EQ(memo.SelAttributes().Style(), static_cast<TFontStyles>(fsUnderline));
  form->BulletsButton->SetDown(true);
  form->BulletsButtonClick(form);
  EXPECT_EQ(memo.Paragraph().Numbering(), nsBullet);
  // While the tool bar follows the selection, the buttons change nothing.
  form->Updating = true;
  form->BoldButton->SetDown(true);
  form->BoldButtonClick(form);
  form->Updating = false;
  EXPECT_EQ(memo.SelAttributes().Style(), static_cast<TFontStyles>(fsUnderline));
}

// The font command's dialog opens on the font where the caret stands, also
// with nothing selected; what is chosen then goes to the text typed next.
TEST_F(PrevuntWindowTest, TheFontDialogStartsWithTheFontAtTheCaret) {
  TRichEdit& memo = *form->Prevmemo;
  memo.SetSelStart(0);
  memo.SetSelLength(6);
  memo.SelAttributes().SetSize(20);
  memo.SelAttributes().SetStyle(fsBold);
  memo.SetSelStart(3);
  memo.SetSelLength(0);
  ASSERT_EQ(memo.SelAttributes().Size(), 20);
  int startSize = 0;
  TFontStyles startStyle{};
  backend->ExpectModal("", [&](TCustomForm& dialog) {
    startSize = form->FontDialog1->Font.Size();
    startStyle = form->FontDialog1->Font.Style;
    dialog.SetModalResult(mrCancel);
  });
  form->EditFontItem->Click();
  EXPECT_EQ(startSize, 20);
  EXPECT_EQ(startStyle, static_cast<TFontStyles>(fsBold));
}

}  // namespace

namespace {

// A dropped name is taken whole, however deep its folder; a dropped pipe
// (made here) is refused with the file's name and the cause, and the text
// stays.
TEST_F(PrevuntWindowTest, ADropTakesTheWholeNameAndRefusesAPipe) {
  std::string deep = store.path();
  for (int level = 0; level < 6; ++level) {
    deep += "/" + std::string(200, static_cast<char>('a' + level));
    ASSERT_TRUE(std::filesystem::create_directory(deep));
  }
  const AnsiString dropped = cp1253::FromUtf8(deep) + "/ρίχτηκε.txt"_a;
  ASSERT_GT(dropped.size(), 1200u);
  SafeWriteFile(dropped, "ΒΑΘΙΑ"_a);
  backend->DropFiles(*form->Prevmemo, 20, 20, {dropped});
  EXPECT_EQ(form->Prevmemo->Text(), "ΒΑΘΙΑ"_a);
  EXPECT_EQ(form->FileName, dropped);

  ASSERT_EQ(::mkfifo((store.path() + "/pipe.rtf").c_str(), 0600), 0);
  backend->ExpectMessageBox(FileReadErrorText(File("pipe.rtf"), FileNotRegular), IDOK);
  backend->DropFiles(*form->Prevmemo, 20, 20, {File("pipe.rtf")});
  EXPECT_EQ(form->Prevmemo->Text(), "ΒΑΘΙΑ"_a);
  EXPECT_EQ(form->FileName, dropped);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

// A file of line breaks costs the editor over a hundred times its size:
// one past the editor's bound, dropped on it, is refused by name before
// a byte of it is read, and the text stays. Made in the test's folder and
// tried in a child process held to a quarter of a gigabyte more than it
// has, which an editor that took the file would pass.
TEST_F(PrevuntWindowTest, AFileLargerThanTheEditorHoldsIsRefusedByNameAndTheTextStays) {
  const AnsiString big = File("breaks.txt");
  std::ofstream(cp1253::ToUtf8(big), std::ios::binary)
      << std::string(static_cast<size_t>(MaxRichEditFileSize) + 1, '\n');
  const AnsiString before = form->Prevmemo->Text(), name = form->FileName;
  const int status = InBoundedChild(256LL << 20, [&] {
    backend->ExpectMessageBox(FileReadErrorText(big, FileTooLarge, MaxRichEditFileSize), IDOK);
    backend->DropFiles(*form->Prevmemo, 20, 20, {big});
    return form->Prevmemo->Text() == before && form->FileName == name && backend->PendingAnswers() == 0 &&
           backend->UnexpectedDialogs.empty();
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
