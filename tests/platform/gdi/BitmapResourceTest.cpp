#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/GdiQt.h"

using gditest::At;

TEST(BitmapResourceTest, BitmapsLoadByIdFromResourcesOrRegisteredImages) {
  CBitmap png;
  ASSERT_TRUE(png.LoadBitmap(4242));  // ":/bitmaps/4242.png"
  BITMAP bm;
  ASSERT_EQ(png.GetBitmap(&bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  dc.SelectObject(&png);
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(2, 0), RGB(0, 0, 255));
  EXPECT_EQ(dc.GetPixel(2, 1), RGB(128, 128, 128));

  CBitmap bmp;
  ASSERT_TRUE(bmp.LoadBitmap(4343));  // ":/bitmaps/4343.bmp"
  const QImage image = plat::ImageOf(bmp);
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(At(image, 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(At(image, 1, 1), RGB(100, 110, 120));

  CBitmap missing;
  EXPECT_FALSE(missing.LoadBitmap(1));
  EXPECT_EQ(missing.GetSafeHandle(), nullptr);

  // A registered image comes first, translucent pixels made opaque; a null image unregisters.
  QImage translucent(2, 1, QImage::Format_ARGB32);
  translucent.fill(qRgba(0, 200, 0, 40));
  plat::RegisterBitmapResource(4242, translucent);
  CBitmap registered;
  ASSERT_TRUE(registered.LoadBitmap(4242));
  EXPECT_EQ(plat::ImageOf(registered).size(), QSize(2, 1));
  EXPECT_EQ(plat::ImageOf(registered).pixel(0, 0) >> 24, 0xFFu);
  plat::RegisterBitmapResource(4242, QImage());
  CBitmap again;
  ASSERT_TRUE(again.LoadBitmap(4242));
  EXPECT_EQ(plat::ImageOf(again).size(), QSize(3, 2));
  EXPECT_TRUE(plat::ImageOf(static_cast<HBITMAP>(nullptr)).isNull());
}

TEST(BitmapResourceTest, FontsShowThemselvesToQtAsTheyDraw) {
  CFont font;
  LOGFONTW lf = plat::MessageFont();
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  font.CreateFontIndirect(&lf);
  const QFont q = plat::QFontOf(static_cast<HFONT>(font));
  EXPECT_EQ(q.pixelSize(), 12);
  EXPECT_EQ(q.weight(), QFont::Bold);
  EXPECT_TRUE(q.italic());
  EXPECT_EQ(q.family(), QStringLiteral("DejaVu Sans"));
  EXPECT_FALSE(q.kerning());
  // The system font stands in for a null or dead handle.
  const QFont system = plat::QFontOf(static_cast<HFONT>(nullptr));
  EXPECT_EQ(system.weight(), QFont::Bold);
  EXPECT_EQ(system, plat::QFontOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))));
}
