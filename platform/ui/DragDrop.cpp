#include "platform/ui/DragDrop.h"

#include <deque>
#include <map>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageLoop.h"

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

// Lists the single CF_HDROP format.
class TFileListFormats : public IEnumFORMATETC {
 public:
  explicit TFileListFormats(bool done) : done_(done) {}
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    if (count > 0 && !done_) {
      out[0] = FORMATETC{};
      out[0].cfFormat = CF_HDROP;
      done_ = true;
      n = 1;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    if (count == 0) return S_OK;
    const bool was = done_;
    done_ = true;
    return !was && count == 1 ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    done_ = false;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = new TFileListFormats(done_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  bool done_;
};

HRESULT TFileListData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TFileListFormats(false);
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

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
  auto leave = [&] {
    if (target) target->DragLeave();
    target = TComPtr<IDropTarget>();
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
      if (target && last != DROPEFFECT_NONE) {
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
    if (over && target) {
      DWORD eff = okEffects;
      if (target->DragOver(keys(), pt, eff) != S_OK) eff = DROPEFFECT_NONE;
      last = eff & okEffects;
    }
    if (source->GiveFeedback(target ? last : DROPEFFECT_NONE) == DRAGDROP_S_USEDEFAULTCURSORS)
      ShowEffectCursor(target ? last : DROPEFFECT_NONE);
  }
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

bool HasTarget(HWND window) { return L().targets.count(window) != 0; }
void SetInputSource(std::function<void()> source) { L().source = std::move(source); }
bool Dragging() { return L().dragging; }
void Reset() {
  L().targets.clear();
  L().input.clear();
  L().source = nullptr;
}

}  // namespace ui::dragdrop
