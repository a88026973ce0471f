#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/ImageList.h"

using namespace gditest;

namespace {
constexpr COLORREF kKey = RGB(255, 0, 255);
}  // namespace

TEST(ImageListTest, MaskedImagesDrawOnlyTheirOpaquePixels) {
  // Two 4 x 4 images: red and blue, each with a key-coloured left column.
  QImage strip = Canvas(8, 4, kRed);
  for (int y = 0; y < 4; ++y) {
    for (int x = 4; x < 8; ++x) strip.setPixel(x, y, qRgb(0, 0, 255));
    strip.setPixel(0, y, qRgb(255, 0, 255));
    strip.setPixel(4, y, qRgb(255, 0, 255));
  }
  CBitmap bitmap;
  ASSERT_TRUE(plat::CreateBitmapFromImage(bitmap, strip));
  CImageList list;
  ASSERT_TRUE(list.Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1));
  EXPECT_FALSE(list.Create(4, 4, ILC_MASK, 1, 1));
  EXPECT_EQ(list.Add(&bitmap, kKey), 0);
  EXPECT_EQ(list.Add(&bitmap, kKey), 2);
  EXPECT_EQ(list.GetImageCount(), 4);

  IMAGEINFO info;
  ASSERT_TRUE(list.GetImageInfo(1, &info));
  EXPECT_EQ(CRect(info.rcImage), CRect(4, 0, 8, 4));
  EXPECT_NE(info.hbmMask, nullptr);
  EXPECT_FALSE(list.GetImageInfo(4, &info));

  QImage screen = Canvas(10, 6, kGreen);
  gditest::SurfaceDc s(screen);
  s.dc.SetTextColor(RGB(1, 2, 3));  // the drawing must not depend on the context's colours
  s.dc.SetBkColor(RGB(4, 5, 6));
  ASSERT_TRUE(list.Draw(&s.dc, 3, CPoint(2, 1), ILD_NORMAL));
  EXPECT_EQ(At(screen, 2, 1), kGreen);  // the key column is transparent
  EXPECT_EQ(At(screen, 3, 1), kBlue);
  EXPECT_EQ(At(screen, 5, 4), kBlue);
  EXPECT_EQ(At(screen, 6, 1), kGreen);
  EXPECT_EQ(s.dc.GetTextColor(), RGB(1, 2, 3));
  EXPECT_FALSE(list.Draw(&s.dc, 4, CPoint(0, 0), ILD_NORMAL));

  // Without a mask every pixel is copied.
  CImageList plain;
  plain.Create(4, 4, ILC_COLOR24, 1, 1);
  EXPECT_EQ(plain.Add(&bitmap, kKey), 0);
  plain.Draw(&s.dc, 0, CPoint(0, 0), ILD_NORMAL);
  EXPECT_EQ(At(screen, 0, 0), kKey);
  EXPECT_TRUE(plain.DeleteImageList());
  EXPECT_EQ(plain.GetImageCount(), 0);
  EXPECT_EQ(plain.Add(&bitmap, kKey), -1);
}
