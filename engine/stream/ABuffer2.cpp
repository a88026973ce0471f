#include "engine/stream/ABuffer2.h"

// Only the consumer's takes and flushes make room: a frame that does not fit is tried again after
// the next one, not every millisecond.
bool CABuffer2::Put(QueueItem& item, const CMyThread* producer) {
  for (;;) {
    TakeMark mark;
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
      mark = MarkUnlocked();
    }
    if (!WaitForTakes(mark, 1, producer)) return false;
  }
}

void CABuffer2::DropOldestItem() {
  QueueItem oldest;
  Get(oldest);  // re-enters the queue's lock
}
