#include "engine/ts/TSSensorText.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "engine/gps/DecimalNumber.h"
#include "platform/ByteOrder.h"

namespace {

constexpr std::size_t kGpsTextsLength = kTrailerGpsTextsEnd - kTrailerGpsTextAt;
constexpr double kUnitsPerG = 512.0;
constexpr double kMaxLean = 90.0;

// The number after the key, 0 when the key is missing.
double ValueAfter(std::string_view text, std::string_view key) {
  const std::size_t at = text.find(key);
  return at == std::string_view::npos ? 0.0 : ParseDecimalPrefix(text.substr(at + key.size()));
}

std::int16_t SampleValue(double g) {
  const double units = std::clamp(g * kUnitsPerG, static_cast<double>(std::numeric_limits<std::int16_t>::min()),
                                  static_cast<double>(std::numeric_limits<std::int16_t>::max()));
  return static_cast<std::int16_t>(units);
}

void CopyGpsText(IndexBlockA5& block, const std::uint8_t* payload, std::size_t length) {
  std::uint8_t* area = block.bytes.data() + kTrailerGpsTextAt;
  const std::size_t available = length > kSensorGpsOffset ? std::min(length - kSensorGpsOffset, kGpsTextsLength) : 0;
  std::memcpy(area, payload + kSensorGpsOffset, available);
  std::memset(area + available, 0, kGpsTextsLength - available);
}

void AddSample(IndexBlockA5& block, std::string_view text) {
  std::uint8_t* bytes = block.bytes.data();
  const std::size_t index = bytes[kTrailerSampleCountAt] < kMaxSensorSamples ? bytes[kTrailerSampleCountAt] : 0;
  block.SetSample(static_cast<int>(index), {SampleValue(ValueAfter(text, "X:")), SampleValue(ValueAfter(text, "Y:")),
                                           SampleValue(ValueAfter(text, "Z:"))});
  // The lean angle takes the first word of the next sample.
  const double lean = std::clamp(ValueAfter(text, "L:"), -kMaxLean, kMaxLean);
  if (index + 1 < kMaxSensorSamples) {
    plat::StoreHost16(bytes + kTrailerSamplesAt + (index + 1) * kTrailerSampleSize,
                      static_cast<std::uint16_t>(static_cast<std::int16_t>(lean)));
  }
  bytes[kTrailerSampleCountAt] = static_cast<std::uint8_t>((index + 1) % kMaxSensorSamples);
}

}  // namespace

void ApplySensorText(IndexBlockA5& block, const std::uint8_t* payload, std::size_t length) {
  plat::StoreHost32(block.bytes.data(), kIndexBlockA5Magic);
  std::string_view text(reinterpret_cast<const char*>(payload), std::min(length, kSensorTextMax));
  text = text.substr(0, text.find('\0'));
  if (text.find("$G") != std::string_view::npos) CopyGpsText(block, payload, length);
  AddSample(block, text);
}
