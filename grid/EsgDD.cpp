#include "grid/EsgDD.h"

#include <algorithm>

#include "platform/rtl/Cp1253.h"

namespace {

UINT richTextId = 0;
UINT gridColumnId = 0;
bool dropRTF = false;

bool Served(const FORMATETC& f) { return (f.tymed & TYMED_HGLOBAL) && f.dwAspect == DVASPECT_CONTENT; }

std::vector<std::uint8_t> Terminated(const AnsiString& s) {
  std::vector<std::uint8_t> b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

}  // namespace

UINT RichTextFormatId() { return richTextId; }
UINT GridColumnFormatId() { return gridColumnId; }
void SetDropRTF(bool enabled) { dropRTF = enabled; }
bool DropRTFEnabled() { return dropRTF; }

// ---- TEnumFormats ----

TEnumFormats::TEnumFormats(IDataObject* dataObject) : data_(dataObject) {
  richTextId = RegisterClipboardFormat("Rich Text Format");
  gridColumnId = RegisterClipboardFormat("Grid Column");
  IEnumFORMATETC* e = nullptr;
  if (data_ && data_->EnumFormatEtc(DATADIR_GET, &e) == S_OK && e) {
    enumerator_ = e;
    e->Release();  // the enumerator came with the caller's reference
  }
  if (data_ && !enumerator_) throw EAssertionFailed("Cannot get the format enumerator");
  Reset();
}

void TEnumFormats::Reset() {
  Valid = false;
  Count = 0;
  if (enumerator_) enumerator_->Reset();
}

bool TEnumFormats::Next() {
  if (!enumerator_) return Valid = false;
  ULONG fetched = 0;
  FORMATETC f;
  Valid = enumerator_->Next(1, &f, &fetched) == S_OK && fetched == 1;
  if (Valid) current_ = f;
  ++Count;
  return Valid;
}

bool TEnumFormats::HasFormat(UINT cf) {
  Reset();
  while (Next())
    if (current_.cfFormat == cf) return true;
  return false;
}

bool TEnumFormats::Handle(DWORD tymed, std::vector<std::uint8_t>& block) {
  block.clear();
  if (!Valid || !(current_.tymed & tymed) || !data_) return false;
  FORMATETC f = current_;
  f.tymed = tymed;
  STGMEDIUM m;
  if (data_->GetData(f, m) != S_OK) return false;
  block = std::move(m.Block);
  return true;
}

AnsiString TEnumFormats::GetText(UINT cf) {
  std::vector<std::uint8_t> block;
  if (!HasFormat(cf) || !GlobalHandle(block)) return {};
  const auto end = std::find(block.begin(), block.end(), 0);
  return AnsiString(block.begin(), end);
}

std::int32_t TEnumFormats::GetDWord(UINT cf) {
  std::vector<std::uint8_t> block;
  if (!HasFormat(cf) || !GlobalHandle(block) || block.size() < 4) return -1;
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(block[i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

bool TEnumFormats::GetFiles(std::vector<AnsiString>& list) {
  list.clear();
  std::vector<std::uint8_t> block;
  if (GlobalHandle(block)) list = ReadDropFiles(block);
  return !list.empty();
}

// ---- TESGDropTarget ----

DWORD TESGDropTarget::EffectOf(DWORD keyState) {
  return (keyState & MK_CONTROL_STATE) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

HRESULT TESGDropTarget::DragEnter(IDataObject* data, DWORD keyState, TPoint, DWORD& effect) {
  bool text = false, files = false, rtf = false, col = false;
  try {
    TEnumFormats formats(data);
    text = formats.HasText(), files = formats.HasFiles(), rtf = formats.HasRTF(), col = formats.HasColumn();
  } catch (const EAssertionFailed&) {
    // An object that cannot list its formats offers nothing to take; the
    // drag goes on, refused here, instead of stopping the program.
  }
  FDropAllowed = (text && AcceptText) || (files && AcceptFiles) || (rtf && DropRTFEnabled() && AcceptText) ||
                 (col && AcceptCols);
  FFormats =
      (text ? kDragText : 0) | (files ? kDragFiles : 0) | (col ? kDragColumn : 0) | (rtf ? kDragRTF : 0);
  effect = FDropAllowed ? EffectOf(keyState) : DROPEFFECT_NONE;
  DragMouseEnter();
  return S_OK;
}

HRESULT TESGDropTarget::DragOver(DWORD keyState, TPoint pt, DWORD& effect) {
  effect = FDropAllowed ? EffectOf(keyState) : DROPEFFECT_NONE;
  bool allow = effect != DROPEFFECT_NONE;
  DragMouseMove(pt, allow, FFormats);
  if (!allow) effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT TESGDropTarget::DragLeave() {
  DragMouseLeave();
  return S_OK;
}

HRESULT TESGDropTarget::Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) {
  if (!FDropAllowed) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TEnumFormats formats(data);
  if (!formats.HasColumn()) {
    std::vector<std::uint8_t> rtf;
    // A source that lists rich text but refuses to give it sends its text.
    if (DropRTFEnabled() && formats.HasRTF() && formats.GlobalHandle(rtf))
      DropRTF(pt, AnsiString(rtf.begin(), std::find(rtf.begin(), rtf.end(), 0)));
    else if (formats.HasText())
      DropText(pt, formats.Text());
  } else {
    DropCol(pt, formats.ColumnIndex());
  }
  if (formats.HasFiles() && formats.GetFiles(formats.Files)) DropFiles(pt, formats.Files);
  effect = EffectOf(keyState);
  return S_OK;
}

// ---- TESGDropSource ----

HRESULT TESGDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState) {
  QueryDrag();
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if (!(keyState & MK_LBUTTON_STATE)) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT TESGDropSource::GiveFeedback(DWORD effect) {
  FNoDrop = effect == DROPEFFECT_NONE;
  CurrentEffect(effect);
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- TSourceDataObject ----

HRESULT TSourceDataObject::QueryGetData(const FORMATETC& f) {
  if (!Served(f)) return DV_E_FORMATETC;
  if (!Text.empty()) {
    if (f.cfFormat == CF_TEXT || f.cfFormat == CF_UNICODETEXT) return S_OK;
    // Rich text with nothing in it is refused rather than sent empty.
    if (DropRTFEnabled() && richTextId != 0 && f.cfFormat == richTextId && !RTF.empty()) return S_OK;
  }
  if (ColIndex != -1 && gridColumnId != 0 && f.cfFormat == gridColumnId) return S_OK;
  return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC& f, STGMEDIUM& medium) {
  if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
  medium.tymed = TYMED_HGLOBAL;
  if (f.cfFormat == CF_TEXT) {
    medium.Block = Terminated(Text);
  } else if (f.cfFormat == CF_UNICODETEXT) {
    const WideString wide = cp1253::ToWide(Text);
    medium.Block.assign(2 * wide.size() + 2, 0);
    for (std::size_t i = 0; i < wide.size(); ++i) {
      medium.Block[2 * i] = static_cast<std::uint8_t>(wide[i] & 0xFF);
      medium.Block[2 * i + 1] = static_cast<std::uint8_t>(wide[i] >> 8);
    }
  } else if (f.cfFormat == gridColumnId) {
    medium.Block.assign(4, 0);
    const auto v = static_cast<std::uint32_t>(ColIndex);
    for (int i = 0; i < 4; ++i) medium.Block[i] = static_cast<std::uint8_t>(v >> (8 * i));
  } else {
    medium.Block = Terminated(RTF);
  }
  return S_OK;
}

HRESULT TSourceDataObject::GetCanonicalFormatEtc(const FORMATETC&, FORMATETC& out) {
  out.ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TSourceEnumFormatEtc(0, ColIndex != -1);
  (*out)->AddRef();
  return S_OK;
}

// ---- TSourceEnumFormatEtc ----

HRESULT TSourceEnumFormatEtc::Next(ULONG count, FORMATETC* out, ULONG* fetched) {
  const UINT ids[4] = {CF_TEXT, CF_UNICODETEXT, richTextId, gridColumnId};
  ULONG n = 0;
  while (n < count && Index >= 0 && Index < Size()) {
    out[n] = FORMATETC{};
    out[n].cfFormat = ids[Index++];
    ++n;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(ULONG count) {
  if (static_cast<std::int64_t>(Index) + count > Size()) {
    Index = Size();
    return S_FALSE;
  }
  Index += static_cast<std::int32_t>(count);
  return S_OK;
}

HRESULT TSourceEnumFormatEtc::Reset() {
  Index = 0;
  return S_OK;
}

HRESULT TSourceEnumFormatEtc::Clone(IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = new TSourceEnumFormatEtc(Index, WithColumn);
  (*out)->AddRef();
  return S_OK;
}

// ---- starting a drag ----

HRESULT StartDataDrag(TESGDropSource* source, TSourceDataObject* object, DWORD allowedEffects,
                      DWORD& effect) {
  const TComPtr<TSourceDataObject> data(object);
  effect = DROPEFFECT_NONE;
  if (!source) return E_INVALIDARG;
  const TComPtr<TESGDropSource> keep(source);
  const HRESULT hr = DoDragDrop(data.Get(), source, allowedEffects, &effect);
  return source->NoDrop() ? DRAGDROP_S_CANCEL : hr;
}

HRESULT StartTextDrag(TESGDropSource* source, const AnsiString& text, const AnsiString& rtf,
                      DWORD allowedEffects, DWORD& effect) {
  return StartDataDrag(source, new TSourceDataObject(text, -1, rtf), allowedEffects, effect);
}

HRESULT StartColumnDrag(TESGDropSource* source, std::int32_t colIndex, DWORD allowedEffects, DWORD& effect) {
  return StartDataDrag(source, new TSourceDataObject("", colIndex, ""), allowedEffects, effect);
}
