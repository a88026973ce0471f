// The card source playing fixture stores forward: what reaches the queues, in which order, with
// which words, and where the data ends.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine/stream/SourceTestSupport.h"
#include "tests/support/ScopedEnvironment.h"

using namespace sourcetest;

namespace {

void ExpectSound(const TestConsumer& consumer, const ExpectedPlay& expected) {
  const std::vector<TakenItem> audio = consumer.Audio();
  ASSERT_EQ(audio.size(), expected.audio.size());
  for (std::size_t i = 0; i < audio.size(); ++i) {
    EXPECT_EQ(audio[i].item.type, kItemPcm16);
    ASSERT_EQ(audio[i].bytes, expected.audio[i].bytes) << "sound frame " << i;
    EXPECT_EQ(audio[i].item.stamp, expected.audio[i].stamp) << "sound frame " << i;
    EXPECT_EQ(audio[i].item.chunkTime, expected.chunks[expected.audio[i].chunk].time);
  }
}

// Every marker hands over its chunk's sensor block: sequence, G-sensor samples and GPS text as the
// builder wrote them.
void ExpectMarkerBlocks(const TestConsumer& consumer, const ExpectedPlay& expected) {
  const std::vector<TakenItem> markers = consumer.Markers();
  ASSERT_EQ(markers.size(), expected.chunks.size());
  for (std::size_t i = 0; i < markers.size(); ++i) {
    ASSERT_TRUE(markers[i].blockTaken) << i;
    IndexBlockA5 block;
    std::copy(markers[i].bytes.begin(), markers[i].bytes.end(), block.bytes.begin());
    const fixtures::ChunkInfo& c = expected.chunks[i];
    EXPECT_EQ(block.Sequence(), c.sequence);
    ASSERT_EQ(block.SampleCount(), static_cast<int>(c.samples.size()));
    for (int k = 0; k < block.SampleCount(); ++k) {
      const auto s = block.Sample(k);
      const fixtures::GSample& want = c.samples[static_cast<std::size_t>(k)];
      EXPECT_EQ((fixtures::GSample{s[0], s[1], s[2]}), want) << i << " sample " << k;
    }
    const char* gps = reinterpret_cast<const char*>(block.GpsText(0));
    EXPECT_EQ(std::string(gps, strnlen(gps, 80)), c.gps);
  }
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's run-time library answers this; not every compiler ships its header.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Heap bytes in use, where the address sanitizer's allocator tells them; 0 without it.
std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return 0;
#endif
}

std::vector<std::uint32_t> Sequences(const fixtures::RecordingInfo& r, int from, int to) {
  std::vector<std::uint32_t> out;
  for (int k = from; k < to; ++k) out.push_back(r.chunks[static_cast<std::size_t>(k)].sequence);
  return out;
}

}  // namespace

TEST(SourcePlay, ForwardPlayQueuesEveryFrameWholeAfterItsChunksMarkerThenOneEndItem) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 5.0);
  desc.recordings[1].events = {{2, 1}};  // an event chunk's trailer word keeps the frame rate
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  Sleep(50);
  EXPECT_EQ(rig.consumer.EndItems(), 1u);
  EXPECT_EQ(rig.source.LastEnd(), SourceEnd::kData);
  EXPECT_TRUE(rig.source.IsRunning());  // idle until a seek or a stop
  const ExpectedPlay expected = ExpectForward(fixture, {0, 1});
  ExpectForwardItems(rig.consumer, expected);
  ExpectSound(rig.consumer, expected);
  ExpectMarkerBlocks(rig.consumer, expected);
  EXPECT_EQ(rig.source.Demux().DroppedFrames(), 0u);
  EXPECT_EQ(rig.source.InvalidChunks(), 0u);
  EXPECT_EQ(rig.source.Demux().StreamResets(), 1u);  // the first chunk starts a sequence
  EXPECT_EQ(rig.state.bytesRead.load(), expected.chunks.size() * kChunkSize);
}

TEST(SourcePlay, AnEntryTakenBeforeAThousandReopeningsPlaysAndTheReopeningsKeepNoMemory) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kCard, 3, 1.0), "card");
  ASSERT_TRUE(fixture.ok());
  ScopedEnvironment drive("PLAYER_DRIVE_0", fixture.layout().path.c_str());
  SourceRig rig(fixture.layout());
  IndexEntry* second = rig.EntryOf(1);
  ASSERT_NE(second, nullptr);
  rig.source.CloseStore();
  ASSERT_NE(rig.source.OpenStore(), nullptr);
  const std::size_t heap = HeapInUse();
  const std::size_t objects = rig.source.EntryObjectCount();
  for (int i = 0; i < 1000; ++i) {
    rig.source.CloseStore();
    ASSERT_NE(rig.source.OpenStore(), nullptr);
  }
  EXPECT_EQ(rig.source.EntryObjectCount(), objects);
  EXPECT_LT(HeapInUse(), heap + 64 * 1024);

  ASSERT_TRUE(rig.source.SetEntryRange(second, 0));
  rig.state.open = true;
  rig.consumer.Start();
  ASSERT_TRUE(rig.source.Start());
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectForwardItems(rig.consumer, ExpectForward(fixture, {1, 2}));
}

TEST(SourcePlay, IndexSourcesReadTheirDataFromOneRawFileAfterTheOther) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kIdx, 2, 2.0);
  desc.recordings[0].slot = 63;  // the last block of the first data file
  desc.recordings[1].slot = 64;  // the first of the second
  Fixture fixture(desc, "index");
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_NE(rig.EntryOf(0), nullptr);
  const unsigned opened = rig.source.RawFileOpenCount();
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const ExpectedPlay expected = ExpectForward(fixture, {0, 1});
  ExpectForwardItems(rig.consumer, expected);
  ExpectSound(rig.consumer, expected);
  EXPECT_EQ(rig.source.RawFileOpenCount() - opened, 2u);
}

TEST(SourcePlay, PlayStartsAtTheChosenEventAndEndsBeforeANewSequence) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  desc.recordings[0].events = {{5, 1}};
  desc.recordings[0].entrySequence = 5;
  desc.recordings[1].entrySequence = 1;  // the recorder started a new sequence
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& first = fixture.layout().recordings[0];
  const int chunks = static_cast<int>(first.chunks.size());
  for (int event : {1, 3}) {  // event 3 does not exist: the entry's start
    SourceRig rig(fixture.layout());
    ASSERT_TRUE(rig.Play(0, event));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    EXPECT_EQ(MarkerSequences(rig.consumer), Sequences(first, event == 1 ? 5 : 0, chunks)) << event;
    EXPECT_EQ(rig.consumer.EndItems(), 1u);
  }
}

TEST(SourcePlay, ChunksOfTheSecondCameraArePassedOverAndFramesAroundThemArriveWhole) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0);
  desc.recordings[0].otherStreamChunks = {3, 4, 9};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  ExpectForwardItems(rig.consumer, expected);
  ExpectSound(rig.consumer, expected);
  EXPECT_EQ(rig.source.Demux().StreamResets(), 1u);
  EXPECT_EQ(rig.source.InvalidChunks(), 0u);
}

TEST(SourcePlay, DamagedChunksArePassedOverAndABreakInTheSequenceResetsTheStreamOnce) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0);
  desc.damage = {fixtures::Damage::ZeroChunk(0, 10), fixtures::Damage::ForeignGenerationChunk(0, 20)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_EQ(rig.source.InvalidChunks(), 2u);
  EXPECT_EQ(rig.source.Demux().StreamResets(), 3u);  // the first chunk, and the chunk after each hole
  // A reset flushes what the consumer has not taken yet; the chunks after the last hole all
  // arrive, and whatever arrived is whole and in order.
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  const std::vector<std::uint32_t> markers = MarkerSequences(rig.consumer);
  const std::vector<std::uint32_t> tail = Sequences(r, 21, static_cast<int>(r.chunks.size()));
  ASSERT_GE(markers.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), markers.end() - static_cast<std::ptrdiff_t>(tail.size())));
  for (std::uint32_t seq : markers) {
    EXPECT_NE(seq, r.chunks[10].sequence);
    EXPECT_NE(seq, r.chunks[20].sequence);
  }
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  std::size_t at = 0;
  for (const TakenItem& t : rig.consumer.Frames()) {
    while (at < expected.video.size() && expected.video[at].bytes != t.bytes) ++at;
    ASSERT_LT(at, expected.video.size()) << "a frame that is not whole, or out of order";
    ++at;
  }
}
