#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/AppPaths.h"
#include "platform/File.h"
#include "tests/support/ScopedEnvironment.h"

TEST(AppPathsTest, PlayerAppDirHoldsEverythingElseTheWritableProgramFolderDoes) {
  const CString programLanguages = CString(plat::ExecutableDir()) + L"Language/";
  const std::string scratch = std::filesystem::temp_directory_path() / ("app-paths-" + std::to_string(::getpid()));
  std::filesystem::create_directories(scratch);
  {
    ScopedEnvironment env("PLAYER_APPDIR", scratch.c_str());
    const app::AppFolders folders = app::FindAppFolders();
    EXPECT_EQ(folders.program, CString(scratch + "/"));
    EXPECT_EQ(folders.settings, folders.program);
    EXPECT_EQ(folders.languages, programLanguages);  // it has no Language/ of its own
    std::filesystem::create_directory(scratch + "/Language");
    EXPECT_EQ(app::FindAppFolders().languages, CString(scratch + "/Language/"));
  }
  std::filesystem::remove_all(scratch);
  ScopedEnvironment env("PLAYER_APPDIR", nullptr);
  const app::AppFolders folders = app::FindAppFolders();
  EXPECT_EQ(folders.program, CString(plat::ExecutableDir()));
  EXPECT_EQ(folders.settings, folders.program);
  EXPECT_EQ(folders.languages, programLanguages);
}
