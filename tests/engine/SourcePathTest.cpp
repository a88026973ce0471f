// Source paths: which kind of source a path names, and the parts of an address.
#include <gtest/gtest.h>

#include <string>

#include "engine/SourcePath.h"

namespace {

struct TypeCase {
  const wchar_t* path;
  int type;
};

CString Repeat(wchar_t ch, std::size_t count) { return CString(ch, static_cast<int>(count)); }

}  // namespace

TEST(SourcePathTest, SchemesAndExtensionsGiveTheTypeWithoutRegardToCase) {
  const TypeCase cases[] = {
      {L"dvk2://3", kSourceRawCard},
      {L"DVK2://3", kSourceRawCard},
      {L"C:/x/A.SD", kSourceBackupFile},
      {L"/media/card/backup.sd", kSourceBackupFile},
      {L"clip.ts", kSourceTransportStream},
      {L"CLIP.TS", kSourceTransportStream},
      {L"/card/dcim/index.IDX", kSourceIndexFile},
      {L"movie.avi", kSourceAviFile},
      {L"x.sd.avi", kSourceAviFile},
      {L"camera.mjpg", kSourceMjpgFile},
      {L"old.rec", kSourceRecFile},
      {L"notes.txt", kSourceOtherFile},
      {L"sd", kSourceOtherFile},
      {L"", kSourceNone},
      {L"udp://10.0.0.2:5000", kSourceUdp},
      {L"Http://cam", kSourceHttp},
      {L"stream://cam", kSourceStream},
      {L"mcast://239.0.0.1", kSourceMulticast},
      {L"rmtp://cam", kSourceRmtp},
      {L"mjpg://cam", kSourceMjpgStream},
      {L"ftp://cam/a.sd", kSourceNone},
  };
  for (const TypeCase& c : cases) EXPECT_EQ(ParseSourcePath(c.path).type, c.type) << CString(c.path).ToUtf8();
  for (const TypeCase& c : cases) {
    EXPECT_EQ(IsPlayableSource(c.type), c.type >= kSourceRawCard && c.type <= kSourceIndexFile);
  }
}

TEST(SourcePathTest, AnAddressGivesHostPortPathAndTheRecordersDataFile) {
  const SourceAddress card = ParseSourcePath(L"dvk2://3");
  EXPECT_EQ(card.host, "3");
  EXPECT_EQ(card.port, 0);
  EXPECT_EQ(card.path, "/vdata.v");

  const SourceAddress http = ParseSourcePath(L"http://cam.local:8080/vdata2.v");
  EXPECT_EQ(http.host, "cam.local");
  EXPECT_EQ(http.port, 8080);
  EXPECT_EQ(http.path, "/vdata2.v");
  EXPECT_EQ(http.dataFileIndex, 2);

  EXPECT_EQ(ParseSourcePath(L"http://cam").port, 80);
  EXPECT_EQ(ParseSourcePath(L"http://cam").dataFileIndex, -1);
  EXPECT_EQ(ParseSourcePath(L"rmtp://cam").port, 10001);
  EXPECT_EQ(ParseSourcePath(L"udp://cam").port, 0);
  const int indices[] = {ParseSourcePath(L"http://c/vdata0.v").dataFileIndex, ParseSourcePath(L"http://c/mdata1.v").dataFileIndex,
                         ParseSourcePath(L"http://c/vdata3.v").dataFileIndex, ParseSourcePath(L"http://c/mdata4.v").dataFileIndex,
                         ParseSourcePath(L"http://c/vdata4.v").dataFileIndex};
  EXPECT_EQ(std::vector<int>(std::begin(indices), std::end(indices)), (std::vector<int>{0, 0, 3, 3, -1}));
  // Only http names the data files.
  EXPECT_EQ(ParseSourcePath(L"udp://c/vdata0.v").dataFileIndex, -1);
}

TEST(SourcePathTest, PortsAndTextsThatDoNotFitRefuseTheAddress) {
  EXPECT_EQ(ParseSourcePath(L"http://cam:65535/").port, 65535);
  EXPECT_EQ(ParseSourcePath(L"http://cam:65536/").type, kSourceNone);
  EXPECT_EQ(ParseSourcePath(L"http://cam:4294967376/").type, kSourceNone);  // 80 after a 32-bit wrap
  EXPECT_EQ(ParseSourcePath(L"http://cam:80x/").type, kSourceNone);
  EXPECT_EQ(ParseSourcePath(L"http://cam:/vdata0.v").type, kSourceNone);
  EXPECT_EQ(ParseSourcePath(L"http://cam:-1/").type, kSourceNone);

  const CString longHost = Repeat(L'h', SourceAddress::kMaxText);
  EXPECT_EQ(ParseSourcePath(L"http://" + longHost + L"/a").host.size(), SourceAddress::kMaxText);
  EXPECT_EQ(ParseSourcePath(L"http://" + longHost + L"h/a").type, kSourceNone);
  const CString longPath = L"/" + Repeat(L'p', SourceAddress::kMaxText - 1);
  EXPECT_EQ(ParseSourcePath(L"http://cam" + longPath).path.size(), SourceAddress::kMaxText);
  EXPECT_EQ(ParseSourcePath(L"http://cam" + longPath + L"p").type, kSourceNone);
  // The limit counts bytes of the narrow text, not characters.
  EXPECT_EQ(ParseSourcePath(L"http://cam/" + Repeat(L'\u00e9', 130)).type, kSourceNone);
}

TEST(SourcePathTest, ADriveNumberIsDecimalDigitsThatFit) {
  unsigned drive = 99;
  EXPECT_TRUE(ParseDriveNumber("3", &drive));
  EXPECT_EQ(drive, 3u);
  EXPECT_TRUE(ParseDriveNumber("12", &drive));
  EXPECT_EQ(drive, 12u);
  for (const char* bad : {"", "1x", "x1", "-1", "+1", " 1", "99999999999"}) {
    drive = 7;
    EXPECT_FALSE(ParseDriveNumber(bad, &drive)) << bad;
    EXPECT_EQ(drive, 7u) << bad;
  }
}
