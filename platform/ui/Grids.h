#pragma once
// The plain grids: TCustomGrid (rows and columns of cells with fixed rows and
// columns at the top and left, scrolling, a current cell and a selection,
// keyboard and mouse navigation, sizing and moving of rows and columns, and
// an in-place editor), TDrawGrid (cells drawn by OnDrawCell) and
// TStringGrid (a text and an object per cell).
//
// Column and row extents live in TGridAxis, a tree of prefix sums, so that
// the position of a cell, the cell under a point and one screen of painting
// cost the same for 14 rows as for 20,000. The string grid stores cells
// sparsely: a row takes memory once one of its cells was written.
//
// Descendants change the behaviour through the virtual methods the class
// library's grid has (DrawCell, SelectCell, CanEditShow, GetEditText, ...).

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GridsBlocks.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdEdits.h"

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking,
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateMember { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateMember>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// What a change of the column or row count can move: the counts, the
// fixed ones, the view and the area the cells take.
struct TGridShape {
  int Cols = 0;
  int Rows = 0;
  int FixedCols = 0;
  int FixedRows = 0;
  TGridCoord TopLeft;
  TRect Area;
  bool operator==(const TGridShape&) const = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
  TGridCoord TopLeft() const { return {Left, Top}; }
  TGridCoord BottomRight() const { return {Right, Bottom}; }
};

DIM_EXCEPTION(EInvalidGridOperation, Exception)

// The extents of one axis (columns or rows): each index has a size in
// pixels (0 hides it) and takes its size plus the grid line, or nothing when
// hidden. The sizes live in a block list that keeps the extents' sums: the
// start of an index, the index at a position, a change of one size and the
// move, insertion or removal of an index cost O(log n) and a shift inside
// one block.
class TGridAxis {
 public:
  int Count() const { return sizes_.Count(); }
  // Growing appends indexes of the default size.
  void SetCount(int count, int defaultSize);
  int Size(int index) const { return sizes_.Get(index); }
  void SetSize(int index, int size);
  // Every index the same size (a new default).
  void SetAll(int size);
  int LineWidth() const { return lineWidth_; }
  void SetLineWidth(int width);
  // Size plus the line after it; 0 for a hidden index.
  int Extent(int index) const;
  // Sum of the extents of indexes [0, index).
  long long Start(int index) const;
  long long Total() const { return Start(Count()); }
  // The index whose extent holds Pos (counted from index 0): the largest
  // index whose start is <= Pos among visible ones; Count() past the end.
  int IndexAt(long long pos) const;
  // Moves the size of From to To, the ones between shift by one.
  void Move(int from, int to);
  // Swaps two sizes.
  void Exchange(int a, int b);
  void Insert(int index, int size);
  void Delete(int index);

 private:
  struct TExtentWeight {
    static constexpr bool kWeighted = true;
    int LineWidth = 1;
    long long operator()(int size) const { return size > 0 ? size + LineWidth : 0; }
  };
  TBlockList<int, TExtentWeight> sizes_;
  int lineWidth_ = 1;
};

class TCustomGrid;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)>;

// The grid's editor: a masked edit without a border that lives inside the
// grid over the current cell. The keys it gets reach the grid's handlers
// first: navigation keys go to the grid's KeyDown, the rest to its OnKeyDown
// and every character to its KeyPress, before the edit acts on them.
class TInplaceEdit : public TCustomMaskEdit {
 public:
  explicit TInplaceEdit(TComponent* AOwner);
  TCustomGrid* Grid() const { return grid_; }
  void SetGrid(TCustomGrid* grid) { grid_ = grid; }
  // Places the editor over R (grid client coordinates) and shows it.
  virtual void Move(const TRect& r);
  // Hides it; the focus returns to the grid when the editor had it.
  void HideEdit();
  // Fills the text from the grid when the current cell changed.
  virtual void UpdateContents();
  // Selects the whole text (on showing by key) or puts the caret at the end.
  void Deselect();
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DblClick() override;
  void Change() override;
  void BoundsChanged() override;

 private:
  friend class TCustomGrid;
  TCustomGrid* grid_ = nullptr;
  bool updating_ = false;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // ---- shape ----
  int ColCount() const { return cols_.Count(); }
  void SetColCount(int v);
  int RowCount() const { return rows_.Count(); }
  void SetRowCount(int v);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int v);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int v);
  int ColWidths(int index) const;
  void SetColWidths(int index, int v);
  int RowHeights(int index) const;
  void SetRowHeights(int index, int v);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int v);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions v);
  TScrollStyle ScrollBars() const { return scrollBars_.Style(); }
  void SetScrollBars(TScrollStyle v);
  bool DefaultDrawing = true;
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor c);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle s);
  // Whether Tab stops in a column (all do until told otherwise).
  bool TabStops(int index) const;
  void SetTabStops(int index, bool v);

  // ---- position ----
  int Col() const { return current_.X; }
  void SetCol(int v);
  int Row() const { return current_.Y; }
  void SetRow(int v);
  // Raises EInvalidGridOperation for a rectangle outside the grid.
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  int TopRow() const { return topLeft_.Y; }
  void SetTopRow(int v);
  int LeftCol() const { return topLeft_.X; }
  void SetLeftCol(int v);
  // Scrollable columns (rows) wholly visible from LeftCol (TopRow); at
  // least one when any is there.
  int VisibleColCount() const;
  int VisibleRowCount() const;
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }

  // ---- geometry ----
  // The cell's rectangle in client coordinates; empty when it is not
  // visible. Grid lines are not part of it.
  TRect CellRect(int ACol, int ARow) const;
  // The cell under a client point; -1, -1 outside the cells.
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  TGridCoord MouseCoord(int X, int Y) const;
  // The area of a range of cells (clipped to what is visible).
  TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
  TGridState GridState() const { return gridState_; }

  // ---- actions ----
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);
  // Swaps the heights of two rows; the current cell stays where it is.
  void ExchangeRowHeights(int ARow1, int ARow2);
  void DeleteColumn(int ACol);
  void DeleteRow(int ARow);
  void InvalidateCell(int ACol, int ARow);
  void InvalidateCol(int ACol);
  void InvalidateRow(int ARow);
  void InvalidateGrid() { Invalidate(); }
  void InvalidateEditor();
  void ShowEditor();
  void HideEditor();

  TNotifyEvent OnTopLeftChanged;
  TSelectCellEvent OnSelectCell;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

  void Dispatch(TMessage& Message) override;
  // The area the cells and their fixed parts occupy (inside border and bars).
  TRect GridArea() const;

 protected:
  // True while the grid holds its repaints back until the end of an update
  // bracket: a range of cells to repaint meanwhile goes to RangeDeferred,
  // which keeps it for then.
  virtual bool RepaintDeferred() const { return false; }
  virtual void RangeDeferred(const TGridRect&) {}
  void InvalidateRange(const TGridRect& r);
  // True when a change of the column or row count alters what the grid
  // shows of the rows and columns both counts have (the descendant draws
  // some of them by the count): the grid is then painted whole.
  virtual bool SizeChangeRepaintsAll(int, int) const { return false; }
  // A change of the column or row count while repaints are held back, from
  // the shape the grid had before it: here all of the grid is repainted.
  virtual void SizeChangeDeferred(const TGridShape&) { Invalidate(); }
  TGridShape Shape() const;
  // A scroll moves the pixels of the cells already drawn and paints only
  // what the move uncovers. A descendant adds (client coordinates) what it
  // draws at places that do not move with the cells, painted again where
  // the move took their pixels and where they are after it; false when
  // its picture cannot move at all, and the grid is painted whole.
  // OddMove: the move is by an odd number of pixels, which puts the dots
  // of a focus rectangle (laid on the window's pixel grid) out of step.
  virtual bool ScrollAnchoredAreas(std::vector<TRect>& Areas, bool OddMove);
  // ---- the virtual methods descendants override ----
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  virtual bool SelectCell(int ACol, int ARow);
  virtual void TopLeftChanged();
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  // The bars have just been given the grid's range, page and position; a
  // descendant that draws them otherwise adjusts them here.
  virtual void ScrollBarsUpdated() {}
  // Gives the bars the grid's range, page and position.
  void UpdateScrollBars();
  // What a press at X, Y would start: sizing of a row or column (with the
  // index, where the line is and how far from it the mouse is), or nothing.
  virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs);
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(char Key);
  virtual bool CanGridAcceptKey(Word Key, TShiftState Shift);
  virtual AnsiString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
  virtual AnsiString GetEditMask(int ACol, int ARow);
  virtual int GetEditLimit();
  void DoExit() override;
  void DoEnter() override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void BoundsChanged() override;

  // ---- moving about ----
  // Makes (ACol, ARow) current; the anchor follows unless a range is being
  // extended. Asks SelectCell first.
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  void MoveTopLeft(int ALeft, int ATop);
  // The cells' pixels follow a move of the view from Old to the present
  // top-left cell; the fixed rows and columns stay.
  void ScrollCells(TGridCoord Old, const std::vector<TRect>& Anchored, bool OddMove);
  void ClampInView(TGridCoord cell);
  // Drags the selection on from where it is, as a press on a cell starts
  // it: its moving end follows the mouse, and past the edge the auto-scroll
  // timer scrolls and carries it on until the release.
  void BeginSelecting();
  // The highest TopRow / LeftCol that still fills the view.
  TGridCoord MaxTopLeft() const;
  // True while the grid or its editor has the focus.
  bool GridFocused() const;
  const TGridAxis& ColAxis() const { return cols_; }
  const TGridAxis& RowAxis() const { return rows_; }
  TGridCoord anchor_;
  TGridCoord current_;

 private:
  friend class TInplaceEdit;
  // Left edge of a column / top edge of a row in client coordinates, for
  // visible ones and for ones scrolled out of view alike.
  long long ColLeft(int ACol) const;
  long long RowTop(int ARow) const;
  int FixedWidth() const;
  int FixedHeight() const;
  int CellAt(const TGridAxis& axis, int fixed, int first, int origin, int limit, int pos) const;
  // The client area inside the border (the scroll bars lie within it).
  TRect InnerClient() const;
  void MoveAnchor(TGridCoord cell);
  bool IsActiveControl() const;
  void HideEdit();
  void UpdateText();
  // The user leaves the editor's cell or closes it: a masked editor whose
  // text misses a required place raises the mask's error and stays, with
  // the focus and the caret on the place.
  void ValidateEditor();
  void ScrollMessage(int bar, int code);
  void SelectionMoved(const TGridRect& oldSelection);
  void UpdateEdit();
  void ShowEditorChar(char ch);
  void PaintLines(TCanvas& canvas, const TRect& area, int firstCol, int lastCol, int firstRow, int lastRow);
  // Row, column or selection dragging: the cell under a point carries the
  // drag on; past the edge the auto-scroll timer moves one cell a tick.
  void DragTo(TGridCoord cell);
  void AutoScrollTick();
  void StopAutoScroll();
  void EndSizing(int X, int Y);
  void EndMoving(int X, int Y);
  int VisibleCount(const TGridAxis& axis, int fixed, int first, int room) const;
  void ChangeSize(int newCols, int newRows);
  void InvalidateSizeChange(int oldCols, int oldRows, const TGridRect& oldSelection, TGridCoord oldCurrent);

  TGridAxis cols_, rows_;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24;
  int gridLineWidth_ = 1;
  TGridOptions options_;
  TWindowScrollBars scrollBars_;
  TColor fixedColor_ = clBtnFace;
  TBorderStyle borderStyle_ = bsSingle;
  std::vector<bool> tabStops_;
  TGridCoord topLeft_;
  TGridState gridState_ = gsNormal;
  int sizingIndex_ = 0, sizingPos_ = 0, sizingOfs_ = 0;
  int moveIndex_ = 0, movePos_ = 0;
  TInplaceEdit* inplaceEdit_ = nullptr;
  bool editorMode_ = false;
  int inplaceCol_ = -1, inplaceRow_ = -1;
  bool canEditModify_ = true;
  bool updatingEdit_ = false;
};

class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
  TDrawCellEvent OnDrawCell;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  AnsiString GetEditMask(int ACol, int ARow) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
};

class TStringGrid;

// A row or a column of a string grid seen as a list: the items are the
// cells, with their objects. The list has as many items as the grid has
// columns (rows); Add fills the first empty cell, Insert and Delete are
// refused.
class TStringGridStrings : public TStrings {
 public:
  TStringGridStrings(TStringGrid& grid, bool isRow, int index) : grid_(grid), isRow_(isRow), index_(index) {}
  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, void* object) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  // Cell by cell: every cell takes the source's item of its index (text
  // and object) and the cells past the source's end are emptied, so blank
  // cells keep their places.
  void Assign(const TStrings& source) override;

 private:
  void Check(int index) const;
  TStringGrid& grid_;
  bool isRow_;
  int index_;
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;
  // Cells outside the grid read as empty; writing one raises
  // EInvalidGridOperation.
  AnsiString Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const AnsiString& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);
  TStrings& Rows(int ARow);
  TStrings& Cols(int ACol);
  // Rows with at least one cell written.
  int StoredRowCount() const;
  // The columns stored in one row: the cells at and past it read as empty.
  int StoreColCount(int ARow) const;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;
  // The cells the store keeps: columns below X and rows below Y; writing
  // outside raises. The grid's counts by default; a descendant may keep more
  // (cells of hidden columns after the shown ones, a text written one past
  // the last row that shows when the grid grows).
  virtual TGridCoord CellStoreLimit() const { return {ColCount(), RowCount()}; }
  // Rows the store has room for, and the columns stored in one row: what a
  // descendant that owns the cells' objects walks before cells are dropped.
  int StoreRowCount() const { return cells_.Count(); }
  // No stored row holds more columns than this.
  int StoreColBound() const { return colBound_; }
  // Swaps the stored cells of two rows (all stored columns) without
  // copying them.
  void ExchangeStoredRows(int ARow1, int ARow2);
  // Puts the stored cells of row First + Order[k] into row First + k, for
  // each k (Order a permutation), without copying them, and shows each
  // object of a row that moved to Visit with its new row. Paints nothing.
  void PermuteStoredRows(int First, const std::vector<int>& Order,
                         const std::function<void(int ARow, TObject* Object)>& Visit);

 private:
  struct Cell {
    AnsiString Text;
    TObject* Object = nullptr;
  };
  using RowCells = std::vector<Cell>;
  const Cell* Find(int ACol, int ARow) const;
  Cell& Ensure(int ACol, int ARow);
  void CheckStoreIndex(int ACol, int ARow) const;
  // Rows as many as the store has room for: a row stays null until one of
  // its cells is written.
  TBlockList<std::unique_ptr<RowCells>> cells_;
  int colBound_ = 0;
  std::map<int, std::unique_ptr<TStringGridStrings>> rowLists_, colLists_;
};
