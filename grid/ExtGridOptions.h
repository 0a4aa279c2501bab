#pragma once
// The grid's option groups: column sizes kept across runs, navigation,
// mouse actions, nodes, bands, background, sorting, control look, footer
// and drag and drop settings.

#include "grid/BaseGrid.h"
#include "grid/GridOptionsShared.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/Classes.h"

DIM_EXCEPTION(EExtGridError, Exception)

class TExtStringGrid;
class TExtInplaceEdit;
class TExtStringGridCheck;
class TEditLink;
class TGridCombo;
class TGridSpin;
class TGridDatePicker;
class TGridCheckBox;
class TGridButton;
class TGridEditBtn;
class TGridUnitEditBtn;
class TGridUniEdit;
class TGridUniCombo;

// ---- option groups --------------------------------------------------------------

class TColumnSize : public TObject {
 public:
  explicit TColumnSize(TExtStringGrid* grid) : grid_(grid) {}
  bool Save = false;
  AnsiString Key;  // INI file name or registry key
  AnsiString Section;
  int StretchColumn = -1;  // -1: the last column
  bool SynchWithGrid = false;
  TColumnSizeLocation Location = clRegistry;
  bool Stretch() const { return stretch_; }
  // Stretches at once.
  void SetStretch(bool v);

 private:
  TExtStringGrid* grid_;
  bool stretch_ = false;
};

enum TAdvanceDirection { adLeftRight, adTopBottom };
enum TInsertPosition { pInsertBefore, pInsertAfter };
enum THomeEndAction { heFirstLastColumn, heFirstLastRow };

struct TNavigation : TObject {
  bool AllowInsertRow = false;
  bool AllowDeleteRow = false;
  bool AlwaysEdit = false;
  bool AdvanceOnEnter = false;
  bool AdvanceInsert = false;
  bool AutoGotoWhenSorted = false;
  bool AutoGotoIncremental = false;
  bool AutoComboDropSize = false;
  TAdvanceDirection AdvanceDirection = adLeftRight;
  bool AllowClipboardShortCuts = false;
  bool AllowSmartClipboard = false;
  bool AllowRTFClipboard = false;
  bool AllowFmtClipboard = false;
  bool AllowClipboardAlways = false;
  bool AllowClipboardRowGrow = true;
  bool AllowClipboardColGrow = true;
  bool AdvanceAuto = false;
  bool EditSelectAll = true;
  TInsertPosition InsertPosition = pInsertBefore;
  bool CursorWalkEditor = false;
  bool MoveRowOnSort = false;
  bool ImproveMaskSel = false;
  bool CopyHTMLTagsToClipboard = true;
  bool KeepHorizScroll = false;
  bool LineFeedOnEnter = false;
  THomeEndAction HomeEndKey = heFirstLastColumn;
  bool TabToNextAtEnd = false;
  TAdvanceDirection TabAdvanceDirection = adLeftRight;
};

class TMouseActions : public TObject {
 public:
  explicit TMouseActions(TExtStringGrid* grid) : grid_(grid) {}
  bool AllColumnSize = false;
  bool AllRowSize = false;
  bool AllSelect = false;
  bool CaretPositioning = false;
  bool ColSelect = false;
  bool DirectComboDrop = false;
  bool DirectEdit = false;
  bool NoAutoRangeScroll = false;
  bool RangeSelectAndEdit = false;
  bool RowSelect = false;
  bool SizeFixedCol = false;
  // While the grid is designed one of the three excludes the others; at run
  // time they are independent.
  bool DisjunctRowSelect() const { return disjunctRow_; }
  bool DisjunctColSelect() const { return disjunctCol_; }
  bool DisjunctCellSelect() const { return disjunctCell_; }
  void SetDisjunctRowSelect(bool v);
  void SetDisjunctColSelect(bool v);
  void SetDisjunctCellSelect(bool v);

 private:
  bool Designing() const;
  TExtStringGrid* grid_;
  bool disjunctRow_ = false, disjunctCol_ = false, disjunctCell_ = false;
};

enum TNodeType { cnFlat, cn3D, cnGlyph, cnLeaf };

class TCellNode : public TObject {
 public:
  explicit TCellNode(TExtStringGrid* grid) : grid_(grid) {}
  TColor Color = 0xC0C0C0;
  TColor NodeColor = 0;
  TNodeType NodeType() const { return nodeType_; }
  void SetNodeType(TNodeType v);
  bool ShowTree() const { return showTree_; }
  void SetShowTree(bool v);
  TBitmap& ExpandGlyph() { return expandGlyph_; }
  void SetExpandGlyph(const TBitmap& v) { AssignBitmap(expandGlyph_, v); }
  TBitmap& ContractGlyph() { return contractGlyph_; }
  void SetContractGlyph(const TBitmap& v) { AssignBitmap(contractGlyph_, v); }

 private:
  TExtStringGrid* grid_;
  TNodeType nodeType_ = cnFlat;
  bool showTree_ = false;
  TBitmap expandGlyph_, contractGlyph_;
};

struct TSizeWhileTyping : TObject {
  bool Height = false;
  bool Width = false;
};

// Export settings, kept and streamed; the grid has no export of its own.
struct THTMLSettings : TObject {
  int BorderSize = 1;
  int CellSpacing = 0;
  int CellPadding = 0;
  bool SaveColor = true;
  bool SaveFonts = true;
  AnsiString FooterFile, HeaderFile, TableStyle, PrefixTag, SuffixTag;
  int Width = 100;
  bool XHTML = false;
  std::vector<int> ColWidths;
};

enum TPrintPosition {
  ppNone,
  ppTopLeft,
  ppTopRight,
  ppTopCenter,
  ppBottomLeft,
  ppBottomRight,
  ppBottomCenter
};
enum TFitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };

// Print settings, kept and streamed; the grid has no printing of its own.
struct TPrintSettings : TObject {
  int FooterSize = 0, HeaderSize = 0;
  TPrintPosition Time = ppNone, Date = ppNone, PageNr = ppNone, Title = ppNone;
  AnsiString DateFormat = "dd/mm/yyyy";
  AnsiString TitleText;
  TStringList TitleLines;
  TFont Font, HeaderFont, FooterFont;
  int Borders = 0, BorderStyle = 0;
  bool Centered = false, RepeatFixedRows = false, RepeatFixedCols = false;
  int LeftSize = 0, RightSize = 0, ColumnSpacing = 0, RowSpacing = 0, TitleSpacing = 0;
  int Orientation = 0;
  AnsiString PagePrefix, PageSuffix;
  int PageNumberOffset = 0, MaxPagesOffset = 0;
  int FixedWidth = 0, FixedHeight = 0;
  bool UseFixedHeight = false, UseFixedWidth = false;
  TFitToPage FitToPage = fpNever;
  AnsiString JobName;
  AnsiString PageNumSep = "/";
  bool NoAutoSize = false, NoAutoSizeRow = false, PrintGraphics = false;
};

// Alternating row colours.
class TBands : public TObject {
 public:
  explicit TBands(TExtStringGrid* grid) : grid_(grid) {}
  bool Active() const { return active_; }
  void SetActive(bool v);
  TColor PrimaryColor() const { return primaryColor_; }
  void SetPrimaryColor(TColor v);
  TColor SecondaryColor() const { return secondaryColor_; }
  void SetSecondaryColor(TColor v);
  int PrimaryLength() const { return primaryLength_; }
  void SetPrimaryLength(int v);
  int SecondaryLength() const { return secondaryLength_; }
  void SetSecondaryLength(int v);
  bool Print = false;
  // PrimaryLength + SecondaryLength rows.
  int Period() const { return period_; }
  // The band colour of a data row; with both lengths 0 there are no bands
  // and every row takes the primary colour.
  TColor RowColor(int RowFromFirstData) const;

 private:
  void Changed();
  TExtStringGrid* grid_;
  bool active_ = false;
  TColor primaryColor_ = clInfoBk, secondaryColor_ = clWindow;
  int primaryLength_ = 1, secondaryLength_ = 1, period_ = 2;
};

enum TBackGroundDisplay { bdTile, bdFixed };
enum TBackGroundCells { bcNormal, bcFixed, bcAll };

class TBackGround : public TObject {
 public:
  explicit TBackGround(TExtStringGrid* grid) : grid_(grid) {}
  int Top() const { return top_; }
  void SetTop(int v);
  int Left() const { return left_; }
  void SetLeft(int v);
  TBackGroundDisplay Display() const { return display_; }
  void SetDisplay(TBackGroundDisplay v);
  TBackGroundCells Cells() const { return cells_; }
  void SetCells(TBackGroundCells v);
  TBitmap& Bitmap() { return bitmap_; }
  void SetBitmap(const TBitmap& v);

 private:
  void Changed();
  TExtStringGrid* grid_;
  int top_ = 0, left_ = 0;
  TBackGroundDisplay display_ = bdTile;
  TBackGroundCells cells_ = bcNormal;
  TBitmap bitmap_;
};

enum TSortBlankPosition { blFirst, blLast };
enum TSortDirection { sdAscending, sdDescending };

class TSortSettings : public TObject {
 public:
  explicit TSortSettings(TExtStringGrid* grid) : grid_(grid) {}
  bool AutoColumnMerge = false;
  int Column = 0;
  bool Show = false;
  bool IndexShow = false;
  TColor IndexColor = clYellow;
  bool Full = true;
  bool SingleColumn = false;
  bool IgnoreBlanks = false;
  TSortBlankPosition BlankPos = blFirst;
  bool AutoFormat = true;
  TSortDirection Direction = sdAscending;
  bool FixedCols = false;
  bool NormalCellsOnly = false;
  TBitmap& UpGlyph() { return upGlyph_; }
  void SetUpGlyph(const TBitmap& v) { AssignBitmap(upGlyph_, v); }
  TBitmap& DownGlyph() { return downGlyph_; }
  void SetDownGlyph(const TBitmap& v) { AssignBitmap(downGlyph_, v); }
  TBitmap& IndexUpGlyph() { return indexUpGlyph_; }
  void SetIndexUpGlyph(const TBitmap& v) { AssignBitmap(indexUpGlyph_, v); }
  TBitmap& IndexDownGlyph() { return indexDownGlyph_; }
  void SetIndexDownGlyph(const TBitmap& v) { AssignBitmap(indexDownGlyph_, v); }
  int Row() const { return row_; }
  // Not above FixedRows; a larger one raises and keeps the old value.
  void SetRow(int v);

 private:
  TExtStringGrid* grid_;
  TBitmap upGlyph_, downGlyph_, indexUpGlyph_, indexDownGlyph_;
  int row_ = 0;
};

// The class library's control style type holds the name TControlStyle.
enum TCellControlStyle { csClassic, csFlat, csWinXP, csDunmare, csQir, csGlyph, csTheme };

class TControlLook : public TObject {
 public:
  explicit TControlLook(TExtStringGrid* grid) : grid_(grid) {}
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int CheckSize() const { return checkSize_; }
  void SetCheckSize(int v);
  int RadioSize() const { return radioSize_; }
  void SetRadioSize(int v);
  TCellControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TCellControlStyle v);
  bool FlatButton() const { return flatButton_; }
  void SetFlatButton(bool v);
  TBitmap& CheckedGlyph() { return checked_; }
  void SetCheckedGlyph(const TBitmap& v);
  TBitmap& UnCheckedGlyph() { return unchecked_; }
  void SetUnCheckedGlyph(const TBitmap& v);
  TBitmap& RadioOnGlyph() { return radioOn_; }
  void SetRadioOnGlyph(const TBitmap& v);
  TBitmap& RadioOffGlyph() { return radioOff_; }
  void SetRadioOffGlyph(const TBitmap& v);

 private:
  void Changed();
  TExtStringGrid* grid_;
  TColor color_ = clBlack;
  int checkSize_ = 15, radioSize_ = 10;
  TCellControlStyle controlStyle_ = csClassic;
  bool flatButton_ = false;
  TBitmap checked_, unchecked_, radioOn_, radioOff_;
};

enum TFooterStyle { fsFixedLastRow, fsColumnPreview, fsCustomPreview };

// The footer strip below the grid. The strip itself (its panel) is drawn
// by the grid's footer code; here are its settings and what they switch.
class TFloatingFooter : public TObject {
 public:
  explicit TFloatingFooter(TExtStringGrid* grid) : grid_(grid) {}
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int Column() const { return column_; }
  void SetColumn(int v);
  TFooterStyle FooterStyle() const { return footerStyle_; }
  void SetFooterStyle(TFooterStyle v);
  const AnsiString& CustomTemplate() const { return customTemplate_; }
  void SetCustomTemplate(const AnsiString& v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int FooterHeight = 21;

 private:
  void UpdateGrid();
  TExtStringGrid* grid_;
  TColor color_ = clBtnFace;
  int column_ = 0;
  TFooterStyle footerStyle_ = fsFixedLastRow;
  AnsiString customTemplate_;
  bool visible_ = false;
};

// Drag and drop settings. Switching OleDropTarget registers or revokes the
// grid's drop target; OleDropRTF switches rich text for every grid.
class TDragDropSettings : public TObject {
 public:
  explicit TDragDropSettings(TExtStringGrid* grid) : grid_(grid) {}
  bool OleAcceptFiles = true;
  bool OleAcceptText = true;
  bool OleCopyAlways = false;
  bool OleDropSource = false;
  bool OleEntireRows = false;
  bool OleInsertRows = false;
  bool OleRemoveRows = false;
  bool OleColumnDragDrop = false;
  bool OleDropTarget() const { return oleDropTarget_; }
  void SetOleDropTarget(bool v);
  bool OleDropRTF() const { return oleDropRTF_; }
  void SetOleDropRTF(bool v);

 private:
  TExtStringGrid* grid_;
  bool oleDropTarget_ = false;
  bool oleDropRTF_ = false;
};
