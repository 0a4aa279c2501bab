#pragma once
// Calls HTMLDraw on a recording canvas with every argument named, and
// reads back what it drew.

#include "grid/EsgHTMLE.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ImgList.h"

struct HtmlCall {
  TRecordingCanvas canvas{800, 600};
  TRect bounds{0, 0, 400, 200};
  TCustomImageList* images = nullptr;
  int mouseX = -100, mouseY = -100, focus = -1, hover = -1, shadowOffset = 1;
  bool hitTestOnly = false, measureOnly = false, printing = false, keepColours = false, blinkVisible = true,
       hoverEnabled = false, wordWrap = true, mouseDown = false;
  double printScale = 1.0;
  TColor anchorColour = clBlue, hoverBack = clNone, hoverText = clNone, shadowColour = clGray;
  THTMLPictureCache* cache = nullptr;
  TPictureContainer* container = nullptr;

  AnsiString hitAnchor, plainText, focusedHref, controlID, controlValue, controlType;
  int extentX = 0, extentY = 0, anchorCount = 0, mouseAnchor = 0;
  TRect mouseAnchorRect, controlRect;
  bool result = false;

  HtmlCall() {
    canvas.Font->Name = "Arial";
    canvas.Font->SetSize(10);
    canvas.Font->Color = clBlack;
  }
  bool Draw(const AnsiString& text) {
    canvas.Calls.clear();
    result = HTMLDraw(canvas, text, bounds, images, mouseX, mouseY, focus, hover, shadowOffset, hitTestOnly,
                      measureOnly, printing, keepColours, blinkVisible, hoverEnabled, wordWrap, mouseDown,
                      printScale, anchorColour, hoverBack, hoverText, shadowColour, hitAnchor, plainText,
                      focusedHref, extentX, extentY, anchorCount, mouseAnchor, mouseAnchorRect, controlRect,
                      controlID, controlValue, controlType, cache, container, nullptr);
    return result;
  }
  bool Measure(const AnsiString& text) {
    measureOnly = true;
    const bool r = Draw(text);
    measureOnly = false;
    return r;
  }
  bool HitTest(const AnsiString& text, int x, int y) {
    hitTestOnly = true;
    mouseX = x, mouseY = y;
    const bool r = Draw(text);
    hitTestOnly = false;
    return r;
  }
  // The runs drawn (DrawText calls that were not measurements), in order.
  std::vector<TDrawCall> Runs() const {
    std::vector<TDrawCall> runs;
    for (const TDrawCall& c : canvas.Calls)
      if (c.Op == "DrawText" && !(c.Flags & DT_CALCRECT)) runs.push_back(c);
    return runs;
  }
  const TDrawCall* Run(const AnsiString& text) const {
    for (const TDrawCall& c : canvas.Calls)
      if (c.Op == "DrawText" && !(c.Flags & DT_CALCRECT) && c.Text == text) return &c;
    return nullptr;
  }
  int Count(const AnsiString& op) const { return static_cast<int>(canvas.CallsOf(op).size()); }
  int Gh() { return canvas.TextHeight("gh"); }
};
