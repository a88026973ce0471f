#include "engine/audio/SoundCursor.h"

std::vector<std::uint32_t> CSoundCursor::NotifyPositions() {
  std::vector<std::uint32_t> positions;
  for (std::uint32_t block = 0; block < kBlockCount; ++block) positions.push_back(block * kBlockBytes + kNotifyOffset);
  return positions;
}

void CSoundCursor::Advance(std::uint32_t play, std::uint32_t write) {
  // A block at the very start of the buffer is compared as if it followed the end, where the
  // device's cursors are while they are about to wrap.
  const std::uint32_t unwrapped = position_ <= kBlockBytes ? position_ + kRingBytes : position_;
  std::uint32_t next = position_ + kBlockBytes;
  if (unwrapped < play && unwrapped < write) next += kBlockBytes;
  position_ = next % kRingBytes;
}
