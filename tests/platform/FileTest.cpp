#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/File.h"

namespace fs = std::filesystem;

namespace {

fs::path TempDir(const char* name) {
  const fs::path d = fs::temp_directory_path() / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

}  // namespace

TEST(FileTest, SeekPastTheEndSucceedsAndTheNextReadFails) {
  const fs::path dir = TempDir("file-seek");
  const std::string path = (dir / "data.bin").string();
  plat::File f;
  ASSERT_FALSE(f.Open(path, plat::kRead));  // missing and not created
  ASSERT_TRUE(f.Open(path, plat::kRead | plat::kWrite, true));
  const char text[] = "0123456789";
  ASSERT_TRUE(f.WriteAll(text, 10));

  char buf[8] = {};
  ASSERT_TRUE(f.Seek(5));
  EXPECT_FALSE(f.ReadAll(buf, 8));  // only 5 bytes left: a short read is a failure
  ASSERT_TRUE(f.Seek(0x100000000ull));  // beyond 4 GiB and beyond the end
  EXPECT_EQ(f.Tell(), 0x100000000ull);
  EXPECT_FALSE(f.ReadAll(buf, 1));
  ASSERT_TRUE(f.Seek(2));
  ASSERT_TRUE(f.ReadAll(buf, 3));
  EXPECT_EQ(std::string(buf, 3), "234");

  // A write after a skip leaves a hole of zeros.
  std::uint64_t pos = 0;
  ASSERT_TRUE(f.Seek(10));
  ASSERT_TRUE(f.Skip(16, &pos));
  EXPECT_EQ(pos, 26u);
  ASSERT_TRUE(f.WriteAll("Z", 1));
  EXPECT_EQ(f.Size(), 27u);
  char hole[16];
  ASSERT_TRUE(f.ReadAt(10, hole, 16));
  EXPECT_EQ(std::string(hole, 16), std::string(16, '\0'));
  f.Close();

  // Opening for writing never truncates.
  ASSERT_TRUE(f.Open(path, plat::kRead | plat::kWrite, true));
  EXPECT_EQ(f.Size(), 27u);
  fs::remove_all(dir);
}

TEST(FileTest, DriveNumbersMapToImagesThroughTheEnvironment) {
  const fs::path dir = TempDir("file-drive");
  const std::string image = (dir / "card.img").string();
  std::ofstream(image, std::ios::binary) << std::string(4096, 'c');
  ASSERT_EQ(setenv("PLAYER_DRIVE_12", image.c_str(), 1), 0);

  EXPECT_EQ(plat::DrivePath(12), image);
  EXPECT_EQ(plat::TranslateDevicePath("\\\\.\\PhysicalDrive12"), image);
  EXPECT_EQ(plat::TranslateDevicePath("\\\\.\\physicaldrive12"), image);
  EXPECT_FALSE(plat::TranslateDevicePath("\\\\.\\PhysicalDrive1x").has_value());
  EXPECT_EQ(plat::TranslateDevicePath("E:\\dcim\\00000001.raw"), "E:/dcim/00000001.raw");

  plat::File f;
  ASSERT_TRUE(f.OpenDrive(12, plat::kRead));
  EXPECT_EQ(f.Size(), 4096u);
  char c = 0;
  ASSERT_TRUE(f.ReadAt(100, &c, 1));
  EXPECT_EQ(c, 'c');

  bool listed = false;
  for (const auto& d : plat::EnumerateDrives())
    if (d.number == 12) listed = d.device == image && d.removable && d.sizeBytes == 4096;
  EXPECT_TRUE(listed);

  unsetenv("PLAYER_DRIVE_12");
  EXPECT_NE(plat::DrivePath(12), std::optional<std::string>(image));
  fs::remove_all(dir);
}

TEST(FileTest, TheDataFolderIsFoundBesideOrAboveTheIndexFileInAnyCase) {
  const fs::path dir = TempDir("file-cardroot");
  fs::create_directories(dir / "card" / "DCIM");
  fs::create_directories(dir / "card" / "backup" / "deep");
  const std::string idx = (dir / "card" / "backup" / "deep" / "x.idx").string();
  std::ofstream(idx) << "x";
  EXPECT_EQ(plat::CardDataFolderOf(idx), (dir / "card" / "DCIM").string() + "/");
  fs::create_directories(dir / "card" / "backup" / "deep" / "dcim");
  EXPECT_EQ(plat::CardDataFolderOf(idx), (dir / "card" / "backup" / "deep" / "dcim").string() + "/");
  fs::remove_all(dir);
}

TEST(FileTest, FoldersAndListings) {
  const fs::path dir = TempDir("file-dirs");
  EXPECT_TRUE(plat::MakeDirs((dir / "a" / "b" / "c").string()));
  EXPECT_TRUE(plat::MakeDirs((dir / "a" / "b").string()));  // already there
  std::ofstream((dir / "a" / "en_US.ini").string()) << "";
  std::ofstream((dir / "a" / "de_DE.INI").string()) << "";
  std::ofstream((dir / "a" / "notes.txt").string()) << "";
  const auto files = plat::ListFiles((dir / "a").string(), ".ini");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], "de_DE.INI");
  EXPECT_EQ(files[1], "en_US.ini");
  std::ofstream((dir / "file").string()) << "";
  EXPECT_FALSE(plat::MakeDirs((dir / "file" / "sub").string()));
  EXPECT_EQ(plat::ExecutableDir().back(), '/');

  void* area = plat::AllocArea(1 << 20);
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(area) % 4096, 0u);
  EXPECT_EQ(static_cast<unsigned char*>(area)[12345], 0);
  plat::FreeArea(area, 1 << 20);
  fs::remove_all(dir);
}
