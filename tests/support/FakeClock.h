// A clock that moves only when told: SleepMs advances it at once, and WaitEvent takes a pending
// signal without moving or else advances by the whole time-out, so nothing ever blocks. Tests
// install it as the tick clock (plat::SetTickClock) or hand it to what takes an IClock.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Sync.h"
#include "platform/Time.h"

namespace plat::test {

class FakeClock : public IClock {
 public:
  explicit FakeClock(std::uint64_t startMs = 1000) : now_(startMs) {}
  std::uint64_t NowMs() const override { return now_.load(); }
  void SleepMs(std::uint32_t ms) override { now_ += ms; }
  bool WaitEvent(CEvent& event, std::uint32_t timeoutMs) override {
    if (event.Wait(0)) return true;
    Advance(timeoutMs);
    return false;
  }
  void Advance(std::uint64_t ms) { now_ += ms; }
  void Set(std::uint64_t ms) { now_ = ms; }

 private:
  std::atomic<std::uint64_t> now_;
};

}  // namespace plat::test
