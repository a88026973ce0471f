// Waiting in tests for what another thread brings about.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plat::test {

// Polls the condition about once a millisecond, at most `boundMs` times; false when it still does
// not hold then, so that a fault fails the test instead of hanging it.
inline bool Eventually(const std::function<bool()>& condition, int boundMs) {
  for (int i = 0; i < boundMs; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

}  // namespace plat::test
