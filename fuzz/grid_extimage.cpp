// LIBS: grid_controls platform_backend
// The panel's background picture: any bytes through LoadFromStream either
// show as a picture no side of which passes the limit, or raise one of the
// picture errors and show nothing; either way the bytes are kept, and a
// copy of the image does the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grid/ExtImage.h"
#include "platform/gfx/Gif.h"
#include "platform/gfx/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TExtImage image;
  TStringStream stream{bytes};
  bool failed = false;
  try {
    image.LoadFromStream(stream);
  } catch (const Exception& e) {
    failed = true;
    if (e.Message != TExtImage::kInvalidFormat && e.Message != TExtImage::kNoPicture &&
        e.Message != TExtImage::kAllocFailed)
      std::abort();
  }
  if (image.Data() != bytes || image.Empty()) std::abort();
  if (failed && (image.Width() != 0 || image.Height() != 0)) std::abort();
  if (!failed && (image.Width() <= 0 || image.Height() <= 0 || image.Width() > kMaxPictureSide ||
                  image.Height() > kMaxPictureSide))
    std::abort();
  TRecordingCanvas canvas(64, 64);
  image.Draw(canvas, TRect{0, 0, 32, 32});
  if (failed && !canvas.Calls.empty()) std::abort();
  // A copy takes the bytes and fails or shows as the original does.
  TExtImage copy;
  try {
    copy.Assign(&image);
    if (failed || copy.Width() != image.Width() || copy.Height() != image.Height()) std::abort();
  } catch (const Exception&) {
    if (!failed) std::abort();
  }
  if (copy.Data() != bytes || copy.Empty()) std::abort();
  return 0;
}
