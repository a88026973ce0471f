// The headless player as a program: builder stores and transport streams played in real time
// through the engine, its report against what the builder wrote and what ffmpeg decodes, the
// sound on SDL's disk device, seeking, speeds, and the sources it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/ScratchDir.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuildTest.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestSignals.h"
#include "testdata/TestStream.h"
#include "testdata/TsBuilder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::Quoted;

// Every frame of a recording's stream starts with a 4-byte header.
constexpr std::uint64_t kFrameHeader = 4;

// What playcard printed with --json, and its exit status.
struct Played {
  int status = -1;
  std::string json;

  std::int64_t Number(const std::string& key) const {
    const std::string field = "\"" + key + "\": ";
    const std::size_t at = json.find(field);
    return at == std::string::npos ? -1 : std::strtoll(json.c_str() + at + field.size(), nullptr, 10);
  }
  std::vector<std::string> Hashes() const {
    std::vector<std::string> hashes;
    std::size_t at = json.find("\"frameHashes\": [");
    const std::size_t end = json.find(']', at);
    while (at != std::string::npos && (at = json.find('"', json.find_first_of("[,", at + 1))) < end) {
      const std::size_t close = json.find('"', at + 1);
      hashes.push_back(json.substr(at + 1, close - at - 1));
      at = close;
    }
    return hashes;
  }
};

// Runs playcard with the arguments (and the environment settings before them); local times in UTC.
Played Play(const std::string& args, const std::string& environment = "") {
  Played p;
  p.json = fixtures::RunCommand("TZ=UTC " + environment + " " + PLAYCARD_PATH + " " + args + " 2>/dev/null", &p.status);
  return p;
}

class PlaycardTest : public fixtures::StoreBuildTest {
 protected:
  PlaycardTest() : StoreBuildTest("playcard") {}

  // The sound of a recording as the source queues it: its frames' bodies in stream order.
  static Bytes Sound(const fixtures::Layout& layout, int recording) {
    const fixtures::RecordingInfo& r = layout.recordings[static_cast<std::size_t>(recording)];
    const Bytes payloads = fixtures::ReadPayloads(layout, recording);
    Bytes sound;
    for (const fixtures::FrameInfo& f : layout.FramesOf(recording, fixtures::FrameRole::kSound)) {
      const auto at = payloads.begin() + static_cast<std::ptrdiff_t>(f.offset - r.streamBegin);
      sound.insert(sound.end(), at + kFrameHeader, at + f.length);
    }
    return sound;
  }

  std::vector<std::string> ReferenceHashes(const std::vector<fixtures::AccessUnit>& units) const {
    const std::string path = dir_.File("reference.h264");
    return fixtures::WriteStreamFile(path, units) ? fixtures::FfmpegFrameHashes(path, fixtures::kBgraArgs)
                                                  : std::vector<std::string>{};
  }
};

}  // namespace

TEST_F(PlaycardTest, PlaysARecordingOfABackupAndReportsWhatItShowed) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.5);
  desc.recordings[1].video = {352, 288, 25, 0, 24};
  const std::optional<fixtures::Layout> layout = Build(desc, "store.sd");
  ASSERT_TRUE(layout);
  const fixtures::RecordingInfo& r = layout->recordings[1];
  const std::vector<std::string> reference = ReferenceHashes(fixtures::RecordingUnits(*layout, 1));
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(r.pictures));

  const Played played = Play(Quoted(layout->path) + " --entry 1 --json");
  ASSERT_EQ(played.status, 0) << played.json;
  EXPECT_EQ(played.Number("pictures"), r.pictures);
  EXPECT_EQ(played.Number("keyPictures"), static_cast<std::int64_t>(layout->FramesOf(1, fixtures::FrameRole::kIdr).size()));
  EXPECT_EQ(played.Number("width"), 352);
  EXPECT_EQ(played.Number("height"), 288);
  EXPECT_EQ(played.Number("firstFrameTime"), r.start);
  EXPECT_GE(played.Number("lastFrameTime"), r.start + 1);
  EXPECT_LE(played.Number("lastFrameTime"), r.chunks.back().time);
  EXPECT_EQ(played.Number("sensorMessages"), static_cast<std::int64_t>(r.chunks.size()));
  EXPECT_EQ(played.Number("videoSizeMessages"), 1);
  EXPECT_EQ(played.Number("endMessages"), 1);
  EXPECT_EQ(played.Number("audioBytes"), static_cast<std::int64_t>(Sound(*layout, 1).size()));
  EXPECT_EQ(played.Hashes(), std::vector<std::string>(reference.begin(), reference.begin() + 5));
}

TEST_F(PlaycardTest, PlaysATransportStreamUntilNothingIsLeftToShow) {
  fixtures::TsDescription desc;
  desc.video = {160, 120, 30, 30, 30};
  desc.pictures = 45;
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  ASSERT_FALSE(file.bytes.empty());
  const std::string path = dir_.File("clip.ts");
  ASSERT_TRUE(fixtures::WriteFileBytes(path, file.bytes));
  std::vector<fixtures::AccessUnit> units;
  for (const fixtures::TsPicture& p : file.pictures) units.push_back({p.key, p.data});
  const std::vector<std::string> reference = ReferenceHashes(units);
  ASSERT_EQ(reference.size(), file.pictures.size());
  std::filesystem::remove(dir_.File("reference.h264"));

  const Played played = Play(Quoted(path) + " --json");
  ASSERT_EQ(played.status, 0) << played.json;
  // Every picture, the last one included.
  EXPECT_EQ(played.Number("pictures"), desc.pictures);
  EXPECT_EQ(played.Number("keyPictures"), 2);
  EXPECT_EQ(played.Number("width"), 160);
  EXPECT_EQ(played.Number("height"), 120);
  EXPECT_EQ(played.Number("videoSizeMessages"), 1);
  EXPECT_EQ(played.Number("endMessages"), 0);
  EXPECT_EQ(played.Hashes(), std::vector<std::string>(reference.begin(), reference.begin() + 5));
}

TEST_F(PlaycardTest, TheRecordingsSoundReachesTheDiskDeviceWholeAndInOrder) {
  const std::optional<fixtures::Layout> layout = Build(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0), "store.sd");
  ASSERT_TRUE(layout);
  const Bytes expected = Sound(*layout, 0);
  ASSERT_GT(expected.size(), 8192u);
  const std::string disk = dir_.File("sound.raw");

  const Played played = Play(Quoted(layout->path) + " --json", "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + Quoted(disk));
  ASSERT_EQ(played.status, 0) << played.json;
  EXPECT_EQ(played.Number("audioBytes"), static_cast<std::int64_t>(expected.size()));

  // Silence until the first block plays, then the recording's sound sample for sample.
  std::ifstream in(disk, std::ios::binary);
  const Bytes heard{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(fixtures::HeardInOrder(heard, expected), "");
}

TEST_F(PlaycardTest, SeeksPlaysFastOnKeyPicturesAndStopsWhenTold) {
  const std::optional<fixtures::Layout> layout = Build(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0), "store.sd");
  ASSERT_TRUE(layout);
  const fixtures::RecordingInfo& r = layout->recordings[0];
  const std::int64_t keys = static_cast<std::int64_t>(layout->FramesOf(0, fixtures::FrameRole::kIdr).size());

  // The play starts at the first key picture from the second asked for.
  const Played seeked = Play(Quoted(layout->path) + " --seek 2 --json");
  ASSERT_EQ(seeked.status, 0) << seeked.json;
  EXPECT_GE(seeked.Number("firstFrameTime"), r.start + 2);
  EXPECT_LE(seeked.Number("firstFrameTime"), r.start + 3);
  EXPECT_LT(seeked.Number("pictures"), r.pictures);
  EXPECT_EQ(seeked.Number("endMessages"), 1);

  // From twice the speed on only key pictures are decoded.
  const Played fast = Play(Quoted(layout->path) + " --speed 4 --json");
  ASSERT_EQ(fast.status, 0) << fast.json;
  EXPECT_EQ(fast.Number("pictures"), keys);
  EXPECT_EQ(fast.Number("keyPictures"), keys);
  EXPECT_EQ(fast.Number("firstFrameTime"), r.start);
  EXPECT_EQ(fast.Number("endMessages"), 1);

  const Played cut = Play(Quoted(layout->path) + " --for 1 --json");
  ASSERT_EQ(cut.status, 0) << cut.json;
  EXPECT_EQ(cut.Number("endMessages"), 0);
  EXPECT_GT(cut.Number("pictures"), 0);
  EXPECT_LT(cut.Number("pictures"), r.pictures);
}

TEST_F(PlaycardTest, AnEntryClaimingFarMoreThanItsDataIsReadNoFurtherThanItsData) {
  // A mostly empty card image of 64 blocks whose one recording claims 100,000 chunks.
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kCard, 1, 1.0);
  desc.capacity = 64;
  desc.recordings[0].claimedChunks = 100000;
  const std::optional<fixtures::Layout> layout = Build(desc, "claims.img");
  ASSERT_TRUE(layout);
  const fixtures::RecordingInfo& r = layout->recordings[0];
  const Played played = Play("dvk2://61 --json", "PLAYER_DRIVE_61=" + Quoted(layout->path));
  ASSERT_EQ(played.status, 0) << played.json;
  // Its chunks, then the run of chunks without a valid trailer that ends it.
  EXPECT_EQ(played.Number("chunkReads"), static_cast<std::int64_t>(r.chunks.size()) + 8);
  EXPECT_LE(played.Number("chunkReads"), 2048);
  EXPECT_EQ(played.Number("pictures"), r.pictures);
  EXPECT_EQ(played.Number("endMessages"), 1);
}

TEST_F(PlaycardTest, RefusesSourcesThatCannotBePlayedAndWrongArguments) {
  const std::optional<fixtures::Layout> layout = Build(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0), "store.sd");
  ASSERT_TRUE(layout);
  ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("garbage.sd"), Bytes(100000, 0x5A)));
  ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("notes.txt"), Bytes(100, 'x')));
  const std::string store = Quoted(layout->path);
  for (const std::string& args :
       {Quoted(dir_.File("missing.sd")), Quoted(dir_.File("garbage.sd")), Quoted(dir_.File("notes.txt")),
        Quoted(dir_.File("missing.ts")), std::string("dvk2://x"), store + " --entry 1", store + " --speed 0",
        store + " --speed nan", store + " --speed -nan", store + " --speed inf", store + " --seek inf",
        store + " --for", store + " --loop", std::string()}) {
    const Played played = Play(args + " --json");
    EXPECT_EQ(played.status, 2) << args;
    EXPECT_EQ(played.json, "") << args;
  }

  // It says why, and what it takes.
  int status = -1;
  const auto said = [&](const std::string& args) {
    return fixtures::RunCommand(std::string(PLAYCARD_PATH) + " " + args + " 2>&1", &status);
  };
  EXPECT_NE(said(Quoted(dir_.File("missing.sd"))).find("it does not exist"), std::string::npos);
  EXPECT_NE(said(Quoted(dir_.File("garbage.sd"))).find("is not a card, .sd backup or .idx index"), std::string::npos);
  EXPECT_NE(said(Quoted(dir_.File("missing.ts"))).find("it does not exist"), std::string::npos);
  EXPECT_NE(said("--help").find("usage: playcard SOURCE"), std::string::npos);
  EXPECT_EQ(status, 0);

  // A FIFO is refused at once, whatever its name says, without waiting for a writer.
  for (const char* name : {"pipe.ts", "pipe.sd"}) {
    ASSERT_EQ(::mkfifo(dir_.File(name).c_str(), 0600), 0);
    const std::string text = fixtures::RunCommand("timeout 20 " PLAYCARD_PATH " " + Quoted(dir_.File(name)) + " 2>&1", &status);
    EXPECT_TRUE(status == 2 && text.find(std::string(name) + " cannot be") != std::string::npos) << status << text;
  }
}

// Names are bytes: a store whose name is not UTF-8 plays, and a job copies it to another such name.
TEST_F(PlaycardTest, SourcesNamedInAnyBytesPlay) {
  const std::optional<fixtures::Layout> layout = Build(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0), "store.sd");
  ASSERT_TRUE(layout);
  const std::string store = dir_.File("caf\xE9 \xFF.sd");
  const std::string copy = dir_.File("copie \xE9.sd");
  std::filesystem::rename(layout->path, store);
  EXPECT_EQ(Play(Quoted(store) + " --json").Number("pictures"), layout->recordings[0].pictures);
  int status = -1;
  const std::string job = fixtures::RunCommand(std::string(CARDJOB_PATH) + " backup " + Quoted(store) + " " + Quoted(copy), &status);
  EXPECT_EQ(status, 0) << job;
  EXPECT_EQ(Play(Quoted(copy) + " --json").Number("pictures"), layout->recordings[0].pictures);
}

// After every fifth video packet, one of the video stream that carries only an adaptation field,
// every other one with the unit-start bit: both ways the pictures play, with no sanitizer report.
TEST_F(PlaycardTest, PacketsWithoutPayloadArePassedOverBothWays) {
  fixtures::TsDescription desc;
  desc.video = {160, 120, 30, 5, 30};
  const Bytes stream = fixtures::BuildTs(desc).bytes;
  const std::uint16_t video = fixtures::TsPids().video;
  Bytes spliced, adaptationOnly = {0x47, 0, static_cast<std::uint8_t>(video & 0xFF), 0x20, 183, 0};
  adaptationOnly.resize(188, 0xFF);
  for (std::size_t at = 0, packets = 0; at + 188 <= stream.size(); at += 188) {
    spliced.insert(spliced.end(), stream.begin() + static_cast<std::ptrdiff_t>(at), stream.begin() + static_cast<std::ptrdiff_t>(at + 188));
    if ((((stream[at + 1] & 0x1F) << 8) | stream[at + 2]) != video || ++packets % 5 != 0) continue;
    adaptationOnly[1] = static_cast<std::uint8_t>((packets % 10 == 0 ? 0x40 : 0) | video >> 8);
    spliced.insert(spliced.end(), adaptationOnly.begin(), adaptationOnly.end());
  }
  ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("adaptation.ts"), spliced));
  for (const char* speed : {"1", "-1"}) {
    const Played played = Play(Quoted(dir_.File("adaptation.ts")) + " --speed " + speed + " --json", "UBSAN_OPTIONS=halt_on_error=1");
    EXPECT_TRUE(played.status == 0 && played.Number("pictures") > 0) << speed << played.json;
  }
}

// Recordings whose chunks hold no valid data, or whose data lies past the end of the file, after
// one that plays: played forward, backward, or from a seek into them, each play ends, backward
// after the pictures of the recording before.
TEST_F(PlaycardTest, ARecordingWithoutReadableDataEndsInEveryDirection) {
  const std::optional<fixtures::Layout> layout = Build(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0), "store.sd");
  ASSERT_TRUE(layout);
  const std::uint64_t data = layout->recordings[1].chunks.front().fileOffset;
  Bytes bytes = fixtures::ReadFileBytes(layout->path);
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(data), bytes.end(), 0);
  ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("zeroed.sd"), bytes));
  bytes.resize(data);
  ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("cut.sd"), bytes));
  for (const char* store : {"zeroed.sd", "cut.sd"}) {
    for (const char* how : {"", " --speed -1", " --seek 1", " --seek 1 --speed -1"}) {
      const Played played = Play(Quoted(dir_.File(store)) + " --entry 1" + how + " --for 20 --json");
      ASSERT_EQ(played.status, 0) << store << how;
      const bool backward = std::string(how).find("-1") != std::string::npos;
      EXPECT_EQ(played.Number("pictures"), backward ? layout->recordings[0].pictures : 0) << store << how;
      EXPECT_EQ(played.Number("endMessages"), 1) << store << how;
    }
  }
}
