// How the demultiplexer starts the audio clock: from which time frame, with which start delay.
#include <gtest/gtest.h>

#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

namespace {

constexpr std::int32_t kSoundFrameMs = 640 / 16;  // a card's sound frame adds its length to the delay

// Appends the chunks [from, to) of a play's chunk list at one speed.
bool AppendRange(CChunkDemux& demux, const ExpectedPlay& play, const std::vector<std::uint8_t>& stream,
                 std::size_t from, std::size_t to, double speed) {
  for (std::size_t i = from; i < to; ++i) {
    if (!demux.AppendChunk(ChunkOf(stream, play.chunks[i]), speed)) return false;
  }
  return true;
}

}  // namespace

TEST(DemuxClock, TheFirstSoundFrameStartsTheClockAndAResumedOneWithoutADelayTakesTheDefault) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay play = ExpectForward(fixture, {0});
  const std::vector<std::uint8_t> stream = fixture.StreamBytes(0);
  const std::size_t third = play.chunks.size() / 3;
  DemuxRig rig;
  std::int64_t firstTime = 0;
  std::int32_t firstDelay = 0;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    if (!AppendRange(demux, play, stream, 0, third, 1.0)) return;
    firstTime = rig.state.audioTime.load();
    firstDelay = rig.state.audioStartDelay.load();
    // The audio thread anchors the clock, which uses the delay up.
    rig.state.StartAudioClock(firstTime, 1000, 1.0);
    if (!AppendRange(demux, play, stream, third, third + 1, 0.5)) return;
    AppendRange(demux, play, stream, third + 1, play.chunks.size(), 1.0);
  }));
  // Previous stamp 0: a jump, so the delay after a jump plus the frame's own length.
  EXPECT_EQ(firstTime, static_cast<std::int64_t>(play.audio.front().stamp));
  EXPECT_EQ(firstDelay, kAudioDelayJump + kSoundFrameMs);
  EXPECT_EQ(rig.state.audioPreviousDelay.load(), firstDelay);
  // Sound at 0.5 marked a restart; back at 1.0 no jump, no delay: the default one.
  const auto resumed = std::find_if(play.audio.begin(), play.audio.end(), [&](const ExpectedItem& e) { return e.chunk > third; });
  ASSERT_NE(resumed, play.audio.end());
  EXPECT_EQ(rig.state.audioTime.load(), static_cast<std::int64_t>(resumed->stamp));
  EXPECT_EQ(rig.state.audioStartDelay.load(), kAudioDelayStart + kSoundFrameMs);
  EXPECT_TRUE(rig.state.audioResync.load());
}

TEST(DemuxClock, SeeksAndPauseChangesSetTheDelayOfTheNextSoundFrame) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay play = ExpectForward(fixture, {0});
  const std::vector<std::uint8_t> stream = fixture.StreamBytes(0);
  DemuxRig rig;
  std::int32_t afterSeek = 0;
  std::int32_t afterPause = 0;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    if (!AppendRange(demux, play, stream, 0, 2, 1.0)) return;
    rig.state.NoteSeek();
    if (!AppendRange(demux, play, stream, 2, 4, 1.0)) return;
    afterSeek = rig.state.audioStartDelay.load();
    rig.state.NotePauseChange();
    if (!AppendRange(demux, play, stream, 4, 6, 1.0)) return;
    afterPause = rig.state.audioStartDelay.load();
  }));
  EXPECT_EQ(afterSeek, kAudioDelaySeek);
  EXPECT_EQ(afterPause, kAudioDelayPause);
}

TEST(DemuxClock, JumpsInTheStampsEitherWayRestartTheClock) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0);
  const std::uint64_t base = 1700000000ull * 1000000;
  desc.recordings[0].stampBaseUs = base;
  desc.recordings[1].stampBaseUs = base + 4000000;  // about two seconds after the last frame before
  desc.recordings[2].stampBaseUs = base + 2000000;  // back before the frames just played
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  std::vector<std::int64_t> clockTimes;
  std::vector<std::int64_t> firstStamps;
  DemuxRig rig;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    for (int r = 0; r < 3; ++r) {
      const ExpectedPlay play = ExpectForward(fixture, {r});
      firstStamps.push_back(static_cast<std::int64_t>(play.audio.front().stamp));
      if (!DemuxRig::AppendChunks(demux, fixture.layout(), r, fixture.StreamBytes(r), 1.0)) return;
      clockTimes.push_back(rig.state.audioTime.load());
    }
  }));
  EXPECT_EQ(clockTimes, firstStamps);
  EXPECT_EQ(rig.state.audioStartDelay.load(), kAudioDelayJump + kSoundFrameMs);
}

// Read backward no sound plays: a jump in the stamps (the start, a gap between recordings) leaves
// the audio clock as the sound left it, at the normal speed, so that it does not lead the pictures.
TEST(DemuxClock, ReadBackwardTheStampsLeaveTheAudioClockAlone) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  const std::int64_t heard = static_cast<std::int64_t>(layout.recordings[1].stampBaseUs);
  std::vector<AudioAnchor> anchors;
  DemuxRig rig;
  rig.state.avClock.Anchor(heard, 1000, 1.0);
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(-1.0);
    for (int r : {1, 0}) {
      if (!DemuxRig::AppendChunks(demux, layout, r, fixture.StreamBytes(r), -1.0)) return;
      anchors.push_back(rig.state.avClock.GetAnchor());
    }
  }));
  ASSERT_EQ(anchors.size(), 2u);
  for (const AudioAnchor& a : anchors) {
    EXPECT_EQ(a.audioBase, heard);
    EXPECT_EQ(a.tickBase, 1000);
    EXPECT_EQ(a.speed, 1.0);
  }
}
