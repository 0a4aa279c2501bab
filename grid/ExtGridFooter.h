#pragma once
// The footer strip under a grid with a visible floating footer, and the
// rich-text control the grid edits and measures rich-text cells with.

#include "grid/ExtGrid.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Panels.h"

DIM_EXCEPTION(EInvalidCast, Exception)

// Shows the grid's last row as a fixed row, the current row's text of one
// column, or a template filled from the current row, as FloatingFooter
// says. It lies over the bottom of the grid's client area.
class TFooterPanel : public TCustomPanel {
 public:
  explicit TFooterPanel(TComponent* AOwner);
  TExtStringGrid* Grid() const { return grid_; }
  // The template with each "<#N>" replaced by the text of column N of the
  // current row.
  AnsiString FooterTemplateExpand(const AnsiString& Template);
  void Paint() override;

 protected:
  void CreateWnd() override;
  void PaintFixedLastRow();
  void PaintColumnPreview();
  void PaintCustomPreview();

 private:
  // The width the grid's shown columns take; the strip ends there.
  int StripWidth();
  // Fills the strip in the footer colour with a sunken edge and the rest
  // in the grid's colour; the strip.
  TRect PreviewStrip();
  TExtStringGrid* grid_;
};

// A rich edit owned by a grid. As the grid's cell editor it grows the
// editor and the row with its text while SizeWhileTyping.Height is on, and
// gives Up and Down back to the grid; as the measuring control it keeps the
// size its text asks for.
class TExtRichEdit : public TRichEdit {
 public:
  // Raises EInvalidCast unless AOwner is a grid.
  explicit TExtRichEdit(TComponent* AOwner);
  void BeginNoResize() { noResize_ = true; }
  void EndNoResize() { noResize_ = false; }
  // The size the text asked for last.
  int RequestedWidth() const { return reqWidth_; }
  int RequestedHeight() const { return reqHeight_; }
  // The text's laid-out size changed to W × H.
  void RequestResize(int W, int H);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void LayoutChanged() override;

 private:
  TExtStringGrid* grid_;
  int reqWidth_ = 0, reqHeight_ = 0;
  bool noResize_ = false;
};
