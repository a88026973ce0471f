// Frame pacing of one channel: turns the pictures' time stamps and the wall clock into the time to
// wait before the next picture. Every calculation takes the current time as an argument; only
// Wait sleeps, and it sleeps on the clock it is given, so tests drive the pacer with a fake clock.
//
// The pacer belongs to its channel's video thread: Step, SetFps, SetSpeed, Reset, StampTick,
// AddCorrection and Wait run there. Wake may be called from any thread, and GetDrift may be read
// from any thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Sync.h"
#include "platform/Time.h"

class CFpsCtrl {
 public:
  static constexpr double kDefaultRate = 30.0;
  // Time stamps are 64-bit microseconds; 0 and all ones mean that the picture carries none.
  static constexpr std::int64_t kNoTime = -1;
  // A stamp this far from the previous one is a cut in the recording, not a picture interval.
  static constexpr std::int64_t kCutUs = 1111112;
  // Waits shorter than this are not worth a sleep.
  static constexpr std::int32_t kMinWaitMs = 2;

  CFpsCtrl(double rate, std::int32_t channel);
  CFpsCtrl(const CFpsCtrl&) = delete;
  CFpsCtrl& operator=(const CFpsCtrl&) = delete;

  // Starts over (first time frame after a start or a seek): no carry, no correction, and the next
  // step measures no elapsed time.
  void Reset();
  // Sets the pictures per second and returns the rate in force; a rate that is not a positive
  // number counts as the default. It stamps the tick and signals the wait event, so a running
  // wait ends at once and, when none runs, the next wait of the pacing thread returns at once.
  double SetFps(double rate, std::int64_t nowMs);
  double GetRate() const;
  // The next step measures its elapsed time from now: the thread stamps where it idled (pause,
  // empty queue, start) so that the idle time is not taken for a late picture.
  void StampTick(std::int64_t nowMs);
  void SetSpeed(double speed);
  double GetSpeed() const { return speed_; }
  // One shown picture with its time stamp (microseconds) and frame rate (negative in backward
  // play). Computes the carry, the wait before the next picture. Does nothing at speed 0.
  void Step(std::int64_t time, std::int32_t rate, std::int64_t nowMs);
  void AddCorrection(std::int32_t ms);
  // The wait the next picture needs (carry plus correction), 0 when it is below kMinWaitMs; the
  // correction is used up.
  std::int32_t TakeWaitTimeout();
  // Waits as TakeWaitTimeout says; true when a signal ended the wait early.
  bool Wait(plat::IClock& clock);
  // Ends a running wait at once (the video thread's Stop calls it from the UI thread).
  void Wake() { event_.Set(); }

  std::int32_t GetChannel() const { return channel_; }
  std::int32_t GetCarry() const { return carry_; }
  std::int32_t GetCorrection() const;
  // The last drift against the master clock in milliseconds, kept for the on-screen text.
  void SetDrift(std::int32_t ms) { drift_.store(ms, std::memory_order_relaxed); }
  std::int32_t GetDrift() const { return drift_.load(std::memory_order_relaxed); }

 private:
  std::int64_t Elapsed(std::int64_t nowMs);
  std::int64_t TimestampDelta(std::int64_t time);
  void StepWithoutTime(std::int64_t elapsed, std::int32_t rate);
  void StepWithTime(std::int64_t delta, std::int64_t elapsed, std::int32_t rate);

  static constexpr std::int64_t kNoTick = -1;

  const std::int32_t channel_;
  double period_;
  double speed_ = 0.0;
  std::int32_t carry_ = 0;
  std::int64_t lastTick_ = kNoTick;
  std::int64_t lastTime_ = 0;
  double fraction_ = 0.0;
  std::int64_t correction_ = 0;
  std::atomic<std::int32_t> drift_{0};
  CEvent event_;
};

// A frame rate that can divide: 0 (none given) counts as the default rate.
std::int32_t UsableRate(std::int32_t rate);

// Pictures per second that bound the clock's per-picture correction at a speed.
double ClockStepRate(double speed, std::int32_t rate);
