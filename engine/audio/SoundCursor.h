// Where the audio thread writes next in the looping sound buffer. The buffer holds 124 blocks of
// 6144 bytes (384 ms each at 8000 16-bit samples a second); the thread writes whole blocks, so a
// block never runs past the buffer's end, and is told to write the next one when the device
// passes the middle of a block.
#pragma once

#include <cstdint>
#include <vector>

class CSoundCursor {
 public:
  static constexpr std::uint32_t kBlockBytes = 6144;
  static constexpr std::uint32_t kBlockCount = 124;
  static constexpr std::uint32_t kRingBytes = kBlockBytes * kBlockCount;
  static constexpr std::uint32_t kNotifyOffset = kBlockBytes / 2;

  // The buffer's notification positions: the middle of every block.
  static std::vector<std::uint32_t> NotifyPositions();

  std::uint32_t Position() const { return position_; }
  void Rewind() { position_ = 0; }
  // Moves past the block just written, given the buffer's play and write positions. When the
  // device has already passed that block (after a stall), one more block is skipped to catch up.
  void Advance(std::uint32_t play, std::uint32_t write);

 private:
  std::uint32_t position_ = 0;
};
