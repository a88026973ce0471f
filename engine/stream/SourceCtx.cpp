#include "engine/stream/SourceCtx.h"

#include "platform/Time.h"

namespace {
constexpr DWORD kPutRetryMs = 1;
constexpr DWORD kSoundRetryMs = 5;
}  // namespace

bool CSourceCtx::Stop(DWORD timeoutMs) {
  const bool inTime = CMyThread::Stop(timeoutMs);
  m_startTime = 0;
  m_endTime = 0;
  m_chunkTime = 0;
  return inTime;
}

bool CSourceCtx::PutWait(CBuffer& queue, QueueItem& item) {
  if (!PutRetrying(queue, item, kPutRetryMs)) return false;
  item.length = 0;
  item.type = kItemNone;
  return true;
}

bool CSourceCtx::PutWaitSlow(CBuffer& queue, QueueItem& item) {
  return PutRetrying(queue, item, kSoundRetryMs);
}

bool CSourceCtx::PutOrWait(CBuffer& queue, QueueItem& item) {
  const bool goOn = queue.ReserveOrWait(item, this);
  item.length = 0;
  item.type = kItemNone;
  return goOn;
}

bool CSourceCtx::PutRetrying(CBuffer& queue, QueueItem& item, DWORD retryMs) {
  for (;;) {
    if (queue.ShouldGiveUp(this)) return false;  // a stopping producer queues nothing more
    if (queue.Put(item, this)) return true;
    if (item.type == kItemStop) return false;
    Sleep(retryMs);
  }
}
