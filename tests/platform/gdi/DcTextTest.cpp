#include <gtest/gtest.h>

#include <set>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"

using namespace gditest;

namespace {
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

TEST(DcTextTest, MetricsAndExtentsComeFromTheRealisedFont) {
  QImage image = Canvas(10, 10, kWhite);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  TEXTMETRIC tm;
  ASSERT_TRUE(s.dc.GetTextMetrics(&tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_GE(tm.tmHeight, 12);  // a 12-pixel character height plus the leading inside the cell
  EXPECT_LE(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 12);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  const CSize one = s.dc.GetTextExtent(CString(L"abc"));
  const CSize two = s.dc.GetTextExtent(CString(L"abcabc"));
  EXPECT_EQ(two.cx, 2 * one.cx);  // sums of advances, no kerning
  EXPECT_EQ(one.cy, tm.tmHeight);
  EXPECT_EQ(s.dc.GetTextExtent(L"abcdef", 3), one);
  EXPECT_EQ(s.dc.GetTextExtent(CString()).cx, 0);

  // A positive height is the cell height; bold is wider; a missing face draws like the default.
  CFont cell, bold, missing, fallback;
  cell.CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"DejaVu Sans");
  bold.CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"DejaVu Sans");
  missing.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"No Such Face At All");
  s.dc.SelectObject(&cell);
  EXPECT_NEAR(s.dc.GetTextExtent(CString(L"x")).cy, 20, 1);
  s.dc.SelectObject(&bold);
  EXPECT_GT(s.dc.GetTextExtent(CString(L"abcabc")).cx, two.cx);
  s.dc.SelectObject(&missing);
  EXPECT_EQ(s.dc.GetTextExtent(CString(L"abcabc")), two);

  // Absurd heights (from a damaged settings file) are bounded, not honoured.
  CFont huge;
  huge.CreateFont(-2000000000, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"");
  s.dc.SelectObject(&huge);
  EXPECT_LE(s.dc.GetTextExtent(CString(L"x")).cy, 2400);
  EXPECT_GT(s.dc.GetTextExtent(CString(L"x")).cy, 1000);
}

TEST(DcTextTest, WordBreakEllipsisAndTabsLayOutTheLines) {
  QImage image = Canvas(200, 80, kWhite);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  s.dc.SetBkMode(TRANSPARENT);
  const int lineHeight = s.dc.GetTextExtent(CString(L"x")).cy;
  const int wordWidth = s.dc.GetTextExtent(CString(L"alpha beta")).cx;
  CRect r(0, 0, wordWidth + 1, 80);
  EXPECT_EQ(s.dc.DrawText(L"alpha beta gamma", -1, &r, DT_WORDBREAK), 2 * lineHeight);
  const QRect ink = gditest::BoundsOfNot(image, kWhite);
  EXPECT_GT(ink.bottom(), lineHeight);       // a second line
  EXPECT_LT(ink.bottom(), 2 * lineHeight);   // but not a third
  EXPECT_LE(ink.right(), wordWidth);

  // An overflowing single line ends with "..." inside the rectangle.
  image = Canvas(200, 80, kWhite);
  const int dotsWidth = s.dc.GetTextExtent(CString(L"...")).cx;
  CRect narrow(0, 0, dotsWidth + 20, 20);
  s.dc.DrawText(L"A long text that does not fit", -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
  QImage expected = Canvas(200, 80, kWhite);
  {
    SurfaceDc e(expected);
    e.dc.SelectObject(&font);
    e.dc.SetBkMode(TRANSPARENT);
    CString cut(L"A long text that does not fit");
    while (e.dc.GetTextExtent(cut + L"...").cx > narrow.Width()) cut = cut.Left(cut.GetLength() - 1);
    e.dc.TextOut(0, 0, cut + L"...");
  }
  EXPECT_EQ(image, expected);

  // Expanded tabs stop at multiples of eight average character widths.
  TEXTMETRIC tm;
  s.dc.GetTextMetrics(&tm);
  CRect calc(0, 0, 0, 0);
  s.dc.DrawText(L"a\tb", -1, &calc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_EQ(calc.Width(), 8 * tm.tmAveCharWidth + s.dc.GetTextExtent(CString(L"b")).cx);
}

TEST(DcTextTest, TextOutAlignsToItsPointAndTurnsWithTheEscapement) {
  QImage image = Canvas(120, 120, kWhite);
  SurfaceDc s(image);
  CFont font = MessageFont();
  s.dc.SelectObject(&font);
  s.dc.SetBkMode(TRANSPARENT);
  TEXTMETRIC tm;
  s.dc.GetTextMetrics(&tm);
  const CSize extent = s.dc.GetTextExtent(CString(L"HHHH"));

  s.dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
  ASSERT_TRUE(s.dc.TextOut(100, 50, CString(L"HHHH")));
  QRect ink = gditest::BoundsOfNot(image, kWhite);
  EXPECT_LE(ink.right(), 99);
  EXPECT_GE(ink.left(), 100 - extent.cx);
  EXPECT_EQ(ink.bottom(), 49);  // capital letters sit on the baseline
  EXPECT_GT(ink.top(), 50 - tm.tmAscent - 1);

  // 90 degrees counter-clockwise: the text runs upwards from the point.
  image = Canvas(120, 120, kWhite);
  CFont turned;
  LOGFONTW lf = plat::MessageFont();
  lf.lfEscapement = lf.lfOrientation = 900;
  turned.CreateFontIndirect(&lf);
  s.dc.SelectObject(&turned);
  s.dc.SetTextAlign(TA_LEFT | TA_BASELINE);
  s.dc.TextOut(60, 100, CString(L"HHHH"));
  ink = gditest::BoundsOfNot(image, kWhite);
  EXPECT_GT(ink.height(), ink.width());
  EXPECT_LE(ink.bottom(), 100);
  EXPECT_GE(ink.top(), 100 - extent.cx - 1);
  EXPECT_LE(ink.right(), 60);
  EXPECT_GE(ink.left(), 60 - tm.tmAscent - 1);
}
