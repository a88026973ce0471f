// The audio clock as the audio thread anchors and trims it, on a fake clock: one sound frame per
// block, each block played 384 ms after the one before.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/clock/FpsCtrl.h"
#include "tests/engine/audio/AudioTestSupport.h"
#include "tests/engine/stream/QueueTestSupport.h"

using namespace audiotest;

namespace {

constexpr std::int64_t kStamp = 1'709'280'750'000'000;
constexpr std::int64_t kBlockMs = 384;
constexpr std::int64_t kBlockUs = kBlockMs * 1000;

// `count` frames of one block each, stamped one block apart from `first`.
void PutFrames(AudioRig& rig, int count, std::int64_t first, std::uint32_t seed) {
  const Bytes pcm = Pcm(count * static_cast<int>(kBlock) / 2, seed);
  for (int i = 0; i < count; ++i) {
    const Bytes frame(pcm.begin() + i * kBlock, pcm.begin() + (i + 1) * kBlock);
    ASSERT_TRUE(rig.feed.Put(kItemPcm16, frame, static_cast<std::uint64_t>(first + i * kBlockUs)));
  }
}

std::int64_t Now(const AudioRig& rig) { return static_cast<std::int64_t>(rig.clock.NowMs()); }

}  // namespace

TEST(AudioClockTest, TheMarkedFrameAnchorsTheClockAndLaterFramesTrimItByAtMost66Ms) {
  AudioRig rig;
  constexpr int kFrames = 12;
  PutFrames(rig, kFrames, kStamp, 1);
  rig.state.audioStartDelay = 1140;
  rig.state.SetAudioTime(kStamp);  // the source marks the first frame
  const std::int64_t start = Now(rig);
  ASSERT_TRUE(rig.audio.Init(0));

  // Frames 0 and 1 are taken at once: the first is heard the start delay from now, the second is
  // a block of sound ahead of a wall clock that has not moved, so the clock goes 66 ms forward.
  ASSERT_TRUE(rig.device->WaitUnlocks(2));
  AudioAnchor anchor = rig.state.avClock.GetAnchor();
  EXPECT_EQ(anchor.tickBase, start + 1140);
  EXPECT_EQ(anchor.audioBase, kStamp + 66'000);
  EXPECT_EQ(rig.state.audioPreviousDelay.load(), 1140);
  EXPECT_EQ(rig.state.audioStartDelay.load(), 0);
  EXPECT_FALSE(rig.state.audioResync.load());
  EXPECT_EQ(rig.state.audioTime.load(), kStamp + kBlockUs);

  // Each later frame is taken a block's time after the one before; the base moves toward the
  // wall clock by the difference, never by more than 66 ms.
  std::int64_t base = anchor.audioBase;
  for (int k = 2; k < kFrames; ++k) {
    rig.clock.Advance(kBlockMs);
    rig.device->TakeBlocks(1);
    ASSERT_TRUE(rig.device->WaitUnlocks(k + 1));
    const std::int64_t elapsed = (k - 1) * kBlockMs;
    const std::int64_t heard = (kStamp + k * kBlockUs - base) / 1000;
    const std::int64_t moved = rig.state.avClock.GetAnchor().audioBase - base;
    EXPECT_EQ(moved, std::clamp(heard - elapsed, -CAudioCtx::kMaxTrimMs, CAudioCtx::kMaxTrimMs) * 1000) << "frame " << k;
    if (k == 2) {
      EXPECT_EQ(moved, 66'000);  // 318 ms apart: the most a frame may move it
    }
    base += moved;
    EXPECT_EQ(rig.state.audioTime.load(), kStamp + k * kBlockUs);
  }
  // Settled: each frame is heard one block after it was taken, the start delay after the anchor.
  EXPECT_EQ(base, kStamp + kBlockUs);
  EXPECT_EQ(rig.state.avClock.GetAnchor().tickBase, start + 1140);
}

TEST(AudioClockTest, ASeekMakesANewBufferAndAnchorsAgainAndAStrayClockKeepsItsLastDelay) {
  AudioRig rig;
  PutFrames(rig, 4, kStamp, 2);
  rig.state.audioStartDelay = 1100;
  rig.state.SetAudioTime(kStamp);
  ASSERT_TRUE(rig.audio.Init(0));
  rig.device->TakeBlocks(2);
  ASSERT_TRUE(rig.device->WaitUnlocks(4));

  // The seek: the source flushes the queue, queues the sound at the new place with its delay and
  // marks it; the engine asks the audio thread for a reset.
  constexpr std::int64_t kSeekStamp = kStamp + 600'000'000;
  rig.feed.Restart();
  PutFrames(rig, 3, kSeekStamp, 3);
  rig.state.audioStartDelay = 900;
  rig.state.SetAudioTime(kSeekStamp);
  rig.clock.Advance(5000);
  const std::int64_t seekTick = Now(rig);
  rig.audio.RequestReset();
  rig.device->Permit();

  ASSERT_TRUE(Eventually([&] { return rig.device->Opens() == 2; }));
  ASSERT_TRUE(rig.device->WaitUnlocks(2));
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> locks = rig.device->Locks();
  ASSERT_GE(locks.size(), 6u);
  EXPECT_EQ(locks[4].first, 0u);  // the new buffer is written from its start
  EXPECT_EQ(locks[5].first, kBlock);
  AudioAnchor anchor = rig.state.avClock.GetAnchor();
  EXPECT_EQ(anchor.tickBase, seekTick + 900);
  EXPECT_EQ(anchor.audioBase, kSeekStamp + 66'000);  // trimmed afresh from the first frame on
  EXPECT_EQ(rig.state.audioPreviousDelay.load(), 900);

  // The video thread finds the audio clock 200 s away from its pictures and asks for a new anchor:
  // the next frame anchors it with the delay of the last anchoring, although the source set none.
  CFpsCtrl pacer(30.0, 0);
  for (int i = 0; i <= CAvClock::kSettleSteps; ++i) rig.state.avClock.SyncClock(pacer, kSeekStamp + 200'000'000, 30, seekTick);
  rig.clock.Advance(kBlockMs);
  rig.device->TakeBlocks(1);
  ASSERT_TRUE(rig.device->WaitUnlocks(3));
  anchor = rig.state.avClock.GetAnchor();
  EXPECT_EQ(anchor.tickBase, seekTick + kBlockMs + 900);
  EXPECT_EQ(anchor.audioBase, kSeekStamp + 2 * kBlockUs);
  EXPECT_FALSE(rig.state.avClock.TakeReanchorRequest());
}
