// One scene drawn three ways: straight onto an image, recorded as a
// metafile and played back onto an image, and onto PDF pages. The played
// back image matches the direct one; another program reads the metafile
// and finds its text; the PDF is sound and its text can be extracted.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "../OtherPrograms.h"
#include "../rtl/TempFolder.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/PdfCanvas.h"

namespace {

constexpr int kWidth = 640, kHeight = 400;

const char* const kTexts[] = {
    "Πίνακας προσφορών", "Μέση έκπτωση 12,34%", "ΣΥΝΟΛΟ",       "Tender 2004", "Ποσό εγγύησης: 1.234,56 €",
    "Κατάταξη",          "δεξιά στοίχιση",      "Ζώνη αποκοπής"};

std::string SceneText(int i) { return kTexts[i]; }

void DrawScene(TCanvas& c) {
  // Background and a frame.
  c.Brush->Color = clWindow;
  c.FillRect(Rect(0, 0, kWidth, kHeight));
  c.Pen->Color = clBlack;
  c.Brush->Style = bsClear;
  c.Rectangle(4, 4, kWidth - 4, kHeight - 4);

  // Text in several faces, styles and alignments.
  struct Line {
    const char* face;
    int height;
    TFontStyles style;
    unsigned align;
    int x, y;
    TColor color;
  } lines[] = {
      {"Arial", -20, fsBold, TA_LEFT, 20, 16, clNavy},
      {"Times New Roman", -16, fsItalic, TA_LEFT, 20, 48, clMaroon},
      {"Courier New", -13, 0, TA_LEFT, 20, 76, clBlack},
      {"Tahoma", -11, fsUnderline, TA_CENTER, 320, 100, clGreen},
      {"Arial Greek", -13, 0, TA_LEFT, 20, 124, clBlack},
      {"MS Sans Serif", -11, fsStrikeOut, TA_LEFT, 300, 124, clPurple},
      {"Arial", -13, 0, TA_RIGHT, 620, 150, clBlack},
  };
  for (size_t i = 0; i < std::size(lines); ++i) {
    const Line& l = lines[i];
    c.Font->Name = l.face;
    c.Font->SetHeight(l.height);
    c.Font->Style = l.style;
    c.Font->Color = l.color;
    c.SetTextAlign(l.align);
    c.TextOut(l.x, l.y, cp1253::FromUtf8(SceneText(static_cast<int>(i))));
  }
  c.SetTextAlign(TA_LEFT | TA_TOP);
  c.Font->Style = 0;
  c.Font->Color = clWindowText;

  // An opaque text cell and DrawText in a box.
  c.Brush->Style = bsSolid;
  c.Brush->Color = clInfoBk;
  c.Font->Name = "Arial";
  c.Font->SetHeight(-12);
  c.TextRect(Rect(20, 170, 200, 190), 24, 172, "Ζώνη αποκοπής: 10%"_a);
  c.Brush->Style = bsClear;
  TRect box = Rect(220, 170, 420, 240);
  c.Rectangle(box);
  c.DrawText("Η προσφορά κρίνεται ασυνήθιστα χαμηλή και &εξετάζεται"_a, box, DT_WORDBREAK | DT_CENTER);

  // Lines, shapes.
  c.Pen->Color = clRed;
  c.Pen->Width = 1;
  c.MoveTo(20, 260);
  c.LineTo(620, 260);
  c.Pen->Style = psDash;
  c.MoveTo(20, 270);
  c.LineTo(620, 270);
  c.Pen->Style = psSolid;
  c.Pen->Width = 3;
  c.Pen->Color = clTeal;
  c.Brush->Style = bsSolid;
  c.Brush->Color = clYellow;
  c.Ellipse(440, 20, 620, 90);
  c.Pen->Width = 1;
  c.Pen->Color = clBlue;
  c.Brush->Color = clSkyBlue;
  c.RoundRect(440, 170, 620, 240, 20, 20);
  c.Brush->Style = bsBDiagonal;
  c.Brush->Color = clGray;
  c.Polygon({{30, 380}, {120, 290}, {210, 380}});
  c.Brush->Style = bsClear;
  c.Arc(230, 290, 330, 380, 330, 335, 230, 335);

  // A bitmap, plain and with a transparent colour.
  TBitmap bitmap(16, 12);
  bitmap.Canvas()->Brush->Color = clFuchsia;
  bitmap.Canvas()->FillRect(Rect(0, 0, 16, 12));
  bitmap.Canvas()->Brush->Color = clGreen;
  bitmap.Canvas()->FillRect(Rect(3, 2, 13, 10));
  c.Draw(350, 290, &bitmap);
  bitmap.Transparent = true;
  c.StretchDraw(Rect(380, 290, 444, 338), &bitmap);

  // Clipping: a rectangle, then a region of two, then none.
  int saved = c.SaveDC();
  c.IntersectClipRect(Rect(460, 280, 540, 330));
  c.Brush->Style = bsSolid;
  c.Brush->Color = clLime;
  c.Ellipse(440, 270, 600, 390);
  TRegion two{Rect(560, 280, 580, 300), Rect(590, 320, 615, 380)};
  c.SelectClipRgn(&two);
  c.Brush->Color = clRed;
  c.FillRect(Rect(540, 270, 630, 390));
  c.RestoreDC(saved);
  c.Font->Name = "Courier New";
  c.Font->SetHeight(-13);
  c.Brush->Style = bsClear;
  c.TextOut(460, 340, "clip ΟΚ"_a);
}

class SceneTest : public ::testing::Test {
 protected:
  // A UTF-8 path inside the test's folder.
  std::string PathOf(const char* name) const { return folder.path() + "/" + name; }
  std::string Write(const char* name, const std::string& bytes) {
    WriteBytes(PathOf(name), bytes);
    return PathOf(name);
  }
  TempFolder folder;
};

TEST_F(SceneTest, MetafilePlaybackMatchesDirectDrawing) {
  TImageCanvas direct(kWidth, kHeight);
  DrawScene(direct);
  TMetafile mf;
  mf.SetWidth(kWidth);
  mf.SetHeight(kHeight);
  {
    TMetafileCanvas canvas(&mf);
    DrawScene(canvas);
  }
  TImageCanvas played(kWidth, kHeight);
  EXPECT_TRUE(PlayEnhMetafile(played, mf.Data(), Rect(0, 0, kWidth, kHeight)));
  int differing = 0, inked = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      differing += direct.Pixel(x, y) != played.Pixel(x, y);
      inked += direct.Pixel(x, y) != clWhite;
    }
  EXPECT_GT(inked, kWidth * kHeight / 20);
  // A small tolerance: anti-aliased glyph edges may round differently.
  EXPECT_LE(differing, kWidth * kHeight / 1000) << differing << " pixels differ";
  if (const char* keep = std::getenv("DIM_SCENE_OUTPUT")) {
    direct.SaveToPng(std::string(keep) + "/scene-direct.png");
    played.SaveToPng(std::string(keep) + "/scene-played.png");
    std::ofstream(std::string(keep) + "/scene.emf", std::ios::binary) << mf.Data();
  }
}

TEST_F(SceneTest, AnotherProgramReadsTheMetafileAndItsText) {
  ASSERT_TRUE(Installed("emf2svg-conv", "emf2svg"));
  TMetafile mf;
  mf.SetWidth(kWidth);
  mf.SetHeight(kHeight);
  {
    TMetafileCanvas canvas(&mf);
    DrawScene(canvas);
  }
  std::string emf = Write("scene.emf", mf.Data());
  const std::string svg = PathOf("scene.svg");
  int status = -1;
  RunCommand("emf2svg-conv -i '" + emf + "' -o '" + svg + "' 2>&1", &status);
  ASSERT_EQ(status, 0);
  const std::string text = ReadBytes(svg);
  for (const char* expected : kTexts) EXPECT_NE(text.find(expected), std::string::npos) << expected;
  EXPECT_NE(text.find("<ellipse"), std::string::npos);
  EXPECT_NE(text.find("<image"), std::string::npos);
}

TEST_F(SceneTest, PdfIsSoundAndItsTextExtracts) {
  // Straight onto a page at screen resolution, then the metafile played
  // onto a 600-dot A4 page with unprintable margins, as a report prints.
  TDeviceCaps screen;
  screen.LogPixelsX = screen.LogPixelsY = 96;
  screen.HorzRes = screen.PhysicalWidth = kWidth;
  screen.VertRes = screen.PhysicalHeight = kHeight;
  TPdfCanvas pdf(screen, "Σκηνή"_a);
  DrawScene(pdf);
  TMetafile mf;
  mf.SetWidth(kWidth);
  mf.SetHeight(kHeight);
  {
    TMetafileCanvas canvas(&mf);
    DrawScene(canvas);
  }
  TDeviceCaps printer;
  printer.LogPixelsX = printer.LogPixelsY = 600;
  printer.PhysicalWidth = 4961;
  printer.PhysicalHeight = 7016;
  printer.PhysicalOffsetX = printer.PhysicalOffsetY = 100;
  printer.HorzRes = 4761;
  printer.VertRes = 6816;
  TPdfCanvas page(printer);
  EXPECT_TRUE(PlayEnhMetafile(page, mf.Data(), Rect(0, 0, kWidth * 600 / 96, kHeight * 600 / 96)));
  std::string direct = Write("direct.pdf", pdf.Finish());
  std::string played = Write("played.pdf", page.Finish());
  for (const std::string& file : {direct, played}) {
    EXPECT_TRUE(PdfIsSound(file));
    if (std::string text; PdfText(file, text)) {
      for (const char* expected : {"Πίνακας προσφορών", "Ποσό εγγύησης: 1.234,56 €", "Ζώνη αποκοπής: 10%"})
        EXPECT_NE(text.find(expected), std::string::npos) << file << ": " << expected << "\n" << text;
    }
  }
}

}  // namespace
