// The video thread's own life and what it shows: stopping in the middle of a wait, the crop and
// the proportion of presents, the on-screen text on the picture and the snapshot read-back.
#include <gtest/gtest.h>

#include "platform/Sync.h"
#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

using namespace playtest;

namespace {

// The machine's clock, except that a pacing wait lasts until it is signalled (or 15 s pass).
class SignalOnlyClock : public plat::IClock {
 public:
  std::uint64_t NowMs() const override { return plat::SystemClock().NowMs(); }
  void SleepMs(std::uint32_t ms) override { plat::SystemClock().SleepMs(ms); }
  bool WaitEvent(CEvent& event, std::uint32_t) override { return event.Wait(15000); }
};

// The machine's clock, except that after the rest before the thread's first pass a sleep lasts
// until the test lets it go: a thread that sleeps in steps while it is paused or has nothing to
// take, instead of waiting for its queue to ring, never sees what it waits for.
class NoBlindSleepClock : public plat::IClock {
 public:
  std::uint64_t NowMs() const override { return plat::SystemClock().NowMs(); }
  void SleepMs(std::uint32_t ms) override {
    if (!rested.exchange(true)) return plat::SystemClock().SleepMs(ms);
    ++sleeps;
    letGo.Wait();
  }
  std::atomic<bool> rested{false};
  std::atomic<int> sleeps{0};
  CEvent letGo{true};
};

// Lets a sleeping thread go before the rig stops it, however the test ends.
struct LetGoAtEnd {
  NoBlindSleepClock& clock;
  ~LetGoAtEnd() { clock.letGo.Set(); }
};

// The time text in a colour the test pictures do not have, and fixed sound figures.
class TimeText : public IOsdSource {
 public:
  static constexpr COLORREF kColor = 0x00FF00;  // green
  OsdSettings Settings() const override {
    OsdSettings s;
    s.timeMode = 1;
    s.timeColor = kColor;
    s.timeLeft = 8;
    s.timeTop = 8;
    return s;
  }
  void AddSoundFigures(OsdFigures& figures) const override {
    figures.audioTime = 1;
    ++asked;
  }
  mutable std::atomic<int> asked{0};
};

int CountOf(const plat::PictureCopy& copy, const CRect& box, std::uint32_t argb) {
  int n = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) n += (copy.Pixel(x, y) & 0xFFFFFF) == (argb & 0xFFFFFF);
  }
  return n;
}

}  // namespace

TEST(VideoCtxThread, StopEndsAPacingWaitAtOnce) {
  const TestPlay play = MakePlay({160, 120, 10, 10, 26, fixtures::StreamLayout::Yuv420}, 10, "stop.h264");
  SignalOnlyClock clock;
  VideoRig rig(&clock);
  rig.Put(play.units, 1.0, play);
  ASSERT_TRUE(rig.video->Start());
  // The first wait ends at once (the rate was just set); a later one lasts until it is
  // signalled, whether it began before the stop or after it.
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.video->PresentedPictures() >= 2; }));
  EXPECT_TRUE(rig.video->Stop(5000));
  EXPECT_LT(rig.video->PresentedPictures(), 10u);
}

// Pause, its end, a repaint, a new item and a stop each ring the queue; the thread waits for that
// instead of sleeping in steps, and carries each out at once.
TEST(VideoCtxThread, APausedOrIdleThreadWaitsForItsQueueToRing) {
  const TestPlay play = MakePlay({160, 120, 10, 10, 26, fixtures::StreamLayout::Yuv420}, 30, "rung.h264");
  NoBlindSleepClock clock;
  VideoRig rig(&clock);
  LetGoAtEnd letGo{clock};
  rig.state.pause = 1;
  rig.Put(play.Pictures(0, 20), 1.0, play);
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().size() == 1; }));
  rig.state.redrawRequest = true;
  rig.queue.RingConsumer();
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().size() == 2; }));

  // Resumed at a speed that does not seek and shows key pictures only, the thread shows the next
  // one queued, then has nothing to take until more is put.
  rig.state.speed = 2.0;
  rig.state.pause = 0;
  rig.queue.RingConsumer();
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().back() == play.hashes[10]; }));
  rig.Put(play.Pictures(20, 30), 1.0, play);
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->Hashes().back() == play.hashes[20]; }));

  rig.state.pause = 1;
  EXPECT_TRUE(rig.video->Stop(5000));
  EXPECT_EQ(clock.sleeps.load(), 0);
}

TEST(VideoCtxThread, PresentsThroughTheCropOrWholeInProportionWithTheOnScreenTextDrawnIn) {
  const TestPlay play = MakePlay({320, 240, 10, 10, 26, fixtures::StreamLayout::Yuv420}, 10, "shown.h264");
  VideoRig rig;
  TimeText osd;
  plat::PictureCopy copy;
  EXPECT_FALSE(rig.video->Snapshot(copy));
  rig.video->SetOsdSource(&osd);
  const CRect crop(16, 8, -32, -24);
  rig.state.SetCrop(crop);
  rig.state.speed = CVideoCtx::kStepForward;
  rig.Put(play.units, 1.0, play);
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->inner.PresentCount() == 1; }));
  rig.state.keepProportion = true;
  rig.state.redrawRequest = true;
  ASSERT_TRUE(VideoRig::Eventually([&] { return rig.presenter->inner.PresentCount() == 2; }));

  const std::vector<plat::PresentRecord> presents = rig.presenter->inner.Presents();
  EXPECT_EQ(presents[0].source, plat::CropSourceRect(crop, 320, 240));
  EXPECT_FALSE(presents[0].letterbox);
  EXPECT_EQ(presents[1].source, CRect(0, 0, 320, 240));
  EXPECT_TRUE(presents[1].letterbox);
  // The text is part of the picture: it differs from the decoded one, and the snapshot has it
  // where the layout puts it.
  EXPECT_NE(presents[0].hash, play.hashes[0]);
  EXPECT_EQ(presents[1].hash, presents[0].hash);
  EXPECT_GT(osd.asked.load(), 0);
  OsdFrame frame;
  frame.width = 320;
  frame.height = 240;
  frame.frameTime = play.SecondOf(0);
  const std::vector<OsdText> texts = OsdLayout(osd.Settings(), frame);
  ASSERT_EQ(texts.size(), 1u);
  ASSERT_TRUE(rig.video->Snapshot(copy));
  ASSERT_EQ(copy.width, 320);
  const CRect textBox(texts[0].x, texts[0].y, 320, texts[0].y + 24);
  const std::uint32_t green = 0xFF00FF00;
  EXPECT_GT(CountOf(copy, textBox, green), 50);
  EXPECT_EQ(CountOf(copy, CRect(0, 0, 320, 240), green), CountOf(copy, textBox, green));
}
