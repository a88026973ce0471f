// The map page's tests run the real web engine headless, sandbox off, with every request to an
// outside address refused at once: the map API is the test's stand-in or nothing.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/browser/WebBrowser.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/TestHarness.h"
#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  plat::test::InitTestEnvironment();
  plat::PrepareWebBrowser({.refuseOutsideRequests = true, .disableSandbox = true});
  QApplication app(argc, argv);
  plat::test::Init();
  plat::SetDialogTemplateFolder(PLAYER_DIALOGS);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
