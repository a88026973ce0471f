#include "engine/stream/SensorData.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kFirstBlockClearedSamples = 150;  // bytes of samples cleared in the first block

}  // namespace

CSensorData::CSensorData() : ring_(std::make_unique<std::array<IndexBlockA5, kSensorRingSlots>>()) {}

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
  const auto sampleIndex = static_cast<std::uint32_t>(values_.size());
  AppendSamples(block);
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

void CSensorData::AppendSamples(const IndexBlockA5& block) {
  for (int i = 0; i < block.SampleCount(); ++i) {
    const auto s = block.Sample(i);
    GSensorValue v{s[0], s[1], s[2]};
    if (v == GSensorValue{} && !values_.empty()) v = values_.back();
    values_.push_back(v);
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
  if (marks_[at].listEpoch == listEpoch_) RebuildSamples(block, marker.aux);
  shared_ = block;
  std::memcpy(out, block.bytes.data(), kCardBlockSize);
  return true;
}

void CSensorData::RebuildSamples(IndexBlockA5& block, std::uint32_t from) const {
  const auto n = static_cast<std::size_t>(block.SampleCount());
  if (from > values_.size() || values_.size() - from < n) return;
  for (std::size_t i = 0; i < n; ++i) {
    const GSensorValue& v = values_[from + i];
    block.SetSample(static_cast<int>(i), {v.x, v.y, v.z});
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
  values_.clear();
  ++listEpoch_;
}

std::size_t CSensorData::SampleCount() const {
  CCritLock lock(lock_);
  return values_.size();
}

std::vector<GSensorValue> CSensorData::Samples(std::size_t from, std::size_t count) const {
  CCritLock lock(lock_);
  if (from >= values_.size()) return {};
  const std::size_t n = std::min(count, values_.size() - from);
  return {values_.begin() + static_cast<std::ptrdiff_t>(from), values_.begin() + static_cast<std::ptrdiff_t>(from + n)};
}

IndexBlockA5 CSensorData::FirstBlock() const {
  CCritLock lock(lock_);
  return first_;
}

IndexBlockA5 CSensorData::CurrentBlock() const {
  CCritLock lock(lock_);
  return current_;
}
