#include <gtest/gtest.h>

#include "GridTestSupport.h"


namespace {

class GridDataTest : public gridtest::OwnerTest {};

// A grid whose columns a test can reorder, as dragging a heading does.
class ReorderableGrid : public CGridCtrl {
 public:
  using CGridCtrl::CGridCtrl;
  void MoveColumn(int from, int to) {
    const int stored = m_arColOrder[static_cast<size_t>(from)];
    m_arColOrder.erase(m_arColOrder.begin() + from);
    m_arColOrder.insert(m_arColOrder.begin() + to, stored);
  }
  std::vector<int> ColumnOrder() const { return m_arColOrder; }
};

// A cell of the program's own kind, made by the grid's factory.
class TaggedCell : public CGridCell {
 public:
  TaggedCell() { SetData(77); }
};

// The default size and margin measured as the default cells measure them.
struct DefaultSize {
  CSize size;
  int margin;
};
DefaultSize MeasureDefault(const LOGFONTW& font) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont object;
  object.CreateFontIndirect(&font);
  CFont* previous = dc.SelectObject(&object);
  DefaultSize measured{dc.GetTextExtent(L" XXXXXXXXXXXX "), dc.GetTextExtent(L" ").cx};
  measured.size.cy = measured.size.cy * 3 / 2;
  dc.SelectObject(previous);
  return measured;
}

}  // namespace

TEST_F(GridDataTest, ConstructionAppliesTheCountsAndTheDefaults) {
  CGridCtrl grid(5, 4, 1, 2);
  EXPECT_EQ(grid.GetRowCount(), 5);
  EXPECT_EQ(grid.GetColumnCount(), 4);
  EXPECT_EQ(grid.GetFixedRowCount(), 1);
  EXPECT_EQ(grid.GetFixedColumnCount(), 2);
  // Cells exist before the window does and know their kind.
  EXPECT_EQ(grid.GetItemState(0, 0), GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL);
  EXPECT_EQ(grid.GetItemState(0, 3), GCS_FIXED | GCS_FIXEDROW);
  EXPECT_EQ(grid.GetItemState(3, 1), GCS_FIXED | GCS_FIXEDCOL);
  EXPECT_EQ(grid.GetItemState(3, 3), 0u);
  EXPECT_EQ(grid.GetCell(3, 3)->GetDefaultCell(), grid.GetDefaultCell(FALSE, FALSE));
  EXPECT_EQ(grid.GetCell(0, 1)->GetDefaultCell(), grid.GetDefaultCell(TRUE, TRUE));

  // Plain cells show the window colours, fixed ones the face colour; beyond the cells the shadow.
  EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackClr(), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(grid.GetDefaultCell(TRUE, FALSE)->GetBackClr(), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(grid.GetDefaultCell(FALSE, TRUE)->GetTextClr(), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(grid.GetGridBkColor(), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(-1, -1));
}

TEST_F(GridDataTest, CountSettersKeepTheFixedCountsWithinTheTotalsAndRefuseNegatives) {
  CGridCtrl grid(4, 5, 1, 3);
  grid.SetModified(FALSE);
  EXPECT_TRUE(grid.SetRowCount(4));
  EXPECT_FALSE(grid.GetModified());

  EXPECT_TRUE(grid.SetColumnCount(2));
  EXPECT_EQ(grid.GetFixedColumnCount(), 2);
  EXPECT_TRUE(grid.GetModified());
  EXPECT_TRUE(grid.SetRowCount(0));
  EXPECT_EQ(grid.GetFixedRowCount(), 0);
  EXPECT_TRUE(grid.SetFixedRowCount(3));
  EXPECT_EQ(grid.GetRowCount(), 3);
  EXPECT_TRUE(grid.SetFixedColumnCount(6));
  EXPECT_EQ(grid.GetColumnCount(), 6);
  EXPECT_EQ(grid.GetItemState(2, 5), GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL);

  for (BOOL (CGridCtrl::*setter)(int) : {&CGridCtrl::SetRowCount, &CGridCtrl::SetColumnCount,
                                         &CGridCtrl::SetFixedRowCount, &CGridCtrl::SetFixedColumnCount}) {
    EXPECT_FALSE((grid.*setter)(-1));
  }
  EXPECT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetColumnCount(), 6);
  EXPECT_EQ(grid.GetFixedRowCount(), 3);
  EXPECT_EQ(grid.GetFixedColumnCount(), 6);

  // Missing cells read as nothing.
  EXPECT_EQ(grid.GetItemText(9, 9), L"");
  EXPECT_EQ(grid.GetItemState(-1, 0), 0u);
  EXPECT_EQ(grid.GetItemBkColour(0, 6), 0u);
  EXPECT_EQ(grid.GetCell(3, 0), nullptr);
  EXPECT_FALSE(grid.SetItemText(3, 0, L"x"));
  EXPECT_EQ(grid.GetRowHeight(3), -1);
  EXPECT_EQ(grid.GetColumnWidth(-1), -1);
  EXPECT_FALSE(grid.SetRowHeight(0, -2));
  EXPECT_FALSE(grid.SetColumnWidth(6, 10));
}

TEST_F(GridDataTest, ShrinkingReorderedColumnsKeepsTheCellsThatStay) {
  ReorderableGrid grid(3, 6);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 6; ++col) {
      CString text;
      text.Format(L"%d/%d", row, col);
      grid.SetItemText(row, col, text);
    }
  }
  grid.MoveColumn(5, 0);
  grid.MoveColumn(1, 4);
  ASSERT_EQ(grid.ColumnOrder(), (std::vector<int>{5, 1, 2, 3, 0, 4}));
  EXPECT_EQ(grid.GetItemText(1, 0), L"1/5");

  ASSERT_TRUE(grid.SetColumnCount(4));
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{0, 1, 2, 3}));
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      CString text;
      text.Format(L"%d/%d", row, col);
      EXPECT_EQ(grid.GetItemText(row, col), text);
    }
  }
  // Growing again makes fresh cells in the new columns.
  ASSERT_TRUE(grid.SetColumnCount(6));
  EXPECT_EQ(grid.GetItemText(2, 5), L"");
  ASSERT_NE(grid.GetCell(2, 5), nullptr);
}

TEST_F(GridDataTest, NewRowsAndColumnsTakeTheDefaultCellsSizes) {
  CGridCtrl grid(2, 2);
  const DefaultSize measured = MeasureDefault(plat::MessageFont());
  const CGridDefaultCell* plain = grid.GetDefaultCell(FALSE, FALSE);
  EXPECT_EQ(plain->GetWidth(), measured.size.cx);
  EXPECT_EQ(plain->GetHeight(), measured.size.cy);
  EXPECT_EQ(static_cast<int>(plain->GetMargin()), measured.margin);
  EXPECT_GT(measured.margin, 0);
  EXPECT_EQ(grid.GetRowHeight(1), measured.size.cy);
  EXPECT_EQ(grid.GetColumnWidth(1), grid.GetDefaultCell(FALSE, TRUE)->GetWidth());

  grid.GetDefaultCell(FALSE, FALSE)->SetHeight(31);
  grid.GetDefaultCell(FALSE, TRUE)->SetWidth(57);
  grid.GetDefaultCell(TRUE, FALSE)->SetWidth(99);
  ASSERT_TRUE(grid.SetRowCount(4));
  ASSERT_TRUE(grid.SetColumnCount(3));
  EXPECT_EQ(grid.GetRowHeight(3), 31);
  EXPECT_EQ(grid.GetColumnWidth(2), 57);
  EXPECT_EQ(grid.GetRowHeight(0), measured.size.cy);
}

TEST_F(GridDataTest, SetItemWritesTheMaskedFieldsAndMarksTheCellModified) {
  CGridCtrl grid(3, 3, 1, 1);
  grid.SetModified(FALSE);
  GridItemRecord item;
  item.row = 1;
  item.col = 2;
  EXPECT_TRUE(grid.SetItem(&item));
  EXPECT_EQ(grid.GetItemState(1, 2), GCS_MODIFIED);
  EXPECT_TRUE(grid.GetModified());

  item.mask = GIF_ALL;
  item.strText = L"12:30";
  item.lParam = 42;
  item.iImage = 3;
  item.state = GCS_READONLY;
  item.nFormat = DT_CENTER | DT_SINGLELINE;
  item.crBkClr = RGB(0, 255, 0);
  item.crFgClr = RGB(0, 0, 255);
  item.lfFont = plat::MessageFont();
  item.lfFont.lfWeight = FW_BOLD;
  item.nMargin = 7;
  EXPECT_TRUE(grid.SetItem(&item));
  const CGridCellBase* cell = grid.GetCell(1, 2);
  EXPECT_EQ(grid.GetItemText(1, 2), L"12:30");
  EXPECT_EQ(cell->GetData(), 42);
  EXPECT_EQ(cell->GetImage(), 3);
  EXPECT_EQ(cell->GetState(), GCS_READONLY);
  EXPECT_EQ(cell->GetFormat(), static_cast<DWORD>(DT_CENTER | DT_SINGLELINE));
  EXPECT_EQ(grid.GetItemBkColour(1, 2), RGB(0, 255, 0));
  EXPECT_EQ(cell->GetTextClr(), RGB(0, 0, 255));
  EXPECT_EQ(cell->GetFont()->lfWeight, FW_BOLD);
  EXPECT_EQ(cell->GetMargin(), 7u);
  EXPECT_FALSE(grid.IsCellEditable(1, 2));
  EXPECT_TRUE(grid.IsCellEditable(1, 1));
  grid.SetEditable(FALSE);
  EXPECT_FALSE(grid.IsCellEditable(1, 1));
  EXPECT_FALSE(grid.IsItemEditing(1, 1));
  EXPECT_FALSE(grid.SetItem(nullptr));
  item.row = 3;
  EXPECT_FALSE(grid.SetItem(&item));

  // Clearing the grid's modified flag clears every cell's.
  grid.SetItemText(2, 1, L"x");
  EXPECT_TRUE(grid.GetItemState(2, 1) & GCS_MODIFIED);
  grid.SetModified(FALSE, 2, 1);
  EXPECT_FALSE(grid.GetItemState(2, 1) & GCS_MODIFIED);
  EXPECT_TRUE(grid.GetModified());
  grid.SetItemText(2, 1, L"y");
  grid.SetModified(FALSE);
  EXPECT_FALSE(grid.GetModified());
  EXPECT_FALSE(grid.GetItemState(2, 1) & GCS_MODIFIED);
  EXPECT_FALSE(grid.GetItemState(1, 2) & GCS_MODIFIED);
}

TEST_F(GridDataTest, ChangingACellOfTheSortColumnForgetsTheSort) {
  CGridCtrl grid(3, 3, 1, 0);
  grid.SetSortColumn(2);
  EXPECT_TRUE(grid.SetItemText(1, 1, L"a"));
  EXPECT_EQ(grid.GetSortColumn(), 2);
  EXPECT_TRUE(grid.SetItemText(1, 2, L"x"));
  EXPECT_EQ(grid.GetSortColumn(), -1);
  grid.SetSortColumn(1);
  grid.SetModified();
  EXPECT_EQ(grid.GetSortColumn(), -1);
}

TEST_F(GridDataTest, VirtualModeStoresNoCellsButKeepsTheSelection) {
  CGridCtrl grid;
  grid.SetVirtualMode(TRUE);
  ASSERT_TRUE(grid.SetRowCount(6));
  ASSERT_TRUE(grid.SetColumnCount(3));
  EXPECT_EQ(grid.GetRowHeight(5), grid.GetDefaultCell(FALSE, FALSE)->GetHeight());
  GridItemRecord item;
  item.row = 2;
  item.col = 1;
  item.mask = GIF_TEXT;
  item.strText = L"x";
  EXPECT_FALSE(grid.SetItem(&item));
  EXPECT_FALSE(grid.SetItemText(2, 1, L"x"));
  EXPECT_FALSE(grid.SetItemBkColour(2, 1, RGB(1, 2, 3)));
  EXPECT_FALSE(grid.SetItemFgColour(2, 1, RGB(1, 2, 3)));
  EXPECT_EQ(grid.GetItemText(2, 1), L"");

  // The selection lives in the selected-cell map alone, which the shared cell shows.
  EXPECT_FALSE(grid.SetItemState(2, 1, GCS_SELECTED));
  EXPECT_TRUE(grid.IsCellSelected(2, 1));
  EXPECT_EQ(grid.GetItemState(2, 1), GCS_SELECTED);
  EXPECT_FALSE(grid.SetItemState(2, 1, 0));
  EXPECT_FALSE(grid.IsCellSelected(2, 1));
  EXPECT_FALSE(grid.SetItemState(9, 1, GCS_SELECTED));
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
  grid.SetSelectedRange(1, 0, 3, 1);
  EXPECT_TRUE(grid.IsCellSelected(3, 1));
  EXPECT_FALSE(grid.IsCellSelected(4, 1));
  EXPECT_EQ(grid.GetSelectedCount(), 6u);
}

TEST_F(GridDataTest, FixedRowsGainAndLoseTheirStateAndColours) {
  CGridCtrl grid(4, 3, 1, 1);
  for (int col = 0; col < 3; ++col) {
    grid.SetItemBkColour(1, col, RGB(10, 20, 30));
    grid.SetItemFgColour(1, col, RGB(40, 50, 60));
  }
  ASSERT_TRUE(grid.SetFixedRowCount(2));
  EXPECT_EQ(grid.GetItemState(1, 0), GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL);
  EXPECT_EQ(grid.GetItemState(1, 2), GCS_FIXED | GCS_FIXEDROW);
  EXPECT_EQ(grid.GetItemBkColour(1, 2), CLR_DEFAULT);
  EXPECT_EQ(grid.GetCell(1, 0)->GetTextClr(), CLR_DEFAULT);

  grid.SetItemBkColour(1, 2, RGB(1, 1, 1));
  grid.SetItemBkColour(1, 0, RGB(2, 2, 2));
  ASSERT_TRUE(grid.SetFixedRowCount(1));
  EXPECT_EQ(grid.GetItemState(1, 2), 0u);
  EXPECT_EQ(grid.GetItemBkColour(1, 2), CLR_DEFAULT);
  // The cell of the fixed column stays fixed, keeps its colours and loses only the row bit.
  EXPECT_EQ(grid.GetItemState(1, 0), GCS_FIXED | GCS_FIXEDCOL);
  EXPECT_EQ(grid.GetItemBkColour(1, 0), RGB(2, 2, 2));

  ASSERT_TRUE(grid.SetFixedColumnCount(2));
  EXPECT_EQ(grid.GetItemState(3, 1), GCS_FIXED | GCS_FIXEDCOL);
  EXPECT_EQ(grid.GetItemState(0, 1), GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL);
  ASSERT_TRUE(grid.SetFixedColumnCount(0));
  EXPECT_EQ(grid.GetItemState(3, 1), 0u);
  EXPECT_EQ(grid.GetItemState(3, 0), 0u);
  EXPECT_EQ(grid.GetItemState(0, 0), GCS_FIXED | GCS_FIXEDROW);
}

TEST_F(GridDataTest, DeletingAllItemsEmptiesTheTableAndKeepsTheLook) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 100));
  gridtest::Shape(grid, 5, 4, 1, 1, 20, 40);
  grid.SetFocusCell(2, 2);
  grid.SetMarkedCell(3, 3);
  grid.SetSelectedRange(1, 1, 2, 2);
  grid.SetGridLines(GGL_HORZ);
  grid.SetGridBkColor(RGB(9, 9, 9));
  grid.GetDefaultCell(FALSE, FALSE)->SetBackClr(RGB(1, 2, 3));
  grid.SetModified(FALSE);

  EXPECT_TRUE(grid.DeleteAllItems());
  EXPECT_EQ(grid.GetRowCount(), 0);
  EXPECT_EQ(grid.GetColumnCount(), 0);
  EXPECT_EQ(grid.GetFixedRowCount(), 0);
  EXPECT_EQ(grid.GetFixedColumnCount(), 0);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(3, 3));
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
  EXPECT_TRUE(grid.GetModified());
  EXPECT_EQ(grid.GetGridLines(), GGL_HORZ);
  EXPECT_EQ(grid.GetGridBkColor(), RGB(9, 9, 9));
  EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackClr(), RGB(1, 2, 3));

  // Filled again, the mark shows at the same address.
  gridtest::Shape(grid, 5, 4, 1, 1, 20, 40);
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(3, 3));
  EXPECT_EQ(grid.GetItemState(2, 2), 0u);
}

TEST_F(GridDataTest, DefaultCellsFollowSystemColoursUnlessTheProgramSetItsOwn) {
  gridtest::SysColorScope restore;
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 100, 100));
  grid.GetDefaultCell(TRUE, FALSE)->SetBackClr(GetSysColor(COLOR_WINDOW));
  grid.GetDefaultCell(FALSE, TRUE)->SetBackClr(RGB(1, 2, 3));

  plat::test::SetSysColor(COLOR_WINDOW, RGB(250, 240, 230));
  plat::test::SetSysColor(COLOR_WINDOWTEXT, RGB(20, 30, 40));
  plat::test::Pump();
  EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackClr(), RGB(250, 240, 230));
  EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetTextClr(), RGB(20, 30, 40));
  EXPECT_EQ(grid.GetDefaultCell(TRUE, FALSE)->GetBackClr(), RGB(250, 240, 230));
  EXPECT_EQ(grid.GetDefaultCell(FALSE, TRUE)->GetBackClr(), RGB(1, 2, 3));
  EXPECT_EQ(grid.GetDefaultCell(TRUE, TRUE)->GetBackClr(), GetSysColor(COLOR_BTNFACE));

  // The background follows the shadow colour only while it shows it.
  plat::test::SetSysColor(COLOR_BTNSHADOW, RGB(90, 90, 90));
  plat::test::Pump();
  EXPECT_EQ(grid.GetGridBkColor(), RGB(90, 90, 90));
  grid.SetGridBkColor(RGB(5, 5, 5));
  plat::test::SetSysColor(COLOR_BTNSHADOW, RGB(80, 80, 80));
  plat::test::Pump();
  EXPECT_EQ(grid.GetGridBkColor(), RGB(5, 5, 5));
}

TEST_F(GridDataTest, TheWindowsFontBecomesTheDefaultCellsFont) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 100, 100));
  LOGFONTW big = plat::MessageFont();
  big.lfHeight = -24;
  CFont font;
  font.CreateFontIndirect(&big);
  const int before = grid.GetDefaultCell(FALSE, FALSE)->GetHeight();
  grid.SetFont(&font);
  for (BOOL fixedRow : {FALSE, TRUE}) {
    for (BOOL fixedCol : {FALSE, TRUE}) {
      EXPECT_EQ(grid.GetDefaultCell(fixedRow, fixedCol)->GetFont()->lfHeight, -24);
    }
  }
  EXPECT_GT(grid.GetDefaultCell(FALSE, FALSE)->GetHeight(), before);
  CFont* shown = grid.GetFont();
  ASSERT_NE(shown, nullptr);
  LOGFONTW got;
  shown->GetLogFont(&got);
  EXPECT_EQ(got.lfHeight, -24);
}

TEST_F(GridDataTest, CellsComeFromTheGridsFactory) {
  CGridCtrl grid;
  grid.SetCellFactory(&MakeGridCell<TaggedCell>);
  grid.SetRowCount(2);
  grid.SetColumnCount(2);
  ASSERT_NE(grid.GetCell(1, 1), nullptr);
  EXPECT_EQ(grid.GetCell(1, 1)->GetData(), 77);
  EXPECT_EQ(grid.GetCell(1, 1)->GetFormat(), grid.GetDefaultCell(FALSE, FALSE)->GetFormat());

  grid.SetCellFactory(nullptr);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.GetCell(2, 0), nullptr);
  EXPECT_FALSE(grid.SetItemText(2, 0, L"x"));
  EXPECT_EQ(grid.GetItemText(2, 0), L"");
  EXPECT_TRUE(grid.SetRowCount(1));
  EXPECT_EQ(grid.GetCell(0, 1)->GetData(), 77);
}
