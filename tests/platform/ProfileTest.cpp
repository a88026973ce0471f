#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/Profile.h"

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("profile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = CString((dir_ / "Config.ini").string());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteBytes(const std::string& bytes) {
    std::ofstream(path_.ToUtf8(), std::ios::binary) << bytes;
  }
  std::string ReadBytes() const {
    std::ifstream in(path_.ToUtf8(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;
  CString path_;
};

struct ReadCase {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* expected;
};

}  // namespace

TEST_F(ProfileTest, ReadsTrickyFilesAsTheFrameworkDoes) {
  WriteBytes(
      "stray=before any section\r\n"
      "[Config]\r\n"
      "; comment=not a key\r\n"
      "Quoted = \"  spaced value  \" \r\n"
      "Single='x'\r\n"
      "Unbalanced=\"half\r\n"
      "Equals=a=b=c\r\n"
      "  Padded Key  =\tpadded\t\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "NoEquals line\r\n"
      "Empty=\r\n"
      "[ Other ]\n"
      "key=lf line ends\n"
      "[config]\r\n"
      "late=from a duplicate section\r\n");
  const ReadCase cases[] = {
      {L"Config", L"Quoted", L"  spaced value  "},
      {L"config", L"single", L"x"},
      {L"Config", L"Unbalanced", L"\"half"},
      {L"Config", L"Equals", L"a=b=c"},
      {L"Config", L"Padded Key", L"padded"},
      {L"Config", L"dup", L"first"},
      {L"Config", L"; comment", L"<default>"},
      {L"Config", L"stray", L"<default>"},
      {L"Config", L"late", L"<default>"},
      {L"Config", L"Empty", L""},
      {L"other", L"KEY", L"lf line ends"},
      {L"Missing", L"key", L"<default>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plat::ProfileString(path_, c.section, c.key, L"<default>"), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(plat::ProfileString(CString(L"/no/such/file.ini"), L"Config", L"Quoted", L"d"), L"d");

  // Every key that a damaged file lists can be read back, even one with a NUL in its name.
  WriteBytes(std::string("[S\0x]\nk\0ey=v\n", 13));
  const CString section = plat::ProfileSections(path_).at(0);
  const CString key = plat::ProfileKeys(path_, section).at(0);
  EXPECT_EQ(key.GetLength(), 4);
  EXPECT_EQ(plat::ProfileValue(path_, section, key), std::optional<CString>(CString(L"v")));
  EXPECT_FALSE(plat::ProfileValue(path_, L"S", key));
}

TEST_F(ProfileTest, ReadsIntegersAndCutsLongStrings) {
  WriteBytes("[Config]\nneg=-190\nplus=+7\ntrail=12abc\nletters=abc\nempty=\nbig=4294967295\nlong=" +
             std::string(300, 'v') + "\n");
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"neg", 5), -190);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"plus", 5), 7);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"trail", 5), 12);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"letters", 5), 0);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"empty", 5), 5);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"missing", 5), 5);
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"big", 5), -1);
  EXPECT_EQ(plat::ProfileString(path_, L"Config", L"long", L"").GetLength(), 259);
  // The plain value is whole, and tells an empty value from a missing key.
  EXPECT_EQ(plat::ProfileValue(path_, L"CONFIG", L"Long").value_or(L"").GetLength(), 300);
  EXPECT_EQ(plat::ProfileValue(path_, L"Config", L"empty"), std::optional<CString>(CString()));
  EXPECT_FALSE(plat::ProfileValue(path_, L"Config", L"missing"));
  EXPECT_FALSE(plat::ProfileValue(path_, L"Other", L"neg"));
  EXPECT_FALSE(plat::ProfileValue(CString(L"/no/such/file.ini"), L"Config", L"neg"));

  wchar_t buf[8];
  EXPECT_EQ(GetPrivateProfileStringW(L"Config", L"long", L"", buf, 8, path_), 7u);
  EXPECT_STREQ(buf, L"vvvvvvv");
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"config", L"NEG", 0, path_)), -190);
}

TEST_F(ProfileTest, WritesKeepLayoutAndUseCrLf) {
  WriteBytes("; settings\n[Config]\nA=1\n\n[Other]\nX=y\n");
  EXPECT_TRUE(plat::WriteProfileString(path_, L"config", L"a", L"2"));
  EXPECT_TRUE(plat::WriteProfileString(path_, L"Config", L"B", L"new"));
  EXPECT_TRUE(plat::WriteProfileInt(path_, L"Fresh", L"N", -3));
  EXPECT_EQ(ReadBytes(), "; settings\r\n[Config]\r\nA=2\r\nB=new\r\n\r\n[Other]\r\nX=y\r\n[Fresh]\r\nN=-3\r\n");

  EXPECT_TRUE(plat::DeleteProfileKey(path_, L"Other", L"x"));
  EXPECT_TRUE(plat::DeleteProfileSection(path_, L"config"));
  EXPECT_EQ(ReadBytes(), "; settings\r\n[Other]\r\n[Fresh]\r\nN=-3\r\n");

  const auto sections = plat::ProfileSections(path_);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[1], L"Fresh");
  EXPECT_EQ(plat::ProfileKeys(path_, L"fresh").at(0), L"N");

  // Writing into a folder that does not exist fails and creates nothing.
  EXPECT_FALSE(plat::WriteProfileString(CString((dir_ / "none" / "x.ini").string()), L"S", L"k", L"v"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none"));
}

TEST_F(ProfileTest, Utf16AndUtf8FilesKeepTheirEncoding) {
  WriteBytes("\xFF\xFE" + WideToUtf16Le(L"[Language String]\r\nPlay=\u64AD\u653E\r\n"));
  EXPECT_EQ(plat::ProfileString(path_, L"Language String", L"Play", L""), L"\u64AD\u653E");
  EXPECT_TRUE(plat::WriteProfileString(path_, L"Language String", L"Stop", L"\u505C\u6B62"));
  const std::string bytes = ReadBytes();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Utf16LeToWide(bytes.substr(2)), L"[Language String]\r\nPlay=\u64AD\u653E\r\nStop=\u505C\u6B62\r\n");

  WriteBytes("\xEF\xBB\xBF[S]\nk=caf\xC3\xA9\n");
  EXPECT_EQ(plat::ProfileString(path_, L"S", L"k", L""), L"caf\u00E9");
  EXPECT_TRUE(plat::WriteProfileString(path_, L"S", L"k", L"th\u00E9"));
  EXPECT_EQ(ReadBytes(), "\xEF\xBB\xBF[S]\r\nk=th\xC3\xA9\r\n");

  WriteBytes("[S]\nk=caf\xE9\n");  // not UTF-8: read in the ANSI code page
  EXPECT_EQ(plat::ProfileString(path_, L"S", L"k", L""), L"caf\u00E9");
}

// A file is parsed once and answered from memory while its size, time and inode stay: a change
// behind the reader's back that keeps all three is not seen; any other change is, and so is one of
// the same size within the time-stamp tick.
TEST_F(ProfileTest, AnswersFromMemoryUntilTheFileChangesOnDisk) {
  const auto write = [&](const std::string& value, bool past) {  // modified at one time long past, or now
    WriteBytes("[Config]\r\nUIMode=" + value + "\r\n");
    const timespec times[2] = {{0, UTIME_OMIT}, {past ? 1700000000 : 0, past ? 0 : UTIME_NOW}};
    EXPECT_EQ(::utimensat(AT_FDCWD, path_.ToUtf8().c_str(), times, 0), 0);
    return plat::ProfileInt(path_, L"Config", L"UIMode", 0);
  };
  EXPECT_EQ(write("1", true), 1);
  EXPECT_EQ(write("2", true), 1);
  EXPECT_EQ(write("2", false), 2);
  EXPECT_EQ(write("3", false), 3);
  EXPECT_EQ(write("44", true), 44);
  ASSERT_TRUE(plat::WriteProfileInt(path_, L"Config", L"UIMode", 5));
  EXPECT_EQ(plat::ProfileInt(path_, L"Config", L"UIMode", 0), 5);
}
