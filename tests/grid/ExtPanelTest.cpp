#include <gtest/gtest.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"
#include "platform/ui/WindowManager.h"
#include "tests/TestOutput.h"
#include "tests/grid/PanelFixture.h"

namespace {

TEST_F(ExtPanelTest, HiddenAtStartUntilTheWindowShowsItWithItsControls) {
  auto* edit = new TEdit(form.get());
  edit->SetParent(panel);
  edit->SetBounds(10, 40, 80, 21);
  panel->Hide();
  ShowForm();
  EXPECT_FALSE(panel->Showing());
  EXPECT_FALSE(edit->Showing());
  panel->Show();
  Application->ProcessMessages();
  EXPECT_TRUE(panel->Showing());
  EXPECT_TRUE(edit->Showing());
  EXPECT_EQ(edit->Parent(), panel);
  panel->SetVisible(false);
  EXPECT_FALSE(edit->Showing());
}

TEST_F(ExtPanelTest, DefaultsAreThoseOfANewPanel) {
  TExtPanel fresh(nullptr);
  EXPECT_FALSE(fresh.Caption().Visible());
  EXPECT_EQ(fresh.Caption().Height(), 20);
  EXPECT_EQ(fresh.Caption().Color(), clHighlight);
  EXPECT_EQ(fresh.Caption().ShadeType(), stNormal);
  EXPECT_EQ(fresh.Caption().ShadeLight(), 200);
  EXPECT_EQ(fresh.Caption().ShadeGrain(), 32);
  EXPECT_FALSE(fresh.Caption().CloseButton());
  EXPECT_FALSE(fresh.Caption().MinMaxButton());
  EXPECT_FALSE(fresh.CanMove);
  EXPECT_FALSE(fresh.CanSize());
  fresh.Caption().SetShadeLight(150);
  EXPECT_EQ(fresh.Caption().ShadeLight(), 200);
}

TEST_F(ExtPanelTest, SetTopIndentMovesTheCaptionTextAndRepaintsOnlyOnAChange) {
  ShowForm();
  const int top = CaptionCall().Args.at(1);
  ASSERT_FALSE(PanelAreaDirty());
  panel->Caption().SetTopIndent(14);
  EXPECT_EQ(panel->Caption().TopIndent(), 14);
  EXPECT_TRUE(PanelAreaDirty());
  EXPECT_EQ(CaptionCall().Args.at(1), top + 14);
  Application->ProcessMessages();
  ASSERT_FALSE(PanelAreaDirty());
  panel->Caption().SetTopIndent(14);  // the same value: nothing to repaint
  EXPECT_FALSE(PanelAreaDirty());
}

TEST_F(ExtPanelTest, CaptionTextIsDrawnInTheCaptionFontAfterTheIndents) {
  TFont font;
  font.Name = "Arial";
  font.Style = fsBold;
  font.Color = clWhite;
  panel->Caption().SetFont(font);
  panel->Caption().SetIndent(6);
  panel->Caption().SetTopIndent(3);
  ShowForm();
  const TDrawCall call = CaptionCall();
  EXPECT_EQ(call.Font.Name, "Arial");
  EXPECT_EQ(call.Font.Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(call.Font.Color, clWhite);
  // Raised outer bevel of width 1: the bar starts one pixel in.
  EXPECT_EQ(call.Args.at(0), 1 + 6);
  EXPECT_EQ(call.Args.at(1), 1 + 3);
}

TEST_F(ExtPanelTest, DiagonalShadeTonesOfTheCaptionColour) {
  ShowForm();
  Record();
  ASSERT_EQ(panel->ShadeBitmap().Width(), 451);
  ASSERT_EQ(panel->ShadeBitmap().Height(), 25);
  // Blue 255, green 128, red 0, scaled by tone/255.
  const auto tone = [](int v) { return static_cast<std::uint32_t>((128 * v / 255) << 8 | (255 * v / 255)); };
  EXPECT_EQ(ShadeAt(0, 0), tone(227));
  EXPECT_EQ(ShadeAt(450, 24), tone(102));
  // The bar shows the shade inside its one-pixel edge, within the bevel.
  const TImageCanvas* image = backend->Render(*form);
  const TPoint at = form->ScreenToClient(panel->ClientToScreen(Point(2, 2)));
  EXPECT_EQ(image->Pixel(at.X, at.Y), RGB(0, 128 * 227 / 255, 227));
  EXPECT_EQ(image->Pixel(at.X - 1, at.Y), ColorToRGB(clWhite));
}

TEST_F(ExtPanelTest, ShadeFollowsTheWidthAndColour) {
  ShowForm();
  Record();
  panel->SetWidth(300);
  Record();
  EXPECT_EQ(panel->ShadeBitmap().Width(), 300);
  panel->Caption().SetColor(clWhite);
  Record();
  EXPECT_EQ(ShadeAt(0, 0), 0xE3E3E3u);  // 227 in every component
}

TEST_F(ExtPanelTest, AlignedChildrenStayBelowTheCaptionBar) {
  auto* edit = new TMemo(form.get());
  edit->SetParent(panel);
  edit->SetAlign(alClient);
  EXPECT_EQ(edit->Top(), 25);
  panel->Caption().SetHeight(40);
  EXPECT_EQ(edit->Top(), 40);
  panel->Caption().SetVisible(false);
  EXPECT_EQ(edit->Top(), 1);  // inside the bevel only
}

TEST_F(ExtPanelTest, DraggingTheCaptionMovesThePanel) {
  int ended = 0;
  panel->OnEndMoveSize = [&](TObject*) { ++ended; };
  ShowForm();
  backend->PressMouse(*panel, 100, 10);
  backend->MoveMouse(*panel, 130, 30);
  backend->ReleaseMouse(*panel, 130, 30);
  EXPECT_EQ(panel->Left(), 50);
  EXPECT_EQ(panel->Top(), 50);
  EXPECT_EQ(panel->Width(), 451);
  EXPECT_EQ(ended, 1);
  // The body does not move it, nor the caption of a panel that may not move.
  backend->PressMouse(*panel, 100, 80);
  backend->MoveMouse(*panel, 140, 120);
  backend->ReleaseMouse(*panel, 140, 120);
  EXPECT_EQ(Point(panel->Left(), panel->Top()), Point(50, 50));
  panel->CanMove = false;
  backend->PressMouse(*panel, 100, 10);
  backend->MoveMouse(*panel, 140, 50);
  backend->ReleaseMouse(*panel, 140, 50);
  EXPECT_EQ(Point(panel->Left(), panel->Top()), Point(50, 50));
  EXPECT_EQ(ended, 1);
}

TEST_F(ExtPanelTest, CursorShowsWhereThePanelSizesAndMoves) {
  panel->ShowMoveCursor = true;
  ShowForm();
  backend->MoveMouse(*panel, panel->Width() - 4, panel->Height() - 4);
  EXPECT_EQ(backend->Cursor, crSizeNWSE);
  backend->MoveMouse(*panel, 100, 80);
  EXPECT_EQ(backend->Cursor, crArrow);
  // The caption answers as the window's caption: the moving flag is set.
  backend->MoveMouse(*panel, 100, 10);
  EXPECT_EQ(backend->Cursor, crSizeAll);
  panel->ShowMoveCursor = false;
  backend->MoveMouse(*panel, 101, 10);
  EXPECT_EQ(backend->Cursor, crArrow);
  panel->SetCanSize(false);
  backend->MoveMouse(*panel, panel->Width() - 4, panel->Height() - 4);
  EXPECT_EQ(backend->Cursor, crArrow);
}

TEST_F(ExtPanelTest, FixedTopKeepsTheTopWhileMoving) {
  panel->FixedTop = true;
  ShowForm();
  backend->PressMouse(*panel, 100, 10);
  backend->MoveMouse(*panel, 110, 60);
  backend->ReleaseMouse(*panel, 110, 60);
  EXPECT_EQ(Point(panel->Left(), panel->Top()), Point(30, 30));
}

TEST_F(ExtPanelTest, TheGripSizesThePanelAndIsDrawnOnlyWhenItMay) {
  ShowForm();
  const int w = panel->Width(), h = panel->Height();
  backend->PressMouse(*panel, w - 3, h - 3);
  backend->MoveMouse(*panel, w + 27, h - 23);
  backend->ReleaseMouse(*panel, w + 27, h - 23);
  EXPECT_EQ(panel->Width(), w + 30);
  EXPECT_EQ(panel->Height(), h - 20);
  // The longest grey line of the grip, 2 pixels in from the corner (within
  // the bevel).
  const int x = panel->Width() - 2, y = panel->Height() - 2;
  const auto hasGrip = [&] {
    for (const auto& call : Record()->CallsOf("Polyline"))
      if (call.Args == std::vector<int>{x, y - 11, x - 11, y} && call.Pen.Width == 2 &&
          call.Pen.Color == clGray)
        return true;
    return false;
  };
  EXPECT_TRUE(hasGrip());
  panel->SetCanSize(false);
  EXPECT_FALSE(hasGrip());
}

TEST_F(ExtPanelTest, CloseButtonHidesThePanelAndCaptionClicksAreReported) {
  std::vector<AnsiString> events;
  panel->OnClose = [&](TObject*) { events.push_back("close"); };
  panel->OnCaptionClick = [&](TObject*) { events.push_back("caption"); };
  panel->CanMove = false;  // a moving caption takes the press for the move
  ShowForm();
  backend->Click(*panel, 200, 10);
  EXPECT_EQ(events, std::vector<AnsiString>{"caption"});
  // Without a close button its corner is caption too.
  const TRect corner = Rect(panel->Width() - 14, 2, panel->Width() - 2, 14);
  backend->Click(*panel, corner.Left + 5, corner.Top + 5);
  EXPECT_TRUE(panel->Visible());
  panel->Caption().SetCloseButton(true);
  EXPECT_EQ(panel->CloseButtonRect(), corner);
  backend->Click(*panel, corner.Left + 5, corner.Top + 5);
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(events, (std::vector<AnsiString>{"caption", "caption", "close"}));
}

TEST_F(ExtPanelTest, DoubleClickOnTheCaptionIsReported) {
  int doubles = 0;
  panel->OnCaptionDBlClick = [&](TObject*) { ++doubles; };
  panel->CanMove = false;
  ShowForm();
  backend->DoubleClick(*panel, 200, 80);  // the body
  EXPECT_EQ(doubles, 0);
  backend->DoubleClick(*panel, 200, 10);
  EXPECT_EQ(doubles, 1);
}

}  // namespace

namespace {

// A diagonal and a horizontal shaded bar with a mini-HTML body, as a
// picture for review in the build tree (the program's own panels are shown
// by the program's tests).
TEST_F(ExtPanelTest, DiagonalAndHorizontalShadedBarsForReview) {
  form->SetBounds(0, 0, 740, 470);
  panel->SetBounds(10, 10, 690, 200);
  auto* search = new TExtPanel(form.get());
  search->SetBounds(10, 230, 690, 220);
  search->SetParent(form.get());
  const struct {
    TExtPanel* Panel;
    TShadeType Shade;
    int Height;
    Byte Grain;
    const char* Text;
  } settings[] = {
      {panel, stDiagShade, 25, 40, "ΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΘΕΤΗΣ ΚΑΙ ΣΥΝΟΛΙΚΗΣ ΕΓΓΥΗΣΗΣ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ "},
      {search, stHShade, 40, 60, "ΑΝΑΖΗΤΗΣΗ ΕΚΠΤΩΣΕΩΝ"}};
  for (const auto& s : settings) {
    TPanelCaption& c = s.Panel->Caption();
    c.SetVisible(true);
    c.SetText(cp1253::FromUtf8(s.Text));
    c.SetShadeType(s.Shade);
    c.SetHeight(s.Height);
    c.SetColor(static_cast<TColor>(0xFF8000));
    c.SetShadeLight(200);
    c.SetShadeGrain(s.Grain);
    c.SetFlat(true);
    c.SetTopIndent(4);
    s.Panel->SetHover(true);
    s.Panel->SetShadowOffset(2);
    s.Panel->CanMove = true;
    s.Panel->SetCanSize(true);
  }
  // A body in the panel's mini-HTML, for the review of its renderer.
  panel->SetText(cp1253::FromUtf8(
      "Η <B>εγγύηση καλής εκτέλεσης</B> υπολογίζεται επί της <I>προσφοράς</I> του μειοδότη.<BR>"
      "<FONT COLOR=\"clRed\">Πρόσθετη εγγύηση</FONT> όταν η έκπτωση ξεπερνά το όριο "
      "(<A HREF=\"rules\">κανόνες</A>).<BR><UL><LI>Ποσοστό 5%<LI>Ποσό &euro; 1.234,56</UL>"));
  ShowForm();
  backend->SaveWindowPng(*form, TestOutput("panel_application_settings.png"));
  // The search panel's bar: darkest at its left edge, L - 123 of the colour.
  const TImageCanvas* image = backend->Render(*form);
  const TPoint at = form->ScreenToClient(search->ClientToScreen(Point(1, 20)));
  EXPECT_EQ(image->Pixel(at.X, at.Y), RGB(0, 128 * 77 / 255, 77));
}

}  // namespace
