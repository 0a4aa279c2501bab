#pragma once
// The base grid: the string grid with a properties object per cell (made on
// first use and kept in the cell's object slot), merged cells drawn and
// edited as one through their top-left base cell, and its own cell drawing
// with grid lines of its own width and colour drawn inside each cell.
//
// Every cell text the program reads or writes goes through GetCellText and
// SetCellText, which redirect the cells of a merged area to its base cell
// and pass the text through the display-text hook.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/ui/Grids.h"

enum TVAlignment { vtaTop, vtaCenter, vtaBottom };

// The editor a cell is edited with; the grid's editor dispatch serves them.
enum TEditorType : std::uint8_t {
  edNormal,
  edSpinEdit,
  edComboEdit,
  edComboList,
  edEditBtn,
  edCheckBox,
  edDateEdit,
  edDateEditUpDown,
  edTimeEdit,
  edButton,
  edDataCheckBox,
  edNumeric,
  edPositiveNumeric,
  edFloat,
  edCapital,
  edMixedCase,
  edPassword,
  edUnitEditBtn,
  edLowerCase,
  edUpperCase,
  edFloatSpinEdit,
  edTimeSpinEdit,
  edDateSpinEdit,
  edNumericEditBtn,
  edFloatEditBtn,
  edCustom,
  edRichEdit,
  edUniEdit,
  edUniComboEdit,
  edUniComboList,
};

class TBaseGrid;

// What a cell's properties hold as the cell's graphic. The properties free
// it with themselves unless it is shared by many cells.
class TCellGraphicObject : public TObject {
 public:
  virtual bool SharedByCells() const { return false; }
};

using TGetDisplTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;

// Colour that is not set: code that applies an optional colour skips it.
constexpr TColor clNotSet = 0x1FFFFFFF;

class TCellProperties : public TObject {
 public:
  TCellProperties(TBaseGrid* grid, int col, int row);
  ~TCellProperties() override;

  // Copies the look, the merge encoding, the owner cell, the editor, the
  // node level and the control; not the free-use object, the graphic, the
  // paint stamp or the footer calculation.
  void Assign(const TCellProperties& source);

  int OwnerCol;
  int OwnerRow;
  TObject* CellObject = nullptr;  // free use, not owned
  TBrushStyle BrushStyle = bsSolid;
  TColor FontColor = clNotSet;
  int FontSize = 0;
  TFontStyles FontStyle = 0;
  int CellSpanY = -1;
  int CellSpanX = -1;
  int BorderWidth = 0;
  TColor BorderColor = 0;
  TAlignment Alignment = taLeftJustify;
  bool IsBaseCell = true;
  int NodeLevel = 0;
  TEditorType Editor = edNormal;
  AnsiString FontName;
  bool ReadOnly = false;
  TControl* Control = nullptr;

  // These three repaint the owner cell.
  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor v);
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);

  // For a cell of the footer row: 0 none, 1 sum, 2 average, 3 count,
  // 4 minimum, 5 maximum of its column; the top bit is ignored.
  std::uint8_t FooterCalc = 0;
  // The grid's paint counter when the merged area was last painted through
  // a covered cell.
  std::uint32_t PaintStamp = ~0u;  // never painted yet

 private:
  friend class TBaseGrid;
  TBaseGrid* grid_;
  TCellGraphicObject* graphic_ = nullptr;
  TColor brushColor_ = clNotSet;
  TVAlignment vAlignment_ = vtaTop;
  bool wordWrap_ = false;
};

class TBaseGrid : public TStringGrid {
 public:
  explicit TBaseGrid(TComponent* AOwner);
  ~TBaseGrid() override;

  // ---- cell text, through merged areas and the display-text hook ----
  AnsiString GetCellText(int ACol, int ARow);
  void SetCellText(int ACol, int ARow, const AnsiString& Value);
  // The grid's Cells property.
  AnsiString Cells(int ACol, int ARow) { return GetCellText(ACol, ARow); }
  void SetCells(int ACol, int ARow, const AnsiString& Value) { SetCellText(ACol, ARow, Value); }
  // The plain store, without redirection.
  AnsiString GetCellDirect(int ACol, int ARow) const { return TStringGrid::Cells(ACol, ARow); }
  void SetCellDirect(int ACol, int ARow, const AnsiString& Value) {
    TStringGrid::SetCells(ACol, ARow, Value);
  }
  TObject* GetCellObjectDirect(int ACol, int ARow) const { return TStringGrid::Objects(ACol, ARow); }
  void SetCellObjectDirect(int ACol, int ARow, TObject* Obj) {
    // A cell's object repaints nothing of itself; a bracket that swaps
    // objects about repaints all at its end.
    if (RepaintDeferred() && Obj != GetCellObjectDirect(ACol, ARow)) Invalidate();
    TStringGrid::SetObjects(ACol, ARow, Obj);
  }

  // ---- properties and merges ----
  // Made with its defaults and stored on first use.
  TCellProperties* GetCellProperties(int ACol, int ARow);
  // Null when the cell has none; never makes one.
  TCellProperties* FindCellProperties(int ACol, int ARow) const;
  bool HasCellProperties(int ACol, int ARow) const { return GetCellObjectDirect(ACol, ARow) != nullptr; }
  // Whether properties of this grid's cells were ever made: until then no
  // cell knows its row, so rows move without telling their cells.
  bool MadeCellProperties() const { return madeCellProperties_; }
  // Frees what the slot holds and stores Obj.
  void ReplaceCellObject(int ACol, int ARow, TObject* Obj);
  TPoint BaseCell(int ACol, int ARow) const;
  bool CheckBaseCell(int ACol, int ARow, int& BaseCol, int& BaseRow) const;
  bool IsBaseCell(int ACol, int ARow) const;
  bool IsMergedCell(int ACol, int ARow) const;
  bool IsXMergedCell(int ACol, int ARow) const;
  bool IsYMergedCell(int ACol, int ARow) const;
  // Spans of the base cell; (0, 0) for a cell outside any area.
  TPoint CellSpan(int ACol, int ARow) const;
  virtual void MergeCells(int ACol, int ARow, int SpanX, int SpanY);
  virtual void SplitCells(int ACol, int ARow);
  TRect MergedCellRect(int ACol, int ARow) const;
  TPoint MergedCellSize(int ACol, int ARow) const;
  // The cell's rectangle in client coordinates, also for cells scrolled
  // out of view.
  TRect CellRectEx(int ACol, int ARow) const;
  void RepaintCell(int ACol, int ARow);
  void SelectBaseCell();
  int FixedColsWidth() const;
  int FixedRowsHeight() const;
  bool RowsInSameMerge(int ARow1, int ARow2) const;
  TCellGraphicObject* GetGraphicObject(int ACol, int ARow) const;
  // Keeps the cell text as it was.
  void SetGraphicObject(int ACol, int ARow, TCellGraphicObject* Obj);

  // ---- clearing, without redirection ----
  void ClearCell(int ACol, int ARow);
  void ClearColumn(int ACol);
  void ClearRow(int ARow);
  // Empties the text and the object slot without freeing the object (it
  // has moved to another cell).
  void DetachCell(int ACol, int ARow);
  // Frees the properties of every cell of the rectangle.
  void ClearPropsRect(int Col1, int Row1, int Row2, int Col2);
  void ClearAllProps();
  // Mirrored, the canvas's x runs from the right edge of the client area
  // to the left (a right-to-left layout); not mirrored, one to one.
  void MirrorCanvas(bool Mirrored);

  // ---- look ----
  // The grid's own flag; the inherited default drawing stays off.
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v);
  // The lines the grid draws inside its cells; the inherited line width
  // stays 0 so that the cells abut.
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int v);
  TColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(TColor v);
  std::uint32_t PaintCount() const { return paintCount_; }

  TGetDisplTextEvent OnGetDisplText;

  // Set by the descendant while its footer takes the last row.
  bool FooterRowFlag() const { return footerRowFlag_; }
  void SetFooterRowFlag(bool v) { footerRowFlag_ = v; }
  // Rows below it pass through the display-text hook.
  int DisplTextRowLimit() const { return displTextRowLimit_; }
  void SetDisplTextRowLimit(int v) { displTextRowLimit_ = v; }

  // ---- virtual slots the grid control fills ----
  virtual bool CellIsFixed(int ACol, int ARow);
  virtual int GetCellIndent(int ARow);
  virtual bool HasNodes();
  virtual void DrawCellContent(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect,
                               TGridDrawState AState);
  virtual void UpdateFooter();
  virtual void GetCellColors(int ACol, int ARow, TGridDrawState AState, bool Printing, bool Option1,
                             bool Option2, TBrush& ABrush, TFont& AFont);
  virtual void GetDisplText(int ACol, int ARow, AnsiString& Value);

 protected:
  void Paint() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void TopLeftChanged() override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;
  // One column and one row past the counts: a text written there shows
  // when the grid grows.
  TGridCoord CellStoreLimit() const override;
  // Frees the properties of the stored cells outside the store limit, before
  // the store drops them.
  void FreeOutsideLimit();

 private:
  void RepaintArea(int BaseCol, int BaseRow, int SpanX, int SpanY);

  bool defaultDrawing_ = false;
  int gridLineWidth_ = 1;
  TColor gridLineColor_ = 0xC0C0C0;
  std::uint32_t paintCount_ = 0;
  // What the paint under way repaints (none: everything).
  std::optional<TRegion> paintRegion_;
  bool footerRowFlag_ = false;
  int displTextRowLimit_ = 0;
  friend class TCellProperties;
  bool madeCellProperties_ = false;
};
