// The demultiplexer fed with fixture streams read forward: which frames reach which queue,
// whole, at which speeds, and what the damaged streams of the fixture builder do to it.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/gps/CarDataFrame.h"
#include "engine/stream/StreamGrammar.h"
#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

namespace {

using fixtures::FrameRole;

// Feeds the recordings' chunks in order at one speed from a fresh stream, then ends the data.
bool FeedForward(DemuxRig& rig, const Fixture& fixture, const std::vector<int>& recordings, double speed) {
  return rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(speed);
    for (int r : recordings) {
      const std::vector<std::uint8_t> stream = fixture.StreamBytes(fixture.layout().recordings[static_cast<std::size_t>(r)].stream);
      if (!DemuxRig::AppendChunks(demux, fixture.layout(), r, stream, speed)) return;
    }
    demux.FinishData(speed);
  });
}

std::vector<ExpectedItem> Without(std::vector<ExpectedItem> items, const std::function<bool(const ExpectedItem&)>& drop) {
  items.erase(std::remove_if(items.begin(), items.end(), drop), items.end());
  return items;
}

void ExpectFrames(const TestConsumer& consumer, const std::vector<ExpectedItem>& expected) {
  const std::vector<TakenItem> frames = consumer.Frames();
  ASSERT_EQ(frames.size(), expected.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    ASSERT_EQ(frames[i].item.type, expected[i].type) << "frame " << i;
    ASSERT_EQ(frames[i].bytes, expected[i].bytes) << "frame " << i;
  }
}

void ExpectSoundBytes(const TestConsumer& consumer, const std::vector<ExpectedItem>& expected) {
  const std::vector<TakenItem> audio = consumer.Audio();
  ASSERT_EQ(audio.size(), expected.size());
  for (std::size_t i = 0; i < audio.size(); ++i) {
    ASSERT_EQ(audio[i].bytes, expected[i].bytes) << "sound frame " << i;
    EXPECT_EQ(audio[i].item.stamp, expected[i].stamp) << "sound frame " << i;
  }
}

bool EndsWithEndItem(const TestConsumer& consumer) {
  const std::vector<TakenItem> video = consumer.Video();
  return !video.empty() && video.back().item.type == kItemEnd;
}

}  // namespace

TEST(DemuxForward, LargeKeyFramesAndHeadersAtChunkEdgesArriveWhole) {
  // The first recording puts a header in the last word of a chunk (its unit byte lies in the
  // next chunk); the second's fine quantiser makes key frames span three chunks.
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0);
  desc.recordings[0].video = {320, 240, 24, 0, 24};
  desc.recordings[1].video = {640, 360, 30, 0, 12};
  desc.recordings[1].seconds = 1.0;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const auto first = fixture.layout().FramesOf(0);
  EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](const fixtures::FrameInfo& f) {
    return f.kind == fixtures::kH264 && f.offset % kChunkPayloadSize == kChunkPayloadSize - kFrameHeaderSize;
  }));
  const auto second = fixture.layout().FramesOf(1);
  EXPECT_TRUE(std::any_of(second.begin(), second.end(), [](const fixtures::FrameInfo& f) {
    return f.role == FrameRole::kIdr && f.length > 2 * kChunkPayloadSize;
  }));
  DemuxRig rig;
  ASSERT_TRUE(FeedForward(rig, fixture, {0, 1}, 1.0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const ExpectedPlay expected = ExpectForward(fixture, {0, 1});
  ExpectFrames(rig.consumer, expected.video);
  ExpectSoundBytes(rig.consumer, expected.audio);
}

TEST(DemuxForward, FastSpeedsQueueNoInterFramesAndOtherSpeedsNoSound) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  for (double speed : {2.0, 16.0, 0.5}) {
    DemuxRig rig;
    ASSERT_TRUE(FeedForward(rig, fixture, {0}, speed));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    const auto kept = speed >= 2.0 ? Without(expected.video, [](const ExpectedItem& e) { return e.type == kItemInterFrame; })
                                   : expected.video;
    ExpectFrames(rig.consumer, kept);
    EXPECT_TRUE(rig.consumer.Audio().empty()) << speed;
    EXPECT_FALSE(rig.state.audioResync.load()) << speed;
  }
  DemuxRig silent;
  silent.state.audioEnabled = false;
  ASSERT_TRUE(FeedForward(silent, fixture, {0}, 1.0));
  ASSERT_TRUE(silent.consumer.WaitForEnd());
  ExpectFrames(silent.consumer, expected.video);
  EXPECT_TRUE(silent.consumer.Audio().empty());
}

TEST(DemuxForward, SoundComesBackAtSpeedOneWithTheStampOfItsTimeFrame) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  const std::vector<std::uint8_t> stream = fixture.StreamBytes(0);
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  const std::size_t half = expected.chunks.size() / 2;
  DemuxRig rig;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(0.5);
    for (std::size_t i = 0; i < expected.chunks.size(); ++i) {
      if (!demux.AppendChunk(ChunkOf(stream, expected.chunks[i]), i < half ? 0.5 : 1.0)) return;
    }
    demux.FinishData(1.0);
  }));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const auto resumed = Without(expected.audio, [&](const ExpectedItem& e) { return e.chunk < half; });
  ASSERT_FALSE(resumed.empty());
  ExpectSoundBytes(rig.consumer, resumed);
  // The first sound frame back at 1.0 starts the audio clock at its time frame.
  EXPECT_EQ(rig.state.audioTime.load(), static_cast<std::int64_t>(resumed.front().stamp));
  EXPECT_TRUE(rig.state.audioResync.load());
  ExpectFrames(rig.consumer, expected.video);
  EXPECT_EQ(layout.recordings[0].soundFrames, static_cast<int>(expected.audio.size()));
}

TEST(DemuxForward, SeiStartingTheDataAndUnknownUnitsAreNotQueued) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0);
  desc.recordings[0].faults.seiFirst = true;
  desc.recordings[1].faults.seiFirst = true;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  ExpectedPlay expected = ExpectForward(fixture, {0, 1});
  const std::size_t seiQueued = std::count_if(expected.video.begin(), expected.video.end(),
                                              [](const ExpectedItem& e) { return e.frame.role == FrameRole::kSei; });
  EXPECT_EQ(seiQueued, 1u);  // the second recording's, which does not start the data

  // Two inter frames whose unit bytes are an access-unit delimiter and a non-IDR partition.
  std::vector<std::uint8_t> stream0 = fixture.StreamBytes(0);
  std::vector<std::size_t> patched;
  for (std::size_t i = 0; i < expected.video.size() && patched.size() < 2; ++i) {
    const ExpectedItem& e = expected.video[i];
    if (e.frame.recording != 0 || e.frame.role != FrameRole::kInter || e.frame.picture < 5) continue;
    stream0[e.frame.offset + kFrameHeaderSize] = patched.empty() ? 0x09 : 0x01;
    patched.push_back(i);
  }
  ASSERT_EQ(patched.size(), 2u);
  for (auto it = patched.rbegin(); it != patched.rend(); ++it) {
    expected.video.erase(expected.video.begin() + static_cast<std::ptrdiff_t>(*it));
  }
  DemuxRig rig;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    if (!DemuxRig::AppendChunks(demux, fixture.layout(), 0, stream0, 1.0)) return;
    if (!DemuxRig::AppendChunks(demux, fixture.layout(), 1, fixture.StreamBytes(1), 1.0)) return;
    demux.FinishData(1.0);
  }));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectFrames(rig.consumer, expected.video);
}

TEST(DemuxForward, TimeFramesGiveTheirStampsAndOneCutByAFalseHeaderIsIgnored) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 1.0);
  desc.recordings[0].stampBaseUs = 0x123;                    // digits 30 ... 30 31 32 33
  desc.recordings[1].stampBaseUs = 0x1A2B3C4D5E6F0000ull;   // digits 3A to 3F
  desc.recordings[2].stampBaseUs = 1ull << 32;
  desc.recordings[2].faults.rawTimeDigitsAtPicture = 3;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay expected = ExpectForward(fixture, {0, 1, 2});
  EXPECT_EQ(expected.audio.front().stamp, 0x123u);
  DemuxRig rig;
  ASSERT_TRUE(FeedForward(rig, fixture, {0, 1, 2}, 1.0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectSoundBytes(rig.consumer, expected.audio);
  ExpectFrames(rig.consumer, Without(expected.video, [](const ExpectedItem& e) { return e.frame.rawDigits; }));
}

TEST(DemuxForward, CarDataFramesParseWithTheFieldsTheirLengthHolds) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0);
  desc.recordings[0].faults.shortCarDataSecond = 2;  // 24 bytes: too short for the last fields
  desc.recordings[1].shortCarData = true;            // 20 bytes
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  DemuxRig rig;
  ASSERT_TRUE(FeedForward(rig, fixture, {0, 1}, 1.0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  std::vector<fixtures::FrameInfo> cars = fixture.layout().FramesOf(0, FrameRole::kCarData);
  const auto more = fixture.layout().FramesOf(1, FrameRole::kCarData);
  cars.insert(cars.end(), more.begin(), more.end());
  std::vector<TakenItem> taken;
  for (TakenItem& t : rig.consumer.Frames()) {
    if (t.item.type == kItemCarData) taken.push_back(std::move(t));
  }
  ASSERT_EQ(taken.size(), cars.size());
  for (std::size_t i = 0; i < taken.size(); ++i) {
    CarDataRecord record;
    ASSERT_TRUE(ParseCarDataFrame(taken[i].bytes.data(), taken[i].bytes.size(), taken[i].item.chunkTime, record));
    const fixtures::CarData want = fixtures::TestCarData(cars[i].second, 60.0);
    const bool full = taken[i].bytes.size() >= 28;
    EXPECT_EQ(full, cars[i].recording == 0 && cars[i].second != 2) << i;
    EXPECT_EQ(record.speed, want.speedKmh);
    EXPECT_EQ(record.rpm, want.rpm);
    EXPECT_EQ(record.status, want.status);
    EXPECT_EQ(record.maf, full ? want.maf * 3 : 0);
    EXPECT_EQ(record.distance, full ? want.distanceKm : 0);
    EXPECT_EQ(record.time, taken[i].item.chunkTime);
  }
}

TEST(DemuxForward, FramesReachingTheMarginAreDroppedAndCounted) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
  desc.recordings[0].faults.oversizeFrameAfterPicture = 5;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  DemuxRig rig;
  CChunkDemux* demux = nullptr;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& d) {
    demux = &d;
    d.SetupStream(1.0);
    if (DemuxRig::AppendChunks(d, fixture.layout(), 0, fixture.StreamBytes(0), 1.0)) d.FinishData(1.0);
  }));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  EXPECT_EQ(demux->DroppedFrames(), 1u);
  ExpectFrames(rig.consumer, expected.video);  // the oversize frame is not among the expected
  ExpectSoundBytes(rig.consumer, expected.audio);
}

TEST(DemuxForward, TheLastFramesOfTheDataArriveBeforeTheEndItem) {
  for (bool headerInLast8 : {false, true}) {
    fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
    desc.recordings[0].faults.headerInLast8 = headerInLast8;
    Fixture fixture(desc);
    ASSERT_TRUE(fixture.ok());
    const ExpectedPlay expected = ExpectForward(fixture, {0});
    DemuxRig rig;
    ASSERT_TRUE(FeedForward(rig, fixture, {0}, 1.0));
    ASSERT_TRUE(rig.consumer.WaitForEnd());
    ExpectFrames(rig.consumer, expected.video);
    ExpectSoundBytes(rig.consumer, expected.audio);
    EXPECT_TRUE(EndsWithEndItem(rig.consumer));
    EXPECT_EQ(rig.consumer.EndItems(), 1u);
  }
}

TEST(DemuxForward, AFrameRunningToTheEndOfTheDataIsFinishedAsIfAHeaderFollowed) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].hasSound = false;  // the data ends with a picture
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  ExpectedPlay expected = ExpectForward(fixture, {0});
  // The zeros after the last frame become bytes of it: no header follows it any more.
  std::vector<std::uint8_t> stream = fixture.StreamBytes(0);
  const std::size_t contentEnd = fixture.layout().streams[0].contentLength;
  std::fill(stream.begin() + static_cast<std::ptrdiff_t>(contentEnd), stream.end(), 0x11);
  ASSERT_EQ(expected.video.back().frame.offset + expected.video.back().frame.length, contentEnd);
  expected.video.back().bytes.resize(stream.size() - expected.video.back().frame.offset, 0x11);
  DemuxRig rig;
  ASSERT_TRUE(rig.Feed([&](CChunkDemux& demux) {
    demux.SetupStream(1.0);
    if (DemuxRig::AppendChunks(demux, fixture.layout(), 0, stream, 1.0)) demux.FinishData(1.0);
  }));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectFrames(rig.consumer, expected.video);
  EXPECT_TRUE(EndsWithEndItem(rig.consumer));
}

TEST(DemuxForward, SilenceWithoutTheNudgeCutsItsSoundFrameAtTheFirstZeroWord) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].faults.silentSoundFrame = 3;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  ExpectedPlay expected = ExpectForward(fixture, {0});
  ASSERT_GT(expected.audio.size(), 4u);
  expected.audio[3].bytes.clear();
  DemuxRig rig;
  ASSERT_TRUE(FeedForward(rig, fixture, {0}, 1.0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  ExpectSoundBytes(rig.consumer, expected.audio);
  ExpectFrames(rig.consumer, expected.video);
}

TEST(DemuxForward, HeadersAreFoundFromThePayloadStartWhateverTheConsumerHolds) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  DemuxRig rig;
  // The consumer holds a frame of an odd length at the area's start.
  QueueItem w;
  rig.video.FlushTo(w);
  QueueItem odd = Frame(w.data, 13, kItemUnconditional);
  ASSERT_TRUE(rig.video.Put(odd, nullptr));
  ASSERT_TRUE(Eventually([&] { return rig.consumer.Video().size() == 1; }));
  ASSERT_TRUE(FeedForward(rig, fixture, {0}, 1.0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  std::vector<TakenItem> frames = rig.consumer.Frames();
  ASSERT_FALSE(frames.empty());
  frames.erase(frames.begin());  // the odd frame
  const ExpectedPlay expected = ExpectForward(fixture, {0});
  ASSERT_EQ(frames.size(), expected.video.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].bytes, expected.video[i].bytes) << i;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(frames[i].item.data) % kFrameAlign, 0u) << i;
  }
}
