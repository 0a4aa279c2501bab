#pragma once
// In-process drag and drop: windows register a drop target, a source runs
// a modal loop on the layer's own mouse and key input, and what is dragged
// is a data object offering formats as exact-size byte blocks. Where the
// backend has a desktop that carries drags between programs, a drag that
// leaves the program's windows goes on there, and drags from other
// programs reach the window under the pointer as data objects of their
// own.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Types.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/SystemClipboard.h"
#include "platform/ui/Windows.h"

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003);
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101);

constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

// Key state bits handed to targets and sources.
constexpr DWORD MK_LBUTTON_STATE = 0x0001;
constexpr DWORD MK_RBUTTON_STATE = 0x0002;
constexpr DWORD MK_SHIFT_STATE = 0x0004;
constexpr DWORD MK_CONTROL_STATE = 0x0008;

struct FORMATETC {
  UINT cfFormat = 0;
  void* ptd = nullptr;  // target device: never used in process
  DWORD dwAspect = DVASPECT_CONTENT;
  std::int32_t lindex = -1;
  DWORD tymed = TYMED_HGLOBAL;
};

// A format's data: exactly the bytes the giver wrote, owned by the receiver.
struct STGMEDIUM {
  DWORD tymed = TYMED_HGLOBAL;
  std::vector<std::uint8_t> Block;
};

// Reference counting of the interfaces: an object lives while anyone holds
// a reference, and frees itself when the last one goes.
class IUnknown {
 public:
  ULONG AddRef() { return ++refs_; }
  ULONG Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~IUnknown() = default;

 private:
  ULONG refs_ = 0;
};

// A counted reference; holding one keeps the object alive.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(T* p) : p_(p) {  // NOLINT: implicit like an interface assignment
    if (p_) p_->AddRef();
  }
  TComPtr(const TComPtr& o) : TComPtr(o.p_) {}
  TComPtr& operator=(const TComPtr& o) {
    TComPtr copy(o);
    std::swap(p_, copy.p_);
    return *this;
  }
  ~TComPtr() {
    if (p_) p_->Release();
  }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class IEnumFORMATETC : public IUnknown {
 public:
  virtual HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** out) = 0;
};

class IDataObject : public IUnknown {
 public:
  virtual HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
  virtual HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) = 0;
  virtual HRESULT QueryGetData(const FORMATETC& format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) = 0;
  virtual HRESULT SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) = 0;
  // A new enumerator with one reference for the caller, or E_NOTIMPL.
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
  // Telling a sink when the data changes: the layer's data objects hold
  // data that never changes while it is dragged, so none of them takes a
  // sink (OLE_E_ADVISENOTSUPPORTED); the outputs are cleared.
  virtual HRESULT DAdvise(const FORMATETC&, DWORD /*advf*/, IUnknown* /*sink*/, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  virtual HRESULT DUnadvise(DWORD /*connection*/) { return OLE_E_ADVISENOTSUPPORTED; }
  virtual HRESULT EnumDAdvise(IUnknown** out) {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
};

class IDropTarget : public IUnknown {
 public:
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, TPoint pt, DWORD& effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) = 0;
};

class IDropSource : public IUnknown {
 public:
  virtual HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) = 0;
  virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// The window's target takes a reference until it is revoked or the window
// registers again (refused: already registered).
HRESULT RegisterDragDrop(HWND wnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND wnd);
// Runs the drag until the source drops or cancels: DRAGDROP_S_DROP with the
// target's effect (limited to OkEffects), or DRAGDROP_S_CANCEL with none.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

// The DROPFILES block: a 20-byte header (offset of the names, drop point,
// non-client flag, wide flag) and zero-terminated names ending in an empty
// one.
std::vector<std::uint8_t> MakeDropFiles(const std::vector<AnsiString>& names, bool wide);
// The complete names within Block; a block too short for its header, or
// whose offset or last name runs past its end, gives only what fits.
std::vector<AnsiString> ReadDropFiles(const std::vector<std::uint8_t>& block);

namespace ui {
// An enumerator of Formats (each on global memory, content aspect, index
// -1), with one reference for the caller: for data objects that list what
// they hold.
IEnumFORMATETC* NewFormatList(std::vector<UINT> formats);
// What a data object offers, under the names other programs know (the
// clipboard's): what a drag leaving the program carries.
std::shared_ptr<TClipboardOffer> OfferOfData(IDataObject* data);
}  // namespace ui

namespace ui::dragdrop {

// The layer's own input while a drag runs; the backends feed it. A move
// names the window under the pointer (nullptr: none) and the point in
// screen coordinates.
void MouseMove(HWND window, TPoint screen);
void ButtonUp();
void KeyDown(Word vk);
void KeyUp(Word vk);
// Asked for more input when the loop has none; a drag that still has none
// afterwards is cancelled, so the loop never waits forever. Without one
// the loop starts where the mouse is, and waits for the user while the
// windows go on painting; the backends' mouse and keys come to the drag
// (platform/ui/Input.h) instead of the windows.
void SetInputSource(std::function<void()> source);
// The window a drag at a screen point is over (nullptr: none): the
// nearest window with a drop target, from the deepest window there up
// through its parents, else the deepest window.
HWND WindowAt(TPoint screen);
// Whether Window has a drop target.
bool HasTarget(HWND window);
bool Dragging();
// Files dropped from outside on Window: its registered target, if any, gets
// them as a CF_HDROP object (entered, then dropped or left). False when the
// window has no target.
bool DeliverFiles(HWND window, TPoint screen, const std::vector<AnsiString>& files);
// Drops from another program, as the backend hears of them. Enter names
// what it offers (the display's names) and how their bytes are fetched;
// fetching waits for the other program, so it happens at the drop only.
// Over and Drop answer the effect the window under Screen takes of Wanted
// (the target decides, within OkEffects); Leave ends the drag there.
void OutsideEnter(std::vector<std::string> targets, std::function<TClipboardRead(const std::string&)> fetch);
DWORD OutsideOver(TPoint screen, DWORD okEffects, DWORD keyState);
void OutsideLeave();
DWORD OutsideDrop(TPoint screen, DWORD okEffects, DWORD keyState);
// Text dropped from outside at Screen (1253, CR LF), as a whole drop.
DWORD DeliverText(TPoint screen, const AnsiString& text);
// Drop targets and input back to the start (tests).
void Reset();

}  // namespace ui::dragdrop
