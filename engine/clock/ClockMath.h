// Integer arithmetic for the clock and the pacers. Stamps come from the card and rates from the
// stream, so every conversion saturates and every stamp difference wraps instead of overflowing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// About 31 years: far beyond any wait, well inside int64 even in microseconds.
inline constexpr double kMaxClockMs = 1e12;

// The whole part of a computed value (milliseconds, or a speed), truncated toward zero and
// saturated; NaN gives 0.
inline std::int64_t TruncWhole(double ms) {
  if (std::isnan(ms)) return 0;
  return static_cast<std::int64_t>(std::clamp(ms, -kMaxClockMs, kMaxClockMs));
}

inline std::int32_t SaturateInt32(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

inline std::int64_t WrapAdd(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

inline std::int64_t WrapSub(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
