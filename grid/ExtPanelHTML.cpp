#include "grid/ExtPanelHTML.h"

#include "grid/EsgHTMLERender.h"
#include "grid/ExtPanel.h"

bool PanelHTMLDraw(TCanvas& Canvas, const AnsiString& Text, const TRect& Rect, TCustomImageList* Images,
                   TPictureContainer* PictureContainer, THTMLPictureCache* PictureCache, int X, int Y,
                   TColor ShadowColor, TColor HoverFontColor, TColor HoverColor, TColor URLColor,
                   int ShadowOffset, bool Hover, int HoverIndex, int FocusIndex, double Zoom,
                   bool StretchImages, bool MeasureOnly, bool WordWrap, bool KeepColours,
                   TPanelHTMLResult& Result) {
  Result = TPanelHTMLResult{};
  AnsiString focusedHref, controlID, controlValue, controlType;
  int anchorNumber = -1;
  TRect controlRect;
  esghtml::TCallArgs args{Canvas, Rect, Images, X, Y, FocusIndex,
                          // The engine counts anchors from 1, the panel from 0.
                          HoverIndex < 0 ? 0 : HoverIndex + 1, ShadowOffset,
                          /*HitTestOnly=*/MeasureOnly,
                          /*MeasureOnly=*/false,
                          /*Printing=*/StretchImages, KeepColours,
                          /*BlinkVisible=*/true, Hover, WordWrap,
                          /*MouseDown=*/false, Zoom, URLColor, HoverColor, HoverFontColor, ShadowColor,
                          Result.Anchor, Result.PlainText, focusedHref, Result.Extent.cx, Result.Extent.cy,
                          anchorNumber, Result.AnchorRect, controlRect, controlID, controlValue, controlType,
                          PictureCache, PictureContainer,
                          /*PanelRules=*/true, &Result.FocusRect};
  esghtml::TRenderer renderer(args, Text);
  const bool hit = renderer.Run();
  if (!hit) {
    Result.Anchor.clear();
    Result.AnchorRect = TRect{};
  } else {
    Result.AnchorIndex = anchorNumber - 1;
  }
  return hit;
}

namespace {

class TPanelHTMLText : public TPanelTextRenderer {
 public:
  TSize Draw(TCanvas& canvas, const TRect& rect, const AnsiString& text, const TPanelTextStyle& style,
             bool measure) override {
    return Run(canvas, rect, text, style, measure, Point(-1, -1)).Extent;
  }
  TPanelTextHit HitTest(TCanvas& canvas, const TRect& rect, const AnsiString& text,
                        const TPanelTextStyle& style, TPoint point) override {
    const TPanelHTMLResult r = Run(canvas, rect, text, style, true, point);
    if (r.AnchorIndex < 0) return {};
    return {r.Anchor, r.AnchorRect, r.AnchorIndex};
  }

 private:
  static TPanelHTMLResult Run(TCanvas& canvas, const TRect& rect, const AnsiString& text,
                              const TPanelTextStyle& style, bool measure, TPoint point) {
    TPanelHTMLResult result;
    PanelHTMLDraw(canvas, text, rect, style.Images, style.PictureContainer, style.PictureCache, point.X,
                  point.Y, style.ShadowColor, style.HoverFontColor, style.HoverColor, style.URLColor,
                  style.ShadowOffset, style.Hover, style.HoverIndex, -1, 1.0, false, measure, true, false,
                  result);
    return result;
  }
};

}  // namespace

TPanelTextRenderer& PanelHTMLRenderer() {
  static TPanelHTMLText renderer;
  return renderer;
}
