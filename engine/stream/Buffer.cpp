#include "engine/stream/Buffer.h"

#include <algorithm>
#include <cstring>

#include "engine/stream/MyThread.h"
#include "platform/File.h"
#include "platform/Time.h"

namespace {
// A producer's wait ends on a ring only: a take it waits for, a flush, Wake or its own Stop.
constexpr std::uint32_t kUntilRung = 0xFFFFFFFFu;
}  // namespace

CBuffer::CBuffer(std::size_t capacity) : m_capacity(capacity) {}

CBuffer::~CBuffer() {
  Wake();
  plat::FreeArea(m_area, m_areaSize);
}

bool CBuffer::Create(std::size_t areaSize, std::size_t margin, bool blocking) {
  CCritLock lock(*this);
  if (!m_area || areaSize > m_areaSize) {
    plat::FreeArea(m_area, m_areaSize);
    m_area = static_cast<BYTE*>(plat::AllocArea(areaSize));
    m_areaSize = m_area ? areaSize : 0;
    if (!m_area) return false;
  }
  m_margin = margin;
  m_blocking = blocking;
  m_woken = false;
  m_event.Reset();
  m_consumerEvent.Reset();
  m_items.clear();
  m_markers = 0;
  m_frames = 0;
  m_bytesInUse = 0;
  m_readOffset = 0;
  return true;
}

void CBuffer::Wake() {
  CCritLock lock(*this);
  m_blocking = false;
  m_woken = true;
  m_event.Set();
  m_consumerEvent.Set();
}

void CBuffer::Flush() {
  CCritLock lock(*this);
  KeepHeldOnly();
  m_bytesInUse = 0;
}

void CBuffer::FlushAll() {
  CCritLock lock(*this);
  KeepHeldOnly();
  m_bytesInUse = 0;
  if (m_items.empty()) return;
  PopFront();
  ++m_takes;
}

void CBuffer::FlushTo(QueueItem& producer) {
  CCritLock lock(*this);
  KeepHeldOnly();
  m_bytesInUse = 0;
  std::size_t next = 0;
  if (!m_items.empty() && ItemTakesRoom(m_items.front().type)) {
    const QueueItem& held = m_items.front();
    m_bytesInUse = held.length;
    const std::size_t after = OffsetOf(held.data) + held.length;
    if (after + m_margin <= m_areaSize) next = after;
  }
  producer.data = m_area + next;
}

bool CBuffer::Reserve(QueueItem& item) {
  CCritLock lock(*this);
  if (!ItemTakesRoom(item.type)) return true;
  std::size_t next = 0;
  if (!NextWriteOffset(item, &next)) return false;
  item.data = m_area + next;
  return true;
}

bool CBuffer::WriteFrame(QueueItem& item, const BYTE* bytes, std::size_t length) {
  bool fits = false;
  {
    CCritLock lock(*this);
    QueueItem room = item;
    room.length = static_cast<std::uint32_t>(m_margin);
    fits = length <= m_margin && InArea(room);
  }
  if (!fits) {
    ++m_droppedFrames;
    return false;
  }
  std::memcpy(item.data, bytes, length);  // the producer's own room: no lock needed
  item.length = static_cast<std::uint32_t>(length);
  return true;
}

bool CBuffer::Put(QueueItem& item, const CMyThread*) {
  CCritLock lock(*this);
  return PutUnlocked(item);
}

bool CBuffer::Get(QueueItem& out) {
  CCritLock lock(*this);
  return GetUnlocked(out);
}

void CBuffer::Clear() {
  CCritLock lock(*this);
  ++m_flushes;
  m_event.Set();
  m_items.clear();
  m_markers = 0;
  m_frames = 0;
}

std::size_t CBuffer::Count() const {
  CCritLock lock(*this);
  return m_items.size();
}

std::size_t CBuffer::BytesInUse() const {
  CCritLock lock(*this);
  return m_bytesInUse;
}

std::size_t CBuffer::Margin() const { return m_margin.load(std::memory_order_relaxed); }

std::size_t CBuffer::AreaSize() const {
  CCritLock lock(*this);
  return m_areaSize;
}

BYTE* CBuffer::AreaBase() const {
  CCritLock lock(*this);
  return m_area;
}

const BYTE* CBuffer::ReadPosition() const {
  CCritLock lock(*this);
  return m_area + m_readOffset;
}

bool CBuffer::ShouldGiveUp(const CMyThread* producer) const {
  return IsWoken() || (producer && !producer->IsRunning());
}

bool CBuffer::ReserveOrWait(QueueItem& item, const CMyThread* producer) {
  TakeMark mark;
  {
    CCritLock lock(*this);
    if (Reserve(item) || !IsBlocking()) return true;
    mark = MarkUnlocked();
  }
  return WaitForTakes(mark, 1, producer);
}

CBuffer::TakeMark CBuffer::Mark() const {
  CCritLock lock(*this);
  return MarkUnlocked();
}

bool CBuffer::WaitForProducerRing(const CMyThread* producer) {
  if (ShouldGiveUp(producer)) return false;
  WaitRung(producer);
  return !ShouldGiveUp(producer);
}

void CBuffer::WaitRung(const CMyThread* producer) {
  if (producer) producer->WaitsOn(&m_event);
  if (!ShouldGiveUp(producer)) m_waitClock->WaitEvent(m_event, kUntilRung);
  if (producer) producer->WaitsOn(nullptr);
}

bool CBuffer::WaitForConsumerRing(plat::IClock& clock, std::uint32_t timeoutMs) {
  return clock.WaitEvent(m_consumerEvent, timeoutMs);
}

bool CBuffer::WaitForTakes(const TakeMark& mark, std::uint64_t count, const CMyThread* producer) {
  const std::uint64_t target = mark.takes + std::max<std::uint64_t>(count, 1);
  for (;;) {
    {
      CCritLock lock(*this);
      if (m_takes >= target || m_flushes != mark.flushes) return true;
      m_wakeAt = target;
    }
    if (ShouldGiveUp(producer)) return false;
    WaitRung(producer);
  }
}

bool CBuffer::PutUnlocked(QueueItem& item) {
  if (!ItemTakesRoom(item.type)) {
    Append(item);
    return true;
  }
  std::size_t next = 0;
  if (!NextWriteOffset(item, &next)) return false;
  Append(item);
  item.data = m_area + next;
  return true;
}

bool CBuffer::GetUnlocked(QueueItem& out) {
  if (!m_items.empty()) {
    // Letting go of the held item frees room, even when nothing follows it.
    PopFront();
    if (++m_takes >= m_wakeAt) m_event.Set();
  }
  if (m_items.empty()) return false;
  out = m_items.front();
  if (ItemTakesRoom(out.type)) {
    m_bytesInUse -= std::min<std::size_t>(m_bytesInUse, out.length);
    m_readOffset = OffsetOf(out.data);
  }
  return true;
}

void CBuffer::Append(const QueueItem& item) {
  if (m_items.empty()) {
    PushBack(item);  // the placeholder that the first Get drops
    m_bytesInUse = 0;
  }
  PushBack(item);
  if (ItemTakesRoom(item.type)) m_bytesInUse += item.length;
}

void CBuffer::PushBack(const QueueItem& item) {
  if (item.type == kItemMarker) ++m_markers;
  if (ItemTakesRoom(item.type)) {
    // The first frame queued is the oldest one the producer must not write over.
    if (m_frames++ == 0) m_readOffset = OffsetOf(item.data);
  }
  m_items.push_back(item);
  m_consumerEvent.Set();
}

std::size_t CBuffer::TakesToFree(std::size_t lo, std::size_t hi) const {
  for (std::size_t i = m_items.size(); i-- > 0;) {
    const QueueItem& it = m_items[i];
    if (!ItemTakesRoom(it.type) || !InArea(it)) continue;
    const std::size_t start = OffsetOf(it.data);
    if (start < hi && lo < start + it.length) return i + 1;
  }
  return 0;
}

bool CBuffer::InArea(const QueueItem& item) const {
  const auto base = reinterpret_cast<std::uintptr_t>(m_area);
  const auto p = reinterpret_cast<std::uintptr_t>(item.data);
  if (!m_area || p < base || p - base > m_areaSize) return false;
  return item.length <= m_areaSize - (p - base);
}

bool CBuffer::NextWriteOffset(const QueueItem& item, std::size_t* next) const {
  if (!InArea(item)) return false;
  const std::size_t pos = OffsetOf(item.data);
  const std::size_t after = pos + item.length;
  if (m_frames > 0 && pos < m_readOffset) {
    // The write position has come round behind the oldest frame still held.
    if (after + m_margin > m_readOffset) return false;
    *next = after;
    return true;
  }
  if (after + m_margin <= m_areaSize) {
    *next = after;
    return true;
  }
  if (m_frames > 0 && m_margin > m_readOffset) return false;
  *next = 0;
  return true;
}

// A waiting producer looks again: what it waited for may have gone with the rest.
void CBuffer::KeepHeldOnly() {
  ++m_flushes;
  m_event.Set();
  if (m_items.size() > 1) m_items.erase(m_items.begin() + 1, m_items.end());
  m_markers = 0;
  m_frames = 0;
  m_readOffset = 0;
  if (m_items.empty()) return;
  const QueueItem& held = m_items.front();
  if (held.type == kItemMarker) m_markers = 1;
  // The consumer may still be reading the frame it holds: later frames must not overwrite it.
  if (ItemTakesRoom(held.type)) {
    m_frames = 1;
    m_readOffset = OffsetOf(held.data);
  }
}

void CBuffer::PopFront() {
  const std::uint32_t type = m_items.front().type;
  if (type == kItemMarker) --m_markers;
  if (ItemTakesRoom(type)) --m_frames;
  m_items.pop_front();
}
