#pragma once
// The captioned panel: a panel with a caption bar painted in a shade of the
// caption colour, an optional close button in that bar, moving by the
// caption bar and sizing by a grip in the lower right corner. The windows
// show and hide it and place their controls on it.
//
// Built so far: the caption bar with its text, indents, plain fill and the
// diagonal, horizontal and vertical shades; the close button; moving and
// sizing. Not yet: the body's mini-HTML text with anchors and hover, the
// background picture, the other shade styles (noise, bumps, metal, radial,
// themed and bitmap captions, which are filled plain meanwhile), rounded
// caption shapes (drawn square), collapsing with the min/max button (the
// flag is stored, no button is drawn), and keeping the position.

#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Panels.h"

enum TShadeType {
  stNormal,
  stNoise,
  stDiagShade,
  stHShade,
  stVShade,
  stHBump,
  stVBump,
  stSoftBump,
  stHardBump,
  stLMetal,
  stRMetal,
  stIRadial,
  stORadial,
  stHShadeInv,
  stVShadeInv,
  stXPCaption,
  stBitmap,
  stBitmapRStretch,
  stBitmapLStretch
};
enum TCaptionShape { csRectangle, csRounded, csSemiRounded };
enum TCaptionButtonPosition { cbpRight, cbpLeft };

class TExtPanel;

// The caption bar's settings. Every change repaints the panel; the colour
// and shade settings also rebuild the shade.
class TPanelCaption {
 public:
  explicit TPanelCaption(TExtPanel& owner);
  TPanelCaption(const TPanelCaption&) = delete;
  TPanelCaption& operator=(const TPanelCaption&) = delete;
  // Copies every setting of Source (not its panel).
  void Assign(const TPanelCaption& Source);

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v);
  int Height() const { return height_; }
  void SetHeight(int v);
  // Left and top offsets of the caption text in the bar.
  int Indent() const { return indent_; }
  void SetIndent(int v);
  int TopIndent() const { return topIndent_; }
  void SetTopIndent(int Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TCaptionShape Shape() const { return shape_; }
  void SetShape(TCaptionShape v);
  // Flat: no one-pixel edge around a shaded bar.
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TShadeType ShadeType() const { return shadeType_; }
  void SetShadeType(TShadeType v);
  // The lightness of the shade; below 200 is taken as 200.
  int ShadeLight() const { return shadeLight_; }
  void SetShadeLight(int v);
  Byte ShadeGrain() const { return shadeGrain_; }
  void SetShadeGrain(Byte v);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool v);
  TColor CloseButtonColor() const { return closeButtonColor_; }
  void SetCloseButtonColor(TColor v);
  // The caption's colour while the panel is collapsed.
  TColor CloseColor() const { return closeColor_; }
  void SetCloseColor(TColor v);
  // Only stored until collapsing is built: no min/max button is drawn.
  bool MinMaxButton() const { return minMaxButton_; }
  void SetMinMaxButton(bool v);
  TColor MinMaxButtonColor() const { return minMaxButtonColor_; }
  void SetMinMaxButtonColor(TColor v);
  TCaptionButtonPosition ButtonPosition() const { return buttonPosition_; }
  void SetButtonPosition(TCaptionButtonPosition v);

 private:
  void Changed(bool shade);
  TExtPanel& owner_;
  AnsiString text_;
  TColor color_ = clHighlight;
  TFont font_;
  int height_ = 20;
  int indent_ = 0;
  int topIndent_ = 0;
  bool visible_ = false;
  TCaptionShape shape_ = csRectangle;
  bool flat_ = false;
  TShadeType shadeType_ = stNormal;
  int shadeLight_ = 200;
  Byte shadeGrain_ = 32;
  bool closeButton_ = false;
  TColor closeButtonColor_ = clBlack;
  TColor closeColor_ = clBtnFace;
  bool minMaxButton_ = false;
  TColor minMaxButtonColor_ = clBlack;
  TCaptionButtonPosition buttonPosition_ = cbpRight;
};

class TExtPanel : public TCustomPanel {
 public:
  explicit TExtPanel(TComponent* AOwner);
  ~TExtPanel() override;

  // The caption bar (this hides the plain panel's caption text, which the
  // panel does not draw).
  TPanelCaption& Caption() { return *caption_; }
  const TPanelCaption& Caption() const { return *caption_; }
  void SetCaption(const TPanelCaption& v) { caption_->Assign(v); }

  // The caption bar moves the panel.
  bool CanMove = false;
  // The size-all cursor shows while the caption moves the panel.
  bool ShowMoveCursor = false;
  // The grip in the lower right corner sizes the panel.
  bool CanSize() const { return canSize_; }
  void SetCanSize(bool v);
  // Moving keeps the left / top edge where it is.
  bool FixedLeft = false;
  bool FixedTop = false;
  // Sizing keeps the width / height.
  bool FixedWidth = false;
  bool FixedHeight = false;

  TNotifyEvent OnCaptionClick;
  TNotifyEvent OnCaptionDBlClick;
  TNotifyEvent OnClose;
  TNotifyEvent OnEndMoveSize;

  // Where the caption bar lies (client coordinates); its height is the
  // caption's height less the bevels.
  TRect CaptionRect() const;
  // The close button's square, empty without one.
  TRect CloseButtonRect() const;
  // The shade as last built: as wide as the panel, as high as the caption.
  const TBitmap& ShadeBitmap() const { return shade_; }

  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  friend class TPanelCaption;
  // Rebuilds the caption's shade for the panel's width.
  virtual void BuildShade();
  void ShadeChanged();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  enum class TDrag { None, Move, Size };
  int AnyBevelWidth() const;
  int ButtonSize() const { return 12; }
  bool InCaptionStrip(int X, int Y) const;
  bool InSizeGrip(int X, int Y) const;
  void PaintCaption(TCanvas& c);
  void PaintSizeGrip(TCanvas& c);

  std::unique_ptr<TPanelCaption> caption_;
  TBitmap shade_;
  bool shadeValid_ = false;
  bool canSize_ = false;
  TDrag drag_ = TDrag::None;
  TPoint dragFrom_;   // screen point where the drag started
  TRect dragBounds_;  // the bounds then
};
