#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "platform/video/PlanarPicture.h"

namespace {

// The scaler's own conversion of the picture's samples, at their size, to 32-bit pixels.
std::vector<std::uint32_t> ScalerPixels(const plat::PlanarPicture& picture) {
  const int w = picture.Width(), h = picture.Height();
  SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
  int* inverse = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  sws_getColorspaceDetails(sws, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation);
  sws_setColorspaceDetails(sws, sws_getCoefficients(picture.Matrix()), picture.FullRange(), table, dstRange, brightness,
                           contrast, saturation);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
  const std::uint8_t* planes[3] = {picture.Plane(0), picture.Plane(1), picture.Plane(2)};
  const int strides[3] = {picture.Stride(0), picture.Stride(1), picture.Stride(2)};
  std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(pixels.data())};
  const int outStride[1] = {w * 4};
  sws_scale(sws, planes, strides, 0, h, out, outStride);
  sws_freeContext(sws);
  return pixels;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

}  // namespace

// Whatever part of the picture a paint asks for, at any column, each pixel has the colour the
// scaler gives its samples (within its rounding), with every matrix and range a recording may name.
TEST(PlanarPictureTest, EveryPartConvertsToTheScalersColoursWhereverItStarts) {
  std::mt19937 random(7);
  for (const int matrix : {SWS_CS_ITU709, SWS_CS_ITU601, SWS_CS_SMPTE240M}) {
    for (const bool fullRange : {false, true}) {
      SCOPED_TRACE(testing::Message() << "matrix " << matrix << (fullRange ? " full" : " limited"));
      plat::PlanarPicture picture;
      picture.Reset(206, 22, fullRange, matrix);
      for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? 206 : 103, h = p == 0 ? 22 : 11;
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) picture.Plane(p)[y * picture.Stride(p) + x] = static_cast<std::uint8_t>(random());
        }
      }
      const std::vector<std::uint32_t> scaler = ScalerPixels(picture);
      std::vector<std::uint32_t> whole(scaler.size(), 0);
      picture.ConvertTo(CRect(0, 0, 206, 22), reinterpret_cast<std::uint8_t*>(whole.data()), 206 * 4);
      int worst = 0;
      for (std::size_t i = 0; i < whole.size(); ++i) worst = std::max(worst, ChannelDistance(whole[i], scaler[i]));
      EXPECT_LE(worst, 3);  // the scaler's own rounding

      // A part from an odd column, its pixels written where asked and nowhere else.
      const CRect part(37, 3, 37 + 101, 19);
      std::vector<std::uint32_t> out(static_cast<std::size_t>(part.Width() + 2) * part.Height(), 0x12345678u);
      const int stride = part.Width() + 2;
      picture.ConvertTo(part, reinterpret_cast<std::uint8_t*>(out.data()), stride * 4);
      for (int y = 0; y < part.Height(); ++y) {
        for (int x = 0; x < part.Width(); ++x) {
          ASSERT_EQ(out[y * stride + x], whole[(part.top + y) * 206 + part.left + x]) << x << "," << y;
        }
        ASSERT_EQ(out[y * stride + part.Width()], 0x12345678u);
      }
    }
  }
}
