#include <gtest/gtest.h>

#include <QImage>

#include "controls/DigiStatic.h"
#include "platform/gdi/GdiObjects.h"
#include "tests/support/TestHarness.h"

using plat::test::Pixel;
using plat::test::SpyWnd;

namespace {

constexpr COLORREF kOn = RGB(0, 255, 0);
constexpr COLORREF kOff = RGB(0, 52, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Counts the paints of the display.
class CountingDigi : public CDigiStatic {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_PAINT) ++paints;
    return CDigiStatic::WindowProc(msg, wParam, lParam);
  }
  int paints = 0;
};

class DigiStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 500, 300)));
  }

  void Make(CDigiStatic& digi, int width, int height, const wchar_t* windowText = L"") {
    ASSERT_TRUE(digi.Create(windowText, WS_CHILD | WS_VISIBLE, CRect(10, 10, 10 + width, 10 + height), &parent, 9301));
    plat::test::Pump();
  }

  static void SetStyle(CDigiStatic& digi, DWORD style) {
    ASSERT_TRUE(digi.ModifyDigiStyle(digi.GetDigiStyle() & ~style, style & ~digi.GetDigiStyle()));
    plat::test::Pump();
  }

  static QImage Shot(const CDigiStatic& digi) { return plat::test::Grab(&digi); }

  // Checks one point inside every segment of every character against the character's mask: the
  // on colour where lit, else the off colour (the background when only lit segments are drawn).
  // The characters are laid out as the display lays them out in its client area.
  static void CheckSegments(const CDigiStatic& digi, const CString& text, DWORD style) {
    CRect client;
    digi.GetClientRect(&client);
    std::vector<CDigiChar> chars;
    int total = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
      auto ch = MakeDigiChar(text[i], style);
      if (!ch) continue;
      chars.push_back(*ch);
      total += ch->GetWidth();
    }
    double sx = static_cast<double>(client.Width()) / total;
    double sy = client.Height() / 83.0;
    double x = 0, y = 0;
    if (style & kDigiKeepRatio) {
      sx = sy = std::min(sx, sy);
      x = (client.Width() - total * sx) / 2;
      y = (client.Height() - 83 * sy) / 2;
    }
    for (size_t c = 0; c < chars.size(); ++c) {
      const auto& segments = chars[c].GetSegments();
      for (size_t s = 0; s < segments.size(); ++s) {
        double cx = 0, cy = 0;
        for (const POINT& p : segments[s].GetPoints()) cx += p.x, cy += p.y;
        cx /= segments[s].GetCount();
        cy /= segments[s].GetCount();
        const int px = static_cast<int>(x + cx * sx);
        const int py = static_cast<int>(y + cy * sy);
        const bool lit = (chars[c].GetMask() >> s) & 1;
        const COLORREF want = lit ? kOn : ((style & kDigiOnlyLit) ? kBlack : kOff);
        EXPECT_EQ(Pixel(&digi, px, py), want) << "character " << c << " segment " << s << " at " << px << "," << py;
      }
      x += chars[c].GetWidth() * sx;
    }
  }

  SpyWnd parent;
};

}  // namespace

TEST_F(DigiStaticTest, CharactersMapToTheirKindAndMask) {
  EXPECT_EQ(MakeDigiChar(L'5', 0)->GetSegments().size(), 7u);
  EXPECT_EQ(MakeDigiChar(L'5', 0)->GetMask(), 0x6B);
  EXPECT_EQ(MakeDigiChar(L'5', kDigi14Segment)->GetSegments().size(), 14u);
  EXPECT_EQ(MakeDigiChar(L'-', 0)->GetMask(), 0x08);
  EXPECT_EQ(MakeDigiChar(L' ', kDigi14Segment)->GetMask(), 0x0000);
  const wchar_t* digits = L"1234";
  const WORD masks14[] = {0x1800, 0x36C0, 0x3CC0, 0x19C0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(MakeDigiChar(digits[i], kDigi14Segment)->GetMask(), masks14[i]);
  EXPECT_EQ(MakeDigiChar(L'A', 0)->GetWidth(), 49);
  EXPECT_EQ(MakeDigiChar(L':', 0)->GetWidth(), 18);
  EXPECT_EQ(MakeDigiChar(L':', 0)->GetMask(), 3);
  EXPECT_EQ(MakeDigiChar(L'.', 0)->GetMask(), 4);
  EXPECT_EQ(MakeDigiChar(L'.', 0)->GetSegments().size(), 3u);
  EXPECT_FALSE(MakeDigiChar(L'?', 0));
  EXPECT_FALSE(MakeDigiChar(L'a', 0));
  EXPECT_FALSE(MakeDigiChar(L'#', kDigi14Segment));

  // The styles choose the outlines: the smooth ones carry curve points.
  const std::vector<BYTE> sharp = MakeDigiChar(L'8', 0)->GetSegments()[0].GetKinds();
  const std::vector<BYTE> smooth = MakeDigiChar(L'8', kDigiSmooth)->GetSegments()[0].GetKinds();
  EXPECT_EQ(std::count(sharp.begin(), sharp.end(), kSegmentCurve), 0);
  EXPECT_EQ(std::count(smooth.begin(), smooth.end(), kSegmentCurve), 3);
  // Mirrored segments: the bottom bar is the top bar turned about y = 41.
  const CDigiChar eight = *MakeDigiChar(L'8', 0);
  EXPECT_EQ(eight.GetSegments()[6].GetPoints()[1].y, 82 - eight.GetSegments()[0].GetPoints()[1].y);
}

TEST_F(DigiStaticTest, LitSegmentsTakeTheOnColourAndUnlitOnesTheOffColourOrNothing) {
  CDigiStatic digi;
  Make(digi, 49, 83);
  digi.SetText(L"8");
  SetStyle(digi, 0);
  EXPECT_EQ(Pixel(&digi, 24, 7), kOn);
  EXPECT_EQ(Pixel(&digi, 24, 41), kOn);
  EXPECT_EQ(Pixel(&digi, 1, 1), kBlack);
  CheckSegments(digi, L"8", 0);

  digi.SetText(L"0");
  plat::test::Pump();
  EXPECT_EQ(Pixel(&digi, 24, 41), kOff);
  CheckSegments(digi, L"0", 0);
  SetStyle(digi, kDigiOnlyLit);
  EXPECT_EQ(Pixel(&digi, 24, 41), kBlack);
  EXPECT_EQ(Pixel(&digi, 24, 7), kOn);
  CheckSegments(digi, L"0", kDigiOnlyLit);

  // Every digit of both kinds, stretched to fill a client of another shape.
  CDigiStatic wide;
  Make(wide, 300, 60);
  wide.SetText(L"0123456789-");
  SetStyle(wide, 0);
  CheckSegments(wide, L"0123456789-", 0);
  SetStyle(wide, kDigi14Segment);
  CheckSegments(wide, L"0123456789-", kDigi14Segment);
  wide.SetText(L"AZ*+()\\/'");
  plat::test::Pump();
  CheckSegments(wide, L"AZ*+()\\/'", kDigi14Segment);
}

TEST_F(DigiStaticTest, TheDefaultStyleKeepsTheAspectCentredAndBlendsOnlyTheOutlines) {
  CDigiStatic digi;
  Make(digi, 214, 83);
  EXPECT_EQ(digi.GetDigiStyle(), kDigiKeepRatio | kDigiBlendOutline);
  digi.SetText(L"12:34");
  plat::test::Pump();
  // Four digits of 49 and a colon of 18 fill 214 exactly; the colon starts at x 98.
  EXPECT_EQ(Pixel(&digi, 106, 27), kOn);   // upper colon dot
  EXPECT_EQ(Pixel(&digi, 106, 54), kOn);   // lower colon dot
  EXPECT_EQ(Pixel(&digi, 106, 72), kOff);  // the decimal point is unlit
  EXPECT_EQ(Pixel(&digi, 102, 27), RGB(0, 191, 0));  // its outline, blended with black
  EXPECT_EQ(Pixel(&digi, 102, 72), RGB(0, 39, 0));
  const QImage shot = Shot(digi);
  const std::set<QRgb> allowed = {qRgb(0, 0, 0), qRgb(0, 255, 0), qRgb(0, 52, 0), qRgb(0, 191, 0), qRgb(0, 39, 0)};
  int blended = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      ASSERT_TRUE(allowed.count(shot.pixel(x, y))) << x << "," << y;
      blended += shot.pixel(x, y) == qRgb(0, 191, 0);
    }
  }
  EXPECT_GT(blended, 100);
  plat::test::SavePng(shot, "DigiStatic-12-34");

  // A wider client: one scale for both axes, centred.
  CDigiStatic one;
  Make(one, 98, 83);
  one.SetText(L"1");
  SetStyle(one, kDigiKeepRatio);
  EXPECT_EQ(Pixel(&one, 65, 20), kOn);
  EXPECT_EQ(Pixel(&one, 10, 20), kBlack);
  EXPECT_EQ(Pixel(&one, 30, 7), kOff);  // the top bar starts at 24.5 + 5
  CheckSegments(one, L"1", kDigiKeepRatio);

  // 14-segment digits in the same place.
  CDigiStatic fourteen;
  Make(fourteen, 200, 50);
  fourteen.SetText(L"1234");
  SetStyle(fourteen, kDigiKeepRatio | kDigi14Segment);
  CheckSegments(fourteen, L"1234", kDigiKeepRatio | kDigi14Segment);
}

TEST_F(DigiStaticTest, TextIsUpperCasedTheQuestionMarkShowsTheWindowTextAndUnknownCharactersAreLeftOut) {
  CDigiStatic lower, upper;
  Make(lower, 150, 40);
  Make(upper, 150, 40);
  lower.SetText(L"abc");
  upper.SetText(L"ABC");
  SetStyle(lower, kDigiKeepRatio);
  SetStyle(upper, kDigiKeepRatio);
  EXPECT_EQ(Shot(lower), Shot(upper));
  CheckSegments(lower, L"ABC", kDigiKeepRatio);

  // "?" is the display's first text: it shows the window's text.
  CDigiStatic own, given;
  Make(own, 150, 40, L"12");
  Make(given, 150, 40);
  given.SetText(L"12");
  SetStyle(own, kDigiKeepRatio);
  SetStyle(given, kDigiKeepRatio);
  EXPECT_EQ(Shot(own), Shot(given));
  upper.SetText(L"1#2");
  plat::test::Pump();
  EXPECT_EQ(Shot(upper), Shot(given));

  // Nothing it can show: only the background.
  upper.SetText(L"#%&");
  plat::test::Pump();
  QImage blank(Shot(upper).size(), QImage::Format_RGB32);
  blank.fill(qRgb(0, 0, 0));
  EXPECT_EQ(Shot(upper).convertToFormat(QImage::Format_RGB32), blank);
}

TEST_F(DigiStaticTest, StyleAndColourChangesRepaintOnlyWhenSomethingChanges) {
  CountingDigi digi;
  Make(digi, 100, 40);
  digi.SetText(L"42");
  plat::test::Pump();
  const QImage before = Shot(digi);
  EXPECT_FALSE(digi.ModifyDigiStyle(kDigi14Segment, kDigi14Segment | kDigiOnlyLit));
  EXPECT_EQ(digi.GetDigiStyle(), kDigiKeepRatio | kDigiBlendOutline);
  plat::test::Pump();
  EXPECT_EQ(Shot(digi), before);

  const int paints = digi.paints;
  digi.SetColor(0x3400, 0xFF00);
  digi.SetText(L"42");
  plat::test::Pump();
  EXPECT_EQ(digi.paints, paints);
  digi.SetColor(RGB(0, 0, 80), RGB(255, 255, 0));
  plat::test::Pump();
  EXPECT_EQ(digi.paints, paints + 1);
  EXPECT_NE(Shot(digi), before);
  int yellow = 0;
  const QImage shot = Shot(digi);
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) yellow += shot.pixel(x, y) == qRgb(255, 255, 0);
  }
  EXPECT_GT(yellow, 50);
}

TEST_F(DigiStaticTest, SmoothSegmentsStayInTheirCellAndCoverAboutAsMuchAsSharpOnes) {
  for (const wchar_t* text : {L"8", L"W", L"0"}) {
    CDigiStatic sharp, smooth;
    Make(sharp, 120, 83);
    Make(smooth, 120, 83);
    sharp.SetText(text);
    smooth.SetText(text);
    SetStyle(sharp, kDigiKeepRatio);
    SetStyle(smooth, kDigiKeepRatio | kDigiSmooth);
    int sharpLit = 0, smoothLit = 0, outside = 0;
    const QImage a = Shot(sharp);
    const QImage b = Shot(smooth);
    for (int y = 0; y < 83; ++y) {
      for (int x = 0; x < 120; ++x) {
        sharpLit += a.pixel(x, y) == qRgb(0, 255, 0);
        const bool drawn = b.pixel(x, y) != qRgb(0, 0, 0);
        smoothLit += b.pixel(x, y) == qRgb(0, 255, 0);
        // The cell runs from x 35.5 to 84.5.
        outside += drawn && (x < 35 || x > 85);
      }
    }
    EXPECT_EQ(outside, 0) << CString(text).ToUtf8();
    EXPECT_GT(smoothLit, sharpLit * 6 / 10) << CString(text).ToUtf8();
    EXPECT_LT(smoothLit, sharpLit * 14 / 10) << CString(text).ToUtf8();
    if (CString(text) == L"8") plat::test::SavePng(b, "DigiStatic-smooth-8");
  }

  // Sizes from a pixel to a large display all finish painting.
  for (const CSize size : {CSize(1, 1), CSize(3, 200), CSize(1200, 400)}) {
    CDigiStatic any;
    Make(any, size.cx, size.cy);
    any.SetText(L"88:88");
    SetStyle(any, kDigiSmooth | kDigiBlendOutline);
  }
  CDigiStatic large;
  Make(large, 1200, 400);
  large.SetText(L"88:88");
  SetStyle(large, kDigiSmooth | kDigiKeepRatio);
  CheckSegments(large, L"88:88", kDigiKeepRatio);
}

TEST_F(DigiStaticTest, ATransparentDisplayShowsWhatLiesBeneathBetweenItsSegments) {
  CDigiStatic digi;
  Make(digi, 49, 83);
  digi.SetText(L"1");
  digi.ModifyDigiStyle(kDigiKeepRatio | kDigiBlendOutline, kDigiOnlyLit);
  digi.SetTransparent(TRUE);
  EXPECT_TRUE(digi.GetExStyle() & WS_EX_TRANSPARENT);
  digi.SetText(L"7");
  plat::test::Pump();
  const QImage screen = plat::test::Grab(&parent);
  const QRgb window = qRgb(GetRValue(GetSysColor(COLOR_WINDOW)), GetGValue(GetSysColor(COLOR_WINDOW)),
                           GetBValue(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(screen.pixel(10 + 1, 10 + 1), window);
  EXPECT_EQ(screen.pixel(10 + 24, 10 + 60), window);  // the unlit bottom bar of "7"
  EXPECT_EQ(screen.pixel(10 + 24, 10 + 7), qRgb(0, 255, 0));
  EXPECT_EQ(screen.pixel(10 + 41, 10 + 20), qRgb(0, 255, 0));
  digi.SetTransparent(FALSE);
  EXPECT_FALSE(digi.GetExStyle() & WS_EX_TRANSPARENT);
}
