// Drags between the program and other programs on a display of the
// test's own, by the display's drag-and-drop protocol: a small client of
// our own stands for the other program, as the source of a drop on a grid
// and as the target of a drag out of one.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DndClient.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/ExtGridEvents.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Input.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"

namespace {

AnsiString Greek(const char* utf8) { return cp1253::FromUtf8(utf8); }

class DragDropExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenForTest(display);
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(screen->DesktopDrag(), nullptr);
    client = std::make_unique<DndClient>(display->Display());
    ASSERT_TRUE(client->Connected());
    ui::dragdrop::Reset();
    SetDropRTF(false);
  }
  void TearDown() override {
    ui::dragdrop::Reset();
    SetDropRTF(false);
    form.reset();
    client.reset();
    SetBackend(nullptr);
    display.reset();
  }
  TExtStringGrid& Grid(bool editing) {
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 460, 300);
    auto* grid = new TExtStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(10, 10, 420, 240);
    grid->SetColCount(6);
    grid->SetRowCount(8);
    grid->SetDefaultColWidth(64);
    if (editing) grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    form->Show();
    Application->ProcessMessages();
    return *grid;
  }
  static TPoint CellPoint(TExtStringGrid& g, int c, int r) {
    const TRect cell = g.CellRect(c, r);
    return g.ClientToScreen(Point((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
  }
  // Lets the program handle what comes until Done says so (false after 10 s).
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000; ++i) {
      if (done()) return true;
      screen->WaitForInput(10);
      Application->ProcessMessages();
    }
    return done();
  }
  // The user presses on a cell of G and moves far enough to drag it; the
  // drag then runs on Steps.
  void DragCell(TExtStringGrid& g, int c, int r, std::vector<std::function<void()>> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    ui::dragdrop::SetInputSource([this] {
      if (next_ < steps_.size()) steps_[next_++]();
    });
    const TPoint at = CellPoint(g, c, r);
    ui::input::MouseButton(form.get(), 0, true, at.X - form->Left(), at.Y - form->Top());
    Application->ProcessMessages();
    ui::input::MouseMove(form.get(), at.X - form->Left() + 8, at.Y - form->Top());
    Application->ProcessMessages();
  }
  std::string Column(TExtStringGrid& g, int c) {
    std::string s;
    for (int r = 1; r < g.RowCount(); ++r) s += cp1253::ToUtf8(g.Cells(c, r)) + "|";
    return s;
  }

  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = nullptr;
  std::unique_ptr<DndClient> client;
  std::unique_ptr<TForm> form;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

// ---- drops from the other program -------------------------------------------------------------

TEST_F(DragDropExchangeTest, TextDroppedLandsInTheCellUnderTheDropPointWithItsLines) {
  TExtStringGrid& g = Grid(true);
  g.DragDropSettings().SetOleDropTarget(true);
  TGridRect reported{-1, -1, -1, -1};
  g.OnOleDropped = [&](TObject*, const TGridRect& r) { reported = r; };
  const TPoint at = CellPoint(g, 2, 3);
  client->StartDrag(at.X, at.Y,
                    {{"text/plain;charset=utf-8", "Τιμή\t12,5\nΈκπτωση\t3\n"},
                     {"UTF8_STRING", "Τιμή\t12,5\nΈκπτωση\t3\n"}});
  ASSERT_TRUE(PumpUntil([&] { return client->Drag().Done; }));
  const DndClient::DragResult drag = client->Drag();
  EXPECT_TRUE(drag.Accepted);
  EXPECT_EQ(drag.StatusAction, "XdndActionCopy");
  EXPECT_TRUE(drag.Finished);
  EXPECT_TRUE(drag.FinishedAccepted);
  EXPECT_EQ(drag.FinishedAction, "XdndActionCopy");
  EXPECT_EQ(Column(g, 2), "||Τιμή|Έκπτωση||||");
  EXPECT_EQ(Column(g, 3), "||12,5|3||||");
  EXPECT_EQ(reported, (TGridRect{2, 3, 3, 4}));
  EXPECT_FALSE(ui::dragdrop::Dragging());
}

TEST_F(DragDropExchangeTest, RichTextIsTakenWhenOfferedAndTheGridTakesIt) {
  TExtStringGrid& g = Grid(true);
  g.DragDropSettings().SetOleDropTarget(true);
  g.DragDropSettings().SetOleDropRTF(true);
  const std::string rtf = "{\\rtf1\\ansi\\ansicpg1253 \\'d4\\'e9\\'ec\\'de\\par}";
  const TPoint at = CellPoint(g, 1, 2);
  client->StartDrag(at.X, at.Y, {{"text/plain;charset=utf-8", "Τιμή"}, {"text/rtf", rtf}});
  ASSERT_TRUE(PumpUntil([&] { return client->Drag().Done; }));
  EXPECT_TRUE(client->Drag().FinishedAccepted);
  EXPECT_EQ(g.Cells(1, 2), AnsiString(rtf));
}

TEST_F(DragDropExchangeTest, FilesDroppedLoadAsTheyDidFromTheFileManager) {
  TExtStringGrid& g = Grid(true);
  g.DragDropSettings().SetOleDropTarget(true);
  const std::string file = TestOutput("τιμές 1.csv");
  std::ofstream(file, std::ios::binary) << "a;b\r\n1;2\r\n";
  const std::string uri = FileUri(file);
  g.DragDropSettings().OleAcceptFiles = true;
  const TPoint at = CellPoint(g, 1, 1);
  client->StartDrag(at.X, at.Y,
                    {{"text/uri-list", "# from the test\r\n" + uri + "\r\nfile://other-host/x.csv\r\n"}});
  ASSERT_TRUE(PumpUntil([&] { return client->Drag().Done; }));
  EXPECT_TRUE(client->Drag().FinishedAccepted);
  EXPECT_EQ(g.Cells(0, 0) + "|" + g.Cells(1, 0), "a|b");
  EXPECT_EQ(g.Cells(0, 1) + "|" + g.Cells(1, 1), "1|2");
}

TEST_F(DragDropExchangeTest, TextTheDisplayLibraryGivesLineByLineArrivesWhole) {
  // A program that drops on the window itself, not on the window it
  // names for drops, is heard by the display library, which hands the
  // text over a line at a time.
  TExtStringGrid& g = Grid(true);
  g.DragDropSettings().SetOleDropTarget(true);
  SDL_Window* window = screen->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  const TPoint at = CellPoint(g, 2, 3);
  ASSERT_TRUE(DropThroughDisplayLibrary(*screen, window, at.X - form->Left(), at.Y - form->Top(),
                                        SDL_DROPTEXT, {"Τιμή\t12,5", "Έκπτωση\t3"}));
  EXPECT_EQ(Column(g, 2), "||Τιμή|Έκπτωση||||");
  EXPECT_EQ(Column(g, 3), "||12,5|3||||");
}

TEST_F(DragDropExchangeTest, ADropWhereNothingTakesItIsRefused) {
  TExtStringGrid& g = Grid(true);
  g.DragDropSettings().SetOleDropTarget(true);
  g.SetCells(1, 1, "kept");
  // On the form beside the grid.
  const TPoint at = form->ClientToScreen(Point(445, 150));
  client->StartDrag(at.X, at.Y, {{"text/plain;charset=utf-8", "x"}});
  ASSERT_TRUE(PumpUntil([&] { return client->Drag().Done; }));
  const DndClient::DragResult drag = client->Drag();
  EXPECT_TRUE(drag.StatusHeard);
  EXPECT_FALSE(drag.Accepted);
  EXPECT_FALSE(drag.FinishedAccepted);
  EXPECT_EQ(Column(g, 1), "kept|||||||");
}

// ---- drags out to the other program -----------------------------------------------------------

struct DragOutCase {
  const char* name;
  DndClient::Answer answer;
  bool ctrl;
  const char* asked;        // the action the program asks for
  const char* delivered;    // what the other program took
  const char* sourceAfter;  // column 1 of the grid afterwards
  int stop;                 // the effect OnOleDragStop reports; -1: not called
};

class DragOutTest : public DragDropExchangeTest, public testing::WithParamInterface<DragOutCase> {};

TEST_P(DragOutTest, TheOtherProgramsAnswerDecides) {
  const DragOutCase& k = GetParam();
  TExtStringGrid& g = Grid(false);
  g.DragDropSettings().OleDropSource = true;
  for (int r = 1; r < 4; ++r) {
    g.SetCells(1, r, Greek("Τιμή ") + std::to_string(r));
    g.SetCells(2, r, std::to_string(r) + ",50");
  }
  g.SetSelection({1, 1, 2, 2});
  int stop = -1;
  g.OnOleDragStop = [&](TObject*, int e) { stop = e; };
  screen->SystemClipboard()->Timeout = std::chrono::milliseconds(600);
  client->ShowTarget(600, 100, 200, 200, k.answer);
  DragCell(g, 1, 1,
           {[&] { ui::dragdrop::MouseMove(nullptr, Point(650, 150)); },
            [&] {
              if (k.ctrl) ui::dragdrop::KeyDown(VK_CONTROL);
              ui::dragdrop::MouseMove(nullptr, Point(700, 200));
            },
            [&] { ui::dragdrop::ButtonUp(); }});
  const DndClient::DropResult target = client->Target();
  EXPECT_EQ(target.Enters, 1);
  EXPECT_GE(target.Positions, 2);
  EXPECT_EQ(target.Action, k.asked);
  for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8", "STRING"})
    EXPECT_NE(std::find(target.Offered.begin(), target.Offered.end(), name), target.Offered.end()) << name;
  EXPECT_EQ(target.Text, k.delivered);
  EXPECT_EQ(Column(g, 1), k.sourceAfter);
  EXPECT_EQ(stop, k.stop);
  EXPECT_FALSE(ui::dragdrop::Dragging());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DragOutTest,
    testing::Values(DragOutCase{"Copy", DndClient::Answer::Copy, false, "XdndActionMove",
                                "Τιμή 1\t1,50\nΤιμή 2\t2,50", "Τιμή 1|Τιμή 2|Τιμή 3|||||", DROPEFFECT_COPY},
                    DragOutCase{"Move", DndClient::Answer::Move, false, "XdndActionMove",
                                "Τιμή 1\t1,50\nΤιμή 2\t2,50", "||Τιμή 3|||||", DROPEFFECT_MOVE},
                    DragOutCase{"CtrlAsksForACopy", DndClient::Answer::Copy, true, "XdndActionCopy",
                                "Τιμή 1\t1,50\nΤιμή 2\t2,50", "Τιμή 1|Τιμή 2|Τιμή 3|||||", DROPEFFECT_COPY},
                    DragOutCase{"Refused", DndClient::Answer::Refuse, false, "XdndActionMove", "",
                                "Τιμή 1|Τιμή 2|Τιμή 3|||||", -1},
                    // A move the target accepted while the pointer moved but failed at
                    // the drop, or never finished, takes nothing from the grid.
                    DragOutCase{"MoveFailedAtTheDrop", DndClient::Answer::MoveButFail, false,
                                "XdndActionMove", "", "Τιμή 1|Τιμή 2|Τιμή 3|||||", DROPEFFECT_NONE},
                    DragOutCase{"MoveNeverFinished", DndClient::Answer::MoveSilently, false, "XdndActionMove",
                                "", "Τιμή 1|Τιμή 2|Τιμή 3|||||", DROPEFFECT_NONE}),
    [](const testing::TestParamInfo<DragOutCase>& i) { return i.param.name; });

TEST_F(DragDropExchangeTest, ADragOutOffersTheGridsOwnCellsWhereItsClipboardDoes) {
  TExtStringGrid& g = Grid(false);
  g.DragDropSettings().OleDropSource = true;
  g.Navigation().AllowFmtClipboard = true;
  g.SetCells(1, 1, Greek("Τιμή"));
  g.GetCellProperties(1, 1)->FontSize = 13;
  g.SetSelection({1, 1, 1, 1});
  screen->SystemClipboard()->Timeout = std::chrono::milliseconds(600);
  client->ShowTarget(600, 100, 200, 200, DndClient::Answer::Copy);
  DragCell(g, 1, 1,
           {[&] { ui::dragdrop::MouseMove(nullptr, Point(650, 150)); },
            [&] { ui::dragdrop::MouseMove(nullptr, Point(700, 200)); }, [&] { ui::dragdrop::ButtonUp(); }});
  const DndClient::DropResult target = client->Target();
  const std::vector<std::string> names = ui::TargetsOfFormat(GridCellsClipboardFormat());
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names)
    EXPECT_NE(std::find(target.Offered.begin(), target.Offered.end(), name), target.Offered.end()) << name;
  EXPECT_EQ(target.Text, "Τιμή");
  EXPECT_EQ(g.Cells(1, 1), Greek("Τιμή"));
}

TEST_F(DragDropExchangeTest, TheUsersOwnPointerDragsCellsIntoTheOtherProgram) {
  ASSERT_TRUE(Installed("xdotool", "xdotool"));
  TExtStringGrid& g = Grid(false);
  g.DragDropSettings().OleDropSource = true;
  g.SetCells(1, 1, Greek("Έκπτωση"));
  g.SetCells(2, 1, "3,5");
  g.SetSelection({1, 1, 2, 1});
  client->ShowTarget(600, 100, 200, 200, DndClient::Answer::Move);
  // The display's pointer, pressed on the cell and let go over the other
  // program's window, while the program runs: the second half only once
  // the drag began (a button let go before that would drop at once).
  const TPoint at = CellPoint(g, 1, 1);
  const std::string window = std::to_string(screen->DisplayWindow(*form));
  const std::string x = std::to_string(at.X - form->Left()), y = std::to_string(at.Y - form->Top());
  std::vector<pid_t> tools;
  auto xdotool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) == 0) tools.push_back(pid);
  };
  g.OnOleDragStart = [&](TObject*, int, int) {
    xdotool({"mousemove", "650", "150", "sleep", "0.3", "mousemove", "700", "200", "sleep", "0.3", "mouseup",
             "1"});
  };
  xdotool({"mousemove", "--window", window, x, y, "sleep", "0.3", "mousedown", "1", "sleep", "0.2",
           "mousemove", "--window", window, std::to_string(at.X - form->Left() + 20), y});
  auto ended = [&] {
    for (pid_t& pid : tools) {
      int status = 0;
      if (pid != 0 && waitpid(pid, &status, WNOHANG) == pid) pid = 0;
    }
    return std::all_of(tools.begin(), tools.end(), [](pid_t pid) { return pid == 0; });
  };
  EXPECT_TRUE(PumpUntil([&] { return client->Target().Drops == 1 && !ui::dragdrop::Dragging(); }));
  EXPECT_TRUE(PumpUntil([&] { return tools.size() == 2 && ended(); }));
  for (pid_t pid : tools)
    if (pid != 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  EXPECT_EQ(client->Target().Text, "Έκπτωση\t3,5");
  EXPECT_EQ(g.Cells(1, 1), "");
  EXPECT_EQ(g.Cells(2, 1), "");
}

TEST_F(DragDropExchangeTest, EscapeOutsideCancelsAndTheOtherProgramHearsTheDragLeave) {
  TExtStringGrid& g = Grid(false);
  g.DragDropSettings().OleDropSource = true;
  g.SetCells(1, 1, "a");
  g.SetSelection({1, 1, 1, 1});
  client->ShowTarget(600, 100, 200, 200, DndClient::Answer::Move);
  DragCell(g, 1, 1,
           {[&] { ui::dragdrop::MouseMove(nullptr, Point(650, 150)); },
            [&] { ui::dragdrop::KeyDown(VK_ESCAPE); }});
  ASSERT_TRUE(PumpUntil([&] { return client->Target().Leaves == 1; }));
  EXPECT_EQ(client->Target().Drops, 0);
  EXPECT_EQ(g.Cells(1, 1), "a");
}

TEST_F(DragDropExchangeTest, ThePointerComingBackLeavesTheOtherProgramAndDropsInTheGrid) {
  TExtStringGrid& g = Grid(false);
  g.DragDropSettings().OleDropSource = true;
  g.DragDropSettings().SetOleDropTarget(true);
  g.Navigation().AllowClipboardAlways = true;
  g.SetCells(1, 1, "a");
  g.SetSelection({1, 1, 1, 1});
  client->ShowTarget(600, 100, 200, 200, DndClient::Answer::Copy);
  const TPoint back = CellPoint(g, 3, 4);
  DragCell(g, 1, 1,
           {[&] { ui::dragdrop::MouseMove(nullptr, Point(650, 150)); },
            [&] { ui::dragdrop::MouseMove(ui::dragdrop::WindowAt(back), back); },
            [&] { ui::dragdrop::ButtonUp(); }});
  ASSERT_TRUE(PumpUntil([&] { return client->Target().Leaves == 1; }));
  EXPECT_EQ(client->Target().Drops, 0);
  EXPECT_EQ(g.Cells(3, 4), "a");
}

}  // namespace
