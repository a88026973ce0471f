// The engine's audio/video clock. The video thread steps it once per shown picture: the step
// paces the picture with the channel's CFpsCtrl, keeps a master clock (the audio clock once it
// runs and agrees with the pictures, else a master video channel), measures the channel's drift
// against it and feeds the pacer a bounded correction. The audio thread anchors the audio clock
// (the media time that is heard at a given wall tick) and trims it.
//
// Times: pictures and media in 64-bit microseconds, wall ticks in 64-bit milliseconds from the
// caller's clock. Nothing is rebased: the clock stays continuous however long the play runs.
//
// Threads: SetClockSpeed and SyncClock run on the video thread; Anchor, ShiftAudioBase and
// TakeReanchorRequest on the audio thread (or the source thread); Restart while no engine thread
// runs. The anchor pair is always read whole: a reader never sees a new base with an old tick.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/clock/FpsCtrl.h"

struct AudioAnchor {
  std::int64_t audioBase = 0;  // media time (µs) heard at tickBase; 0 = the audio clock is stopped
  std::int64_t tickBase = 0;   // wall tick (ms); 0 = the audio clock is stopped
  double speed = 1.0;          // the playing speed the media time runs at from there
  bool Runs() const { return audioBase != 0 && tickBase != 0; }
};

class CAvClock {
 public:
  static constexpr std::int32_t kNoMaster = -1;
  static constexpr std::int32_t kAudioMaster = -2;
  // Steps after the master is chosen before the audio clock may take over and before any
  // correction is applied.
  static constexpr std::int32_t kSettleSteps = 7;
  // An audio clock further than this from the pictures is wrong: it is re-anchored.
  static constexpr std::int64_t kMaxAudioDriftMs = 100000;

  CAvClock() = default;
  CAvClock(const CAvClock&) = delete;
  CAvClock& operator=(const CAvClock&) = delete;

  // Playback starts: no master yet, the audio clock stopped, no request pending.
  void Restart();

  // The playback speed the clock runs at (negative backward); each pacer takes it when it steps.
  // A change of speed chooses the master again, which settles before any correction.
  void SetClockSpeed(double speed);
  double GetClockSpeed() const { return clockSpeed_.load(std::memory_order_relaxed); }

  // The clock step for one shown picture of the pacer's channel: `time` is the picture's stamp
  // (µs; 0 or all ones = none), `rate` its frame rate, negative in backward play. Steps the pacer and
  // adds the drift correction to it; the caller then runs the pacer's Wait. Does nothing at
  // clock speed 0.
  void SyncClock(CFpsCtrl& pacer, std::int64_t time, std::int32_t rate, std::int64_t nowMs);

  // Audio side. Anchor: `audioBase` is heard at wall tick `tickBase` (the caller adds the output
  // latency to its now), and the media time runs on at `speed` from there. The audio clock leads
  // the pictures only while they play at that speed: sound anchored at the normal speed says
  // nothing of pictures shown fast, which are then paced by their own stamps. A pending re-anchor
  // request is thereby met.
  void Anchor(std::int64_t audioBase, std::int64_t tickBase, double speed);
  // Moves the audio base by deltaUs and returns the new base (the per-frame trim).
  std::int64_t ShiftAudioBase(std::int64_t deltaUs);
  AudioAnchor GetAnchor() const;
  // True once after the clock step found the audio clock too far off; the audio thread then
  // re-anchors at its next sound frame.
  bool TakeReanchorRequest() { return reanchor_.exchange(false); }

  std::int32_t GetMasterChannel() const { return master_.load(std::memory_order_relaxed); }
  std::int64_t GetMasterTime() const { return masterTime_.load(std::memory_order_relaxed); }
  std::int32_t GetSettleCount() const { return settle_.load(std::memory_order_relaxed); }

 private:
  struct Master {
    std::int32_t channel;
    std::int64_t time;
    std::int32_t settle;
  };

  void FollowAudioClock(Master& m, std::int64_t time, double speed, std::int64_t nowMs);
  void Correct(Master& m, CFpsCtrl& pacer, std::int64_t time, std::int32_t rate, double speed) const;
  void PublishAnchor(std::int64_t audioBase, std::int64_t tickBase, double speed);

  std::atomic<double> clockSpeed_{1.0};
  std::atomic<std::int32_t> master_{kNoMaster};
  std::atomic<std::int64_t> masterTime_{0};
  std::atomic<std::int32_t> settle_{0};
  std::atomic<bool> reanchor_{false};

  // The anchor pair: writers take the mutex, readers retry while the sequence is odd or moved.
  std::mutex anchorWriter_;
  std::atomic<std::uint64_t> anchorSeq_{0};
  std::atomic<std::int64_t> audioBase_{0};
  std::atomic<std::int64_t> tickBase_{0};
  std::atomic<double> anchorSpeed_{1.0};
};
