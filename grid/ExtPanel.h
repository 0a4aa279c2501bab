#pragma once
// The captioned panel: a panel with a caption bar painted in one of the
// shades of the caption colour, close and minimise/maximise buttons in that
// bar, a body text with anchors, moving by the caption bar and sizing by a
// grip in the lower right corner (through the system's move and size loop),
// collapsing to its caption bar, and keeping its position in the registry
// or an INI file. The windows show and hide it and place their controls on
// it.
//
// The body and caption texts are mini-HTML (ExtPanelHTML), drawn by the
// panel text renderer, which tests may replace (SetPanelTextRenderer). The
// body shows over a background picture of any kind the picture loader reads.

#include <functional>
#include <memory>

#include "grid/ExtImage.h"
#include "grid/ExtPanelShade.h"
#include "grid/GridOptionsShared.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Panels.h"

enum TCaptionButtonPosition { cbpRight, cbpLeft };
enum TTextVAlignment { tvaTop, tvaCenter, tvaBottom };
enum TBackGroundPosition {
  bpTopLeft,
  bpTopRight,
  bpBottomLeft,
  bpBottomRight,
  bpTiled,
  bpStretched,
  bpCenter
};
// The panel keeps its position in the same stores as the grid its column
// widths.
using TPanelPositionLocation = TColumnSizeLocation;
inline constexpr TPanelPositionLocation clInifile = clIniFile;

class TExtPanel;
class TCustomIniFile;
class TCustomImageList;
class TPictureContainer;
class THTMLPictureCache;

// ---- the text renderer ----------------------------------------------------------------

// What the panel hands its text renderer besides the text and rectangle.
struct TPanelTextStyle {
  TColor URLColor = clBlue;
  TColor HoverColor = clNone;
  TColor HoverFontColor = clNone;
  TColor ShadowColor = clGray;
  int ShadowOffset = 2;
  bool Hover = false;
  // The anchor under the mouse, -1 for none.
  int HoverIndex = -1;
  // Sources of the pictures of image tags.
  TCustomImageList* Images = nullptr;
  TPictureContainer* PictureContainer = nullptr;
  THTMLPictureCache* PictureCache = nullptr;
};

// The anchor of a text under a point: its target, rectangle and number
// (counted from 0 in the text), -1 when there is none.
struct TPanelTextHit {
  AnsiString Anchor;
  TRect Rect;
  int Index = -1;
  bool operator==(const TPanelTextHit&) const = default;
};

class TPanelTextRenderer {
 public:
  virtual ~TPanelTextRenderer() = default;
  // Draws Text in Rect with the canvas's font (only measures when Measure
  // is set) and answers the size it takes.
  virtual TSize Draw(TCanvas& canvas, const TRect& rect, const AnsiString& text, const TPanelTextStyle& style,
                     bool measure) = 0;
  // The anchor of Text under Point when drawn in Rect.
  virtual TPanelTextHit HitTest(TCanvas& canvas, const TRect& rect, const AnsiString& text,
                                const TPanelTextStyle& style, TPoint point) = 0;
};
// The renderer every panel uses; nullptr restores the mini-HTML one.
void SetPanelTextRenderer(TPanelTextRenderer* renderer);
TPanelTextRenderer& PanelTextRenderer();

// How the collapse animation waits between its steps: Sleep by default;
// tests hand in a clock of their own. Nullptr restores the default.
using TPanelAnimationWait = std::function<void(Cardinal ms)>;
void SetPanelAnimationWait(TPanelAnimationWait wait);

// ---- the caption ------------------------------------------------------------------------

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
  // The picture of the bitmap shades (copied in).
  const TBitmap& Background() const { return background_; }
  void SetBackground(const TBitmap& v);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool v);
  TColor CloseButtonColor() const { return closeButtonColor_; }
  void SetCloseButtonColor(TColor v);
  // The caption's colour while the panel is collapsed.
  TColor CloseColor() const { return closeColor_; }
  void SetCloseColor(TColor v);
  // The close button's glyphs while collapsed / expanded; used when both
  // are set.
  const TBitmap& CloseMinGlyph() const { return closeMinGlyph_; }
  void SetCloseMinGlyph(const TBitmap& v);
  const TBitmap& CloseMaxGlyph() const { return closeMaxGlyph_; }
  void SetCloseMaxGlyph(const TBitmap& v);
  bool MinMaxButton() const { return minMaxButton_; }
  void SetMinMaxButton(bool v);
  TColor MinMaxButtonColor() const { return minMaxButtonColor_; }
  void SetMinMaxButtonColor(TColor v);
  // The min/max button's glyphs while expanded / collapsed (no repaint:
  // they show at the next state change).
  const TBitmap& MinGlyph() const { return minGlyph_; }
  void SetMinGlyph(const TBitmap& v) { AssignBitmap(minGlyph_, v); }
  const TBitmap& MaxGlyph() const { return maxGlyph_; }
  void SetMaxGlyph(const TBitmap& v) { AssignBitmap(maxGlyph_, v); }
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
  TBitmap background_;
  bool closeButton_ = false;
  TColor closeButtonColor_ = clBlack;
  TColor closeColor_ = clBtnFace;
  TBitmap closeMinGlyph_, closeMaxGlyph_;
  bool minMaxButton_ = false;
  TColor minMaxButtonColor_ = clBlack;
  TBitmap minGlyph_, maxGlyph_;
  TCaptionButtonPosition buttonPosition_ = cbpRight;
};

// ---- position store and auto-size ---------------------------------------------------

// Where a panel keeps its place across runs: a key of the current user's
// registry (clRegistry) or an INI file (clInifile), in Section.
class TPanelPosition {
 public:
  explicit TPanelPosition(TExtPanel& owner) : owner_(owner) {}
  void Assign(const TPanelPosition& Source);
  bool Save = false;
  AnsiString Key;
  AnsiString Section;
  TPanelPositionLocation Location = clRegistry;

  // Both do nothing without a key or a section. Loading never raises: a
  // value that is missing or unreadable keeps the panel's own.
  void LoadPosition();
  void SavePosition();

 private:
  std::unique_ptr<TCustomIniFile> OpenStore() const;
  TExtPanel& owner_;
};

// Fitting the panel to its text.
class TAutoSize {
 public:
  explicit TAutoSize(TExtPanel& owner) : owner_(owner) {}
  void Assign(const TAutoSize& Source);
  bool Enabled() const { return enabled_; }
  // Switching on fits the panel at once.
  void SetEnabled(bool v);
  // The height / width follow the text.
  bool Height = true;
  bool Width = true;

 private:
  TExtPanel& owner_;
  bool enabled_ = false;
};

// ---- the panel ---------------------------------------------------------------------------

using TAnchorClick = std::function<void(TObject* Sender, const AnsiString& Anchor)>;
using TAnchorHintEvent = std::function<void(TObject* Sender, AnsiString& Anchor)>;

class TExtPanel : public TCustomPanel {
 public:
  explicit TExtPanel(TComponent* AOwner);
  ~TExtPanel() override;

  // The caption bar (this hides the plain panel's caption text, which the
  // panel does not draw).
  TPanelCaption& Caption() { return *caption_; }
  const TPanelCaption& Caption() const { return *caption_; }
  void SetCaption(const TPanelCaption& v) { caption_->Assign(v); }
  TPanelPosition& Position() { return *position_; }
  TAutoSize& AutoSize() { return *autoSize_; }
  void SetAutoSize(const TAutoSize& v) { autoSize_->Assign(v); }

  // The body text (this hides the window text). Setting it repaints and
  // fits the panel when auto-size is on.
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v);
  TTextVAlignment TextVAlign() const { return textVAlign_; }
  void SetTextVAlign(TTextVAlignment v);
  // The body's background picture; its changes repaint. Setting copies the
  // bytes in (and raises as TExtImage does for bytes that are no picture).
  TExtImage& Background() { return *background_; }
  void SetBackground(const TExtImage& v) { background_->Assign(&v); }
  TBackGroundPosition BackgroundPosition() const { return backgroundPosition_; }
  void SetBackgroundPosition(TBackGroundPosition v);
  // The image list of "IDX:" image tags and the named pictures of the
  // text; forgotten when they are freed.
  TCustomImageList* Images() const { return style_.Images; }
  void SetImages(TCustomImageList* v);
  TPictureContainer* PictureContainer() const { return style_.PictureContainer; }
  void SetPictureContainer(TPictureContainer* v);
  TColor URLColor() const { return style_.URLColor; }
  void SetURLColor(TColor v);
  TColor ShadowColor() const { return style_.ShadowColor; }
  void SetShadowColor(TColor v);
  int ShadowOffset() const { return style_.ShadowOffset; }
  void SetShadowOffset(int v);
  // Only the anchor under the mouse is underlined and recoloured.
  bool Hover() const { return style_.Hover; }
  void SetHover(bool v) { style_.Hover = v; }
  TColor HoverColor() const { return style_.HoverColor; }
  void SetHoverColor(TColor v) { style_.HoverColor = v; }
  TColor HoverFontColor() const { return style_.HoverFontColor; }
  void SetHoverFontColor(TColor v) { style_.HoverFontColor = v; }
  // The hint over an anchor shows the anchor.
  bool AnchorHint = false;

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
  // Sizing keeps the width / height taken when the panel was loaded.
  bool FixedWidth = false;
  bool FixedHeight = false;

  // Collapsed to the caption bar.
  bool Collaps() const { return collaps_; }
  void SetCollaps(bool v);
  TColor CollapsColor = clGray;
  int CollapsDelay = 20;
  // Animation steps of collapsing and expanding; 0 jumps.
  int CollapsSteps = 0;
  bool AutoHideChildren = true;
  // The close button destroys the panel.
  bool FreeOnClose = false;
  // The expanded height: follows every height change while expanded.
  int FullHeight() const { return fullHeight_; }
  void SetFullHeight(int v) { fullHeight_ = v; }

  TNotifyEvent OnCaptionClick;
  TNotifyEvent OnCaptionDBlClick;
  TNotifyEvent OnClose;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnMaximize;
  TNotifyEvent OnEndMoveSize;
  TAnchorClick OnAnchorClick;
  TAnchorClick OnAnchorEnter;
  TAnchorClick OnAnchorExit;
  TAnchorHintEvent OnAnchorHint;

  // Where the caption bar lies (client coordinates); its height is the
  // caption's height less the bevels.
  TRect CaptionRect() const;
  // The close and min/max buttons' squares where a release acts (empty
  // without the button).
  TRect CloseButtonRect() const;
  TRect MinMaxButtonRect() const;
  // The anchor under a client point (body or caption text).
  TPanelTextHit AnchorAt(int X, int Y);
  // The shade as last built: as wide as the panel, as high as the caption.
  const TBitmap& ShadeBitmap() const { return shade_; }
  // Rebuilds the caption's shade for the panel's width.
  virtual void BuildShade();
  // Called after every Collaps assignment; a group re-arranges here.
  virtual void UpdateLayout() {}

  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  friend class TPanelCaption;
  friend class TPanelPosition;
  friend class TAutoSize;
  void ShadeChanged();
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;
  // Fits the panel to its text when auto-size is on.
  void DoAutoSize();
  // Has the enclosing group (when the parent is one) re-arrange.
  void ArrangeGroup();

 private:
  struct THover {
    TPanelTextHit Hit;
  };
  int AnyBevelWidth() const;
  int ButtonSize() const;
  bool ThemedCaption() const;
  int VisibleButtons() const;
  bool InCaptionStrip(int X, int Y) const;
  TRect BodyRect() const;
  TRect CaptionTextRect() const;
  int CloseButtonWidth() const;
  // Canvas: one canvas for a whole step (outside Paint each Canvas() call
  // replaces the last one).
  TSize MeasureBody(TCanvas& c, const TRect& r);
  void ApplyVAlign(TRect& r, const TSize& text) const;
  void PaintBackground(TCanvas& c, const TRect& r);
  void PaintCaption(TCanvas& c);
  void PaintCaptionBackground(TCanvas& c, TRect r);
  void PaintCloseButton(TCanvas& c, const TRect& r);
  void PaintMinMaxButton(TCanvas& c, const TRect& r, int closeWidth);
  void PaintSizeGrip(TCanvas& c);
  void DrawWindowThemePart(TCanvas& c, const TRect& r, int part);
  TRect ThemedButtonSquare(const TRect& r) const;
  void RepaintAnchor(const TRect& r);
  void DropHover(THover& hover);
  bool CaptionMouseUp(TPoint p);
  int WMNCHitTest(TPoint screen);
  void WMMovingSizing(TMessage& m);
  void HintShow(THintInfo& info);
  void AnimateHeight(int from, int to);
  void SaveOnDestroy();
  void RaiseToTop();
  void RecordLoadState();
  void EnsureLoadState();

  std::unique_ptr<TPanelCaption> caption_;
  std::unique_ptr<TPanelPosition> position_;
  std::unique_ptr<TAutoSize> autoSize_;
  std::unique_ptr<TExtImage> background_;
  TBackGroundPosition backgroundPosition_ = bpTopLeft;
  // Pictures the text names by address, loaded once.
  std::unique_ptr<THTMLPictureCache> pictureCache_;
  AnsiString text_;
  TTextVAlignment textVAlign_ = tvaTop;
  TPanelTextStyle style_;
  TBitmap shade_;
  bool shadeValid_ = false;
  bool canSize_ = false;
  bool collaps_ = false;
  bool collapsing_ = false;
  bool moving_ = false;
  int fullHeight_ = 0;
  // Taken at load: restored after collapsing and anchor hovering, and kept
  // by FixedWidth / FixedHeight.
  TColor loadColor_;
  TCursor loadCursor_ = crDefault;
  int loadWidth_ = 0, loadHeight_ = 0;
  TPoint origin_;
  THover bodyHover_, captionHover_;
  AnsiString enteredAnchor_;
  bool loaded_ = false;
  bool savedOnDestroy_ = false;
};
