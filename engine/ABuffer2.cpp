#include "engine/ABuffer2.h"

#include <cstring>

#include "platform/Time.h"

namespace {
constexpr DWORD kRetryMs = 1;
}

void CABuffer2::Flush() {
  CCritLock lock(*this);
  CBuffer::Flush();
}

void CABuffer2::FlushTo(QueueItem& producer) {
  CCritLock lock(*this);
  CBuffer::FlushTo(producer);
}

bool CABuffer2::Put(QueueItem& item, const CMyThread* producer) {
  for (;;) {
    {
      CCritLock lock(*this);
      if (PutUnlocked(item)) {
        if (DropsOldest() && Count() >= Capacity()) DropOldestItem();
        return true;
      }
      if (DropsOldest() && Count() > 0) {
        DropOldestItem();  // frees the oldest frame's room; the list empties at worst
        continue;
      }
    }
    if (!PauseBeforeRetry(producer, kRetryMs)) return false;
  }
}

bool CABuffer2::WriteFrame(QueueItem& item, const BYTE* bytes, std::size_t length) {
  bool fits = false;
  {
    CCritLock lock(*this);
    QueueItem room = item;
    room.length = static_cast<std::uint32_t>(Margin());
    fits = length <= Margin() && InArea(room);
  }
  if (!fits) {
    ++m_droppedFrames;
    return false;
  }
  std::memcpy(item.data, bytes, length);  // the producer's own room: no lock needed
  item.length = static_cast<std::uint32_t>(length);
  return true;
}

void CABuffer2::DropOldestItem() {
  QueueItem oldest;
  Get(oldest);  // re-enters the queue's lock
}
