#include <gtest/gtest.h>

#include "platform/wnd/SysMetrics.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

class ScrollGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(top.CreateTopLevel(CRect(100, 100, 500, 400)));
  }
  SpyWnd top;
};

SCROLLINFO Info(UINT mask, int minPos, int maxPos, UINT page, int pos) {
  SCROLLINFO si;
  si.fMask = mask;
  si.nMin = minPos;
  si.nMax = maxPos;
  si.nPage = page;
  si.nPos = pos;
  return si;
}

}  // namespace

TEST_F(ScrollGeometryTest, ScrollPositionsStayWithinTheRangeLessThePage) {
  SpyWnd grid;
  ASSERT_TRUE(grid.CreateChild(&top, CRect(0, 0, 200, 150), 1));
  SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE, 0, 1999, 200, 0);
  ASSERT_TRUE(grid.SetScrollInfo(SB_VERT, &si));
  EXPECT_EQ(grid.SetScrollPos(SB_VERT, 1900), 0);
  EXPECT_EQ(grid.GetScrollPos(SB_VERT), 1800);
  grid.SetScrollPos(SB_VERT, -5);
  EXPECT_EQ(grid.GetScrollPos(SB_VERT), 0);

  // A page larger than the range is cut to it; page 0 counts as 1 for the last position.
  si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 10, 19, 50, 15);
  grid.SetScrollInfo(SB_VERT, &si);
  SCROLLINFO out;
  ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &out));
  EXPECT_EQ(out.nPage, 10u);
  EXPECT_EQ(out.nPos, 10);
  si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 0, 500);
  grid.SetScrollInfo(SB_HORZ, &si);
  EXPECT_EQ(grid.GetScrollPos(SB_HORZ), 99);
}

TEST_F(ScrollGeometryTest, BarsAppearWhileTheRangeScrollsAndTakeTheirWidthFromTheClientArea) {
  SpyWnd grid;
  ASSERT_TRUE(grid.CreateChild(&top, CRect(0, 0, 200, 150), 1));
  CRect client;
  grid.GetClientRect(&client);
  EXPECT_EQ(client, CRect(0, 0, 200, 150));
  grid.Clear();

  SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE, 0, 999, 150, 0);
  grid.SetScrollInfo(SB_VERT, &si);
  grid.GetClientRect(&client);
  EXPECT_EQ(client, CRect(0, 0, 200 - GetSystemMetrics(SM_CXVSCROLL), 150));
  EXPECT_TRUE(grid.GetStyle() & WS_VSCROLL);
  ASSERT_EQ(grid.Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(grid.Of(WM_SIZE)[0].lParam)), 183);

  // A range that no longer scrolls hides the bar, unless asked to keep it (disabled).
  si = Info(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0);
  grid.SetScrollInfo(SB_VERT, &si);
  EXPECT_TRUE(grid.GetStyle() & WS_VSCROLL);
  si.fMask = SIF_RANGE | SIF_PAGE;
  grid.SetScrollInfo(SB_VERT, &si);
  EXPECT_FALSE(grid.GetStyle() & WS_VSCROLL);
  grid.GetClientRect(&client);
  EXPECT_EQ(client.Width(), 200);

  // Frame styles take their pixels too, and the client origin moves with them.
  grid.ShowScrollBar(SB_BOTH, TRUE);
  grid.ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
  grid.GetClientRect(&client);
  EXPECT_EQ(client, CRect(0, 0, 200 - 4 - 17, 150 - 4 - 17));
  POINT p{0, 0};
  grid.ClientToScreen(&p);
  CRect win;
  grid.GetWindowRect(&win);
  EXPECT_EQ(p.x, win.left + 2);
  EXPECT_EQ(p.y, win.top + 2);
  grid.ShowScrollBar(SB_BOTH, FALSE);
}

TEST_F(ScrollGeometryTest, ChildGeometryFollowsTheParentsClientAreaAndMetricsAreTheTable) {
  SpyWnd child;
  ASSERT_TRUE(child.CreateChild(&top, CRect(30, 40, 80, 70), 1));
  CRect rc;
  child.GetWindowRect(&rc);
  EXPECT_EQ(rc, CRect(130, 140, 180, 170));
  child.MoveWindow(5, 6, 20, 10);
  child.GetWindowRect(&rc);
  EXPECT_EQ(rc, CRect(105, 106, 125, 116));
  POINT pts[1] = {{1, 2}};
  child.MapWindowPoints(&top, pts, 1);
  EXPECT_EQ(pts[0].x, 6);
  EXPECT_EQ(pts[0].y, 8);
  ASSERT_EQ(child.Of(WM_SIZE).size(), 2u);

  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  plat::test::SetScreenSize(1440, 900);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1440);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 900);
  EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
  UINT lines = 0;
  EXPECT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  EXPECT_EQ(lines, 3u);
  EXPECT_EQ(GetDoubleClickTime(), 500u);

  // Centring keeps a top-level window on the screen.
  SpyWnd big;
  ASSERT_TRUE(big.CreateTopLevel(CRect(0, 0, 1000, 500)));
  big.CenterWindow();
  big.GetWindowRect(&rc);
  EXPECT_EQ(rc, CRect(220, 200, 1220, 700));
}
