// Feeds arbitrary chunk payloads through the demultiplexer's forward and backward splitters, on a
// producer thread as the card source does, while this thread takes the items as the decoder
// threads do and checks that every one lies whole inside its queue's area.
//
// Input: 8 bytes of speed script (3 bits a chunk, cycling), then the payload bytes, cut into
// chunks and fed round and round, so that the small area wraps several times.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/stream/ABuffer2.h"
#include "engine/stream/ChunkDemux.h"
#include "engine/EngineState.h"
#include "engine/stream/StreamGrammar.h"
#include "engine/stream/VBuffer2.h"

namespace {

constexpr std::size_t kScriptSize = 8;
constexpr std::size_t kChunksFed = 32;
constexpr std::size_t kVideoArea = 160 * 1024;
constexpr std::size_t kVideoMargin = 48 * 1024;
constexpr std::size_t kAudioArea = 64 * 1024;
constexpr std::size_t kAudioMargin = 16 * 1024;
constexpr double kSpeeds[8] = {1.0, 1.0, 2.0, -1.0, 0.5, 16.0, -2.0, 1.0};

class Feeder : public CSourceCtx {
 public:
  Feeder(CEngineState& state, CVBuffer2& video, CABuffer2& audio, const std::uint8_t* data, std::size_t size)
      : CSourceCtx(nullptr), demux_(*this, state), data_(data), size_(size) {
    demux_.SetQueues(&video, &audio);
  }
  ~Feeder() override { Stop(kWaitForever); }
  bool Done() const { return done_.load(); }

 protected:
  void Run() override {
    const std::size_t payload = size_ - kScriptSize;
    const std::size_t chunks = (payload + kChunkPayloadSize - 1) / kChunkPayloadSize;
    std::vector<std::uint8_t> chunk(kChunkPayloadSize);
    demux_.SetupStream(SpeedOf(0));
    for (std::size_t n = 0; n < kChunksFed; ++n) {
      const std::size_t at = (n % chunks) * kChunkPayloadSize;
      const std::size_t length = std::min(kChunkPayloadSize, payload - at);
      std::memset(chunk.data(), 0, chunk.size());
      std::memcpy(chunk.data(), data_ + kScriptSize + at, length);
      StreamChunk c;
      c.payload = chunk.data();
      c.frameRate = 30;
      c.time = static_cast<std::int32_t>(1700000000 + n);
      c.sequence = static_cast<std::uint32_t>(n + 1);
      if (!demux_.AppendChunk(c, SpeedOf(n))) break;
    }
    demux_.FinishData(SpeedOf(kChunksFed - 1));
    done_ = true;
  }

 private:
  double SpeedOf(std::size_t n) const {
    const std::uint8_t bits = data_[n % kScriptSize] >> (3 * (n / kScriptSize % 2));
    return kSpeeds[bits & 7];
  }

  CChunkDemux demux_;
  const std::uint8_t* data_;
  std::size_t size_;
  std::atomic<bool> done_{false};
};

bool InArea(const CBuffer& queue, const QueueItem& item) {
  const std::uint8_t* base = queue.AreaBase();
  return item.data >= base && item.length <= queue.AreaSize() &&
         static_cast<std::size_t>(item.data - base) <= queue.AreaSize() - item.length;
}

void CheckVideo(const CVBuffer2& video, const QueueItem& item) {
  const bool frame = item.type == kItemKeyFrame || item.type == kItemInterFrame || item.type == kItemTimeFrame ||
                     item.type == kItemCarData || item.type == kItemEnd;
  if (!frame || !InArea(video, item) || item.length >= kVideoMargin) std::abort();
  if (item.type == kItemTimeFrame && item.length < kTimeFrameSize) std::abort();
  volatile std::uint8_t sum = 0;
  for (std::uint32_t i = 0; i < item.length; ++i) sum = sum + item.data[i];  // the bytes are readable
}

void CheckAudio(const CABuffer2& audio, const QueueItem& item) {
  if (item.type != kItemPcm16 || !InArea(audio, item) || item.length > kAudioMargin) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= kScriptSize) return 0;
  static CEngineState state;
  static CVBuffer2 video(16 * 99);
  static CABuffer2 audio(128);
  state.open = true;
  if (!video.Create(kVideoArea, kVideoMargin, true) || !audio.Create(kAudioArea, kAudioMargin, true)) return 0;
  Feeder feeder(state, video, audio, data, size);
  if (!feeder.Start()) return 0;
  QueueItem item;
  for (;;) {
    const bool done = feeder.Done();
    bool took = false;
    while (video.Get(item)) {
      CheckVideo(video, item);
      took = true;
    }
    while (audio.Get(item)) {
      CheckAudio(audio, item);
      took = true;
    }
    if (done && !took) break;
    if (!took) std::this_thread::yield();
  }
  feeder.Stop(kWaitForever);
  return 0;
}
