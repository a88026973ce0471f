// The demultiplexer reading backward and turning around.
#include <gtest/gtest.h>

#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

TEST(DemuxBackward, GroupsArriveOldestFirstWithTheirParameterSetsAndTimeFrameNewestGroupFirst) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0);
  desc.recordings[0].video.gop = 15;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  DemuxRig rig;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(-1.0);
    if (DemuxRig::AppendChunks(demux, fixture.layout(), 0, fixture.StreamBytes(0), -1.0)) demux.FinishData(-1.0);
  }));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectBackwardGroups(rig.consumer, QueueableFrames(fixture, 0));
  EXPECT_EQ(rig.consumer.EndItems(), 1u);
}

TEST(DemuxBackward, TurningBackFlushesBothQueues) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const std::vector<std::uint8_t> stream = fixture.StreamBytes(0);
  std::vector<fixtures::ChunkInfo> chunks;
  for (const fixtures::ChunkInfo& c : fixture.layout().recordings[0].chunks) chunks.push_back(c);
  DemuxRig rig;
  rig.consumer.SetPaused(true);
  std::size_t soundQueued = 0;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    for (const fixtures::ChunkInfo& c : chunks) {
      if (!demux.AppendChunk(ChunkOf(stream, c), 1.0)) return;
    }
    soundQueued = rig.audio.Count();
    for (auto it = chunks.rbegin(); it != chunks.rend(); ++it) {
      if (!demux.AppendChunk(ChunkOf(stream, *it), -1.0)) return;
      rig.consumer.SetPaused(false);  // what was queued forward is gone by now
    }
    demux.FinishData(-1.0);
  }));
  EXPECT_GT(soundQueued, 10u);
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectBackwardGroups(rig.consumer, QueueableFrames(fixture, 0));
}
