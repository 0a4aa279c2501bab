#include <gtest/gtest.h>

#include "grid/ExtGridMouse.h"
#include "platform/ui/StdEdits.h"
#include "tests/grid/PanelFixture.h"

namespace {

class PanelMouseTest : public ExtPanelTest {
 protected:
  void SetUp() override {
    ExtPanelTest::SetUp();
    SetPanelTextRenderer(&anchors);
    SetPanelAnimationWait([this](Cardinal ms) {
      waits.push_back(ms);
      heights.push_back(panel->Height());
      if (duringWait) duringWait();
    });
    panel->SetText("body");
  }
  void TearDown() override {
    SetPanelTextRenderer(nullptr);
    SetPanelAnimationWait(nullptr);
    ExtPanelTest::TearDown();
  }
  int HitTest(int x, int y) {
    const TPoint s = panel->ClientToScreen(Point(x, y));
    return static_cast<int>(panel->Perform(WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y)));
  }
  std::vector<std::vector<int>> Shapes(const char* op, int penWidth = -1) {
    std::vector<std::vector<int>> out;
    for (const auto& call : Record()->CallsOf(op))
      if (penWidth < 0 || call.Pen.Width == penWidth) out.push_back(call.Args);
    return out;
  }
  FakeAnchors anchors;
  std::vector<Cardinal> waits;
  std::vector<int> heights;
  std::function<void()> duringWait;
  std::vector<AnsiString> events;
  void Log(TExtPanel& p) {
    p.OnClose = [this](TObject*) { events.push_back("close"); };
    p.OnMinimize = [this](TObject*) { events.push_back("minimize"); };
    p.OnMaximize = [this](TObject*) { events.push_back("maximize"); };
    p.OnEndMoveSize = [this](TObject*) { events.push_back("endmovesize"); };
    p.OnAnchorClick = [this](TObject*, const AnsiString& a) { events.push_back("click " + a); };
    p.OnAnchorEnter = [this](TObject*, const AnsiString& a) { events.push_back("enter " + a); };
    p.OnAnchorExit = [this](TObject*, const AnsiString& a) { events.push_back("exit " + a); };
  }
};

using Shape = std::vector<std::vector<int>>;

TEST_F(PanelMouseTest, ButtonsAreDrawnLineByLineOnTheirSide) {
  panel->Caption().SetCloseButton(true);
  panel->Caption().SetMinMaxButton(true);
  ShowForm();
  // The bar runs from 1 to 450 inside the bevel; the cross 4 to 10 pixels in
  // from its right edge, the triangle (pointing up) 12 pixels further left.
  // The grip's grey lines end 2 pixels in from the corner (twice the bevel).
  EXPECT_EQ(Shapes("Polyline", 2), (Shape{{446, 5, 440, 11},
                                          {440, 5, 446, 11},
                                          {449, 148 - 11, 449 - 11, 148},
                                          {449, 148 - 6, 449 - 7, 148},
                                          {449, 148 - 3, 449 - 3, 148}}));
  EXPECT_EQ(Shapes("Polygon"), (Shape{{434, 9, 428, 9, 431, 6}}));
  // The caption text gives way: 12 for the close button, 20 for each button.
  EXPECT_EQ(CaptionCall().Args.at(2), 450 - 12 - 40);
  panel->SetCollaps(true);
  EXPECT_EQ(Shapes("Polygon"), (Shape{{434, 6, 428, 6, 431, 9}}));
  EXPECT_EQ(Shapes("Polyline", 2).size(), 2u);  // no grip while collapsed
  panel->Caption().SetButtonPosition(cbpLeft);
  EXPECT_EQ(Shapes("Polyline", 2), (Shape{{5, 5, 11, 11}, {11, 5, 5, 11}}));
  EXPECT_EQ(Shapes("Polygon"), (Shape{{17, 6, 23, 6, 20, 9}}));
  EXPECT_EQ(CaptionCall().Args.at(0), 1 + 12 + 40);
}

TEST_F(PanelMouseTest, CloseGlyphsReplaceTheCrossAndSetTheButtonSize) {
  TBitmap collapsed(16, 14), expanded(16, 14);
  expanded.SetPixel(3, 3, clRed);
  panel->Caption().SetCloseButton(true);
  panel->Caption().SetCloseMinGlyph(collapsed);
  panel->Caption().SetCloseMaxGlyph(expanded);
  ShowForm();
  EXPECT_TRUE(Shapes("Polyline", 2).size() == 3u);  // the grip only
  // The expanded glyph at the bar's right edge and top.
  const auto drawn = Shapes("DrawPixels");
  EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [](const std::vector<int>& args) {
    return std::vector<int>(args.begin(), args.begin() + 4) == std::vector<int>{434, 1, 450, 15};
  }));
  EXPECT_EQ(panel->CloseButtonRect(), Rect(451 - 2 - 16, 2, 451 - 2, 18));
}

TEST_F(PanelMouseTest, ButtonReleasesCloseAndToggleCollapse) {
  Log(*panel);
  panel->Caption().SetCloseButton(true);
  panel->Caption().SetMinMaxButton(true);
  ShowForm();
  const TRect minMax = panel->MinMaxButtonRect();
  EXPECT_EQ(minMax, Rect(451 - 2 - 24, 2, 451 - 2 - 12, 14));
  backend->Click(*panel, minMax.Left + 3, minMax.Top + 3);
  EXPECT_TRUE(panel->Collaps());
  EXPECT_EQ(panel->Height(), 25);
  backend->Click(*panel, minMax.Left + 3, minMax.Top + 3);
  EXPECT_FALSE(panel->Collaps());
  EXPECT_EQ(panel->Height(), 150);
  const TRect close = panel->CloseButtonRect();
  backend->Click(*panel, close.Left + 3, close.Top + 3);
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(events, (std::vector<AnsiString>{"minimize", "maximize", "close"}));
  panel->Show();
  panel->FreeOnClose = true;
  const int before = form->ComponentCount();
  backend->Click(*panel, close.Left + 3, close.Top + 3);
  EXPECT_EQ(form->ComponentCount(), before - 1);
}

TEST_F(PanelMouseTest, HitTestAnswersCaptionGripAndClient) {
  panel->Caption().SetCloseButton(true);
  ShowForm();
  EXPECT_EQ(HitTest(100, 10), HTCAPTION);
  EXPECT_EQ(HitTest(451 - 5, 10), HTCLIENT);  // the close button
  EXPECT_EQ(HitTest(100, 80), HTCLIENT);
  EXPECT_EQ(HitTest(451 - 5, 150 - 5), HTBOTTOMRIGHT);
  EXPECT_EQ(HitTest(451 - 17, 150 - 5), HTCLIENT);  // left of the arrow's width
  // An anchor in the caption is no place to move from.
  anchors.AnchoredText = panel->Caption().Text();
  anchors.Anchors = {{"a", Rect(0, 0, 200, 20)}};
  EXPECT_EQ(HitTest(100, 10), HTCLIENT);
  anchors.Anchors.clear();
  panel->CanMove = false;
  EXPECT_EQ(HitTest(100, 10), HTCLIENT);
  panel->SetCollaps(true);
  EXPECT_EQ(HitTest(451 - 5, 25 - 3), HTCLIENT);
}

TEST_F(PanelMouseTest, TheSystemLoopMovesAndSizesWithTheFixedFlags) {
  Log(*panel);
  panel->FixedLeft = true;
  ShowForm();
  // Form coordinates: the panel moves under the mouse. It lies at (20, 30).
  const auto drag = [&](int x, int y, int dx, int dy) {
    backend->PressMouse(*form, x, y);
    backend->MoveMouse(*form, x + dx / 2, y + dy / 2);
    backend->MoveMouse(*form, x + dx, y + dy);
    backend->ReleaseMouse(*form, x + dx, y + dy);
  };
  drag(120, 40, 50, 50);
  EXPECT_EQ(panel->BoundsRect(), Bounds(20, 80, 451, 150));
  EXPECT_EQ(events, std::vector<AnsiString>{"endmovesize"});
  EXPECT_FALSE(panel->MouseCapture());

  panel->FixedWidth = true;
  drag(20 + 448, 80 + 147, 40, 30);
  EXPECT_EQ(panel->Width(), 451);
  EXPECT_EQ(panel->Height(), 180);
  EXPECT_EQ(panel->FullHeight(), 180);
  panel->FixedWidth = false;
  panel->FixedHeight = true;
  drag(20 + 448, 80 + 177, 10, 40);
  EXPECT_EQ(panel->Width(), 461);
  EXPECT_EQ(panel->Height(), 150);  // as when the panel was built
  EXPECT_EQ(events.size(), 3u);
  // The shade follows the new width at the next paint.
  Record();
  EXPECT_EQ(panel->ShadeBitmap().Width(), 461);
}

TEST_F(PanelMouseTest, CollapsingWithoutStepsJumps) {
  Log(*panel);
  auto* edit = new TEdit(form.get());
  edit->SetParent(panel);
  edit->SetBounds(10, 40, 80, 21);
  ShowForm();
  panel->SetCollaps(false);
  EXPECT_EQ(events, std::vector<AnsiString>{"minimize"});
  EXPECT_EQ(panel->Height(), 150);
  panel->SetCollaps(true);
  EXPECT_EQ(panel->Height(), 25);
  EXPECT_EQ(panel->FullHeight(), 150);
  EXPECT_EQ(panel->Color(), clBtnFace);
  EXPECT_FALSE(edit->Visible());
  EXPECT_TRUE(waits.empty());
  panel->SetHeight(40);  // while collapsed the expanded height stays
  EXPECT_EQ(panel->FullHeight(), 150);
  panel->SetCollaps(false);
  EXPECT_EQ(panel->Height(), 150);
  EXPECT_TRUE(edit->Visible());
  EXPECT_EQ(events, (std::vector<AnsiString>{"minimize", "minimize", "maximize"}));
  panel->SetHeight(170);
  EXPECT_EQ(panel->FullHeight(), 170);
}

TEST_F(PanelMouseTest, TheAnimationStepsOnTheClockAndIgnoresACloseMeanwhile) {
  Log(*panel);
  panel->CollapsSteps = 4;
  panel->CollapsDelay = 30;
  panel->FreeOnClose = true;
  panel->Caption().SetCloseButton(true);
  ShowForm();
  const TRect close = panel->CloseButtonRect();
  std::vector<TColor> colours;
  duringWait = [&] {
    colours.push_back(panel->Color());
    backend->Click(*panel, close.Left + 3, close.Top + 3);
  };
  panel->SetCollaps(true);
  // (150 - 25) / 4 = 31 a step, then the caption's height.
  EXPECT_EQ(heights, (std::vector<int>{119, 88, 57, 26}));
  EXPECT_EQ(waits, (std::vector<Cardinal>{30, 30, 30, 30}));
  EXPECT_EQ(colours, std::vector<TColor>(4, clGray));
  EXPECT_EQ(panel->Height(), 25);
  EXPECT_TRUE(panel->Visible());
  heights.clear();
  colours.clear();
  panel->SetCollaps(false);
  EXPECT_EQ(heights, (std::vector<int>{56, 87, 118, 149}));
  EXPECT_EQ(colours, std::vector<TColor>(4, clBtnFace));
  EXPECT_EQ(panel->Height(), 150);
  EXPECT_EQ(events, (std::vector<AnsiString>{"minimize", "maximize"}));
}

TEST_F(PanelMouseTest, AnchorsLightUpAndOpenOrReport) {
  Log(*panel);
  panel->SetHover(true);
  // Body text from y = 25 (caption 25, bevel 1: 1 + 25 - 2 = 24).
  anchors.Anchors = {{"http://example.org/", Rect(10, 10, 60, 25)},
                     {"page2", Rect(70, 10, 120, 25)},
                     {"javascript://x", Rect(130, 10, 180, 25)}};
  ShowForm();
  const int y = 24 + 15;
  anchors.DrawnHover.clear();
  backend->MoveMouse(*panel, 20, y);
  EXPECT_EQ(panel->Cursor(), crHandPoint);
  EXPECT_EQ(anchors.DrawnHover, std::vector<int>{0});  // repainted lit
  backend->MoveMouse(*panel, 80, y);
  backend->MoveMouse(*panel, 80, y + 60);
  EXPECT_EQ(panel->Cursor(), crDefault);
  EXPECT_EQ(events, (std::vector<AnsiString>{"enter http://example.org/", "enter page2", "exit page2"}));
  events.clear();
  backend->MoveMouse(*panel, 80, y);
  anchors.DrawnHover.clear();
  Record();
  EXPECT_EQ(anchors.DrawnHover, std::vector<int>{1});
  events.clear();
  backend->Click(*panel, 80, y);
  backend->Click(*panel, 20, y);
  backend->Click(*panel, 140, y);
  // The web link goes to the desktop; the other anchor and the link the
  // desktop may not be handed go to the event.
  EXPECT_EQ(events, (std::vector<AnsiString>{"click page2", "enter http://example.org/",
                                             "enter javascript://x", "click javascript://x"}));
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, "http://example.org/");
  panel->Perform(CM_MOUSELEAVE, 0, 0);
  anchors.DrawnHover.clear();
  Record();
  EXPECT_EQ(anchors.DrawnHover, std::vector<int>{-1});
}

// Without a caption bar the body's anchors still answer a click: they show
// the hand, so a click that did nothing would be a dead link.
TEST_F(PanelMouseTest, AnchorsAnswerWithoutACaptionBar) {
  Log(*panel);
  panel->Caption().SetVisible(false);
  panel->OnCaptionClick = [this](TObject*) { events.push_back("caption"); };
  // The body from y = 1 inside the bevel.
  anchors.Anchors = {{"page2", Rect(10, 5, 60, 20)}, {"https://example.org/", Rect(70, 5, 120, 20)}};
  ShowForm();
  backend->Click(*panel, 20, 10);
  backend->Click(*panel, 80, 10);
  backend->Click(*panel, 200, 10);  // no anchor, and no caption to click
  EXPECT_EQ(events, (std::vector<AnsiString>{"enter page2", "click page2", "enter https://example.org/",
                                             "exit https://example.org/"}));
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, "https://example.org/");
}

// A web link the desktop cannot open is told to the user, naming it, and
// is not passed to the form as if it were one of its own anchors.
TEST_F(PanelMouseTest, ALinkTheDesktopRefusesIsToldToTheUser) {
  Log(*panel);
  anchors.Anchors = {{"https://example.org/", Rect(10, 10, 60, 25)}};
  ShowForm();
  backend->ShellAccepts = false;
  backend->ExpectMessageBox(LinkNotOpenedText("https://example.org/"), IDOK);
  events.clear();
  backend->Click(*panel, 20, 24 + 15);
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Text, LinkNotOpenedText("https://example.org/"));
  EXPECT_EQ(backend->ShellRequests.size(), 1u);
  for (const AnsiString& e : events) EXPECT_NE(e.substr(0, 6), "click ");
}

TEST_F(PanelMouseTest, HitTestingFindsTheTextsWherePaintPutsThem) {
  // The body's 30 pixels centred in its 124 (26 to 149); the caption's
  // text narrowed by the buttons and not centred.
  panel->SetTextVAlign(tvaCenter);
  panel->Caption().SetCloseButton(true);
  panel->Caption().SetButtonPosition(cbpLeft);
  anchors.Anchors = {{"a", Rect(0, 0, 10, 10)}};
  ShowForm();
  EXPECT_EQ(panel->AnchorAt(5, 24 + 47 + 5).Rect, Bounds(1, 24 + 47, 10, 10));
  EXPECT_EQ(panel->AnchorAt(5, 24 + 5).Index, -1);
  anchors.AnchoredText = panel->Caption().Text();
  EXPECT_EQ(panel->AnchorAt(1 + 32 + 5, 5).Rect, Bounds(1 + 32, 1, 10, 10));
}

TEST_F(PanelMouseTest, TheAnchorHintShowsBesideThePoint) {
  panel->AnchorHint = true;
  anchors.Anchors = {{"page2", Rect(70, 10, 120, 25)}};
  ShowForm();
  THintInfo info;
  info.CursorPos = Point(80, 40);
  info.HintStr = "plain";
  EXPECT_EQ(panel->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  const TPoint at = panel->ClientToScreen(Point(80, 40));
  EXPECT_EQ(info.HintPos, Point(at.X + 10, at.Y - 10));
  EXPECT_EQ(info.HintStr, "page2");
  panel->OnAnchorHint = [](TObject*, AnsiString& a) { a = "Go to " + a; };
  panel->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "Go to page2");
  THintInfo away;
  away.CursorPos = Point(300, 100);
  away.HintStr = "plain";
  panel->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&away));
  EXPECT_EQ(away.HintStr, "plain");
}

}  // namespace
