// The engine facade playing: a backup and a transport stream through Play into the channel's
// queues, with a consumer thread in place of the video and audio threads; a second Play, a job
// and a change of direction while playing; closing and destroying the engine during a play.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/QueueTestSupport.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/TsBuilder.h"

using namespace enginetest;
using sourcetest::Fixture;
using sourcetest::TakenItem;

namespace {

std::chrono::milliseconds Elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since);
}

IndexEntry* EntryAt(CIbpCtrl& engine, int position) {
  IndexEntry* e = engine.OpenStore();
  for (int i = 0; e && i < position; ++i) e = engine.GetNextEntry(e);
  return e;
}

}  // namespace

TEST(IbpCtrlPlayTest, ABackupPlaysThroughTheEngineIntoTheChannelsQueues) {
  fixtures::StoreSpec spec = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0);
  spec.recordings[1].events = {{2, 3}};  // an event chunk's trailer word still gives the frame rate
  spec.recordings[1].entryFlag = 0x5A;
  Fixture fixture(spec);
  ASSERT_TRUE(fixture.ok());
  PlayRig rig(fixture.layout().path);
  ASSERT_EQ(rig.sourceType, kSourceBackupFile);
  ASSERT_TRUE(rig.ready);
  CIbpCtrl* engine = rig.engine.get();
  sourcetest::TestConsumer* consumer = rig.consumer.get();
  ASSERT_EQ(rig.Play(), EngineStart::kStarted);
  EXPECT_TRUE(engine->State().open.load());
  ASSERT_TRUE(consumer->WaitForEnd());

  const sourcetest::ExpectedPlay expected = sourcetest::ExpectForward(fixture, {0, 1});
  sourcetest::ExpectForwardItems(*consumer, expected);
  const std::vector<TakenItem> markers = consumer->Markers();
  ASSERT_EQ(markers.size(), expected.chunks.size());
  for (const TakenItem& m : markers) EXPECT_TRUE(m.blockTaken);
  EXPECT_EQ(consumer->Audio().size(), expected.audio.size());

  // The main window's view of the play: the block of the last marker taken, the entry in hand
  // with its flag byte, and the play time the source set from the chunks.
  BYTE block[kMarkerLength];
  ASSERT_TRUE(engine->GetSensorBlock(block));
  EXPECT_TRUE(std::equal(block, block + kMarkerLength, markers.back().bytes.begin()));
  const fixtures::RecordingInfo& last = fixture.layout().recordings[1];
  ASSERT_NE(engine->GetCurrentEntry(), nullptr);
  EXPECT_EQ(engine->GetCurrentEntry()->FirstChunk(), last.entry.first);
  EXPECT_EQ(engine->GetEntryFlagByte(), 0x5A);
  EXPECT_GE(engine->GetPlayTime(), fixture.layout().recordings[0].entry.start);
  EXPECT_LE(engine->GetPlayTime(), last.entry.end);

  // Asked again for the entry playing, the engine plays on; anything else is busy.
  const std::size_t taken = consumer->Video().size();
  EXPECT_EQ(engine->Play(engine->GetCurrentEntry(), 0), EngineStart::kStarted);
  EXPECT_EQ(engine->Play(EntryAt(*engine, 0), 0), EngineStart::kBusy);
  IndexEntry* entries[] = {EntryAt(*engine, 0)};
  EXPECT_EQ(engine->StartBackup(L"/tmp/out.sd", entries, 1), EngineStart::kBusy);
  EXPECT_EQ(engine->OpenExport(L"/tmp/out.avi", entries[0], 0, last.entry.start, last.entry.end), EngineStart::kBusy);
  Sleep(20);
  EXPECT_EQ(consumer->Video().size(), taken);
  EXPECT_EQ(consumer->EndItems(), 1u);

  engine->Close();
  EXPECT_FALSE(engine->State().open.load());
  EXPECT_FALSE(engine->GetSensorBlock(block));
  EXPECT_EQ(engine->GetPlayTime(), 0);
  consumer->Stop();
}

TEST(IbpCtrlPlayTest, TurningBackWhileThePictureDecodesRestartsReadingAtThePictureShown) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 6.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  for (const bool decoding : {false, true}) {
    PlayRig rig(fixture.layout().path);
    ASSERT_TRUE(rig.ready);
    CIbpCtrl* engine = rig.engine.get();
    sourcetest::TestConsumer* consumer = rig.consumer.get();
    ASSERT_EQ(rig.Play(), EngineStart::kStarted);
    ASSERT_TRUE(consumer->WaitForEnd());
    const std::size_t forward = consumer->Video().size();
    // What the video thread publishes: its decoder runs, and the picture shown is 2 s in.
    const std::int64_t shown = r.start + 2;
    engine->State().decoderOpen = decoding ? 1 : 0;
    engine->State().frameTime = shown;
    engine->SetSpeed(-1.0);
    if (!decoding) {
      // Without a decoded picture nothing is repositioned: the source waits at the end.
      Sleep(50);
      EXPECT_EQ(consumer->Video().size(), forward);
      continue;
    }
    ASSERT_TRUE(Eventually([&] { return consumer->Markers().size() > r.chunks.size(); }));
    const TakenItem back = consumer->Markers()[r.chunks.size()];
    EXPECT_LT(back.item.speed, 0.0);
    EXPECT_GE(back.item.chunkTime, shown - 1);
    EXPECT_LE(back.item.chunkTime, shown + 1);
    engine->Close();
    consumer->Stop();
  }
}

TEST(IbpCtrlPlayTest, CloseDuringAPlayReturnsAtOnceAndTheEngineGoesWithAPlayOpen) {
  fixtures::StoreSpec spec = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 8.0);
  spec.recordings[0].video = {160, 120, 120, 0, 30};  // many pictures: the queue fills up
  Fixture fixture(spec);
  ASSERT_TRUE(fixture.ok());
  PlayRig rig(fixture.layout().path);
  ASSERT_TRUE(rig.ready);
  EnginePtr& engine = rig.engine;
  CVBuffer2& video = *engine->VideoQueue(0);
  sourcetest::TestConsumer* consumer = rig.consumer.get();
  consumer->SetPaused(true);  // a decoder that takes nothing: the source waits on a full queue
  ASSERT_EQ(rig.Play(), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return video.Count() >= CIbpCtrl::kVideoItems; }));
  const auto closing = std::chrono::steady_clock::now();
  engine->Close();
  EXPECT_LT(Elapsed(closing), std::chrono::milliseconds(1000));
  EXPECT_FALSE(engine->State().open.load());
  EXPECT_EQ(engine->GetCurrentEntry(), nullptr);
  // What was queued stays readable until the next play.
  consumer->SetPaused(false);
  ASSERT_TRUE(Eventually([&] { return consumer->Frames().size() >= CIbpCtrl::kVideoItems - 1; }));
  consumer->Stop();

  // The pipeline stays for the next play; this one is left blocked on its full queue when the
  // engine is destroyed.
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return video.Count() >= CIbpCtrl::kVideoItems; }));
  const auto destroying = std::chrono::steady_clock::now();
  engine.reset();
  EXPECT_LT(Elapsed(destroying), std::chrono::milliseconds(1000));
}

TEST(IbpCtrlPlayTest, ATransportStreamPlaysThroughItsReaderIntoTheChannelsQueues) {
  setenv("TZ", "UTC", 1);
  tzset();
  fixtures::TsSpec spec;
  spec.video = {160, 120, 30, 30, 30};
  spec.pictures = 90;
  for (int k = 0; k < 3; ++k) {
    std::string text = "X:0.5 Y:-0.25 Z:1.0 L:" + std::to_string(10 * k);
    text.resize(32, ' ');
    spec.sensorTexts.push_back(text + "$GPRMC,081230,A,2503.0000,N,12130.0000,E,30.0,90.0,010324,,,A*6C");
  }
  spec.sensorEvery = 30;
  const fixtures::TsFile file = fixtures::BuildTs(spec);
  ASSERT_FALSE(file.bytes.empty());
  fixtures::ScratchDir dir("tsplay");
  const std::string path = dir.File("clip.ts");
  ASSERT_TRUE(fixtures::WriteFileBytes(path, file.bytes));

  PlayRig rig(path);
  ASSERT_EQ(rig.sourceType, kSourceTransportStream);
  ASSERT_TRUE(rig.ready);
  CIbpCtrl* engine = rig.engine.get();
  sourcetest::TestConsumer* consumer = rig.consumer.get();
  engine->State().seekTime = 1709280770;  // left from an earlier source: a stream is not seeked by time
  ASSERT_EQ(rig.Play(), EngineStart::kStarted);
  // The last picture waits for a unit after it, which never comes.
  ASSERT_TRUE(Eventually([&] { return consumer->Frames().size() >= file.pictures.size() - 1; }));
  std::vector<std::vector<std::uint8_t>> pictures;
  for (const TakenItem& t : consumer->Frames()) pictures.push_back(t.bytes);
  ASSERT_EQ(pictures.size(), file.pictures.size() - 1);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(pictures[i], file.pictures[i].data) << "picture " << i;
  }
  EXPECT_EQ(engine->State().seekTime.load(), 0);
  EXPECT_EQ(engine->GetPlayTime(), 1);  // the stream's first second: its files carry no start time
  EXPECT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  EXPECT_EQ(engine->StartBackup(L"/tmp/out.sd", nullptr, 0), EngineStart::kBusy);

  // Its sensor texts arrive as markers whose blocks the engine hands out and publishes.
  const std::vector<TakenItem> markers = consumer->Markers();
  ASSERT_GE(markers.size(), 2u);
  for (const TakenItem& m : markers) EXPECT_TRUE(m.blockTaken);
  BYTE block[kMarkerLength];
  ASSERT_TRUE(engine->GetSensorBlock(block));
  EXPECT_TRUE(std::equal(block, block + kMarkerLength, markers.back().bytes.begin()));
  IndexBlockA5 published;
  std::copy(block, block + kMarkerLength, published.bytes.begin());
  EXPECT_EQ(published.Sample(0), (std::array<std::int16_t, 3>{256, -128, 512}));
  QueueItem stranger;
  stranger.type = kItemMarker;
  stranger.data = block;
  EXPECT_FALSE(engine->TakeMarker(0, stranger, block));

  // Turning back, the reader queues key frames read backward.
  engine->SetSpeed(-1.0);
  ASSERT_TRUE(Eventually([&] {
    const std::vector<TakenItem> frames = consumer->Frames();
    return std::any_of(frames.begin(), frames.end(), [](const TakenItem& t) { return t.item.speed < 0; });
  }));
  for (const TakenItem& t : consumer->Frames()) {
    if (t.item.speed < 0) {
      EXPECT_EQ(t.item.type, kItemKeyFrame);
    }
  }

  const auto closing = std::chrono::steady_clock::now();
  engine->Close();
  EXPECT_LT(Elapsed(closing), std::chrono::milliseconds(1000));
  EXPECT_FALSE(engine->GetSensorBlock(block));
  consumer->Stop();
}
