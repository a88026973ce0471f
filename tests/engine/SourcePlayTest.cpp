// The card source playing fixture stores forward: what reaches the queues, in which order, with
// which words, and where the data ends.
#include <gtest/gtest.h>

#include "tests/engine/SourceTestSupport.h"

using namespace sourcetest;

namespace {

// Compares the items the consumer took with what the fixture says a forward play at 1.0 queues:
// one marker per chunk before the frames that chunk completes, every frame whole with its words.
void ExpectForwardItems(const TestConsumer& consumer, const ExpectedPlay& expected) {
  std::size_t frame = 0;
  std::ptrdiff_t chunk = -1;
  for (const TakenItem& t : consumer.Video()) {
    if (t.item.type == kItemEnd) break;
    if (t.item.type == kItemMarker) {
      ++chunk;
      ASSERT_LT(static_cast<std::size_t>(chunk), expected.chunks.size());
      EXPECT_EQ(t.item.seq, expected.chunks[static_cast<std::size_t>(chunk)].sequence);
      continue;
    }
    ASSERT_LT(frame, expected.video.size());
    const ExpectedItem& want = expected.video[frame++];
    ASSERT_EQ(t.item.type, want.type) << "frame " << frame - 1;
    ASSERT_EQ(t.bytes, want.bytes) << "frame " << frame - 1;
    ASSERT_EQ(static_cast<std::size_t>(chunk), want.chunk) << "frame " << frame - 1;
    const fixtures::ChunkInfo& c = expected.chunks[want.chunk];
    EXPECT_EQ(t.item.chunkTime, c.time);
    EXPECT_EQ(t.item.seq, c.sequence);
    EXPECT_EQ(t.item.aux, c.frameRate);
    EXPECT_EQ(t.item.speed, 1.0);
  }
  EXPECT_EQ(frame, expected.video.size());
  EXPECT_EQ(static_cast<std::size_t>(chunk + 1), expected.chunks.size());
}

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

}  // namespace

TEST(SourcePlay, ForwardPlayQueuesEveryFrameWholeAfterItsChunksMarkerThenOneEndItem) {
  fixtures::StoreSpec spec = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 5.0);
  spec.recordings[1].events = {{2, 1}};  // an event chunk's trailer word keeps the frame rate
  Fixture fixture(spec);
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
  EXPECT_EQ(rig.source.Demux().DroppedFrames(), 0u);
  EXPECT_EQ(rig.source.InvalidChunks(), 0u);
}
