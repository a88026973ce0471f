// Controls are windows: they need a QApplication and run on Qt's offscreen platform with the
// window layer's harness.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/TestHarness.h"
#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  plat::test::InitTestEnvironment();
  QApplication app(argc, argv);
  plat::test::Init();
  plat::SetDialogTemplateFolder(PLAYER_CONTROLS_TEST_DIALOGS);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
