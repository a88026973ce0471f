#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"

using namespace gditest;


TEST(DcShapesTest, FillRectLeavesTheRightAndBottomEdgesOut) {
  QImage image = Canvas(20, 20, kWhite);
  SurfaceDc s(image);
  CBrush red(kRed);
  s.dc.FillRect(CRect(0, 0, 10, 10), &red);
  EXPECT_EQ(At(image, 0, 0), kRed);
  EXPECT_EQ(At(image, 9, 9), kRed);
  EXPECT_EQ(At(image, 10, 5), kWhite);
  EXPECT_EQ(At(image, 5, 10), kWhite);

  // An upside-down rectangle fills nothing; FillSolidRect also sets the background colour.
  s.dc.FillRect(CRect(15, 15, 12, 12), &red);
  EXPECT_EQ(At(image, 13, 13), kWhite);
  s.dc.FillSolidRect(12, 12, 3, 2, kGrey);
  EXPECT_EQ(At(image, 14, 13), kGrey);
  EXPECT_EQ(At(image, 14, 14), kWhite);
  EXPECT_EQ(s.dc.GetBkColor(), kGrey);
}

TEST(DcShapesTest, RectangleOutlinesWithThePenAndANullPenFillsOnePixelShort) {
  QImage image = Canvas(10, 10, kGrey);
  SurfaceDc s(image);
  EXPECT_TRUE(s.dc.Rectangle(2, 2, 6, 6));  // default black pen and white brush
  for (auto [x, y] : {std::pair{2, 3}, {5, 3}, {3, 2}, {3, 5}, {2, 2}, {5, 5}}) {
    EXPECT_EQ(At(image, x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(At(image, 3, 3), kWhite);
  EXPECT_EQ(At(image, 4, 4), kWhite);
  EXPECT_EQ(At(image, 6, 3), kGrey);
  EXPECT_EQ(At(image, 3, 6), kGrey);

  image = Canvas(10, 10, kGrey);
  CBrush red(kRed);
  s.dc.SelectStockObject(NULL_PEN);
  s.dc.SelectObject(&red);
  s.dc.Rectangle(2, 2, 6, 6);
  EXPECT_EQ(At(image, 2, 2), kRed);
  EXPECT_EQ(At(image, 4, 4), kRed);
  EXPECT_EQ(At(image, 5, 5), kGrey);
  EXPECT_EQ(At(image, 5, 2), kGrey);
  EXPECT_EQ(At(image, 2, 5), kGrey);

  // A null brush leaves the inside alone.
  image = Canvas(10, 10, kGrey);
  s.dc.SelectStockObject(BLACK_PEN);
  s.dc.SelectStockObject(NULL_BRUSH);
  s.dc.Rectangle(2, 2, 6, 6);
  EXPECT_EQ(At(image, 2, 2), kBlack);
  EXPECT_EQ(At(image, 3, 3), kGrey);
}

TEST(DcShapesTest, LinesLeaveTheirEndPointOut) {
  QImage image = Canvas(10, 10, kWhite);
  SurfaceDc s(image);
  s.dc.MoveTo(0, 0);
  EXPECT_TRUE(s.dc.LineTo(5, 0));
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(image, x, 0), kBlack) << x;
  EXPECT_EQ(At(image, 5, 0), kWhite);
  EXPECT_EQ(s.dc.GetCurrentPosition(), CPoint(5, 0));

  // A diagonal: one pixel per step, the end point again left out.
  CPen red(PS_SOLID, 1, kRed);
  CPen* old = s.dc.SelectObject(&red);
  s.dc.MoveTo(2, 2);
  s.dc.LineTo(6, 6);
  EXPECT_EQ(At(image, 2, 2), kRed);
  EXPECT_EQ(At(image, 5, 5), kRed);
  EXPECT_EQ(At(image, 6, 6), kWhite);
  EXPECT_EQ(At(image, 3, 2), kWhite);

  // Upward and leftward lines also stop short of the end point.
  s.dc.MoveTo(9, 9);
  s.dc.LineTo(9, 6);
  EXPECT_EQ(At(image, 9, 7), kRed);
  EXPECT_EQ(At(image, 9, 6), kWhite);
  s.dc.SelectObject(old);
  s.dc.MoveTo(0, 9);
  s.dc.LineTo(3, 9);
  EXPECT_EQ(At(image, 2, 9), kBlack);

  // Lines far beyond the image draw their visible part only, on the same pixels.
  image = Canvas(10, 10, kWhite);
  s.dc.MoveTo(-1000000000, 4);
  s.dc.LineTo(1000000000, 4);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(At(image, x, 4), kBlack) << x;
  s.dc.MoveTo(3, 2000000000);
  s.dc.LineTo(3, -2000000000);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(At(image, 3, y), kBlack) << y;
  // A steep line takes one pixel per row, the column rounded from the slope.
  image = Canvas(10, 10, kWhite);
  s.dc.MoveTo(0, 0);
  s.dc.LineTo(2, 8);
  EXPECT_EQ(gditest::BoundsOfNot(image, kWhite), QRect(0, 0, 3, 8));
  for (int y = 0; y < 8; ++y) EXPECT_EQ(At(image, (2 * y * 2 + 8) / 16, y), kBlack) << y;
}

TEST(DcShapesTest, PolygonFillsAlternateAndOutlinesWithThePen) {
  QImage image = Canvas(12, 12, kWhite);
  SurfaceDc s(image);
  CBrush red(kRed);
  s.dc.SelectObject(&red);
  s.dc.SelectStockObject(NULL_PEN);
  const POINT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(s.dc.Polygon(square, 4));
  EXPECT_EQ(At(image, 0, 0), kRed);
  EXPECT_EQ(At(image, 9, 9), kRed);
  EXPECT_EQ(At(image, 10, 5), kWhite);
  EXPECT_EQ(At(image, 5, 10), kWhite);

  // Two overlapping figures through one outline: with the alternate rule the overlap stays empty.
  image = Canvas(12, 12, kWhite);
  const POINT twice[] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0}, {4, 4}, {11, 4}, {11, 11}, {4, 11}, {4, 4}};
  s.dc.Polygon(twice, 10);
  EXPECT_EQ(At(image, 1, 1), kRed);
  EXPECT_EQ(At(image, 10, 10), kRed);
  EXPECT_EQ(At(image, 5, 5), kWhite);
  image = Canvas(12, 12, kWhite);
  s.dc.SetPolyFillMode(WINDING);
  s.dc.Polygon(twice, 10);
  EXPECT_EQ(At(image, 5, 5), kRed);

  // The pen closes the outline and covers every vertex.
  image = Canvas(12, 12, kWhite);
  s.dc.SelectStockObject(BLACK_PEN);
  s.dc.SelectStockObject(NULL_BRUSH);
  const POINT triangle[] = {{1, 1}, {9, 1}, {1, 9}};
  s.dc.Polygon(triangle, 3);
  EXPECT_EQ(At(image, 9, 1), kBlack);
  EXPECT_EQ(At(image, 1, 9), kBlack);
  EXPECT_EQ(At(image, 1, 5), kBlack);
  EXPECT_EQ(At(image, 3, 3), kWhite);
  EXPECT_FALSE(s.dc.Polygon(triangle, 1));
}

TEST(DcShapesTest, FocusRectangleInvertsAlternatePixelsAndTwiceRestores) {
  QImage image = Canvas(16, 12, RGB(10, 200, 30));
  for (int y = 0; y < image.height(); ++y) image.setPixel(y % 16, y, qRgb(250, 5, 60));
  const QImage before = image.copy();
  SurfaceDc s(image);
  const CRect r(2, 1, 13, 10);
  s.dc.DrawFocusRect(r);
  int changed = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool onFrame = r.PtInRect({x, y}) && (x == 2 || x == 12 || y == 1 || y == 9);
      const bool differs = image.pixel(x, y) != before.pixel(x, y);
      if (differs) {
        ++changed;
        EXPECT_TRUE(onFrame) << x << "," << y;
        EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, ~before.pixel(x, y) & 0xFFFFFF);
      }
      // Neighbours along the frame never both change: every other pixel only.
      if (onFrame && differs && x + 1 <= 12 && (y == 1 || y == 9)) {
        EXPECT_EQ(image.pixel(x + 1, y), before.pixel(x + 1, y));
      }
    }
  }
  EXPECT_GT(changed, 10);
  s.dc.DrawFocusRect(r);
  EXPECT_EQ(image, before);
}

TEST(DcShapesTest, DrawEdgeUsesTheThreeDColoursOuterThenInner) {
  QImage image = Canvas(10, 10, kRed);
  SurfaceDc s(image);
  CRect r(0, 0, 10, 10);
  EXPECT_TRUE(s.dc.DrawEdge(&r, EDGE_RAISED, BF_RECT));
  EXPECT_EQ(At(image, 0, 5), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(At(image, 9, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(image, 1, 5), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(At(image, 8, 5), GetSysColor(COLOR_3DSHADOW));
  // The bottom-right line covers the corners; the middle stays untouched.
  EXPECT_EQ(At(image, 9, 0), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(image, 0, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(image, 0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(At(image, 5, 5), kRed);
  EXPECT_EQ(r, CRect(0, 0, 10, 10));

  image = Canvas(10, 10, kRed);
  EXPECT_TRUE(s.dc.DrawEdge(&r, BDR_SUNKENINNER, BF_RECT | BF_ADJUST));
  EXPECT_EQ(At(image, 0, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(image, 9, 5), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(At(image, 1, 5), kRed);
  EXPECT_EQ(r, CRect(1, 1, 9, 9));

  image = Canvas(10, 10, kRed);
  r = CRect(0, 0, 10, 10);
  s.dc.DrawEdge(&r, EDGE_SUNKEN, BF_LEFT | BF_ADJUST);
  EXPECT_EQ(At(image, 0, 9), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(At(image, 1, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(image, 5, 0), kRed);
  EXPECT_EQ(r, CRect(2, 0, 10, 10));
}

TEST(DcShapesTest, FrameInvertAndRegionFills) {
  QImage image = Canvas(12, 12, kWhite);
  SurfaceDc s(image);
  CBrush red(kRed);
  s.dc.FrameRect(CRect(1, 1, 6, 6), &red);
  EXPECT_EQ(At(image, 1, 1), kRed);
  EXPECT_EQ(At(image, 5, 5), kRed);
  EXPECT_EQ(At(image, 3, 5), kRed);
  EXPECT_EQ(At(image, 3, 3), kWhite);
  EXPECT_EQ(At(image, 6, 3), kWhite);

  s.dc.InvertRect(CRect(0, 0, 2, 2));
  EXPECT_EQ(At(image, 0, 0), kBlack);
  EXPECT_EQ(At(image, 1, 1), RGB(0, 255, 255));
  EXPECT_EQ(At(image, 2, 2), kWhite);

  image = Canvas(12, 12, kWhite);
  CRgn a, b;
  a.CreateRectRgn(0, 0, 4, 4);
  b.CreateRectRgn(6, 6, 8, 8);
  CRgn both;
  both.CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(s.dc.FillRgn(&both, &red));
  EXPECT_EQ(At(image, 3, 3), kRed);
  EXPECT_EQ(At(image, 7, 7), kRed);
  EXPECT_EQ(At(image, 5, 5), kWhite);
  EXPECT_EQ(At(image, 8, 8), kWhite);
}

TEST(DcShapesTest, PixelsAndClippingStayInsideTheAllowedArea) {
  QImage image = Canvas(20, 20, kWhite);
  SurfaceDc s(image, QRegion(5, 5, 10, 10));
  CBrush red(kRed);
  s.dc.FillRect(CRect(0, 0, 20, 20), &red);
  EXPECT_EQ(gditest::BoundsOfNot(image, kWhite), QRect(5, 5, 10, 10));
  EXPECT_EQ(s.dc.GetPixel(5, 5), kRed);
  EXPECT_EQ(s.dc.GetPixel(4, 4), CLR_INVALID);
  EXPECT_EQ(s.dc.SetPixel(4, 4, kBlack), CLR_INVALID);
  EXPECT_EQ(s.dc.SetPixel(6, 6, kBlack), kBlack);
  EXPECT_EQ(At(image, 6, 6), kBlack);

  CRect box;
  EXPECT_EQ(s.dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(5, 5, 15, 15));
  EXPECT_EQ(s.dc.IntersectClipRect(0, 0, 8, 8), SIMPLEREGION);
  s.dc.GetClipBox(&box);
  EXPECT_EQ(box, CRect(5, 5, 8, 8));
  // Removing the context's own clipping never widens it past the surface's.
  EXPECT_EQ(s.dc.SelectClipRgn(nullptr), SIMPLEREGION);
  s.dc.GetClipBox(&box);
  EXPECT_EQ(box, CRect(5, 5, 15, 15));
  EXPECT_EQ(s.dc.IntersectClipRect(0, 0, 2, 2), NULLREGION);
  EXPECT_EQ(s.dc.GetClipBox(&box), NULLREGION);
  EXPECT_TRUE(box.IsRectNull());
  CDC none;
  EXPECT_EQ(none.GetClipBox(&box), ERROR);
}
