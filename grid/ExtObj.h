#pragma once
// Small objects the grid makes or exposes: the arrow-shaped marker windows
// shown while rows or columns are dragged, a caption button kept on top,
// an integer list that reports its changes, and a picture known by its
// file name and read from it at every draw.

#include <functional>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Panels.h"

// A lime arrow, 7 points, pointing up (0), down (1), right (2) or left (3);
// hidden until shown, on its owner.
class TArrowWindow : public TPanel {
 public:
  TArrowWindow(TWinControl* AOwner, int Direction);
  int Direction() const { return direction_; }
  // The arrow's points for a direction (the up arrow for any other).
  static std::vector<TPoint> ArrowPolygon(int Direction);

 private:
  int direction_;
};

// The face of a popup button over R: a raised frame unless Flat, the
// caption centred with an end ellipsis, on what is already there.
void DrawPopupButtonFace(TCanvas& Canvas, const TRect& R, const AnsiString& Caption, bool Flat);

// A disabled, bordered button face with a centred caption, kept on top of
// its siblings.
class TPopupButton : public TCustomControl {
 public:
  explicit TPopupButton(TComponent* AOwner);
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);

 protected:
  void CreateWnd() override;
  void Paint() override;

 private:
  AnsiString caption_;
  bool flat_ = false;
};

using TIntListChangeEvent = std::function<void(TObject* Sender, int Param1, int Param2)>;

// Integers with a change report that carries the two numbers given at
// creation. Insert alone does not report.
class TIntList : public TObject {
 public:
  TIntList(int Param1, int Param2) : param1_(Param1), param2_(Param2) {}
  int Count() const { return static_cast<int>(items_.size()); }
  int GetInteger(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  void SetInteger(int Index, int Value);
  int Add(int Value);
  void Delete(int Index);
  void Insert(int Index, int Value);
  void Clear() { items_.clear(); }
  // "1,22,-3"; empty for an empty list.
  AnsiString GetCommaText() const;
  // Clears and adds each piece; a piece that is no number raises
  // EConvertError after the pieces before it were added.
  void SetCommaText(const AnsiString& Text);
  TIntListChangeEvent OnChange;

 private:
  void Changed();
  std::vector<int> items_;
  int param1_, param2_;
};

// A picture known by its file: setting the name reads its size, drawing
// reads the file again.
class TFilePicture : public TObject {
 public:
  void Assign(const TFilePicture& Source);
  const AnsiString& Filename() const { return filename_; }
  // Raises the picture error of a missing or unreadable file, keeping the
  // name it was given.
  void SetFilename(const AnsiString& v);
  // Takes a name and size kept elsewhere (a cell block) without reading the
  // file: it may be gone, or a path that is no picture at all.
  void Restore(const AnsiString& Name, int KeptWidth, int KeptHeight);
  int Width = 0;
  int Height = 0;
  // Stretched into Rect; a file that is gone or no longer reads draws
  // nothing, as painting never raises.
  void Draw(TCanvas& Canvas, const TRect& Rect) const;

 private:
  AnsiString filename_;
};
