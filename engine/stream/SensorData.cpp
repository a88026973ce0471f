#include "engine/stream/SensorData.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kFirstBlockClearedSamples = 150;  // bytes of samples cleared in the first block

}  // namespace

CSensorData::CSensorData()
    : ring_(std::make_unique<std::array<IndexBlockA5, kSensorRingSlots>>()),
      values_(std::make_unique<std::array<SlotValues, kSensorRingSlots>>()) {}

void CSensorData::StartPlay() {
  CCritLock lock(lock_);
  haveFirst_ = false;
}

CSensorData::Slot CSensorData::TakeIn(const IndexBlockA5& trailer) {
  CCritLock lock(lock_);
  IndexBlockA5 block = trailer;
  KeepFirstBlock(block);
  CarryGps(block);
  current_ = block;
  const std::uint32_t serial = ++serial_;
  const std::size_t at = serial % kSensorRingSlots;
  (*ring_)[at] = block;
  marks_[at] = SlotMark{serial, listEpoch_};
  const std::uint32_t sampleIndex = valueCount_;
  AppendSamples(block, (*values_)[at]);
  return Slot{(*ring_)[at].bytes.data(), sampleIndex, serial};
}

void CSensorData::KeepFirstBlock(const IndexBlockA5& block) {
  if (haveFirst_) return;
  first_ = block;
  first_.bytes[kTrailerSampleCountAt] = 0;
  std::fill_n(&first_.bytes[kTrailerSamplesAt], kFirstBlockClearedSamples, BYTE{0});
  haveFirst_ = true;
}

void CSensorData::CarryGps(IndexBlockA5& block) {
  if (block.HasGpsText()) {
    std::copy_n(&block.bytes[kTrailerGpsTextAt], kGpsCarrySize, lastGps_.begin());
  } else {
    std::copy_n(lastGps_.begin(), kGpsCarrySize, &block.bytes[kTrailerGpsTextAt]);
  }
}

void CSensorData::AppendSamples(const IndexBlockA5& block, SlotValues& into) {
  for (int i = 0; i < block.SampleCount(); ++i) {
    const auto s = block.Sample(i);
    GSensorValue v{s[0], s[1], s[2]};
    if (v == GSensorValue{} && valueCount_ > 0) v = lastValue_;
    into[static_cast<std::size_t>(i)] = v;
    lastValue_ = v;
    ++valueCount_;
  }
}

void CSensorData::TakeJobBlock(const IndexBlockA5& trailer) {
  CCritLock lock(lock_);
  current_ = trailer;
  first_ = trailer;
  haveFirst_ = true;
}

void CSensorData::Publish(const IndexBlockA5& trailer) {
  CCritLock lock(lock_);
  shared_ = trailer;
}

bool CSensorData::TakeMarker(const QueueItem& marker, BYTE* out) {
  CCritLock lock(lock_);
  const auto base = reinterpret_cast<std::uintptr_t>((*ring_)[0].bytes.data());
  const auto where = reinterpret_cast<std::uintptr_t>(marker.data);
  if (where < base || (where - base) % kCardBlockSize != 0) return false;
  const std::size_t at = (where - base) / kCardBlockSize;
  if (at >= kSensorRingSlots) return false;
  if (marks_[at].serial != marker.spare) return false;
  IndexBlockA5 block = (*ring_)[at];
  if (marks_[at].listEpoch == listEpoch_) RebuildSamples(block, (*values_)[at]);
  shared_ = block;
  std::memcpy(out, block.bytes.data(), kCardBlockSize);
  return true;
}

void CSensorData::RebuildSamples(IndexBlockA5& block, const SlotValues& values) {
  for (int i = 0; i < block.SampleCount(); ++i) {
    const GSensorValue& v = values[static_cast<std::size_t>(i)];
    block.SetSample(i, {v.x, v.y, v.z});
  }
}

bool CSensorData::GetSensorBlock(BYTE* out, bool sourceRunning) const {
  CCritLock lock(lock_);
  IndexBlockA5 copy = shared_;
  if (!sourceRunning) std::fill_n(copy.bytes.begin(), 4, BYTE{0});
  std::memcpy(out, copy.bytes.data(), kCardBlockSize);
  return copy.Magic() == kIndexBlockA5Magic;
}

void CSensorData::ClearSamples() {
  CCritLock lock(lock_);
  valueCount_ = 0;
  ++listEpoch_;
}

std::size_t CSensorData::SampleCount() const {
  CCritLock lock(lock_);
  return valueCount_;
}

IndexBlockA5 CSensorData::FirstBlock() const {
  CCritLock lock(lock_);
  return first_;
}

IndexBlockA5 CSensorData::CurrentBlock() const {
  CCritLock lock(lock_);
  return current_;
}
