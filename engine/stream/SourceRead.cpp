// The card source thread's body: the walk over the entries and what it does with each chunk.
#include <cerrno>
#include <utility>

#include "engine/stream/SourceBoxCtx.h"
#include "platform/Time.h"

namespace {

// The store is gone for good: a removed card or a failing device.
bool IsDeviceGone(int error) { return error == ENODEV || error == ENXIO || error == EIO; }

}  // namespace

void CSourceBoxCtx::Run() {
  demux_.SetupStream(state_->speed.load());
  for (;;) {
    const SourceEnd end = ReadData();
    lastEnd_ = end;
    if (IsRangeMode()) {
      EndJob(end);
      return;
    }
    if (!IsRunning() || !state_->open.load()) return;
    if (!demux_.FinishData(state_->speed.load()) || !WaitForSeek()) return;
  }
}

// The end of the data while playing: the thread waits until a seek starts it again or it is
// stopped. Whoever seeks or stops rings the video queue's producer side.
bool CSourceBoxCtx::WaitForSeek() {
  while (IsRunning() && state_->open.load()) {
    CarryOutRequests();
    if (state_->seekTime.load() != 0) return true;
    if (!video_->WaitForProducerRing(this)) return false;
  }
  return false;
}

void CSourceBoxCtx::CarryOutRequests() {
  if (state_->TakeResyncRequest()) Resync();
}

void CSourceBoxCtx::Resync() {
  sensors_.ClearSamples();
  demux_.Resync();
}

SourceEnd CSourceBoxCtx::ReadData() {
  if (!ChooseStart()) return SourceEnd::kData;
  for (;;) {
    if (!IsRunning() || !state_->open.load()) return SourceEnd::kStopped;
    CarryOutRequests();
    speed_ = state_->speed.load();
    const std::int64_t seek = state_->seekTime.load();
    if (SeekToOtherEntry()) continue;
    if (!InsideEntry()) {
      // Nothing of the entry sought can be read: the seek is over there, and reading moves on past
      // the entry as it does past any other, or ends with the data. A seek left pending would lead
      // back into the entry from the next one, over and over.
      CancelSeek(seek);
      if (CrossEntry()) continue;
      return SourceEnd::kData;
    }
    const ReadResult read = ReadChunkWithRetries();
    IndexBlockA5 trailer;
    if (read == ReadResult::kRead && ValidTrailer(&trailer)) {
      ++validChunks_;
      invalidInRow_ = 0;
      const std::int64_t chunkTime = ChunkTime(trailer);
      m_chunkTime = static_cast<std::int32_t>(chunkTime);
      if (SeekInsideEntry(chunkTime)) continue;
      const SourceEnd end = UseChunk(trailer, chunkTime);
      if (end != SourceEnd::kNone) return end;
    } else {
      ++invalidChunks_;
      CancelSeek(state_->seekTime.load());
      if (read == ReadResult::kFatal) return SourceEnd::kReadError;
      if (++invalidInRow_ >= kMaxFailedChunks) {
        if (!EndEntry()) return SourceEnd::kData;
        continue;
      }
    }
    if (!NextChunk()) return SourceEnd::kData;
  }
}

// Chunks of a second share their date: its local time is worked out once (the conversion reads
// the system's zone each time).
std::int64_t CSourceBoxCtx::ChunkTime(const IndexBlockA5& trailer) {
  const RecorderDate date = trailer.Date();
  if (!lastDateTime_ || lastDateTime_->first != date) lastDateTime_.emplace(date, RecorderDateToLocalTime(date));
  return lastDateTime_->second;
}

// Where reading begins: the entry kept when it is in the list walked, else the list's first; the
// chunk of the chosen event, else the entry's first chunk.
bool CSourceBoxCtx::ChooseStart() {
  const std::vector<IndexEntry*>& list = backupList_.empty() ? PlayList() : backupList_;
  if (list.empty()) return false;
  IndexEntry* entry = current_.load();
  auto it = std::find(list.begin(), list.end(), entry);
  if (it == list.end()) it = list.begin();
  entry = *it;
  backupAt_ = backupList_.empty() ? 0 : static_cast<std::size_t>(it - list.begin());
  EnterEntry(entry);
  chunkNumber_ = 0;
  const int k = eventNumber_.load();
  const EventRecord event = entry->Event(k - 1);
  const std::int64_t n = static_cast<std::int64_t>(event.chunk) - entry->FirstChunk();
  if (k >= 1 && k <= entry->EventCount() && event.code != 0 && n >= 0 && n < entryChunks_) {
    chunkNumber_ = n;
  } else {
    eventNumber_ = 0;
  }
  expected_ = entry->FirstChunk() == 1 ? 0 : 0xFFFFFFFFu;
  seekStep_ = SeekStep::kNone;
  failedInRow_ = 0;
  return true;
}

// Every entry is read within its bounds: what it claims, at most kMaxChunksPerEntry chunks, and
// nothing past the store's end, however far a damaged or completed entry reaches.
void CSourceBoxCtx::EnterEntry(IndexEntry* entry) {
  current_ = entry;
  entryStart_ = entry->StartTime();
  entryEnd_ = entry->EndTime();
  entryChunks_ = ReadableChunks(*entry);
  invalidInRow_ = 0;
}

// A seek time after the entry moves to the next entry when the time is not in the gap before it;
// one before the entry, to the previous entry likewise. Any other time outside the entry is
// cancelled.
bool CSourceBoxCtx::SeekToOtherEntry() {
  const std::int64_t seek = state_->seekTime.load();
  if (seek == 0 || (seek >= entryStart_ && seek <= entryEnd_)) return false;
  IndexEntry* other = seek > entryEnd_ ? NextEntry() : PreviousEntry();
  const bool reached = other && (seek > entryEnd_ ? seek >= other->StartTime() : seek <= other->EndTime());
  if (!reached) {
    CancelSeek(seek);
    return false;
  }
  if (!backupList_.empty()) backupAt_ = seek > entryEnd_ ? backupAt_ + 1 : backupAt_ - 1;
  EnterEntry(other);
  chunkNumber_ = 0;
  Resync();
  return true;
}

// Inside the entry a seek settles on the chunk before the first one not before its bound:
// chunks are passed over forward while they are before the bound, or back while they are not
// (unless the seek already stepped forward). Played forward, the bound is the seek time: the key
// picture of the second sought often begins in the chunk before the second's first, which leads
// in, and what that chunk holds of the second before is dropped for want of its key picture.
// Played backward, it is the second after, so that reading starts at the second's last chunk.
bool CSourceBoxCtx::SeekInsideEntry(std::int64_t chunkTime) {
  const std::int64_t seek = state_->seekTime.load();
  if (seek == 0) return false;
  const std::int64_t bound = IsBackward() ? seek + 1 : seek;
  if (seekStep_ != SeekStep::kBackOne) {
    if (bound > chunkTime && chunkNumber_ + 1 < entryChunks_) {
      ++chunkNumber_;
      seekStep_ = SeekStep::kForward;
      return true;
    }
    if (bound <= chunkTime && chunkNumber_ > 0 && seekStep_ == SeekStep::kNone) {
      --chunkNumber_;
      return true;
    }
    if (bound <= chunkTime && seekStep_ == SeekStep::kForward && !jobFlag_) {
      --chunkNumber_;
      seekStep_ = SeekStep::kBackOne;
      leadInTime_ = chunkTime;
      return true;
    }
  }
  leadIn_ = seekStep_ == SeekStep::kBackOne && !IsBackward();
  CancelSeek(seek);
  return false;
}

// The seek is over; a newer one set meanwhile stays. The video thread has dropped what it held
// for the seek, so the stream starts afresh at a key frame.
void CSourceBoxCtx::CancelSeek(std::int64_t seek) {
  seekStep_ = SeekStep::kNone;
  if (seek == 0) return;
  streamBreak_ = true;
  state_->seekTime.compare_exchange_strong(seek, 0);
}

bool CSourceBoxCtx::NextChunk() {
  chunkNumber_ += IsBackward() ? -1 : 1;
  return InsideEntry() || CrossEntry();
}

bool CSourceBoxCtx::IsBackward() const { return speed_ < 0 && !IsRangeMode(); }

bool CSourceBoxCtx::InsideEntry() const { return chunkNumber_ >= 0 && chunkNumber_ < entryChunks_; }

// A run of chunks without a valid trailer: the entry's data has ended, or is lost from here on.
bool CSourceBoxCtx::EndEntry() {
  chunkNumber_ = IsBackward() ? -1 : entryChunks_;
  return CrossEntry();
}

// Past the entry's first or last chunk: the entry before or after it, or the end of the data.
bool CSourceBoxCtx::CrossEntry() {
  const bool backward = IsBackward();
  if (!current_.load()) return false;
  IndexEntry* other = backward ? PreviousEntry() : NextEntry();
  // An entry of sequence number 1 starts a new sequence that a play does not run into; the
  // entries of a backup are each copied whatever their numbers.
  if (!other || (!backward && backupList_.empty() && other->Sequence() == 1)) return false;
  if (!backupList_.empty()) ++backupAt_;
  EnterEntry(other);
  chunkNumber_ = backward ? LastChunkWithData() : 0;
  return true;
}

// Read backward, an entry is entered at its last chunk with data: one that claims more chunks
// than it holds would otherwise meet a run of chunks without a valid trailer first, and be passed
// over. As forward reading does, the data is taken to go on while one of the next
// kMaxFailedChunks chunks holds a valid trailer; halving the range finds its end in a few trailer
// reads. -1 (the entry is passed over) when none is found.
std::int64_t CSourceBoxCtx::LastChunkWithData() {
  const std::int64_t last = entryChunks_ - 1;
  if (last < 0 || FirstChunkWithData(last, entryChunks_) == last) return last;
  std::int64_t found = -1;  // a chunk with data
  std::int64_t none = last;  // no data is taken to lie from here on
  while (none - found > 1) {
    const std::int64_t middle = found + (none - found) / 2;
    const std::int64_t data = FirstChunkWithData(middle, std::min(none, middle + kMaxFailedChunks));
    if (data >= 0) {
      found = data;
    } else {
      none = middle;
    }
  }
  return found;
}

// The first chunk of [from, to) whose trailer is valid for its place, reading only trailers; -1
// when there is none.
std::int64_t CSourceBoxCtx::FirstChunkWithData(std::int64_t from, std::int64_t to) {
  IndexBlockA5 trailer;
  for (std::int64_t n = from; n < to && IsRunning(); ++n) {
    if (ReadTrailer(ChunkOffset(n), chunk_.data() + kChunkPayloadSize) && ValidTrailerOf(n, &trailer)) return n;
  }
  return -1;
}

IndexEntry* CSourceBoxCtx::NextEntry() {
  if (backupList_.empty()) return GetNextEntry(current_.load());
  return backupAt_ + 1 < backupList_.size() ? backupList_[backupAt_ + 1] : nullptr;
}

IndexEntry* CSourceBoxCtx::PreviousEntry() {
  if (backupList_.empty()) return GetPreviousEntry(current_.load());
  return backupAt_ > 0 ? backupList_[backupAt_ - 1] : nullptr;
}

// A failed read is tried again a few times; then the chunk counts as invalid. A device that is
// gone, or too many failed chunks in a row, end the data.
CSourceBoxCtx::ReadResult CSourceBoxCtx::ReadChunkWithRetries() {
  const std::uint64_t offset = ChunkOffset();
  const bool backup = !backupList_.empty();
  if (backup && chunkNumber_ % kReadAheadChunks == 0) {
    WillReadChunks(offset, static_cast<std::size_t>(std::min<std::int64_t>(2 * kReadAheadChunks, entryChunks_ - chunkNumber_)));
  }
  for (std::size_t attempt = 0;; ++attempt) {
    errno = 0;
    if (backup ? ReadTrailer(offset, chunk_.data() + kChunkPayloadSize) : ReadChunk(offset, chunk_.data())) {
      failedInRow_ = 0;
      return ReadResult::kRead;
    }
    const int error = errno;
    if (attempt == std::size(kRetryPausesMs) || !IsRunning()) {
      ++failedInRow_;
      return IsDeviceGone(error) || failedInRow_ >= kMaxFailedChunks ? ReadResult::kFatal : ReadResult::kFailed;
    }
    SleepWhileRunning(kRetryPausesMs[attempt]);
  }
}

std::uint64_t CSourceBoxCtx::ChunkOffset(std::int64_t n) const {
  return current_.load()->dataOffset + static_cast<std::uint64_t>(n) * kChunkSize;
}

// The trailer in the chunk buffer, valid for chunk n of the current entry.
bool CSourceBoxCtx::ValidTrailerOf(std::int64_t n, IndexBlockA5* trailer) const {
  const IndexEntry* entry = current_.load();
  const std::optional<IndexBlockA5> read = ReadIndexBlockA5(chunk_.data() + kChunkPayloadSize, ChunkGeneration(*entry));
  if (!read) return false;
  *trailer = *read;
  return trailer->Sequence() == entry->FirstChunk() + static_cast<std::uint32_t>(n);
}

// A chunk that passed validation and any seek: the time limits of a job, the sensor data, then
// the job or the play. Returns how the data ends, kNone to go on.
SourceEnd CSourceBoxCtx::UseChunk(const IndexBlockA5& trailer, std::int64_t chunkTime) {
  if (endLimit_ != 0 && endLimit_ != entryEnd_ && chunkTime > endLimit_) return SourceEnd::kData;
  if (startLimit_ != 0 && startLimit_ != entryStart_ && chunkTime < startLimit_) return SourceEnd::kNone;
  // The lead-in of a seek gives its frames the time of the chunk sought, and no sensor block: the
  // sensor data starts with that chunk.
  if (std::exchange(leadIn_, false)) {
    return PlayChunk(trailer, leadInTime_, {}) ? SourceEnd::kNone : SourceEnd::kStopped;
  }
  const CSensorData::Slot slot = TakeSensors(trailer, chunkTime);
  if (jobFlag_ && !HandToJob(trailer)) return SourceEnd::kJobFailed;
  if (!backupList_.empty()) return SourceEnd::kNone;
  return PlayChunk(trailer, chunkTime, slot) ? SourceEnd::kNone : SourceEnd::kStopped;
}

CSensorData::Slot CSourceBoxCtx::TakeSensors(const IndexBlockA5& trailer, std::int64_t chunkTime) {
  if (!jobFlag_) {
    WaitForRingRoom();
    return sensors_.TakeIn(trailer);
  }
  sensors_.TakeJobBlock(trailer);
  CountJobChunk(chunkTime);
  PostProgress(trailer.Sequence());
  state_->frameTime = chunkTime;
  if (IsRangeMode()) sensors_.Publish(trailer);
  return {};
}

// Markers point at ring slots: while the video queue holds markers for all but one slot, the
// next slot may still be unread, so reading waits for the video thread.
void CSourceBoxCtx::WaitForRingRoom() {
  for (;;) {
    const CBuffer::TakeMark mark = video_->Mark();
    const std::size_t markers = video_->MarkerCount();
    if (markers < kSensorRingSlots - 1 || !video_->WaitForTakes(mark, markers - (kSensorRingSlots - 2), this)) return;
  }
}

bool CSourceBoxCtx::PlayChunk(const IndexBlockA5& trailer, std::int64_t chunkTime, const CSensorData::Slot& slot) {
  expected_ += speed_ >= 0 ? 1 : 0xFFFFFFFFu;
  if (std::exchange(streamBreak_, false) || trailer.Sequence() != expected_) {
    demux_.ResetStream(speed_);
    expected_ = trailer.Sequence();
    state_->playClock.Set(chunkTime);
  }
  if (trailer.Stream() != 0) return true;
  if (!state_->videoEnabled.load()) {
    SwitchChannelOff();
    return true;
  }
  StreamChunk chunk;
  chunk.payload = chunk_.data();
  chunk.frameRate = trailer.FramesPerSecond();
  chunk.time = static_cast<std::int32_t>(chunkTime);
  chunk.sequence = trailer.Sequence();
  chunk.sensorBlock = slot.block;
  chunk.sampleIndex = slot.sampleIndex;
  chunk.sensorSerial = slot.serial;
  return demux_.AppendChunk(chunk, speed_);
}

void CSourceBoxCtx::SwitchChannelOff() {
  demux_.ResetStream(speed_);
  state_->redrawRequest = true;
  if (video_) video_->RingConsumer();
  if (!IsRangeMode() && !state_->channelHidden.exchange(true)) ShowWindow(state_->videoWnd.load(), SW_HIDE);
}
