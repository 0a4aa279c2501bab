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
#include <functional>
#include <memory>
#include <vector>

#include "grid/BaseGrid.h"
#include "grid/GridOptionsShared.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/ui/ImgList.h"

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

// Drag and drop settings; the drop target itself comes with the grid's drag
// and drop code.
struct TDragDropSettings : TObject {
  bool OleAcceptFiles = true;
  bool OleAcceptText = true;
  bool OleCopyAlways = false;
  bool OleDropTarget = false;
  bool OleDropSource = false;
  bool OleEntireRows = false;
  bool OleInsertRows = false;
  bool OleRemoveRows = false;
  bool OleDropRTF = false;
  bool OleColumnDragDrop = false;
};

// ---- collections ------------------------------------------------------------------

// One condition of the filter: the text of the real column Column must
// match Condition.
struct TFilterData : TObject {
  SmallInt Column = 0;
  AnsiString Condition;
  bool CaseSensitive = true;
};

class TFilter : public TObject {
 public:
  explicit TFilter(TExtStringGrid* grid) : grid_(grid) {}
  TExtStringGrid* GetOwner() const { return grid_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TFilterData& GetItem(int index) const;
  TFilterData& Add();
  void Delete(int index);
  void Clear() { items_.clear(); }

 private:
  TExtStringGrid* grid_;
  std::vector<std::unique_ptr<TFilterData>> items_;
};

// A hidden row: its real index and its cells (texts with their objects).
class TGridItem : public TObject {
 public:
  int Idx = 0;
  TStringList& Items() { return *items_; }
  // Takes the list over.
  void SetItems(std::unique_ptr<TStringList> list) { items_ = std::move(list); }
  int Height = -1;  // the row's height when it was hidden

 private:
  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
};

// ---- cell graphics ---------------------------------------------------------------

enum TCellType {
  ctBitmap,
  ctIcon,
  ctNone,
  ctImageList,
  ctCheckBox,
  ctDataCheckBox,
  ctRotated,
  ctDataImage,
  ctNode,
  ctRadio,
  ctEmpty,
  ctImages,
  ctPicture,
  ctFilePicture,
  ctValue,
  ctProgress,
  ctComment,
  ctButton,
  ctBitButton,
  ctVirtCheckBox,
  ctProgressPie,
};
enum TCellVAlign { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };
enum TCellHAlign { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };

class TCellGraphic : public TCellGraphicObject {
 public:
  ~TCellGraphic() override;
  // Copies the fields, not the objects.
  void Assign(const TCellGraphic& source);
  bool SharedByCells() const override { return CellType == ctVirtCheckBox; }

  TCellType CellType = ctNone;
  // The first object: the radio choice list (TCellStrings) or the image
  // index list (TCellIntList). The platform's pictures are no TObject, so
  // the bitmap (ctBitmap, ctBitButton), the picture (ctPicture) and the
  // icon (ctIcon, the second object) have fields of their own.
  TObject* CellObject1 = nullptr;
  TBitmap* CellBitmap = nullptr;
  TPicture* CellPicture = nullptr;
  TIcon* CellIcon = nullptr;
  TCellVAlign CellVAlign = vaTop;
  TCellHAlign CellHAlign = haLeft;
  int CellIndex = 0;
  bool CellTransparent = false;
  bool CellCreated = false;  // the grid made the objects and frees them
  bool CellBoolean = false;
  int CellAngle = 0;
  double CellValue = 0;
  SmallInt CellErrFrom = 0;
  SmallInt CellErrLen = 0;
  AnsiString CellText;
  // A progress bar's done and remaining colours (the object fields of the
  // other kinds hold them in the original layout).
  TColor ProgressColor = clHighlight, ProgressBackColor = clWindow;
};

// The size a picture of Picture takes in a cell of Cell (both width, height)
// with Margin pixels off each direction, by sizing Mode: 1 the room left,
// 2 scaled to fit keeping its shape, 3 the room when too wide and its own
// size when it fits in height, 4 its own size when it fits, else shrunk to
// fit keeping its shape; any other mode its own size.
TPoint FitPictureInCell(int Mode, int Margin, TPoint Cell, TPoint Picture);

// Radio choices and image index lists are held as these.
struct TCellStrings : TObject {
  TStringList List;
};
struct TCellIntList : TObject {
  std::vector<int> List;
};

// ---- events ------------------------------------------------------------------------

using TGridColorEvent = std::function<void(TObject* Sender, int ARow, int ACol, TGridDrawState AState,
                                           TBrush& ABrush, TFont& AFont)>;
using TIsFixedCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsFixed)>;
using TCanEditCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& CanEdit)>;
using TIsPasswordCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsPassword)>;
using TGetCheckEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TGridAlignEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TAlignment& HAlign, TVAlignment& VAlign)>;
using TGetEditorTypeEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditorType& AEditor)>;
using TUpdateColumnSizeEvent = std::function<void(TObject* Sender, int ACol, int& AWidth)>;
using TGridHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, AnsiString& HintStr)>;
using TCellsChangedEvent = std::function<void(TObject* Sender, const TRect& R)>;
using TRowChangingEvent = std::function<void(TObject* Sender, int OldRow, int NewRow, bool& Allow)>;
using TColChangingEvent = std::function<void(TObject* Sender, int OldCol, int NewCol, bool& Allow)>;
using TCellChangingEvent =
    std::function<void(TObject* Sender, int OldRow, int OldCol, int NewRow, int NewCol, bool& Allow)>;
using TEllipsClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& S)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TRowEvent = std::function<void(TObject* Sender, int ARow)>;
using TColEvent = std::function<void(TObject* Sender, int ACol)>;
using TNodeClickEvent = std::function<void(TObject* Sender, int ARow, int ARowReal)>;
using TColumnSizeEvent = std::function<void(TObject* Sender, int ACol, bool& Allow)>;
using TRowSizeEvent = std::function<void(TObject* Sender, int ARow, bool& Allow)>;
using TScrollHintEvent = std::function<void(TObject* Sender, int ARow, AnsiString& HintStr)>;
using TBeforeCellPasteEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value, bool& Allow)>;
using TGridProgressEvent = std::function<void(TObject* Sender, SmallInt Progress)>;

// ---- editing events ----
// The budget totals grid has a validation event of its own, so this one
// takes a name of its own.
using TExtCellValidateEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value, bool& Valid)>;
using TClipboardEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, int ARow, bool& CanInsert)>;
using TCanDeleteRowEvent = std::function<void(TObject* Sender, int ARow, bool& CanDelete)>;
using TClickCellEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TCheckBoxClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool State)>;
using TRadioClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AIdx)>;
using TGetEditorPropEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditLink* AEditLink)>;
using TComboChangeEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex, const AnsiString& ASelection)>;
using TComboObjectChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex,
                                                   const AnsiString& ASelection, TObject* AObject)>;
using TSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AValue, bool UpDown)>;
using TFloatSpinClickEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, double AValue, bool UpDown)>;
using TDateTimeSpinClickEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TDateTime AValue, bool UpDown)>;
// ---- painting ------------------------------------------------------------------

enum TCellBorder { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSet<TCellBorder>;
using TGridBorderEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TPen& APen, TCellBorders& Borders)>;
using TGridBorderPropEvent = std::function<void(TObject* Sender, int ARow, int ACol, TPen& LeftPen,
                                                TPen& TopPen, TPen& RightPen, TPen& BottomPen)>;
using TCustomCellDrawEvent = std::function<void(TObject* Sender, TCanvas& Canvas, int ACol, int ARow,
                                                TGridDrawState AState, TRect ARect, bool Printing)>;
using TFloatFormatEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, bool& IsFloat, AnsiString& FloatFormat)>;

class THTMLPictureCache;
class TPictureContainer;

enum TGridLook { glStandard, glSoft, glClassic, glQir };
enum TScrollType { ssNormal, ssFlat, ssEncarta };
enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };

// ---- sorting ------------------------------------------------------------------------

// How a column's cells compare.
enum TSortStyle {
  ssDetect,            // from the text of the first row compared
  ssText,              // by character codes
  ssNumber,            // numbers, prefix and suffix removed
  ssDateTime,          // the locale's date and time
  ssTextUpper,         // ASCII letters upper-cased, then by character codes
  ssTextExact,         // as ssText
  ssDateDMY,           // day/month/year
  ssDateMDY,           // month/day/year
  ssCustomEvent,       // OnCustomCompare on the two texts
  ssNumberGrouped,     // as ssNumber, thousands separators removed
  ssLocaleText,        // the Greek collation
  ssLocaleTextNoCase,  // the Greek collation, case ignored
  ssRawEvent,          // OnRawCompare on the two rows
  ssPlainText,         // HTML tags removed, by character codes
  ssImageIndex,        // the index of the cell's image
  ssCheckState,        // check boxes, ticked after unticked
  ssWideText,          // Unicode texts, the Greek collation, case ignored
};

// The columns of an indexed sort in order of significance; bit 31 of an
// entry marks a descending column.
class TSortIndexList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  int Items(int index) const { return items_[static_cast<size_t>(index)]; }
  static int ColumnOf(int item) { return item & 0x7FFFFFFF; }
  static bool AscendingOf(int item) { return item >= 0; }
  void AddIndex(int ACol, bool Ascending);
  // The position of the column's entry, -1 when it has none.
  int FindIndex(int ACol) const;
  void ToggleIndex(int ACol);
  void Clear() { items_.clear(); }

 private:
  std::vector<int> items_;
};

using TGetFormatEvent = std::function<void(TObject* Sender, int ACol, TSortStyle& AStyle, AnsiString& aPrefix,
                                           AnsiString& aSuffix)>;
using TCustomCompareEvent =
    std::function<void(TObject* Sender, const AnsiString& str1, const AnsiString& str2, int& Res)>;
using TRawCompareEvent = std::function<void(TObject* Sender, int ACol, int Row1, int Row2, int& Res)>;
using TCanSortEvent = std::function<void(TObject* Sender, int ACol, bool& DoSort)>;
using TClickSortEvent = std::function<void(TObject* Sender, int ACol)>;

// ---- the unit's start ------------------------------------------------------------------

// The date and time editors need the newer common controls; the platform's
// date picker is always there.
constexpr bool HasNewCommonControls = true;
// The grid's private clipboard format, "TExtStringGrid Cells", registered
// on first use.
UINT GridCellsClipboardFormat();
// Columns (the most TAB-separated cells of a line) and rows (lines, a last
// one without line break included) of a TAB/CR text; (0, 0) when empty.
TPoint TextDimensions(const AnsiString& Text);

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
  TFont& FixedFont() { return fixedFont_; }
  void SetFixedFont(const TFont& v);
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
  bool Flat = false;
  TGridLook Look() const { return look_; }
  void SetLook(TGridLook v);
  TColor HintColor = clInfoBk;
  TColor SelectionColor() const { return selectionColor_; }
  void SetSelectionColor(TColor v);
  TColor SelectionTextColor() const { return selectionTextColor_; }
  void SetSelectionTextColor(TColor v);
  bool ShowSelection() const { return showSelection_; }
  void SetShowSelection(bool v);
  int MaxEditLength = 0;
  TIntelliPan IntelliPan = ipVertical;
  bool IntelliZoom = true;
  TColor URLColor = 0xFF0000;
  bool URLShow = false;
  TScrollType ScrollType = ssNormal;
  TColor ScrollColor = clNotSet;
  int ScrollWidth = 16;
  bool ScrollSynch = false;
  bool ScrollProportional = false;
  TScrollHintType ScrollHints = shNone;
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
  bool IntegralHeight = false;
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
  virtual AnsiString GetCheckTrue(int ACol, int ARow);
  virtual AnsiString GetCheckFalse(int ACol, int ARow);
  virtual TEditorType GetCellEditor(int ACol, int ARow);
  virtual void GetCellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  // The alignment a cell's text is drawn with.
  void CellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  virtual AnsiString GetCellTextForSort(int ACol, int ARow) { return GetCellText(ACol, ARow); }
  virtual void GetGridHint(int ARow, int ACol, AnsiString& HintStr);
  virtual void GetCellColor(int ACol, int ARow, TGridDrawState AState, TBrush& ABrush, TFont& AFont);
  virtual void DoUpdateColumnSize(int ACol, int& AWidth);
  virtual void DoUpdateRowSize(int ARow, int& AHeight);
  virtual void DoEllipsClick(AnsiString& S);
  virtual void CellsChanged(const TRect& R);

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
  virtual void GetFormat(int ACol, TSortStyle& AStyle, AnsiString& aPrefix, AnsiString& aSuffix);
  // The image of ctBitmap, ctIcon and ctImageList cells, -1 for the others.
  int GetCellImageIdx(int ACol, int ARow);
  // Comparisons and row exchanges since the grid was made.
  int SortCompares() const { return sortCompares_; }
  int SortExchanges() const { return sortExchanges_; }
  // Milliseconds the last heading-click sort took.
  int SortTime() const { return sortTime_; }
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
  void AutoSizeCol(int ACol);
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
  const std::vector<int>& MergeColumns() const { return mergeColumns_; }
  void SplitAllMerges();
  void MergeListedColumns();
  const AnsiString& LookupText() const { return lookupText_; }

  // ---- sizes ----
  void StretchColumn(int ACol);
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
  void ResetUpdate() { updateCount_ = 0; }
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
  TGridCombo* Combo() const { return combo_; }
  // The item list of the combo editor, filled by the application before
  // its combo cells are edited.
  void ClearEditorComboItems();
  void AddEditorComboItem(const AnsiString& S);
  TGridSpin* Spin() const { return spin_; }
  TGridDatePicker* DatePicker() const { return datePicker_; }
  TGridCheckBox* CheckBoxEditor() const { return checkBox_; }
  TGridButton* ButtonEditor() const { return button_; }
  TGridEditBtn* EditBtn() const { return editBtn_; }
  TGridUnitEditBtn* UnitEditBtn() const { return unitEditBtn_; }
  TGridUniEdit* UniEdit() const { return uniEdit_; }
  TGridUniCombo* UniCombo() const { return uniCombo_; }
  // Whether an editor control's text differs from what it showed on
  // opening: a value passed through unchanged keeps the cell's own text.
  bool EditorValueChanged(const AnsiString& Text) const { return Text != openedText_; }
  // Pending caret placement from a click (the editor's caret goes there).
  bool CaretPending() const { return caretPending_; }
  void SetCaretPending(bool v, TPoint At = {}) {
    caretPending_ = v;
    caretPoint_ = At;
  }
  TPoint CaretPoint() const { return caretPoint_; }
  TEditLink* EditLink = nullptr;
  TExtStringGridCheck* CellChecker = nullptr;
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
  bool SelectionRectangle = false;
  bool SelectionResizer = false;
  bool SelectionRTFKeep = false;
  bool EnhTextSize = false;
  bool URLFull = false;
  // HTML tags stay in the display text.
  bool KeepHTMLTags = true;
  TColor GradientFrom = 0xC0C0C0, GradientTo = 0xFFFFFF;
  TColor SelectionRectangleColor = 0;
  TColor CommentColor = clNotSet;
  TPictureContainer* PictureContainer = nullptr;
  THTMLPictureCache& PictureCache();
  // A plain click that restarts a disjunct selection is in progress.
  bool PlainClickSelect = false;
  // The cells of a disjunct cell selection (real column, row).
  std::vector<TGridCoord> SelectedCells;
  TGridBorderEvent OnGetCellBorder;
  TGridBorderPropEvent OnGetCellBorderProp;
  TCustomCellDrawEvent OnCustomCellDraw;
  TFloatFormatEvent OnGetFloatFormat;

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateWnd() override;
  // Painting the cell's parts.
  void Paint() override;
  void DrawCellText(TCanvas& ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState,
                    TAlignment HAlign, TVAlignment VAlign, int GraphicW, int GraphicH, bool TextShown,
                    TCellHAlign GHAlign, TCellVAlign GVAlign, TColor SavedBrush, TColor SavedFont,
                    int& TextWidth);
  void DrawCellBorders(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect);
  void DrawFixedLook(TCanvas& ACanvas, int ACol, int ARow, TRect R);
  void DrawBackground(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect, bool Fixed);
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
  int GetEditLimit() override { return MaxEditLength; }
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  // The sort column follows a moved column.
  void ColumnMoved(int FromIndex, int ToIndex) override;
  // Column and row sizing by the mouse ended.
  virtual void ColumnSized(int ACol);
  virtual void RowSized(int ARow);
  // The grid's size changed.
  void GridResized();

 private:
  friend class TFloatingFooter;
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

  bool activeCellShow_ = false;
  TColor activeCellColor_ = 0x808080;
  TVAlignment vAlignment_ = vtaTop;
  TGridLook look_ = glSoft;
  TColor selectionColor_ = clHighlight, selectionTextColor_ = clHighlightText;
  bool showSelection_ = true;
  int fixedFooters_ = 0, fixedRightCols_ = 0;
  bool wordWrap_ = false;
  int updateCount_ = 0;
  bool suppressInvalidate_ = false;

  std::vector<bool> rowSelect_, colSelect_;
  bool selectionHidden_ = false;
  TGridRect savedSelection_;

  bool filterActive_ = false;
  int filterFixedRows_ = -1;  // FixedRows when the filter went on
  TCustomImageList* gridImages_ = nullptr;
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
  TNotifyEvent savedFormResize_;
  int formWidth_ = 0, formHeight_ = 0;
  std::vector<int> sizingWidths_;
  // painting
  TBitmap rowIndicator_;
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
  bool IsTextEditorType(TEditorType t) const;
  void CreateEditorControls();
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
  TGridCombo* combo_ = nullptr;
  TGridCombo& EnsureCombo();
  TGridSpin* spin_ = nullptr;
  TGridDatePicker* datePicker_ = nullptr;
  TGridCheckBox* checkBox_ = nullptr;
  TGridButton* button_ = nullptr;
  TGridEditBtn* editBtn_ = nullptr;
  TGridUnitEditBtn* unitEditBtn_ = nullptr;
  TGridUniEdit* uniEdit_ = nullptr;
  TGridUniCombo* uniCombo_ = nullptr;
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
};
