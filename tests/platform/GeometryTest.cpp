#include <gtest/gtest.h>

#include "platform/Geometry.h"

TEST(GeometryTest, RectanglesFollowTheFrameworkArithmetic) {
  CRect r(10, 20, 0, 5);
  EXPECT_TRUE(r.IsRectEmpty());
  EXPECT_EQ(r.Width(), -10);
  r.NormalizeRect();
  EXPECT_EQ(r, CRect(0, 5, 10, 20));
  EXPECT_TRUE(r.PtInRect({0, 5}));
  EXPECT_FALSE(r.PtInRect({10, 5}));  // right and bottom edges are outside
  EXPECT_FALSE(r.PtInRect({5, 20}));

  CRect i;
  EXPECT_TRUE(i.IntersectRect(r, CRect(5, 0, 30, 10)));
  EXPECT_EQ(i, CRect(5, 5, 10, 10));
  EXPECT_FALSE(i.IntersectRect(r, CRect(10, 5, 20, 20)));  // touching only
  EXPECT_TRUE(i.IsRectNull());

  CRect u;
  EXPECT_TRUE(u.UnionRect(r, CRect()));  // an empty rectangle adds nothing
  EXPECT_EQ(u, r);
  EXPECT_TRUE(u.UnionRect(r, CRect(-5, 0, 1, 1)));
  EXPECT_EQ(u, CRect(-5, 0, 10, 20));

  r.InflateRect(2, 3);
  EXPECT_EQ(r, CRect(-2, 2, 12, 23));
  r.DeflateRect(1, 1, 2, 2);
  EXPECT_EQ(r, CRect(-1, 3, 10, 21));
  r.OffsetRect(1, -3);
  EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
  EXPECT_EQ(r.Size(), CSize(11, 18));
  EXPECT_EQ(r + CPoint(1, 1), CRect(1, 1, 12, 19));
  EXPECT_EQ(CPoint(5, 5) - CPoint(2, 1), CSize(3, 4));

  EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
  EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
  const LPARAM lp = MAKELPARAM(static_cast<WORD>(-4), 7);
  EXPECT_EQ(GET_X_LPARAM(lp), -4);
  EXPECT_EQ(GET_Y_LPARAM(lp), 7);
}

namespace {
int AreaOf(LPCRECT r) { return (r->right - r->left) * (r->bottom - r->top); }
void Grow(LPRECT r) { ++r->right; }
}  // namespace

TEST(GeometryTest, RectanglesPassWhereRectanglePointersAreExpected) {
  CRect r(0, 0, 4, 5);
  const CRect c(1, 1, 3, 3);
  EXPECT_EQ(AreaOf(r), 20);
  EXPECT_EQ(AreaOf(c), 4);
  Grow(r);
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r, CRect(0, 0, 5, 5));  // comparison still compares the rectangles
}
