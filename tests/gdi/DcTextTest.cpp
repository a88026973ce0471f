#include <gtest/gtest.h>

#include <set>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"

using gditest::At;
using gditest::BoundsOfNot;
using gditest::Canvas;
using gditest::SurfaceDc;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);

CFont MessageFont() {
  CFont font;
  const LOGFONTW lf = plat::MessageFont();
  font.CreateFontIndirect(&lf);
  return font;
}

// What a text looks like drawn alone at the top left of a white image.
QImage Rendered(const wchar_t* text, UINT format, CFont& font) {
  QImage image = Canvas(120, 30, kWhite);
  SurfaceDc s(image);
  s.dc.SelectObject(&font);
  s.dc.SetBkMode(TRANSPARENT);
  CRect r(0, 0, 120, 30);
  s.dc.DrawText(text, -1, &r, format);
  return image;
}
}  // namespace

TEST(DcTextTest, PrefixesAreHiddenUnlessNoPrefixIsAsked) {
  CFont font = MessageFont();
  const QImage prefixed = Rendered(L"&File", DT_LEFT | DT_SINGLELINE, font);
  const QImage plain = Rendered(L"File", DT_LEFT | DT_SINGLELINE, font);
  const QImage literal = Rendered(L"&File", DT_LEFT | DT_SINGLELINE | DT_NOPREFIX, font);
  // The '&' is not drawn: "File" is drawn as is, with an underline row under the F only.
  const QRect ink = BoundsOfNot(plain, kWhite);
  std::set<int> changedRows;
  for (int y = 0; y < plain.height(); ++y) {
    for (int x = 0; x < plain.width(); ++x) {
      if (plain.pixel(x, y) == prefixed.pixel(x, y)) continue;
      changedRows.insert(y);
      EXPECT_EQ(At(prefixed, x, y), kBlack);
      EXPECT_LT(x, ink.left() + ink.width() / 3);
    }
  }
  ASSERT_FALSE(changedRows.empty());
  EXPECT_LE(changedRows.size(), 2u);
  EXPECT_GT(*changedRows.begin(), ink.center().y());
  EXPECT_GT(BoundsOfNot(literal, kWhite).width(), BoundsOfNot(plain, kWhite).width());
  // "&&" stands for one '&'.
  EXPECT_EQ(Rendered(L"a&&b", DT_LEFT | DT_SINGLELINE, font),
            Rendered(L"a&b", DT_LEFT | DT_SINGLELINE | DT_NOPREFIX, font));
}

TEST(DcTextTest, CalcRectMeasuresWithoutDrawing) {
  QImage image = Canvas(100, 60, kGrey);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  const CSize extent = s.dc.GetTextExtent(CString(L"Hello world"));
  CRect r(10, 10, 10, 10);
  const int height = s.dc.DrawText(L"Hello world", -1, &r, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(height, extent.cy);
  EXPECT_EQ(r, CRect(10, 10, 10 + extent.cx, 10 + extent.cy));
  EXPECT_EQ(BoundsOfNot(image, kGrey), QRect());

  // With word breaks the width stays and the lines add up.
  CRect wrapped(0, 0, s.dc.GetTextExtent(CString(L"Hello")).cx + 2, 0);
  const int lines2 = s.dc.DrawText(L"Hello world", -1, &wrapped, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(lines2, 2 * extent.cy);
  EXPECT_EQ(wrapped.Width(), s.dc.GetTextExtent(CString(L"Hello")).cx + 2);
  EXPECT_EQ(wrapped.Height(), 2 * extent.cy);
  // Line feeds break lines without DT_WORDBREAK; in a single line they are dropped.
  CRect broken(0, 0, 0, 0);
  EXPECT_EQ(s.dc.DrawText(L"ab\r\ncd\nef", -1, &broken, DT_CALCRECT), 3 * extent.cy);
  CRect single(0, 0, 0, 0);
  s.dc.DrawText(L"ab\r\ncd", -1, &single, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(single.Width(), s.dc.GetTextExtent(CString(L"abcd")).cx);
}

TEST(DcTextTest, CentredSingleLineTextStaysInsideItsRectangle) {
  QImage image = Canvas(100, 40, kWhite);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  s.dc.SetBkMode(TRANSPARENT);
  const CRect cell(20, 5, 80, 35);
  CRect r = cell;
  const int height = s.dc.DrawText(L"Hxg", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  EXPECT_GT(height, 0);
  const QRect ink = BoundsOfNot(image, kWhite);
  ASSERT_FALSE(ink.isNull());
  EXPECT_TRUE(QRect(20, 5, 60, 30).contains(ink));
  // The text cell (advance by font height) is centred within a pixel.
  const CSize extent = s.dc.GetTextExtent(CString(L"Hxg"));
  const int cellLeft = (cell.left + cell.right - extent.cx) / 2;
  EXPECT_GE(ink.left(), cellLeft);
  EXPECT_LE(ink.right(), cellLeft + extent.cx);
  const int cellTop = (cell.top + cell.bottom - extent.cy) / 2;
  EXPECT_GE(ink.top(), cellTop);
  EXPECT_LE(ink.bottom(), cellTop + extent.cy);
  EXPECT_NEAR((ink.left() - cell.left) - (cell.right - 1 - ink.right()), 0, 2);

  // Nothing outside a too small rectangle changes.
  image = Canvas(100, 40, kWhite);
  CRect tiny(10, 10, 25, 18);
  s.dc.DrawText(L"Clipped text", -1, &tiny, DT_SINGLELINE);
  EXPECT_TRUE(gditest::OutsideIs(image, QRect(10, 10, 15, 8), kWhite));
  EXPECT_NE(BoundsOfNot(image, kWhite), QRect());
}

TEST(DcTextTest, OpaqueModeFillsTheTextCellWithTheBackgroundColour) {
  QImage image = Canvas(100, 40, kGrey);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  EXPECT_EQ(s.dc.GetBkMode(), OPAQUE);
  s.dc.SetBkColor(RGB(0, 0, 255));
  s.dc.SetTextColor(RGB(255, 255, 0));
  CRect r(0, 0, 100, 40);
  s.dc.DrawText(L"Wi", -1, &r, DT_LEFT | DT_SINGLELINE);
  const CSize extent = s.dc.GetTextExtent(CString(L"Wi"));
  EXPECT_EQ(BoundsOfNot(image, kGrey), QRect(0, 0, extent.cx, extent.cy));
  bool sawText = false, sawBackground = false;
  for (int y = 0; y < extent.cy; ++y) {
    for (int x = 0; x < extent.cx; ++x) {
      const COLORREF c = At(image, x, y);
      EXPECT_TRUE(c == RGB(0, 0, 255) || c == RGB(255, 255, 0)) << x << "," << y;  // no blending
      sawText |= c == RGB(255, 255, 0);
      sawBackground |= c == RGB(0, 0, 255);
    }
  }
  EXPECT_TRUE(sawText);
  EXPECT_TRUE(sawBackground);
}
