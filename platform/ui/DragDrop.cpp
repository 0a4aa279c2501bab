#include "platform/ui/DragDrop.h"

#include <algorithm>
#include <deque>
#include <map>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/SystemClipboard.h"

namespace {

constexpr std::size_t kHeaderSize = 20;

struct Event {
  enum Kind { Move, Up, KeyDn, KeyUp } kind;
  HWND window = nullptr;
  TPoint pt{0, 0};
  Word vk = 0;
};

struct Layer {
  std::map<HWND, TComPtr<IDropTarget>> targets;
  std::deque<Event> input;
  std::function<void()> source;
  bool dragging = false;
};

Layer& L() {
  static auto* layer = new Layer;  // past the last control, which may revoke its target
  return *layer;
}

void PutDWord(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetDWord(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

// The loop's own wait for the user: the windows paint and their timers
// run meanwhile; a backend that can give no input ends it.
void WaitForUser() {
  while (L().input.empty()) {
    ui::PumpMessages();
    if (!L().input.empty() || !HasBackend() || !Backend().WaitForInput(50)) return;
  }
}

// The cursor of the effect the target would take.
void ShowEffectCursor(DWORD effect) {
  if (!Screen) return;
  Screen->ShowCursorShape(effect == DROPEFFECT_NONE   ? crNoDrop
                          : effect == DROPEFFECT_COPY ? crMultiDrag
                                                      : crDrag);
}

TComPtr<IDropTarget> TargetOf(HWND wnd) {
  auto it = L().targets.find(wnd);
  return it == L().targets.end() ? TComPtr<IDropTarget>() : it->second;
}

// Lists the formats of a data object of the layer's own, in order.
class TFormatList : public IEnumFORMATETC {
 public:
  TFormatList(std::vector<UINT> formats, std::size_t at) : formats_(std::move(formats)), at_(at) {}
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    while (n < count && at_ < formats_.size()) {
      out[n] = FORMATETC{};
      out[n++].cfFormat = formats_[at_++];
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const bool whole = formats_.size() - at_ >= count;
    at_ = whole ? at_ + count : formats_.size();
    return whole ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = new TFormatList(formats_, at_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::vector<UINT> formats_;
  std::size_t at_;
};

// The wide file list that files dropped from outside arrive as.
class TFileListData : public IDataObject {
 public:
  explicit TFileListData(std::vector<std::uint8_t> block) : block_(std::move(block)) {}
  HRESULT GetData(const FORMATETC& f, STGMEDIUM& m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m.tymed = TYMED_HGLOBAL;
    m.Block = block_;
    return S_OK;
  }
  HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC& f) override {
    return f.cfFormat == CF_HDROP && (f.tymed & TYMED_HGLOBAL) && f.dwAspect == DVASPECT_CONTENT
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC& out) override {
    out.ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

 private:
  std::vector<std::uint8_t> block_;
};

HRESULT TFileListData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TFormatList({CF_HDROP}, 0);
  (*out)->AddRef();
  return S_OK;
}

// What another program drags over the program's windows: the formats its
// names stand for, listed at once, and their bytes fetched from it only
// when a target asks (at the drop), then kept.
class TOutsideData : public IDataObject {
 public:
  TOutsideData(std::vector<std::string> targets, std::function<ui::TClipboardRead(const std::string&)> fetch)
      : targets_(std::move(targets)), fetch_(std::move(fetch)) {
    if (!FirstOffered(ui::TargetsOfFormat(CF_TEXT)).empty()) formats_ = {CF_TEXT, CF_UNICODETEXT};
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    if (!FirstOffered(ui::TargetsOfFormat(rtf)).empty()) formats_.push_back(rtf);
    if (Offers(kUriList)) formats_.push_back(CF_HDROP);
  }
  HRESULT GetData(const FORMATETC& f, STGMEDIUM& m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    auto it = fetched_.find(f.cfFormat);
    if (it == fetched_.end()) {
      std::vector<std::uint8_t> block;
      if (!Fetch(f.cfFormat, block)) return DV_E_FORMATETC;
      it = fetched_.emplace(f.cfFormat, std::move(block)).first;
    }
    m.tymed = TYMED_HGLOBAL;
    m.Block = it->second;
    return S_OK;
  }
  HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC& f) override {
    const bool listed = std::find(formats_.begin(), formats_.end(), f.cfFormat) != formats_.end();
    return listed && (f.tymed & TYMED_HGLOBAL) && f.dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_FORMATETC;
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC& out) override {
    out.ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

 private:
  static constexpr const char* kUriList = "text/uri-list";
  bool Offers(const std::string& name) const {
    return std::find(targets_.begin(), targets_.end(), name) != targets_.end();
  }
  std::string FirstOffered(const std::vector<std::string>& names) const {
    for (const std::string& name : names)
      if (Offers(name)) return name;
    return {};
  }
  bool Fetch(UINT format, std::vector<std::uint8_t>& block) {
    const bool text = format == CF_TEXT || format == CF_UNICODETEXT;
    const std::string name = format == CF_HDROP ? std::string(kUriList)
                                                : FirstOffered(ui::TargetsOfFormat(text ? CF_TEXT : format));
    if (name.empty() || !fetch_) return false;
    // Text and wide text come from the same answer.
    auto answer = answers_.find(name);
    if (answer == answers_.end()) answer = answers_.emplace(name, fetch_(name)).first;
    const ui::TClipboardRead& read = answer->second;
    if (!read.Ok) return false;
    if (format == CF_HDROP) {
      // A refused list stays refused: the user hears of it once.
      if (filesRefused_) return false;
      std::vector<AnsiString> files;
      filesRefused_ = !ui::input::HeldDroppedNames(ui::ReadUriList(read.Bytes), files);
      if (files.empty()) return false;
      block = MakeDropFiles(files, true);
      return true;
    }
    if (!text) {
      // Rich text ends at its first NUL, as the program's own blocks do.
      block.assign(read.Bytes.begin(), std::find(read.Bytes.begin(), read.Bytes.end(), '\0'));
      block.push_back(0);
      return true;
    }
    const std::string utf8 = ui::IsLatin1Target(name) ? ui::Latin1ToUtf8(read.Bytes) : read.Bytes;
    const AnsiString ansi = ui::ClipboardTextFromSystem(utf8);
    if (format == CF_TEXT) {
      block.assign(ansi.begin(), ansi.end());
      block.push_back(0);
    } else {
      for (char16_t u : cp1253::ToWide(ansi)) {
        block.push_back(static_cast<std::uint8_t>(u & 0xFF));
        block.push_back(static_cast<std::uint8_t>(u >> 8));
      }
      block.insert(block.end(), 2, 0);
    }
    return true;
  }
  std::vector<std::string> targets_;
  std::function<ui::TClipboardRead(const std::string&)> fetch_;
  std::vector<UINT> formats_;
  std::map<UINT, std::vector<std::uint8_t>> fetched_;
  std::map<std::string, ui::TClipboardRead> answers_;
  bool filesRefused_ = false;
};

HRESULT TOutsideData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TFormatList(formats_, 0);
  (*out)->AddRef();
  return S_OK;
}

// The drag another program runs over the program's windows now.
struct OutsideDrag {
  TComPtr<TOutsideData> data;
  TComPtr<IDropTarget> target;
  HWND window = nullptr;
  DWORD last = DROPEFFECT_NONE;
};

OutsideDrag& Outside() {
  static auto* drag = new OutsideDrag;
  return *drag;
}

// Follows the pointer from target to target as the program's own drags do;
// the effect the one under Screen takes.
DWORD TrackOutside(TPoint screen, DWORD okEffects, DWORD keyState) {
  OutsideDrag& o = Outside();
  if (!o.data) return DROPEFFECT_NONE;
  const HWND window = ui::dragdrop::WindowAt(screen);
  const TComPtr<IDropTarget> now = TargetOf(window);
  if (now.Get() != o.target.Get()) {
    if (o.target) o.target->DragLeave();
    o.target = now;
    o.window = window;
    o.last = DROPEFFECT_NONE;
    if (!now) return DROPEFFECT_NONE;
    DWORD eff = okEffects;
    if (now->DragEnter(o.data.Get(), keyState, screen, eff) != S_OK) eff = DROPEFFECT_NONE;
    return o.last = eff & okEffects;
  }
  if (!o.target) return DROPEFFECT_NONE;
  DWORD eff = okEffects;
  if (o.target->DragOver(keyState, screen, eff) != S_OK) eff = DROPEFFECT_NONE;
  return o.last = eff & okEffects;
}

}  // namespace

IEnumFORMATETC* ui::NewFormatList(std::vector<UINT> formats) {
  IEnumFORMATETC* list = new TFormatList(std::move(formats), 0);
  list->AddRef();
  return list;
}

std::shared_ptr<ui::TClipboardOffer> ui::OfferOfData(IDataObject* data) {
  auto offer = std::make_shared<TClipboardOffer>();
  IEnumFORMATETC* formats = nullptr;
  if (!data || data->EnumFormatEtc(DATADIR_GET, &formats) != S_OK || !formats) return offer;
  const TComPtr<IEnumFORMATETC> keep(formats);
  formats->Release();  // it came with the caller's reference
  FORMATETC f;
  ULONG fetched = 0;
  while (formats->Next(1, &f, &fetched) == S_OK && fetched == 1) {
    STGMEDIUM m;
    if (data->GetData(f, m) != S_OK) continue;
    const std::string bytes(m.Block.begin(), m.Block.end());
    if (f.cfFormat == CF_UNICODETEXT) {
      // The program's own text first; wide text only where it has none.
      std::u16string wide;
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto u = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                             static_cast<std::uint8_t>(bytes[i + 1]) << 8);
        if (u == 0) break;
        wide.push_back(u);
      }
      AddToOffer(*offer, CF_TEXT, cp1253::FromWide(wide));
    } else {
      AddToOffer(*offer, f.cfFormat, bytes);
    }
  }
  return offer;
}

HRESULT RegisterDragDrop(HWND wnd, IDropTarget* target) {
  if (!wnd || !target) return E_INVALIDARG;
  if (L().targets.count(wnd)) return DRAGDROP_E_ALREADYREGISTERED;
  L().targets[wnd] = target;
  return S_OK;
}

HRESULT RevokeDragDrop(HWND wnd) {
  auto it = L().targets.find(wnd);
  if (it == L().targets.end()) return DRAGDROP_E_NOTREGISTERED;
  const TComPtr<IDropTarget> keep = it->second;  // a target may revoke itself
  L().targets.erase(it);
  return S_OK;
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data || !source || L().dragging) return E_INVALIDARG;
  const TComPtr<IDataObject> keepData(data);
  const TComPtr<IDropSource> keepSource(source);
  Layer& l = L();
  l.dragging = true;
  l.input.clear();
  // Ctrl or Shift held when the drag began count from the start.
  bool button = true, ctrl = GetAsyncKeyState(VK_CONTROL) < 0, shift = GetAsyncKeyState(VK_SHIFT) < 0;
  bool escape = false;
  if (!l.source) {
    // The user's own drag: it begins where the mouse is, and a button let
    // go before the loop began drops at once.
    TPoint at{0, 0};
    GetCursorPos(&at);
    l.input.push_back({Event::Move, ui::dragdrop::WindowAt(at), at, 0});
    button = GetAsyncKeyState(VK_LBUTTON) < 0;
  }
  TComPtr<IDropTarget> target;
  TPoint pt{0, 0};
  DWORD last = DROPEFFECT_NONE;
  auto keys = [&] {
    return (button ? MK_LBUTTON_STATE : 0) | (ctrl ? MK_CONTROL_STATE : 0) | (shift ? MK_SHIFT_STATE : 0);
  };
  // Past the program's windows the drag goes on in the desktop's, where
  // there is one: the other program under the pointer answers for itself.
  ui::TDesktopDrag* desktop = HasBackend() ? Backend().DesktopDrag() : nullptr;
  bool outside = false, offered = false;
  auto wanted = [&] { return ctrl || !(okEffects & DROPEFFECT_MOVE) ? DROPEFFECT_COPY : DROPEFFECT_MOVE; };
  auto leave = [&] {
    if (target) target->DragLeave();
    target = TComPtr<IDropTarget>();
    if (outside) desktop->Leave();
    outside = false;
  };
  HRESULT result = DRAGDROP_S_CANCEL;
  for (;;) {
    if (l.input.empty()) {
      if (l.source) {
        const std::function<void()> feed = l.source;  // the feeder may replace itself
        feed();
      } else {
        WaitForUser();
      }
    }
    if (l.input.empty()) {  // no more input will come: give up cleanly
      leave();
      break;
    }
    const Event e = l.input.front();
    l.input.pop_front();
    bool over = false;
    switch (e.kind) {
      case Event::Move: {
        pt = e.pt;
        if (!e.window && desktop) {
          if (target) target->DragLeave();
          target = TComPtr<IDropTarget>();
          if (!offered) desktop->Begin(ui::OfferOfData(data));
          offered = outside = true;
          last = desktop->Move(pt, wanted()) & okEffects;
          break;
        }
        if (outside) leave();
        TComPtr<IDropTarget> now = TargetOf(e.window);
        if (now.Get() != target.Get()) {
          leave();
          target = now;
          last = DROPEFFECT_NONE;
          if (target) {
            DWORD eff = okEffects;
            if (target->DragEnter(data, keys(), pt, eff) != S_OK) eff = DROPEFFECT_NONE;
            last = eff & okEffects;
          }
        } else {
          over = true;
        }
        break;
      }
      case Event::Up:
        button = false;
        break;
      case Event::KeyDn:
      case Event::KeyUp: {
        const bool down = e.kind == Event::KeyDn;
        if (e.vk == VK_ESCAPE && down) escape = true;
        if (e.vk == VK_CONTROL) ctrl = down, over = true;
        if (e.vk == VK_SHIFT) shift = down, over = true;
        break;
      }
    }
    const HRESULT go = source->QueryContinueDrag(escape, keys());
    if (go == DRAGDROP_S_CANCEL) {
      leave();
      break;
    }
    if (go == DRAGDROP_S_DROP) {
      if (outside) {
        // The other program's own answer to the drop decides, not the
        // last status: a move it refused leaves the source whole.
        outside = false;
        const DWORD eff = desktop->Drop() & okEffects;
        if (effect) *effect = eff;
        last = eff;
      } else if (target && last != DROPEFFECT_NONE) {
        DWORD eff = okEffects;
        const TComPtr<IDropTarget> t = target;
        if (t->Drop(data, keys(), pt, eff) != S_OK) eff = DROPEFFECT_NONE;
        target = TComPtr<IDropTarget>();
        if (effect) *effect = eff & okEffects;
      } else {
        leave();
      }
      result = DRAGDROP_S_DROP;
      break;
    }
    if (over && outside && e.kind != Event::Move) {
      last = desktop->Move(pt, wanted()) & okEffects;
    } else if (over && target) {
      DWORD eff = okEffects;
      if (target->DragOver(keys(), pt, eff) != S_OK) eff = DROPEFFECT_NONE;
      last = eff & okEffects;
    }
    const DWORD shown = target || outside ? last : DROPEFFECT_NONE;
    if (source->GiveFeedback(shown) == DRAGDROP_S_USEDEFAULTCURSORS) ShowEffectCursor(shown);
  }
  if (offered) desktop->End();
  l.input.clear();
  l.dragging = false;
  if (Screen) Screen->ShowCursorShape(crArrow);
  return result;
}

std::vector<std::uint8_t> MakeDropFiles(const std::vector<AnsiString>& names, bool wide) {
  std::vector<std::uint8_t> b(kHeaderSize, 0);
  PutDWord(b, 0, kHeaderSize);
  PutDWord(b, 16, wide ? 1 : 0);
  for (const AnsiString& name : names) {
    if (wide) {
      for (char16_t u : cp1253::ToWide(name)) {
        b.push_back(static_cast<std::uint8_t>(u & 0xFF));
        b.push_back(static_cast<std::uint8_t>(u >> 8));
      }
      b.insert(b.end(), 2, 0);
    } else {
      b.insert(b.end(), name.begin(), name.end());
      b.push_back(0);
    }
  }
  b.insert(b.end(), wide ? 2 : 1, 0);
  return b;
}

std::vector<AnsiString> ReadDropFiles(const std::vector<std::uint8_t>& block) {
  std::vector<AnsiString> names;
  if (block.size() < kHeaderSize) return names;
  const std::size_t offset = GetDWord(block, 0);
  const bool wide = GetDWord(block, 16) != 0;
  const std::size_t unit = wide ? 2 : 1;
  std::size_t at = offset;
  while (at <= block.size() && block.size() - at >= unit) {
    std::u16string wideName;
    AnsiString name;
    std::size_t p = at;
    bool ended = false;
    for (; block.size() - p >= unit; p += unit) {
      const char16_t u = wide ? static_cast<char16_t>(block[p] | (block[p + 1] << 8)) : block[p];
      if (u == 0) {
        ended = true;
        break;
      }
      if (wide)
        wideName.push_back(u);
      else
        name.push_back(static_cast<char>(u));
    }
    if (!ended) break;  // a name cut by the block's end is not a name
    if (wide) name = cp1253::FromWide(wideName);
    if (name.empty()) break;
    names.push_back(name);
    at = p + unit;
  }
  return names;
}

namespace ui::dragdrop {

void MouseMove(HWND window, TPoint screen) { L().input.push_back({Event::Move, window, screen, 0}); }
void ButtonUp() { L().input.push_back({Event::Up, nullptr, {0, 0}, 0}); }
void KeyDown(Word vk) { L().input.push_back({Event::KeyDn, nullptr, {0, 0}, vk}); }
void KeyUp(Word vk) { L().input.push_back({Event::KeyUp, nullptr, {0, 0}, vk}); }
bool DeliverFiles(HWND window, TPoint screen, const std::vector<AnsiString>& files) {
  const TComPtr<IDropTarget> target = TargetOf(window);
  if (!target) return false;
  const TComPtr<IDataObject> data(new TFileListData(MakeDropFiles(files, true)));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  if (target->DragEnter(data.Get(), MK_LBUTTON_STATE, screen, effect) == S_OK && effect != DROPEFFECT_NONE) {
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data.Get(), 0, screen, effect);
  } else {
    target->DragLeave();
  }
  return true;
}

void OutsideEnter(std::vector<std::string> targets, std::function<TClipboardRead(const std::string&)> fetch) {
  OutsideLeave();
  Outside().data = new TOutsideData(std::move(targets), std::move(fetch));
}

DWORD OutsideOver(TPoint screen, DWORD okEffects, DWORD keyState) {
  return TrackOutside(screen, okEffects, keyState | MK_LBUTTON_STATE);
}

void OutsideLeave() {
  OutsideDrag& o = Outside();
  if (o.target) o.target->DragLeave();
  o = OutsideDrag{};
}

DWORD OutsideDrop(TPoint screen, DWORD okEffects, DWORD keyState) {
  OutsideDrag& o = Outside();
  DWORD eff = TrackOutside(screen, okEffects, keyState | MK_LBUTTON_STATE);
  const TComPtr<IDropTarget> target = o.target;
  const TComPtr<TOutsideData> data = o.data;
  o = OutsideDrag{};
  if (!target) return DROPEFFECT_NONE;
  if (eff == DROPEFFECT_NONE) {
    target->DragLeave();
    return eff;
  }
  eff = okEffects;
  if (target->Drop(data.Get(), keyState, screen, eff) != S_OK) eff = DROPEFFECT_NONE;
  return eff & okEffects;
}

DWORD DeliverText(TPoint screen, const AnsiString& text) {
  const std::string utf8 = ClipboardTextToSystem(text);
  OutsideEnter({"text/plain;charset=utf-8"}, [utf8](const std::string&) {
    return TClipboardRead{true, utf8, {}};
  });
  return OutsideDrop(screen, DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_CONTROL_STATE);
}

bool HasTarget(HWND window) { return L().targets.count(window) != 0; }
void SetInputSource(std::function<void()> source) { L().source = std::move(source); }
bool Dragging() { return L().dragging; }
void Reset() {
  Outside() = OutsideDrag{};
  L().targets.clear();
  L().input.clear();
  L().source = nullptr;
}

}  // namespace ui::dragdrop
