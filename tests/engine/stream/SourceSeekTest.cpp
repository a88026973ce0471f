// The card source following seeks, playing backward, and carrying out what the UI thread asks.
#include <gtest/gtest.h>

#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

namespace {

// The first chunk of a recording whose time is not before `seek`.
const fixtures::ChunkInfo& FirstChunkFrom(const fixtures::RecordingInfo& r, std::int64_t seek) {
  for (const fixtures::ChunkInfo& c : r.chunks) {
    if (c.time >= seek) return c;
  }
  return r.chunks.back();
}

}  // namespace

// Played forward, reading starts a chunk before the first one not before the seek time, where
// the key picture of the second sought may begin: that chunk's frames take the time sought and
// bring no marker, and nothing that needs a picture before it passes. Played backward, it starts
// at the last chunk of the second sought.
TEST(SourceSeek, ASeekInsideTheEntryStartsWhereTheSecondSoughtCanBeShown) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  const std::int64_t seek = r.start + 3;
  const std::uint32_t sought = FirstChunkFrom(r, seek).sequence;
  for (const double speed : {1.0, -1.0}) {
    SourceRig rig(fixture.layout());
    rig.state.speed = speed;
    rig.state.seekTime = seek;
    ASSERT_TRUE(rig.Play(0));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    EXPECT_EQ(rig.state.seekTime.load(), 0);
    const std::vector<std::uint32_t> markers = MarkerSequences(rig.consumer);
    ASSERT_FALSE(markers.empty());
    if (speed < 0) {
      EXPECT_EQ(markers.front(), FirstChunkFrom(r, seek + 1).sequence - 1);
      continue;
    }
    EXPECT_EQ(markers.front(), sought);
    const std::vector<TakenItem> frames = rig.consumer.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().item.seq, sought - 1);
    EXPECT_EQ(frames.front().item.chunkTime, seek);
    EXPECT_EQ(rig.source.Demux().StreamResets(), 1u);
    for (const TakenItem& t : frames) {
      if (t.item.type == kItemKeyFrame) break;
      EXPECT_TRUE(t.item.type == kItemTimeFrame || t.item.type == kItemCarData) << t.item.type;
    }
  }
}

TEST(SourceSeek, ASeekIntoTheNextEntryFollowsItAndOneIntoAGapOrBeforeAllIsCancelled) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 3.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& first = fixture.layout().recordings[0];
  const fixtures::RecordingInfo& second = fixture.layout().recordings[1];
  const std::int64_t gap = first.entry.end + (second.entry.start - first.entry.end) / 2;
  struct Case {
    std::int64_t seek;
    std::uint32_t firstChunk;
    bool resync;
  };
  const Case cases[] = {
      {second.start + 2, FirstChunkFrom(second, second.start + 2).sequence, true},
      {gap, first.chunks.front().sequence, false},
      {first.start - 100, first.chunks.front().sequence, false},
  };
  for (const Case& c : cases) {
    SourceRig rig(fixture.layout());
    rig.state.seekTime = c.seek;
    ASSERT_TRUE(rig.Play(0));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    const std::vector<std::uint32_t> markers = MarkerSequences(rig.consumer);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.front(), c.firstChunk) << c.seek;
    EXPECT_EQ(markers.back(), second.chunks.back().sequence) << c.seek;
    EXPECT_EQ(rig.state.seekTime.load(), 0) << c.seek;
    EXPECT_EQ(rig.state.pacerResetRequest.load(), c.resync) << c.seek;
  }
}

TEST(SourceSeek, ADamagedChunkCancelsTheSeekThatReachesIt) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0);
  desc.damage = {fixtures::Damage::ForeignGenerationChunk(0, 12)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  const std::int64_t seek = r.start + 4;
  ASSERT_GT(FirstChunkFrom(r, seek).sequence, r.chunks[13].sequence);
  SourceRig rig(fixture.layout());
  rig.state.seekTime = seek;
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const std::vector<std::uint32_t> markers = MarkerSequences(rig.consumer);
  ASSERT_FALSE(markers.empty());
  EXPECT_EQ(markers.front(), r.chunks[13].sequence);
  EXPECT_EQ(rig.state.seekTime.load(), 0);
}

TEST(SourceSeek, BackwardPlayCrossesIntoThePreviousEntryAndEndsBeforeTheFirst) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  desc.recordings[1].events = {{3, 1}};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& first = fixture.layout().recordings[0];
  const fixtures::RecordingInfo& second = fixture.layout().recordings[1];
  SourceRig rig(fixture.layout());
  rig.state.speed = -1.0;
  ASSERT_TRUE(rig.Play(1, 1));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  std::vector<std::uint32_t> expected;
  for (int k = 3; k >= 0; --k) expected.push_back(second.chunks[static_cast<std::size_t>(k)].sequence);
  for (auto it = first.chunks.rbegin(); it != first.chunks.rend(); ++it) expected.push_back(it->sequence);
  EXPECT_EQ(MarkerSequences(rig.consumer), expected);
  EXPECT_EQ(rig.source.LastEnd(), SourceEnd::kData);
  EXPECT_EQ(rig.source.Demux().StreamResets(), 1u);
}

// An entry whose index claims chunks past its data, eight or many more, is entered at its last
// chunk with data and played back to its first.
TEST(SourceSeek, BackwardPlayFindsTheLastChunkOfAnEntryThatClaimsMoreThanItHolds) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  desc.recordings[1].events = {{3, 1}};
  const Fixture probe(desc, "probe");
  ASSERT_TRUE(probe.ok());
  const auto held = static_cast<std::uint32_t>(probe.layout().recordings[0].chunks.size());
  for (const std::uint32_t extra : {8u, 900u}) {
    desc.recordings[0].claimedChunks = held + extra;
    Fixture fixture(desc);
    ASSERT_TRUE(fixture.ok());
    const fixtures::RecordingInfo& first = fixture.layout().recordings[0];
    const fixtures::RecordingInfo& second = fixture.layout().recordings[1];
    ASSERT_EQ(first.entry.last, first.entry.first + held + extra - 1);
    SourceRig rig(fixture.layout());
    rig.state.speed = -1.0;
    ASSERT_TRUE(rig.Play(1, 1));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    std::vector<std::uint32_t> expected;
    for (int k = 3; k >= 0; --k) expected.push_back(second.chunks[static_cast<std::size_t>(k)].sequence);
    for (auto it = first.chunks.rbegin(); it != first.chunks.rend(); ++it) expected.push_back(it->sequence);
    EXPECT_EQ(MarkerSequences(rig.consumer), expected) << extra;
    EXPECT_LT(rig.source.InvalidChunks(), 8u) << extra;
  }
}

TEST(SourceSeek, BackwardGroupsArriveWholeAndTheQueueStaysShort) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 10.0);
  const Fixture probe(desc, "probe");
  ASSERT_TRUE(probe.ok());
  // Play starts at an event on the last chunk.
  desc.recordings[0].events = {{static_cast<int>(probe.layout().recordings[0].chunks.size()) - 1, 1}};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  rig.state.speed = -1.0;
  rig.consumer.SetPaused(true);
  ASSERT_TRUE(rig.Play(0, 1));
  // Reading backward waits while the queue holds more than an eighth of its capacity.
  const std::size_t throttle = kVideoItems / 8;
  ASSERT_TRUE(Eventually([&] { return rig.video.Count() > throttle; }));
  Sleep(50);
  EXPECT_EQ(rig.video.Count(), throttle + 1);
  rig.consumer.SetPaused(false);
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_LE(rig.consumer.MaxVideoCount(), throttle + 1);
  ExpectBackwardGroups(rig.consumer, QueueableFrames(fixture, 0));
}

TEST(SourceSeek, RequestsOfTheUiThreadAreCarriedOutByTheSourceThread) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_GT(rig.source.Sensors().SampleCount(), 0u);
  EXPECT_FALSE(rig.state.pacerResetRequest.load());
  rig.state.RequestResync();
  rig.RingControls();
  ASSERT_TRUE(Eventually([&] { return rig.state.pacerResetRequest.load(); }));
  EXPECT_EQ(rig.source.Sensors().SampleCount(), 0u);
  EXPECT_FALSE(rig.state.TakeResyncRequest());
}

TEST(SourceSeek, ASeekAfterTheEndPlaysAgainAndASwitchedOffChannelIsHiddenAndShownAgain) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  RecordingRouter router;
  SourceRig rig(fixture.layout());
  rig.state.videoWnd = reinterpret_cast<HWND>(0x77);
  rig.state.videoEnabled = false;
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_TRUE(rig.consumer.Frames().empty());
  EXPECT_TRUE(rig.consumer.Markers().empty());
  EXPECT_EQ(router.Shows(), std::vector<int>{SW_HIDE});
  EXPECT_TRUE(rig.state.channelHidden.load());
  EXPECT_TRUE(rig.state.redrawRequest.load());

  rig.state.videoEnabled = true;
  rig.state.seekTime = r.start;
  rig.RingControls();
  ASSERT_TRUE(Eventually([&] { return rig.consumer.EndItems() == 2; }));
  EXPECT_EQ(router.Shows(), (std::vector<int>{SW_HIDE, SW_SHOW}));
  EXPECT_FALSE(rig.state.channelHidden.load());
  EXPECT_EQ(rig.consumer.Markers().size(), r.chunks.size());
}
