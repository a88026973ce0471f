// The audio queue: sound frames, copied into the queue's area by the producer.
#pragma once

#include <atomic>
#include <cstddef>

#include "engine/stream/Buffer.h"

// A put is retried after each take until it fits. With drop-oldest set
// (no sound device, so nothing takes the frames) a blocking queue drops its oldest frames rather
// than letting the producer stall: one when the put leaves it holding its capacity, and as many
// as it takes when the area has no room for the new frame.
class CABuffer2 : public CBuffer {
 public:
  explicit CABuffer2(std::size_t capacity) : CBuffer(capacity) {}
  ~CABuffer2() override = default;

  void SetDropOldest(bool on) { m_dropOldest = on; }
  bool DropOldest() const { return m_dropOldest.load(std::memory_order_relaxed); }

  // False only when the producer must give up before the frame fitted.
  bool Put(QueueItem& item, const CMyThread* producer) override;

 private:
  bool DropsOldest() const { return DropOldest() && IsBlocking(); }
  void DropOldestItem();

  std::atomic<bool> m_dropOldest{false};
};
