#include "platform/ui/Clipbrd.h"

#include <algorithm>
#include <map>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/StdEdits.h"
#include "platform/ui/SystemClipboard.h"

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

ui::TSystemClipboard* Desktop() { return HasBackend() ? Backend().SystemClipboard() : nullptr; }

// Text blocks end at their first NUL, as text buffers do; other programs
// get no NULs.
std::string_view TextOfBlock(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

bool IsTextLike(UINT format) {
  return IsText(format) || SameText(GetClipboardFormatName(format), "Rich Text Format");
}

// The names another program offers; an owner that does not say (one that
// never answers) is an error to show, not an empty clipboard.
std::vector<std::string> OutsideTargets(ui::TSystemClipboard& desktop) {
  ui::TClipboardTargets targets = desktop.Targets();
  if (!targets.Ok) throw EClipboardException(cp1253::FromUtf8(targets.Error));
  return std::move(targets.Names);
}

// The offered names of the running offer, richest first, and the format
// each is read as.
std::vector<UINT> OutsideFormats(ui::TSystemClipboard& desktop) {
  std::vector<UINT> formats;
  bool text = false;
  for (const std::string& target : OutsideTargets(desktop)) {
    const UINT format = ui::FormatOfTarget(target);
    if (format == 0) continue;
    if (IsText(format)) {
      text = true;
      continue;
    }
    if (std::find(formats.begin(), formats.end(), format) == formats.end()) formats.push_back(format);
  }
  if (text) formats.insert(formats.begin(), CF_TEXT);
  return formats;
}

// The bytes of Format from another program, in the richest name it offers
// of those the format is read from; "" when it offers none of them.
std::string ReadOutside(ui::TSystemClipboard& desktop, UINT format, bool& found) {
  found = false;
  const std::vector<std::string> offered = OutsideTargets(desktop);
  for (const std::string& target : ui::TargetsOfFormat(format)) {
    if (std::find(offered.begin(), offered.end(), target) == offered.end()) continue;
    ui::TClipboardRead read = desktop.Read(target);
    if (!read.Ok) throw EClipboardException(cp1253::FromUtf8(read.Error));
    found = true;
    if (ui::IsLatin1Target(target)) return ui::Latin1ToUtf8(read.Bytes);
    return std::move(read.Bytes);
  }
  return {};
}

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

UINT RegisterWindowMessage(const AnsiString& name) { return RegisterClipboardFormat(name); }

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
    Publish();
    NotifyViewers();
  }
}

void TClipboard::Changed() {
  if (Desktop()) {
    ours_ = true;
  } else {
    // What the system shows after our write (its line ends and characters
    // may differ from ours): a later difference means another program
    // wrote.
    ourText_ = SystemText();
    haveText_ = true;
  }
  if (openCount_ > 0) {
    changedWhileOpen_ = true;
  } else {
    Publish();
    NotifyViewers();
  }
}

void TClipboard::Publish() {
  ui::TSystemClipboard* desktop = Desktop();
  if (!desktop || !ours_) return;
  auto offer = std::make_shared<ui::TClipboardOffer>();
  if (!text_.empty()) ui::AddToOffer(*offer, CF_TEXT, text_);
  for (const Block& b : blocks_) ui::AddToOffer(*offer, b.Format, b.Bytes);
  desktop->Offer(std::move(offer));
}

bool TClipboard::ReadsOutside() {
  CheckOwnership();
  return Desktop() && !ours_;
}

void TClipboard::CheckOwnership() {
  if (ui::TSystemClipboard* desktop = Desktop()) {
    // Changes held back until Close are still the program's own.
    if (ours_ && openCount_ == 0 && !desktop->Owned()) {
      blocks_.clear();
      text_.clear();
      ours_ = false;
    }
    return;
  }
  if (!haveText_) return;
  if (SystemText() != ourText_) {
    blocks_.clear();
    haveText_ = false;
  }
}

void TClipboard::Clear() {
  blocks_.clear();
  if (Desktop())
    text_.clear();
  else
    SetSystemText({});
  Changed();
}

bool TClipboard::HasFormat(UINT format) {
  if (ReadsOutside()) {
    const std::vector<std::string> offered = OutsideTargets(*Desktop());
    for (const std::string& target : ui::TargetsOfFormat(format))
      if (std::find(offered.begin(), offered.end(), target) != offered.end()) return true;
    return false;
  }
  if (IsText(format)) return Desktop() ? !text_.empty() : !SystemText().empty();
  return std::any_of(blocks_.begin(), blocks_.end(), [format](const Block& b) { return b.Format == format; });
}

int TClipboard::FormatCount() {
  if (ReadsOutside()) return static_cast<int>(OutsideFormats(*Desktop()).size());
  const bool text = Desktop() ? !text_.empty() : !SystemText().empty();
  return static_cast<int>(blocks_.size()) + (text ? 1 : 0);
}

UINT TClipboard::Formats(int index) {
  if (ReadsOutside()) {
    const std::vector<UINT> formats = OutsideFormats(*Desktop());
    if (index < 0 || index >= static_cast<int>(formats.size()))
      throw EListError(Format("List index out of bounds (%d)", {index}));
    return formats[static_cast<size_t>(index)];
  }
  if (Desktop() ? !text_.empty() : !SystemText().empty()) {
    if (index == 0) return CF_TEXT;
    --index;
  }
  if (index < 0 || index >= static_cast<int>(blocks_.size()))
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return blocks_[static_cast<size_t>(index)].Format;
}

AnsiString TClipboard::AsText() {
  if (ReadsOutside()) {
    bool found = false;
    const std::string utf8 = ReadOutside(*Desktop(), CF_TEXT, found);
    return ui::ClipboardTextFromSystem(TextOfBlock(utf8));
  }
  return Desktop() ? text_ : SystemText();
}

void TClipboard::SetAsText(const AnsiString& text) {
  Open();
  blocks_.clear();
  if (Desktop())
    text_ = text;
  else
    SetSystemText(text);
  Changed();
  Close();
}

void TClipboard::SetAsHandle(UINT format, std::string_view bytes) {
  CheckOwnership();
  if (IsText(format)) {
    const AnsiString text(TextOfBlock(bytes));
    if (Desktop())
      text_ = text;
    else
      SetSystemText(text);
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
  if (IsText(format)) return AsText();
  if (ReadsOutside()) {
    bool found = false;
    return ReadOutside(*Desktop(), format, found);
  }
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

UINT RegisteredClipboardFormat(const AnsiString& name) {
  const Registry& r = Formats();
  const auto it = r.byUpperName.find(AnsiUpperCase(name));
  return it == r.byUpperName.end() ? 0 : it->second;
}

void ResetClipboard() {
  *Clipboard() = TClipboard();
  Viewers().clear();
  DetachedText().clear();
}

void AddToOffer(TClipboardOffer& offer, UINT format, std::string_view bytes) {
  if (format == CF_TEXT) {
    const std::string utf8 = ClipboardTextToSystem(AnsiString(TextOfBlock(bytes)));
    for (const std::string& target : TargetsOfFormat(CF_TEXT))
      if (!offer.Find(target))
        offer.Targets.emplace_back(target, IsLatin1Target(target) ? Utf8ToLatin1(utf8) : utf8);
    return;
  }
  if (IsTextLike(format)) bytes = TextOfBlock(bytes);
  for (const std::string& target : TargetsOfFormat(format))
    if (!offer.Find(target)) offer.Targets.emplace_back(target, std::string(bytes));
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
