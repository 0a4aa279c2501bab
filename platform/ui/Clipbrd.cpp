#include "platform/ui/Clipbrd.h"

#include <algorithm>
#include <map>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/StdEdits.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;

struct Registry {
  std::map<AnsiString, UINT> byUpperName;
  std::vector<AnsiString> names;  // index = format - kFirstRegisteredFormat
};

Registry& Formats() {
  static Registry registry;
  return registry;
}

std::vector<HWND>& Viewers() {
  // First viewer first; each viewer's "next" is the one after it.
  // Past the last control, which may leave the chain while statics die.
  static auto* viewers = new std::vector<HWND>;
  return *viewers;
}

// The system's text as the program sees it; without a backend the program
// keeps it alone.
AnsiString& DetachedText() {
  static AnsiString text;
  return text;
}

AnsiString SystemText() { return HasBackend() ? Backend().ClipboardText() : DetachedText(); }

void SetSystemText(const AnsiString& text) {
  if (HasBackend())
    Backend().SetClipboardText(text);
  else
    DetachedText() = text;
}

void NotifyViewers() {
  const auto& viewers = Viewers();
  if (!viewers.empty()) SendMessage(viewers.front(), WM_DRAWCLIPBOARD, 0, 0);
}

bool IsText(UINT format) { return format == CF_TEXT || format == CF_UNICODETEXT; }

// Wherever this unit is part of the program, the edits' cut, copy and paste
// go through the clipboard object, so that they too replace the other
// formats and the viewers hear of them.
struct EditClipboardInstaller {
  EditClipboardInstaller() {
    EditClipboard() = TEditClipboard{[] { return Clipboard()->AsText(); },
                                     [](const AnsiString& text) { Clipboard()->SetAsText(text); }};
  }
} editClipboardInstaller;

}  // namespace

UINT RegisterClipboardFormat(const AnsiString& name) {
  if (name.empty()) return 0;
  Registry& r = Formats();
  const AnsiString key = AnsiUpperCase(name);
  if (auto it = r.byUpperName.find(key); it != r.byUpperName.end()) return it->second;
  const UINT id = kFirstRegisteredFormat + static_cast<UINT>(r.names.size());
  r.byUpperName.emplace(key, id);
  r.names.push_back(name);
  return id;
}

AnsiString GetClipboardFormatName(UINT format) {
  const Registry& r = Formats();
  if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= r.names.size()) return {};
  return r.names[format - kFirstRegisteredFormat];
}

HWND SetClipboardViewer(HWND wnd) {
  auto& viewers = Viewers();
  std::erase(viewers, wnd);
  HWND next = viewers.empty() ? nullptr : viewers.front();
  viewers.insert(viewers.begin(), wnd);
  SendMessage(wnd, WM_DRAWCLIPBOARD, 0, 0);
  return next;
}

BOOL ChangeClipboardChain(HWND remove, HWND next) {
  auto& viewers = Viewers();
  const auto it = std::find(viewers.begin(), viewers.end(), remove);
  if (it == viewers.end()) return false;
  const bool wasFirst = it == viewers.begin();
  viewers.erase(it);
  // The first viewer hears of it and passes it on, so that the one before
  // Remove takes Next as its next viewer; when Remove was first there is
  // nobody before it to tell.
  if (!wasFirst && !viewers.empty())
    SendMessage(viewers.front(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(remove),
                reinterpret_cast<LPARAM>(next));
  return true;
}

HWND GetClipboardViewer() { return Viewers().empty() ? nullptr : Viewers().front(); }

// ---- TClipboard -------------------------------------------------------------

void TClipboard::Open() { ++openCount_; }

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0 && changedWhileOpen_) {
    changedWhileOpen_ = false;
    NotifyViewers();
  }
}

void TClipboard::Changed() {
  // What the system shows after our write (its line ends and characters may
  // differ from ours): a later difference means another program wrote.
  ourText_ = SystemText();
  haveText_ = true;
  if (openCount_ > 0)
    changedWhileOpen_ = true;
  else
    NotifyViewers();
}

void TClipboard::CheckOwnership() {
  if (!haveText_) return;
  if (SystemText() != ourText_) {
    blocks_.clear();
    haveText_ = false;
  }
}

void TClipboard::Clear() {
  blocks_.clear();
  SetSystemText({});
  Changed();
}

bool TClipboard::HasFormat(UINT format) {
  CheckOwnership();
  if (IsText(format)) return !SystemText().empty();
  return std::any_of(blocks_.begin(), blocks_.end(), [format](const Block& b) { return b.Format == format; });
}

int TClipboard::FormatCount() {
  CheckOwnership();
  return static_cast<int>(blocks_.size()) + (SystemText().empty() ? 0 : 1);
}

UINT TClipboard::Formats(int index) {
  CheckOwnership();
  if (!SystemText().empty()) {
    if (index == 0) return CF_TEXT;
    --index;
  }
  if (index < 0 || index >= static_cast<int>(blocks_.size()))
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return blocks_[static_cast<size_t>(index)].Format;
}

AnsiString TClipboard::AsText() { return SystemText(); }

void TClipboard::SetAsText(const AnsiString& text) {
  Open();
  blocks_.clear();
  SetSystemText(text);
  Changed();
  Close();
}

void TClipboard::SetAsHandle(UINT format, std::string_view bytes) {
  CheckOwnership();
  if (IsText(format)) {
    // The text block ends at its first NUL, as text buffers do.
    SetSystemText(AnsiString(bytes.substr(0, bytes.find('\0'))));
  } else {
    auto it =
        std::find_if(blocks_.begin(), blocks_.end(), [format](const Block& b) { return b.Format == format; });
    if (it != blocks_.end())
      it->Bytes.assign(bytes);
    else
      blocks_.push_back(Block{format, std::string(bytes)});
  }
  Changed();
}

std::string TClipboard::GetAsHandle(UINT format) {
  CheckOwnership();
  if (IsText(format)) return SystemText();
  for (const Block& b : blocks_)
    if (b.Format == format) return b.Bytes;
  return {};
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

namespace ui {

void ClipboardChangedOutside() { NotifyViewers(); }

void ResetClipboard() {
  *Clipboard() = TClipboard();
  Viewers().clear();
  DetachedText().clear();
}

std::string ClipboardTextToSystem(const AnsiString& text) {
  AnsiString lf;
  lf.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  return cp1253::ToUtf8(lf);
}

AnsiString ClipboardTextFromSystem(std::string_view utf8) {
  const AnsiString ansi = cp1253::FromUtf8(utf8);
  AnsiString crlf;
  crlf.reserve(ansi.size() + ansi.size() / 16);
  for (size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '\n' && (i == 0 || ansi[i - 1] != '\r')) crlf += '\r';
    crlf += ansi[i];
  }
  return crlf;
}

}  // namespace ui
