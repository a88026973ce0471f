// The frame queue between one producer thread (the source) and one consumer thread (video or
// audio). The producer writes frames straight into the queue's area and queues items that point
// at them; the consumer takes the items in order and may use an item's bytes until its next Get.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "engine/stream/QueueItem.h"
#include "platform/Sync.h"
#include "platform/Time.h"
#include "platform/Types.h"

class CMyThread;

// Space rules: the margin is the largest frame that must always fit at the write position. A
// put that would leave less than the margin before the oldest frame still held (the read
// position) or before the area's end is refused, or moves the write position back to the area's
// base when the margin fits there. The first item put into an empty queue goes in after a
// placeholder copy of itself, because every Get first drops the item that the consumer held.
//
// Every operation runs under the queue's own re-entrant lock. A producer that retries or waits
// releases the lock first, and gives up when its thread's run flag is cleared or the queue has
// been woken. Neither side polls: the producer is rung by the takes it waits for, the consumer
// by every put, and each side by whoever changes what it waits for (RingProducer, RingConsumer).
class CBuffer : public CCritSecs {
 public:
  explicit CBuffer(std::size_t capacity);
  ~CBuffer() override;

  // Allocates the area when there is none or it is too small, stores the margin and the
  // blocking flag, resets the event and empties the queue. False when the area cannot be had.
  virtual bool Create(std::size_t areaSize, std::size_t margin, bool blocking);
  // Stops all waiting: clears the blocking flag and releases a waiting producer and consumer.
  // Until the next Create no put waits and every retry loop gives up.
  virtual void Wake();
  // Keeps only the item the consumer holds; the queue holds no bytes.
  virtual void Flush();
  // The consumer's flush: it lets go of the item it holds as well, whose bytes it no longer
  // reads, so that a producer waiting for room or for a take goes on. The queue is empty.
  virtual void FlushAll();
  // Keeps only the item the consumer holds and sets the producer's write position right after
  // it (at the area's base when the margin does not fit there, or when nothing is held).
  virtual void FlushTo(QueueItem& producer);
  // Passes over a frame at the write position without queuing it (the space rules of Put).
  virtual bool Reserve(QueueItem& item);
  // Queues a frame that the producer wrote at item.data and returns the next write position in
  // item.data. False when the frame does not fit now; nothing changes then.
  virtual bool Put(QueueItem& item, const CMyThread* producer);
  // Drops the item the consumer held and copies the next one into out, keeping it queued so that
  // its bytes stay valid until the next Get. False when no item is queued.
  virtual bool Get(QueueItem& out);
  // Empties the item list.
  virtual void Clear();
  // Number of items in the list, the consumer's own included.
  virtual std::size_t Count() const;

  std::size_t BytesInUse() const;
  std::size_t Margin() const;
  std::size_t Capacity() const { return m_capacity; }
  std::size_t AreaSize() const;
  BYTE* AreaBase() const;
  const BYTE* ReadPosition() const;
  bool IsBlocking() const { return m_blocking.load(std::memory_order_relaxed); }
  bool IsWoken() const { return m_woken.load(std::memory_order_relaxed); }

  // The clock a waiting producer waits on; the machine's unless a test gives one.
  void SetWaitClock(plat::IClock& clock) { m_waitClock = &clock; }

  // Whether a producer that retries or waits on this queue must give up.
  bool ShouldGiveUp(const CMyThread* producer) const;

  // Where a waiting producer starts from: the items the consumer has let go of and the flushes.
  struct TakeMark {
    std::uint64_t takes = 0;
    std::uint64_t flushes = 0;
  };
  // Taken before a look at the queue, so that a take between the look and the wait is not missed.
  TakeMark Mark() const;
  // Waits, lock released, until the consumer has let go of `count` items (at least one) since the
  // mark, or the queue was flushed. The consumer rings only when that many have gone, so a
  // producer that needs several takes is not woken for each. False when it must give up.
  bool WaitForTakes(const TakeMark& mark, std::uint64_t count, const CMyThread* producer);
  // Waits until the producer is rung: by a take it waits for, a flush, RingProducer or Wake. False
  // when it must give up.
  bool WaitForProducerRing(const CMyThread* producer);
  // Ends a producer's wait, so that it looks again at what it waits for besides room: a seek, a
  // stop.
  void RingProducer() { m_event.Set(); }

  // Ends the consumer's wait at once, or the next one when it is not waiting: whoever changes what
  // the consumer waits for besides an item (pause, speed, a seek, a redraw, a stop) rings it.
  void RingConsumer() { m_consumerEvent.Set(); }
  // The consumer waits for a put or a ring, at most timeoutMs on the clock; a put or ring since its
  // last wait ends the wait at once. True when it was rung.
  bool WaitForConsumerRing(plat::IClock& clock, std::uint32_t timeoutMs);
  // Reserve; when the frame does not fit and the queue blocks, waits until the consumer takes
  // an item. False when the producer must give up.
  bool ReserveOrWait(QueueItem& item, const CMyThread* producer);

  // Copies a frame to the write position (item.data, from the last put or FlushTo) and sets
  // item.length. Only the margin is sure to be free there: a longer frame, or a write position
  // outside the area, is dropped and counted (false).
  bool WriteFrame(QueueItem& item, const BYTE* bytes, std::size_t length);
  // Frames dropped by WriteFrame since construction.
  std::size_t DroppedFrames() const { return m_droppedFrames.load(std::memory_order_relaxed); }

 protected:
  // The helpers below expect the lock to be held.
  bool PutUnlocked(QueueItem& item);
  bool GetUnlocked(QueueItem& out);
  void Append(const QueueItem& item);
  std::size_t MarkerItems() const { return m_markers; }
  // Whether the item's bytes lie inside the area.
  bool InArea(const QueueItem& item) const;
  std::size_t OffsetOf(const BYTE* p) const { return static_cast<std::size_t>(p - m_area); }
  TakeMark MarkUnlocked() const { return {m_takes, m_flushes}; }
  // How many takes free [lo, hi) (offsets into the area): 0 when no frame has bytes there, else
  // one past the place in the list of the last frame that has.
  std::size_t TakesToFree(std::size_t lo, std::size_t hi) const;

 private:
  // Waits until the producer is rung; its Stop rings it too. The caller looks again afterwards.
  void WaitRung(const CMyThread* producer);
  // Where the write position goes after the item, or false when the item does not fit.
  bool NextWriteOffset(const QueueItem& item, std::size_t* next) const;
  // Drops every item but the one the consumer holds; the read position follows that item.
  void KeepHeldOnly();
  void PushBack(const QueueItem& item);
  void PopFront();

  BYTE* m_area = nullptr;
  std::size_t m_areaSize = 0;
  std::size_t m_readOffset = 0;  // the consumer's frame, or the oldest frame still to be taken
  const std::size_t m_capacity;
  std::atomic<bool> m_blocking{false};
  std::atomic<bool> m_woken{false};
  std::atomic<std::size_t> m_droppedFrames{0};
  std::size_t m_bytesInUse = 0;
  std::atomic<std::size_t> m_margin{0};  // set by Create only; read without the lock, once a frame
  std::size_t m_markers = 0;  // marker items in the list
  std::size_t m_frames = 0;   // items in the list whose bytes lie in the area
  std::uint64_t m_takes = 0;
  std::uint64_t m_flushes = 0;
  std::uint64_t m_wakeAt = 0;  // the take at which a waiting producer is to be rung
  CEvent m_event;  // rung when a waiting producer is to look again
  CEvent m_consumerEvent;  // rung by each put and when the consumer is to look again
  plat::IClock* m_waitClock = &plat::SystemClock();
  std::deque<QueueItem> m_items;
};
