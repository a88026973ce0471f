// The thread base and the source base: starting, stopping with a time-out, sleeping while
// running, and the source's put loops.
#include <gtest/gtest.h>

#include <atomic>

#include "engine/stream/MyThread.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Sync.h"
#include "QueueTestSupport.h"

namespace {

// A thread whose body takes no notice of its run flag (as one blocked in a system call), and
// which records the overrun that Stop reports before it waits on.
class DeafThread : public CMyThread {
 public:
  ~DeafThread() override { Stop(kWaitForever); }
  CEvent release;
  std::atomic<bool> finished{false};
  std::atomic<int> overruns{0};
  std::atomic<DWORD> reportedTimeout{0};

 protected:
  void Run() override {
    release.Wait();
    finished = true;
  }
  void OnStopOverrun(DWORD timeoutMs) override {
    ++overruns;
    reportedTimeout = timeoutMs;
    release.Set();
  }
};

class SleepyThread : public CMyThread {
 public:
  ~SleepyThread() override { Stop(kWaitForever); }
  std::atomic<int> runs{0};
  std::atomic<bool> sawStop{false};

 protected:
  void Run() override {
    ++runs;
    SleepWhileRunning(60000);
    sawStop = !IsRunning();
  }
};

}  // namespace

TEST(ThreadBase, StartRunsTheBodyAndStopEndsItsSleep) {
  SleepyThread t;
  EXPECT_FALSE(t.IsRunning());
  EXPECT_TRUE(t.Stop(100));  // nothing to stop
  ASSERT_TRUE(t.Start());
  EXPECT_TRUE(t.IsRunning());
  EXPECT_FALSE(t.Start());  // started again only after Stop
  EXPECT_TRUE(t.Stop(10000));  // the minute-long sleep ends with the run flag
  EXPECT_TRUE(t.sawStop.load());
  EXPECT_FALSE(t.IsRunning());
  ASSERT_TRUE(t.Start());
  EXPECT_TRUE(t.Stop(10000));
  EXPECT_EQ(t.runs.load(), 2);
}

TEST(ThreadBase, StopThatTimesOutReportsTheOverrunAndReturnsOnlyOnceTheBodyEnded) {
  DeafThread t;
  ASSERT_TRUE(t.Start());
  EXPECT_FALSE(t.Stop(20));
  EXPECT_EQ(t.overruns.load(), 1);
  EXPECT_EQ(t.reportedTimeout.load(), 20u);
  EXPECT_TRUE(t.finished.load());  // nothing the body uses may go before it has ended
  ASSERT_TRUE(t.Start());
  t.release.Set();
  EXPECT_TRUE(t.Stop(10000));
  EXPECT_EQ(t.overruns.load(), 1);
}

TEST(ThreadBase, SourceStopEndsABlockedPutAndForgetsThePlayRange) {
  CVBuffer2 q(4);
  ASSERT_TRUE(q.Create(1024 * 1024, 16 * 1024, true));
  std::atomic<int> accepted{0};
  std::atomic<bool> gaveUp{false};
  class RangeSource : public FuncSource {
   public:
    using FuncSource::FuncSource;
    void SetRange(std::int32_t start, std::int32_t end, std::int32_t chunk) {
      m_startTime = start;
      m_endTime = end;
      m_chunkTime = chunk;
    }
  };
  RangeSource source([&](FuncSource& self) {
    QueueItem w;
    q.FlushTo(w);
    for (;;) {
      QueueItem frame = Frame(w.data, 100, kItemEnd);
      if (!self.PutWait(q, frame)) break;
      EXPECT_EQ(frame.length, 0u);  // a taken item is cleared for the next frame
      EXPECT_EQ(frame.type, kItemNone);
      w.data = frame.data;
      ++accepted;
    }
    gaveUp = true;
  });
  source.SetRange(1000, 2000, 1500);
  EXPECT_EQ(source.Engine(), nullptr);
  ASSERT_TRUE(source.Start());
  // The third put fills the queue and waits; nobody takes items and nobody wakes the queue.
  ASSERT_TRUE(Eventually([&] { return q.Count() >= 4; }));
  EXPECT_EQ(q.Count(), 4u);
  EXPECT_EQ(source.ChunkTime(), 1500);
  EXPECT_TRUE(source.Stop(10000));  // returns in time: the wait watches the run flag
  EXPECT_TRUE(gaveUp.load());
  EXPECT_EQ(accepted.load(), 3);
  EXPECT_EQ(source.StartTime(), 0);
  EXPECT_EQ(source.EndTime(), 0);
  EXPECT_EQ(source.ChunkTime(), 0);
}
