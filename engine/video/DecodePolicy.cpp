#include "engine/video/DecodePolicy.h"

#include <algorithm>

#include "engine/clock/ClockMath.h"

namespace {

constexpr std::uint8_t kSequenceParameterSet = 0x67;  // NAL header byte after a 4-byte start code
constexpr std::size_t kNalHeaderOffset = 4;

// The farthest a speed counts: the whole part serves as a 32-bit frame interval.
constexpr double kMaxWholeSpeed = 1e6;

// A speed truncated towards zero and kept within the interval's range (NaN gives 0).
std::int32_t Truncate(double speed) {
  return static_cast<std::int32_t>(TruncWhole(std::clamp(speed, -kMaxWholeSpeed, kMaxWholeSpeed)));
}

}  // namespace

void CDecodePolicy::Reset() {
  keyFrames_ = 0;
  interFrames_ = 0;
}

bool CDecodePolicy::TakeKeyFrame(const std::uint8_t* data, std::size_t length, double speed,
                                 std::int32_t& gopLength) {
  if (data && length > kNalHeaderOffset && data[kNalHeaderOffset] == kSequenceParameterSet && interFrames_ > 0) {
    gopLength = interFrames_;
    interFrames_ = 0;
  }
  ++keyFrames_;
  if (speed <= 8.0) return true;
  const auto every = Truncate(speed / 4.0);
  return keyFrames_ % every == 0;
}

bool CDecodePolicy::TakeInterFrame(double speed) {
  ++interFrames_;
  return Truncate(speed) == -1 || speed < 2.0;
}

bool CDecodePolicy::WantsSensorMarker(double speed) const {
  if (speed < 2.0) return true;
  const auto every = Truncate(speed + 1.0);
  return (keyFrames_ + interFrames_) % every == 0;
}
