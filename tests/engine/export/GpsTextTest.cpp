// The GPS text export: the line of a fix, the file names of the three file modes, and GPS text
// jobs through the engine and the cardjob tool over the fixes of fixture recordings.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <sstream>

#include "engine/export/GpsTextFile.h"
#include "engine/gps/GpsOffsetTable.h"
#include "testdata/FileBytes.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/export/RecordFeed.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace jobtest;
using sourcetest::Fixture;

namespace {

constexpr std::size_t kLineLength = 93;
constexpr char kTail[] = ",0,1,0,0,0000,00000000000000000000\n";

std::string LineOf(const std::string& sentence, const std::string& label = "ABCDEFGH") {
  GpsTextFix fix;
  if (!GpsTextFixOf(sentence, &fix)) return "no fix";
  return GpsTextLine(label, fix);
}

// A sentence at 20:00:00 UTC on a day, 10 knots at 45 degrees.
std::string EveningFix(const std::string& latitude, const std::string& northSouth, const std::string& longitude,
                       const std::string& eastWest, const std::string& date = "010324") {
  gpstest::RmcFields f;
  f.time = "200000.000";
  f.latitude = latitude;
  f.northSouth = northSouth;
  f.longitude = longitude;
  f.eastWest = eastWest;
  f.speedKnots = "010.0";
  f.course = "045.0";
  f.date = date;
  return gpstest::MakeRmc(f);
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(fixtures::ReadFileText(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  return lines;
}

// The date and time a line should carry for a fixture chunk: its moment 8 hours on.
std::string DateAndTime(const fixtures::ChunkInfo& c) {
  std::tm t{};
  plat::EpochToUtc(c.timeUs / 1000000 + 8 * 3600, &t);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d,%H%M%S", &t);
  return text;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

using ChunkFilter = std::function<bool(int recording, const fixtures::ChunkInfo&)>;

// A job over the recordings of a route writes one line per chunk with a fix (that the filter
// keeps), in chunk order: the label, the chunk's moment 8 hours on, and the route's position.
void ExpectLinesOf(const std::vector<std::string>& lines, const fixtures::Layout& layout, const std::vector<int>& recordings,
                   const fixtures::RouteDescription& route, const std::string& label, std::size_t length,
                   const ChunkFilter& keep = [](int, const fixtures::ChunkInfo&) { return true; }) {
  std::size_t i = 0;
  for (int r : recordings) {
    const fixtures::RecordingInfo& rec = layout.recordings[static_cast<std::size_t>(r)];
    for (const fixtures::ChunkInfo& c : rec.chunks) {
      if (c.gps.empty() || !keep(r, c)) continue;
      ASSERT_LT(i, lines.size());
      const std::string& line = lines[i++];
      EXPECT_EQ(line.size(), length) << line;
      EXPECT_EQ(line.substr(line.size() - std::strlen(kTail)), kTail) << line;
      const std::vector<std::string> f = Fields(line);
      ASSERT_GE(f.size(), 5u) << line;
      EXPECT_EQ(f[0], label);
      EXPECT_EQ(f[1] + "," + f[2], DateAndTime(c));
      const fixtures::GpsFix at = fixtures::RoutePosition(route, static_cast<double>(c.timeUs - rec.start * 1000000) / 1e6);
      EXPECT_EQ(f[3][0], at.longitude > 0 ? 'E' : 'W');
      EXPECT_EQ(f[4][0], at.latitude > 0 ? 'N' : 'S');
      EXPECT_NEAR(std::stod(f[3].substr(1)), at.longitude, 2e-6) << line;
      EXPECT_NEAR(std::stod(f[4].substr(1)), at.latitude, 2e-6) << line;
    }
  }
  EXPECT_EQ(i, lines.size());
}

std::string LocalStamp(std::time_t t, const char* format) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

// A GPS text job over the store's first `count` entries (backup list, no `.sd` written).
JobResult RunGpsJob(JobRig& rig, const std::string& out, int count, int fileMode, const CString& name) {
  EXPECT_TRUE(rig.engine->StartRawExport(1, name, fileMode));
  std::vector<IndexEntry*> entries;
  for (int i = 0; i < count; ++i) entries.push_back(rig.Entry(i));
  if (rig.engine->StartBackup(CString(out), entries.data(), count) != EngineStart::kStarted) return JobResult::kNone;
  rig.Finish();
  return rig.engine->GetJobResult();
}

}  // namespace

TEST(GpsText, TheLineOfAFixIsWholeWithItsTimeEightHoursOn) {
  GlobalGpsOffsetTable().Load("");
  const std::string tail = kTail;
  const std::string north = LineOf(EveningFix("2503.0000", "N", "12130.0000", "E"));
  EXPECT_EQ(north, "ABCDEFGH,20240302,040000,E121.500000,N25.050000,018,045,00" + tail);
  EXPECT_EQ(north.size(), kLineLength);
  // Southern and western values keep their sign after the letter, and the line its end.
  const std::string south = LineOf(EveningFix("2503.0000", "S", "12130.0000", "W"));
  EXPECT_EQ(south, "ABCDEFGH,20240302,040000,W-121.500000,S-25.050000,018,045,00" + tail);
  EXPECT_EQ(LineOf(EveningFix("2503.0000", "N", "12130.0000", "W")).size(), kLineLength + 1);
  EXPECT_EQ(LineOf(EveningFix("0930.0000", "S", "12130.0000", "E")).substr(25, 22), "E121.500000,S-9.500000");
  gpstest::RmcFields fast;
  fast.speedKnots = "540.0";
  const std::string fastLine = LineOf(gpstest::MakeRmc(fast));
  EXPECT_EQ(fastLine.substr(47, 10), ",1000,084,");
  EXPECT_EQ(fastLine.size(), kLineLength + 1);

  // Eight hours on in calendar arithmetic: into the next day, month and year, onto a leap day,
  // past 2038; a recorder time before the sentence gives the time.
  EXPECT_EQ(LineOf(EveningFix("2503.0000", "N", "12130.0000", "E", "311224")).substr(9, 15), "20250101,040000");
  EXPECT_EQ(LineOf(EveningFix("2503.0000", "N", "12130.0000", "E", "280224")).substr(9, 15), "20240229,040000");
  EXPECT_EQ(LineOf(gpstest::MakeRmc({})), "ABCDEFGH,20940323,203519,E011.516667,N48.117300,041,084,00" + tail);
  EXPECT_EQ(LineOf("2017/03/01 08:12:30 " + gpstest::MakeRmc({})).substr(9, 15), "20170301,161230");

  // A short name is padded with spaces; a sentence without a valid position gives no line.
  EXPECT_EQ(GpsTextLabel(CString(L"AB")), "AB      ");
  EXPECT_EQ(GpsTextLabel(CString(L"ABCDEFGHIJ")), "ABCDEFGH");
  gpstest::RmcFields void_;
  void_.status = "V";
  EXPECT_EQ(LineOf(gpstest::MakeRmc(void_)), "no fix");
  EXPECT_EQ(LineOf("2017/03/01 08:12:30 no sentence"), "no fix");
}

TEST(GpsText, AJobWritesALineForEveryFixOfItsEntriesAndEndsTheExport) {
  GlobalGpsOffsetTable().Load("");
  const fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("gps");
  JobRig rig(layout);
  const std::string out = dir.File("texts/out");
  ASSERT_EQ(RunGpsJob(rig, out, 2, kGpsTextFileOfFix, CString(L"ABCDEFGH")), JobResult::kDone);
  const std::vector<std::string> files = rig.engine->GetJobFiles();
  const std::string first = DateAndTime(layout.recordings[0].chunks[0]);
  const std::string stamp = first.substr(0, 4) + "-" + first.substr(4, 2) + "-" + first.substr(6, 2) + "_" +
                            first.substr(9, 2) + "-" + first.substr(11, 2);
  ASSERT_EQ(files, std::vector<std::string>{dir.File("texts/ABCDEFGH" + stamp + ".txt")});
  ExpectLinesOf(Lines(files[0]), layout, {0, 1}, desc.recordings[0].route, "ABCDEFGH", kLineLength);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(rig.engine->State().rawExportMode.load(), 0);

  // The GPS text export was that job's: the next backup writes its `.sd` file.
  IndexEntry* one[] = {rig.Entry(0)};
  ASSERT_EQ(rig.engine->StartBackup(CString(out + ".sd"), one, 1), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobFiles(), std::vector<std::string>{out + ".sd"});
}

TEST(GpsText, FileModesReplaceOrAppendAndSouthWesternFixesKeepWholeLines) {
  GlobalGpsOffsetTable().Load("");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].route.latitude = -25.05;
  desc.recordings[0].route.longitude = -121.5;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("gps");
  JobRig rig(layout);
  const std::string out = dir.File("out");

  // File of the fix: a second job replaces the first one's file.
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfFix, CString(L"SW")), JobResult::kDone);
  const std::vector<std::string> once = rig.engine->GetJobFiles();
  ASSERT_EQ(once.size(), 1u);
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfFix, CString(L"SW")), JobResult::kDone);
  EXPECT_EQ(rig.engine->GetJobFiles(), once);
  const std::vector<std::string> lines = Lines(once[0]);
  ExpectLinesOf(lines, layout, {0}, desc.recordings[0].route, "SW      ", kLineLength + 2);

  // File of the day: every job appends to it.
  const std::string today = LocalStamp(std::time(nullptr), "%Y-%m-%d_All");
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfDay, CString(L"SW")), JobResult::kDone);
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfDay, CString(L"SW")), JobResult::kDone);
  EXPECT_EQ(rig.engine->GetJobFiles(), std::vector<std::string>{dir.File("SW" + today + ".txt")});
  std::vector<std::string> twice = lines;
  twice.insert(twice.end(), lines.begin(), lines.end());
  EXPECT_EQ(Lines(dir.File("SW" + today + ".txt")), twice);

  // File of the job: named by the PC's clock when it was opened.
  const std::string before = LocalStamp(std::time(nullptr), "%Y-%m-%d_%H-%M-%S");
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfJob, CString(L"SW")), JobResult::kDone);
  const std::string after = LocalStamp(std::time(nullptr), "%Y-%m-%d_%H-%M-%S");
  const std::vector<std::string> named = rig.engine->GetJobFiles();
  ASSERT_EQ(named.size(), 1u);
  const std::string stamp = std::filesystem::path(named[0]).stem().string().substr(2);
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  EXPECT_EQ(Lines(named[0]), lines);

  // A file that cannot be opened (a folder stands in its place) fails the job; a file mode
  // outside the three, and a name that is not a file name, are refused.
  std::filesystem::create_directory(dir.File("NO" + today + ".txt"));
  ASSERT_EQ(RunGpsJob(rig, out, 1, kGpsTextFileOfDay, CString(L"NO")), JobResult::kFailed);
  EXPECT_TRUE(rig.engine->GetJobFiles().empty());
  EXPECT_FALSE(rig.engine->StartRawExport(1, CString(L"SW"), 3));
  for (const wchar_t* name : {L"../../x", L"a/b", L"a\\b", L"x..y"}) {
    EXPECT_FALSE(rig.engine->StartRawExport(1, CString(name), kGpsTextFileOfFix)) << CString(name).ToUtf8();
  }
  EXPECT_TRUE(rig.engine->StartRawExport(1, CString(L"x.y"), kGpsTextFileOfFix));
}

TEST(GpsText, AnExportOverATimeRangeWritesTheFixesInsideIt) {
  GlobalGpsOffsetTable().Load("");
  const fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  const auto later = [](const fixtures::RecordingInfo& rec) {
    for (const fixtures::ChunkInfo& c : rec.chunks) {
      if (c.time > rec.entry.start) return c.time;
    }
    return rec.entry.start;
  };
  // From the second second of the first recording to that of the second.
  const std::int64_t start = later(layout.recordings[0]);
  const std::int64_t end = later(layout.recordings[1]);
  fixtures::ScratchDir dir("gps");
  JobRig rig(layout);
  ASSERT_TRUE(rig.engine->StartRawExport(2, CString(L"RANGE"), kGpsTextFileOfFix));
  ASSERT_EQ(rig.engine->OpenExport(CString(dir.File("range")), rig.Entry(0), 0, start, end), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);
  // Only a mode of 1 ends with its job.
  EXPECT_EQ(rig.engine->State().rawExportMode.load(), 2);
  EXPECT_EQ(rig.router.Sends(), 0u);
  const std::vector<std::string> files = rig.engine->GetJobFiles();
  ASSERT_EQ(files.size(), 1u);
  ExpectLinesOf(Lines(files[0]), layout, {0, 1}, desc.recordings[0].route, "RANGE   ", kLineLength,
                [&](int r, const fixtures::ChunkInfo& c) { return r == 0 ? c.time >= start : c.time <= end; });
}

TEST(GpsText, TheToolTakesACarLinkedRecordersFixesFromTheSentenceAfterItsCarInfoLine) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0);
  for (fixtures::RecordingDescription& r : desc.recordings) r.route.form = fixtures::GpsForm::kCarInfo;
  fixtures::ScratchDir dir("gps-car");
  const auto layout = fixtures::BuildStore(desc, dir.File("car.sd"));
  ASSERT_TRUE(layout);
  int status = -1;
  const std::string out = fixtures::RunCommand(
      std::string(CARDJOB_PATH) + " gps " + layout->path + " " + dir.File("texts") + " --mode 1 --name CAR --json 2>&1",
      &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("{\"result\": \"done\""), std::string::npos) << out;
  const std::vector<std::string> files = NamesIn(dir.File("texts"));
  ASSERT_EQ(files.size(), 1u) << out;
  ExpectLinesOf(Lines(dir.File("texts/" + files[0])), *layout, {0, 1}, desc.recordings[0].route, "CAR     ",
                kLineLength);
}
