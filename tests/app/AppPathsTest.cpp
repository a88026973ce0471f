#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "platform/File.h"
#include "tests/support/ScopedEnvironment.h"

TEST(AppPathsTest, PlayerAppDirHoldsEverythingElseTheWritableProgramFolderDoes) {
  {
    ScopedEnvironment env("PLAYER_APPDIR", "/tmp/player-scratch");
    const app::AppFolders folders = app::FindAppFolders();
    EXPECT_EQ(folders.program, L"/tmp/player-scratch/");
    EXPECT_EQ(folders.settings, L"/tmp/player-scratch/");
  }
  ScopedEnvironment env("PLAYER_APPDIR", nullptr);
  const app::AppFolders folders = app::FindAppFolders();
  EXPECT_EQ(folders.program, CString(plat::ExecutableDir()));
  EXPECT_EQ(folders.settings, folders.program);
}
