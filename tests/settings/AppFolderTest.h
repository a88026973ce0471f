// A fresh temporary application folder for each test, with a CAppConfig pointed at it and the
// locale variables cleared for the test's duration.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "settings/AppConfig.h"
#include "tests/support/LocaleEnvironment.h"

class AppFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("appconfig-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    config_.SetAppFolder(CString(dir_.string()));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Writes a file of the application folder, making its folder first.
  void WriteFile(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path path = dir_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string ReadFile(const std::string& relative) const {
    std::ifstream in(dir_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string Utf16File(std::wstring_view text) { return "\xFF\xFE" + WideToUtf16Le(text); }
  static std::string Utf8BomFile(std::wstring_view text) { return "\xEF\xBB\xBF" + WideToUtf8(text); }
  static void SetEnv(const char* name, const char* value) { LocaleEnvironment::Set(name, value); }

  LocaleEnvironment environment_;
  std::filesystem::path dir_;
  CAppConfig config_;
};
