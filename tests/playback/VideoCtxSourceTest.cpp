// The video thread behind the card source playing a builder store: the real reading, splitting
// and queuing code on real bytes, with the main window's sensor reads running alongside.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>

#include "engine/stream/SourceBoxCtx.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/playback/PlaybackTestSupport.h"

using namespace playtest;

namespace {

// ffmpeg's 32-bit picture hashes of a recording's H.264 frames as the builder wrote them.
std::vector<std::string> RecordingHashes(const fixtures::Layout& layout, int recording, const std::string& path) {
  return fixtures::WriteStreamFile(path, fixtures::RecordingUnits(layout, recording))
             ? fixtures::FfmpegFrameHashes(path, kBgraArgs)
             : std::vector<std::string>{};
}

// A block read by the main window is whole when it is the trailer of one of the chunks played.
bool IsWholeTrailer(const BYTE* block, const fixtures::RecordingInfo& r) {
  std::uint32_t sequence = 0;
  std::memcpy(&sequence, block + 4, 4);
  for (const fixtures::ChunkInfo& c : r.chunks) {
    if (c.sequence != sequence) continue;
    const char* gps = reinterpret_cast<const char*>(block + 344);
    return std::string(gps, strnlen(gps, 80)) == c.gps;
  }
  return false;
}

}  // namespace

TEST(VideoCtxSource, ACardRecordingPlaysAsFfmpegDecodesItWithItsSensorBlocksWhole) {
  setenv("TZ", "UTC", 1);
  tzset();
  fixtures::ScratchDir dir("playback");
  std::string error;
  const std::optional<fixtures::Layout> layout =
      fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0), dir.File("store.sd"), &error);
  ASSERT_TRUE(layout.has_value()) << error;
  const fixtures::RecordingInfo& recording = layout->recordings[0];
  const std::vector<std::string> expected = RecordingHashes(*layout, 0, dir.File("recording.h264"));
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(recording.pictures));

  VideoRig rig;
  CSourceBoxCtx source(nullptr, &rig.state);
  source.SetStoreSource(kSourceBackupFile, 0, layout->path);
  source.SetQueues(&rig.queue, nullptr);
  IndexEntry* entry = source.OpenStore();
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(source.SetEntryRange(entry, 0));
  rig.state.open = true;
  rig.video->SetSensorData(&source.Sensors());
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(source.Start());

  // The main window reads the sensor block whenever it is told of a new one.
  std::atomic<bool> reading{true};
  std::atomic<int> blocks{0};
  std::atomic<int> torn{0};
  std::thread window([&] {
    BYTE block[kCardBlockSize];
    while (reading) {
      if (!source.GetSensorBlock(block)) continue;
      ++blocks;
      if (!IsWholeTrailer(block, recording)) ++torn;
    }
  });
  const bool ended = VideoRig::Eventually([&] { return !rig.log.Of(WM_PLAYER_END).empty(); });
  reading = false;
  window.join();
  rig.state.open = false;
  rig.queue.Wake();
  EXPECT_TRUE(source.Stop(10000));
  EXPECT_TRUE(rig.video->Stop(10000));
  ASSERT_TRUE(ended);

  EXPECT_EQ(rig.presenter->Hashes(), expected);
  EXPECT_EQ(rig.log.Of(WM_PLAYER_SENSORDATA).size(), recording.chunks.size());
  EXPECT_EQ(rig.log.Of(WM_PLAYER_VIDEOSIZE).size(), 1u);
  const auto ends = rig.log.Of(WM_PLAYER_END);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].lParam, 0);
  EXPECT_GT(blocks.load(), 0);
  EXPECT_EQ(torn.load(), 0);
}
