#pragma once
// The bytes of a conversation with a service program over a local socket:
// the client opens a topic, then sends frames of macro commands; the
// server runs each frame's commands in order, stops at the first one it
// refuses and answers how many ran.
//
// A frame is a 4-byte little-endian payload length (1 to kMaxFramePayload)
// and the payload, whose first byte says what it is:
//   client: 'O' topic                 open the topic
//           'X' count:u16 (len:u16 command){count}   execute 1..256 commands
//   server: 'A'                       topic accepted
//           'R' reason                topic refused
//           'E' ran:u16               commands run, at most the count sent
// Integers are little-endian; texts are code page 1253 bytes.
//
// Both ends read with the same decoder, which never trusts a length it has
// not checked against the bytes it holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dde {

constexpr std::size_t kMaxFramePayload = 64 * 1024;
constexpr std::size_t kMaxCommandsPerFrame = 256;
constexpr std::size_t kFrameHeader = 4;

enum class FrameKind : char {
  Open = 'O',
  Execute = 'X',
  Accepted = 'A',
  Refused = 'R',
  Executed = 'E',
};

// What a decoder made of the bytes at the front of a buffer.
enum class DecodeStatus { Incomplete, Complete, Malformed };

struct Frame {
  FrameKind kind = FrameKind::Open;
  std::string text;                   // Open: the topic; Refused: the reason
  std::vector<std::string> commands;  // Execute
  std::uint16_t ran = 0;              // Executed
};

// Reads one frame from the front of data. Complete: frame filled and
// consumed set to the bytes it took. Incomplete: more bytes are needed (no
// more than kFrameHeader + kMaxFramePayload in all). Malformed: the bytes
// can never become a valid frame; error says why.
DecodeStatus DecodeFrame(const std::uint8_t* data, std::size_t size, Frame& frame, std::size_t& consumed,
                         std::string& error);

// The bytes of each frame. Commands beyond what one frame may hold, or a
// topic or command too long for the payload, throw std::length_error: the
// caller splits its batches before encoding.
std::string EncodeOpen(const std::string& topic);
std::string EncodeExecute(const std::vector<std::string>& commands, std::size_t first = 0,
                          std::size_t count = static_cast<std::size_t>(-1));
std::string EncodeAccepted();
std::string EncodeRefused(const std::string& reason);
std::string EncodeExecuted(std::uint16_t ran);

// The payload bytes an Execute frame of these commands needs, so a sender
// can cut its queue before a frame would be too long.
std::size_t ExecutePayloadSize(std::size_t commandCount, std::size_t commandBytes);

// Frames in a byte stream that arrives in pieces.
class FrameReader {
 public:
  void Append(const char* data, std::size_t size) { buffer_.append(data, size); }
  // Same results as DecodeFrame on what has arrived; a Complete frame is
  // taken out of the buffer.
  DecodeStatus Next(Frame& frame, std::string& error);
  bool Empty() const { return buffer_.empty(); }

 private:
  std::string buffer_;
};

}  // namespace dde
