// The side files of cardjob's AVI exports: the times their CSV lines show in a zone with summer
// time, and what stays of a recording too short for a video file.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Time.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

constexpr const char* kZone = "Europe/Berlin";

std::string CardJob(const std::string& arguments, int* status) {
  return fixtures::RunCommand("TZ=" + std::string(kZone) + " " + CARDJOB_PATH + " " + arguments + " 2>&1", status);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The date and time fields of each car-data line of a CSV file.
std::vector<std::string> CsvTimes(const std::string& path) {
  const std::string text = fixtures::ReadFileText(path);
  std::vector<std::string> times;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos && at + 2 < text.size(); at = text.find("\r\n", at + 2)) {
    times.push_back(text.substr(at + 2, 24));
  }
  return times;
}

}  // namespace

TEST(CardJobSideFiles, CsvLinesShowTheRecordersClockInSummerAndInWinter) {
  ScopedEnvironment tz("TZ", kZone);
  fixtures::ScratchDir dir("cardjob-zone");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  desc.recordings[0].start = plat::LocalToEpoch(2024, 1, 15, 11, 0, 0);
  desc.recordings[1].start = plat::LocalToEpoch(2024, 7, 15, 11, 0, 0);
  const auto sd = fixtures::BuildStore(desc, dir.File("zone.sd"));
  ASSERT_TRUE(sd);

  const struct {
    const char* name;
    const char* date;
  } seasons[] = {{"winter", "\"2024-01-15\",\"11:00:0"}, {"summer", "\"2024-07-15\",\"11:00:0"}};
  for (int entry = 1; entry <= 2; ++entry) {
    const auto& season = seasons[entry - 1];
    SCOPED_TRACE(season.name);
    int status = -1;
    const std::string avi = dir.File(std::string(season.name) + ".avi");
    const std::string out = CardJob("avi " + sd->path + " " + avi + " --entry " + std::to_string(entry), &status);
    ASSERT_EQ(status, 0) << out;
    const std::vector<std::string> times = CsvTimes(dir.File(std::string(season.name) + ".csv"));
    ASSERT_GE(times.size(), 2u);
    for (const std::string& time : times) EXPECT_TRUE(time.starts_with(season.date)) << time;
  }
}

TEST(CardJobSideFiles, ARecordingTooShortForAVideoFileKeepsItsSubtitlesAndCarDataAndSaysWhy) {
  ScopedEnvironment tz("TZ", kZone);
  fixtures::ScratchDir dir("cardjob-short");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 0.96);
  desc.recordings[0].video.fps = 25;  // 24 pictures
  const auto sd = fixtures::BuildStore(desc, dir.File("short.sd"));
  ASSERT_TRUE(sd);
  ASSERT_EQ(sd->recordings[0].pictures, 24);

  int status = -1;
  const std::string out = CardJob("avi " + sd->path + " " + dir.File("clip.avi") + " --entry 1 --json", &status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_TRUE(Has(out, "the recording gives 24 pictures, fewer than the 25 an AVI file must hold")) << out;
  EXPECT_TRUE(Has(out, "{\"result\": \"failed\"")) << out;
  EXPECT_TRUE(Has(out, "\"files\": [\"" + dir.File("clip.srt") + "\", \"" + dir.File("clip.csv") + "\"]}")) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("clip.avi")));
  EXPECT_TRUE(Has(fixtures::ReadFileText(dir.File("clip.srt")), "1\r\n00:00:00,000 --> "));
  EXPECT_EQ(CsvTimes(dir.File("clip.csv")).size(), 1u);
}
