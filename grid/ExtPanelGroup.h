#pragma once
// A captioned panel that stacks the panels placed on it vertically or
// horizontally, in the order of their tops (lefts), with a scroll bar when
// they do not fit.

#include "grid/ExtPanel.h"
#include "platform/ui/ScrollBars.h"

enum TGroupStyle { gsVertical, gsHorizontal };

class TExtPanelGroup : public TExtPanel {
 public:
  explicit TExtPanelGroup(TComponent* AOwner);
  ~TExtPanelGroup() override;

  TGroupStyle GroupStyle() const { return groupStyle_; }
  void SetGroupStyle(TGroupStyle v);
  int HorzPadding() const { return horzPadding_; }
  void SetHorzPadding(int v);
  int VertPadding() const { return vertPadding_; }
  void SetVertPadding(int v);
  TScrollBar& ScrollBar() { return *scrollBar_; }

  // Updates the scroll bar and places the panels (what a member panel asks
  // for after it changed).
  void Rearrange();
  void ArrangeControls();
  void UpdateScrollBar();
  // Where a panel whose window is made inside the group while designing
  // goes: across the group within the padding, and no nearer its start
  // than the padding.
  void PlaceDesignedPanel(TExtPanel& Panel);

  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void UpdateLayout() override { UpdateScrollBar(); }
  void Dispatch(TMessage& Message) override;

 private:
  std::vector<TExtPanel*> Members() const;
  TScrollBar* scrollBar_ = nullptr;
  TGroupStyle groupStyle_ = gsVertical;
  int horzPadding_ = 0;
  int vertPadding_ = 0;
  bool busy_ = false;
};
