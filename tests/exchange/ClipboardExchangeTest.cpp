// The clipboard between this program and others on a display of the
// test's own: xclip stands for the other programs, a second copy of the
// program for another running instance, and a fake owner for programs
// that answer badly.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "FakeOwner.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/Bitmap.h"
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Input.h"
#include "platform/ui/SystemClipboard.h"
#include "printing/Prevunt.h"
#include "report/RpCtrls.h"
#include "report/RpPrev.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"

extern char** environ;

namespace {

AnsiString Greek(const char* utf8) { return cp1253::FromUtf8(utf8); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ClipboardExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenForTest(display);
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(Installed("xclip", "xclip"));
    ASSERT_NE(screen->SystemClipboard(), nullptr);
    ui::ResetClipboard();
  }
  void TearDown() override {
    form.reset();
    ui::ResetClipboard();
    SetBackend(nullptr);
    display.reset();
  }
  TExtStringGrid& Grid(int cols = 6, int rows = 6) {
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 460, 300);
    auto* grid = new TExtStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(10, 10, 420, 240);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing, goRangeSelect});
    form->Show();
    Application->ProcessMessages();
    return *grid;
  }
  // What xclip reads from the clipboard as Target, through a file.
  std::string XclipOut(const std::string& target) {
    const std::string file = TestOutput("xclip-out.bin");
    std::system(("xclip -selection clipboard -o -t '" + target + "' > '" + file + "' 2>/dev/null").c_str());
    return ReadFile(file);
  }
  // xclip takes the clipboard with Bytes; it holds it from a process of its
  // own once the call returns, so we wait until the display says so.
  void XclipIn(const std::string& bytes, const std::string& target = "UTF8_STRING") {
    // Ours first, so that the wait below sees xclip's own take.
    Clipboard()->Clear();
    const std::string file = TestOutput("xclip-in.bin");
    std::ofstream(file, std::ios::binary) << bytes;
    std::system(("xclip -selection clipboard -i -t '" + target + "' '" + file + "' >/dev/null 2>&1").c_str());
    bool owned = true;
    ui::TClipboardTargets targets;
    for (int i = 0; i < 1000; ++i) {
      targets = screen->SystemClipboard()->Targets();
      owned = screen->SystemClipboard()->Owned();
      if (!owned && !targets.Names.empty()) return;
      usleep(10000);
    }
    ADD_FAILURE() << "xclip did not take the clipboard: ours " << owned << ", " << targets.Names.size()
                  << " names, " << targets.Error;
  }
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = nullptr;
  std::unique_ptr<TForm> form;
};

TEST_F(ClipboardExchangeTest, CopiedCellsGoOutAsTextAndStayWhenTheWindowCloses) {
  TExtStringGrid& g = Grid();
  g.Navigation().AllowFmtClipboard = true;
  g.SetCellText(1, 1, Greek("Αλφα ΑΤΕ"));
  g.SetCellText(2, 1, "1.000,00");
  g.SetCellText(1, 2, Greek("Βήτα"));
  g.SetSelection(TGridRect{1, 1, 2, 2});
  g.CopySelection();
  const std::string targets = XclipOut("TARGETS");
  for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8", "STRING",
                           "application/x-dimoprasia-clipboard;format=TExtStringGrid Cells"})
    EXPECT_NE(targets.find(name), std::string::npos) << name << " in " << targets;
  EXPECT_EQ(XclipOut("UTF8_STRING"), "Αλφα ΑΤΕ\t1.000,00\nΒήτα\t\n");
  // Latin-1 readers get what Latin-1 has.
  EXPECT_EQ(XclipOut("STRING"), "???? ???\t1.000,00\n????\t\n");
  form.reset();
  Application->ProcessMessages();
  EXPECT_EQ(XclipOut("UTF8_STRING"), "Αλφα ΑΤΕ\t1.000,00\nΒήτα\t\n");
  EXPECT_TRUE(screen->SystemClipboard()->Owned());
}

TEST_F(ClipboardExchangeTest, ARichTextCellReadsBackAsRtfWithTheSameGreek) {
  ASSERT_TRUE(Installed("unrtf", "unrtf"));
  TExtStringGrid& g = Grid();
  g.Navigation().AllowRTFClipboard = true;
  const AnsiString rtf =
      "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fcharset161 Arial;}}\\f0 "
      "\\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc 12,50\\par}";
  g.SetCellText(1, 1, rtf);
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  const std::string targets = XclipOut("TARGETS");
  EXPECT_NE(targets.find("application/rtf"), std::string::npos) << targets;
  const std::string out = XclipOut("text/rtf");
  EXPECT_EQ(out, rtf);  // whole, without the block's closing NUL
  const std::string file = TestOutput("cell.rtf");
  std::ofstream(file, std::ios::binary) << out;
  const std::string html = RunCommand("unrtf --html '" + file + "' 2>/dev/null");
  EXPECT_NE(html.find("&Pi;&rho;&omicron;&sigma;&phi;&omicron;&rho;&#940; 12,50"), std::string::npos) << html;
  EXPECT_EQ(XclipOut("UTF8_STRING"), "Προσφορά 12,50");
}

TEST_F(ClipboardExchangeTest, TextFromAnotherProgramPastesWithItsTabsAndLines) {
  TExtStringGrid& g = Grid();
  g.Navigation().AllowFmtClipboard = true;
  g.Navigation().AllowRTFClipboard = true;
  XclipIn("Τιμή\t12,5\nΈκπτωση\t3\n");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard()->HasFormat(GridCellsClipboardFormat()));
  EXPECT_EQ(Clipboard()->FormatCount(), 1);
  EXPECT_EQ(Clipboard()->AsText(), Greek("Τιμή\t12,5\r\nΈκπτωση\t3\r\n"));
  g.PasteAt(1, 1);
  EXPECT_EQ(g.GetCellText(1, 1), Greek("Τιμή"));
  EXPECT_EQ(g.GetCellText(2, 1), "12,5");
  EXPECT_EQ(g.GetCellText(1, 2), Greek("Έκπτωση"));
  EXPECT_EQ(g.GetCellText(2, 2), "3");
  EXPECT_EQ(g.GetCellText(1, 3), "");
  // Text offered under the old Latin-1 name alone comes in too.
  XclipIn("caf\xe9", "STRING");
  EXPECT_EQ(Clipboard()->AsText(), "caf?");
}

TEST_F(ClipboardExchangeTest, BigTextGoesOutAndComesInPieceByPiece) {
  std::string big;
  for (int i = 0; big.size() < (3u << 20); ++i) big += "γραμμή " + std::to_string(i) + "\tτιμή\n";
  // Out: more than one property holds, so xclip takes it in pieces.
  Clipboard()->SetAsText(ui::ClipboardTextFromSystem(big));
  const std::string out = XclipOut("UTF8_STRING");
  EXPECT_EQ(out.size(), big.size());
  EXPECT_TRUE(out == big);
  // In: xclip hands it over in pieces too.
  XclipIn(big);
  const AnsiString in = Clipboard()->AsText();
  const AnsiString expected = ui::ClipboardTextFromSystem(big);
  EXPECT_EQ(in.size(), expected.size());
  EXPECT_TRUE(in == expected);
}

TEST_F(ClipboardExchangeTest, APreviewPageCopiedReadsBackAsAPictureOfThePage) {
  form.reset(NewForm<TForm>(nullptr));
  printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
  Printer()->Refresh();
  auto* rep = new TBandRep(form.get());
  rep->SetParent(form.get());
  rep->SetUnits(TRpUnit::Native);
  rep->Page()->SetPaperSize(TRpPaperSize::A4);
  rep->Bands()->Set(TBandRepBands::iDetail, true);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, 80);
  auto* label = new TRpLabel(form.get());
  label->SetParent(band);
  label->Size()->Units = TRpUnit::Native;
  label->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
  label->Size()->SetValue(TRpPrintableSize::iHeight, 80);
  label->AutoSize = false;
  label->SetCaption(Greek("ΣΥΝΟΛΟ ΠΡΟΣΦΟΡΩΝ ΣΥΝΟΛΟ ΠΡΟΣΦΟΡΩΝ"));
  int fed = 0;
  rep->OnNeedData() = [&](TObject*, bool& more) { more = fed++ < 30; };
  // The preview runs until its window closes: the page is copied and the
  // window closed as soon as the report is in; the picture outlives it.
  int width = 0, height = 0;
  rep->AfterPreview = [&](TObject*) {
    if (width > 0) return;
    TRpStandardPreview* preview = nullptr;
    for (int i = Screen->FormCount() - 1; i >= 0 && !preview; --i)
      preview = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i));
    ASSERT_NE(preview, nullptr);
    TMetafile* page = preview->RpPreview->Image()->PageMetafile();
    ASSERT_NE(page, nullptr);
    preview->copybutton->Click();
    width = page->Width();
    height = page->Height();
    preview->Close();
  };
  rep->Preview();
  ASSERT_GT(width, 100);
  const std::string targets = XclipOut("TARGETS");
  EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
  EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
  const std::string png = XclipOut("image/png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  const auto be32 = [&](size_t at) {
    return static_cast<int>(
        static_cast<unsigned char>(png[at]) << 24 | static_cast<unsigned char>(png[at + 1]) << 16 |
        static_cast<unsigned char>(png[at + 2]) << 8 | static_cast<unsigned char>(png[at + 3]));
  };
  EXPECT_EQ(be32(16), width);
  EXPECT_EQ(be32(20), height);
  EXPECT_EQ(png, Clipboard()->GetAsHandle(RegisterClipboardFormat("PNG")));
  // The bitmap shows the page: white paper with the lines' dark text.
  TBitmap bitmap;
  bitmap.LoadFromBytes(XclipOut("image/bmp"));
  ASSERT_EQ(bitmap.Width(), width);
  ASSERT_EQ(bitmap.Height(), height);
  const TPixelBlock pixels = bitmap.Pixels();
  size_t dark = 0, white = 0;
  for (std::uint32_t p : pixels.Pixels) {
    const int sum = static_cast<int>((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF));
    dark += sum < 200;
    white += sum > 720;
  }
  EXPECT_GT(dark, 2000u);
  EXPECT_GT(white, pixels.Pixels.size() * 8 / 10);
  printers::UseSystem();
  Printer()->Refresh();
  // The preview outlives the report run: hidden here, so that the next
  // test of the process finds no window of this one over its screen.
  for (int i = Screen->FormCount() - 1; i >= 0; --i)
    if (auto* preview = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i))) preview->Hide();
  Application->ProcessMessages();
}

// Runs the second copy of the program in Mode; its standard input stays
// open until Finish, its output is read line by line.
class Peer {
 public:
  explicit Peer(const char* mode, const std::string& argument = "") {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string arg = argument;
    char* argv[] = {const_cast<char*>(DIM_EXCHANGE_PEER), const_cast<char*>(mode),
                    argument.empty() ? nullptr : arg.data(), nullptr};
    if (posix_spawn(&pid_, DIM_EXCHANGE_PEER, &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = fdopen(out[0], "r");
  }
  ~Peer() { Finish(); }
  // The next line it printed; "" at its end.
  std::string Line() {
    char buffer[4096];
    if (!output_ || !std::fgets(buffer, sizeof buffer, output_)) return {};
    std::string line = buffer;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }
  int Finish() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (output_) std::fclose(output_);
    output_ = nullptr;
    int status = -1;
    if (pid_ > 0) waitpid(pid_, &status, 0);
    pid_ = 0;
    return status;
  }

 private:
  pid_t pid_ = 0;
  int input_ = -1;
  FILE* output_ = nullptr;
};

TEST_F(ClipboardExchangeTest, CellsKeepTheirPropertiesBetweenTwoRunningCopies) {
  {
    // The other copy copies and closes its window; ours pastes.
    Peer peer("copy");
    ASSERT_EQ(peer.Line(), "ready");
    TExtStringGrid& g = Grid();
    g.Navigation().AllowFmtClipboard = true;
    ASSERT_TRUE(Clipboard()->HasFormat(GridCellsClipboardFormat()));
    g.PasteAt(2, 2);
    EXPECT_EQ(g.GetCellText(2, 2), Greek("Προσφορά"));
    EXPECT_EQ(g.GetCellText(3, 3), "12,50");
    ASSERT_NE(g.FindCellProperties(2, 2), nullptr);
    EXPECT_EQ(g.FindCellProperties(2, 2)->FontSize, 14);
    ASSERT_NE(g.FindCellProperties(3, 3), nullptr);
    EXPECT_EQ(g.FindCellProperties(3, 3)->FontSize, 9);
    EXPECT_EQ(peer.Finish(), 0);
  }
  // Ours copies; the other copy pastes.
  TExtStringGrid& g = Grid();
  g.Navigation().AllowFmtClipboard = true;
  g.SetCellText(1, 1, Greek("Έκπτωση"));
  g.GetCellProperties(1, 1)->FontSize = 11;
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  Peer peer("paste");
  EXPECT_EQ(peer.Line(), "0 0 Έκπτωση 11");
  EXPECT_EQ(peer.Line(), "");
  EXPECT_EQ(peer.Finish(), 0);
}

TEST_F(ClipboardExchangeTest, CellsFromAnotherRunningCopyAreNeverTakenForItsOwn) {
  // Each copy numbers its grids from one: the other copy's grid that
  // pastes has the same number as this one.
  TExtStringGrid& g = Grid();
  g.Navigation().AllowFmtClipboard = true;
  g.SetCellText(2, 2, "x");
  g.SetSelection(TGridRect{2, 2, 2, 2});
  g.CopySelection();
  Peer peer("origin", std::to_string(g.GridID()));
  EXPECT_EQ(peer.Line(), "-1 -1");
  EXPECT_EQ(peer.Finish(), 0);
}

TEST_F(ClipboardExchangeTest, AnOwnerThatAnswersBadlyGivesAClearErrorAndPastesNothing) {
  struct Case {
    FakeOwnerKind kind;
    const char* message;
  };
  const Case cases[] = {
      {FakeOwnerKind::Silent, "did not answer in time"},
      {FakeOwnerKind::WrongType, "answered with image/png for UTF8_STRING: nothing was pasted"},
      {FakeOwnerKind::Gigabyte, "holds more than 4 MB: nothing was pasted"},
      {FakeOwnerKind::Endless, "holds more than 4 MB: nothing was pasted"},
  };
  ui::TSystemClipboard& desktop = *screen->SystemClipboard();
  desktop.Timeout = std::chrono::milliseconds(1500);
  desktop.MaxBytes = 4u << 20;
  TExtStringGrid& g = Grid();
  g.SetCellText(1, 1, "kept");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FakeOwner owner(display->Display(), c.kind);
    ASSERT_TRUE(owner.Holding());
    std::string error;
    try {
      g.PasteAt(1, 1);
      Clipboard()->AsText();
    } catch (const EClipboardException& e) {
      error = e.what();
    }
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(g.GetCellText(1, 1), "kept");
    EXPECT_EQ(g.GetCellText(1, 2), "");
  }
  // The program's own copy afterwards is sound again.
  Clipboard()->SetAsText("again");
  EXPECT_EQ(XclipOut("UTF8_STRING"), "again");
}

TEST_F(ClipboardExchangeTest, APasteByKeyFromAnOwnerThatNeverAnswersSaysWhyNothingCame) {
  ui::TSystemClipboard& desktop = *screen->SystemClipboard();
  desktop.Timeout = std::chrono::milliseconds(500);
  TExtStringGrid& g = Grid();
  g.Navigation().AllowClipboardShortCuts = true;
  g.SetCellText(1, 1, "kept");
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.SetFocus();
  FakeOwner owner(display->Display(), FakeOwnerKind::Silent);
  ASSERT_TRUE(owner.Holding());
  std::vector<std::string> shown;
  Application->OnException = [&](TObject*, const std::exception& e) { shown.push_back(e.what()); };
  ui::input::KeyDown(VK_CONTROL);
  ui::input::KeyDown('V');
  Application->ProcessMessages();
  ui::input::KeyUp('V');
  ui::input::KeyUp(VK_CONTROL);
  Application->ProcessMessages();
  Application->OnException = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "The program holding the clipboard did not answer in time");
  EXPECT_EQ(g.GetCellText(1, 1), "kept");
  EXPECT_EQ(g.GetCellText(1, 2), "");
}

TEST_F(ClipboardExchangeTest, TheCalculationPreviewOffersNoPasteWhileTheClipboardsOwnerIsSilent) {
  ui::TSystemClipboard& desktop = *screen->SystemClipboard();
  desktop.Timeout = std::chrono::milliseconds(500);
  std::unique_ptr<TForm> owner(NewForm<TForm>(nullptr));
  auto* source = new TRichEdit(owner.get());
  source->SetParent(owner.get());
  source->Hide();
  auto* prev = NewForm<Tprevform>(owner.get(), *source, "");
  prev->Show();
  Application->ProcessMessages();
  Clipboard()->SetAsText(Greek("κείμενο"));
  ASSERT_TRUE(prev->PasteButton->Enabled());
  std::vector<std::string> shown;
  Application->OnException = [&](TObject*, const std::exception& e) { shown.push_back(e.what()); };
  {
    FakeOwner silent(display->Display(), FakeOwnerKind::Silent);
    ASSERT_TRUE(silent.Holding());
    // The program hears that the clipboard went to the other program.
    EXPECT_TRUE(RunUntil([&] { return !prev->PasteButton->Enabled(); }));
    Application->ProcessMessages();
    EXPECT_FALSE(prev->EditPasteItem->Enabled);
    EXPECT_FALSE(prev->poppaste->Enabled);
  }
  Application->OnException = nullptr;
  EXPECT_TRUE(shown.empty()) << shown.front();
  // Text from a program that answers makes paste possible again.
  XclipIn("σωστό");
  EXPECT_TRUE(RunUntil([&] { return prev->PasteButton->Enabled(); }));
}

}  // namespace
