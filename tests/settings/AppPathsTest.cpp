#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/File.h"
#include "platform/UserFolders.h"
#include "settings/AppPaths.h"
#include "testdata/ScratchDir.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

CString Folder(const fixtures::ScratchDir& scratch, const std::string& relative) {
  return CString(scratch.File(relative));
}

}  // namespace

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

TEST(AppPathsTest, TheDefaultSnapshotFolderIsBesideTheProgramOrInThePicturesFolder) {
  const fixtures::ScratchDir folder("snapshot-folder");
  const std::filesystem::path root(folder.Path());
  const std::string home = (root / "home").string();
  ScopedEnvironment environment;
  environment.Set("HOME", home.c_str());
  environment.Set("XDG_CONFIG_HOME", nullptr);
  std::filesystem::create_directories(root / "program");
  EXPECT_EQ(app::DefaultSnapshotFolder(Folder(folder, "program")), Folder(folder, "program/Snapshot/"));
  std::filesystem::create_directories(root / "program/Snapshot");
  EXPECT_EQ(app::DefaultSnapshotFolder(Folder(folder, "program/")), Folder(folder, "program/Snapshot/"));
  // A program folder that cannot take the folder sends snapshots to the pictures folder.
  const CString inPictures(home + "/Pictures/Dravik2 Player/");
  EXPECT_EQ(app::DefaultSnapshotFolder(CString(L"/nonexistent/program/")), inPictures);
  std::filesystem::create_directories(root / "blocked");
  // A file where the folder should be.
  std::ofstream(root / "blocked/Snapshot") << "x";
  EXPECT_EQ(app::DefaultSnapshotFolder(Folder(folder, "blocked")), inPictures);

  // The user's dirs file names the pictures folder, under $HOME or absolute.
  std::filesystem::create_directories(root / "home/.config");
  std::ofstream(root / "home/.config/user-dirs.dirs")
      << "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EXPECT_EQ(plat::UserPicturesDir(), home + "/Bilder");
  EXPECT_EQ(app::DefaultSnapshotFolder(CString(L"/nonexistent/")),
            CString(home + "/Bilder/Dravik2 Player/"));
  const std::string config = (root / "config").string();
  environment.Set("XDG_CONFIG_HOME", config.c_str());
  std::filesystem::create_directories(config);
  std::ofstream(config + "/user-dirs.dirs") << "XDG_PICTURES_DIR=\"/srv/pictures/\"\n";
  EXPECT_EQ(plat::UserPicturesDir(), "/srv/pictures");
  // A name that is neither under $HOME nor absolute is not used.
  std::ofstream(config + "/user-dirs.dirs") << "XDG_PICTURES_DIR=\"pictures\"\n";
  EXPECT_EQ(plat::UserPicturesDir(), home + "/Pictures");
  // Without a home there is no pictures folder.
  environment.Set("HOME", nullptr);
  EXPECT_EQ(plat::UserPicturesDir(), "");
  EXPECT_EQ(app::DefaultSnapshotFolder(CString(L"/nonexistent/")), L"");
}
