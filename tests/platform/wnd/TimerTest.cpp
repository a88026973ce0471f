#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/wnd/Window.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 50, 50)));
  }
  SpyWnd wnd;
};

}  // namespace

TEST_F(TimerTest, TimersFireOnTheTickClockAndStopWhenKilled) {
  EXPECT_EQ(wnd.SetTimer(1, 500), 1u);
  plat::test::AdvanceTime(499);
  EXPECT_TRUE(wnd.Of(WM_TIMER).empty());
  plat::test::AdvanceTime(1);
  ASSERT_EQ(wnd.Of(WM_TIMER).size(), 1u);
  EXPECT_EQ(wnd.Of(WM_TIMER)[0].wParam, 1u);
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 3u);

  EXPECT_TRUE(wnd.KillTimer(1));
  EXPECT_FALSE(wnd.KillTimer(1));
  plat::test::AdvanceTime(5000);
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 3u);
}

TEST_F(TimerTest, AnOverdueTimerQueuesOneMessageWithoutBacklogAndGetTickCountFollowsTheClock) {
  const DWORD start = GetTickCount();
  wnd.SetTimer(513, 25);
  // Time passes while nothing pumps: one WM_TIMER only, not one per period.
  plat::test::Clock().Advance(1000);
  EXPECT_EQ(GetTickCount() - start, 1000u);
  plat::test::Pump();
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 1u);
  // The next expiry counts from the moment it fired.
  plat::test::AdvanceTime(24);
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 1u);
  plat::test::AdvanceTime(1);
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 2u);
}

TEST_F(TimerTest, RestartingReplacesTheTimerAndDestroyingTheWindowEndsItsTimers) {
  wnd.SetTimer(7, 100);
  plat::test::AdvanceTime(90);
  wnd.SetTimer(7, 100);  // starts the period again
  plat::test::AdvanceTime(90);
  EXPECT_TRUE(wnd.Of(WM_TIMER).empty());
  plat::test::AdvanceTime(10);
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 1u);

  // A timer that is due when its window goes away fires nowhere.
  wnd.SetTimer(8, 50);
  plat::test::Clock().Advance(60);
  wnd.DestroyWindow();
  plat::test::Pump();
  EXPECT_EQ(wnd.Of(WM_TIMER).size(), 1u);
  EXPECT_EQ(wnd.SetTimer(9, 10), 0u);
}

// In the program's own loop, on the machine's clock, a timer goes on firing once its first
// message was handled, with no other timer or input to wake the loop.
TEST_F(TimerTest, OnTheMachinesClockATimerKeepsFiringInTheProgramsLoop) {
  plat::IClock* fake = plat::SetTickClock(&plat::SystemClock());
  plat::SetManualTime(false);
  wnd.SetTimer(9, 10);
  const bool fired = plat::test::Eventually([&] {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return wnd.Of(WM_TIMER).size() >= 5;
  });
  wnd.KillTimer(9);
  plat::SetManualTime(true);
  plat::SetTickClock(fake);
  EXPECT_TRUE(fired);
}
