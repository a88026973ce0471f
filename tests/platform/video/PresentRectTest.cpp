#include <gtest/gtest.h>

#include "platform/video/VideoPresenter.h"

using plat::ComputePresentRect;
using plat::CropSourceRect;

TEST(PresentRectTest, LetterboxIsTheLargestCentredRectangleOfThePicturesProportion) {
  // Wider than the client: the height is cut to 1000 * 720 / 1280 = 562, 219 off each side.
  EXPECT_EQ(ComputePresentRect(CRect(0, 0, 1000, 1000), 1280, 720), CRect(0, 219, 1000, 781));
  // Taller: the mirror case on the other axis.
  EXPECT_EQ(ComputePresentRect(CRect(0, 0, 1000, 1000), 720, 1280), CRect(219, 0, 781, 1000));
  // An odd difference leaves the extra line inside; the client's position is kept.
  EXPECT_EQ(ComputePresentRect(CRect(10, 20, 1010, 1021), 1280, 720), CRect(10, 239, 1010, 802));
  // The same proportion fills the client.
  EXPECT_EQ(ComputePresentRect(CRect(0, 0, 640, 360), 1280, 720), CRect(0, 0, 640, 360));
}

TEST(PresentRectTest, AnEmptyClientOrPictureGivesAnEmptyRectangle) {
  EXPECT_TRUE(ComputePresentRect(CRect(0, 0, 0, 0), 1280, 720).IsRectEmpty());
  EXPECT_TRUE(ComputePresentRect(CRect(0, 0, 800, 0), 1280, 720).IsRectEmpty());
  EXPECT_TRUE(ComputePresentRect(CRect(50, 50, 40, 90), 1280, 720).IsRectEmpty());
  EXPECT_TRUE(ComputePresentRect(CRect(0, 0, 800, 600), 0, 720).IsRectEmpty());
  EXPECT_TRUE(ComputePresentRect(CRect(0, 0, 800, 600), 1280, -1).IsRectEmpty());
  // A client too narrow for one line of the picture.
  EXPECT_TRUE(ComputePresentRect(CRect(0, 0, 1, 1000), 1920, 1080).IsRectEmpty());
}

TEST(PresentRectTest, CropMarginsLeaveTheSourceRectangleInsideThePicture) {
  EXPECT_EQ(CropSourceRect(CRect(), 320, 240), CRect(0, 0, 320, 240));
  EXPECT_EQ(CropSourceRect(CRect(10, 20, -30, -40), 320, 240), CRect(10, 20, 290, 200));
  // Margins outside the picture are cut back to it.
  EXPECT_EQ(CropSourceRect(CRect(-5, -5, 10, 10), 320, 240), CRect(0, 0, 320, 240));
  // Margins that leave nothing.
  EXPECT_TRUE(CropSourceRect(CRect(200, 0, -200, 0), 320, 240).IsRectEmpty());
  EXPECT_TRUE(CropSourceRect(CRect(0, 240, 0, 0), 320, 240).IsRectEmpty());
  EXPECT_TRUE(CropSourceRect(CRect(), 0, 0).IsRectEmpty());
}
