// The frame splitters of the demultiplexer and the paths of what they find.
#include <cstring>

#include "engine/stream/ChunkDemux.h"
#include "engine/stream/StreamGrammar.h"

namespace {
constexpr double kFastSpeed = 2.0;
// The audio clock's delay grows by the sound frame's length: 16 bytes a millisecond.
constexpr std::size_t kSoundBytesPerMs = 16;
// A backward group that has not met its key frame after this share of the area is dropped: its
// first frames would be overwritten before the key frame could be put.
constexpr std::size_t kGroupAreaDivisor = 2;

constexpr BYTE kNalTypeMask = 0x1F;
constexpr BYTE kNalSlice = 1;
constexpr BYTE kNalIdrSlice = 5;

// Whether an H.264 unit carries a picture (a slice) rather than what goes before one: parameter
// sets and SEI.
bool IsSlice(const BYTE* nal) {
  const BYTE type = nal ? (*nal & kNalTypeMask) : 0;
  return type == kNalSlice || type == kNalIdrSlice;
}

bool IsKeySlice(const BYTE* nal) { return nal && (*nal & kNalTypeMask) == kNalIdrSlice; }

std::uint64_t Distance(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; }

}  // namespace

// Forward: the payload was appended at the end of the pending frame. Headers are looked for from
// where the last scan stopped up to the last bytes that may still need the next chunk.
bool CChunkDemux::SplitForward() { return SplitTo(kHeaderLookahead) && MakeRoomForward(); }

bool CChunkDemux::SplitTo(std::size_t tail) {
  BYTE* p = pending_.data + pending_.length;
  for (; static_cast<std::size_t>(fill_ - p) >= tail; p += kFrameAlign) {
    if (!IsFrameHeader(p)) continue;
    if (!EndPendingAt(p)) return false;
    StartPendingAt(p);
  }
  pending_.length = static_cast<std::uint32_t>(p - pending_.data);
  return true;
}

bool CChunkDemux::EndPendingAt(BYTE* at) {
  const auto length = static_cast<std::size_t>(at - pending_.data);
  if (pendingKind_ < 0 || length >= video_->Margin()) {
    if (pendingKind_ >= 0) CountDroppedPending();
    return true;
  }
  if (pendingKind_ == kFrameSound) return HandleAudioFrame(pending_.data, length);
  if (pendingKind_ == kFrameTime) {
    if (length < kTimeFrameSize) return true;  // cut short by a false header: its digits are not all there
    TakeTimeFrame(pending_.data, false);
  }
  if (pending_.type == kItemNone) return true;
  return PutFrame(ItemOf(pending_.data, length, pending_.type));
}

void CChunkDemux::StartPendingAt(BYTE* at) {
  pending_.data = at;
  pending_.length = 0;
  pendingKind_ = at[3];
  const BYTE* nal = static_cast<std::size_t>(fill_ - at) > kFrameHeaderSize ? at + kFrameHeaderSize : nullptr;
  pending_.type = FrameItemType(at[3], nal, startsData_);
  startsData_ = false;
}

// A pending frame that is given up counts as dropped when it would have been queued: a picture or
// a sound frame.
void CChunkDemux::CountDroppedPending() {
  if (pending_.type != kItemNone || pendingKind_ == kFrameSound) ++dropped_;
}

// The pending frame keeps the room it needs for the next payload after it. One that has grown to
// the margin cannot be queued: it is dropped with the rest of it up to the next header.
bool CChunkDemux::MakeRoomForward() {
  if (static_cast<std::size_t>(fill_ - pending_.data) >= video_->Margin()) {
    CountDroppedPending();
    pending_.data += pending_.length;
    pending_.length = 0;
    pending_.type = kItemNone;
    pendingKind_ = -1;
  }
  QueueItem tail = pending_;
  tail.length = static_cast<std::uint32_t>(fill_ - pending_.data);
  BYTE* next = video_->PrepareWrite(tail, static_cast<std::ptrdiff_t>(kChunkPayloadSize), &producer_);
  if (!next || !state_.open.load()) return false;
  pending_.data = tail.data;
  fill_ = next;
  return true;
}

// Backward: the payload was written just before the pending frame (the start of the data read
// before it). Headers are looked for downward; each frame runs to the header found before it.
bool CChunkDemux::SplitBackward() {
  BYTE* end = pending_.data + pending_.length;
  for (auto offset = static_cast<std::size_t>(pending_.data - fill_); offset >= kFrameAlign;) {
    offset -= kFrameAlign;
    BYTE* p = fill_ + offset;
    if (!IsFrameHeader(p)) continue;
    if (!CollectBackward(p, end)) return false;
    end = p;
  }
  pending_.data = fill_;
  pending_.length = static_cast<std::uint32_t>(end - fill_);
  if (pending_.length > video_->Margin()) {
    pending_.length = 0;
    skipNextFrame_ = true;
    ++dropped_;
  }
  DropOversizeGroup();
  return MakeRoomBackward();
}

// A group runs from what goes before its key picture (time frame, car data, parameter sets) to the
// last picture before the next key picture. Read backward, it is complete once a picture of the
// group before it is met: it is put then, so that its parameter sets and time frame go with it.
bool CChunkDemux::CollectBackward(BYTE* at, BYTE* end) {
  const auto length = static_cast<std::size_t>(end - at);
  if (skipNextFrame_) {
    skipNextFrame_ = false;
    return true;
  }
  const std::uint8_t kind = at[3];
  if (kind == kFrameSound) return true;  // sound is not played backward
  if (length >= video_->Margin()) {
    ++dropped_;
    return true;
  }
  if (kind == kFrameTime) {
    if (length < kTimeFrameSize) return true;
    TakeTimeFrame(at, true);
  }
  const BYTE* nal = kind == kFrameH264 && length > kFrameHeaderSize ? at + kFrameHeaderSize : nullptr;
  const std::uint32_t type = FrameItemType(kind, nal, false);
  if (type == kItemNone) return true;
  if (groupHasKey_ && IsSlice(nal) && !PutGroup()) return false;
  QueueItem item = ItemOf(at, length, type);
  item.channel = static_cast<std::uint32_t>(video_->Channel());
  group_.push_back(item);
  if (IsKeySlice(nal)) groupHasKey_ = true;
  return true;
}

// A complete group is put oldest frame first, each frame with the stamp of the time frame before
// it.
bool CChunkDemux::PutGroup() {
  if (video_->KeyFrameState() < 0) video_->SetKeyFrameState(0);
  std::uint64_t stamp = stamp_;  // the group's first time frame, the last one read
  for (auto it = group_.rbegin(); it != group_.rend(); ++it) {
    if (it->type == kItemTimeFrame) stamp = DecodeTimeStamp(it->data);
    it->stamp = stamp;
    if (!PutFrame(*it)) return false;
  }
  ClearGroup();
  return true;
}

void CChunkDemux::ClearGroup() {
  group_.clear();
  groupChunks_ = 0;
  groupHasKey_ = false;
}

void CChunkDemux::DropOversizeGroup() {
  if (group_.empty()) return;
  ++groupChunks_;
  if (groupChunks_ * kChunkPayloadSize <= video_->AreaSize() / kGroupAreaDivisor && group_.size() <= video_->Capacity()) {
    return;
  }
  dropped_ += group_.size();
  ClearGroup();
}

bool CChunkDemux::MakeRoomBackward() {
  BYTE* next = video_->PrepareWrite(pending_, -static_cast<std::ptrdiff_t>(kChunkPayloadSize), &producer_);
  if (!next || !state_.open.load()) return false;
  fill_ = next;
  return true;
}

QueueItem CChunkDemux::ItemOf(BYTE* at, std::size_t length, std::uint32_t type) const {
  QueueItem item = pending_;
  item.data = at;
  item.length = static_cast<std::uint32_t>(length);
  item.type = type;
  item.channel = 0;
  item.stamp = 0;
  return item;
}

// The first key frame with sound on makes the next sound frame start the audio clock, so that
// sound starts in step with the pictures. Range mode queues frames only for decoding exports;
// a copying export hands them to the recorder.
bool CChunkDemux::PutFrame(QueueItem item) {
  if (item.type == kItemKeyFrame && !sawKeyFrame_) {
    sawKeyFrame_ = true;
    if (state_.audioEnabled.load()) timePending_ = true;
  }
  if (rangeMode_ && !state_.exportDecode.load()) {
    if (RecordsDirectly()) HandToRecorder(item);
    return true;
  }
  if (item.speed < 0) return video_->PutThrottled(item, &producer_);
  if (item.speed >= kFastSpeed && item.type == kItemInterFrame) return producer_.PutOrWait(*video_, item);
  return producer_.PutWait(*video_, item);
}

// Read backward no sound is played, so nothing starts the audio clock: the pictures go by their
// own stamps. An anchor taken here would be taken when the frame is read, a queue's length before
// its picture is shown, and would hurry the pictures to catch up with it.
void CChunkDemux::TakeTimeFrame(const BYTE* frame, bool backward) {
  stamp_ = DecodeTimeStamp(frame);
  timeKept_ = true;
  if (!backward) timePending_ = true;
}

bool CChunkDemux::RecordsDirectly() const {
  return recorder_ && state_.exportChannel.load() && !state_.exportActive.load() && state_.rawExportMode.load() == 0 &&
         !state_.exportDecode.load();
}

// Pictures and car data carry the stamp of the time frame before them; time frames themselves
// only give it.
void CChunkDemux::HandToRecorder(QueueItem item) {
  item.stamp = stamp_;
  if (item.type == kItemCarData) {
    recorder_->WriteSideData(RecordFrameFromItem(item));
  } else if (item.type == kItemKeyFrame || item.type == kItemInterFrame || item.type == kItemInterFrameAlt) {
    recorder_->WriteVideo(RecordFrameFromItem(item));
  }
}

// A job with an export request or a GPS text export moves the play clock with the sound it
// passes and tells the notify window once for each new chunk time. It only posts: the window's
// thread may be waiting for this one to stop.
void CChunkDemux::ShowJobTime() {
  state_.playClock.Set(pending_.chunkTime);
  if (pending_.chunkTime == shownJobTime_) return;
  shownJobTime_ = pending_.chunkTime;
  PostMessage(state_.notifyWnd.load(), WM_PLAYER_SENSORDATA, reinterpret_cast<WPARAM>(producer_.Engine()), 0);
}

// In range mode the sound goes with the pictures: to the recorder when they do, to the audio
// thread when the export decodes them, which hands it to the recorder.
bool CChunkDemux::HandleAudioFrame(const BYTE* frame, std::size_t length) {
  if (rangeMode_ && (state_.exportActive.load() || state_.rawExportMode.load() != 0)) {
    ShowJobTime();
    return true;
  }
  if (rangeMode_ && !state_.exportDecode.load()) {
    if (RecordsDirectly() && state_.exportAudio.load()) {
      recorder_->WriteAudio(frame + kFrameHeaderSize, static_cast<std::uint32_t>(length - kFrameHeaderSize), kItemPcm16);
    }
    return true;
  }
  if (speed_ != 1.0 || !state_.audioEnabled.load()) {
    audioRestart_ = true;
    return true;
  }
  const std::size_t payload = length - kFrameHeaderSize;
  if (!audio_) return true;
  audioItem_.type = kItemPcm16;
  if (!audio_->WriteFrame(audioItem_, frame + kFrameHeaderSize, payload)) return true;
  audioItem_.aux = pending_.aux;
  audioItem_.speed = speed_;
  audioItem_.chunkTime = pending_.chunkTime;
  audioItem_.seq = pending_.seq;
  audioItem_.chunk = pending_.chunk;
  if (timePending_) {
    timePending_ = false;
    if (Distance(stamp_, prevStamp_) > kAudioRestartJump) {
      audioRestart_ = true;
      state_.audioStartDelay.store(kAudioDelayJump);
    }
    prevStamp_ = stamp_;
  }
  if (state_.TakeSeekMark()) state_.audioStartDelay.store(kAudioDelaySeek);
  if (state_.TakePauseMark()) state_.audioStartDelay.store(kAudioDelayPause);
  if (audioRestart_ && timeKept_) StartAudioInStep(payload);
  audioItem_.stamp = stamp_;
  return producer_.PutWaitSlow(*audio_, audioItem_);
}

// The audio thread anchors the clock at this stamp when it takes the sound frame; the frame's
// own length is added to the delay.
void CChunkDemux::StartAudioInStep(std::size_t payload) {
  state_.SetAudioTime(static_cast<std::int64_t>(stamp_));
  std::int32_t delay = state_.audioStartDelay.load();
  if (delay == 0) delay = kAudioDelayStart;
  state_.audioStartDelay.store(delay + static_cast<std::int32_t>(payload / kSoundBytesPerMs));
  audioRestart_ = false;
}
