#pragma once
// Lines of one height under a vertical scroll bar, scrolled a line at a
// time: the list box, the tree view and the combo box's dropped list share
// the scrolling, the hit-testing and the bar through this, and the list box
// and the tree view their frame.

#include <functional>

#include "platform/rtl/Classes.h"
#include "platform/ui/ScrollBars.h"

class TLineScroller {
 public:
  // Outer: the owner's area inside its border (the bar takes its strip of
  // it); the three are asked each time, so they may change.
  TLineScroller(TWinControl* owner, std::function<int()> lineCount, std::function<int()> lineHeight,
                std::function<TRect()> outer);
  TWindowScrollBars& Bars() { return bars_; }
  int Top() const { return top_; }
  // Where the lines lie: Outer less the bar.
  TRect Area() const;
  // Whole lines that fit, at least one.
  int VisibleCount() const;
  // Keeps the top line in range and the bar in step with it; the bar shows
  // only when the lines do not all fit.
  void Update();
  void SetTop(int top);
  void ScrollIntoView(int index);
  // The line whose row holds Y (client coordinates): before the top line
  // or past the last one when Y lies outside the lines.
  int RowAt(int y) const;
  TRect LineRect(int index) const;
  // The bar's mouse and timer messages, WM_VSCROLL; true when taken.
  bool Message(TMessage& message);
  // Wheel notches: the system's lines a notch, positive towards the end.
  void Wheel(int notches);
  void PaintBar(TCanvas& canvas);
  // What a framed list's window procedure shares: the bar's messages (true
  // when taken); otherwise the lines fitted anew to a new size or font, and
  // the owner repainted when the focus comes or goes (its marked line shows
  // it), the message then going on to the owner's own handling.
  bool ListMessage(TMessage& message);
  // A framed list's painting: the sunken edge unless Borderless, the
  // background in Color, Lines drawn clipped to where the lines lie, then
  // the bar.
  void PaintList(TCanvas& canvas, bool borderless, TColor color, const std::function<void()>& lines);

 private:
  void Scroll(int code, int pos);
  TWinControl* owner_;
  std::function<int()> lineCount_, lineHeight_;
  std::function<TRect()> outer_;
  TWindowScrollBars bars_;
  int top_ = 0;
};

// The next line after From (-1: from the start) whose first character is
// Ch in either case, wrapping; -1 when none.
int FindByFirstChar(const TStrings& items, int from, char ch);
