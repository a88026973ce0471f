#include "engine/ts/TSChn.h"

#include <algorithm>
#include <cstring>

#include "engine/stream/ChunkDemux.h"

CTSChn::CTSChn(CEngineState& state, CVBuffer2& video, CABuffer2& audio)
    : state_(state),
      video_(video),
      audio_(audio),
      ring_(std::make_unique<std::array<IndexBlockA5, kRingSlots>>()),
      reader_(*this, video, audio) {}

CTSChn::~CTSChn() { reader_.Stop(kWaitForever); }

bool CTSChn::Start(const std::string& path, bool backward) {
  {
    CCritLock lock(lock_);
    next_ = 0;
    shared_ = IndexBlockA5{};
  }
  if (!reader_.Open(path, backward)) return false;
  reader_.SetExport({});
  reader_.SetStartDelay(kAudioDelayStart);
  return reader_.Start();
}

bool CTSChn::StartExport(const std::string& path, TSExport exportTo) {
  if (!reader_.Open(path, false)) return false;
  reader_.SetExport(std::move(exportTo));
  return reader_.Start();
}

void CTSChn::Reset(DWORD timeoutMs) {
  {
    CCritLock lock(lock_);
    next_ = 0;
  }
  video_.Wake();
  audio_.Wake();
  reader_.Stop(timeoutMs);
  reader_.Close();
}

std::uint8_t* CTSChn::SlotOf(const QueueItem& marker) const {
  const auto base = reinterpret_cast<std::uintptr_t>(ring_->front().bytes.data());
  const auto at = reinterpret_cast<std::uintptr_t>(marker.data);
  if (at < base || (at - base) % sizeof(IndexBlockA5) != 0 || (at - base) / sizeof(IndexBlockA5) >= kRingSlots) {
    return nullptr;
  }
  return (*ring_)[(at - base) / sizeof(IndexBlockA5)].bytes.data();
}

bool CTSChn::TakeMarker(const QueueItem& marker, BYTE* out) {
  CCritLock lock(lock_);
  const std::uint8_t* slot = SlotOf(marker);
  if (!slot) return false;
  std::memcpy(shared_.bytes.data(), slot, kMarkerLength);
  std::memcpy(out, slot, kMarkerLength);
  return true;
}

bool CTSChn::GetSensorBlock(BYTE* out) const {
  IndexBlockA5 copy;
  {
    CCritLock lock(lock_);
    copy = shared_;
  }
  if (!IsRunning()) std::fill_n(copy.bytes.begin(), 4, 0);
  std::memcpy(out, copy.bytes.data(), kMarkerLength);
  return copy.Magic() == kIndexBlockA5Magic;
}

std::int64_t CTSChn::FileStartTime(const std::string&) { return 0; }

void CTSChn::SetCurrentDate(const RecorderDate& date) {
  if (state_.playClock.Get() == 0) state_.playClock.Set(RecorderDateToLocalTime(date));
  if (reader_.SeekPending()) return;
  std::int64_t seek = state_.seekTime.load();
  if (seek != 0 && state_.seekTime.compare_exchange_strong(seek, 0)) {
    state_.playClock.Set(RecorderDateToLocalTime(date));
  }
}

// A slot is used again only once no marker that points at it can still be queued or held.
std::uint8_t* CTSChn::TakeSensorBlock(const IndexBlockA5& block) {
  if (video_.MarkerCount() >= kRingSlots - 1) return nullptr;
  CCritLock lock(lock_);
  IndexBlockA5& slot = (*ring_)[next_];
  next_ = (next_ + 1) % kRingSlots;
  slot = block;
  return slot.bytes.data();
}

void CTSChn::ResyncAudio(int startDelayMs, std::uint64_t stampUs) {
  state_.audioStartDelay.store(startDelayMs);
  state_.SetAudioTime(static_cast<std::int64_t>(stampUs));
}
