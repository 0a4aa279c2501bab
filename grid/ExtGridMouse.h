#pragma once
// What the grid's mouse, window procedure and hints keep between messages:
// the press under way, the cell controls being edited, panning, the hint
// cell; the events they fire; and the hint window of the sizing hints.

#include <cstdint>
#include <functional>

#include "grid/BaseGrid.h"
#include "platform/ui/Forms.h"

class TExtStringGrid;
class TEdit;
class TComboBox;
class TRichEdit;
class TCustomRichEdit;

// What the user is told when the desktop could not open a link clicked in
// a cell: that it could not be opened, and which it was.
AnsiString LinkNotOpenedText(const AnsiString& Link);

// ---- mouse events ----------------------------------------------------------------------

using TButtonClickEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TAnchorClickEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const AnsiString& Anchor, bool& AutoHandle)>;
using TAnchorEvent = std::function<void(TObject* Sender, int ARow, int ACol, const AnsiString& Anchor)>;
using TGridAnchorHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, AnsiString& Anchor)>;
using TCellControlEvent = std::function<void(TObject* Sender, int ARow, int ACol, const AnsiString& CtrlID,
                                             const AnsiString& CtrlType, const AnsiString& CtrlVal)>;
using TCellComboControlEvent = std::function<void(
    TObject* Sender, int ARow, int ACol, const AnsiString& CtrlID, const AnsiString& CtrlType,
    const AnsiString& CtrlVal, TStrings& Values, bool& Edit, int& DropCount)>;
using TColumnMoveEvent = std::function<void(TObject* Sender, int ACol, bool& Allow)>;
using TRowMoveEvent = std::function<void(TObject* Sender, int ARow, bool& Allow)>;
using TComboCloseUpEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;

// The cursor the mouse-move tracking chose for the next press.
enum TGridCursorKind : Byte {
  ckNone = 0,
  ckColumnSelect = 1,
  ckRowSelect = 2,
  ckSelectAll = 3,
  ckSelectionResizer = 5,
};

// The program's cursors the grid shows: the pan cursors (still, then the
// eight directions) and the heading selection cursors.
constexpr TCursor crGridPan = 8000;
constexpr TCursor crGridPanDown = 8001, crGridPanLeft = 8002, crGridPanRight = 8003, crGridPanUp = 8004,
                  crGridPanUpRight = 8005, crGridPanUpLeft = 8006, crGridPanDownRight = 8007,
                  crGridPanDownLeft = 8008;
constexpr TCursor crGridRowSelect = 8010, crGridColSelect = 8011, crGridSelectAll = 8012;
// Registers the drawings of the cursors above and of the pan marks
// "INTLI1" (both ways), "INTLI2" (across) and "INTLI3" (up and down).
void EnsureGridCursors();

// The pan cursor for a direction of movement (dx, dy each -1, 0 or 1).
TCursor PanCursorFor(int dx, int dy);

// ---- the state of a press, kept between messages -----------------------------------------

struct TGridMouseState {
  bool MouseDown = false;
  TPoint DownPoint{0, 0};
  TGridCoord SizeCell{-1, -1};
  int SizeCellWidth = 0, SizeCellHeight = 0;
  TPoint DownOffset{0, 0};
  int MoveSource = -1;
  int SelectAnchor = -1;
  bool DragPending = false;
  bool PasteOnRelease = false;
  bool FixedPressed = false;
  TRect FixedPressedRect{};
  bool SizingFixedCol = false;
  bool FixedColSizeArmed = false;
  int FixedColSizeX = 0;
  bool MovedOrSized = false;
  bool NoSortClick = false;
  TGridCoord CtrlCell{-1, -1};
  AnsiString CtrlID, CtrlType;
  bool CtrlEditing = false;
  // A "BUTTON" control drawn pressed until the release or the loss of the
  // focus, and the point pressed on it.
  TGridCoord ButtonControlDown{-1, -1};
  TPoint ButtonControlPoint{};
  bool RowMarkDrag = false, UnmarkOnRelease = false;
  bool ColMarkDrag = false, ColUnmarkOnRelease = false;
  // A cell button graphic pressed, drawn down until the release.
  TGridCoord ButtonCell{-1, -1};
  // The row where the press happened (a sort needs the release there).
  int DownRow = -1;
  TGridCursorKind CursorKind = ckNone;
  // The heading selection mode of a drag under way and where it began.
  TGridCursorKind DragMode = ckNone;
  bool MoveEnded = false;
  // OnClick fired during this press and release.
  bool Clicked = false;
  bool RangePress = false;
  // The press stands for a typed character: it follows no link and works
  // no button or control of the cell.
  bool TypedPress = false;
  // The cell hints were last prepared for.
  TGridCoord HintCell{-1, -1};
  // The anchor the mouse is over, for the enter and exit events.
  AnsiString HoverAnchor;
  TGridCoord HoverAnchorCell{-1, -1};
  bool SizingHintShown = false;
  // Cell controls were last placed for this top-left cell.
  TGridCoord ControlsTopLeft{-1, -1};
  // The selection a rectangle was last drawn for.
  TGridRect LastSelection{-1, -1, -1, -1};
  // Panning: on, where it began, the cursor before it.
  bool Panning = false;
  TPoint PanOrigin{0, 0};
  TCursor PanSavedCursor = crDefault;
  bool PanSavedShowHint = false;
  TCursor PanCursor = crGridPan;
  // The mark last drawn (0-2) and the window's draw serial right after.
  int PanMarkShown = -1;
  std::uint64_t PanMarkSerial = 0;
};

// ---- the hint window of the sizing hints ------------------------------------------------

// A hint window whose caption is mini-HTML: measured and drawn by the
// grid's renderer, shown without taking the focus.
class THTMLHintWindow : public THintWindow {
 public:
  explicit THTMLHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
  void ActivateHint(TRect Rect, const AnsiString& AHint) override;
  TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;
  void Dispatch(TMessage& Message) override;
  int TextWidth() const { return textWidth_; }
  int TextHeight() const { return textHeight_; }

 protected:
  void Paint() override;
  void DrawFrame();

 private:
  // The extent of the caption laid out Width pixels wide.
  TSize Measure(const AnsiString& Text, int Width);
  int textWidth_ = 0, textHeight_ = 0;
};
