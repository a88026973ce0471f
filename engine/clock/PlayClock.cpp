#include "engine/clock/PlayClock.h"

bool CPlayClock::Tick(std::int64_t nowMs, double speed) {
  std::int64_t last = lastStepMs_.load();
  do {
    if (nowMs - last < kStepMs) return false;
  } while (!lastStepMs_.compare_exchange_weak(last, nowMs));
  seconds_.fetch_add(speed >= 0.0 ? 1 : -1);
  return true;
}

std::int64_t CPlayClock::MsToNextStep(std::int64_t nowMs) const {
  const std::int64_t left = lastStepMs_.load() + kStepMs - nowMs;
  return left > 0 ? left : 0;
}

void CPlayClock::Clear() {
  seconds_.store(0);
  lastStepMs_.store(0);
}
