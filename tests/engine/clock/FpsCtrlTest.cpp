#include "engine/clock/FpsCtrl.h"

#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Time.h"
#include "tests/support/FakeClock.h"

namespace {

constexpr std::int64_t kFarStamp = 1'700'000'000'000'000;  // a recording's time in microseconds

std::int64_t Now(const plat::test::FakeClock& clock) { return static_cast<std::int64_t>(clock.NowMs()); }

// Shows `count` pictures the way the video thread does (step, then wait), with no decoding
// time, and returns the wall time between consecutive steps.
std::vector<std::int64_t> PacePictures(CFpsCtrl& pacer, plat::test::FakeClock& clock, double speed, std::int32_t rate,
                                       double stampStepUs, int count) {
  pacer.SetSpeed(speed);
  std::vector<std::int64_t> intervals;
  for (int i = 0; i < count; ++i) {
    const std::int64_t before = Now(clock);
    pacer.Step(kFarStamp + std::llround(i * stampStepUs), rate, before);
    pacer.Wait(clock);
    intervals.push_back(Now(clock) - before);
  }
  return intervals;
}

}  // namespace

TEST(FpsCtrlTest, PicturesTakeTheirMediaTimeAtEverySpeed) {
  struct Case {
    double speed;
    std::int32_t rate;
    double stampStepUs;  // stamp distance of the pictures shown
  };
  const Case cases[] = {
      {1.0 / 16, 30, 1e6 / 30}, {1.0 / 8, 30, 1e6 / 30}, {0.25, 30, 1e6 / 30}, {0.5, 30, 1e6 / 30},
      {1.0, 30, 1e6 / 30},      {1.0, 25, 1e6 / 25},     {2.0, 30, 1e6},      {4.0, 30, 1e6},
      {8.0, 30, 1e6},           {16.0, 30, 4e6},  // above 8x every fourth key frame is shown
      {-1.0, -30, -1e6 / 30},   // backward: newest first, the rate negated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " rate " << c.rate);
    plat::test::FakeClock clock(100'000);
    CFpsCtrl pacer(std::fabs(c.speed * c.rate), 0);
    const auto intervals = PacePictures(pacer, clock, c.speed, c.rate, c.stampStepUs, 120);
    // Once settled each interval is the stamp distance at the speed, to the millisecond, and the
    // truncated fractions add up: over the run the pictures neither gain nor lose a millisecond.
    const double wanted = std::fabs(c.stampStepUs / 1000.0 / c.speed);
    double total = 0.0;
    int offBeat = 0;
    for (std::size_t i = 20; i < intervals.size(); ++i) {
      total += static_cast<double>(intervals[i]) - wanted;
      if (std::fabs(static_cast<double>(intervals[i]) - wanted) > 1.0) ++offBeat;
    }
    EXPECT_EQ(offBeat, 0);
    EXPECT_NEAR(total, 0.0, 1.0);
  }
}

TEST(FpsCtrlTest, CarryIsBoundedByTwoSecondsOfStepPeriods) {
  struct Case {
    double speed;
    std::int32_t rate;
    std::int32_t limit;
  };
  const Case cases[] = {{1.0, 30, 66},  {-1.0, -30, 66}, {2.0, 30, 1000},     {4.0, 30, 500},
                        {8.0, 30, 250}, {16.0, 30, 500}, {0.5, 30, 133},      {1.0 / 16, 30, 1066},
                        {1.0, 25, 80},  {0.5, 0, 133}};  // no rate counts as the default 30
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " rate " << c.rate);
    plat::test::FakeClock clock(100'000);
    CFpsCtrl pacer(30.0, 0);
    pacer.SetSpeed(c.speed);
    // Pictures a second apart with no wall time between them: the carry stops at the bound.
    const std::int64_t second = c.rate >= 0 ? 1'000'000 : -1'000'000;
    for (int i = 0; i < 40; ++i) pacer.Step(kFarStamp + i * second, c.rate, Now(clock));
    EXPECT_EQ(pacer.GetCarry(), c.limit);
    // Pictures far too late: the carry stops at the negative bound.
    for (int i = 0; i < 40; ++i) {
      clock.Advance(100'000);
      pacer.Step(kFarStamp + i * second / 1000, c.rate, Now(clock));
    }
    EXPECT_EQ(pacer.GetCarry(), -c.limit);
  }
}

TEST(FpsCtrlTest, AJumpInTheStampsIsACutBelowSixteenTimes) {
  // A step at 1x sets the previous stamp; the jump follows with no wall time between: a kept
  // delta makes the pacer wait, a cut does not.
  const auto carryAfterJump = [](double speed, std::int64_t jump) {
    CFpsCtrl pacer(30.0, 0);
    pacer.SetSpeed(1.0);
    pacer.Step(kFarStamp, 30, 100'000);
    pacer.SetSpeed(speed);
    pacer.Step(kFarStamp + jump, 30, 100'000);
    return pacer.GetCarry();
  };
  EXPECT_EQ(carryAfterJump(1.0, CFpsCtrl::kCutUs), 0);
  EXPECT_EQ(carryAfterJump(1.0, -CFpsCtrl::kCutUs), 0);
  EXPECT_EQ(carryAfterJump(8.0, 5 * CFpsCtrl::kCutUs), 0);
  EXPECT_EQ(carryAfterJump(-16.0, CFpsCtrl::kCutUs), 0);
  EXPECT_EQ(carryAfterJump(1.0, CFpsCtrl::kCutUs - 1), 66);  // 1111 ms wanted, bounded
  EXPECT_EQ(carryAfterJump(16.0, CFpsCtrl::kCutUs), 34);     // 69 ms wanted, half taken at once
  EXPECT_EQ(carryAfterJump(16.0, INT64_MAX - kFarStamp), 500);  // a garbage stamp only meets the bound
}

TEST(FpsCtrlTest, PicturesWithoutStampsHoldTheNominalInterval) {
  struct Case {
    double speed;
    std::int32_t rate;
    std::int64_t interval;
  };
  const Case cases[] = {{1.0, 30, 33},  {0.5, 30, 33},    {2.0, 30, 250},
                        {16.0, 30, 250}, {-1.0, -25, 40}, {-1.0, 0, 33}};
  for (const Case& c : cases) {
    for (const std::int64_t none : {std::int64_t{0}, CFpsCtrl::kNoTime}) {
      SCOPED_TRACE(testing::Message() << "speed " << c.speed << " stamp " << none);
      plat::test::FakeClock clock(100'000);
      CFpsCtrl pacer(30.0, 0);
      pacer.SetSpeed(c.speed);
      pacer.Step(none, c.rate, Now(clock));
      EXPECT_EQ(pacer.GetCarry(), c.interval);
      pacer.Step(none, c.rate, Now(clock));  // two intervals owed: beyond one, falls back to 0.8
      EXPECT_EQ(pacer.GetCarry(), c.interval * 8 / 10);
      clock.Advance(10'000);
      pacer.Step(none, c.rate, Now(clock));  // far too late
      EXPECT_EQ(pacer.GetCarry(), -(c.interval * 8 / 10));
    }
  }
  // At speed 0 nothing is paced at all.
  CFpsCtrl stopped(30.0, 0);
  stopped.Step(kFarStamp, 30, 100'000);
  stopped.Step(CFpsCtrl::kNoTime, 30, 100'000);
  EXPECT_EQ(stopped.GetCarry(), 0);
}

TEST(FpsCtrlTest, WaitTakesCarryAndCorrectionAndEndsOnASignal) {
  plat::test::FakeClock clock(100'000);
  CFpsCtrl pacer(0.0, 0);
  EXPECT_DOUBLE_EQ(pacer.GetRate(), CFpsCtrl::kDefaultRate);  // a rate that is no number counts as 30
  EXPECT_DOUBLE_EQ(pacer.SetFps(-12.0, Now(clock)), CFpsCtrl::kDefaultRate);
  EXPECT_DOUBLE_EQ(pacer.SetFps(NAN, Now(clock)), CFpsCtrl::kDefaultRate);
  EXPECT_DOUBLE_EQ(pacer.SetFps(15.0, Now(clock)), 15.0);
  pacer.SetSpeed(1.0);
  pacer.Step(kFarStamp, 30, Now(clock));
  pacer.Step(kFarStamp + 33'333, 30, Now(clock));
  ASSERT_EQ(pacer.GetCarry(), 16);

  pacer.AddCorrection(10);
  pacer.AddCorrection(-4);
  EXPECT_TRUE(pacer.Wait(clock));  // the rate change left the event signalled: no wait at all
  EXPECT_EQ(Now(clock), 100'000);
  pacer.AddCorrection(6);
  EXPECT_FALSE(pacer.Wait(clock));
  EXPECT_EQ(Now(clock), 100'022);  // carry plus correction
  EXPECT_FALSE(pacer.Wait(clock));
  EXPECT_EQ(Now(clock), 100'038);  // the correction was used once
  pacer.AddCorrection(-15);         // 1 ms left: not worth a sleep
  EXPECT_EQ(pacer.TakeWaitTimeout(), 0);
  pacer.AddCorrection(-14);
  EXPECT_EQ(pacer.TakeWaitTimeout(), 2);

  // A wake from another thread ends a real wait at once.
  pacer.AddCorrection(600'000);
  bool woken = false;
  std::thread waiter([&] { woken = pacer.Wait(plat::SystemClock()); });
  pacer.Wake();
  waiter.join();
  EXPECT_TRUE(woken);
}

TEST(FpsCtrlTest, IdleTimeIsNotTakenForALatePicture) {
  plat::test::FakeClock clock(100'000);
  CFpsCtrl pacer(30.0, 0);
  PacePictures(pacer, clock, 2.0, 30, 1e6, 10);  // close to 500 ms a key frame
  const std::int32_t steady = pacer.GetCarry();
  ASSERT_GT(steady, 400);

  // Five seconds of pause, stamped on resume: the next picture is paced as if just shown.
  clock.Advance(5000);
  pacer.StampTick(Now(clock));
  pacer.Step(kFarStamp + 10'000'000, 30, Now(clock));
  EXPECT_GE(pacer.GetCarry(), steady);
  // Without the stamp the same pause counts as lateness and the carry goes to its bound.
  clock.Advance(5000);
  pacer.Step(kFarStamp + 11'000'000, 30, Now(clock));
  EXPECT_EQ(pacer.GetCarry(), -1000);

  // After a reset the first step measures nothing and carries nothing over.
  pacer.AddCorrection(7);
  pacer.Reset();
  EXPECT_EQ(pacer.GetCorrection(), 0);
  clock.Advance(5000);
  pacer.Step(kFarStamp + 11'500'000, 30, Now(clock));
  EXPECT_EQ(pacer.GetCarry(), 125);  // 250 ms wanted, half taken at once
}
