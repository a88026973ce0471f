// The Qt application that a window suite's tests run in: made before the suite's first test and
// ended after its last, so that listing the tests makes none. A suite chooses its kind through
// player_test_suite's APP argument, which links one of the registrations beside this header.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <utility>

namespace plat::test {

class QtTestApplication : public ::testing::Environment {
 public:
  using Factory = std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;

  explicit QtTestApplication(Factory make) : make_(std::move(make)) {}
  void SetUp() override { app_ = make_(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  Factory make_;
  char name_[5] = "test";
  int argc_ = 1;
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

// Registers the application with GoogleTest; each registration file calls it once at start-up.
inline ::testing::Environment* RegisterQtTestApplication(QtTestApplication::Factory make) {
  return ::testing::AddGlobalTestEnvironment(new QtTestApplication(std::move(make)));
}

}  // namespace plat::test
