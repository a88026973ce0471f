#include "engine/clock/FpsCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "engine/clock/ClockMath.h"

namespace {

double UsableFps(double rate) { return std::isfinite(rate) && rate > 0.0 ? rate : CFpsCtrl::kDefaultRate; }

// The step rates that both bounds share at the fast speeds, where only key frames are shown;
// keyed by the speed truncated to a whole number.
std::optional<double> KeyFrameStepRate(std::int64_t wholeSpeed) {
  switch (wholeSpeed) {
    case 4:
    case 16:
    case 24:
    case 32:
      return 4.0;
    case 8:
      return 8.0;
    default:
      return std::nullopt;
  }
}

// Pictures per second that bound the pacer's carry at a speed. From 2x on only key frames are
// shown, so the bound follows their cadence rather than the stream's frame rate. Only from 1x up
// to 3x does the pacer's bound differ from the clock's.
double PacerStepRate(double speed, std::int32_t rate) {
  const std::int64_t whole = TruncWhole(speed);
  if (whole == 1) return std::fabs(static_cast<double>(rate));
  if (whole == 2) return 2.0;
  return ClockStepRate(speed, rate);
}

}  // namespace

std::int32_t UsableRate(std::int32_t rate) {
  return rate != 0 ? rate : static_cast<std::int32_t>(CFpsCtrl::kDefaultRate);
}

double ClockStepRate(double speed, std::int32_t rate) {
  const std::int64_t whole = TruncWhole(speed);
  if (const auto keyFrames = KeyFrameStepRate(whole)) return *keyFrames;
  if (whole == -1) return std::fabs(static_cast<double>(rate));
  return rate * speed;
}

CFpsCtrl::CFpsCtrl(double rate, std::int32_t channel) : channel_(channel), period_(1000.0 / UsableFps(rate)) {}

void CFpsCtrl::Reset() {
  lastTick_ = kNoTick;
  fraction_ = 0.0;
  carry_ = 0;
  correction_ = 0;
}

double CFpsCtrl::SetFps(double rate, std::int64_t nowMs) {
  period_ = 1000.0 / UsableFps(rate);
  event_.Set();
  StampTick(nowMs);
  return GetRate();
}

double CFpsCtrl::GetRate() const { return 1000.0 / period_; }

void CFpsCtrl::StampTick(std::int64_t nowMs) { lastTick_ = nowMs; }

void CFpsCtrl::SetSpeed(double speed) { speed_ = speed; }

std::int64_t CFpsCtrl::Elapsed(std::int64_t nowMs) {
  const auto maxMs = static_cast<std::int64_t>(kMaxClockMs);
  const std::int64_t elapsed = lastTick_ == kNoTick ? 0 : std::clamp<std::int64_t>(WrapSub(nowMs, lastTick_), 0, maxMs);
  lastTick_ = nowMs;
  return elapsed;
}

std::int64_t CFpsCtrl::TimestampDelta(std::int64_t time) {
  std::int64_t delta = WrapSub(time, lastTime_);
  lastTime_ = time;
  const bool cut = delta >= kCutUs || delta <= -kCutUs;
  if (cut && speed_ < 16.0) delta = 0;
  return delta;
}

void CFpsCtrl::Step(std::int64_t time, std::int32_t rate, std::int64_t nowMs) {
  if (speed_ == 0.0 || !std::isfinite(speed_)) return;
  rate = UsableRate(rate);
  const std::int64_t elapsed = Elapsed(nowMs);
  const std::int64_t delta = TimestampDelta(time);
  if (time == 0 || time == kNoTime) {
    StepWithoutTime(elapsed, rate);
  } else {
    StepWithTime(delta, elapsed, rate);
  }
}

// Without stamps the pacer holds a nominal interval; a carry that runs past one interval either
// way falls back to 0.8 of it.
void CFpsCtrl::StepWithoutTime(std::int64_t elapsed, std::int32_t rate) {
  std::int64_t interval = 250;
  if (speed_ < 0.0) {
    interval = 1000 / std::llabs(rate);
  } else if (speed_ <= 1.0) {
    interval = TruncWhole(period_);
  }
  const std::int64_t carry = carry_ + interval - elapsed;
  const std::int64_t fallback = TruncWhole(0.8 * static_cast<double>(interval));
  if (carry > interval) {
    carry_ = SaturateInt32(fallback);
  } else if (carry < -interval) {
    carry_ = SaturateInt32(-fallback);
  } else {
    carry_ = SaturateInt32(carry);
  }
}

// The wanted interval is the stamp difference at the playback speed. Small differences from the
// measured interval are taken whole, larger ones half at a time, and the carry stays within two
// seconds' worth of step periods.
void CFpsCtrl::StepWithTime(std::int64_t delta, std::int64_t elapsed, std::int32_t rate) {
  const double wanted = std::fabs(static_cast<double>(delta) / 1000.0 / speed_);
  std::int64_t wantedMs = TruncWhole(wanted);
  // Truncated intervals alone would run short; their fractions add up to whole milliseconds that
  // are waited for as they accumulate.
  fraction_ += wanted - static_cast<double>(wantedMs);
  if (fraction_ > 1.0) {
    fraction_ -= 1.0;
    ++wantedMs;
  }
  const std::int64_t diff = wantedMs - elapsed;
  const std::int64_t carry = carry_ + (std::llabs(diff) < 3 ? diff : diff / 2);
  const std::int64_t limit = TruncWhole(std::fabs(2000.0 / PacerStepRate(speed_, rate)));
  carry_ = SaturateInt32(std::clamp(carry, -limit, limit));
}

void CFpsCtrl::AddCorrection(std::int32_t ms) { correction_ += ms; }

std::int32_t CFpsCtrl::GetCorrection() const { return SaturateInt32(correction_); }

std::int32_t CFpsCtrl::TakeWaitTimeout() {
  const std::int64_t timeout = carry_ + correction_;
  correction_ = 0;
  return timeout >= kMinWaitMs ? SaturateInt32(timeout) : 0;
}

bool CFpsCtrl::Wait(plat::IClock& clock) {
  const std::int32_t timeout = TakeWaitTimeout();
  if (timeout == 0) return false;
  return clock.WaitEvent(event_, static_cast<std::uint32_t>(timeout));
}
