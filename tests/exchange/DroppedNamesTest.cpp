// Files dropped from another program whose names the code page cannot hold
// (日.txt): refused whole, with a message naming them, on every way a drop
// arrives (the display's drag-and-drop protocol, the display library's
// file drop, a grid's drop target); taken with "?" in their place they
// would open, and Ctrl+S would write, another file.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "DndClient.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DragDrop.h"
#include "printing/Prevunt.h"
#include "tests/TestOutput.h"
#include "tests/platform/backend/XvfbDisplay.h"

namespace {

namespace fs = std::filesystem;

class DroppedNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenKeepingBoxes(display);
    ASSERT_NE(screen, nullptr);
    client = std::make_unique<DndClient>(display->Display());
    ASSERT_TRUE(client->Connected());
    ui::dragdrop::Reset();
    folder = TestOutputFolder();
    // What "?" in place of 日 names: the file such a drop opened.
    std::ofstream(folder / "?.txt") << "ANOTHER FILE";
    std::ofstream(folder / "日.txt") << "the dropped file";
    std::ofstream(folder / "plain.txt") << "PLAIN";
  }
  void TearDown() override {
    ui::dragdrop::Reset();
    preview = nullptr;
    form.reset();
    client.reset();
    SetBackend(nullptr);
    unsetenv("DIM_BACKEND");
    display.reset();
  }
  // The calculation preview on the screen, holding a report of one line.
  Tprevform& Preview() {
    form.reset(NewForm<TForm>(nullptr));
    auto* report = new TRichEdit(form.get());
    report->SetParent(form.get());
    report->Hide();
    report->Lines().Add("REPORT");
    preview = NewForm<Tprevform>(form.get(), *report, "credit");
    preview->SetBounds(40, 40, 600, 400);
    preview->Show();
    EXPECT_TRUE(Pump([&] { return screen->WindowOf(*preview) != nullptr; }));
    return *preview;
  }
  TPoint Middle(TControl& c) { return c.ClientToScreen(Point(c.Width() / 2, c.Height() / 2)); }
  // Lets the program handle what comes until Done says so (false after 10 s).
  bool Pump(const std::function<bool()>& done) { return RunUntil(done, 10000); }
  // Lets the program handle what comes for a while (a refused drop has
  // nothing to wait for).
  void PumpFor(int ms) {
    RunUntil([] { return false; }, ms);
  }
  // The message the user gets for the drop of 日.txt.
  AnsiString RefusalOf(const std::string& name) { return UnheldNameMessage((folder / name).string()); }

  std::unique_ptr<XvfbDisplay> display;
  TScreenKeepingBoxes* screen = nullptr;
  std::unique_ptr<DndClient> client;
  std::unique_ptr<TForm> form;
  Tprevform* preview = nullptr;
  fs::path folder;
};

TEST_F(DroppedNamesTest, ThePreviewRefusesANameOutsideTheCodePageDroppedByTheProtocol) {
  Tprevform& p = Preview();
  const AnsiString name = p.FileName, text = p.Prevmemo->Text();
  const TPoint at = Middle(*p.Prevmemo);
  client->StartDrag(at.X, at.Y, {{"text/uri-list", FileUri((folder / "日.txt").string()) + "\r\n"}});
  ASSERT_TRUE(Pump([&] { return client->Drag().Done; }));
  ASSERT_TRUE(Pump([&] { return !screen->Texts.empty(); }));
  EXPECT_FALSE(client->Drag().FinishedAccepted);
  EXPECT_EQ(screen->Texts, std::vector<AnsiString>{RefusalOf("日.txt")});
  EXPECT_NE(screen->Texts[0].find("<U+65E5>.txt"), AnsiString::npos);
  EXPECT_EQ(p.FileName, name);
  EXPECT_EQ(p.Prevmemo->Text(), text);
  // A name the code page holds still opens.
  client->StartDrag(at.X, at.Y, {{"text/uri-list", FileUri((folder / "plain.txt").string()) + "\r\n"}});
  ASSERT_TRUE(Pump([&] { return p.FileName == cp1253::FromUtf8((folder / "plain.txt").string()); }));
  EXPECT_EQ(p.Prevmemo->Text(), "PLAIN");
  EXPECT_EQ(screen->Texts.size(), 1u);
}

TEST_F(DroppedNamesTest, ThePreviewRefusesANameOutsideTheCodePageDroppedThroughTheDisplayLibrary) {
  // A program that drops on the window itself is heard by the display
  // library, which gives each file's name.
  Tprevform& p = Preview();
  const AnsiString name = p.FileName, text = p.Prevmemo->Text();
  const TPoint at = Middle(*p.Prevmemo);
  ASSERT_TRUE(DropThroughDisplayLibrary(*screen, screen->WindowOf(p), at.X - p.Left(), at.Y - p.Top(),
                                        SDL_DROPFILE, {folder / "日.txt", folder / "plain.txt"}));
  ASSERT_TRUE(Pump([&] { return !screen->Texts.empty(); }));
  PumpFor(300);
  // Refused in full: not even the other file of the drop opens.
  EXPECT_EQ(screen->Texts, std::vector<AnsiString>{RefusalOf("日.txt")});
  EXPECT_EQ(p.FileName, name);
  EXPECT_EQ(p.Prevmemo->Text(), text);
}

TEST_F(DroppedNamesTest, AGridsDropTargetTakesNoFilesWhoseNameItCannotHold) {
  form.reset(NewForm<TForm>(nullptr));
  form->SetBounds(40, 40, 460, 300);
  auto* g = new TExtStringGrid(form.get());
  g->SetParent(form.get());
  g->SetBounds(10, 10, 420, 240);
  g->DragDropSettings().SetOleDropTarget(true);
  g->DragDropSettings().OleAcceptFiles = true;
  form->Show();
  Application->ProcessMessages();
  std::ofstream(folder / "日.csv") << "a;b\r\n";
  std::ofstream(folder / "?.csv") << "WRONG;FILE\r\n";
  const TRect cell = g->CellRect(1, 1);
  const TPoint at = g->ClientToScreen(Point((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
  client->StartDrag(at.X, at.Y, {{"text/uri-list", FileUri((folder / "日.csv").string()) + "\r\n"}});
  ASSERT_TRUE(Pump([&] { return client->Drag().Done; }));
  ASSERT_TRUE(Pump([&] { return !screen->Texts.empty(); }));
  PumpFor(300);
  EXPECT_EQ(screen->Texts, std::vector<AnsiString>{RefusalOf("日.csv")});
  for (int c = 0; c < 2; ++c) EXPECT_EQ(g->Cells(c, 0) + g->Cells(c, 1), "") << c;
}

}  // namespace
