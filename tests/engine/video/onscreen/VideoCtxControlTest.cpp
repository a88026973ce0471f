// The video thread following the engine state: single steps, pause and resume, seeks, the end of
// the data, the video switch, sensor markers and picture sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/store/IndexBlock.h"
#include "engine/stream/SensorData.h"
#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

using namespace playtest;

namespace {

const fixtures::StreamFormat kSmall{160, 120, 10, 10, 26, fixtures::StreamLayout::Yuv420};

// A chunk trailer with the block magic and a sequence number, as the source takes it in.
IndexBlockA5 Trailer(std::uint32_t sequence) {
  IndexBlockA5 block;
  const std::uint32_t magic = kIndexBlockA5Magic;
  std::memcpy(&block.bytes[0], &magic, 4);
  std::memcpy(&block.bytes[4], &sequence, 4);
  return block;
}

QueueItem MarkerOf(const CSensorData::Slot& slot) {
  QueueItem m;
  m.type = kItemMarker;
  m.data = slot.block;
  m.length = kMarkerLength;
  m.aux = slot.sampleIndex;
  m.spare = slot.serial;
  return m;
}

}  // namespace

TEST(VideoCtxControl, ASingleStepShowsOnePictureAndLeavesTheEnginePaused) {
  const TestPlay play = MakePlay(kSmall, 30, "steps.h264");
  {
    VideoRig rig;
    rig.state.speed = CVideoCtx::kStepForward;
    rig.Put(play.units, CVideoCtx::kStepForward, play);
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().size() == 1; }));
    ASSERT_TRUE(rig.LetTimePass());
    EXPECT_EQ(rig.state.pause.load(), 1);
    EXPECT_EQ(rig.presenter->Hashes(), std::vector<std::string>{play.hashes[0]});
    EXPECT_EQ(rig.video->PresentedPictures(), 1u);
  }
  for (const int shown : {25, 20}) {
    // Back from a picture shown, read backward from its group on: the picture before it shows,
    // in the same group or in the group before, once the group before that arrives.
    VideoRig rig;
    rig.Put(play.Pictures(20, shown + 1), 1.0, play);
    ASSERT_TRUE(rig.video->Start());
    const auto forward = static_cast<std::uint64_t>(shown - 19);
    ASSERT_TRUE(VideoRig::Eventually([&] { return rig.video->PresentedPictures() == forward; }));
    rig.state.speed = CVideoCtx::kStepBack;
    for (int g = 2; g >= 0; --g) rig.Put(play.Pictures(g * 10, g * 10 + 10), -1.0, play);
    ASSERT_TRUE(VideoRig::Eventually([&] { return rig.state.pause.load() == 1; }));
    ASSERT_TRUE(rig.LetTimePass());
    EXPECT_EQ(rig.presenter->Hashes().back(), play.hashes[static_cast<std::size_t>(shown - 1)]);
    EXPECT_EQ(rig.state.frameTime.load(), play.SecondOf(shown - 1));
    EXPECT_EQ(rig.video->PresentedPictures(), forward + 1);
  }
}

TEST(VideoCtxControl, PauseServesRepaintsAndResumingAtNormalSpeedGoesOnASecondLater) {
  const TestPlay play = MakePlay(kSmall, 30, "pause.h264");
  for (const double resume : {1.0, 2.0}) {
    SCOPED_TRACE(resume);
    VideoRig rig;
    rig.state.pause = 1;
    rig.Put(play.units, 1.0, play);
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().size() == 1; }));
    rig.state.redrawRequest = true;
    ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().size() == 2; }));
    EXPECT_EQ(rig.presenter->Hashes(), std::vector<std::string>(2, play.hashes[0]));
    EXPECT_EQ(rig.video->PresentedPictures(), 1u);

    rig.state.speed = resume;
    rig.state.pause = 0;
    ASSERT_TRUE(rig.WaitUntilDrained());
    if (resume == 1.0) {
      // The seek stays pending (no source carries it out): what was queued is flushed.
      EXPECT_EQ(rig.state.seekTime.load(), play.SecondOf(0) + 1);
      EXPECT_TRUE(rig.state.TakeSeekMark());
      EXPECT_TRUE(rig.state.TakeAudioResetRequest());  // the sound starts over as for any seek
      EXPECT_EQ(rig.video->PresentedPictures(), 1u);
    } else {
      EXPECT_EQ(rig.state.seekTime.load(), 0);
      EXPECT_FALSE(rig.state.TakeAudioResetRequest());
      EXPECT_EQ(rig.presenter->Hashes().back(), play.hashes[20]);
    }
  }
}

TEST(VideoCtxControl, SeeksFlushWhatIsQueuedAndTheEndIsAnnouncedASecondAfterItsItem) {
  const TestPlay play = MakePlay(kSmall, 20, "seeks.h264");
  for (const bool open : {true, false}) {
    SCOPED_TRACE(open);
    VideoRig rig;
    rig.state.open = open;
    rig.state.seekTime = play.SecondOf(10);
    rig.Put(play.units, 1.0, play);
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(rig.WaitUntilDrained());
    EXPECT_TRUE(rig.presenter->Hashes().empty());
    EXPECT_EQ(rig.state.frameTime.load(), play.SecondOf(10));

    // The source has sought: the second group, then the end of the data.
    rig.state.seekTime = 0;
    ASSERT_TRUE(rig.LetTimePass());
    rig.Put(play.Pictures(10, 20), 1.0, play);
    rig.PutEnd(1.0);
    ASSERT_TRUE(rig.WaitUntilDrained());
    const std::vector<std::string> second(play.hashes.begin() + 10, play.hashes.end());
    EXPECT_EQ(rig.presenter->Hashes(), second);
    const auto ends = rig.log.Of(WM_PLAYER_END);
    ASSERT_EQ(ends.size(), open ? 1u : 0u);
    if (open) {
      EXPECT_EQ(ends[0].lParam, 0);
      EXPECT_GE(ends[0].atMs, rig.presenter->Times().back() + CVideoCtx::kEndNoticeMs);
    }

    // After the end a seek decodes again from its key frame.
    rig.Put(play.Pictures(0, 10), 1.0, play);
    ASSERT_TRUE(rig.WaitUntilDrained());
    const std::vector<std::string> first(play.hashes.begin(), play.hashes.begin() + 10);
    const std::vector<std::string> all = rig.presenter->Hashes();
    EXPECT_EQ(std::vector<std::string>(all.begin() + 10, all.end()), first);
  }
}

TEST(VideoCtxControl, VideoSwitchedOffAtTheStartDropsEverythingQueuedMarkersIncluded) {
  const TestPlay play = MakePlay(kSmall, 20, "video-off.h264");
  VideoRig rig;
  CSensorData sensors;
  sensors.StartPlay();
  rig.video->SetSensorData(&sensors);
  rig.state.videoEnabled = false;
  rig.Put(play.Pictures(0, 10), 1.0, play);
  rig.PutItem(MarkerOf(sensors.TakeIn(Trailer(7))));
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(rig.WaitUntilDrained());
  EXPECT_TRUE(rig.presenter->Hashes().empty());
  EXPECT_TRUE(rig.log.Of(WM_PLAYER_SENSORDATA).empty());
  EXPECT_TRUE(rig.video->IsNoVideo());

  rig.state.videoEnabled = true;
  rig.Put(play.Pictures(10, 20), 1.0, play);
  rig.PutItem(MarkerOf(sensors.TakeIn(Trailer(8))));
  ASSERT_TRUE(rig.WaitUntilDrained());
  EXPECT_EQ(rig.presenter->Hashes(), std::vector<std::string>(play.hashes.begin() + 10, play.hashes.end()));
  EXPECT_EQ(rig.log.Of(WM_PLAYER_SENSORDATA).size(), 1u);
}

TEST(VideoCtxControl, SensorMarkersAreHandedOnForTheirShareOfPicturesAtEachSpeed) {
  const TestPlay play = MakePlay(kSmall, 30, "markers.h264");
  for (const double speed : {1.0, 2.0, 4.0}) {
    SCOPED_TRACE(speed);
    VideoRig rig;
    CSensorData sensors;
    sensors.StartPlay();
    rig.video->SetSensorData(&sensors);
    rig.state.speed = speed;
    // A marker after every picture; from 2x on one is handed on when the key frames counted so
    // far and the inter frames counted since the last sequence parameter set are a multiple of
    // the speed plus one.
    int keys = 0;
    int inters = 0;
    std::vector<std::uint32_t> expected;
    for (int p = 0; p < 30; ++p) {
      const std::vector<TestUnit> units = play.Pictures(p, p + 1);
      rig.Put(units, speed, play);
      for (const TestUnit& u : units) {
        if (u.type == kItemKeyFrame && u.bytes[4] == 0x67) inters = 0;
        keys += u.type == kItemKeyFrame;
        inters += u.type == kItemInterFrame;
      }
      const auto sequence = static_cast<std::uint32_t>(100 + p);
      rig.PutItem(MarkerOf(sensors.TakeIn(Trailer(sequence))));
      if (speed < 2.0 || (keys + inters) % static_cast<int>(speed + 1.0) == 0) expected.push_back(sequence);
    }
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(rig.WaitUntilDrained());
    const auto posts = rig.log.Of(WM_PLAYER_SENSORDATA);
    ASSERT_EQ(posts.size(), expected.size());
    EXPECT_EQ(posts[0].lParam, 0);
    BYTE block[kCardBlockSize];
    ASSERT_TRUE(sensors.GetSensorBlock(block, true));
    std::uint32_t sequence = 0;
    std::memcpy(&sequence, block + 4, 4);
    EXPECT_EQ(sequence, expected.back());
  }
}

TEST(VideoCtxControl, EachNewPictureSizeRebuildsTheBackBufferAndAFailedOneIsTriedAgain) {
  const TestPlay large = MakePlay({320, 240, 10, 10, 26, fixtures::StreamLayout::Yuv420}, 10, "size-a.h264");
  const TestPlay small = MakePlay(kSmall, 10, "size-b.h264");
  VideoRig rig;
  rig.presenter->refuseResets = 1;
  rig.Put(large.units, 1.0, large);
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(rig.WaitUntilDrained());
  // The first picture found no back buffer; the second made one.
  EXPECT_EQ(rig.presenter->Hashes(), std::vector<std::string>(large.hashes.begin() + 1, large.hashes.end()));
  EXPECT_EQ(rig.log.Of(WM_PLAYER_VIDEOSIZE).size(), 1u);

  rig.Put(small.units, 1.0, small);
  ASSERT_TRUE(rig.WaitUntilDrained());
  EXPECT_EQ(rig.log.Of(WM_PLAYER_VIDEOSIZE).size(), 2u);
  EXPECT_EQ(rig.video->Width(), 160);
  EXPECT_EQ(rig.video->Height(), 120);
  EXPECT_EQ(rig.presenter->inner.Width(), 160);
  EXPECT_EQ(rig.presenter->Hashes().back(), small.hashes.back());
  EXPECT_TRUE(rig.video->Stop(10000));

  // A new play keeps the back buffer of the same size, cleared: no new size to announce.
  rig.Put(small.units, 1.0, small);
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(rig.WaitUntilDrained());
  EXPECT_EQ(rig.log.Of(WM_PLAYER_VIDEOSIZE).size(), 2u);
  EXPECT_EQ(rig.presenter->Hashes().back(), small.hashes.back());
}
