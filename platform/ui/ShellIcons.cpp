// Icons by name through the theme folders, following the freedesktop icon
// lookup: the desktop's theme, then the themes it inherits, then hicolor;
// in each, the size folders of index.theme, an exact size before the
// nearest one; within a name, the name with its last dash-part dropped, as
// "application-pdf" falls back to "application". Only PNG pictures are
// read: every theme of the desktop ships its fixed sizes as PNG.

#include "platform/ui/ShellIcons.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/gfx/Bitmap.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"

namespace shell {

namespace {

// A picture file of a theme larger than this is no icon.
constexpr Int64 kMaxIconFile = 4 << 20;
// Themes inherit each other at most this deep (a cycle stops there).
constexpr int kMaxInheritance = 8;

// The names to try for an icon, best first.
using Names = std::vector<std::string>;

const Names kStock[] = {
    {"application-x-generic", "text-x-generic", "unknown"},  // 0 a file of no known type
    {"x-office-document", "text-x-generic"},                 // 1
    {"application-x-executable", "application-x-generic"},   // 2
    {"folder", "inode-directory"},                           // 3
    {"folder-open", "folder"},                               // 4
    {"media-floppy", "media-removable"},                     // 5 the 5¼" drive
    {"media-floppy", "media-removable"},                     // 6
    {"drive-removable-media", "media-removable"},            // 7
    {"drive-harddisk"},                                      // 8
    {"folder-remote", "network-server"},                     // 9
    {"network-offline", "folder-remote"},                    // 10
    {"media-optical", "drive-optical"},                      // 11
    {"drive-harddisk"},                                      // 12 the RAM disk
    {"network-workgroup", "network-server"},                 // 13
    {"network-server"},                                      // 14
    {"computer"},                                            // 15
    {"printer"},                                             // 16
};

// File types by extension, as the desktop names their icons.
struct TypeIcon {
  const char* Extensions;  // each between blanks
  Names Icons;
};
const TypeIcon kTypes[] = {
    {" pdf ", {"application-pdf", "x-office-document"}},
    {" doc docx odt rtf wri dot dotx ", {"x-office-document"}},
    {" xls xlsx ods csv xlt ", {"x-office-spreadsheet"}},
    {" ppt pptx odp pps ", {"x-office-presentation"}},
    {" txt log ini cfg ", {"text-x-generic"}},
    {" htm html ", {"text-html", "text-x-generic"}},
    {" xml ", {"text-xml", "text-x-generic"}},
    {" bat cmd sh py ", {"text-x-script", "text-x-generic"}},
    {" jpg jpeg png bmp gif ico tif tiff wmf emf svg ", {"image-x-generic"}},
    {" zip rar 7z gz tgz tar bz2 xz cab ", {"package-x-generic"}},
    {" exe com msi ", {"application-x-executable"}},
    {" dll so ", {"application-x-sharedlib", "application-x-executable"}},
    {" mp3 wav ogg wma flac mid ", {"audio-x-generic"}},
    {" avi mp4 mkv mpg mpeg wmv mov ", {"video-x-generic"}},
    {" ttf otf fon ", {"font-x-generic"}},
};

struct SizeFolder {
  std::string Path;  // under the theme folder
  int Size = 0, MinSize = 0, MaxSize = 0, Threshold = 2;
  enum { Fixed, Scalable, Threshold_ } Kind = Threshold_;
  bool Matches(int side) const {
    switch (Kind) {
      case Fixed:
        return side == Size;
      case Scalable:
        return side >= MinSize && side <= MaxSize;
      default:
        return side >= Size - Threshold && side <= Size + Threshold;
    }
  }
  int Distance(int side) const {
    switch (Kind) {
      case Fixed:
        return std::abs(Size - side);
      case Scalable:
        return side < MinSize ? MinSize - side : side > MaxSize ? side - MaxSize : 0;
      default:
        return side < Size - Threshold   ? Size - Threshold - side
               : side > Size + Threshold ? side - Size - Threshold
                                         : 0;
    }
  }
};

struct Theme {
  std::string Folder;  // where its index.theme was found
  std::vector<SizeFolder> Sizes;
  std::vector<std::string> Inherits;
};

int IntOr(const AnsiString& text, int otherwise) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && v >= 0 && v <= 4096 ? static_cast<int>(v) : otherwise;
}

std::vector<std::string> Split(const AnsiString& list) {
  std::vector<std::string> out;
  size_t from = 0;
  while (from <= list.size()) {
    size_t comma = list.find(',', from);
    if (comma == AnsiString::npos) comma = list.size();
    std::string piece(Trim(list.substr(from, comma - from)).c_str());
    if (!piece.empty()) out.push_back(piece);
    from = comma + 1;
  }
  return out;
}

class IconThemes {
 public:
  IconThemes() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    for (size_t from = 0; from <= list.size();) {
      size_t colon = list.find(':', from);
      if (colon == std::string::npos) colon = list.size();
      if (colon > from) folders_.push_back(list.substr(from, colon - from) + "/icons");
      from = colon + 1;
    }
  }

  void Set(std::vector<std::string> folders, const std::string& theme) {
    folders_ = std::move(folders);
    theme_ = theme;
    themes_.clear();
    pictures_.clear();
  }

  int IndexOfType(const Names& icons) {
    for (size_t i = 0; i < types_.size(); ++i)
      if (types_[i] == icons) return static_cast<int>(std::size(kStock) + i);
    types_.push_back(icons);
    return static_cast<int>(std::size(kStock) + types_.size() - 1);
  }

  int Count() const { return static_cast<int>(std::size(kStock) + types_.size()); }

  const TPixelBlock& Picture(int index, int side) {
    static const TPixelBlock none;
    if (index < 0 || index >= Count() || side <= 0) return none;
    const auto key = std::make_pair(index, side);
    if (auto it = pictures_.find(key); it != pictures_.end()) return it->second;
    const Names& names =
        index < static_cast<int>(std::size(kStock)) ? kStock[index] : types_[index - std::size(kStock)];
    TPixelBlock found;
    for (const std::string& name : names)
      if (Lookup(name, side, found)) break;
    return pictures_[key] = std::move(found);
  }

 private:
  const Theme* ThemeNamed(const std::string& name) {
    if (auto it = themes_.find(name); it != themes_.end()) return it->second ? &*it->second : nullptr;
    std::optional<Theme>& slot = themes_[name];
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return nullptr;
    for (const std::string& folder : folders_) {
      const std::string index = folder + "/" + name + "/index.theme";
      if (!FileExists(index)) continue;
      std::string bytes;
      try {
        bytes = ReadWholeFile(index, kMaxIconFile);
      } catch (const std::exception&) {
        continue;
      }
      Theme theme;
      theme.Folder = folder + "/" + name;
      std::map<std::string, SizeFolder> sections;
      std::vector<std::string> order;
      std::string section;
      for (const inifile::Line& line : inifile::Parse(bytes)) {
        if (line.kind == inifile::Line::Section) {
          section = line.name.c_str();
          continue;
        }
        if (line.kind != inifile::Line::Value) continue;
        const std::string key = line.name.c_str();
        if (section == "Icon Theme") {
          if (key == "Directories") order = Split(line.value);
          if (key == "Inherits") theme.Inherits = Split(line.value);
          continue;
        }
        SizeFolder& f = sections[section];
        if (key == "Size") f.Size = IntOr(line.value, 0);
        if (key == "MinSize") f.MinSize = IntOr(line.value, 0);
        if (key == "MaxSize") f.MaxSize = IntOr(line.value, 0);
        if (key == "Threshold") f.Threshold = IntOr(line.value, 2);
        if (key == "Type")
          f.Kind = line.value == "Fixed"      ? SizeFolder::Fixed
                   : line.value == "Scalable" ? SizeFolder::Scalable
                                              : SizeFolder::Threshold_;
      }
      for (const std::string& dir : order) {
        auto it = sections.find(dir);
        if (it == sections.end() || it->second.Size <= 0 || dir.find("..") != std::string::npos) continue;
        SizeFolder f = it->second;
        f.Path = dir;
        if (f.MinSize == 0) f.MinSize = f.Size;
        if (f.MaxSize == 0) f.MaxSize = f.Size;
        theme.Sizes.push_back(std::move(f));
      }
      slot = std::move(theme);
      return &*slot;
    }
    return nullptr;
  }

  // The themes in the order they are searched.
  std::vector<const Theme*> Chain() {
    std::vector<const Theme*> out;
    std::set<std::string> seen;
    std::vector<std::pair<std::string, int>> next{{theme_, 0}};
    for (size_t i = 0; i < next.size(); ++i) {
      const auto [name, depth] = next[i];
      if (!seen.insert(name).second || depth > kMaxInheritance) continue;
      const Theme* theme = ThemeNamed(name);
      if (!theme) continue;
      out.push_back(theme);
      for (const std::string& parent : theme->Inherits) next.push_back({parent, depth + 1});
    }
    if (!seen.count("hicolor"))
      if (const Theme* hicolor = ThemeNamed("hicolor")) out.push_back(hicolor);
    return out;
  }

  bool Read(const std::string& path, TPixelBlock& out) const {
    if (!FileExists(path)) return false;
    try {
      out = gfx::DecodePng(ReadWholeFile(path, kMaxIconFile), "Icon image is not valid");
      return out.Width > 0 && out.Height > 0;
    } catch (const std::exception&) {
      return false;
    }
  }

  bool InTheme(const Theme& theme, const std::string& name, int side, TPixelBlock& out) const {
    for (const SizeFolder& f : theme.Sizes)
      if (f.Matches(side) && Read(theme.Folder + "/" + f.Path + "/" + name + ".png", out)) return true;
    // No folder of the size: the nearest one that has the icon.
    std::vector<const SizeFolder*> byDistance;
    for (const SizeFolder& f : theme.Sizes) byDistance.push_back(&f);
    std::stable_sort(byDistance.begin(), byDistance.end(), [side](const SizeFolder* a, const SizeFolder* b) {
      return a->Distance(side) < b->Distance(side);
    });
    for (const SizeFolder* f : byDistance)
      if (Read(theme.Folder + "/" + f->Path + "/" + name + ".png", out)) return true;
    return false;
  }

  bool Lookup(std::string name, int side, TPixelBlock& out) {
    const std::vector<const Theme*> chain = Chain();
    while (!name.empty()) {
      if (name.find('/') != std::string::npos) return false;
      for (const Theme* theme : chain)
        if (InTheme(*theme, name, side, out)) return true;
      const size_t dash = name.rfind('-');
      if (dash == std::string::npos) break;
      name.resize(dash);
    }
    return false;
  }

  std::vector<std::string> folders_;
  std::string theme_ = "Adwaita";
  std::map<std::string, std::optional<Theme>> themes_;
  std::vector<Names> types_;
  std::map<std::pair<int, int>, TPixelBlock> pictures_;
};

IconThemes& Themes() {
  static IconThemes themes;
  return themes;
}

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

int SystemIconIndex(const AnsiString& fileName) {
  if (!fileName.empty() && DirectoryExists(fileName)) return siFolder;
  const AnsiString ext = LowerCase(ExtractFileExt(fileName));
  if (ext.size() < 2) return siUnknown;
  const AnsiString word = " " + ext.substr(1) + " ";
  for (const TypeIcon& type : kTypes)
    if (std::string(type.Extensions).find(word.c_str()) != std::string::npos) {
      std::lock_guard<std::mutex> hold(Lock());
      return Themes().IndexOfType(type.Icons);
    }
  return siUnknown;
}

int SystemIconCount() {
  std::lock_guard<std::mutex> hold(Lock());
  return Themes().Count();
}

const TPixelBlock& SystemIcon(int Index, int Side) {
  std::lock_guard<std::mutex> hold(Lock());
  return Themes().Picture(Index, Side);
}

void SetIconThemes(std::vector<std::string> Folders, const std::string& Theme) {
  std::lock_guard<std::mutex> hold(Lock());
  Themes().Set(std::move(Folders), Theme);
}

}  // namespace shell
