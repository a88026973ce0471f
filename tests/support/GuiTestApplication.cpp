// Suites that draw text and pictures without windows: a QGuiApplication on Qt's offscreen platform.
#include <QGuiApplication>

#include "tests/support/QtTestApplication.h"

namespace {

[[maybe_unused]] ::testing::Environment* const g_application =
    plat::test::RegisterQtTestApplication([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
      return std::make_unique<QGuiApplication>(argc, argv);
    });

}  // namespace
