#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/rtl/FileUtils.h"
#include "printing/RichPreview.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

TMetafile APage(const AnsiString& text) {
  TMetafile page;
  page.SetWidth(794);
  page.SetHeight(1123);
  {
    TMetafileCanvas canvas(&page);
    canvas.TextOut(100, 100, text);
    canvas.Rectangle(50, 50, 700, 1000);
  }
  return page;
}

TEST(RichPreviewPages, ACompressedPageIsOneFastZlibStreamOfTheMetafile) {
  TPreviewPageFiles files(true);
  const TMetafile page = APage("Σελίδα 1"_a);
  ASSERT_TRUE(files.SavePage(0, page));
  const std::string packed = ReadWholeFile(files.PageName(0));
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x01);
  EXPECT_FALSE(FileExists(files.Folder() + "PreviewMetafile0"));  // only while written or drawn
  std::string inflated(page.Data().size() + 16, '\0');
  uLongf size = inflated.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                       reinterpret_cast<const Bytef*>(packed.data()), packed.size()),
            Z_OK);
  inflated.resize(size);
  EXPECT_EQ(inflated, page.Data());
  TMetafile back;
  ASSERT_TRUE(files.LoadPage(0, back));
  EXPECT_EQ(back.Data(), page.Data());
}

TEST(RichPreviewPages, MissingOrDamagedPagesDrawNothingAndClosingLeavesNoFile) {
  for (bool compress : {true, false}) {
    AnsiString folder;
    {
      TPreviewPageFiles files(compress);
      folder = files.Folder();
      for (int n = 0; n < 3; ++n) ASSERT_TRUE(files.SavePage(n, APage("p" + IntToStr(n))));
      TMetafile page;
      EXPECT_FALSE(files.LoadPage(7, page));
      std::string bytes = ReadWholeFile(files.PageName(1));
      bytes.resize(bytes.size() / 2);
      SafeWriteFile(files.PageName(1), bytes);
      EXPECT_FALSE(files.LoadPage(1, page)) << compress;
      EXPECT_TRUE(page.Empty());
      EXPECT_TRUE(files.LoadPage(2, page));
    }
    EXPECT_FALSE(DirectoryExists(folder)) << compress;
  }
}

TEST(RichPreviewPages, TwoPreviewsNeverShareAFile) {
  TPreviewPageFiles a(true), b(true);
  EXPECT_NE(a.Folder(), b.Folder());
  ASSERT_TRUE(a.SavePage(0, APage("A")));
  ASSERT_TRUE(b.SavePage(0, APage("B")));
  TMetafile page;
  ASSERT_TRUE(a.LoadPage(0, page));
  EXPECT_EQ(page.Data(), APage("A").Data());
}

}  // namespace

namespace {

TEST(RichPreviewNavigation, ArrowsMoveByTheViewAndStopAtTheEnds) {
  const struct {
    bool facing, fourUp;
    int last;
    const char* moves;  // n next, p previous, f first, l last
    int current;
    const char* label;
  } cases[] = {
      {false, false, 0, "n", 0, "1"},     {false, false, 9, "nnn", 3, "4"}, {true, false, 9, "nn", 4, "5-6"},
      {true, false, 9, "l", 8, "9-10"},   {true, false, 8, "l", 8, "9"},    {false, true, 9, "nnn", 9, "10"},
      {true, true, 20, "l", 16, "17-21"}, {true, true, 20, "np", 0, "1-8"}, {false, false, 5, "lp", 4, "5"},
      {false, true, 5, "n", 4, "5-6"},
  };
  for (const auto& c : cases) {
    TPreviewNavigation nav;
    nav.Facing = c.facing, nav.FourUp = c.fourUp, nav.LastPage = c.last;
    for (const char* m = c.moves; *m; ++m) {
      if (*m == 'n') nav.Next();
      if (*m == 'p') nav.Previous();
      if (*m == 'l') nav.Last();
    }
    EXPECT_EQ(nav.Current, c.current) << c.moves;
    EXPECT_EQ(nav.PageLabel(), c.label) << c.moves;
  }
  TPreviewNavigation one;
  EXPECT_FALSE(one.CanGoBack() || one.CanGoOn());
}

TEST(RichPreviewNavigation, TypedPagesAndFourUpSheets) {
  TPreviewNavigation nav;
  nav.LastPage = 9, nav.Facing = true;
  nav.GoTo("4");
  EXPECT_EQ(nav.Current, 2);  // page 4 is the right page of 3-4
  nav.GoTo("11");
  nav.GoTo("x");
  EXPECT_EQ(nav.Current, 2);
  for (const auto& [pages, sheets] : {std::pair{1, 1}, {4, 1}, {5, 2}, {8, 2}}) {
    nav.LastPage = pages - 1;
    EXPECT_EQ(nav.FourUpSheets(), sheets) << pages;
  }
}

TEST(RichPreviewZoom, ZoomOutStopsAtOneAndABadStepIsATenth) {
  TPreviewZoom zoom;
  zoom.Out();
  EXPECT_EQ(zoom.Zoom, 1.0L);
  EXPECT_FALSE(zoom.CanZoomOut());
  zoom.SetStepText("0.5");
  zoom.In();
  EXPECT_EQ(TPreviewZoom::Text(zoom.Zoom), "1.500");
  zoom.SetStepText("_.___");
  EXPECT_EQ(zoom.Step, 0.1L);
}

}  // namespace
