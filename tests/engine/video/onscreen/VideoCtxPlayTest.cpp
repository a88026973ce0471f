// The video thread playing queued test streams forward and backward at the playing speeds: which
// pictures it shows, in which order, how they are paced, and what it posts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

using namespace playtest;

namespace {

// The hashes of the given pictures, in the order given.
std::vector<std::string> HashesOf(const TestPlay& play, const std::vector<int>& pictures) {
  std::vector<std::string> out;
  for (int p : pictures) out.push_back(play.hashes[static_cast<std::size_t>(p)]);
  return out;
}

// Backward play gets the groups latest first, each from its key frame on, then the end of the
// data, and shows every picture once, latest first.
std::vector<int> BackwardOrder(int groups, int gop) {
  std::vector<int> shown;
  for (int p = groups * gop - 1; p >= 0; --p) shown.push_back(p);
  return shown;
}

void PutBackward(VideoRig& rig, const TestPlay& play, int groups) {
  const int gop = play.format.gop;
  for (int g = groups - 1; g >= 0; --g) rig.Put(play.Pictures(g * gop, (g + 1) * gop), -1.0, play);
  rig.PutEnd(-1.0);
}

double MeanInterval(const std::vector<std::uint64_t>& times) {
  if (times.size() < 2) return 0;
  return static_cast<double>(times.back() - times.front()) / static_cast<double>(times.size() - 1);
}

}  // namespace

TEST(VideoCtxPlay, ForwardPlayShowsEveryPictureAsFfmpegDecodesItPacedByItsStamps) {
  const TestPlay play = MakePlay({320, 240, 30, 10, 26, fixtures::StreamLayout::Yuv420}, 30, "forward.h264");
  struct Case {
    double speed;
    std::vector<int> shown;
  };
  const Case cases[] = {{1.0, {}}, {0.5, {}}, {2.0, {0, 10, 20}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.speed);
    VideoRig rig;
    rig.state.speed = c.speed;
    rig.Put(play.units, c.speed, play);
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(rig.WaitUntilDrained());
    // Every picture, or only those given.
    const bool all = c.shown.empty();
    std::vector<int> shown = c.shown;
    if (all) {
      shown.resize(30);
      std::iota(shown.begin(), shown.end(), 0);
    }
    EXPECT_EQ(rig.presenter->Hashes(), HashesOf(play, shown));
    EXPECT_EQ(rig.video->PresentedPictures(), shown.size());
    const auto keys = std::count_if(shown.begin(), shown.end(), [&](int p) { return p % play.format.gop == 0; });
    EXPECT_EQ(rig.video->PresentedKeyPictures(), static_cast<std::uint64_t>(keys));
    EXPECT_EQ(rig.video->Width(), 320);
    EXPECT_EQ(rig.video->Height(), 240);
    EXPECT_FALSE(rig.video->IsNoVideo());
    EXPECT_EQ(rig.state.frameTime.load(), play.SecondOf(shown.back()));
    // A sequence parameter set after inter frames gives the group's length.
    EXPECT_EQ(rig.video->GopLength(), 9);
    const auto sizes = rig.log.Of(WM_PLAYER_VIDEOSIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lParam, 0);
    EXPECT_EQ(sizes[0].wParam, reinterpret_cast<WPARAM>(Engine()));
    // Pictures follow each other by their stamps' distance at the speed (the pacer takes a few
    // pictures to settle).
    if (all) {
      EXPECT_NEAR(MeanInterval(rig.presenter->Times()), 1000.0 / 30.0 / c.speed, 100.0 / 30.0 / c.speed);
    }
    EXPECT_TRUE(rig.video->Stop(10000));
  }
}

TEST(VideoCtxPlay, EachSpeedDecodesItsShareOfKeyAndInterFrames) {
  const TestPlay play = MakePlay({160, 120, 30, 30, 26, fixtures::StreamLayout::Yuv420}, 240, "speeds.h264");
  // The key-frame items of a group are its SPS, PPS and IDR; above 8x only every (speed / 4)-th
  // key-frame item is decoded, and the parameter sets stay with the decoder.
  std::vector<int> everyKey;
  std::vector<int> everyFourthKeyItem;
  for (int g = 0; g < 8; ++g) {
    everyKey.push_back(g * 30);
    if ((3 * g + 3) % 4 == 0) everyFourthKeyItem.push_back(g * 30);
  }
  const std::pair<double, std::vector<int>> cases[] = {
      {16.0, everyFourthKeyItem}, {8.0, everyKey}, {2.0, everyKey}, {-2.0, BackwardOrder(8, 30)}};
  for (const auto& [speed, shown] : cases) {
    SCOPED_TRACE(speed);
    VideoRig rig;
    rig.state.speed = speed;
    if (speed < 0) {
      PutBackward(rig, play, 8);
    } else {
      rig.Put(play.units, speed, play);
    }
    ASSERT_TRUE(rig.video->Start());
    ASSERT_TRUE(rig.WaitUntilDrained());
    EXPECT_EQ(rig.presenter->Hashes(), HashesOf(play, shown));
  }
}

TEST(VideoCtxPlay, BackwardPlayShowsEachGroupLastToFirstInEveryLayoutAndSize) {
  const fixtures::StreamFormat formats[] = {
      {320, 240, 30, 6, 26, fixtures::StreamLayout::Yuv420},
      {320, 240, 30, 6, 26, fixtures::StreamLayout::Yuv420FullRange},
      {335, 255, 30, 6, 26, fixtures::StreamLayout::Yuv444},
      {335, 255, 30, 6, 26, fixtures::StreamLayout::Gray},
  };
  for (const fixtures::StreamFormat& format : formats) {
    SCOPED_TRACE(testing::Message() << format.width << "x" << format.height << " layout "
                                    << static_cast<int>(format.layout));
    const TestPlay play = MakePlay(format, 24, "layouts.h264");
    VideoRig forward;
    forward.Put(play.units, 1.0, play);
    ASSERT_TRUE(forward.video->Start());
    ASSERT_TRUE(forward.WaitUntilDrained());
    EXPECT_EQ(forward.presenter->Hashes(), play.hashes);

    VideoRig backward;
    backward.state.speed = -1.0;
    PutBackward(backward, play, 4);
    ASSERT_TRUE(backward.video->Start());
    ASSERT_TRUE(backward.WaitUntilDrained());
    EXPECT_EQ(backward.presenter->Hashes(), HashesOf(play, BackwardOrder(4, 6)));
    EXPECT_EQ(backward.video->Width(), format.width);
    // Backward the pictures go back in time at the normal pace.
    const std::vector<std::uint64_t> times = backward.presenter->Times();
    EXPECT_NEAR(MeanInterval(times), 1000.0 / 30.0, 4.0);
  }
}
