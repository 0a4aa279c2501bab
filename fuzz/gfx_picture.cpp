// LIBS: grid_controls
// Pictures by content and the frames of animated GIFs: any bytes give a
// picture or the decoder's message, for every frame asked for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/PictureContainer.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    GraphicFromBytes(bytes);
  } catch (const Exception&) {
  }
  THTMLPicture picture;
  TStringStream stream{bytes};
  try {
    picture.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  const int frames = picture.FrameCount();
  TRecordingCanvas canvas(64, 64);
  for (int frame = 1; frame <= std::min(frames, 4) + 1; ++frame) {
    try {
      picture.SetFrame(frame);
    } catch (const Exception&) {
    }
    picture.Draw(canvas, {0, 0, 10, 10});
  }
  return 0;
}
