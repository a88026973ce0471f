// The sound output of a channel: one looping buffer of 16-bit little-endian samples that the
// device plays from its play cursor on, replaying stale data unless it is refilled. The writer
// locks a piece ahead of the write cursor, fills it and unlocks it; the device signals when its
// play cursor passes one of the buffer's notification positions. Every method may be called
// from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Time.h"

namespace plat {

struct PcmFormat {
  int rate = 8000;
  int channels = 1;
};

// Volumes are in hundredths of a decibel: 0 is full, kVolumeSilent and below are silence.
constexpr std::int32_t kVolumeSilent = -10000;

class ISoundOutput {
 public:
  virtual ~ISoundOutput() = default;

  // Makes a new buffer of `bytes` (even, whole samples), silent and stopped at position 0, in
  // place of any earlier one. False when there is no device or the request cannot be met.
  virtual bool Open(const PcmFormat& format, std::uint32_t bytes, const std::vector<std::uint32_t>& notifyPositions) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // The piece [offset, offset + bytes) with the buffer's current content, to be filled and then
  // stored by Unlock. nullptr when the piece would pass the buffer's end, another piece is locked,
  // there is no buffer or the device was lost.
  virtual std::uint8_t* Lock(std::uint32_t offset, std::uint32_t bytes) = 0;
  virtual void Unlock() = 0;

  // play: the first byte the device is playing; write: the first byte that is safe to write.
  virtual void GetPositions(std::uint32_t* play, std::uint32_t* write) const = 0;
  virtual void Play() = 0;  // looping, from the current position
  virtual void Stop() = 0;  // keeps the position
  virtual void SetPosition(std::uint32_t offset) = 0;

  // Kept across Open and Close; the device applies it to what it plays.
  virtual void SetVolume(std::int32_t hundredthsDb) = 0;
  virtual std::int32_t Volume() const = 0;

  // Waits until the play cursor passes a notification position; false on time-out. Wake ends a
  // wait at once (or the next one, when nobody waits).
  virtual bool WaitNotify(std::uint32_t timeoutMs) = 0;
  virtual void Wake() = 0;

  // The device went away under the buffer; Restore opens it again with the buffer's content.
  virtual bool Lost() const = 0;
  virtual bool Restore() = 0;
};

// Whether this machine can play sound (SDL audio starts and opens its default device).
bool SoundDeviceAvailable();
// A sound output on the machine's default device.
std::unique_ptr<ISoundOutput> CreateSoundOutput();
// A sound output without a device: its play cursor moves at the format's rate by the clock, so
// that code paced by the sound runs where no sound can be played.
std::unique_ptr<ISoundOutput> CreateNullSoundOutput(IClock& clock = SystemClock());

}  // namespace plat
