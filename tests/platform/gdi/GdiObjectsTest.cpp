#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"

using gditest::At;
using gditest::Canvas;
using gditest::SurfaceDc;

TEST(GdiObjectsTest, SelectObjectHandsBackThePreviousObject) {
  QImage image = Canvas(4, 4, RGB(255, 255, 255));
  SurfaceDc s(image);
  CPen* defaultPen = s.dc.GetCurrentPen();
  ASSERT_NE(defaultPen, nullptr);
  EXPECT_EQ(defaultPen->GetSafeHandle(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(s.dc.GetCurrentBrush()->GetSafeHandle(), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(s.dc.GetCurrentFont()->GetSafeHandle(), GetStockObject(SYSTEM_FONT));

  CPen a(PS_SOLID, 0, RGB(1, 2, 3));
  CPen b(PS_SOLID, 1, RGB(4, 5, 6));
  CPen* old1 = s.dc.SelectObject(&a);
  CPen* old2 = s.dc.SelectObject(&b);
  EXPECT_EQ(old1, defaultPen);
  EXPECT_EQ(old2, &a);
  EXPECT_EQ(s.dc.SelectObject(old2), &b);
  EXPECT_EQ(s.dc.SelectObject(old1), &a);
  EXPECT_EQ(s.dc.GetCurrentPen(), defaultPen);

  // Stock selection answers the object it replaced, of the right kind; the wrong kind fails.
  CBrush red(RGB(255, 0, 0));
  s.dc.SelectObject(&red);
  EXPECT_EQ(s.dc.SelectStockObject(WHITE_BRUSH), &red);
  EXPECT_EQ(s.dc.SelectStockObject(99), nullptr);
  CBitmap bitmap;
  bitmap.CreateBitmap(2, 2, 1, 1, nullptr);
  EXPECT_EQ(s.dc.SelectObject(&bitmap), nullptr);  // only memory contexts hold bitmaps
  CPen empty;
  EXPECT_EQ(s.dc.SelectObject(&empty), nullptr);
}

TEST(GdiObjectsTest, DeletingASelectedObjectIsHarmless) {
  QImage image = Canvas(6, 6, RGB(255, 255, 255));
  SurfaceDc s(image);
  HBRUSH handle = nullptr;
  {
    CBrush green(RGB(0, 255, 0));
    handle = green;
    s.dc.SelectObject(&green);
    EXPECT_EQ(CBrush::FromHandle(handle), &green);
    green.DeleteObject();
    EXPECT_EQ(green.GetSafeHandle(), nullptr);
  }
  // The context still has the brush and draws with it.
  s.dc.Rectangle(0, 0, 4, 4);
  EXPECT_EQ(At(image, 1, 1), RGB(0, 255, 0));
  // Replacing it hands back a temporary object that still describes it.
  auto* previous = dynamic_cast<CBrush*>(s.dc.SelectStockObject(WHITE_BRUSH));
  ASSERT_NE(previous, nullptr);
  LOGBRUSH lb;
  EXPECT_EQ(previous->GetLogBrush(&lb), static_cast<int>(sizeof(LOGBRUSH)));
  EXPECT_EQ(lb.lbColor, RGB(0, 255, 0));
  s.dc.SelectObject(previous);
  s.dc.SelectStockObject(WHITE_BRUSH);
  plat::ReleaseTemporaryObjects();
  // Once nobody holds it, its handle names nothing.
  EXPECT_EQ(CBrush::FromHandle(handle), nullptr);
  EXPECT_EQ(CGdiObject::FromHandle(handle), nullptr);
}

TEST(GdiObjectsTest, HandlesNameObjectsOfTheirKindOnly) {
  CFont font;
  LOGFONTW lf = plat::MessageFont();
  ASSERT_TRUE(font.CreateFontIndirect(&lf));
  EXPECT_FALSE(font.CreateFontIndirect(&lf));  // an object holds one font
  const HFONT handle = font;
  EXPECT_EQ(CFont::FromHandle(handle), &font);
  EXPECT_EQ(CPen::FromHandle(reinterpret_cast<HPEN>(static_cast<HGDIOBJ>(handle))), nullptr);

  CFont shared;
  EXPECT_TRUE(shared.Attach(handle));
  font.DeleteObject();
  LOGFONTW back;
  EXPECT_EQ(shared.GetLogFont(&back), static_cast<int>(sizeof(LOGFONTW)));
  EXPECT_EQ(back.lfHeight, -12);
  EXPECT_EQ(plat::FaceNameOf(back), CString(L"DejaVu Sans"));
  CFont* temporary = CFont::FromHandle(handle);  // its creator is gone: a temporary object
  ASSERT_NE(temporary, nullptr);
  EXPECT_NE(temporary, &font);
  EXPECT_EQ(temporary->GetSafeHandle(), shared.GetSafeHandle());

  CPen stock;
  EXPECT_TRUE(stock.CreateStockObject(NULL_PEN));
  stock.DeleteObject();
  EXPECT_NE(CPen::FromHandle(static_cast<HPEN>(GetStockObject(NULL_PEN))), nullptr);
  EXPECT_TRUE(CPen::FromHandle(static_cast<HPEN>(GetStockObject(NULL_PEN)))->DeleteObject());
  EXPECT_NE(GetStockObject(NULL_PEN), nullptr);  // stock objects survive deletion
  EXPECT_EQ(GetStockObject(9), nullptr);

  CPen dotted;
  EXPECT_FALSE(dotted.CreatePen(2, 1, 0));  // only solid and null pens exist here
  LOGPEN lp;
  EXPECT_EQ(dotted.GetLogPen(&lp), 0);
}

TEST(GdiObjectsTest, FontsKeepTheirLogicalDescription) {
  CFont font;
  ASSERT_TRUE(font.CreateFont(20, 0, 900, 900, FW_BOLD, 1, 0, 0, CHINESEBIG5_CHARSET,
                              OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                              FF_SWISS, L"\x7D30\x660E\x9AD4"));
  LOGFONTW lf;
  font.GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, 20);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfCharSet, CHINESEBIG5_CHARSET);
  EXPECT_EQ(plat::FaceNameOf(lf), CString(L"\x7D30\x660E\x9AD4"));

  // A face name of all 32 characters without a terminator is read up to its end.
  LOGFONTW full;
  for (wchar_t& c : full.lfFaceName) c = L'x';
  EXPECT_EQ(plat::FaceNameOf(full).GetLength(), LF_FACESIZE);
  // Long names given to CreateFont are cut to 31 characters.
  CFont longName;
  longName.CreateFont(10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, CString(L'y', 40));
  longName.GetLogFont(&lf);
  EXPECT_EQ(plat::FaceNameOf(lf), CString(L'y', 31));

  // Point sizes on the 96-dpi screen: 9 points are 12 pixels of character height.
  CFont nine, fifteen;
  ASSERT_TRUE(nine.CreatePointFont(90, L"Whatever Face"));
  nine.GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfWidth, 0);
  fifteen.CreatePointFont(150, L"");
  fifteen.GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -20);
}

TEST(GdiObjectsTest, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 3, 4), 8);     // 7.5
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);   // -7.5
  EXPECT_EQ(MulDiv(10, 3, -4), -8);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);      // 2.33
  EXPECT_EQ(MulDiv(8, 1, 3), 3);      // 2.67
  EXPECT_EQ(MulDiv(5, 1, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 1000000000), -1);  // does not fit
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);            // 64-bit product
}

TEST(GdiObjectsTest, SystemColoursComeFromTheTableAndCanChange) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xF0F0F0u);
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0xD77800u);
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), 0xE1FFFFu);
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), 0x696969u);
  EXPECT_EQ(GetSysColor(99), 0u);
  EXPECT_EQ(GetSysColorBrush(99), nullptr);

  QImage image = Canvas(4, 4, RGB(0, 0, 0));
  SurfaceDc s(image);
  CBrush* face = CBrush::FromHandle(GetSysColorBrush(COLOR_BTNFACE));
  ASSERT_NE(face, nullptr);
  s.dc.FillRect(CRect(0, 0, 2, 2), face);
  EXPECT_EQ(At(image, 0, 0), 0xF0F0F0u);
  plat::SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(1, 2, 3));
  s.dc.FillRect(CRect(0, 0, 2, 2), face);  // the system brush follows its colour
  EXPECT_EQ(At(image, 1, 1), RGB(1, 2, 3));
  plat::SetSysColor(COLOR_BTNFACE, 0xF0F0F0);
}

TEST(GdiObjectsTest, RegionsCombineTestAndShowThemselvesToQt) {
  CRgn rect;
  ASSERT_TRUE(rect.CreateRectRgn(10, 10, 0, 0));  // corners in any order
  CRect box;
  EXPECT_EQ(rect.GetRgnBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 10, 10));
  EXPECT_TRUE(rect.PtInRegion(9, 9));
  EXPECT_FALSE(rect.PtInRegion(10, 9));

  CRgn round;
  ASSERT_TRUE(round.CreateRoundRectRgn(0, 0, 40, 30, 20, 20));
  EXPECT_FALSE(round.PtInRegion(0, 0));
  EXPECT_FALSE(round.PtInRegion(39, 29));
  EXPECT_TRUE(round.PtInRegion(20, 0));
  EXPECT_TRUE(round.PtInRegion(0, 15));
  EXPECT_TRUE(round.PtInRegion(3, 3));
  EXPECT_EQ(round.GetRgnBox(&box), COMPLEXREGION);
  EXPECT_EQ(box, CRect(0, 0, 40, 30));
  CRgn square;
  square.CreateRoundRectRgn(0, 0, 40, 30, 0, 0);
  EXPECT_EQ(plat::RegionOf(square), QRegion(0, 0, 40, 30));

  CRgn result;
  EXPECT_EQ(result.CombineRgn(&rect, &round, RGN_OR), ERROR);  // must exist first
  result.CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(result.GetRgnBox(&box), NULLREGION);
  EXPECT_EQ(result.CombineRgn(&rect, &round, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(result.PtInRegion(0, 0));
  EXPECT_FALSE(result.PtInRegion(5, 5));
  EXPECT_EQ(result.CombineRgn(&result, nullptr, RGN_COPY), COMPLEXREGION);
  EXPECT_EQ(result.OffsetRgn(100, 0), COMPLEXREGION);
  EXPECT_TRUE(result.PtInRegion(100, 0));
  EXPECT_EQ(plat::RegionOf(static_cast<HRGN>(nullptr)), QRegion());
}
