// The chunk stream demultiplexer of one channel. It runs on the source thread: each chunk's
// 15,872 payload bytes are written straight into the video queue's area, where the frames are
// found (forward, or backward for backward play) and queued as items pointing at them: pictures,
// time frames and car-data frames into the video queue, sound frames (copied) into the audio
// queue, and before each chunk's frames a marker item carrying its sensor block.
//
// Area positions stay 4-aligned, so frame headers are found at the same aligned positions
// whatever the chunk, seek or wrap. A frame that reaches the video queue's margin is dropped
// with what remains of it up to the next header, and counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/stream/ABuffer2.h"
#include "engine/state/EngineState.h"
#include "engine/store/IndexBlock.h"
#include "engine/stream/QueueItem.h"
#include "engine/stream/RecordSink.h"
#include "engine/stream/SourceCtx.h"
#include "engine/stream/VBuffer2.h"

// Start delays (ms) of the audio clock: at a run start and whenever none is set, after a jump in
// the stamps, after a seek, and after a pause change.
constexpr std::int32_t kAudioDelayStart = 1100;
constexpr std::int32_t kAudioDelayJump = 900;
constexpr std::int32_t kAudioDelaySeek = 900;
constexpr std::int32_t kAudioDelayPause = 600;
// Stamps further apart than this (µs) restart the audio clock.
constexpr std::uint64_t kAudioRestartJump = 1000000;

// One chunk of stream 0 as the source hands it over.
struct StreamChunk {
  const BYTE* payload = nullptr;  // kChunkPayloadSize bytes
  std::uint32_t frameRate = 0;    // the trailer's frame rate (item word 3 of frames)
  std::int32_t time = 0;          // seconds since 1970
  std::uint32_t sequence = 0;
  // The chunk's sensor block for its marker item; null queues no marker.
  BYTE* sensorBlock = nullptr;
  std::uint32_t sampleIndex = 0;  // G-sensor values taken in before the chunk
  std::uint32_t sensorSerial = 0;
};

class CChunkDemux {
 public:
  CChunkDemux(CSourceCtx& producer, CEngineState& state);
  CChunkDemux(const CChunkDemux&) = delete;
  CChunkDemux& operator=(const CChunkDemux&) = delete;

  // The channel's queues; the audio queue may be null (no sound is queued then). The video
  // queue's margin must hold at least a chunk's payload.
  void SetQueues(CVBuffer2* video, CABuffer2* audio);
  // Range mode (a backup or an export over a time range): frames and sound are queued only when
  // the export decodes. A running job queues no markers.
  void SetJobMode(bool rangeMode, bool jobRuns);
  // The channel's AVI recorder. In range mode, while the channel is exported and neither an
  // export request, a GPS text export nor export decoding is set, the pictures, car data and
  // (when the channel's sound is exported) sound go straight to it.
  void SetRecorder(IRecordSink* recorder) { recorder_ = recorder; }

  // Run start: the video queue is brought back to what its consumer holds, waiting for a key
  // frame; the audio queue likewise; the time-frame state is cleared and the audio start delay set.
  void SetupStream(double speed);
  // A break in the chunk sequence or a change of direction: both queues are flushed, the frame
  // being assembled and a backward group are dropped.
  void ResetStream(double speed);
  // A seek to another entry, a return to speed 1.0, a pause change: the sound queued so far is
  // flushed and the audio clock starts again from the next time frame.
  void Resync();
  // Appends one chunk read at `speed` and queues what it completes. False ends the data: the
  // producer is to stop, a queue was woken, or the engine is closed.
  bool AppendChunk(const StreamChunk& chunk, double speed);
  // End of the data: read forward, the frame being assembled is finished as if a header followed
  // it; read backward, the earliest group is put when its key picture was met. Then an end item
  // of the speed read at is queued (the video thread takes only items of its direction), also
  // when no chunk was read at all.
  bool FinishData(double speed);

  // Frames dropped for reaching the margin, or for lacking their key frame when read backward.
  std::size_t DroppedFrames() const { return dropped_.load(); }
  // Stream resets since construction (breaks in the sequence, turns, a switched-off channel).
  std::size_t StreamResets() const { return resets_.load(); }

 private:
  // Forward and backward splitting.
  bool SplitForward();
  bool SplitTo(std::size_t tail);
  bool EndPendingAt(BYTE* at);
  void StartPendingAt(BYTE* at);
  void CountDroppedPending();
  bool MakeRoomForward();
  bool SplitBackward();
  bool CollectBackward(BYTE* at, BYTE* end);
  bool PutGroup();
  void ClearGroup();
  void DropOversizeGroup();
  bool MakeRoomBackward();

  // Putting frames and sound.
  bool PutMarker(const StreamChunk& chunk, double speed);
  bool PutFrame(QueueItem item);
  QueueItem ItemOf(BYTE* at, std::size_t length, std::uint32_t type) const;
  void TakeTimeFrame(const BYTE* frame, bool backward);
  bool HandleAudioFrame(const BYTE* frame, std::size_t length);
  void StartAudioInStep(std::size_t payload);
  bool RecordsDirectly() const;
  void HandToRecorder(QueueItem item);
  void ShowJobTime();

  // Chunk steps.
  void ShowHiddenChannel();
  void WaitForShortQueue();
  void StartPendingEmpty(double speed);
  void ClearTimeState();
  bool Goes() const;

  CSourceCtx& producer_;
  CEngineState& state_;
  CVBuffer2* video_ = nullptr;
  CABuffer2* audio_ = nullptr;
  bool rangeMode_ = false;
  bool jobRuns_ = false;
  IRecordSink* recorder_ = nullptr;
  std::int32_t shownJobTime_ = 0;  // the chunk time last told to the notify window in a job

  // The frame being assembled: its bytes start at data; `length` bytes of it are scanned. Its
  // other words are those of the chunk in hand.
  QueueItem pending_;
  int pendingKind_ = -1;  // kk of its header; -1 before the first header of the data
  BYTE* fill_ = nullptr;  // where the next payload goes
  bool startsData_ = true;
  bool sawKeyFrame_ = false;
  double prevSpeed_ = 1.0;
  double speed_ = 1.0;  // of the chunk in hand

  // Backward reading: the frames of the group being assembled, newest first, whether its key
  // picture was met, and whether the frame whose end was lost is still to be passed over.
  std::vector<QueueItem> group_;
  std::size_t groupChunks_ = 0;
  bool groupHasKey_ = false;
  bool skipNextFrame_ = false;

  QueueItem audioItem_;

  // Time-frame state.
  bool timeKept_ = false;      // a time frame was decoded since the last resync
  std::uint64_t stamp_ = 0;    // of the last time frame
  std::uint64_t prevStamp_ = 0;
  bool timePending_ = false;   // the next sound frame looks at the stamp
  bool audioRestart_ = false;  // the audio clock is to start again

  std::atomic<std::size_t> dropped_{0};
  std::atomic<std::size_t> resets_{0};
};
