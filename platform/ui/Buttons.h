#pragma once
// Buttons with glyphs: TBitBtn, a push button with a picture and stock
// kinds (OK, Cancel, Yes, No...), and TSpeedButton, a windowless tool
// button that can stay down, alone or in a group.

#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// How a glyph button looks: up, disabled, pushed, or staying down.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

// The picture and caption of a glyph button, laid out and drawn together.
struct TButtonGlyph {
  // A strip of NumGlyphs images: up, disabled, pushed, down. Empty: none.
  TBitmap Glyph;
  int NumGlyphs = 1;
  TButtonLayout Layout = blGlyphLeft;
  // Pixels from the edge to the glyph; -1 centres glyph and caption.
  int Margin = -1;
  // Pixels between glyph and caption; -1 spreads them evenly.
  int Spacing = 4;
  // Draws glyph and caption inside Client in the canvas's font; Glyph
  // stands for the picture to use (the stock one of a kind, say).
  void Draw(TCanvas& canvas, const TRect& client, const TBitmap* glyph, const AnsiString& caption,
            TButtonState state, unsigned textFormat) const;
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  TBitmap& Glyph() { return glyph_.Glyph; }
  void SetGlyph(const TBitmap& bitmap);
  int NumGlyphs() const { return glyph_.NumGlyphs; }
  void SetNumGlyphs(int n);
  TButtonLayout Layout() const { return glyph_.Layout; }
  void SetLayout(TButtonLayout l);
  int Margin() const { return glyph_.Margin; }
  void SetMargin(int m);
  int Spacing() const { return glyph_.Spacing; }
  void SetSpacing(int s);
  // A stock kind gives the caption, the modal result, Default or Cancel
  // and a stock glyph (a glyph of one's own wins); bkClose closes the form.
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind k);
  void Click() override;

 protected:
  void PaintFace(TCanvas& canvas, const TRect& face, bool pushed) override;

 private:
  TButtonGlyph glyph_;
  TBitBtnKind kind_ = bkCustom;
};

// The stock glyph of a kind (empty for bkCustom), 18 pixels square with a
// magenta key colour.
const TBitmap& StockGlyph(TBitBtnKind kind);

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  // Buttons of the same parent with the same non-zero GroupIndex: one of
  // them at most is down (none only with AllowAllUp).
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g);
  bool Down() const { return down_; }
  // Ignored for GroupIndex 0, and for putting up the only down button of
  // a group without AllowAllUp.
  void SetDown(bool v);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  // Flat: no frame until the mouse is over the button.
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TBitmap& Glyph() { return glyph_.Glyph; }
  void SetGlyph(const TBitmap& bitmap);
  int NumGlyphs() const { return glyph_.NumGlyphs; }
  void SetNumGlyphs(int n);
  TButtonLayout Layout() const { return glyph_.Layout; }
  void SetLayout(TButtonLayout l);
  int Margin() const { return glyph_.Margin; }
  void SetMargin(int m);
  int Spacing() const { return glyph_.Spacing; }
  void SetSpacing(int s);

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  TButtonState ButtonState() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }
  bool Dragging() const { return dragging_; }

 private:
  void UpdateExclusive();

  TButtonGlyph glyph_;
  TButtonState state_ = bsUp;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  bool transparent_ = true;
  bool mouseInControl_ = false;
  bool dragging_ = false;
};
