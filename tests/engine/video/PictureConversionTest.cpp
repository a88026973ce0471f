#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/video/FfmpegVideoDecoder.h"
#include "platform/video/OffscreenPresenter.h"
#include "platform/video/PresentedFrame.h"
#include "testdata/TestStream.h"

namespace {

using fixtures::AccessUnit;
using fixtures::kBgraArgs;
using fixtures::StreamFormat;
using fixtures::StreamLayout;

// The video thread's path for one picture: a presenter made ready for the picture's size, the
// picture handed to it and presented whole.
void ConvertAndPresent(FfmpegVideoDecoder&, const AVFrame& picture, plat::OffscreenPresenter& presenter) {
  if (presenter.Width() != picture.width || presenter.Height() != picture.height) {
    ASSERT_TRUE(presenter.Reset(picture.width, picture.height));
  }
  EXPECT_TRUE(presenter.SetPicture(picture));
  EXPECT_TRUE(presenter.Present(CRect(), false));
}

std::vector<std::string> PresentedHashes(const plat::OffscreenPresenter& presenter) {
  std::vector<std::string> hashes;
  for (const plat::PresentRecord& r : presenter.Presents()) hashes.push_back(r.hash);
  return hashes;
}

void SaveWindow(const plat::OffscreenPresenter& presenter, const QSize& size, const std::string& name) {
  const char* dir = std::getenv("PLAYER_TEST_OUTPUT");
  if (!dir) return;
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(plat::ComposeWindow(presenter, size).save(QString::fromStdString(std::string(dir) + "/" + name)));
}

// The picture repacked into the two-plane layout that pictures downloaded from the graphics
// card have, with the same range.
FramePtr RepackTwoPlanes(const AVFrame& p) {
  FramePtr f(av_frame_alloc());
  f->format = AV_PIX_FMT_NV12;
  f->width = p.width;
  f->height = p.height;
  f->color_range = p.color_range;
  EXPECT_GE(av_frame_get_buffer(f.get(), 0), 0);
  for (int y = 0; y < p.height; ++y) {
    std::memcpy(f->data[0] + y * f->linesize[0], p.data[0] + y * p.linesize[0], p.width);
  }
  for (int y = 0; y < (p.height + 1) / 2; ++y) {
    for (int x = 0; x < (p.width + 1) / 2; ++x) {
      f->data[1][y * f->linesize[1] + 2 * x] = p.data[1][y * p.linesize[1] + x];
      f->data[1][y * f->linesize[1] + 2 * x + 1] = p.data[2][y * p.linesize[2] + x];
    }
  }
  return f;
}

// The mean difference of the colour channels of two pictures of the same size.
double MeanDifference(const plat::PictureCopy& a, const plat::PictureCopy& b) {
  EXPECT_EQ(a.pixels.size(), b.pixels.size());
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) - static_cast<int>((b.pixels[i] >> shift) & 0xFF));
    }
  }
  return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

plat::PictureCopy Converted(FfmpegVideoDecoder& decoder, const AVFrame& picture) {
  plat::OffscreenPresenter presenter;
  ConvertAndPresent(decoder, picture, presenter);
  plat::PictureCopy copy;
  EXPECT_TRUE(presenter.ReadBack(copy, 0));
  return copy;
}

// Decodes the units and presents each picture (or its two-plane repacking), as the video thread
// does; returns the hashes of the pictures presented.
std::vector<std::string> DecodeAndPresent(const std::vector<AccessUnit>& units, plat::OffscreenPresenter& presenter,
                                          bool twoPlanes = false) {
  FfmpegVideoDecoder decoder;
  EXPECT_TRUE(decoder.Setup(false));
  for (const AccessUnit& u : units) {
    if (!decoder.Decode(u.bytes.data(), u.bytes.size(), 0)) {
      ADD_FAILURE() << "no picture";
      continue;
    }
    ConvertAndPresent(decoder, twoPlanes ? *RepackTwoPlanes(*decoder.Picture()) : *decoder.Picture(), presenter);
  }
  return PresentedHashes(presenter);
}

}  // namespace

TEST(PictureConversionTest, EachPictureIsConvertedFromItsOwnFormatAsFfmpegConvertsIt) {
  const StreamFormat formats[] = {
      {320, 240, 30, 6, 26, StreamLayout::Yuv420},
      {326, 246, 30, 6, 26, StreamLayout::Yuv420},  // rows of a width the fast paths overrun
      {320, 240, 30, 6, 26, StreamLayout::Yuv420FullRange},
      {335, 255, 30, 6, 26, StreamLayout::Yuv444},
      {335, 255, 30, 6, 26, StreamLayout::Gray},
  };
  for (const StreamFormat& f : formats) {
    const std::string name = std::to_string(f.width) + "x" + std::to_string(f.height) + "-layout" +
                             std::to_string(static_cast<int>(f.layout));
    SCOPED_TRACE(name);
    const fixtures::ReferenceStream stream = fixtures::EncodeWithReference(f, 8, name + ".h264", kBgraArgs);
    ASSERT_EQ(stream.hashes.size(), 8u);
    plat::OffscreenPresenter presenter;
    EXPECT_EQ(DecodeAndPresent(stream.units, presenter), stream.hashes);
    SaveWindow(presenter, QSize(f.width, f.height), "converted-" + name + ".png");
  }
}

TEST(PictureConversionTest, PicturesInTheGraphicsCardsLayoutConvertWithTheirRange) {
  const fixtures::ReferenceStream stream = fixtures::EncodeWithReference(
      {326, 246, 30, 6, 26, StreamLayout::Yuv420}, 6, "two-planes.h264", std::string("-vf format=nv12 ") + kBgraArgs);
  ASSERT_EQ(stream.hashes.size(), 6u);
  plat::OffscreenPresenter presenter;
  EXPECT_EQ(DecodeAndPresent(stream.units, presenter, true), stream.hashes);

  // A full-range stream downloaded from the card has no format of its own for the range: the
  // picture's range tag decides.
  FfmpegVideoDecoder decoder;
  ASSERT_TRUE(decoder.Setup(false));
  const std::vector<AccessUnit> full =
      fixtures::EncodeTestStream({320, 240, 30, 6, 26, StreamLayout::Yuv420FullRange}, 1);
  ASSERT_TRUE(decoder.Decode(full[0].bytes.data(), full[0].bytes.size(), 0));
  const plat::PictureCopy reference = Converted(decoder, *decoder.Picture());
  FramePtr twoPlanes = RepackTwoPlanes(*decoder.Picture());
  ASSERT_EQ(twoPlanes->color_range, AVCOL_RANGE_JPEG);
  // The same picture, so the same colours, but for the chroma filtering of the general path.
  const double sameRange = MeanDifference(Converted(decoder, *twoPlanes), reference);
  twoPlanes->color_range = AVCOL_RANGE_MPEG;
  const double otherRange = MeanDifference(Converted(decoder, *twoPlanes), reference);
  EXPECT_LT(sameRange, 2.0);
  EXPECT_GT(otherRange, 5.0);
}

TEST(PictureConversionTest, ConversionFollowsFormatAndSizeChangesInsideTheStream) {
  // One recording after another: the same size in another layout, another size, and back to
  // the first size in full range. (A limited-range stream that says nothing of its range is not
  // put after a full-range one: the decoder keeps the range it was last told.)
  const StreamFormat parts[] = {
      {320, 240, 30, 4, 26, StreamLayout::Yuv420},
      {320, 240, 30, 4, 26, StreamLayout::Yuv444},
      {352, 288, 30, 4, 26, StreamLayout::Yuv420},
      {320, 240, 30, 4, 26, StreamLayout::Yuv420FullRange},
  };
  std::vector<AccessUnit> stream;
  std::vector<std::string> expected;
  for (const StreamFormat& f : parts) {
    const fixtures::ReferenceStream part = fixtures::EncodeWithReference(f, 4, "part.h264", kBgraArgs);
    ASSERT_EQ(part.hashes.size(), 4u);
    stream.insert(stream.end(), part.units.begin(), part.units.end());
    expected.insert(expected.end(), part.hashes.begin(), part.hashes.end());
  }
  plat::OffscreenPresenter presenter;
  EXPECT_EQ(DecodeAndPresent(stream, presenter), expected);
  const std::vector<plat::PresentRecord> records = presenter.Presents();
  ASSERT_EQ(records.size(), 16u);
  EXPECT_EQ(records[8].width, 352);
  EXPECT_EQ(records[12].width, 320);
}
