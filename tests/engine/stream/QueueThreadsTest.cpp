// The queues between a producer thread and a consumer thread: order, blocking, waking,
// throttling and the waits that keep the producer off the consumer's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "engine/stream/ABuffer2.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Time.h"
#include "QueueTestSupport.h"

namespace {

bool AllBytesAre(const QueueItem& item, BYTE value) {
  return std::all_of(item.data, item.data + item.length, [value](BYTE b) { return b == value; });
}

}  // namespace

TEST(QueueThreads, FramesArriveInOrderAndIntactAcrossManyWraps) {
  constexpr std::uint32_t kFrames = 3000;
  CVBuffer2 q(32);
  ASSERT_TRUE(q.Create(256 * 1024, 16 * 1024, true));
  std::array<BYTE, kMarkerLength> block{};
  FuncSource producer([&](FuncSource& self) {
    QueueItem w;
    q.FlushTo(w);
    q.SetKeyFrameState(0);
    for (std::uint32_t seq = 1; seq <= kFrames; ++seq) {
      if (seq % 5 == 0) {
        QueueItem marker = Frame(block.data(), kMarkerLength, kItemMarker, seq);
        if (!self.PutWait(q, marker)) return;
      }
      const std::uint32_t length = 1000 + (seq * 7919u) % 15000u;
      std::memset(w.data, static_cast<int>(seq & 0xFF), length);
      QueueItem frame = Frame(w.data, length, seq % 30 == 1 ? kItemKeyFrame : kItemInterFrame, seq);
      if (!self.PutWait(q, frame)) return;
      w.data = frame.data;
    }
    QueueItem end = Frame(w.data, 0, kItemEnd);
    self.PutWait(q, end);
  });
  ASSERT_TRUE(producer.Start());

  std::uint32_t expected = 1;
  std::uint32_t markers = 0;
  std::uint32_t wraps = 0;
  const BYTE* last = nullptr;
  QueueItem item;
  bool ended = false;
  while (!ended) {
    if (!q.Get(item)) {
      Sleep(1);
      continue;
    }
    if (item.type == kItemMarker) {
      EXPECT_EQ(item.data, block.data());
      EXPECT_EQ(item.seq, expected);
      ++markers;
    } else if (item.type == kItemEnd) {
      ended = true;
    } else {
      ASSERT_EQ(item.seq, expected);
      ASSERT_TRUE(AllBytesAre(item, static_cast<BYTE>(expected & 0xFF))) << expected;
      if (last && item.data < last) ++wraps;
      last = item.data;
      ++expected;
      if (expected % 97 == 0) Sleep(2);  // let the producer catch up and block now and then
    }
  }
  EXPECT_EQ(expected, kFrames + 1);
  EXPECT_EQ(markers, kFrames / 5);
  EXPECT_GT(wraps, 10u);
  EXPECT_TRUE(producer.Stop(10000));
}

TEST(QueueThreads, FullBlockingQueueHoldsTheProducerUntilAGetOrAWake) {
  constexpr std::size_t kCapacity = 16;
  CVBuffer2 q(kCapacity);
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  std::atomic<int> returned{0};
  std::atomic<bool> gaveUp{false};
  FuncSource producer([&](FuncSource& self) {
    QueueItem w;
    q.FlushTo(w);
    for (std::uint32_t seq = 1; seq <= 40; ++seq) {
      QueueItem frame = Frame(w.data, 100, kItemUnconditional, seq);
      if (!self.PutWait(q, frame)) {
        gaveUp = true;
        return;
      }
      w.data = frame.data;
      ++returned;
    }
  });
  ASSERT_TRUE(producer.Start());
  // The placeholder and 15 frames fill the queue; the 15th put then waits.
  ASSERT_TRUE(Eventually([&] { return q.Count() >= kCapacity && returned.load() == 14; }));
  Sleep(30);
  EXPECT_EQ(returned.load(), 14);
  QueueItem item;
  ASSERT_TRUE(q.Get(item));  // one Get releases it; the next put fills the queue again
  ASSERT_TRUE(Eventually([&] { return returned.load() == 15; }));
  Sleep(30);
  EXPECT_EQ(returned.load(), 15);

  // The wake releases the waiting producer, whose put loop then ends its data; after it no put
  // waits, even on a queue over its capacity.
  q.Wake();
  ASSERT_TRUE(Eventually([&] { return gaveUp.load(); }));
  EXPECT_EQ(returned.load(), 16);
  EXPECT_TRUE(producer.Stop(10000));
  EXPECT_FALSE(q.IsBlocking());
  QueueItem w;
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 2 * kCapacity; ++seq) {
    ASSERT_TRUE(PutAt(q, w, 100, kItemUnconditional, seq));
  }
  EXPECT_EQ(q.Count(), 2 * kCapacity + 1);
}

TEST(QueueThreads, SkippedFramesWaitForTheConsumerOnlyWhenTheyDoNotFit) {
  CVBuffer2 q(64);
  ASSERT_TRUE(q.Create(64 * 1024, 8 * 1024, true));
  BYTE* base = q.AreaBase();
  QueueItem held = Frame(base, 20000, kItemUnconditional);
  ASSERT_TRUE(q.Put(held, nullptr));
  QueueItem item;
  ASSERT_TRUE(q.Get(item));
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
  FuncSource producer([&](FuncSource& self) {
    QueueItem fits = Frame(base + 20000, 1000, kItemInterFrame);
    if (!self.PutOrWait(q, fits) || fits.data != base + 21000 || fits.length != 0) return;
    QueueItem tooLong = Frame(base + 50000, 12000, kItemInterFrame);  // would need the base
    result = self.PutOrWait(q, tooLong);
    done = true;
  });
  ASSERT_TRUE(producer.Start());
  Sleep(30);
  EXPECT_FALSE(done.load());
  EXPECT_FALSE(q.Get(item));  // the consumer moves on: the waiting producer goes on
  ASSERT_TRUE(Eventually([&] { return done.load(); }));
  EXPECT_TRUE(result.load());
  EXPECT_TRUE(producer.Stop(10000));
}

TEST(QueueThreads, BackwardPutsKeepTheQueueShortAndGiveUpWhenStopped) {
  constexpr std::size_t kCapacity = 64;  // the producer goes on at 8 items or fewer
  CVBuffer2 q(kCapacity);
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  std::atomic<std::size_t> largest{0};
  FuncSource producer([&](FuncSource& self) {
    BYTE* at = q.AreaBase();
    auto put = [&](std::uint32_t type, std::uint32_t seq) {
      QueueItem frame = Frame(at, 100, type, seq);
      at += 100;
      const bool goOn = q.PutThrottled(frame, &self);
      largest = std::max(largest.load(), q.Count());
      return goOn;
    };
    if (!put(kItemInterFrame, 0)) return;  // no key frame yet: dropped
    for (std::uint32_t seq = 1; seq <= 30; ++seq) {
      if (!put(seq == 1 ? kItemKeyFrame : kItemInterFrame, seq)) return;
    }
  });
  ASSERT_TRUE(producer.Start());
  std::uint32_t expected = 1;
  QueueItem item;
  while (expected <= 30) {
    if (!q.Get(item)) {
      Sleep(1);
      continue;
    }
    ASSERT_EQ(item.seq, expected);
    EXPECT_EQ(item.type, expected == 1 ? kItemKeyFrame : kItemInterFrame);
    ++expected;
    Sleep(1);
  }
  EXPECT_TRUE(producer.Stop(10000));
  EXPECT_LE(largest.load(), kCapacity / 8);
  EXPECT_EQ(q.KeyFrameState(), 1);

  // Nobody takes the frames: the producer waits in the throttle until it is stopped.
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  std::atomic<bool> gaveUp{false};
  FuncSource stuck([&](FuncSource& self) {
    BYTE* at = q.AreaBase();
    for (std::uint32_t seq = 1; seq <= 30; ++seq, at += 100) {
      QueueItem frame = Frame(at, 100, kItemKeyFrame, seq);
      if (!q.PutThrottled(frame, &self)) {
        gaveUp = true;
        return;
      }
    }
  });
  ASSERT_TRUE(stuck.Start());
  ASSERT_TRUE(Eventually([&] { return q.Count() > kCapacity / 8; }));
  EXPECT_TRUE(stuck.Stop(10000));
  EXPECT_TRUE(gaveUp.load());
  EXPECT_EQ(q.Count(), kCapacity / 8 + 1);
}

TEST(QueueThreads, PrepareWriteWaitsUntilTheConsumerLeavesTheSpace) {
  constexpr std::size_t kArea = 64 * 1024;
  CVBuffer2 q(64);
  ASSERT_TRUE(q.Create(kArea, 8 * 1024, true));
  BYTE* base = q.AreaBase();
  QueueItem a = Frame(base, 5000, kItemUnconditional, 1);
  QueueItem b = Frame(base + 5000, 5000, kItemUnconditional, 2);
  ASSERT_TRUE(q.Put(a, nullptr));
  ASSERT_TRUE(q.Put(b, nullptr));
  std::memset(base + 62000, 0xC3, 300);
  QueueItem partial = Frame(base + 62000, 300, kItemInterFrame);
  std::atomic<BYTE*> fill{nullptr};
  FuncSource producer([&](FuncSource& self) { fill = q.PrepareWrite(partial, 4000, &self); });
  ASSERT_TRUE(producer.Start());

  QueueItem item;
  ASSERT_TRUE(q.Get(item));  // the consumer holds the frame at the base: still in the way
  Sleep(30);
  EXPECT_EQ(fill.load(), nullptr);
  ASSERT_TRUE(q.Get(item));
  ASSERT_TRUE(Eventually([&] { return fill.load() != nullptr; }));
  EXPECT_TRUE(producer.Stop(10000));
  EXPECT_EQ(fill.load(), base + 300);
  EXPECT_EQ(partial.data, base);
  EXPECT_TRUE(AllBytesAre(partial, 0xC3));
  EXPECT_EQ(item.seq, 2u);
  EXPECT_EQ(item.data, base + 5000);
}

TEST(QueueThreads, StopAndWakeReleaseProducersBlockedInTheirPuts) {
  CABuffer2 audio(128);
  ASSERT_TRUE(audio.Create(64 * 1024, 16 * 1024, true));
  CVBuffer2 video(4);
  ASSERT_TRUE(video.Create(1024 * 1024, 16 * 1024, true));
  std::atomic<int> ended{0};
  auto fillUntilBlocked = [&](CBuffer& q) {
    return [&](FuncSource& self) {
      QueueItem w;
      q.FlushTo(w);
      for (;;) {
        QueueItem frame = Frame(w.data, 16000, kItemPcm16);
        if (!self.PutWaitSlow(q, frame)) break;
        w.data = frame.data;
      }
      ++ended;
    };
  };
  // The audio producer retries a frame that never fits; the video producer waits on a full queue.
  FuncSource soundSource(fillUntilBlocked(audio));
  FuncSource pictureSource(fillUntilBlocked(video));
  ASSERT_TRUE(soundSource.Start());
  ASSERT_TRUE(pictureSource.Start());
  ASSERT_TRUE(Eventually([&] { return audio.Count() == 4 && video.Count() >= 4; }));
  EXPECT_EQ(ended.load(), 0);
  EXPECT_TRUE(soundSource.Stop(10000));  // the cleared run flag ends the retries
  EXPECT_EQ(ended.load(), 1);
  video.Wake();  // the wake ends the wait, before the thread is stopped
  ASSERT_TRUE(Eventually([&] { return ended.load() == 2; }));
  EXPECT_TRUE(pictureSource.Stop(10000));
  EXPECT_EQ(audio.Count(), 4u);
}
