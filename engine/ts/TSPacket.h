// MPEG transport-stream packets as the reader takes them: the 4-byte header, the adaptation
// field and the payload. Every length read from a packet is checked against the packet.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kTSPacketSize = 188;
constexpr std::uint8_t kTSSyncByte = 0x47;  // "G"

struct TSPacket {
  bool transportError = false;
  bool unitStart = false;  // a PES or a table section begins in this packet
  bool priority = false;
  std::uint16_t pid = 0;
  std::uint8_t scrambling = 0;
  std::uint8_t adaptationControl = 0;  // 1 payload only, 2 adaptation field only, 3 both
  std::uint8_t continuity = 0;
  const std::uint8_t* payload = nullptr;
  std::size_t payloadLength = 0;
};

// Reads the header of the 188 bytes at p and finds the payload. False for a packet that is to
// be passed over: no sync byte, the transport error indicator set, adaptation field control 0,
// or an adaptation field that does not fit in the packet.
bool ParseTSPacket(const std::uint8_t* p, TSPacket* out);
