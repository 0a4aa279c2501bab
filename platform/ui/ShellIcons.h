#pragma once
// The system image list: the icons the desktop shows for files, folders
// and devices, numbered as the shell numbers them. The pictures come from
// the desktop's icon theme (the freedesktop layout: a theme folder with its
// index.theme, its size folders and the themes it inherits, hicolor last).
// A file's icon follows its type, known by its extension.

#include <string>
#include <vector>

#include "platform/gfx/Graphics.h"

namespace shell {

// The sides of the small and the large list at 96 dots to the inch.
constexpr int kSmallIconSide = 16, kLargeIconSide = 32;

// The stock icons by the shell's own numbers: 0 a file of no known type,
// 1 a document, 2 a program, 3 and 4 a closed and an open folder, then
// drives, the network, the computer and the printer. The icons of file
// types follow, numbered as they are first asked for.
enum : int {
  siUnknown = 0,
  siDocument = 1,
  siProgram = 2,
  siFolder = 3,
  siFolderOpen = 4,
  siFloppy = 6,
  siRemovable = 7,
  siHardDisk = 8,
  siNetworkDrive = 9,
  siOpticalDrive = 11,
  siComputer = 15,
  siPrinter = 16,
};

// The number of a file's or a folder's icon: a folder that exists as a
// folder, anything else by its extension (whether or not it exists).
int SystemIconIndex(const AnsiString& fileName);
// How many icons the list has so far.
int SystemIconCount();
// The theme's picture for icon Index, its side nearest Side; an empty block
// for a number outside the list or when no theme has the icon.
const TPixelBlock& SystemIcon(int Index, int Side);

// The folders where icon themes are found and the desktop's theme among
// them. By default the data folders of the desktop (XDG_DATA_DIRS, else
// /usr/local/share and /usr/share), each with "icons" appended, and the
// theme "Adwaita". Setting them forgets the pictures read so far.
void SetIconThemes(std::vector<std::string> Folders, const std::string& Theme);

}  // namespace shell
