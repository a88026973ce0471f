// AVI export against ffmpeg doing the same work: copying two minutes of 1080p H.264 into an AVI
// file (goal: at least 0.8 times ffmpeg's throughput), and re-encoding pictures to MPEG-4 with
// xvidcore at the recorder's settings (pictures per second side by side).
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/export/RecordCtx.h"
#include "testdata/PictureView.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreDescription.h"
#include "testdata/TestVideo.h"

namespace {

constexpr fixtures::VideoFormat kCopyFormat{1920, 1080, 30, 30, 28};
constexpr int kCopyPictures = 2 * 60 * 30;
constexpr fixtures::VideoFormat kEncodeFormat{1920, 1080, 30, 30, 24};
constexpr int kEncodeSources = 30;
constexpr int kEncodeRounds = 5;

// The recording's frames as the source thread hands them, with their bytes.
struct CopyInput {
  std::vector<std::vector<std::uint8_t>> bytes;
  std::vector<RecordFrame> frames;
  std::uint64_t total = 0;
};

const CopyInput* Recording(benchmark::State& state) {
  static CopyInput input;
  static std::string error;
  if (input.frames.empty() && error.empty()) {
    const auto video = fixtures::EncodeTestVideo(kCopyFormat, kCopyPictures, &error);
    if (video == nullptr) {
      state.SkipWithError(error.c_str());
      return nullptr;
    }
    for (std::size_t i = 0; i < video->size(); ++i) {
      for (const auto& nal : (*video)[i].nals) {
        std::vector<std::uint8_t> b{0, 0, 0, 1};
        b.insert(b.end(), nal.begin(), nal.end());
        input.total += b.size();
        input.bytes.push_back(std::move(b));
        RecordFrame f;
        f.flags = (*video)[i].key ? kRecordGroupStart : kRecordPredicted;
        f.fps = kCopyFormat.fps;
        f.time = static_cast<std::int32_t>(fixtures::kDefaultStart + static_cast<std::int64_t>(i) / kCopyFormat.fps);
        f.stampUs = 1000000 + i * 1000000 / kCopyFormat.fps;
        input.frames.push_back(f);
      }
    }
    for (std::size_t i = 0; i < input.frames.size(); ++i) {
      input.frames[i].data = input.bytes[i].data();
      input.frames[i].length = static_cast<std::uint32_t>(input.bytes[i].size());
    }
  }
  if (!error.empty()) state.SkipWithError(error.c_str());
  return error.empty() ? &input : nullptr;
}

void RunOrSkip(benchmark::State& state, const std::string& command) {
  if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
}

void BM_StreamCopyExport(benchmark::State& state) {
  const CopyInput* input = Recording(state);
  if (input == nullptr) return;
  const fixtures::ScratchDir dir("bench-avi");
  RecordSettings settings;
  settings.exportName = CString(dir.File("copy"));
  for (auto _ : state) {
    CRecordCtx recorder;
    recorder.Begin(settings);
    for (const RecordFrame& f : input->frames) recorder.WriteVideo(f);
    if (recorder.Stop().filesWritten != 1) state.SkipWithError("no file written");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->total));
}
BENCHMARK(BM_StreamCopyExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FfmpegStreamCopy(benchmark::State& state) {
  const CopyInput* input = Recording(state);
  if (input == nullptr) return;
  const fixtures::ScratchDir dir("bench-ffmpeg");
  {
    std::ofstream out(dir.File("same.h264"), std::ios::binary);
    for (const auto& b : input->bytes) out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  const std::string command = "ffmpeg -nostdin -y -v error -framerate 30 -i '" + dir.File("same.h264") +
                              "' -c copy '" + dir.File("out.avi") + "'";
  for (auto _ : state) RunOrSkip(state, command);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->total));
}
BENCHMARK(BM_FfmpegStreamCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::vector<fixtures::TestPicture>& SourcePictures() {
  static std::vector<fixtures::TestPicture> pictures;
  for (int i = static_cast<int>(pictures.size()); i < kEncodeSources; ++i) {
    pictures.push_back(fixtures::RenderTestPicture(kEncodeFormat, i));
  }
  return pictures;
}

void BM_ReencodeExport(benchmark::State& state) {
  const auto& pictures = SourcePictures();
  const fixtures::ScratchDir dir("bench-xvid");
  RecordSettings settings;
  settings.exportName = CString(dir.File("mpeg4"));
  settings.reencode = true;
  for (auto _ : state) {
    CRecordCtx recorder;
    recorder.Begin(settings);
    for (int n = 0; n < kEncodeSources * kEncodeRounds; ++n) {
      const fixtures::TestPicture& p = pictures[static_cast<std::size_t>(n % kEncodeSources)];
      recorder.WritePicture(fixtures::PictureView(p), static_cast<std::int32_t>(fixtures::kDefaultStart + n / 30), 30, 0);
    }
    if (recorder.Stop().filesWritten != 1) state.SkipWithError("no file written");
  }
  state.SetItemsProcessed(state.iterations() * kEncodeSources * kEncodeRounds);
}
BENCHMARK(BM_ReencodeExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same pictures through ffmpeg's xvidcore encoder at the recorder's settings: single pass at
// the same bit rate, no B-frames, a key picture every five seconds, luminance masking, four
// vectors per macroblock, trellis quantisation, high-quality AC prediction, the best motion search.
void BM_FfmpegXvidEncode(benchmark::State& state) {
  const auto& pictures = SourcePictures();
  const fixtures::ScratchDir dir("bench-ffxvid");
  {
    std::ofstream out(dir.File("in.yuv"), std::ios::binary);
    for (const auto& p : pictures) {
      for (const auto* plane : {&p.y, &p.u, &p.v}) {
        out.write(reinterpret_cast<const char*>(plane->data()), static_cast<std::streamsize>(plane->size()));
      }
    }
  }
  const int bitrate = kEncodeFormat.width * kEncodeFormat.height / 5 * kEncodeFormat.fps;
  const std::string command = "ffmpeg -nostdin -y -v error -f rawvideo -pix_fmt yuv420p -s 1920x1080 -r 30 -stream_loop " +
                              std::to_string(kEncodeRounds - 1) + " -i '" + dir.File("in.yuv") +
                              "' -c:v libxvid -threads 1 -b:v " + std::to_string(bitrate) +
                              " -bf 0 -g 150 -lumi_aq 1 -me_quality 6 -trellis 1 -flags +mv4+aic '" + dir.File("out.avi") + "'";
  for (auto _ : state) RunOrSkip(state, command);
  state.SetItemsProcessed(state.iterations() * kEncodeSources * kEncodeRounds);
}
BENCHMARK(BM_FfmpegXvidEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
