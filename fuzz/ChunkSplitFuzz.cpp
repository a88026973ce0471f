// Feeds arbitrary chunk payloads through the demultiplexer's forward and backward splitters, on a
// producer thread as the card source does, and takes the items as the decoder threads do,
// checking that every one lies whole inside its queue's area.
//
// Input: 8 bytes of speed script (3 bits a chunk, cycling), then the payload bytes, cut into
// chunks and fed round and round, so that the small area wraps; a chunk that the input does not
// fill is padded with bytes that start no frame.
//
// One pipeline serves every input: the queues, the demultiplexer and its producer thread are made
// once. The producer takes what each chunk gave before it reads the next, and again when a put
// does not fit; while it waits for room elsewhere (the engine's own waits), this thread takes
// instead, once a millisecond, the engine's retry step. Nothing spins.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/stream/ABuffer2.h"
#include "engine/stream/ChunkDemux.h"
#include "engine/state/EngineState.h"
#include "engine/stream/StreamGrammar.h"
#include "engine/stream/VBuffer2.h"

namespace {

constexpr std::size_t kScriptSize = 8;
// The area holds five chunks, so that eight chunks wrap it.
constexpr std::size_t kChunksFed = 8;
constexpr std::size_t kVideoArea = 80 * 1024;
constexpr std::size_t kVideoMargin = 16 * 1024;
// Enough items that a chunk's frames never wait for the taker: a chunk holds at most one frame
// per 4 bytes, and backward reading waits once the queue holds an eighth of its capacity.
constexpr std::size_t kVideoItems = 32 * 1024;
constexpr std::size_t kAudioArea = 64 * 1024;
constexpr std::size_t kAudioMargin = 16 * 1024;
constexpr std::size_t kAudioItems = 4 * 1024;
constexpr std::uint8_t kPadding = 0xFF;
constexpr double kSpeeds[8] = {1.0, 1.0, 2.0, -1.0, 0.5, 16.0, -2.0, 1.0};

// A video queue whose put that does not fit has the producer take what is queued and try again,
// as a decoder that keeps up would have let it.
class TakenVideoQueue : public CVBuffer2 {
 public:
  TakenVideoQueue(std::size_t capacity, std::function<void()> take) : CVBuffer2(capacity), take_(std::move(take)) {}
  bool Put(QueueItem& item, const CMyThread* producer) override {
    if (CVBuffer2::Put(item, producer)) return true;
    take_();
    return CVBuffer2::Put(item, producer);
  }

 private:
  std::function<void()> take_;
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
  static std::vector<std::uint8_t> copy(kVideoMargin);
  std::memcpy(copy.data(), item.data, item.length);  // the bytes are readable, all at once
}

void CheckAudio(const CABuffer2& audio, const QueueItem& item) {
  if (item.type != kItemPcm16 || !InArea(audio, item) || item.length > kAudioMargin) std::abort();
}

// The producer: the card source's part, fed one input at a time.
class Feeder : public CSourceCtx {
 public:
  Feeder() : CSourceCtx(nullptr), demux_(*this, state_) {
    state_.open = true;
    demux_.SetQueues(&video_, &audio_);
  }
  ~Feeder() override {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    Stop(kWaitForever);
  }

  bool Ready() { return video_.Create(kVideoArea, kVideoMargin, true) && audio_.Create(kAudioArea, kAudioMargin, true); }

  // Feeds the input until its data has ended, taking items while the producer waits.
  void Feed(const std::uint8_t* data, std::size_t size) {
    std::unique_lock lock(mutex_);
    data_ = data;
    size_ = size;
    fed_ = false;
    changed_.notify_all();
    while (!changed_.wait_for(lock, std::chrono::milliseconds(1), [&] { return fed_; })) {
      lock.unlock();
      TakeAll();
      lock.lock();
    }
  }

 protected:
  void Run() override {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return quit_ || data_; });
      if (quit_) return;
      const std::uint8_t* data = data_;
      const std::size_t size = size_;
      data_ = nullptr;
      lock.unlock();
      FeedChunks(data, size);
      TakeAll();
      lock.lock();
      fed_ = true;
      changed_.notify_all();
    }
  }

 private:
  static double SpeedOf(const std::uint8_t* data, std::size_t n) {
    const std::uint8_t bits = data[n % kScriptSize] >> (3 * (n / kScriptSize % 2));
    return kSpeeds[bits & 7];
  }

  void FeedChunks(const std::uint8_t* data, std::size_t size) {
    const std::size_t payload = size - kScriptSize;
    const std::size_t chunks = (payload + kChunkPayloadSize - 1) / kChunkPayloadSize;
    double speed = SpeedOf(data, 0);
    demux_.SetupStream(speed);
    for (std::size_t n = 0; n < kChunksFed; ++n) {
      const std::size_t at = (n % chunks) * kChunkPayloadSize;
      const std::size_t length = std::min(kChunkPayloadSize, payload - at);
      std::memset(chunk_.data(), kPadding, chunk_.size());
      std::memcpy(chunk_.data(), data + kScriptSize + at, length);
      StreamChunk c;
      c.payload = chunk_.data();
      c.frameRate = 30;
      c.time = static_cast<std::int32_t>(1700000000 + n);
      c.sequence = static_cast<std::uint32_t>(n + 1);
      speed = SpeedOf(data, n);
      const bool goOn = demux_.AppendChunk(c, speed);
      TakeAll();
      if (!goOn) break;
    }
    demux_.FinishData(speed);
  }

  // Takes and checks every item queued. One taker at a time: a queue has a single consumer, and
  // a taker that has emptied it holds no item any more.
  void TakeAll() {
    std::lock_guard lock(takeMutex_);
    QueueItem item;
    while (video_.Get(item)) CheckVideo(video_, item);
    while (audio_.Get(item)) CheckAudio(audio_, item);
  }

  CEngineState state_;
  TakenVideoQueue video_{kVideoItems, [this] { TakeAll(); }};
  CABuffer2 audio_{kAudioItems};
  CChunkDemux demux_;
  std::vector<std::uint8_t> chunk_ = std::vector<std::uint8_t>(kChunkPayloadSize);
  std::mutex takeMutex_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::uint8_t* data_ = nullptr;  // the input to feed, until the producer takes it
  std::size_t size_ = 0;
  bool fed_ = true;
  bool quit_ = false;
};

Feeder* StartedFeeder() {
  static Feeder* feeder = [] {
    auto* f = new Feeder;
    return f->Ready() && f->Start() ? f : nullptr;
  }();
  return feeder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= kScriptSize) return 0;
  if (Feeder* feeder = StartedFeeder()) feeder->Feed(data, size);
  return 0;
}
