// The real web engine runs headless on Qt's offscreen platform, sandbox off, and every request to
// an outside address is refused at once: a test never waits for a network.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/browser/WebBrowser.h"
#include "platform/wnd/TestHarness.h"
#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  plat::test::InitTestEnvironment();
  plat::PrepareWebBrowser({.refuseOutsideRequests = true, .disableSandbox = true});
  QApplication app(argc, argv);
  plat::test::Init();
  plat::StartWebBrowsers();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
