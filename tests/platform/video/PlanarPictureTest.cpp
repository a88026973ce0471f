#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "platform/video/PlanarPicture.h"

// A paint asks for any part of the picture, from any column: each pixel comes out as it does when
// asked for alone (the plain conversion), whatever the processor's wider registers do with whole
// groups of pixels, for every matrix and range a recording may name; nothing outside the part is
// written.
TEST(PlanarPictureTest, EveryPartConvertsAsEachOfItsPixelsAlone) {
  std::mt19937 random(7);
  constexpr int kWidth = 203, kHeight = 9;
  for (const int matrix : {SWS_CS_ITU709, SWS_CS_ITU601, SWS_CS_SMPTE240M}) {
    for (const bool fullRange : {false, true}) {
      SCOPED_TRACE(testing::Message() << "matrix " << matrix << (fullRange ? " full" : " limited"));
      plat::PlanarPicture picture;
      picture.Reset(kWidth, kHeight, fullRange, matrix);
      for (int p = 0; p < 3; ++p) {
        for (int y = 0; y < (p == 0 ? kHeight : (kHeight + 1) / 2); ++y) {
          for (int x = 0; x < (p == 0 ? kWidth : (kWidth + 1) / 2); ++x) {
            picture.Plane(p)[y * picture.Stride(p) + x] = static_cast<std::uint8_t>(random());
          }
        }
      }
      const CRect part(5, 1, kWidth - 2, kHeight);
      const int stride = part.Width() + 1;
      std::vector<std::uint32_t> out(static_cast<std::size_t>(stride) * part.Height(), 0x12345678u);
      picture.ConvertTo(part, reinterpret_cast<std::uint8_t*>(out.data()), stride * 4);
      for (int y = 0; y < part.Height(); ++y) {
        for (int x = 0; x < part.Width(); ++x) {
          std::uint32_t alone = 0;
          const CPoint at(part.left + x, part.top + y);
          picture.ConvertTo(CRect(at, CSize(1, 1)), reinterpret_cast<std::uint8_t*>(&alone), 4);
          ASSERT_EQ(out[y * stride + x], alone) << at.x << "," << at.y;
        }
        ASSERT_EQ(out[y * stride + part.Width()], 0x12345678u);
      }
    }
  }
}
