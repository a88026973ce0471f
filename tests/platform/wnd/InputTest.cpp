#include <gtest/gtest.h>

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Static.h"
#include "tests/support/TestHarness.h"

using plat::test::Mouse;
using plat::test::SpyWnd;

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(top.CreateTopLevel(CRect(100, 100, 400, 300)));
  }

  static void Fill(CWnd& w, COLORREF color) {
    CClientDC dc(&w);
    CRect r;
    w.GetClientRect(&r);
    dc.FillSolidRect(&r, color);
  }

  static std::vector<UINT> MouseMessages(const SpyWnd& w) {
    std::vector<UINT> out;
    for (UINT m : w.Messages()) {
      if ((m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK && m != WM_MOUSEMOVE) || m == WM_NCLBUTTONDOWN) out.push_back(m);
    }
    return out;
  }

  SpyWnd top;
};

}  // namespace

TEST_F(InputTest, TwoPressesCloseInTimeAndPlaceMakeADoubleClick) {
  Mouse(&top, WM_LBUTTONDOWN, {20, 20});
  Mouse(&top, WM_LBUTTONUP, {20, 20});
  plat::test::Clock().Advance(300);
  Mouse(&top, WM_LBUTTONDOWN, {21, 21});
  Mouse(&top, WM_LBUTTONUP, {21, 21});
  EXPECT_EQ(MouseMessages(top), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));

  top.Clear();
  plat::test::Clock().Advance(1000);
  Mouse(&top, WM_LBUTTONDOWN, {20, 20});
  Mouse(&top, WM_LBUTTONUP, {20, 20});
  plat::test::Clock().Advance(600);  // too slow
  Mouse(&top, WM_LBUTTONDOWN, {20, 20});
  Mouse(&top, WM_LBUTTONUP, {20, 20});
  plat::test::Clock().Advance(100);
  Mouse(&top, WM_LBUTTONDOWN, {30, 20});  // too far
  EXPECT_EQ(MouseMessages(top), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                                   WM_LBUTTONDOWN}));
  Mouse(&top, WM_LBUTTONUP, {30, 20});

  // A class without CS_DBLCLKS never gets double clicks; mouse messages carry the keys.
  WNDCLASSW cls;
  cls.lpszClassName = L"NoDoubleClicks";
  ASSERT_TRUE(RegisterClass(&cls));
  SpyWnd plain;
  ASSERT_TRUE(plain.CreateEx(0, L"NoDoubleClicks", L"", WS_POPUP | WS_VISIBLE, CRect(500, 500, 550, 550), nullptr, 0));
  Mouse(&plain, WM_LBUTTONDOWN, {5, 5}, MK_CONTROL);
  Mouse(&plain, WM_LBUTTONUP, {5, 5});
  Mouse(&plain, WM_LBUTTONDOWN, {5, 5}, MK_SHIFT);
  const auto downs = plain.Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].wParam, MK_LBUTTON | MK_CONTROL);
  EXPECT_EQ(downs[1].wParam, MK_LBUTTON | MK_SHIFT);
  EXPECT_EQ(GetKeyState(VK_SHIFT) < 0, true);
  EXPECT_TRUE(plain.Of(WM_LBUTTONDBLCLK).empty());
  Mouse(&plain, WM_LBUTTONUP, {5, 5});
}

TEST_F(InputTest, TheCapturingWindowGetsEveryMouseMessageWithItsOwnCoordinates) {
  SpyWnd a, b;
  ASSERT_TRUE(a.CreateChild(&top, CRect(10, 10, 60, 60), 1));
  ASSERT_TRUE(b.CreateChild(&top, CRect(100, 10, 150, 60), 2));
  Mouse(&a, WM_LBUTTONDOWN, {5, 5});
  EXPECT_EQ(a.SetCapture(), nullptr);
  EXPECT_EQ(CWnd::GetCapture(), &a);
  Mouse(&a, WM_MOUSEMOVE, {-10, 5}, MK_LBUTTON);  // outside, over the parent
  Mouse(&a, WM_MOUSEMOVE, {110, 20}, MK_LBUTTON);  // over b
  const auto moves = a.Of(WM_MOUSEMOVE);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_EQ(GET_X_LPARAM(moves[moves.size() - 2].lParam), -10);
  EXPECT_EQ(GET_Y_LPARAM(moves[moves.size() - 2].lParam), 5);
  EXPECT_EQ(GET_X_LPARAM(moves.back().lParam), 110);
  EXPECT_TRUE(b.Of(WM_MOUSEMOVE).empty());

  EXPECT_TRUE(ReleaseCapture());
  const auto changed = a.Of(WM_CAPTURECHANGED);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].lParam, 0);
  Mouse(&a, WM_LBUTTONUP, {110, 20});
  EXPECT_EQ(b.Of(WM_LBUTTONUP).size(), 1u);

  // Capture taken by another window tells the previous owner who has it now.
  a.SetCapture();
  b.SetCapture();
  ASSERT_EQ(a.Of(WM_CAPTURECHANGED).size(), 2u);
  EXPECT_EQ(reinterpret_cast<HWND>(a.Of(WM_CAPTURECHANGED).back().lParam), b.m_hWnd);
  ReleaseCapture();

  // A confined pointer stays within the rectangle given to ClipCursor.
  CRect screen;
  top.GetWindowRect(&screen);
  const CRect confine(screen.left + 20, screen.top + 20, screen.left + 40, screen.top + 40);
  ClipCursor(&confine);
  a.SetCapture();
  Mouse(&a, WM_MOUSEMOVE, {200, -50}, MK_LBUTTON);
  POINT p{};
  GetCursorPos(&p);
  EXPECT_EQ(p.x, confine.right - 1);
  EXPECT_EQ(p.y, confine.top);
  ClipCursor(nullptr);
  ReleaseCapture();
}

TEST_F(InputTest, HitTestingSkipsHiddenAndDisabledWindowsAndPassesThroughTransparentStatics) {
  SpyWnd hidden, disabled;
  ASSERT_TRUE(hidden.CreateChild(&top, CRect(10, 10, 50, 50), 1, WS_CHILD));
  ASSERT_TRUE(disabled.CreateChild(&top, CRect(60, 10, 100, 50), 2, WS_CHILD | WS_VISIBLE | WS_DISABLED));
  POINT p{20, 20};
  top.ClientToScreen(&p);
  EXPECT_EQ(CWnd::WindowFromPoint(p), &top);
  p = {70, 20};
  top.ClientToScreen(&p);
  EXPECT_EQ(CWnd::WindowFromPoint(p), &top);
  hidden.ShowWindow(SW_SHOW);
  p = {20, 20};
  top.ClientToScreen(&p);
  EXPECT_EQ(CWnd::WindowFromPoint(p), &hidden);

  // A static without SS_NOTIFY lets the click through to its parent; with it, takes the click.
  CStatic label, notify;
  ASSERT_TRUE(label.Create(L"label", WS_CHILD | WS_VISIBLE, CRect(10, 100, 90, 120), &top, 3));
  ASSERT_TRUE(notify.Create(L"link", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(100, 100, 190, 120), &top, 4));
  top.Clear();
  Mouse(&top, WM_LBUTTONDOWN, {20, 110});
  Mouse(&top, WM_LBUTTONUP, {20, 110});
  EXPECT_EQ(top.Of(WM_LBUTTONDOWN).size(), 1u);
  p = {120, 110};
  top.ClientToScreen(&p);
  EXPECT_EQ(CWnd::WindowFromPoint(p), &notify);
  Mouse(&top, WM_LBUTTONDOWN, {120, 110});
  EXPECT_EQ(top.Of(WM_LBUTTONDOWN).size(), 1u);
  Mouse(&top, WM_LBUTTONUP, {120, 110});
}

TEST_F(InputTest, AWindowRegionClipsHitTestingAndTheParentShowsOutsideIt) {
  SpyWnd child;
  ASSERT_TRUE(child.CreateChild(&top, CRect(50, 50, 150, 150), 1));
  CRgn round;
  ASSERT_TRUE(round.CreateRoundRectRgn(0, 0, 100, 100, 100, 100));  // a circle
  EXPECT_EQ(child.SetWindowRgn(&round, TRUE), 1);
  EXPECT_EQ(round.GetSafeHandle(), nullptr);  // the window owns the region now

  Mouse(&top, WM_LBUTTONDOWN, {52, 52});  // a corner outside the circle
  Mouse(&top, WM_LBUTTONUP, {52, 52});
  EXPECT_EQ(top.Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_TRUE(child.Of(WM_LBUTTONDOWN).empty());
  Mouse(&top, WM_LBUTTONDOWN, {100, 100});
  Mouse(&top, WM_LBUTTONUP, {100, 100});
  EXPECT_EQ(child.Of(WM_LBUTTONDOWN).size(), 1u);

  // Paint the parent red and the child blue: the corner shows the parent.
  Fill(top, RGB(255, 0, 0));
  Fill(child, RGB(0, 0, 255));
  const QImage screen = plat::test::Grab(&top);
  EXPECT_EQ(screen.pixel(52, 52), qRgb(255, 0, 0));
  EXPECT_EQ(screen.pixel(100, 100), qRgb(0, 0, 255));

  child.SetWindowRgn(nullptr, TRUE);
  Mouse(&top, WM_LBUTTONDOWN, {52, 52});
  Mouse(&top, WM_LBUTTONUP, {52, 52});
  EXPECT_EQ(child.Of(WM_LBUTTONDOWN).size(), 2u);
}
