#include "engine/clock/AvClock.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kBase = 1'700'000'000'000'000;  // a recording's time in microseconds
constexpr std::int64_t kNow = 50'000;

// One channel's video thread against the engine clock, with time moved by hand.
struct Channel {
  explicit Channel(CAvClock& clock, std::int32_t number = 0) : clock(clock), pacer(30.0, number) {}

  // Shows a picture and returns the correction the clock step gave it (used up as the wait
  // would use it, without moving time).
  std::int32_t Show(std::int64_t time, std::int32_t rate = 30, std::int64_t nowMs = kNow) {
    clock.SyncClock(pacer, time, rate, nowMs);
    const std::int32_t correction = pacer.GetCorrection();
    pacer.TakeWaitTimeout();
    return correction;
  }

  CAvClock& clock;
  CFpsCtrl pacer;
};

// A picture `driftMs` of wall time at `speed` ahead of the media time `at`.
std::int64_t Ahead(std::int64_t at, std::int64_t driftMs, double speed = 1.0) {
  return at + static_cast<std::int64_t>(static_cast<double>(driftMs) * 1000.0 * speed);
}

}  // namespace

TEST(AvClockTest, TheAudioClockBecomesMasterAfterSevenSettlingSteps) {
  CAvClock clock;
  Channel video(clock);
  clock.SetClockSpeed(0.0);  // paused play is never stepped
  video.Show(kBase);
  EXPECT_EQ(video.pacer.GetSpeed(), 0.0);
  clock.SetClockSpeed(1.0);
  video.Show(CFpsCtrl::kNoTime);  // paced, but no master without a stamp
  EXPECT_EQ(video.pacer.GetCarry(), 33);
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kNoMaster);

  // No sound: the one channel is its own master and is never corrected.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(video.Show(kBase + i * 33'333), 0);
  EXPECT_EQ(clock.GetMasterChannel(), 0);
  EXPECT_EQ(clock.GetMasterTime(), kBase + 19 * 33'333);

  // Playback restarts with sound; the pictures run 20 ms ahead of it.
  clock.Restart();
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kNoMaster);
  clock.Anchor(kBase, kNow, 1.0);
  for (int i = 1; i <= CAvClock::kSettleSteps; ++i) {
    EXPECT_EQ(video.Show(Ahead(kBase, 20)), 0) << "settling step " << i;
    EXPECT_EQ(clock.GetMasterChannel(), 0);
    EXPECT_EQ(clock.GetSettleCount(), CAvClock::kSettleSteps - i);
  }
  EXPECT_EQ(video.Show(Ahead(kBase, 20)), 20);  // ahead: waits longer
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);
  EXPECT_EQ(clock.GetMasterTime(), kBase);
  EXPECT_EQ(video.pacer.GetDrift(), 20);
  EXPECT_EQ(video.Show(Ahead(kBase, -12)), -12);  // behind: waits less
  // A picture of a stream without time frames has no stamp to compare with the sound.
  EXPECT_EQ(video.Show(0), 0);
  EXPECT_EQ(video.pacer.GetDrift(), -12);
}

TEST(AvClockTest, CorrectionIsBoundedByOneAndAHalfStepPeriods) {
  struct Case {
    double speed;
    std::int32_t rate;
    std::int64_t limit;
  };
  const Case cases[] = {{1.0, 30, 50},   {2.0, 30, 25},      {4.0, 30, 375},   {8.0, 30, 187},
                        {16.0, 30, 375}, {0.5, 30, 100},     {1.0 / 16, 30, 800},
                        {-1.0, -30, 50}, {1.0, 25, 60},      {1.0, 0, 50}};  // no rate counts as 30
  for (const Case& c : cases) {
    for (const std::int64_t drift : {std::int64_t{90'000}, std::int64_t{-90'000}, std::int64_t{10}}) {
      SCOPED_TRACE(testing::Message() << "speed " << c.speed << " rate " << c.rate << " drift " << drift);
      CAvClock clock;
      clock.SetClockSpeed(c.speed);
      Channel video(clock);
      clock.Anchor(kBase, kNow, c.speed);
      for (int i = 0; i < CAvClock::kSettleSteps; ++i) video.Show(Ahead(kBase, drift, c.speed), c.rate);
      const std::int64_t bounded = std::clamp(drift, -c.limit, c.limit);
      EXPECT_EQ(video.Show(Ahead(kBase, drift, c.speed), c.rate), bounded);
    }
  }
}

TEST(AvClockTest, AnAudioClockFarFromThePicturesIsReanchored) {
  CAvClock clock;
  Channel video(clock);
  clock.Anchor(kBase, kNow, 1.0);
  const std::int64_t picture = Ahead(kBase, CAvClock::kMaxAudioDriftMs + 1);
  for (int i = 0; i < CAvClock::kSettleSteps; ++i) video.Show(picture);
  EXPECT_FALSE(clock.TakeReanchorRequest());  // not judged while settling
  EXPECT_EQ(video.Show(picture), 0);
  EXPECT_TRUE(clock.TakeReanchorRequest());
  EXPECT_FALSE(clock.TakeReanchorRequest());  // taken once
  EXPECT_EQ(clock.GetMasterChannel(), 0);     // the channel leads meanwhile
  EXPECT_EQ(clock.GetMasterTime(), picture);

  // The audio thread anchors at the pictures' time: the request is met and the sound leads.
  video.Show(picture);
  clock.Anchor(picture, kNow, 1.0);
  EXPECT_FALSE(clock.TakeReanchorRequest());
  EXPECT_EQ(video.Show(Ahead(picture, 5)), 5);
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);

  // Exactly at the limit the audio clock is still believed.
  CAvClock edge;
  Channel other(edge);
  edge.Anchor(kBase, kNow, 1.0);
  for (int i = 0; i <= CAvClock::kSettleSteps; ++i) other.Show(Ahead(kBase, CAvClock::kMaxAudioDriftMs));
  EXPECT_EQ(edge.GetMasterChannel(), CAvClock::kAudioMaster);
  EXPECT_FALSE(edge.TakeReanchorRequest());
}

// The sound is heard at the normal speed only. Counted at 4x from an anchor made two seconds
// earlier, its clock would run six seconds ahead of the pictures and hurry each of them; so an
// anchor leads only pictures shown at its own speed, and after each change of speed the clock
// settles again before it corrects anything.
TEST(AvClockTest, AnAnchorLeadsOnlyPicturesShownAtItsSpeed) {
  CAvClock clock;
  Channel video(clock);
  clock.Anchor(kBase, kNow, 1.0);
  for (int i = 0; i <= CAvClock::kSettleSteps; ++i) video.Show(kBase);
  ASSERT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);
  clock.SetClockSpeed(4.0);
  std::int64_t now = kNow + 2000;
  for (int k = 0; k < 10; ++k, now += 250) EXPECT_EQ(video.Show(kBase + (2 + k) * 1'000'000, 30, now), 0) << k;
  clock.Anchor(kBase + 9'000'000, now + 900, 1.0);  // a sound frame queued before the change
  EXPECT_EQ(video.Show(kBase + 12'000'000, 30, now), 0);
  EXPECT_EQ(clock.GetMasterChannel(), 0);

  clock.SetClockSpeed(1.0);
  clock.Anchor(kBase + 13'000'000, now, 1.0);
  for (int i = 0; i < CAvClock::kSettleSteps; ++i) EXPECT_EQ(video.Show(Ahead(kBase + 13'000'000, 20), 30, now), 0);
  EXPECT_EQ(video.Show(Ahead(kBase + 13'000'000, 20), 30, now), 20);
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);
}

TEST(AvClockTest, MasterTimeStaysContinuousOverTwentyMinutes) {
  for (const double speed : {1.0, -1.0, 2.0}) {
    SCOPED_TRACE(testing::Message() << "speed " << speed);
    CAvClock clock;
    clock.SetClockSpeed(speed);
    Channel video(clock);
    clock.Anchor(kBase, kNow, speed);
    const std::int64_t stepMs = 40;
    std::int64_t previous = kBase;
    int jumps = 0;
    int corrections = 0;
    for (std::int64_t now = kNow + stepMs; now <= kNow + 20 * 60 * 1000; now += stepMs) {
      // The pictures follow the sound exactly, so nothing is ever corrected.
      if (video.Show(Ahead(kBase, now - kNow, speed), speed < 0 ? -25 : 25, now) != 0) ++corrections;
      if (clock.GetMasterTime() - previous != Ahead(0, stepMs, speed)) ++jumps;
      previous = clock.GetMasterTime();
    }
    EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);
    EXPECT_EQ(jumps, 0);
    EXPECT_EQ(corrections, 0);
  }
}

TEST(AvClockTest, AnchoringFollowsTheOutputLatencyAndTheTrim) {
  CAvClock clock;
  Channel video(clock);
  clock.Anchor(kBase, kNow + 1100, 1.0);  // the sound stamped kBase is heard 1.1 s from now
  std::int64_t now = kNow;
  const auto heard = [&] { return kBase + (now - kNow - 1100) * 1000; };
  for (int i = 0; i <= CAvClock::kSettleSteps; ++i, now += 33) EXPECT_EQ(video.Show(heard(), 30, now), 0);
  EXPECT_EQ(clock.GetMasterChannel(), CAvClock::kAudioMaster);

  // The trim moves the audio base back 66 ms: the same pictures are now ahead and wait longer,
  // by at most the correction bound.
  EXPECT_EQ(clock.ShiftAudioBase(-66'000), kBase - 66'000);
  EXPECT_EQ(video.Show(heard(), 30, now), 50);
  EXPECT_EQ(clock.GetMasterTime(), heard() - 66'000);
  EXPECT_EQ(video.pacer.GetDrift(), 66);
  EXPECT_EQ(clock.GetAnchor().tickBase, kNow + 1100);

  clock.Restart();
  EXPECT_FALSE(clock.GetAnchor().Runs());
}

TEST(AvClockTest, ChannelZeroTakesTheLeadWhenJustAheadOfAnotherMaster) {
  CAvClock clock;
  Channel zero(clock, 0);
  Channel one(clock, 1);
  one.Show(kBase);
  zero.Show(kBase);          // level: stays a follower
  zero.Show(kBase - 3'000);  // behind: stays a follower
  EXPECT_EQ(zero.pacer.GetDrift(), -3);
  zero.Show(kBase + 6'000);  // over a sixth of a frame ahead: too far to take over
  EXPECT_EQ(clock.GetMasterChannel(), 1);
  zero.Show(kBase + 3'000);  // just ahead: takes the lead
  EXPECT_EQ(clock.GetMasterChannel(), 0);
  EXPECT_EQ(clock.GetMasterTime(), kBase + 3'000);

  // Channel one now follows channel zero and is corrected once the clock has settled.
  const std::int64_t ahead = kBase + 3'000 + 30'000;
  EXPECT_EQ(one.Show(ahead), 0);
  EXPECT_EQ(one.Show(ahead), 0);
  EXPECT_EQ(one.Show(ahead), 30);
}

TEST(AvClockTest, TheAnchorPairIsNeverSeenHalfWritten) {
  CAvClock clock;
  constexpr std::int64_t kWrites = 50'000;
  std::atomic<bool> done{false};
  // Every pair written, shifted or not, has tick = (base / 2) * 1000 + 7.
  std::thread audio([&] {
    for (std::int64_t k = 1; k <= kWrites; ++k) {
      clock.Anchor(2 * k, k * 1000 + 7, 1.0);
      clock.ShiftAudioBase(1);
    }
    done = true;
  });
  std::int64_t torn = 0;
  while (!done) {
    const AudioAnchor a = clock.GetAnchor();
    if (a.Runs() && a.tickBase != (a.audioBase / 2) * 1000 + 7) ++torn;
  }
  audio.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(clock.GetAnchor().audioBase, 2 * kWrites + 1);
  EXPECT_EQ(clock.GetAnchor().tickBase, kWrites * 1000 + 7);
}
