#pragma once
// Writes small GIF files through giflib for tests and benchmarks: frames
// with their own position, colours, control block and interlacing.

#include <gif_lib.h>

#include <string>
#include <vector>

namespace giftest {

struct Frame {
  Frame() = default;
  Frame(int left, int top, int width, int height, std::vector<unsigned char> indices = {})
      : Left(left), Top(top), Width(width), Height(height), Indices(std::move(indices)) {}
  int Left = 0, Top = 0, Width = 1, Height = 1;
  std::vector<unsigned char> Indices;  // Width × Height, empty: all index 1
  bool Control = true;                 // preceded by a graphic control block
  int Transparent = -1;
  bool Interlace = false;
  std::vector<GifColorType> LocalColours;  // empty: the global table
};

inline int WriteToString(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
  return length;
}

// The global table: black, red, green, blue.
inline std::string MakeGif(int screenWidth, int screenHeight, const std::vector<Frame>& frames) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToString, &error);
  GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* global = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, screenWidth, screenHeight, 2, 0, global);
  for (const Frame& f : frames) {
    if (f.Control) {
      GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 10, f.Transparent};
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    ColorMapObject* local = nullptr;
    if (!f.LocalColours.empty())
      local = GifMakeMapObject(static_cast<int>(f.LocalColours.size()), f.LocalColours.data());
    EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, f.Interlace, local);
    std::vector<GifPixelType> pixels =
        f.Indices.empty() ? std::vector<GifPixelType>(static_cast<size_t>(f.Width) * f.Height, 1) : f.Indices;
    std::vector<int> rows;
    if (f.Interlace) {
      const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < f.Height; y += step[pass]) rows.push_back(y);
    } else {
      for (int y = 0; y < f.Height; ++y) rows.push_back(y);
    }
    for (int y : rows) EGifPutLine(gif, pixels.data() + static_cast<size_t>(y) * f.Width, f.Width);
    if (local) GifFreeMapObject(local);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(global);
  return out;
}

}  // namespace giftest
