// The base of the source threads, which read a recording and fill a channel's queues.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/stream/Buffer.h"
#include "engine/stream/MyThread.h"

class CIbpCtrl;

class CSourceCtx : public CMyThread {
 public:
  explicit CSourceCtx(CIbpCtrl* engine) : m_engine(engine) {}
  ~CSourceCtx() override = default;

  // Stops the thread as CMyThread does, then forgets the play range and the chunk time.
  bool Stop(DWORD timeoutMs) override;

  CIbpCtrl* Engine() const { return m_engine; }
  // Start and end (seconds since 1970) of the entries being played, and the chunk in hand.
  std::int32_t StartTime() const { return m_startTime.load(std::memory_order_relaxed); }
  std::int32_t EndTime() const { return m_endTime.load(std::memory_order_relaxed); }
  std::int32_t ChunkTime() const { return m_chunkTime.load(std::memory_order_relaxed); }

  // The producer's put loops: an item that does not fit is tried again after each of the
  // consumer's takes. Each returns false when the thread is told to stop or the queue was woken:
  // the caller then treats its data as ended.
  // Once queued, clears the item's length and type (item.data keeps the next write position).
  bool PutWait(CBuffer& queue, QueueItem& item);
  // Leaves the item as it is; a stop item is tried once.
  bool PutWaitSlow(CBuffer& queue, QueueItem& item);
  // Passes over a frame that is not to be shown (the space rules of a put) and clears the item's
  // length and type; when it did not fit, a blocking queue makes the producer wait for the
  // consumer's next Get.
  bool PutOrWait(CBuffer& queue, QueueItem& item);

 protected:
  std::atomic<std::int32_t> m_startTime{0};
  std::atomic<std::int32_t> m_endTime{0};
  std::atomic<std::int32_t> m_chunkTime{0};

 private:
  bool PutRetrying(CBuffer& queue, QueueItem& item);

  CIbpCtrl* const m_engine;
};
