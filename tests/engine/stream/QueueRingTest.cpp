#include <atomic>
#include <cstdint>

#include <gtest/gtest.h>

#include "engine/stream/VBuffer2.h"
#include "tests/engine/stream/QueueTestSupport.h"

namespace {

// Time passes as on the machine, but a producer's wait ends only when its queue rings it: a
// producer rung late, or not at all, stays put instead of finding its room at its next look.
class RungOnlyClock : public plat::IClock {
 public:
  std::uint64_t NowMs() const override { return plat::SystemClock().NowMs(); }
  void SleepMs(std::uint32_t ms) override { plat::SystemClock().SleepMs(ms); }
  bool WaitEvent(CEvent& event, std::uint32_t) override { return event.Wait(kLongerThanAnyTest); }

 private:
  static constexpr std::int32_t kLongerThanAnyTest = 120000;
};

}  // namespace

// A producer is rung by exactly the take that makes its room, whether it needs several takes (a
// throttled put, which waits for the queue to shrink to an eighth) or one (a put into a full
// queue); it never needs one more.
TEST(QueueRing, AWaitingProducerIsRungByTheTakeThatMakesItsRoom) {
  constexpr std::size_t kCapacity = 16;  // a throttled put waits for 16 / 8 = 2 items
  CVBuffer2 q(kCapacity);
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  RungOnlyClock clock;
  q.SetWaitClock(clock);
  QueueItem w;
  q.FlushTo(w);
  for (std::uint32_t seq = 1; seq <= 4; ++seq) ASSERT_TRUE(PutAt(q, w, 100, kItemUnconditional, seq));

  std::atomic<int> returned{0};
  FuncSource producer([&](FuncSource& self) {
    std::uint8_t* at = w.data;
    QueueItem frame = Frame(at, 100, kItemUnconditional, 5);
    if (!q.PutThrottled(frame, &self)) return;
    ++returned;
    at += 100;
    for (std::uint32_t seq = 6; seq < 6 + 14; ++seq) {
      QueueItem next = Frame(at, 100, kItemUnconditional, seq);
      if (!q.Put(next, &self)) return;
      at = next.data;
      ++returned;
    }
  });
  ASSERT_TRUE(producer.Start());

  // The placeholder and five frames: the throttled put needs four takes.
  ASSERT_TRUE(Eventually([&] { return q.Count() == 6; }));
  QueueItem item;
  for (int take = 0; take < 4; ++take) ASSERT_TRUE(q.Get(item));
  const bool throttledPutRung = Eventually([&] { return returned.load() >= 1; });
  EXPECT_TRUE(throttledPutRung) << "a throttled put waiting for 4 takes was not rung by the 4th";

  // Thirteen more puts fill the queue to its capacity; the put that filled it waits for one take.
  if (throttledPutRung) {
    ASSERT_TRUE(Eventually([&] { return q.Count() == kCapacity && returned.load() == 14; }));
    ASSERT_TRUE(q.Get(item));
    EXPECT_TRUE(Eventually([&] { return returned.load() == 15; }))
        << "a put into a full queue was not rung by the take";
  }
  q.Wake();
  EXPECT_TRUE(producer.Stop(10000));
}

// A producer waiting for room sees its stop at once, also when nobody woke its queue first.
TEST(QueueRing, AStopEndsAProducersWaitWithoutAWake) {
  constexpr std::size_t kCapacity = 4;
  CVBuffer2 q(kCapacity);
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  RungOnlyClock clock;
  q.SetWaitClock(clock);
  QueueItem w;
  q.FlushTo(w);
  FuncSource producer([&](FuncSource& self) {
    std::uint8_t* at = w.data;
    for (std::uint32_t seq = 1; self.IsRunning(); ++seq) {
      QueueItem next = Frame(at, 100, kItemUnconditional, seq);
      if (!q.Put(next, &self)) return;
      at = next.data;
    }
  });
  ASSERT_TRUE(producer.Start());
  // The placeholder and three frames: the put that filled the queue waits for a take.
  ASSERT_TRUE(Eventually([&] { return q.Count() == kCapacity; }));
  EXPECT_TRUE(producer.Stop(10000));
}
