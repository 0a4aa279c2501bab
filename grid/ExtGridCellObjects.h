#pragma once
// What the grid keeps for its cells beside their texts: the filter's
// conditions, hidden rows, and the graphics a cell shows.

#include <memory>
#include <vector>

#include "grid/BaseGrid.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/Classes.h"

class TExtStringGrid;

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
