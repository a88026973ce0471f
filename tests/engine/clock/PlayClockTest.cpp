#include "engine/clock/PlayClock.h"

#include <gtest/gtest.h>

TEST(PlayClockTest, StepsOneSecondPerSecondInTheDirectionOfPlay) {
  CPlayClock clock;
  clock.Set(1'709'251'950);
  EXPECT_TRUE(clock.Tick(5'000, 1.0));  // the first tick of a play moves at once
  EXPECT_EQ(clock.Get(), 1'709'251'951);
  EXPECT_FALSE(clock.Tick(5'999, 1.0));
  EXPECT_EQ(clock.Get(), 1'709'251'951);
  EXPECT_TRUE(clock.Tick(6'000, 16.0));  // one second per second of wall time, whatever the speed
  EXPECT_EQ(clock.Get(), 1'709'251'952);
  EXPECT_TRUE(clock.Tick(7'500, -1.0));
  EXPECT_EQ(clock.Get(), 1'709'251'951);
  EXPECT_FALSE(clock.Tick(8'499, -1.0));  // measured from the last move, not from the grid
  EXPECT_TRUE(clock.Tick(8'500, 0.0));    // speed 0 counts forward
  EXPECT_EQ(clock.Get(), 1'709'251'952);

  clock.Set(1'709'300'000);  // the source repositions it; the rhythm stays
  EXPECT_FALSE(clock.Tick(9'000, 1.0));
  EXPECT_EQ(clock.Get(), 1'709'300'000);

  clock.Clear();
  EXPECT_EQ(clock.Get(), 0);
  EXPECT_TRUE(clock.Tick(9'001, 1.0));
  EXPECT_EQ(clock.Get(), 1);
}
