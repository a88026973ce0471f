// The one QApplication of the video tests, made at first use and kept until the process ends
// (Qt must not be torn down by static destructors), and the window layer's test harness on it.
#pragma once

#include <QApplication>

#include "tests/support/TestHarness.h"

namespace videotest {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "video_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline void WindowLayer() {
  App();
  static const bool ready = (plat::test::Init(), true);
  plat::test::Reset();
  (void)ready;
}

}  // namespace videotest
