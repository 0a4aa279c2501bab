#pragma once
// The grid's event types, its painting and sorting types, and the unit's
// free helpers.

#include <functional>
#include <vector>

#include "grid/BaseGrid.h"
#include "grid/ExtGridCellObjects.h"
#include "grid/ExtObj.h"
#include "platform/rtl/Classes.h"

class TEditLink;

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
// Drag and drop: a drop or drag start the handler may refuse, a drag over
// a cell, a dropped column, the rectangle a drop filled, and the effect a
// drag from the grid ended with (DROPEFFECT_COPY or DROPEFFECT_MOVE).
using TOleDragDropEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const AnsiString& data, bool& Allow)>;
using TOleDragOverEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)>;
using TOleDropColEvent = std::function<void(TObject* Sender, int ARow, int ACol, int DropCol)>;
using TOleDroppedEvent = std::function<void(TObject* Sender, const TGridRect& ARect)>;
using TOleDragStartEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TOleDragStopEvent = std::function<void(TObject* Sender, int OLEEffect)>;
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
using TCustomCellSizeEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int ACol, int ARow, TPoint& ASize, bool Printing)>;
// Printing the grid page by page; the grid carries them for its user.
using TGridPrintPageEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int PageNr, int PageXSize, int PageYSize)>;
using TGridPrintPageDoneEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int LastRow, int LastRowOffset, int LastPage,
                       int PageXSize, int PageYSize)>;
using TGridPrintStartEvent = std::function<void(TObject* Sender, int NrOfPages, int& FromPage, int& ToPage)>;
using TGridPrintCancelEvent = std::function<void(TObject* Sender, int PageNr, bool& Cancel)>;
using TDoFitToPageEvent = std::function<void(TObject* Sender, double& ScaleFactor, bool& Allow)>;
using TGridPrintNewPageEvent = std::function<void(TObject* Sender, int ARow, bool& NewPage)>;
using TGridPrintColumnWidthEvent = std::function<void(TObject* Sender, int ACol, int& Width)>;
using TGridPrintRowHeightEvent = std::function<void(TObject* Sender, int ARow, int& Height)>;
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
// An integer list whose changes are reported through OnChange, as the
// grid's other lists are.
class TSortIndexList : public TIntList {
 public:
  TSortIndexList() : TIntList(0, 0) {}
  int Items(int index) const { return GetInteger(index); }
  static int ColumnOf(int item) { return item & 0x7FFFFFFF; }
  static bool AscendingOf(int item) { return item >= 0; }
  void AddIndex(int ACol, bool Ascending);
  // The position of the column's entry, -1 when it has none.
  int FindIndex(int ACol) const;
  void ToggleIndex(int ACol);
  // Every entry's column becomes NewColumn of it, its direction kept.
  void Remap(const std::function<int(int)>& NewColumn);
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
