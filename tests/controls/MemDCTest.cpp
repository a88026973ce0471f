#include <gtest/gtest.h>

#include <QImage>

#include "SkinTestSupport.h"
#include "controls/MemDC.h"
#include "platform/gdi/Printer.h"
#include "platform/gdi/Surface.h"
#include "platform/wnd/PaintDC.h"
#include "tests/support/TestHarness.h"

using plat::test::Pixel;
using plat::test::SpyWnd;
using skintest::At;

namespace {

constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 230);
constexpr COLORREF kYellow = RGB(250, 240, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

TEST(MemDCTest, CoversThePaintAreaAndReachesTheWindowOnlyWhenDestroyed) {
  plat::test::Reset();
  SpyWnd wnd;
  ASSERT_TRUE(wnd.CreateTopLevel(CRect(50, 50, 150, 150)));
  plat::test::Pump();
  {
    CClientDC dc(&wnd);
    dc.FillSolidRect(0, 0, 100, 100, kGreen);
  }
  CRect covered;
  COLORREF duringPaint = 0;
  COLORREF drawnInside = 0;
  wnd.answer = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_ERASEBKGND) return TRUE;
    if (msg != WM_PAINT) return std::nullopt;
    CPaintDC dc(&wnd);
    dc.SetBkColor(kYellow);
    {
      CMemDC mem(&dc);
      covered = mem.GetRect();
      mem.FillSolidRect(5, 5, 4, 4, kRed);      // outside the paint area
      mem.FillSolidRect(20, 20, 10, 10, kBlue);  // inside it
      drawnInside = mem.GetPixel(25, 25);
      duringPaint = dc.GetPixel(25, 25);
    }
    return 0;
  };
  wnd.InvalidateRect(CRect(10, 10, 50, 50), FALSE);
  wnd.UpdateWindow();

  EXPECT_EQ(covered, CRect(10, 10, 50, 50));
  EXPECT_EQ(drawnInside, kBlue);
  EXPECT_EQ(duringPaint, kGreen);  // nothing reaches the window before the copy
  EXPECT_EQ(Pixel(&wnd, 25, 25), kBlue);
  EXPECT_EQ(Pixel(&wnd, 6, 6), kGreen);      // never reached
  EXPECT_EQ(Pixel(&wnd, 45, 45), kYellow);   // the rest starts from the background colour
  EXPECT_EQ(Pixel(&wnd, 55, 55), kGreen);    // outside the area nothing changes
  EXPECT_EQ(Pixel(&wnd, 9, 30), kGreen);
}

TEST(MemDCTest, CopiesTheBackgroundAndKeepsTheTargetsScaledCoordinates) {
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(qRgb(0, 200, 0));
  for (int x = 0; x < 100; ++x) image.setPixel(x, 50, qRgb(220, 0, 0));
  plat::DcSurface surface{&image, {}, {}};
  CDC target(surface);

  {
    const CRect area(0, 40, 100, 60);
    CMemDC mem(&target, &area, true);
    EXPECT_TRUE(mem.IsOffScreen());
    EXPECT_EQ(mem.GetPixel(30, 50), kRed);  // starts from the target's pixels
    EXPECT_EQ(mem.GetPixel(30, 45), kGreen);
    mem.FillSolidRect(0, 44, 10, 2, kBlue);
  }
  EXPECT_EQ(At(image, 5, 44), kBlue);
  EXPECT_EQ(At(image, 30, 50), kRed);
  EXPECT_EQ(At(image, 30, 45), kGreen);

  // Logical units twice as large as pixels: the bitmap holds the area's pixels, drawing keeps the
  // target's logical coordinates.
  target.SetMapMode(MM_ANISOTROPIC);
  target.SetWindowExt(1, 1);
  target.SetViewportExt(2, 2);
  {
    const CRect area(10, 10, 30, 30);
    CMemDC mem(&target, &area);
    mem.FillSolidRect(15, 15, 5, 5, kYellow);
  }
  EXPECT_EQ(At(image, 30, 30), kYellow);
  EXPECT_EQ(At(image, 39, 39), kYellow);
  EXPECT_EQ(At(image, 59, 59), kWhite);  // the rest of the area takes the background colour
  EXPECT_EQ(At(image, 19, 19), kGreen);
  EXPECT_EQ(At(image, 60, 60), kGreen);
}

TEST(MemDCTest, DrawsStraightOntoPrintersAndAreasTooLargeForABitmap) {
  auto printer = CPrinterDC::ForImages(200, 200, 96, 96, 256);
  ASSERT_NE(printer, nullptr);
  ASSERT_GT(printer->StartDoc(L"Page"), 0);
  ASSERT_GT(printer->StartPage(), 0);
  {
    const CRect area(0, 0, 100, 100);
    CMemDC mem(printer.get(), &area, true);
    EXPECT_FALSE(mem.IsOffScreen());
    mem.FillSolidRect(10, 10, 5, 5, kBlue);
    EXPECT_EQ(printer->GetPixel(12, 12), kBlue);
  }
  EXPECT_EQ(printer->GetPixel(12, 12), kBlue);  // the printer's context lives on
  ASSERT_GT(printer->EndPage(), 0);
  ASSERT_GT(printer->EndDoc(), 0);

  QImage image(50, 50, QImage::Format_RGB32);
  image.fill(qRgb(0, 200, 0));
  plat::DcSurface surface{&image, {}, {}};
  CDC target(surface);
  const CRect huge(0, 0, 40000, 40000);
  CMemDC mem(&target, &huge, true);
  EXPECT_FALSE(mem.IsOffScreen());
  mem.FillSolidRect(1, 1, 2, 2, kRed);
  EXPECT_EQ(At(image, 2, 2), kRed);
}
