#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "controls/grid/TitleTip.h"
#include "platform/gdi/Dc.h"
#include "platform/wnd/PaintDC.h"

using plat::test::Mouse;

namespace {

// A grid that records the mouse and key messages it receives.
class InputSpyGrid : public CGridCtrl {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_LBUTTONDOWN || msg == WM_MOUSEMOVE || msg == WM_KEYDOWN) received.push_back({msg, wParam, lParam});
    return CGridCtrl::WindowProc(msg, wParam, lParam);
  }
  struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Message> received;
};

class TitleTipTest : public gridtest::OwnerTest {
 protected:
  void SetUp() override {
    OwnerTest::SetUp();
    ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
    gridtest::Shape(grid, 4, 3, 1, 1, 20, 50);
    grid.SetItemText(1, 1, kLong);
    grid.SetItemText(1, 2, L"ab");
    grid.SetFocus();
    plat::test::Pump();
  }

  bool Received(UINT msg, CPoint point) const {
    for (const auto& m : grid.received) {
      if (m.msg == msg && CPoint(GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)) == point) return true;
    }
    return false;
  }

  static constexpr const wchar_t* kLong = L"a text far wider than its cell";
  InputSpyGrid grid;
};

}  // namespace

TEST_F(TitleTipTest, ACutOffTextShowsWholeOverItsCellWhileTheMouseStaysThere) {
  CTitleTip& tip = grid.GetTitleTip();
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 1, 2));
  EXPECT_FALSE(tip.IsWindowVisible());

  grid.SetTitleTipBackClr(RGB(255, 255, 0));
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 1, 1));
  ASSERT_TRUE(tip.IsWindowVisible());
  EXPECT_EQ(CWnd::GetCapture(), &tip);
  CRect cell;
  ASSERT_TRUE(grid.GetCellRect(1, 1, &cell));
  grid.ClientToScreen(&cell);
  CRect shown;
  tip.GetWindowRect(&shown);
  EXPECT_EQ(shown.left, cell.left);
  EXPECT_EQ(shown.top, cell.top);
  EXPECT_EQ(shown.bottom, cell.bottom);
  CClientDC dc(&grid);
  CFont* previous = dc.SelectObject(grid.GetFont());
  EXPECT_EQ(shown.Width(), dc.GetTextExtent(CString(L" ") + kLong + L" ").cx);
  dc.SelectObject(previous);
  const QImage image = plat::test::Grab(&tip);
  plat::test::SavePng(image, "grid_title_tip");
  EXPECT_EQ(gridtest::At(image, image.width() - 2, 1), RGB(255, 255, 0));
  EXPECT_GT(image.width() * image.height() - gridtest::CountPixels(image, image.rect(), RGB(255, 255, 0)), 20);

  // Moving inside the cell keeps it; leaving the cell hides it and the grid hears of the move.
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 1, 1) + CPoint(10, 2));
  EXPECT_TRUE(tip.IsWindowVisible());
  grid.received.clear();
  const CPoint away = gridtest::CellCentre(grid, 2, 2);
  Mouse(&grid, WM_MOUSEMOVE, away);
  EXPECT_FALSE(tip.IsWindowVisible());
  EXPECT_NE(CWnd::GetCapture(), &tip);
  EXPECT_TRUE(Received(WM_MOUSEMOVE, away));

  // Without a focused window there is no tip.
  CWnd nobody;
  nobody.SetFocus();
  ASSERT_EQ(CWnd::GetFocus(), nullptr);
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 1, 1));
  EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(TitleTipTest, ClicksAndKeysOnTheTipGoToTheGridBeneath) {
  CTitleTip& tip = grid.GetTitleTip();
  const CPoint over = gridtest::CellCentre(grid, 1, 1);
  Mouse(&grid, WM_MOUSEMOVE, over);
  ASSERT_TRUE(tip.IsWindowVisible());
  grid.received.clear();
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, over);
  EXPECT_FALSE(tip.IsWindowVisible());
  EXPECT_TRUE(Received(WM_LBUTTONDOWN, over));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
  Mouse(&grid, WM_LBUTTONUP, over);

  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 2, 2));
  Mouse(&grid, WM_MOUSEMOVE, over);
  ASSERT_TRUE(tip.IsWindowVisible());
  grid.received.clear();
  tip.PostMessage(WM_KEYDOWN, VK_DOWN, 1);
  plat::test::Pump();
  EXPECT_FALSE(tip.IsWindowVisible());
  ASSERT_FALSE(grid.received.empty());
  EXPECT_EQ(grid.received.back().msg, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(grid.received.back().wParam, static_cast<WPARAM>(VK_DOWN));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));

  // Editing hides the tip and shows none over the cell being edited.
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 2, 2));
  Mouse(&grid, WM_MOUSEMOVE, over);
  ASSERT_TRUE(tip.IsWindowVisible());
  grid.OnEditCell(1, 1, CPoint(-1, -1), VK_RETURN);
  EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(TitleTipTest, ATipShowsOnlyWhenItsPaddedTextIsWiderThanTheTitle) {
  CTitleTip tip;
  tip.SetParentWnd(&grid);
  CClientDC dc(&grid);
  CFont* previous = dc.SelectObject(grid.GetFont());
  const int width = dc.GetTextExtent(CString(L" wide ")).cx;
  dc.SelectObject(previous);
  tip.Show(CRect(10, 30, 10 + width, 45), L"wide");
  EXPECT_FALSE(tip.IsWindowVisible());
  tip.Show(CRect(10, 30, 10 + width - 1, 45), L"wide");
  EXPECT_TRUE(tip.IsWindowVisible());
  tip.Hide();
  // The x offset counts on both sides.
  tip.Show(CRect(10, 30, 10 + width + 4, 45), L"wide", 3);
  EXPECT_TRUE(tip.IsWindowVisible());
  tip.Hide();
  tip.Show(CRect(10, 30, 10, 45), L"wide");
  EXPECT_FALSE(tip.IsWindowVisible());
  tip.DestroyWindow();
  EXPECT_FALSE(IsWindow(tip.m_hWnd));
  tip.Show(CRect(10, 30, 20, 45), L"again");
  EXPECT_TRUE(tip.IsWindowVisible());
}
