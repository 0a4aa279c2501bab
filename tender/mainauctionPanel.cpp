#include "tender/mainauctionPanel.h"

#include <algorithm>

#include "platform/gfx/CairoCanvas.h"

void StyleApplicationPanel(TExtPanel& panel, const AnsiString& text, TShadeType shade, int captionHeight,
                           Byte shadeGrain) {
  TPanelCaption& caption = panel.Caption();
  caption.SetText(text);
  caption.SetVisible(true);
  caption.SetHeight(captionHeight);
  caption.SetColor(static_cast<TColor>(0xFF8000));
  caption.SetShadeType(shade);
  caption.SetShadeLight(200);
  caption.SetShadeGrain(shadeGrain);
  caption.SetFlat(true);
  caption.SetShape(csRectangle);
  caption.SetCloseButton(false);
  caption.SetMinMaxButton(false);
  // White on the blue shade and set in the middle of the bar, so that the
  // caption reads at a glance.
  TFont font;
  font.Assign(caption.Font());
  font.Color = clWhite;
  font.Style = fsBold;
  caption.SetFont(font);
  TImageCanvas measure(1, 1);
  measure.Font->Assign(font);
  caption.SetTopIndent(std::max(0, (caption.Height() - measure.TextHeight("Ε")) / 2));
  panel.SetHover(true);
  panel.SetShadowOffset(2);
  panel.Position().Save = false;
  panel.CanMove = true;
  panel.SetCanSize(true);
}
