#include "platform/sound/SoundRing.h"

#include <gtest/gtest.h>

#include "platform/sound/SoundOutput.h"

namespace {

using plat::SoundRing;
using Bytes = std::vector<std::uint8_t>;

Bytes Ramp(std::uint32_t n) {
  Bytes b(n);
  for (std::uint32_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}

Bytes Drain(SoundRing& ring, std::uint32_t bytes, bool* passed = nullptr, std::int32_t volume = 0) {
  Bytes out(bytes);
  const bool p = ring.Drain(out.data(), bytes, volume);
  if (passed) *passed = p;
  return out;
}

TEST(SoundRingTest, DrainLoopsAndReplaysWhatWasNotRefilled) {
  SoundRing ring(64, {});
  const Bytes ramp = Ramp(64);
  ASSERT_TRUE(ring.Write(0, ramp.data(), 64));
  Bytes twice = ramp;
  twice.insert(twice.end(), ramp.begin(), ramp.end());
  const Bytes a = Drain(ring, 40), b = Drain(ring, 88);
  Bytes played = a;
  played.insert(played.end(), b.begin(), b.end());
  EXPECT_EQ(played, twice);

  // Cursors: play at the start of the last piece taken, write where the next one begins.
  EXPECT_EQ(ring.PlayPosition(), 40u);
  EXPECT_EQ(ring.WritePosition(), 0u);
  ring.SetPosition(70);
  EXPECT_EQ(ring.PlayPosition(), 6u);
  EXPECT_EQ(ring.WritePosition(), 6u);
  ring.SetPosition(9);  // whole samples only
  EXPECT_EQ(Drain(ring, 4), Bytes(ramp.begin() + 8, ramp.begin() + 12));

  // Pieces never pass the end.
  Bytes piece(16);
  EXPECT_TRUE(ring.Read(48, piece.data(), 16));
  EXPECT_FALSE(ring.Read(50, piece.data(), 16));
  EXPECT_FALSE(ring.Write(64, piece.data(), 2));
  EXPECT_FALSE(ring.Write(0xFFFFFFF0u, piece.data(), 32));
}

TEST(SoundRingTest, NotificationsFireWhenTheCursorPassesTheirPositions) {
  SoundRing ring(100, {10, 60, 500});
  bool passed = false;
  Drain(ring, 10, &passed);
  EXPECT_FALSE(passed);  // [0, 10) stops short of 10
  Drain(ring, 2, &passed);
  EXPECT_TRUE(passed);
  Drain(ring, 48, &passed);  // [12, 60)
  EXPECT_FALSE(passed);
  Drain(ring, 50, &passed);  // [60, 100) and [0, 10): 60
  EXPECT_TRUE(passed);
  ring.SetPosition(90);
  Drain(ring, 30, &passed);  // wraps over 10
  EXPECT_TRUE(passed);
  ring.SetPosition(20);
  Drain(ring, 30, &passed);
  EXPECT_FALSE(passed);
  Drain(ring, 1000, &passed);  // longer than the ring
  EXPECT_TRUE(passed);
}

TEST(SoundRingTest, VolumeScalesSamplesInHundredthsOfADecibel) {
  SoundRing ring(8, {});
  const std::int16_t samples[4] = {10000, -10000, 32767, -32768};
  Bytes raw;
  for (std::int16_t s : samples) {
    raw.push_back(static_cast<std::uint8_t>(s & 0xFF));
    raw.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  ring.Write(0, raw.data(), 8);
  auto played = [&](std::int32_t volume) {
    ring.SetPosition(0);
    const Bytes out = Drain(ring, 8, nullptr, volume);
    std::vector<int> v;
    for (int i = 0; i < 8; i += 2) v.push_back(static_cast<std::int16_t>(out[i] | (out[i + 1] << 8)));
    return v;
  };
  EXPECT_EQ(played(0), (std::vector<int>{10000, -10000, 32767, -32768}));
  EXPECT_EQ(played(-2000), (std::vector<int>{1000, -1000, 3277, -3277}));  // -20 dB
  EXPECT_EQ(played(plat::kVolumeSilent), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(played(-12000), (std::vector<int>{0, 0, 0, 0}));
  const std::vector<int> half = played(-602);  // -6.02 dB
  EXPECT_NEAR(half[0], 5000, 2);
  EXPECT_NEAR(half[3], -16384, 4);
  EXPECT_GT(SoundRing::Gain(-9999), 0);
}

}  // namespace
