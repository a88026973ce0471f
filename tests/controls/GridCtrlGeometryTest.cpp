#include <gtest/gtest.h>

#include <climits>

#include "GridTestSupport.h"
#include "platform/wnd/SysMetrics.h"


namespace {

class GridGeometryTest : public gridtest::OwnerTest {};

// A grid that records the scroll messages it receives.
class ScrollSpyGrid : public CGridCtrl {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_VSCROLL || msg == WM_HSCROLL) scrolls.push_back({msg, LOWORD(wParam)});
    return CGridCtrl::WindowProc(msg, wParam, lParam);
  }
  std::vector<std::pair<UINT, UINT>> scrolls;
};

// A grid whose cells a test can remove, as a derived grid may.
class CellDroppingGrid : public CGridCtrl {
 public:
  void DropCell(int row, int col) { DestroyCell(row, col); }
};

CRect CellRect(CGridCtrl& grid, int row, int col) {
  CRect rect;
  EXPECT_TRUE(grid.GetCellRect(row, col, &rect));
  return rect;
}

}  // namespace

TEST_F(GridGeometryTest, CellsLieWhereTheirSizesPutThemAndPointsFindThem) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  CRect client;
  grid.GetClientRect(&client);
  ASSERT_EQ(client, CRect(0, 0, 300, 300));

  EXPECT_EQ(grid.GetFixedColumnWidth(), 30);
  EXPECT_EQ(grid.GetFixedRowHeight(), 20);
  EXPECT_EQ(grid.GetVirtualWidth(), 280);
  EXPECT_EQ(grid.GetVirtualHeight(), 220);
  EXPECT_EQ(CellRect(grid, 1, 1), CRect(30, 20, 79, 39));
  EXPECT_EQ(CellRect(grid, 0, 0), CRect(0, 0, 29, 19));
  EXPECT_EQ(CellRect(grid, 10, 5), CRect(230, 200, 279, 219));

  // Inclusive edges: the last pixel of a cell is still the cell, the next one its neighbour.
  EXPECT_EQ(grid.GetCellFromPt(CPoint(79, 39)), CCellID(1, 1));
  EXPECT_EQ(grid.GetCellFromPt(CPoint(80, 40)), CCellID(2, 2));
  EXPECT_EQ(grid.GetCellFromPt(CPoint(29, 19)), CCellID(0, 0));
  EXPECT_EQ(grid.GetCellFromPt(CPoint(285, 50)).col, -1);
  EXPECT_EQ(grid.GetCellFromPt(CPoint(50, 225)).row, -1);
  EXPECT_EQ(grid.GetCellFromPt(CPoint(-1, 5)), CCellID(0, -1));
  // Without fixed cells a point in the fixed band hits nothing on that axis.
  EXPECT_EQ(grid.GetCellFromPt(CPoint(10, 50), FALSE), CCellID(2, -1));
  EXPECT_EQ(grid.GetCellRelativePoint(2, 2, CPoint(85, 47)), CPoint(5, 7));

  CRect visibleRect;
  const CCellRange visible = grid.GetVisibleNonFixedCellRange(&visibleRect);
  EXPECT_EQ(visible.GetTopLeft(), CCellID(1, 1));
  EXPECT_EQ(visible.GetMaxRow(), 10);
  EXPECT_EQ(visible.GetMaxCol(), 5);
  EXPECT_EQ(visibleRect, CRect(0, 0, 280, 220));
  // All fixed columns fit: the fixed range reaches the fixed column count.
  const CCellRange fixed = grid.GetVisibleFixedCellRange();
  EXPECT_EQ(fixed.GetMinCol(), 0);
  EXPECT_EQ(fixed.GetMaxCol(), 1);
  EXPECT_EQ(fixed.GetMaxRow(), 10);
}

TEST_F(GridGeometryTest, AGridThatFitsHasNoBarsAndIgnoresScrolling) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  EXPECT_EQ(grid.GetHScrollMax(), 0);
  EXPECT_EQ(grid.GetVScrollMax(), 0);
  EXPECT_EQ(grid.GetScrollBarState(), 0);
  EXPECT_FALSE(grid.GetStyle() & (WS_HSCROLL | WS_VSCROLL));
  grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
  grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(grid.GetScrollPos32(SB_HORZ), 0);
  EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(1, 1));
}

TEST_F(GridGeometryTest, ATallGridScrollsByRowsAndBringsACellIntoView) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 200));
  gridtest::Shape(grid, 100, 2, 0, 0, 20, 50);
  EXPECT_EQ(grid.GetVScrollMax(), 1999);
  EXPECT_EQ(grid.GetScrollBarState(), 2);
  SCROLLINFO si;
  ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &si));
  EXPECT_EQ(si.nPage, 200u);
  CRect client;
  grid.GetClientRect(&client);
  EXPECT_EQ(client.Width(), 200 - GetSystemMetrics(SM_CXVSCROLL));

  grid.EnsureVisible(50, 0);
  EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(41, 0));
  const CRect row50 = CellRect(grid, 50, 0);
  EXPECT_GE(row50.top, 0);
  EXPECT_LE(row50.bottom, client.bottom - 1);
  // Bringing back a row above scrolls up to it.
  grid.EnsureVisible(10, 1);
  EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(10, 0));

  // Page steps move by the body height; the ends go to the first and last positions.
  grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 400);
  grid.SendMessage(WM_VSCROLL, SB_PAGEUP);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 200);
  grid.SendMessage(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 1800);
  EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(90, 0));
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 1800);
  grid.SendMessage(WM_VSCROLL, SB_TOP);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 0);
  grid.SendMessage(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 0);

  // Growing the client until everything fits hides the bar again.
  grid.MoveWindow(10, 10, 204, 2004);
  EXPECT_EQ(grid.GetVScrollMax(), 0);
  EXPECT_EQ(grid.GetScrollBarState(), 0);
}

TEST_F(GridGeometryTest, LineStepsPassOverHiddenRows) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 100, 100));
  gridtest::Shape(grid, 20, 1, 0, 0, 20, 50);
  grid.SetRowHeight(1, 0);
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 20);
  // The top-left row is the hidden row 1: the first row drawn at the top is row 2.
  EXPECT_EQ(grid.GetTopleftNonFixedCell().row, 1);
  EXPECT_EQ(CellRect(grid, 2, 0).top, 0);
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(grid.GetTopleftNonFixedCell().row, 3);
  EXPECT_EQ(CellRect(grid, 3, 0).top, 0);
  grid.SendMessage(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(CellRect(grid, 2, 0).top, 0);
  grid.SendMessage(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 0);
  EXPECT_EQ(CellRect(grid, 0, 0).top, 0);

  // Hidden columns likewise, through the horizontal bar.
  gridtest::Shape(grid, 20, 10, 0, 1, 20, 30);
  grid.SetColumnWidth(1, 0);
  EXPECT_GT(grid.GetHScrollMax(), 0);
  // The step from a visible top-left column moves past it and the hidden one after it.
  grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(grid.GetScrollPos32(SB_HORZ), 30);
  EXPECT_EQ(grid.GetTopleftNonFixedCell().col, 3);
  EXPECT_EQ(CellRect(grid, 0, 3).left, 30);
  grid.SendMessage(WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(grid.GetScrollPos32(SB_HORZ), 0);
}

TEST_F(GridGeometryTest, OriginsAndVisibilityFollowTheScrollPosition) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 161, 101));
  gridtest::Shape(grid, 30, 10, 1, 1, 20, 50);
  CPoint origin;
  EXPECT_TRUE(grid.GetCellOrigin(0, 0, &origin));
  EXPECT_EQ(origin, CPoint(0, 0));
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
  ASSERT_EQ(grid.GetTopleftNonFixedCell(), CCellID(3, 1));
  // A body cell scrolled out above has no origin; fixed cells always have one.
  EXPECT_FALSE(grid.GetCellOrigin(2, 1, &origin));
  EXPECT_FALSE(grid.IsCellVisible(2, 1));
  EXPECT_TRUE(grid.GetCellOrigin(2, 0, &origin) == FALSE);
  EXPECT_TRUE(grid.GetCellOrigin(0, 3, &origin));
  EXPECT_EQ(origin, CPoint(150, 0));
  EXPECT_TRUE(grid.GetCellOrigin(3, 0, &origin));
  EXPECT_EQ(origin, CPoint(0, 20));
  EXPECT_FALSE(grid.GetCellOrigin(30, 0, &origin));

  // The client is 161 x 101 (less a bar on each side): a cell whose top-left pixel shows counts
  // as visible, the next one does not.
  CRect client;
  grid.GetClientRect(&client);
  ASSERT_EQ(client, CRect(0, 0, 161 - GetSystemMetrics(SM_CXVSCROLL), 101 - GetSystemMetrics(SM_CYHSCROLL)));
  const CCellRange visible = grid.GetVisibleNonFixedCellRange();
  const CRect lastRow = CellRect(grid, visible.GetMaxRow(), 1);
  const CRect lastCol = CellRect(grid, 3, visible.GetMaxCol());
  EXPECT_LT(lastRow.top, client.bottom);
  EXPECT_LT(lastCol.left, client.right);
  EXPECT_TRUE(grid.IsCellVisible(visible.GetMaxRow(), 1));
  EXPECT_TRUE(grid.IsCellVisible(3, visible.GetMaxCol()));
  EXPECT_FALSE(grid.IsCellVisible(visible.GetMaxRow() + 1, 1));
  EXPECT_FALSE(grid.IsCellVisible(3, visible.GetMaxCol() + 1));
  EXPECT_TRUE(grid.IsCellVisible(0, visible.GetMaxCol()));
  EXPECT_FALSE(grid.IsCellVisible(-1, 1));
}

TEST_F(GridGeometryTest, DividersAreFoundOnlyInTheHeadingsAndNeverBeforeTheFirstCell) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  // The left border of column 1 and the right border of column 0, within 3 pixels.
  EXPECT_TRUE(grid.IsOverColumnDivide(CPoint(30, 5)));
  EXPECT_TRUE(grid.IsOverColumnDivide(CPoint(32, 5)));
  EXPECT_TRUE(grid.IsOverColumnDivide(CPoint(28, 5)));
  EXPECT_FALSE(grid.IsOverColumnDivide(CPoint(33, 5)));
  EXPECT_FALSE(grid.IsOverColumnDivide(CPoint(1, 5)));
  EXPECT_FALSE(grid.IsOverColumnDivide(CPoint(30, 25)));
  EXPECT_FALSE(grid.IsOverColumnDivide(CPoint(290, 5)));
  EXPECT_TRUE(grid.IsOverRowDivide(CPoint(5, 20)));
  EXPECT_TRUE(grid.IsOverRowDivide(CPoint(5, 58)));
  EXPECT_FALSE(grid.IsOverRowDivide(CPoint(5, 1)));
  EXPECT_FALSE(grid.IsOverRowDivide(CPoint(35, 20)));
}

TEST_F(GridGeometryTest, TheWheelPostsLineStepsOrPagesPerNotch) {
  ScrollSpyGrid grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 200));
  gridtest::Shape(grid, 100, 2, 0, 0, 20, 50);
  EXPECT_EQ(grid.GetWheelLines(), 3u);
  grid.SendMessage(WM_VSCROLL, SB_BOTTOM);
  grid.scrolls.clear();

  plat::test::Wheel(&grid, CPoint(50, 50), 120);
  plat::test::Pump();
  const std::vector<std::pair<UINT, UINT>> threeUp(3, {WM_VSCROLL, SB_LINEUP});
  EXPECT_EQ(grid.scrolls, threeUp);
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 1800 - 60);

  grid.scrolls.clear();
  plat::test::Wheel(&grid, CPoint(50, 50), -240);
  plat::test::Pump();
  const std::vector<std::pair<UINT, UINT>> sixDown(6, {WM_VSCROLL, SB_LINEDOWN});
  EXPECT_EQ(grid.scrolls, sixDown);

  grid.SetWheelLines(UINT_MAX);
  grid.scrolls.clear();
  plat::test::Wheel(&grid, CPoint(50, 50), 120);
  plat::test::Pump();
  const std::vector<std::pair<UINT, UINT>> pageUp(1, {WM_VSCROLL, SB_PAGEUP});
  EXPECT_EQ(grid.scrolls, pageUp);
}

TEST_F(GridGeometryTest, BringingACellIntoViewStopsWhereTheBarCannotMove) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 150));
  gridtest::Shape(grid, 20, 3, 0, 1, 20, 40);
  // Sized while drawing was off, the last row is taller than the bars know.
  grid.SetAllowDraw(FALSE);
  grid.SetRowHeight(19, 1000);
  grid.SetAllowDraw(TRUE);
  grid.EnsureVisible(19, 1);
  const int last = grid.GetScrollPos32(SB_VERT);
  EXPECT_GT(last, 0);
  CRect rect = CellRect(grid, 19, 1);
  EXPECT_GT(rect.top, 0);
  // With the bars brought up to date the row comes to the top.
  grid.ResetScrollBars();
  grid.EnsureVisible(19, 1);
  EXPECT_GT(grid.GetScrollPos32(SB_VERT), last);
  EXPECT_EQ(CellRect(grid, 19, 1).top, 0);

  // A column wider than the body at the last position comes to the left edge.
  gridtest::Shape(grid, 3, 4, 0, 1, 20, 40);
  grid.SetColumnWidth(3, 500);
  grid.SendMessage(WM_HSCROLL, SB_RIGHT);
  grid.EnsureVisible(1, 3);
  EXPECT_EQ(grid.GetTopleftNonFixedCell().col, 3);
  EXPECT_EQ(CellRect(grid, 1, 3).left, 40);
}

TEST_F(GridGeometryTest, AutoSizingMeasuresTheChosenRowsAndSkipsHiddenLines) {
  CellDroppingGrid grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
  gridtest::Shape(grid, 4, 3, 1, 1, 20, 40);
  grid.SetItemText(0, 1, L"ab");
  grid.SetItemText(2, 1, L"a much longer body text");
  CGridCellBase* heading = grid.GetCell(0, 1);
  CGridCellBase* body = grid.GetCell(2, 1);
  CDC* dc = grid.GetDC();
  const CSize headingExtent = heading->GetCellExtent(dc);
  const CSize bodyExtent = body->GetCellExtent(dc);
  grid.ReleaseDC(dc);
  ASSERT_GT(bodyExtent.cx, headingExtent.cx);

  EXPECT_TRUE(grid.AutoSizeColumn(1, GAS_FIXED_ROWS));
  EXPECT_EQ(grid.GetColumnWidth(1), headingExtent.cx);
  EXPECT_TRUE(grid.AutoSizeColumn(1, GAS_BODY_ROWS));
  EXPECT_EQ(grid.GetColumnWidth(1), bodyExtent.cx);
  grid.SetAutoSizeStyle(GAS_FIXED_ROWS);
  EXPECT_TRUE(grid.AutoSizeColumn(1));
  EXPECT_EQ(grid.GetColumnWidth(1), headingExtent.cx);

  grid.SetColumnWidth(2, 0);
  EXPECT_FALSE(grid.AutoSizeColumn(2));
  EXPECT_EQ(grid.GetColumnWidth(2), 0);
  EXPECT_FALSE(grid.AutoSizeColumn(3));
  grid.AutoSizeColumns(GAS_ALL_ROWS);
  EXPECT_EQ(grid.GetColumnWidth(1), bodyExtent.cx);
  EXPECT_EQ(grid.GetColumnWidth(2), 0);

  // A row takes its tallest cell; the fixed cell of the row measures one pixel more than the
  // body cells. A missing first cell counts as nothing.
  dc = grid.GetDC();
  const CSize fixedExtent = grid.GetCell(2, 0)->GetCellExtent(dc);
  grid.ReleaseDC(dc);
  ASSERT_EQ(fixedExtent.cy, bodyExtent.cy + 1);
  EXPECT_TRUE(grid.AutoSizeRow(2));
  EXPECT_EQ(grid.GetRowHeight(2), fixedExtent.cy);
  grid.DropCell(2, 0);
  EXPECT_TRUE(grid.AutoSizeRow(2));
  EXPECT_EQ(grid.GetRowHeight(2), bodyExtent.cy);
  grid.SetRowHeight(3, 0);
  EXPECT_FALSE(grid.AutoSizeRow(3));
  EXPECT_FALSE(grid.AutoSizeRow(4));
}
