// The video queue: pictures, time frames, car-data frames and the chunks' sensor markers.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "engine/stream/Buffer.h"

// Key-frame state: -1 while waiting for a start item, otherwise the number of key frames queued.
// Inter frames are queued only after a key frame, so that decoding always starts at one. Markers
// take no room and are not counted against the capacity. A blocking queue makes the producer
// wait after a put while the queue holds its capacity.
class CVBuffer2 : public CBuffer {
 public:
  explicit CVBuffer2(std::size_t capacity) : CBuffer(capacity) {}
  ~CVBuffer2() override = default;

  void SetChannel(int channel) { m_channel = channel; }
  int Channel() const { return m_channel; }

  // Both also reset the key-frame state (0, or -1 while waiting for a start item) and note the
  // time of the flush.
  void Flush() override;
  void FlushAll() override;
  // Also sets the key-frame state to -1 (waiting).
  void FlushTo(QueueItem& producer) override;
  // Queues by item type; true also when the type's rules drop the item. Key frames and (after a
  // key frame) inter frames are retried until they fit; false when the producer must give up or
  // an item of another type does not fit now.
  bool Put(QueueItem& item, const CMyThread* producer) override;
  bool Get(QueueItem& out) override;
  // Items in the list, markers left out.
  std::size_t Count() const override;

  // Queues a frame read backward without the space rules (PrepareWrite keeps the area safe),
  // then lets the producer go on only once the queue holds at most an eighth of its capacity.
  // Inter frames are dropped until a key frame is queued. False when the producer must give up.
  bool PutThrottled(QueueItem& item, const CMyThread* producer);
  // Makes room for the next chunk's payload next to the partial frame (the bytes not yet put)
  // and returns where the payload goes: right after the frame when step > 0 (forward), step
  // bytes before it otherwise. A frame that reaches the area's edge is moved to the other edge
  // first (partial.data follows it). Waits, lock released, until no frame still held or queued
  // lies in the space written. Null when the producer must give up or the space cannot exist.
  BYTE* PrepareWrite(QueueItem& partial, std::ptrdiff_t step, const CMyThread* producer);

  int KeyFrameState() const;
  void SetKeyFrameState(int state);
  std::size_t MarkerCount() const;
  DWORD LastFlushTick() const { return m_lastFlushTick.load(std::memory_order_relaxed); }

 private:
  void NoteFlush();
  bool PutOnce(QueueItem& item);
  bool PutRetrying(QueueItem& item, const CMyThread* producer);
  void CountKeyFrame(const QueueItem& item);
  bool WaitWhileFull(const CMyThread* producer);
  // Waits, lock released between looks, until `takesNeeded` (asked under the lock: how many more
  // takes the producer waits for) is 0; false when the producer must give up.
  bool WaitForTakesUntil(const std::function<std::size_t()>& takesNeeded, const CMyThread* producer);
  bool WaitForRegion(std::size_t lo, std::size_t hi, const CMyThread* producer);
  std::size_t TakesToCount(std::size_t count) const;
  BYTE* MoveFrameTo(QueueItem& partial, std::size_t offset);

  int m_keyState = 0;
  std::atomic<DWORD> m_lastFlushTick{0};
  int m_channel = 0;
};
