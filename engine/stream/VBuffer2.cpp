#include "engine/stream/VBuffer2.h"

#include <algorithm>
#include <cstring>

#include "platform/Time.h"

namespace {
// Backward reading keeps the queue this short so that a turn or a seek costs little.
constexpr std::size_t kThrottleDivisor = 8;
}  // namespace

void CVBuffer2::Flush() {
  CCritLock lock(*this);
  CBuffer::Flush();
  NoteFlush();
}

void CVBuffer2::FlushAll() {
  CCritLock lock(*this);
  CBuffer::FlushAll();
  NoteFlush();
}

void CVBuffer2::NoteFlush() {
  m_keyState = m_keyState >= 0 ? 0 : -1;
  m_lastFlushTick = GetTickCount();
}

void CVBuffer2::FlushTo(QueueItem& producer) {
  CCritLock lock(*this);
  m_keyState = -1;
  CBuffer::FlushTo(producer);
}

bool CVBuffer2::Put(QueueItem& item, const CMyThread* producer) {
  bool queued = false;
  switch (item.type) {
    case kItemNone:
      return true;
    case kItemStart: {
      CCritLock lock(*this);
      queued = PutUnlocked(item);
      m_keyState = queued ? 0 : -1;
      break;
    }
    case kItemKeyFrame:
      // Without a start item no key frame is awaited: dropping it keeps the producer moving.
      if (KeyFrameState() < 0) return true;
      queued = PutRetrying(item, producer);
      break;
    case kItemInterFrame:
    case kItemInterFrameAlt:
      if (KeyFrameState() <= 0) return true;  // undecodable without its key frame
      queued = PutRetrying(item, producer);
      break;
    case kItemTimeFrame:
    case kItemCarData:
      if (KeyFrameState() < 0) return true;
      queued = PutOnce(item);
      break;
    default:
      queued = PutOnce(item);
      break;
  }
  WaitWhileFull(producer);
  return queued;
}

bool CVBuffer2::Get(QueueItem& out) {
  CCritLock lock(*this);
  if (!GetUnlocked(out)) return false;
  if (out.type == kItemKeyFrame && m_keyState > 1) --m_keyState;
  return true;
}

std::size_t CVBuffer2::Count() const {
  CCritLock lock(*this);
  return CBuffer::Count() - MarkerItems();
}

bool CVBuffer2::PutThrottled(QueueItem& item, const CMyThread* producer) {
  {
    CCritLock lock(*this);
    if (item.type == kItemInterFrame && m_keyState < 1) return true;
    if (ItemTakesRoom(item.type) && !InArea(item)) return true;
    Append(item);
    CountKeyFrame(item);
  }
  if (!WaitForTakesUntil([this] { return TakesToCount(Capacity() / kThrottleDivisor); }, producer)) return false;
  return WaitWhileFull(producer);
}

BYTE* CVBuffer2::PrepareWrite(QueueItem& partial, std::ptrdiff_t step, const CMyThread* producer) {
  std::size_t pos = 0;
  std::size_t size = 0;
  std::size_t margin = 0;
  {
    CCritLock lock(*this);
    if (!InArea(partial)) return nullptr;
    pos = OffsetOf(partial.data);
    size = AreaSize();
    margin = Margin();
  }
  const std::size_t len = partial.length;
  if (step > 0) {
    const auto ahead = static_cast<std::size_t>(step);
    if (len + ahead > size) return nullptr;
    if (pos + len + ahead <= size) {
      if (!WaitForRegion(pos + len, pos + len + ahead, producer)) return nullptr;
      return partial.data + len;
    }
    if (!WaitForRegion(0, len + ahead, producer)) return nullptr;
    return MoveFrameTo(partial, 0) + len;
  }
  const auto back = static_cast<std::size_t>(-step);
  if (pos >= back) {
    if (!WaitForRegion(pos - back, pos, producer)) return nullptr;
    return partial.data - back;
  }
  const std::size_t keep = std::max(len, margin);
  if (keep + back > size) return nullptr;
  const std::size_t dest = size - keep;
  if (!WaitForRegion(dest - back, dest + len, producer)) return nullptr;
  return MoveFrameTo(partial, dest) - back;
}

int CVBuffer2::KeyFrameState() const {
  CCritLock lock(*this);
  return m_keyState;
}

void CVBuffer2::SetKeyFrameState(int state) {
  CCritLock lock(*this);
  m_keyState = state;
}

std::size_t CVBuffer2::MarkerCount() const {
  CCritLock lock(*this);
  return MarkerItems();
}

bool CVBuffer2::PutOnce(QueueItem& item) {
  CCritLock lock(*this);
  return PutUnlocked(item);
}

// Room comes back with the consumer's takes (the producer's own flushes come between its puts):
// a full queue is tried again after each take instead of every millisecond.
bool CVBuffer2::PutRetrying(QueueItem& item, const CMyThread* producer) {
  return WaitForTakesUntil(
      [&]() -> std::size_t {
        if (!PutUnlocked(item)) return 1;
        CountKeyFrame(item);
        return 0;
      },
      producer);
}

void CVBuffer2::CountKeyFrame(const QueueItem& item) {
  if (item.type == kItemKeyFrame) m_keyState = std::max(m_keyState, 0) + 1;
}

bool CVBuffer2::WaitWhileFull(const CMyThread* producer) {
  return WaitForTakesUntil([this] { return IsBlocking() ? TakesToCount(Capacity() - 1) : 0; }, producer);
}

bool CVBuffer2::WaitForRegion(std::size_t lo, std::size_t hi, const CMyThread* producer) {
  return WaitForTakesUntil([&] { return TakesToFree(lo, hi); }, producer);
}

// Markers are not counted but taken too: at least this many takes bring the count down to `count`.
std::size_t CVBuffer2::TakesToCount(std::size_t count) const {
  const std::size_t now = Count();
  return now > count ? now - count : 0;
}

// Only the consumer's takes make room: the producer looks again once as many have gone as it
// needs, instead of polling.
bool CVBuffer2::WaitForTakesUntil(const std::function<std::size_t()>& takesNeeded, const CMyThread* producer) {
  for (;;) {
    TakeMark mark;
    std::size_t needed = 0;
    {
      CCritLock lock(*this);
      needed = takesNeeded();
      if (needed == 0) return true;
      mark = MarkUnlocked();
    }
    if (!WaitForTakes(mark, needed, producer)) return false;
  }
}

BYTE* CVBuffer2::MoveFrameTo(QueueItem& partial, std::size_t offset) {
  BYTE* dest = AreaBase() + offset;
  std::memmove(dest, partial.data, partial.length);
  partial.data = dest;
  return dest;
}
