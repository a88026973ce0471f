#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"

using namespace gditest;


TEST(DcStateTest, ContextsStartWithThePlatformDefaults) {
  QImage image = Canvas(30, 20, kWhite);
  SurfaceDc s(image);
  EXPECT_EQ(s.dc.GetTextColor(), RGB(0, 0, 0));
  EXPECT_EQ(s.dc.GetBkColor(), kWhite);
  EXPECT_EQ(s.dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(s.dc.GetMapMode(), MM_TEXT);
  EXPECT_EQ(s.dc.GetTextAlign(), TA_TOP | TA_LEFT);
  EXPECT_EQ(s.dc.GetPolyFillMode(), ALTERNATE);
  EXPECT_FALSE(s.dc.IsPrinting());
  EXPECT_EQ(s.dc.GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(s.dc.GetDeviceCaps(LOGPIXELSY), 96);
  EXPECT_EQ(s.dc.GetDeviceCaps(HORZRES), 30);
  CRect box;
  EXPECT_EQ(s.dc.GetClipBox(&box), SIMPLEREGION);  // a window context: its whole client
  EXPECT_EQ(box, CRect(0, 0, 30, 20));

  // A paint context sees the bounding box of what is to be painted.
  SurfaceDc paint(image, QRegion(2, 2, 3, 3) + QRegion(10, 8, 4, 4));
  EXPECT_EQ(paint.dc.GetClipBox(&box), COMPLEXREGION);
  EXPECT_EQ(box, CRect(2, 2, 14, 12));
  // A context whose surface origin is inside a larger image draws relative to it.
  SurfaceDc inner(image, QRegion(), QPoint(10, 5));
  CBrush red(kRed);
  inner.dc.FillRect(CRect(0, 0, 2, 2), &red);
  EXPECT_EQ(At(image, 10, 5), kRed);
  EXPECT_EQ(At(image, 9, 5), kWhite);
  EXPECT_EQ(inner.dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(-10, -5, 20, 15));

  // A memory context covers its bitmap.
  CDC memory;
  ASSERT_TRUE(memory.CreateCompatibleDC(&s.dc));
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&s.dc, 7, 9);
  memory.SelectObject(&bitmap);
  EXPECT_EQ(memory.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 7, 9));
}

TEST(DcStateTest, SaveAndRestoreBringBackObjectsColoursAndClipping) {
  QImage image = Canvas(20, 20, kWhite);
  SurfaceDc s(image);
  const int first = s.dc.SaveDC();
  EXPECT_EQ(first, 1);
  CPen pen(PS_SOLID, 0, kRed);
  s.dc.SelectObject(&pen);
  s.dc.SetTextColor(kRed);
  s.dc.SetBkMode(TRANSPARENT);
  s.dc.IntersectClipRect(0, 0, 5, 5);
  s.dc.SetViewportOrg(3, 3);
  EXPECT_EQ(s.dc.SaveDC(), 2);
  s.dc.SetTextColor(RGB(0, 255, 0));
  EXPECT_TRUE(s.dc.RestoreDC(-1));
  EXPECT_EQ(s.dc.GetTextColor(), kRed);
  EXPECT_TRUE(s.dc.RestoreDC(first));
  EXPECT_EQ(s.dc.GetTextColor(), RGB(0, 0, 0));
  EXPECT_EQ(s.dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(s.dc.GetViewportOrg(), CPoint(0, 0));
  EXPECT_EQ(s.dc.GetCurrentPen()->GetSafeHandle(), GetStockObject(BLACK_PEN));
  CRect box;
  s.dc.GetClipBox(&box);
  EXPECT_EQ(box, CRect(0, 0, 20, 20));
  EXPECT_FALSE(s.dc.RestoreDC(1));  // already used up
  EXPECT_FALSE(s.dc.RestoreDC(-1));
}

TEST(DcStateTest, AnisotropicMappingScalesCoordinatesAndFonts) {
  QImage image = Canvas(200, 100, kWhite);
  SurfaceDc s(image);
  EXPECT_EQ(s.dc.SetWindowExt(10, 10), CSize(1, 1));  // ignored in MM_TEXT
  EXPECT_EQ(s.dc.GetWindowExt(), CSize(1, 1));
  EXPECT_EQ(s.dc.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
  s.dc.SetWindowExt(100, 50);
  s.dc.SetViewportExt(200, 100);
  s.dc.SetWindowOrg(-10, 0);
  CPoint p(0, 0);
  s.dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(20, 0));
  CRect r(0, 0, 10, 10);
  s.dc.LPtoDP(&r);
  EXPECT_EQ(r, CRect(20, 0, 40, 20));
  s.dc.DPtoLP(&r);
  EXPECT_EQ(r, CRect(0, 0, 10, 10));
  s.dc.OffsetWindowOrg(0, 5);
  EXPECT_EQ(s.dc.GetWindowOrg(), CPoint(-10, 5));
  s.dc.SetWindowOrg(0, 0);

  CBrush red(kRed);
  s.dc.FillRect(CRect(1, 1, 3, 2), &red);
  EXPECT_EQ(gditest::BoundsOfNot(image, kWhite), QRect(2, 2, 4, 2));

  // Fonts scale with the mapping: a 10-unit font measures 10 units but 20 device pixels.
  CFont font;
  font.CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  s.dc.SelectObject(&font);
  const CSize logical = s.dc.GetTextExtent(CString(L"MMMM"));
  CDC plain;
  QImage other = Canvas(10, 10, kWhite);
  SurfaceDc t(other);
  CFont big;
  big.CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  t.dc.SelectObject(&big);
  const CSize device = t.dc.GetTextExtent(CString(L"MMMM"));
  EXPECT_NEAR(logical.cx * 2, device.cx, 2);
  EXPECT_NEAR(logical.cy * 2, device.cy, 2);
  CFont point;
  point.CreatePointFont(90, L"", &s.dc);
  LOGFONTW lf;
  point.GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -6);  // 12 device pixels are 6 logical units here

  EXPECT_EQ(s.dc.SetMapMode(MM_TEXT), MM_ANISOTROPIC);
  EXPECT_EQ(s.dc.GetViewportExt(), CSize(1, 1));
  EXPECT_EQ(s.dc.SetMapMode(7), 0);
}

TEST(DcStateTest, ContextsCanBeSharedThroughTheirHandles) {
  QImage image = Canvas(10, 10, kWhite);
  CDC* viaHandle = nullptr;
  HDC handle = nullptr;
  {
    SurfaceDc s(image);
    handle = s.dc;
    CDC other;
    ASSERT_TRUE(other.Attach(handle));
    other.SetTextColor(kRed);
    EXPECT_EQ(s.dc.GetTextColor(), kRed);  // one state, two objects
    EXPECT_EQ(other.Detach(), handle);
    EXPECT_EQ(other.GetSafeHdc(), nullptr);
    viaHandle = CDC::FromHandle(handle);
    ASSERT_NE(viaHandle, nullptr);
    EXPECT_EQ(viaHandle->GetTextColor(), kRed);
  }
  // The temporary object keeps the context alive until the temporaries are released.
  EXPECT_EQ(viaHandle->GetTextColor(), kRed);
  plat::ReleaseTemporaryObjects();
  EXPECT_EQ(CDC::FromHandle(handle), nullptr);
  CDC late;
  EXPECT_FALSE(late.Attach(handle));
  // Calls on a context without a device fail quietly.
  EXPECT_FALSE(late.LineTo(1, 1));
  EXPECT_EQ(late.GetPixel(0, 0), CLR_INVALID);
  EXPECT_EQ(late.SelectStockObject(BLACK_PEN), nullptr);
  EXPECT_EQ(late.GetTextExtent(CString(L"x")), CSize(0, 0));
  EXPECT_FALSE(late.DeleteDC());
}

TEST(DcStateTest, PathsFillStrokeAndBecomeRegions) {
  QImage image = Canvas(40, 40, kWhite);
  SurfaceDc s(image);
  CBrush red(kRed);
  CPen blue(PS_SOLID, 1, RGB(0, 0, 255));
  s.dc.SelectObject(&red);
  s.dc.SelectObject(&blue);
  EXPECT_FALSE(s.dc.StrokeAndFillPath());  // no path yet
  ASSERT_TRUE(s.dc.BeginPath());
  s.dc.MoveTo(5, 5);
  s.dc.LineTo(30, 5);
  const POINT curve[] = {{35, 15}, {35, 25}, {30, 35}};
  ASSERT_TRUE(s.dc.PolyBezierTo(curve, 3));
  s.dc.LineTo(5, 35);
  EXPECT_EQ(gditest::BoundsOfNot(image, kWhite), QRect());  // nothing drawn while recording
  ASSERT_TRUE(s.dc.EndPath());
  ASSERT_TRUE(s.dc.StrokeAndFillPath());
  EXPECT_EQ(At(image, 15, 20), kRed);
  EXPECT_EQ(At(image, 5, 20), RGB(0, 0, 255));   // the closing edge is outlined
  EXPECT_EQ(At(image, 20, 5), RGB(0, 0, 255));
  EXPECT_EQ(At(image, 32, 20), kRed);             // inside the bulge of the curve
  EXPECT_EQ(At(image, 37, 20), kWhite);
  EXPECT_FALSE(s.dc.StrokeAndFillPath());         // the path is used up

  s.dc.BeginPath();
  s.dc.MoveTo(0, 0);
  s.dc.LineTo(10, 0);
  s.dc.LineTo(10, 10);
  s.dc.LineTo(0, 10);
  s.dc.EndPath();
  CRgn region;
  ASSERT_TRUE(region.CreateFromPath(&s.dc));
  CRect box;
  EXPECT_EQ(region.GetRgnBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 10, 10));
  CRgn again;
  EXPECT_FALSE(again.CreateFromPath(&s.dc));
  EXPECT_FALSE(s.dc.PolyBezierTo(curve, 2));
}
