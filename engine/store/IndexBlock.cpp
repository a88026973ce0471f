#include "engine/store/IndexBlock.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteOrder.h"

using plat::LoadHost16;
using plat::LoadHost32;
using plat::StoreHost16;
using plat::StoreHost32;

namespace {

constexpr std::size_t kSequence = 4;
constexpr std::size_t kEvents = 8;
constexpr std::size_t kEventSize = 12;
constexpr std::size_t kFirstChunk = 200;
constexpr std::size_t kStartDate = 204;
constexpr std::size_t kEventCount = 213;
constexpr std::size_t kLastChunk = 216;
constexpr std::size_t kEndDate = 220;
constexpr std::size_t kWords228 = 228;
constexpr std::size_t kWord240 = 240;
constexpr std::size_t kBookkeeping = 244;  // 24 bytes that only ever held in-memory data
constexpr std::size_t kBookkeepingSize = 24;
constexpr std::size_t kGeneration = 504;
constexpr std::size_t kTrailerEventCode = 22;

RecorderDate DateAt(const std::uint8_t* p) {
  RecorderDate d;
  std::memcpy(d.data(), p, d.size());
  return d;
}

bool IsValidBlock(const std::uint8_t* stored, std::uint32_t magic, std::optional<std::uint32_t> generation) {
  return LoadHost32(stored) == magic && (!generation || StoredGeneration(stored) == *generation) &&
         HasValidXorChecksum32(stored, kCardBlockSize) && LoadHost32(stored + kSequence) != 0;
}

}  // namespace

std::uint32_t IndexBlockFE::Magic() const { return LoadHost32(&bytes[0]); }
std::uint32_t IndexBlockFE::Sequence() const { return LoadHost32(&bytes[kSequence]); }
void IndexBlockFE::SetSequence(std::uint32_t v) { StoreHost32(&bytes[kSequence], v); }
std::uint32_t IndexBlockFE::FirstChunk() const { return LoadHost32(&bytes[kFirstChunk]); }
void IndexBlockFE::SetFirstChunk(std::uint32_t v) { StoreHost32(&bytes[kFirstChunk], v); }
std::uint32_t IndexBlockFE::LastChunk() const { return LoadHost32(&bytes[kLastChunk]); }
void IndexBlockFE::SetLastChunk(std::uint32_t v) { StoreHost32(&bytes[kLastChunk], v); }
RecorderDate IndexBlockFE::StartDate() const { return DateAt(&bytes[kStartDate]); }
void IndexBlockFE::SetStartDate(const RecorderDate& d) { std::memcpy(&bytes[kStartDate], d.data(), d.size()); }
RecorderDate IndexBlockFE::EndDate() const { return DateAt(&bytes[kEndDate]); }
void IndexBlockFE::SetEndDate(const RecorderDate& d) { std::memcpy(&bytes[kEndDate], d.data(), d.size()); }
int IndexBlockFE::EventCount() const { return std::min<int>(bytes[kEventCount], kMaxEventRecords); }
void IndexBlockFE::SetEventCount(int n) { bytes[kEventCount] = static_cast<std::uint8_t>(std::clamp(n, 0, kMaxEventRecords)); }
std::uint32_t IndexBlockFE::Generation() const { return LoadHost32(&bytes[kGeneration]); }
void IndexBlockFE::SetGeneration(std::uint32_t v) { StoreHost32(&bytes[kGeneration], v); }

EventRecord IndexBlockFE::Event(int i) const {
  EventRecord e;
  if (i < 0 || i >= kMaxEventRecords) return e;
  const std::uint8_t* p = &bytes[kEvents + static_cast<std::size_t>(i) * kEventSize];
  e.chunk = LoadHost32(p);
  e.date = DateAt(p + 4);
  e.code = LoadHost16(p + 10);
  return e;
}

void IndexBlockFE::SetEvent(int i, const EventRecord& e) {
  if (i < 0 || i >= kMaxEventRecords) return;
  std::uint8_t* p = &bytes[kEvents + static_cast<std::size_t>(i) * kEventSize];
  StoreHost32(p, e.chunk);
  std::memcpy(p + 4, e.date.data(), e.date.size());
  StoreHost16(p + 10, e.code);
}

std::uint32_t IndexBlockA5::Magic() const { return LoadHost32(&bytes[0]); }
std::uint32_t IndexBlockA5::Sequence() const { return LoadHost32(&bytes[kSequence]); }
RecorderDate IndexBlockA5::Date() const { return DateAt(&bytes[8]); }
int IndexBlockA5::SampleCount() const { return std::min<int>(bytes[kTrailerSampleCountAt], kMaxSensorSamples); }
std::uint16_t IndexBlockA5::EventCode() const { return LoadHost16(&bytes[kTrailerEventCode]); }
std::uint32_t IndexBlockA5::FrameRateWord() const { return LoadHost32(&bytes[20]); }
std::uint32_t IndexBlockA5::FramesPerSecond() const {
  const std::uint32_t fps = FrameRateWord() & 0xFFFF;
  return fps >= 1 && fps <= 120 ? fps : 0;
}
std::array<std::int16_t, 3> IndexBlockA5::Sample(int i) const {
  std::array<std::int16_t, 3> s{};
  if (i < 0 || i >= kMaxSensorSamples) return s;
  const std::uint8_t* p = &bytes[kTrailerSamplesAt + static_cast<std::size_t>(i) * kTrailerSampleSize];
  for (std::size_t k = 0; k < s.size(); ++k) s[k] = static_cast<std::int16_t>(LoadHost16(p + k * 2));
  return s;
}
void IndexBlockA5::SetSample(int i, const std::array<std::int16_t, 3>& xyz) {
  if (i < 0 || i >= kMaxSensorSamples) return;
  std::uint8_t* p = &bytes[kTrailerSamplesAt + static_cast<std::size_t>(i) * kTrailerSampleSize];
  for (std::size_t k = 0; k < xyz.size(); ++k) StoreHost16(p + k * 2, static_cast<std::uint16_t>(xyz[k]));
}
std::uint32_t IndexBlockA5::Generation() const { return LoadHost32(&bytes[kGeneration]); }

bool IsValidIndexBlockFE(const std::uint8_t* stored, std::optional<std::uint32_t> generation) {
  return IsValidBlock(stored, kIndexBlockFEMagic, generation);
}

bool IsValidIndexBlockA5(const std::uint8_t* stored, std::optional<std::uint32_t> generation) {
  return IsValidBlock(stored, kIndexBlockA5Magic, generation);
}

void SwapIndexBlockFE(std::uint8_t* b) {
  plat::Swap32At(b + kSequence);
  plat::Swap32At(b + kFirstChunk);
  for (std::size_t i = 0; i < kMaxEventRecords; ++i) {
    plat::Swap32At(b + kEvents + i * kEventSize);
    plat::Swap16At(b + kEvents + i * kEventSize + 10);
  }
  plat::Swap32At(b + kLastChunk);
  for (std::size_t i = 0; i < 5; ++i) plat::Swap16At(b + kWords228 + i * 2);
  plat::Swap32At(b + kWord240);
  plat::Swap32At(b + kGeneration);
}

void SwapIndexBlockA5(std::uint8_t* b) {
  plat::Swap32At(b + kSequence);
  plat::Swap16At(b + kTrailerEventCode);
  for (std::size_t i = 0; i < kMaxSensorSamples * 3; ++i) plat::Swap16At(b + kTrailerSamplesAt + i * 2);
  plat::Swap32At(b + kGeneration);
}

std::optional<IndexBlockFE> ReadIndexBlockFE(const std::uint8_t* stored, std::optional<std::uint32_t> generation) {
  if (!IsValidIndexBlockFE(stored, generation)) return std::nullopt;
  IndexBlockFE block;
  std::memcpy(block.bytes.data(), stored, kCardBlockSize);
  SwapIndexBlockFE(block.bytes.data());
  return block;
}

std::optional<IndexBlockA5> ReadIndexBlockA5(const std::uint8_t* stored, std::optional<std::uint32_t> generation) {
  if (!IsValidIndexBlockA5(stored, generation)) return std::nullopt;
  IndexBlockA5 block;
  std::memcpy(block.bytes.data(), stored, kCardBlockSize);
  SwapIndexBlockA5(block.bytes.data());
  return block;
}

std::uint32_t StoredGeneration(const std::uint8_t* stored) { return plat::LoadBe32(stored + kGeneration); }

void InitIndexBlockFE(std::uint8_t* block, std::uint32_t sequence, std::uint8_t flag210, std::uint8_t flag211,
                      std::uint32_t generation) {
  std::memset(block, 0, kCardBlockSize);
  StoreHost32(block, kIndexBlockFEMagic);
  StoreHost32(block + kSequence, sequence);
  block[kWords228] = 1;
  block[kWords228 + 1] = 1;
  block[210] = flag210;
  block[211] = flag211;
  StoreHost32(block + kGeneration, generation);
}

std::array<std::uint8_t, kCardBlockSize> StoreOrderEntry(const IndexBlockFE& entry) {
  std::array<std::uint8_t, kCardBlockSize> out = entry.bytes;
  SwapIndexBlockFE(out.data());
  std::memset(&out[kBookkeeping], 0, kBookkeepingSize);
  SetXorChecksum32(out.data(), kCardBlockSize);
  return out;
}
