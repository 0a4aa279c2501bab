#pragma once
// The desktop's clipboard in many formats, as a backend that has one
// offers it: the program puts its blocks there under the names other
// programs know (MIME types and the display's own text names), and reads
// what another program put there in the richest form the caller wants.
// The names and the readers of outside answers live here, free of any
// display, so that they can be tested and fuzzed alone.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gfx/Types.h"
#include "platform/rtl/System.h"
#include "platform/ui/Windows.h"

namespace ui {

// What the program offers: each name with its bytes, richest first.
struct TClipboardOffer {
  std::vector<std::pair<std::string, std::string>> Targets;
  const std::string* Find(std::string_view name) const;
};

// The names another program offers, or why they could not be had.
struct TClipboardTargets {
  bool Ok = false;
  std::vector<std::string> Names;
  std::string Error;
};

// The outcome of reading another program's clipboard.
struct TClipboardRead {
  bool Ok = false;
  std::string Bytes;
  // Why nothing was read, for the person: no answer in time, an answer of
  // another type, more than the bound.
  std::string Error;
};

class TSystemClipboard {
 public:
  virtual ~TSystemClipboard() = default;
  // Takes the clipboard for the program with Offer (replacing what it
  // offered before); false when the display refused it.
  virtual bool Offer(std::shared_ptr<const TClipboardOffer> offer) = 0;
  // Whether the clipboard is still the program's own.
  virtual bool Owned() = 0;
  // The names another program offers now; none, and Ok, when nobody
  // holds the clipboard. An owner that did not answer in time is not asked
  // again for a while, so that a dead one does not stall every question.
  virtual TClipboardTargets Targets() = 0;
  // The bytes of one name from another program.
  virtual TClipboardRead Read(const std::string& target) = 0;

  // How long an answer may take, and how much it may hold.
  std::chrono::milliseconds Timeout{3000};
  std::size_t MaxBytes = 64u << 20;
};

// The names a format goes out under, richest first: text as UTF-8 (and
// Latin-1 "STRING" for old programs), rich text, pictures; any other
// registered format under a private name that only this program reads.
// Reading a format takes the first of these that another program offers.
std::vector<std::string> TargetsOfFormat(UINT format);
// The format that a name offered by another program is read as; 0 for
// names the program has no use for.
UINT FormatOfTarget(std::string_view target);
// Whether the bytes of Target are text in the display's Latin-1
// ("STRING") rather than UTF-8.
bool IsLatin1Target(std::string_view target);
// Whether a reply of type Type is a sound answer to a request for Target
// (text may come under any of the text types).
bool AnswerTypeFits(std::string_view target, std::string_view type);

// Text in the display's Latin-1 and in UTF-8; characters Latin-1 lacks
// become "?".
std::string Latin1ToUtf8(std::string_view latin1);
std::string Utf8ToLatin1(std::string_view utf8);

// The atoms of a TARGETS reply: 32-bit items, which the display's library
// hands over as longs (ItemSize bytes each). Zero atoms and a trailing
// part of an item are dropped; at most MaxItems are kept.
std::vector<std::uint32_t> ReadTargetsReply(std::string_view bytes, int format, std::size_t itemSize,
                                            std::size_t maxItems = 4096);

// The local files of a text/uri-list: CR LF (or LF) separated, comments
// dropped, "file:" URIs only, percent escapes decoded. A line that is not
// a whole, sound file URI is left out, never cut short.
std::vector<std::string> ReadUriList(std::string_view list);

}  // namespace ui

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;

namespace ui {

struct TClipboardOffer;

// The desktop's side of a drag that leaves the program, as a backend that
// can carry one gives it. Status comes from the other program while the
// drag goes on, so Move answers what it said last.
class TDesktopDrag {
 public:
  virtual ~TDesktopDrag() = default;
  // Offers Offer to other programs for the drag about to leave.
  virtual void Begin(std::shared_ptr<const TClipboardOffer> offer) = 0;
  // The pointer is at Screen, outside the program's windows: the program
  // under it hears of the drag, asked for Wanted. The effect it last
  // answered (DROPEFFECT_NONE: refused, or none that takes drops).
  virtual DWORD Move(TPoint screen, DWORD wanted) = 0;
  // The pointer came back, or the drag was cancelled.
  virtual void Leave() = 0;
  // Drops where the pointer last was: the effect the other program took,
  // DROPEFFECT_NONE when it refused or did not finish in time.
  virtual DWORD Drop() = 0;
  // The drag ended: the offer is withdrawn.
  virtual void End() = 0;
};

}  // namespace ui
