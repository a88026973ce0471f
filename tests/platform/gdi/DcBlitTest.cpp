#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"

using namespace gditest;

namespace {
constexpr COLORREF kKey = RGB(255, 0, 255);
}  // namespace

TEST(DcBlitTest, MaskComposeShowsTheBackgroundWhereTheMaskIsWhite) {
  // Image: red; mask: left half white (transparent), right half black (opaque).
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
  CBitmap image, mask;
  QImage colour = Canvas(8, 4, kRed);
  ASSERT_TRUE(plat::CreateBitmapFromImage(image, colour));
  QImage maskPixels = Canvas(8, 4, kBlack);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) maskPixels.setPixel(x, y, qRgb(255, 255, 255));
  }
  ASSERT_TRUE(plat::CreateBitmapFromImage(mask, maskPixels));
  CDC maskDc;
  maskDc.CreateCompatibleDC(nullptr);
  maskDc.SelectObject(&mask);
  dc.SelectObject(&image);

  QImage screen = Canvas(8, 4, kBlue);
  SurfaceDc s(screen);
  EXPECT_TRUE(s.dc.BitBlt(0, 0, 8, 4, &dc, 0, 0, SRCINVERT));
  EXPECT_TRUE(s.dc.BitBlt(0, 0, 8, 4, &maskDc, 0, 0, SRCAND));
  EXPECT_TRUE(s.dc.BitBlt(0, 0, 8, 4, &dc, 0, 0, SRCINVERT));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(screen, x, y), x < 4 ? kBlue : kRed) << x << "," << y;
  }
}

TEST(DcBlitTest, ColourToMonoAndMonoToColourFollowTheBackgroundAndTextColours) {
  QImage pixels = Canvas(6, 2, RGB(10, 20, 30));
  pixels.setPixel(1, 0, qRgb(255, 0, 255));
  pixels.setPixel(4, 1, qRgb(255, 0, 255));
  CBitmap picture;
  ASSERT_TRUE(plat::CreateBitmapFromImage(picture, pixels));
  CBitmap mask;
  ASSERT_TRUE(mask.CreateBitmap(6, 2, 1, 1, nullptr));
  CDC pictureDc, maskDc;
  pictureDc.CreateCompatibleDC(nullptr);
  maskDc.CreateCompatibleDC(nullptr);
  pictureDc.SelectObject(&picture);
  maskDc.SelectObject(&mask);

  // Key pixels become 1 (white) in the mask, the others 0.
  pictureDc.SetBkColor(kKey);
  EXPECT_TRUE(maskDc.BitBlt(0, 0, 6, 2, &pictureDc, 0, 0, SRCCOPY));
  EXPECT_EQ(maskDc.GetPixel(1, 0), kWhite);
  EXPECT_EQ(maskDc.GetPixel(4, 1), kWhite);
  EXPECT_EQ(maskDc.GetPixel(0, 0), kBlack);
  EXPECT_EQ(maskDc.GetPixel(5, 1), kBlack);

  // ANDed back with white text and black background: key pixels black, the others unchanged.
  pictureDc.SetTextColor(kWhite);
  pictureDc.SetBkColor(kBlack);
  EXPECT_TRUE(pictureDc.BitBlt(0, 0, 6, 2, &maskDc, 0, 0, SRCAND));
  EXPECT_EQ(pictureDc.GetPixel(1, 0), kBlack);
  EXPECT_EQ(pictureDc.GetPixel(4, 1), kBlack);
  EXPECT_EQ(pictureDc.GetPixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(pictureDc.GetPixel(5, 1), RGB(10, 20, 30));

  // Drawing on a monochrome bitmap takes the nearer of black and white.
  maskDc.FillSolidRect(0, 0, 1, 1, RGB(200, 200, 200));
  EXPECT_EQ(maskDc.GetPixel(0, 0), kWhite);
  EXPECT_EQ(maskDc.SetPixel(2, 0, RGB(100, 0, 0)), kBlack);
  BITMAP bm;
  EXPECT_EQ(mask.GetBitmap(&bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidthBytes, 2);
}

TEST(DcBlitTest, CompatibleBitmapsTakeTheFormatOfTheContextsBitmap) {
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap first;
  ASSERT_TRUE(first.CreateCompatibleBitmap(&memory, 4, 4));
  BITMAP bm;
  first.GetBitmap(&bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);  // the new context still holds its 1 x 1 monochrome bitmap

  QImage screen = Canvas(4, 4, kWhite);
  SurfaceDc s(screen);
  CBitmap colour;
  ASSERT_TRUE(colour.CreateCompatibleBitmap(&s.dc, 4, 4));
  colour.GetBitmap(&bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidth, 4);
  CBitmap* old = memory.SelectObject(&colour);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(memory.GetPixel(3, 3), kBlack);  // new bitmaps are black
  EXPECT_EQ(memory.SelectObject(old), &colour);

  CBitmap refused;
  EXPECT_FALSE(refused.CreateCompatibleBitmap(&s.dc, 0, 4));
  EXPECT_FALSE(refused.CreateCompatibleBitmap(&s.dc, 100000, 100000));
  EXPECT_FALSE(refused.CreateBitmap(4, 4, 1, 8, nullptr));
  EXPECT_EQ(refused.GetSafeHandle(), nullptr);
}

TEST(DcBlitTest, StretchReplicatesPixelsAndPartialSourcesCopyWhatExists) {
  QImage pixels = Canvas(2, 2, kRed);
  pixels.setPixel(1, 0, qRgb(0, 0, 255));
  pixels.setPixel(0, 1, qRgb(0, 255, 0));
  CBitmap small;
  ASSERT_TRUE(plat::CreateBitmapFromImage(small, pixels));
  CDC source;
  source.CreateCompatibleDC(nullptr);
  source.SelectObject(&small);

  QImage screen = Canvas(8, 8, kWhite);
  SurfaceDc s(screen);
  EXPECT_TRUE(s.dc.StretchBlt(0, 0, 6, 6, &source, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(At(screen, 2, 2), kRed);
  EXPECT_EQ(At(screen, 3, 0), kBlue);
  EXPECT_EQ(At(screen, 5, 2), kBlue);
  EXPECT_EQ(At(screen, 0, 3), RGB(0, 255, 0));
  EXPECT_EQ(At(screen, 5, 5), kRed);
  EXPECT_EQ(At(screen, 6, 6), kWhite);

  // Source pixels beyond the bitmap leave the destination as it was.
  screen = Canvas(8, 8, kWhite);
  EXPECT_TRUE(s.dc.BitBlt(0, 0, 4, 4, &source, 1, 1, SRCCOPY));
  EXPECT_EQ(At(screen, 0, 0), kRed);
  EXPECT_EQ(At(screen, 1, 0), kWhite);
  EXPECT_EQ(At(screen, 0, 1), kWhite);
  EXPECT_FALSE(s.dc.BitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(s.dc.StretchBlt(0, 0, -4, 4, &source, 0, 0, 2, 2, SRCCOPY));

  // A copy within one image reads the pixels from before the copy.
  screen = Canvas(8, 1, kWhite);
  for (int x = 0; x < 4; ++x) screen.setPixel(x, 0, qRgb(x * 10, 0, 0));
  EXPECT_TRUE(s.dc.BitBlt(1, 0, 4, 1, &s.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(At(screen, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(At(screen, 4, 0), RGB(30, 0, 0));
}

TEST(DcBlitTest, PatternOperationsUseTheSelectedBrush) {
  QImage screen = Canvas(6, 6, RGB(0x0F, 0xF0, 0x55));
  SurfaceDc s(screen);
  CBrush brush(RGB(0xFF, 0x0F, 0x00));
  s.dc.SelectObject(&brush);
  EXPECT_TRUE(s.dc.PatBlt(0, 0, 2, 2, PATCOPY));
  EXPECT_EQ(At(screen, 1, 1), RGB(0xFF, 0x0F, 0x00));
  EXPECT_EQ(At(screen, 2, 2), RGB(0x0F, 0xF0, 0x55));
  EXPECT_TRUE(s.dc.PatBlt(2, 2, 2, 2, PATINVERT));
  EXPECT_EQ(At(screen, 2, 2), RGB(0xF0, 0xFF, 0x55));
  EXPECT_TRUE(s.dc.PatBlt(6, 6, -2, -2, DSTINVERT));  // negative sizes count backwards
  EXPECT_EQ(At(screen, 4, 4), RGB(0xF0, 0x0F, 0xAA));
  EXPECT_TRUE(s.dc.PatBlt(0, 4, 1, 1, WHITENESS));
  EXPECT_EQ(At(screen, 0, 4), kWhite);
  EXPECT_FALSE(s.dc.PatBlt(0, 0, 1, 1, SRCCOPY));
}
