#pragma once
// Lists and streams with the class library's names, behaviour and messages.
// Strings are code page 1253 bytes; an item's object is an untyped pointer
// that the list never frees.

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

// ---- TList -----------------------------------------------------------------

class TList {
 public:
  using TListSortCompare = int (*)(void* item1, void* item2);

  TList() = default;
  virtual ~TList() = default;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // The index the item had, or -1 when it was not in the list.
  int Remove(void* item);
  int IndexOf(void* item) const;
  void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  // Drops nil items.
  void Pack();
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Sort(TListSortCompare compare);

  int Count() const { return static_cast<int>(items_.size()); }
  // Growing fills with nil; shrinking drops the items past the new count.
  void SetCount(int count);
  int Capacity() const { return capacity_; }
  // Raises EListError "List capacity out of bounds (%d)" below Count.
  void SetCapacity(int capacity);
  void* Items(int index) const { return Get(index); }
  void SetItems(int index, void* item) { Put(index, item); }
  void* operator[](int index) const { return Get(index); }

  void* Get(int index) const;
  void Put(int index, void* item);

 private:
  void checkIndex(int index, int count) const;
  std::vector<void*> items_;
  int capacity_ = 0;
};

// ---- TStrings --------------------------------------------------------------

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The largest text file a list of strings loads.
constexpr Int64 MaxStringsFileSize = Int64{256} << 20;

// The list's strings with an object pointer each. Concrete lists (TStringList,
// a memo's lines) provide storage; the text forms, names and values, search
// and file transfer are common.
class TStrings {
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;
  virtual ~TStrings() = default;

  virtual int Count() const = 0;
  virtual AnsiString Get(int index) const = 0;
  virtual void Put(int index, const AnsiString& s);
  virtual void* GetObject(int index) const;
  virtual void PutObject(int index, void* object);
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, void* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);

  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, void* object);
  void Append(const AnsiString& s) { Add(s); }
  void AddStrings(const TStrings& strings);
  virtual void Assign(const TStrings& source);
  bool Equals(const TStrings& other) const;

  // Compared as CompareStrings does (case-insensitive unless the list says
  // otherwise).
  virtual int IndexOf(const AnsiString& s) const;
  int IndexOfName(const AnsiString& name) const;
  int IndexOfObject(void* object) const;

  AnsiString Strings(int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  AnsiString operator[](int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, void* object) { PutObject(index, object); }
  // "name=value" items: the part before the first "=" (empty without one).
  AnsiString Names(int index) const;
  AnsiString Values(const AnsiString& name) const;
  // An empty value deletes the item; a new name is added at the end.
  void SetValues(const AnsiString& name, const AnsiString& value);

  // Every item followed by CR LF.
  virtual AnsiString Text() const;
  // Lines end at CR, LF or CR LF; a last line without an end counts.
  virtual void SetText(const AnsiString& text);
  // Items joined by ","; an item holding a blank, a control character, a
  // quote or a comma is quoted with '"' (inner quotes doubled).
  AnsiString CommaText() const;
  // Items are separated by commas or blanks; quoted items keep theirs.
  void SetCommaText(const AnsiString& text);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // 1253 bytes, CR LF line ends. Saving goes through the safe write.
  // A regular file of at most MaxLoadSize() bytes.
  virtual void LoadFromFile(const AnsiString& fileName);
  virtual void SaveToFile(const AnsiString& fileName) const;
  // The stream from its position to its end.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;

 protected:
  // The largest file LoadFromFile takes: a list that holds more per line
  // than its text bounds its files lower.
  virtual Int64 MaxLoadSize() const { return MaxStringsFileSize; }
  // Called when BeginUpdate starts and EndUpdate ends a batch of changes.
  virtual void SetUpdateState(bool updating);
  virtual int CompareStrings(const AnsiString& s1, const AnsiString& s2) const;
  [[noreturn]] void Error(const char* message, int data) const;

 private:
  int updateCount_ = 0;
};

// ---- TStringList -----------------------------------------------------------

class TStringList : public TStrings {
 public:
  using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;
  using TNotify = std::function<void(TStrings* sender)>;

  TStringList() = default;
  ~TStringList() override = default;

  int Count() const override { return static_cast<int>(items_.size()); }
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  // A sorted list places the string by Find and applies Duplicates.
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, void* object) override;
  // On a sorted list: EStringListError "Operation not allowed on sorted list".
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const AnsiString& s) const override;

  // Binary search of a sorted list: true when found; Index is where S is or
  // would be inserted (the first of equal strings with dupAccept).
  bool Find(const AnsiString& s, int& index) const;
  virtual void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);

  TNotify OnChange;
  TNotify OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const AnsiString& s1, const AnsiString& s2) const override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct Item {
    AnsiString string;
    void* object = nullptr;
  };
  void insertItem(int index, const AnsiString& s, void* object);
  void quickSort(int low, int high, const TStringListSortCompare& compare);
  void checkIndex(int index) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// ---- streams ---------------------------------------------------------------

enum { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Up to Count bytes; the number moved.
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  // The new position.
  virtual Int64 Seek(Int64 offset, int origin) = 0;

  // Exactly Count bytes or EReadError "Stream read error".
  void ReadBuffer(void* buffer, int count);
  // Exactly Count bytes or EWriteError "Stream write error".
  void WriteBuffer(const void* buffer, int count);
  // Count bytes from Source's position; Count 0 copies all of Source from
  // its start. The number copied.
  Int64 CopyFrom(TStream& source, Int64 count);

  Int64 Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soFromBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 newSize);
};

// Bytes in memory. The position may lie past the end: reading there gives
// nothing, writing there fills the gap with zeros.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  Int64 Seek(Int64 offset, int origin) override;
  Int64 Size() override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 newSize) override;

  void* Memory() { return data_.data(); }
  const void* Memory() const { return data_.data(); }
  void Clear();
  // The storage of the bytes handed in, emptied, and taken out with the
  // bytes, leaving the stream empty: a stream made again and again starts
  // with the room an earlier one grew instead of growing it anew.
  void Adopt(std::string&& storage);
  std::string Release();
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  // Through the safe write.
  void SaveToFile(const AnsiString& fileName) const;

 private:
  std::string data_;
  Int64 position_ = 0;
};

// File modes: one access mode or fmCreate, combined with a share mode (share
// modes are accepted and have no effect).
enum : Word {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A file on disk. Opening finds an existing file case-insensitively when no
// exact match exists; fmCreate truncates or creates. Failures raise
// EFCreateError "Cannot create file %s" or EFOpenError "Cannot open file %s".
class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& fileName, Word mode);
  ~TFileStream() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  Int64 Seek(Int64 offset, int origin) override;
  void SetSize(Int64 newSize) override;
  const AnsiString& FileName() const { return fileName_; }
  int Handle() const { return fd_; }

 private:
  AnsiString fileName_;
  int fd_ = -1;
};

// A stream over a string; the position stays within the string.
class TStringStream : public TStream {
 public:
  explicit TStringStream(AnsiString data = AnsiString()) : data_(std::move(data)) {}
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  Int64 Seek(Int64 offset, int origin) override;
  Int64 Size() override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 newSize) override;

  // Up to Count bytes from the position.
  AnsiString ReadString(int count);
  void WriteString(const AnsiString& s);
  const AnsiString& DataString() const { return data_; }

 private:
  AnsiString data_;
  Int64 position_ = 0;
};
