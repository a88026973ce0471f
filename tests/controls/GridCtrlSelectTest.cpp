#include <gtest/gtest.h>

#include "GridTestSupport.h"

using gridtest::Notice;

namespace {

class GridSelectTest : public gridtest::OwnerTest {};

// A grid driven as its mouse handling drives it: a selection start, a mouse mode, and the
// selection kept to add to (as a Ctrl-click keeps it).
class DrivenGrid : public CGridCtrl {
 public:
  using CGridCtrl::CGridCtrl;
  void StartAt(CCellID cell) { m_SelectionStartCell = cell; }
  void SetMouseMode(int mode) { m_MouseMode = mode; }
  void KeepSelectionToAddTo() { m_PrevSelectedCellMap = m_SelectedCellMap; }
};

std::vector<CCellID> SelectedCells(const CGridCtrl& grid) {
  std::vector<CCellID> cells;
  for (int row = 0; row < grid.GetRowCount(); ++row) {
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
      if (grid.IsCellSelected(row, col)) cells.push_back(CCellID(row, col));
    }
  }
  return cells;
}

std::vector<CCellID> Block(int minRow, int minCol, int maxRow, int maxCol) {
  std::vector<CCellID> cells;
  for (int row = minRow; row <= maxRow; ++row) {
    for (int col = minCol; col <= maxCol; ++col) cells.push_back(CCellID(row, col));
  }
  return cells;
}

bool SameRange(const CCellRange& a, const CCellRange& b) {
  return a.GetMinRow() == b.GetMinRow() && a.GetMinCol() == b.GetMinCol() && a.GetMaxRow() == b.GetMaxRow() &&
         a.GetMaxCol() == b.GetMaxCol();
}

}  // namespace

TEST_F(GridSelectTest, FocusAndMarkIgnoreNoneAndMoveOutOfTheFixedCells) {
  CGridCtrl grid(6, 5, 1, 1);
  EXPECT_EQ(grid.SetFocusCell(2, 3), CCellID(-1, -1));
  EXPECT_EQ(grid.GetItemState(2, 3), GCS_FOCUSED);
  EXPECT_EQ(grid.SetFocusCell(-1, -1), CCellID(2, 3));
  EXPECT_EQ(grid.SetFocusCell(4, -1), CCellID(2, 3));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
  EXPECT_EQ(grid.SetFocusCell(0, 0), CCellID(2, 3));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
  EXPECT_EQ(grid.GetItemState(2, 3), 0u);
  EXPECT_EQ(grid.GetItemState(1, 1), GCS_FOCUSED);

  EXPECT_EQ(grid.SetMarkedCell(3, 2), CCellID(-1, -1));
  EXPECT_EQ(grid.SetMarkedCell(-1, -1), CCellID(3, 2));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(3, 2));
  EXPECT_EQ(grid.SetMarkedCell(0, 0), CCellID(3, 2));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(1, 1));
  EXPECT_EQ(grid.GetItemState(1, 1), GCS_FOCUSED);  // the mark is no state bit
  // An address outside the table is kept as it is.
  EXPECT_EQ(grid.SetMarkedCell(99, 99), CCellID(1, 1));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(99, 99));
  // Resetting the selection leaves both where they are.
  grid.ResetSelectedRange();
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(99, 99));
}

TEST_F(GridSelectTest, ARangeReplacesTheSelectionAndLeavesTheFixedCellsOut) {
  CGridCtrl grid(6, 5, 1, 1);
  grid.SetSelectedRange(0, 0, 2, 2);
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 2, 2));
  EXPECT_EQ(grid.GetItemState(1, 1), GCS_SELECTED);
  EXPECT_TRUE(SameRange(grid.GetSelectedCellRange(), CCellRange(1, 1, 2, 2)));
  grid.SetSelectedRange(CCellRange(3, 2, 5, 4));
  EXPECT_EQ(SelectedCells(grid), Block(3, 2, 5, 4));
  EXPECT_EQ(grid.GetSelectedCount(), 9u);
  // Deselecting a part.
  grid.SetSelectedRange(3, 2, 5, 3, FALSE, FALSE);
  EXPECT_EQ(SelectedCells(grid), Block(3, 4, 5, 4));
  // A range reaching past the table only clears the selection.
  grid.SetSelectedRange(1, 1, 6, 4);
  EXPECT_TRUE(SelectedCells(grid).empty());
  EXPECT_FALSE(grid.GetSelectedCellRange().IsValid());
  EXPECT_TRUE(SameRange(grid.GetSelectedCellRange(), CCellRange(6, 5, -1, -1)));

  grid.SelectAllCells();
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 5, 4));
  // Rows may also be selected in the fixed columns when allowed.
  grid.SetAllowSelectRowInFixedCol(TRUE);
  grid.SetSelectedRange(2, 0, 2, 4);
  EXPECT_EQ(SelectedCells(grid), Block(2, 0, 2, 4));

  // With selection off nothing is selected nor selectable, and the state stays clear.
  grid.EnableSelection(FALSE);
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
  EXPECT_EQ(grid.GetItemState(2, 2), 0u);
  grid.SetSelectedRange(1, 1, 3, 3);
  grid.SelectAllCells();
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
  grid.SetItemState(2, 2, GCS_SELECTED);
  EXPECT_FALSE(grid.IsCellSelected(2, 2));
  // Switching selection back on starts from an empty selection.
  grid.EnableSelection(TRUE);
  EXPECT_FALSE(grid.IsCellSelected(2, 2));
  EXPECT_EQ(grid.GetItemState(2, 2), 0u);
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
}

TEST_F(GridSelectTest, CellsFarDownTheTableAreSelectedApartFromTheirNeighboursUpTop) {
  CGridCtrl grid;
  grid.SetVirtualMode(TRUE);
  ASSERT_TRUE(grid.SetRowCount(70000));
  ASSERT_TRUE(grid.SetColumnCount(3));
  grid.SetSelectedRange(65537, 1, 65537, 1);
  EXPECT_TRUE(grid.IsCellSelected(65537, 1));
  EXPECT_FALSE(grid.IsCellSelected(1, 1));
  grid.SetItemState(1, 1, GCS_SELECTED);
  grid.SetItemState(65537, 1, 0);
  EXPECT_TRUE(grid.IsCellSelected(1, 1));
  EXPECT_FALSE(grid.IsCellSelected(65537, 1));
  EXPECT_TRUE(SameRange(grid.GetSelectedCellRange(), CCellRange(1, 1, 1, 1)));
}

TEST_F(GridSelectTest, TheKeptSelectionIsAddedBackUnlessListModeSelectsSingleRows) {
  DrivenGrid grid(8, 4, 1, 1);
  grid.SetSelectedRange(1, 1, 1, 2);
  grid.KeepSelectionToAddTo();
  grid.SetSelectedRange(4, 3, 5, 3);
  std::vector<CCellID> expected = Block(1, 1, 1, 2);
  for (const CCellID& cell : Block(4, 3, 5, 3)) expected.push_back(cell);
  EXPECT_EQ(SelectedCells(grid), expected);

  grid.SetListMode(TRUE);
  grid.SetSingleRowSelection(TRUE);
  grid.SetSelectedRange(6, 1, 6, 3);
  EXPECT_EQ(SelectedCells(grid), Block(6, 1, 6, 3));
}

TEST_F(GridSelectTest, SelectingByRowsColumnsAndCellsSpansFromTheStartCell) {
  DrivenGrid grid(8, 5, 1, 1);
  grid.StartAt(CCellID(2, 2));
  grid.SetMouseMode(GMM_SELECT_CELLS);
  grid.OnSelecting(CCellID(4, 3));
  EXPECT_EQ(SelectedCells(grid), Block(2, 2, 4, 3));
  grid.OnSelecting(CCellID(1, 1));
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 2, 2));
  grid.OnSelecting(CCellID(0, 3));  // a fixed cell selects nothing new
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 2, 2));

  grid.SetMouseMode(GMM_SELECT_ROW);
  grid.OnSelecting(CCellID(5, 2));
  EXPECT_EQ(SelectedCells(grid), Block(2, 1, 5, 4));
  grid.SetMouseMode(GMM_SELECT_COL);
  grid.OnSelecting(CCellID(3, 4));
  EXPECT_EQ(SelectedCells(grid), Block(1, 2, 7, 4));
  grid.SetSingleColSelection(TRUE);
  grid.OnSelecting(CCellID(3, 4));
  EXPECT_EQ(SelectedCells(grid), Block(1, 4, 7, 4));
  grid.SetMouseMode(GMM_SELECT_ALL);
  grid.OnSelecting(CCellID(3, 4));
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 7, 4));

  // List mode with single rows: dragging from row 2 to row 5 selects only the row under the pointer.
  grid.SetListMode(TRUE);
  grid.SetSingleRowSelection(TRUE);
  grid.SetMouseMode(GMM_SELECT_ROW);
  for (int row = 2; row <= 5; ++row) grid.OnSelecting(CCellID(row, 2));
  EXPECT_EQ(SelectedCells(grid), Block(5, 1, 5, 4));
  grid.SetMouseMode(GMM_NOTHING);
  grid.OnSelecting(CCellID(3, 3));
  EXPECT_EQ(SelectedCells(grid), Block(5, 1, 5, 4));
}

TEST_F(GridSelectTest, ClicksOnFixedCellsSelectTheirColumnRowOrEverything) {
  DrivenGrid grid(6, 5, 1, 1);
  grid.SetFocusCell(2, 2);
  grid.SetMarkedCell(2, 2);
  grid.StartAt(CCellID(0, 3));
  grid.OnFixedRowClick(CCellID(0, 3));
  EXPECT_EQ(SelectedCells(grid), Block(1, 3, 5, 3));
  grid.StartAt(CCellID(4, 0));
  grid.OnFixedColumnClick(CCellID(4, 0));
  EXPECT_EQ(SelectedCells(grid), Block(4, 1, 4, 4));
  grid.OnFixedRowClick(CCellID(0, 0));
  EXPECT_EQ(SelectedCells(grid), Block(1, 1, 5, 4));
  // The focus and marked cells stay where they were.
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(2, 2));

  grid.ResetSelectedRange();
  grid.SetFixedRowSelection(FALSE);
  grid.SetFixedColumnSelection(FALSE);
  grid.OnFixedRowClick(CCellID(0, 3));
  grid.OnFixedColumnClick(CCellID(4, 0));
  grid.OnFixedRowClick(CCellID(9, 9));
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
}

TEST_F(GridSelectTest, SelectAllTellsTheOwnerBeforeAndAfter) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 150, 1503));
  gridtest::Shape(grid, 4, 4, 1, 1, 20, 40);
  grid.SetFocusCell(2, 3);
  std::vector<size_t> selectedWhenTold;
  owner.onNotice = [&](const Notice&) {
    selectedWhenTold.push_back(grid.GetSelectedCount());
    return 0;
  };
  grid.SendMessage(WM_COMMAND, ID_EDIT_SELECTALL);
  ASSERT_EQ(owner.notices.size(), 2u);
  EXPECT_EQ(owner.notices[0].code, LVN_ITEMCHANGING);
  EXPECT_EQ(owner.notices[0].row, -1);
  EXPECT_EQ(owner.notices[0].col, -1);
  EXPECT_EQ(owner.notices[1].code, LVN_ITEMCHANGED);
  EXPECT_EQ(owner.notices[1].row, 2);
  EXPECT_EQ(owner.notices[1].col, 3);
  EXPECT_EQ(owner.notices[1].id, 1503u);
  EXPECT_EQ(selectedWhenTold, (std::vector<size_t>{0, 9}));

  // The owner's answer comes back; a grid without a window tells no one.
  owner.onNotice = [](const Notice& n) { return n.row * 100 + n.col; };
  EXPECT_EQ(grid.SendMessageToParent(7, 5, NM_CLICK), 705);
  CGridCtrl lone(2, 2);
  EXPECT_EQ(lone.SendMessageToParent(1, 1, NM_CLICK), 0);
}

TEST_F(GridSelectTest, VirtualGridsAskTheirOwnerAndHintWhatTheyWillRead) {
  CGridCtrl grid;
  grid.SetVirtualMode(TRUE);
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 100, 1504));
  gridtest::Shape(grid, 50, 6, 1, 1, 20, 40);
  plat::test::Pump();
  owner.hints.clear();
  owner.requests.clear();

  GridDispInfo info;
  info.item.row = 4;
  info.item.col = 2;
  info.item.mask = GIF_TEXT;
  grid.SendDisplayRequestToParent(&info);
  ASSERT_EQ(owner.requests.size(), 1u);
  EXPECT_EQ(owner.requests[0].row, 4);
  EXPECT_EQ(owner.requests[0].col, 2);
  EXPECT_EQ(static_cast<int>(info.hdr.code), LVN_GETDISPINFOW);
  EXPECT_EQ(info.hdr.idFrom, 1504u);
  EXPECT_EQ(info.hdr.hwndFrom, grid.m_hWnd);

  // A paint is bracketed by the visible range and the empty range.
  grid.Invalidate();
  plat::test::Pump();
  ASSERT_EQ(owner.hints.size(), 2u);
  EXPECT_TRUE(SameRange(owner.hints[0], grid.GetVisibleNonFixedCellRange()));
  EXPECT_TRUE(SameRange(owner.hints[1], CCellRange(-1, -1, -1, -1)));

  owner.hints.clear();
  grid.AutoSizeColumn(3, GAS_BODY_ROWS);
  ASSERT_EQ(owner.hints.size(), 2u);
  EXPECT_TRUE(SameRange(owner.hints[0], CCellRange(1, 3, 49, 3)));
  EXPECT_FALSE(owner.hints[1].IsValid());
  owner.hints.clear();
  grid.AutoSizeRow(7);
  ASSERT_EQ(owner.hints.size(), 2u);
  EXPECT_TRUE(SameRange(owner.hints[0], CCellRange(7, 0, 7, 6)));

  // An owner that empties the grid while it hears a hint leaves nothing to size.
  owner.onHint = [&](const CCellRange&) { grid.DeleteAllItems(); };
  EXPECT_FALSE(grid.AutoSizeRow(40));
  gridtest::Shape(grid, 50, 6, 1, 1, 20, 40);
  EXPECT_FALSE(grid.AutoSizeColumn(5));
  EXPECT_EQ(grid.GetColumnCount(), 0);
}
