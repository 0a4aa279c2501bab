#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/print/Printers.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "report/RpProgress.h"
#include "tests/TestOutput.h"
#include "tests/report/ChooseLine.h"
#include "tests/report/RpPrevFixture.h"

namespace {

enum Kind { Button, Check, Separator, Box };

struct ToolControl {
  const char* name;  // empty for a separator
  Kind kind;
  const char* hint;     // UTF-8
  const char* caption;  // UTF-8; the check boxes' and the exit button's
  bool visible, enabled;
};

// The tool bar from left to right as a window of pages not yet made shows
// it: what each control says and which can be used before the run ends.
const ToolControl kToolBar[] = {
    {"ZoomFit", Check, "Zoom to fit", "", true, true},
    {"ZoomToWidth", Check, "Zoom to width", "", true, true},
    {"Zoom100", Check, "100% Size", "", true, true},
    {"ZoomIn", Button, "Μεγέθυνση", "", true, true},
    {"ZoomOut", Button, "Σμίκρυνση", "", true, true},
    {"", Separator, "", "", true, true},
    {"ThumbChk", Box, "", "Εμφάνιση Ευρετηρίου", true, true},
    {"FirstPage", Button, "Πρώτη σελίδα", "", true, true},
    {"PreviousPage", Button, "Προηγούμενη σελίδα", "", true, true},
    {"nextPage", Button, "Επόμενη σελίδα", "", true, true},
    {"LastPage", Button, "Τελευταία σελίδα", "", true, true},
    {"", Separator, "", "", true, true},
    {"GotoPageButton", Button, "Select a Page", "", true, false},
    {"FindButton", Button, "Search for Text", "", true, false},
    {"", Separator, "", "", true, true},
    {"copybutton", Button, "Copy page to clipboard", "", true, true},
    {"PrintSetup", Button, "Printer setup", "", false, true},
    {"Print", Button, "Εκτύπωση", "", true, true},
    {"chkMetafile", Box, "Εκτύπωση με βάση το αρχείο προεπισκόπισης|", "Χρήση προεπισκόπισης  .", true, true},
    {"LoadReport", Button, "Φόρτωμα εκτύπωσης", "", true, true},
    {"SaveReport", Button, "Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης", "", true, true},
    {"", Separator, "", "", true, true},
    {"CancelButton", Button, "Cancel the report", "", true, false},
    {"ExitButton", Button, "Κλείσιμο", "Κλείσιμο", true, true},
};

TEST_F(RpPrevTest, TheToolBarStatusLineAndTabsSayWhatTheyDo) {
  TRpPrinter printer;  // no report, no pages yet
  auto* w = NewForm<TRpStandardPreview>(Application, &printer);
  ASSERT_EQ(w->ToolBar1->ControlCount(), static_cast<int>(std::size(kToolBar)));
  TControl* before = nullptr;
  for (int i = 0; i < w->ToolBar1->ControlCount(); ++i) {
    const ToolControl& want = kToolBar[i];
    TControl* c = w->ToolBar1->Controls(i);
    SCOPED_TRACE(want.kind == Separator ? std::string("separator ") + std::to_string(i) : want.name);
    EXPECT_EQ(c->Name(), want.name);
    EXPECT_EQ(c->Hint(), cp1253::FromUtf8(want.hint));
    EXPECT_EQ(c->Visible(), want.visible);
    EXPECT_EQ(c->Enabled(), want.enabled);
    if (auto* b = dynamic_cast<TToolButton*>(c)) {
      ASSERT_NE(want.kind, Box);
      EXPECT_EQ(b->Style(), want.kind == Separator ? tbsSeparator
                            : want.kind == Check   ? tbsCheck
                                                   : tbsButton);
      EXPECT_EQ(b->Grouped, want.kind == Check);
      if (want.kind != Separator) {
        EXPECT_EQ(b->Caption(), cp1253::FromUtf8(want.caption));
      }
    } else {
      auto* box = dynamic_cast<TCheckBox*>(c);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(want.kind, Box);
      EXPECT_EQ(box->Caption(), cp1253::FromUtf8(want.caption));
    }
    // Laid out left to right within the bar, none over another.
    if (c->Visible()) {
      if (before != nullptr) {
        EXPECT_GE(c->Left(), before->Left() + before->Width()) << before->Name();
      }
      EXPECT_LE(c->Left() + c->Width(), w->ToolBar1->Width());
      before = c;
    }
  }
  // The metafile switch starts as the program's switch is, on.
  EXPECT_TRUE(w->chkMetafile->Checked());
  // Pages of no report: the whole screen, thumbnails and search shown,
  // the page fitted.
  EXPECT_EQ(w->WindowState, wsMaximized);
  EXPECT_TRUE(w->ZoomFit->Down());
  EXPECT_TRUE(w->ThumbChk->Checked());
  EXPECT_EQ(w->Caption(), "Προεπισκόπιση εκτύπωσης : "_a);

  // The status line: progress, page, file.
  ASSERT_EQ(w->StatusBar->Panels.size(), 3u);
  EXPECT_EQ(w->StatusBar->Panels[0].Width, 40);
  EXPECT_EQ(w->StatusBar->Panels[0].Alignment, taRightJustify);
  EXPECT_EQ(w->StatusBar->Panels[0].Text, "0%");
  EXPECT_EQ(w->StatusBar->Panels[1].Width, 120);
  EXPECT_EQ(w->StatusBar->Panels[2].Width, 50);

  // The tabs at the left and what they hold.
  EXPECT_EQ(w->Tabs->Width(), 157);
  EXPECT_EQ(w->TabThumbs->Caption(), "ThumbNails");
  EXPECT_EQ(w->TabSearchResult->Caption(), "Search Results");
  EXPECT_EQ(w->GroupBox1->Caption(), "Αναζήτηση Κειμένου"_a);
  EXPECT_FALSE(w->SearchResultBox->Enabled());
  EXPECT_EQ(w->ThumbGrid->ColCount(), 1);
  EXPECT_EQ(w->ThumbGrid->FixedCols(), 0);
  EXPECT_EQ(w->ThumbGrid->FixedRows(), 0);
  EXPECT_EQ(w->ThumbGrid->RowCount(), 1);
  EXPECT_EQ(w->RpPreview->HorzScrollBar().Increment, 52);
  EXPECT_EQ(w->RpPreview->VertScrollBar().Increment, 43);
  w->Release();
  Application->ProcessMessages();
}

// The percentage shows in the status line by steps of at least five; a run
// that starts or ends leaves the panel empty.
TEST_F(RpPrevTest, TheProgressPanelShowsStepsOfFivePercent) {
  TRpPrinter printer;
  auto& w = *NewForm<TRpStandardPreview>(Application, &printer);
  const struct {
    int progress;
    const char* shown;
  } steps[] = {{3, "0%"},   {5, "5%"},   {8, "5%"},   {10, "10%"},
               {42, "42%"}, {45, "42%"}, {47, "47%"}, {100, ""}};
  for (const auto& s : steps) {
    w.RpPreview->OnProgressUpdate(w.RpPreview, s.progress);
    EXPECT_EQ(w.StatusBar->Panels[0].Text, s.shown) << s.progress;
  }
  EXPECT_EQ(w.LastProgress(), 100);
  w.Release();
  Application->ProcessMessages();
}

// The search dialog as the user meets it: typed text, Enter to search, Esc
// to give up; with the case box ticked only the same letters match.
TEST_F(RpPrevTest, TheSearchDialogTakesTypedTextEnterEscAndTheCaseBox) {
  during = [&](int line) {
    // Pages 1, 2 and 3 each hold one spelling of the word.
    if (line == 10) detail->SetCaption("TOTAL");
    if (line == 60) detail->SetCaption("Total");
    if (line == 120) detail->SetCaption("total");
  };
  rep->PrevShowSearch = true;
  TRpStandardPreview& w = Preview(160);
  w.Show();
  Application->ProcessMessages();
  ASSERT_TRUE(w.FindButton->Enabled());
  auto search = [&](const char* text, bool matchCase, Word key) {
    backend->ExpectModal("Ανεύρεση κειμένου"_a, [&, text, matchCase, key](TCustomForm& f) {
      EXPECT_EQ(f.Width(), 305);
      EXPECT_EQ(f.Height(), 118);
      EXPECT_EQ(Found<TLabel>(f, "Label1").Caption(), "Αναζήτηση Κειμένου"_a);
      EXPECT_EQ(Found<TSpeedButton>(f, "SpeedButton1").Caption(), "Cancel");
      EXPECT_EQ(Found<TSpeedButton>(f, "SpeedButton2").Caption(), "Ανεύρεση"_a);
      auto& box = Found<TCheckBox>(f, "CheckBox1");
      EXPECT_EQ(box.Caption(), "Ταίριασμα πεζών/κεφαλαίων χαρακτήρων"_a);
      if (box.Checked() != matchCase) backend->Click(box, 3, 3);
      auto& edit = Found<TEdit>(f, "Edit1");
      edit.SetFocus();
      edit.SelectAll();
      backend->Type(cp1253::FromUtf8(text));
      backend->PressKey(key);
    });
    w.FindButton->Click();
    EXPECT_EQ(backend->PendingAnswers(), 0);
    std::vector<std::string> lines;
    for (int i = 0; i < w.SearchResultBox->Items()->Count(); ++i)
      lines.push_back(cp1253::ToUtf8(w.SearchResultBox->Items()->Get(i)));
    return lines;
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(search("total", false, VK_RETURN), (Lines{"Σελίδα 1", "Σελίδα 2", "Σελίδα 3"}));
  EXPECT_EQ(w.SearchTextLabel->Caption(), "total");
  EXPECT_EQ(w.Tabs->ActivePage(), w.TabSearchResult);
  EXPECT_EQ(search("total", true, VK_RETURN), (Lines{"Σελίδα 3"}));
  EXPECT_EQ(search("Total", true, VK_RETURN), (Lines{"Σελίδα 2"}));
  EXPECT_EQ(search("σύνολο", false, VK_RETURN), (Lines{"Δεν βρέθηκε το κείμενο"}));
  EXPECT_FALSE(w.SearchResultBox->Enabled());
  // Esc leaves the last result as it was.
  EXPECT_EQ(search("total", false, VK_ESCAPE), (Lines{"Δεν βρέθηκε το κείμενο"}));
  // A click on a result line shows its page.
  search("TOTAL", false, VK_RETURN);
  backend->Click(*w.SearchResultBox, 5, w.SearchResultBox->ItemHeight() + 2);
  EXPECT_EQ(w.RpPreview->PageNumber(), 2);
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 2 από 3"_a);
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

// The progress window reads whole at its fullest: the line of text, the
// gauge and the button each within the window and none over another.
TEST_F(RpPrevTest, TheProgressWindowReadsWholeAtItsFullest) {
  TRpPrinter printer;
  TRpProgressForm form(nullptr);
  form.RpPrinter = &printer;
  form.Show();
  printer.Client = form.Handle();
  printer.SetProgress(100);
  Application->ProcessMessages();
  EXPECT_EQ(form.Width(), 149);
  EXPECT_EQ(form.Height(), 97);
  EXPECT_EQ(form.Info->Caption(), "100%  Ολοκληρώθηκε"_a);
  EXPECT_EQ(form.Gauge->Position(), 100);
  backend->SaveWindowPng(form, TestOutput("progress-window.png"));
  TBitmap measure(1, 1);
  measure.Canvas()->Font->Assign(form.Info->Font());
  EXPECT_LE(measure.Canvas()->TextWidth(form.Info->Caption()), form.Info->Width());
  const TControl* parts[] = {form.Info, form.Gauge, form.CancelButton};
  for (const TControl* a : parts) {
    EXPECT_GE(a->Left(), 0) << a->Name();
    EXPECT_LE(a->Left() + a->Width(), form.ClientWidth()) << a->Name();
    EXPECT_LE(a->Top() + a->Height(), form.ClientHeight()) << a->Name();
    for (const TControl* b : parts) {
      if (a == b) continue;
      EXPECT_TRUE(IntersectRect(a->BoundsRect(), b->BoundsRect()).IsEmpty()) << a->Name() << b->Name();
    }
  }
}

// Down near the end of the last page shows the rest of it, where there is
// no next page to turn to; on any other page it turns the page.
TEST_F(RpPrevTest, DownAtTheEndOfTheLastPageShowsItsEnd) {
  TRpStandardPreview& w = Preview(120);
  w.RpPreview->SetZoom(200);
  TControlScrollBar& bar = w.RpPreview->VertScrollBar();
  const int count = w.RpPrinter()->PageCount();
  for (int page : {count - 1, count}) {
    w.GoToPage(page);
    const int end = w.RpPreview->VerticalEnd();
    ASSERT_GT(end, 43);
    bar.SetPosition(end - 20);
    Word key = VK_DOWN;
    w.PreviewKeyDown(key, {});
    if (page < count) {
      EXPECT_EQ(w.RpPreview->PageNumber(), page + 1);
      EXPECT_EQ(bar.Position(), 0);
    } else {
      EXPECT_EQ(w.RpPreview->PageNumber(), count);
      EXPECT_EQ(bar.Position(), end);
    }
  }
}

// The report hears each command of the window with its number and name
// before it runs, and a handler that takes it over replaces it: no dialog
// of the command's own, no job, no file, no stop.
TEST_F(RpPrevTest, TheReportsHandlerHearsAndReplacesEachCommand) {
  std::vector<std::pair<int, std::string>> events;
  bool handle = true;
  rep->OnStandPrevEvent = [&](TObject* sender, int type, const AnsiString& name, bool& handled) {
    EXPECT_NE(dynamic_cast<TRpStandardPreview*>(sender), nullptr);
    events.push_back({type, name});
    handled = handle;
  };
  TRpStandardPreview& w = Preview(120);
  EXPECT_EQ(events, (std::vector<std::pair<int, std::string>>{{0, ""}}));
  Clipboard()->Clear();
  printers::ClearJobLog();
  const struct {
    TToolButton* TRpStandardPreview::*button;
    int type;
    const char* name;
  } commands[] = {{&TRpStandardPreview::copybutton, 2, "Copy"},
                  {&TRpStandardPreview::Print, 3, "Print"},
                  {&TRpStandardPreview::LoadReport, 5, "Load"},
                  {&TRpStandardPreview::SaveReport, 6, "Save"},
                  {&TRpStandardPreview::CancelButton, 7, "Cancel"}};
  for (const auto& c : commands) {
    SCOPED_TRACE(c.name);
    events.clear();
    // Printing sets up first, as the window is built with no set-up button.
    if (c.type == 3) backend->ExpectModal("Εκτύπωση"_a, mrOk);
    (w.*c.button)->Click();
    EXPECT_EQ(events, (std::vector<std::pair<int, std::string>>{{c.type, c.name}}));
    EXPECT_EQ(backend->PendingAnswers(), 0);
  }
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_ENHMETAFILE), "");
  EXPECT_TRUE(printers::JobLog().empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_FALSE(rep->StopRequested);
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
  // Left to the window, the commands run.
  handle = false;
  w.CancelButton->Click();
  EXPECT_TRUE(rep->StopRequested);
  w.copybutton->Click();
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_ENHMETAFILE), w.RpPreview->Image()->PageMetafile()->Data());
  rep->StopRequested = false;
}

// The zoom buttons, the last-page button while pages still arrive, and the
// exit button.
TEST_F(RpPrevTest, ZoomButtonsTheLastPageWhileBusyAndExit) {
  int shownWhileBusy = 0, countWhileBusy = 0;
  during = [&](int record) {
    if (record != 200) return;
    TRpStandardPreview* w = Window();
    w->LastPage->Click();
    shownWhileBusy = w->RpPreview->PageNumber();
    countWhileBusy = w->RpPrinter()->PageCount();
  };
  TRpStandardPreview& w = Preview(300);
  // The page still being made is not offered as the last.
  EXPECT_EQ(shownWhileBusy, countWhileBusy - 1);
  w.Show();
  Application->ProcessMessages();
  const TRect view = w.RpPreview->ViewRect();
  backend->Click(*w.ZoomToWidth, 3, 3);
  EXPECT_TRUE(w.ZoomToWidth->Down());
  EXPECT_FALSE(w.ZoomFit->Down());
  EXPECT_LE(w.RpPreview->Image()->Width(), view.Width());
  EXPECT_GT(w.RpPreview->Image()->Width(), view.Width() * 8 / 10);
  backend->Click(*w.ZoomFit, 3, 3);
  EXPECT_TRUE(w.ZoomFit->Down());
  EXPECT_LE(w.RpPreview->Image()->Height(), w.RpPreview->ViewRect().Height());
  // Zooming out stops above 40 %.
  w.DoZoom100();
  for (int i = 0; i < 10; ++i) w.ZoomOut->Click();
  EXPECT_EQ(w.RpPreview->Zoom(), 40);
  backend->Click(*w.ExitButton, 3, 3);
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
}

// A laser printer with sources, both sides and colour beside the PDF
// printer; both write into Folder.
void UseTwoPrinters(const std::string& folder) {
  TPrinterProfile laser = printers::PdfPrinterProfile();
  laser.Name = "Laser";
  laser.OutputFolder = folder;
  laser.DpiX = laser.DpiY = 1200;
  laser.Bins = {{7, "Αυτόματα"_a}, {1, "Επάνω"_a}, {4, "Χειροκίνητα"_a}};
  laser.Defaults.dmPaperSize = DMPAPER_A4;
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = folder;
  printers::UseProfiles({pdf, laser}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  Printer()->ResetDeviceMode();
}

// Another printer chosen in the window's set-up keeps the copies and the
// collation typed before or after it, and takes the paper, source,
// quality, sides and colour chosen for it, whether the pages shown print
// or the report runs again.
TEST_F(RpPrevTest, AnotherPrinterChosenInTheSetUpKeepsEveryChoice) {
  UseTwoPrinters(folder.path());
  TRpStandardPreview& w = Preview(120);
  w.Show();
  Application->ProcessMessages();
  const struct {
    bool printerFirst, pagesShown;
  } cases[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.printerFirst) + " " + std::to_string(c.pagesShown));
    rep->PrinterSettings = TBandRepPrinterSettings{};
    RpPreviewPrintsPages = true;
    w.chkMetafile->SetChecked(c.pagesShown);
    UseTwoPrinters(folder.path());
    printers::ClearJobLog();
    fed = 0;
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      auto copies = [&] {
        Found<TEdit>(f, "Copies").SetText("3");
        backend->Click(Found<TCheckBox>(f, "Collate"), 3, 3);
      };
      if (!c.printerFirst) copies();
      Choose(Found<TComboBox>(f, "PrinterList"), "Laser");
      if (c.printerFirst) copies();
      Choose(Found<TComboBox>(f, "PaperList"), "A5 (148 x 210 mm)");
      Choose(Found<TComboBox>(f, "BinList"), "Χειροκίνητα"_a);
      Choose(Found<TComboBox>(f, "QualityList"), "600 dpi");
      Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μικρή πλευρά"_a);
      Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
    w.Print->Click();
    EXPECT_EQ(backend->PendingAnswers(), 0);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    const TPrintJobRecord& job = printers::JobLog()[0];
    EXPECT_EQ(job.Printer, "Laser");
    EXPECT_EQ(job.Mode.dmCopies, 3);
    EXPECT_EQ(job.Mode.dmCollate, 1);
    EXPECT_EQ(job.Mode.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(job.Mode.dmDefaultSource, 4);
    EXPECT_EQ(job.Mode.dmPrintQuality, 600);
    EXPECT_EQ(job.Mode.dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(job.Mode.dmColor, DMCOLOR_MONOCHROME);
    EXPECT_EQ(fed, c.pagesShown ? 0 : 120);  // the report ran again only with the switch off
  }
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

// A page file past the bound, or damaged, is refused by the load command
// with a message naming it, at once, and the pages shown stay. The large
// ones are sparse: they cost the disk nothing.
TEST_F(RpPrevTest, APageFileTooLargeOrDamagedIsRefusedByName) {
  TRpStandardPreview& w = Preview(60);
  w.Show();
  Application->ProcessMessages();
  ASSERT_EQ(w.RpPrinter()->PageCount(), 2);
  struct Case {
    const char* name;
    Int64 size;
    Int64 signatureAt;  // where "EMF" and a zero stand, -1 for nowhere
    bool tooLarge;
  };
  const Case cases[] = {
      {"past_2_gib.RPP", Int64{3} << 30, Int64{5} << 29, true},
      {"sparse_20_gb.RPP", Int64{20} << 30, -1, true},
      {"zeros.RPP", 300, -1, false},
      // A signature where no header of the program's puts it: no pages.
      {"signature_at_the_bound.RPP", MaxPageFileSize, Int64{1} << 29, false},
      {"signature_only.RPP", 300, 200, false},
  };
  for (const Case& c : cases) {
    const AnsiString name = folder / c.name;
    const std::string disk = cp1253::ToUtf8(name);
    {
      std::ofstream file(disk, std::ios::binary);
      if (c.signatureAt >= 0) {
        file.seekp(c.signatureAt);
        file.write("EMF", 4);
      }
    }
    ASSERT_EQ(::truncate(disk.c_str(), c.size), 0) << c.name;
    const AnsiString want =
        c.tooLarge ? FileReadErrorText(name, FileTooLarge, MaxPageFileSize) : RpDamagedFileText(name);
    backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
      Found<TEdit>(f, "FileNameEdit").SetText(name);
      Found<TEdit>(f, "FileNameEdit").SetFocus();
      backend->PressKey(VK_RETURN);
    });
    backend->ExpectMessageBox(want, IDOK);
    const size_t shown = backend->MessageBoxes.size();
    w.LoadReport->Click();
    EXPECT_EQ(backend->PendingAnswers(), 0) << c.name;
    ASSERT_EQ(backend->MessageBoxes.size(), shown + 1) << c.name;
    EXPECT_EQ(backend->MessageBoxes.back().Text, want) << c.name;
    EXPECT_FALSE(w.RpPrinter()->LoadedFromFile()) << c.name;
    EXPECT_EQ(w.RpPrinter()->PageCount(), 2) << c.name;
    std::filesystem::remove(disk);
  }
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

// A page of a loaded file found damaged while the user turns to it shows
// blank, and the user is told once, by the file's name.
TEST_F(RpPrevTest, ADamagedPageIsToldByTheFilesName) {
  TRpStandardPreview& w = Preview(60);
  w.Show();
  Application->ProcessMessages();
  ASSERT_EQ(w.RpPrinter()->PageCount(), 2);
  const AnsiString name = folder / "damaged.RPP";
  w.RpPrinter()->Save(name);
  std::string bytes = ReadWholeFile(name);
  // The second page's metafile signature: its record follows the first.
  const std::uint32_t second = le::Get32(bytes, 128 + 4);
  bytes[second + 8 + 40] = '_';
  SafeWriteFile(name, bytes);
  backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "FileNameEdit").SetText(name);
    Found<TEdit>(f, "FileNameEdit").SetFocus();
    backend->PressKey(VK_RETURN);
  });
  const size_t before = backend->MessageBoxes.size();
  w.LoadReport->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(w.RpPrinter()->LoadedFromFile());
  EXPECT_EQ(backend->MessageBoxes.size(), before);  // the first page is sound
  backend->ExpectMessageBox(RpDamagedFileText(name), IDOK);
  w.nextPage->Click();
  Application->ProcessMessages();
  EXPECT_EQ(w.RpPreview->PageNumber(), 2);
  EXPECT_EQ(backend->PendingAnswers(), 0);
  ASSERT_EQ(backend->MessageBoxes.size(), before + 1);
  EXPECT_EQ(backend->MessageBoxes.back().Text, RpDamagedFileText(name));
  // Turning back and forth again says nothing more.
  w.FirstPage->Click();
  w.nextPage->Click();
  Application->ProcessMessages();
  EXPECT_EQ(backend->MessageBoxes.size(), before + 1);
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

}  // namespace
