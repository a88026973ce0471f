// The digital zoom: how a zoom step changes the crop rectangle of a picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/video/CropZoom.h"

namespace {

bool Inside(const CRect& c) { return c.left >= 0 && c.top >= 0 && c.right <= 0 && c.bottom <= 0; }
bool Cleared(const CRect& c) { return c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0; }
int VisibleWidth(const CRect& c, int width) { return width - c.left + c.right; }
int VisibleHeight(const CRect& c, int height) { return height - c.top + c.bottom; }
int HorizontalMargins(const CRect& c) { return std::abs(c.left) + std::abs(c.right); }

// Zooms in about a point until a step changes nothing; every crop on the way.
std::vector<CRect> ZoomInFully(int width, int height, int x, int y) {
  std::vector<CRect> crops{CRect(0, 0, 0, 0)};
  for (int i = 0; i < 1000; ++i) {
    const CRect next = ZoomCrop(crops.back(), width, height, x, y, 1);
    if (next == crops.back()) break;
    crops.push_back(next);
  }
  return crops;
}

}  // namespace

TEST(CropZoomTest, ZoomingOutOfNoZoomClearsTheCrop) {
  EXPECT_TRUE(Cleared(ZoomCrop(CRect(0, 0, 0, 0), 1280, 720, 0, 0, -1)));
  // Margins on one axis only are no zoom.
  EXPECT_TRUE(Cleared(ZoomCrop(CRect(40, 0, -40, 0), 1280, 720, 300000, 0, -1)));
  EXPECT_TRUE(Cleared(ZoomCrop(CRect(0, 30, 0, -30), 1280, 720, 0, 0, -2)));
}

TEST(CropZoomTest, AStepGrowsEachMarginByItsShareOfThePicture) {
  // 1 % of 1280 and 720, rounded up: 13 and 8 pixels a side.
  EXPECT_EQ(ZoomCrop(CRect(0, 0, 0, 0), 1280, 720, 0, 0, 1), CRect(13, 8, -13, -8));
  EXPECT_EQ(ZoomCrop(CRect(0, 0, 0, 0), 1920, 1080, 0, 0, 2), CRect(39, 22, -39, -22));
  // Zooming out takes the share rounded toward zero off each side.
  EXPECT_EQ(ZoomCrop(CRect(26, 16, -26, -16), 1280, 720, 0, 0, -1), CRect(15, 10, -15, -10));
}

TEST(CropZoomTest, ZoomingInStopsAtTheMarginLimitOrBeforeThePictureIsGone) {
  // At 1920 x 1080 the margin limit comes first.
  const std::vector<CRect> wide = ZoomInFully(1920, 1080, 0, 0);
  ASSERT_GE(wide.size(), 3u);
  EXPECT_GE(HorizontalMargins(wide.back()), kMaxZoomMargins);
  EXPECT_LT(HorizontalMargins(wide[wide.size() - 2]), kMaxZoomMargins);
  // At 1280 x 720 the margins would pass the picture's height before reaching the limit: the
  // zoom stops while a picture is left.
  const std::vector<CRect> small = ZoomInFully(1280, 720, 0, 0);
  EXPECT_LT(HorizontalMargins(small.back()), kMaxZoomMargins);
  EXPECT_LE(VisibleHeight(small.back(), 720), 16);  // another step takes 8 pixels off each side
  for (const auto* crops : {&wide, &small}) {
    const int width = crops == &wide ? 1920 : 1280;
    const int height = crops == &wide ? 1080 : 720;
    for (const CRect& c : *crops) {
      EXPECT_TRUE(Inside(c));
      EXPECT_GE(VisibleWidth(c, width), 1);
      EXPECT_GE(VisibleHeight(c, height), 1);
    }
  }
}

TEST(CropZoomTest, TheCropMovesTowardThePointAndStaysInsideThePicture) {
  const CRect centred = ZoomCrop(CRect(100, 60, -100, -60), 1280, 720, 0, 0, 1);
  EXPECT_EQ(centred.left, -centred.right);
  const CRect right = ZoomCrop(CRect(100, 60, -100, -60), 1280, 720, 400000, 0, 1);
  EXPECT_GT(right.left, centred.left);
  EXPECT_EQ(right.left - right.right, centred.left - centred.right);  // same size, moved right
  const CRect up = ZoomCrop(CRect(100, 60, -100, -60), 1280, 720, 0, -400000, 1);
  EXPECT_LT(up.top, centred.top);
  // Zooming at the far corner again and again pushes the crop against the picture's edges.
  for (const auto& [x, y] : {std::pair{1000000, 1000000}, std::pair{-1000000, -1000000}}) {
    CRect c(0, 0, 0, 0);
    for (int i = 0; i < 40; ++i) {
      c = ZoomCrop(c, 1280, 720, x, y, 1);
      ASSERT_TRUE(Inside(c)) << i;
    }
    EXPECT_TRUE(x > 0 ? c.right == 0 : c.left == 0);
    EXPECT_TRUE(y > 0 ? c.bottom == 0 : c.top == 0);
  }
}

TEST(CropZoomTest, ZoomingOutAllTheWayEndsWithNoCrop) {
  CRect c(0, 0, 0, 0);
  for (int i = 0; i < 20; ++i) c = ZoomCrop(c, 1280, 720, 250000, -150000, 1);
  ASSERT_FALSE(Cleared(c));
  int steps = 0;
  while (!Cleared(c) && steps < 100) {
    c = ZoomCrop(c, 1280, 720, 250000, -150000, -1);
    ASSERT_TRUE(Inside(c)) << steps;
    ++steps;
  }
  EXPECT_TRUE(Cleared(c));
  EXPECT_GT(steps, 1);
}
