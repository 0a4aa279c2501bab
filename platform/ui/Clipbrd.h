#pragma once
// The clipboard: what the program copies goes to the system clipboard
// (through the backend), so other programs see it. Where the backend has a
// clipboard of many formats (the screen on X), every block goes there under
// the names other programs know: text, rich text, pictures, and the grid's
// own cells under a private name that another running copy reads. Where it
// has text alone, the other blocks stay inside the program. When another
// program puts something on the system clipboard, the program's own blocks
// are stale and are dropped; what the other program offers is read on
// demand, in the form the caller asks for.
//
// Windows that want to hear about changes join the viewer chain as they
// would on the system: SetClipboardViewer, WM_DRAWCLIPBOARD passed on to
// the next viewer, WM_CHANGECBCHAIN and ChangeClipboardChain.

#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/ui/Messages.h"

// Another program's clipboard could not be read: it did not answer in
// time, answered with something else than asked for, or with too much.
DIM_EXCEPTION(EClipboardException, Exception)

// Standard formats, with the system's numbers.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;

constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
constexpr UINT WM_CHANGECBCHAIN = 0x030D;

// The number of the format called Name, the same for every call with that
// name, ignoring case (numbers start at 0xC000). 0 for an empty name.
UINT RegisterClipboardFormat(const AnsiString& name);
// The name a registered format was given; "" for standard and unknown ones.
AnsiString GetClipboardFormatName(UINT format);

// The viewer chain. SetClipboardViewer puts Wnd first, sends it
// WM_DRAWCLIPBOARD and gives the viewer that was first before (or nullptr):
// each viewer passes the messages it gets on to that one.
HWND SetClipboardViewer(HWND wnd);
// Takes Remove out of the chain: the first viewer gets WM_CHANGECBCHAIN
// (wParam Remove, lParam Next) and passes it along until Remove's
// predecessor learns its new next viewer.
BOOL ChangeClipboardChain(HWND remove, HWND next);
HWND GetClipboardViewer();

class TClipboard {
 public:
  // Open and Close nest; everything changed between the outermost pair is
  // one change, which the viewers hear about at the outermost Close.
  void Open();
  void Close();
  // Empties the clipboard, the system's text included.
  void Clear();

  bool HasFormat(UINT format);
  // Formats on the clipboard now, text first when there is any.
  int FormatCount();
  UINT Formats(int index);

  // Reading what another program put there raises EClipboardException
  // when it does not answer soundly; nothing is then handed on. Asking
  // what it holds (HasFormat, FormatCount, Formats) raises it too when it
  // does not say, so that a paste from it tells why nothing came.

  // Text in 1253 with CR LF line ends. Setting it replaces everything on
  // the clipboard, as a new copy does.
  AnsiString AsText();
  void SetAsText(const AnsiString& text);
  void SetTextBuf(const char* buffer) { SetAsText(buffer ? AnsiString(buffer) : AnsiString()); }

  // A block of bytes under Format: added to what is on the clipboard, or
  // put in place of that format's block, so that the grid's text, cells and
  // rich text stand side by side. CF_TEXT here is the text itself.
  void SetAsHandle(UINT format, std::string_view bytes);
  // The block under Format; "" when the clipboard has none.
  std::string GetAsHandle(UINT format);

 private:
  struct Block {
    UINT Format;
    std::string Bytes;
  };
  // Drops the program's blocks when the system clipboard is no longer ours.
  void CheckOwnership();
  void Changed();
  // Hands the program's blocks to the system clipboard of many formats.
  void Publish();
  // Whether another program's offer is what reading sees.
  bool ReadsOutside();
  std::vector<Block> blocks_;
  // The text, where the system clipboard holds many formats.
  AnsiString text_;
  // The program holds the clipboard of many formats.
  bool ours_ = false;
  // What the program last put on the system clipboard.
  AnsiString ourText_;
  bool haveText_ = false;
  int openCount_ = 0;
  bool changedWhileOpen_ = false;
};

// The program's clipboard object.
TClipboard* Clipboard();

namespace ui {
// Backends call this when the system clipboard changed outside the
// program: the viewers hear about it.
void ClipboardChangedOutside();
// Empties the clipboard and forgets the viewers (tests start afresh);
// registered formats keep their numbers.
void ResetClipboard();
// The number of a format registered under Name, 0 when none is: unlike
// RegisterClipboardFormat, never registers one.
UINT RegisteredClipboardFormat(const AnsiString& name);

struct TClipboardOffer;
// Adds a block of Format to what the program offers other programs, under
// each name the format goes out as (names already offered keep their
// bytes). CF_TEXT is text in 1253; text-like blocks end at their first NUL.
void AddToOffer(TClipboardOffer& offer, UINT format, std::string_view bytes);

// Clipboard text between the program and the system: 1253 with CR LF
// inside, UTF-8 with LF outside.
std::string ClipboardTextToSystem(const AnsiString& text);
AnsiString ClipboardTextFromSystem(std::string_view utf8);
}  // namespace ui
