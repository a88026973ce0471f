// The skin tests draw text and make windows: they need a QApplication on Qt's offscreen platform.
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
