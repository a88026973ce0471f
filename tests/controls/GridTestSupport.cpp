#include "GridTestSupport.h"

#include "platform/gdi/GdiState.h"

namespace gridtest {

BOOL GridOwner::Make(LPCWSTR title) {
  if (!CreateTopLevel(CRect(40, 40, 760, 640))) return FALSE;
  SetWindowText(title);
  return TRUE;
}

LRESULT GridOwner::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    const int code = static_cast<int>(header->code);
    if (code == LVN_ODCACHEHINT) {
      hints.push_back(reinterpret_cast<const GridCacheHint*>(lParam)->range);
      if (onHint) onHint(hints.back());
    } else if (code == LVN_GETDISPINFOW) {
      auto* info = reinterpret_cast<GridDispInfo*>(lParam);
      requests.push_back(info->item);
      if (onRequest) onRequest(info->item);
    } else {
      const auto* notify = reinterpret_cast<const GridNotify*>(lParam);
      notices.push_back({header->idFrom, code, notify->iRow, notify->iColumn});
      if (onNotice) return onNotice(notices.back());
    }
    return 0;
  }
  return SpyWnd::WindowProc(msg, wParam, lParam);
}

bool CreateGrid(CGridCtrl& grid, CWnd& parent, int clientWidth, int clientHeight, UINT id) {
  return grid.Create(CGridCtrl::kWindowClass, L"", WS_CHILD | WS_VISIBLE,
                     CRect(10, 10, 10 + clientWidth + 4, 10 + clientHeight + 4), &parent, id) != FALSE;
}

void Shape(CGridCtrl& grid, int rows, int cols, int fixedRows, int fixedCols, int rowHeight, int colWidth) {
  grid.SetRowCount(rows);
  grid.SetColumnCount(cols);
  grid.SetFixedRowCount(fixedRows);
  grid.SetFixedColumnCount(fixedCols);
  for (int row = 0; row < rows; ++row) grid.SetRowHeight(row, rowHeight);
  for (int col = 0; col < cols; ++col) grid.SetColumnWidth(col, colWidth);
}

void ShapeFixedGrid(CGridCtrl& grid) {
  Shape(grid, 11, 6, 1, 1, 20, 50);
  grid.SetColumnWidth(0, 30);
}

QImage Painted(CGridCtrl& grid) {
  plat::test::Pump();
  return plat::test::Grab(&grid);
}

int CountPixels(const QImage& image, const QRect& area, COLORREF colour) {
  int count = 0;
  const QRect within = area.intersected(image.rect());
  for (int y = within.top(); y <= within.bottom(); ++y) {
    for (int x = within.left(); x <= within.right(); ++x) count += At(image, x, y) == colour ? 1 : 0;
  }
  return count;
}

std::vector<std::tuple<int, int, int>> Codes(const std::vector<Notice>& notices) {
  std::vector<std::tuple<int, int, int>> codes;
  for (const Notice& n : notices) codes.emplace_back(n.code, n.row, n.col);
  return codes;
}

CPoint CellCentre(CGridCtrl& grid, int row, int col) {
  CRect rect;
  EXPECT_TRUE(grid.GetCellRect(row, col, &rect));
  return rect.CenterPoint();
}

void Click(CGridCtrl& grid, CPoint point, WPARAM keys) {
  plat::test::AdvanceTime(1000);
  plat::test::Mouse(&grid, WM_LBUTTONDOWN, point, keys);
  plat::test::Mouse(&grid, WM_LBUTTONUP, point, keys);
}

COLORREF At(const QImage& image, int x, int y) { return plat::ColorOf(image.pixel(x, y)); }

SysColorScope::SysColorScope() {
  for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_3DHILIGHT, COLOR_HIGHLIGHT}) {
    saved_.emplace_back(index, GetSysColor(index));
  }
}

SysColorScope::~SysColorScope() {
  for (const auto& [index, colour] : saved_) plat::SetSysColor(index, colour);
}

}  // namespace gridtest
