// The video thread behind the card source playing a builder store: the real reading, splitting
// and queuing code on real bytes, with the main window's sensor reads running alongside.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>

#include "engine/stream/SourceBoxCtx.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

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

// The card source playing a store's first recording into a video thread, from an event's chunk
// (0: the recording's start) at a speed.
class StorePlay {
 public:
  explicit StorePlay(const fixtures::Layout& layout) {
    source.SetStoreSource(kSourceBackupFile, 0, layout.path);
    source.SetQueues(&rig.queue, nullptr);
    rig.video->SetSensorData(&source.Sensors());
  }
  ~StorePlay() { Stop(); }

  bool Start(int eventNumber, double speed) {
    IndexEntry* entry = source.OpenStore();
    if (!entry || !source.SetEntryRange(entry, eventNumber)) return false;
    rig.state.speed = speed;
    rig.state.open = true;
    return rig.video->Start() && source.Start();
  }
  bool WaitForEnd() { return VideoRig::Eventually([&] { return !rig.log.Of(WM_PLAYER_END).empty(); }); }
  void Stop() {
    rig.state.open = false;
    rig.queue.Wake();
    EXPECT_TRUE(source.Stop(10000));
    EXPECT_TRUE(rig.video->Stop(10000));
  }

  VideoRig rig;
  CSourceBoxCtx source{nullptr, &rig.state};
};

// For each picture, the chunk holding its slice, which gives the picture its second.
std::vector<std::size_t> SliceChunks(const fixtures::Layout& layout) {
  const fixtures::RecordingInfo& r = layout.recordings[0];
  std::vector<std::size_t> chunks(static_cast<std::size_t>(r.pictures), 0);
  for (const fixtures::FrameInfo& f : layout.FramesOf(0)) {
    if (f.role != fixtures::FrameRole::kIdr && f.role != fixtures::FrameRole::kInter) continue;
    std::size_t c = 0;
    while (c + 1 < r.chunks.size() && static_cast<std::uint64_t>(r.chunks[c + 1].streamOffset) <= f.offset) ++c;
    chunks[static_cast<std::size_t>(f.picture)] = c;
  }
  return chunks;
}

}  // namespace

TEST(VideoCtxSource, BackwardPlayShowsEveryPictureFromItsStartBackToTheFirstAtEverySpeed) {
  setenv("TZ", "UTC", 1);
  tzset();
  fixtures::ScratchDir dir("backward");
  // Groups of 15 pictures at 25 a second: groups, seconds and chunks each end elsewhere.
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0);
  desc.recordings[0].video = {320, 240, 25, 15, 26};
  desc.recordings[0].hasSound = false;
  std::string error;
  const std::optional<fixtures::Layout> probe = fixtures::BuildStore(desc, dir.File("probe.sd"), &error);
  ASSERT_TRUE(probe.has_value()) << error;
  const int last = static_cast<int>(probe->recordings[0].chunks.size()) - 1;
  // Starts at the last chunk, inside a middle group and inside the first group.
  desc.recordings[0].events = {{last, 1}, {last / 2 + 1, 1}, {1, 1}};
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("store.sd"), &error);
  ASSERT_TRUE(layout.has_value()) << error;
  const std::vector<std::string> reference = RecordingHashes(*layout, 0, dir.File("recording.h264"));
  const fixtures::RecordingInfo& r = layout->recordings[0];
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(r.pictures));
  const std::vector<std::size_t> sliceChunks = SliceChunks(*layout);

  const std::pair<int, double> plays[] = {{1, -1.0}, {1, -16.0}, {2, -1.0 / 16}, {2, -4.0}, {3, -2.0}};
  for (const auto& [event, speed] : plays) {
    SCOPED_TRACE(testing::Message() << "event " << event << " speed " << speed);
    const std::size_t startChunk = static_cast<std::size_t>(desc.recordings[0].events[static_cast<std::size_t>(event - 1)].chunk);
    StorePlay play(*layout);
    ASSERT_TRUE(play.Start(event, speed));
    ASSERT_TRUE(play.WaitForEnd());
    play.Stop();
    const std::vector<std::string> shown = play.rig.presenter->Hashes();
    ASSERT_FALSE(shown.empty());
    // The first picture shown is the last one read whole: only the last picture begun in the
    // start chunk may run on beyond what is read. Every picture before it follows, latest first,
    // each once, with the second of its own chunk.
    const auto first = std::find(reference.begin(), reference.end(), shown.front());
    ASSERT_NE(first, reference.end());
    const std::size_t k = static_cast<std::size_t>(first - reference.begin());
    EXPECT_LE(sliceChunks[k], startChunk);
    EXPECT_TRUE(k + 1 >= sliceChunks.size() || sliceChunks[k + 1] >= startChunk);
    EXPECT_TRUE(k + 2 >= sliceChunks.size() || sliceChunks[k + 2] > startChunk);
    std::vector<std::string> expected(reference.rend() - static_cast<std::ptrdiff_t>(k) - 1, reference.rend());
    EXPECT_EQ(shown, expected);
    const std::vector<std::int64_t> seconds = play.rig.presenter->Seconds();
    ASSERT_EQ(seconds.size(), shown.size());
    for (std::size_t i = 0; i < seconds.size(); ++i) ASSERT_EQ(seconds[i], r.chunks[sliceChunks[k - i]].time) << "picture " << k - i;
  }
}

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

  StorePlay play(*layout);
  VideoRig& rig = play.rig;
  CSourceBoxCtx& source = play.source;
  ASSERT_TRUE(play.Start(0, 1.0));

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
  const bool ended = play.WaitForEnd();
  reading = false;
  window.join();
  play.Stop();
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
