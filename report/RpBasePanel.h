#pragma once
// The design surface shared by the report and its bands: their frame, zoom
// and the ruler grid drawn behind them in the report's units. Only the
// screen shows it, never a page.

#include "platform/ui/Panels.h"
#include "report/RpTypes.h"

// Pens and colours of the design surface, chosen at start-up by how many
// colours the screen shows.
struct TRpDesignPalette {
  TPenStyle MinorStyle;
  TColor Minor;
  TPenStyle MajorStyle;
  TColor Major;
  TColor Numbers;
  TPenStyle MarginStyle;
  TColor Margin;
  TPenStyle OutlineStyle;
  TColor Outline;
};
const TRpDesignPalette& RpDesignPalette();
// By the colours the screen shows: 0 to 256 take the palette of few
// colours; more (told as -1) the full one.
void ChooseRpDesignPalette(int colours);
// What a screen without a palette reports as its number of colours; every
// screen here is one.
constexpr int kRpScreenColours = -1;

class TRpBasePanel : public TCustomPanel {
 public:
  explicit TRpBasePanel(TComponent* owner);

  TRpFrame* Frame() { return &frame_; }
  // The panel keeps its own frame and repaints with the sides given.
  void SetFrame(const TRpFrame& frame) { frame_.Assign(frame); }
  int Zoom() const { return zoom_; }
  // Every nested panel takes the zoom too.
  virtual void SetZoom(int zoom);
  virtual void PaintRuler(TRpUnit units);
  // The distance between the grid's finest lines across (Horizontal) or
  // down, in pixels at the zoom; 0 where the units draw no grid.
  Extended GridStep(TRpUnit units, bool horizontal) const;
  // The report's page: its Ruler and Units say what grid shows.
  TRpPage* RulerPage = nullptr;
  // The report numbers its grid; bands do not.
  bool NumberRuler = false;

 protected:
  void Paint() override;

 private:
  void GridLine(bool vertical, Extended at, bool major, const AnsiString& number);
  TRpFrame frame_;
  int zoom_ = 100;
};
