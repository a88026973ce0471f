#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <random>
#include <string>

#include "GridTestSupport.h"

namespace {

class GridSortTest : public gridtest::OwnerTest {};

// A grid of one fixed row whose column 0 holds the texts, row heights 10 + the row.
void FillColumn(CGridCtrl& grid, const std::vector<std::wstring>& texts) {
  gridtest::Shape(grid, static_cast<int>(texts.size()) + 1, 2, 1, 0, 20, 50);
  for (size_t i = 0; i < texts.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    grid.SetItemText(row, 0, texts[i].c_str());
    grid.SetItemText(row, 1, std::to_wstring(row).c_str());
    grid.SetRowHeight(row, 10 + row);
  }
}

std::vector<std::wstring> Column(const CGridCtrl& grid, int col) {
  std::vector<std::wstring> texts;
  for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row) texts.emplace_back(grid.GetItemText(row, col).str());
  return texts;
}

// Orders by the number in column 1, larger first.
int ByNumberDescending(const CGridCellBase* a, const CGridCellBase* b, LPARAM data) {
  const int order = std::stoi(b->GetText()) - std::stoi(a->GetText());
  return data == 7 ? order : 0;
}

std::vector<int> g_values;
bool ByValue(int a, int b) { return g_values[static_cast<size_t>(a)] < g_values[static_cast<size_t>(b)]; }

}  // namespace

TEST_F(GridSortTest, RowsSortByTheColumnsTextsTakingTheirHeightsAlong) {
  CGridCtrl grid;
  FillColumn(grid, {L"b", L"a", L"c", L"B", L"ab"});
  grid.SetSelectedRange(1, 0, 2, 1);
  ASSERT_TRUE(grid.SortItems(0, TRUE));
  EXPECT_EQ(Column(grid, 0), (std::vector<std::wstring>{L"B", L"a", L"ab", L"b", L"c"}));
  EXPECT_EQ(Column(grid, 1), (std::vector<std::wstring>{L"4", L"2", L"5", L"1", L"3"}));
  EXPECT_EQ(grid.GetRowHeight(1), 14);
  EXPECT_EQ(grid.GetRowHeight(5), 13);
  EXPECT_EQ(grid.GetSortColumn(), 0);
  EXPECT_EQ(grid.GetSelectedCount(), 0u);
  ASSERT_TRUE(grid.SortItems(0, FALSE));
  EXPECT_EQ(Column(grid, 0), (std::vector<std::wstring>{L"c", L"b", L"ab", L"a", L"B"}));
  EXPECT_FALSE(grid.GetSortAscending());

  // The owner's comparison, with its data passed through.
  grid.SetCompareFunction(&ByNumberDescending);
  ASSERT_TRUE(grid.SortItems(1, TRUE, 7));
  EXPECT_EQ(Column(grid, 1), (std::vector<std::wstring>{L"5", L"4", L"3", L"2", L"1"}));

  // Text beyond the surrogates sorts after text that needs them, as UTF-16 orders them.
  grid.SetCompareFunction(nullptr);
  FillColumn(grid, {L"\uFF21", L"\U0001F600", L"z"});
  ASSERT_TRUE(grid.SortItems(0, TRUE));
  EXPECT_EQ(Column(grid, 0), (std::vector<std::wstring>{L"z", L"\U0001F600", L"\uFF21"}));
}

TEST_F(GridSortTest, MissingCellsCompareEqualAndRangesAreChecked) {
  class HoleyGrid : public CGridCtrl {
   public:
    void Drop(int row, int col) { DestroyCell(row, col); }
  } grid;
  FillColumn(grid, {L"d", L"c", L"b", L"a"});
  grid.Drop(2, 0);
  int calls = 0;
  static int* counter = nullptr;
  counter = &calls;
  grid.SetCompareFunction([](const CGridCellBase* a, const CGridCellBase* b, LPARAM) {
    ++*counter;
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    return CGridCtrl::CompareCellText(a, b, 0);
  });
  ASSERT_TRUE(grid.SortItems(0, TRUE));
  EXPECT_GT(calls, 0);
  int missing = 0;
  for (int row = 1; row <= 4; ++row) missing += grid.GetCell(row, 0) ? 0 : 1;
  EXPECT_EQ(missing, 1);
  EXPECT_EQ(CGridCtrl::CompareCellText(nullptr, grid.GetCell(1, 1), 0), 0);

  CGridCtrl ranged;
  FillColumn(ranged, {L"c", L"b", L"a"});
  const auto unchanged = Column(ranged, 0);
  EXPECT_FALSE(ranged.SortItems(&CGridCtrl::CompareCellText, 0, TRUE, 0, 3, 2));
  EXPECT_FALSE(ranged.SortItems(&CGridCtrl::CompareCellText, 0, TRUE, 0, 2, 2));
  EXPECT_FALSE(ranged.SortItems(&CGridCtrl::CompareCellText, 2, TRUE, 0, 1, 3));
  EXPECT_FALSE(ranged.SortItems(&CGridCtrl::CompareCellText, -1, TRUE, 0, 1, 3));
  EXPECT_EQ(Column(ranged, 0), unchanged);
  // The last row by -1, and a high end beyond the table stops at the last row.
  EXPECT_TRUE(ranged.SortItems(&CGridCtrl::CompareCellText, 0, TRUE, 0, 2, -1));
  EXPECT_EQ(Column(ranged, 0), (std::vector<std::wstring>{L"c", L"a", L"b"}));
  EXPECT_TRUE(ranged.SortItems(&CGridCtrl::CompareCellText, 0, TRUE, 0, 1, 99));
  EXPECT_EQ(Column(ranged, 0), (std::vector<std::wstring>{L"a", L"b", L"c"}));
}

TEST_F(GridSortTest, LargeTablesInAnyOrderComeOutSorted) {
  CGridCtrl grid;
  const int n = 3000;
  std::mt19937 random(18);
  for (const int shape : {0, 1, 2, 3}) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < n; ++i) {
      const int key = shape == 0 ? i : shape == 1 ? n - i : shape == 2 ? (i < n / 2 ? i : n - i) : static_cast<int>(random() % 50);
      wchar_t text[16];
      swprintf(text, 16, L"%06d", key);
      texts.emplace_back(text);
    }
    FillColumn(grid, texts);
    ASSERT_TRUE(grid.SortItems(0, TRUE));
    std::vector<std::wstring> expected = texts;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Column(grid, 0), expected) << "shape " << shape;
  }
}

TEST_F(GridSortTest, VirtualGridsShareOneCellAndAskForEachLookup) {
  CGridCtrl grid;
  grid.SetVirtualMode(TRUE);
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
  gridtest::Shape(grid, 6, 3, 1, 1, 20, 50);
  owner.onRequest = [](GridItemRecord& item) {
    item.strText = (std::to_wstring(item.row) + L"," + std::to_wstring(item.col)).c_str();
    if (item.col == 2) item.crBkClr = RGB(1, 2, 3);
  };
  owner.requests.clear();
  CGridCellBase* first = grid.GetCell(1, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CString(first->GetText()), L"1,1");
  CGridCellBase* second = grid.GetCell(2, 2);
  EXPECT_EQ(first, second);
  EXPECT_EQ(CString(first->GetText()), L"2,2");
  EXPECT_EQ(first->GetBackClr(), RGB(1, 2, 3));
  EXPECT_EQ(first->GetGrid(), &grid);
  ASSERT_EQ(owner.requests.size(), 2u);
  EXPECT_EQ(owner.requests[1].mask, GIF_ALL);

  // Fixed cells and the selection show in the state; the owner is asked through the row order.
  grid.SetSelectedRange(2, 1, 3, 2);
  EXPECT_TRUE(grid.IsCellSelected(3, 2));
  EXPECT_EQ(grid.GetItemState(3, 2) & GCS_SELECTED, GCS_SELECTED);
  EXPECT_EQ(grid.GetItemState(0, 1), GCS_FIXED | GCS_FIXEDROW);
  ASSERT_TRUE(grid.MoveRowInOrder(1, 4));
  owner.requests.clear();
  EXPECT_EQ(grid.GetItemText(4, 1), L"1,1");
  ASSERT_EQ(owner.requests.size(), 1u);
  EXPECT_EQ(owner.requests[0].row, 1);

  // An owner that looks a cell up while it answers gets the plain cell, and no loop.
  owner.onRequest = [&](GridItemRecord& item) {
    item.strText = CString(L"outer ") + grid.GetItemText(1, 1);
  };
  owner.requests.clear();
  EXPECT_EQ(grid.GetItemText(2, 2), L"outer ");
  EXPECT_EQ(owner.requests.size(), 1u);

  // A callback takes the owner's place.
  grid.SetCallbackFunc([](GridDispInfo* info, LPARAM param) {
    info->item.strText = std::to_wstring(param + info->item.col).c_str();
    return TRUE;
  }, 40);
  owner.requests.clear();
  EXPECT_EQ(grid.GetItemText(2, 2), L"42");
  EXPECT_TRUE(owner.requests.empty());
  owner.onRequest = nullptr;
}

TEST_F(GridSortTest, VirtualSortsReorderTheRowOrderWithTheOwnersComparison) {
  CGridCtrl grid;
  grid.SetVirtualMode(TRUE);
  gridtest::Shape(grid, 7, 2, 1, 0, 20, 50);
  EXPECT_FALSE(grid.SortItems(0, TRUE));
  g_values = {0, 5, 3, 9, 1, 3, 7};
  grid.SetVirtualCompare(&ByValue);
  ASSERT_TRUE(grid.SortItems(1, TRUE));
  EXPECT_EQ(grid.GetVirtualSortColumn(), 1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 4, 2, 5, 1, 6, 3}));
  ASSERT_TRUE(grid.SortItems(1, FALSE));
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 3, 6, 1, 2, 5, 4}));

  // Shifting the order for a row put in or taken out; rows outside the order change nothing.
  grid.ResetRowOrder();
  grid.ShiftRowOrder(3, -1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  grid.ShiftRowOrder(2, 1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(grid.SortItems(1, FALSE));
  grid.ShiftRowOrder(1, 1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 1, 4, 7, 2, 3, 6, 5}));
  grid.ShiftRowOrder(8, -1);
  grid.ShiftRowOrder(-1, 1);
  grid.ShiftRowOrder(9, 1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 1, 4, 7, 2, 3, 6, 5}));
  grid.ShiftRowOrder(8, 1);
  EXPECT_EQ(grid.GetRowOrder(), (std::vector<int>{0, 1, 4, 7, 2, 3, 6, 5, 8}));
}
