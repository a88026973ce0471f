// The queues' space, type and flush rules, driven from one thread.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/stream/ABuffer2.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Time.h"
#include "QueueTestSupport.h"

namespace {

constexpr std::size_t kArea = 64 * 1024;
constexpr std::size_t kMargin = 8 * 1024;

std::vector<std::uint32_t> DrainSeqs(CBuffer& q) {
  std::vector<std::uint32_t> seqs;
  QueueItem out;
  while (q.Get(out)) seqs.push_back(out.seq);
  return seqs;
}

}  // namespace

TEST(QueueRules, FirstPutGoesAfterAPlaceholderAndGetHandsOutTheFrame) {
  CVBuffer2 q(16);
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  BYTE* base = q.AreaBase();
  QueueItem a = Frame(base + 100, 500, kItemUnconditional, 7);
  ASSERT_TRUE(q.Put(a, nullptr));
  EXPECT_EQ(a.data, base + 600);  // the next write position
  EXPECT_EQ(q.Count(), 2u);
  EXPECT_EQ(q.BytesInUse(), 500u);

  QueueItem out;
  ASSERT_TRUE(q.Get(out));
  EXPECT_EQ(out.data, base + 100);
  EXPECT_EQ(out.length, 500u);
  EXPECT_EQ(out.seq, 7u);
  EXPECT_EQ(q.ReadPosition(), base + 100);
  EXPECT_EQ(q.BytesInUse(), 0u);
  EXPECT_EQ(q.Count(), 1u);  // the consumer's frame stays queued until the next Get
  EXPECT_FALSE(q.Get(out));
  EXPECT_EQ(q.Count(), 0u);
}

TEST(QueueRules, PutsThatWouldReachTheReadPositionAreRefusedUntilItMoves) {
  CVBuffer2 q(16);
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  BYTE* base = q.AreaBase();
  QueueItem a = Frame(base, 20000, kItemUnconditional, 1);
  QueueItem b = Frame(base + 20000, 20000, kItemUnconditional, 2);
  ASSERT_TRUE(q.Put(a, nullptr));
  ASSERT_TRUE(q.Put(b, nullptr));
  ASSERT_EQ(b.data, base + 40000);

  // The margin no longer fits before the end, and not at the base while the first frame is held.
  QueueItem c = Frame(base + 40000, 20000, kItemUnconditional, 3);
  EXPECT_FALSE(q.Put(c, nullptr));
  EXPECT_EQ(c.data, base + 40000);
  EXPECT_EQ(q.Count(), 3u);
  EXPECT_EQ(q.BytesInUse(), 40000u);
  QueueItem out;
  ASSERT_TRUE(q.Get(out));  // takes the first frame: still held at the base
  EXPECT_FALSE(q.Put(c, nullptr));
  ASSERT_TRUE(q.Get(out));  // now the base is free up to the second frame
  ASSERT_TRUE(q.Put(c, nullptr));
  EXPECT_EQ(c.data, base);  // the write position comes round to the base

  // Behind the read position a frame fits only with the margin before the held frame.
  QueueItem d = Frame(base, 12000, kItemUnconditional, 4);
  EXPECT_FALSE(q.Put(d, nullptr));
  d.length = 11000;
  ASSERT_TRUE(q.Put(d, nullptr));
  EXPECT_EQ(d.data, base + 11000);
  EXPECT_EQ((DrainSeqs(q)), (std::vector<std::uint32_t>{3, 4}));

  // A first frame near the end sends the producer to the base, but the frames written there
  // must still leave the margin before it.
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  QueueItem late = Frame(base + 60000, 1000, kItemUnconditional, 5);
  ASSERT_TRUE(q.Put(late, nullptr));
  ASSERT_EQ(late.data, base);
  QueueItem early = Frame(base, 52000, kItemUnconditional, 6);
  EXPECT_FALSE(q.Put(early, nullptr));
  early.length = 51000;
  EXPECT_TRUE(q.Put(early, nullptr));

  // A frame outside the area is refused rather than handing out a wild write position.
  QueueItem wild = Frame(base + kArea - 10, 100, kItemUnconditional);
  EXPECT_FALSE(q.Put(wild, nullptr));
  EXPECT_FALSE(q.Reserve(wild));
}

TEST(QueueRules, ReserveAndFlushesMoveTheWritePositionAndKeepTheHeldFrame) {
  CVBuffer2 q(16);
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  BYTE* base = q.AreaBase();
  QueueItem a = Frame(base, 1000, kItemUnconditional, 1);
  ASSERT_TRUE(q.Put(a, nullptr));
  QueueItem skipped = Frame(base + 1000, 500, kItemUnconditional);
  ASSERT_TRUE(q.Reserve(skipped));
  EXPECT_EQ(skipped.data, base + 1500);
  EXPECT_EQ(q.Count(), 2u);
  QueueItem b = Frame(base + 1500, 1000, kItemUnconditional, 2);
  ASSERT_TRUE(q.Put(b, nullptr));

  QueueItem out;
  ASSERT_TRUE(q.Get(out));
  QueueItem w;
  q.FlushTo(w);
  EXPECT_EQ(w.data, base + 1000);  // right after the held frame
  EXPECT_EQ(q.Count(), 1u);
  EXPECT_EQ(q.BytesInUse(), 1000u);
  EXPECT_FALSE(q.Get(out));
  q.FlushTo(w);
  EXPECT_EQ(w.data, base);
  EXPECT_EQ(q.BytesInUse(), 0u);

  // A frame held near the end leaves no margin after it: the producer starts at the base.
  QueueItem x = Frame(base + 60000, 1000, kItemUnconditional);
  ASSERT_TRUE(q.Put(x, nullptr));
  ASSERT_TRUE(q.Get(out));
  q.FlushTo(w);
  EXPECT_EQ(w.data, base);

  // Flush keeps the consumer's frame safe from the producer that comes round behind it.
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  QueueItem held = Frame(base + 30000, 20000, kItemUnconditional, 1);
  QueueItem next = Frame(base + 50000, 10000, kItemUnconditional, 2);
  ASSERT_TRUE(q.Put(held, nullptr));
  ASSERT_TRUE(q.Put(next, nullptr));
  ASSERT_EQ(next.data, base);
  ASSERT_TRUE(q.Get(out));
  q.Flush();
  EXPECT_EQ(q.BytesInUse(), 0u);
  EXPECT_EQ(q.Count(), 1u);
  QueueItem over = Frame(base, 25000, kItemUnconditional);
  EXPECT_FALSE(q.Put(over, nullptr));
  over.length = 20000;
  EXPECT_TRUE(q.Put(over, nullptr));
  q.Clear();
  EXPECT_EQ(q.Count(), 0u);
  EXPECT_FALSE(q.Get(out));
}

TEST(VideoQueue, KeyFrameStateDecidesWhatIsQueued) {
  CVBuffer2 q(64);
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  QueueItem w;
  q.FlushTo(w);
  q.SetKeyFrameState(0);  // as the stream set-up does
  auto put = [&](std::uint32_t type) { return PutAt(q, w, 100, type, type); };

  EXPECT_TRUE(put(kItemInterFrame));  // nothing to decode it from: dropped
  EXPECT_EQ(q.Count(), 0u);
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_EQ(q.KeyFrameState(), 1);
  EXPECT_TRUE(put(kItemInterFrame));
  EXPECT_TRUE(put(kItemTimeFrame));
  EXPECT_TRUE(put(kItemCarData));
  EXPECT_EQ(q.Count(), 5u);  // with the placeholder
  std::array<BYTE, kMarkerLength> block{};
  QueueItem marker = Frame(block.data(), kMarkerLength, kItemMarker, kItemMarker);
  ASSERT_TRUE(q.Put(marker, nullptr));
  EXPECT_EQ(marker.data, block.data());  // markers take no room: no write position moves
  EXPECT_EQ(q.MarkerCount(), 1u);
  EXPECT_EQ(q.Count(), 5u);
  EXPECT_TRUE(put(kItemNone));
  EXPECT_EQ(q.Count(), 5u);

  EXPECT_EQ((DrainSeqs(q)), (std::vector<std::uint32_t>{kItemKeyFrame, kItemInterFrame, kItemTimeFrame,
                                                         kItemCarData, kItemMarker}));
  EXPECT_EQ(q.MarkerCount(), 0u);

  // Each key frame taken lowers the state, never below one.
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_EQ(q.KeyFrameState(), 4);
  QueueItem out;
  ASSERT_TRUE(q.Get(out));
  ASSERT_TRUE(q.Get(out));
  EXPECT_EQ(q.KeyFrameState(), 2);
  const DWORD before = GetTickCount();
  q.Flush();
  EXPECT_LE(q.LastFlushTick() - before, GetTickCount() - before);
  EXPECT_EQ(q.KeyFrameState(), 0);

  // Waiting for a start item: key, time and car-data frames are dropped at once, and a
  // flush keeps waiting; the start item ends the wait.
  q.FlushTo(w);
  EXPECT_EQ(q.KeyFrameState(), -1);
  const std::size_t count = q.Count();
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_TRUE(put(kItemTimeFrame));
  EXPECT_EQ(q.Count(), count);
  q.Flush();
  EXPECT_EQ(q.KeyFrameState(), -1);
  EXPECT_TRUE(put(kItemStart));
  EXPECT_EQ(q.KeyFrameState(), 0);
  EXPECT_TRUE(put(kItemKeyFrame));
  EXPECT_EQ(q.KeyFrameState(), 1);
}

TEST(AudioQueue, DropOldestTakesFramesOutUnderTheQueuesOwnLock) {
  CABuffer2 q(4);
  ASSERT_TRUE(q.Create(kArea, 1024, true));
  q.SetDropOldest(true);
  QueueItem w;
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 6; ++seq) {
    ASSERT_TRUE(PutAt(q, w, 100, kItemPcm16, seq));  // drops by a Get inside the put: no deadlock
    if (seq >= 3) {
      EXPECT_EQ(q.Count(), 3u) << seq;
    }
  }
  EXPECT_EQ((DrainSeqs(q)), (std::vector<std::uint32_t>{5, 6}));

  // Without the flag the list grows past its capacity.
  q.SetDropOldest(false);
  ASSERT_TRUE(q.Create(kArea, 1024, true));
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 10; ++seq) ASSERT_TRUE(PutAt(q, w, 100, kItemPcm16, seq));
  EXPECT_EQ(q.Count(), 11u);
  EXPECT_EQ((DrainSeqs(q)), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(AudioQueue, FullAreaDropsOldestFramesOrLetsAStoppedProducerGiveUp) {
  constexpr std::uint32_t kFrame = 16000;
  CABuffer2 q(128);
  ASSERT_TRUE(q.Create(kArea, 16384, true));
  q.SetDropOldest(true);
  QueueItem w;
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 4; ++seq) {
    ASSERT_TRUE(PutAt(q, w, kFrame, kItemPcm16, seq)) << seq;  // the fourth: once old ones are gone
  }
  EXPECT_EQ(w.data, q.AreaBase());
  EXPECT_LT(q.Count(), 4u);
  EXPECT_EQ(DrainSeqs(q).back(), 4u);

  // Without dropping, a producer that is told to stop gives up instead of retrying forever.
  q.SetDropOldest(false);
  ASSERT_TRUE(q.Create(kArea, 16384, true));
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 3; ++seq) ASSERT_TRUE(PutAt(q, w, kFrame, kItemPcm16, seq));
  FuncSource stopped([](FuncSource&) {});
  QueueItem fourth = Frame(w.data, kFrame, kItemPcm16, 4);
  EXPECT_FALSE(q.Put(fourth, &stopped));
  q.Wake();
  EXPECT_FALSE(q.Put(fourth, nullptr));
  EXPECT_EQ(q.Count(), 4u);
}

TEST(AudioQueue, SoundFramesLongerThanTheMarginAreDroppedAndCounted) {
  constexpr std::size_t kSoundArea = 2 * 1024 * 1024;
  constexpr std::size_t kSoundMargin = 16 * 1024;
  CABuffer2 q(128);
  ASSERT_TRUE(q.Create(kSoundArea, kSoundMargin, true));
  std::vector<BYTE> payload(40000, 0x5A);
  QueueItem audio;
  q.FlushTo(audio);
  EXPECT_FALSE(q.WriteFrame(audio, payload.data(), payload.size()));
  EXPECT_EQ(q.DroppedFrames(), 1u);
  EXPECT_EQ(q.AreaBase()[0], 0);

  // Walk the write position to the last place the margin fits; a whole margin still writes.
  BYTE* const last = q.AreaBase() + kSoundArea - kSoundMargin;
  for (int i = 0; i < 200 && audio.data != last; ++i) {
    ASSERT_TRUE(q.WriteFrame(audio, payload.data(), kSoundMargin));
    audio.type = kItemPcm16;
    ASSERT_TRUE(q.Put(audio, nullptr));
  }
  ASSERT_EQ(audio.data, last);
  ASSERT_TRUE(q.WriteFrame(audio, payload.data(), kSoundMargin));
  EXPECT_EQ(audio.length, kSoundMargin);
  EXPECT_EQ(q.AreaBase()[kSoundArea - 1], 0x5A);
  EXPECT_FALSE(q.WriteFrame(audio, payload.data(), kSoundMargin + 1));

  // A write position too close to the end (or outside the area) is no place to write either.
  QueueItem late = audio;
  late.data = q.AreaBase() + kSoundArea - 100;
  EXPECT_FALSE(q.WriteFrame(late, payload.data(), 200));
  late.data = nullptr;
  EXPECT_FALSE(q.WriteFrame(late, payload.data(), 10));
  EXPECT_EQ(q.DroppedFrames(), 4u);
}

TEST(VideoQueue, PrepareWriteKeepsTheChunkInsideTheArea) {
  CVBuffer2 q(64);
  ASSERT_TRUE(q.Create(kArea, kMargin, true));
  BYTE* base = q.AreaBase();
  std::vector<BYTE> pattern(300);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<BYTE>(i * 7 + 1);
  auto partialAt = [&](std::size_t offset) {
    std::memcpy(base + offset, pattern.data(), pattern.size());
    return Frame(base + offset, static_cast<std::uint32_t>(pattern.size()), kItemInterFrame);
  };
  auto holdsPattern = [&](const QueueItem& p) {
    return std::memcmp(p.data, pattern.data(), pattern.size()) == 0;
  };

  QueueItem p = partialAt(1000);
  EXPECT_EQ(q.PrepareWrite(p, 4000, nullptr), base + 1300);
  p = partialAt(62000);  // the next chunk would pass the end: the frame moves to the base
  EXPECT_EQ(q.PrepareWrite(p, 4000, nullptr), base + 300);
  EXPECT_EQ(p.data, base);
  EXPECT_TRUE(holdsPattern(p));

  p = partialAt(20000);  // backward, the chunk goes before the frame
  EXPECT_EQ(q.PrepareWrite(p, -4000, nullptr), base + 16000);
  p = partialAt(2000);  // the chunk would pass the base: the frame moves a margin before the end
  EXPECT_EQ(q.PrepareWrite(p, -4000, nullptr), base + kArea - kMargin - 4000);
  EXPECT_EQ(p.data, base + kArea - kMargin);
  EXPECT_TRUE(holdsPattern(p));

  // The space the chunk needs holds a queued frame: a stopped producer gives up, nothing moves.
  FuncSource stopped([](FuncSource&) {});
  QueueItem queued = Frame(base, 5000, kItemUnconditional);
  ASSERT_TRUE(q.Put(queued, nullptr));
  p = partialAt(62000);
  EXPECT_EQ(q.PrepareWrite(p, 4000, &stopped), nullptr);
  EXPECT_EQ(p.data, base + 62000);
  q.Clear();
  QueueItem high = Frame(base + 55000, 1000, kItemUnconditional);
  ASSERT_TRUE(q.Put(high, nullptr));
  p = partialAt(2000);
  EXPECT_EQ(q.PrepareWrite(p, -4000, &stopped), nullptr);
  EXPECT_EQ(p.data, base + 2000);

  // Space that can never exist, or a frame outside the area, fails at once.
  q.Clear();
  p = partialAt(1000);
  EXPECT_EQ(q.PrepareWrite(p, kArea, nullptr), nullptr);
  p.data = base + kArea;
  EXPECT_EQ(q.PrepareWrite(p, 4000, nullptr), nullptr);
}
