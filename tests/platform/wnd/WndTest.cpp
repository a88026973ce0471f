#include <gtest/gtest.h>

#include <QWidget>

#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

class WndTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::Reset(); }
};

}  // namespace

TEST_F(WndTest, WindowsHaveHandlesUntilDestroyedAndMessagesToGoneWindowsAreDropped) {
  SpyWnd top;
  ASSERT_TRUE(top.CreateTopLevel(CRect(100, 50, 400, 250)));
  SpyWnd child;
  ASSERT_TRUE(child.CreateChild(&top, CRect(10, 20, 110, 70), 77));
  const HWND topHandle = top.m_hWnd;
  const HWND childHandle = child.m_hWnd;
  EXPECT_NE(topHandle, childHandle);
  EXPECT_EQ(CWnd::FromHandle(childHandle), &child);
  EXPECT_EQ(top.GetDlgItem(77), &child);
  EXPECT_EQ(child.GetParent(), &top);
  EXPECT_EQ(child.GetDlgCtrlID(), 77);
  EXPECT_TRUE(IsWindow(childHandle));

  // Creation sends WM_CREATE then WM_SIZE with the client size.
  const auto sizes = child.Of(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(sizes[0].lParam)), 100);
  EXPECT_EQ(HIWORD(static_cast<DWORD_PTR>(sizes[0].lParam)), 50);
  EXPECT_EQ(child.Messages().front(), WM_CREATE);

  EXPECT_EQ(::SendMessage(childHandle, WM_USER + 5, 1, 2), 0);
  ASSERT_EQ(child.Of(WM_USER + 5).size(), 1u);

  // Destroying the parent destroys the child first for WM_NCDESTROY, after WM_DESTROY of each.
  top.records.clear();
  child.records.clear();
  EXPECT_TRUE(top.DestroyWindow());
  EXPECT_EQ(top.Of(WM_DESTROY).size(), 1u);
  EXPECT_EQ(child.Of(WM_DESTROY).size(), 1u);
  EXPECT_EQ(child.Of(WM_NCDESTROY).size(), 1u);
  EXPECT_EQ(child.m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(childHandle));
  EXPECT_EQ(CWnd::FromHandle(childHandle), nullptr);
  EXPECT_EQ(::SendMessage(childHandle, WM_USER + 5, 1, 2), 0);
  EXPECT_TRUE(::PostMessage(childHandle, WM_USER + 6, 0, 0));
  plat::test::Pump();
  EXPECT_TRUE(child.Of(WM_USER + 6).empty());
  EXPECT_FALSE(top.DestroyWindow());
}

TEST_F(WndTest, WindowsChangeParentsRedrawAtOnceAndHearWhenRestored) {
  SpyWnd main, panel;
  ASSERT_TRUE(main.CreateTopLevel(CRect(100, 100, 500, 400)));
  ASSERT_TRUE(panel.CreateChild(&main, CRect(10, 10, 110, 60), 5));
  CRect rc;
  panel.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(110, 110));

  // Docked to floating: a pop-up owned by the main window, placed in screen coordinates.
  panel.ModifyStyle(WS_CHILD, WS_POPUP | WS_CAPTION);
  EXPECT_EQ(panel.SetParent(&main), &main);
  panel.MoveWindow(600, 50, 100, 50);
  panel.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(600, 50));
  EXPECT_EQ(panel.GetParent(), &main);  // the owner
  EXPECT_EQ(main.GetDlgItem(5), nullptr);
  EXPECT_FALSE(main.IsChild(&panel));
  // And back: a child again.
  panel.ModifyStyle(WS_POPUP | WS_CAPTION, WS_CHILD);
  panel.SetParent(&main);
  panel.MoveWindow(20, 30, 100, 50);
  panel.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(120, 130));
  EXPECT_TRUE(main.IsChild(&panel));
  EXPECT_FALSE(panel.Widget()->isWindow());  // docked into its owner, no window of its own

  // RedrawWindow with RDW_UPDATENOW paints before it returns.
  panel.Clear();
  EXPECT_TRUE(panel.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
  EXPECT_EQ(panel.Of(WM_PAINT).size(), 1u);
  EXPECT_EQ(panel.Of(WM_ERASEBKGND).size(), 1u);

  // A minimised window that is shown again is asked WM_QUERYOPEN.
  main.ShowWindow(SW_MINIMIZE);
  EXPECT_TRUE(main.GetStyle() & WS_MINIMIZE);
  main.ShowWindow(SW_RESTORE);
  EXPECT_EQ(main.Of(WM_QUERYOPEN).size(), 1u);
  EXPECT_FALSE(main.GetStyle() & WS_MINIMIZE);
  EXPECT_TRUE(main.IsWindowVisible());
}
