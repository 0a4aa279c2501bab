// The calculation preview as an editor: files, asking to save, the status
// bar and ruler following the selection, the clipboard, dropped files,
// search, the refusals during a page preview and printing a range.
#include <gtest/gtest.h>

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
#include "tests/platform/rtl/TempFolder.h"
#include "tests/printing/PrintScene.h"

namespace {

class PrevuntWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
    scene.emplace();
    backend = &scene->backend;
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
  TempFolder store;
  std::optional<PrintScene> scene;
  THeadlessBackend* backend = nullptr;
  TForm* owner = nullptr;
  TRichEdit* report = nullptr;
  Tprevform* form = nullptr;
};

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
  form->FileName = File("ask.txt");
  memo.SetFocus();
  memo.SetSelStart(0);
  backend->Type("Χ"_a);
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
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    dynamic_cast<TRadioButton*>(f.FindComponent("PageNums"))->SetChecked(true);
    dynamic_cast<TEdit*>(f.FindComponent("FromPage"))->SetText("2");
    dynamic_cast<TEdit*>(f.FindComponent("ToPage"))->SetText("3");
    backend->PressKey(VK_RETURN);
  });
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

}  // namespace
