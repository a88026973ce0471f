#include "engine/stream/ChunkDemux.h"

#include <cstring>

#include "engine/stream/StreamGrammar.h"
#include "platform/Message.h"
#include "platform/Time.h"

namespace {

// Read backward, a chunk's last bytes are passed over: what follows them is never read.
constexpr std::size_t kBackwardStart = kChunkPayloadSize - kHeaderLookahead;
// At the end of the data a frame is finished when it holds at least this many bytes.
constexpr std::size_t kShortestLastFrame = 8;
constexpr DWORD kResyncPauseMs = 1;
// Back at speed 1.0, reading goes on once the video queue holds no more than this share of its
// capacity; the same share that backward reading keeps.
constexpr std::size_t kShortQueueDivisor = 8;

BYTE* AlignUp(BYTE* p) {
  const auto v = reinterpret_cast<std::uintptr_t>(p);
  return p + (kFrameAlign - v % kFrameAlign) % kFrameAlign;
}

}  // namespace

CChunkDemux::CChunkDemux(CSourceCtx& producer, CEngineState& state) : producer_(producer), state_(state) {}

void CChunkDemux::SetQueues(CVBuffer2* video, CABuffer2* audio) {
  video_ = video;
  audio_ = audio;
}

void CChunkDemux::SetJobMode(bool rangeMode, bool jobRuns) {
  rangeMode_ = rangeMode;
  jobRuns_ = jobRuns;
}

bool CChunkDemux::Goes() const { return producer_.IsRunning() && state_.open.load(); }

void CChunkDemux::SetupStream(double speed) {
  QueueItem at;
  video_->FlushTo(at);
  video_->SetKeyFrameState(0);
  fill_ = AlignUp(at.data);
  if (audio_) audio_->FlushTo(audioItem_);
  audioItem_.type = kItemAudioReset;
  StartPendingEmpty(speed);
  prevSpeed_ = speed;
  speed_ = speed;
  ClearTimeState();
  audioRestart_ = false;
  shownJobTime_ = 0;
  state_.audioStartDelay.store(kAudioDelayStart);
}

void CChunkDemux::ResetStream(double speed) {
  ++resets_;
  video_->Flush();
  if (audio_) audio_->FlushTo(audioItem_);
  audioItem_.type = kItemAudioReset;
  StartPendingEmpty(speed);
}

void CChunkDemux::StartPendingEmpty(double speed) {
  pending_.data = speed >= 0 ? fill_ : fill_ + kBackwardStart;
  pending_.length = 0;
  pending_.type = kItemNone;
  pendingKind_ = -1;
  ClearGroup();
  // Read backward, the first frame found runs on into data that is never read.
  skipNextFrame_ = speed < 0;
  startsData_ = true;
  sawKeyFrame_ = false;
}

void CChunkDemux::Resync() {
  if (audio_) audio_->Flush();
  audioRestart_ = false;
  state_.pacerResetRequest.store(true);
  Sleep(kResyncPauseMs);
  ClearTimeState();
}

void CChunkDemux::ClearTimeState() {
  timeKept_ = false;
  timePending_ = false;
  stamp_ = 0;
  prevStamp_ = 0;
}

bool CChunkDemux::AppendChunk(const StreamChunk& chunk, double speed) {
  if (!Goes() || !video_ || !fill_) return false;
  std::memcpy(fill_, chunk.payload, kChunkPayloadSize);
  state_.bytesRead.fetch_add(kChunkSize);
  ShowHiddenChannel();
  const double previous = prevSpeed_;
  prevSpeed_ = speed;
  speed_ = speed;
  if ((speed < 0) != (previous < 0)) ResetStream(speed);
  if (speed != 1.0 && audio_ && audio_->Count() > 0) audio_->Flush();
  if (speed == 1.0 && previous != 1.0) WaitForShortQueue();
  const std::size_t pendingBytes = speed >= 0 ? static_cast<std::size_t>(fill_ - pending_.data) : pending_.length;
  if (chunk.sensorBlock && !jobRuns_ && pendingBytes < video_->Margin() && !PutMarker(chunk, speed)) return false;
  pending_.aux = chunk.frameRate;
  pending_.chunkTime = chunk.time;
  pending_.seq = chunk.sequence;
  pending_.chunk = chunk.sequence;
  pending_.speed = speed;
  if (speed >= 0) {
    fill_ += kChunkPayloadSize;
    return SplitForward();
  }
  return SplitBackward();
}

void CChunkDemux::ShowHiddenChannel() {
  if (!rangeMode_ && state_.channelHidden.exchange(false)) ShowWindow(state_.videoWnd.load(), SW_SHOW);
}

// Markers are taken too: at least as many takes as there are items over the limit are needed.
void CChunkDemux::WaitForShortQueue() {
  const std::size_t limit = video_->Capacity() / kShortQueueDivisor;
  for (;;) {
    const CBuffer::TakeMark mark = video_->Mark();
    const std::size_t count = video_->Count();
    if (count <= limit || !video_->WaitForTakes(mark, count - limit, &producer_)) break;
  }
  const std::int64_t frameTime = state_.frameTime.load();
  if (frameTime != 0) state_.playClock.Set(frameTime);
}

bool CChunkDemux::PutMarker(const StreamChunk& chunk, double speed) {
  QueueItem marker;
  marker.data = chunk.sensorBlock;
  marker.length = kMarkerLength;
  marker.type = kItemMarker;
  marker.aux = chunk.sampleIndex;
  marker.speed = speed;
  marker.chunkTime = chunk.time;
  marker.seq = chunk.sequence;
  marker.chunk = chunk.sequence;
  marker.spare = chunk.sensorSerial;
  return speed >= 0 ? producer_.PutWait(*video_, marker) : video_->PutThrottled(marker, &producer_);
}

bool CChunkDemux::FinishData(double speed) {
  if (!video_ || !fill_) return false;
  if (prevSpeed_ >= 0) {
    if (!SplitTo(kFrameHeaderSize)) return false;
    if (static_cast<std::size_t>(fill_ - pending_.data) >= kShortestLastFrame && !EndPendingAt(fill_)) return false;
  } else if (groupHasKey_) {
    if (!PutGroup()) return false;  // the earliest group of the data
  } else {
    dropped_ += group_.size();  // pictures whose key frame lies before the data
  }
  StartPendingEmpty(prevSpeed_);
  QueueItem end = ItemOf(fill_, 0, kItemEnd);
  end.speed = speed;
  return producer_.PutWait(*video_, end);
}
