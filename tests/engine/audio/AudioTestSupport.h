// Helpers of the audio thread tests: a sound device that the test plays by hand, a producer that
// puts sound frames into the audio queue as the source does, and the audio thread wired to both
// on a fake clock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "engine/state/EngineState.h"
#include "engine/audio/AudioCtx.h"
#include "engine/stream/ABuffer2.h"
#include "platform/sound/RingOutput.h"
#include "tests/engine/audio/AudioOracle.h"
#include "tests/support/FakeClock.h"

namespace audiotest {

using oracle::Bytes;
using oracle::Codes;
using oracle::Concat;
using oracle::Pcm;
using oracle::ToBytes;

constexpr std::uint32_t kBlock = CSoundCursor::kBlockBytes;
constexpr std::size_t kQueueArea = 2097152;
constexpr std::size_t kQueueMargin = 16384;
constexpr std::size_t kQueueItems = 128;

// A device whose play cursor moves only when the test takes samples. Its notifications are the
// test's too: each block taken lets the thread past one wait, so the thread writes exactly one
// block per block played and every run is the same. The buffer, the pieces, the cursors and the
// volume are those of every real output.
class TestDevice : public plat::CRingOutput {
 public:
  explicit TestDevice(bool present = true) : present_(present) {}
  ~TestDevice() override { Close(); }

  std::uint8_t* Lock(std::uint32_t offset, std::uint32_t bytes) override;
  void Unlock() override;
  void Play() override;
  void Stop() override;
  bool WaitNotify(std::uint32_t timeoutMs) override;
  void Wake() override;
  bool Lost() const override { return lost_.load(); }
  bool Restore() override;

  // Takes the next block once the thread has written it (false when it never does), as the
  // device plays it, and lets the thread write one more.
  bool TakeBlock(Bytes& out);
  Bytes TakeBlocks(int count);
  // Plays on without waiting for the thread, as a device does while the thread stalls.
  void TakeStale(std::uint32_t bytes);
  // Lets the thread past one more wait without playing anything.
  void Permit();
  // Waits until the thread has stored this many blocks since the buffer was made.
  bool WaitUnlocks(int count) const;

  void SetFailLocks(bool fail) { failLocks_ = fail; }
  void LoseDevice() { lost_ = true; }

  std::vector<std::pair<std::uint32_t, std::uint32_t>> Locks() const;  // offset and bytes
  int LockCalls() const { return lockCalls_.load(); }
  int Opens() const { return opens_.load(); }
  int Restores() const { return restores_.load(); }

 protected:
  bool OpenDevice(const plat::PcmFormat& format) override;
  void CloseDevice() override {}

 private:
  std::uint32_t CursorBlock() const;

  const bool present_;
  std::atomic<bool> failLocks_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> lockCalls_{0};
  std::atomic<int> opens_{0};
  std::atomic<int> restores_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> locks_;
  std::set<std::uint32_t> fresh_;  // blocks written and not played since
  int unlocks_ = 0;
  int permits_ = 0;
  bool woken_ = false;
  bool playing_ = false;
};

// Puts sound frames into the audio queue the way the source does: copied to the write position,
// then queued.
class SoundFeed {
 public:
  explicit SoundFeed(CABuffer2& queue) : queue_(queue) { Restart(); }
  bool Put(std::uint32_t type, const Bytes& bytes, std::uint64_t stamp = 0, std::int32_t chunkTime = 0);
  // Drops what is queued and writes again after the frame the thread holds, as a flush does.
  void Restart() { queue_.FlushTo(writer_); }

 private:
  CABuffer2& queue_;
  QueueItem writer_;
};

// The audio thread of channel 0 with its queue, the engine state and a fake clock.
struct AudioRig {
  explicit AudioRig(bool devicePresent = true);

  CEngineState state;
  CABuffer2 queue{kQueueItems};
  const bool queueMade;
  plat::test::FakeClock clock;
  TestDevice* device;
  CAudioCtx audio;
  SoundFeed feed{queue};
};

}  // namespace audiotest
