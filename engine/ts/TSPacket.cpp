#include "engine/ts/TSPacket.h"

namespace {
constexpr std::size_t kHeaderSize = 4;
// With both an adaptation field and a payload, the field's length byte comes first.
constexpr std::size_t kMaxAdaptationLength = kTSPacketSize - kHeaderSize - 1;
}  // namespace

bool ParseTSPacket(const std::uint8_t* p, TSPacket* out) {
  if (p[0] != kTSSyncByte) return false;
  TSPacket t;
  t.transportError = (p[1] & 0x80) != 0;
  t.unitStart = (p[1] & 0x40) != 0;
  t.priority = (p[1] & 0x20) != 0;
  t.pid = static_cast<std::uint16_t>(((p[1] & 0x1F) << 8) | p[2]);
  t.scrambling = static_cast<std::uint8_t>(p[3] >> 6);
  t.adaptationControl = static_cast<std::uint8_t>((p[3] >> 4) & 0x03);
  t.continuity = static_cast<std::uint8_t>(p[3] & 0x0F);
  if (t.transportError || t.adaptationControl == 0) return false;
  if (t.adaptationControl == 1) {
    t.payload = p + kHeaderSize;
    t.payloadLength = kTSPacketSize - kHeaderSize;
  } else if (t.adaptationControl == 3) {
    const std::size_t fieldLength = p[kHeaderSize];
    if (fieldLength > kMaxAdaptationLength) return false;
    t.payload = p + kHeaderSize + 1 + fieldLength;
    t.payloadLength = kMaxAdaptationLength - fieldLength;
  }
  *out = t;
  return true;
}
