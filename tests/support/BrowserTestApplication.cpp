// Suites that run the real web engine: windows as in WindowTestApplication, and the engine
// headless with its sandbox off, every request to an outside address refused at once so that a
// test never waits for a network. As in the program, the engine starts when a page is first shown
// (tests of pages that they never show call plat::StartWebBrowsers).
#include <QApplication>

#include "platform/browser/WebBrowser.h"
#include "tests/support/QtTestApplication.h"
#include "tests/support/TestHarness.h"

namespace {

[[maybe_unused]] ::testing::Environment* const g_application =
    plat::test::RegisterQtTestApplication([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
      plat::PrepareWebBrowser({.refuseOutsideRequests = true, .disableSandbox = true});
      auto app = std::make_unique<QApplication>(argc, argv);
      plat::test::Init();
      return app;
    });

}  // namespace
