#include "engine/clock/AvClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/clock/ClockMath.h"

namespace {

// How far (wall ms at this speed) a picture is ahead of the master time; negative = behind.
std::int64_t DriftMs(std::int64_t time, std::int64_t masterTime, double speed) {
  return TruncWhole(static_cast<double>(WrapSub(time, masterTime)) / (1000.0 * speed));
}

}  // namespace

void CAvClock::Restart() {
  master_.store(kNoMaster, std::memory_order_relaxed);
  masterTime_.store(0, std::memory_order_relaxed);
  settle_.store(0, std::memory_order_relaxed);
  reanchor_.store(false);
  std::lock_guard lock(anchorWriter_);
  PublishAnchor(0, 0, 1.0);
}

void CAvClock::SetClockSpeed(double speed) {
  if (clockSpeed_.exchange(speed, std::memory_order_relaxed) == speed) return;
  master_.store(kNoMaster, std::memory_order_relaxed);
}

void CAvClock::SyncClock(CFpsCtrl& pacer, std::int64_t time, std::int32_t rate, std::int64_t nowMs) {
  const double speed = GetClockSpeed();
  if (speed == 0.0 || !std::isfinite(speed)) return;
  rate = UsableRate(rate);
  pacer.SetSpeed(speed);
  pacer.Step(time, rate, nowMs);
  // A picture without a stamp (a stream without time frames gives 0) is paced as the pacer paces
  // it: how far it lies from the sound cannot be known.
  if (time == CFpsCtrl::kNoTime || time == 0) return;

  Master m{master_.load(std::memory_order_relaxed), masterTime_.load(std::memory_order_relaxed),
           settle_.load(std::memory_order_relaxed)};
  if (m.channel == kNoMaster) {
    m.channel = pacer.GetChannel();
    m.settle = kSettleSteps;
  }
  FollowAudioClock(m, time, speed, nowMs);
  if (pacer.GetChannel() == m.channel) {
    m.time = time;
  } else if (m.time != 0) {
    Correct(m, pacer, time, rate, speed);
  }
  if (m.settle > 0) --m.settle;
  master_.store(m.channel, std::memory_order_relaxed);
  masterTime_.store(m.time, std::memory_order_relaxed);
  settle_.store(m.settle, std::memory_order_relaxed);
}

// While the audio clock runs at the pictures' speed it gives the master time; once settled it
// becomes the master when it agrees with the pictures, and is sent to re-anchor when it does not.
// Stopped, or anchored for another speed, it tells nothing of the pictures, and the channel leads.
void CAvClock::FollowAudioClock(Master& m, std::int64_t time, double speed, std::int64_t nowMs) {
  const AudioAnchor anchor = GetAnchor();
  if (!anchor.Runs() || anchor.speed != speed) {
    if (m.channel == kAudioMaster) m.channel = 0;
    return;
  }
  const std::int64_t previous = m.time;
  const std::int64_t elapsedMs = TruncWhole(static_cast<double>(WrapSub(nowMs, anchor.tickBase)) * speed);
  m.time = WrapAdd(anchor.audioBase, elapsedMs * 1000);
  if (m.settle != 0) return;
  if (std::llabs(DriftMs(time, m.time, speed)) <= kMaxAudioDriftMs) {
    m.channel = kAudioMaster;
  } else {
    reanchor_.store(true);
    m.channel = 0;
    m.time = previous;
  }
}

// A picture ahead of the master waits longer, one behind waits less, by at most one and a half
// step periods per picture.
void CAvClock::Correct(Master& m, CFpsCtrl& pacer, std::int64_t time, std::int32_t rate, double speed) const {
  const std::int64_t drift = DriftMs(time, m.time, speed);
  pacer.SetDrift(SaturateInt32(drift));
  const std::int64_t framePeriod = std::llabs(1000 / static_cast<std::int64_t>(rate));
  const bool otherChannelLeads = m.channel != 0 && m.channel != kAudioMaster && pacer.GetChannel() == 0;
  if (otherChannelLeads && drift > 0 && drift < framePeriod / 6) {
    m.channel = 0;
    m.time = time;
  }
  if (drift == 0 || m.settle > 0) return;
  const std::int64_t limit = TruncWhole(std::fabs(1000.0 / ClockStepRate(speed, rate) * 1.5));
  const std::int64_t amount = std::min<std::int64_t>(std::llabs(drift), limit);
  pacer.AddCorrection(SaturateInt32(drift > 0 ? amount : -amount));
}

void CAvClock::Anchor(std::int64_t audioBase, std::int64_t tickBase, double speed) {
  std::lock_guard lock(anchorWriter_);
  PublishAnchor(audioBase, tickBase, speed);
  reanchor_.store(false);
}

std::int64_t CAvClock::ShiftAudioBase(std::int64_t deltaUs) {
  std::lock_guard lock(anchorWriter_);
  const std::int64_t base = WrapAdd(audioBase_.load(std::memory_order_relaxed), deltaUs);
  PublishAnchor(base, tickBase_.load(std::memory_order_relaxed), anchorSpeed_.load(std::memory_order_relaxed));
  return base;
}

// Writers hold anchorWriter_. An odd sequence marks a write in progress; a reader that acquires a
// new field value also sees the odd sequence stored before it, and retries.
void CAvClock::PublishAnchor(std::int64_t audioBase, std::int64_t tickBase, double speed) {
  const std::uint64_t seq = anchorSeq_.load(std::memory_order_relaxed);
  anchorSeq_.store(seq + 1, std::memory_order_relaxed);
  audioBase_.store(audioBase, std::memory_order_release);
  tickBase_.store(tickBase, std::memory_order_release);
  anchorSpeed_.store(speed, std::memory_order_release);
  anchorSeq_.store(seq + 2, std::memory_order_release);
}

AudioAnchor CAvClock::GetAnchor() const {
  for (;;) {
    const std::uint64_t before = anchorSeq_.load(std::memory_order_acquire);
    const AudioAnchor anchor{audioBase_.load(std::memory_order_acquire), tickBase_.load(std::memory_order_acquire),
                             anchorSpeed_.load(std::memory_order_acquire)};
    if ((before & 1) == 0 && anchorSeq_.load(std::memory_order_relaxed) == before) return anchor;
  }
}
