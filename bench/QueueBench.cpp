// Cost of moving frames through the video queue: one producer and one consumer thread, with the
// frame sizes of a car recorder's H.264 stream (2 KB inter frames, a 60 KB key frame a second).
//
// A 1080p30 recording brings about 150 items a second into the video queue (30 pictures, their
// time frames, 64 chunk markers and the car data). core_percent_1080p30 is the share of one core
// those items cost, taking both threads as busy for the whole run; the goal is under 1 %.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/stream/VBuffer2.h"

namespace {

constexpr std::size_t kArea = 16 * 1024 * 1024;
constexpr std::size_t kMargin = 1024 * 1024;
constexpr std::size_t kCapacity = 16 * 99;
constexpr std::uint32_t kInterBytes = 2 * 1024;
constexpr std::uint32_t kKeyBytes = 60 * 1024;
constexpr std::uint32_t kGroup = 30;
constexpr double kItemsPerSecond1080p30 = 150.0;

QueueItem NextFrame(BYTE* at, std::uint32_t n) {
  QueueItem item;
  item.data = at;
  item.type = n % kGroup == 0 ? kItemKeyFrame : kItemInterFrame;
  item.length = item.type == kItemKeyFrame ? kKeyBytes : kInterBytes;
  item.seq = n;
  return item;
}

// A video queue of the engine's size, ready for a stream that starts with a key frame; w is the
// producer's write position.
struct VideoQueue {
  CVBuffer2 q{kCapacity};
  QueueItem w;
  bool Ready(benchmark::State& state) {
    if (!q.Create(kArea, kMargin, true)) {
      state.SkipWithError("no queue area");
      return false;
    }
    q.FlushTo(w);
    q.SetKeyFrameState(0);
    return true;
  }
};

void BM_VideoQueueProducerToConsumer(benchmark::State& state) {
  VideoQueue video;
  if (!video.Ready(state)) return;
  CVBuffer2& q = video.q;
  QueueItem& w = video.w;
  std::atomic<bool> stop{false};
  std::atomic<std::uint64_t> taken{0};
  std::thread consumer([&] {
    QueueItem item;
    while (!stop.load(std::memory_order_relaxed)) {
      if (q.Get(item)) {
        benchmark::DoNotOptimize(item.data[0]);
        taken.fetch_add(1, std::memory_order_relaxed);
      } else {
        std::this_thread::yield();
      }
    }
  });

  std::uint32_t n = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    QueueItem frame = NextFrame(w.data, n++);
    frame.data[0] = static_cast<BYTE>(n);
    q.Put(frame, nullptr);
    w.data = frame.data;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  q.Wake();
  stop = true;
  consumer.join();

  const double itemsPerSecond = static_cast<double>(state.iterations()) / elapsed.count();
  state.counters["items_per_second"] = itemsPerSecond;
  state.counters["taken"] = static_cast<double>(taken.load());
  state.counters["core_percent_1080p30"] = 100.0 * 2.0 * kItemsPerSecond1080p30 / itemsPerSecond;
}
BENCHMARK(BM_VideoQueueProducerToConsumer)->UseRealTime()->MinTime(1.0);

void BM_VideoQueuePutThenGet(benchmark::State& state) {
  VideoQueue video;
  if (!video.Ready(state)) return;
  CVBuffer2& q = video.q;
  QueueItem& w = video.w;
  QueueItem item;
  std::uint32_t n = 0;
  for (auto _ : state) {
    QueueItem frame = NextFrame(w.data, n++);
    q.Put(frame, nullptr);
    w.data = frame.data;
    q.Get(item);
    benchmark::DoNotOptimize(item);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_VideoQueuePutThenGet);

}  // namespace

