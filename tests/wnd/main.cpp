// Windows need a QApplication; the tests run on Qt's offscreen platform with the layer's harness.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/TestHarness.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  plat::test::Init();
  plat::SetDialogTemplateFolder(PLAYER_WND_TEST_DIALOGS);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
