#include "platform/ipc/DdeFrame.h"

#include <algorithm>
#include <stdexcept>

namespace dde {
namespace {

constexpr std::size_t kMaxTopic = 255;

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void PutU16(std::string& out, std::size_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

std::string WithHeader(const std::string& payload) {
  if (payload.empty() || payload.size() > kMaxFramePayload)
    throw std::length_error("frame payload out of range");
  std::string out;
  out.reserve(kFrameHeader + payload.size());
  const std::size_t n = payload.size();
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  out += payload;
  return out;
}

DecodeStatus Fail(std::string& error, const char* why) {
  error = why;
  return DecodeStatus::Malformed;
}

DecodeStatus ParsePayload(const std::uint8_t* p, std::size_t n, Frame& frame, std::string& error) {
  frame = Frame{};
  const std::uint8_t* end = p + n;
  switch (static_cast<FrameKind>(p[0])) {
    case FrameKind::Open:
      if (n < 2 || n - 1 > kMaxTopic) return Fail(error, "topic length out of range");
      frame.kind = FrameKind::Open;
      frame.text.assign(reinterpret_cast<const char*>(p + 1), n - 1);
      return DecodeStatus::Complete;
    case FrameKind::Accepted:
      if (n != 1) return Fail(error, "accept frame with trailing bytes");
      frame.kind = FrameKind::Accepted;
      return DecodeStatus::Complete;
    case FrameKind::Refused:
      frame.kind = FrameKind::Refused;
      frame.text.assign(reinterpret_cast<const char*>(p + 1), n - 1);
      return DecodeStatus::Complete;
    case FrameKind::Executed:
      if (n != 3) return Fail(error, "result frame of wrong length");
      frame.kind = FrameKind::Executed;
      frame.ran = ReadU16(p + 1);
      if (frame.ran > kMaxCommandsPerFrame) return Fail(error, "more commands run than a frame holds");
      return DecodeStatus::Complete;
    case FrameKind::Execute: {
      if (n < 3) return Fail(error, "execute frame without a count");
      const std::size_t count = ReadU16(p + 1);
      if (count == 0 || count > kMaxCommandsPerFrame) return Fail(error, "command count out of range");
      frame.kind = FrameKind::Execute;
      frame.commands.reserve(count);
      const std::uint8_t* at = p + 3;
      for (std::size_t i = 0; i < count; ++i) {
        if (end - at < 2) return Fail(error, "command length past the frame");
        const std::size_t len = ReadU16(at);
        at += 2;
        if (len == 0) return Fail(error, "empty command");
        if (static_cast<std::size_t>(end - at) < len) return Fail(error, "command past the frame");
        frame.commands.emplace_back(reinterpret_cast<const char*>(at), len);
        at += len;
      }
      if (at != end) return Fail(error, "bytes after the last command");
      return DecodeStatus::Complete;
    }
  }
  return Fail(error, "unknown frame kind");
}

}  // namespace

DecodeStatus DecodeFrame(const std::uint8_t* data, std::size_t size, Frame& frame, std::size_t& consumed,
                         std::string& error) {
  consumed = 0;
  if (size < kFrameHeader) return DecodeStatus::Incomplete;
  const std::uint32_t n = ReadU32(data);
  if (n == 0 || n > kMaxFramePayload) return Fail(error, "frame length out of range");
  if (size - kFrameHeader < n) return DecodeStatus::Incomplete;
  const DecodeStatus status = ParsePayload(data + kFrameHeader, n, frame, error);
  if (status == DecodeStatus::Complete) consumed = kFrameHeader + n;
  return status;
}

std::size_t ExecutePayloadSize(std::size_t commandCount, std::size_t commandBytes) {
  return 3 + 2 * commandCount + commandBytes;
}

std::string EncodeOpen(const std::string& topic) {
  if (topic.empty() || topic.size() > kMaxTopic) throw std::length_error("topic length out of range");
  std::string payload(1, static_cast<char>(FrameKind::Open));
  payload += topic;
  return WithHeader(payload);
}

std::string EncodeExecute(const std::vector<std::string>& commands, std::size_t first, std::size_t count) {
  if (first > commands.size()) throw std::length_error("no such command");
  count = std::min(count, commands.size() - first);
  if (count == 0 || count > kMaxCommandsPerFrame) throw std::length_error("command count out of range");
  std::string payload(1, static_cast<char>(FrameKind::Execute));
  PutU16(payload, count);
  for (std::size_t i = first; i < first + count; ++i) {
    const std::string& c = commands[i];
    if (c.empty() || c.size() > 0xFFFF) throw std::length_error("command length out of range");
    PutU16(payload, c.size());
    payload += c;
  }
  return WithHeader(payload);
}

std::string EncodeAccepted() { return WithHeader(std::string(1, static_cast<char>(FrameKind::Accepted))); }

std::string EncodeRefused(const std::string& reason) {
  std::string payload(1, static_cast<char>(FrameKind::Refused));
  payload.append(reason, 0, kMaxFramePayload - 1);
  return WithHeader(payload);
}

std::string EncodeExecuted(std::uint16_t ran) {
  std::string payload(1, static_cast<char>(FrameKind::Executed));
  PutU16(payload, ran);
  return WithHeader(payload);
}

DecodeStatus FrameReader::Next(Frame& frame, std::string& error) {
  std::size_t consumed = 0;
  const DecodeStatus status = DecodeFrame(reinterpret_cast<const std::uint8_t*>(buffer_.data()),
                                          buffer_.size(), frame, consumed, error);
  if (status == DecodeStatus::Complete) buffer_.erase(0, consumed);
  return status;
}

}  // namespace dde
