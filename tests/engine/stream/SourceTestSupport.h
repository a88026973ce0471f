// Helpers of the demultiplexer and card source tests: a consumer thread that reads the queues in
// place of the video and audio threads, rigs around the demultiplexer and the source, a message
// router that records what the engine sends, and what the fixture builder says should arrive.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/state/EngineState.h"
#include "engine/stream/ABuffer2.h"
#include "engine/stream/ChunkDemux.h"
#include "engine/stream/SensorData.h"
#include "engine/stream/SourceBoxCtx.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Message.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/engine/stream/QueueTestSupport.h"

namespace sourcetest {

constexpr std::size_t kVideoArea = 16777216;
constexpr std::size_t kVideoMargin = 1048576;
constexpr std::size_t kVideoItems = 16 * 99;
constexpr std::size_t kAudioArea = 2097152;
constexpr std::size_t kAudioMargin = 16384;
constexpr std::size_t kAudioItems = 128;

// An item as the consumer took it, with a copy of its bytes (for a marker: its sensor block as
// the marker hands it over, and whether it could).
struct TakenItem {
  QueueItem item;
  std::vector<std::uint8_t> bytes;
  bool blockTaken = false;
};

// Reads both queues on a thread of its own, as the decoder threads do, and keeps what it took.
class TestConsumer {
 public:
  // Markers' sensor blocks are taken from `sensors`, as the video thread takes them.
  TestConsumer(CVBuffer2& video, CABuffer2* audio, ISensorMarkers* sensors);
  ~TestConsumer();

  void Start();
  void Stop();
  // A paused consumer takes nothing, as a paused or busy decoder.
  void SetPaused(bool paused) { paused_ = paused; }
  // Waits until an end item was taken; false after a generous bound.
  bool WaitForEnd() const;
  std::size_t EndItems() const;
  std::vector<TakenItem> Video() const;
  std::vector<TakenItem> Audio() const;
  // The video items taken that occupy the area (pictures, time and car-data frames).
  std::vector<TakenItem> Frames() const;
  std::vector<TakenItem> Markers() const;
  // The most items the video queue held when the consumer looked (markers not counted).
  std::size_t MaxVideoCount() const { return maxVideoCount_.load(); }

 private:
  void Loop();
  bool TakeVideo();
  bool TakeAudio();

  CVBuffer2& video_;
  CABuffer2* audio_;
  ISensorMarkers* sensors_;
  std::thread thread_;
  std::atomic<bool> run_{false};
  std::atomic<bool> paused_{false};
  std::atomic<std::size_t> maxVideoCount_{0};
  mutable std::mutex mutex_;
  std::vector<TakenItem> video_items_;
  std::vector<TakenItem> audio_items_;
};

// Records what the engine posts and shows; installed for its lifetime.
class RecordingRouter : public plat::IMessageRouter {
 public:
  struct Message {
    HWND wnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  RecordingRouter();
  ~RecordingRouter() override;
  bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT Send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool Show(HWND wnd, int command) override;
  std::vector<Message> Posted(UINT msg) const;
  std::vector<int> Shows() const;

 private:
  plat::IMessageRouter* previous_;
  mutable std::mutex mutex_;
  std::vector<Message> posted_;
  std::vector<int> shows_;
};

// Builds a store in a scratch folder (TZ pinned to UTC); fails the test when it cannot.
class Fixture {
 public:
  explicit Fixture(const fixtures::StoreDescription& desc, const std::string& name = "store");
  bool ok() const { return layout_.has_value(); }
  const fixtures::Layout& layout() const { return *layout_; }
  // The bytes of a stream as written: its recordings' stream-0 payloads one after another.
  std::vector<std::uint8_t> StreamBytes(int stream) const;

 private:
  fixtures::ScratchDir dir_;
  std::optional<fixtures::Layout> layout_;
};

// The chunk sequences of the markers the consumer took, in order.
std::vector<std::uint32_t> MarkerSequences(const TestConsumer& consumer);

// A fixture chunk of stream 0 as the source hands it to the demultiplexer, without a marker.
StreamChunk ChunkOf(const std::vector<std::uint8_t>& stream, const fixtures::ChunkInfo& c);

// The item type the demultiplexer gives a fixture frame read forward (0: not queued; sound
// frames go to the audio queue as 64).
std::uint32_t ExpectedType(const fixtures::FrameInfo& frame, bool startsData);
// The bytes of a frame within its stream's bytes.
std::vector<std::uint8_t> FrameBytes(const std::vector<std::uint8_t>& stream, const fixtures::FrameInfo& frame);

// What the demultiplexer should queue for recordings read forward at 1.0 from their first chunks
// on: the frames and the sound in stream order, each with the chunk (counted over the whole play)
// whose payload completes it, and the sound frames with the stamp of the time frame before them.
struct ExpectedItem {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  std::size_t chunk = 0;
  std::uint64_t stamp = 0;
  fixtures::FrameInfo frame;
};
struct ExpectedPlay {
  std::vector<ExpectedItem> video;
  std::vector<ExpectedItem> audio;
  std::vector<fixtures::ChunkInfo> chunks;  // the stream-0 chunks in play order
};
ExpectedPlay ExpectForward(const Fixture& fixture, const std::vector<int>& recordings);

// Compares the items the consumer took with what the fixture says a forward play at 1.0 queues:
// one marker per chunk before the frames that chunk completes, every frame whole with its words.
void ExpectForwardItems(const TestConsumer& consumer, const ExpectedPlay& expected);

// The frames a backward read may queue, in stream order, with their bytes.
struct Queueable {
  std::vector<fixtures::FrameInfo> frames;
  std::vector<std::vector<std::uint8_t>> bytes;
};
Queueable QueueableFrames(const Fixture& fixture, int recording);
// Each group arrives oldest first, from the frame after the last picture of the group before it
// (its time frame, car data and parameter sets) to its own last picture; the groups newest first.
// Every frame arrives once and whole, with the stamp of the time frame before it, and no sound.
void ExpectBackwardGroups(const TestConsumer& consumer, const Queueable& q);

// The card source with its queues, engine state and a test consumer, playing a fixture store.
class SourceRig {
 public:
  explicit SourceRig(const fixtures::Layout& layout);
  ~SourceRig();

  IndexEntry* EntryOf(int recording);
  // Sets the start (entry of the recording and event number) and starts source and consumer.
  bool Play(int recording, int eventNumber = 0);
  void StopAll();
  // What the engine's controls do after a change: a source waiting at the end of the data looks
  // again.
  void RingControls() { video.RingProducer(); }

  CEngineState state;
  CVBuffer2 video{kVideoItems};
  CABuffer2 audio{kAudioItems};
  CSourceBoxCtx source{nullptr, &state};
  TestConsumer consumer{video, &audio, &source.Sensors()};
  const fixtures::Layout& layout;
};

// The demultiplexer with its queues and a test consumer; its chunks are fed on a producer thread.
class DemuxRig {
 public:
  DemuxRig();
  ~DemuxRig();

  // Runs `feed` on the producer thread and waits until it returns; false when it does not.
  bool Feed(const std::function<void(CChunkDemux&)>& feed);
  // Appends chunks [first, last) of a recording's stream-0 payloads at `speed`, in order forward
  // or from the last down backward. False when the demultiplexer refuses one.
  static bool AppendChunks(CChunkDemux& demux, const fixtures::Layout& layout, int recording,
                           const std::vector<std::uint8_t>& stream, double speed);

  CEngineState state;
  CVBuffer2 video{kVideoItems};
  CABuffer2 audio{kAudioItems};
  TestConsumer consumer{video, &audio, nullptr};

 private:
  std::unique_ptr<FuncSource> producer_;
  std::function<void(CChunkDemux&)> feed_;
  std::atomic<bool> done_{false};
  std::unique_ptr<CChunkDemux> demux_;
};

}  // namespace sourcetest
