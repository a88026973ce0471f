#include "engine/audio/SoundCursor.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kBlock = CSoundCursor::kBlockBytes;
constexpr std::uint32_t kRing = CSoundCursor::kRingBytes;

CSoundCursor At(std::uint32_t block) {
  CSoundCursor c;
  c.Rewind();
  for (std::uint32_t i = 0; i < block; ++i) c.Advance(c.Position(), c.Position());
  return c;
}

TEST(SoundCursorTest, NotificationsLieInTheMiddleOfEveryBlock) {
  const std::vector<std::uint32_t> positions = CSoundCursor::NotifyPositions();
  ASSERT_EQ(positions.size(), CSoundCursor::kBlockCount);
  EXPECT_EQ(kRing, 761856u);
  for (std::uint32_t i = 0; i < positions.size(); ++i) EXPECT_EQ(positions[i], i * kBlock + kBlock / 2);
}

TEST(SoundCursorTest, WritesWholeBlocksAndSkipsOneWhenTheDeviceHasPassed) {
  // Ahead of the device: one block on.
  CSoundCursor c = At(10);
  ASSERT_EQ(c.Position(), 10 * kBlock);
  c.Advance(9 * kBlock + 100, 9 * kBlock + 1124);
  EXPECT_EQ(c.Position(), 11 * kBlock);

  // Behind both cursors after a stall: exactly one block skipped.
  c.Advance(20 * kBlock, 20 * kBlock + 1024);
  EXPECT_EQ(c.Position(), 13 * kBlock);

  // Behind only the play position (the write cursor is still before it): no skip.
  c.Advance(13 * kBlock + 10, 13 * kBlock - 10);
  EXPECT_EQ(c.Position(), 14 * kBlock);

  // The first blocks count as following the end while the device is about to wrap.
  c = At(0);
  c.Advance(kRing - 2000, kRing - 1000);
  EXPECT_EQ(c.Position(), kBlock);
  c.Advance(kRing - 1000, kRing - 24);
  EXPECT_EQ(c.Position(), 2 * kBlock);

  // Skipping from the last block wraps past the start.
  c = At(CSoundCursor::kBlockCount - 1);
  c.Advance(kRing - 100, kRing - 50);
  EXPECT_EQ(c.Position(), kBlock);

  // Whatever the device does, a block never runs past the buffer's end.
  std::uint32_t seed = 5;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t play = (seed >> 4) % kRing;
    c.Advance(play, (play + 1024) % kRing);
    ASSERT_EQ(c.Position() % kBlock, 0u);
    ASSERT_LE(c.Position() + kBlock, kRing);
  }
}

}  // namespace
