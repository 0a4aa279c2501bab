// LIBS: platform_ipc
// Both ends of a conversation read the other's bytes with one decoder:
// whatever arrives, in whatever pieces, it must stop at a frame, a need for
// more, or a refusal, and a frame it accepts must encode to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ipc/DdeFrame.h"

namespace {

std::string Encode(const dde::Frame& f) {
  switch (f.kind) {
    case dde::FrameKind::Open:
      return dde::EncodeOpen(f.text);
    case dde::FrameKind::Execute:
      return dde::EncodeExecute(f.commands);
    case dde::FrameKind::Accepted:
      return dde::EncodeAccepted();
    case dde::FrameKind::Refused:
      return dde::EncodeRefused(f.text);
    case dde::FrameKind::Executed:
      return dde::EncodeExecuted(f.ran);
  }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte cuts the rest into pieces of that many bytes.
  const std::size_t piece = data[0] % 16 + 1;
  dde::FrameReader reader;
  std::string whole;
  for (std::size_t at = 1; at < size; at += piece) {
    const std::size_t n = std::min(piece, size - at);
    reader.Append(reinterpret_cast<const char*>(data + at), n);
    whole.append(reinterpret_cast<const char*>(data + at), n);
    dde::Frame frame;
    std::string error;
    dde::DecodeStatus status;
    while ((status = reader.Next(frame, error)) == dde::DecodeStatus::Complete) {
      const std::string again = Encode(frame);
      if (whole.compare(0, again.size(), again) != 0) std::abort();
      whole.erase(0, again.size());
    }
    if (status == dde::DecodeStatus::Malformed) {
      if (error.empty()) std::abort();
      return 0;
    }
  }
  return 0;
}
