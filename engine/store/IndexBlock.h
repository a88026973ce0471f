// The two 512-byte blocks of the card layout: the index entry (one per 16 MB data block) and the
// chunk trailer that ends every 16 KB chunk and carries the sensor data. On the store numbers are
// big-endian; in memory a block is kept in host order after SwapIndexBlockFE/A5.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "recorder/CardBlocks.h"
#include "recorder/RecorderDate.h"

constexpr std::uint32_t kIndexBlockFEMagic = 0xFEFEFEFE;  // stored FE FE FE FE
constexpr std::uint32_t kIndexBlockA5Magic = 0xA5010000;  // stored 00 00 01 A5
constexpr std::size_t kChunkSize = 16384;
constexpr std::size_t kChunkPayloadSize = 15872;  // stream data before the trailer
constexpr std::size_t kChunksPerBlock = kDataBlockSize / kChunkSize;  // 1,024 in a 16 MB block
constexpr std::size_t kMaxChunksPerEntry = 2048;  // an entry may run on into the next block
constexpr int kMaxEventRecords = 16;
constexpr int kMaxSensorSamples = 50;

// Event types of an index entry.
constexpr std::uint8_t kEventNone = 0;
constexpr std::uint8_t kEventCodeOne = 1;
constexpr std::uint8_t kEventOtherCode = 2;
constexpr std::uint8_t kEventInvalid = 4;  // only ever set in memory

struct EventRecord {
  std::uint32_t chunk = 0;  // chunk sequence of the event
  RecorderDate date{};
  std::uint16_t code = 0;
};

// An index entry in host order.
struct IndexBlockFE {
  std::array<std::uint8_t, kCardBlockSize> bytes{};

  std::uint32_t Magic() const;
  std::uint32_t Sequence() const;
  void SetSequence(std::uint32_t v);
  std::uint32_t FirstChunk() const;
  void SetFirstChunk(std::uint32_t v);
  std::uint32_t LastChunk() const;  // 0 = not known
  void SetLastChunk(std::uint32_t v);
  RecorderDate StartDate() const;
  void SetStartDate(const RecorderDate& d);
  RecorderDate EndDate() const;
  void SetEndDate(const RecorderDate& d);
  std::uint8_t ChunkFlag() const { return bytes[210]; }  // a chunk had its byte 15 set
  void SetChunkFlag(std::uint8_t v) { bytes[210] = v; }
  std::uint8_t CompletedFlag() const { return bytes[211]; }
  void SetCompletedFlag(std::uint8_t v) { bytes[211] = v; }
  std::uint8_t EventType() const { return bytes[212]; }
  void SetEventType(std::uint8_t v) { bytes[212] = v; }
  // The stored count may be anything up to 255; only 16 records exist.
  int EventCount() const;
  void SetEventCount(int n);
  std::uint8_t EntryFlagByte() const { return bytes[227]; }
  EventRecord Event(int i) const;  // i in 0..15
  void SetEvent(int i, const EventRecord& e);
  std::uint32_t Generation() const;
  void SetGeneration(std::uint32_t v);
  std::int64_t StartTime() const { return RecorderDateToLocalTime(StartDate()); }
  std::int64_t EndTime() const { return RecorderDateToLocalTime(EndDate()); }
};

// Where a chunk trailer keeps its sensor data: the sample count, the samples (x, y, z as 16-bit
// words) and the two 80-byte GPS texts, which end where the generation begins.
constexpr std::size_t kTrailerSampleCountAt = 17;
constexpr std::size_t kTrailerSamplesAt = 44;
constexpr std::size_t kTrailerSampleSize = 6;
constexpr std::size_t kTrailerGpsTextAt = 344;
constexpr std::size_t kTrailerGpsTextSize = 80;
constexpr std::size_t kTrailerSecondGpsTextAt = kTrailerGpsTextAt + kTrailerGpsTextSize;
constexpr std::size_t kTrailerGpsTextsEnd = kTrailerSecondGpsTextAt + kTrailerGpsTextSize;

// A chunk trailer in host order.
struct IndexBlockA5 {
  std::array<std::uint8_t, kCardBlockSize> bytes{};

  std::uint32_t Magic() const;
  std::uint32_t Sequence() const;
  RecorderDate Date() const;
  std::uint8_t Stream() const { return bytes[14]; }
  std::uint8_t ChunkFlag() const { return bytes[15]; }
  std::uint8_t EventFlag() const { return bytes[16]; }
  // The sample count of the trailer, never more than the 50 samples a trailer holds.
  int SampleCount() const;
  std::uint16_t EventCode() const;
  // The 32-bit word at bytes 20..23 as it stands in memory.
  std::uint32_t FrameRateWord() const;
  // The frame rate: the 16-bit value at bytes 20..21 when it is 1..120, else 0 (no rate). The
  // event code in bytes 22..23 never changes it.
  std::uint32_t FramesPerSecond() const;
  std::array<std::int16_t, 3> Sample(int i) const;  // x, y, z of sample i in 0..49
  void SetSample(int i, const std::array<std::int16_t, 3>& xyz);
  // 80 bytes, not terminated.
  const std::uint8_t* GpsText(int i) const { return &bytes[i == 0 ? kTrailerGpsTextAt : kTrailerSecondGpsTextAt]; }
  bool HasGpsText() const { return bytes[kTrailerGpsTextAt] != 0 || bytes[kTrailerSecondGpsTextAt] != 0; }
  std::uint32_t Generation() const;
  std::int64_t Time() const { return RecorderDateToLocalTime(Date()); }
};

// Validation on a block as stored: magic, generation (when given, compared in store order),
// checksum and a non-zero sequence number.
bool IsValidIndexBlockFE(const std::uint8_t* stored, std::optional<std::uint32_t> generation);
bool IsValidIndexBlockA5(const std::uint8_t* stored, std::optional<std::uint32_t> generation);

// Turn a block from store order into host order and back.
void SwapIndexBlockFE(std::uint8_t* block);
void SwapIndexBlockA5(std::uint8_t* block);

// A block as stored, validated as above and turned into host order; nothing when it is not valid.
std::optional<IndexBlockFE> ReadIndexBlockFE(const std::uint8_t* stored, std::optional<std::uint32_t> generation);
std::optional<IndexBlockA5> ReadIndexBlockA5(const std::uint8_t* stored, std::optional<std::uint32_t> generation);
// The generation of a block as stored.
std::uint32_t StoredGeneration(const std::uint8_t* stored);

// A fresh entry in host order: all zero but the magic, the sequence, bytes 228 and 229 (1), the
// two flag bytes 210 and 211 and the generation. The checksum is left for the writer.
void InitIndexBlockFE(std::uint8_t* block, std::uint32_t sequence, std::uint8_t flag210, std::uint8_t flag211,
                      std::uint32_t generation);

// The store-order bytes of an entry as a writer puts them on a store: swapped back, the bytes that
// only ever held in-memory bookkeeping zeroed, and a fresh checksum.
std::array<std::uint8_t, kCardBlockSize> StoreOrderEntry(const IndexBlockFE& entry);
