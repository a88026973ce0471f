#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/RotatedBitmap.h"

using namespace gditest;

namespace {

// A compass needle as the artwork draws it: pointing up, red tip over a blue shaft, on black that
// must stay see-through; it turns about the point w/2 above its bottom, centred.
QImage Needle() {
  QImage needle = Canvas(12, 40, kBlack);
  for (int y = 0; y < 40; ++y) {
    const bool tip = y < 10;
    for (int x = tip ? 3 : 4; x <= (tip ? 8 : 7); ++x) needle.setPixel(x, y, tip ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  }
  return needle;
}

QRect BoundsOf(const QImage& image, COLORREF color) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (At(image, x, y) == color) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

}  // namespace

TEST(KeyedDrawingTest, ANeedleTurnedAQuarterClockwiseAboutItsPivotPointsEastAndItsBlackStaysSeeThrough) {
  CBitmap needle;
  ASSERT_TRUE(plat::CreateBitmapFromImage(needle, Needle()));
  QImage dial = Canvas(160, 100, kGrey);
  SurfaceDc s(dial);
  const POINT anchor{12 / 2, 40 - 12 / 2};
  ASSERT_TRUE(plat::DrawRotatedBitmap(s.dc, needle, {{40, 50}, anchor, 0.0, kBlack}));
  ASSERT_TRUE(plat::DrawRotatedBitmap(s.dc, needle, {{100, 50}, anchor, 90.0, kBlack}));
  SaveForReview(dial, "gdi-needle-0-and-90");

  // Unturned, the anchor sits on the pivot: the needle spans x 37..42 and y 16..55, tip on top.
  const QImage left = dial.copy(0, 0, 70, 100);
  EXPECT_EQ(BoundsOfNot(left, kGrey), QRect(37, 16, 6, 40));
  EXPECT_EQ(BoundsOf(left, kRed), QRect(37, 16, 6, 10));

  // A quarter turn clockwise lays it along the x axis, tip to the east, the 6 pixels of tail
  // behind the pivot to the west; its black pixels leave the grey as it was.
  const QImage right = dial.copy(70, 0, 90, 100);
  EXPECT_EQ(BoundsOfNot(right, kGrey).translated(70, 0), QRect(94, 47, 40, 6));
  EXPECT_EQ(BoundsOf(right, kRed).translated(70, 0), QRect(124, 47, 10, 6));
  EXPECT_EQ(BoundsOf(right, kBlue).translated(70, 0), QRect(94, 48, 30, 4));

  // Other angles keep the shape: at 180 degrees the tip points south.
  QImage turned = Canvas(60, 100, kGrey);
  SurfaceDc t(turned);
  ASSERT_TRUE(plat::DrawRotatedBitmap(t.dc, needle, {{30, 40}, anchor, 180.0, kBlack}));
  EXPECT_EQ(BoundsOfNot(turned, kGrey), QRect(27, 34, 6, 40));
  EXPECT_EQ(BoundsOf(turned, kRed), QRect(27, 64, 6, 10));
  EXPECT_FALSE(plat::DrawRotatedBitmap(t.dc, CBitmap(), {}));
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
  EXPECT_EQ(At(screen, 3, 1), kBlue);  // the black quarter shows what was there
  EXPECT_EQ(At(screen, 4, 2), kBlue);
  EXPECT_EQ(At(screen, 2, 4), kGreen);
  EXPECT_EQ(At(screen, 4, 4), kRed);
  EXPECT_TRUE(OutsideIs(screen, QRect(1, 1, 4, 4), kBlue));
  EXPECT_FALSE(s.dc.TransparentBlt(0, 0, 2, 2, nullptr, 0, 0, 2, 2, kBlack));
  EXPECT_FALSE(s.dc.TransparentBlt(0, 0, 2, 2, &source, 0, 0, 0, 2, kBlack));
}
