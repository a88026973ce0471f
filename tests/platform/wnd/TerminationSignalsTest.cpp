#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "platform/wnd/TerminationSignals.h"
#include "tests/support/WindowWait.h"

// The first of SIGTERM, SIGINT and SIGHUP reaches the UI thread's loop; the later ones are heard
// at once on the signals' own thread; afterwards the signals are handled as before.
TEST(TerminationSignalsTest, TheFirstSignalAsksOnTheUiThreadAndLaterOnesInsistAtOnce) {
  std::thread::id askedOn;
  std::atomic<int> repeats{0};
  {
    const plat::TerminationSignals endRequests([&] { askedOn = std::this_thread::get_id(); }, [&] { ++repeats; });
    std::raise(SIGINT);
    ASSERT_TRUE(plat::test::PumpUntil([&] { return askedOn != std::thread::id(); }));
    EXPECT_EQ(askedOn, std::this_thread::get_id());
    std::raise(SIGHUP);
    std::raise(SIGTERM);
    EXPECT_TRUE(plat::test::Eventually([&] { return repeats.load() == 2; }));
  }
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}
