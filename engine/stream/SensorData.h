// The sensor data of the card source: every chunk's 512-byte trailer (G-sensor samples, GPS
// texts) as the source takes it in, the ring of blocks that the video queue's markers point at,
// each with its G-sensor values as the value list gives them, and the shared block that the main
// window reads. Its memory is fixed: a play of hours keeps no more than a play of seconds. One
// lock guards all of it: the source thread writes, the video thread takes markers, the UI thread
// reads.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/store/IndexBlock.h"
#include "engine/stream/QueueItem.h"
#include "engine/stream/SensorMarkers.h"
#include "platform/Sync.h"

constexpr std::size_t kSensorRingSlots = 4096;
constexpr std::size_t kGpsCarrySize = kTrailerGpsTextsEnd - kTrailerGpsTextAt;  // both GPS texts of a block

struct GSensorValue {
  std::int16_t x = 0, y = 0, z = 0;
  bool operator==(const GSensorValue&) const = default;
};

class CSensorData : public ISensorMarkers {
 public:
  // Where a block taken in lies, for the chunk's marker item: the ring slot (the marker's data),
  // the number of G-sensor values taken in before it (the marker's aux word) and the take-in
  // number (the marker's spare word), by which a marker recognises its own block.
  struct Slot {
    BYTE* block = nullptr;  // read only through TakeMarker
    std::uint32_t sampleIndex = 0;
    std::uint32_t serial = 0;
  };

  CSensorData();
  CSensorData(const CSensorData&) = delete;
  CSensorData& operator=(const CSensorData&) = delete;

  // A new play: the next block taken in becomes the first block.
  void StartPlay();
  // A chunk's trailer (host order) while playing. The first block of a play is kept with its
  // samples cleared; a block without GPS text gets the last texts seen; the block becomes the
  // current one and goes into the next ring slot; its samples (at most 50) join the value list,
  // an all-zero sample repeating the values before it, and the slot keeps them so.
  Slot TakeIn(const IndexBlockA5& trailer);
  // A chunk's trailer in a job: it becomes the current and the first block.
  void TakeJobBlock(const IndexBlockA5& trailer);
  // Range mode: the trailer is also what the main window reads.
  void Publish(const IndexBlockA5& trailer);
  // The consumer of a marker item: copies its block with the samples rebuilt from the value
  // lists, and publishes it as the block the main window reads. Only the copy is edited. False
  // for a marker whose slot holds another block by now.
  bool TakeMarker(const QueueItem& marker, BYTE* out) override;
  // A copy of the published block; its magic is cleared when the source is not running. True
  // when the copy begins with the trailer magic.
  bool GetSensorBlock(BYTE* out, bool sourceRunning) const;
  // Starts the value list afresh: the blocks taken in before keep their own samples.
  void ClearSamples();

  // G-sensor values taken in since the value list last started.
  std::size_t SampleCount() const;
  IndexBlockA5 FirstBlock() const;
  IndexBlockA5 CurrentBlock() const;

 private:
  struct SlotMark {
    std::uint32_t serial = 0;
    std::uint32_t listEpoch = 0;  // which filling of the value list the slot's values belong to
  };
  using SlotValues = std::array<GSensorValue, kMaxSensorSamples>;

  void KeepFirstBlock(const IndexBlockA5& block);
  void CarryGps(IndexBlockA5& block);
  void AppendSamples(const IndexBlockA5& block, SlotValues& into);
  static void RebuildSamples(IndexBlockA5& block, const SlotValues& values);

  CCritSecs lock_;
  IndexBlockA5 current_;
  IndexBlockA5 shared_;
  IndexBlockA5 first_;
  bool haveFirst_ = false;
  std::unique_ptr<std::array<IndexBlockA5, kSensorRingSlots>> ring_;
  std::array<SlotMark, kSensorRingSlots> marks_{};
  std::uint32_t serial_ = 0;
  std::array<BYTE, kGpsCarrySize> lastGps_{};
  std::unique_ptr<std::array<SlotValues, kSensorRingSlots>> values_;
  std::uint32_t valueCount_ = 0;  // values in the list since it last started
  GSensorValue lastValue_;        // the list's last value, repeated by an all-zero sample
  std::uint32_t listEpoch_ = 0;
};
