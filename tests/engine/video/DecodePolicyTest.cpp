#include "engine/video/DecodePolicy.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "testdata/TestStream.h"

namespace {

struct Decoded {
  std::vector<int> keyFrames;  // numbers (from 1) of the key frames decoded
  int interFrames = 0;         // inter frames decoded
};

// Runs the policy over `groups` groups of one key frame (led by its parameter sets) and 29
// inter frames, as the recorder writes them.
Decoded RunGroups(CDecodePolicy& policy, double speed, int groups, const std::vector<std::uint8_t>& keyUnit) {
  Decoded d;
  std::int32_t gop = 0;
  for (int g = 0; g < groups; ++g) {
    if (policy.TakeKeyFrame(keyUnit.data(), keyUnit.size(), speed, gop)) d.keyFrames.push_back(g + 1);
    for (int p = 0; p < 29; ++p) d.interFrames += policy.TakeInterFrame(speed) ? 1 : 0;
  }
  return d;
}

}  // namespace

TEST(DecodePolicyTest, SpeedDecidesWhichPicturesAreDecoded) {
  const std::vector<fixtures::AccessUnit> units = fixtures::EncodeTestStream({64, 64, 30, 30, 26}, 1);
  ASSERT_EQ(units.size(), 1u);
  const std::vector<std::uint8_t>& key = units[0].bytes;

  CDecodePolicy policy;
  Decoded d = RunGroups(policy, 16.0, 12, key);
  EXPECT_EQ(d.keyFrames, (std::vector<int>{4, 8, 12}));
  EXPECT_EQ(d.interFrames, 0);

  const std::vector<int> all{1, 2, 3, 4, 5, 6};
  for (double speed : {8.0, 4.0, 2.0}) {
    policy.Reset();
    d = RunGroups(policy, speed, 6, key);
    EXPECT_EQ(d.keyFrames, all) << speed;
    EXPECT_EQ(d.interFrames, 0) << speed;
  }
  // Above 8x every (speed / 4)-th key frame, the count going on from the run's start.
  policy.Reset();
  d = RunGroups(policy, 12.0, 6, key);
  EXPECT_EQ(d.keyFrames, (std::vector<int>{3, 6}));

  for (double speed : {1.0, 0.5, 1.0 / 16, 1.1, -1.1, -1.0, -2.0, -16.0}) {
    policy.Reset();
    d = RunGroups(policy, speed, 6, key);
    EXPECT_EQ(d.keyFrames, all) << speed;
    EXPECT_EQ(d.interFrames, 6 * 29) << speed;
  }
}

TEST(DecodePolicyTest, SensorMarkersFollowThePictureCountFromTwiceTheSpeedOn) {
  CDecodePolicy policy;
  std::int32_t gop = 0;
  const std::uint8_t idr[] = {0, 0, 0, 1, 0x65, 0x88};
  // Below 2x every marker is handled.
  for (int i = 0; i < 7; ++i) {
    EXPECT_TRUE(policy.WantsSensorMarker(1.9));
    policy.TakeInterFrame(1.0);
  }
  // At 2x one in three, counting key and inter frames together; at 16x one in 17.
  policy.Reset();
  std::vector<int> handled;
  for (int i = 1; i <= 12; ++i) {
    if (i % 5 == 1) {
      policy.TakeKeyFrame(idr, sizeof idr, 2.0, gop);
    } else {
      policy.TakeInterFrame(2.0);
    }
    if (policy.WantsSensorMarker(2.0)) handled.push_back(i);
  }
  EXPECT_EQ(handled, (std::vector<int>{3, 6, 9, 12}));
  EXPECT_EQ(policy.KeyFrames() + policy.InterFrames(), 12);
  policy.Reset();
  EXPECT_TRUE(policy.WantsSensorMarker(16.0));
  for (int i = 1; i < 17; ++i) {
    policy.TakeInterFrame(16.0);
    EXPECT_FALSE(policy.WantsSensorMarker(16.0)) << i;
  }
  policy.TakeInterFrame(16.0);
  EXPECT_TRUE(policy.WantsSensorMarker(16.0));
}

TEST(DecodePolicyTest, ASequenceParameterSetEndsTheGroupCount) {
  const std::vector<fixtures::AccessUnit> units = fixtures::EncodeTestStream({64, 64, 30, 30, 26}, 1);
  ASSERT_EQ(units.size(), 1u);
  const std::vector<std::uint8_t>& withSps = units[0].bytes;
  ASSERT_GT(withSps.size(), 5u);
  ASSERT_EQ(withSps[4], 0x67);
  const std::uint8_t idrOnly[] = {0, 0, 0, 1, 0x65, 0x88, 0x84};
  const std::uint8_t shortUnit[] = {0, 0, 0, 1};

  CDecodePolicy policy;
  std::int32_t gop = -5;
  // No inter frames counted yet: the length stays.
  policy.TakeKeyFrame(withSps.data(), withSps.size(), 1.0, gop);
  EXPECT_EQ(gop, -5);
  for (int i = 0; i < 29; ++i) policy.TakeInterFrame(1.0);
  policy.TakeKeyFrame(withSps.data(), withSps.size(), 1.0, gop);
  EXPECT_EQ(gop, 29);
  EXPECT_EQ(policy.InterFrames(), 0);
  // A key frame without parameter sets (or too short to say) goes on counting.
  for (int i = 0; i < 10; ++i) policy.TakeInterFrame(16.0);
  policy.TakeKeyFrame(idrOnly, sizeof idrOnly, 1.0, gop);
  policy.TakeKeyFrame(shortUnit, sizeof shortUnit, 1.0, gop);
  policy.TakeKeyFrame(nullptr, 0, 1.0, gop);
  for (int i = 0; i < 4; ++i) policy.TakeInterFrame(1.0);
  EXPECT_EQ(gop, 29);
  policy.TakeKeyFrame(withSps.data(), withSps.size(), 1.0, gop);
  EXPECT_EQ(gop, 14);
  EXPECT_EQ(policy.KeyFrames(), 6);
}
