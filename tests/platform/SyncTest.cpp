#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Sync.h"
#include "platform/Time.h"
#include "tests/support/Eventually.h"
#include "tests/support/FakeClock.h"

TEST(SyncTest, AutoResetEventLatchesOneSetForOneWait) {
  CEvent e;
  EXPECT_FALSE(e.Wait(0));
  e.Set();
  e.Set();  // a second set with no waiter changes nothing
  EXPECT_TRUE(e.Wait(0));
  EXPECT_FALSE(e.Wait(0));

  std::atomic<int> released{0};
  std::thread a([&] { if (e.Wait(2000)) ++released; });
  std::thread b([&] { if (e.Wait(300)) ++released; });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  e.Set();
  a.join();
  b.join();
  EXPECT_EQ(released.load(), 1);

  CEvent manual(true);
  manual.Set();
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(manual.Wait(0));
  manual.Reset();
  EXPECT_FALSE(manual.Wait(0));
}

namespace {

// Whether the thread sleeps in the kernel: a waiter that announced itself and then sleeps is
// parked in its Wait, so a Set after that has to wake it rather than find it still running.
bool Sleeping(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto end = line.rfind(')');
  return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}

}  // namespace

TEST(SyncTest, ManualResetEventReleasesEveryWaiterAndStaysSet) {
  constexpr int kWaiters = 4;
  CEvent gate(true);
  std::atomic<int> released{0};
  std::vector<std::atomic<pid_t>> tids(kWaiters);
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&, i] {
      tids[i] = static_cast<pid_t>(syscall(SYS_gettid));
      // Far beyond the test's own deadline: a waiter that the Set does not release stays here.
      if (gate.Wait(60000)) ++released;
    });
  }
  ASSERT_TRUE(plat::test::Eventually([&] {
    for (auto& tid : tids)
      if (tid == 0 || !Sleeping(tid)) return false;
    return true;
  }));
  gate.Set();
  const bool all = plat::test::Eventually([&] { return released == kWaiters; });
  const int releasedBySet = released;
  // A waiter that a fault left behind is let go, one Set each, before the joins.
  if (!all) {
    plat::test::Eventually([&] {
      gate.Set();
      return released == kWaiters;
    });
  }
  for (auto& t : waiters) t.join();
  EXPECT_TRUE(all) << releasedBySet << " of " << kWaiters << " waiters released";
  EXPECT_TRUE(gate.IsSet());
  EXPECT_TRUE(gate.Wait(0));  // and later waits pass until the event is reset
}

TEST(SyncTest, CriticalSectionIsReentrant) {
  CCritSecs cs;
  cs.Lock();
  cs.Lock();
  std::atomic<bool> otherGotIt{false};
  std::thread t([&] {
    cs.Lock();
    otherGotIt = true;
    cs.Unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(otherGotIt.load());
  cs.Unlock();
  EXPECT_FALSE(otherGotIt.load());
  {
    CCritLock scope(cs);  // still owned once; this re-enters
    scope.Unlock();
  }
  cs.Unlock();
  t.join();
  EXPECT_TRUE(otherGotIt.load());
}

TEST(SyncTest, TimedJoinReportsAThreadThatDoesNotStop) {
  std::atomic<bool> release{false};
  plat::Thread t;
  ASSERT_TRUE(t.Start([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }));
  EXPECT_FALSE(t.Start([] {}));  // one body at a time
  EXPECT_FALSE(t.Join(30));
  EXPECT_TRUE(t.Running());
  EXPECT_TRUE(t.Started());
  release = true;
  EXPECT_TRUE(t.Join(5000));
  EXPECT_FALSE(t.Running());
  EXPECT_FALSE(t.Started());
  plat::SetCurrentThreadPriority(plat::ThreadPriority::AboveNormal);  // allowed to do nothing
}

TEST(TimeTest, ClocksAndLocalTimeFollowTheTimeZone) {
  plat::test::FakeClock fake(0xFFFFFFF0ull);
  EXPECT_EQ(fake.TickCount(), 0xFFFFFFF0u);
  fake.SleepMs(0x20);
  EXPECT_EQ(fake.NowMs(), 0x100000010ull);
  EXPECT_EQ(fake.TickCount(), 0x10u);  // the 32-bit tick count wraps
  EXPECT_EQ(static_cast<DWORD>(fake.TickCount() - 0xFFFFFFF0u), 0x20u);

  const DWORD before = GetTickCount();
  Sleep(20);
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - before), 19u);

  // An installed tick clock drives GetTickCount until it is removed.
  EXPECT_EQ(plat::SetTickClock(&fake), nullptr);
  EXPECT_EQ(GetTickCount(), 0x10u);
  fake.Advance(5);
  EXPECT_EQ(GetTickCount(), 0x15u);
  EXPECT_EQ(plat::SetTickClock(nullptr), &fake);
  EXPECT_EQ(&plat::TickClock(), &plat::SystemClock());

  const char* oldTz = getenv("TZ");
  const std::string saved = oldTz ? oldTz : "";
  setenv("TZ", "UTC", 1);
  EXPECT_EQ(plat::LocalToEpoch(2024, 3, 1, 0, 12, 30), 1709251950);
  EXPECT_EQ(plat::LocalUtcOffsetSeconds(), 0);
  setenv("TZ", "CST-8", 1);  // eight hours east of UTC, no daylight saving
  EXPECT_EQ(plat::LocalToEpoch(2024, 3, 1, 8, 12, 30), 1709251950);
  EXPECT_EQ(plat::LocalUtcOffsetSeconds(), 8 * 3600);
  std::tm tm{};
  ASSERT_TRUE(plat::EpochToLocal(1709251950, &tm));
  EXPECT_EQ(tm.tm_hour, 8);
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  EXPECT_EQ(plat::LocalUtcOffsetSeconds(), 3600);
  EXPECT_EQ(plat::LocalUtcOffsetAt(1719792000), 7200);  // July: daylight saving
  if (oldTz) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
}

TEST(TimeTest, WaitEventEndsOnSignalOrTimeOut) {
  CEvent event;
  plat::test::FakeClock fake(5000);
  EXPECT_FALSE(fake.WaitEvent(event, 40));
  EXPECT_EQ(fake.NowMs(), 5040u);  // the fake clock never blocks: it moves by the time-out
  event.Set();
  EXPECT_TRUE(fake.WaitEvent(event, 40));
  EXPECT_EQ(fake.NowMs(), 5040u);  // a pending signal ends the wait without time passing
  EXPECT_FALSE(event.IsSet());     // and is taken by it

  plat::IClock& steady = plat::SystemClock();
  event.Set();
  EXPECT_TRUE(steady.WaitEvent(event, 10000));
  const std::uint64_t before = steady.NowMs();
  EXPECT_FALSE(steady.WaitEvent(event, 15));
  EXPECT_GE(steady.NowMs() - before, 14u);
}
