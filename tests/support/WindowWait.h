// Waiting in window tests while what the test waits for happens on the UI thread: the window
// layer's queued messages, or Qt's own event loop, run meanwhile. The bounds only keep a fault from
// hanging a test.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/wnd/TestHarness.h"

namespace plat::test {

// Delivers the window layer's queued messages every 5 ms until the condition holds.
inline bool PumpUntil(const std::function<bool()>& condition, int boundMs) {
  for (int waited = 0; waited < boundMs && !condition(); waited += 5) {
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

// Runs Qt's event loop (the web engine answers through it) until the condition holds.
inline bool RunUntil(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return condition();
}

}  // namespace plat::test
