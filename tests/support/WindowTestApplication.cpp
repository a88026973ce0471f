// Suites that make windows: a QApplication on Qt's offscreen platform with the window layer's
// harness (fake clock and services).
#include <QApplication>

#include "tests/support/QtTestApplication.h"
#include "tests/support/TestHarness.h"

namespace {

[[maybe_unused]] ::testing::Environment* const g_application =
    plat::test::RegisterQtTestApplication([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
      auto app = std::make_unique<QApplication>(argc, argv);
      plat::test::Init();
      return app;
    });

}  // namespace
