#pragma once
// The captioned panel's mini-HTML: its body and caption texts are laid out,
// drawn, measured and hit-tested by the grid's mini-HTML engine under the
// panel's rules (lines from the rectangle's left edge, no control markers,
// anchors counted from 0, a measuring call that also finds the anchor under
// a point).

#include "platform/gfx/Graphics.h"
#include "platform/rtl/SysUtils.h"

class TCustomImageList;
class THTMLPictureCache;
class TPictureContainer;
class TPanelTextRenderer;

// What a call found.
struct TPanelHTMLResult {
  // The anchor under the point: its target, rectangle (the part on the
  // line of the point) and number from 0; -1 for none.
  AnsiString Anchor;
  TRect AnchorRect;
  int AnchorIndex = -1;
  // The text without tags, a carriage return for each line break.
  AnsiString PlainText;
  // The widest line and the height of all lines; an empty text is one line
  // of the canvas's font high.
  TSize Extent;
  // The focused anchor's frame (empty when none was drawn).
  TRect FocusRect;
};

// Lays Text out in Rect on Canvas with the canvas's font: draws it, or with
// MeasureOnly draws nothing and lays out the whole text whatever Rect's
// height. Either way the anchor under (X, Y) is found. HoverIndex is the
// anchor shown hovered when Hover is set (-1 none); FocusIndex the one
// framed (-1 none). With StretchImages, image-list images and system icons
// are drawn through bitmaps scaled by Zoom. True when (X, Y) lies on an
// anchor. The canvas's font and brush are put back; no markup raises.
bool PanelHTMLDraw(TCanvas& Canvas, const AnsiString& Text, const TRect& Rect, TCustomImageList* Images,
                   TPictureContainer* PictureContainer, THTMLPictureCache* PictureCache, int X, int Y,
                   TColor ShadowColor, TColor HoverFontColor, TColor HoverColor, TColor URLColor,
                   int ShadowOffset, bool Hover, int HoverIndex, int FocusIndex, double Zoom,
                   bool StretchImages, bool MeasureOnly, bool WordWrap, bool KeepColours,
                   TPanelHTMLResult& Result);

// The renderer panels use unless another is set: PanelHTMLDraw with word
// wrap, zoom 1 and no focused anchor.
TPanelTextRenderer& PanelHTMLRenderer();
