#pragma once
// Panels and shapes: TPanel with its bevels, TBevel, TShape, TImage, the
// TRadioGroup of radio buttons, the TSplitter that sizes its neighbour, and
// the TScrollBox that scrolls its children.

#include <memory>

#include "platform/gfx/Picture.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = int;

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut b);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut b);
  TBevelWidth BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth w);
  // Space between the outer and the inner bevel, in the panel's colour.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);
  // Where the caption goes; tabs in it are expanded.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  // Aligned children keep inside the bevels.
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // The rectangle inside the border and bevels.
  TRect InnerRect() const;

 private:
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  TBevelWidth bevelWidth_ = 1;
  int borderWidth_ = 0;
  TBorderStyle borderStyle_ = bsNone;
  TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---- bevel, shape, image ------------------------------------------------------------

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape s);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle s);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType s);
  const TPen& Pen() const { return pen_; }
  void SetPen(const TPen& p);
  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& b);

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  TPen pen_;
  TBrush brush_;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  // The picture shown; after changing it in place, call PictureChanged.
  TPicture& Picture() { return picture_; }
  void PictureChanged();
  void LoadFromFile(const AnsiString& fileName);
  // Stretch fills the control (keeping the proportions with Proportional,
  // which also shrinks a picture too big); Center centres what is not
  // stretched.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v);
  // The control takes the picture's size.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  // Where the picture is drawn, in the control's coordinates.
  TRect DestRect() const;

 protected:
  void Paint() override;

 private:
  TPicture picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool autoSize_ = false;
};

// ---- radio group ----------------------------------------------------------------------

class TCustomRadioGroup : public TCustomGroupBox {
 public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;
  // One radio button per line.
  TStrings* Items() const { return items_.get(); }
  // The checked line, -1 for none. Setting it checks that button and runs
  // OnClick, as the user's choice does.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  int Columns() const { return columns_; }
  void SetColumns(int n);
  // The radio button of line Index.
  TRadioButton* Buttons(int index) const;
  void Dispatch(TMessage& Message) override;

 private:
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClicked(int index);

  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  int itemIndex_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
 public:
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

// ---- splitter -------------------------------------------------------------------------

using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// Dragged with the mouse, it sizes the control aligned just before it on
// the same side.
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  // The smallest size of the neighbour and of what remains on the other side.
  int MinSize = 30;
  bool Beveled = false;
  TCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;
  // The control the splitter sizes (nullptr when none fits).
  TControl* FindControl() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  bool Vertical() const { return Align() == alLeft || Align() == alRight; }
  TControl* sized_ = nullptr;
  int downPos_ = 0;
  int startSize_ = 0;
};

// ---- scroll box -----------------------------------------------------------------------

class TScrollingWinControl;

// One of the two bars of a scroll box: where the view is and how far the
// contents reach.
class TControlScrollBar {
 public:
  TControlScrollBar(TScrollingWinControl& owner, int bar) : owner_(owner), bar_(bar) {}
  int Position() const { return position_; }
  void SetPosition(int v);
  // The size of the contents; 0 measures the children.
  int Range() const { return range_; }
  void SetRange(int v);
  int Increment = 8;
  // The view follows the thumb while it is dragged; otherwise it moves
  // when the thumb is let go.
  bool Tracking = false;
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // Whether the bar shows now (contents larger than the view).
  bool IsScrollBarVisible() const;

 private:
  friend class TScrollingWinControl;
  TScrollingWinControl& owner_;
  int bar_;
  int position_ = 0;
  int range_ = 0;
  bool visible_ = true;
};

class TScrollingWinControl : public TCustomControl {
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;
  TControlScrollBar& HorzScrollBar() { return horz_; }
  TControlScrollBar& VertScrollBar() { return vert_; }
  // Scrolls so that Control (a child, at any depth) shows whole if it can.
  void ScrollInView(TControl* AControl);
  // Moves the children by Dx, Dy (the view by the opposite).
  void ScrollBy(int DeltaX, int DeltaY);
  // Measures the contents again and updates the bars.
  void UpdateScrollBars();
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  // The view: children neither cover the bars nor take their clicks.
  std::optional<TRect> ChildrenArea() const override { return ViewArea(); }

 protected:
  // The area inside the border (bars included).
  virtual TRect InnerArea() const { return ClientRect(); }
  // The area the contents show in (bars excluded).
  TRect ViewArea() const { return bars_.ContentRect(InnerArea()); }
  void PaintScrollBars(TCanvas& canvas) { bars_.Paint(canvas, InnerArea()); }
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 private:
  friend class TControlScrollBar;
  int ContentExtent(int bar) const;
  void ScrollTo(int bar, int pos);

  TWindowScrollBars bars_;
  TControlScrollBar horz_;
  TControlScrollBar vert_;
  bool updating_ = false;
};

class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);

 protected:
  TRect InnerArea() const override;
  void Paint() override;

 private:
  TBorderStyle borderStyle_ = bsSingle;
};
