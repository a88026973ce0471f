// Helpers of the queue and thread tests: a source thread with a test body, and frame items.
#pragma once

#include <functional>
#include <utility>

#include "engine/stream/Buffer.h"
#include "engine/stream/QueueItem.h"
#include "engine/stream/SourceCtx.h"
#include "platform/Time.h"
#include "tests/support/Eventually.h"

class FuncSource : public CSourceCtx {
 public:
  explicit FuncSource(std::function<void(FuncSource&)> body)
      : CSourceCtx(nullptr), m_body(std::move(body)) {}
  ~FuncSource() override { Stop(kWaitForever); }

 protected:
  void Run() override { m_body(*this); }

 private:
  std::function<void(FuncSource&)> m_body;
};

inline QueueItem Frame(std::uint8_t* at, std::uint32_t length, std::uint32_t type,
                       std::uint32_t seq = 0) {
  QueueItem item;
  item.data = at;
  item.length = length;
  item.type = type;
  item.seq = seq;
  return item;
}

// Puts a frame at the producer's write position w and moves w on when the queue took it.
inline bool PutAt(CBuffer& q, QueueItem& w, std::uint32_t length, std::uint32_t type,
                  std::uint32_t seq = 0) {
  QueueItem item = Frame(w.data, length, type, seq);
  if (!q.Put(item, nullptr)) return false;
  w.data = item.data;
  return true;
}

using plat::test::Eventually;
