// The looping byte buffer behind a sound output, without any device: the device side drains it
// from a cursor, wrapping at the end, scaled by the volume, and learns when a notification
// position was passed. Not locked: its owner guards it.
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

class SoundRing {
 public:
  // bytes: even and not 0; positions past the end are ignored.
  SoundRing(std::uint32_t bytes, std::vector<std::uint32_t> notifyPositions);

  std::uint32_t Size() const { return static_cast<std::uint32_t>(data_.size()); }
  // Copy a piece out of or into the buffer; false when it would pass the end.
  bool Read(std::uint32_t offset, std::uint8_t* out, std::uint32_t bytes) const;
  bool Write(std::uint32_t offset, const std::uint8_t* in, std::uint32_t bytes);

  // Both cursors to the offset (rounded down to a whole sample, wrapped into the buffer).
  void SetPosition(std::uint32_t offset);
  // The start of the piece the device took last, and the first byte it has not taken.
  std::uint32_t PlayPosition() const { return play_; }
  std::uint32_t WritePosition() const { return cursor_; }

  // Copies `bytes` (whole samples) from the cursor on into out, looping at the end, scaled by the
  // volume, and moves the cursor past them. True when a notification position was passed.
  bool Drain(std::uint8_t* out, std::uint32_t bytes, std::int32_t volume);

  // The gain of a volume in hundredths of a decibel, in 1/65536: 10^(v/2000), 0 at silence.
  static std::int32_t Gain(std::int32_t volume);

 private:
  bool Passes(std::uint32_t from, std::uint32_t bytes) const;

  std::vector<std::uint8_t> data_;
  std::vector<std::uint32_t> notify_;
  std::uint32_t play_ = 0;
  std::uint32_t cursor_ = 0;
};

}  // namespace plat
