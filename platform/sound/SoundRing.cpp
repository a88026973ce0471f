#include "platform/sound/SoundRing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/sound/SoundOutput.h"

namespace plat {
namespace {

void Scale(const std::uint8_t* in, std::uint8_t* out, std::uint32_t bytes, std::int32_t gain) {
  if (gain == 65536) {
    std::memcpy(out, in, bytes);
    return;
  }
  for (std::uint32_t i = 0; i + 1 < bytes; i += 2) {
    const auto sample = static_cast<std::int16_t>(in[i] | (in[i + 1] << 8));
    const std::int32_t scaled = (sample * gain + 32768) >> 16;
    out[i] = static_cast<std::uint8_t>(scaled & 0xFF);
    out[i + 1] = static_cast<std::uint8_t>((scaled >> 8) & 0xFF);
  }
}

}  // namespace

SoundRing::SoundRing(std::uint32_t bytes, std::vector<std::uint32_t> notifyPositions)
    : data_(bytes), notify_(std::move(notifyPositions)) {
  std::erase_if(notify_, [bytes](std::uint32_t p) { return p >= bytes; });
}

bool SoundRing::Read(std::uint32_t offset, std::uint8_t* out, std::uint32_t bytes) const {
  if (offset > Size() || bytes > Size() - offset) return false;
  if (bytes) std::memcpy(out, data_.data() + offset, bytes);
  return true;
}

bool SoundRing::Write(std::uint32_t offset, const std::uint8_t* in, std::uint32_t bytes) {
  if (offset > Size() || bytes > Size() - offset) return false;
  if (bytes) std::memcpy(data_.data() + offset, in, bytes);
  return true;
}

void SoundRing::SetPosition(std::uint32_t offset) {
  cursor_ = play_ = Size() ? (offset % Size()) & ~1u : 0;
}

bool SoundRing::Passes(std::uint32_t from, std::uint32_t bytes) const {
  return std::any_of(notify_.begin(), notify_.end(), [&](std::uint32_t p) { return p >= from && p - from < bytes; });
}

bool SoundRing::Drain(std::uint8_t* out, std::uint32_t bytes, std::int32_t volume) {
  const std::int32_t gain = Gain(volume);
  bool passed = false;
  play_ = cursor_;
  for (std::uint32_t done = 0; done < bytes && Size();) {
    const std::uint32_t n = std::min(bytes - done, Size() - cursor_);
    passed = Passes(cursor_, n) || passed;
    Scale(data_.data() + cursor_, out + done, n, gain);
    cursor_ = (cursor_ + n) % Size();
    done += n;
  }
  return passed;
}

std::int32_t SoundRing::Gain(std::int32_t volume) {
  if (volume <= kVolumeSilent) return 0;
  if (volume >= 0) return 65536;
  return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, volume / 2000.0)));
}

}  // namespace plat
