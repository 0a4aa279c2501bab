#pragma once
// The grid as a drop target and a drag source: text dropped on a cell is
// pasted there (as new rows when asked), rich text goes into one cell, a
// dragged column is reported, one dropped .CSV or .XLS file is imported;
// arrows mark where a drop would land, and a floating label follows the
// mouse while the grid's own rows, columns or cells are dragged.

#include "grid/EsgDD.h"
#include "grid/ExtGrid.h"
#include "platform/ui/Forms.h"

class TGridDropTarget : public TESGDropTarget {
 public:
  explicit TGridDropTarget(TExtStringGrid* grid) : grid_(grid) {}
  TExtStringGrid* Grid() const { return grid_; }
  // The grid goes: later calls do nothing.
  void Detach() { grid_ = nullptr; }

  // What is accepted follows the grid's settings at every enter.
  HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) override;
  HRESULT DragOver(DWORD keyState, TPoint pt, DWORD& effect) override;
  // A drop the grid did not take (refused by its handler, nothing to
  // import, an import that failed) reports no effect, so the source keeps
  // its cells. An exception from the grid is shown as the program's error
  // and the drag ends cleanly.
  HRESULT Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) override;
  HRESULT DragLeave() override;

 protected:
  // Pt in screen coordinates, as the layer gives it.
  void DropText(TPoint Pt, const AnsiString& Text) override;
  void DropCol(TPoint Pt, std::int32_t DropCol) override;
  void DropRTF(TPoint Pt, const AnsiString& RTF) override;
  void DropFiles(TPoint Pt, const std::vector<AnsiString>& Files) override;
  void DragMouseMove(TPoint Pt, bool& Accept, std::uint8_t Formats) override;

 private:
  // The cell under a screen point, (-1, -1) outside the cells.
  TGridCoord CellAt(TPoint Pt) const;
  TExtStringGrid* grid_;
  bool taken_ = false;
};

class TGridDropSource : public TESGDropSource {
 public:
  explicit TGridDropSource(TExtStringGrid* grid) : grid_(grid) {}
  // Keeps a copy or move effect as the last one.
  void DropEffect(DWORD Effect);
  // The grid's floating label goes to the cursor: its bottom-left corner
  // at the cursor.
  void DragFeedback();
  DWORD LastEffect() const { return lastEffect_; }

 protected:
  void CurrentEffect(DWORD effect) override { DropEffect(effect); }
  void QueryDrag() override { DragFeedback(); }

 private:
  TExtStringGrid* grid_;
  DWORD lastEffect_ = DROPEFFECT_NONE;
};

// A lime arrow on the screen, above every window and never active.
class TDropArrow : public TPopupWindow {
 public:
  TDropArrow(TComponent* AOwner, int Direction);
  int Direction() const { return direction_; }
  // Shows the arrow with its top-left corner at a screen point.
  void ShowAt(TPoint Screen);

 protected:
  void Paint() override;

 private:
  int direction_;
};

// A button face with a caption on the screen, above every window and never
// active: the heading of a dragged column, the text of a dragged cell.
class TFloatingLabel : public TPopupWindow {
 public:
  explicit TFloatingLabel(TComponent* AOwner);
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v);

 protected:
  void Paint() override;

 private:
  AnsiString caption_;
};

// The windows a grid shows while something is dragged over it or out of
// it: the row marker (pointing right, left of the row), the two column
// markers (pointing down above the heading, up below it) and the floating
// label that is the drag indicator.
class TDropMarkers {
 public:
  explicit TDropMarkers(TExtStringGrid* grid);
  TDropArrow& RowMarker() const { return *row_; }
  TDropArrow& ColMarker1() const { return *col1_; }
  TDropArrow& ColMarker2() const { return *col2_; }
  TFloatingLabel& DragIndicator() const { return *indicator_; }
  void HideAll();

 private:
  // Owned by the grid, as its components.
  TDropArrow* row_;
  TDropArrow* col1_;
  TDropArrow* col2_;
  TFloatingLabel* indicator_;
};
