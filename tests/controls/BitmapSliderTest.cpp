#include <gtest/gtest.h>

#include "controls/BitmapSlider.h"
#include "platform/gdi/GdiObjects.h"
#include "tests/controls/SkinTestSupport.h"
#include "tests/support/TestHarness.h"

using plat::test::Pixel;
using plat::test::SpyWnd;

namespace {

constexpr UINT kChannel = 9301;
constexpr UINT kActive = 9302;
constexpr UINT kKeyedChannel = 9303;
constexpr UINT kKeyedActive = 9304;
constexpr UINT kMissing = 9399;
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr UINT kId = 1601;

class BitmapSliderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    skintest::Register(kChannel, skintest::Solid(200, 20, kGrey));
    skintest::Register(kActive, skintest::Solid(200, 20, kGreen));
    // The left quarter of both keyed bitmaps has the key colour.
    skintest::Register(kKeyedChannel, skintest::Strip({kKey, kGrey, kGrey, kGrey}, 50, 20));
    skintest::Register(kKeyedActive, skintest::Strip({kKey, kGreen, kGreen, kGreen}, 50, 20));
  }

  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 600, 200)));
  }

  void Make(CBitmapSlider& s, int width, int height = 20, DWORD exStyle = 0) {
    ASSERT_TRUE(s.CreateEx(exStyle, L"Static", L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 10 + width, 10 + height),
                           &parent, kId));
    ASSERT_TRUE(s.SetBitmapChannel(kChannel, kActive));
    s.SetRange(0, 100);
    plat::test::Pump();
  }

  // The last x of the row that shows the colour, or -1.
  static int LastOf(const CBitmapSlider& s, COLORREF color, int width, int y = 10) {
    int last = -1;
    for (int x = 0; x < width; ++x) {
      if (Pixel(&s, x, y) == color) last = x;
    }
    return last;
  }

  std::vector<LPARAM> Posted(UINT msg) const {
    std::vector<LPARAM> out;
    for (const auto& r : parent.Of(msg)) {
      EXPECT_EQ(r.wParam, kId);
      out.push_back(r.lParam);
    }
    return out;
  }

  SpyWnd parent;
};

}  // namespace

TEST_F(BitmapSliderTest, TheActiveChannelFillsUpToThePositionsPixel) {
  CBitmapSlider s;
  Make(s, 200);
  EXPECT_TRUE(s.GetStyle() & SS_NOTIFY);
  s.SetPos(25);
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 0, 10), kGreen);
  EXPECT_EQ(Pixel(&s, 49, 10), kGreen);
  EXPECT_EQ(Pixel(&s, 50, 10), kGrey);
  EXPECT_EQ(Pixel(&s, 199, 19), kGrey);
  EXPECT_EQ(LastOf(s, kGreen, 200, 0), 49);
  EXPECT_EQ(LastOf(s, kGreen, 200, 19), 49);

  // Positions are limited to the range.
  s.SetPos(150);
  EXPECT_EQ(s.GetPos(), 100);
  s.SetPos(-3);
  EXPECT_EQ(s.GetPos(), 0);
  s.SetPos(150);
  plat::test::Pump();
  EXPECT_EQ(LastOf(s, kGreen, 200), 199);

  // An empty range draws no active part and does not fail.
  s.SetRange(5, 5, TRUE);
  s.SetPos(7);
  EXPECT_EQ(s.GetPos(), 5);
  plat::test::Pump();
  EXPECT_EQ(LastOf(s, kGreen, 200), -1);
  EXPECT_EQ(Pixel(&s, 0, 10), kGrey);

  // Margins shorten the track from both ends.
  s.SetRange(0, 100);
  s.SetMarginLeft(20);
  s.SetMarginRight(30);
  s.SetPos(50);
  plat::test::Pump();
  EXPECT_EQ(LastOf(s, kGreen, 200), 20 + 75 - 1);
  EXPECT_EQ(s.SetPageSize(10), 20);
  EXPECT_EQ(s.SetPageSize(5), 10);
}

TEST_F(BitmapSliderTest, DraggingMovesThePositionAndTellsTheParentOnlyOfNewPixels) {
  CBitmapSlider s;
  Make(s, 200);
  parent.Clear();
  plat::test::Mouse(&s, WM_LBUTTONDOWN, {60, 10});
  EXPECT_EQ(s.GetPos(), 30);
  EXPECT_EQ(CWnd::GetCapture(), &s);
  EXPECT_EQ(CWnd::GetFocus(), &s);
  EXPECT_EQ(Posted(WM_BITMAPSLIDER_MOVED), std::vector<LPARAM>{30});
  plat::test::Mouse(&s, WM_MOUSEMOVE, {61, 10});
  EXPECT_EQ(s.GetPos(), 30);  // pixel 61 still gives 30
  EXPECT_EQ(Posted(WM_BITMAPSLIDER_MOVED), (std::vector<LPARAM>{30, 30}));
  plat::test::Mouse(&s, WM_MOUSEMOVE, {300, 10});
  EXPECT_EQ(s.GetPos(), 100);
  plat::test::Mouse(&s, WM_MOUSEMOVE, {310, 10});
  EXPECT_EQ(Posted(WM_BITMAPSLIDER_MOVED), (std::vector<LPARAM>{30, 30, 100}));
  plat::test::Mouse(&s, WM_MOUSEMOVE, {-40, 10});
  EXPECT_EQ(s.GetPos(), 0);
  plat::test::Mouse(&s, WM_MOUSEMOVE, {100, 10});
  EXPECT_TRUE(Posted(WM_BITMAPSLIDER_RELEASED).empty());
  plat::test::Mouse(&s, WM_LBUTTONUP, {100, 10});
  EXPECT_EQ(Posted(WM_BITMAPSLIDER_RELEASED), std::vector<LPARAM>{50});
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  EXPECT_EQ(LastOf(s, kGreen, 200), 99);

  // Moves without the button held change nothing.
  parent.Clear();
  plat::test::Mouse(&s, WM_MOUSEMOVE, {150, 10});
  EXPECT_EQ(s.GetPos(), 50);
  EXPECT_TRUE(parent.Of(WM_BITMAPSLIDER_MOVED).empty());

  // A range that does not start at 0, and a track without length.
  s.SetRange(-10, 10);
  plat::test::Mouse(&s, WM_LBUTTONDOWN, {150, 10});
  plat::test::Mouse(&s, WM_LBUTTONUP, {150, 10});
  EXPECT_EQ(s.GetPos(), 5);
  s.SetMarginLeft(100);
  s.SetMarginRight(100);
  parent.Clear();
  plat::test::Mouse(&s, WM_LBUTTONDOWN, {150, 10});
  plat::test::Mouse(&s, WM_MOUSEMOVE, {20, 10});
  plat::test::Mouse(&s, WM_LBUTTONUP, {20, 10});
  EXPECT_EQ(s.GetPos(), 5);
  EXPECT_TRUE(parent.Of(WM_BITMAPSLIDER_MOVED).empty());
  EXPECT_EQ(Posted(WM_BITMAPSLIDER_RELEASED), std::vector<LPARAM>{5});
}

TEST_F(BitmapSliderTest, TheActivePartFollowsTheChannelsLayoutWhateverTheControlsWidth) {
  // Narrower than the bitmaps: both are drawn at their own size, the active part up to the pixel.
  CBitmapSlider narrow;
  Make(narrow, 50);
  narrow.SetPos(50);
  plat::test::Pump();
  EXPECT_EQ(LastOf(narrow, kGreen, 50), 24);
  EXPECT_EQ(Pixel(&narrow, 25, 10), kGrey);
  EXPECT_EQ(Pixel(&narrow, 49, 10), kGrey);
  narrow.SetPos(0);
  plat::test::Pump();
  EXPECT_EQ(LastOf(narrow, kGreen, 50), -1);

  // Wider: both are stretched over the control.
  CBitmapSlider wide;
  Make(wide, 400, 30);
  wide.SetPos(50);
  plat::test::Pump();
  EXPECT_EQ(LastOf(wide, kGreen, 400), 199);
  EXPECT_EQ(LastOf(wide, kGreen, 400, 29), 199);
  EXPECT_EQ(Pixel(&wide, 399, 29), kGrey);
}

TEST_F(BitmapSliderTest, KeyColouredPixelsShowWhatLiesBeneath) {
  CBitmapSlider s;
  Make(s, 200, 20, WS_EX_TRANSPARENT);
  ASSERT_TRUE(s.SetBitmapChannel(kKeyedChannel, kKeyedActive, TRUE, CLR_DEFAULT, 0, 0));
  s.SetPos(50);
  plat::test::Pump();
  const COLORREF beneath = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(Pixel(&s, 10, 10), beneath);
  EXPECT_EQ(Pixel(&s, 49, 10), beneath);
  EXPECT_EQ(Pixel(&s, 50, 10), kGreen);
  EXPECT_EQ(Pixel(&s, 99, 10), kGreen);
  EXPECT_EQ(Pixel(&s, 100, 10), kGrey);

  // A key colour given outright, on a channel without an active part.
  ASSERT_TRUE(s.SetBitmapChannel(kKeyedChannel, 0, TRUE, kGrey));
  s.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 10, 10), kKey);
  EXPECT_EQ(Pixel(&s, 49, 10), kKey);
  EXPECT_EQ(Pixel(&s, 50, 10), beneath);
  EXPECT_EQ(Pixel(&s, 150, 10), beneath);

  // Bitmaps that do not load draw nothing; id 0 unloads.
  EXPECT_FALSE(s.SetBitmapChannel(kMissing, kActive));
  EXPECT_FALSE(s.SetBitmapChannel(kChannel, kMissing));
  s.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 150, 10), beneath);
  EXPECT_TRUE(s.SetBitmapChannel(0));
  EXPECT_TRUE(s.SetBitmapChannel(kChannel));
  s.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 10, 10), kGrey);  // no active channel: the channel alone
}

TEST_F(BitmapSliderTest, ADisabledSliderIgnoresTheMouseAndKeysAreSwallowed) {
  CBitmapSlider s;
  Make(s, 200);
  s.SetPos(40);
  s.EnableWindow(FALSE);
  parent.Clear();
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(180, 10));
  s.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(180, 10));
  plat::test::Pump();
  EXPECT_EQ(s.GetPos(), 40);
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  EXPECT_TRUE(parent.Of(WM_BITMAPSLIDER_MOVED).empty());
  EXPECT_TRUE(parent.Of(WM_BITMAPSLIDER_RELEASED).empty());

  s.EnableWindow(TRUE);
  EXPECT_EQ(s.SendMessage(WM_KEYDOWN, VK_RIGHT), 0);
  EXPECT_EQ(s.GetPos(), 40);
  EXPECT_EQ(s.SendMessage(WM_GETDLGCODE), DLGC_WANTALLKEYS);
  plat::test::SetKeyState(VK_TAB, true);
  EXPECT_NE(s.SendMessage(WM_GETDLGCODE) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
  plat::test::SetKeyState(VK_TAB, false);
}

TEST_F(BitmapSliderTest, TheFocusRectangleShowsOnlyWithFocusWhileEnabledAndWanted) {
  CBitmapSlider s;
  Make(s, 200);
  const COLORREF dotted = kGrey ^ 0xFFFFFF;
  EXPECT_EQ(Pixel(&s, 100, 0), kGrey);
  s.SetFocus();
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 100, 0), dotted);  // every other pixel of the frame is inverted
  EXPECT_EQ(Pixel(&s, 100, 10), kGrey);
  s.EnableWindow(FALSE);
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 100, 0), kGrey);
  s.EnableWindow(TRUE);
  s.SetDrawFocusRect(FALSE, TRUE);
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 100, 0), kGrey);
  s.SetDrawFocusRect(TRUE, TRUE);
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 100, 0), dotted);
  parent.SetFocus();
  plat::test::Pump();
  EXPECT_EQ(Pixel(&s, 100, 0), kGrey);
}
