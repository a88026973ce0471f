// Text drawing needs a QGuiApplication; the tests run on Qt's offscreen platform and write the
// pictures they draw under the build tree's test output.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  plat::test::InitTestEnvironment();
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
