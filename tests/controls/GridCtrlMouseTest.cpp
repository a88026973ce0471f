#include <gtest/gtest.h>

#include <string>

#include "GridTestSupport.h"
#include "controls/grid/InPlaceEdit.h"
#include "platform/wnd/Input.h"

using gridtest::Codes;
using plat::test::Mouse;

namespace {

CString Numbered(int a, int b) {
  CString text;
  text.Format(L"%d.%d", a, b);
  return text;
}

class GridMouseTest : public gridtest::OwnerTest {
 protected:
  void SetUp() override {
    OwnerTest::SetUp();
    ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
    gridtest::ShapeFixedGrid(grid);
    for (int row = 0; row < grid.GetRowCount(); ++row) {
      for (int col = 0; col < grid.GetColumnCount(); ++col) grid.SetItemText(row, col, Numbered(row, col));
    }
    plat::test::Pump();
    owner.notices.clear();
    owner.Clear();
  }

  std::vector<CCellID> Selected() const {
    std::vector<CCellID> cells;
    for (int row = 0; row < grid.GetRowCount(); ++row) {
      for (int col = 0; col < grid.GetColumnCount(); ++col) {
        if (grid.IsCellSelected(row, col)) cells.emplace_back(row, col);
      }
    }
    return cells;
  }

  CPoint Centre(int row, int col) { return gridtest::CellCentre(grid, row, col); }

  // The pointer comes to the point, presses, moves with the button held and lets go there.
  void Drag(CPoint from, CPoint to) {
    plat::test::AdvanceTime(1000);
    Mouse(&grid, WM_MOUSEMOVE, from);
    Mouse(&grid, WM_LBUTTONDOWN, from);
    Mouse(&grid, WM_MOUSEMOVE, to, MK_LBUTTON);
    Mouse(&grid, WM_LBUTTONUP, to);
  }

  CGridCtrl grid;
};

CInPlaceEdit* EditorOf(CGridCtrl& grid) {
  return dynamic_cast<CInPlaceEdit*>(grid.GetDlgItem(CGridCtrl::kInPlaceEditId));
}

}  // namespace

TEST_F(GridMouseTest, AClickTellsTheOwnerAndMovesFocusAndMarkEvenWithoutSelection) {
  grid.EnableSelection(FALSE);
  grid.SetEditable(FALSE);
  owner.notices.clear();
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 3));
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{{LVN_ITEMCHANGING, 2, 3}}));
  EXPECT_EQ(CWnd::GetCapture(), &grid);
  Mouse(&grid, WM_LBUTTONUP, Centre(2, 3));
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{
                                      {LVN_ITEMCHANGING, 2, 3}, {LVN_ITEMCHANGED, 2, 3}, {NM_CLICK, 2, 3}}));
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  const auto commands = owner.Of(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(1501, BN_CLICKED));
  EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(grid.m_hWnd));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(2, 3));
  EXPECT_TRUE(Selected().empty());

  // A click on a heading leaves the focus and the mark where they were.
  gridtest::Click(grid, Centre(0, 4));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(2, 3));
}

TEST_F(GridMouseTest, CtrlClicksAddToTheSelectionAndTakeSelectedCellsOut) {
  grid.SetEditable(FALSE);
  gridtest::Click(grid, Centre(2, 2));
  EXPECT_EQ(Selected(), (std::vector<CCellID>{CCellID(2, 2)}));
  gridtest::Click(grid, Centre(4, 3), MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<CCellID>{CCellID(2, 2), CCellID(4, 3)}));

  // Ctrl on a selected cell deselects it at once, without holding the mouse.
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 2), MK_CONTROL);
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  Mouse(&grid, WM_LBUTTONUP, Centre(2, 2), MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<CCellID>{CCellID(4, 3)}));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));

  // A plain click starts again; Shift stretches from where the selection started.
  gridtest::Click(grid, Centre(5, 5));
  EXPECT_EQ(Selected(), (std::vector<CCellID>{CCellID(5, 5)}));
  gridtest::Click(grid, Centre(6, 4), MK_SHIFT);
  EXPECT_EQ(Selected(), (std::vector<CCellID>{CCellID(5, 4), CCellID(5, 5), CCellID(6, 4), CCellID(6, 5)}));

  // Dragging from a cell selects the rectangle up to the cell under the mouse.
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(1, 1));
  Mouse(&grid, WM_MOUSEMOVE, Centre(2, 3), MK_LBUTTON);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
  Mouse(&grid, WM_LBUTTONUP, Centre(2, 3));
  EXPECT_EQ(Selected().size(), 6u);
  EXPECT_TRUE(grid.IsCellSelected(1, 1));
  EXPECT_TRUE(grid.IsCellSelected(2, 3));
}

TEST_F(GridMouseTest, InListModeWithSingleRowsADragSelectsOnlyTheRowUnderTheMouse) {
  grid.SetEditable(FALSE);
  grid.SetListMode(TRUE);
  grid.SetSingleRowSelection(TRUE);
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 2));
  EXPECT_EQ(Selected().size(), 5u);
  EXPECT_TRUE(grid.IsCellSelected(2, 1));
  Mouse(&grid, WM_MOUSEMOVE, Centre(5, 3), MK_LBUTTON);
  Mouse(&grid, WM_LBUTTONUP, Centre(5, 3));
  EXPECT_EQ(Selected().size(), 5u);
  EXPECT_TRUE(grid.IsCellSelected(5, 1));
  EXPECT_TRUE(grid.IsCellSelected(5, 5));
  EXPECT_FALSE(grid.IsCellSelected(2, 2));
}

TEST_F(GridMouseTest, HeadingClicksSortWhenAsked) {
  grid.SetEditable(FALSE);
  grid.SetSortOnClick(TRUE);
  const wchar_t* texts[] = {L"b", L"d", L"a", L"e", L"c", L"j", L"h", L"f", L"i", L"g"};
  for (int row = 1; row <= 10; ++row) {
    grid.SetItemText(row, 1, texts[row - 1]);
    grid.SetItemText(row, 2, CString(std::to_wstring(10 - row).c_str()));
  }
  const auto column = [&](int col) {
    CString all;
    for (int row = 1; row <= 10; ++row) all += grid.GetItemText(row, col);
    return all;
  };
  gridtest::Click(grid, Centre(0, 1));
  EXPECT_EQ(column(1), L"abcdefghij");
  EXPECT_EQ(grid.GetSortColumn(), 1);
  gridtest::Click(grid, Centre(0, 1));
  EXPECT_EQ(column(1), L"jihgfedcba");
  gridtest::Click(grid, Centre(0, 2));
  EXPECT_EQ(column(2), L"0123456789");
  EXPECT_TRUE(grid.GetSortAscending());
}

TEST_F(GridMouseTest, HoldingTheButtonBelowTheGridKeepsMovingDownEveryTick) {
  grid.SetEditable(FALSE);
  gridtest::Shape(grid, 40, 4, 1, 1, 20, 50);
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 2));
  Mouse(&grid, WM_MOUSEMOVE, CPoint(100, 340), MK_LBUTTON);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));
  plat::test::AdvanceTime(25);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));
  plat::test::AdvanceTime(75);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(6, 2));
  EXPECT_TRUE(grid.IsCellSelected(6, 2));
  // The release ends it.
  Mouse(&grid, WM_LBUTTONUP, CPoint(100, 340));
  plat::test::AdvanceTime(200);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(6, 2));
}

TEST_F(GridMouseTest, RightClicksTellTheOwnerAndMoveTheFocusIntoTheBody) {
  Mouse(&grid, WM_RBUTTONDOWN, CPoint(290, 50));
  Mouse(&grid, WM_RBUTTONUP, CPoint(290, 50));
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{{NM_RCLICK, -1, -1}}));
  owner.notices.clear();
  Mouse(&grid, WM_RBUTTONDOWN, Centre(0, 3));
  Mouse(&grid, WM_RBUTTONUP, Centre(0, 3));
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{{NM_RCLICK, 0, 3}}));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 3));
}

TEST_F(GridMouseTest, AClickInTheFocusCellsTextEditsOnReleaseUnlessTheMouseMoves) {
  gridtest::Click(grid, Centre(2, 2));
  ASSERT_EQ(grid.GetFocusCell(), CCellID(2, 2));
  owner.notices.clear();
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 2));
  EXPECT_EQ(EditorOf(grid), nullptr);
  EXPECT_TRUE(owner.notices.empty());
  Mouse(&grid, WM_LBUTTONUP, Centre(2, 2));
  EXPECT_EQ(Codes(owner.notices).front(), std::make_tuple(LVN_BEGINLABELEDITW, 2, 2));
  CInPlaceEdit* editor = EditorOf(grid);
  ASSERT_NE(editor, nullptr);
  CRect rect;
  editor->GetWindowRect(&rect);
  grid.ScreenToClient(&rect);
  EXPECT_EQ(rect, CRect(80, 40, 129, 59));
  EXPECT_EQ(editor->GetWindowText(), L"2.2");
  EXPECT_EQ(CWnd::GetFocus(), editor);

  // Back in the grid a press, a move and a release become a drag attempt, which ends as a click.
  grid.SetFocus();
  ASSERT_EQ(EditorOf(grid), nullptr);
  owner.notices.clear();
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, Centre(2, 2));
  Mouse(&grid, WM_MOUSEMOVE, Centre(2, 2) + CPoint(1, 0), MK_LBUTTON);
  Mouse(&grid, WM_LBUTTONUP, Centre(2, 2) + CPoint(1, 0));
  EXPECT_EQ(EditorOf(grid), nullptr);
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{
                                      {NM_CLICK, 2, 2}, {LVN_ITEMCHANGING, 2, 2}, {LVN_ITEMCHANGED, 2, 2}}));
}

TEST_F(GridMouseTest, DraggingADividerSizesTheColumnBeforeIt) {
  // Pressed on the right edge of column 2.
  Drag(CPoint(129, 10), CPoint(150, 10));
  EXPECT_EQ(grid.GetColumnWidth(2), 70);
  EXPECT_EQ(grid.GetColumnWidth(3), 50);

  // Pressed on the left edge of column 4: column 3, left of the divider, is the one sized, from
  // its own left edge.
  Drag(CPoint(201, 10), CPoint(230, 10));
  EXPECT_EQ(grid.GetColumnWidth(3), 80);
  EXPECT_EQ(grid.GetColumnWidth(4), 50);

  // The pointer cannot go left of the column's start: the column keeps one pixel.
  Drag(CPoint(231, 10), CPoint(5, 10));
  EXPECT_EQ(grid.GetColumnWidth(3), 1);

  // A hidden column is passed over when hidden columns may not be pulled open.
  grid.SetColumnWidth(3, 0);
  grid.EnableHiddenColUnhide(FALSE);
  Drag(CPoint(151, 10), CPoint(160, 10));
  EXPECT_EQ(grid.GetColumnWidth(2), 80);
  EXPECT_EQ(grid.GetColumnWidth(3), 0);
}

TEST_F(GridMouseTest, RowDividersSizeRowsAndDoubleClicksFitTheLineToItsText) {
  Drag(CPoint(10, 59), CPoint(10, 75));
  EXPECT_EQ(grid.GetRowHeight(2), 35);

  // A double click on the divider right of column 1 sizes column 1 to its widest text.
  grid.SetItemText(3, 1, L"a text much wider than fifty pixels");
  ASSERT_TRUE(grid.AutoSizeColumn(1));
  const int fitted = grid.GetColumnWidth(1);
  grid.SetColumnWidth(1, 50);
  Drag(CPoint(79, 10), CPoint(79, 10));
  Mouse(&grid, WM_MOUSEMOVE, CPoint(79, 10));
  Mouse(&grid, WM_LBUTTONDOWN, CPoint(79, 10));
  Mouse(&grid, WM_LBUTTONUP, CPoint(79, 10));
  EXPECT_GT(fitted, 100);
  EXPECT_EQ(grid.GetColumnWidth(1), fitted);
}

TEST_F(GridMouseTest, TheCursorShowsTheDividers) {
  Mouse(&grid, WM_MOUSEMOVE, CPoint(129, 10));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZEWE));
  Mouse(&grid, WM_MOUSEMOVE, CPoint(10, 59));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZENS));
  Mouse(&grid, WM_MOUSEMOVE, Centre(3, 3));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}
