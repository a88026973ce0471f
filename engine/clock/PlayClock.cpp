#include "engine/clock/PlayClock.h"

bool CPlayClock::Tick(std::int64_t nowMs, double speed) {
  std::int64_t last = lastStepMs_.load();
  do {
    if (nowMs - last < kStepMs) return false;
  } while (!lastStepMs_.compare_exchange_weak(last, nowMs));
  seconds_.fetch_add(speed >= 0.0 ? 1 : -1);
  return true;
}

void CPlayClock::Clear() {
  seconds_.store(0);
  lastStepMs_.store(0);
}
