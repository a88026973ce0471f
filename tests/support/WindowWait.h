// Waiting in window tests while what the test waits for happens on the UI thread: the window
// layer's queued messages, or Qt's own event loop, run meanwhile, up to kEventDeadline.
#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

#include "tests/support/Eventually.h"
#include "tests/support/TestHarness.h"

namespace plat::test {

// Delivers the window layer's queued messages every 5 ms until the condition holds.
inline bool PumpUntil(const std::function<bool()>& condition, std::chrono::seconds wait = kEventDeadline) {
  return Eventually(
      [&] {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return condition();
      },
      wait);
}

// Runs Qt's event loop (the web engine answers through it) until the condition holds.
inline bool RunUntil(const std::function<bool()>& condition) {
  return Eventually([&] {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
  });
}

}  // namespace plat::test
