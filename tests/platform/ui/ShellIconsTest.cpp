// The system image list from the desktop's icon theme: stock numbers, file
// types by extension, themes that inherit others, sizes picked as the icon
// lookup picks them. The installed theme is the program's own resource.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ShellIcons.h"
#include "tests/TestOutput.h"

namespace {

const std::string kIcons = "/usr/share/icons";

class ShellIconsTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIcons + "/Adwaita/index.theme"))
      FAIL() << "the icon theme package adwaita-icon-theme is not installed";
    shell::SetIconThemes({kIcons}, "Adwaita");
  }
  void TearDown() override { shell::SetIconThemes({kIcons}, "Adwaita"); }
  static TPixelBlock Installed(const std::string& path) {
    return gfx::DecodePng(ReadWholeFile(path), "not a picture");
  }
};

TEST_F(ShellIconsTest, FilesAreNumberedByTheirType) {
  const std::filesystem::path folder = TestOutputFolder() / "shell_icons_folder";
  std::filesystem::create_directories(folder);
  struct Case {
    const char* name;
    int same;  // the case whose number it shares, or -1
  };
  const Case cases[] = {
      {"offer.pdf", -1}, {"OFFER.PDF", 0},  {"budget.xls", -1}, {"budget.ods", 2},
      {"note.txt", -1},  {"photo.jpg", -1}, {"scan.PNG", 5},    {"letter.doc", -1},
  };
  std::vector<int> numbers;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const int n = shell::SystemIconIndex(k.name);
    EXPECT_GT(n, shell::siPrinter);  // after the stock icons
    EXPECT_LT(n, shell::SystemIconCount());
    if (k.same >= 0) {
      EXPECT_EQ(n, numbers[static_cast<size_t>(k.same)]);
    }
    for (size_t i = 0; k.same < 0 && i < numbers.size(); ++i) EXPECT_NE(n, numbers[i]) << cases[i].name;
    numbers.push_back(n);
  }
  EXPECT_EQ(shell::SystemIconIndex(folder.string()), shell::siFolder);
  // A name with no extension, or one no type has, is a file of no known type.
  for (const char* unknown : {"README", "data.qqq", "", "dir.d/"})
    EXPECT_EQ(shell::SystemIconIndex(unknown), shell::siUnknown) << unknown;
}

TEST_F(ShellIconsTest, PicturesComeFromTheThemeAtTheirSize) {
  struct Case {
    int index, side;
    const char* installed;
  };
  const Case cases[] = {
      {shell::siFolder, 16, "Adwaita/16x16/places/folder.png"},
      {shell::siFolder, 32, "Adwaita/32x32/places/folder.png"},
      {shell::siFolderOpen, 16, "Adwaita/16x16/places/folder-open.png"},
      {shell::siHardDisk, 32, "Adwaita/32x32/devices/drive-harddisk.png"},
      {shell::siComputer, 16, "Adwaita/16x16/devices/computer.png"},
      {shell::SystemIconIndex("a.pdf"), 16, "Adwaita/16x16/mimetypes/x-office-document.png"},
      {shell::SystemIconIndex("a.xlsx"), 32, "Adwaita/32x32/mimetypes/x-office-spreadsheet.png"},
      {shell::SystemIconIndex("a.zip"), 16, "Adwaita/16x16/mimetypes/package-x-generic.png"},
      {shell::siUnknown, 16, "Adwaita/16x16/mimetypes/application-x-generic.png"},
      // No folder of 20: the nearest size, 22 before 16 and 24.
      {shell::siFolder, 20, "Adwaita/22x22/places/folder.png"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.installed);
    const TPixelBlock& got = shell::SystemIcon(k.index, k.side);
    const TPixelBlock want = Installed(kIcons + "/" + k.installed);
    EXPECT_EQ(got.Width, want.Width);
    EXPECT_EQ(got.Pixels, want.Pixels);
  }
  EXPECT_EQ(shell::SystemIcon(-1, 16).Width, 0);
  EXPECT_EQ(shell::SystemIcon(shell::SystemIconCount(), 16).Width, 0);
}

TEST_F(ShellIconsTest, AThemeInheritsAndFallsBackToHicolor) {
  // A theme of our own with its own folder icon, inheriting the installed
  // one (and itself, which must not loop).
  const std::filesystem::path root = TestOutputFolder() / "shell_icon_themes";
  std::filesystem::create_directories(root / "Mine" / "16x16" / "places");
  std::ofstream(root / "Mine" / "index.theme")
      << "[Icon Theme]\nName=Mine\nInherits=Mine,Adwaita\nDirectories=16x16/places,../escape\n\n"
         "[16x16/places]\nSize=16\nType=Fixed\n";
  TImageCanvas red(16, 16);
  red.Brush->Color = clRed;
  red.FillRect(Rect(0, 0, 16, 16));
  red.SaveToPng((root / "Mine" / "16x16" / "places" / "folder.png").string());
  shell::SetIconThemes({root.string(), kIcons}, "Mine");
  EXPECT_EQ(shell::SystemIcon(shell::siFolder, 16).At(8, 8) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shell::SystemIcon(shell::siComputer, 16).Pixels,
            Installed(kIcons + "/Adwaita/16x16/devices/computer.png").Pixels);
  // A theme that is not there: hicolor alone, which has no folder icon.
  shell::SetIconThemes({kIcons}, "NoSuchTheme");
  EXPECT_EQ(shell::SystemIcon(shell::siFolder, 16).Width, 0);
  // A theme name that would leave the icon folders is no theme.
  shell::SetIconThemes({root.string() + "/Mine/16x16"}, "../../Mine");
  EXPECT_EQ(shell::SystemIcon(shell::siFolder, 16).Width, 0);
}

}  // namespace
