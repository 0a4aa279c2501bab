#pragma once
// The grid family's link to drag and drop: a target that sorts what is
// dragged over a window into text, rich text, a grid column or files and
// hands it to overridable hooks; a source; the data object a grid drags
// out (text, its rich form or a column index) with its format list; and a
// reader that lists and fetches the formats of any dragged object.

#include <cstdint>
#include <vector>

#include "platform/ui/DragDrop.h"

// A condition the code relies on does not hold.
DIM_EXCEPTION(EAssertionFailed, Exception)

// The ids of "Rich Text Format" and "Grid Column"; 0 until the first
// TEnumFormats registered them.
UINT RichTextFormatId();
UINT GridColumnFormatId();
// Whether rich text is offered and accepted, for every grid of the process.
void SetDropRTF(bool enabled);
bool DropRTFEnabled();

// Reads the formats of one dragged object. An object that gives no format
// enumerator breaks what every dragged object promises: EAssertionFailed
// "Cannot get the format enumerator" (a drop target refuses such a drag).
class TEnumFormats {
 public:
  explicit TEnumFormats(IDataObject* dataObject);
  TEnumFormats(const TEnumFormats&) = delete;
  TEnumFormats& operator=(const TEnumFormats&) = delete;

  bool HasEnumerator() const { return static_cast<bool>(enumerator_); }
  void Reset();
  bool Next();
  bool HasFormat(UINT cf);
  UINT Format() const { return Valid ? current_.cfFormat : 0; }
  // The current format's bytes on Tymed; false when there are none.
  bool Handle(DWORD tymed, std::vector<std::uint8_t>& block);
  bool GlobalHandle(std::vector<std::uint8_t>& block) { return Handle(TYMED_HGLOBAL, block); }
  // The zero-terminated 8-bit text of a format; empty when absent.
  AnsiString GetText(UINT cf);
  // The first 32-bit value of a format; -1 when absent or too short.
  std::int32_t GetDWord(UINT cf);

  bool HasText() { return HasFormat(CF_TEXT); }
  bool HasRTF() { return RichTextFormatId() != 0 && HasFormat(RichTextFormatId()); }
  bool HasColumn() { return GridColumnFormatId() != 0 && HasFormat(GridColumnFormatId()); }
  bool HasFiles() { return HasFormat(CF_HDROP); }
  AnsiString Text() { return GetText(CF_TEXT); }
  AnsiString RTFText() { return RichTextFormatId() ? GetText(RichTextFormatId()) : AnsiString(); }
  std::int32_t ColumnIndex() { return GridColumnFormatId() ? GetDWord(GridColumnFormatId()) : -1; }
  // The names of the current format's file list (call after HasFiles);
  // true when there is at least one.
  bool GetFiles(std::vector<AnsiString>& list);

  bool Valid = false;
  std::int32_t Count = 0;
  std::vector<AnsiString> Files;

 private:
  TComPtr<IDataObject> data_;
  TComPtr<IEnumFORMATETC> enumerator_;
  FORMATETC current_;
};

// Format mask bits of what is dragged.
constexpr std::uint8_t kDragText = 1;
constexpr std::uint8_t kDragFiles = 2;
constexpr std::uint8_t kDragColumn = 4;
constexpr std::uint8_t kDragRTF = 8;

class TESGDropTarget : public IDropTarget {
 public:
  HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) override;
  HRESULT DragOver(DWORD keyState, TPoint pt, DWORD& effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) override;
  // Copy with Ctrl held, else move.
  static DWORD EffectOf(DWORD keyState);

  bool AcceptText = true;
  bool AcceptFiles = true;
  bool AcceptCols = false;
  bool DropAllowed() const { return FDropAllowed; }
  std::uint8_t Formats() const { return FFormats; }

 protected:
  virtual void DropText(TPoint, const AnsiString&) {}
  virtual void DropCol(TPoint, std::int32_t) {}
  virtual void DropRTF(TPoint, const AnsiString&) {}
  virtual void DropFiles(TPoint, const std::vector<AnsiString>&) {}
  virtual void DragMouseMove(TPoint, bool& /*allow*/, std::uint8_t /*formats*/) {}
  virtual void DragMouseEnter() {}
  virtual void DragMouseLeave() {}

 private:
  bool FDropAllowed = false;
  std::uint8_t FFormats = 0;
};

class TESGDropSource : public IDropSource {
 public:
  HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;
  // The last feedback had no effect.
  bool NoDrop() const { return FNoDrop; }

 protected:
  virtual void CurrentEffect(DWORD) {}
  virtual void QueryDrag() {}

 private:
  bool FNoDrop = false;
};

class TSourceDataObject : public IDataObject {
 public:
  TSourceDataObject(const AnsiString& text, std::int32_t colIndex, const AnsiString& rtf)
      : Text(text), RTF(rtf), ColIndex(colIndex) {}
  HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) override;
  HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC& format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) override;
  HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

  AnsiString Text;
  AnsiString RTF;
  std::int32_t ColIndex;
};

// CF_TEXT, CF_UNICODETEXT, rich text and, with a column, "Grid Column".
class TSourceEnumFormatEtc : public IEnumFORMATETC {
 public:
  TSourceEnumFormatEtc(std::int32_t index, bool withColumn) : Index(index), WithColumn(withColumn) {}
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** out) override;

  std::int32_t Index;
  bool WithColumn;

 private:
  std::int32_t Size() const { return WithColumn ? 4 : 3; }
};

// Drags Object out through the layer's loop (the drag holds a reference
// to it); a drag that ended where nothing would take it answers
// DRAGDROP_S_CANCEL.
HRESULT StartDataDrag(TESGDropSource* source, TSourceDataObject* object, DWORD allowedEffects, DWORD& effect);
// Drags Text (and its rich form) or a column out, as StartDataDrag does.
HRESULT StartTextDrag(TESGDropSource* source, const AnsiString& text, const AnsiString& rtf,
                      DWORD allowedEffects, DWORD& effect);
HRESULT StartColumnDrag(TESGDropSource* source, std::int32_t colIndex, DWORD allowedEffects, DWORD& effect);
