// The card source's sensor data: blocks of fixture chunks taken in, and the markers' copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/store/CardStore.h"
#include "engine/stream/SensorData.h"
#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

namespace {

constexpr std::size_t kSamplesAt = 44;
constexpr std::size_t kGpsAt = 344;

// The trailers of a recording's chunks in host order, as the store holds them.
std::vector<IndexBlockA5> Trailers(const fixtures::Layout& layout, int recording) {
  CCardStore store;
  store.SetStoreSource(kSourceBackupFile, 0, layout.path);
  std::vector<IndexBlockA5> out;
  if (!store.OpenStore()) return out;
  const fixtures::RecordingInfo& r = layout.recordings[static_cast<std::size_t>(recording)];
  for (const IndexEntry* e : store.EntryList()) {
    if (e->FirstChunk() != r.entry.first) continue;
    std::vector<std::uint8_t> chunk(kChunkSize);
    for (std::size_t k = 0; k < r.chunks.size(); ++k) {
      if (!store.ReadChunk(e->dataOffset + k * kChunkSize, chunk.data())) return {};
      IndexBlockA5 block;
      std::memcpy(block.bytes.data(), chunk.data() + kChunkPayloadSize, kCardBlockSize);
      SwapIndexBlockA5(block.bytes.data());
      out.push_back(block);
    }
  }
  return out;
}

QueueItem MarkerOf(const CSensorData::Slot& slot) {
  QueueItem m;
  m.data = slot.block;
  m.length = kMarkerLength;
  m.type = kItemMarker;
  m.aux = slot.sampleIndex;
  m.spare = slot.serial;
  return m;
}

IndexBlockA5 Taken(CSensorData& sensors, const CSensorData::Slot& slot) {
  IndexBlockA5 block;
  EXPECT_TRUE(sensors.TakeMarker(MarkerOf(slot), block.bytes.data()));
  return block;
}

void ZeroSample(IndexBlockA5& block, std::size_t i) { std::fill_n(&block.bytes[kSamplesAt + 6 * i], 6, 0); }

GSensorValue ValueOf(const IndexBlockA5& block, int i) {
  const auto s = block.Sample(i);
  return {s[0], s[1], s[2]};
}

class SensorData : public ::testing::Test {
 protected:
  void SetUp() override {
    fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0);
    desc.recordings[1].hasGps = false;
    fixture_ = std::make_unique<Fixture>(desc);
    ASSERT_TRUE(fixture_->ok());
    withGps_ = Trailers(fixture_->layout(), 0);
    withoutGps_ = Trailers(fixture_->layout(), 1);
    ASSERT_GE(withGps_.size(), 3u);
    ASSERT_GE(withoutGps_.size(), 2u);
    ASSERT_TRUE(withGps_[0].HasGpsText());
    ASSERT_FALSE(withoutGps_[0].HasGpsText());
  }

  std::unique_ptr<Fixture> fixture_;
  std::vector<IndexBlockA5> withGps_;
  std::vector<IndexBlockA5> withoutGps_;
  CSensorData sensors_;
};

}  // namespace

TEST_F(SensorData, TheFirstBlockKeepsNoSamplesGpsIsCarriedAndAZeroSampleRepeatsTheOneBefore) {
  const CSensorData::Slot first = sensors_.TakeIn(withGps_[0]);
  const IndexBlockA5 kept = sensors_.FirstBlock();
  EXPECT_EQ(kept.bytes[17], 0);
  EXPECT_TRUE(std::all_of(&kept.bytes[kSamplesAt], &kept.bytes[kSamplesAt + 150], [](BYTE b) { return b == 0; }));
  EXPECT_TRUE(std::equal(&kept.bytes[kSamplesAt + 150], kept.bytes.data() + kCardBlockSize, &withGps_[0].bytes[kSamplesAt + 150]));
  EXPECT_EQ(Taken(sensors_, first).bytes, withGps_[0].bytes);

  IndexBlockA5 zeroed = withGps_[1];
  ZeroSample(zeroed, 2);
  const CSensorData::Slot second = sensors_.TakeIn(zeroed);
  EXPECT_EQ(second.sampleIndex, static_cast<std::uint32_t>(withGps_[0].SampleCount()));
  EXPECT_EQ(ValueOf(Taken(sensors_, second), 2), ValueOf(withGps_[1], 1));

  const CSensorData::Slot third = sensors_.TakeIn(withoutGps_[0]);
  const IndexBlockA5 carried = Taken(sensors_, third);
  EXPECT_TRUE(std::equal(&carried.bytes[kGpsAt], &carried.bytes[kGpsAt + kGpsCarrySize], &withGps_[1].bytes[kGpsAt]));
  EXPECT_EQ(carried.Sequence(), withoutGps_[0].Sequence());
  BYTE shown[kCardBlockSize];
  EXPECT_TRUE(sensors_.GetSensorBlock(shown, true));
  EXPECT_TRUE(std::equal(shown, shown + kCardBlockSize, carried.bytes.begin()));
  EXPECT_FALSE(sensors_.GetSensorBlock(shown, false));  // the source does not run
}

TEST_F(SensorData, CountsAndTextsFromTheCardStayInsideTheBlock) {
  IndexBlockA5 block = withGps_[0];
  block.bytes[17] = 200;
  std::fill_n(&block.bytes[kGpsAt], kGpsCarrySize, static_cast<BYTE>('A'));  // texts without an end
  const CSensorData::Slot slot = sensors_.TakeIn(block);
  EXPECT_EQ(sensors_.SampleCount(), static_cast<std::size_t>(kMaxSensorSamples));
  // Past the chunk's own samples the block holds zeros, which repeat its last sample.
  const int own = withGps_[0].SampleCount();
  IndexBlockA5 want = block;
  for (int i = own; i < kMaxSensorSamples; ++i) {
    std::memcpy(&want.bytes[kSamplesAt + 6 * static_cast<std::size_t>(i)], &block.bytes[kSamplesAt + 6 * static_cast<std::size_t>(own - 1)], 6);
  }
  EXPECT_EQ(Taken(sensors_, slot).bytes, want.bytes);
  const CSensorData::Slot next = sensors_.TakeIn(withoutGps_[1]);
  const IndexBlockA5 carried = Taken(sensors_, next);
  EXPECT_TRUE(std::all_of(&carried.bytes[kGpsAt], &carried.bytes[kGpsAt + kGpsCarrySize], [](BYTE b) { return b == 'A'; }));
  EXPECT_EQ(carried.Generation(), withoutGps_[1].Generation());
}

TEST_F(SensorData, TheRingWrapsAndAMarkerNeverHandsOverAnotherChunksBlock) {
  const CSensorData::Slot old = sensors_.TakeIn(withGps_[0]);
  CSensorData::Slot last;
  for (std::size_t i = 1; i < kSensorRingSlots; ++i) last = sensors_.TakeIn(withGps_[i % withGps_.size()]);
  EXPECT_NE(last.block, old.block);
  const CSensorData::Slot wrapped = sensors_.TakeIn(withoutGps_[0]);
  EXPECT_EQ(wrapped.block, old.block);
  IndexBlockA5 out;
  EXPECT_FALSE(sensors_.TakeMarker(MarkerOf(old), out.bytes.data()));
  EXPECT_EQ(Taken(sensors_, wrapped).Sequence(), withoutGps_[0].Sequence());
  QueueItem foreign = MarkerOf(wrapped);
  foreign.data = out.bytes.data();
  EXPECT_FALSE(sensors_.TakeMarker(foreign, out.bytes.data()));
}

TEST_F(SensorData, AMarkerTakenAfterTheValuesWereClearedKeepsItsOwnSamples) {
  IndexBlockA5 zeroed = withGps_[1];
  ZeroSample(zeroed, 0);
  sensors_.TakeIn(withGps_[0]);
  const CSensorData::Slot slot = sensors_.TakeIn(zeroed);
  sensors_.ClearSamples();
  sensors_.TakeIn(withGps_[2]);
  sensors_.TakeIn(withGps_[2]);
  const IndexBlockA5 copy = Taken(sensors_, slot);
  EXPECT_EQ(copy.bytes, zeroed.bytes);  // not the samples now at its old index
}
