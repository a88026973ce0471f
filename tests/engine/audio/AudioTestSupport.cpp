#include "tests/engine/audio/AudioTestSupport.h"

#include <gtest/gtest.h>

#include "tests/engine/stream/QueueTestSupport.h"

namespace audiotest {

std::uint8_t* TestDevice::Lock(std::uint32_t offset, std::uint32_t bytes) {
  ++lockCalls_;
  if (failLocks_) return nullptr;
  std::uint8_t* piece = CRingOutput::Lock(offset, bytes);
  if (piece) {
    std::lock_guard lock(mutex_);
    locks_.emplace_back(offset, bytes);
  }
  return piece;
}

void TestDevice::Unlock() {
  CRingOutput::Unlock();
  std::lock_guard lock(mutex_);
  if (!locks_.empty()) fresh_.insert(locks_.back().first / kBlock);
  ++unlocks_;
  changed_.notify_all();
}

void TestDevice::Play() {
  CRingOutput::Play();
  std::lock_guard lock(mutex_);
  playing_ = true;
}

void TestDevice::Stop() {
  CRingOutput::Stop();
  std::lock_guard lock(mutex_);
  playing_ = false;
}

bool TestDevice::WaitNotify(std::uint32_t) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return permits_ > 0 || woken_; });
  if (permits_ > 0) --permits_;
  return true;
}

void TestDevice::Wake() {
  CRingOutput::Wake();
  std::lock_guard lock(mutex_);
  woken_ = true;
  changed_.notify_all();
}

bool TestDevice::Restore() {
  ++restores_;
  lost_ = false;
  return CRingOutput::Restore();
}

bool TestDevice::OpenDevice(const plat::PcmFormat&) {
  ++opens_;
  std::lock_guard lock(mutex_);
  fresh_.clear();
  unlocks_ = 0;
  permits_ = 0;
  woken_ = false;
  playing_ = false;
  return present_;
}

std::uint32_t TestDevice::CursorBlock() const {
  std::uint32_t play = 0, write = 0;
  GetPositions(&play, &write);
  return write / kBlock;
}

// The cursor is read again while waiting: a reset that reopens the buffer meanwhile starts it
// over at block 0, and the thread fills that block, not the one the cursor was at before.
bool TestDevice::TakeBlock(Bytes& out) {
  std::uint32_t block = 0;
  const bool written = Eventually([&] {
    block = CursorBlock();
    std::lock_guard lock(mutex_);
    return playing_ && fresh_.count(block) != 0;
  });
  if (!written) return false;
  out.resize(out.size() + kBlock);
  Pull(out.data() + out.size() - kBlock, kBlock);
  std::lock_guard lock(mutex_);
  fresh_.erase(block);
  ++permits_;
  changed_.notify_all();
  return true;
}

Bytes TestDevice::TakeBlocks(int count) {
  Bytes out;
  for (int i = 0; i < count; ++i) {
    if (!TakeBlock(out)) {
      ADD_FAILURE() << "block " << i << " was never written";
      break;
    }
  }
  return out;
}

void TestDevice::TakeStale(std::uint32_t bytes) {
  Bytes piece(1024);
  for (std::uint32_t done = 0; done < bytes; done += 1024) Pull(piece.data(), 1024);
}

void TestDevice::Permit() {
  std::lock_guard lock(mutex_);
  ++permits_;
  changed_.notify_all();
}

bool TestDevice::WaitUnlocks(int count) const {
  return Eventually([&] {
    std::lock_guard lock(mutex_);
    return unlocks_ >= count;
  });
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> TestDevice::Locks() const {
  std::lock_guard lock(mutex_);
  return locks_;
}

bool SoundFeed::Put(std::uint32_t type, const Bytes& bytes, std::uint64_t stamp, std::int32_t chunkTime) {
  if (!queue_.WriteFrame(writer_, bytes.data(), bytes.size())) return false;
  writer_.type = type;
  writer_.stamp = stamp;
  writer_.chunkTime = chunkTime;
  return queue_.Put(writer_, nullptr);
}

AudioRig::AudioRig(bool devicePresent)
    : queueMade(queue.Create(kQueueArea, kQueueMargin, true)),
      device(new TestDevice(devicePresent)),
      audio(state, queue, std::unique_ptr<plat::ISoundOutput>(device), clock) {
  EXPECT_TRUE(queueMade);
}

}  // namespace audiotest
