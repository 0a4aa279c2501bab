// The grid's scroll bars: flat bars in each look with their colour and
// thickness, thumbs of fixed length or in proportion, the hint a dragged
// thumb shows, scrolling while it moves, and a contracted node ending the
// editor over its rows.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridEditors.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ScrollBars.h"
#include "tests/TestOutput.h"

namespace {

class ExtGridScrollTest : public GridFormTest {
 protected:
  // The grid's area inside its single border, where the bars lie.
  static TRect Inner(TExtStringGrid& g) { return InflateRect(g.ClientRect(), -2, -2); }
  static TRect VertBar(TExtStringGrid& g, int thickness) {
    const TRect in = Inner(g);
    return Rect(in.Right - thickness, in.Top, in.Right, in.Bottom - thickness);
  }
  static TRect HorzBar(TExtStringGrid& g, int thickness) {
    const TRect in = Inner(g);
    return Rect(in.Left, in.Bottom - thickness, in.Right - thickness, in.Bottom);
  }
  static TScrollBarGeometry Geometry(TExtStringGrid& g, int bar) {
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(g.Handle(), bar, &info);
    TScrollBarGeometry geometry;
    geometry.Min = info.nMin;
    geometry.Max = info.nMax;
    geometry.Page = static_cast<int>(info.nPage);
    geometry.Pos = info.nPos;
    geometry.Horizontal = bar == SB_HORZ;
    return geometry;
  }
  static TPoint Centre(const TRect& r) { return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  static std::unique_ptr<TRecordingCanvas> Record(TExtStringGrid& g) {
    auto canvas = std::make_unique<TRecordingCanvas>(g.Width(), g.Height());
    g.PaintTo(*canvas, 0, 0);
    return canvas;
  }
  // The frame controls drawn inside R: type and state of each.
  static std::vector<std::pair<unsigned, unsigned>> FramesIn(const TRecordingCanvas& c, const TRect& r) {
    std::vector<std::pair<unsigned, unsigned>> frames;
    for (const TDrawCall& call : c.CallsOf("DrawFrameControl")) {
      const TRect at = Rect(call.Args[0], call.Args[1], call.Args[2], call.Args[3]);
      if (at.Left >= r.Left && at.Top >= r.Top && at.Right <= r.Right && at.Bottom <= r.Bottom)
        frames.emplace_back(call.Args[4], call.Args[5]);
    }
    return frames;
  }
  // The rectangles filled with Colour.
  static std::vector<TRect> Fills(const TRecordingCanvas& c, TColor colour) {
    std::vector<TRect> fills;
    for (const TDrawCall& call : c.CallsOf("FillRect"))
      if (call.Brush.Color == colour)
        fills.push_back(Rect(call.Args[0], call.Args[1], call.Args[2], call.Args[3]));
    return fills;
  }
};

TEST_F(ExtGridScrollTest, FlatBarsDrawInEachLookWithTheirColourAndThickness) {
  struct Case {
    const char* what;
    TScrollType type;
    bool flat;              // the arrows drawn flat while the mouse is away
    unsigned hotArrowAdds;  // what the arrow under the mouse shows
    bool thumbIsAButton;    // the thumb drawn as a raised button
  };
  const Case cases[] = {
      {"normal", ssNormal, false, 0, true},
      {"flat", ssFlat, true, DFCS_FLAT | DFCS_HOT, false},
      {"encarta", ssEncarta, true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& g = MakeGrid<TExtStringGrid>(12, 40, 300, 200);
    g.SetScrollType(c.type);
    g.SetScrollColor(clYellow);
    g.SetScrollWidth(24);
    Application->ProcessMessages();
    EXPECT_EQ(g.FlatScrollBarsOn(), c.type != ssNormal);
    const int thickness = c.type == ssNormal ? 16 : 24;
    const TRect vert = VertBar(g, thickness);
    auto canvas = Record(g);

    // The tracks: the colour and thickness take effect on flat bars only.
    const std::vector<TRect> yellow = Fills(*canvas, clYellow);
    if (c.type == ssNormal) {
      EXPECT_TRUE(yellow.empty());
    } else {
      ASSERT_EQ(yellow.size(), 2u);
      EXPECT_EQ(yellow[0].Height(), 24);  // the horizontal bar first
      EXPECT_EQ(yellow[1].Width(), 24);
      EXPECT_EQ(yellow[1].Right, Inner(g).Right);
    }
    // The cells end where the bars begin.
    EXPECT_LE(g.CellRect(g.LeftCol(), g.TopRow()).Right, vert.Left);

    const auto frames = FramesIn(*canvas, vert);
    ASSERT_GE(frames.size(), 2u);
    for (const auto& [type, state] : frames) {
      if (type != DFC_SCROLL) continue;
      EXPECT_EQ((state & DFCS_FLAT) != 0, c.flat) << state;
      EXPECT_FALSE(state & DFCS_HOT);
    }
    bool buttonThumb = false;
    for (const auto& [type, state] : frames) buttonThumb |= type == DFC_BUTTON;
    EXPECT_EQ(buttonThumb, c.thumbIsAButton);

    // The mouse over the down arrow of the vertical bar.
    const TRect down = Rect(vert.Left, vert.Bottom - thickness, vert.Right, vert.Bottom);
    backend->MoveMouse(g, Centre(down).X, Centre(down).Y);
    canvas = Record(g);
    bool found = false;
    for (const auto& [type, state] : FramesIn(*canvas, down)) {
      if (type != DFC_SCROLL || (state & 0xFF) != DFCS_SCROLLDOWN) continue;
      found = true;
      if (c.flat) {
        EXPECT_EQ(state & (DFCS_FLAT | DFCS_HOT), c.hotArrowAdds) << state;
      } else {
        EXPECT_FALSE(state & DFCS_FLAT);
      }
    }
    EXPECT_TRUE(found);
    // Leaving the grid takes the mark away.
    backend->MoveMouse(*form, 2, 2);
    canvas = Record(g);
    for (const auto& [type, state] : FramesIn(*canvas, down)) EXPECT_FALSE(state & DFCS_HOT);
  }
}

TEST_F(ExtGridScrollTest, ThumbsAreOfFixedLengthUnlessProportional) {
  auto& g = MakeGrid<TExtStringGrid>(4, 50, 300, 200);
  g.SetScrollType(ssFlat);
  const int rows = g.RowCount(), visible = g.VisibleRowCount();
  TScrollBarGeometry v = Geometry(g, SB_VERT);
  EXPECT_EQ(v.Page, 0);
  EXPECT_EQ(v.Min, 1);
  EXPECT_EQ(v.Max, rows - visible);  // the last first row that fills the view
  const TRect bar = VertBar(g, 16);
  EXPECT_EQ(v.ThumbRect(bar).Height(), 16);
  // At the last row the fixed thumb reaches the end of the track.
  g.SetTopRow(rows - visible);
  v = Geometry(g, SB_VERT);
  EXPECT_EQ(v.ThumbRect(bar).Bottom, bar.Bottom - 16);

  g.SetScrollProportional(true);
  v = Geometry(g, SB_VERT);
  EXPECT_EQ(v.Page, g.VisibleRowCount());
  const int track = bar.Height() - 32;
  EXPECT_NEAR(v.ThumbRect(bar).Height(), track * g.VisibleRowCount() / (rows - 1), 1);
  // Proportional alone keeps the standard look with flat bars started.
  g.SetScrollType(ssNormal);
  EXPECT_FALSE(g.FlatScrollBarsOn());
  g.SetScrollProportional(true);
  EXPECT_TRUE(g.FlatScrollBarsOn());
  g.SetScrollProportional(false);
  EXPECT_FALSE(g.FlatScrollBarsOn());
  EXPECT_EQ(Geometry(g, SB_VERT).Page, g.VisibleRowCount());
}

TEST_F(ExtGridScrollTest, FlatBarsSetBeforeTheWindowStartWithItAndAgainWithANewOne) {
  form.reset(NewForm<TForm>(nullptr));
  auto* g = new TExtStringGrid(form.get());
  g->SetScrollType(ssEncarta);
  EXPECT_FALSE(g->FlatScrollBarsOn());
  g->SetBounds(10, 10, 300, 200);
  g->SetRowCount(40);
  g->SetParent(form.get());
  // A grid already on its parent starts them at once.
  auto* second = new TExtStringGrid(form.get());
  second->SetParent(form.get());
  second->SetBounds(320, 10, 100, 100);
  second->SetScrollProportional(true);
  EXPECT_TRUE(second->FlatScrollBarsOn());
  form->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(g->HandleAllocated());
  EXPECT_TRUE(g->FlatScrollBarsOn());
  int style = -1;
  EXPECT_TRUE(FlatSB_GetScrollProp(g->Handle(), WSB_PROP_VSTYLE, &style));
  EXPECT_EQ(style, FSB_ENCARTA_MODE);
  g->RecreateWnd();
  Application->ProcessMessages();
  EXPECT_TRUE(g->FlatScrollBarsOn());
  EXPECT_TRUE(FlatSB_GetScrollProp(g->Handle(), WSB_PROP_HSTYLE, &style));
  EXPECT_EQ(style, FSB_ENCARTA_MODE);
}

TEST_F(ExtGridScrollTest, AFlatBarLooksFlatAndColouredOnScreen) {
  auto& g = MakeGrid<TExtStringGrid>(12, 40, 300, 200);
  g.SetScrollType(ssFlat);
  g.SetScrollColor(clYellow);
  g.SetScrollWidth(24);
  g.SetTopRow(10);
  Application->ProcessMessages();
  const std::string file = TestOutput("flat_scroll_bars.png");
  backend->SaveWindowPng(*form, file);
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
  const TImageCanvas* image = backend->Render(*form);
  ASSERT_NE(image, nullptr);
  auto pixel = [&](int x, int y) {
    const TPoint p = form->ScreenToClient(g.ClientToScreen(Point(x, y)));
    return image->Pixel(p.X, p.Y);
  };
  const TRect vert = VertBar(g, 24), horz = HorzBar(g, 24);
  const TRect thumb = Geometry(g, SB_VERT).ThumbRect(vert);
  ASSERT_EQ(thumb.Height(), 24);
  // The track is yellow over the whole 24 pixels, above and below the thumb.
  for (int x = vert.Left; x < vert.Right; ++x) {
    EXPECT_EQ(pixel(x, thumb.Bottom + 5), ColorToRGB(clYellow)) << x;
    EXPECT_EQ(pixel(x, thumb.Top - 5), ColorToRGB(clYellow)) << x;
  }
  EXPECT_NE(pixel(vert.Left - 1, thumb.Bottom + 5), ColorToRGB(clYellow));
  EXPECT_EQ(pixel(Centre(horz).X, horz.Top + 1), ColorToRGB(clYellow));
  // The thumb: a face framed by a single shadow line, no raised edge.
  EXPECT_EQ(pixel(thumb.Left + 5, thumb.Top + 5), ColorToRGB(clBtnFace));
  EXPECT_EQ(pixel(thumb.Left, thumb.Top + 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pixel(thumb.Left + 1, thumb.Top + 5), ColorToRGB(clBtnFace));
  // The arrows are flat: their top left pixel is the shadow, not a highlight.
  EXPECT_EQ(pixel(vert.Left, vert.Top), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pixel(vert.Left + 1, vert.Top + 1), ColorToRGB(clBtnFace));
}

TEST_F(ExtGridScrollTest, ADraggedThumbNamesTheRowAndScrollsOnlyWhenSynchronous) {
  for (bool synch : {false, true}) {
    SCOPED_TRACE(synch ? "ScrollSynch on" : "ScrollSynch off");
    auto& g = MakeGrid<TExtStringGrid>(4, 100, 300, 240);
    g.ScrollHints = shVertical;
    g.ScrollSynch = synch;
    std::vector<int> asked;
    g.OnScrollHint = [&](TObject* Sender, int ARow, AnsiString& HintStr) {
      EXPECT_EQ(Sender, &g);
      asked.push_back(ARow);
      if (ARow > 50) HintStr += " *";
    };
    Application->ProcessMessages();
    const TRect bar = VertBar(g, 16);
    const TRect bar1 = Rect(bar.Left, bar.Top, bar.Right, Inner(g).Bottom);  // no horizontal bar
    const TRect thumb = Geometry(g, SB_VERT).ThumbRect(bar1);
    ASSERT_FALSE(thumb.IsEmpty());
    const TPoint grab = Centre(thumb);
    backend->PressMouse(g, grab.X, grab.Y);
    backend->MoveMouse(g, grab.X, grab.Y + 60);
    SCROLLINFO info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(g.Handle(), SB_VERT, &info);
    const int row = info.nTrackPos;  // the thumb's row: the bar counts in rows
    ASSERT_GT(row, 1);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), row);
    ASSERT_NE(g.SizingHintWindow(), nullptr);
    EXPECT_TRUE(g.ScrollHintShown());
    EXPECT_TRUE(g.SizingHintWindow()->Visible());
    EXPECT_EQ(g.SizingHintWindow()->Caption(), "Row : " + IntToStr(row) + (row > 50 ? " *" : ""));
    // Beside the mouse: 10 pixels right of it, its top at the mouse.
    const TPoint mouse = g.ClientToScreen(Point(grab.X, grab.Y + 60));
    EXPECT_EQ(g.SizingHintWindow()->BoundsRect().Left, mouse.X + 10);
    EXPECT_EQ(g.SizingHintWindow()->BoundsRect().Top, mouse.Y);
    EXPECT_EQ(g.TopRow(), synch ? row : 1);
    // Further down the rows follow the thumb (or wait for it).
    backend->MoveMouse(g, grab.X, grab.Y + 120);
    GetScrollInfo(g.Handle(), SB_VERT, &info);
    EXPECT_GT(info.nTrackPos, row);
    EXPECT_EQ(g.TopRow(), synch ? info.nTrackPos : 1);
    EXPECT_EQ(g.SizingHintWindow()->Caption().substr(0, 6), "Row : ");
    backend->ReleaseMouse(g, grab.X, grab.Y + 120);
    EXPECT_EQ(g.TopRow(), info.nTrackPos);
    EXPECT_FALSE(g.ScrollHintShown());
    EXPECT_FALSE(g.SizingHintWindow()->Visible());
  }
}

TEST_F(ExtGridScrollTest, TheHintFollowsTheBarsItIsAskedFor) {
  struct Case {
    TScrollHintType hints;
    bool vertical, horizontal;
  };
  const Case cases[] = {
      {shNone, false, false}, {shVertical, true, false}, {shHorizontal, false, true}, {shBoth, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.hints));
    auto& g = MakeGrid<TExtStringGrid>(30, 60, 300, 200);
    g.ScrollHints = c.hints;
    Application->ProcessMessages();
    // The horizontal thumb dragged to the far end: the last left column
    // that still fills the view.
    const TRect horz = HorzBar(g, 16);
    TRect thumb = Geometry(g, SB_HORZ).ThumbRect(horz);
    backend->PressMouse(g, Centre(thumb).X, Centre(thumb).Y);
    backend->MoveMouse(g, horz.Right + 50, Centre(thumb).Y);
    EXPECT_EQ(g.ScrollHintShown(), c.horizontal);
    if (c.horizontal) {
      EXPECT_EQ(g.SizingHintWindow()->Caption(), "Col : " + IntToStr(g.ColCount() - g.VisibleColCount()));
    }
    backend->ReleaseMouse(g, horz.Right + 50, Centre(thumb).Y);
    EXPECT_FALSE(g.ScrollHintShown());
    EXPECT_EQ(g.LeftCol(), g.ColCount() - g.VisibleColCount());
    // The vertical one a little way.
    const TRect vert = VertBar(g, 16);
    thumb = Geometry(g, SB_VERT).ThumbRect(vert);
    backend->PressMouse(g, Centre(thumb).X, Centre(thumb).Y);
    backend->MoveMouse(g, Centre(thumb).X, Centre(thumb).Y + 30);
    EXPECT_EQ(g.ScrollHintShown(), c.vertical);
    if (c.vertical) {
      EXPECT_EQ(g.SizingHintWindow()->Caption().substr(0, 6), "Row : ");
    }
    backend->ReleaseMouse(g, Centre(thumb).X, Centre(thumb).Y + 30);
    EXPECT_FALSE(g.ScrollHintShown());
  }
}

TEST_F(ExtGridScrollTest, AFlatFixedThumbDraggedToTheEndShowsTheLastFullView) {
  auto& g = MakeGrid<TExtStringGrid>(4, 80, 300, 240);
  g.SetScrollType(ssFlat);
  g.ScrollHints = shBoth;
  g.ScrollSynch = true;
  Application->ProcessMessages();
  const TRect bar = Rect(VertBar(g, 16).Left, Inner(g).Top, Inner(g).Right, Inner(g).Bottom);
  const TRect thumb = Geometry(g, SB_VERT).ThumbRect(bar);
  ASSERT_EQ(thumb.Height(), 16);
  backend->PressMouse(g, Centre(thumb).X, Centre(thumb).Y);
  backend->MoveMouse(g, Centre(thumb).X, bar.Bottom + 40);
  const int last = g.RowCount() - g.VisibleRowCount();
  EXPECT_EQ(g.SizingHintWindow()->Caption(), "Row : " + IntToStr(last));
  EXPECT_EQ(g.TopRow(), last);
  backend->ReleaseMouse(g, Centre(thumb).X, bar.Bottom + 40);
  EXPECT_EQ(g.TopRow(), last);
}

TEST_F(ExtGridScrollTest, ContractingANodeEndsTheSpecialEditorFirst) {
  auto& g = MakeGrid<TExtStringGrid>(4, 10);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnGetEditorType = [](TObject*, int ACol, int, TEditorType& e) {
    if (ACol == 2) e = edSpinEdit;
  };
  g.AddNode(1, 4);
  g.SetCellText(2, 3, "5");
  g.SetFocus();
  g.SetCol(2);
  g.SetRow(3);
  backend->PressKey(VK_F2);
  ASSERT_TRUE(g.EditorActive());
  ASSERT_TRUE(g.Spin()->Visible());
  g.Spin()->SetText("6");
  g.ContractNode(1);
  EXPECT_FALSE(g.EditorActive());
  EXPECT_FALSE(g.Spin()->Visible());
  EXPECT_TRUE(g.IsHiddenRow(3));
  g.ExpandNode(1);
  EXPECT_EQ(g.GetCellText(2, 3), "6");
}

}  // namespace
