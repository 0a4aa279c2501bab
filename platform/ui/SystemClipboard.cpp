#include "platform/ui/SystemClipboard.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/Clipbrd.h"

namespace ui {

namespace {

// Other programs never read these; two running copies of this program
// hand each other their own blocks under them.
constexpr std::string_view kPrivatePrefix = "application/x-dimoprasia-clipboard;format=";
constexpr std::string_view kMetafileName = "Enhanced Metafile";

const std::vector<std::string>& TextTargets() {
  static const std::vector<std::string> names = {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
                                                 "STRING", "TEXT"};
  return names;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsTextTarget(std::string_view target) {
  const auto& names = TextTargets();
  return std::find(names.begin(), names.end(), target) != names.end();
}

bool IsRtfTarget(std::string_view target) { return target == "text/rtf" || target == "application/rtf"; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of one file URI, or "" when the line is not a whole, sound one.
std::string FilePathOfUri(std::string_view uri) {
  if (!StartsWith(uri, "file:")) return {};
  std::string_view rest = uri.substr(5);
  if (StartsWith(rest, "//")) {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view host = rest.substr(0, slash);
    // Files of another machine cannot be opened here.
    if (!host.empty() && host != "localhost") return {};
    rest.remove_prefix(slash);
  }
  if (rest.empty() || rest.front() != '/') return {};
  std::string path;
  path.reserve(rest.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%') {
      if (i + 2 >= rest.size()) return {};
      const int high = HexDigit(rest[i + 1]), low = HexDigit(rest[i + 2]);
      if (high < 0 || low < 0) return {};
      c = static_cast<char>(high * 16 + low);
      i += 2;
    } else if (static_cast<unsigned char>(c) <= ' ') {
      // Blanks and controls come escaped in a sound list.
      return {};
    }
    if (c == '\0') return {};
    path += c;
  }
  return path;
}

}  // namespace

const std::string* TClipboardOffer::Find(std::string_view name) const {
  for (const auto& [target, bytes] : Targets)
    if (target == name) return &bytes;
  return nullptr;
}

std::vector<std::string> TargetsOfFormat(UINT format) {
  if (format == CF_TEXT || format == CF_UNICODETEXT) return TextTargets();
  if (format == CF_BITMAP) return {"image/bmp"};
  if (format == CF_ENHMETAFILE) return {std::string(kPrivatePrefix).append(kMetafileName)};
  const AnsiString name = GetClipboardFormatName(format);
  if (name.empty()) return {};
  if (SameText(name, "Rich Text Format")) return {"text/rtf", "application/rtf"};
  if (SameText(name, "PNG")) return {"image/png"};
  return {std::string(kPrivatePrefix).append(name)};
}

UINT FormatOfTarget(std::string_view target) {
  if (IsTextTarget(target)) return CF_TEXT;
  if (target == "image/bmp") return CF_BITMAP;
  if (IsRtfTarget(target)) return RegisterClipboardFormat("Rich Text Format");
  if (target == "image/png") return RegisterClipboardFormat("PNG");
  if (!StartsWith(target, kPrivatePrefix)) return 0;
  const std::string_view name = target.substr(kPrivatePrefix.size());
  if (name == kMetafileName) return CF_ENHMETAFILE;
  // Only formats this program knows itself: an outside list of names never
  // grows the registry.
  return RegisteredClipboardFormat(AnsiString(name));
}

bool IsLatin1Target(std::string_view target) { return target == "STRING"; }

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (char c : latin1) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (b >> 6));
      utf8 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return utf8;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      latin1 += static_cast<char>(lead);
      ++i;
      continue;
    }
    size_t length = (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
    char32_t cp = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length > 1 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = cp << 6 | (next & 0x3F);
    }
    latin1 += valid && cp < 0x100 ? static_cast<char>(cp) : '?';
    i += valid ? length : 1;
  }
  return latin1;
}

bool AnswerTypeFits(std::string_view target, std::string_view type) {
  if (IsTextTarget(target))
    return type == "UTF8_STRING" || type == "STRING" || type == "TEXT" || StartsWith(type, "text/plain");
  if (IsRtfTarget(target)) return IsRtfTarget(type);
  return type == target;
}

std::vector<std::uint32_t> ReadTargetsReply(std::string_view bytes, int format, std::size_t itemSize,
                                            std::size_t maxItems) {
  std::vector<std::uint32_t> atoms;
  if (format != 32 || (itemSize != 4 && itemSize != 8)) return atoms;
  for (size_t at = 0; at + itemSize <= bytes.size() && atoms.size() < maxItems; at += itemSize) {
    std::uint64_t item = 0;
    if (itemSize == 8) {
      std::memcpy(&item, bytes.data() + at, 8);
    } else {
      std::uint32_t small = 0;
      std::memcpy(&small, bytes.data() + at, 4);
      item = small;
    }
    // Atoms are 29-bit numbers; anything else is no atom.
    const auto atom = static_cast<std::uint32_t>(item);
    if (atom == 0 || atom >= (1u << 29) || item >> 32 != 0) continue;
    if (std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) atoms.push_back(atom);
  }
  return atoms;
}

std::vector<std::string> ReadUriList(std::string_view list) {
  std::vector<std::string> files;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view line = list.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::string path = FilePathOfUri(line);
    if (!path.empty()) files.push_back(std::move(path));
  }
  return files;
}

}  // namespace ui
