#include "report/RpBasePanel.h"

#include <cmath>

namespace {

const TRpDesignPalette kFewColours{psDot,  0xC0C0C0, psSolid, 0xC0C0C0, 0xC0C0C0,
                                   psDash, 0x808080, psSolid, 0x808080};
const TRpDesignPalette kManyColours{psSolid, 0xF9F9F9, psSolid, 0xF0F0F0, 0x707070,
                                    psDot,   0xFF8080, psDot,   0x606060};
const TRpDesignPalette* palette = &kManyColours;

}  // namespace

const TRpDesignPalette& RpDesignPalette() { return *palette; }
void ChooseRpDesignPalette(int colours) {
  palette = colours >= 0 && colours <= 256 ? &kFewColours : &kManyColours;
}

namespace {
// The report unit's start-up picks the palette once, by the screen.
const bool paletteChosen = (ChooseRpDesignPalette(kRpScreenColours), true);
}  // namespace

TRpBasePanel::TRpBasePanel(TComponent* owner) : TCustomPanel(owner) {
  frame_.OnChange = [this] { Invalidate(); };
}

void TRpBasePanel::SetZoom(int zoom) {
  zoom_ = zoom;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* nested = dynamic_cast<TRpBasePanel*>(Controls(i))) nested->SetZoom(zoom);
  Invalidate();
}

void TRpBasePanel::Paint() {
  TCanvas& c = Canvas();
  c.Brush->Style = bsSolid;
  c.Brush->Color = Enabled() ? Color() : static_cast<TColor>(0xC0C0C0);
  c.FillRect(ClientRect());
  if (RulerPage != nullptr && RulerPage->Ruler()) PaintRuler(RulerPage->Units);
}

void TRpBasePanel::GridLine(bool vertical, Extended at, bool major, const AnsiString& number) {
  TCanvas& c = Canvas();
  const TRpDesignPalette& p = RpDesignPalette();
  c.Pen->Style = major ? p.MajorStyle : p.MinorStyle;
  c.Pen->Color = major ? p.Major : p.Minor;
  c.Pen->Width = 1;
  const int pos = static_cast<int>(std::lround(static_cast<double>(at)));
  if (vertical) {
    c.MoveTo(pos, 0);
    c.LineTo(pos, Height());
  } else {
    c.MoveTo(0, pos);
    c.LineTo(Width(), pos);
  }
  if (number.empty() || !NumberRuler) return;
  c.Brush->Style = bsClear;
  c.Font->Name = "Small Fonts";
  c.Font->SetSize(6);
  c.Font->Color = p.Numbers;
  if (vertical) {
    c.TextOut(pos + 2, 2, number);
  } else {
    c.TextOut(2, pos + 2, number);
  }
}

Extended TRpBasePanel::GridStep(TRpUnit units, bool horizontal) const {
  const Extended ppi = 96, zoom = zoom_ / 100.0L;
  switch (units) {
    case TRpUnit::Inches:
      return ppi / 4 * zoom;
    case TRpUnit::MM:
      return ppi / 25.4L * 5 * zoom;
    case TRpUnit::Characters:
      // One character is 10 K tenths of a millimetre on each axis, K from
      // the report's font through its page (a 12-point font without one).
      return 10 *
             (RulerPage != nullptr ? RulerPage->CharFactor(horizontal)
                                   : (horizontal ? 80 : 145.3L) / 12 / 2.54L) *
             ppi / 254 * zoom;
    case TRpUnit::Pixels:
    case TRpUnit::Native:
      break;
  }
  return 0;
}

void TRpBasePanel::PaintRuler(TRpUnit units) {
  // Each axis: the spacing in pixels, which lines are major, when the
  // minor lines and the numbers show, and a major line's number.
  auto grid = [&](bool vertical, Extended step, int every, bool minor, bool numbers, auto label) {
    if (step < 1) return;
    const int extent = vertical ? Width() : Height();
    for (int i = 0; i * step < extent; ++i) {
      const bool major = i % every == 0;
      if (!major && !minor) continue;
      GridLine(vertical, i * step, major, major && numbers && i > 0 ? label(i) : AnsiString());
    }
  };
  switch (units) {
    case TRpUnit::Inches: {
      auto inches = [](int i) { return IntToStr(i / 4); };
      grid(true, GridStep(units, true), 4, zoom_ > 49, true, inches);
      grid(false, GridStep(units, false), 4, zoom_ > 49, true, inches);
      break;
    }
    case TRpUnit::MM: {
      auto cm = [](int i) { return IntToStr(i / 2); };
      grid(true, GridStep(units, true), 2, zoom_ > 59, zoom_ > 59, cm);
      grid(false, GridStep(units, false), 2, zoom_ > 59, zoom_ > 59, cm);
      break;
    }
    case TRpUnit::Characters:
      // Numbered every ten characters across and every line down.
      grid(true, 10 * GridStep(units, true), 1, false, true, [](int i) { return IntToStr(10 * i); });
      grid(false, GridStep(units, false), 1, false, true, [](int i) { return IntToStr(i); });
      break;
    case TRpUnit::Pixels:
    case TRpUnit::Native:
      break;
  }
}
