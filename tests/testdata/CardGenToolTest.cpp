#include <clocale>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "testdata/DescriptionText.h"
#include "tests/testdata/TestSupport.h"

namespace fixtures::testing {
namespace {

using CardGenToolTest = BuilderTest;

TEST_F(CardGenToolTest, DescriptionTextSetsEveryPartOfTheDescription) {
  StoreDescription desc;
  std::string error;
  ASSERT_TRUE(ParseDescriptionText(R"(# a card with a merge case
store card
capacity 4
generation 0x54321
recording seconds=2 size=352x288 fps=25 gps=prefixed car=short event=3:1 event=7:9 marked=2
recording seconds=1.5 sound=0 slot=3 index=none other-stream=1 lat=-20 lon=-40 entry-flag-copy2=5 gps=car
damage zero-chunk 0 4
damage bad-entry-checksum 0 2
)", desc, &error)) << error;
  EXPECT_EQ(desc.kind, StoreKind::kCard);
  EXPECT_EQ(desc.capacity, 4);
  EXPECT_EQ(desc.generation, 0x54321u);
  ASSERT_EQ(desc.recordings.size(), 2u);
  const RecordingDescription& a = desc.recordings[0];
  EXPECT_EQ(a.seconds, 2.0);
  EXPECT_EQ(a.video.width, 352);
  EXPECT_EQ(a.video.height, 288);
  EXPECT_EQ(a.video.fps, 25);
  EXPECT_EQ(a.route.form, GpsForm::kPrefixed);
  EXPECT_TRUE(a.shortCarData);
  ASSERT_EQ(a.events.size(), 2u);
  EXPECT_EQ(a.events[1].chunk, 7);
  EXPECT_EQ(a.events[1].code, 9);
  EXPECT_EQ(a.markedChunks, std::vector<int>{2});
  const RecordingDescription& b = desc.recordings[1];
  EXPECT_FALSE(b.hasSound);
  EXPECT_EQ(b.slot, 3);
  EXPECT_EQ(b.index, IndexCopies::kNone);
  EXPECT_EQ(b.otherStreamChunks, std::vector<int>{1});
  EXPECT_EQ(b.route.latitude, -20.0);
  EXPECT_EQ(b.route.form, GpsForm::kCarInfo);
  EXPECT_EQ(b.entryFlagInCopy2, 5);
  ASSERT_EQ(desc.damage.size(), 2u);
  EXPECT_EQ(desc.damage[0].kind, Damage::Kind::kZeroChunk);
  EXPECT_EQ(desc.damage[0].chunk, 4);
  EXPECT_EQ(desc.damage[1].kind, Damage::Kind::kBadEntryChecksum);
  EXPECT_EQ(desc.damage[1].copy, 2);

  for (const char* bad : {"recording seconds=x", "recording colour=red", "capacity 70000", "damage zero-chunk 1",
                          "store tape", "recording event=3"}) {
    StoreDescription ignored;
    error.clear();
    EXPECT_FALSE(ParseDescriptionText(std::string("# first\n") + bad, ignored, &error)) << bad;
    EXPECT_EQ(error.rfind("line 2", 0), 0u) << error;
  }
}

TEST_F(CardGenToolTest, NumbersIgnoreTheDesktopLocale) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no decimal-comma locale installed";
  StoreDescription desc;
  std::string error;
  const bool parsed = ParseDescriptionText("recording seconds=1.5 lat=-33.5\n", desc, &error);
  const std::string rmc = RmcSentence(GpsFix{25.05, 121.5, 60.0, 90.0}, 1709280750000000, GpsForm::kGprmc);
  const std::string prefixed = RmcSentence(GpsFix{25.05, 121.5, 60.0, 90.0}, 1709280750000000, GpsForm::kPrefixed);
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_TRUE(parsed) << error;
  EXPECT_EQ(desc.recordings.at(0).seconds, 1.5);
  EXPECT_EQ(desc.recordings.at(0).route.latitude, -33.5);
  EXPECT_EQ(rmc, "$GPRMC,081230.000,A,2503.0000,N,12130.0000,E,032.4,090.0,010324,,,A*6B");
  EXPECT_EQ(prefixed.substr(prefixed.find("E,")), "E,32.4,90,010324*" + prefixed.substr(prefixed.size() - 2));
}

#ifdef CARDGEN_PATH
int RunCardGen(const std::string& args) {
  const int status = std::system((std::string(CARDGEN_PATH) + " " + args + " > /dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CardGenToolTest, TheToolWritesStoresFromFlagsAndDescriptionFiles) {
  const std::string card = dir_.File("tool.img");
  EXPECT_EQ(RunCardGen(card + " --recordings 2 --seconds 1 --capacity 4 --set event=2:1 --check"), 0);
  EXPECT_EQ(Be32At(ReadBytes(card, 0x6000000, 16), 12) >> 16, 4u);
  EXPECT_EQ(ReadBytes(card, 0x8000000 + 212, 1), std::vector<std::uint8_t>{1});  // an event entry

  const std::string description = dir_.File("damaged.txt");
  std::ofstream(description) << "recording seconds=1\ndamage zero-chunk 0 2\n";
  const std::string sd = dir_.File("damaged.sd");
  EXPECT_EQ(RunCardGen(sd + " --description " + description), 0);
  EXPECT_EQ(RunCardGen(sd + " --description " + description + " --check"), 2);  // the findings of its damage
  EXPECT_EQ(ReadBytes(sd, 0x2000000 + 2 * 16384 + 15872, 4), std::vector<std::uint8_t>(4, 0));

  // An entry that claims far more chunks than its recording holds.
  const std::string claims = dir_.File("claims.sd");
  EXPECT_EQ(RunCardGen(claims + " --recordings 1 --seconds 1 --set first=100 --set claimed-chunks=100000"), 0);
  EXPECT_EQ(Be32At(ReadBytes(claims, 0, 512), 216), 100099u);

  EXPECT_EQ(RunCardGen(dir_.File("x.sd") + " --set colour=red"), 1);
  EXPECT_EQ(RunCardGen(dir_.File("x.sd") + " --description " + dir_.File("missing.txt")), 1);
  EXPECT_EQ(RunCardGen("--help"), 0);
  EXPECT_EQ(RunCardGen(dir_.File("x.sd") + " --help"), 0);
}
#endif

TEST_F(CardGenToolTest, TheDemoBackupHasTwoRecordingsOneOfThemAnEvent) {
  const auto layout = Build(DemoDescription(), "demo.sd");
  ASSERT_TRUE(layout);
  ASSERT_EQ(layout->recordings.size(), 2u);
  for (const RecordingInfo& r : layout->recordings) {
    EXPECT_EQ(r.video.width, 640);
    EXPECT_EQ(r.video.height, 360);
    EXPECT_EQ(r.pictures, 600);
    EXPECT_GT(r.soundFrames, 0);
    EXPECT_EQ(r.chunks.back().time - r.chunks.front().time, 19);
  }
  EXPECT_EQ(layout->recordings[0].entry.type, 0);
  EXPECT_EQ(layout->recordings[1].entry.type, 1);
  EXPECT_FALSE(layout->FramesOf(1, FrameRole::kCarData).empty());
  const auto report = CheckStore(*layout);
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

}  // namespace
}  // namespace fixtures::testing
