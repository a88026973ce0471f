// A backup's sound from end to end: the card source queues it, the audio thread plays it through
// SDL's disk driver, which writes what reaches the device to a file.
#include <SDL.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "engine/audio/AudioCtx.h"
#include "testdata/FileBytes.h"
#include "tests/engine/stream/SourceTestSupport.h"
#include "tests/support/TestEnvironment.h"

using namespace sourcetest;

namespace {

using Bytes = std::vector<std::uint8_t>;

void StopSdlAudio() {
  while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The source with its queues; a consumer takes the pictures, the sound waits for the audio thread.
struct SourceOnly {
  explicit SourceOnly(const fixtures::Layout& layout) {
    EXPECT_TRUE(video.Create(kVideoArea, kVideoMargin, true));
    EXPECT_TRUE(audio.Create(kAudioArea, kAudioMargin, true));
    source.SetStoreSource(kSourceBackupFile, 0, layout.path);
    source.SetQueues(&video, &audio);
    first = layout.recordings[0].entry.first;
  }
  ~SourceOnly() {
    state.open = false;
    video.Wake();
    audio.Wake();
    source.Stop(10000);
    consumer.Stop();
  }
  bool Play() {
    if (!source.OpenStore()) return false;
    const auto entries = source.EntryList();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](IndexEntry* e) { return e->FirstChunk() == first; });
    if (entry == entries.end() || !source.SetEntryRange(*entry, 0)) return false;
    state.open = true;
    consumer.Start();
    return source.Start();
  }

  CEngineState state;
  CVBuffer2 video{kVideoItems};
  CABuffer2 audio{kAudioItems};
  CSourceBoxCtx source{nullptr, &state};
  TestConsumer consumer{video, nullptr, &source.Sensors()};
  std::uint32_t first = 0;
};

// Waits until the device has played `bytes` more; false after a generous bound.
bool WaitPlayed(const plat::ISoundOutput& out, std::uint32_t bytes) {
  std::uint32_t play = 0, write = 0;
  out.GetPositions(&play, &write);
  std::uint64_t played = 0;
  for (int i = 0; i < 3000 && played < bytes; ++i) {
    Sleep(10);
    const std::uint32_t last = play;
    out.GetPositions(&play, &write);
    played += (play + CSoundCursor::kRingBytes - last) % CSoundCursor::kRingBytes;
  }
  return played >= bytes;
}

}  // namespace

TEST(AudioPlayTest, ABackupsSoundReachesTheDiskDeviceWholeAndInOrder) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0), "sound");
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay expectedPlay = ExpectForward(fixture, {0});
  ASSERT_GT(expectedPlay.audio.size(), 40u);
  Bytes expected;
  for (const ExpectedItem& frame : expectedPlay.audio) expected.insert(expected.end(), frame.bytes.begin(), frame.bytes.end());

  // The whole recording is queued before the sound starts, so that it plays without a gap.
  SourceOnly rig(fixture.layout());
  ASSERT_TRUE(rig.Play());
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ASSERT_EQ(rig.audio.Count(), expectedPlay.audio.size() + 1);  // with the copy the first take drops

  const std::filesystem::path file = std::filesystem::path(plat::test::TestOutputDir()) / ("audio-play-test-" + std::to_string(getpid()) + ".raw");
  std::filesystem::remove(file);
  StopSdlAudio();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    auto device = plat::CreateSoundOutput();
    const plat::ISoundOutput& out = *device;
    CAudioCtx player(rig.state, rig.audio, std::move(device));
    ASSERT_TRUE(player.Init(0));
    ASSERT_TRUE(player.IsRunning());
    ASSERT_TRUE(Eventually([&] { return rig.audio.Count() <= 1; }));
    // The last frame lies at most two blocks ahead of the device, which holds one piece more.
    EXPECT_TRUE(WaitPlayed(out, 4 * CSoundCursor::kBlockBytes));
    EXPECT_TRUE(player.Stop(10000));
    EXPECT_EQ(rig.state.audioTime.load(), static_cast<std::int64_t>(expectedPlay.audio.back().stamp));
    EXPECT_NE(rig.state.avClock.GetAnchor().tickBase, 0);
  }
  StopSdlAudio();
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  // Silence until the first block plays, then the recording's sound sample for sample.
  EXPECT_EQ(fixtures::HeardInOrder(fixtures::ReadFileBytes(file), expected), "");
  if (!HasFailure()) std::filesystem::remove(file);  // kept only to be listened to when it fails
}
