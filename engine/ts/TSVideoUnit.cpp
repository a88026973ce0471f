#include "engine/ts/TSVideoUnit.h"

namespace {
constexpr std::uint8_t kNalTypeMask = 0x1F;
constexpr std::uint8_t kNalSlice = 1;
constexpr std::uint8_t kNalIdrSlice = 5;
constexpr std::uint8_t kNalSps = 7;
constexpr std::size_t kStartCodeSize = 3;  // 00 00 01; a 4-byte code ends in one

// The position of the next 00 00 01 at or after `from` that is followed by a NAL header byte.
std::size_t NextStartCode(const std::uint8_t* p, std::size_t length, std::size_t from) {
  for (std::size_t i = from; i + kStartCodeSize < length; ++i) {
    if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1) return i;
  }
  return length;
}
}  // namespace

VideoUnitInfo ClassifyVideoPayload(const std::uint8_t* payload, std::size_t length) {
  VideoUnitInfo info;
  std::size_t at = NextStartCode(payload, length, 0);
  if (at == length) return info;
  info.dataOffset = at > 0 && payload[at - 1] == 0 ? at - 1 : at;
  for (; at < length; at = NextStartCode(payload, length, at + kStartCodeSize)) {
    const std::uint8_t type = payload[at + kStartCodeSize] & kNalTypeMask;
    if (type == kNalSps) info.afterSps = true;
    if (type == kNalIdrSlice) {
      info.kind = VideoUnitKind::kKeyFrame;
      return info;
    }
    if (type == kNalSlice) {
      info.kind = VideoUnitKind::kInterFrame;
      return info;
    }
  }
  return info;
}
