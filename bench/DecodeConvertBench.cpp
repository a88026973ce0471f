// Decoding and converting a 1080p30 recording without pacing, against ffmpeg decoding the same
// bytes with one thread and converting to the same 32-bit pictures, in the same run. The goal is
// at least 0.9 of ffmpeg's pictures per second ("vs_ffmpeg" >= 0.9).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/WindowlessPresenter.h"
#include "engine/video/FfmpegVideoDecoder.h"
#include "engine/video/VideoCtx.h"
#include "platform/Time.h"
#include "platform/video/FrameConverter.h"
#include "platform/video/OffscreenPresenter.h"
#include "testdata/TestStream.h"

namespace {

constexpr int kPictures = 150;

struct Recording {
  std::vector<fixtures::AccessUnit> units;
  std::string path;
};

const Recording& FullHdRecording() {
  static const Recording recording = [] {
    Recording r;
    r.units = fixtures::EncodeTestStream({1920, 1080, 30, 30, 24, fixtures::StreamLayout::Yuv420}, kPictures);
    r.path = fixtures::ScratchFile("bench-1080p30.h264");
    fixtures::WriteStreamFile(r.path, r.units);
    return r;
  }();
  return recording;
}

double g_ffmpegPicturesPerSecond = 0;

// The seconds ffmpeg reports for its decoding and conversion loop, without its start-up; 0 when
// it could not run.
double FfmpegSeconds(const std::string& path) {
  const std::string command = "ffmpeg -hide_banner -nostats -benchmark -threads 1 -i '" + path +
                              "' -pix_fmt bgra -f null - 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  if (!pipe) return 0;
  char line[512];
  double seconds = 0;
  while (std::fgets(line, sizeof line, pipe.get())) {
    const char* rtime = std::strstr(line, "rtime=");
    if (rtime) seconds = std::atof(rtime + 6);
  }
  return seconds;
}

void BM_FfmpegDecodeConvert(benchmark::State& state) {
  const Recording& r = FullHdRecording();
  double total = 0;
  for (auto _ : state) {
    const double seconds = FfmpegSeconds(r.path);
    if (seconds <= 0) {
      state.SkipWithError("ffmpeg did not run");
      return;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  g_ffmpegPicturesPerSecond = kPictures * static_cast<double>(state.iterations()) / total;
  state.counters["fps"] = g_ffmpegPicturesPerSecond;
}

void BM_PlayerDecodeConvert(benchmark::State& state) {
  const Recording& r = FullHdRecording();
  FfmpegVideoDecoder decoder;
  plat::FrameConverter converter;
  std::vector<std::uint8_t> pixels(1920 * 1080 * 4);
  const plat::BackBuffer buffer{pixels.data(), 1920 * 4, 1920, 1080};
  if (!decoder.Setup(false)) {
    state.SkipWithError("no decoder");
    return;
  }
  std::int64_t pictures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    decoder.Flush();
    for (const fixtures::AccessUnit& u : r.units) {
      if (!decoder.Decode(u.bytes.data(), u.bytes.size(), 0)) continue;
      pictures += converter.Convert(*decoder.Picture(), buffer) ? 1 : 0;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const double picturesPerSecond = static_cast<double>(pictures) / elapsed.count();
  state.counters["fps"] = picturesPerSecond;
  if (g_ffmpegPicturesPerSecond > 0) state.counters["vs_ffmpeg"] = picturesPerSecond / g_ffmpegPicturesPerSecond;
}

// The same pictures through the video thread: queued as the source queues them, decoded,
// converted and presented as fast as they come (an export's pace).
void BM_VideoThreadDecodeConvert(benchmark::State& state) {
  const Recording& r = FullHdRecording();
  const OneWindow window;
  CEngineState engine;
  engine.exportDecode = true;
  engine.videoWnd = reinterpret_cast<HWND>(std::uintptr_t{1});
  CVBuffer2 queue(16 * 99);
  std::int64_t pictures = 0;
  double seconds = 0;
  for (auto _ : state) {
    if (!queue.Create(std::size_t{64} << 20, std::size_t{4} << 20, true)) {
      state.SkipWithError("no queue");
      break;
    }
    CVideoCtx video(nullptr, 0, engine, queue, plat::SystemClock());
    const auto start = std::chrono::steady_clock::now();
    video.Start();
    QueueItem at;
    at.data = queue.AreaBase();
    for (const fixtures::AccessUnit& u : r.units) {
      QueueItem item = at;
      std::memcpy(item.data, u.bytes.data(), u.bytes.size());
      item.length = static_cast<std::uint32_t>(u.bytes.size());
      item.type = u.key ? kItemKeyFrame : kItemInterFrame;
      item.speed = 1.0;
      item.aux = 30;
      if (queue.Put(item, nullptr)) at.data = item.data;
    }
    while (video.PresentedPictures() < r.units.size()) Sleep(1);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    pictures += static_cast<std::int64_t>(video.PresentedPictures());
    queue.Wake();
    video.Stop(kWaitForever);
  }
  if (seconds <= 0) return;
  const double picturesPerSecond = static_cast<double>(pictures) / seconds;
  state.counters["fps"] = picturesPerSecond;
  if (g_ffmpegPicturesPerSecond > 0) state.counters["vs_ffmpeg"] = picturesPerSecond / g_ffmpegPicturesPerSecond;
}

}  // namespace

BENCHMARK(BM_FfmpegDecodeConvert)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlayerDecodeConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_VideoThreadDecodeConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
