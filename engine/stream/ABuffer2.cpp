#include "engine/stream/ABuffer2.h"

#include "platform/Time.h"

namespace {
constexpr DWORD kRetryMs = 1;
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

void CABuffer2::DropOldestItem() {
  QueueItem oldest;
  Get(oldest);  // re-enters the queue's lock
}
