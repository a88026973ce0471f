// The play clock: the whole second of recording time being played (seconds since 1970), shown
// as the play time. The source sets it from chunk times; the video thread ticks it once per full
// second of wall time in the direction of play. Every operation is atomic, so any thread may set
// or read it.
#pragma once

#include <atomic>
#include <cstdint>

class CPlayClock {
 public:
  static constexpr std::int64_t kStepMs = 1000;

  std::int64_t Get() const { return seconds_.load(); }
  void Set(std::int64_t seconds) { seconds_.store(seconds); }
  // Moves the clock one second, forward at speed 0 or more and back at a negative speed, once at
  // least kStepMs have passed since the last move; true when it moved (the engine then rolls its
  // per-second counters).
  bool Tick(std::int64_t nowMs, double speed);
  // How long from nowMs until Tick moves the clock again; 0 when it would move now.
  std::int64_t MsToNextStep(std::int64_t nowMs) const;
  // Back to idle: no time, and the next tick moves at once.
  void Clear();

 private:
  std::atomic<std::int64_t> seconds_{0};
  std::atomic<std::int64_t> lastStepMs_{0};
};
