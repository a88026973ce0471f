// Helpers of the grid tests: an owner window that records the grid's notifications, grids of a
// given client size, the shapes the tests share, and pixel counting.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <ostream>
#include <tuple>
#include <vector>

#include "controls/grid/GridCtrl.h"
#include "tests/support/TestHarness.h"

// Cell addresses as the test messages show them.
inline void PrintTo(const CCellID& cell, std::ostream* out) { *out << "(" << cell.row << ", " << cell.col << ")"; }
inline void PrintTo(const CCellRange& r, std::ostream* out) {
  *out << "(" << r.GetMinRow() << ", " << r.GetMinCol() << ")-(" << r.GetMaxRow() << ", " << r.GetMaxCol() << ")";
}

namespace gridtest {

struct Notice {
  UINT_PTR id;
  int code;
  int row;
  int col;
};

// A top-level window that owns grids and records what they tell it.
class GridOwner : public plat::test::SpyWnd {
 public:
  BOOL Make(LPCWSTR title = L"Recordings");
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  std::vector<Notice> notices;     // notifications that carry a row and a column
  std::vector<CCellRange> hints;   // cache hints
  std::vector<GridItemRecord> requests;  // display requests
  // The owner's answer to a notification (0 when not set), what it does on a cache hint, and
  // how it fills a display request.
  std::function<LRESULT(const Notice&)> onNotice;
  std::function<void(const CCellRange&)> onHint;
  std::function<void(GridItemRecord&)> onRequest;
};

// Tests with a fresh harness and an owner window for their grids.
class OwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(owner.Make());
  }
  GridOwner owner;
};

// Creates the grid as a child of the parent with the given client size (the grid's client edge
// takes two pixels on each side of its window).
bool CreateGrid(CGridCtrl& grid, CWnd& parent, int clientWidth, int clientHeight, UINT id = 1501);

// One fixed row of height 20, one fixed column of width 30, a body of 10 rows of 20 pixels and
// 5 columns of 50 pixels.
void ShapeFixedGrid(CGridCtrl& grid);
// The given counts with every row and column of one size.
void Shape(CGridCtrl& grid, int rows, int cols, int fixedRows, int fixedCols, int rowHeight, int colWidth);

// The grid painted as the screen shows it after the pending paints.
QImage Painted(CGridCtrl& grid);
int CountPixels(const QImage& image, const QRect& area, COLORREF colour);

// The codes of the recorded notifications with their cells, as (code, row, col).
std::vector<std::tuple<int, int, int>> Codes(const std::vector<Notice>& notices);
// The centre of a cell in the grid's client area.
CPoint CellCentre(CGridCtrl& grid, int row, int col);
// A click of the left button at a client point of the grid, as a separate click (never the second
// half of a double click).
void Click(CGridCtrl& grid, CPoint point, WPARAM keys = 0);
COLORREF At(const QImage& image, int x, int y);

// Restores the system colours that a test changes.
class SysColorScope {
 public:
  SysColorScope();
  ~SysColorScope();
  SysColorScope(const SysColorScope&) = delete;
  SysColorScope& operator=(const SysColorScope&) = delete;

 private:
  std::vector<std::pair<int, COLORREF>> saved_;
};

}  // namespace gridtest
