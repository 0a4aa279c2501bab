#pragma once
// UTF-16 text for a program whose text is code page 1253: a list of wide
// strings with an 8-bit view of itself, and the grid's way of keeping
// UTF-16 text in a cell ("|\" followed by each code unit as two bytes,
// high byte first).

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Component.h"
#include "platform/ui/StdEdits.h"

// The cell text that holds Value.
AnsiString CellTextFromWide(const WideString& Value);
// The UTF-16 text of a cell: after "|\" the pairs of bytes (an odd last
// byte is dropped, an unpaired surrogate reads as U+FFFD); any other text
// converted from the code page.
WideString WideFromCellText(const AnsiString& S);
// The text before the first line break (CR or LF).
WideString FirstWideLine(const WideString& S);

class TWideStrings;

// A TWideStrings seen as an 8-bit list: every operation converts.
class TAnsiStringsForWideStrings : public TStrings {
 public:
  explicit TAnsiStringsForWideStrings(TWideStrings& owner) : owner_(owner) {}
  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;

 private:
  TWideStrings& owner_;
};

class TWideStrings : public TObject {
 public:
  TWideStrings();
  virtual ~TWideStrings() = default;
  int Count() const { return static_cast<int>(items_.size()); }
  // Index outside the list raises EStringListError.
  const WideString& Get(int Index) const;
  void Put(int Index, const WideString& S);
  const WideString& operator[](int Index) const { return Get(Index); }
  void* Objects(int Index) const;
  void SetObjects(int Index, void* Object);
  int Add(const WideString& S) { return AddObject(S, nullptr); }
  int AddObject(const WideString& S, void* Object);
  void Insert(int Index, const WideString& S) { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const WideString& S, void* Object);
  void Delete(int Index);
  void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  int IndexOf(const WideString& S) const;
  void BeginUpdate();
  void EndUpdate();
  // Each item followed by CR LF; set: split at LF, VT, FF, CR, U+2028 and
  // U+2029, a CR LF pair counting once.
  WideString Text() const;
  void SetText(const WideString& Value);
  void Assign(const TWideStrings& Source);
  void Assign(const TStrings& Source);
  void AssignTo(TStrings& Dest) const;
  TStrings& AnsiStrings() { return *ansi_; }
  // Runs when an update begins (true) and ends (false).
  std::function<void(bool Updating)> OnUpdate;
  TNotifyEvent OnChange;

 private:
  void Check(int Index, bool AllowEnd) const;
  void Changed();
  struct Item {
    WideString Text;
    void* Object = nullptr;
  };
  std::vector<Item> items_;
  std::unique_ptr<TAnsiStringsForWideStrings> ansi_;
  int updateCount_ = 0;
};

// The edit of UTF-16 text: the platform edit in its UTF-16 mode.
class TEsgUniEdit : public TCustomEdit {
 public:
  explicit TEsgUniEdit(TComponent* AOwner);
  const WideString& Text() const { return WideText(); }
  void SetText(const WideString& Value) { SetWideText(Value); }
};
