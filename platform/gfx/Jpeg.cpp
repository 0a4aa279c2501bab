#include "platform/gfx/Jpeg.h"

#include <csetjmp>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

// libjpeg's default handler exits the process; this one jumps back to the
// call, which then raises.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings are not shown, except that a file ending before its picture
// does is refused like any damaged file rather than shown half grey.
void OnMessage(j_common_ptr info, int level) {
  if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message, "%s", "the file ends before the picture does");
    std::longjmp(manager->jump, 1);
  }
}

// The decoding itself, kept free of objects with destructors so that the
// jump back from the error handler skips nothing.
bool Decode(const unsigned char* data, unsigned long size, TPixelBlock* out, bool* grayscale, char* error) {
  jpeg_decompress_struct cinfo;
  ErrorManager manager;
  cinfo.err = jpeg_std_error(&manager.base);
  manager.base.error_exit = OnError;
  manager.base.emit_message = OnMessage;
  manager.message[0] = 0;
  if (setjmp(manager.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(error, JMSG_LENGTH_MAX, "%s", manager.message);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = 256L << 20;
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > 30000 ||
      cinfo.image_height > 30000 ||
      static_cast<long long>(cinfo.image_width) * cinfo.image_height > gfx::kMaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(error, JMSG_LENGTH_MAX, "%s", "image too large");
    return false;
  }
  // Huffman coding spends at least a bit on every block of the first
  // component (a sixteenth of the picture's blocks at the most reduced
  // sampling): fewer bytes than that cannot hold the picture, and are
  // refused before a large picture is decoded from them.
  unsigned long long blocks =
      static_cast<unsigned long long>((cinfo.image_width + 7) / 8) * ((cinfo.image_height + 7) / 8);
  if (!cinfo.arith_code && static_cast<unsigned long long>(size) * 8 * 16 < blocks) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(error, JMSG_LENGTH_MAX, "%s", "the file ends before the picture does");
    return false;
  }
  *grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out->Width = static_cast<int>(cinfo.output_width);
  out->Height = static_cast<int>(cinfo.output_height);
  out->Pixels.assign(static_cast<size_t>(out->Width) * out->Height, 0xFF000000u);
  unsigned char* row = static_cast<unsigned char*>((*cinfo.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 3, 1)[0]);
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = static_cast<int>(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, &row, 1);
    std::uint32_t* line = &out->Pixels[static_cast<size_t>(y) * out->Width];
    for (int x = 0; x < out->Width; ++x)
      line[x] = 0xFF000000u | (row[3 * x] << 16) | (row[3 * x + 1] << 8) | row[3 * x + 2];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool Encode(const TPixelBlock* pixels, int quality, unsigned char** buffer, unsigned long* size,
            char* error) {
  jpeg_compress_struct cinfo;
  ErrorManager manager;
  cinfo.err = jpeg_std_error(&manager.base);
  manager.base.error_exit = OnError;
  manager.base.emit_message = OnMessage;
  if (setjmp(manager.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::snprintf(error, JMSG_LENGTH_MAX, "%s", manager.message);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = static_cast<JDIMENSION>(pixels->Width);
  cinfo.image_height = static_cast<JDIMENSION>(pixels->Height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  unsigned char* row = static_cast<unsigned char*>((*cinfo.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.image_width * 3, 1)[0]);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t* line = &pixels->Pixels[static_cast<size_t>(cinfo.next_scanline) * pixels->Width];
    for (int x = 0; x < pixels->Width; ++x) {
      row[3 * x] = (line[x] >> 16) & 0xFF;
      row[3 * x + 1] = (line[x] >> 8) & 0xFF;
      row[3 * x + 2] = line[x] & 0xFF;
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

void TJPEGImage::LoadFromBytes(std::string_view bytes) {
  TPixelBlock pixels;
  bool grayscale = false;
  char error[JMSG_LENGTH_MAX] = {};
  if (bytes.empty() || !Decode(reinterpret_cast<const unsigned char*>(bytes.data()),
                               static_cast<unsigned long>(bytes.size()), &pixels, &grayscale, error))
    throw EInvalidGraphic(AnsiString("JPEG error: ") + error);
  pixels_ = std::move(pixels);
  grayscale_ = grayscale;
  data_.assign(bytes);
}

void TJPEGImage::LoadFromStream(TStream& stream) { LoadFromBytes(ReadRest(stream)); }

void TJPEGImage::Assign(const TBitmap& bitmap) {
  pixels_ = bitmap.Pixels();
  data_.clear();
  grayscale_ = false;
}

std::string TJPEGImage::SaveToBytes() const {
  if (!data_.empty() || Empty()) return data_;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  char error[JMSG_LENGTH_MAX] = {};
  bool ok = Encode(&pixels_, std::clamp(CompressionQuality, 1, 100), &buffer, &size, error);
  std::string bytes;
  if (ok) bytes.assign(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  if (!ok) throw EInvalidGraphic(AnsiString("JPEG error: ") + error);
  return bytes;
}

void TJPEGImage::SaveToStream(TStream& stream) const {
  std::string bytes = SaveToBytes();
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  canvas.DrawPixels(rect, pixels_, false, clNone);
}
