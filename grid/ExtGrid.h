#pragma once
// The grid control behind every table of the program: the base grid with
// option groups, typed cell values, cell graphics (check boxes, radio
// choices, nodes...), hidden rows and columns with real and displayed
// indexes, disjunct row and column selection, a filter that hides rows,
// row and column structure operations that keep cell properties and merged
// areas consistent, column widths kept in an INI file or the registry, and
// a 500 ms window timer.
//
// Indexes: a real index names a row or column as the data knows it, a
// displayed index counts only what is shown. The cell store is indexed by
// real column: the columns shown are 0..ColCount-1 of the displayed
// numbering, and the cells of hidden columns stay in the store at their
// real index (the store keeps ColCount + HiddenColCount columns). Hidden
// rows leave the store for the hidden-row collection.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "grid/BaseGrid.h"
#include "grid/ExtGridCellObjects.h"
#include "grid/ExtGridEvents.h"
#include "grid/ExtGridMouse.h"
#include "grid/ExtGridOptions.h"
#include "grid/GridOptionsShared.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/ui/ImgList.h"

class TFooterPanel;
class TExtRichEdit;
class TGridDropTarget;
class TDropMarkers;
class TExtStringGrid;

// An object that follows a grid's cells (a summary, a chart, a second view
// of the same data): once linked it hears of every rectangle of cells that
// changed, after the grid's own handler. Either side may go first: a link
// freed leaves its grid, a grid freed lets go of its links.
class TGridCellsLink {
 public:
  TGridCellsLink() = default;
  TGridCellsLink(const TGridCellsLink&) = delete;
  TGridCellsLink& operator=(const TGridCellsLink&) = delete;
  virtual ~TGridCellsLink();
  // Follows Grid (nullptr: none) instead of the grid followed before.
  void SetGrid(TExtStringGrid* Grid);
  TExtStringGrid* Grid() const { return grid_; }
  // R: first and last real column and row that changed.
  virtual void CellsChanged(TExtStringGrid& Grid, const TRect& R) = 0;

 private:
  friend class TExtStringGrid;
  TExtStringGrid* grid_ = nullptr;
};

// ---- the grid ------------------------------------------------------------------------

class TExtStringGrid : public TBaseGrid {
 public:
  explicit TExtStringGrid(TComponent* AOwner);
  ~TExtStringGrid() override;

  // ---- option groups ----
  TColumnSize& ColumnSize() { return *columnSize_; }
  TNavigation& Navigation() { return *navigation_; }
  TMouseActions& MouseActions() { return *mouseActions_; }
  TCellNode& CellNode() { return *cellNode_; }
  TSizeWhileTyping& SizeWhileTyping() { return *sizeWhileTyping_; }
  THTMLSettings& HTMLSettings() { return *htmlSettings_; }
  TPrintSettings& PrintSettings() { return *printSettings_; }
  TBands& Bands() { return *bands_; }
  TBackGround& BackGround() { return *backGround_; }
  TSortSettings& SortSettings() { return *sortSettings_; }
  TControlLook& ControlLook() { return *controlLook_; }
  TFloatingFooter& FloatingFooter() { return *floatingFooter_; }
  TDragDropSettings& DragDropSettings() { return *dragDropSettings_; }
  TFilter& Filter() { return *filter_; }
  // A change made to either font repaints the grid.
  TFont& FixedFont() { return fixedFont_; }
  void SetFixedFont(const TFont& v);
  // The width of the fixed columns, read from the first; a form being
  // designed gives every fixed column a width other than the default.
  int FixedColWidth() const { return ColWidths(0); }
  void SetFixedColWidth(int v);
  // Kept as set; a form being designed gives it to every fixed row.
  int FixedRowHeight() const { return fixedRowHeight_; }
  void SetFixedRowHeight(int v);
  TFont& ActiveCellFont() { return activeCellFont_; }
  void SetActiveCellFont(const TFont& v);
  TStringList& ColumnHeaders() { return columnHeaders_; }
  void SetColumnHeaders(const TStrings& v);
  TStringList& RowHeaders() { return rowHeaders_; }
  void SetRowHeaders(const TStrings& v);
  TStringList& LookupItems() { return lookupItems_; }

  // ---- plain published values ----
  bool ActiveCellShow() const { return activeCellShow_; }
  void SetActiveCellShow(bool v);
  TColor ActiveCellColor() const { return activeCellColor_; }
  void SetActiveCellColor(TColor v);
  bool AutoNumAlign = false;
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);
  bool SizeWithForm = false;
  bool Multilinecells = false;
  bool EnableBlink = false;
  bool EnableHTML = true;
  bool EnableWheel = true;
  // Flat cells: no three-dimensional fixed cells; setting it repaints.
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TGridLook Look() const { return look_; }
  void SetLook(TGridLook v);
  TColor HintColor = clInfoBk;
  TColor SelectionColor() const { return selectionColor_; }
  void SetSelectionColor(TColor v);
  TColor SelectionTextColor() const { return selectionTextColor_; }
  void SetSelectionTextColor(TColor v);
  bool ShowSelection() const { return showSelection_; }
  void SetShowSelection(bool v);
  int MaxEditLength() const { return maxEditLength_; }
  // Also the limit of the text editor once it exists.
  void SetMaxEditLength(int v);
  // Whether a theme was active when the grid was made; its editors and its
  // csTheme check boxes draw themed then.
  bool ThemedLook() const { return themedLook_; }
  bool AutoSize() const { return autoSize_; }
  // Switching it on sizes the columns to their contents.
  void SetAutoSize(bool v);
  TIntelliPan IntelliPan = ipVertical;
  bool IntelliZoom = true;
  // Links in plain text: shown underlined in URLColor, with their scheme
  // unless URLFull; the colour and the scheme repaint only while shown.
  TColor URLColor() const { return urlColor_; }
  void SetURLColor(TColor v);
  bool URLShow() const { return urlShow_; }
  void SetURLShow(bool v);
  bool URLFull() const { return urlFull_; }
  void SetURLFull(bool v);
  // ---- scroll bars ----
  // The look of the bars: ssFlat and ssEncarta start the flat bars,
  // ssNormal ends them.
  TScrollType ScrollType() const { return scrollType_; }
  void SetScrollType(TScrollType v);
  // The bars' track colour; clNotSet leaves the standard one.
  TColor ScrollColor() const { return scrollColor_; }
  void SetScrollColor(TColor v);
  // The vertical bar's width and the horizontal bar's height.
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int v);
  // On, the thumbs take the share of the view they show (and the flat bars
  // start); off, flat bars have thumbs of a fixed length.
  bool ScrollProportional() const { return scrollProportional_; }
  void SetScrollProportional(bool v);
  // The grid scrolls while a thumb is dragged, not only when it is let go.
  bool ScrollSynch = false;
  // Which bars name the row or column their dragged thumb brings into view.
  TScrollHintType ScrollHints = shNone;
  void InitFlatScrollBars();
  void DoneFlatScrollBars();
  // Look, colour, thickness, which bars show and their thumbs.
  void UpdateFlatScrollBars();
  bool FlatScrollBarsOn() const { return flatScrollBars_; }
  bool ScrollHintShown() const { return scrollHintShown_; }
  int FixedFooters() const { return fixedFooters_; }
  void SetFixedFooters(int v);
  int FixedRightCols() const { return fixedRightCols_; }
  void SetFixedRightCols(int v);
  // With these on, a grid of one row (column) keeps it as a fixed row
  // (column), and the fixed counts read at least 1.
  bool FixedRowAlways = false;
  bool FixedColAlways = false;
  // The stored count, or 1 while it is 0 and FixedRowAlways (FixedColAlways)
  // is on. The plain grid's own layout keeps reading the stored count.
  int FixedRows() const;
  int FixedCols() const;
  AnsiString FloatFormat = "%.2f";
  // Whole rows in the height: setting it sizes the grid again.
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool Lookup = false;
  bool LookupCaseSensitive = false;
  bool LookupHistory = false;
  bool HideFocusRect = false;
  bool Hovering = false;
  // Dates shown for values of 0 and below (on after construction).
  bool ShowZeroDates = true;

  // ---- counts ----
  // These set the display-text limit and keep FixedRowAlways and
  // FixedColAlways; the store keeps hidden columns past ColCount.
  void SetRowCount(int v);
  void SetColCount(int v);
  void SetDefaultRowHeight(int v);

  // ---- updates ----
  void BeginUpdate() { ++updateCount_; }
  // Repaints once the last bracket closes.
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void Invalidate() override;
  bool RepaintDeferred() const override { return updateCount_ > 0; }
  void RangeDeferred(const TGridRect& R) override;
  void SizeChangeDeferred(const TGridShape& Old) override;
  bool SizeChangeRepaintsAll(int OldColCount, int OldRowCount) const override;
  bool ScrollAnchoredAreas(std::vector<TRect>& Areas, bool OddMove) override;

  // ---- cell values ----
  int GetCellInteger(int ACol, int ARow);
  void SetCellInteger(int ACol, int ARow, int Value);
  double GetCellFloat(int ACol, int ARow);
  void SetCellFloat(int ACol, int ARow, double Value);
  void SetCellDate(int ACol, int ARow, TDateTime Value);
  AnsiString GetCurrentCellText() { return GetCellText(RealColIndex(Col()), Row()); }
  void SetCurrentCellText(const AnsiString& S) { SetCellText(RealColIndex(Col()), Row(), S); }

  // ---- cell graphics ----
  virtual TCellGraphic* GetCellGraphic(int ACol, int ARow);
  virtual TCellType GetCellType(int ACol, int ARow);
  TCellGraphic* CreateCellGraphic(int ACol, int ARow);
  bool RemoveCellGraphic(int ACol, int ARow);
  // Makers for the kinds the program uses.
  void AddCheckBox(int ACol, int ARow, bool State, bool Data);
  void AddRadio(int ACol, int ARow, bool DirRadio, const TStrings& Choices, int Index);
  void AddNode(int ARow, int Span);
  void AddComment(int ACol, int ARow, const AnsiString& Comment);
  bool HasCheckBox(int ACol, int ARow);
  bool HasCheckBoxOrRadio(int ACol, int ARow);
  bool GetCheckBoxState(int ACol, int ARow, bool& State);
  // Sets a check box's state; for the data kinds writes the check text.
  bool SetCheckBoxState(int ACol, int ARow, bool State);
  virtual bool ToggleCheckBox(int ACol, int ARow, bool AskEdit);
  void SetCellGraphicBoolean(int ACol, int ARow, bool Value);
  bool IsRadio(int ACol, int ARow);
  bool GetRadioIdx(int ACol, int ARow, int& Idx);
  TStrings* GetRadioChoices(int ACol, int ARow);
  bool ToggleRadio(int ACol, int ARow, bool AskEdit);
  bool GetRotated(int ACol, int ARow, int& Angle);
  bool IsComment(int ACol, int ARow, AnsiString& Comment);
  void GetCellError(int ACol, int ARow, int& From, int& Len);
  bool IsButton(int ACol, int ARow);
  TRect GetButtonRect(int ACol, int ARow);
  std::vector<int>* GetImageIndexList(int ACol, int ARow);
  // What identifies a cell's picture: the bitmap's address (ctBitmap), the
  // icon's (ctIcon) or the image index (ctImageList); -1 for other cells.
  std::intptr_t GetGraphicHandle(int ACol, int ARow);
  // The own size of a ctPicture or ctFilePicture cell's picture; (0, 0)
  // for other cells and for a picture not loaded.
  TPoint CellPictureSize(int ACol, int ARow);
  // The room a cell's graphic takes: on the screen for the cell as it is,
  // and when printing for a cell of W × H at the given scale.
  virtual TPoint GetCellGraphicSize(int ACol, int ARow);
  virtual void GetCellGraphicPrintSize(int ACol, int ARow, TPoint& Size, double Scale, int W, int H);
  // The images of ctImageList, ctDataImage and ctImages cells; cleared when
  // the list is freed.
  TCustomImageList* GridImages() const { return gridImages_; }
  void SetGridImages(TCustomImageList* v);

  // ---- editing rules ----
  bool CellEditable(int ACol, int ARow);
  virtual void IsFixedCell(int ACol, int ARow, bool& IsFixed);
  virtual bool CanEditCell(int ACol, int ARow);
  virtual bool IsPasswordCell(int ACol, int ARow);
  bool IsPasswordCellAt(int ACol, int ARow) { return IsPasswordCell(ACol, ARow); }
  // The cell under a point of the screen; -1, -1 off the cells.
  void MouseToCellScreen(TPoint ScreenPoint, int& ACol, int& ARow) const;
  virtual AnsiString GetCheckTrue(int ACol, int ARow);
  virtual AnsiString GetCheckFalse(int ACol, int ARow);
  virtual TEditorType GetCellEditor(int ACol, int ARow);
  virtual void GetCellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  // The alignment a cell's text is drawn with.
  void CellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  virtual AnsiString GetCellTextForSort(int ACol, int ARow) { return GetCellText(ACol, ARow); }
  virtual void GetGridHint(int ARow, int ACol, AnsiString& HintStr);
  virtual void GetCellColor(int ACol, int ARow, TGridDrawState AState, TBrush& ABrush, TFont& AFont);
  // The colours and border of a cell when it is printed: what their events
  // say, nothing else.
  virtual void GetCellPrintColor(int ACol, int ARow, TGridDrawState AState, TBrush& ABrush, TFont& AFont);
  virtual void GetCellPrintBorder(int ACol, int ARow, TPen& APen, TCellBorders& Borders);
  virtual void DoUpdateColumnSize(int ACol, int& AWidth);
  virtual void DoUpdateRowSize(int ARow, int& AHeight);
  virtual void DoEllipsClick(AnsiString& S);
  // Tells OnCellsChanged, then each linked object, then recalculates the
  // footers.
  virtual void CellsChanged(const TRect& R);
  int CellsLinkCount() const { return static_cast<int>(cellsLinks_.size()); }

  // ---- base grid slots ----
  bool CellIsFixed(int ACol, int ARow) override;
  int GetCellIndent(int ARow) override;
  bool HasNodes() override { return nodeCount_ > 0; }
  void DrawCellContent(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect,
                       TGridDrawState AState) override;
  void GetCellColors(int ACol, int ARow, TGridDrawState AState, bool Printing, bool Option1, bool Option2,
                     TBrush& ABrush, TFont& AFont) override;

  // ---- moving about ----
  // Moves the cursor to the next (previous) editable cell, by rows or by
  // columns as Navigation says; a grid with no editable cell is walked
  // once round and the cursor stays. True when it moved.
  bool AdvanceCell(int ACol, int ARow, bool Forward, bool ShowEditorAfter, bool Force);
  // Brings the cell into view, centring it when it lay outside.
  void ScrollInView(int ACol, int ARow);
  // Inserts a row at ARow and reports it; removes a row unless it is the
  // only data row, and reports it.
  virtual void DoInsertRow(int ARow);
  virtual void DoDeleteRow(int ARow);

  // ---- footer ----
  // The sums, averages, counts, minima and maxima of the footer row's
  // cells, as each cell's footer calculation says; -1 for every column.
  virtual void CalcFooter(int ACol);
  void RecalcFooter(int ACol) { CalcFooter(ACol); }
  void RecalcAllFooters() { CalcFooter(-1); }

  // ---- disjunct selection ----
  bool RowSelect(int ARow);
  void SetRowSelect(int ARow, bool Value);
  bool ColSelect(int ACol);
  void SetColSelect(int ACol, bool Value);
  void ClearRowSelect();
  void ClearColSelect();
  void SelectToRowSelect(bool All);
  void SelectToColSelect(bool All);
  int RowSelectCount() const { return static_cast<int>(rowSelect_.size()); }
  // Fixed cells never; else by the disjunct row or column selection when
  // one is on, else by the selection rectangle.
  bool IsCellSelected(int ACol, int ARow);
  // Outside the grid, and back.
  void HideSelection();
  void UnHideSelection();

  // ---- clipboard ----
  // A copy places the text (TAB between cells, CR LF after rows), with
  // AllowFmtClipboard the grid's own cell block and with AllowRTFClipboard
  // the rich text of the top-left cell; a paste takes the first of these
  // the options allow.
  void CopySelection();
  void CutSelection();
  // Pastes at the selection's top-left cell; with AllowSmartClipboard the
  // pasted value or series is then extended over the selection.
  void PasteAtSelection();
  // R in displayed columns. SkipUnselected leaves out the rows and columns
  // a disjunct selection does not hold.
  void CopyRange(const TGridRect& R, bool SkipUnselected);
  // The number of text cells read (0 for a cell block or rich text).
  int PasteAt(int ACol, int ARow);
  // The cell's text for the clipboard: an empty check box gives its check
  // text.
  virtual void GetCopyText(int ACol, int ARow, AnsiString& S);
  // The grid's hidden rich edit that draws and measures rich-text cells,
  // made on first need.
  TExtRichEdit& GridRichEdit();
  // A cell's RTF into a rich edit (an empty cell clears it; damaged RTF
  // goes in as plain text), and a rich edit's contents as RTF (empty when
  // it holds nothing).
  void CellToRichEdit(int ACol, int ARow, TCustomRichEdit& RichEdit);
  void RichEditToRTF(const TCustomRichEdit& RichEdit, AnsiString& S);
  // Text, or for a rich-text cell (Text holds "{\") its plain text.
  AnsiString CellPlainText(int ACol, int ARow, const AnsiString& Text);
  // Rich text of one cell (only a cell that holds some), beside what the
  // clipboard has.
  void CopyCellRTF(int ACol, int ARow);
  // The grid's own cell block of R, beside what the clipboard has.
  void CopyRangeCells(const TGridRect& R);
  // Writes TAB/CR text from the displayed cell (ACol, ARow) on, growing the
  // grid as Navigation allows; the number of cells read.
  int PasteText(int ACol, int ARow, const AnsiString& Text);
  // After a paste: where the cells came from ((-1, -1) when unknown), the
  // rectangle written, and whether they were copied rather than cut.
  virtual void PasteNotify(TPoint /*Origin*/, const TGridRect& /*R*/, bool /*Copied*/) {}
  // Writes a cell addressed by displayed column.
  virtual void SetDisplayCellText(int ACol, int ARow, const AnsiString& Value);
  // Copy quotes cells of several lines and text paste unquotes them.
  bool ClipboardQuoteMultiLine = false;
  // The whole-grid range of a disjunct copy includes the fixed cells.
  bool IncludeFixedCells = true;
  TPoint CopyOrigin() const { return copyOrigin_; }
  bool CopiedByCopy() const { return copiedByCopy_; }
  TBeforeCellPasteEvent OnClipboardBeforePasteCell;

  // ---- cell block stream ----
  // The first record of a cell block: the rectangle written (in the
  // writing grid), whether it was the whole grid, and the writer.
  struct TCellBlockHeader {
    int ColCount = 0, RowCount = 0, Left = 0, Top = 0, ID = 0;
    bool FullGrid = false;
    AnsiString Writer;  // the process that wrote it (BlockWriter)
  };
  // Writes the cells of R (displayed columns) with their properties and
  // graphics, as the grid's own clipboard format carries them.
  void SaveCellBlock(const TGridRect& R, TStream& Stream);
  // Reads a whole block from the stream's position and checks it before
  // anything changes: a damaged block raises EReadError and leaves the
  // grid as it was. The block's top-left cell lands on Target (a whole-grid
  // block replaces the grid); cells past the grid grow it as a text paste
  // does, or are dropped.
  TCellBlockHeader LoadCellBlock(TPoint Target, TStream& Stream);
  // A number no other grid of the process has; a cell block carries it.
  int GridID();
  // The process writing cell blocks: its machine, its number and a number
  // drawn when it first wrote one. Another running copy numbers its grids
  // from one too, so a block is this grid's own only when both its grid
  // number and its writer match.
  static AnsiString BlockWriter();

  // ---- sorting ----
  // -1, 0 or 1: row 1 before, equal to or after row 2 by the column's sort
  // style, with the blank rule of IgnoreBlanks; the sort direction is not
  // applied.
  int CompareCells(int ACol, int ARow1, int ARow2);
  // CompareCells; ties go on to the next columns when SortSettings.Full.
  int CompareFull(int ACol, int ARow1, int ARow2);
  // By the index list from entry AIndex on, each entry in its own direction.
  int CompareIndexed(int AIndex, int ARow1, int ARow2);
  // The data rows by SortSettings.Column and Direction (clears the index
  // list), by the index list, or within each group under a node row. An
  // exception from an event puts every row back and passes on.
  virtual void QSort();
  virtual void QSortIndexed();
  virtual void QSortGroups();
  virtual void ExchangeRows(int ARow1, int ARow2);
  // What a click on the heading of displayed column ACol sorts (the mouse
  // code decides that the click is one): asks OnCanSort, then sorts by
  // the column or builds the index list (Shift adds to it).
  void HeadingClickSort(int ACol, bool Shift);
  TSortIndexList& SortIndexes() { return sortIndexes_; }
  // The style hook behind OnGetFormat.
  virtual void GetColFormat(int ACol, TSortStyle& AStyle, AnsiString& aPrefix, AnsiString& aSuffix);
  // The image of ctBitmap, ctIcon and ctImageList cells, -1 for the others.
  int GetCellImageIdx(int ACol, int ARow);
  // Comparisons and row exchanges since the grid was made.
  int SortCompares() const { return sortCompares_; }
  int SortExchanges() const { return sortExchanges_; }
  // Milliseconds the last heading-click sort took.
  int SortTime() const { return sortTime_; }
  // On (the default), a sort reads each row's keys once, orders them and
  // then moves the rows; off, it compares and exchanges the grid's rows as
  // it goes. Both give the same rows, counts and events: the row-by-row
  // sort stays to check the other against.
  bool SortOnKeys() const { return sortOnKeys_; }
  void SetSortOnKeys(bool v) { sortOnKeys_ = v; }
  // One integer per row for the grid's user; rows exchange theirs.
  std::vector<int> RowIntegers;
  TGetFormatEvent OnGetFormat;
  TCustomCompareEvent OnCustomCompare;
  TRawCompareEvent OnRawCompare;
  TCanSortEvent OnCanSort;
  TClickSortEvent OnClickSort;

  // ---- statistics, selection text and sizing ----
  // Over rows FromRow..ToRow of a column, each cell read as GetCellFloat
  // reads it (an empty cell is 0, other text that is no number raises).
  // The average of an empty range is 0; minimum and maximum start from
  // FromRow's value.
  double ColumnSum(int ACol, int FromRow, int ToRow);
  double ColumnAvg(int ACol, int FromRow, int ToRow);
  double ColumnMin(int ACol, int FromRow, int ToRow);
  double ColumnMax(int ACol, int FromRow, int ToRow);
  // IsCellSelected; a row past the grid under a disjunct row selection
  // raises "Invalid row accessed".
  bool IsSelected(int ACol, int ARow);
  // The selected cells, TAB between cells and CR LF after every row but
  // the selection's bottom one.
  void GetSelectionAsText(AnsiString& S);
  // The cell text without HTML tags.
  void GetCellPlainText(int ACol, int ARow, AnsiString& S);
  // Width and height of the cell's text at the canvas's font, wrapped to
  // the column's width when WordWrap.
  TSize CellTextExtent(int ACol, int ARow, bool WordWrap);
  void AutoSizeColumns(bool DoFixedCols, int Extra);
  // The column's width to the widest content of its cells; OnlyWider never
  // narrows it (growth while typing keeps a width the program gave).
  void AutoSizeCol(int ACol, bool OnlyWider = false);
  void AutoSizeRow(int ARow);
  void SetRowHeightByLines(int ARow, int Lines, int Extra);
  int MaxLinesInRow(int ARow);
  // Within -10..10; column widths and row heights follow by Delta.
  void Zoom(int Delta);
  int ZoomStep() const { return zoomStep_; }
  // Moves R's top-left corner to where text rotated by Angle degrees
  // starts (VAlign 0 top, 1 centre, 2 bottom; HAlign 0 left, 1 right,
  // 2 centre).
  void RotatedTextOrigin(TRect& R, int Angle, Byte VAlign, Byte HAlign, const AnsiString& Text);
  // The merged areas of the two corner cells and what lies between them.
  void InvalidateCellRange(const TRect& R);
  // The room between a cell's edge and its text.
  TPoint XYOffset{2, 2};
  // Size limits of the automatic sizing (0: none); the minima become the
  // default sizes when the grid has loaded.
  int MinColWidth = 0, MaxColWidth = 0, MinRowHeight = 0, MaxRowHeight = 0;

  // ---- file import ----
  // Reads a delimited text file into the grid from the first non-fixed
  // cell (or after the last row when appending), one line a row. With
  // Delimiter #0 the delimiter is found among "," ";" "#" TAB "|" from the
  // first two lines, and #0 is back after the call. A file that cannot be
  // opened, or a line longer than 1 MiB or with more than 16,384 columns,
  // raises EExtGridError with the grid unchanged.
  void LoadFromCSVFile(const AnsiString& FileName, bool Append = false);
  // Reads the used range of the active or the named sheet of an .xls,
  // .xlsx or .ods file through the office suite into the grid, from its
  // first cell (after the fixed cells unless IncludeFixedCells). Raises
  // EExtGridError when the office suite is missing or the sheet is not
  // there, and passes on the suite's own failure; the grid is then
  // unchanged.
  void LoadFromSpreadsheetFile(const AnsiString& FileName, const AnsiString& SheetName = "");
  // ---- footer strip and rich-text editing ----
  // Places and repaints the footer strip of a visible floating footer.
  void UpdateFooter() override;
  // Puts the footer strip along the bottom of the client area, without
  // repainting it.
  void AlignFooterPanel();
  TFooterPanel* FooterPanel() const { return footerPanel_; }
  // The rich-text cell editor, made when first asked for.
  TExtRichEdit* RichInplaceEditor() const { return EditorControlMade(richInplace_); }
  // Whether Edit is the rich text editor, without making one to compare.
  bool IsRichInplaceEditor(const TExtRichEdit* Edit) const { return Edit && Edit == richInplace_; }
  // While set, the rich-text editor losing the focus to the grid does not
  // end the edit.
  bool FocusLock = false;
  // Enter in an embedded cell control ends its edit as leaving it does.
  void ControlEnterKey(TObject* Sender, char& Key);
  char Delimiter = 0;
  bool TildeLineBreaks = false;
  // Lines are read as Greek DOS text.
  bool OemConvert = false;
  TGridProgressEvent OnFileProgress;

  // ---- drag and drop ----
  // The cells being dragged out of this grid (the selection when its drag
  // began, moved down by rows a drop inserted above them); (-1, ..) when no
  // drag of this grid runs.
  TGridRect OleDragRect{-1, -1, -1, -1};
  bool OleDragging() const { return oleDragging_; }
  // The grid's drop target while OleDropTarget is on (nullptr otherwise).
  TGridDropTarget* DropTarget() const { return dropTarget_; }
  // The drop markers and the floating label, made on first need.
  TDropMarkers& DropMarkers();
  TOleDragDropEvent OnOleDrop;
  TOleDragDropEvent OnOleDrag;
  TOleDragOverEvent OnOleDragOver;
  TOleDropColEvent OnOleDropCol;
  TOleDroppedEvent OnOleDropped;
  TOleDragStartEvent OnOleDragStart;
  TOleDragStopEvent OnOleDragStop;

  // ---- filter ----
  virtual bool MatchFilter(int ARow);
  void ApplyFilter();
  bool FilterActive() const { return filterActive_; }
  void SetFilterActive(bool v);
  TGridProgressEvent OnFilterProgress;

  // ---- hidden rows and columns, nodes ----
  int DisplColIndex(int RealCol) const;
  int RealColIndex(int DisplCol) const;
  int RealRowIndex(int DisplRow) const;
  int DisplRowIndex(int RealRow) const;
  bool IsHiddenRow(int RealRow) const;
  int HiddenRowCount() const { return static_cast<int>(hiddenRows_.size()); }
  int HiddenColCount() const { return hiddenColCount_; }
  bool IsHiddenColumn(int RealCol) const;
  void HideRowRange(int FromRow, int ToRow);
  void HideRow(int ARow) { HideRowRange(ARow, ARow); }
  void UnHideRowRange(int FromRow, int ToRow);
  void UnHideRow(int ARow) { UnHideRowRange(ARow, ARow); }
  void UnHideRowsAll();
  void HideColumn(int RealCol);
  void UnHideColumn(int RealCol);
  void UnHideColumnsAll();
  bool IsNode(int ARow);
  bool GetNodeState(int ARow);
  int GetNodeSpan(int ARow);
  void ExpandNode(int ARow);
  void ContractNode(int ARow);
  int NodePosition(int ARow);
  int NodeCount() const { return nodeCount_; }

  // ---- structure and clearing ----
  virtual void RemoveRows(int RowIndex, int RCount);
  virtual void DeleteRows(int ARow, int ACount);
  void RemoveRowRange(int ARow, int ACount);
  virtual void InsertRows(int RowIndex, int RCount);
  void AddRow();
  void RemoveSelectedRows();
  virtual void RemoveCols(int ColIndex, int CCount);
  virtual void InsertCols(int ColIndex, int CCount);
  virtual void ClearRect(int ACol1, int ARow1, int ACol2, int ARow2);
  void ClearRows(int ARow, int ACount);
  void ClearColumns(int ACol, int ACount);
  void ClearAllCells();
  void SplitColumnCells(int ACol);
  void MergeColumnCells(int ACol, bool MainMerge);
  // The automatic merge list: columns whose equal neighbouring texts merge.
  void SetMergeColumns(const std::vector<int>& Columns);
  // The real column each store column held before columns were moved
  // (in order from the first real column); empty until a move.
  const std::vector<int>& ColumnOrder() const { return columnOrder_; }
  const std::vector<int>& MergeColumns() const { return mergeColumns_; }
  void SplitAllMerges();
  void MergeListedColumns();
  const AnsiString& LookupText() const { return lookupText_; }

  // ---- sizes ----
  void StretchColumn(int ACol);
  // The owner form's resize: with SizeWithForm the grid grows and shrinks
  // by the form's change, then the rest of the form's resize handling runs
  // (FormHandler), then the stretch column takes the width left.
  void OwnerFormResized(TObject* Sender, const std::function<void()>& FormHandler = {});
  void SaveColumnSizes();
  void LoadColumnSizes();
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // ---- repainting ----
  void RepaintCellDispl(int ACol, int ARow);
  void RepaintRect(const TRect& R);
  void RepaintRow(int ARow) { InvalidateRow(ARow); }
  void RepaintCol(int ACol) { InvalidateCol(ACol); }

  // Ticks of the grid's 500 ms window timer (hover and blinking).
  int TimerTicks() const { return timerTicks_; }
  static constexpr UINT_PTR TimerId = 111;
  static constexpr UINT TimerInterval = 500;

  // ---- events ----
  TGridColorEvent OnGetCellColor;
  TIsFixedCellEvent OnIsFixedCell;
  TCanEditCellEvent OnCanEditCell;
  TIsPasswordCellEvent OnIsPasswordCell;
  TGetCheckEvent OnGetCheckTrue;
  TGetCheckEvent OnGetCheckFalse;
  TGridAlignEvent OnGetAlignment;
  TGetEditorTypeEvent OnGetEditorType;
  TUpdateColumnSizeEvent OnUpdateColumnSize;
  TGridHintEvent OnGridHint;
  TCellsChangedEvent OnCellsChanged;
  TRowChangingEvent OnRowChanging;
  TColChangingEvent OnColChanging;
  TCellChangingEvent OnCellChanging;
  TEllipsClickEvent OnEllipsClick;
  TNotifyEvent OnEditingDone;
  TCanAddRowEvent OnCanAddRow;
  TRowEvent OnAutoAddRow;
  TRowEvent OnAutoInsertRow;
  TColEvent OnAutoInsertCol;
  TRowEvent OnAutoDeleteRow;
  TNodeClickEvent OnExpandNode;
  TNodeClickEvent OnContractNode;
  TColumnSizeEvent OnColumnSize;
  TRowSizeEvent OnRowSize;
  TColEvent OnEndColumnSize;
  TRowEvent OnEndRowSize;
  TScrollHintEvent OnScrollHint;
  TGridColorEvent OnGetCellPrintColor;
  TGridBorderEvent OnGetCellPrintBorder;
  // The rich-text cell editor's selection moved.
  TNotifyEvent OnRichEditSelectionChange;
  // Kept for the grid's user: the grid itself measures no cell through it
  // and prints nothing, so these are never called by the grid.
  TCustomCellSizeEvent OnCustomCellSize;
  TGridPrintPageEvent OnPrintPage;
  TGridPrintPageDoneEvent OnPrintPageDone;
  TGridPrintStartEvent OnPrintStart;
  TGridPrintCancelEvent OnPrintCancel;
  TDoFitToPageEvent OnFitToPage;
  TGridPrintNewPageEvent OnPrintNewPage;
  TGridPrintColumnWidthEvent OnPrintSetColumnWidth;
  TGridPrintRowHeightEvent OnPrintSetRowHeight;

  // ---- editing: editor dispatch, keyboard, commit and validation ----
  // The editor of the cell being edited (edNormal between edits) and
  // whether an edit is under way.
  TEditorType EditorType() const { return editorType_; }
  bool EditorActive() const { return editorActive_; }
  // The character typed on a cell that opened its editor, 0 when none.
  char EditStartKey() const { return editStartKey_; }
  // Shows the editor control of a special editor type over the display
  // cell; stores its value back, hides it and reports the edit done.
  void ShowCellEditor(int ACol, int ARow);
  void CloseCellEditor(int ACol, int ARow);
  // Ends the edit under way, whatever its editor.
  void HideCellEditor();
  // An editor control hands a navigation key back to the grid.
  void EditorKeyToGrid(Word Key, TShiftState Shift);
  void EditorKey(Word Key, TShiftState Shift) { EditorKeyToGrid(Key, Shift); }
  // The plain grid's editor, never over a check box or radio cell.
  void ShowInplaceEditor();
  void HideInplaceEditor() { HideCellEditor(); }
  void EllipsClick(AnsiString& S) { DoEllipsClick(S); }
  // Puts the text saved when editing began back into the current cell.
  virtual void RestoreEditCell();
  // The file imports store each value here: the plain store, without
  // merged-area redirection or repaint, which a descendant may take over.
  virtual void SetCellTextDirect(int ACol, int ARow, const AnsiString& Value) {
    SetCellDirect(ACol, ARow, Value);
  }
  // Stores an editor's value into the cell at a real column.
  virtual void SetCellTextEdit(int ACol, int ARow, const AnsiString& Value);
  // Validates the text of the pending edit; false when it was rejected
  // (the cell then holds the old or the corrected text and its editor is
  // open again).
  virtual bool CommitCellEdit(const AnsiString& NewText);
  virtual void SaveCellForEdit(int ACol, int ARow);
  // Tab walking, by TabAdvanceDirection; forwards past the end with
  // TabToNextAtEnd the focus moves on to the next control.
  void TabAdvance(bool Backwards);
  // The first data row whose lookup-column cell begins with Text (compared
  // upper-cased); -1 when none.
  int FindRowByPrefix(const AnsiString& Text);
  void ResetUpdate() {
    updateCount_ = 0;
    owedWhole_ = false;
    owedRange_.reset();
    sizedFrom_.reset();
  }
  void DoEditingDone() {
    if (OnEditingDone) OnEditingDone(this);
  }
  // Where the text editor's caret stands after a key; nothing here.
  virtual int CaretHook(const AnsiString& /*Text*/, TPoint /*Caret*/, int /*Index*/) { return 0; }
  TExtInplaceEdit* ExtInplaceEditor() const;
  // The UTF-16 text of a cell (real column) and its writing as "|\" text.
  WideString GetUnicodeCell(int ACol, int ARow);
  void SetUnicodeCell(int ACol, int ARow, const WideString& Value);
  WideString GetWideCell(int ACol, int ARow) { return GetUnicodeCell(ACol, ARow); }
  void SetWideCell(int ACol, int ARow, const WideString& Value) { SetUnicodeCell(ACol, ARow, Value); }
  // Blinking text shows in one phase of the window timer only.
  bool BlinkPhase() const { return blinkPhase_; }
  TGridCombo* Combo() const { return EditorControlMade(combo_); }
  // The item list of the combo editor, filled by the application before
  // its combo cells are edited.
  void ClearEditorComboItems();
  void AddEditorComboItem(const AnsiString& S);
  TGridSpin* Spin() const { return EditorControlMade(spin_); }
  TGridDatePicker* DatePicker() const { return EditorControlMade(datePicker_); }
  TGridCheckBox* CheckBoxEditor() const { return EditorControlMade(checkBox_); }
  TGridButton* ButtonEditor() const { return EditorControlMade(button_); }
  TGridEditBtn* EditBtn() const { return EditorControlMade(editBtn_); }
  TGridUnitEditBtn* UnitEditBtn() const { return EditorControlMade(unitEditBtn_); }
  TGridUniEdit* UniEdit() const { return EditorControlMade(uniEdit_); }
  TGridUniCombo* UniCombo() const { return EditorControlMade(uniCombo_); }
  // Whether an editor control's text differs from what it showed on
  // opening: a value passed through unchanged keeps the cell's own text.
  bool EditorValueChanged(const AnsiString& Text) const { return Text != openedText_; }
  // The cell text the date picker stands for: its time, its date, or
  // nothing while its check box is clear.
  AnsiString DatePickerValue() const;
  // Pending caret placement from a click (the editor's caret goes there).
  bool CaretPending() const { return caretPending_; }
  void SetCaretPending(bool v, TPoint At = {}) {
    caretPending_ = v;
    caretPoint_ = At;
  }
  TPoint CaretPoint() const { return caretPoint_; }
  TEditLink* EditLink = nullptr;
  // The checker and the picture container are the application's; the grid
  // forgets either when it is freed.
  TExtStringGridCheck* CellChecker() const { return cellChecker_; }
  void SetCellChecker(TExtStringGridCheck* v);
  bool ExcelStyleDecimalSeparator = false;
  char PasswordChar = '*';
  TExtCellValidateEvent OnCellValidate;
  TClipboardEvent OnClipboardCopy;
  TClipboardEvent OnClipboardCut;
  TClipboardEvent OnClipboardPaste;
  TCanInsertRowEvent OnCanInsertRow;
  TCanDeleteRowEvent OnCanDeleteRow;
  TClickCellEvent OnDblClickCell;
  TCheckBoxClickEvent OnCheckBoxClick;
  TRadioClickEvent OnRadioClick;
  TGetEditorPropEvent OnGetEditorProp;
  TComboChangeEvent OnComboChange;
  TComboObjectChangeEvent OnComboObjectChange;
  TSpinClickEvent OnSpinClick;
  TFloatSpinClickEvent OnFloatSpinClick;
  TDateTimeSpinClickEvent OnDateSpinClick;
  TDateTimeSpinClickEvent OnTimeSpinClick;
  // ---- painting ----
  // The colours, font and alignment a cell is drawn with. SelectionPass
  // applies the selection colours; MapColumn says ACol is displayed. The
  // selected bit of AState follows the selection colours.
  void GetCellColors(int ACol, int ARow, TGridDrawState& AState, bool Printing, bool SelectionPass,
                     bool MapColumn, TBrush& ABrush, TFont& AFont, TAlignment& HAlign, TVAlignment& VAlign);
  // The colours, font style, size and name a cell's properties set
  // (real column); what they leave unset stays.
  void ApplyCellLook(int ACol, int ARow, TBrush& ABrush, TFont& AFont);
  // The cell text, or its value in the float format OnGetFloatFormat
  // chooses; a text that reads as no number stays as it is.
  AnsiString GetFloatDisplayText(int ACol, int ARow);
  // The text a cell stands for: an empty check box cell its check text.
  virtual AnsiString GetCellDisplayText(int ACol, int ARow);
  // The graphic of a cell with the room it takes and whether the cell's
  // text still shows beside it; null (sizes 0, text shown) when none.
  TCellGraphic* GetCellGraphicInfo(int ACol, int ARow, int& Width, int& Height, bool& TextShown,
                                   TCellHAlign& HAlign, TCellVAlign& VAlign);
  // The room a cell's content needs as the painter draws it, margins
  // included (ACol displayed). FitToColumn: the height when wrapped to the
  // cell's width, which is the width returned.
  void GetCellTextSize(int ACol, int ARow, bool FitToColumn, TPoint& Size);
  // The filter button of a header cell.
  virtual bool GetCellStyle(int /*ACol*/, int /*ARow*/) { return false; }
  virtual void GetCellBorder(int ACol, int ARow, TPen& APen, TCellBorders& Borders);
  void DrawSortGlyph(TCanvas& ACanvas, int ACol, int X, int Y);
  // Our drawings of the check, radio, leaf and filter bitmaps, registered
  // on first need.
  static void EnsureGridBitmaps();
  // One check box or radio button in a control style.
  void DrawCheck(TCanvas& ACanvas, const TRect& R, bool Checked, bool Enabled, TCellControlStyle Style);
  // The window themed parts are drawn for; none without the themed look.
  HWND ThemedWindow() { return themedLook_ && HandleAllocated() ? Handle() : nullptr; }
  void DrawRadio(TCanvas& ACanvas, int X, int Y, bool On, bool Enabled, TCellControlStyle Style);
  // One button per caption, stacked or side by side; Index -1 turns on the
  // caption equal to Text.
  void DrawRadioGroup(TCanvas& ACanvas, const TRect& R, const TStrings* Captions, int Index,
                      const AnsiString& Text, bool Disabled, bool Horizontal, bool Selected);
  // Count bands of colour from From to To, top to bottom.
  static void DrawGradient(TCanvas& ACanvas, TColor From, TColor To, int Count, const TRect& R,
                           bool Horizontal);
  // A dotted XOR line down the grid at X: drawn twice it is gone.
  void DrawSizingLine(int X);
  // The soft and Qir looks' window edge: grey inside, the parent's colour
  // outside; nothing while an update is pending.
  void PaintFlatBorder();
  TBitmap& RowIndicator() { return rowIndicator_; }
  void SetRowIndicator(const TBitmap& v);
  // A frame round the selection, and a handle at its bottom-right corner.
  bool SelectionRectangle() const { return selectionRectangle_; }
  void SetSelectionRectangle(bool v);
  bool SelectionResizer() const { return selectionResizer_; }
  void SetSelectionResizer(bool v);
  bool SelectionRTFKeep = false;
  bool EnhTextSize = false;
  // HTML tags stay in the display text.
  bool KeepHTMLTags = true;
  TColor GradientFrom = 0xC0C0C0, GradientTo = 0xFFFFFF;
  TColor SelectionRectangleColor = 0;
  TColor CommentColor = clNotSet;
  TPictureContainer* PictureContainer() const { return pictureContainer_; }
  void SetPictureContainer(TPictureContainer* v);
  THTMLPictureCache& PictureCache();
  // A plain click that restarts a disjunct selection is in progress.
  bool PlainClickSelect = false;
  // The cells of a disjunct cell selection (real column, row).
  std::vector<TGridCoord> SelectedCells;
  TGridBorderEvent OnGetCellBorder;
  TGridBorderPropEvent OnGetCellBorderProp;
  TCustomCellDrawEvent OnCustomCellDraw;
  TFloatFormatEvent OnGetFloatFormat;

  // ---- mouse, window procedure and hints ----
  bool FixedAsButtons = false;
  bool EnhRowColMove = false;
  bool URLEdit = false;
  bool EditWithTags = false;
  bool HintShowCells = false;
  bool HintShowLargeText = false;
  bool HintShowSizing = false;
  bool HTMLHint = false;
  bool AnchorHint = false;
  // Picks the radio item under a point given relative to the cell.
  void SelectRadioAt(int ACol, int ARow, int DX, int DY);
  // Ends the edit of an "EDIT" or "COMBO" control of a cell's text.
  void ControlEditDone();
  TGridCursorKind CursorKind() const { return mouse_.CursorKind; }
  const TGridMouseState& MouseState() const { return mouse_; }
  bool Panning() const { return mouse_.Panning; }
  TEdit* ControlEdit() const { return controlEdit_; }
  TComboBox* ControlCombo() const { return controlCombo_; }
  // The hint text, colour and place for a point (CM_HINTSHOW).
  void CMHintShow(THintInfo& HintInfo);
  THTMLHintWindow* SizingHintWindow() const { return hintWindow_; }
  TControl* GetCellControl(int ACol, int ARow);
  TColor GetCellBrushColor(int ACol, int ARow);
  // The grid's own cursor, given back after the hand cursor of a link.
  void SetCursor(TCursor c) override;
  TCursor OwnCursor() const { return ownCursor_; }
  virtual int GetVersionNr();
  virtual AnsiString GetVersionString();
  TClickCellEvent OnClickCell;
  TClickCellEvent OnRightClickCell;
  TButtonClickEvent OnButtonClick;
  TCheckBoxClickEvent OnCheckBoxMouseUp;
  TRadioClickEvent OnRadioMouseUp;
  TAnchorClickEvent OnAnchorClick;
  TAnchorEvent OnAnchorEnter;
  TAnchorEvent OnAnchorExit;
  TGridAnchorHintEvent OnAnchorHint;
  TCellControlEvent OnControlClick;
  TCellControlEvent OnControlEditDone;
  TCellComboControlEvent OnControlComboList;
  TColumnMoveEvent OnColumnMove;
  TRowMoveEvent OnRowMove;
  TComboCloseUpEvent OnComboCloseUp;
  static constexpr UINT_PTR PanTimerId = 999;
  static constexpr UINT PanInterval = 10;

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  // Painting the cell's parts.
  void Paint() override;
  void DrawCellText(TCanvas& ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState,
                    TAlignment HAlign, TVAlignment VAlign, int GraphicW, int GraphicH, bool TextShown,
                    TCellHAlign GHAlign, TCellVAlign GVAlign, TColor SavedBrush, TColor SavedFont,
                    int& TextWidth);
  void DrawCellBorders(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect);
  // Whether the grid or the cell's properties (real column) wrap its text.
  bool WrapsText(int ACol, int ARow) const;
  // A rich-text cell (real column) formatted into ARect less the cell
  // margin; Selected draws its text in the selection's text colour.
  void DrawRTFCell(int ACol, int ARow, TCanvas& ACanvas, const TRect& ARect, bool Selected);
  // The room a rich-text cell (real column) needs, margins included: its
  // natural size, or with Width > 0 its height wrapped to that width.
  TPoint RichCellSize(int ACol, int ARow, int Width);
  void DrawFixedLook(TCanvas& ACanvas, int ACol, int ARow, TRect R);
  void DrawBackgroundTiled(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect, bool Fixed);
  void DrawBackgroundFixed(TCanvas& ACanvas, const TRect& ARect);
  void DrawSelectionFrame(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect);
  void DrawTreeLines(TCanvas& ACanvas, int ARow, const TRect& ARect);
  void DrawCellGraphic(TCanvas& ACanvas, int ACol, int ARow, TCellGraphic& G, TRect ARect, int TextWidth,
                       TAlignment HAlign, TGridDrawState AState);
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) override;
  TGridCoord CellStoreLimit() const override;
  bool SelectCell(int ACol, int ARow) override;
  // What the 500 ms timer does each tick; the hover and blinking code
  // fills it.
  virtual void TimerTick();
  // ---- editing ----
  bool CanEditShow() override;
  TInplaceEdit* CreateEditor() override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  int GetEditLimit() override { return maxEditLength_; }
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  // The sort column follows a moved column.
  void ColumnMoved(int FromIndex, int ToIndex) override;
  // Column and row sizing by the mouse ended.
  virtual void ColumnSized(int ACol);
  virtual void RowSized(int ARow);
  // A row's height changed other than by the mouse: the end-of-sizing
  // event and the size hook.
  void RowSizeNotify(int ARow);
  // The grid's size changed.
  void GridResized();
  // Stretching is on and the other columns leave the stretch column room.
  bool StretchHasRoom() const;
  void ScrollBarsUpdated() override;

 private:
  friend class TFloatingFooter;
  // The footer sets the selection text colour for its painting only.
  friend class TFooterPanel;
  // The store columns of a grid with hidden columns.
  int StoreCols() const { return ColCount() + hiddenColCount_; }
  // Moves stored row From to To (texts, objects, heights), the rows between
  // shifting by one.
  void MoveStoredRow(int From, int To);
  void MoveStoredCol(int From, int To);
  // Frees the cells of ACount rows from ARow and drops the rows.
  void RemoveRowsOfStore(int ARow, int ACount);
  void RestoreHiddenItem(size_t index);
  // Frees the properties and graphics of a cell and empties it.
  void FreeCell(int ACol, int ARow, bool Notify);
  void SplitAreasAcrossRow(int ARow);
  void SplitAreasAcrossCol(int ACol);
  void WriteColumnHeaders();
  void WriteRowHeaders();
  void CountNode(TCellType OldType, TCellType NewType);
  // The sizes of both GetCellGraphicSize and GetCellGraphicPrintSize.
  TPoint GraphicSize(int ACol, int ARow, bool Printing, double Scale, int W, int H);
  std::unique_ptr<TCustomIniFile> OpenSizeStore() const;
  bool CanPersistSizes() const;

  std::unique_ptr<TColumnSize> columnSize_;
  std::unique_ptr<TNavigation> navigation_;
  std::unique_ptr<TMouseActions> mouseActions_;
  std::unique_ptr<TCellNode> cellNode_;
  std::unique_ptr<TSizeWhileTyping> sizeWhileTyping_;
  std::unique_ptr<THTMLSettings> htmlSettings_;
  std::unique_ptr<TPrintSettings> printSettings_;
  std::unique_ptr<TBands> bands_;
  std::unique_ptr<TBackGround> backGround_;
  std::unique_ptr<TSortSettings> sortSettings_;
  std::unique_ptr<TControlLook> controlLook_;
  std::unique_ptr<TFloatingFooter> floatingFooter_;
  std::unique_ptr<TDragDropSettings> dragDropSettings_;
  std::unique_ptr<TFilter> filter_;
  TFont fixedFont_, activeCellFont_;
  TStringList columnHeaders_, rowHeaders_, lookupItems_;

  bool flat_ = false;
  // ---- scroll bars ----
  TScrollType scrollType_ = ssNormal;
  TColor scrollColor_ = clNotSet;
  int scrollWidth_ = GetScrollBarMetric(SM_CXVSCROLL);
  bool scrollProportional_ = false;
  bool flatScrollBars_ = false;
  bool scrollHintShown_ = false;
  void SetFlatScrollProp(UINT Index, int Value);
  void ApplyFlatStyle();
  void ApplyFlatColor();
  void ApplyFlatWidth();
  void SetFlatScrollInfo();
  // WM_HSCROLL and WM_VSCROLL: the hint, the synchronous scroll, then the
  // plain grid's scrolling.
  void WMScroll(TMessage& Message);
  // The first row (column) of the view a dragged thumb stands for.
  int ThumbTarget(bool Vertical);
  void ShowScrollHint(bool Vertical, int Index);
  void HideScrollHint();
  bool activeCellShow_ = false;
  TColor activeCellColor_ = 0x808080;
  TVAlignment vAlignment_ = vtaTop;
  TGridLook look_ = glSoft;
  TColor selectionColor_ = clHighlight, selectionTextColor_ = clHighlightText;
  bool showSelection_ = true;
  int fixedFooters_ = 0, fixedRightCols_ = 0;
  bool wordWrap_ = false;
  TColor urlColor_ = 0xFF0000;
  bool urlShow_ = false, urlFull_ = false;
  bool selectionRectangle_ = false, selectionResizer_ = false;
  int updateCount_ = 0;
  bool suppressInvalidate_ = false;
  // What the open update bracket owes the window at its end: all of it, or
  // the cells of one range (those of all the ranges asked for meanwhile).
  bool owedWhole_ = false;
  std::optional<TGridRect> owedRange_;
  // The shape before the open bracket first changed the counts, and the
  // fewest columns and rows it has had since: a bracket that grows the grid
  // for scratch rows and takes them off again owes nothing for it.
  std::optional<TGridShape> sizedFrom_;
  int fewestCols_ = 0, fewestRows_ = 0;

  std::vector<bool> rowSelect_, colSelect_;
  bool selectionHidden_ = false;
  TGridRect savedSelection_;

  bool filterActive_ = false;
  int filterFixedRows_ = -1;  // FixedRows when the filter went on
  TCustomImageList* gridImages_ = nullptr;
  TPictureContainer* pictureContainer_ = nullptr;
  TExtStringGridCheck* cellChecker_ = nullptr;
  bool filterAddedRow_ = false;

  std::vector<std::unique_ptr<TGridItem>> hiddenRows_;  // in the order hidden
  std::array<bool, 513> colVisible_;
  std::vector<std::pair<int, int>> hiddenColWidths_;  // real column, width
  int hiddenColCount_ = 0;
  int nodeCount_ = 0;

  std::vector<int> mergeColumns_;
  AnsiString lookupText_;
  bool stretched_ = false;
  int sizingCol_ = -1, sizingRow_ = -1, sizingStart_ = 0;
  int pendingSizeIndex_ = -1;
  bool inSizingEnd_ = false;
  TCustomForm* ownerForm_ = nullptr;
  int formWidth_ = 0, formHeight_ = 0;
  std::vector<int> sizingWidths_;
  // painting
  TBitmap rowIndicator_;
  int maxEditLength_ = 0;
  bool themedLook_ = false;
  // The grid's font when it was made: the wide combo editor keeps the one
  // it took then.
  TFont madeFont_;
  int fixedRowHeight_ = 0;
  bool autoSize_ = false;
  std::unique_ptr<THTMLPictureCache> pictureCache_;
  int timerTicks_ = 0;
  bool advancing_ = false;
  // A smart paste of two or more cells over a one-column or one-row
  // selection: a date, integer or number series, else the block repeated.
  void ExtendPastedSeries(const TGridRect& Sel, int Count);
  int zoomStep_ = 0;
  // ---- sorting ----
  // The frame of the three sorts: scratch rows, raw reads of them, column
  // 0 kept, the current row put back; Body sorts the rows.
  void SortFrame(bool Groups, const std::function<void(int OldRowCount)>& Body);
  // Rows Lo..Hi by Compare, whose result times Dir says "after".
  void QuickSortRows(int Lo, int Hi, int Dir, bool ExchangeEqual,
                     const std::function<int(int, int)>& Compare);
  void CopyRowToPivot(int ARow, int Pivot);
  // Rows Lo..Hi by the column sort (CompareFull with Dir) or by the index
  // list, on keys when that is possible, else row by row.
  void SortRows(int Lo, int Hi, int Dir, bool Indexed);
  // The sort on keys; false (nothing done) when an event decides a
  // comparison or the rows do not move whole.
  bool SortRowsOnKeys(int Lo, int Hi, int Dir, bool Indexed);
  class SortKeys;
  bool sortOnKeys_ = true;
  int CompareStyled(int ACol, int ARow1, int ARow2);
  int BlankRule(int ACol, int ARow1, int ARow2, int Result, TSortDirection Direction);
  TSortIndexList sortIndexes_;
  int sortCompares_ = 0, sortExchanges_ = 0, sortTime_ = 0;
  int sortRow_ = -1;  // the current row, following its row's exchanges
  bool sortLogging_ = false;
  std::vector<std::pair<int, int>> sortLog_;  // exchanges, undone when a sort fails
  // ---- clipboard and cell block ----
  void CopyRangeCellsOf(const TGridRect& R, bool SkipUnselected);
  void SaveCellBlockOf(const TGridRect& R, TStream& Stream, bool SkipUnselected);
  int gridId_ = 0;
  TPoint pastedBlock_{0, 0};  // columns and rows of the last text pasted
  TPoint copyOrigin_{0, 0};
  bool copiedByCopy_ = false;  // AdvanceCell fires the cell-changing event itself

  // ---- editing ----
  friend class TExtInplaceEdit;
  friend class TGridCombo;
  friend class TGridCheckBox;
  friend class TGridButton;
  // The grid's own key-down and character messages; true when handled.
  bool EditKeyDown(TMessage& Message);
  bool EditChar(TMessage& Message);
  // Space on a radio group: its next item, wrapping to the first; -1 when
  // it has no items.
  int NextRadioItem(int ACol, int ARow);
  // Makes Index the radio group's item, as a click on it does.
  void ChooseRadioItem(TCellGraphic& g, int ACol, int ARow, const TStrings& choices, int Index);
  bool IsTextEditorType(TEditorType t) const;
  // The editor controls are made when first asked for: most grids show
  // one or two of them, or none.
  template <class T>
  T* EditorControlMade(T*& Slot) const;
  void SetUpEditorControl(TWinControl& Control);
  void OrderEditorControls();
  void BlinkTick();
  // Whether a move from the current cell may go on (the pending edit is
  // validated first).
  bool LeaveEditedCell(int ACol, int ARow);
  TEditorType editorType_ = edNormal;
  bool editorActive_ = false;
  char editStartKey_ = 0;
  AnsiString restoreText_;  // the cell's text when editing began
  int editCol_ = -1, editRow_ = -1;
  AnsiString oldCellText_;
  bool editPending_ = false;
  bool validating_ = false;
  bool handingKey_ = false;
  bool blinkPhase_ = false;
  bool caretPending_ = false;
  TPoint caretPoint_{0, 0};
  mutable TGridCombo* combo_ = nullptr;
  mutable TGridSpin* spin_ = nullptr;
  mutable TGridDatePicker* datePicker_ = nullptr;
  mutable TGridCheckBox* checkBox_ = nullptr;
  mutable TGridButton* button_ = nullptr;
  mutable TGridEditBtn* editBtn_ = nullptr;
  mutable TGridUnitEditBtn* unitEditBtn_ = nullptr;
  mutable TGridUniEdit* uniEdit_ = nullptr;
  mutable TGridUniCombo* uniCombo_ = nullptr;
  AnsiString openedText_;  // the editor control's text on opening
  int lastWidth_ = 0;      // client width at the last resize, 0 before the first
  void HoverTick();
  // Editing follows the cells: a cell OnCanEditCell refuses switches
  // goEditing off until an editable cell is reached.
  void SwitchEditingFor(int ACol, int ARow);
  bool editSwitch_ = false;
  // With AlwaysEdit the editor opens when the focus comes from elsewhere.
  void FocusReceived(HWND From);
  // With SynchWithGrid the columns keep their share of a changed width.
  void ScaleColumnsWithWidth();
  // The control an edit of the current type shows, or nullptr.
  TWinControl* EditorControl() const;
  // ---- mouse, window procedure and hints ----
  void Click() override;
  void DblClick() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void TopLeftChanged() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  // The messages; true when the message is done with.
  bool WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  bool WMRButtonUp(TMessage& Message);
  bool WMSetCursor(TMessage& Message);
  // Step 11 of a press: a normal cell.
  void PressCell(TMessage& Message, int C, int R, TShiftState Shift);
  // Links and cell controls under a press; true when one took it.
  bool PressLinkOrControl(int C, int R, int X, int Y);
  // A pressed "BUTTON" cell control drawn up again.
  void ReleaseButtonControl();
  void OpenControlEditor(int C, int R, const TRect& ControlRect, const AnsiString& Value);
  void ReleaseSort(int C, int R, int X, TShiftState Shift);
  void SetHoverAnchor(int C, int R, const AnsiString& Anchor);
  void ShowSizingHint(int X, int Y);
  void HideSizingHint();
  void PlaceCellControls();
  // Window procedure pieces: true when the message is swallowed.
  bool WheelMessage(TMessage& Message);
  void PassWheelOn(TMessage& Message);
  // The inherited wheel handling; a row-select grid keeps its LeftCol.
  bool WheelKeepingLeftCol(const std::function<bool()>& Inherited);
  void StartPanning(int X, int Y);
  void StopPanning();
  void PanTick();
  void DrawPanMark();
  void ComboNotify(TMessage& Message);
  bool InheritedPress(TMessage& Message);
  TGridMouseState mouse_;
  bool wheelRowMoved_ = false;  // a wheel notch's move or zoom is done; the events remain
  bool integralHeight_ = false;
  TEdit* controlEdit_ = nullptr;
  TComboBox* controlCombo_ = nullptr;
  THTMLHintWindow* hintWindow_ = nullptr;
  TExtRichEdit* richEdit_ = nullptr;
  // Rich-text cells as last laid out for drawing, by real column and row;
  // one is drawn again while its cell holds the same text at the same size.
  struct TRichCellPage;
  std::map<std::pair<int, int>, std::shared_ptr<TRichCellPage>> richPages_;
  TFooterPanel* footerPanel_ = nullptr;
  mutable TExtRichEdit* richInplace_ = nullptr;
  std::vector<int> columnOrder_;
  // Objects told of changed cells, in the order they were linked.
  friend class TGridCellsLink;
  std::vector<TGridCellsLink*> cellsLinks_;
  TCursor ownCursor_ = crDefault;
  bool settingCursor_ = false;
  // ---- drag and drop ----
  friend class TGridDropTarget;
  friend class TDragDropSettings;
  // Registers the drop target for the grid's window (making it first), or
  // revokes it.
  void RegisterDropTarget(bool On);
  // Starts the drag of a press that waited for the mouse to move; true
  // when a drag ran (the press is over then).
  bool StartOleDrag(TShiftState Shift, int X, int Y);
  // Removes or clears what a move dragged out of the grid.
  void FinishMove();
  // Rows Rows were inserted before ARow while the grid's own drag runs.
  void DraggedRowsInserted(int ARow, int Rows);
  // The floating label of a moved row or column follows the mouse.
  void ShowMoveLabel(TGridState State, int X, int Y);
  TGridDropTarget* dropTarget_ = nullptr;  // one reference held
  std::unique_ptr<TDropMarkers> dropMarkers_;
  bool oleDragging_ = false;
  // The dragged rows as ranges where they are now, and where a drop into
  // the grid itself wrote ((-1, ..) when none did).
  std::vector<std::pair<int, int>> oleDragRows_;
  TGridRect oleDropped_{-1, -1, -1, -1};
};
