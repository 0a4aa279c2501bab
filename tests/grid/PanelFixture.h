#pragma once
// A shown form with the guarantee panel's kind of captioned panel on it, on
// the headless backend.

#include <gtest/gtest.h>

#include <memory>

#include "grid/ExtPanel.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/WindowManager.h"

class ExtPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 600, 400);
    panel = new TExtPanel(form.get());
    panel->SetBounds(20, 30, 451, 150);
    panel->SetParent(form.get());
    // As the windows set their panels up.
    panel->Caption().SetVisible(true);
    panel->Caption().SetText("ΥΠΟΛΟΓΙΣΜΟΣ ΕΓΓΥΗΣΗΣ "_a);
    panel->Caption().SetHeight(25);
    panel->Caption().SetColor(static_cast<TColor>(0xFF8000));
    panel->Caption().SetShadeType(stDiagShade);
    panel->CanMove = true;
    panel->SetCanSize(true);
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    form.reset();
  }
  void ShowForm() {
    form->Show();
    Application->ProcessMessages();
  }
  std::unique_ptr<TRecordingCanvas> Record() {
    auto canvas = std::make_unique<TRecordingCanvas>(panel->Width(), panel->Height());
    panel->PaintTo(*canvas, 0, 0);
    return canvas;
  }
  // The caption text as drawn, or its first word where it is drawn word
  // by word, with its rectangle.
  TDrawCall CaptionCall() {
    const AnsiString& caption = panel->Caption().Text();
    const AnsiString first = caption.substr(0, caption.find(' ') + 1);
    for (const auto& call : Record()->CallsOf("DrawText"))
      if (call.Text == first || call.Text == caption) return call;
    ADD_FAILURE() << "caption not drawn";
    return {};
  }
  // The tone of a shade pixel as 0xRRGGBB.
  std::uint32_t ShadeAt(int x, int y) { return panel->ShadeBitmap().Pixels().At(x, y) & 0xFFFFFF; }
  bool PanelAreaDirty() {
    for (const TRect& r : ui::SurfaceOf(form.get())->Dirty)
      if (!IntersectRect(r, panel->BoundsRect()).IsEmpty()) return true;
    return false;
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
  TExtPanel* panel = nullptr;
};

// Anchors at fixed places of the body text "body" (relative to its
// rectangle), and the hover index of every drawing.
class FakeAnchors : public TPanelTextRenderer {
 public:
  struct Anchor {
    AnsiString Target;
    TRect Rect;
  };
  std::vector<Anchor> Anchors;
  AnsiString AnchoredText = "body";
  std::vector<int> DrawnHover;
  TSize Draw(TCanvas& canvas, const TRect& rect, const AnsiString& text, const TPanelTextStyle& style,
             bool measure) override {
    if (measure) return {120, 30};
    if (text == AnchoredText) DrawnHover.push_back(style.HoverIndex);
    TRect r = rect;
    canvas.DrawText(text, r, DT_LEFT | DT_TOP);
    return {120, 30};
  }
  TPanelTextHit HitTest(TCanvas&, const TRect& rect, const AnsiString& text, const TPanelTextStyle&,
                        TPoint p) override {
    if (text != AnchoredText) return {};
    for (size_t i = 0; i < Anchors.size(); ++i) {
      const TRect r = OffsetRect(Anchors[i].Rect, rect.Left, rect.Top);
      if (PtInRect(r, p)) return {Anchors[i].Target, r, static_cast<int>(i)};
    }
    return {};
  }
};
