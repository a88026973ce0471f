#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/RotatedBitmap.h"

using namespace gditest;

// A compass needle as the artwork draws it: 12 x 40, pointing up, a red tip over a blue shaft on
// black that must stay see-through, turning about the point w/2 above its bottom.
TEST(KeyedDrawingTest, ANeedleTurnedAQuarterClockwiseAboutItsPivotPointsEastAndItsBlackStaysSeeThrough) {
  QImage pixels = Canvas(12, 40, kBlack);
  for (int y = 0; y < 40; ++y) {
    const bool tip = y < 10;
    for (int x = tip ? 3 : 4; x <= (tip ? 8 : 7); ++x) pixels.setPixel(x, y, tip ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  }
  CBitmap needle;
  ASSERT_TRUE(plat::CreateBitmapFromImage(needle, pixels));
  QImage dial = Canvas(160, 100, kGrey);
  SurfaceDc s(dial);
  const POINT anchor{12 / 2, 40 - 12 / 2};
  ASSERT_TRUE(plat::DrawRotatedBitmap(s.dc, needle, {{40, 50}, anchor, 0.0, kBlack}));
  ASSERT_TRUE(plat::DrawRotatedBitmap(s.dc, needle, {{100, 50}, anchor, 90.0, kBlack}));
  SaveForReview(dial, "gdi-needle-0-and-90");

  // Unturned, the anchor sits on the pivot: the needle spans x 37..42 and y 16..55, tip on top.
  EXPECT_EQ(BoundsOfNot(dial.copy(0, 0, 70, 100), kGrey), QRect(37, 16, 6, 40));
  EXPECT_EQ(At(dial, 40, 25), kRed);
  EXPECT_EQ(At(dial, 40, 26), kBlue);
  // A quarter turn lays it along the x axis, tip east, the 6 pixels of tail west of the pivot;
  // its black leaves the grey as it was.
  EXPECT_EQ(BoundsOfNot(dial.copy(70, 0, 90, 100), kGrey).translated(70, 0), QRect(94, 47, 40, 6));
  EXPECT_EQ(At(dial, 124, 50), kRed);
  EXPECT_EQ(At(dial, 123, 50), kBlue);
  EXPECT_FALSE(plat::DrawRotatedBitmap(s.dc, CBitmap(), {}));
}

TEST(KeyedDrawingTest, TransparentBltScalesTheSourceAndLeavesOutTheKeyColour) {
  QImage pixels = Canvas(2, 2, kRed);
  pixels.setPixel(1, 0, qRgb(0, 0, 0));
  pixels.setPixel(0, 1, qRgb(0, 255, 0));
  CBitmap picture;
  ASSERT_TRUE(plat::CreateBitmapFromImage(picture, pixels));
  CDC source;
  source.CreateCompatibleDC(nullptr);
  source.SelectObject(&picture);
  QImage screen = Canvas(6, 6, kBlue);
  SurfaceDc s(screen);
  EXPECT_TRUE(s.dc.TransparentBlt(1, 1, 4, 4, &source, 0, 0, 2, 2, kBlack));
  EXPECT_EQ(At(screen, 1, 1), kRed);
  EXPECT_EQ(At(screen, 4, 2), kBlue);  // the black quarter shows what was there
  EXPECT_EQ(At(screen, 2, 4), kGreen);
  EXPECT_TRUE(OutsideIs(screen, QRect(1, 1, 4, 4), kBlue));
  EXPECT_FALSE(s.dc.TransparentBlt(0, 0, 2, 2, &source, 0, 0, 0, 2, kBlack));
}
