#include <cstring>

#include <gtest/gtest.h>

#include "recorder/CardBlocks.h"

TEST(CardBlocksTest, XorChecksumIsTheLaneWiseXorOfAllButTheLastWord) {
  std::uint8_t block[512];
  for (int i = 0; i < 512; ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 3);
  std::uint8_t lanes[4] = {};
  for (int i = 0; i < 508; ++i) lanes[i % 4] ^= block[i];
  std::uint32_t expected;
  std::memcpy(&expected, lanes, 4);
  EXPECT_EQ(XorChecksum32(block, 512), expected);
  SetXorChecksum32(block, 512);
  EXPECT_TRUE(HasValidXorChecksum32(block, 512));
  block[100] ^= 0x40;
  EXPECT_FALSE(HasValidXorChecksum32(block, 512));

  // Lengths that are not whole words, or too short to hold a checksum, never read out of bounds.
  EXPECT_EQ(XorChecksum32(block, 4), 0u);
  EXPECT_EQ(XorChecksum32(block, 510), 0u);
  EXPECT_FALSE(HasValidXorChecksum32(block, 6));
}

TEST(CardBlocksTest, DefaultConfigBlockKeepsTheTimeZoneIndexAndHoldsEmptyAccounts) {
  CardConfigBlock block;
  block.bytes.fill(0x5A);
  block.bytes[76] = 0;
  block.bytes[77] = 0;
  block.bytes[78] = 0;
  block.bytes[79] = 12;
  DefaultCardConfigBlock(&block, 10000);
  EXPECT_TRUE(block.IsValid());
  EXPECT_EQ(block.Generation(), 10000u);
  EXPECT_EQ(block.TimeZoneIndex(), 12u);
  EXPECT_EQ(block.TimeZoneIndexNext(), 0x5A5A5A5Au);
  EXPECT_EQ(block.TimeZoneOffsetSeconds(), 0);
  EXPECT_EQ(block.ModeText(), L"0000");
  EXPECT_TRUE(block.Password(1).IsEmpty());
  EXPECT_TRUE(block.Password(2).IsEmpty());

  block.SetUserName(1, L"fleet-admin-with-a-long-name");
  block.SetPassword(2, L"s\u00E9cret");
  block.SetTimeZoneOffsetSeconds(-3 * 3600 - 1800);
  EXPECT_EQ(block.UserName(1), L"fleet-admin-with");  // 16 bytes at most
  EXPECT_EQ(block.Password(2), L"s\u00E9cret");
  EXPECT_EQ(block.TimeZoneOffsetSeconds(), -12600);
  EXPECT_EQ(block.bytes[84] << 24 | block.bytes[85] << 16 | block.bytes[86] << 8 | block.bytes[87], 43200 - 12600);
}
