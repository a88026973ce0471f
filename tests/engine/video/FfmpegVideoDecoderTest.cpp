#include "engine/video/FfmpegVideoDecoder.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include "testdata/TestStream.h"

namespace {

using fixtures::AccessUnit;
using fixtures::StreamFormat;
using fixtures::StreamLayout;

// Decodes each unit on its own and returns the hash of the picture each one gave ("" for none).
std::vector<std::string> DecodeEach(FfmpegVideoDecoder& decoder, const std::vector<AccessUnit>& units,
                                    std::int64_t firstTag = 0) {
  std::vector<std::string> hashes;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const std::int64_t tag = firstTag + static_cast<std::int64_t>(i);
    if (!decoder.Decode(units[i].bytes.data(), units[i].bytes.size(), tag)) {
      hashes.emplace_back();
      continue;
    }
    EXPECT_EQ(decoder.PictureTag(), tag);
    hashes.push_back(fixtures::PictureHash(*decoder.Picture()));
  }
  return hashes;
}

fixtures::ReferenceStream GroupsOfFive(int count) {
  return fixtures::EncodeWithReference({320, 240, 30, 5, 26, StreamLayout::Yuv420}, count, "groups.h264");
}

std::string FormatName(const AVFrame* picture) {
  return picture ? av_get_pix_fmt_name(static_cast<AVPixelFormat>(picture->format)) : "none";
}

}  // namespace

TEST(FfmpegVideoDecoderTest, EveryUnitGivesItsPictureAtOnceAsFfmpegDecodesIt) {
  struct Case {
    StreamFormat format;
    const char* pixelFormat;
  };
  const Case cases[] = {
      {{320, 240, 30, 6, 26, StreamLayout::Yuv420}, "yuv420p"},
      {{320, 240, 30, 6, 26, StreamLayout::Yuv420FullRange}, "yuvj420p"},
      {{335, 255, 30, 6, 26, StreamLayout::Yuv444}, "yuv444p"},
      {{335, 255, 30, 6, 26, StreamLayout::Gray}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format.width << "x" << c.format.height << " layout "
                                    << static_cast<int>(c.format.layout));
    const fixtures::ReferenceStream stream = fixtures::EncodeWithReference(c.format, 14, "layout.h264");
    const std::vector<std::string>& expected = stream.hashes;
    ASSERT_EQ(expected.size(), 14u);

    FfmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.Setup(false));
    EXPECT_EQ(DecodeEach(decoder, stream.units, 100), expected);
    EXPECT_EQ(decoder.Width(), c.format.width);
    EXPECT_EQ(decoder.Height(), c.format.height);
    if (c.pixelFormat) {
      EXPECT_EQ(FormatName(decoder.Picture()), c.pixelFormat);
    }
  }
}

TEST(FfmpegVideoDecoderTest, DecodesAgainAfterTheEndOnceFlushedOrGivenANewUnit) {
  const fixtures::ReferenceStream stream = GroupsOfFive(15);
  const std::vector<std::string>& expected = stream.hashes;
  ASSERT_EQ(expected.size(), 15u);

  FfmpegVideoDecoder decoder;
  ASSERT_TRUE(decoder.Setup(false));
  const std::vector<AccessUnit> firstGroups(stream.units.begin(), stream.units.begin() + 10);
  DecodeEach(decoder, firstGroups);
  // The end of the data: nothing is held back, and the next unit after it still decodes.
  EXPECT_FALSE(decoder.Drain());
  EXPECT_FALSE(decoder.Drain());
  const std::vector<AccessUnit> lastGroup(stream.units.begin() + 10, stream.units.end());
  EXPECT_EQ(DecodeEach(decoder, lastGroup), std::vector<std::string>(expected.begin() + 10, expected.end()));

  // A seek back to the start after the end.
  EXPECT_FALSE(decoder.Drain());
  decoder.Flush();
  EXPECT_EQ(decoder.Picture(), nullptr);
  EXPECT_EQ(DecodeEach(decoder, stream.units), expected);

  // A seek in the middle of play, to the last group.
  DecodeEach(decoder, firstGroups);
  decoder.Flush();
  EXPECT_EQ(DecodeEach(decoder, lastGroup), std::vector<std::string>(expected.begin() + 10, expected.end()));
}

TEST(FfmpegVideoDecoderTest, DamagedUnitsGiveNoPictureAndTheNextKeyFrameDecodes) {
  const fixtures::ReferenceStream stream = GroupsOfFive(10);
  const std::vector<std::string>& expected = stream.hashes;
  ASSERT_EQ(expected.size(), 10u);

  FfmpegVideoDecoder unopened;
  const AccessUnit& key = stream.units[0];
  EXPECT_FALSE(unopened.Decode(key.bytes.data(), key.bytes.size(), 0));
  EXPECT_FALSE(unopened.Drain());

  FfmpegVideoDecoder decoder;
  ASSERT_TRUE(decoder.Setup(false));
  EXPECT_FALSE(decoder.Decode(nullptr, 100, 0));
  EXPECT_FALSE(decoder.Decode(key.bytes.data(), 0, 0));
  std::vector<std::uint8_t> garbage(4000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
  EXPECT_FALSE(decoder.Decode(garbage.data(), garbage.size(), 1));
  const std::vector<std::uint8_t> start(key.bytes.begin(), key.bytes.begin() + 40);
  EXPECT_FALSE(decoder.Decode(start.data(), start.size(), 2));
  EXPECT_EQ(decoder.Picture(), nullptr);

  const std::vector<AccessUnit> fromSecondGroup(stream.units.begin() + 5, stream.units.end());
  EXPECT_EQ(DecodeEach(decoder, fromSecondGroup), std::vector<std::string>(expected.begin() + 5, expected.end()));
}

TEST(FfmpegVideoDecoderTest, WithoutAGraphicsDeviceHardwareDecodingFallsBackToIdenticalSoftwarePictures) {
  // No display and a driver that does not exist: no device can open, whatever the machine has.
  unsetenv("DISPLAY");
  setenv("LIBVA_DRIVER_NAME", "player-test-none", 1);
  const std::vector<AccessUnit> units = fixtures::EncodeTestStream({320, 240, 30, 6, 26, StreamLayout::Yuv420}, 12);
  ASSERT_EQ(units.size(), 12u);

  FfmpegVideoDecoder software;
  ASSERT_TRUE(software.Setup(false));
  EXPECT_FALSE(software.UsesHardware());
  FfmpegVideoDecoder hardware;
  ASSERT_TRUE(hardware.Setup(true));
  EXPECT_TRUE(hardware.IsOpen());
  EXPECT_FALSE(hardware.UsesHardware());
  EXPECT_EQ(DecodeEach(hardware, units), DecodeEach(software, units));
  // Asking again changes nothing; asking for software reopens the decoder.
  EXPECT_TRUE(hardware.Setup(true));
  EXPECT_NE(hardware.Picture(), nullptr);
  EXPECT_TRUE(hardware.Setup(false));
  EXPECT_EQ(hardware.Picture(), nullptr);
  hardware.Close();
  EXPECT_FALSE(hardware.IsOpen());
  unsetenv("LIBVA_DRIVER_NAME");
}
