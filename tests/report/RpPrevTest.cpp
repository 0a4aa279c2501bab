#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Clipbrd.h"
#include "report/RpCtrls.h"
#include "report/RpProgress.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/ChooseLine.h"
#include "tests/report/RpPrevFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

// ---- the search -------------------------------------------------------------------

TEST(RpPrevSearch, FindsGreekAndLatinWithAndWithoutMatchCase) {
  // One text drawn as 1253 bytes, one as UTF-16.
  TMetafile page;
  page.SetWidth(400);
  page.SetHeight(300);
  {
    TMetafileCanvas c(&page);
    c.TextOut(10, 10, "Σύνολο TOTAL Total"_a);
    c.ExtTextOutW(10, 40, 0, nullptr, u"Ασφαλτόστρωση οδού");
  }
  const struct {
    AnsiString text;
    bool matchCase, found;
  } cases[] = {
      {"total", false, true},           {"total", true, false},    {"Total", true, true},
      {"σύνολο"_a, false, true},        {"ΣΎΝΟΛΟ"_a, false, true}, {"σύνολο"_a, true, false},
      {"ασφαλτόστρωση"_a, false, true}, {"οδού"_a, true, true},    {"Δεν υπάρχει"_a, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindTextInPageMetafile(c.text, page, c.matchCase), c.found) << cp1253::ToUtf8(c.text);
  // A damaged record holds no text, and stops nothing.
  std::string bytes = page.Data();
  EXPECT_FALSE(FindTextInPageBytes("X", bytes.substr(0, bytes.size() / 2), false));
  EXPECT_FALSE(FindTextInPageBytes("X", "", false));
}

// ---- the page picture -------------------------------------------------------------

// The page fills the whole rectangle; its white ground, border and shadow
// are drawn around it; nothing is drawn without a page or a frame.
TEST(RpPrevPicture, ThePageFillsItsRectangleInsideItsBorderAndShadow) {
  TMetafile page;
  page.SetWidth(400);
  page.SetHeight(560);
  {
    TMetafileCanvas c(&page);
    c.Brush->Style = bsSolid;
    c.Brush->Color = clRed;
    c.FillRect(TRect{200, 280, 400, 560});  // the lower right quarter
  }
  const TRect r{10, 20, 410, 580};  // the page's own size: no scaling
  const TColor ground = RGB(0x12, 0x34, 0x56);
  auto drawn = [&](TMetafile* metafile, bool frame) {
    auto image = std::make_unique<TImageCanvas>(440, 620);
    image->Brush->Style = bsSolid;
    image->Brush->Color = ground;
    image->FillRect(TRect{0, 0, 440, 620});
    TRpPreviewImage::DrawPage(metafile, *image, r, frame);
    return image;
  };
  const auto pic = drawn(&page, false);
  const struct {
    int x, y;
    TColor color;
  } points[] = {
      {10, 300, clBlack},                        // the border's left line
      {300, 20, clBlack},                        // its top line
      {407, 300, clBlack},                       // its right line, 3 in from the edge
      {300, 577, clBlack},                       // its bottom line
      {408, 300, clBlack}, {409, 22, clBlack},   // the shadow on the right
      {300, 578, clBlack}, {12, 579, clBlack},   // and below
      {409, 21, ground},   {11, 579, ground},    // the shadow's corners stay open
      {11, 21, clWhite},   {209, 299, clWhite},  // the white page
      {210, 300, clRed},   {406, 576, clRed},    // the quarter, where the page puts it
  };
  for (const auto& p : points) EXPECT_EQ(pic->Pixel(p.x, p.y), ColorToRGB(p.color)) << p.x << "," << p.y;
  // A frame alone draws the white page with its border; nothing at all
  // without either.
  const auto empty = drawn(nullptr, true);
  EXPECT_EQ(empty->Pixel(300, 300), ColorToRGB(clWhite));
  EXPECT_EQ(empty->Pixel(10, 300), ColorToRGB(clBlack));
  const auto none = drawn(nullptr, false);
  for (const auto& p : points) EXPECT_EQ(none->Pixel(p.x, p.y), ColorToRGB(ground)) << p.x << "," << p.y;
}

// ---- the control ------------------------------------------------------------------

TEST_F(RpPrevTest, ZoomIsTakenFromTwoToTwoThousandAndFitsTheLimitingSide) {
  TRpPrinter printer(rep);
  printer.SetPaperSize(TRpPaperSize::A4);
  TRpPreview* preview = Add<TRpPreview>(0, 0, 731, 795);
  preview->SetRpPrinter(&printer);
  EXPECT_TRUE(printer.ShowingPreview());
  EXPECT_EQ(printer.Client, preview->Handle());
  for (const auto& [value, kept] : {std::pair{1, 100}, {2001, 100}, {2, 2}, {2000, 2000}, {150, 150}}) {
    preview->ZoomState = rpZoomToFit;
    preview->SetZoom(value);
    EXPECT_EQ(preview->Zoom(), kept) << value;
    EXPECT_EQ(preview->ZoomState, value == kept ? rpZoomOther : rpZoomToFit) << value;
  }
  // A4 at 96 dots an inch: 794 x 1123 pixels; the height limits.
  preview->ZoomToFit();
  EXPECT_EQ(preview->Zoom(), static_cast<int>(Round(795.0L / 1123 * 95)));
  EXPECT_EQ(preview->ZoomState, rpZoomToFit);
  TRpPreviewImage* image = preview->Image();
  EXPECT_EQ(image->Width(), static_cast<int>(Round(Round(2100.0L / 100 * preview->Zoom() * 96 / 254)) + 4));
  EXPECT_GT(image->Left(), 0);  // narrower than the box: centred
  preview->ZoomToWidth();
  EXPECT_EQ(preview->Zoom(), static_cast<int>(Round(731.0L / 794 * 90)));
  EXPECT_EQ(preview->ZoomState, rpZoomToWidth);
  // Pages beyond the printer's are refused.
  preview->SetPageNumber(2);
  EXPECT_EQ(preview->PageNumber(), 1);
  preview->SetRpPrinter(nullptr);
  EXPECT_FALSE(printer.ShowingPreview());
  EXPECT_EQ(printer.Client, nullptr);
}

TEST_F(RpPrevTest, LinksShowTheHandAndReportEnteringLeavingAndClicks) {
  TRpPrinter printer;
  TRpPreview* preview = Add<TRpPreview>(0, 0, 300, 300);
  preview->SetRpPrinter(&printer);
  TRpPreviewImage& image = *preview->Image();
  image.SetBounds(0, 0, 200, 200);
  image.Zoom = 200;
  image.HotLinks = {{TRect{10, 10, 20, 20}, "EXT:http://example.org"}};
  EXPECT_EQ(image.LinkAt(40, 40), "EXT:http://example.org");  // edges count
  EXPECT_EQ(image.LinkAt(18, 18), "");
  std::vector<std::pair<int, AnsiString>> events;
  bool handle = true;
  preview->OnHyperlink() = [&](TObject*, int type, const AnsiString& link, bool& handled) {
    events.push_back({type, link});
    handled = handle;
  };
  ShowForm();
  backend->MoveMouse(image, 30, 30);
  EXPECT_EQ(image.Cursor(), crHandPoint);
  backend->Click(image, 30, 30);
  backend->MoveMouse(image, 100, 100);
  EXPECT_EQ(image.Cursor(), crDefault);
  EXPECT_EQ(events,
            (std::vector<std::pair<int, AnsiString>>{
                {hlEnter, "EXT:http://example.org"}, {hlClick, "EXT:http://example.org"}, {hlLeave, ""}}));
  EXPECT_TRUE(backend->ShellRequests.empty());
  handle = false;
  backend->Click(image, 30, 30);
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, "http://example.org");
  preview->SetRpPrinter(nullptr);
}

// The printer a link event names is the printer itself, so a handler may
// ask it what it is; without a handler the hand still shows, and nothing
// is reported or opened.
TEST_F(RpPrevTest, LinkEventsNameThePrinterAndWithoutAHandlerOnlyTheCursorChanges) {
  TRpPrinter printer(rep);
  TRpPreview* preview = Add<TRpPreview>(0, 0, 300, 300);
  preview->SetRpPrinter(&printer);
  TRpPreviewImage& image = *preview->Image();
  image.SetBounds(0, 0, 200, 200);
  image.HotLinks = {{TRect{10, 10, 20, 20}, "EXT:http://example.org"}, {TRect{20, 20, 40, 40}, "INT:second"}};
  ShowForm();
  backend->MoveMouse(image, 15, 15);
  EXPECT_EQ(image.Cursor(), crHandPoint);
  EXPECT_TRUE(image.OverLink);
  backend->Click(image, 15, 15);
  EXPECT_TRUE(backend->ShellRequests.empty());
  backend->MoveMouse(image, 100, 100);
  EXPECT_EQ(image.Cursor(), crDefault);
  EXPECT_FALSE(image.OverLink);
  // The first area holding the point wins where two share an edge.
  EXPECT_EQ(image.LinkAt(20, 20), "EXT:http://example.org");
  EXPECT_EQ(image.LinkAt(21, 21), "INT:second");
  std::vector<TObject*> senders;
  preview->OnHyperlink() = [&](TObject* sender, int, const AnsiString&, bool& handled) {
    senders.push_back(sender);
    handled = true;
  };
  backend->MoveMouse(image, 30, 30);
  backend->Click(image, 30, 30);
  backend->MoveMouse(image, 100, 100);
  ASSERT_EQ(senders.size(), 3u);
  for (TObject* sender : senders) EXPECT_EQ(dynamic_cast<TRpPrinter*>(sender), &printer);
  preview->SetRpPrinter(nullptr);
}

// The page follows the thumb while it is dragged; a plain scroll box moves
// its view only when the thumb is let go.
TEST_F(RpPrevTest, ThePageFollowsTheThumbWhileItIsDragged) {
  TRpPrinter printer(rep);
  printer.SetPaperSize(TRpPaperSize::A4);
  TRpPreview* preview = Add<TRpPreview>(0, 0, 300, 300);
  preview->SetRpPrinter(&printer);
  preview->SetZoom(100);
  auto* box = Add<TScrollBox>(310, 0, 150, 300);
  auto* tall = Add<TPanel>(0, 0, 100, 1200, box);
  (void)tall;
  ShowForm();
  for (TScrollingWinControl* scroller : std::initializer_list<TScrollingWinControl*>{preview, box}) {
    const bool tracks = scroller == preview;
    TControlScrollBar& bar = scroller->VertScrollBar();
    ASSERT_TRUE(bar.IsScrollBarVisible());
    ASSERT_EQ(bar.Position(), 0);
    // The thumb sits just below the upper arrow, inside the border.
    const int x = scroller->Width() - 2 - kScrollBarSize / 2, y = 2 + kScrollBarSize + 4;
    backend->PressMouse(*scroller, x, y);
    backend->MoveMouse(*scroller, x, y + 60);
    EXPECT_EQ(bar.Position() > 0, tracks);
    const int during = bar.Position();
    backend->ReleaseMouse(*scroller, x, y + 60);
    EXPECT_GT(bar.Position(), 0) << tracks;
    if (tracks) {
      EXPECT_EQ(bar.Position(), during);
    }
  }
  EXPECT_TRUE(preview->HorzScrollBar().Tracking);
  EXPECT_FALSE(box->HorzScrollBar().Tracking);
  preview->SetRpPrinter(nullptr);
}

// A page a little narrower than the box is centred in what the vertical bar
// leaves, with no horizontal bar; a page larger than the view starts inside
// the border, its edge line showing at the view's corner.
TEST_F(RpPrevTest, ThePageIsCentredInTheViewAndItsEdgesShow) {
  TRpPrinter printer(rep);
  printer.SetPaperSize(TRpPaperSize::A4);
  printer.BeginDoc();  // one blank page
  printer.NewPage();
  printer.EndDoc();
  Form->SetBounds(0, 0, 800, 500);
  TRpPreview* preview = Add<TRpPreview>(0, 0, 731, 400);
  preview->SetRpPrinter(&printer);
  ShowForm();
  TRpPreviewImage& image = *preview->Image();
  preview->SetZoom(88);  // A4 at 88 %: 702 pixels wide, far taller than the box
  const TRect view = preview->ViewRect();
  ASSERT_EQ(image.Width(), 702);
  ASSERT_EQ(view.Width(), 731 - 4 - kScrollBarSize);
  EXPECT_TRUE(preview->VertScrollBar().IsScrollBarVisible());
  EXPECT_FALSE(preview->HorzScrollBar().IsScrollBarVisible());
  EXPECT_EQ(image.Left() - view.Left, (view.Width() - image.Width()) / 2);
  EXPECT_EQ(image.Top(), view.Top);
  EXPECT_LE(image.Left() + image.Width(), view.Right);
  // Wider and taller than the view: the page's border line runs along the
  // view's first column and row; scrolled to the end, its shadow shows.
  preview->SetZoom(150);
  Application->ProcessMessages();
  EXPECT_EQ(image.Left(), view.Left);
  EXPECT_EQ(PixelOf(*preview, view.Left, view.Top + 40), clBlack);
  EXPECT_EQ(PixelOf(*preview, view.Left + 40, view.Top), clBlack);
  EXPECT_EQ(PixelOf(*preview, view.Left + 1, view.Top + 40), clWhite);
  const TRect scrolledView = preview->ViewRect();
  preview->VertScrollBar().SetPosition(preview->VerticalEnd());
  preview->HorzScrollBar().SetPosition(100000);
  Application->ProcessMessages();
  EXPECT_EQ(image.Top() + image.Height(), scrolledView.Bottom);
  EXPECT_EQ(image.Left() + image.Width(), scrolledView.Right);
  EXPECT_EQ(PixelOf(*preview, scrolledView.Right - 1, scrolledView.Bottom - 40), clBlack);
  preview->SetRpPrinter(nullptr);
}

// A preview of the report's own (its OnPreview) follows the run: the page
// on show loads as it arrives, painted at once, and a report that asks for
// its width gets it then.
TEST_F(RpPrevTest, AReportsOwnPreviewLoadsItsPageAsItArrivesAtTheZoomTheReportAsks) {
  for (TRpZoomState asked : {rpZoomToWidth, rpZoomToFit}) {
    TRpPreview* preview = Add<TRpPreview>(0, 0, 600, 400);
    ShowForm();
    rep->PrevInitialZoom = asked;
    std::vector<int> announced;
    int zoomAtPageOne = 0, paintsBefore = 0, paintsAfter = 0;
    bool pageOneShown = false, runFinished = false;
    preview->OnPageAvailable = [&](TObject* sender, int pages) {
      EXPECT_EQ(sender, preview);
      announced.push_back(pages);
      TRpPrinter* p = preview->RpPrinter();
      ASSERT_NE(p, nullptr);
      if (pages == 1) {
        zoomAtPageOne = preview->Zoom();
        pageOneShown = preview->Image()->PageMetafile() != nullptr;
      }
      if (p->Status() == rpsFinished && !runFinished) {
        runFinished = true;
        // Turning the page paints it before anything else runs.
        paintsBefore = backend->PaintPasses;
        preview->SetPageNumber(2);
        paintsAfter = backend->PaintPasses;
        preview->SetRpPrinter(nullptr);  // the report's Preview returns
      }
    };
    std::vector<int> progress;
    preview->OnProgressUpdate = [&](TObject*, int percent) { progress.push_back(percent); };
    rep->OnPreview = [&](TObject*) {
      preview->SetRpPrinter(rep->RpPrinter());
      EXPECT_EQ(preview->Zoom(), 100);
    };
    lines = 120;
    fed = 0;
    rep->Preview();
    EXPECT_TRUE(runFinished) << asked;
    EXPECT_TRUE(pageOneShown) << asked;
    EXPECT_EQ(zoomAtPageOne, asked == rpZoomToWidth ? static_cast<int>(Round(600.0L / 794 * 90)) : 100)
        << asked;
    ASSERT_FALSE(announced.empty());
    EXPECT_EQ(announced.front(), 1);
    EXPECT_EQ(announced.back(), 3);  // 120 lines: 53 a page
    EXPECT_EQ(preview->PageNumber(), 2);
    EXPECT_GT(paintsAfter, paintsBefore) << asked;
    delete preview;
  }
}

// ---- the window ---------------------------------------------------------------

// The page image answers the drags its preview's owner handles: a label
// dragged from beside the preview drops on the page.
TEST_F(RpPrevTest, ThePageImageTakesTheDragHandlersOfItsPreview) {
  TRpPrinter printer;
  TRpPreview* preview = Add<TRpPreview>(0, 0, 300, 300);
  std::vector<std::pair<TObject*, TDragState>> asked;
  std::vector<std::pair<TObject*, TPoint>> dropped;
  std::vector<TObject*> ended;
  preview->OnDragOver = [&](TObject* sender, TObject* source, int, int, TDragState state, bool& accept) {
    asked.push_back({sender, state});
    accept = dynamic_cast<TLabel*>(source) != nullptr;
  };
  preview->OnDragDrop = [&](TObject* sender, TObject*, int x, int y) {
    dropped.push_back({sender, Point(x, y)});
  };
  preview->OnEndDrag = [&](TObject* sender, TObject*, int, int) { ended.push_back(sender); };
  preview->SetRpPrinter(&printer);
  TRpPreviewImage& image = *preview->Image();
  image.SetBounds(0, 0, 200, 200);
  TLabel* note = Add<TLabel>(320, 20, 80, 20);
  note->SetCaption("Σημείωση"_a);
  note->DragMode = dmAutomatic;
  ShowForm();
  backend->PressMouse(*note, 5, 5);
  backend->MoveMouse(image, 40, 50);
  backend->MoveMouse(image, 60, 70);
  backend->ReleaseMouse(image, 60, 70);
  const std::vector<std::pair<TObject*, TDragState>> expected = {{&image, dsDragEnter}, {&image, dsDragMove}};
  EXPECT_EQ(asked, expected);
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_EQ(dropped[0].first, &image);
  EXPECT_EQ(dropped[0].second, Point(60, 70));
  EXPECT_TRUE(ended.empty());  // the image was no source
  preview->SetRpPrinter(nullptr);
}

// A click on the page focuses the preview, as a click beside it does.
TEST_F(RpPrevTest, AClickOnThePageFocusesThePreview) {
  TRpStandardPreview& w = Preview(60);
  w.Show();
  Application->ProcessMessages();
  w.ThumbChk->SetFocus();
  ASSERT_FALSE(w.RpPreview->Focused());
  backend->Click(*w.RpPreview->Image(), 30, 30);
  EXPECT_TRUE(w.RpPreview->Focused());
}

TEST_F(RpPrevTest, PagesAppearWhileTheRunIsBusyAndCommandsWaitForItsEnd) {
  bool checked = false;
  during = [&](int record) {
    if (record != 200) return;
    TRpStandardPreview* w = Window();
    ASSERT_NE(w, nullptr);
    TRpPrinter& p = *w->RpPrinter();
    EXPECT_EQ(p.Status(), rpsBusy);
    EXPECT_EQ(w->ThumbGrid->RowCount(), p.PageCount() - 1);
    EXPECT_NE(w->RpPreview->Image()->PageMetafile(), nullptr);  // page 1 shows already
    for (TToolButton* b :
         {w->Print, w->SaveReport, w->LoadReport, w->FindButton, w->GotoPageButton, w->LastPage})
      EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_TRUE(w->CancelButton->Enabled());
    w->Close();  // refused while busy
    EXPECT_TRUE(w->Visible());
    checked = true;
  };
  TRpStandardPreview& w = Preview(300);
  EXPECT_TRUE(checked);
  TRpPrinter& p = *w.RpPrinter();
  EXPECT_EQ(p.Status(), rpsFinished);
  EXPECT_EQ(p.PageCount(), 6);
  EXPECT_EQ(w.ThumbGrid->RowCount(), 6);
  for (TToolButton* b : {w.Print, w.SaveReport, w.LoadReport, w.FindButton, w.GotoPageButton, w.LastPage})
    EXPECT_TRUE(b->Enabled()) << b->Name();
  EXPECT_FALSE(w.CancelButton->Enabled());
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 1 από 6"_a);
  EXPECT_EQ(w.Caption(), "Προεπισκόπιση εκτύπωσης : "_a);
  // Maximised, as the report asks, over the designed 900 (its 500 is below 700).
  EXPECT_EQ(w.WindowState, wsMaximized);
  EXPECT_EQ(w.BoundsRect(), Rect(0, 0, Screen->Width(), Screen->Height()));
  // Esc closes once the run is over, wherever the focus is; the report lets
  // go of its printer.
  w.Show();
  w.ThumbChk->SetFocus();
  backend->PressKey(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
  EXPECT_FALSE(p.ShowingPreview());
  rep->Preview();  // a new preview after the last one closed
  ASSERT_NE(Window(), nullptr);
}

TEST_F(RpPrevTest, CancelStopsTheRunAndThePageLimitStopsItToo) {
  during = [&](int record) {
    if (record == 60) Window()->CancelButton->Click();
  };
  TRpStandardPreview& w = Preview(1000);
  EXPECT_LT(fed, 62);
  EXPECT_EQ(w.RpPrinter()->Status(), rpsFinished);
  EXPECT_EQ(w.RpPrinter()->PageCount(), 2);
  w.Close();
  Application->ProcessMessages();
  during = nullptr;
  rep->PagesInPreview = 2;
  TRpStandardPreview& limited = Preview(1000);
  EXPECT_EQ(limited.RpPrinter()->PageCount(), 2);
}

TEST_F(RpPrevTest, KeysWheelAndGoToPage) {
  TRpStandardPreview& w = Preview(300);
  w.DoZoom100();
  w.RpPreview->SetZoom(200);  // taller than the view: the keys scroll
  TControlScrollBar& bar = w.RpPreview->VertScrollBar();
  auto key = [&](Word k, TShiftState s = {}) {
    w.PreviewKeyDown(k, s);
    return w.RpPreview->PageNumber();
  };
  EXPECT_EQ(key(VK_DOWN), 1);
  EXPECT_EQ(bar.Position(), 43);
  bar.SetPosition(w.RpPreview->VerticalEnd());
  EXPECT_EQ(key(VK_DOWN), 2);  // at the bottom of page 1: page 2 at its top
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(key(VK_UP), 1);  // at the top: page 1 at its bottom
  EXPECT_EQ(bar.Position(), w.RpPreview->VerticalEnd() - 43);
  EXPECT_EQ(key(VK_END), 6);
  EXPECT_EQ(key(VK_HOME), 1);
  EXPECT_EQ(key(VK_NEXT), 2);
  EXPECT_EQ(key(VK_NEXT, TShiftState{ssCtrl}), 6);
  EXPECT_EQ(key(VK_PRIOR), 5);
  EXPECT_EQ(key(VK_PRIOR, TShiftState{ssCtrl}), 1);
  EXPECT_EQ(w.ThumbGrid->Row(), 0);
  // The wheel turns into the arrows.
  w.Show();
  Application->ProcessMessages();
  bar.SetPosition(w.RpPreview->VerticalEnd());
  backend->Wheel(*w.RpPreview, -1, 200, 200);
  EXPECT_EQ(w.RpPreview->PageNumber(), 2);
  backend->Wheel(*w.RpPreview, 1, 200, 200);
  EXPECT_EQ(w.RpPreview->PageNumber(), 1);
  // Real keys reach the window wherever the focus is, a check box included.
  w.ThumbChk->SetFocus();
  bar.SetPosition(0);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(bar.Position(), 43);
  backend->PressKey(VK_UP);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_TRUE(w.ThumbChk->Focused());
  // Go to page: a number in range, a number out of range, no number.
  for (const auto& [typed, page] : {std::pair{"4", 4}, {"99", 1}, {"5", 5}, {"πέντε", 1}}) {
    backend->ExpectModal("Επιλογή σελίδας απο 1 έως 6"_a, [&, typed = typed](TCustomForm& f) {
      auto& edit = Found<TEdit>(f, "Edit");
      EXPECT_EQ(edit.Text(), IntToStr(w.RpPreview->PageNumber()));
      edit.SetText(cp1253::FromUtf8(typed));
      f.SetModalResult(mrOk);
    });
    w.GotoPageButton->Click();
    EXPECT_EQ(w.RpPreview->PageNumber(), page) << typed;
    EXPECT_EQ(w.ThumbGrid->Row(), page - 1) << typed;
  }
  // A thumbnail chosen shows its page.
  w.ThumbGrid->SetRow(2);
  EXPECT_EQ(w.RpPreview->PageNumber(), 3);
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 3 από 6"_a);
}

TEST_F(RpPrevTest, SearchListsThePagesOfGreekAndLatinWords) {
  TRpStandardPreview& w = Preview(300);
  w.Search("ασφαλτος γραμμή 70"_a, false);
  EXPECT_EQ(w.SearchResultBox->Items()->Count(), 1);
  EXPECT_EQ(w.SearchResultBox->Items()->Get(0), "Σελίδα 2"_a);
  w.Search("LINE 1", true);
  ASSERT_EQ(w.SearchResultBox->Items()->Count(), 1);
  EXPECT_EQ(w.SearchResultBox->Items()->Get(0), "Δεν βρέθηκε το κείμενο"_a);
  EXPECT_FALSE(w.SearchResultBox->Enabled());
  // Through the dialog: every page holds "line".
  backend->ExpectModal("Ανεύρεση κειμένου"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "Edit1").SetText("line");
    Found<TSpeedButton>(f, "SpeedButton2").Click();
  });
  w.FindButton->Click();
  EXPECT_EQ(w.SearchResultBox->Items()->Count(), 6);
  EXPECT_TRUE(w.SearchResultBox->Enabled());
  w.SearchResultBox->SetItemIndex(4);
  w.SearchResultBox->OnClick(w.SearchResultBox);
  EXPECT_EQ(w.RpPreview->PageNumber(), 5);
  backend->ExpectModal("Ανεύρεση κειμένου"_a,
                       [&](TCustomForm& f) { Found<TSpeedButton>(f, "SpeedButton1").Click(); });
  w.FindButton->Click();
  EXPECT_EQ(w.SearchResultBox->Items()->Count(), 6);  // cancelled: the list stays
}

TEST_F(RpPrevTest, SaveReloadAndExportThroughTheDialog) {
  TRpExcelFilter excel(nullptr);
  TRpRTFFilter rtf(nullptr);
  TRpStandardPreview& w = Preview(120);
  // The dialog opens in the user's documents folder.
  TempFolder documents;
  ScopedEnv documentsDir("XDG_DOCUMENTS_DIR", documents.path().c_str());
  auto save = [&](const AnsiString& name, int filter, const AnsiString& message = {}) {
    backend->ExpectModal("Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης"_a, [&](TCustomForm& f) {
      EXPECT_NE(Found<TLabel>(f, "FolderName").Caption().find(ExtractFileName(documents.path())),
                AnsiString::npos);
      auto& filters = Found<TComboBox>(f, "FilterList");
      EXPECT_EQ(filters.Items()->Count(), 4);  // default, page file, spreadsheet, RTF
      // The default type is named by its extension, the page file by its
      // description.
      EXPECT_EQ(filters.Items()->Get(0), SaveTypeExtension(rep->PreviewDefaultSaveType));
      EXPECT_EQ(filters.Items()->Get(1), RpPageFileDescription() + "(*.RPP)");
      filters.SetFocus();
      for (int i = 1; i < filter; ++i) backend->PressKey(VK_DOWN);
      auto& edit = Found<TEdit>(f, "FileNameEdit");
      edit.SetText(name);
      edit.SetFocus();
      backend->PressKey(VK_RETURN);
    });
    if (!message.empty()) backend->ExpectMessageBox(message, IDOK);
    w.SaveReport->Click();
    EXPECT_EQ(backend->PendingAnswers(), 0);
  };
  // The second filter writes a page file whatever extension was typed; each
  // file written is named when it is done.
  save(folder / "pages.txt", 2, folder / "pages.RPP");
  EXPECT_TRUE(FileExists(folder / "pages.RPP"));
  // An export says it exported.
  save(folder / "sheet", 3, ExportedFileMessage(folder / "sheet.XLS"));
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
  ASSERT_TRUE(FileExists(folder / "sheet.XLS"));
  EXPECT_EQ(ReadWholeFile(folder / "sheet.XLS").substr(0, 2), std::string("\x09\x08", 2));
  save(folder / "text.rtf", 4, ExportedFileMessage(folder / "text.rtf"));
  ASSERT_TRUE(FileExists(folder / "text.rtf"));
  EXPECT_EQ(ReadWholeFile(folder / "text.rtf").substr(0, 6), "{\\rtf1");
  // A type nothing writes is said so, and no file appears.
  rep->PreviewDefaultSaveType = stCSV;
  save(folder / "table", 1, "CSV");
  EXPECT_FALSE(FileExists(folder / "table.CSV"));

  // Loading: a missing file, then the page file saved above.
  backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "FileNameEdit").SetText(folder / "missing.RPP");
    f.SetModalResult(mrOk);
  });
  backend->ExpectMessageBox("Το αρχείο δεν υπάρχει"_a, IDOK);
  w.LoadReport->Click();
  backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "FileNameEdit").SetText(folder / "pages.RPP");
    Found<TEdit>(f, "FileNameEdit").SetFocus();
    backend->PressKey(VK_RETURN);
  });
  w.LoadReport->Click();
  EXPECT_TRUE(w.RpPrinter()->LoadedFromFile());
  EXPECT_EQ(w.RpPrinter()->PageCount(), 3);
  EXPECT_EQ(w.FileName, folder / "pages.RPP");
  EXPECT_EQ(w.StatusBar->Panels[2].Text, folder / "pages.RPP");
  EXPECT_FALSE(w.SaveReport->Visible());
  EXPECT_NE(w.RpPreview->Image()->PageMetafile(), nullptr);
  w.Search("Ασφαλτος γραμμή 120"_a, true);
  EXPECT_EQ(w.SearchResultBox->Items()->Get(0), "Σελίδα 3"_a);
  for (const auto& m : backend->MessageBoxes) EXPECT_FALSE(m.Text.empty());
}

TEST_F(RpPrevTest, PrintsThroughTheDialogToThePdfPrinter) {
  TRpStandardPreview& w = Preview(120);
  backend->ExpectModal("Εκτύπωση"_a,
                       [&](TCustomForm& f) { backend->Click(Found<TButton>(f, "OkButton"), 3, 3); });
  w.Print->Click();
  std::string pdf;
  for (const auto& f : std::filesystem::directory_iterator(folder.path()))
    if (f.path().extension() == ".pdf") pdf = f.path().string();
  ASSERT_FALSE(pdf.empty());
  const std::string info = RunCommand("pdfinfo '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  std::string text;
  ASSERT_TRUE(PdfText(pdf, text));
  EXPECT_NE(text.find("Ασφαλτος γραμμή 120"), std::string::npos);
  // A cancelled dialog prints nothing.
  std::filesystem::remove(pdf);
  backend->ExpectModal("Εκτύπωση"_a,
                       [&](TCustomForm& f) { backend->Click(Found<TButton>(f, "CancelButton"), 3, 3); });
  w.Print->Click();
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// The set-up button, once shown, only sets up; a report that asks for it
// prints as soon as the set-up is confirmed, and a cancelled set-up prints
// nothing either way.
TEST_F(RpPrevTest, TheSetUpPrintsAfterwardsOnlyWhenTheReportAsks) {
  TRpStandardPreview& w = Preview(120);
  w.PrintSetup->SetVisible(true);
  auto pdfs = [&] {
    int n = 0;
    for (const auto& f : std::filesystem::directory_iterator(folder.path()))
      n += f.path().extension() == ".pdf";
    return n;
  };
  auto confirm = [&](const char* button) {
    backend->ExpectModal("Εκτύπωση"_a, [&, button](TCustomForm& f) {
      Found<TEdit>(f, "Copies").SetText("2");
      backend->Click(Found<TButton>(f, button), 3, 3);
    });
  };
  struct Case {
    bool asks;
    const char* button;
    int printed;
  };
  const Case cases[] = {{false, "OkButton", 0}, {true, "CancelButton", 0}, {true, "OkButton", 1}};
  for (const Case& c : cases) {
    rep->PrintAfterSetup = c.asks;
    for (const auto& f : std::filesystem::directory_iterator(folder.path()))
      std::filesystem::remove(f.path());
    printers::ClearJobLog();
    confirm(c.button);
    w.PrintSetup->Click();
    EXPECT_EQ(backend->PendingAnswers(), 0);
    EXPECT_EQ(pdfs(), c.printed) << c.asks << " " << c.button;
    EXPECT_EQ(rep->Tag, c.button == std::string("OkButton") ? 0 : 1);
  }
  // The job printed after the set-up carries what it chose, and the
  // set-up ran once.
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Mode.dmCopies, 2);
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

TEST_F(RpPrevTest, TheProgressWindowCancelsAPrintRun) {
  rep->ShowProgress_ = true;
  during = [&](int record) {
    if (record != 80) return;
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
      if (auto* progress = dynamic_cast<TRpProgressForm*>(Screen->Forms(i))) progress->CancelButton->Click();
  };
  lines = 1000;
  rep->Print();
  EXPECT_LT(fed, 82);
  bool pdf = false;
  for (const auto& f : std::filesystem::directory_iterator(folder.path()))
    pdf |= f.path().extension() == ".pdf";
  EXPECT_FALSE(pdf);
}

TEST_F(RpPrevTest, CopyPutsThePageAndAPictureOnTheClipboard) {
  TRpStandardPreview& w = Preview(20);
  w.copybutton->Click();
  const std::string emf = Clipboard()->GetAsHandle(CF_ENHMETAFILE);
  EXPECT_EQ(emf, w.RpPreview->Image()->PageMetafile()->Data());
  const std::string png = Clipboard()->GetAsHandle(RegisterClipboardFormat("PNG"));
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

// The thumbnails are drawn from their pages once and kept as pictures:
// painted from the pictures, each shows to the pixel what drawing its page
// into the cell shows, and a new run draws them again from its own pages.
TEST_F(RpPrevTest, ThumbnailsKeptAsPicturesShowWhatTheirPagesDraw) {
  rep->PrevShowThumbs = true;
  rep->PreviewInitialState = wsNormal;
  TRpStandardPreview& w = Preview(300);
  w.Show();
  Application->ProcessMessages();
  TDrawGrid& grid = *w.ThumbGrid;
  ASSERT_EQ(grid.RowCount(), 6);
  auto paint = [&grid] {
    auto image = std::make_unique<TImageCanvas>(grid.Width(), grid.Height());
    grid.PaintTo(*image, 0, 0);
    return image;
  };
  // Where a thumbnail's page lies in its whole cell (the bar may hide the
  // cell's right end); the row number is left of it.
  auto place = [&grid](int row) {
    const TRect cell = grid.CellRect(0, row);
    return TRect{cell.Left + 10, cell.Top + 10, cell.Left + grid.ColWidths(0) - 30,
                 cell.Top + grid.RowHeights(row) - 10};
  };
  // Rows 1 and 2 show below the selected first one.
  for (int pass = 0; pass < 2; ++pass) {
    const auto kept = paint();
    const auto again = paint();
    for (int row : {1, 2}) {
      const TRect cell = grid.CellRect(0, row);
      ASSERT_FALSE(cell.IsEmpty()) << row;
      TImageCanvas literal(grid.Width(), grid.Height());
      literal.Brush->Style = bsSolid;
      literal.Brush->Color = clBtnFace;
      literal.FillRect(cell);
      std::unique_ptr<TMetafile> page = w.RpPrinter()->GetPage(row + 1);
      TRpPreviewImage::DrawPage(page.get(), literal, place(row), true);
      const TRect r = place(row);
      int differing = 0, inked = 0;
      for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
          differing += kept->Pixel(x, y) != literal.Pixel(x, y) || again->Pixel(x, y) != literal.Pixel(x, y);
          inked += literal.Pixel(x, y) != ColorToRGB(clBtnFace);
        }
      EXPECT_EQ(differing, 0) << "pass " << pass << ", row " << row;

      EXPECT_GT(inked, 0) << row;  // a page drawn, not an empty cell
    }
    // The first page's thumbnail was first painted while its page was still
    // being made: it shows the finished page, not the blank one of then.
    {
      const TRect r = place(0);
      int dark = 0;
      for (int y = r.Top + 4; y < r.Bottom - 4; ++y)
        for (int x = r.Left + 4; x < r.Right - 4; ++x) {
          const TColor c = kept->Pixel(x, y);
          dark += GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
        }
      EXPECT_GT(dark, 0) << "pass " << pass << ": the first thumbnail is blank";
    }
    // A second run into the same printer: other lines on the pages.
    if (pass == 0) {
      rep->OnNeedData() = [this](TObject*, bool& more) {
        more = fed < lines;
        if (more) detail->SetCaption("ΑΛΛΟ ΚΕΙΜΕΝΟ ΠΟΛΥ ΜΑΚΡΥ ΜΕ ΠΟΛΛΕΣ ΛΕΞΕΙΣ "_a + IntToStr(++fed));
      };
      fed = 0;
      w.RpPrinter()->FreePages();
      rep->RunInto(w.RpPrinter());
      Application->ProcessMessages();
    }
  }
}

TEST_F(RpPrevTest, ThePictureOfTheWindowAtFitAndAtOneHundred) {
  rep->PrevShowThumbs = true;
  rep->PrevShowSearch = true;
  rep->PreviewInitialState = wsNormal;
  rep->ReportTitle = "Αποτελέσματα"_a;
  // The window opens at the report's own zoom, fit to the page though the
  // report asks its preview to start.
  rep->SetZoom(75);
  rep->PrevInitialZoom = rpZoomToFit;
  TRpStandardPreview& w = Preview(120);
  w.Show();
  Application->ProcessMessages();
  EXPECT_TRUE(w.Tabs->Visible());
  EXPECT_TRUE(w.ThumbChk->Checked());
  EXPECT_EQ(w.Caption(), "Προεπισκόπιση εκτύπωσης : Αποτελέσματα"_a);
  EXPECT_EQ(w.Width(), 900);  // the report's 500 is below 700
  EXPECT_TRUE(w.Zoom100->Down());
  EXPECT_FALSE(w.ZoomFit->Down());
  EXPECT_EQ(w.RpPreview->Zoom(), 75);
  backend->SaveWindowPng(w, TestOutput("preview-75.png"));
  backend->Click(*w.ZoomFit, 3, 3);
  EXPECT_TRUE(w.ZoomFit->Down());
  EXPECT_LE(w.RpPreview->Image()->Height(), w.RpPreview->ViewRect().Height());
  backend->SaveWindowPng(w, TestOutput("preview-fit.png"));
  backend->Click(*w.Zoom100, 3, 3);
  EXPECT_TRUE(w.Zoom100->Down());
  EXPECT_EQ(w.RpPreview->Zoom(), 100);
  w.ZoomIn->Click();
  EXPECT_EQ(w.RpPreview->Zoom(), 120);
  w.ZoomOut->Click();
  w.ZoomOut->Click();
  EXPECT_EQ(w.RpPreview->Zoom(), 80);
  w.DoZoom100();
  backend->SaveWindowPng(w, TestOutput("preview-100.png"));
  // The tick hides the tabs and the page takes their room.
  w.ThumbChk->SetChecked(false);
  EXPECT_FALSE(w.Tabs->Visible());
  EXPECT_FALSE(w.Splitter2->Visible());
  EXPECT_EQ(w.RpPreview->Left(), 0);
  w.ThumbChk->SetChecked(true);
  EXPECT_TRUE(w.Tabs->Visible());
  EXPECT_TRUE(w.Splitter2->Visible());
  EXPECT_GE(w.RpPreview->Left(), 157);
}

}  // namespace

namespace {

TEST_F(RpPrevTest, PreviewWaitsForTheWindowToCloseAndTheReportHearsItsCommands) {
  std::vector<std::pair<int, std::string>> events;
  rep->OnStandPrevEvent = [&](TObject*, int type, const AnsiString& name, bool& handled) {
    events.push_back({type, name});
    handled = type == 2;  // the report copies the page itself
  };
  // A close asked for while the run is busy is refused; one asked for once
  // it is over closes the window, and only then does Preview return.
  bool refused = false;
  during = [&](int record) {
    if (record != 100) return;
    Window()->Close();
    refused = Window()->Visible();
  };
  int afterPreview = 0;
  // A second close while the first goes on is no second close.
  rep->AfterPreview = [&](TObject*) {
    if (afterPreview++ > 0) return;
    PostMessage(Window()->Handle(), WM_CLOSE, 0, 0);
    PostMessage(Window()->Handle(), WM_CLOSE, 0, 0);
  };
  lines = 120;
  Clipboard()->Clear();
  rep->OnStartPage = [&](TObject*) {
    if (TRpStandardPreview* w = Window(); w && rep->PageNumber == 2) w->copybutton->Click();
  };
  rep->Preview();
  EXPECT_EQ(rep->PreviewPrinter(), nullptr);
  Application->ProcessMessages();  // the window frees itself
  EXPECT_EQ(Window(), nullptr);
  EXPECT_TRUE(refused);
  EXPECT_GE(afterPreview, 1);
  EXPECT_EQ(events, (std::vector<std::pair<int, std::string>>{{0, ""}, {2, "Copy"}}));
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_ENHMETAFILE), "");
}

}  // namespace

namespace {

TEST_F(RpPrevTest, APrinterThatGoesLeavesThePreviewEmpty) {
  TRpPreview* preview = Add<TRpPreview>(0, 0, 300, 300);
  {
    TRpPrinter printer;
    printer.BeginDoc();
    printer.NewPage();
    printer.EndDoc();
    preview->SetRpPrinter(&printer);
    EXPECT_NE(preview->Image()->PageMetafile(), nullptr);
  }
  EXPECT_EQ(preview->RpPrinter(), nullptr);
  EXPECT_EQ(preview->Image()->PageMetafile(), nullptr);
  preview->SetPageNumber(2);  // nothing to show, nothing read
  ShowForm();
}

}  // namespace

namespace {

TEST_F(RpPrevTest, ASpreadsheetExportTooLongForTheSheetSaysSoAndWritesNothing) {
  TRpExcelFilter excel(nullptr);
  TRpStandardPreview& w = Preview(20);
  lines = 66000;  // the export runs the report again, longer now
  fed = 0;
  backend->ExpectModal("Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης"_a, [&](TCustomForm& f) {
    auto& filters = Found<TComboBox>(f, "FilterList");
    filters.SetFocus();
    backend->PressKey(VK_DOWN);
    backend->PressKey(VK_DOWN);
    auto& edit = Found<TEdit>(f, "FileNameEdit");
    edit.SetText(folder / "long.xls");
    edit.SetFocus();
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("65536", IDOK);
  w.SaveReport->Click();
  EXPECT_EQ(backend->PendingAnswers(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_TRUE(rep->Available);
}

}  // namespace

namespace {

TEST_F(RpPrevTest, AReportPreviewedAloneHasNoWindowForPrintRequests) {
  TRpStandardPreview& w = Preview(60);
  TRpPrinter* shown = w.RpPrinter();
  EXPECT_EQ(shown->PreviewWindow, nullptr);
  // No window runs the report again: the stored pages print.
  shown->SetPrintMetaFile(false);
  shown->Print();
  Application->ProcessMessages();
  const std::vector<std::string> pdfs = PdfsIn(folder.path());
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_NE(RunCommand("pdfinfo '" + pdfs[0] + "' 2>&1").find("Pages:           2"), std::string::npos);
  w.Close();
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
}

TEST_F(RpPrevTest, ACancelledRunTakesItsWindowAway) {
  during = [&](int record) {
    if (record == 70) rep->Cancel();
  };
  lines = 200;
  rep->Preview();
  EXPECT_TRUE(rep->Cancelled);
  EXPECT_EQ(rep->PreviewPrinter(), nullptr);
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
}

TEST_F(RpPrevTest, AReportFreedUnderItsOpenPreviewTakesTheWindowAway) {
  Preview(60);
  delete rep;
  rep = nullptr;
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
}

// A tree the program is handed to show the outline in: nodes by number.
struct OutlineTree : TRpOutlineView {
  std::vector<AnsiString> nodes;
  void BeginUpdate() override {}
  void EndUpdate() override {}
  void Clear() override { nodes.clear(); }
  void* AddChild(void*, const AnsiString& text) override {
    nodes.push_back(text);
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(nodes.size()));
  }
  // The user selects node N (1-based; 0 for none).
  void Select(int n) {
    if (OnChange) OnChange(reinterpret_cast<void*>(static_cast<std::intptr_t>(n)));
  }
};

TEST_F(RpPrevTest, SelectingAnOutlineEntryShowsItsPage) {
  TRpStandardPreview& w = Preview(300);
  TRpOutline* outline = w.RpPrinter()->PageList()->Outline();
  outline->AddEntry("Προσφορές"_a, 0, {}, 1);
  outline->AddEntry("Ασφαλτος"_a, 1, {}, 4);
  outline->AddEntry("Τέλος"_a, 0, {}, 0);  // no page: nothing moves
  OutlineTree tree;
  w.RpPreview->SetOutline(&tree);
  EXPECT_EQ(tree.nodes, (std::vector<AnsiString>{"Προσφορές"_a, "Ασφαλτος"_a, "Τέλος"_a}));
  tree.Select(2);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 4 από "_a + IntToStr(w.RpPrinter()->PageCount()));
  tree.Select(3);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  tree.Select(0);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  tree.Select(1);
  EXPECT_EQ(w.RpPreview->PageNumber(), 1);
  // Another tree takes over; the first no longer reaches the window.
  OutlineTree other;
  w.RpPreview->SetOutline(&other);
  EXPECT_FALSE(tree.OnChange);
  other.Select(2);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  w.RpPreview->SetOutline(nullptr);
  EXPECT_FALSE(other.OnChange);
}

// Runs Action once when a posted message reaches it.
class Poster : public TWindowTarget {
 public:
  LRESULT WindowMessage(UINT, WPARAM, LPARAM) override {
    const std::function<void()> action = std::move(Action);
    Action = nullptr;
    if (action) action();
    return 0;
  }
  std::function<void()> Action;
};

TEST_F(RpPrevTest, ASecondSearchWaitsForTheFirstAndThenRuns) {
  TRpStandardPreview& w = Preview(300);
  Poster poster;
  const HWND posterWindow = ui::RegisterWindow(&poster);
  std::vector<AnsiString> asked;
  const auto answer = [&](const AnsiString& text) {
    backend->ExpectModal("Ανεύρεση κειμένου"_a, [&, text](TCustomForm& f) {
      asked.push_back(text);
      Found<TEdit>(f, "Edit1").SetText(text);
      Found<TSpeedButton>(f, "SpeedButton2").Click();
    });
  };
  // While the first search ("line") runs, the user asks for another
  // ("ασφαλτος γραμμή 70"): it is not refused, it runs once the first ends.
  int listedDuringSecond = -1;
  poster.Action = [&] {
    answer("ασφαλτος γραμμή 70"_a);
    w.FindButton->Click();
    listedDuringSecond = w.SearchResultBox->Items()->Count();
  };
  answer("line");
  PostMessage(posterWindow, WM_USER, 0, 0);
  w.FindButton->Click();
  EXPECT_EQ(asked, (std::vector<AnsiString>{"line", "ασφαλτος γραμμή 70"_a}));
  // The second returned at once, the first still listing its pages.
  EXPECT_LT(listedDuringSecond, 6);
  EXPECT_EQ(w.SearchTextLabel->Caption(), "ασφαλτος γραμμή 70"_a);
  ASSERT_EQ(w.SearchResultBox->Items()->Count(), 1);
  EXPECT_EQ(w.SearchResultBox->Items()->Get(0), "Σελίδα 2"_a);

  // Closing the window while a search runs closes it once the search ends.
  poster.Action = [&] {
    w.Close();
    EXPECT_NE(Window(), nullptr);
  };
  answer("line");
  PostMessage(posterWindow, WM_USER, 0, 0);
  w.FindButton->Click();
  EXPECT_EQ(w.SearchResultBox->Items()->Count(), 6);
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
  ui::UnregisterWindow(posterWindow);
}

}  // namespace

namespace {

// With the preview's pages switched off, printing runs the report again:
// the job carries every choice of the set-up that came first, not only the
// copies, and the same holds when the set-up button ran before the print.
TEST_F(RpPrevTest, PrintingTheReportAgainKeepsEveryChoiceOfTheSetUp) {
  TRpStandardPreview& w = Preview(120);
  const auto choose = [&] {
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      Found<TEdit>(f, "Copies").SetText("2");
      Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μικρή πλευρά"_a);
      Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
  };
  w.Show();
  Application->ProcessMessages();
  // The print button sets up first; the set-up button, once shown, only
  // sets up, and the switch may go off between the set-up and the print.
  const std::function<void()> ways[] = {[&] {
                                          backend->Click(*w.chkMetafile, 3, 3);
                                          ASSERT_FALSE(w.chkMetafile->Checked());
                                          w.Print->Click();
                                        },
                                        [&] {
                                          w.PrintSetup->SetVisible(true);
                                          w.PrintSetup->Click();
                                          backend->Click(*w.chkMetafile, 3, 3);
                                          w.Print->Click();
                                        }};
  for (const auto& print : ways) {
    // Each way starts from the report's and the printer's own settings.
    rep->PrinterSettings = TBandRepPrinterSettings{};
    RpPreviewPrintsPages = true;
    w.chkMetafile->SetChecked(true);
    Printer()->ResetDeviceMode();
    printers::ClearJobLog();
    fed = 0;
    choose();
    print();
    EXPECT_EQ(backend->PendingAnswers(), 0);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    const TPrintJobRecord& job = printers::JobLog()[0];
    EXPECT_EQ(job.Mode.dmCopies, 2);
    EXPECT_EQ(job.Mode.dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(job.Mode.dmColor, DMCOLOR_MONOCHROME);
    EXPECT_EQ(fed, 120);  // the report ran again
  }
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
}

}  // namespace

namespace {

// Pages of no report (a caller's own printer): the window's set-up gives
// the printer every choice of the dialog, and the stored pages print with
// them.
TEST_F(RpPrevTest, PagesOfNoReportPrintWithEveryChoiceOfTheSetUp) {
  TRpPrinter printer;
  printer.SetOrientation(poLandscape);
  printer.BeginDoc();
  for (int page = 1; page <= 3; ++page) {
    printer.NewPage();
    printer.Canvas()->Font->Name = "Arial";
    printer.Canvas()->Font->SetSize(12);
    printer.Canvas()->TextOut(printer.DeviceX(300), printer.DeviceY(400),
                              "Σελίδα χωρίς έκθεση "_a + IntToStr(page));
  }
  printer.EndDoc();
  RpShowPreview(&printer);
  TRpStandardPreview* w = Window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Report(), nullptr);
  EXPECT_EQ(w->WindowState, wsMaximized);
  printers::ClearJobLog();
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "Copies").SetText("2");
    Found<TCheckBox>(f, "Collate").SetChecked(true);
    EXPECT_TRUE(Found<TRadioButton>(f, "PageNums").Enabled());  // the range is offered
    Found<TRadioButton>(f, "PageNums").SetChecked(true);
    Found<TEdit>(f, "FromPage").SetText("2");
    Found<TEdit>(f, "ToPage").SetText("3");
    Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μικρή πλευρά"_a);
    Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  w->Print->Click();
  EXPECT_EQ(backend->PendingAnswers(), 0);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  const TPrintJobRecord& job = printers::JobLog()[0];
  EXPECT_EQ(job.Mode.dmCopies, 2);
  EXPECT_EQ(job.Mode.dmCollate, 1);
  EXPECT_EQ(job.Mode.dmDuplex, DMDUP_HORIZONTAL);
  EXPECT_EQ(job.Mode.dmColor, DMCOLOR_MONOCHROME);
  // Landscape pages stay on a landscape sheet.
  EXPECT_TRUE(w->Landscape);
  EXPECT_EQ(job.Mode.dmOrientation, DMORIENT_LANDSCAPE);
  const std::vector<std::string> pdfs = PdfsIn(folder.path());
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_NE(RunCommand("pdfinfo '" + pdfs[0] + "' 2>&1").find("Pages:           4"), std::string::npos);
  std::string text;
  ASSERT_TRUE(PdfText(pdfs[0], text));
  EXPECT_EQ(text.find("Σελίδα χωρίς έκθεση 1"), std::string::npos) << text;
  EXPECT_NE(text.find("Σελίδα χωρίς έκθεση 3"), std::string::npos) << text;
  w->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Window(), nullptr);
}

}  // namespace

namespace {

// Two preview windows at once: each names its own pages in its status
// line, and a file loaded in one leaves the other's name alone.
TEST_F(RpPrevTest, EachWindowKeepsItsOwnFileName) {
  rep->ReportTitle = "Πρώτη"_a;
  TRpStandardPreview& first = Preview(120);
  first.RpPrinter()->Save(folder / "saved.RPP");
  TRpPrinter pages;
  pages.Title = "Δεύτερη"_a;
  pages.BeginDoc();
  pages.NewPage();
  pages.EndDoc();
  RpShowPreview(&pages);
  TRpStandardPreview* second = Window();
  ASSERT_NE(second, &first);
  EXPECT_EQ(second->StatusBar->Panels[2].Text, "Δεύτερη"_a);
  first.GoToPage(2);
  EXPECT_EQ(first.StatusBar->Panels[2].Text, "Πρώτη"_a);
  backend->ExpectModal("Φόρτωμα εκτύπωσης"_a, [&](TCustomForm& f) {
    Found<TEdit>(f, "FileNameEdit").SetText(folder / "saved.RPP");
    Found<TEdit>(f, "FileNameEdit").SetFocus();
    backend->PressKey(VK_RETURN);
  });
  ASSERT_TRUE(FileExists(folder / "saved.RPP"));
  second->LoadReport->Click();
  EXPECT_EQ(second->RpPrinter()->PageCount(), 3);
  EXPECT_EQ(second->StatusBar->Panels[2].Text, folder / "saved.RPP");
  first.GoToPage(3);
  EXPECT_EQ(first.StatusBar->Panels[2].Text, "Πρώτη"_a);
  EXPECT_EQ(first.FileName, "Πρώτη"_a);
  second->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Window(), &first);
}

}  // namespace

namespace {

// The window's size is the report's unless that is below 700, and the
// arrows turn pages in the middle of a report as at its start.
TEST_F(RpPrevTest, TheReportsSizeBelowSevenHundredAndTheArrowsBetweenPages) {
  rep->PreviewInitialState = wsNormal;
  const struct {
    int width, height, shownWidth, shownHeight;
  } sizes[] = {{600, 600, 900, 950}, {699, 700, 900, 700}, {800, 760, 800, 760}};
  for (const auto& c : sizes) {
    rep->SetPreviewWidth(c.width);
    rep->SetPreviewHeight(c.height);
    TRpStandardPreview& w = Preview(60);
    EXPECT_EQ(w.Width(), c.shownWidth) << c.width;
    EXPECT_EQ(w.Height(), c.shownHeight) << c.height;
    w.Close();
    Application->ProcessMessages();
  }
  TRpStandardPreview& w = Preview(300);
  w.RpPreview->SetZoom(200);
  TControlScrollBar& bar = w.RpPreview->VertScrollBar();
  w.GoToPage(3);
  bar.SetPosition(w.RpPreview->VerticalEnd());
  Word down = VK_DOWN;
  w.PreviewKeyDown(down, {});
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  EXPECT_EQ(bar.Position(), 0);
  Word up = VK_UP;
  w.PreviewKeyDown(up, {});
  EXPECT_EQ(w.RpPreview->PageNumber(), 3);
  EXPECT_EQ(bar.Position(), w.RpPreview->VerticalEnd() - bar.Increment);
  EXPECT_EQ(w.ThumbGrid->Row(), 2);
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 3 από 6"_a);
}

}  // namespace

namespace {

// A tree view beside the pages shows the outline; a click on an entry shows
// its page, and a tree freed first leaves the preview working.
TEST_F(RpPrevTest, AnOutlineTreeTurnsToThePageOfTheEntryClicked) {
  TRpStandardPreview& w = Preview(300);
  TRpOutline* outline = w.RpPrinter()->PageList()->Outline();
  outline->AddEntry("Προσφορές"_a, 0, {}, 2);
  outline->AddEntry("Ασφαλτος"_a, 1, {}, 4);
  outline->AddEntry("Τέλος"_a, 0, {}, 6);
  outline->AddEntry("Σημειώσεις"_a, 0, {}, 0);
  auto* tree = new TTreeView(&w);
  tree->SetParent(&w);
  tree->SetAlign(alRight);
  tree->SetWidth(150);
  w.RpPreview->SetOutlineTree(tree);
  EXPECT_EQ(w.RpPreview->OutlineTree(), tree);
  ASSERT_EQ(tree->Items()->Count(), 4);
  EXPECT_EQ(tree->Items()->Item(1)->Parent(), tree->Items()->Item(0));
  w.Show();
  Application->ProcessMessages();
  const auto click = [&](int entry) {
    TTreeNode* node = tree->Items()->Item(entry);
    const TRect line = tree->NodeRect(node);
    ASSERT_FALSE(line.IsEmpty()) << entry;
    backend->Click(*tree, 4 + (node->Level() + 1) * tree->Indent + 10, (line.Top + line.Bottom) / 2);
    EXPECT_EQ(tree->Selected(), node);
  };
  click(2);
  EXPECT_EQ(w.RpPreview->PageNumber(), 6);
  EXPECT_EQ(w.StatusBar->Panels[1].Text, "Σελίδα 6 από 6"_a);
  EXPECT_EQ(w.ThumbGrid->Row(), 5);
  click(0);
  EXPECT_EQ(w.RpPreview->PageNumber(), 2);
  // Right opens the entry; its child shows and takes the user to its page.
  backend->PressKey(VK_RIGHT);
  EXPECT_TRUE(tree->Items()->Item(0)->Expanded());
  click(1);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  // An entry of no page leaves the page as it is.
  click(3);
  EXPECT_EQ(w.RpPreview->PageNumber(), 4);
  delete tree;
  EXPECT_EQ(w.RpPreview->OutlineTree(), nullptr);
  EXPECT_EQ(w.RpPreview->Outline(), nullptr);
  w.GoToPage(5);
  EXPECT_EQ(w.RpPreview->PageNumber(), 5);
  // A tree taken away in code lets go of the window too.
  auto* again = new TTreeView(&w);
  again->SetParent(&w);
  w.RpPreview->SetOutlineTree(again);
  EXPECT_EQ(again->Items()->Count(), 4);
  w.RpPreview->SetOutlineTree(nullptr);
  EXPECT_FALSE(again->OnChange);
  again->SetSelected(again->Items()->Item(0));
  EXPECT_EQ(w.RpPreview->PageNumber(), 5);
}

}  // namespace
