#include "engine/stream/SourceCtx.h"

bool CSourceCtx::Stop(DWORD timeoutMs) {
  const bool inTime = CMyThread::Stop(timeoutMs);
  m_startTime = 0;
  m_endTime = 0;
  m_chunkTime = 0;
  return inTime;
}

bool CSourceCtx::PutWait(CBuffer& queue, QueueItem& item) {
  if (!PutRetrying(queue, item)) return false;
  item.length = 0;
  item.type = kItemNone;
  return true;
}

bool CSourceCtx::PutWaitSlow(CBuffer& queue, QueueItem& item) {
  return PutRetrying(queue, item);
}

bool CSourceCtx::PutOrWait(CBuffer& queue, QueueItem& item) {
  const bool goOn = queue.ReserveOrWait(item, this);
  item.length = 0;
  item.type = kItemNone;
  return goOn;
}

// The mark comes before the put: a take while the put is refused ends the wait at once.
bool CSourceCtx::PutRetrying(CBuffer& queue, QueueItem& item) {
  for (;;) {
    if (queue.ShouldGiveUp(this)) return false;  // a stopping producer queues nothing more
    const CBuffer::TakeMark mark = queue.Mark();
    if (queue.Put(item, this)) return true;
    if (item.type == kItemStop || !queue.WaitForTakes(mark, 1, this)) return false;
  }
}
