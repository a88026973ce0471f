// The cardjob tool: a backup, a GPS text export and AVI exports (copied and re-encoded) of a
// fixture store run through the engine, with the outcome printed as JSON and told by the exit
// status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/store/CardStore.h"
#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestStream.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/export/RecordFeed.h"

using fixtures::RunCommand;
using sourcetest::Fixture;

namespace {

std::string CardJob(const std::string& arguments, int* status) {
  return RunCommand("TZ=UTC " + std::string(CARDJOB_PATH) + " " + arguments + " 2>/dev/null", status);
}

// The end of the JSON outcome: the end messages and the files.
std::string Outcome(int ends, const std::vector<std::string>& files) {
  std::string list;
  for (const std::string& f : files) list += (list.empty() ? "\"" : ", \"") + f + "\"";
  return "\"endMessages\": " + std::to_string(ends) + ", \"files\": [" + list + "]}\n";
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The recording's sound frames from the one the file's sound starts with. The audio thread hands
// the sound over as it plays it, and the recorder keeps it once its file is open: the first
// frames may come too early, none after them.
std::vector<std::vector<std::uint8_t>> SoundFromFirstWritten(const std::string& avi,
                                                             const std::vector<std::vector<std::uint8_t>>& sounds) {
  const std::vector<fixtures::ProbedPacket> written = fixtures::ProbeMedia(avi).PacketsOf(1);
  for (auto it = sounds.begin(); it != sounds.end() && !written.empty(); ++it) {
    if (fixtures::PacketHash(it->data(), it->size()) == written.front().hash) return {it, sounds.end()};
  }
  return sounds;
}

// The pictures of a video file as ffmpeg decodes them, planar 4:2:0, one after another.
std::vector<std::uint8_t> DecodedPictures(const std::string& path) {
  int status = -1;
  RunCommand("ffmpeg -nostdin -v error -y -i " + path + " -map 0:v -f rawvideo -pix_fmt yuv420p " + path + ".yuv", &status);
  EXPECT_EQ(status, 0) << path;
  return fixtures::ReadFileBytes(path + ".yuv");
}

// The lowest peak signal-to-noise ratio (dB) of the pictures of one decoding against another's.
double LowestPsnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, std::size_t pictureBytes) {
  double lowest = INFINITY;
  for (std::size_t at = 0; at + pictureBytes <= a.size() && at + pictureBytes <= b.size(); at += pictureBytes) {
    double sum = 0;
    for (std::size_t i = at; i < at + pictureBytes; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    lowest = std::min(lowest, 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(pictureBytes) / std::max(sum, 1.0)));
  }
  return lowest;
}

}  // namespace

TEST(CardJobTool, BackupGpsAndAviJobsPrintTheirOutcome) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("cardjob");
  int status = -1;

  const std::string sd = dir.File("b.sd");
  std::string out = CardJob("backup " + layout.path + " " + sd + " --entries 1,3 --json", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, "{\"result\": \"done\", \"progressMessages\": ")) << out;
  EXPECT_TRUE(Has(out, Outcome(1, {sd}))) << out;
  CCardStore backup;
  backup.SetStoreSource(kSourceBackupFile, 0, sd);
  ASSERT_NE(backup.OpenStore(), nullptr);
  ASSERT_EQ(backup.EntryList().size(), 2u);
  EXPECT_EQ(backup.EntryList()[1]->Sequence(), layout.recordings[2].entry.sequence);

  out = CardJob("gps " + layout.path + " " + dir.File("texts") + " --mode 0 --entries 2 --name ABCDEFGH --json", &status);
  EXPECT_EQ(status, 0) << out;
  ASSERT_TRUE(Has(out, "\"files\": [\"" + dir.File("texts/ABCDEFGH"))) << out;
  std::size_t fixes = 0;
  for (const fixtures::ChunkInfo& c : layout.recordings[1].chunks) fixes += !c.gps.empty();
  const std::string text = fixtures::ReadFileText(std::filesystem::directory_iterator(dir.File("texts"))->path());
  EXPECT_EQ(text.size(), fixes * 93);

  const std::string avi = dir.File("clip.avi");
  out = CardJob("avi " + layout.path + " " + avi + " --entry 2 --json", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, Outcome(1, {avi, dir.File("clip.srt"), dir.File("clip.csv")}))) << out;
  recordtest::RecordingFeed feed(layout);
  const recordtest::Expected want = recordtest::ExpectedExport(feed.Items(1));
  recordtest::ExpectAviHolds(avi, {want.pictures, want.keys, want.sounds});

  // Re-encoded, through the channel's threads without a window: every picture at its own size,
  // within the encoder's loss of the recording's own, and the sound in order to its end; the car
  // data goes to the decoders, not to side files.
  const std::string xvid = dir.File("x.avi");
  out = CardJob("avi " + layout.path + " " + xvid + " --entry 2 --reencode --json", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, Outcome(1, {xvid}))) << out;
  recordtest::ExpectedFile reencoded;
  reencoded.pictures.resize(want.pictures.size());
  reencoded.sounds = SoundFromFirstWritten(xvid, want.sounds);
  EXPECT_GT(reencoded.sounds.size(), want.sounds.size() / 2);
  reencoded.codec = "mpeg4";
  reencoded.tag = "xvid";
  recordtest::ExpectAviHolds(xvid, reencoded);
  const std::string source = dir.File("source.h264");
  EXPECT_TRUE(fixtures::WriteStreamFile(source, fixtures::RecordingUnits(layout, 1)));
  const std::vector<std::uint8_t> original = DecodedPictures(source);
  const std::vector<std::uint8_t> decoded = DecodedPictures(xvid);
  EXPECT_FALSE(original.empty());
  EXPECT_EQ(decoded.size(), original.size());
  EXPECT_GT(LowestPsnr(decoded, original, 320 * 240 * 3 / 2), 30.0);
  CardJob("backup " + layout.path + " " + sd + " --entries 4", &status);
  EXPECT_EQ(status, 2);
  CardJob("gps " + layout.path + " " + dir.File("texts") + " --mode 3", &status);
  EXPECT_EQ(status, 2);
  CardJob("avi " + dir.File("missing.sd") + " " + avi + " --entry 1", &status);
  EXPECT_EQ(status, 2);

  // A GPS text name with folders in it is refused: nothing is written outside the folder given.
  const std::filesystem::path top = std::filesystem::path(dir.File("texts")).parent_path();
  const auto files = [&] { return std::distance(std::filesystem::recursive_directory_iterator(top), {}); };
  const auto before = files();
  out = CardJob("gps " + layout.path + " " + dir.File("texts/inner") + " --mode 0 --name ../../x --json", &status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_TRUE(Has(out, "{\"result\": \"failed\"")) << out;
  EXPECT_EQ(files(), before + 1);  // the folder given, empty

  // It says why a source cannot be used, and what it takes.
  const std::string tool = CARDJOB_PATH;
  EXPECT_TRUE(Has(RunCommand(tool + " backup " + layout.path + " " + sd + " --entries 4 2>&1", &status), "no recording 4"));
  EXPECT_TRUE(Has(RunCommand(tool + " --help", &status), "usage: cardjob backup SOURCE OUT.sd"));
}
