// Waiting in tests for what another thread brings about.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plat::test {

// How long a test waits for what it expects before it fails: far beyond what a loaded machine
// under the sanitizers needs, so that only a fault reaches it.
inline constexpr std::chrono::seconds kEventDeadline{20};

// Polls the condition about once a millisecond; false when it still does not hold after the
// deadline, so that a fault fails the test instead of hanging it. Only whole jobs (an export) are
// given longer.
inline bool Eventually(const std::function<bool()>& condition, std::chrono::seconds wait = kEventDeadline) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace plat::test
