#include <gtest/gtest.h>

#include "GridTestSupport.h"

using gridtest::At;
using gridtest::CountPixels;
using gridtest::Painted;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLine = RGB(192, 192, 192);
constexpr COLORREF kMark = RGB(0, 0, 192);

class GridPaintTest : public gridtest::OwnerTest {};

QImage Repainted(CGridCtrl& grid) {
  grid.Invalidate();
  return Painted(grid);
}

}  // namespace

TEST_F(GridPaintTest, TheMarkFillsTheMiddleHalfOfTheMarkedCell) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  Painted(grid);
  grid.SetMarkedCell(1, 1);
  // Drawn at once, and again after every full paint.
  for (const QImage& image : {plat::test::Grab(&grid), Repainted(grid)}) {
    // Cell (1, 1) spans (30, 20)-(79, 39): w 49, h 19, the mark (42, 24)-(66, 34).
    EXPECT_EQ(CountPixels(image, QRect(42, 24, 24, 10), kMark), 24 * 10);
    EXPECT_EQ(CountPixels(image, QRect(30, 20, 50, 20), kMark), 24 * 10);
    EXPECT_EQ(At(image, 41, 28), kWhite);
    EXPECT_EQ(At(image, 66, 28), kWhite);
    EXPECT_EQ(At(image, 50, 23), kWhite);
    EXPECT_EQ(At(image, 50, 34), kWhite);
    EXPECT_EQ(At(image, 79, 30), kLine);
    EXPECT_EQ(At(image, 50, 39), kLine);
  }

  // A cell 20 x 16 (w 19, h 15) has its mark from (l + 4, t + 3) to (l + 14, t + 11).
  grid.SetColumnWidth(2, 20);
  grid.SetRowHeight(2, 16);
  grid.SetMarkedCell(2, 2);
  QImage image = Repainted(grid);
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 300, 300), kMark), 10 * 8);
  EXPECT_EQ(At(image, 80 + 4, 40 + 3), kMark);
  EXPECT_EQ(At(image, 80 + 13, 40 + 10), kMark);
  EXPECT_EQ(At(image, 80 + 14, 40 + 10), kWhite);

  // The mark goes with SetMarkedCell to another cell, and a fixed or absent address shows none.
  grid.SetMarkedCell(99, 99);
  EXPECT_EQ(grid.GetMarkedCell(), CCellID(99, 99));
  EXPECT_EQ(CountPixels(plat::test::Grab(&grid), QRect(0, 0, 300, 300), kMark), 0);
  EXPECT_EQ(CountPixels(Repainted(grid), QRect(0, 0, 300, 300), kMark), 0);
}

TEST_F(GridPaintTest, ASingleCellGridDropsItsMarkWhenTheOwnerMovesItOutside) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 100, 40));
  gridtest::Shape(grid, 1, 1, 0, 0, 30, 80);
  grid.GetDefaultCell(FALSE, FALSE)->SetBackClr(RGB(0, 255, 0));
  grid.SetMarkedCell(0, 0);
  ASSERT_GT(CountPixels(Repainted(grid), QRect(0, 0, 100, 40), kMark), 0);
  grid.SetMarkedCell(99, 99);
  const QImage image = plat::test::Grab(&grid);
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 100, 40), kMark), 0);
  EXPECT_EQ(At(image, 40, 15), RGB(0, 255, 0));
}

TEST_F(GridPaintTest, SelectedAndFocusedCellsShowTheHighlightAndTheFrame) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  grid.SetSelectedRange(2, 2, 3, 3);
  grid.SetFocusCell(4, 4);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  QImage image = Repainted(grid);
  // Cell (2, 2) spans (80, 40)-(129, 59); the grid lines are drawn over the selection.
  EXPECT_EQ(At(image, 81, 41), highlight);
  EXPECT_EQ(At(image, 128, 58), highlight);
  EXPECT_EQ(At(image, 129, 50), kLine);
  EXPECT_EQ(At(image, 100, 79), kLine);
  EXPECT_EQ(At(image, 185, 45), kWhite);
  // The focus cell (4, 4) spans (180, 80)-(229, 99) and is framed in the text colour.
  EXPECT_EQ(At(image, 180, 80), RGB(0, 0, 0));
  EXPECT_EQ(At(image, 228, 90), RGB(0, 0, 0));
  EXPECT_EQ(At(image, 200, 90), kWhite);

  // Selecting with a forced repaint draws at once, without waiting for a paint.
  grid.SetSelectedRange(6, 1, 6, 1, TRUE);
  image = plat::test::Grab(&grid);
  EXPECT_EQ(At(image, 40, 130), highlight);
  EXPECT_EQ(At(image, 81, 41), kWhite);
}

TEST_F(GridPaintTest, WithoutGridLinesNoLinePixelIsDrawn) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  const QRect all(0, 0, 300, 300);
  ASSERT_GT(CountPixels(Repainted(grid), all, kLine), 0);
  grid.SetGridLines(GGL_NONE);
  grid.SetFocusCell(2, 2);
  grid.SetMarkedCell(3, 3);
  EXPECT_EQ(CountPixels(Repainted(grid), all, kLine), 0);
  grid.RedrawCell(5, 5);
  grid.RedrawCell(3, 3);
  EXPECT_EQ(CountPixels(plat::test::Grab(&grid), all, kLine), 0);

  // Horizontal lines only: no vertical line between body columns.
  grid.SetGridLines(GGL_HORZ);
  const QImage image = Repainted(grid);
  EXPECT_EQ(At(image, 50, 39), kLine);
  EXPECT_EQ(At(image, 79, 110), kWhite);
}

TEST_F(GridPaintTest, HiddenRowsAndColumnsTakeNoPixels) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  const auto colourOf = [](int row, int col) { return RGB(20 * row, 40 * col, 100); };
  for (int row = 1; row < 11; ++row) {
    for (int col = 1; col < 6; ++col) grid.SetItemBkColour(row, col, colourOf(row, col));
  }
  grid.SetRowHeight(2, 0);
  grid.SetColumnWidth(3, 0);
  const QImage image = Repainted(grid);
  const QRect all(0, 0, 300, 300);
  for (int col = 1; col < 6; ++col) EXPECT_EQ(CountPixels(image, all, colourOf(2, col)), 0);
  for (int row = 1; row < 11; ++row) EXPECT_EQ(CountPixels(image, all, colourOf(row, 3)), 0);
  // Row 3 comes right after row 1, column 4 right after column 2.
  EXPECT_EQ(At(image, 100, 45), colourOf(3, 2));
  EXPECT_EQ(At(image, 150, 45), colourOf(3, 4));
}

TEST_F(GridPaintTest, TheAreaBeyondTheCellsShowsTheGridBackground) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  QImage image = Repainted(grid);
  EXPECT_EQ(CountPixels(image, QRect(280, 0, 20, 300), shadow), 20 * 300);
  EXPECT_EQ(CountPixels(image, QRect(0, 220, 280, 80), shadow), 280 * 80);
  EXPECT_EQ(At(image, 15, 110), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(At(image, 150, 10), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(At(image, 150, 100), kWhite);

  grid.SetGridBkColor(RGB(30, 60, 90));
  image = Repainted(grid);
  EXPECT_EQ(At(image, 290, 290), RGB(30, 60, 90));
  EXPECT_EQ(At(image, 10, 250), RGB(30, 60, 90));
}

TEST_F(GridPaintTest, DoubleBufferedAndDirectPaintsAgree) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  grid.SetItemText(0, 2, L"Head");
  grid.SetItemText(3, 3, L"Body");
  grid.SetSelectedRange(4, 1, 4, 5);
  grid.SetMarkedCell(6, 2);
  const QImage buffered = Repainted(grid);
  grid.SetDoubleBuffering(FALSE);
  const QImage direct = Repainted(grid);
  EXPECT_EQ(buffered, direct);
  // A partial paint redraws only its area and matches the whole.
  const CRect part(60, 50, 170, 130);
  grid.InvalidateRect(&part);
  EXPECT_EQ(Painted(grid), direct);
  grid.SetDoubleBuffering(TRUE);
  grid.InvalidateRect(&part);
  EXPECT_EQ(Painted(grid), direct);
}

TEST_F(GridPaintTest, TheHeadingsInLineWithTheFocusLookPressedIn) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 300));
  gridtest::ShapeFixedGrid(grid);
  const COLORREF light = GetSysColor(COLOR_3DHIGHLIGHT);
  QImage image = Repainted(grid);
  // Heading of column 2 spans (80, 0)-(129, 19); of row 3 (0, 60)-(29, 79).
  EXPECT_EQ(At(image, 100, 0), light);
  EXPECT_EQ(At(image, 0, 70), light);
  grid.SetFocusCell(3, 2);
  image = plat::test::Grab(&grid);
  EXPECT_NE(At(image, 100, 0), light);
  EXPECT_NE(At(image, 0, 70), light);
  EXPECT_EQ(At(image, 150, 0), light);
  // Moving the focus on raises them again.
  grid.SetFocusCell(5, 4);
  image = plat::test::Grab(&grid);
  EXPECT_EQ(At(image, 100, 0), light);
  EXPECT_EQ(At(image, 0, 70), light);
  const QImage repainted = Repainted(grid);
  EXPECT_EQ(image.copy(81, 0, 49, 19), repainted.copy(81, 0, 49, 19));
  EXPECT_EQ(image.copy(0, 60, 30, 19), repainted.copy(0, 60, 30, 19));
}

TEST_F(GridPaintTest, ARenderedGridWithHeadingsASelectionAFocusAndAMark) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 420, 230));
  gridtest::Shape(grid, 9, 6, 1, 1, 22, 70);
  grid.SetColumnWidth(0, 60);
  const wchar_t* headings[] = {L"", L"Start", L"End", L"Length", L"Speed", L"Events"};
  for (int col = 0; col < 6; ++col) grid.SetItemText(0, col, headings[col]);
  for (int row = 1; row < 9; ++row) {
    CString text;
    text.Format(L"Rec %d", row);
    grid.SetItemText(row, 0, text);
    for (int col = 1; col < 6; ++col) {
      text.Format(L"%02d:%02d", 8 + row, col * 7);
      grid.SetItemText(row, col, text);
    }
  }
  grid.SetItemBkColour(2, 5, RGB(0, 255, 0));
  grid.SetItemBkColour(3, 5, RGB(255, 0, 0));
  grid.SetSortColumn(1);
  grid.SetSelectedRange(3, 1, 4, 3);
  grid.SetFocusCell(4, 3);
  grid.SetMarkedCell(6, 2);
  const QImage image = Repainted(grid);
  plat::test::SavePng(image, "grid_fixed_rows_selection_mark");

  EXPECT_GT(CountPixels(image, QRect(0, 0, 420, 230), kMark), 0);
  EXPECT_GT(CountPixels(image, QRect(60, 66, 210, 44), GetSysColor(COLOR_HIGHLIGHT)), 210 * 22);
  EXPECT_GT(CountPixels(image, QRect(60, 0, 360, 22), RGB(0, 0, 0)), 20);  // heading texts
  EXPECT_EQ(At(image, 410, 30), GetSysColor(COLOR_BTNSHADOW));
}
