// The whole program's windows run on Qt's offscreen platform with the window layer's harness;
// the real program runs on Xvfb servers of its own.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/wnd/TestHarness.h"
#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  plat::test::InitTestEnvironment();
  QApplication app(argc, argv);
  plat::test::Init();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
