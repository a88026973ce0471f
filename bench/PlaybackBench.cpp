// Playing a 720p builder recording at 16x in real time through the card source and the video
// thread, paced as the player paces it: the player's CPU use while it plays stays under one core
// ("cores" < 1).
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>

#include <benchmark/benchmark.h>

#include "bench/WindowlessPresenter.h"
#include "engine/stream/SourceBoxCtx.h"
#include "engine/video/VideoCtx.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_PlayAt16x(benchmark::State& state) {
  setenv("TZ", "UTC", 1);
  tzset();
  const fixtures::ScratchDir dir("bench-play");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 40.0);
  desc.recordings[0].video.width = 1280;
  desc.recordings[0].video.height = 720;
  std::string error;
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("play.sd"), &error);
  if (!layout) {
    state.SkipWithError(error.c_str());
    return;
  }
  const OneWindow window;
  double cpu = 0;
  double wall = 0;
  std::uint64_t pictures = 0;
  for (auto _ : state) {
    CEngineState engine;
    engine.open = true;
    engine.speed = 16.0;
    engine.videoWnd = reinterpret_cast<HWND>(std::uintptr_t{1});
    CVBuffer2 queue(16 * 99);
    CSourceBoxCtx source(nullptr, &engine);
    CVideoCtx video(nullptr, 0, engine, queue, plat::SystemClock());
    source.SetStoreSource(kSourceBackupFile, 0, layout->path);
    source.SetQueues(&queue, nullptr);
    IndexEntry* entry = source.OpenStore();
    if (!queue.Create(16777216, 1048576, true) || !entry || !source.SetEntryRange(entry, 0)) {
      state.SkipWithError("cannot play the store");
      break;
    }
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    video.Start();
    source.Start();
    // Until the source has read everything and the video thread has taken the last item.
    while (source.LastEnd() == SourceEnd::kNone || queue.Count() + queue.MarkerCount() > 1) Sleep(1);
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += CpuSeconds() - cpuStart;
    pictures += video.PresentedPictures();
    engine.open = false;
    queue.Wake();
    source.Stop(10000);
    video.Stop(10000);
  }
  if (wall <= 0) return;
  state.counters["cores"] = cpu / wall;
  state.counters["pictures"] = static_cast<double>(pictures) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_PlayAt16x)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
