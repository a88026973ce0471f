// The card source at the limits: a store that ends early, and markers that would outrun the ring
// of sensor blocks.
#include <gtest/gtest.h>

#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

TEST(SourceLimits, AStoreThatEndsEarlyEndsTheDataAfterBoundedRetries) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0);
  desc.damage = {fixtures::Damage::TruncateChunk(0, 12, 100)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  ASSERT_GT(fixture.layout().recordings[0].chunks.size(), 12u + CSourceBoxCtx::kMaxFailedChunks);
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_EQ(rig.source.LastEnd(), SourceEnd::kReadError);
  EXPECT_EQ(rig.source.InvalidChunks(), static_cast<std::uint32_t>(CSourceBoxCtx::kMaxFailedChunks));
  EXPECT_EQ(rig.source.ValidChunks(), 12u);
  EXPECT_EQ(rig.consumer.Markers().size(), 12u);
  EXPECT_TRUE(rig.source.Stop(1000));
}

TEST(SourceLimits, AStopWhileReadsAreRetriedEndsTheThreadAtOnce) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0);
  desc.damage = {fixtures::Damage::TruncateChunk(0, 2, 100)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(Eventually([&] { return rig.source.InvalidChunks() >= 1; }));
  EXPECT_TRUE(rig.source.Stop(1000));
  EXPECT_LT(rig.source.InvalidChunks(), static_cast<std::uint32_t>(CSourceBoxCtx::kMaxFailedChunks));
}

TEST(SourceLimits, ReadingWaitsBeforeAMarkerCouldLoseItsSensorBlock) {
  // Two recordings of empty chunks: a marker each and no frames, so that only markers fill the
  // video queue.
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 0.5);
  for (fixtures::RecordingDescription& r : desc.recordings) {
    r.hasVideo = false;
    r.hasSound = false;
    r.hasCarData = false;
    r.chunkCount = 2048;
  }
  desc.recordings[1].slot = 2;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  rig.consumer.SetPaused(true);
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(Eventually([&] { return rig.video.MarkerCount() >= kSensorRingSlots - 1; }));
  Sleep(50);
  EXPECT_EQ(rig.video.MarkerCount(), kSensorRingSlots - 1);
  EXPECT_NE(rig.source.LastEnd(), SourceEnd::kData);
  rig.consumer.SetPaused(false);
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const std::vector<TakenItem> markers = rig.consumer.Markers();
  ASSERT_EQ(markers.size(), 2 * 2048u);
  for (std::size_t i = 0; i < markers.size(); ++i) {
    ASSERT_TRUE(markers[i].blockTaken) << i;
    IndexBlockA5 block;
    std::copy(markers[i].bytes.begin(), markers[i].bytes.end(), block.bytes.begin());
    ASSERT_EQ(block.Sequence(), markers[i].item.seq) << i;
  }
}
